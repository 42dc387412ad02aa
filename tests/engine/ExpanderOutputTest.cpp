#include <gtest/gtest.h>

#include <string>

#include "device/ExpanderOutput.h"
#include "support/CounterHarness.h"
#include "support/SimulatedExpander.h"

namespace {

std::string Bytes(const ExpanderReport& report) {
  std::string text;
  char part[4];
  for (BYTE b : report) {
    std::snprintf(part, sizeof part, "%02X ", b);
    text += part;
  }
  text.pop_back();
  return text;
}

// A counter with its display, the simulated list holding Wine's two devices
// and the unit, and a connection record of its own in force.
class Expander : public ::testing::Test {
protected:
  void SetUp() override {
    Previous = AfxGetExpander();
    AfxSetExpander(&Output);
    Sim.AddWineDevices();
    Unit = Sim.AddUnit();
  }
  void TearDown() override { AfxSetExpander(Previous); }

  // What the operator's Start or ticking "Output to Expander" does.
  void Drive(CCounter& counter) {
    counter.DriveHardware = true;
    Output.Attach(&counter);
    counter.UpdateHardware();
  }
  void Step(CCounter& counter, DWORD ms) {
    H.Clock.Advance(ms);
    counter.Tick();
  }
  UnitFace Face() const { return DecodeReport(Sim.Shown.back()); }

  SimulatedExpander Sim;
  CounterHarness H;
  ExpanderOutput Output;
  ExpanderOutput* Previous = nullptr;
  size_t Unit = 0;
};

TEST(ExpanderReportBytes, GroupsCarryUnitsHighAndTensLow) {
  EXPECT_EQ(ExpanderGroupByte(12), 0x21);
  EXPECT_EQ(ExpanderGroupByte(5), 0x50);
  EXPECT_EQ(ExpanderGroupByte(59), 0x95);
  EXPECT_EQ(ExpanderGroupByte(0), 0x00);
  EXPECT_EQ(ExpanderGroupByte(99), 0x99);
}

TEST(ExpanderReportBytes, ColourCodesFollowTheColourState) {
  EXPECT_EQ(ColourCodeOf(Normal), 1);
  EXPECT_EQ(ColourCodeOf(Orange), 3);
  EXPECT_EQ(ColourCodeOf(Red), 2);
  EXPECT_EQ(ColourCodeOf(Blank), 0);
}

TEST(ExpanderReportBytes, OnlyTheFiveCharacterLayoutIsRead) {
  int left = -1, right = -1;
  EXPECT_TRUE(ParseDeviceText("62:05", left, right));
  EXPECT_EQ(left, 62);
  EXPECT_EQ(right, 5);
  for (const char* odd : {"100:00", "", "1:05", "12345", "ab:cd", "-0:05"}) {
    EXPECT_FALSE(ParseDeviceText(odd, left, right)) << odd;
    EXPECT_EQ(left, 0);
    EXPECT_EQ(right, 0);
  }
}

struct ReportExample {
  CounterType Type;
  DisplayFormat Format;
  int Total, Elapsed, Orange, RedAt;
  const char* Bytes;
  const char* Shows;
  const char* Colour;
};

void PrintTo(const ReportExample& e, std::ostream* os) { *os << e.Shows; }

class ReportOfCounter : public Expander, public ::testing::WithParamInterface<ReportExample> {};

TEST_P(ReportOfCounter, BytesAndWhatTheUnitShows) {
  const ReportExample& e = GetParam();
  H.Counter.Start(e.Total, e.Type, e.Format, e.Orange, e.RedAt);
  H.Counter.Elapsed = CTimeSpan(e.Elapsed);
  Drive(H.Counter);
  ASSERT_EQ(Sim.Shown.size(), 1u);
  EXPECT_EQ(Bytes(Sim.Shown.back()), e.Bytes);
  EXPECT_TRUE(Face().WellFormed);
  EXPECT_EQ(Face().Digits, e.Shows);
  EXPECT_EQ(Face().Colour, e.Colour);
  EXPECT_EQ(Sim.Faults, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReportOfCounter,
    ::testing::Values(
        ReportExample{DownToZero, Auto, 70, 0, 30, 10, "00 03 10 01 01 00 00 00 00", "01:10", "normal"},
        ReportExample{DownToZero, Auto, 70, 41, 30, 10, "00 03 00 92 03 00 00 00 00", "00:29", "orange"},
        ReportExample{DownToZero, Auto, 70, 61, 30, 10, "00 03 00 90 02 00 00 00 00", "00:09", "red"},
        ReportExample{DownPastZero, Auto, 10, 15, 5, 3, "00 03 0A 50 02 00 00 00 00", "-0:05", "red"},
        ReportExample{DownPastZero, Auto, 0, 3700, 0, 0, "00 03 1A 10 02 00 00 00 00", "-1:01", "red"},
        ReportExample{DownToZero, Auto, 3725, 0, 300, 60, "00 03 10 20 01 00 00 00 00", "01:02", "normal"},
        // Device texts that would need three digits: the largest time the
        // unit shows, from 100 minutes on in MM:SS and 100 hours in HH:MM.
        ReportExample{CountUp, MinSec, 0, 5999, 0, 0, "00 03 99 95 02 00 00 00 00", "99:59", "red"},
        ReportExample{CountUp, MinSec, 0, 6000, 0, 0, "00 03 99 95 02 00 00 00 00", "99:59", "red"},
        ReportExample{DownToZero, MinSec, 7200, 0, 0, 0, "00 03 99 95 01 00 00 00 00", "99:59", "normal"},
        ReportExample{CountUp, MinSec, 0, 100 * 3600 + 60, 0, 0, "00 03 99 95 02 00 00 00 00", "99:59", "red"},
        ReportExample{DownToZero, HourMin, 100 * 3600, 0, 0, 0, "00 03 99 95 01 00 00 00 00", "99:59", "normal"},
        ReportExample{DownToZero, HourMin, 99 * 3600 + 59 * 60, 0, 0, 0, "00 03 99 95 01 00 00 00 00", "99:59",
                      "normal"},
        ReportExample{DownToZero, Auto, 250 * 3600, 0, 0, 0, "00 03 99 95 01 00 00 00 00", "99:59", "normal"},
        ReportExample{DownPastZero, MinSec, 0, 6000, 0, 0, "00 03 99 95 02 00 00 00 00", "99:59", "red"},
        ReportExample{DownPastZero, HourMin, 0, 100 * 3600, 0, 0, "00 03 99 95 02 00 00 00 00", "99:59", "red"}));

TEST_F(Expander, NegativeMinutesShowTheSignOnlyBelowTenMinutes) {
  for (int below : {1, 59, 60, 301, 599}) {
    H.Counter.Start(0, DownPastZero, MinSec, 0, 0);
    H.Counter.Elapsed = CTimeSpan(below);
    Drive(H.Counter);
    char expected[32];
    std::snprintf(expected, sizeof expected, "-%d:%02d", below / 60, below % 60);
    EXPECT_EQ(Face().Digits, expected);
  }
  for (int below : {600, 601, 3599}) {
    H.Counter.Start(0, DownPastZero, MinSec, 0, 0);
    H.Counter.Elapsed = CTimeSpan(below);
    Drive(H.Counter);
    char expected[32];
    std::snprintf(expected, sizeof expected, "%02d:%02d", below / 60, below % 60);
    EXPECT_EQ(Face().Digits, expected) << "no sign from ten minutes on";
  }
}

TEST_F(Expander, EachCountedSecondOfTheOwnerReachesTheUnit) {
  H.Counter.Start(70, DownToZero, Auto, 30, 10);
  Drive(H.Counter);
  for (int i = 0; i < 34; ++i) Step(H.Counter, 30);
  ASSERT_EQ(Sim.Shown.size(), 2u);
  EXPECT_EQ(DecodeReport(Sim.Shown[0]).Digits, "01:10");
  EXPECT_EQ(Face().Digits, "01:09");
}

TEST_F(Expander, OnlyTheCounterAttachedLastDrivesTheUnit) {
  CCounter second(2);
  second.CreateDisplay();
  H.Counter.Start(70, DownToZero, Auto, 30, 10);
  second.Start(600, CountUp, Auto, 0, 0);
  Drive(H.Counter);
  Drive(second);
  ASSERT_EQ(Sim.Shown.size(), 2u);
  EXPECT_EQ(Face().Digits, "00:00");
  EXPECT_EQ(Output.Owner, &second);

  Sim.Shown.clear();
  for (int i = 0; i < 100; ++i) {
    H.Clock.Advance(30);
    H.Counter.Tick();
    second.Tick();
  }
  // Three seconds counted by each, reported only by the owner.
  ASSERT_EQ(Sim.Shown.size(), 3u);
  EXPECT_EQ(Face().Digits, "00:03");
  EXPECT_EQ(H.Text(), "01:07");
  // One unit handle at a time: the first owner's was closed.
  EXPECT_EQ(Sim.UnitOpens, 2);
  EXPECT_EQ(Sim.LiveHandles(), 1);
  second.UpdateHardware();
  H.Counter.UpdateHardware();
  EXPECT_EQ(Sim.Shown.size(), 4u);
}

TEST_F(Expander, UntickStopsTheOwnerAndRetickReopensAndSendsAtOnce) {
  H.Counter.Start(70, DownToZero, Auto, 30, 10);
  Drive(H.Counter);
  H.Counter.DriveHardware = false;  // the box unticked
  H.RunFor(3000);
  EXPECT_EQ(Sim.Shown.size(), 1u);
  EXPECT_EQ(Output.Owner, &H.Counter);
  EXPECT_TRUE(Output.IsOpen());

  Drive(H.Counter);  // ticked again
  EXPECT_EQ(Sim.UnitOpens, 2);
  EXPECT_EQ(Sim.LiveHandles(), 1);
  ASSERT_EQ(Sim.Shown.size(), 2u);
  EXPECT_EQ(Face().Digits, "01:07");
}

TEST_F(Expander, PauseWithoutDisplayingTimeSendsTheTimeDark) {
  H.Counter.Start(70, DownToZero, Auto, 30, 10);
  H.Counter.Elapsed = CTimeSpan(41);
  H.Counter.Paused = true;
  Drive(H.Counter);
  EXPECT_EQ(Face().Digits, "00:29");
  EXPECT_EQ(Face().Colour, "dark");
  H.Counter.DisplayDuringPause = true;
  H.Counter.UpdateHardware();
  EXPECT_EQ(Face().Digits, "00:29");
  EXPECT_EQ(Face().Colour, "orange");
}

TEST_F(Expander, FlashingOwnerAlternatesItsColourWithDark) {
  H.Counter.Start(600, DownToZero, Auto, 0, 0);
  H.Counter.Flashing = true;
  Drive(H.Counter);
  Sim.Shown.clear();
  for (int tick = 0; tick < 59; ++tick) Step(H.Counter, 30);  // six phases: 0, 300, ... 1500 ms
  ASSERT_GE(Sim.Shown.size(), 6u);
  // The counted second in between repeats the phase's colour.
  std::string colours;
  for (const ExpanderReport& report : Sim.Shown) {
    const char colour = DecodeReport(report).Colour[0];
    if (colours.empty() || colours.back() != colour) colours += colour;
  }
  EXPECT_EQ(colours, "ndndnd");
  EXPECT_EQ(Face().Digits, "09:59");
}

// ---- discovery ---------------------------------------------------------------

TEST_F(Expander, FindsTheUnitPastWineDevicesAndGivesItTheProgramsName) {
  const HANDLE unit = OpenExpander();
  ASSERT_NE(unit, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Sim.UnitOpens, 1) << "only the unit is opened for writing";
  EXPECT_EQ(Sim.LastUnitShare, 0u);
  EXPECT_EQ(Sim.LastUnitFlags, static_cast<DWORD>(FILE_FLAG_OVERLAPPED));
  EXPECT_EQ(Sim.List[Unit].FriendlyName, "Halvorn Industries Velto Interface");
  EXPECT_EQ(Sim.FriendlyNameSets, 1);
  EXPECT_EQ(Sim.ListsOpen, 0);
  EXPECT_EQ(Sim.LiveHandles(), 1) << "every probe handle closed";
  Sim.CloseHandle(unit);
  EXPECT_EQ(Sim.Faults, 0);
}

TEST_F(Expander, KeepsAFriendlyNameThatIsAlreadyRight) {
  Sim.List[Unit].HasFriendlyName = true;
  Sim.List[Unit].FriendlyName = "Halvorn Industries Velto Interface";  // stored without its terminator
  Output.Attach(&H.Counter);
  EXPECT_TRUE(Output.IsOpen());
  EXPECT_EQ(Sim.FriendlyNameSets, 0);
}

TEST_F(Expander, ReplacesAForeignOrOverlongFriendlyName) {
  Sim.List[Unit].HasFriendlyName = true;
  Sim.List[Unit].FriendlyName = "USB Input Device";
  Output.Attach(&H.Counter);
  EXPECT_EQ(Sim.List[Unit].FriendlyName, "Halvorn Industries Velto Interface");
  Sim.List[Unit].FriendlyName = std::string(400, 'x');
  Output.Attach(&H.Counter);
  EXPECT_EQ(Sim.List[Unit].FriendlyName, "Halvorn Industries Velto Interface");
  EXPECT_EQ(Sim.FriendlyNameSets, 2);
  EXPECT_EQ(Sim.Faults, 0);
}

TEST_F(Expander, WineDevicesAloneMeanNoUnit) {
  Sim.List.pop_back();
  EXPECT_EQ(OpenExpander(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(Sim.ListsOpen, 0);
  EXPECT_EQ(Sim.ListsCreated, 1);
  EXPECT_EQ(Sim.LiveHandles(), 0);
  EXPECT_EQ(Sim.FriendlyNameSets, 0) << "nobody else's device is renamed";
  Sim.ListFails = true;
  EXPECT_EQ(OpenExpander(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(Sim.Faults, 0);
}

TEST_F(Expander, InterfacesThatCannotBeReadAreSkippedNotTheEndOfTheSearch) {
  Sim.List.clear();
  SimulatedExpander::Interface broken;
  broken.VendorId = ExpanderVendorId;
  broken.ProductId = ExpanderProductId;
  broken.Path = "\\\\?\\hid#no_detail";
  broken.DetailFails = true;
  Sim.Add(broken);
  broken.Path = "\\\\?\\hid#in_use";
  broken.DetailFails = false;
  broken.Opens = false;
  Sim.Add(broken);
  broken.Path = "\\\\?\\hid#no_attributes";
  broken.Opens = true;
  broken.AttributesReadable = false;
  Sim.Add(broken);
  broken.Path = "\\\\?\\hid#other_product";
  broken.AttributesReadable = true;
  broken.ProductId = 0x7001;
  Sim.Add(broken);
  Unit = Sim.AddUnit();
  Output.Attach(&H.Counter);
  EXPECT_TRUE(Output.IsOpen());
  EXPECT_EQ(Sim.FriendlyNameSets, 1);
  EXPECT_EQ(Sim.List[Unit].FriendlyName, "Halvorn Industries Velto Interface");
  EXPECT_EQ(Sim.LiveHandles(), 1);
  EXPECT_EQ(Sim.Faults, 0);
}

TEST_F(Expander, APathLongerThanMaxPathIsFollowedWhole) {
  Sim.List.pop_back();
  Unit =
      Sim.AddUnit("\\\\?\\hid#vid_f8c1&pid_7002#" + std::string(900, 'a') + "#{4d1e55b2-f16f-11cf-88cb-001111000030}");
  CString path;
  SP_DEVINFO_DATA info{};
  GUID guid{};
  Sim.HidGetHidGuid(&guid);
  const HDEVINFO list = Sim.GetClassDevs(&guid, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  EXPECT_EQ(NextHidInterfacePath(list, 2, path, &info), HidInterfaceStep::Found);
  EXPECT_EQ(std::string(path.GetString()), Sim.List[Unit].Path);
  EXPECT_EQ(NextHidInterfacePath(list, 3, path, &info), HidInterfaceStep::End);
  Sim.DestroyDeviceInfoList(list);

  H.Counter.Start(70, DownToZero, Auto, 30, 10);
  Drive(H.Counter);
  EXPECT_EQ(Sim.Shown.size(), 1u);
  EXPECT_EQ(Sim.Faults, 0);
}

// ---- writing -----------------------------------------------------------------

TEST_F(Expander, AWriteDoneAtOnceOrWithinTheWaitLeavesNothingBehind) {
  H.Counter.Start(70, DownToZero, Auto, 30, 10);
  Drive(H.Counter);
  Sim.Mode = SimulatedExpander::Writes::WithinWait;
  H.Counter.UpdateHardware();
  EXPECT_EQ(Sim.Shown.size(), 2u);
  EXPECT_EQ(Sim.BlockedMs, 0u);
  EXPECT_EQ(Sim.LiveEvents(), 0);
  EXPECT_EQ(Output.ParkedWrites(), 0u);
  EXPECT_EQ(Sim.Faults, 0);
}

TEST_F(Expander, AWriteTheUnitDoesNotTakeIsCancelledWithinTheBound) {
  H.Counter.Start(70, DownToZero, Auto, 30, 10);
  Sim.Mode = SimulatedExpander::Writes::CancelledLate;
  Drive(H.Counter);
  EXPECT_TRUE(Sim.Shown.empty());
  EXPECT_GE(Sim.BlockedMs, ExpanderWriteWaitMs);
  EXPECT_LE(Sim.BlockedMs, ExpanderWriteWaitMs + ExpanderCancelWaitMs);
  EXPECT_EQ(Sim.PendingWrites(), 0u);
  EXPECT_EQ(Sim.LiveEvents(), 0);
  EXPECT_EQ(Output.ParkedWrites(), 0u);

  // The handle stays open and the next report goes out normally.
  Sim.Mode = SimulatedExpander::Writes::AtOnce;
  H.RunFor(1000);
  ASSERT_EQ(Sim.Shown.size(), 1u);
  EXPECT_EQ(Face().Digits, "01:09");
  EXPECT_EQ(Sim.Faults, 0);
}

TEST_F(Expander, AWriteCompletingLateKeepsItsBufferUntilTheUnitIsDone) {
  H.Counter.Start(70, DownToZero, Auto, 30, 10);
  Sim.Mode = SimulatedExpander::Writes::IgnoresCancel;
  Drive(H.Counter);
  EXPECT_LE(Sim.BlockedMs, ExpanderWriteWaitMs + ExpanderCancelWaitMs);
  EXPECT_EQ(Output.ParkedWrites(), 1u);
  EXPECT_EQ(Sim.LiveEvents(), 1) << "the event stays open for the device";

  // While the unit holds a report, later ones are dropped without waiting.
  Sim.BlockedMs = 0;
  H.RunFor(3000);
  EXPECT_EQ(Sim.BlockedMs, 0u);
  EXPECT_EQ(Sim.PendingWrites(), 1u);

  // The unit completes: it reads the report from the buffer it was given.
  Sim.CompletePending();
  ASSERT_EQ(Sim.Shown.size(), 1u);
  EXPECT_EQ(Face().Digits, "01:10");
  EXPECT_EQ(Sim.Faults, 0);

  Sim.Mode = SimulatedExpander::Writes::AtOnce;
  H.RunFor(1000);
  EXPECT_EQ(Output.ParkedWrites(), 0u);
  EXPECT_EQ(Sim.LiveEvents(), 0);
  ASSERT_EQ(Sim.Shown.size(), 2u);
  EXPECT_EQ(Face().Digits, "01:06");
}

TEST_F(Expander, AWriteStillHeldWhenTheRecordGoesStaysValid) {
  auto record = std::make_unique<ExpanderOutput>();
  AfxSetExpander(record.get());
  H.Counter.Start(70, DownToZero, Auto, 30, 10);
  Sim.Mode = SimulatedExpander::Writes::IgnoresCancel;
  H.Counter.DriveHardware = true;
  record->Attach(&H.Counter);
  H.Counter.UpdateHardware();
  AfxSetExpander(&Output);
  record.reset();
  Sim.CompletePending();
  EXPECT_EQ(Sim.Shown.size(), 1u);
  EXPECT_EQ(Sim.Faults, 0);
}

TEST_F(Expander, AFailingWriteIsDroppedAndTheNextGoesOut) {
  H.Counter.Start(70, DownToZero, Auto, 30, 10);
  Sim.Mode = SimulatedExpander::Writes::Fail;
  Drive(H.Counter);
  EXPECT_TRUE(Sim.Shown.empty());
  EXPECT_EQ(Sim.BlockedMs, 0u);
  EXPECT_EQ(Sim.LiveEvents(), 0);
  EXPECT_TRUE(Output.IsOpen());
  Sim.Mode = SimulatedExpander::Writes::AtOnce;
  H.RunFor(1000);
  ASSERT_EQ(Sim.Shown.size(), 1u);
  EXPECT_EQ(Face().Digits, "01:09");
  EXPECT_EQ(Sim.Faults, 0);
}

TEST_F(Expander, AUnitUnpluggedWhileDrivingLeavesTheCounterWorking) {
  H.Counter.Start(70, DownToZero, Auto, 30, 10);
  Drive(H.Counter);
  Sim.Unplug(Unit);
  H.RunFor(5000);
  EXPECT_EQ(H.Text(), "01:05");
  EXPECT_EQ(Sim.Shown.size(), 1u);
  EXPECT_EQ(Sim.BlockedMs, 0u);
  EXPECT_EQ(Sim.LiveEvents(), 0);

  // The next attach finds nothing; plugged in again, the one after finds it.
  Drive(H.Counter);
  EXPECT_FALSE(Output.IsOpen());
  H.RunFor(1000);
  EXPECT_EQ(Sim.Shown.size(), 1u);
  Sim.PlugIn(Unit);
  Drive(H.Counter);
  ASSERT_EQ(Sim.Shown.size(), 2u);
  EXPECT_EQ(Face().Digits, "01:04");
  EXPECT_EQ(Sim.Faults, 0);
}

// The platform of the build itself: no unit on the host, Wine's own HID
// devices only under Wine. Output to the expander then changes nothing.
TEST(ExpanderWithoutUnit, AttachFindsNothingAndTheCounterKeepsWorking) {
  CounterHarness h;
  ExpanderOutput output;
  ExpanderOutput* previous = AfxGetExpander();
  AfxSetExpander(&output);
  h.Counter.Start(70, DownToZero, Auto, 30, 10);
  h.Counter.DriveHardware = true;
  output.Attach(&h.Counter);
  h.Counter.UpdateHardware();
  EXPECT_FALSE(output.IsOpen());
  EXPECT_EQ(output.Owner, &h.Counter);
  h.RunFor(2000);
  EXPECT_EQ(h.Text(), "01:08");
  EXPECT_EQ(output.ParkedWrites(), 0u);
  AfxSetExpander(previous);
}

}  // namespace
