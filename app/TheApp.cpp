#include "app/VeltoApp.h"

// The program's one application object, constructed before WinMain.
CVeltoApp theApp;
