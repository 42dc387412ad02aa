// The host has no HID devices: its expander platform answers an empty
// interface list, and every other call fails.
#include "device/ExpanderPlatform.h"

namespace {

class NoDevicePlatform final : public ExpanderPlatform {
public:
  void HidGetHidGuid(GUID* guid) override { *guid = GUID{}; }
  HDEVINFO GetClassDevs(const GUID*, DWORD) override { return INVALID_HANDLE_VALUE; }
  BOOL EnumDeviceInterfaces(HDEVINFO, const GUID*, DWORD, SP_DEVICE_INTERFACE_DATA*) override { return Fail(); }
  BOOL GetDeviceInterfaceDetail(HDEVINFO, SP_DEVICE_INTERFACE_DATA*, SP_DEVICE_INTERFACE_DETAIL_DATA_A*, DWORD, DWORD*,
                                SP_DEVINFO_DATA*) override {
    return Fail();
  }
  BOOL GetDeviceRegistryProperty(HDEVINFO, SP_DEVINFO_DATA*, DWORD, DWORD*, BYTE*, DWORD, DWORD*) override {
    return Fail();
  }
  BOOL SetDeviceRegistryProperty(HDEVINFO, SP_DEVINFO_DATA*, DWORD, const BYTE*, DWORD) override { return Fail(); }
  BOOL DestroyDeviceInfoList(HDEVINFO) override { return Fail(); }
  BOOL HidGetAttributes(HANDLE, HIDD_ATTRIBUTES*) override { return Fail(); }
  HANDLE OpenPath(const char*, DWORD, DWORD, DWORD, DWORD) override {
    Fail();
    return INVALID_HANDLE_VALUE;
  }
  HANDLE CreateManualEvent() override { return nullptr; }
  BOOL SetEvent(HANDLE) override { return Fail(); }
  BOOL WriteFile(HANDLE, const void*, DWORD, OVERLAPPED*) override { return Fail(); }
  DWORD WaitForSingleObject(HANDLE, DWORD) override { return WAIT_TIMEOUT; }
  BOOL GetOverlappedResult(HANDLE, OVERLAPPED*, DWORD*, BOOL) override { return Fail(); }
  BOOL CancelIoEx(HANDLE, OVERLAPPED*) override { return Fail(); }
  BOOL CloseHandle(HANDLE) override { return Fail(); }
  DWORD GetLastError() override { return ERROR_DEVICE_NOT_CONNECTED; }
  CString LoadText(UINT) override { return CString(); }

private:
  static BOOL Fail() { return FALSE; }
};

}  // namespace

ExpanderPlatform& SystemExpanderPlatform() {
  static NoDevicePlatform platform;
  return platform;
}
