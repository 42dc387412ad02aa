#pragma once

#include <winsock2.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "remote/HttpServer.h"

// The OSC receiver: one UDP socket and a thread of its own that decodes each
// packet and queues its commands, in order, for the user-interface thread.
class COscServer {
public:
  explicit COscServer(CRemoteHost& host) : Host(host) {}
  ~COscServer() { Stop(); }
  COscServer(const COscServer&) = delete;
  COscServer& operator=(const COscServer&) = delete;

  // allowed: the sender addresses accepted (empty: any).
  bool Start(const std::string& address, int port, std::vector<std::string> allowed, std::string& reason);
  void Stop();

private:
  void Receive();

  CRemoteHost& Host;
  SOCKET Socket = INVALID_SOCKET;
  std::vector<std::string> Allowed;
  std::atomic<bool> Quitting{false};
  std::thread Receiver;
};

// Sends the feedback messages to one host:port over UDP.
class COscFeedback {
public:
  ~COscFeedback() { Close(); }
  // target: "a.b.c.d:port" or "localhost:port"; false when it is not one.
  bool Open(const std::string& target);
  void Close();
  bool IsOpen() const { return Socket != INVALID_SOCKET; }
  void Send(const std::string& packet) const;

private:
  SOCKET Socket = INVALID_SOCKET;
  sockaddr_in To{};
};

// "a.b.c.d:port" or "localhost:port" into an address; false otherwise.
bool ParseHostPort(const std::string& text, sockaddr_in& address);
