// What the publishing tests share: a scratch folder, an FTP server serving
// another one on 127.0.0.1, and whole-file helpers.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "publish/ftp_client.h"
#include "server_process.h"

namespace tolvane::test {

namespace fs = std::filesystem;

class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "tolvane-publish-XXXXXX").string();
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// A self-signed certificate and key for 127.0.0.1 in one PEM file; false
// when it could not be made.
inline bool MakeLoopbackCertificate(const std::string& pem) {
  const std::string make = "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 "
                           "-addext subjectAltName=IP:127.0.0.1 -keyout " + pem + " -out " + pem + " >/dev/null 2>&1";
  return std::system(make.c_str()) == 0;
}

// Every file under `root`, by its path relative to it, with its bytes.
inline std::map<std::string, std::string> FilesUnder(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) files[fs::relative(e.path(), root).string()] = ReadAll(e.path().string());
  return files;
}

// A proxy from the environment must not stand between us and 127.0.0.1.
class NoProxy : public ::testing::Environment {
 public:
  void SetUp() override {
    setenv("no_proxy", "*", 1);
    setenv("NO_PROXY", "*", 1);
  }
};

// The test FTP server on its own scratch root, user "alice", password "secret".
class FtpServer {
 public:
  explicit FtpServer(std::vector<std::string> extra = {})
      : process_("ftp_server.py", TOLVANE_TEST_SERVERS, Arguments(root_.path(), std::move(extra))) {}
  int port() const { return process_.port(); }
  const std::string& root() const { return root_.path(); }
  // Sets a misbehaviour (see the script) and waits until the server has it.
  bool Fault(const std::string& line) {
    if (!process_.Send(line)) return false;
    for (;;) {
      auto reply = process_.NextLine(std::chrono::seconds(10));
      if (!reply) return false;
      if (*reply == "OK") return true;
    }
  }
  FtpServerAddress Address(const std::string& password = "secret") const {
    FtpServerAddress a;
    a.host = "127.0.0.1";
    a.port = port();
    a.user = "alice";
    a.password = password;
    a.timeoutSeconds = 5;
    return a;
  }
  ServerProcess& process() { return process_; }

 private:
  static std::vector<std::string> Arguments(const std::string& root, std::vector<std::string> extra) {
    std::vector<std::string> a = {root, "alice", "secret"};
    a.insert(a.end(), extra.begin(), extra.end());
    return a;
  }
  ScratchFolder root_;
  ServerProcess process_;
};

}  // namespace tolvane::test
