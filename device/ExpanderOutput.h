#pragma once

#include <array>

#include "counter/CounterTypes.h"
#include "framework/Platform.h"
#include "framework/String.h"

class CCounter;

// The platform side of the expander unit: finding and opening it, writing one
// report with a bounded wait, closing it. The product's port goes through
// SetupAPI and HID; tests install a simulated one.
class ExpanderPort {
public:
  virtual ~ExpanderPort() = default;
  virtual HANDLE Open() = 0;
  virtual void Write(HANDLE device, const BYTE* report, DWORD size) = 0;
  virtual void Close(HANDLE device) = 0;
};

// The port in force; nullptr means no unit can ever be found.
ExpanderPort* AfxGetExpanderPort();
void AfxSetExpanderPort(ExpanderPort* port);

constexpr int ExpanderReportSize = 9;
using ExpanderReport = std::array<BYTE, ExpanderReportSize>;

// The one connection to the expander unit; one counter at a time owns it.
struct ExpanderOutput {
  CCounter* Owner = nullptr;  // only compared, never dereferenced
  HANDLE Handle = INVALID_HANDLE_VALUE;
  int LeftPair = 0;
  int RightPair = 0;
  bool Negative = false;
  BYTE ColourCode = 1;

  ExpanderOutput() = default;
  ~ExpanderOutput() { Close(); }
  ExpanderOutput(const ExpanderOutput&) = delete;
  ExpanderOutput& operator=(const ExpanderOutput&) = delete;

  bool IsOpen() const { return Handle != INVALID_HANDLE_VALUE; }
  // Closes the unit, takes pOwner as its owner and looks for the unit again.
  void Attach(CCounter* pOwner);
  void Close();
  // Writes one report of the prepared values.
  void Send();
  ExpanderReport BuildReport() const;
};

// The application's record.
ExpanderOutput* AfxGetExpander();
void AfxSetExpander(ExpanderOutput* expander);

// A two-digit group for the unit: units digit in the high nibble, tens in the low.
BYTE ExpanderGroupByte(int n);
// The number at a text position, read like atoi (leading digits only).
int ReadDevicePair(const CString& text, int position);
// The unit's colour code of a colour state: 1 normal, 3 orange, 2 red, 0 dark.
BYTE ColourCodeOf(DisplayColour colour);
