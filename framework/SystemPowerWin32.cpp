#include <windows.h>

#include "framework/Power.h"

namespace {
class Win32PowerSettings final : public PowerSettings {
public:
  EXECUTION_STATE SetThreadExecutionState(EXECUTION_STATE flags) override { return ::SetThreadExecutionState(flags); }
};
}  // namespace

PowerSettings& SystemPowerSettings() {
  static Win32PowerSettings settings;
  return settings;
}
