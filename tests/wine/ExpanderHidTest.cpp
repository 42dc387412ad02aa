#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "device/ExpanderOutput.h"
#include "support/CounterHarness.h"

namespace {

// Wine's HID list holds its own virtual mouse and keyboard and nothing of
// ours: discovery walks it to the end and finds no unit.
TEST(ExpanderHid, DiscoveryWalksTheRealListAndSkipsForeignDevices) {
  GUID guid{};
  ::HidD_GetHidGuid(&guid);
  const HDEVINFO list = ::SetupDiGetClassDevsA(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  ASSERT_NE(list, INVALID_HANDLE_VALUE);
  std::vector<USHORT> vendors;
  DWORD index = 0;
  for (; index < 256; ++index) {
    CString path;
    SP_DEVINFO_DATA info{};
    const HidInterfaceStep step = NextHidInterfacePath(list, index, path, &info);
    if (step == HidInterfaceStep::End) break;
    if (step != HidInterfaceStep::Found) continue;
    EXPECT_FALSE(path.IsEmpty());
    EXPECT_EQ(info.cbSize, sizeof info);
    const HANDLE probe =
        ::CreateFileA(path.GetString(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe == INVALID_HANDLE_VALUE) continue;
    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof attributes;
    if (::HidD_GetAttributes(probe, &attributes)) vendors.push_back(attributes.VendorID);
    ::CloseHandle(probe);
  }
  ::SetupDiDestroyDeviceInfoList(list);
  EXPECT_LT(index, 256u) << "the list ends";
  for (USHORT vendor : vendors) EXPECT_NE(vendor, ExpanderVendorId);
  EXPECT_EQ(OpenExpander(), INVALID_HANDLE_VALUE);
}

// "Output to Expander" with the real system calls and no unit: the record
// takes the owner, opens nothing, and the counter keeps counting.
TEST(ExpanderHid, OutputToExpanderWithoutAUnitLeavesEverythingWorking) {
  CounterHarness h;
  ASSERT_NE(AfxGetExpander(), nullptr) << "the application's record";
  ExpanderOutput& expander = *AfxGetExpander();
  h.Counter.Start(70, DownToZero, Auto, 30, 10);
  h.Counter.DriveHardware = true;
  const DWORD before = ::GetTickCount();
  expander.Attach(&h.Counter);
  h.Counter.UpdateHardware();
  EXPECT_FALSE(expander.IsOpen());
  EXPECT_EQ(expander.Owner, &h.Counter);
  h.RunFor(3000);
  EXPECT_EQ(h.Text(), "01:07");
  EXPECT_LT(::GetTickCount() - before, 5000u);
  expander.Close();
  expander.Owner = nullptr;
}

// The real overlapped write against a pipe that nobody reads: the write stays
// pending, Send withdraws it and returns; the record stays usable.
TEST(ExpanderHid, APendingRealWriteIsWithdrawnAndTheCallerReturns) {
  char name[64];
  wsprintfA(name, "\\\\.\\pipe\\velto-expander-%lu", ::GetCurrentProcessId());
  const HANDLE server = ::CreateNamedPipeA(name, PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED, PIPE_TYPE_BYTE | PIPE_WAIT,
                                           1, 0, 0, 0, nullptr);
  ASSERT_NE(server, INVALID_HANDLE_VALUE);
  const HANDLE client = ::CreateFileA(name, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  ASSERT_NE(client, INVALID_HANDLE_VALUE);

  ExpanderOutput output;
  output.Handle = client;
  const DWORD before = ::GetTickCount();
  output.Send();
  output.Send();
  const DWORD spent = ::GetTickCount() - before;
  // Each report holds the caller for its bound at most.
  EXPECT_GE(spent, ExpanderWriteWaitMs) << "the write was really pending";
  EXPECT_LT(spent, 2 * (ExpanderWriteWaitMs + ExpanderCancelWaitMs) + 500);
  // The withdrawals completed: nothing is left for the device, nothing arrived.
  EXPECT_EQ(output.ParkedWrites(), 0u);
  DWORD available = 1;
  EXPECT_TRUE(::PeekNamedPipe(server, nullptr, 0, nullptr, &available, nullptr));
  EXPECT_EQ(available, 0u);
  output.Close();
  EXPECT_FALSE(output.IsOpen());
  ::CloseHandle(server);
}

}  // namespace
