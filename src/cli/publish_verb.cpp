// tolvane-cli publish: exports the site into a scratch folder and publishes
// the changed (or all) files over FTP, as the publishing window does.
#include <signal.h>
#include <stdlib.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "cli/cli_context.h"
#include "convert/export_settings.h"
#include "model/document.h"
#include "model/object.h"
#include "platform/settings_store.h"
#include "platform/ui_hooks.h"
#include "publish/publisher.h"

using namespace tolvane;

const char* const kPublishHelp =
    "usage: tolvane-cli publish FILE.yka (--config N | --server HOST) [--port P] [--user U] [--dir /remote]\n"
    "                           [--password-file F] [--changed | --all] [--ftps] [--active] [--timeout S]\n"
    "                           [--ca-file PEM] [--direct] [--export-dir DIR]\n\n"
    "Exports the hypertext as a web site and publishes it over FTP into the remote folder:\n"
    "with --changed (the default) the files changed since the version the server holds, with\n"
    "--all every file. --config N uses server configuration N of the settings; otherwise the\n"
    "server is given here. Port, user, folder and time-out given here win over the\n"
    "configuration. The password is read from the first line of F (or from the\n"
    "configuration when it saves it); it is never printed. Each file is stored under a\n"
    "temporary name and renamed once complete, unless --direct. --ftps secures the session\n"
    "with TLS; the server's certificate is checked against the system's authorities and,\n"
    "with --ca-file, the certificates in PEM. The export goes to a scratch folder, removed afterwards, or to DIR, kept.\n"
    "The document is saved afterwards when the published versions changed it.\n"
    "Exit code 0 only for \"Publication OK.\"; Ctrl+C stops the run.\n";

namespace {

std::atomic<bool> interrupted{false};
std::atomic<int> presses{0};

// The first Ctrl+C stops the run cleanly; a second one ends the program.
void OnInterrupt(int) {
  if (++presses > 1) {
    signal(SIGINT, SIG_DFL);
    raise(SIGINT);
  }
  interrupted = true;
}

// Lets Ctrl+C reach the run between its waits.
class InterruptibleUi : public UiHooks {
 public:
  FtpPublisher* publisher = nullptr;
  void ProcessPendingMessages(int) override {
    if (interrupted.exchange(false) && publisher) {
      std::cerr << "Stop\n";
      publisher->Stop();
    }
  }
};

class CliHost : public PublishHost {
 public:
  explicit CliHost(TYKAset& doc) : doc_(doc) {}
  bool SaveDocument() override { return Saved(doc_, doc_.YKAFileName()); }

 private:
  TYKAset& doc_;
};

bool Whole(const std::string& text, int& value) {
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || !end || *end || v < 0 || v > 1000000) return false;
  value = static_cast<int>(v);
  return true;
}

}  // namespace

int RunPublish(Context& c, const std::vector<std::string>& args) {
  std::string file, server, user, dir, passwordFile, exportDir, caFile;
  int configIndex = -1, port = -1, timeout = -1;
  bool all = false, ftps = false, active = false, direct = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool more = i + 1 < args.size();
    if (a == "--config" && more) {
      if (!Whole(args[++i], configIndex)) return 2;
    } else if (a == "--server" && more) server = args[++i];
    else if (a == "--port" && more) {
      if (!Whole(args[++i], port)) return 2;
    } else if (a == "--user" && more) user = args[++i];
    else if (a == "--dir" && more) dir = args[++i];
    else if (a == "--password-file" && more) passwordFile = args[++i];
    else if (a == "--timeout" && more) {
      if (!Whole(args[++i], timeout)) return 2;
    } else if (a == "--export-dir" && more) exportDir = args[++i];
    else if (a == "--changed") all = false;
    else if (a == "--all") all = true;
    else if (a == "--ftps") ftps = true;
    else if (a == "--ca-file" && more) caFile = args[++i];
    else if (a == "--active") active = true;
    else if (a == "--direct") direct = true;
    else if (file.empty() && !a.starts_with("--")) file = a;
    else return 2;
  }
  if (file.empty() || (configIndex >= 0) == !server.empty()) return 2;
  if (!Opened(c.doc, file)) return 1;

  SettingsStore store(c.settings, nullptr, c.messages);
  InterruptibleUi ui;
  CliHost host(c.doc);
  FtpPublisher publisher(c.doc, store, c.messages, ui, host, PublishMode::site, LoadExportOptions(c.doc, store),
                         DataFolder());
  ui.publisher = &publisher;
  publisher.listRemote = false;
  if (configIndex >= 0) {
    if (configIndex >= std::max(ConfigurationCount(store), 1)) {
      std::cerr << "tolvane-cli: there is no server configuration " << configIndex << "\n";
      return 1;
    }
    publisher.SelectConfiguration(configIndex);
  } else {
    FtpServerConfig config;
    config.name = "tolvane-cli";
    config.server = CleanServerName(server);
    config.user = "anonymous";
    publisher.config = config;
  }
  // What the command line gives wins over the configuration.
  if (port > 0) publisher.config.port = port;
  if (timeout > 0) publisher.config.timeout = timeout;
  if (!user.empty()) publisher.config.user = user;
  if (!dir.empty()) publisher.config.baseDir = CleanBaseFolder(dir);
  if (ftps) publisher.config.ftps = true;
  if (!caFile.empty()) publisher.config.caFile = caFile;
  if (active) publisher.config.passive = false;
  publisher.renameProtection = !direct;
  if (!passwordFile.empty()) {
    std::ifstream in(passwordFile);
    std::string line;
    if (!in || !std::getline(in, line)) {
      std::cerr << "tolvane-cli: the password cannot be read from " << passwordFile << "\n";
      return 1;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    publisher.config.password = line;
  }
  if (publisher.config.password.empty()) {
    std::cerr << "tolvane-cli: no password: give --password-file F\n";
    return 2;
  }

  // The export: a scratch folder unless one is named.
  std::string folder = exportDir;
  bool scratch = false;
  if (folder.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "TmpExpHtml-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
      std::cerr << "tolvane-cli: no scratch folder for the export\n";
      return 1;
    }
    folder = pattern;
    scratch = true;
  }
  struct Cleanup {
    std::string folder;
    ~Cleanup() {
      std::error_code ec;
      if (!folder.empty()) std::filesystem::remove_all(folder, ec);
    }
  } cleanup{scratch ? folder : std::string()};
  publisher.OnExportProgress = ExportProgressPrinter();
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigaction(SIGINT, &action, nullptr);
  if (!publisher.ExportSite(folder)) {
    std::cerr << "Exportation, phase  " << publisher.exportError << " Erreur\n";
    return 1;
  }
  if (interrupted) {
    std::cout << publish_status::kInterrupted << "\n";
    return 1;
  }
  const int connected = publisher.ConnectAndList();
  if (!ftp_reply::IsSuccess(connected)) {
    std::cout << publisher.Status << "\n";
    return 1;
  }
  if (interrupted || publisher.Stopped()) {
    std::cout << publish_status::kInterrupted << "\n";
    return 1;
  }
  std::cerr << publisher.VersionLabel << "\n";
  if (all) {
    for (auto& r : publisher.List().Rows()) r.checked = true;
  } else {
    publisher.TickChanged();
  }
  publisher.OnFileStored = [](size_t done, size_t total, const std::string& name) {
    std::cerr << "[" << done << "/" << total << "] " << name << "\n";
  };
  const bool ok = publisher.Publish();
  std::cout << (publisher.Status.empty() ? std::string("Erreur") : publisher.Status) << "\n";
  publisher.Comm.Disconnect();
  // The published versions live in the document: keep them.
  if (c.doc.IsModified() && !Saved(c.doc, c.doc.YKAFileName())) return 1;
  return ok ? 0 : 1;
}
