#pragma once

// The system calls the expander connection is made of: the HID interface
// list (SetupAPI), opening an interface and reading its ids (kernel, HID),
// its friendly name, and one overlapped write with its event. The product
// goes straight to Windows; tests put a simulated device list and unit in
// its place, so that discovery and the bounded write are the product's own
// code under test.
#include "framework/Platform.h"
#include "framework/String.h"

#ifdef _WIN32
#include <setupapi.h>
// hidsdi.h declares its functions without extern "C".
extern "C" {
#include <hidsdi.h>
}
#else
// Layout-compatible stand-ins of the SetupAPI, HID and overlapped-I/O records
// for the host build.
#include <cstddef>

typedef unsigned long ULONG;
typedef unsigned short USHORT;
typedef uintptr_t ULONG_PTR;
typedef void* HDEVINFO;

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};

struct SP_DEVINFO_DATA {
  DWORD cbSize;
  GUID ClassGuid;
  DWORD DevInst;
  ULONG_PTR Reserved;
};

struct SP_DEVICE_INTERFACE_DATA {
  DWORD cbSize;
  GUID InterfaceClassGuid;
  DWORD Flags;
  ULONG_PTR Reserved;
};

struct SP_DEVICE_INTERFACE_DETAIL_DATA_A {
  DWORD cbSize;
  CHAR DevicePath[1];
};

struct HIDD_ATTRIBUTES {
  ULONG Size;
  USHORT VendorID;
  USHORT ProductID;
  USHORT VersionNumber;
};

struct OVERLAPPED {
  ULONG_PTR Internal;
  ULONG_PTR InternalHigh;
  DWORD Offset;
  DWORD OffsetHigh;
  HANDLE hEvent;
};

#define DIGCF_PRESENT 0x00000002
#define DIGCF_DEVICEINTERFACE 0x00000010
#define SPDRP_FRIENDLYNAME 0x0000000C
#define REG_SZ 1
#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define OPEN_EXISTING 3
#define FILE_FLAG_OVERLAPPED 0x40000000
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_TIMEOUT 0x00000102u
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_INVALID_HANDLE 6
#define ERROR_INVALID_DATA 13
#define ERROR_GEN_FAILURE 31
#define ERROR_INSUFFICIENT_BUFFER 122
#define ERROR_NO_MORE_ITEMS 259
#define ERROR_OPERATION_ABORTED 995
#define ERROR_IO_INCOMPLETE 996
#define ERROR_IO_PENDING 997
#define ERROR_DEVICE_NOT_CONNECTED 1167
#define ERROR_NOT_FOUND 1168
#endif

class ExpanderPlatform {
public:
  virtual ~ExpanderPlatform() = default;

  // SetupAPI and HID discovery.
  virtual void HidGetHidGuid(GUID* guid) = 0;
  // INVALID_HANDLE_VALUE when the list cannot be had.
  virtual HDEVINFO GetClassDevs(const GUID* guid, DWORD flags) = 0;
  virtual BOOL EnumDeviceInterfaces(HDEVINFO devs, const GUID* guid, DWORD index,
                                    SP_DEVICE_INTERFACE_DATA* interfaceData) = 0;
  virtual BOOL GetDeviceInterfaceDetail(HDEVINFO devs, SP_DEVICE_INTERFACE_DATA* interfaceData,
                                        SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail, DWORD detailSize,
                                        DWORD* requiredSize, SP_DEVINFO_DATA* info) = 0;
  virtual BOOL GetDeviceRegistryProperty(HDEVINFO devs, SP_DEVINFO_DATA* info, DWORD property, DWORD* type,
                                         BYTE* buffer, DWORD size, DWORD* requiredSize) = 0;
  virtual BOOL SetDeviceRegistryProperty(HDEVINFO devs, SP_DEVINFO_DATA* info, DWORD property, const BYTE* buffer,
                                         DWORD size) = 0;
  virtual BOOL DestroyDeviceInfoList(HDEVINFO devs) = 0;
  virtual BOOL HidGetAttributes(HANDLE device, HIDD_ATTRIBUTES* attributes) = 0;

  // Kernel objects and overlapped I/O. OpenPath is CreateFileA with no
  // security attributes and no template.
  virtual HANDLE OpenPath(const char* path, DWORD access, DWORD share, DWORD disposition, DWORD flags) = 0;
  // A manual-reset event, not signalled; nullptr on failure.
  virtual HANDLE CreateManualEvent() = 0;
  virtual BOOL SetEvent(HANDLE event) = 0;
  virtual BOOL WriteFile(HANDLE device, const void* buffer, DWORD size, OVERLAPPED* overlapped) = 0;
  virtual DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) = 0;
  virtual BOOL GetOverlappedResult(HANDLE device, OVERLAPPED* overlapped, DWORD* transferred, BOOL wait) = 0;
  virtual BOOL CancelIoEx(HANDLE device, OVERLAPPED* overlapped) = 0;
  virtual BOOL CloseHandle(HANDLE object) = 0;
  virtual DWORD GetLastError() = 0;

  // A string of the program's string table.
  virtual CString LoadText(UINT id) = 0;
};

// The platform in force: the one a test installed, otherwise the system's
// (on the host build, a system with no HID devices at all).
ExpanderPlatform& AfxGetExpanderPlatform();
// Installs a platform for tests; nullptr goes back to the system's.
void AfxSetExpanderPlatform(ExpanderPlatform* platform);
// The system's platform, defined per build.
ExpanderPlatform& SystemExpanderPlatform();
