// bench_publish [--quick] [FOLDER]
//
// Publishes the generated hypertext of 2,000 pages (200 pictures) to an FTP
// server started on 127.0.0.1 (the tests' pyftpdlib server), then again after
// changing 10 pages, then again with nothing changed, and reports the three
// times next to lftp's "mirror -R" (full) and "mirror -R --only-newer"
// (incremental) against the same server in the same run. lftp works on a
// copy of the site in which only the files that changed are touched (an
// export rewrites every file, which would make lftp send them all).
// Also reported: the FTP commands sent per file stored, with and without the
// temporary-name protection, and what that count would cost at a 30 ms
// round trip.
// Targets: the full upload within 1.5x of lftp's even with the protection,
// the incremental publish at most 0.5x of lftp's.
#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <unistd.h>

#include "bench_site.h"
#include "convert/export_settings.h"
#include "model/object.h"
#include "platform/fakes/silent_messages.h"
#include "platform/memory_settings.h"
#include "platform/settings_store.h"
#include "publish/publisher.h"
#include "server_process.h"

using namespace tolvane;
namespace fs = std::filesystem;

namespace {

class NoHost : public PublishHost {
 public:
  bool SaveDocument() override { return true; }
};

std::map<std::string, std::string> FilesUnder(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) {
      std::ifstream in(e.path(), std::ios::binary);
      files[fs::relative(e.path(), root).string()] =
          std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
  return files;
}

// Sockets in TIME_WAIT: every data connection leaves one, and with tens of
// thousands of them new connections get slower. Each full upload is measured
// once the ones of earlier runs have expired.
size_t TimeWaitSockets() {
  size_t n = 0;
  for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
    std::ifstream in(table);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
      std::istringstream fields(line);
      std::string slot, local, remote, state;
      fields >> slot >> local >> remote >> state;
      n += state == "06";
    }
  }
  return n;
}

void WaitForQuietNetwork() {
  const auto start = std::chrono::steady_clock::now();
  while (TimeWaitSockets() > 1000 && bench::Seconds(start) < 75) usleep(500000);
}

struct Outcome {
  double seconds = 0;
  size_t files = 0;
  int64_t commands = 0;
  bool ok = false;
  std::string status;
};

}  // namespace

int main(int argc, char** argv) {
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  bool quick = false;
  fs::path folder = fs::temp_directory_path() / "tolvane-bench-publish";
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quick") == 0) quick = true;
    else folder = argv[i];
  }
  const int pageCount = quick ? 200 : 2000, pictureCount = quick ? 20 : 200, changedPages = 10;
  std::error_code ec;
  fs::remove_all(folder, ec);
  fs::create_directories(folder / "server", ec);
  if (!bench::Run("command -v lftp >/dev/null 2>&1")) {
    std::printf("lftp is not installed (Debian's lftp): the references cannot be measured\n");
    return 1;
  }
  setenv("no_proxy", "*", 1);

  bench::BenchPlatform platform;
  SilentMessages& messages = platform.messages;
  UiHooks& ui = platform.ui;
  MemorySettings& settings = platform.settings;
  SettingsStore store(settings, nullptr, messages);
  TYKAset doc(platform.Get());
  bench::GeneratedSite site;
  if (!bench::BuildGeneratedSite(doc, folder, pageCount, pictureCount, site)) return 1;
  const std::string docPath = (folder / "bench.yka").string();
  if (!doc.Save(docPath)) return 1;

  ServerProcess server("ftp_server.py", TOLVANE_TEST_SERVERS, {(folder / "server").string(), "alice", "secret"});
  if (server.port() <= 0) {
    std::printf("the FTP server did not start (python3-pyftpdlib)\n");
    return 1;
  }
  NoHost host;
  HtmlExportOptions options;  // the defaults, with every picture beside the pages
  double lastExport = 0;
  // One publish into /REMOTE: exported anew into `out`, the changed rows (or all) ticked.
  auto publish = [&](const std::string& remote, const fs::path& out, bool all, bool protection) {
    FtpPublisher p(doc, store, messages, ui, host, PublishMode::site, options, TOLVANE_DATA_DIR);
    p.listRemote = false;
    p.renameProtection = protection;
    fs::remove_all(out, ec);
    auto exportStart = std::chrono::steady_clock::now();
    p.ExportSite(out.string());
    // Publishing writes the pictures, files and redirect pages of only the
    // rows it sends; the references (lftp's copy, the final check) get all.
    for (const auto& r : p.List().Rows())
      if (const TYKAoggetto* o = doc.FindObject(r.id); o && (r.type == "Image" || r.type == "Fichier"))
        p.Converter().WriteResource(*o);
      else if (o && r.type == "Page")
        p.Converter().WriteRedirectFile(*o);
    lastExport = bench::Seconds(exportStart);
    p.config.server = "127.0.0.1";
    p.config.port = server.port();
    p.config.user = "alice";
    p.config.password = "secret";
    p.config.baseDir = remote;
    p.Comm.Client.countCommands = true;
    Outcome o;
    size_t stored = 0;
    p.OnFileStored = [&](size_t done, size_t, const std::string&) { stored = done; };
    auto start = std::chrono::steady_clock::now();
    if (ftp_reply::IsSuccess(p.ConnectAndList())) {
      if (all) {
        for (auto& r : p.List().Rows()) r.checked = true;
      } else {
        p.TickChanged();
      }
      o.ok = p.Publish();
    }
    p.Comm.Disconnect();
    o.seconds = bench::Seconds(start);
    o.files = stored;
    o.commands = p.Comm.Client.CommandsSent();
    o.status = p.Status;
    if (doc.IsModified()) doc.Save(docPath);
    return o;
  };
  const std::string lftp = "lftp -u alice,secret -p " + std::to_string(server.port()) +
                           " -e 'set cmd:fail-exit yes; set net:max-retries 1; ";
  auto mirror = [&](const fs::path& local, const std::string& remote, bool onlyNewer) {
    auto start = std::chrono::steady_clock::now();
    const bool ok = bench::Run(lftp + "mirror -R " + (onlyNewer ? "--only-newer " : "") + local.string() + " " +
                               remote + "; quit' 127.0.0.1 >/dev/null 2>&1");
    return ok ? bench::Seconds(start) : -1.0;
  };

  // Full: ours with the protection, then lftp, each on a quiet network.
  WaitForQuietNetwork();
  const Outcome full = publish("/ours", folder / "export", true, true);
  const double exportSeconds = lastExport;
  fs::copy(folder / "export", folder / "lftp-site", fs::copy_options::recursive, ec);
  WaitForQuietNetwork();
  const double lftpFull = mirror(folder / "lftp-site", "/lftp", false);

  // Ten pages change; lftp's copy gets exactly the files that differ.
  const auto before = FilesUnder(folder / "export");
  for (int i = 0; i < changedPages; ++i) {
    TYKAtesto* page = site.pages[static_cast<size_t>(i * (pageCount / changedPages))];
    page->SetCaption(page->ObjectCaption() + " (revu)");
    page->SetGeneration(doc.SaveCounter());
  }
  doc.Save(docPath);
  const Outcome incremental = publish("/ours", folder / "export", false, true);
  size_t touched = 0;
  for (const auto& [name, bytes] : FilesUnder(folder / "export")) {
    auto it = before.find(name);
    if (it != before.end() && it->second == bytes) continue;
    std::ofstream(folder / "lftp-site" / name, std::ios::binary) << bytes;
    ++touched;
  }
  const double lftpIncremental = mirror(folder / "lftp-site", "/lftp", true);

  // Nothing changed.
  const Outcome unchanged = publish("/ours", folder / "export", false, true);
  const double lftpUnchanged = mirror(folder / "lftp-site", "/lftp", true);

  // Full again without the protection, into another folder, for the command
  // count (last: it marks every object published at a newer version).
  WaitForQuietNetwork();
  const Outcome fullDirect = publish("/direct", folder / "export-direct", true, false);

  // The site on the server is the export.
  const auto exported = FilesUnder(folder / "export");
  auto onServer = FilesUnder(folder / "server" / "ours");
  onServer.erase("bench_ver.html");
  const bool same = onServer == exported;

  const double perFile = full.files ? static_cast<double>(full.commands) / static_cast<double>(full.files) : 0;
  const double perFileDirect =
      fullDirect.files ? static_cast<double>(fullDirect.commands) / static_cast<double>(fullDirect.files) : 0;
  std::printf("site: %d pages, %d pictures, %zu files exported in %.3f s (not counted below)\n", pageCount,
              pictureCount, exported.size(), exportSeconds);
  std::printf("full:        ours %.3f s for %zu rows (%s); lftp mirror -R %.3f s; ours/lftp %.2fx (target <= 1.5x)\n",
              full.seconds, full.files, full.status.c_str(), lftpFull, full.seconds / lftpFull);
  std::printf("             without the temporary names: %.3f s (%s)\n", fullDirect.seconds, fullDirect.status.c_str());
  std::printf("incremental: %d pages changed, %zu files differ; ours %.3f s for %zu rows (%s); lftp --only-newer "
              "%.3f s; ours/lftp %.2fx (target <= 0.5x)\n",
              changedPages, touched, incremental.seconds, incremental.files, incremental.status.c_str(),
              lftpIncremental, incremental.seconds / lftpIncremental);
  std::printf("unchanged:   ours %.3f s for %zu rows; lftp --only-newer %.3f s; ours/lftp %.2fx\n", unchanged.seconds,
              unchanged.files, lftpUnchanged, unchanged.seconds / lftpUnchanged);
  std::printf("commands per file stored: %.2f with temporary names, %.2f without; at a 30 ms round trip "
              "(one more for the data connection) %.0f ms and %.0f ms a file\n",
              perFile, perFileDirect, (perFile + 1) * 30, (perFileDirect + 1) * 30);
  std::printf("the server holds the export: %s\n", same ? "yes" : "NO");
  const bool met = same && full.ok && incremental.ok && lftpFull > 0 && lftpIncremental > 0 &&
                   full.seconds / lftpFull <= 1.5 && incremental.seconds / lftpIncremental <= 0.5;
  std::printf("targets: %s\n", met ? "met" : "NOT met");
  if (!std::getenv("BENCH_KEEP")) fs::remove_all(folder, ec);
  return 0;
}
