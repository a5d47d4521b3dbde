#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/system_info.h"

namespace tolvane {
namespace {

class HostSystemInfo : public SystemInfo {
 public:
  std::string UserName() const override {
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name) return pw->pw_name;
    if (const char* user = std::getenv("USER")) return user;
    return {};
  }
  int ScreenPixelsPerInch() const override { return 96; }
  int AnsiCodePage() const override { return 1252; }
  std::string DocumentsFolder() const override {
    if (const char* docs = std::getenv("XDG_DOCUMENTS_DIR"); docs && *docs) return docs;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/Documents";
  }
  bool HasNetworkAddress() const override {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return false;
    bool found = false;
    for (ifaddrs* a = list; a && !found; a = a->ifa_next) {
      if (!a->ifa_addr || !(a->ifa_flags & IFF_UP) || (a->ifa_flags & IFF_LOOPBACK)) continue;
      found = a->ifa_addr->sa_family == AF_INET || a->ifa_addr->sa_family == AF_INET6;
    }
    freeifaddrs(list);
    return found;
  }
  std::string TemporaryFolder() const override {
    std::error_code ec;
    auto p = std::filesystem::temp_directory_path(ec);
    return ec ? std::string("/tmp") : p.string();
  }
};

}  // namespace

std::unique_ptr<SystemInfo> MakeHostSystemInfo() { return std::make_unique<HostSystemInfo>(); }

}  // namespace tolvane
