// The FTP client the publishing window talks through: one control connection
// kept open across commands, binary transfers, passive or active data
// connections, explicit TLS on request. Each command blocks until the server
// has answered and returns the reply code: the server's, 0 when the command
// was interrupted, or one of the negative local codes below.
//
// Commands run on one thread at a time; Abort may be called from any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "publish/ftp_listing.h"

namespace tolvane {

namespace ftp_reply {
constexpr int kInterrupted = 0;
constexpr int kNotStarted = -1;      // busy, or the client could not be set up
constexpr int kLocalFile = -2;       // the local file cannot be read
constexpr int kTimedOut = -3;        // the server stopped answering
constexpr int kConnectionLost = -4;  // the connection broke during the command
constexpr int kTransferFailed = -5;  // the data connection could not be used
constexpr int kCannotConnect = -6;   // no connection to the host
constexpr int kTlsFailed = -7;       // the secure connection could not be set up
inline bool IsSuccess(int code) { return code >= 200 && code <= 299; }
}  // namespace ftp_reply

struct FtpServerAddress {
  std::string host;
  int port = 21;
  std::string user;
  std::string password;
  bool passive = true;
  int timeoutSeconds = 30;
  bool tls = false;        // explicit TLS (AUTH TLS) on the control and data connections
  bool verifyTls = true;   // check the server's certificate and name
  std::string caFile;      // certificates to trust besides the system's

  // The same session: same server, account and protection.
  bool SameSession(const FtpServerAddress& other) const {
    return host == other.host && port == other.port && user == other.user && tls == other.tls;
  }
};

// What a store reads from: a memory stream from a position, or a local file.
struct FtpSource {
  const std::string* memory = nullptr;
  size_t start = 0;
  std::string file;
};

class TMyFtpClient {
 public:
  TMyFtpClient();
  ~TMyFtpClient();
  TMyFtpClient(const TMyFtpClient&) = delete;
  TMyFtpClient& operator=(const TMyFtpClient&) = delete;

  void SetServer(const FtpServerAddress& server);
  const FtpServerAddress& Server() const { return server_; }
  bool Connected() const { return connected_; }

  int Open();  // connect and log in
  int Quit();
  // The folder the session is in, always ending with "/".
  std::string CurrentDir() const { return currentDir_; }
  // Absolute folder, or relative to the current one.
  int ChangeDir(const std::string& folder);
  // Lists a folder into `Listing`.
  int List(const std::string& folder);
  int Retrieve(const std::string& path, std::string& into);
  // Stores `source` at `path`. With a `temporaryPath`, the data goes there and
  // is renamed over `path` only once it has all arrived; `renameRefused`
  // tells when the server stored the data but refused the rename.
  int Store(const std::string& path, const FtpSource& source, const std::string& temporaryPath = {},
            bool* renameRefused = nullptr, bool cwdEachFolder = false);
  // Commands without data: "MKD /a", "DELE /a/b", "RNFR x" + "RNTO y" ...
  int Quote(const std::vector<std::string>& commands);
  void Abort() { abort_ = true; }

  const std::string& LastReplyText() const { return lastText_; }
  // Puts back the reply that matters after a clean-up command spoke over it.
  void RestoreReplyText(std::string text) { lastText_ = std::move(text); }
  FtpListing Listing;
  std::string ListingStream;
  // Called on the command's thread with the bytes moved so far.
  std::function<void(int64_t done)> OnProgress;
  // Counts the commands sent to the server when on.
  bool countCommands = false;
  int64_t CommandsSent() const { return commands_; }

  // The path as an address of this server; `folder` adds the final "/".
  std::string Address(const std::string& path, bool folder) const;
  std::string Absolute(const std::string& path) const;
  void ClearAbort() { abort_ = false; }

 // The state of one command, shared with libcurl's callbacks.
  struct Transfer;

 private:
  void Prepare(Transfer& t, const std::string& address, bool cwdEachFolder);
  int Perform(Transfer& t);
  int Drive(void* easy);
  static size_t OnHeader(char* data, size_t size, size_t count, void* user);
  static int OnXfer(void* user, int64_t, int64_t dlnow, int64_t, int64_t ulnow);
  static int OnDebug(void*, int type, char* data, size_t size, void* user);

  void* easy_ = nullptr;
  void* multi_ = nullptr;
  FtpServerAddress server_;
  bool connected_ = false;
  std::string currentDir_ = "/";
  std::string lastText_;
  std::string HomeAddress() const;
  std::atomic<bool> abort_{false};
  bool quoteFailed_ = false;
  int64_t commands_ = 0;
};

}  // namespace tolvane
