#pragma once

#include <map>
#include <string>
#include <vector>

#include "device/ExpanderOutput.h"

// A simulated HID interface list and expander unit behind the platform
// calls. It installs itself for its lifetime, hands out handles it tracks,
// and counts every misuse (a handle closed twice, a write completed into a
// closed event, a wait that would never return) as a fault.
class SimulatedExpander final : public ExpanderPlatform {
public:
  struct Interface {
    std::string Path;
    USHORT VendorId = 0;
    USHORT ProductId = 0;
    bool HasFriendlyName = false;
    std::string FriendlyName;
    bool Present = true;
    bool Opens = true;
    bool AttributesReadable = true;
    bool DetailFails = false;
  };

  enum class Writes {
    AtOnce,         // WriteFile completes synchronously
    WithinWait,     // pending, done before the wait runs out
    CancelledLate,  // pending past the wait; the cancellation completes it
    IgnoresCancel,  // pending past the wait and the cancellation, until CompletePending
    Fail,           // WriteFile fails at once
  };

  SimulatedExpander();
  ~SimulatedExpander() override;
  SimulatedExpander(const SimulatedExpander&) = delete;
  SimulatedExpander& operator=(const SimulatedExpander&) = delete;

  // The list as Wine has it, then the unit.
  void AddWineDevices();
  size_t AddUnit(const std::string& path =
                     "\\\\?\\hid#vid_f8c1&pid_7002#7&1a2b3c4d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}");
  size_t Add(const Interface& item);
  void Unplug(size_t index) { List[index].Present = false; }
  void PlugIn(size_t index) { List[index].Present = true; }

  // Completes every write still pending, as the unit taking them late.
  void CompletePending();

  // What the unit received, in order.
  std::vector<ExpanderReport> Shown;
  // Milliseconds the caller spent in waits that ran out, since the last reset.
  DWORD BlockedMs = 0;
  int Faults = 0;
  Writes Mode = Writes::AtOnce;
  std::vector<Interface> List;
  bool ListFails = false;
  int ListsOpen = 0;
  int ListsCreated = 0;
  int FriendlyNameSets = 0;
  int UnitOpens = 0;  // opens for writing
  DWORD LastUnitShare = 0xFFFFFFFF;
  DWORD LastUnitFlags = 0;
  size_t PendingWrites() const { return Pending.size(); }
  int LiveHandles() const { return static_cast<int>(Handles.size()); }
  int LiveEvents() const;

  // ExpanderPlatform
  void HidGetHidGuid(GUID* guid) override;
  HDEVINFO GetClassDevs(const GUID* guid, DWORD flags) override;
  BOOL EnumDeviceInterfaces(HDEVINFO devs, const GUID* guid, DWORD index,
                            SP_DEVICE_INTERFACE_DATA* interfaceData) override;
  BOOL GetDeviceInterfaceDetail(HDEVINFO devs, SP_DEVICE_INTERFACE_DATA* interfaceData,
                                SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail, DWORD detailSize, DWORD* requiredSize,
                                SP_DEVINFO_DATA* info) override;
  BOOL GetDeviceRegistryProperty(HDEVINFO devs, SP_DEVINFO_DATA* info, DWORD property, DWORD* type, BYTE* buffer,
                                 DWORD size, DWORD* requiredSize) override;
  BOOL SetDeviceRegistryProperty(HDEVINFO devs, SP_DEVINFO_DATA* info, DWORD property, const BYTE* buffer,
                                 DWORD size) override;
  BOOL DestroyDeviceInfoList(HDEVINFO devs) override;
  BOOL HidGetAttributes(HANDLE device, HIDD_ATTRIBUTES* attributes) override;
  HANDLE OpenPath(const char* path, DWORD access, DWORD share, DWORD disposition, DWORD flags) override;
  HANDLE CreateManualEvent() override;
  BOOL SetEvent(HANDLE event) override;
  BOOL WriteFile(HANDLE device, const void* buffer, DWORD size, OVERLAPPED* overlapped) override;
  DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) override;
  BOOL GetOverlappedResult(HANDLE device, OVERLAPPED* overlapped, DWORD* transferred, BOOL wait) override;
  BOOL CancelIoEx(HANDLE device, OVERLAPPED* overlapped) override;
  BOOL CloseHandle(HANDLE object) override;
  DWORD GetLastError() override { return LastError; }
  CString LoadText(UINT id) override;

private:
  enum class Kind { Event, Probe, Unit, List };
  struct Object {
    Kind What;
    size_t Interface = 0;
    bool Signalled = false;
  };
  struct Write {
    const BYTE* Buffer;
    ExpanderReport Sent;
    OVERLAPPED* Overlapped;
    HANDLE Event;
    HANDLE Device;
  };

  HANDLE NewHandle(Object object);
  Object* Find(HANDLE handle, Kind kind);
  void Complete(size_t pendingIndex, bool delivered);
  BOOL Fail(DWORD error) {
    LastError = error;
    return FALSE;
  }

  ExpanderPlatform* Previous = nullptr;
  std::map<HANDLE, Object> Handles;
  std::vector<Write> Pending;
  uintptr_t NextHandle = 0x1000;
  DWORD LastError = 0;
};

// What the unit shows for a report: four digit places ("-" in the first for
// the sign, "?" for a code that is no digit), the colon, and the colour.
struct UnitFace {
  std::string Digits;  // e.g. "01:10", "-0:05"
  std::string Colour;  // "normal", "orange", "red", "dark"
  bool WellFormed = false;
};
UnitFace DecodeReport(const ExpanderReport& report);
