#include "framework/Power.h"

namespace {
PowerSettings* installedSettings = nullptr;
int holders = 0;
}  // namespace

PowerSettings& AfxGetPowerSettings() { return installedSettings ? *installedSettings : SystemPowerSettings(); }

void AfxSetPowerSettings(PowerSettings* settings) { installedSettings = settings; }

void AfxHoldDisplaysOn() {
  if (holders++ == 0) {
    AfxGetPowerSettings().SetThreadExecutionState(ES_CONTINUOUS | ES_DISPLAY_REQUIRED | ES_SYSTEM_REQUIRED);
    AfxGetPowerSettings().AllowThrottling(false);
  }
}

void AfxReleaseDisplaysOn() {
  if (holders <= 0) return;
  if (--holders == 0) {
    AfxGetPowerSettings().SetThreadExecutionState(ES_CONTINUOUS);
    AfxGetPowerSettings().AllowThrottling(true);
  }
}

int AfxDisplaysOnHolders() { return holders; }

#ifndef _WIN32
// Host build: no power management to ask.
namespace {
class NoPowerSettings final : public PowerSettings {
public:
  EXECUTION_STATE SetThreadExecutionState(EXECUTION_STATE flags) override { return flags; }
  void AllowThrottling(bool) override {}
};
}  // namespace

PowerSettings& SystemPowerSettings() {
  static NoPowerSettings settings;
  return settings;
}
#endif
