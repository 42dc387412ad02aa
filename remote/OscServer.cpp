#include "remote/OscServer.h"

#include <ws2tcpip.h>

#include <algorithm>

namespace {

constexpr int MaxPacket = 8 * 1024;

}  // namespace

bool ParseHostPort(const std::string& text, sockaddr_in& address) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 >= text.size() || text.size() - colon > 6) return false;
  std::string host = text.substr(0, colon);
  const std::string port = text.substr(colon + 1);
  if (!std::all_of(port.begin(), port.end(), [](char ch) { return ch >= '0' && ch <= '9'; })) return false;
  const int number = std::stoi(port);
  if (number < 1 || number > 65535) return false;
  if (host == "localhost") host = "127.0.0.1";
  address = sockaddr_in{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(number));
  return ::inet_pton(AF_INET, host.c_str(), &address.sin_addr) == 1;
}

bool COscServer::Start(const std::string& address, int port, std::vector<std::string> allowed, std::string& reason) {
  Stop();
  Allowed = std::move(allowed);
  Socket = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (Socket == INVALID_SOCKET) {
    reason = "the network is not available";
    return false;
  }
  BOOL exclusive = TRUE;
  ::setsockopt(Socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive), sizeof exclusive);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_port = htons(static_cast<u_short>(port));
  ::inet_pton(AF_INET, address.c_str(), &at.sin_addr);
  if (::bind(Socket, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0) {
    const int error = ::WSAGetLastError();
    if (error == WSAEADDRINUSE || error == WSAEACCES)
      reason = "OSC port " + std::to_string(port) + " is in use by another program";
    else
      reason = "OSC port " + std::to_string(port) + " cannot be used (error " + std::to_string(error) + ")";
    ::closesocket(Socket);
    Socket = INVALID_SOCKET;
    return false;
  }
  Quitting = false;
  Receiver = std::thread([this] { Receive(); });
  return true;
}

void COscServer::Stop() {
  if (!Receiver.joinable()) return;
  Quitting = true;
  // Closing the socket ends the waiting recvfrom (under Wine with an error
  // of its own: the quit flag decides).
  ::closesocket(Socket);
  Receiver.join();
  Socket = INVALID_SOCKET;
}

void COscServer::Receive() {
  std::vector<char> buffer(MaxPacket + 4);
  while (!Quitting) {
    sockaddr_in from{};
    int fromSize = sizeof from;
    const int size = ::recvfrom(Socket, buffer.data(), static_cast<int>(buffer.size()), 0,
                                reinterpret_cast<sockaddr*>(&from), &fromSize);
    if (Quitting) return;
    if (size <= 0 || size > MaxPacket) {
      // A packet too large for the buffer, or a transient error: dropped.
      if (size < 0 && ::WSAGetLastError() != WSAEMSGSIZE && ::WSAGetLastError() != WSAECONNRESET) ::Sleep(10);
      continue;
    }
    if (!Allowed.empty()) {
      char sender[INET_ADDRSTRLEN] = "";
      ::inet_ntop(AF_INET, &from.sin_addr, sender, sizeof sender);
      if (std::find(Allowed.begin(), Allowed.end(), std::string(sender)) == Allowed.end()) continue;
    }
    for (const remote::Command& command : remote::DecodeOsc(buffer.data(), static_cast<std::size_t>(size)))
      Host.Post(command);
  }
}

bool COscFeedback::Open(const std::string& target) {
  Close();
  if (!ParseHostPort(target, To)) return false;
  Socket = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (Socket == INVALID_SOCKET) return false;
  // Sending never waits: a full buffer drops the message.
  u_long nonBlocking = 1;
  ::ioctlsocket(Socket, FIONBIO, &nonBlocking);
  return true;
}

void COscFeedback::Close() {
  if (Socket != INVALID_SOCKET) ::closesocket(Socket);
  Socket = INVALID_SOCKET;
}

void COscFeedback::Send(const std::string& packet) const {
  if (Socket == INVALID_SOCKET || packet.empty()) return;
  ::sendto(Socket, packet.data(), static_cast<int>(packet.size()), 0, reinterpret_cast<const sockaddr*>(&To),
           sizeof To);
}
