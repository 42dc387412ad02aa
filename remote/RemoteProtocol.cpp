#include "remote/RemoteProtocol.h"

#include <chrono>
#include <cstdio>
#include <nlohmann/json.hpp>

#include <oscpack/osc/OscOutboundPacketStream.h>
#include <oscpack/osc/OscReceivedElements.h>

namespace remote {

using Json = nlohmann::ordered_json;

namespace {

// Hostile text (a ticker from a packet) may hold broken UTF-8: it is shown
// with replacement characters instead of failing the whole answer.
std::string Dump(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }

Json LookObject(const CounterView::Look& look) { return Json{{"colour", look.Colour}, {"font", look.Font}}; }

Json CounterObject(const CounterView& view) {
  Json ticker{{"size", view.TickerSize}};
  ticker["colour"] = view.TickerColour.empty() ? Json(nullptr) : Json(view.TickerColour);
  return Json{{"id", view.Id},
              {"name", view.Name},
              {"type", view.Type},
              {"text", view.Text},
              {"seconds", view.Seconds},
              {"state", view.State},
              {"phase", view.Phase},
              {"flashing", view.Flashing},
              {"ticker", view.Ticker},
              {"total", view.Total},
              {"display",
               {{"normal", LookObject(view.Normal)},
                {"warning", LookObject(view.Warning)},
                {"danger", LookObject(view.Danger)},
                {"blank", view.Blank},
                {"displayDuringPause", view.DisplayDuringPause},
                {"ticker", ticker}}}};
}

bool IsDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char ch : text)
    if (ch < '0' || ch > '9') return false;
  return true;
}

int HexValue(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  return -1;
}

char Lower(char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch; }

std::string LowerText(const std::string& text) {
  std::string lower = text;
  for (char& ch : lower) ch = Lower(ch);
  return lower;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = text.find(separator, from);
    parts.push_back(text.substr(from, at == std::string::npos ? std::string::npos : at - from));
    if (at == std::string::npos) return parts;
    from = at + 1;
  }
}

bool ActionNamed(const std::string& name, Action& action) {
  static const struct {
    const char* Name;
    Action What;
  } actions[] = {{"start", Action::Start}, {"pause", Action::Pause},   {"continue", Action::Continue},
                 {"flash", Action::Flash}, {"ticker", Action::Ticker}, {"total", Action::Total}};
  for (const auto& entry : actions) {
    if (name == entry.Name) {
      action = entry.What;
      return true;
    }
  }
  return false;
}

Route Error(int status, const std::string& message, const std::string& allow = "") {
  Route route;
  route.Kind = RouteKind::Error;
  route.Status = status;
  route.Message = message;
  route.Allow = allow;
  return route;
}

// The body of a control request, read into the command; an error message when
// it does not fit.
std::string ReadControlBody(const std::string& body, Command& command) {
  if (command.What == Action::Start || command.What == Action::Pause || command.What == Action::Continue) return "";
  const Json value = Json::parse(body, nullptr, false);
  if (value.is_discarded() || !value.is_object()) return "the body must be a JSON object";
  switch (command.What) {
    case Action::Flash: {
      const auto on = value.find("on");
      if (on == value.end() || !on->is_boolean()) return "\"on\" must be true or false";
      command.On = on->get<bool>();
      return "";
    }
    case Action::Ticker: {
      const auto text = value.find("text");
      if (text == value.end() || !text->is_string()) return "\"text\" must be a string";
      command.Text = text->get<std::string>();
      return "";
    }
    case Action::Total: {
      const auto total = value.find("total");
      if (total == value.end()) return "\"total\" is missing";
      if (total->is_string()) {
        if (!ParseTotal(total->get<std::string>(), command.TotalSeconds)) return "\"total\" must be HH:MM:SS";
        return "";
      }
      if (total->is_number_unsigned()) {
        const uint64_t seconds = total->get<uint64_t>();
        if (seconds > static_cast<uint64_t>(LargestTotal)) return "\"total\" is too large";
        command.TotalSeconds = static_cast<int32_t>(seconds);
        return "";
      }
      return "\"total\" must be HH:MM:SS or a whole number of seconds";
    }
    default:
      return "";
  }
}

}  // namespace

bool CounterView::operator==(const CounterView& other) const {
  return Id == other.Id && Name == other.Name && Type == other.Type && Text == other.Text && Seconds == other.Seconds &&
         State == other.State && Phase == other.Phase && Flashing == other.Flashing && Ticker == other.Ticker &&
         Total == other.Total && Normal == other.Normal && Warning == other.Warning && Danger == other.Danger &&
         Blank == other.Blank && DisplayDuringPause == other.DisplayDuringPause && TickerSize == other.TickerSize &&
         TickerColour == other.TickerColour;
}

bool ParseTotal(const std::string& text, int32_t& seconds) {
  const std::vector<std::string> parts = Split(text, ':');
  if (parts.size() != 3) return false;
  for (const std::string& part : parts)
    if (!IsDigits(part)) return false;
  if (parts[0].size() > 4 || parts[1].size() != 2 || parts[2].size() != 2) return false;
  const int hours = std::stoi(parts[0]);
  const int minutes = std::stoi(parts[1]);
  const int secs = std::stoi(parts[2]);
  if (minutes > 59 || secs > 59) return false;
  seconds = (hours * 60 + minutes) * 60 + secs;
  return true;
}

std::string FormatTotal(int64_t seconds) {
  if (seconds < 0) seconds = 0;
  char text[32];
  const int written = std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                                    static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  return written > 0 ? std::string(text) : std::string("00:00:00");
}

bool ParseCounterRef(const std::string& text, Command& command) {
  command.Position = 0;
  command.Name.clear();
  if (text.empty()) return false;
  if (IsDigits(text)) {
    if (text.size() > 6) return false;
    command.Position = std::stoi(text);
    return command.Position > 0;
  }
  command.Name = text;
  return true;
}

std::string CounterJson(const CounterView& view) { return Dump(CounterObject(view)); }

std::string CountersJson(const std::vector<CounterView>& views) {
  Json list = Json::array();
  for (const CounterView& view : views) list.push_back(CounterObject(view));
  return Dump(Json{{"counters", list}});
}

std::string ErrorJson(const std::string& message) { return Dump(Json{{"error", message}}); }

std::string VersionJson(const std::string& version) { return Dump(Json{{"version", version}}); }

std::string CommandToJson(const Command& command) {
  return Dump(Json{{"what", static_cast<int>(command.What)},
                   {"position", command.Position},
                   {"name", command.Name},
                   {"on", command.On},
                   {"text", command.Text},
                   {"total", command.TotalSeconds}});
}

bool CommandFromJson(const std::string& text, Command& command) {
  const Json value = Json::parse(text, nullptr, false);
  if (value.is_discarded() || !value.is_object()) return false;
  const auto what = value.find("what");
  const auto position = value.find("position");
  const auto name = value.find("name");
  const auto on = value.find("on");
  const auto ticker = value.find("text");
  const auto total = value.find("total");
  if (what == value.end() || !what->is_number_integer() || position == value.end() || !position->is_number_integer() ||
      name == value.end() || !name->is_string() || on == value.end() || !on->is_boolean() || ticker == value.end() ||
      !ticker->is_string() || total == value.end() || !total->is_number_integer())
    return false;
  const int64_t action = what->get<int64_t>();
  const int64_t at = position->get<int64_t>();
  const int64_t seconds = total->get<int64_t>();
  if (action < 0 || action > static_cast<int>(Action::Total) || at < 0 || at > 999999 || seconds < 0 ||
      seconds > LargestTotal)
    return false;
  command.What = static_cast<Action>(action);
  command.Position = static_cast<int>(at);
  command.Name = name->get<std::string>();
  command.On = on->get<bool>();
  command.Text = ticker->get<std::string>();
  command.TotalSeconds = static_cast<int32_t>(seconds);
  return command.Position > 0 || !command.Name.empty();
}

// ---- HTTP ------------------------------------------------------------------

bool DecodePercent(const std::string& text, std::string& decoded) {
  decoded.clear();
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] != '%') {
      decoded += text[at];
      continue;
    }
    if (at + 2 >= text.size()) return false;
    const int high = HexValue(text[at + 1]);
    const int low = HexValue(text[at + 2]);
    if (high < 0 || low < 0) return false;
    const char ch = static_cast<char>(high * 16 + low);
    if (ch == '\0') return false;
    decoded += ch;
    at += 2;
  }
  return true;
}

std::string QueryKey(const std::string& target) {
  const std::size_t query = target.find('?');
  if (query == std::string::npos) return "";
  for (const std::string& pair : Split(target.substr(query + 1), '&')) {
    if (pair.compare(0, 4, "key=") != 0) continue;
    std::string key;
    if (DecodePercent(pair.substr(4), key)) return key;
    return "";
  }
  return "";
}

std::string CookieKey(const std::string& cookies) {
  const std::string name = std::string(KeyCookie) + "=";
  for (std::string pair : Split(cookies, ';')) {
    pair.erase(0, pair.find_first_not_of(' '));
    if (pair.compare(0, name.size(), name) == 0) return pair.substr(name.size());
  }
  return "";
}

namespace {

// A HEAD asks what a GET would answer, without the body (monitoring tools,
// curl -I); the server leaves the body out.
bool Reads(const std::string& method) { return method == "GET" || method == "HEAD"; }

// GET / and GET /view/{id}: the pages a browser opens.
Route PageRoute(const std::string& method, const std::string& path) {
  static const std::string ViewPrefix = "/view/";
  Route route;
  route.Page = true;
  if (!Reads(method)) {
    route = Error(405, "use GET", "GET");
    route.Page = true;
    return route;
  }
  if (path == "/") {
    route.Kind = RouteKind::Home;
    return route;
  }
  std::string reference;
  if (path.find('/', ViewPrefix.size()) != std::string::npos ||
      !DecodePercent(path.substr(ViewPrefix.size()), reference) || !ParseCounterRef(reference, route.What)) {
    route = Error(404, "no such counter");
    route.Page = true;
    return route;
  }
  route.Kind = RouteKind::View;
  return route;
}

}  // namespace

Route RouteRequest(const std::string& method, const std::string& target, const std::string& body) {
  static const std::string Prefix = "/api/v1/";
  const std::string path = target.substr(0, target.find('?'));
  if (path == "/" || path.compare(0, 6, "/view/") == 0) return PageRoute(method, path);
  if (path.compare(0, Prefix.size(), Prefix) != 0) return Error(404, "no such path");
  const std::vector<std::string> segments = Split(path.substr(Prefix.size()), '/');

  if (segments.size() == 1 && (segments[0] == "version" || segments[0] == "events" || segments[0] == "counters")) {
    // An event stream never ends, so it has no headers-only answer.
    if (segments[0] == "events" ? method != "GET" : !Reads(method)) return Error(405, "use GET", "GET");
    Route route;
    route.Kind = segments[0] == "version"  ? RouteKind::Version
                 : segments[0] == "events" ? RouteKind::Events
                                           : RouteKind::List;
    return route;
  }
  if (segments.empty() || segments[0] != "counters" || segments.size() > 3) return Error(404, "no such path");

  Route route;
  std::string reference;
  if (!DecodePercent(segments[1], reference) || !ParseCounterRef(reference, route.What))
    return Error(404, "no such counter");
  if (segments.size() == 2) {
    if (!Reads(method)) return Error(405, "use GET", "GET");
    route.Kind = RouteKind::One;
    return route;
  }
  if (!ActionNamed(segments[2], route.What.What)) return Error(404, "no such path");
  if (method != "POST") return Error(405, "use POST", "POST");
  const std::string problem = ReadControlBody(body, route.What);
  if (!problem.empty()) return Error(400, problem);
  route.Kind = RouteKind::Control;
  return route;
}

bool HostAllowed(const std::string& host, const std::vector<std::string>& names) {
  std::string name = LowerText(host);
  if (name.empty()) return false;
  if (name[0] == '[') {
    const std::size_t end = name.find(']');
    if (end == std::string::npos) return false;
    const std::string rest = name.substr(end + 1);
    if (!rest.empty() && (rest[0] != ':' || !IsDigits(rest.substr(1)))) return false;
    name = name.substr(0, end + 1);
  } else {
    const std::size_t colon = name.find(':');
    if (colon != std::string::npos) {
      if (!IsDigits(name.substr(colon + 1))) return false;
      name = name.substr(0, colon);
    }
  }
  if (!name.empty() && name.back() == '.') name.pop_back();
  if (name == "localhost" || name == "[::1]") return true;
  const std::vector<std::string> quad = Split(name, '.');
  if (quad.size() == 4 && quad[0] == "127") {
    bool numeric = true;
    for (const std::string& part : quad) numeric = numeric && IsDigits(part) && part.size() <= 3;
    if (numeric) return true;
  }
  for (const std::string& allowed : names)
    if (!allowed.empty() && name == LowerText(allowed)) return true;
  return false;
}

bool SameKey(const std::string& given, const std::string& expected) {
  if (expected.empty()) return false;
  unsigned difference = given.size() == expected.size() ? 0U : 1U;
  for (std::size_t at = 0; at < expected.size(); ++at) {
    const char ch = at < given.size() ? given[at] : '\0';
    difference |= static_cast<unsigned char>(ch ^ expected[at]);
  }
  return difference == 0;
}

std::string BearerKey(const std::string& authorization) {
  static const std::string Scheme = "bearer ";
  if (authorization.size() <= Scheme.size() || LowerText(authorization.substr(0, Scheme.size())) != Scheme) return "";
  std::string key = authorization.substr(Scheme.size());
  while (!key.empty() && key.front() == ' ') key.erase(key.begin());
  while (!key.empty() && key.back() == ' ') key.pop_back();
  return key;
}

// ---- OSC ---------------------------------------------------------------------

namespace {

constexpr int BundleDepth = 8;

bool ReadCounterArgument(osc::ReceivedMessageArgumentIterator& argument,
                         const osc::ReceivedMessageArgumentIterator& end, Command& command) {
  if (argument == end) return false;
  if (argument->IsInt32()) {
    const int32_t position = argument->AsInt32Unchecked();
    ++argument;
    if (position <= 0) return false;
    command.Position = position;
    return true;
  }
  if (argument->IsString()) {
    const std::string name = argument->AsStringUnchecked();
    ++argument;
    if (name.empty()) return false;
    command.Name = name;
    return true;
  }
  return false;
}

bool ReadMessage(const osc::ReceivedMessage& message, Command& command) {
  const std::vector<std::string> parts = Split(message.AddressPattern(), '/');
  // "", "velto", [id,] action
  if (parts.size() < 3 || parts.size() > 4 || !parts[0].empty() || parts[1] != "velto") return false;
  if (!ActionNamed(parts.back(), command.What)) return false;
  auto argument = message.ArgumentsBegin();
  const auto end = message.ArgumentsEnd();
  if (parts.size() == 4) {
    if (!ParseCounterRef(parts[2], command)) return false;
  } else if (!ReadCounterArgument(argument, end, command)) {
    return false;
  }
  switch (command.What) {
    case Action::Flash:
      if (argument == end) return false;
      if (argument->IsInt32())
        command.On = argument->AsInt32Unchecked() != 0;
      else if (argument->IsBool())
        command.On = argument->AsBoolUnchecked();
      else
        return false;
      ++argument;
      break;
    case Action::Ticker:
      if (argument == end || !argument->IsString()) return false;
      command.Text = argument->AsStringUnchecked();
      ++argument;
      break;
    case Action::Total:
      if (argument == end) return false;
      if (argument->IsString()) {
        if (!ParseTotal(argument->AsStringUnchecked(), command.TotalSeconds)) return false;
      } else if (argument->IsInt32()) {
        const int32_t seconds = argument->AsInt32Unchecked();
        if (seconds < 0 || seconds > LargestTotal) return false;
        command.TotalSeconds = seconds;
      } else {
        return false;
      }
      ++argument;
      break;
    default:
      break;
  }
  return argument == end;
}

void ReadElement(const osc::ReceivedPacket& packet, int depth, std::vector<Command>& commands) {
  if (packet.IsMessage()) {
    Command command;
    if (ReadMessage(osc::ReceivedMessage(packet), command)) commands.push_back(command);
    return;
  }
  if (depth >= BundleDepth) return;
  const osc::ReceivedBundle bundle(packet);
  for (auto element = bundle.ElementsBegin(); element != bundle.ElementsEnd(); ++element) {
    const osc::ReceivedPacket inner(element->Contents(), element->Size());
    ReadElement(inner, depth + 1, commands);
  }
}

}  // namespace

std::vector<Command> DecodeOsc(const char* data, std::size_t size) {
  std::vector<Command> commands;
  if (!data || size == 0 || size % 4 != 0 || size > 8192) return commands;
  try {
    ReadElement(osc::ReceivedPacket(data, static_cast<osc::osc_bundle_element_size_t>(size)), 0, commands);
  } catch (const osc::Exception&) {
    // A malformed packet is dropped whole, even the part read before the fault.
    commands.clear();
  }
  return commands;
}

namespace {

template <typename Value>
std::string EncodeOsc(const std::string& address, const Value& value) {
  std::vector<char> buffer(address.size() + 64 + 2048);
  try {
    osc::OutboundPacketStream stream(buffer.data(), buffer.size());
    stream << osc::BeginMessage(address.c_str()) << value << osc::EndMessage;
    return std::string(stream.Data(), stream.Size());
  } catch (const osc::Exception&) {
    return "";
  }
}

}  // namespace

std::string EncodeOscString(const std::string& address, const std::string& value) {
  return EncodeOsc(address, value.substr(0, 1024).c_str());
}

std::string EncodeOscInt(const std::string& address, int32_t value) {
  return EncodeOsc(address, static_cast<osc::int32>(value));
}

// ---- command lines -------------------------------------------------------------

CommandLine ParseCommandLine(const std::vector<std::string>& arguments, Command& command) {
  if (arguments.empty()) return CommandLine::NotACommand;
  const std::string& first = arguments[0];
  if (first.size() < 2 || (first[0] != '/' && first[0] != '-')) return CommandLine::NotACommand;
  if (!ActionNamed(LowerText(first.substr(1)), command.What)) return CommandLine::Bad;
  const std::size_t wanted =
      (command.What == Action::Flash || command.What == Action::Ticker || command.What == Action::Total) ? 3 : 2;
  if (arguments.size() != wanted || !ParseCounterRef(arguments[1], command)) return CommandLine::Bad;
  switch (command.What) {
    case Action::Flash: {
      const std::string state = LowerText(arguments[2]);
      if (state != "on" && state != "off") return CommandLine::Bad;
      command.On = state == "on";
      break;
    }
    case Action::Ticker:
      command.Text = arguments[2];
      break;
    case Action::Total:
      if (!ParseTotal(arguments[2], command.TotalSeconds)) return CommandLine::Bad;
      break;
    default:
      break;
  }
  return CommandLine::Command;
}

// ---- the published snapshot -------------------------------------------------------

void SnapshotBoard::Publish(std::vector<CounterView> counters) {
  {
    const std::lock_guard<std::mutex> hold(Lock);
    Counters = std::move(counters);
    ++Version;
  }
  Changed.notify_all();
}

uint64_t SnapshotBoard::Read(std::vector<CounterView>& counters) const {
  const std::lock_guard<std::mutex> hold(Lock);
  counters = Counters;
  return Version;
}

bool SnapshotBoard::WaitNewer(uint64_t seen, int ms) const {
  std::unique_lock<std::mutex> hold(Lock);
  Changed.wait_for(hold, std::chrono::milliseconds(ms), [&] { return Version > seen || IsClosed; });
  return Version > seen && !IsClosed;
}

void SnapshotBoard::Close() {
  {
    const std::lock_guard<std::mutex> hold(Lock);
    IsClosed = true;
  }
  Changed.notify_all();
}

void SnapshotBoard::Reopen() {
  const std::lock_guard<std::mutex> hold(Lock);
  IsClosed = false;
}

bool SnapshotBoard::Closed() const {
  const std::lock_guard<std::mutex> hold(Lock);
  return IsClosed;
}

}  // namespace remote
