// httplib brings in the socket headers and must come before <windows.h>.
// A backlog as deep as the connections served, so that a burst of clients
// is accepted at once and counted, not left waiting in the system.
#define CPPHTTPLIB_LISTEN_BACKLOG 64
#include <httplib/httplib.h>
#include <mstcpip.h>

// Kept apart: with httplib and the JSON library this file is slow to compile.
#include "remote/HttpServer.h"
#include "remote/WebPages.h"

#include <atomic>
#include <chrono>
#include <map>
#include <thread>

namespace {

using remote::CounterView;

constexpr int MaxConnections = 64;
// Above the cap, so that a connection past it is still answered (503).
constexpr size_t Workers = MaxConnections + 8;
constexpr size_t MaxBody = size_t{16} * 1024;
constexpr size_t MaxHead = size_t{8} * 1024;
constexpr int PingMs = 2000;
// From a request's first byte to the end of its body, however slowly the
// bytes come (a client trickling one byte at a time would hold a worker).
constexpr time_t RequestSeconds = 10;
// A client gone without closing (cable pulled, phone asleep) is dropped
// within 30 s. A stream always has data on its way (a ping every 2 s), so
// the retransmission bound decides; an idle connection is probed after 10 s,
// then every second, ten probes.
constexpr DWORD RetransmitSeconds = 20;
constexpr ULONG KeepAliveIdleMs = 10000;
constexpr ULONG KeepAliveIntervalMs = 1000;
// IPPROTO_TCP option (Windows Vista and later), not in every SDK's headers.
constexpr int TcpMaxRetransmitTime = 5;
constexpr const char* JsonType = "application/json; charset=utf-8";
constexpr const char* HtmlType = "text/html; charset=utf-8";
// A view link opened once keeps working on a reload: its key lives on in a
// cookie for a year, or until the key is renewed.
constexpr int KeyCookieSeconds = 365 * 24 * 3600;

// Whether the connection served by this worker came past the cap.
thread_local bool OverLimit = false;

// httplib's pool, counting the connections it serves.
class CountedPool : public httplib::TaskQueue {
public:
  CountedPool() : Pool(Workers) {}
  void enqueue(std::function<void()> fn) override {
    Pool.enqueue([this, fn = std::move(fn)] {
      OverLimit = ++Open > MaxConnections;
      fn();
      --Open;
      OverLimit = false;
    });
  }
  void shutdown() override { Pool.shutdown(); }

private:
  httplib::ThreadPool Pool;
  std::atomic<int> Open{0};
};

std::wstring Wide(const std::string& text) {
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  if (length > 0) ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

bool SameName(const std::string& a, const std::string& b) {
  std::wstring left = Wide(a);
  std::wstring right = Wide(b);
  if (left.size() != right.size()) return false;
  if (!left.empty()) ::CharLowerBuffW(&left[0], static_cast<DWORD>(left.size()));
  if (!right.empty()) ::CharLowerBuffW(&right[0], static_cast<DWORD>(right.size()));
  return left == right;
}

// Best effort: a system that lacks an option still serves the client.
void TuneAccepted(SOCKET socket) {
  // An answer's head and body go out in separate sends: without this the
  // body waits for the client's delayed acknowledgement (about 40 ms).
  const BOOL noDelay = TRUE;
  ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
  tcp_keepalive keepAlive{1, KeepAliveIdleMs, KeepAliveIntervalMs};
  DWORD returned = 0;
  ::WSAIoctl(socket, SIO_KEEPALIVE_VALS, &keepAlive, sizeof keepAlive, nullptr, 0, &returned, nullptr, nullptr);
  const DWORD retransmit = RetransmitSeconds;
  ::setsockopt(socket, IPPROTO_TCP, TcpMaxRetransmitTime, reinterpret_cast<const char*>(&retransmit),
               sizeof retransmit);
}

bool FromLoopback(const httplib::Request& request) {
  const std::string& peer = request.remote_addr;
  return peer.compare(0, 4, "127.") == 0 || peer == "::1" || peer.compare(0, 11, "::ffff:127.") == 0;
}

void Answer(httplib::Response& response, int status, const std::string& body) {
  response.status = status;
  response.set_content(body, JsonType);
}

void Refuse(httplib::Response& response, int status, const std::string& message) {
  Answer(response, status, remote::ErrorJson(message));
}

// Pages load nothing from anywhere else, and their address (which may carry
// the key) goes to nobody.
void AnswerPage(httplib::Response& response, int status, const std::string& page) {
  response.status = status;
  response.set_header("Cache-Control", "no-store");
  response.set_header("Content-Security-Policy",
                      "default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'; "
                      "connect-src 'self'; img-src 'self' data:");
  response.set_header("Referrer-Policy", "no-referrer");
  response.set_header("X-Frame-Options", "DENY");
  response.set_content(page, HtmlType);
}

bool IsPage(const std::string& target) {
  const std::string path = target.substr(0, target.find('?'));
  return path == "/" || path.compare(0, 6, "/view/") == 0;
}

// Writes one event; false when the client is gone.
bool WriteEvent(httplib::DataSink& sink, const char* name, const std::string& data) {
  const std::string event = std::string("event: ") + name + "\ndata: " + data + "\n\n";
  return sink.write(event.data(), event.size());
}

}  // namespace

struct CHttpServer::Impl {
  explicit Impl(CRemoteHost& host) : Host(host) {}

  CRemoteHost& Host;
  HttpOptions Options;
  std::unique_ptr<httplib::Server> Server;
  std::thread Listener;
  std::atomic<bool> Quitting{false};

  void Dispatch(const httplib::Request& request, httplib::Response& response);
  void Stream(httplib::Response& response);
  const CounterView* Find(const std::vector<CounterView>& counters, const remote::Command& which) const;
};

const CounterView* CHttpServer::Impl::Find(const std::vector<CounterView>& counters,
                                           const remote::Command& which) const {
  for (const CounterView& view : counters) {
    if (which.Position > 0 ? view.Id == which.Position : SameName(view.Name, which.Name)) return &view;
  }
  return nullptr;
}

void CHttpServer::Impl::Dispatch(const httplib::Request& request, httplib::Response& response) {
  const bool page = IsPage(request.target);
  if (OverLimit) {
    response.set_header("Connection", "close");
    if (page)
      AnswerPage(response, 503,
                 remote::MessagePage("The limit is reached", "Velto already serves " + std::to_string(MaxConnections) +
                                                                 " viewers and clients. Try again when one has left."));
    else
      Refuse(response, 503, "too many connections");
    return;
  }
  size_t head = request.target.size() + request.method.size();
  for (const auto& header : request.headers) head += header.first.size() + header.second.size() + 4;
  if (head > MaxHead) {
    Refuse(response, 400, "request line and headers are over 8 KiB");
    return;
  }
  const std::string host = request.get_header_value("Host");
  std::vector<std::string> names = Options.HostNames;
  names.push_back(request.local_addr);
  if (!remote::HostAllowed(host, names)) {
    Refuse(response, 403, "this host name is not accepted");
    return;
  }

  const bool loopback = FromLoopback(request);
  const std::string bearer = remote::BearerKey(request.get_header_value("Authorization"));
  const bool keyed = remote::SameKey(bearer, Options.Key);
  const bool linkKeyed = remote::SameKey(remote::QueryKey(request.target), Options.Key);
  if (request.method != "GET" && request.method != "HEAD") {
    if (!keyed) {
      Refuse(response, 401, "a control request needs the key: Authorization: Bearer KEY");
      return;
    }
  } else if (!loopback && !keyed && !linkKeyed &&
             // The cookie a view link set; it reads, never controls.
             !remote::SameKey(remote::CookieKey(request.get_header_value("Cookie")), Options.Key)) {
    if (page)
      AnswerPage(response, 401,
                 remote::MessagePage("The key is missing",
                                     "Open the network link from the Remote tab of Velto's control window, or scan its "
                                     "QR code. The link carries the key once; this browser keeps it."));
    else
      Refuse(response, 401, "reading from the network needs the key");
    return;
  }
  // A link that carries the key sets it as a cookie, so that a reload works
  // without it (the page drops it from its address).
  if (page && linkKeyed)
    response.set_header("Set-Cookie", std::string(remote::KeyCookie) + "=" + Options.Key + "; Path=/; Max-Age=" +
                                          std::to_string(KeyCookieSeconds) + "; HttpOnly; SameSite=Strict");

  const remote::Route route = remote::RouteRequest(request.method, request.target, request.body);
  switch (route.Kind) {
    case remote::RouteKind::Error:
      if (!route.Allow.empty()) response.set_header("Allow", route.Allow);
      if (route.Page)
        AnswerPage(response, route.Status, remote::MessagePage("Not found", "Velto has " + route.Message + "."));
      else
        Refuse(response, route.Status, route.Message);
      return;
    case remote::RouteKind::Home: {
      std::vector<CounterView> counters;
      Host.Board().Read(counters);
      AnswerPage(response, 200, remote::HomePage(counters, loopback ? Options.NetworkLink : std::string()));
      return;
    }
    case remote::RouteKind::View: {
      std::vector<CounterView> counters;
      Host.Board().Read(counters);
      if (Find(counters, route.What))
        AnswerPage(response, 200, remote::ViewPage());
      else
        AnswerPage(response, 404, remote::MessagePage("Not found", "Velto has no such counter."));
      return;
    }
    case remote::RouteKind::Version:
      Answer(response, 200, remote::VersionJson(Options.Version));
      return;
    case remote::RouteKind::List: {
      std::vector<CounterView> counters;
      Host.Board().Read(counters);
      Answer(response, 200, remote::CountersJson(counters));
      return;
    }
    case remote::RouteKind::One: {
      std::vector<CounterView> counters;
      Host.Board().Read(counters);
      if (const CounterView* view = Find(counters, route.What))
        Answer(response, 200, remote::CounterJson(*view));
      else
        Refuse(response, 404, "no such counter");
      return;
    }
    case remote::RouteKind::Control: {
      CounterView after;
      switch (Host.Submit(route.What, after)) {
        case remote::Outcome::Done:
          Answer(response, 200, remote::CounterJson(after));
          return;
        case remote::Outcome::NoSuchCounter:
          Refuse(response, 404, "no such counter");
          return;
        case remote::Outcome::Unavailable:
          Refuse(response, 503, "Velto is busy or closing");
          return;
      }
      return;
    }
    case remote::RouteKind::Events:
      Stream(response);
      return;
  }
}

void CHttpServer::Impl::Stream(httplib::Response& response) {
  struct State {
    bool First = true;
    uint64_t Seen = 0;
    std::map<int, CounterView> Sent;
    std::chrono::steady_clock::time_point NextPing;
  };
  auto state = std::make_shared<State>();
  state->NextPing = std::chrono::steady_clock::now() + std::chrono::milliseconds(PingMs);
  response.set_header("Cache-Control", "no-cache");
  response.set_chunked_content_provider("text/event-stream", [this, state](size_t, httplib::DataSink& sink) {
    const remote::SnapshotBoard& board = Host.Board();
    if (Quitting || board.Closed()) {
      sink.done();
      return true;
    }
    bool newer = state->First;
    if (!state->First) {
      const auto now = std::chrono::steady_clock::now();
      const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(state->NextPing - now).count();
      newer = board.WaitNewer(state->Seen, wait > 0 ? static_cast<int>(wait) : 0);
      if (Quitting || board.Closed()) {
        sink.done();
        return true;
      }
    }
    if (newer) {
      std::vector<CounterView> counters;
      state->Seen = board.Read(counters);
      std::map<int, CounterView> current;
      for (const CounterView& view : counters) {
        current[view.Id] = view;
        const auto sent = state->Sent.find(view.Id);
        if (!state->First && sent != state->Sent.end() && sent->second == view) continue;
        if (!WriteEvent(sink, "counter", remote::CounterJson(view))) return false;
      }
      state->Sent = std::move(current);
      state->First = false;
    }
    if (std::chrono::steady_clock::now() >= state->NextPing) {
      state->NextPing += std::chrono::milliseconds(PingMs);
      if (!WriteEvent(sink, "ping", "{}")) return false;
    }
    return true;
  });
}

CHttpServer::CHttpServer(CRemoteHost& host) : Self(new Impl(host)) {}

CHttpServer::~CHttpServer() { Stop(); }

namespace {

// The plain reason a port cannot be had, found by trying it as the server
// would (exclusively).
std::string PortProblem(const std::string& address, int port, const char* what) {
  SOCKET probe = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (probe == INVALID_SOCKET) return "the network is not available";
  BOOL exclusive = TRUE;
  ::setsockopt(probe, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive), sizeof exclusive);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_port = htons(static_cast<u_short>(port));
  ::inet_pton(AF_INET, address.c_str(), &at.sin_addr);
  std::string reason;
  if (::bind(probe, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0) {
    const int error = ::WSAGetLastError();
    if (error == WSAEADDRINUSE || error == WSAEACCES)
      reason = std::string(what) + " port " + std::to_string(port) + " is in use by another program";
    else
      reason =
          std::string(what) + " port " + std::to_string(port) + " cannot be used (error " + std::to_string(error) + ")";
  }
  ::closesocket(probe);
  return reason;
}

}  // namespace

bool CHttpServer::Start(const HttpOptions& options, std::string& reason) {
  Stop();
  Impl& self = *Self;
  self.Options = options;
  self.Quitting = false;
  reason = PortProblem(options.Address, options.Port, "HTTP");
  if (!reason.empty()) return false;

  self.Server = std::make_unique<httplib::Server>();
  httplib::Server& server = *self.Server;
  server.new_task_queue = [] { return new CountedPool; };
  server.set_payload_max_length(MaxBody);
  server.set_read_timeout(2, 0);
  server.set_write_timeout(5, 0);
  server.set_keep_alive_timeout(5);
  // A button box or a script keeps one connection for its requests. Closed
  // after every few (the library's default is 5), it reconnects while the
  // old connection may still hold its place, and at the cap it is refused.
  server.set_keep_alive_max_count(1000);
  server.set_request_timeout(RequestSeconds);
  server.set_accepted_socket_options(TuneAccepted);
  server.set_idle_interval(0, 100000);
  const auto dispatch = [&self](const httplib::Request& request, httplib::Response& response) {
    self.Dispatch(request, response);
  };
  server.Get(".*", dispatch);
  server.Post(".*", dispatch);
  server.Put(".*", dispatch);
  server.Patch(".*", dispatch);
  server.Delete(".*", dispatch);
  server.Options(".*", dispatch);
  server.set_error_handler([](const httplib::Request&, httplib::Response& response) {
    if (!response.body.empty()) return;
    const std::string message = response.status == 413 ? "the body is over 16 KiB" : "bad request";
    response.set_content(remote::ErrorJson(message), JsonType);
  });
  if (!server.bind_to_port(options.Address, options.Port)) {
    reason = PortProblem(options.Address, options.Port, "HTTP");
    if (reason.empty()) reason = "HTTP port " + std::to_string(options.Port) + " cannot be used";
    return false;
  }
  self.Listener = std::thread([&server] { server.listen_after_bind(); });
  return true;
}

void CHttpServer::Stop() {
  Impl& self = *Self;
  if (!self.Listener.joinable()) return;
  self.Quitting = true;
  // Its stop does nothing before its loop runs: wait for that first.
  for (int waited = 0; waited < 200 && !self.Server->is_running(); ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  self.Server->stop();
  self.Listener.join();
  self.Server.reset();
}
