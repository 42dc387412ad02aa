#pragma once

#include <windows.h>

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "framework/PropertySheet.h"
#include "remote/HttpServer.h"
#include "remote/RemoteProtocol.h"

class COscServer;
class COscFeedback;

// The settings under the registry key "Remote". Off by default.
struct RemoteSettings {
  bool Http = false;
  int HttpPort = 4780;
  bool Osc = false;
  int OscPort = 4781;
  int Network = 0;  // 0 this computer only, 1 also the network
  std::string ControlKey;
  std::string OscFeedback;
  std::string OscAllow;
  // Values whose stored form was out of range and fell back to the default.
  std::vector<std::string> FellBack;

  static RemoteSettings Load();
  void Save() const;
};

// 128 bits from the system's cryptographic random source, as 32 hex digits.
std::string NewControlKey();

// Remote control in the running program: the servers, the queue of commands
// for the user-interface thread, the published snapshot and the command lines
// sent by a second start. Only the user-interface thread touches counters.
class CRemoteControl : public CRemoteHost {
public:
  static CRemoteControl& Instance();

  // On the user-interface thread, once the control sheet exists.
  void Open();
  // At exit: the servers stop, waiting clients get their answer.
  void Close();
  // Saves and applies new settings; restarts what listens.
  void Apply(const RemoteSettings& settings);
  const RemoteSettings& Settings() const { return Current; }
  // What listens where, or why not, in plain words.
  std::string Status() const;
  // The counter list's address for other devices, with the key; empty while
  // the HTTP API serves this computer only.
  std::string NetworkLink() const;

  // Something a display shows has changed (called from the display window).
  void NoteShownChange();

  // CRemoteHost, on network threads.
  remote::Outcome Submit(const remote::Command& command, remote::CounterView& after) override;
  void Post(const remote::Command& command) override;
  const remote::SnapshotBoard& Board() const override { return Snapshot; }

  // A command line sent by a second start: true when the process handled
  // it (and must end with exitCode), false for an ordinary start.
  static bool RunCommandLine(int& exitCode);

private:
  struct Pending;

  CRemoteControl();
  ~CRemoteControl() override;
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Queue(const std::shared_ptr<Pending>& pending);
  void RunQueue();
  remote::Outcome Execute(const remote::Command& command, remote::CounterView* after);
  std::vector<remote::CounterView> Views() const;
  void Publish();
  void StartServers();
  void StopServers();

  HWND Window = nullptr;
  RemoteSettings Current;
  std::string HttpState;
  std::string OscState;
  remote::SnapshotBoard Snapshot;
  std::vector<remote::CounterView> Published;
  bool PublishedOnce = false;
  std::unique_ptr<CHttpServer> Http;
  std::unique_ptr<COscServer> Osc;
  std::unique_ptr<COscFeedback> Feedback;
  std::mutex QueueLock;
  std::deque<std::shared_ptr<Pending>> Commands;
  std::atomic<bool> Doorbell{false};
  std::atomic<bool> PublishDue{false};
  std::atomic<bool> Closing{false};
  bool WinsockUp = false;
};

// The "Remote" page of the control sheet.
class CRemotePage : public CPropertyPage {
  DECLARE_DYNAMIC(CRemotePage)

public:
  CRemotePage();

protected:
  BOOL OnInitDialog() override;
  BOOL OnSetActive() override;
  void OnApply();
  void OnCopyKey();
  void OnNewKey();
  void OnAllowChanged();
  void OnCopyLink();
  LRESULT OnDrawItem(WPARAM wParam, LPARAM lParam);

  DECLARE_MESSAGE_MAP()

private:
  void Show(const RemoteSettings& settings);
  void ShowStatus();
  void ShowLink();
  void CopyText(const std::string& value);
  std::string Key;
  std::string Link;
  std::vector<bool> QrCode;
  int QrSize = 0;
};
