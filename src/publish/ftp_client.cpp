#include "publish/ftp_client.h"

#include "common/ansi.h"

#include <curl/curl.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace tolvane {
namespace {

CURL* Easy(void* handle) { return static_cast<CURL*>(handle); }

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct SlistDeleter {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

// Names are the document's text; the wire speaks UTF-8.
bool Append(Slist& list, const std::string& line) {
  curl_slist* grown = curl_slist_append(list.get(), AnsiToUtf8(line).c_str());
  if (!grown) return false;
  list.release();
  list.reset(grown);
  return true;
}

// A name that could end a command line and start another one.
bool Unsafe(const std::string& s) { return s.find_first_of(std::string("\r\n\0", 3)) != std::string::npos; }

std::string Escaped(CURL* easy, const std::string& segment) {
  char* e = curl_easy_escape(easy, segment.c_str(), static_cast<int>(segment.size()));
  std::string out = e ? e : "";
  curl_free(e);
  return out;
}

}  // namespace

struct TMyFtpClient::Transfer {
  TMyFtpClient* client = nullptr;
  std::string* sink = nullptr;
  const std::string* memory = nullptr;
  size_t position = 0;
  FILE* file = nullptr;
  Slist quote, postquote;
  char error[CURL_ERROR_SIZE] = {};
  // The reply that closed the transfer (the first final one after a 1xx),
  // which commands sent after it must not hide.
  bool preliminary = false;
  int transferCode = 0;
  std::string transferText;
  ~Transfer() {
    if (file) std::fclose(file);
  }
};

TMyFtpClient::TMyFtpClient() {
  GlobalInit();
  easy_ = curl_easy_init();
  multi_ = curl_multi_init();
  if (!multi_ && easy_) {
    curl_easy_cleanup(Easy(easy_));
    easy_ = nullptr;
  }
}

TMyFtpClient::~TMyFtpClient() {
  if (easy_) curl_easy_cleanup(Easy(easy_));
  if (multi_) curl_multi_cleanup(static_cast<CURLM*>(multi_));
}

int TMyFtpClient::Drive(void* handle) {
  // The transfer is driven here rather than by curl_easy_perform: between
  // the passive-mode reply and the data connection libcurl can have no
  // socket to wait on and would sleep a full second per file. Polling in
  // short slices lets it move on at once (and lets Abort act at once).
  CURLM* multi = static_cast<CURLM*>(multi_);
  CURL* e = Easy(handle);
  if (curl_multi_add_handle(multi, e) != CURLM_OK) return CURLE_FAILED_INIT;
  CURLcode result = CURLE_OK;
  bool finished = false;
  for (;;) {
    int running = 0;
    if (curl_multi_perform(multi, &running) != CURLM_OK) {
      result = CURLE_OUT_OF_MEMORY;
      break;
    }
    int queued = 0;
    while (CURLMsg* m = curl_multi_info_read(multi, &queued))
      if (m->msg == CURLMSG_DONE && m->easy_handle == e) {
        result = m->data.result;
        finished = true;
      }
    if (finished || !running) break;
    if (abort_) {
      result = CURLE_ABORTED_BY_CALLBACK;
      break;
    }
    long wait = 0;
    curl_multi_timeout(multi, &wait);
    if (wait < 0 || wait > 2) wait = 2;
    curl_multi_poll(multi, nullptr, 0, static_cast<int>(wait), nullptr);
  }
  curl_multi_remove_handle(multi, e);
  return result;
}

void TMyFtpClient::SetServer(const FtpServerAddress& server) {
  if (!server.SameSession(server_)) connected_ = false;
  server_ = server;
}

std::string TMyFtpClient::Absolute(const std::string& path) const {
  std::string p = path.empty() || path[0] != '/' ? currentDir_ + path : path;
  // Collapse doubled separators; "." and ".." are left to the server.
  std::string out;
  for (char c : p)
    if (!(c == '/' && !out.empty() && out.back() == '/')) out += c;
  return out.empty() ? "/" : out;
}

std::string TMyFtpClient::HomeAddress() const {
  const std::string host = server_.host.find(':') != std::string::npos ? "[" + server_.host + "]" : server_.host;
  return "ftp://" + host + ":" + std::to_string(server_.port) + "/";
}

std::string TMyFtpClient::Address(const std::string& path, bool folder) const {
  std::string url = HomeAddress() + "%2F";
  const std::string abs = Absolute(path);
  size_t start = 1;
  while (start < abs.size()) {
    size_t end = abs.find('/', start);
    if (end == std::string::npos) end = abs.size();
    url += Escaped(Easy(easy_), AnsiToUtf8(abs.substr(start, end - start)));
    if (end < abs.size()) url += '/';
    start = end + 1;
  }
  if (folder && url.back() != '/' && !url.ends_with("%2F")) url += '/';
  return url;
}

size_t TMyFtpClient::OnHeader(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  std::string line(data, size * count);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  // The last line of a reply: three digits and a blank.
  if (line.size() >= 4 && std::isdigit(static_cast<unsigned char>(line[0])) && line[3] == ' ') {
    t->client->lastText_ = Utf8ToAnsi(line);
    if (line[0] == '1') {
      t->preliminary = true;
    } else if (t->preliminary && t->transferCode == 0) {
      t->transferCode = std::atoi(line.substr(0, 3).c_str());
      t->transferText = t->client->lastText_;
    }
  }
  return size * count;
}

int TMyFtpClient::OnXfer(void* user, int64_t, int64_t dlnow, int64_t, int64_t ulnow) {
  auto* t = static_cast<Transfer*>(user);
  if (t->client->OnProgress) t->client->OnProgress(dlnow + ulnow);
  return t->client->abort_ ? 1 : 0;
}

int TMyFtpClient::OnDebug(void*, int type, char* data, size_t size, void* user) {
  if (type == CURLINFO_HEADER_OUT) {
    auto* client = static_cast<TMyFtpClient*>(user);
    for (size_t i = 0; i < size; ++i)
      if (data[i] == '\n') ++client->commands_;
  }
  return 0;
}

namespace {

size_t WriteToSink(char* data, size_t size, size_t count, void* user) {
  auto* sink = static_cast<std::string*>(user);
  if (sink) sink->append(data, size * count);
  return size * count;
}

size_t ReadSource(char* buffer, size_t size, size_t count, void* user) {
  auto* t = static_cast<TMyFtpClient::Transfer*>(user);
  const size_t want = size * count;
  if (t->file) {
    const size_t n = std::fread(buffer, 1, want, t->file);
    if (n < want && std::ferror(t->file)) return CURL_READFUNC_ABORT;
    return n;
  }
  if (!t->memory) return 0;
  const size_t n = std::min(want, t->memory->size() - std::min(t->position, t->memory->size()));
  std::memcpy(buffer, t->memory->data() + t->position, n);
  t->position += n;
  return n;
}

}  // namespace

void TMyFtpClient::Prepare(Transfer& t, const std::string& address, bool cwdEachFolder) {
  CURL* e = Easy(easy_);
  curl_easy_reset(e);
  t.client = this;
  curl_easy_setopt(e, CURLOPT_URL, address.c_str());
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "ftp");
  curl_easy_setopt(e, CURLOPT_USERNAME, server_.user.c_str());
  curl_easy_setopt(e, CURLOPT_PASSWORD, server_.password.c_str());
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  const long timeout = server_.timeoutSeconds > 0 ? server_.timeoutSeconds : 30;
  curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT, timeout);
  curl_easy_setopt(e, CURLOPT_SERVER_RESPONSE_TIMEOUT, timeout);
  curl_easy_setopt(e, CURLOPT_ACCEPTTIMEOUT_MS, timeout * 1000);
  curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, timeout);
  curl_easy_setopt(e, CURLOPT_FTPPORT, server_.passive ? nullptr : "-");
  curl_easy_setopt(e, CURLOPT_FTP_FILEMETHOD,
                   static_cast<long>(cwdEachFolder ? CURLFTPMETHOD_MULTICWD : CURLFTPMETHOD_SINGLECWD));
  curl_easy_setopt(e, CURLOPT_TRANSFERTEXT, 0L);
  curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &TMyFtpClient::OnHeader);
  curl_easy_setopt(e, CURLOPT_HEADERDATA, &t);
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &WriteToSink);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, t.sink);
  curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, &TMyFtpClient::OnXfer);
  curl_easy_setopt(e, CURLOPT_XFERINFODATA, &t);
  curl_easy_setopt(e, CURLOPT_ERRORBUFFER, t.error);
  if (server_.tls) {
    curl_easy_setopt(e, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, server_.verifyTls ? 1L : 0L);
    curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, server_.verifyTls ? 2L : 0L);
    if (!server_.caFile.empty()) curl_easy_setopt(e, CURLOPT_CAINFO, server_.caFile.c_str());
  }
  if (countCommands) {
    curl_easy_setopt(e, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(e, CURLOPT_DEBUGFUNCTION, &TMyFtpClient::OnDebug);
    curl_easy_setopt(e, CURLOPT_DEBUGDATA, this);
  }
}

int TMyFtpClient::Perform(Transfer& t) {
  CURL* e = Easy(easy_);
  if (t.quote) curl_easy_setopt(e, CURLOPT_QUOTE, t.quote.get());
  if (t.postquote) curl_easy_setopt(e, CURLOPT_POSTQUOTE, t.postquote.get());
  const CURLcode rc = static_cast<CURLcode>(Drive(e));
  quoteFailed_ = rc == CURLE_QUOTE_ERROR;
  long code = 0;
  curl_easy_getinfo(e, CURLINFO_RESPONSE_CODE, &code);
  if (rc == CURLE_OK) return code > 0 ? static_cast<int>(code) : 200;
  if (rc == CURLE_ABORTED_BY_CALLBACK) {
    lastText_ = "Interrupted";
    return ftp_reply::kInterrupted;
  }
  const std::string detail = t.error[0] ? t.error : curl_easy_strerror(rc);
  int result;
  switch (rc) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT: result = ftp_reply::kCannotConnect; break;
    case CURLE_OPERATION_TIMEDOUT: result = ftp_reply::kTimedOut; break;
    case CURLE_USE_SSL_FAILED:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE: result = ftp_reply::kTlsFailed; break;
    case CURLE_READ_ERROR: result = ftp_reply::kLocalFile; break;
    case CURLE_FTP_PORT_FAILED:
    case CURLE_FTP_ACCEPT_FAILED:
    case CURLE_FTP_ACCEPT_TIMEOUT:
    case CURLE_FTP_CANT_GET_HOST:
    case CURLE_FTP_WEIRD_PASV_REPLY:
    case CURLE_FTP_WEIRD_227_FORMAT: result = ftp_reply::kTransferFailed; break;
    default: result = ftp_reply::kConnectionLost; break;
  }
  // A refusal the server gave keeps its code (libcurl reports a 421 as a
  // time-out); a broken or silent connection is ours to name.
  if (code >= 400) result = static_cast<int>(code);
  else lastText_ = detail;
  if (result < 0 || result == 421 || result == 530) connected_ = false;
  return result;
}

int TMyFtpClient::Open() {
  if (!easy_) return ftp_reply::kNotStarted;
  Transfer t;
  // Log in where the server puts us, without changing folder.
  Prepare(t, HomeAddress(), false);
  curl_easy_setopt(Easy(easy_), CURLOPT_NOBODY, 1L);
  const int code = Perform(t);
  if (!ftp_reply::IsSuccess(code)) return code;
  connected_ = true;
  char* entry = nullptr;
  curl_easy_getinfo(Easy(easy_), CURLINFO_FTP_ENTRY_PATH, &entry);
  currentDir_ = entry && entry[0] == '/' ? Utf8ToAnsi(entry) : "/";
  if (currentDir_.back() != '/') currentDir_ += '/';
  return code;
}

int TMyFtpClient::Quit() {
  // Closing the connections sends QUIT on the open one.
  if (multi_) curl_multi_cleanup(static_cast<CURLM*>(multi_));
  multi_ = curl_multi_init();
  connected_ = false;
  lastText_ = "221 Goodbye.";
  return 221;
}

int TMyFtpClient::ChangeDir(const std::string& folder) {
  if (!easy_) return ftp_reply::kNotStarted;
  if (Unsafe(folder)) return ftp_reply::kNotStarted;
  std::string target = Absolute(folder);
  if (target.back() != '/') target += '/';
  Transfer t;
  Prepare(t, Address(target, true), false);
  curl_easy_setopt(Easy(easy_), CURLOPT_NOBODY, 1L);
  const int code = Perform(t);
  if (ftp_reply::IsSuccess(code)) currentDir_ = target;
  return code;
}

int TMyFtpClient::List(const std::string& folder) {
  if (!easy_ || Unsafe(folder)) return ftp_reply::kNotStarted;
  ListingStream.clear();
  Transfer t;
  t.sink = &ListingStream;
  Prepare(t, Address(folder, true), false);
  const int code = Perform(t);
  ListingStream = Utf8ToAnsi(ListingStream);
  Listing.Reset(ListingStream);
  return code;
}

int TMyFtpClient::Retrieve(const std::string& path, std::string& into) {
  if (!easy_ || Unsafe(path)) return ftp_reply::kNotStarted;
  Transfer t;
  t.sink = &into;
  Prepare(t, Address(path, false), false);
  return Perform(t);
}

int TMyFtpClient::Store(const std::string& path, const FtpSource& source, const std::string& temporaryPath,
                        bool* renameRefused, bool cwdEachFolder) {
  if (renameRefused) *renameRefused = false;
  if (!easy_ || Unsafe(path) || Unsafe(temporaryPath)) return ftp_reply::kNotStarted;
  Transfer t;
  int64_t size = 0;
  if (source.memory) {
    t.memory = source.memory;
    t.position = std::min(source.start, source.memory->size());
    size = static_cast<int64_t>(source.memory->size() - t.position);
  } else {
    struct stat st {};
    t.file = std::fopen(source.file.c_str(), "rb");
    if (!t.file || fstat(fileno(t.file), &st) != 0) {
      lastText_ = "Cannot read " + source.file + ": " + std::strerror(errno);
      return ftp_reply::kLocalFile;
    }
    size = st.st_size;
  }
  const bool viaTemporary = !temporaryPath.empty();
  Prepare(t, Address(viaTemporary ? temporaryPath : path, false), cwdEachFolder);
  CURL* e = Easy(easy_);
  curl_easy_setopt(e, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(e, CURLOPT_READFUNCTION, &ReadSource);
  curl_easy_setopt(e, CURLOPT_READDATA, &t);
  curl_easy_setopt(e, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
  if (viaTemporary &&
      (!Append(t.postquote, "RNFR " + Absolute(temporaryPath)) || !Append(t.postquote, "RNTO " + Absolute(path))))
    return ftp_reply::kNotStarted;
  int code = Perform(t);
  // The rename runs after the data has arrived: a quote failure is the rename's.
  if (viaTemporary && renameRefused && quoteFailed_) *renameRefused = true;
  // A store that went through answers with the transfer's reply, not the rename's.
  if (viaTemporary && ftp_reply::IsSuccess(code) && t.transferCode > 0) {
    code = t.transferCode;
    lastText_ = t.transferText;
  }
  return code;
}

int TMyFtpClient::Quote(const std::vector<std::string>& commands) {
  if (!easy_) return ftp_reply::kNotStarted;
  Transfer t;
  for (const auto& c : commands)
    if (Unsafe(c) || !Append(t.quote, c)) return ftp_reply::kNotStarted;
  Prepare(t, HomeAddress(), false);
  curl_easy_setopt(Easy(easy_), CURLOPT_NOBODY, 1L);
  return Perform(t);
}

}  // namespace tolvane
