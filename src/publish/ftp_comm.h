// The FTP session of the publishing window: each operation starts one
// command on the session's worker thread and waits for its reply, letting
// the window's pending messages run meanwhile (so the Stop button works),
// and returns the reply code (see ftp_client.h). Commands never overlap: one
// started while another runs is refused as "Busy".
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "publish/ftp_client.h"

namespace tolvane {

class MessageBoxes;
class UiHooks;
class TNyFtpTxRxBar;

class TNyFtpComm {
 public:
  TNyFtpComm(MessageBoxes& messages, UiHooks& ui);
  ~TNyFtpComm();
  TNyFtpComm(const TNyFtpComm&) = delete;
  TNyFtpComm& operator=(const TNyFtpComm&) = delete;

  int LastReply = -1;
  int64_t Progress = 0;
  int64_t TotalSize = 0;
  std::string StatusText;
  bool ConnectErrorShown = false;
  bool Aborted = false;
  bool Busy = false;
  TMyFtpClient Client;
  TNyFtpTxRxBar* Bar = nullptr;
  // Called on the waiting thread after each status change.
  std::function<void(const std::string&)> OnStatus;

  // The server the next connection goes to.
  // Another server (or account) learns anew whether it renames.
  void SetServer(const FtpServerAddress& server) {
    if (!server.SameSession(server_)) renameRefused_ = false;
    server_ = server;
  }
  const FtpServerAddress& Server() const { return server_; }
  bool Connected() const { return Client.Connected(); }

  int Connect();
  int Disconnect();
  int Rename(const std::string& from, const std::string& to);
  int Delete(const std::string& path);
  int RemoveDir(const std::string& path);
  int MakeDir(const std::string& path);
  int Get(const std::string& path, std::string& into);
  // Stores a local file or a memory stream (from its position). With `safely`,
  // the data goes to a temporary name beside the target and is renamed over
  // it once complete; when the server refuses the rename, the file is stored
  // directly and `renameRefused` says so.
  int PutFile(const std::string& localPath, const std::string& remotePath, bool safely = false,
              bool* renameRefused = nullptr);
  int PutStream(const std::string& stream, size_t position, const std::string& remotePath, bool safely = false,
                bool* renameRefused = nullptr);
  int List(const std::string& folder);
  int Reconnect(const std::string& folder);
  // The working folder, always ending with "/" ("/" when unknown).
  std::string CurrentDir();
  int ChangeDir(const std::string& folder);
  // Stops the running command; the waiting call returns 0.
  void Abort();

  // The name a safe store writes to before renaming: beside the target.
  static std::string TemporaryName(const std::string& remotePath);

 private:
  // Runs `command` on the worker and waits; `connect` first when needed.
  int Run(const std::function<int(TMyFtpClient&)>& command, bool connect = true);
  int Store(const FtpSource& source, const std::string& remotePath, bool safely, bool* renameRefused);
  void SetStatus(std::string text);
  void WorkerLoop();

  MessageBoxes& messages_;
  UiHooks& ui_;
  FtpServerAddress server_;
  bool renameRefused_ = false;

  std::mutex mutex_;
  std::condition_variable wake_, done_;
  std::function<void()> job_;
  bool finished_ = false, quit_ = false;
  std::atomic<int64_t> progress_{0};
  std::thread worker_;
};

}  // namespace tolvane
