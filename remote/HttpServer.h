#pragma once

#include <memory>
#include <string>
#include <vector>

#include "remote/RemoteProtocol.h"

// What the servers ask of the program. Called on network threads: the
// program hands commands to its user-interface thread and answers from the
// published snapshot.
class CRemoteHost {
public:
  virtual ~CRemoteHost() = default;
  // Runs command on the user-interface thread and waits for it; after is the
  // counter as it is then.
  virtual remote::Outcome Submit(const remote::Command& command, remote::CounterView& after) = 0;
  // Queues command for the user-interface thread without waiting.
  virtual void Post(const remote::Command& command) = 0;
  virtual const remote::SnapshotBoard& Board() const = 0;
};

// Where a server listens and who may use it.
struct HttpOptions {
  std::string Address;  // 127.0.0.1 or 0.0.0.0
  int Port = 0;
  std::string Key;
  std::vector<std::string> HostNames;  // this computer's names and addresses
  std::string Version;
  // The address other devices open, with the key; empty when only this
  // computer is served. Shown on the counter list in this computer's browser.
  std::string NetworkLink;
};

// The HTTP API under /api/v1 with its event stream, on threads of its own.
class CHttpServer {
public:
  explicit CHttpServer(CRemoteHost& host);
  ~CHttpServer();
  CHttpServer(const CHttpServer&) = delete;
  CHttpServer& operator=(const CHttpServer&) = delete;

  // Binds and starts serving; false with the reason when the port cannot be had.
  bool Start(const HttpOptions& options, std::string& reason);
  // Ends every stream and connection and joins the threads.
  void Stop();

private:
  struct Impl;
  std::unique_ptr<Impl> Self;
};
