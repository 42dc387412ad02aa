#include "app/VeltoApp.h"

// The program's one application object, constructed before WinMain.
CVeltoApp theApp;  // NOLINT(cert-err58-cpp): nothing could handle a failure before WinMain
