#include "publish/ftp_comm.h"

#include <sys/stat.h>

#include <chrono>

#include "common/ansi.h"
#include "platform/messages.h"
#include "platform/ui_hooks.h"
#include "publish/ftp_views.h"

namespace tolvane {

TNyFtpComm::TNyFtpComm(MessageBoxes& messages, UiHooks& ui) : messages_(messages), ui_(ui) {
  Client.OnProgress = [this](int64_t done) { progress_ = done; };
  worker_ = std::thread([this] { WorkerLoop(); });
}

TNyFtpComm::~TNyFtpComm() {
  Client.Abort();
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
  worker_.join();
}

void TNyFtpComm::WorkerLoop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return quit_ || job_; });
    if (quit_) return;
    auto job = std::move(job_);
    job_ = nullptr;
    lock.unlock();
    job();
    lock.lock();
    finished_ = true;
    done_.notify_all();
  }
}

void TNyFtpComm::SetStatus(std::string text) {
  StatusText = std::move(text);
  if (OnStatus) OnStatus(StatusText);
}

int TNyFtpComm::Run(const std::function<int(TMyFtpClient&)>& command, bool connect) {
  if (Busy) {
    messages_.ShowError("Busy");
    LastReply = -1;
    return -1;
  }
  if (connect && !Client.Connected()) {
    const int code = Connect();
    if (!ftp_reply::IsSuccess(code)) return code;
  }
  Busy = true;
  Aborted = false;
  LastReply = 200;
  Progress = 0;
  progress_ = 0;
  Client.ClearAbort();
  // Pending messages run before each command too, so that a quick run of
  // commands still lets the window repaint and its Stop button work; the
  // window sees the session busy meanwhile, and a Stop there ends the command
  // before it starts.
  ui_.ProcessPendingMessages(1);
  if (Aborted) {
    Busy = false;
    LastReply = ftp_reply::kInterrupted;
    SetStatus("Interrupted");
    return ftp_reply::kInterrupted;
  }
  if (Bar) Bar->Begin(TotalSize);
  int code = ftp_reply::kNotStarted;
  {
    std::unique_lock lock(mutex_);
    finished_ = false;
    job_ = [&] { code = command(Client); };
    wake_.notify_all();
    // Wait in short slices, letting the window's messages run between them;
    // a Stop pressed meanwhile aborts the command, whose end is still awaited
    // so that the next command finds the client free.
    while (!finished_) {
      if (done_.wait_for(lock, std::chrono::milliseconds(30), [&] { return finished_; })) break;
      lock.unlock();
      ui_.ProcessPendingMessages(1);
      Progress = progress_;
      if (Bar) Bar->SetPosition(Progress);
      if (Aborted) Client.Abort();
      lock.lock();
    }
  }
  Progress = progress_;
  Busy = false;
  // A command that completed before the Stop took hold keeps its reply.
  if (Aborted && !ftp_reply::IsSuccess(code)) code = ftp_reply::kInterrupted;
  LastReply = code;
  if (Bar) Bar->Reset();
  SetStatus(Client.LastReplyText());
  return code;
}

int TNyFtpComm::Connect() {
  Client.SetServer(server_);
  const int code = Run([](TMyFtpClient& c) { return c.Open(); }, /*connect=*/false);
  if (ftp_reply::IsSuccess(code)) {
    SetStatus("Connect\xE9 \xE0 " + server_.host);
  } else if (code != ftp_reply::kInterrupted && code != -1 && !ConnectErrorShown) {
    ConnectErrorShown = true;
    messages_.ShowError("Impossible d'\xE9tablir une connection, erreur #" + std::to_string(code));
  }
  return code;
}

int TNyFtpComm::Disconnect() {
  if (Busy) {
    // A command still runs: stop it first, then close.
    Abort();
    return LastReply;
  }
  Client.Quit();
  Busy = false;
  if (Bar) Bar->Reset();
  LastReply = 221;
  SetStatus("Connection \xE0 " + server_.host + " termin\xE9" "e");
  return LastReply;
}

int TNyFtpComm::Rename(const std::string& from, const std::string& to) {
  return Run([&](TMyFtpClient& c) { return c.Quote({"RNFR " + c.Absolute(from), "RNTO " + c.Absolute(to)}); });
}

int TNyFtpComm::Delete(const std::string& path) {
  return Run([&](TMyFtpClient& c) { return c.Quote({"DELE " + c.Absolute(path)}); });
}

int TNyFtpComm::RemoveDir(const std::string& path) {
  return Run([&](TMyFtpClient& c) { return c.Quote({"RMD " + c.Absolute(path)}); });
}

int TNyFtpComm::MakeDir(const std::string& path) {
  return Run([&](TMyFtpClient& c) { return c.Quote({"MKD " + c.Absolute(path)}); });
}

int TNyFtpComm::Get(const std::string& path, std::string& into) {
  into.clear();
  return Run([&](TMyFtpClient& c) { return c.Retrieve(path, into); });
}

std::string TNyFtpComm::TemporaryName(const std::string& remotePath) {
  const size_t slash = remotePath.rfind('/');
  const size_t start = slash == std::string::npos ? 0 : slash + 1;
  return remotePath.substr(0, start) + ".in-transfer." + remotePath.substr(start);
}

int TNyFtpComm::Store(const FtpSource& source, const std::string& remotePath, bool safely, bool* renameRefused) {
  // A server that refused one rename refuses the others: store directly.
  const bool viaTemporary = safely && !renameRefused_;
  bool refused = false;
  int code = Run([&](TMyFtpClient& c) {
    std::string reply;
    // One store, by way of the temporary name when asked; a server that keeps
    // the data there but will not rename it gets a direct store, and the
    // stray copy is removed. A failed store leaves no temporary file behind.
    auto attempt = [&](const std::string& target, bool cwdEachFolder) {
      const std::string temporary = viaTemporary ? TemporaryName(target) : std::string();
      bool refusedHere = false;
      int r = c.Store(target, source, temporary, &refusedHere, cwdEachFolder);
      if (refusedHere) {
        refused = true;
        c.Quote({"DELE " + c.Absolute(temporary)});
        r = c.Store(target, source, {}, nullptr, cwdEachFolder);
      }
      reply = c.LastReplyText();
      if (r > 0 && !ftp_reply::IsSuccess(r) && !temporary.empty() && c.Connected())
        c.Quote({"DELE " + c.Absolute(temporary)});
      return r;
    };
    const std::string path = c.Absolute(remotePath);
    int r = attempt(path, false);
    if (r > 0 && !ftp_reply::IsSuccess(r) && AnsiLowerCase(reply).find("invalid directory") != std::string::npos) {
      // Some servers want the folder entered before the file is named: the
      // folder becomes the remote folder and the store is issued once more.
      const size_t slash = path.rfind('/');
      if (ftp_reply::IsSuccess(c.ChangeDir(path.substr(0, slash + 1))))
        r = attempt(path.substr(slash + 1), /*cwdEachFolder=*/true);
    }
    c.RestoreReplyText(reply);
    return r;
  });
  if (refused) renameRefused_ = true;
  if (renameRefused) *renameRefused = refused || (safely && renameRefused_);
  return code;
}

int TNyFtpComm::PutFile(const std::string& localPath, const std::string& remotePath, bool safely,
                        bool* renameRefused) {
  FtpSource source;
  source.file = localPath;
  struct stat st {};
  TotalSize = stat(localPath.c_str(), &st) == 0 ? st.st_size : 0;
  return Store(source, remotePath, safely, renameRefused);
}

int TNyFtpComm::PutStream(const std::string& stream, size_t position, const std::string& remotePath, bool safely,
                          bool* renameRefused) {
  FtpSource source;
  source.memory = &stream;
  source.start = position;
  TotalSize = static_cast<int64_t>(stream.size() - std::min(position, stream.size()));
  return Store(source, remotePath, safely, renameRefused);
}

int TNyFtpComm::List(const std::string& folder) {
  return Run([&](TMyFtpClient& c) { return c.List(folder); });
}

int TNyFtpComm::Reconnect(const std::string& folder) {
  if (Busy) {
    messages_.ShowError("Busy");
    LastReply = -1;
    return -1;
  }
  Client.Quit();
  int code = Connect();
  if (!ftp_reply::IsSuccess(code)) return code;
  code = ChangeDir(folder);
  if (!ftp_reply::IsSuccess(code)) return code;
  return List(folder);
}

std::string TNyFtpComm::CurrentDir() {
  std::string dir = Client.Connected() ? Client.CurrentDir() : "/";
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

int TNyFtpComm::ChangeDir(const std::string& folder) {
  return Run([&](TMyFtpClient& c) { return c.ChangeDir(folder); });
}

void TNyFtpComm::Abort() {
  Aborted = true;
  Client.Abort();
  LastReply = 0;
}

}  // namespace tolvane
