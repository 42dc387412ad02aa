#include "support/SimulatedExpander.h"

#include <cstddef>
#include <cstring>

SimulatedExpander::SimulatedExpander() { AfxSetExpanderPlatform(this); }

SimulatedExpander::~SimulatedExpander() { AfxSetExpanderPlatform(nullptr); }

void SimulatedExpander::AddWineDevices() {
  Interface mouse;
  mouse.Path = "\\\\?\\hid#vid_845e&pid_0001#1&2d595ca7&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
  mouse.VendorId = 0x845E;
  mouse.ProductId = 0x0001;
  Add(mouse);
  Interface keyboard = mouse;
  keyboard.Path = "\\\\?\\hid#vid_845e&pid_0002#1&2d595ca7&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
  keyboard.ProductId = 0x0002;
  Add(keyboard);
}

size_t SimulatedExpander::AddUnit(const std::string& path) {
  Interface unit;
  unit.Path = path;
  unit.VendorId = ExpanderVendorId;
  unit.ProductId = ExpanderProductId;
  return Add(unit);
}

size_t SimulatedExpander::Add(const Interface& item) {
  List.push_back(item);
  return List.size() - 1;
}

int SimulatedExpander::LiveEvents() const {
  int events = 0;
  for (const auto& entry : Handles)
    if (entry.second.What == Kind::Event) ++events;
  return events;
}

HANDLE SimulatedExpander::NewHandle(Object object) {
  const HANDLE handle = reinterpret_cast<HANDLE>(NextHandle);
  NextHandle += 4;
  Handles[handle] = object;
  return handle;
}

SimulatedExpander::Object* SimulatedExpander::Find(HANDLE handle, Kind kind) {
  const auto it = Handles.find(handle);
  if (it == Handles.end() || it->second.What != kind) return nullptr;
  return &it->second;
}

void SimulatedExpander::HidGetHidGuid(GUID* guid) {
  *guid = GUID{0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
}

HDEVINFO SimulatedExpander::GetClassDevs(const GUID* guid, DWORD flags) {
  if (!guid || flags != (DIGCF_PRESENT | DIGCF_DEVICEINTERFACE)) ++Faults;
  if (ListFails) {
    LastError = ERROR_GEN_FAILURE;
    return INVALID_HANDLE_VALUE;
  }
  ++ListsOpen;
  ++ListsCreated;
  return NewHandle({Kind::List});
}

BOOL SimulatedExpander::EnumDeviceInterfaces(HDEVINFO devs, const GUID*, DWORD index,
                                             SP_DEVICE_INTERFACE_DATA* interfaceData) {
  if (!Find(devs, Kind::List) || interfaceData->cbSize != sizeof *interfaceData) {
    ++Faults;
    return Fail(ERROR_GEN_FAILURE);
  }
  // Only present interfaces are in the list, in their order.
  DWORD seen = 0;
  for (size_t i = 0; i < List.size(); ++i) {
    if (!List[i].Present) continue;
    if (seen++ == index) {
      interfaceData->Reserved = i + 1;
      return TRUE;
    }
  }
  return Fail(ERROR_NO_MORE_ITEMS);
}

BOOL SimulatedExpander::GetDeviceInterfaceDetail(HDEVINFO devs, SP_DEVICE_INTERFACE_DATA* interfaceData,
                                                 SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail, DWORD detailSize,
                                                 DWORD* requiredSize, SP_DEVINFO_DATA* info) {
  if (!Find(devs, Kind::List) || interfaceData->Reserved == 0) {
    ++Faults;
    return Fail(ERROR_GEN_FAILURE);
  }
  const Interface& item = List[interfaceData->Reserved - 1];
  if (item.DetailFails) return Fail(ERROR_GEN_FAILURE);
  const DWORD required =
      static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + item.Path.size() + 1);
  if (requiredSize) *requiredSize = required;
  if (!detail || detailSize < required) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) {
    ++Faults;
    return Fail(ERROR_GEN_FAILURE);
  }
  std::memcpy(reinterpret_cast<char*>(detail) + offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath),
              item.Path.c_str(), item.Path.size() + 1);
  if (info) {
    if (info->cbSize != sizeof *info) {
      ++Faults;
      return Fail(ERROR_GEN_FAILURE);
    }
    info->DevInst = static_cast<DWORD>(interfaceData->Reserved);
  }
  return TRUE;
}

BOOL SimulatedExpander::GetDeviceRegistryProperty(HDEVINFO devs, SP_DEVINFO_DATA* info, DWORD property, DWORD* type,
                                                  BYTE* buffer, DWORD size, DWORD* requiredSize) {
  if (!Find(devs, Kind::List) || !info || info->DevInst == 0 || property != SPDRP_FRIENDLYNAME) {
    ++Faults;
    return Fail(ERROR_GEN_FAILURE);
  }
  const Interface& item = List[info->DevInst - 1];
  if (!item.HasFriendlyName) return Fail(ERROR_INVALID_DATA);
  // The store holds the text as it was written: not always with its terminator.
  const DWORD length = static_cast<DWORD>(item.FriendlyName.size());
  if (requiredSize) *requiredSize = length;
  if (size < length) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (type) *type = REG_SZ;
  std::memcpy(buffer, item.FriendlyName.data(), length);
  return TRUE;
}

BOOL SimulatedExpander::SetDeviceRegistryProperty(HDEVINFO devs, SP_DEVINFO_DATA* info, DWORD property,
                                                  const BYTE* buffer, DWORD size) {
  if (!Find(devs, Kind::List) || !info || info->DevInst == 0 || property != SPDRP_FRIENDLYNAME || size == 0 ||
      buffer[size - 1] != 0) {
    ++Faults;
    return Fail(ERROR_GEN_FAILURE);
  }
  Interface& item = List[info->DevInst - 1];
  item.HasFriendlyName = true;
  item.FriendlyName.assign(reinterpret_cast<const char*>(buffer), size - 1);
  ++FriendlyNameSets;
  return TRUE;
}

BOOL SimulatedExpander::DestroyDeviceInfoList(HDEVINFO devs) {
  if (!Find(devs, Kind::List)) {
    ++Faults;
    return Fail(ERROR_INVALID_HANDLE);
  }
  Handles.erase(devs);
  --ListsOpen;
  return TRUE;
}

BOOL SimulatedExpander::HidGetAttributes(HANDLE device, HIDD_ATTRIBUTES* attributes) {
  Object* object = Find(device, Kind::Probe);
  if (!object) object = Find(device, Kind::Unit);
  if (!object) {
    ++Faults;
    return Fail(ERROR_INVALID_HANDLE);
  }
  const Interface& item = List[object->Interface];
  if (!item.AttributesReadable) return Fail(ERROR_GEN_FAILURE);
  attributes->VendorID = item.VendorId;
  attributes->ProductID = item.ProductId;
  attributes->VersionNumber = 0x0100;
  return TRUE;
}

HANDLE SimulatedExpander::OpenPath(const char* path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
  if (disposition != OPEN_EXISTING) ++Faults;
  for (size_t i = 0; i < List.size(); ++i) {
    const Interface& item = List[i];
    if (!item.Present || item.Path != path) continue;
    if (!item.Opens) break;
    if (access & GENERIC_WRITE) {
      ++UnitOpens;
      LastUnitShare = share;
      LastUnitFlags = flags;
      return NewHandle({Kind::Unit, i});
    }
    return NewHandle({Kind::Probe, i});
  }
  LastError = ERROR_FILE_NOT_FOUND;
  return INVALID_HANDLE_VALUE;
}

HANDLE SimulatedExpander::CreateManualEvent() { return NewHandle({Kind::Event}); }

BOOL SimulatedExpander::SetEvent(HANDLE event) {
  Object* object = Find(event, Kind::Event);
  if (!object) {
    ++Faults;
    return Fail(ERROR_INVALID_HANDLE);
  }
  object->Signalled = true;
  return TRUE;
}

BOOL SimulatedExpander::WriteFile(HANDLE device, const void* buffer, DWORD size, OVERLAPPED* overlapped) {
  Object* unit = Find(device, Kind::Unit);
  Object* event = overlapped ? Find(overlapped->hEvent, Kind::Event) : nullptr;
  if (!unit || !event || size != ExpanderReportSize) {
    ++Faults;
    return Fail(ERROR_INVALID_HANDLE);
  }
  if (!List[unit->Interface].Present) return Fail(ERROR_DEVICE_NOT_CONNECTED);
  if (Mode == Writes::Fail) return Fail(ERROR_GEN_FAILURE);
  // Writing resets the event, as the system does.
  event->Signalled = false;
  Write write{static_cast<const BYTE*>(buffer), {}, overlapped, overlapped->hEvent, device};
  std::memcpy(write.Sent.data(), buffer, ExpanderReportSize);
  overlapped->Internal = 0x103;  // pending
  Pending.push_back(write);
  if (Mode == Writes::AtOnce) {
    Complete(Pending.size() - 1, true);
    return TRUE;
  }
  return Fail(ERROR_IO_PENDING);
}

void SimulatedExpander::Complete(size_t pendingIndex, bool delivered) {
  const Write write = Pending[pendingIndex];
  Pending.erase(Pending.begin() + static_cast<std::ptrdiff_t>(pendingIndex));
  // The device reads the caller's buffer only now: it must still be the report.
  ExpanderReport seen{};
  std::memcpy(seen.data(), write.Buffer, ExpanderReportSize);
  if (seen != write.Sent) ++Faults;
  Object* event = Find(write.Event, Kind::Event);
  if (!event) {
    ++Faults;  // completing into an event that is gone
    return;
  }
  write.Overlapped->Internal = delivered ? 0 : 0xC0000120;  // success or cancelled
  write.Overlapped->InternalHigh = delivered ? ExpanderReportSize : 0;
  event->Signalled = true;
  if (delivered) Shown.push_back(seen);
}

void SimulatedExpander::CompletePending() {
  while (!Pending.empty()) Complete(0, true);
}

DWORD SimulatedExpander::WaitForSingleObject(HANDLE object, DWORD milliseconds) {
  Object* event = Find(object, Kind::Event);
  if (!event) {
    ++Faults;
    return 0xFFFFFFFF;  // WAIT_FAILED
  }
  if (!event->Signalled && milliseconds > 0 && Mode == Writes::WithinWait) {
    for (size_t i = 0; i < Pending.size(); ++i) {
      if (Pending[i].Event == object) {
        Complete(i, true);
        break;
      }
    }
  }
  if (event->Signalled) return WAIT_OBJECT_0;
  BlockedMs += milliseconds;
  return WAIT_TIMEOUT;
}

BOOL SimulatedExpander::GetOverlappedResult(HANDLE device, OVERLAPPED* overlapped, DWORD* transferred, BOOL wait) {
  if (!Find(device, Kind::Unit) || !Find(overlapped->hEvent, Kind::Event)) {
    ++Faults;
    return Fail(ERROR_INVALID_HANDLE);
  }
  if (overlapped->Internal == 0x103) {
    if (wait) ++Faults;  // would wait for ever
    return Fail(ERROR_IO_INCOMPLETE);
  }
  if (transferred) *transferred = static_cast<DWORD>(overlapped->InternalHigh);
  return overlapped->Internal == 0 ? TRUE : Fail(ERROR_OPERATION_ABORTED);
}

BOOL SimulatedExpander::CancelIoEx(HANDLE device, OVERLAPPED* overlapped) {
  if (!Find(device, Kind::Unit)) {
    ++Faults;
    return Fail(ERROR_INVALID_HANDLE);
  }
  for (size_t i = 0; i < Pending.size(); ++i) {
    if (Pending[i].Device != device || (overlapped && Pending[i].Overlapped != overlapped)) continue;
    if (Mode == Writes::IgnoresCancel) return TRUE;  // asked, but the driver takes its time
    Complete(i, false);
    return TRUE;
  }
  return Fail(ERROR_NOT_FOUND);
}

BOOL SimulatedExpander::CloseHandle(HANDLE object) {
  const auto it = Handles.find(object);
  if (it == Handles.end() || it->second.What == Kind::List) {
    ++Faults;
    return Fail(ERROR_INVALID_HANDLE);
  }
  if (it->second.What == Kind::Unit && Mode != Writes::IgnoresCancel) {
    // Closing the device cancels what is pending on it.
    for (size_t i = Pending.size(); i-- > 0;)
      if (Pending[i].Device == object) Complete(i, false);
  }
  Handles.erase(object);
  return TRUE;
}

CString SimulatedExpander::LoadText(UINT id) {
  return id == 107 ? CString("Halvorn Industries Velto Interface") : CString();
}

UnitFace DecodeReport(const ExpanderReport& report) {
  UnitFace face;
  face.WellFormed =
      report[0] == 0x00 && report[1] == 0x03 && report[5] == 0 && report[6] == 0 && report[7] == 0 && report[8] == 0;
  auto digit = [](int code) -> char {
    if (code <= 9) return static_cast<char>('0' + code);
    return code == 0xA ? '-' : '?';
  };
  // Each group: tens in the low nibble, units in the high nibble.
  face.Digits += digit(report[2] & 0x0F);
  face.Digits += digit(report[2] >> 4);
  face.Digits += ':';
  face.Digits += digit(report[3] & 0x0F);
  face.Digits += digit(report[3] >> 4);
  switch (report[4]) {
    case 0:
      face.Colour = "dark";
      break;
    case 1:
      face.Colour = "normal";
      break;
    case 2:
      face.Colour = "red";
      break;
    case 3:
      face.Colour = "orange";
      break;
    default:
      face.Colour = "?";
  }
  return face;
}
