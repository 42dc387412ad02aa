#include <gtest/gtest.h>

#include "app/VeltoApp.h"
#include "support/ScratchRegistry.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ScratchRegistry registry;
  // The application object as the program has it, under the program's own
  // registry name rather than the test executable's.
  CVeltoApp app;
  app.m_pszAppName = "Velto";
  app.SetRegistryKey("Halvorn Industries");
  return RUN_ALL_TESTS();
}
