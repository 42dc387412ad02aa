#include <winsock2.h>
#include <ws2tcpip.h>

#include "remote/RemoteControl.h"

#include <iphlpapi.h>
#include <ntsecapi.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>

#include "app/InstanceMark.h"
#include "app/VeltoApp.h"
#include "app/VeltoSheet.h"
#include "display/FrameClock.h"
#include "framework/Profile.h"
#include "remote/OscServer.h"
#include "remote/WebPages.h"
#include "resources/resource.h"
#include "version.h"

using remote::Action;
using remote::Command;
using remote::CounterView;
using remote::Outcome;

namespace {

constexpr const char* Section = "Remote";
constexpr const char* WindowClass = "Velto Remote";
constexpr UINT DoorbellMessage = WM_APP + 1;
constexpr UINT PublishMessage = WM_APP + 2;
constexpr UINT_PTR RefreshTimer = 1;
// A command line's message to the running Velto.
constexpr ULONG_PTR CommandLineTag = 0x5652434C;
constexpr int AnswerWaitMs = 5000;

std::string Utf8(const CString& text) {
  const int wide = ::MultiByteToWideChar(CP_ACP, 0, text.GetString(), -1, nullptr, 0);
  if (wide <= 1) return "";
  std::wstring buffer(static_cast<size_t>(wide), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.GetString(), -1, &buffer[0], wide);
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, buffer.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(size > 0 ? size : 1), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, buffer.c_str(), -1, &result[0], size, nullptr, nullptr);
  result.resize(result.size() - 1);
  return result;
}

std::string Utf8(const std::wstring& text) {
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(size > 0 ? size : 1), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &result[0], size, nullptr, nullptr);
  result.resize(result.size() - 1);
  return result;
}

CString Ansi(const std::string& text) {
  const int wide = ::MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  if (wide <= 1) return CString("");
  std::wstring buffer(static_cast<size_t>(wide), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &buffer[0], wide);
  const int size = ::WideCharToMultiByte(CP_ACP, 0, buffer.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(size > 0 ? size : 1), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, buffer.c_str(), -1, &result[0], size, nullptr, nullptr);
  return CString(result.c_str());
}

CString CounterName(const CCounter& counter) {
  CProfileStore* profile = AfxGetProfile();
  return profile ? profile->GetProfileString(counter.GetSectionName(), "Name", "Counter") : CString("Counter");
}

std::string HexColour(COLORREF colour) {
  char text[8];
  if (std::snprintf(text, sizeof text, "#%02x%02x%02x", GetRValue(colour), GetGValue(colour), GetBValue(colour)) != 7)
    return "#ffffff";
  return text;
}

CounterView::Look LookOf(const TextStyle& style) {
  return {HexColour(style.Colour), Utf8(CString(style.LogFont.lfFaceName))};
}

CounterView ViewOf(int position, const CCounterPage& page) {
  const CCounter& counter = *page.Counter;
  CounterView view;
  view.Id = position;
  view.Name = Utf8(CounterName(counter));
  static const char* const types[] = {"down", "up", "time24", "time12", "pastzero"};
  const int type = static_cast<int>(counter.Type);
  view.Type = type >= 0 && type < 5 ? types[type] : "down";
  view.Text = counter.Started ? Utf8(counter.GetDisplayText()) : "";
  const int64_t total = counter.TotalTime.GetTotalSeconds();
  const int64_t elapsed = counter.Elapsed.GetTotalSeconds();
  if (IsRealTime(counter.Type))
    view.Seconds = counter.Started ? counter.ShownTime.GetHour() * 3600 + counter.ShownTime.GetMinute() * 60 +
                                         counter.ShownTime.GetSecond()
                                   : 0;
  else if (counter.Type == CountUp)
    view.Seconds = elapsed;
  else
    view.Seconds = counter.Started ? total - elapsed : 0;
  if (!counter.Started)
    view.State = "stopped";
  else if (counter.Paused)
    view.State = "paused";
  else if (!counter.IsRunning())
    view.State = "finished";
  else
    view.State = "running";
  view.Phase = "normal";
  if (counter.Started && !IsRealTime(counter.Type)) {
    if (elapsed > total - counter.RedTime.GetTotalSeconds())
      view.Phase = "danger";
    else if (elapsed > total - counter.OrangeTime.GetTotalSeconds())
      view.Phase = "warning";
  }
  view.Flashing = counter.Flashing;
  view.Ticker = Utf8(counter.Ticker);
  view.Total = remote::FormatTotal(page.NextTotal());
  view.Normal = LookOf(counter.NormalStyle);
  view.Warning = LookOf(counter.OrangeStyle);
  view.Danger = LookOf(counter.RedStyle);
  view.Blank = counter.GetColourState() == Blank;
  view.DisplayDuringPause = counter.DisplayDuringPause;
  view.TickerSize = counter.TickerSize == 2 ? "large" : counter.TickerSize == 1 ? "medium" : "small";
  view.TickerColour = counter.AutoTickerColour ? "" : HexColour(counter.TickerColour);
  return view;
}

// This computer's names and addresses, which a Host header may name.
std::vector<std::string> LocalNames() {
  std::vector<std::string> names;
  for (COMPUTER_NAME_FORMAT format : {ComputerNameDnsHostname, ComputerNameDnsFullyQualified, ComputerNameNetBIOS}) {
    char name[256] = "";
    DWORD size = sizeof name;
    if (::GetComputerNameExA(format, name, &size) && name[0]) names.emplace_back(name);
  }
  char host[256] = "";
  if (::gethostname(host, sizeof host) == 0) {
    names.emplace_back(host);
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host, nullptr, &hints, &found) == 0) {
      for (addrinfo* at = found; at; at = at->ai_next) {
        char text[INET_ADDRSTRLEN] = "";
        const auto* address = reinterpret_cast<const sockaddr_in*>(at->ai_addr);
        if (::inet_ntop(AF_INET, &address->sin_addr, text, sizeof text)) names.emplace_back(text);
      }
      ::freeaddrinfo(found);
    }
  }
  // The name may resolve to loopback only: the network adapters' own
  // addresses as well.
  ULONG size = 16 * 1024;
  std::vector<unsigned char> buffer;
  for (int attempt = 0; attempt < 3; ++attempt) {
    buffer.resize(size);
    auto* adapters = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
    const ULONG result = ::GetAdaptersAddresses(
        AF_INET, GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER, nullptr, adapters, &size);
    if (result == ERROR_BUFFER_OVERFLOW) continue;
    if (result != NO_ERROR) break;
    for (const IP_ADAPTER_ADDRESSES* adapter = adapters; adapter; adapter = adapter->Next) {
      if (adapter->OperStatus != IfOperStatusUp || adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK) continue;
      for (const IP_ADAPTER_UNICAST_ADDRESS* unicast = adapter->FirstUnicastAddress; unicast; unicast = unicast->Next) {
        if (!unicast->Address.lpSockaddr || unicast->Address.lpSockaddr->sa_family != AF_INET) continue;
        char text[INET_ADDRSTRLEN] = "";
        const auto* address = reinterpret_cast<const sockaddr_in*>(unicast->Address.lpSockaddr);
        if (::inet_ntop(AF_INET, &address->sin_addr, text, sizeof text)) names.emplace_back(text);
      }
    }
    break;
  }
  return names;
}

// This computer's address in the network, for the link other devices open:
// a private address first (a venue's own network), else any but loopback.
std::string LanAddress() {
  std::string any;
  for (const std::string& name : LocalNames()) {
    in_addr address{};
    if (::inet_pton(AF_INET, name.c_str(), &address) != 1) continue;
    const unsigned a = address.S_un.S_un_b.s_b1;
    const unsigned b = address.S_un.S_un_b.s_b2;
    if (a == 127 || a == 0) continue;
    if (a == 10 || (a == 172 && b >= 16 && b <= 31) || (a == 192 && b == 168)) return name;
    if (any.empty()) any = name;
  }
  return any;
}

std::vector<std::string> AllowedSenders(const std::string& list) {
  std::vector<std::string> senders;
  std::string entry;
  for (size_t at = 0; at <= list.size(); ++at) {
    if (at == list.size() || list[at] == ',') {
      entry.erase(0, entry.find_first_not_of(' '));
      entry.erase(entry.find_last_not_of(' ') + 1);
      if (!entry.empty()) senders.push_back(entry);
      entry.clear();
    } else {
      entry += list[at];
    }
  }
  return senders;
}

bool IsHexKey(const std::string& key) {
  return key.size() == 32 && std::all_of(key.begin(), key.end(),
                                         [](char ch) { return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f'); });
}

}  // namespace

// ---- settings ------------------------------------------------------------------

std::string NewControlKey() {
  unsigned char bytes[16] = {};
  if (!::RtlGenRandom(bytes, sizeof bytes)) return "";
  static const char digits[] = "0123456789abcdef";
  std::string key;
  for (unsigned char byte : bytes) {
    key += digits[byte >> 4];
    key += digits[byte & 15];
  }
  return key;
}

RemoteSettings RemoteSettings::Load() {
  RemoteSettings settings;
  CProfileStore* profile = AfxGetProfile();
  if (!profile) return settings;
  const auto flag = [&](const char* name, bool& value) {
    const UINT stored = profile->GetProfileInt(Section, name, 0);
    if (stored > 1) settings.FellBack.emplace_back(name);
    value = stored == 1;
  };
  const auto port = [&](const char* name, int& value, int fallback) {
    const UINT stored = profile->GetProfileInt(Section, name, fallback);
    if (stored < 1 || stored > 65535) {
      settings.FellBack.emplace_back(name);
      value = fallback;
    } else {
      value = static_cast<int>(stored);
    }
  };
  flag("Http", settings.Http);
  port("HttpPort", settings.HttpPort, 4780);
  flag("Osc", settings.Osc);
  port("OscPort", settings.OscPort, 4781);
  bool network = false;
  flag("Network", network);
  settings.Network = network ? 1 : 0;
  settings.ControlKey = profile->GetProfileString(Section, "ControlKey", "").Str();
  if (!settings.ControlKey.empty() && !IsHexKey(settings.ControlKey)) {
    settings.FellBack.emplace_back("ControlKey");
    settings.ControlKey.clear();
  }
  settings.OscFeedback = profile->GetProfileString(Section, "OscFeedback", "").Str();
  sockaddr_in unused{};
  if (!settings.OscFeedback.empty() && !ParseHostPort(settings.OscFeedback, unused)) {
    settings.FellBack.emplace_back("OscFeedback");
    settings.OscFeedback.clear();
  }
  settings.OscAllow = profile->GetProfileString(Section, "OscAllow", "").Str();
  return settings;
}

void RemoteSettings::Save() const {
  CProfileStore* profile = AfxGetProfile();
  if (!profile) return;
  profile->WriteProfileInt(Section, "Http", Http ? 1 : 0);
  profile->WriteProfileInt(Section, "HttpPort", HttpPort);
  profile->WriteProfileInt(Section, "Osc", Osc ? 1 : 0);
  profile->WriteProfileInt(Section, "OscPort", OscPort);
  profile->WriteProfileInt(Section, "Network", Network);
  profile->WriteProfileString(Section, "ControlKey", ControlKey.c_str());
  profile->WriteProfileString(Section, "OscFeedback", OscFeedback.c_str());
  profile->WriteProfileString(Section, "OscAllow", OscAllow.c_str());
}

// ---- the program's side ---------------------------------------------------------

struct CRemoteControl::Pending {
  Command What;
  bool WantsAnswer = false;
  std::mutex Lock;
  std::condition_variable Answered;
  bool Done = false;
  bool Abandoned = false;
  Outcome Result = Outcome::Unavailable;
  CounterView After;

  void Finish(Outcome result) {
    {
      const std::lock_guard<std::mutex> hold(Lock);
      Done = true;
      Result = result;
    }
    Answered.notify_all();
  }
};

CRemoteControl& CRemoteControl::Instance() {
  static CRemoteControl control;
  return control;
}

CRemoteControl::CRemoteControl() = default;

CRemoteControl::~CRemoteControl() = default;

void CRemoteControl::Open() {
  if (Window) return;
  WSADATA data{};
  WinsockUp = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.lpszClassName = WindowClass;
  ::RegisterClassA(&windowClass);
  // A message-only window: the doorbell of the network threads and the
  // address of command lines. It never shows and never takes the focus.
  Window = ::CreateWindowExA(0, WindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr);
  Closing = false;
  Current = RemoteSettings::Load();
  if ((Current.Http || Current.Osc) && Current.ControlKey.empty()) {
    Current.ControlKey = NewControlKey();
    Current.Save();
  }
  StartServers();
}

void CRemoteControl::Close() {
  StopServers();
  Closing = true;
  if (Window) ::DestroyWindow(Window);
  Window = nullptr;
  if (WinsockUp) ::WSACleanup();
  WinsockUp = false;
}

void CRemoteControl::Apply(const RemoteSettings& settings) {
  StopServers();
  Current = settings;
  Current.FellBack.clear();
  if ((Current.Http || Current.Osc) && Current.ControlKey.empty()) Current.ControlKey = NewControlKey();
  Current.Save();
  StartServers();
}

void CRemoteControl::StartServers() {
  HttpState = "HTTP: off";
  OscState = "OSC: off";
  Published.clear();
  PublishedOnce = false;
  Snapshot.Reopen();
  Publish();
  const std::string address = Current.Network ? "0.0.0.0" : "127.0.0.1";
  const std::string where = Current.Network ? "this computer and the network" : "this computer only";
  if (Current.Http) {
    Http = std::make_unique<CHttpServer>(*this);
    HttpOptions options;
    options.Address = address;
    options.Port = Current.HttpPort;
    options.Key = Current.ControlKey;
    options.HostNames = LocalNames();
    options.Version = VELTO_VERSION_TEXT;
    options.NetworkLink = NetworkLink();
    std::string reason;
    if (Http->Start(options, reason)) {
      HttpState = "HTTP: listening on " + address + ":" + std::to_string(Current.HttpPort) + " (" + where + ")";
    } else {
      HttpState = "HTTP: not listening: " + reason;
      Http.reset();
    }
  }
  if (Current.Osc) {
    Osc = std::make_unique<COscServer>(*this);
    std::string reason;
    const std::vector<std::string> allowed =
        Current.Network ? AllowedSenders(Current.OscAllow) : std::vector<std::string>{};
    if (Osc->Start(address, Current.OscPort, allowed, reason)) {
      OscState = "OSC: listening on UDP " + address + ":" + std::to_string(Current.OscPort) + " (" + where + ")";
    } else {
      OscState = "OSC: not listening: " + reason;
      Osc.reset();
    }
  }
  Feedback.reset();
  if (Current.Osc && !Current.OscFeedback.empty()) {
    Feedback = std::make_unique<COscFeedback>();
    if (Feedback->Open(Current.OscFeedback))
      OscState += "; feedback to " + Current.OscFeedback;
    else
      Feedback.reset();
  }
  if (Window && (Http || Feedback)) ::SetTimer(Window, RefreshTimer, 2000, nullptr);
}

void CRemoteControl::StopServers() {
  if (Window) ::KillTimer(Window, RefreshTimer);
  // Waiting clients get their answer at once; the streams end.
  Closing = true;
  {
    const std::lock_guard<std::mutex> hold(QueueLock);
    for (const auto& pending : Commands) pending->Finish(Outcome::Unavailable);
    Commands.clear();
  }
  Snapshot.Close();
  if (Http) Http->Stop();
  if (Osc) Osc->Stop();
  Http.reset();
  Osc.reset();
  Feedback.reset();
  Closing = false;
}

std::string CRemoteControl::NetworkLink() const {
  if (!Current.Http || !Current.Network || Current.ControlKey.empty()) return "";
  const std::string address = LanAddress();
  if (address.empty()) return "";
  return "http://" + address + ":" + std::to_string(Current.HttpPort) + "/?key=" + Current.ControlKey;
}

std::string CRemoteControl::Status() const {
  std::string status = HttpState + "\n" + OscState;
  if (!Current.FellBack.empty()) {
    status += "\nStored values out of range, back to their defaults:";
    for (const std::string& name : Current.FellBack) status += " " + name;
  }
  return status;
}

void CRemoteControl::NoteShownChange() {
  if (!Window || (!Http && !Feedback)) return;
  if (!PublishDue.exchange(true)) ::PostMessageA(Window, PublishMessage, 0, 0);
}

Outcome CRemoteControl::Submit(const Command& command, CounterView& after) {
  if (Closing) return Outcome::Unavailable;
  auto pending = std::make_shared<Pending>();
  pending->What = command;
  pending->WantsAnswer = true;
  Queue(pending);
  std::unique_lock<std::mutex> hold(pending->Lock);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(AnswerWaitMs);
  while (!pending->Done && !Closing && std::chrono::steady_clock::now() < deadline)
    pending->Answered.wait_for(hold, std::chrono::milliseconds(50));
  if (!pending->Done) {
    pending->Abandoned = true;
    return Outcome::Unavailable;
  }
  after = pending->After;
  return pending->Result;
}

void CRemoteControl::Post(const Command& command) {
  if (Closing) return;
  auto pending = std::make_shared<Pending>();
  pending->What = command;
  Queue(pending);
}

void CRemoteControl::Queue(const std::shared_ptr<Pending>& pending) {
  {
    const std::lock_guard<std::mutex> hold(QueueLock);
    // A flood waits its turn but cannot grow without end.
    if (Commands.size() >= 1024) {
      pending->Finish(Outcome::Unavailable);
      return;
    }
    Commands.push_back(pending);
  }
  if (!Doorbell.exchange(true)) ::PostMessageA(Window, DoorbellMessage, 0, 0);
}

void CRemoteControl::RunQueue() {
  Doorbell = false;
  std::deque<std::shared_ptr<Pending>> batch;
  {
    const std::lock_guard<std::mutex> hold(QueueLock);
    batch.swap(Commands);
  }
  for (const auto& pending : batch) {
    // A batch of commands each repainting a display can outlast a counted
    // second's deadline: whatever fell due meanwhile is served first.
    CFrameClock::Instance().Wake();
    {
      const std::lock_guard<std::mutex> hold(pending->Lock);
      if (pending->Abandoned) continue;
    }
    CounterView after;
    const Outcome result = Execute(pending->What, pending->WantsAnswer ? &after : nullptr);
    {
      const std::lock_guard<std::mutex> hold(pending->Lock);
      pending->After = after;
    }
    pending->Finish(result);
  }
  if (!batch.empty()) Publish();
}

Outcome CRemoteControl::Execute(const Command& command, CounterView* after) {
  CVeltoSheet* sheet = VeltoApp().Sheet;
  if (!sheet) return Outcome::Unavailable;
  const auto& pages = sheet->CounterPages;
  std::shared_ptr<CCounterPage> page;
  int position = 0;
  if (command.Position > 0) {
    if (static_cast<size_t>(command.Position) <= pages.size()) {
      position = command.Position;
      page = pages[static_cast<size_t>(position - 1)];
    }
  } else {
    const CString wanted = Ansi(command.Name);
    for (size_t at = 0; at < pages.size() && !page; ++at) {
      const CString name = CounterName(*pages[at]->Counter);
      if (::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, name.GetString(), -1, wanted.GetString(), -1) ==
              CSTR_EQUAL &&
          Utf8(name).size() == command.Name.size()) {
        page = pages[at];
        position = static_cast<int>(at) + 1;
      }
    }
  }
  if (!page) return Outcome::NoSuchCounter;
  switch (command.What) {
    case Action::Start:
      page->RemoteStart();
      break;
    case Action::Pause:
      page->RemoteSetPaused(true);
      break;
    case Action::Continue:
      page->RemoteSetPaused(false);
      break;
    case Action::Flash:
      page->RemoteSetFlashing(command.On);
      break;
    case Action::Ticker:
      page->RemoteSetTicker(Ansi(command.Text));
      break;
    case Action::Total:
      page->RemoteSetTotal(command.TotalSeconds);
      break;
  }
  if (after) *after = ViewOf(position, *page);
  return Outcome::Done;
}

std::vector<CounterView> CRemoteControl::Views() const {
  std::vector<CounterView> views;
  CVeltoSheet* sheet = VeltoApp().Sheet;
  if (!sheet) return views;
  int position = 1;
  for (const auto& page : sheet->CounterPages) views.push_back(ViewOf(position++, *page));
  return views;
}

void CRemoteControl::Publish() {
  PublishDue = false;
  std::vector<CounterView> views = Views();
  if (PublishedOnce && views == Published) return;
  PublishedOnce = true;
  if (Feedback) {
    for (const CounterView& view : views) {
      const bool changed =
          static_cast<size_t>(view.Id) > Published.size() || Published[static_cast<size_t>(view.Id - 1)] != view;
      if (!changed) continue;
      const std::string address = "/velto/" + std::to_string(view.Id) + "/";
      Feedback->Send(remote::EncodeOscString(address + "text", view.Text));
      Feedback->Send(remote::EncodeOscString(address + "state", view.State));
      Feedback->Send(remote::EncodeOscString(address + "phase", view.Phase));
      Feedback->Send(remote::EncodeOscInt(address + "flashing", view.Flashing ? 1 : 0));
    }
  }
  Published = views;
  Snapshot.Publish(std::move(views));
}

LRESULT CALLBACK CRemoteControl::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CRemoteControl& self = Instance();
  switch (message) {
    case DoorbellMessage:
      self.RunQueue();
      return 0;
    case PublishMessage:
    case WM_TIMER:
      // The timer also catches what changes without a repaint: a renamed or
      // rebuilt counter, a total typed into a page.
      self.Publish();
      return 0;
    case WM_COPYDATA: {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (!data || data->dwData != CommandLineTag || !data->lpData || data->cbData > 64 * 1024) return 2;
      Command command;
      if (!remote::CommandFromJson(std::string(static_cast<const char*>(data->lpData), data->cbData), command))
        return 2;
      switch (self.Execute(command, nullptr)) {
        case Outcome::Done:
          self.NoteShownChange();
          return 0;
        case Outcome::NoSuchCounter:
          return 3;
        case Outcome::Unavailable:
          return 1;
      }
      return 1;
    }
    default:
      return ::DefWindowProcA(window, message, wParam, lParam);
  }
}

bool CRemoteControl::RunCommandLine(int& exitCode) {
  int count = 0;
  LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> words;
  for (int at = 1; arguments && at < count; ++at) words.push_back(Utf8(std::wstring(arguments[at])));
  if (arguments) ::LocalFree(arguments);
  Command command;
  switch (remote::ParseCommandLine(words, command)) {
    case remote::CommandLine::NotACommand:
      return false;
    case remote::CommandLine::Bad:
      exitCode = 2;
      return true;
    case remote::CommandLine::Command:
      break;
  }
  exitCode = 1;
  // The running Velto may be starting still: give it a moment to open its
  // door. Nothing is started when none runs.
  const DWORD started = ::GetTickCount();
  do {
    HANDLE mark = ::OpenMutexA(SYNCHRONIZE, FALSE, CInstanceMark::MutexName);
    if (!mark) return true;
    ::CloseHandle(mark);
    if (HWND door = ::FindWindowExA(HWND_MESSAGE, nullptr, WindowClass, nullptr)) {
      const std::string json = remote::CommandToJson(command);
      COPYDATASTRUCT data{};
      data.dwData = CommandLineTag;
      data.cbData = static_cast<DWORD>(json.size());
      data.lpData = const_cast<char*>(json.data());
      DWORD_PTR result = 1;
      if (::SendMessageTimeoutA(door, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 10000,
                                &result))
        exitCode = static_cast<int>(result);
      return true;
    }
    ::Sleep(50);
  } while (::GetTickCount() - started < 5000);
  return true;
}

// ---- the "Remote" page ------------------------------------------------------------

IMPLEMENT_DYNAMIC(CRemotePage, CPropertyPage)

BEGIN_MESSAGE_MAP(CRemotePage, CPropertyPage)
ON_BN_CLICKED(IDC_REMOTE_APPLY, OnApply)
ON_BN_CLICKED(IDC_REMOTE_COPY_KEY, OnCopyKey)
ON_BN_CLICKED(IDC_REMOTE_NEW_KEY, OnNewKey)
ON_CONTROL(EN_CHANGE, IDC_REMOTE_ALLOW, OnAllowChanged)
ON_BN_CLICKED(IDC_REMOTE_COPY_LINK, OnCopyLink)
ON_MESSAGE(WM_DRAWITEM, OnDrawItem)
END_MESSAGE_MAP()

CRemotePage::CRemotePage() : CPropertyPage(IDD_REMOTE) {}

BOOL CRemotePage::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  Show(CRemoteControl::Instance().Settings());
  return TRUE;
}

BOOL CRemotePage::OnSetActive() {
  ShowStatus();
  return CPropertyPage::OnSetActive();
}

void CRemotePage::Show(const RemoteSettings& settings) {
  CheckDlgButton(IDC_REMOTE_HTTP, settings.Http ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemInt(IDC_REMOTE_HTTP_PORT, static_cast<UINT>(settings.HttpPort), FALSE);
  CheckDlgButton(IDC_REMOTE_OSC, settings.Osc ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemInt(IDC_REMOTE_OSC_PORT, static_cast<UINT>(settings.OscPort), FALSE);
  CheckDlgButton(IDC_REMOTE_LOCAL, settings.Network ? BST_UNCHECKED : BST_CHECKED);
  CheckDlgButton(IDC_REMOTE_NETWORK, settings.Network ? BST_CHECKED : BST_UNCHECKED);
  Key = settings.ControlKey;
  SetDlgItemText(IDC_REMOTE_KEY, Key.c_str());
  SetDlgItemText(IDC_REMOTE_FEEDBACK, settings.OscFeedback.c_str());
  SetDlgItemText(IDC_REMOTE_ALLOW, settings.OscAllow.c_str());
  OnAllowChanged();
  ShowStatus();
  ShowLink();
}

void CRemotePage::ShowLink() {
  Link = CRemoteControl::Instance().NetworkLink();
  const RemoteSettings& settings = CRemoteControl::Instance().Settings();
  const char* note = !Link.empty() ? "Counters on a tablet or phone in this network: scan the code or open the link. "
                                     "It carries the key."
                     : !settings.Http    ? "Tick the HTTP API to show counters in a web browser."
                     : !settings.Network ? "Choose \"This computer and the network\" to show counters on other devices."
                                         : "This computer has no network address.";
  SetDlgItemText(IDC_REMOTE_LINK_NOTE, note);
  SetDlgItemText(IDC_REMOTE_LINK, Link.c_str());
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_REMOTE_COPY_LINK), Link.empty() ? FALSE : TRUE);
  QrSize = 0;
  QrCode = Link.empty() ? std::vector<bool>() : remote::QrModules(Link, QrSize);
  ::InvalidateRect(::GetDlgItem(m_hWnd, IDC_REMOTE_QR), nullptr, TRUE);
}

// The QR code of the link, black on white with its quiet zone, as large as
// the box allows (module edges rounded to whole pixels).
LRESULT CRemotePage::OnDrawItem(WPARAM, LPARAM lParam) {
  const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
  if (!item || item->CtlID != IDC_REMOTE_QR) return FALSE;
  const RECT& box = item->rcItem;
  const int side = std::min(box.right - box.left, box.bottom - box.top);
  ::FillRect(item->hDC, &box, ::GetSysColorBrush(COLOR_BTNFACE));
  if (QrCode.empty() || QrSize <= 0 || side <= 0) return TRUE;
  const int modules = QrSize + 8;
  const auto edge = [&](int module) { return module * side / modules; };
  const RECT paper = {box.left, box.top, box.left + side, box.top + side};
  ::FillRect(item->hDC, &paper, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  const auto ink = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
  for (int y = 0; y < QrSize; ++y) {
    for (int x = 0; x < QrSize; ++x) {
      if (!QrCode[static_cast<size_t>(y) * static_cast<size_t>(QrSize) + static_cast<size_t>(x)]) continue;
      const RECT dot = {paper.left + edge(x + 4), paper.top + edge(y + 4), paper.left + edge(x + 5),
                        paper.top + edge(y + 5)};
      ::FillRect(item->hDC, &dot, ink);
    }
  }
  return TRUE;
}

void CRemotePage::OnCopyLink() { CopyText(Link); }

void CRemotePage::ShowStatus() {
  if (m_hWnd) SetDlgItemText(IDC_REMOTE_STATUS, CRemoteControl::Instance().Status().c_str());
}

void CRemotePage::OnAllowChanged() {
  const bool any = GetDlgItemText(IDC_REMOTE_ALLOW).IsEmpty();
  SetDlgItemText(IDC_REMOTE_ALLOW_WARNING, any ? "Warning: empty accepts OSC from any sender on the network." : "");
}

void CRemotePage::OnApply() {
  RemoteSettings settings = CRemoteControl::Instance().Settings();
  BOOL httpPortRead = FALSE;
  BOOL oscPortRead = FALSE;
  const UINT httpPort = GetDlgItemInt(IDC_REMOTE_HTTP_PORT, &httpPortRead, FALSE);
  const UINT oscPort = GetDlgItemInt(IDC_REMOTE_OSC_PORT, &oscPortRead, FALSE);
  const std::string feedback = GetDlgItemText(IDC_REMOTE_FEEDBACK).Str();
  sockaddr_in unused{};
  std::string problem;
  if (!httpPortRead || httpPort < 1 || httpPort > 65535) problem = "The HTTP port must be 1 to 65535.";
  if (!oscPortRead || oscPort < 1 || oscPort > 65535) problem = "The OSC port must be 1 to 65535.";
  if (!feedback.empty() && !ParseHostPort(feedback, unused))
    problem = "OSC feedback must be an address and port, like 192.168.1.20:9000.";
  if (!problem.empty()) {
    SetDlgItemText(IDC_REMOTE_STATUS, problem.c_str());
    return;
  }
  settings.Http = IsDlgButtonChecked(IDC_REMOTE_HTTP) == BST_CHECKED;
  settings.HttpPort = static_cast<int>(httpPort);
  settings.Osc = IsDlgButtonChecked(IDC_REMOTE_OSC) == BST_CHECKED;
  settings.OscPort = static_cast<int>(oscPort);
  settings.Network = IsDlgButtonChecked(IDC_REMOTE_NETWORK) == BST_CHECKED ? 1 : 0;
  settings.ControlKey = Key;
  settings.OscFeedback = feedback;
  settings.OscAllow = GetDlgItemText(IDC_REMOTE_ALLOW).Str();
  CRemoteControl::Instance().Apply(settings);
  Show(CRemoteControl::Instance().Settings());
}

void CRemotePage::OnCopyKey() { CopyText(Key); }

void CRemotePage::CopyText(const std::string& value) {
  if (value.empty() || !::OpenClipboard(m_hWnd)) return;
  ::EmptyClipboard();
  if (HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, value.size() + 1)) {
    if (void* text = ::GlobalLock(memory)) {
      std::memcpy(text, value.c_str(), value.size() + 1);
      ::GlobalUnlock(memory);
      if (!::SetClipboardData(CF_TEXT, memory)) ::GlobalFree(memory);
    } else {
      ::GlobalFree(memory);
    }
  }
  ::CloseClipboard();
}

void CRemotePage::OnNewKey() {
  // A new key takes over at once: the old one may have got out.
  RemoteSettings settings = CRemoteControl::Instance().Settings();
  settings.ControlKey = NewControlKey();
  CRemoteControl::Instance().Apply(settings);
  Show(CRemoteControl::Instance().Settings());
}
