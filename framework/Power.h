#pragma once

#include "framework/Platform.h"

#ifndef _WIN32
typedef DWORD EXECUTION_STATE;
constexpr EXECUTION_STATE ES_SYSTEM_REQUIRED = 0x00000001;
constexpr EXECUTION_STATE ES_DISPLAY_REQUIRED = 0x00000002;
constexpr EXECUTION_STATE ES_CONTINUOUS = 0x80000000;
#endif

// The thread's execution state: whether the system must keep the displays on
// and the machine awake. The product goes to Windows; tests install their
// own to see what was asked.
class PowerSettings {
public:
  virtual ~PowerSettings() = default;
  virtual EXECUTION_STATE SetThreadExecutionState(EXECUTION_STATE flags) = 0;
  // Whether Windows may throttle the process (efficiency mode: a slower CPU,
  // and its timer resolution ignored while no window of it can be seen).
  virtual void AllowThrottling(bool allow) = 0;
};

// The power settings in force: the system's unless a test installed others.
PowerSettings& AfxGetPowerSettings();
// Installs power settings (not owned); nullptr goes back to the system's.
void AfxSetPowerSettings(PowerSettings* settings);
// The system's.
PowerSettings& SystemPowerSettings();

// A running show must not go dark: while at least one holder (a running
// counter) holds the displays on, the system is asked to keep the displays on
// and the machine awake; when the last lets go, the usual power settings
// apply again. Meanwhile the process also opts out of the system's power
// throttling: a show laptop with the operator in the slides is exactly what
// Windows would judge to be in the background. The system is asked only when
// that wish changes.
void AfxHoldDisplaysOn();
void AfxReleaseDisplaysOn();
int AfxDisplaysOnHolders();
