#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "support/ProcessWatch.h"

namespace {

// Run by the installer test with the path of the installed program; skipped
// otherwise.
TEST(InstalledProgram, ShowsItsControlsAndEndsCleanly) {
  const char* installed = std::getenv("VELTO_INSTALLED_EXE");
  if (!installed || !*installed) GTEST_SKIP() << "VELTO_INSTALLED_EXE not set";
  const ProcessResult result = RunProductUntilClosed(installed);
  EXPECT_TRUE(result.Started) << installed;
  EXPECT_TRUE(result.ShowedSheet) << "no \"Velto Controls\" window";
  EXPECT_TRUE(result.Ended) << "the program did not end";
  EXPECT_EQ(result.ExitCode, 0u);
}

}  // namespace
