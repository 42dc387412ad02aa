// velto_soak: runs the real program in this process (its start-up, control
// sheet, pages, display windows, their timers and its message loop) on a
// private registry, and drives it through the operator's controls. Living
// in the same process lets it read every counter's counted seconds and the
// process's own resource counts while the program runs.
//
//   velto_soak [--seconds S] [--rebuild-every S] [--hold-s S]   the soak (8 counters)
//   velto_soak --bench N [--no-ticker] [--latency] [--seconds S]

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/VeltoApp.h"
#include "counter/Counter.h"
#include "display/FrameClock.h"
#include "framework/WinApp.h"
#include "support/ScratchRegistry.h"
#include "tools/soak/SoakClock.h"
#include "tools/soak/SoakDriver.h"

namespace {

// The displays' clock woken the simple way, for comparison: a thread timer
// alone, with its 10 ms floor, dispatched as a message in turn with the rest.
class WindowTimerWakes final : public WakeTimer {
public:
  void Set(DWORD delayMs) override { Id = ::SetTimer(nullptr, Id, delayMs, &WindowTimerWakes::OnTimer); }
  void Cancel() override {
    if (Id) ::KillTimer(nullptr, Id);
    Id = 0;
  }

private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) { CFrameClock::Instance().Wake(); }
  UINT_PTR Id = 0;
};

void Usage() {
  std::fprintf(stderr,
               "usage: velto_soak [--seconds S] [--rebuild-every S] [--settle S] [--stall-ms MS] [--hold-s S]\n"
               "                  [--handle-tolerance N] [--memory-tolerance-kib N]\n"
               "       velto_soak --bench N [--seconds S] [--no-ticker] [--latency] [--screen WxH]\n"
               "                  [--window-timer] [--typing] [--http PORT --key KEY] [--report-every S]\n"
               "                  [--frame-log FILE]\n");
}

bool ParseOptions(int argc, char** argv, SoakOptions& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    auto number = [&]() { return std::atof(argv[++i]); };
    if (arg == "--seconds" && hasValue) {
      options.Seconds = number();
    } else if (arg == "--rebuild-every" && hasValue) {
      options.RebuildEvery = number();
    } else if (arg == "--settle" && hasValue) {
      options.Settle = number();
    } else if (arg == "--stall-ms" && hasValue) {
      options.StallMs = static_cast<int>(number());
    } else if (arg == "--hold-s" && hasValue) {
      options.HoldSeconds = number();
    } else if (arg == "--handle-tolerance" && hasValue) {
      options.HandleTolerance = static_cast<long>(number());
    } else if (arg == "--memory-tolerance-kib" && hasValue) {
      options.MemoryToleranceKiB = static_cast<long>(number());
    } else if (arg == "--bench" && hasValue) {
      options.Bench = true;
      options.BenchCounters = static_cast<int>(number());
    } else if (arg == "--no-ticker") {
      options.Ticker = false;
    } else if (arg == "--latency") {
      options.Latency = true;
    } else if (arg == "--typing") {
      options.Typing = true;
    } else if (arg == "--window-timer") {
      options.WindowTimer = true;
    } else if (arg == "--screen" && hasValue) {
      if (std::sscanf(argv[++i], "%dx%d", &options.ScreenWidth, &options.ScreenHeight) != 2) return false;
    } else if (arg == "--http" && hasValue) {
      options.HttpPort = static_cast<int>(number());
    } else if (arg == "--key" && hasValue) {
      options.Key = argv[++i];
    } else if (arg == "--report-every" && hasValue) {
      options.ReportEvery = number();
    } else if (arg == "--frame-log" && hasValue) {
      options.FrameLog = argv[++i];
    } else if (arg == "--tag" && hasValue) {
      ++i;  // only marks the process for the benchmark script
    } else {
      return false;
    }
  }
  if (options.Seconds <= 0 || options.HoldSeconds < 0 || options.HoldSeconds > 86400 ||
      options.RebuildEvery <= options.Settle + 1 || options.BenchCounters < 1 || options.BenchCounters > 30 ||
      options.HttpPort < 0 || options.HttpPort > 65535 || (options.HttpPort > 0 && options.Key.empty()) ||
      options.ReportEvery < 0)
    return false;
  return true;
}

void Seed(CVeltoApp& app, const std::vector<CounterPlan>& plans) {
  std::string list;
  for (std::size_t i = 0; i < plans.size(); ++i) {
    const CounterPlan& plan = plans[i];
    const int number = static_cast<int>(i) + 1;
    if (!list.empty()) list += ",";
    list += std::to_string(number);
    const CString section = CounterSectionName(number);
    app.WriteProfileString(section, "Name", plan.Name.c_str());
    app.WriteProfileInt(section, "Type", plan.Type);
    app.WriteProfileInt(section, "Format", plan.Format);
    app.WriteProfileInt(section, "TotalTime", plan.TotalTime);
    app.WriteProfileInt(section, "OrangeTime", plan.OrangeTime);
    app.WriteProfileInt(section, "RedTime", plan.RedTime);
    app.WriteProfileInt(section, "Continuous", plan.Continuous ? 1 : 0);
    app.WriteProfileInt(section, "DisplayDuringPause", plan.DisplayDuringPause ? 1 : 0);
    app.WriteProfileInt(section, "Transparent", plan.Transparent ? 1 : 0);
    app.WriteProfileInt(section, "HideOthers", 0);
    app.WriteProfileInt(section, "TickerSize", plan.TickerSize);
    app.WriteProfileString(section, "Ticker", plan.Ticker.c_str());
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    placement.showCmd = SW_SHOWNORMAL;
    placement.ptMinPosition = {-1, -1};
    placement.ptMaxPosition = {-1, -1};
    placement.rcNormalPosition = {plan.Left, plan.Top, plan.Right, plan.Bottom};
    app.WriteProfileBinary(section, "WindowPlacement", reinterpret_cast<const BYTE*>(&placement), sizeof placement);
  }
  app.WriteProfileString("Settings", "Counters", list.c_str());
}

// Remote control on, as its page would store it: HTTP on this computer only.
void SeedRemote(CVeltoApp& app, const SoakOptions& options) {
  if (options.HttpPort <= 0) return;
  app.WriteProfileInt("Remote", "Http", 1);
  app.WriteProfileInt("Remote", "HttpPort", options.HttpPort);
  app.WriteProfileInt("Remote", "Network", 0);
  app.WriteProfileString("Remote", "ControlKey", options.Key.c_str());
}

}  // namespace

std::vector<CounterPlan> SoakCounters() {
  auto plan = [](const char* name, int type, int format, int total, int orange, int red, const char* ticker) {
    CounterPlan p;
    p.Name = name;
    p.Type = type;
    p.Format = format;
    p.TotalTime = total;
    p.OrangeTime = orange;
    p.RedTime = red;
    p.Ticker = ticker;
    return p;
  };
  std::vector<CounterPlan> plans;
  plans.push_back(plan("Up", CountUp, MinSec, 600, 60, 30, "Welcome to the main hall"));
  plans.back().Flash = true;
  plans.back().Repeater = true;
  plans.push_back(plan("Overrun", DownPastZero, Auto, 20, 10, 5, "Please wrap up"));
  plans.push_back(plan("Session", DownToZero, HourMin, 36000, 600, 300, "Day two: keynote, panels, awards"));
  plans.back().Flash = true;
  plans.push_back(plan("Loop", DownToZero, MinSec, 9, 4, 2, "Changeover"));
  plans.back().Continuous = true;
  plans.back().Repeater = true;
  plans.push_back(plan("Clock24", RealTime24, Auto, 0, 0, 0, "Doors close at 18:00"));
  plans.push_back(plan("Clock12", RealTime12, Auto, 0, 0, 0, "Lunch is served in the foyer"));
  plans.back().Flash = true;
  plans.back().TickerSize = 2;
  plans.push_back(plan("Break", CountUp, HourMin, 900, 120, 60, "Break: back in fifteen minutes"));
  plans.back().PauseCycle = true;
  plans.back().DisplayDuringPause = true;
  plans.back().TickerSize = 1;
  plans.push_back(plan("Q&A", DownPastZero, MinSec, 90, 30, 10, "Questions from the floor"));
  plans.back().Transparent = true;
  plans.push_back(plan("Zero", DownToZero, MinSec, 4, 2, 1, "Stage reset"));
  plans.back().RestartAtZero = true;
  // Four to a row above the docked control sheet.
  for (std::size_t i = 0; i < plans.size(); ++i) {
    const int column = static_cast<int>(i % 4), row = static_cast<int>(i / 4);
    plans[i].Left = column * 480;
    plans[i].Top = row * 210;
    plans[i].Right = plans[i].Left + 470;
    plans[i].Bottom = plans[i].Top + 200;
  }
  return plans;
}

std::vector<CounterPlan> BenchCounters(const SoakOptions& options) {
  std::vector<CounterPlan> plans;
  for (int i = 0; i < options.BenchCounters; ++i) {
    CounterPlan plan;
    plan.Name = "Bench" + std::to_string(i + 1);
    plan.Type = CountUp;
    plan.Format = MinSec;
    plan.TotalTime = 3600;
    plan.OrangeTime = 60;
    plan.RedTime = 30;
    if (options.Ticker) plan.Ticker = "The next session starts in the main hall right after the break";
    plan.Right = options.ScreenWidth;
    plan.Bottom = options.ScreenHeight;
    plans.push_back(plan);
  }
  return plans;
}

int main(int argc, char** argv) {
  SoakOptions options;
  if (!ParseOptions(argc, argv, options)) {
    Usage();
    return 2;
  }
  const std::vector<CounterPlan> plans = options.Bench ? BenchCounters(options) : SoakCounters();

  // The soak's clocks are in force before the first counter reads them.
  SoakClock clock;
  if (!options.Bench) AfxSetClock(&clock);

  // The user's own settings stay untouched.
  ScratchRegistry registry;
  CVeltoApp app;
  app.m_pszAppName = "Velto";
  app.m_hInstance = ::GetModuleHandleA(nullptr);
  app.SetRegistryKey("Halvorn Industries");
  ScratchRegistry::Clear();
  Seed(app, plans);
  SeedRemote(app, options);

  if (!app.InitInstance()) {
    std::printf("soak: the program did not start\n");
    return 1;
  }
  WindowTimerWakes windowTimer;
  if (options.WindowTimer) {
    AfxSetLoopWaitable(nullptr, nullptr);
    CFrameClock::Instance().SetWakeTimer(&windowTimer);
  }
  int result = 0;
  {
    SoakDriver driver(options, plans, options.Bench ? nullptr : &clock);
    driver.Begin();
    app.Run();
    result = driver.Finish();
  }
  AfxSetClock(nullptr);
  if (options.WindowTimer) CFrameClock::Instance().SetWakeTimer(nullptr);
  return result;
}
