#include "device/ExpanderOutput.h"

#include <cstddef>
#include <cstring>
#include <utility>

#include "resources/resource.h"

namespace {

ExpanderPlatform* installedPlatform = nullptr;
ExpanderOutput* currentExpander = nullptr;

// Writes the unit still held when the connection record went away. They stay
// reachable here until the process ends, because the device may still
// complete into them.
std::vector<std::unique_ptr<ExpanderWrite>>& Abandoned() {
  static std::vector<std::unique_ptr<ExpanderWrite>> writes;
  return writes;
}

// A device path longer than this is not a real interface path; it is skipped.
constexpr DWORD MaxInterfaceDetailSize = 64 * 1024;
constexpr DWORD FriendlyNameBufferSize = 300;

// Destroys the interface list on every way out of the search.
class InterfaceList {
public:
  InterfaceList(ExpanderPlatform& platform, HDEVINFO devs) : Platform(platform), Devs(devs) {}
  ~InterfaceList() {
    if (IsValid()) Platform.DestroyDeviceInfoList(Devs);
  }
  InterfaceList(const InterfaceList&) = delete;
  InterfaceList& operator=(const InterfaceList&) = delete;
  bool IsValid() const { return Devs != INVALID_HANDLE_VALUE && Devs != nullptr; }
  HDEVINFO Get() const { return Devs; }

private:
  ExpanderPlatform& Platform;
  HDEVINFO Devs;
};

// Reads the vendor and product ids of an interface without taking it from
// whoever else has it open: no access rights asked, full sharing.
bool ReadIds(ExpanderPlatform& platform, const CString& path, HIDD_ATTRIBUTES& attributes) {
  const HANDLE probe = platform.OpenPath(path.GetString(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
  if (probe == INVALID_HANDLE_VALUE) return false;
  attributes = HIDD_ATTRIBUTES{};
  attributes.Size = sizeof attributes;
  const bool read = platform.HidGetAttributes(probe, &attributes) != FALSE;
  platform.CloseHandle(probe);
  return read;
}

// Gives the unit the program's friendly name unless it has it already. The
// unit keeps the name; a failure (no rights to change it) changes nothing.
void NameUnit(ExpanderPlatform& platform, HDEVINFO devs, SP_DEVINFO_DATA& info) {
  BYTE buffer[FriendlyNameBufferSize] = {};
  DWORD type = 0;
  DWORD required = 0;
  CString current;
  if (platform.GetDeviceRegistryProperty(devs, &info, SPDRP_FRIENDLYNAME, &type, buffer, sizeof buffer - 1,
                                         &required)) {
    // The stored text need not end in a terminator; the spare last byte is one.
    current = CString(reinterpret_cast<const char*>(buffer));
  }
  const CString wanted = platform.LoadText(IDS_EXPANDER_NAME);
  if (wanted.IsEmpty() || current == wanted) return;
  platform.SetDeviceRegistryProperty(devs, &info, SPDRP_FRIENDLYNAME, reinterpret_cast<const BYTE*>(wanted.GetString()),
                                     static_cast<DWORD>(wanted.GetLength() + 1));
}

}  // namespace

ExpanderPlatform& AfxGetExpanderPlatform() { return installedPlatform ? *installedPlatform : SystemExpanderPlatform(); }

void AfxSetExpanderPlatform(ExpanderPlatform* platform) { installedPlatform = platform; }

ExpanderOutput* AfxGetExpander() { return currentExpander; }

void AfxSetExpander(ExpanderOutput* expander) { currentExpander = expander; }

HidInterfaceStep NextHidInterfacePath(HDEVINFO hDevs, DWORD nIndex, CString& strPath, SP_DEVINFO_DATA* pInfo) {
  ExpanderPlatform& platform = AfxGetExpanderPlatform();
  strPath.Empty();
  GUID hidGuid{};
  platform.HidGetHidGuid(&hidGuid);

  SP_DEVICE_INTERFACE_DATA interfaceData{};
  interfaceData.cbSize = sizeof interfaceData;
  if (!platform.EnumDeviceInterfaces(hDevs, &hidGuid, nIndex, &interfaceData)) {
    // Past the end, or a list that cannot be walked any further.
    return HidInterfaceStep::End;
  }

  // Ask for the size first, so that a path of any length fits.
  DWORD required = 0;
  platform.GetDeviceInterfaceDetail(hDevs, &interfaceData, nullptr, 0, &required, nullptr);
  if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) || required > MaxInterfaceDetailSize)
    return HidInterfaceStep::Unreadable;

  // DWORD elements keep the record aligned; one spare DWORD ends the path for sure.
  std::vector<DWORD> storage(required / sizeof(DWORD) + 2, 0);
  const DWORD storageBytes = static_cast<DWORD>(storage.size() * sizeof(DWORD));
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
  SP_DEVINFO_DATA info{};
  info.cbSize = sizeof info;
  if (!platform.GetDeviceInterfaceDetail(hDevs, &interfaceData, detail, storageBytes - sizeof(DWORD), &required, &info))
    return HidInterfaceStep::Unreadable;

  const char* path =
      reinterpret_cast<const char*>(storage.data()) + offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);
  const size_t capacity = storageBytes - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);
  const size_t length = strnlen(path, capacity);
  if (length == 0 || length == capacity) return HidInterfaceStep::Unreadable;
  strPath = CString(path, length);
  if (pInfo) *pInfo = info;
  return HidInterfaceStep::Found;
}

HANDLE OpenExpander() {
  ExpanderPlatform& platform = AfxGetExpanderPlatform();
  GUID hidGuid{};
  platform.HidGetHidGuid(&hidGuid);
  InterfaceList list(platform, platform.GetClassDevs(&hidGuid, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
  if (!list.IsValid()) return INVALID_HANDLE_VALUE;

  for (DWORD index = 0;; ++index) {
    CString path;
    SP_DEVINFO_DATA info{};
    const HidInterfaceStep step = NextHidInterfacePath(list.Get(), index, path, &info);
    if (step == HidInterfaceStep::End) return INVALID_HANDLE_VALUE;
    if (step == HidInterfaceStep::Unreadable) continue;

    HIDD_ATTRIBUTES attributes{};
    if (!ReadIds(platform, path, attributes)) continue;
    if (attributes.VendorID != ExpanderVendorId || attributes.ProductID != ExpanderProductId) continue;

    NameUnit(platform, list.Get(), info);
    return platform.OpenPath(path.GetString(), GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, FILE_FLAG_OVERLAPPED);
  }
}

ExpanderOutput::~ExpanderOutput() {
  Close();
  // Whatever the device still holds must outlive this record.
  for (auto& write : Parked) Abandoned().push_back(std::move(write));
  Parked.clear();
}

void ExpanderOutput::Attach(CCounter* pOwner) {
  Close();
  Owner = pOwner;
  ++Connection;
  Handle = OpenExpander();
}

void ExpanderOutput::Close() {
  if (IsOpen()) {
    // Closing the handle cancels what is still pending on it; the parked
    // writes complete (aborted) and are reaped from here on.
    AfxGetExpanderPlatform().CloseHandle(Handle);
    Handle = INVALID_HANDLE_VALUE;
  }
  ReapParked();
}

void ExpanderOutput::ReapParked() {
  ExpanderPlatform& platform = AfxGetExpanderPlatform();
  for (auto it = Parked.begin(); it != Parked.end();) {
    ExpanderWrite& write = **it;
    if (platform.WaitForSingleObject(write.Event, 0) == WAIT_OBJECT_0) {
      platform.CloseHandle(write.Event);
      it = Parked.erase(it);
    } else {
      ++it;
    }
  }
}

bool ExpanderOutput::ParkedOnThisConnection() const {
  for (const auto& write : Parked)
    if (write->Connection == Connection) return true;
  return false;
}

void ExpanderOutput::Send() {
  ReapParked();
  if (!IsOpen()) return;
  // A unit that has not let go of an earlier report would only pile up more;
  // drop this one without waiting.
  if (ParkedOnThisConnection() || Parked.size() >= ExpanderMaxParkedWrites) return;

  ExpanderPlatform& platform = AfxGetExpanderPlatform();
  auto write = std::make_unique<ExpanderWrite>();
  write->Report = BuildReport();
  write->Connection = Connection;
  write->Event = platform.CreateManualEvent();
  if (!write->Event) return;
  write->Overlapped.hEvent = write->Event;

  if (platform.WriteFile(Handle, write->Report.data(), ExpanderReportSize, &write->Overlapped)) {
    platform.SetEvent(write->Event);
  } else if (platform.GetLastError() != ERROR_IO_PENDING) {
    // Failed outright (unplugged, refused): nothing is in flight.
    platform.CloseHandle(write->Event);
    return;
  }

  DWORD transferred = 0;
  if (platform.WaitForSingleObject(write->Event, ExpanderWriteWaitMs) != WAIT_OBJECT_0) {
    // The unit has not taken the report in time: withdraw it, and wait a
    // little for the withdrawal, since until then the device owns the bytes.
    platform.CancelIoEx(Handle, &write->Overlapped);
    if (platform.WaitForSingleObject(write->Event, ExpanderCancelWaitMs) != WAIT_OBJECT_0) {
      Parked.push_back(std::move(write));
      return;
    }
  }
  platform.GetOverlappedResult(Handle, &write->Overlapped, &transferred, TRUE);
  platform.CloseHandle(write->Event);
}

ExpanderReport ExpanderOutput::BuildReport() const {
  ExpanderReport report{};
  report[0] = 0x00;
  report[1] = 0x03;
  report[2] = ExpanderGroupByte(LeftPair);
  if (Negative && LeftPair < 10) report[2] = static_cast<BYTE>((report[2] & 0xF0) | 0x0A);
  report[3] = ExpanderGroupByte(RightPair);
  report[4] = ColourCode;
  return report;
}

BYTE ExpanderGroupByte(int n) {
  if (n < 0) n = 0;
  if (n > 99) n = 99;
  return static_cast<BYTE>((n % 10) * 16 + n / 10);
}

int ReadDevicePair(const CString& text, int position) {
  int value = 0;
  for (int i = position; i < text.GetLength() && i < position + 2; ++i) {
    const char ch = text.GetAt(i);
    if (ch < '0' || ch > '9') break;
    value = value * 10 + (ch - '0');
  }
  return value;
}

bool ParseDeviceText(const CString& text, int& left, int& right) {
  left = right = 0;
  if (text.GetLength() != 5 || text.GetAt(2) != ':') return false;
  for (int i : {0, 1, 3, 4})
    if (text.GetAt(i) < '0' || text.GetAt(i) > '9') return false;
  left = ReadDevicePair(text, 0);
  right = ReadDevicePair(text, 3);
  return true;
}

BYTE ColourCodeOf(DisplayColour colour) {
  switch (colour) {
    case Normal:
      return 1;
    case Orange:
      return 3;
    case Red:
      return 2;
    default:
      return 0;
  }
}
