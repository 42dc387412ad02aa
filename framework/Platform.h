#pragma once

// The Win32 value types the portable code speaks in. The product build takes
// them from <windows.h>; the host build gets layout-compatible stand-ins, so
// that the same sources compile with g++ and run under the sanitizers.
#ifdef _WIN32
#include <windows.h>
#else
#include "framework/PlatformTypes.h"
#endif

#include <cstdint>
