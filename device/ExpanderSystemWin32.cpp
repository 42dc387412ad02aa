// The expander connection over the real SetupAPI, HID and kernel calls.
#include <windows.h>

#include "device/ExpanderPlatform.h"

namespace {

class SystemPlatform final : public ExpanderPlatform {
public:
  void HidGetHidGuid(GUID* guid) override { ::HidD_GetHidGuid(guid); }
  HDEVINFO GetClassDevs(const GUID* guid, DWORD flags) override {
    return ::SetupDiGetClassDevsA(guid, nullptr, nullptr, flags);
  }
  BOOL EnumDeviceInterfaces(HDEVINFO devs, const GUID* guid, DWORD index,
                            SP_DEVICE_INTERFACE_DATA* interfaceData) override {
    return ::SetupDiEnumDeviceInterfaces(devs, nullptr, guid, index, interfaceData);
  }
  BOOL GetDeviceInterfaceDetail(HDEVINFO devs, SP_DEVICE_INTERFACE_DATA* interfaceData,
                                SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail, DWORD detailSize, DWORD* requiredSize,
                                SP_DEVINFO_DATA* info) override {
    return ::SetupDiGetDeviceInterfaceDetailA(devs, interfaceData, detail, detailSize, requiredSize, info);
  }
  BOOL GetDeviceRegistryProperty(HDEVINFO devs, SP_DEVINFO_DATA* info, DWORD property, DWORD* type, BYTE* buffer,
                                 DWORD size, DWORD* requiredSize) override {
    return ::SetupDiGetDeviceRegistryPropertyA(devs, info, property, type, buffer, size, requiredSize);
  }
  BOOL SetDeviceRegistryProperty(HDEVINFO devs, SP_DEVINFO_DATA* info, DWORD property, const BYTE* buffer,
                                 DWORD size) override {
    return ::SetupDiSetDeviceRegistryPropertyA(devs, info, property, buffer, size);
  }
  BOOL DestroyDeviceInfoList(HDEVINFO devs) override { return ::SetupDiDestroyDeviceInfoList(devs); }
  BOOL HidGetAttributes(HANDLE device, HIDD_ATTRIBUTES* attributes) override {
    return ::HidD_GetAttributes(device, attributes) ? TRUE : FALSE;
  }

  HANDLE OpenPath(const char* path, DWORD access, DWORD share, DWORD disposition, DWORD flags) override {
    return ::CreateFileA(path, access, share, nullptr, disposition, flags, nullptr);
  }
  HANDLE CreateManualEvent() override { return ::CreateEventA(nullptr, TRUE, FALSE, nullptr); }
  BOOL SetEvent(HANDLE event) override { return ::SetEvent(event); }
  BOOL WriteFile(HANDLE device, const void* buffer, DWORD size, OVERLAPPED* overlapped) override {
    return ::WriteFile(device, buffer, size, nullptr, overlapped);
  }
  DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) override {
    return ::WaitForSingleObject(object, milliseconds);
  }
  BOOL GetOverlappedResult(HANDLE device, OVERLAPPED* overlapped, DWORD* transferred, BOOL wait) override {
    return ::GetOverlappedResult(device, overlapped, transferred, wait);
  }
  BOOL CancelIoEx(HANDLE device, OVERLAPPED* overlapped) override { return ::CancelIoEx(device, overlapped); }
  BOOL CloseHandle(HANDLE object) override { return ::CloseHandle(object); }
  DWORD GetLastError() override { return ::GetLastError(); }

  CString LoadText(UINT id) override {
    char buffer[256] = {};
    const int length = ::LoadStringA(::GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
    return length > 0 ? CString(buffer, static_cast<size_t>(length)) : CString();
  }
};

}  // namespace

ExpanderPlatform& SystemExpanderPlatform() {
  static SystemPlatform platform;
  return platform;
}
