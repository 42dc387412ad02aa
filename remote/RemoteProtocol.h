#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// What remote control says and hears, free of any socket or window: the
// counter record clients read, the commands they send, the routing of HTTP
// requests and the decoding of OSC packets and command lines. Everything
// here reads hostile input and must answer every byte string calmly.
namespace remote {

// One counter as clients see it. Texts are UTF-8.
struct CounterView {
  int Id = 0;  // position on the control sheet, from 1
  std::string Name;
  std::string Type;  // down, up, time24, time12, pastzero
  std::string Text;  // the characters the display shows now
  int64_t Seconds = 0;
  std::string State;  // stopped, running, paused, finished
  std::string Phase;  // normal, warning, danger
  bool Flashing = false;
  std::string Ticker;
  std::string Total;  // HH:MM:SS, what the next Start takes

  // How its display draws it, for a live view to draw the same.
  struct Look {
    std::string Colour;  // #rrggbb
    std::string Font;    // face name
    bool operator==(const Look& other) const { return Colour == other.Colour && Font == other.Font; }
  };
  Look Normal, Warning, Danger;
  bool Blank = true;                 // no digits now: not started, or the dark half of a flash
  bool DisplayDuringPause = false;   // digits stay while paused
  std::string TickerSize = "small";  // small, medium, large
  std::string TickerColour;          // #rrggbb, or empty to follow the digits

  bool operator==(const CounterView& other) const;
  bool operator!=(const CounterView& other) const { return !(*this == other); }
};

enum class Action { Start, Pause, Continue, Flash, Ticker, Total };

// One operator action on one counter.
struct Command {
  Action What = Action::Start;
  // The counter as given: its position (Position > 0) or else its name.
  int Position = 0;
  std::string Name;
  bool On = false;           // Flash
  std::string Text;          // Ticker
  int32_t TotalSeconds = 0;  // Total
};

// What became of a command on the user-interface thread.
enum class Outcome { Done, NoSuchCounter, Unavailable };

// The largest total a client may set: 9999:59:59.
constexpr int32_t LargestTotal = 9999 * 3600 + 59 * 60 + 59;

// "H:MM:SS" with 1 to 4 digits of hours, two of minutes and seconds (below
// 60). False for anything else.
bool ParseTotal(const std::string& text, int32_t& seconds);
std::string FormatTotal(int64_t seconds);

// A counter given as text: digits only make a position, anything else a name.
// False for an empty text or a position out of range.
bool ParseCounterRef(const std::string& text, Command& command);

std::string CounterJson(const CounterView& view);
std::string CountersJson(const std::vector<CounterView>& views);
std::string ErrorJson(const std::string& message);
std::string VersionJson(const std::string& version);

// A command as the running Velto receives it from a command line, and back.
std::string CommandToJson(const Command& command);
bool CommandFromJson(const std::string& text, Command& command);

// ---- HTTP ------------------------------------------------------------------

enum class RouteKind { Error, List, One, Events, Version, Control, Home, View };

struct Route {
  RouteKind Kind = RouteKind::Error;
  int Status = 404;  // for Error
  std::string Message;
  std::string Allow;  // methods a 405 names
  Command What;       // for One and View (the counter) and Control
  bool Page = false;  // an HTML page, not the API: errors are pages too
};

// Where a request goes, from its method, its raw target (path and query, still
// percent-encoded) and its body. The key and the Host are checked apart.
Route RouteRequest(const std::string& method, const std::string& target, const std::string& body);

// The value of the key cookie that a view sets, from a Cookie header.
std::string CookieKey(const std::string& cookies);
constexpr const char* KeyCookie = "velto_key";

// Percent-decoding of one path segment or query value; false for a broken
// escape or an encoded NUL.
bool DecodePercent(const std::string& text, std::string& decoded);
// The value of ?key= in a target, decoded; empty when absent.
std::string QueryKey(const std::string& target);

// The Host header names this computer: localhost, a loopback address, or one
// of names (this computer's names and addresses), with or without a port.
// Compared without regard to case.
bool HostAllowed(const std::string& host, const std::vector<std::string>& names);

// Compares in time that does not depend on where the texts differ.
bool SameKey(const std::string& given, const std::string& expected);
// The key of an "Authorization: Bearer KEY" header; empty when it is not one.
std::string BearerKey(const std::string& authorization);

// ---- OSC ---------------------------------------------------------------------

// The commands of one OSC packet (a message, or a bundle applied in order).
// Anything malformed, unknown or with the wrong arguments is dropped.
std::vector<Command> DecodeOsc(const char* data, std::size_t size);

// One feedback message: address and one argument, a string or an int.
std::string EncodeOscString(const std::string& address, const std::string& value);
std::string EncodeOscInt(const std::string& address, int32_t value);

// ---- command lines -------------------------------------------------------------

// "/start ID", "/pause ID", "/continue ID", "/flash ID on|off",
// "/ticker ID TEXT", "/total ID HH:MM:SS" (the arguments after the program).
// NotACommand: nothing for remote control (an ordinary start).
enum class CommandLine { NotACommand, Command, Bad };
CommandLine ParseCommandLine(const std::vector<std::string>& arguments, Command& command);

// ---- the published snapshot -------------------------------------------------------

// What the user-interface thread shows, published for the network threads:
// they read it and wait for a newer one, and never touch a counter.
class SnapshotBoard {
public:
  void Publish(std::vector<CounterView> counters);
  // A copy of the counters and their version.
  uint64_t Read(std::vector<CounterView>& counters) const;
  // Waits until a version newer than seen is published, the board is closed
  // or ms have passed. True when there is a newer one.
  bool WaitNewer(uint64_t seen, int ms) const;
  void Close();
  void Reopen();
  bool Closed() const;

private:
  mutable std::mutex Lock;
  mutable std::condition_variable Changed;
  std::vector<CounterView> Counters;
  uint64_t Version = 0;
  bool IsClosed = false;
};

}  // namespace remote
