#pragma once

#include <array>
#include <memory>
#include <vector>

#include "counter/CounterTypes.h"
#include "device/ExpanderPlatform.h"
#include "framework/Platform.h"
#include "framework/String.h"

class CCounter;

// The expander unit's USB ids. The maker's vendor id is not known yet: this
// is a placeholder that no known company uses, to be replaced by the maker's.
constexpr USHORT ExpanderVendorId = 0xF8C1;
constexpr USHORT ExpanderProductId = 0x7002;

constexpr int ExpanderReportSize = 9;
using ExpanderReport = std::array<BYTE, ExpanderReportSize>;

// How long one report may hold up the caller: the write itself, then the
// cancellation of a write the unit has not taken.
constexpr DWORD ExpanderWriteWaitMs = 500;
constexpr DWORD ExpanderCancelWaitMs = 20;
// Writes whose cancellation did not complete either are kept (their buffer
// and event still belong to the device) up to this many; beyond it reports
// are dropped until the unit lets go of one.
constexpr size_t ExpanderMaxParkedWrites = 8;

// One report on its way to the unit: the bytes, the overlapped record and its
// event live together until the device is done with them.
struct ExpanderWrite {
  ExpanderReport Report{};
  OVERLAPPED Overlapped{};
  HANDLE Event = nullptr;
  unsigned Connection = 0;
};

// The one connection to the expander unit; one counter at a time owns it.
struct ExpanderOutput {
  CCounter* Owner = nullptr;  // only compared, never dereferenced
  HANDLE Handle = INVALID_HANDLE_VALUE;
  int LeftPair = 0;
  int RightPair = 0;
  bool Negative = false;
  BYTE ColourCode = 1;

  ExpanderOutput() = default;
  ~ExpanderOutput();
  ExpanderOutput(const ExpanderOutput&) = delete;
  ExpanderOutput& operator=(const ExpanderOutput&) = delete;

  bool IsOpen() const { return Handle != INVALID_HANDLE_VALUE; }
  // Closes the unit, takes pOwner as its owner and looks for the unit again.
  void Attach(CCounter* pOwner);
  void Close();
  // Writes one report of the prepared values, waiting for the unit a bounded time.
  void Send();
  ExpanderReport BuildReport() const;

  // Writes the unit still holds after their wait and cancellation ran out.
  size_t ParkedWrites() const { return Parked.size(); }

private:
  void ReapParked();
  bool ParkedOnThisConnection() const;

  std::vector<std::unique_ptr<ExpanderWrite>> Parked;
  unsigned Connection = 0;
};

// The application's record.
ExpanderOutput* AfxGetExpander();
void AfxSetExpander(ExpanderOutput* expander);

// Finds the unit among the present HID interfaces, gives it the program's
// friendly name and opens it for overlapped writing; INVALID_HANDLE_VALUE
// when there is none.
HANDLE OpenExpander();

enum class HidInterfaceStep {
  Found,       // strPath and info describe the interface
  Unreadable,  // the interface exists but its path could not be had: skip it
  End,         // no interface at this index: the list is done
};
// The device path and device information of the interface at nIndex of the
// list. The path has whatever length the system gives it.
HidInterfaceStep NextHidInterfacePath(HDEVINFO hDevs, DWORD nIndex, CString& strPath, SP_DEVINFO_DATA* pInfo);

// A two-digit group for the unit: units digit in the high nibble, tens in the low.
BYTE ExpanderGroupByte(int n);
// The number at a text position, read like atoi (leading digits only, at most two).
int ReadDevicePair(const CString& text, int position);
// The two groups of a device text "dd:dd". Any other text (the counter never
// makes one) gives 00:00 and false, so no group is read from the wrong place.
bool ParseDeviceText(const CString& text, int& left, int& right);
// The unit's colour code of a colour state: 1 normal, 3 orange, 2 red, 0 dark.
BYTE ColourCodeOf(DisplayColour colour);
