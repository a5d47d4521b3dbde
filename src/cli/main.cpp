// tolvane-cli: document files from the command line.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_context.h"
#include "cli/console_messages.h"
#include "cli/describe.h"
#include "common/file_names.h"
#include "convert/site_export.h"
#include "platform/settings_store.h"
#include "model/document.h"
#include "platform/qt/qt_settings.h"

using namespace tolvane;

// The files beside the program: $TOLVANE_DATA, data/ next to the program or
// in the share folder above it, else the source tree's.
std::string DataFolder() {
  if (const char* env = std::getenv("TOLVANE_DATA"); env && *env) return env;
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec)
    for (const auto& candidate : {exe.parent_path() / "data", exe.parent_path().parent_path() / "share" / "tolvane"})
      if (std::filesystem::is_directory(candidate / "HtmlModele", ec)) return candidate.string();
  return TOLVANE_DATA_DIR;
}

bool Saved(TYKAset& doc, const std::string& path) {
  if (doc.Save(path)) return true;
  for (const auto& e : doc.SaveErrors()) std::cerr << "Erreur!: " << e << '\n';
  std::cerr << "tolvane-cli: " << path << " was not saved\n";
  return false;
}

std::function<void(int, int, int)> ExportProgressPrinter() {
  return [lastShown = -1](int pag, int tot, int phase) mutable {
    const int percent = tot > 0 ? pag * 100 / tot : 100;
    const int key = phase * 1000 + percent / 20;
    if (key == lastShown) return;
    lastShown = key;
    std::cerr << "Exportation, phase " << phase << ": " << percent << "%\n";
  };
}

bool Opened(TYKAset& doc, const std::string& path) {
  if (doc.Open(path)) return true;
  std::cerr << "tolvane-cli: " << path << " cannot be read";
  if (!doc.OpenProblem().empty()) std::cerr << " (" << doc.OpenProblem() << ")";
  std::cerr << '\n';
  return false;
}

namespace {

constexpr const char* kUsage =
    "usage: tolvane-cli <verb> [arguments]\n"
    "\n"
    "verbs:\n"
    "  new OUT.yka               save a new, empty document to OUT.yka\n"
    "  info FILE.yka [--json]    describe the header, the kinds and every object\n"
    "  resave IN.yka OUT.yka     open IN.yka and save it to OUT.yka\n"
    "  export FILE.yka OUTDIR    export the hypertext as a web site into OUTDIR\n"
    "  publish FILE.yka ...      export the site and publish it over FTP\n"
    "  settings get|set|list ...  read and write the settings\n"
    "\n"
    "options:\n"
    "  --settings FILE           the settings file to use (default: $TOLVANE_SETTINGS,\n"
    "                            else ~/.config/Kelmori/Tolvane.conf)\n"
    "\n"
    "tolvane-cli <verb> --help describes one verb.\n";


struct Verb {
  const char* name;
  const char* help;
  int (*run)(Context& c, const std::vector<std::string>& args);
};

int RunNew(Context& c, const std::vector<std::string>& args) {
  TYKAset& doc = c.doc;
  if (args.size() != 1) return 2;
  doc.New();
  return Saved(doc, args[0]) ? 0 : 1;
}

int RunInfo(Context& c, const std::vector<std::string>& args) {
  TYKAset& doc = c.doc;
  bool json = false;
  std::string path;
  for (const auto& a : args) {
    if (a == "--json") json = true;
    else if (path.empty()) path = a;
    else return 2;
  }
  if (path.empty()) return 2;
  if (!Opened(doc, path)) return 1;
  std::cout << (json ? DescribeJson(doc) : DescribeText(doc));
  return 0;
}

int RunResave(Context& c, const std::vector<std::string>& args) {
  TYKAset& doc = c.doc;
  if (args.size() != 2) return 2;
  if (!Opened(doc, args[0])) return 1;
  return Saved(doc, args[1]) ? 0 : 1;
}

// Keys are full paths ("\\SOFTWARE\\Kelmori\\Tolvane3.0F\\options"); names and
// parts compare without case.
int RunSettings(Context& c, const std::vector<std::string>& args) {
  if (args.empty()) return 2;
  const std::string& what = args[0];
  if (what == "get" && args.size() == 3) {
    auto value = c.settings.ReadValue(args[1], args[2]);
    if (!value) {
      std::cerr << "tolvane-cli: no value \"" << args[2] << "\" under " << args[1] << '\n';
      return 1;
    }
    std::cout << *value << '\n';
    return 0;
  }
  if (what == "set" && args.size() == 4) {
    if (c.settings.WriteValue(args[1], args[2], args[3])) return 0;
    std::cerr << "tolvane-cli: the settings file cannot be written\n";
    return 1;
  }
  if (what == "list" && args.size() == 2) {
    for (const auto& k : c.settings.SubKeys(args[1])) std::cout << k << "\\\n";
    for (const auto& n : c.settings.ValueNames(args[1]))
      std::cout << n << '=' << c.settings.ReadValue(args[1], n).value_or("") << '\n';
    return 0;
  }
  return 2;
}

int RunExport(Context& c, const std::vector<std::string>& args) {
  std::string file, folder, ext, pages;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--ext" && i + 1 < args.size()) ext = args[++i];
    else if (args[i] == "--pages" && i + 1 < args.size()) pages = args[++i];
    else if (file.empty()) file = args[i];
    else if (folder.empty()) folder = args[i];
    else return 2;
  }
  if (file.empty() || folder.empty()) return 2;
  if (!Opened(c.doc, file)) return 1;
  SettingsStore store(c.settings, nullptr, c.messages);
  HtmlExportOptions options = LoadExportOptions(c.doc, store);
  if (!ext.empty()) {
    static constexpr const char* kExtensions[] = {"htm", "html", "asp", "shtml", "php", "cfm"};
    int found = -1;
    for (int i = 0; i < 6; ++i)
      if (ext == kExtensions[i] || ext == std::string(".") + kExtensions[i]) found = i;
    if (found < 0) {
      std::cerr << "tolvane-cli: unknown page extension \"" << ext << "\" (htm, html, asp, shtml, php or cfm)\n";
      return 2;
    }
    options.extension = found;
  }
  std::vector<int32_t> ids;
  if (pages.empty()) {
    for (int s = 0; s < c.doc.KindCount(testoHtml); ++s)
      if (const TYKAoggetto* p = c.doc.ObjectAt(testoHtml, s); p && !p->IsFree()) ids.push_back(p->ObjectId());
  } else {
    size_t start = 0;
    while (start <= pages.size()) {
      size_t end = pages.find(',', start);
      if (end == std::string::npos) end = pages.size();
      const std::string item = pages.substr(start, end - start);
      char* stop = nullptr;
      const long slot = std::strtol(item.c_str(), &stop, 10);
      const TYKAoggetto* p = !item.empty() && stop && *stop == '\0' ? c.doc.ObjectAt(testoHtml, slot) : nullptr;
      if (!p || p->IsFree()) {
        std::cerr << "tolvane-cli: no page " << item << " in " << file << "\n";
        return 1;
      }
      ids.push_back(p->ObjectId());
      start = end + 1;
    }
  }
  TYKAtoHtml html(c.doc, options, DataFolder());
  if (!html.SetExportPath(folder)) return 1;
  html.OnExpProgress = ExportProgressPrinter();
  const bool ok = html.ExportPages(ids);
  std::cerr << html.WrittenFiles().size() << " files written in " << folder << "\n";
  const TYKAoggetto* cover = c.doc.FindObject(c.doc.CoverPage());
  if (!cover || cover->IsFree() || cover->Kind() != testoHtml) cover = ids.empty() ? nullptr : c.doc.FindObject(ids[0]);
  if (cover) std::cout << html.LocalPath(html.Naming().FileNameOf(*cover, 0)) << "\n";
  if (!ok) {
    std::cerr << "tolvane-cli: some files could not be written in " << folder << "\n";
    return 1;
  }
  return 0;
}

const Verb kVerbs[] = {
    {"new", "usage: tolvane-cli new OUT.yka\n\nSaves a new, empty document to OUT.yka.\n", RunNew},
    {"info",
     "usage: tolvane-cli info FILE.yka [--json]\n\n"
     "Describes the document: its header fields, one row per kind (record size, slots,\n"
     "slots in use) and one row per object (id, kind, slot, state, free, caption,\n"
     "content size, attribute size). --json prints the same as one JSON document:\n"
     "{\"header\": {...}, \"kinds\": [...], \"objects\": [...]}.\n",
     RunInfo},
    {"resave", "usage: tolvane-cli resave IN.yka OUT.yka\n\nOpens IN.yka and saves it to OUT.yka.\n", RunResave},
    {"export",
     "usage: tolvane-cli export FILE.yka OUTDIR [--ext htm|html|asp|shtml|php|cfm] [--pages LIST]\n\n"
     "Exports the hypertext as a web site into OUTDIR: one file per page, the pictures and\n"
     "files they use, the style sheet, the script file and the search page. LIST names pages\n"
     "by their index, separated by commas (default: every page). Progress goes to standard\n"
     "error; the path of the start page is printed.\n",
     RunExport},
    {"publish", kPublishHelp, RunPublish},
    {"settings",
     "usage: tolvane-cli settings get KEY NAME\n"
     "       tolvane-cli settings set KEY NAME VALUE\n"
     "       tolvane-cli settings list KEY\n\n"
     "Reads or writes one value of the settings, or lists a key's subkeys (ending in \"\\\")\n"
     "and values. KEY is a full path such as \"\\SOFTWARE\\Kelmori\\Tolvane3.0F\\options\".\n",
     RunSettings},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
    (argc < 2 ? std::cerr : std::cout) << kUsage;
    return argc < 2 ? 2 : 0;
  }
  const Verb* verb = nullptr;
  for (const auto& v : kVerbs)
    if (!std::strcmp(argv[1], v.name)) verb = &v;
  if (!verb) {
    std::cerr << "tolvane-cli: unknown verb \"" << argv[1] << "\"\n" << kUsage;
    return 2;
  }
  std::vector<std::string> args;
  std::string settingsFile;
  for (int i = 2; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::cout << verb->help;
      return 0;
    }
    if (a == "--settings") {
      if (i + 1 >= argc) {
        std::cerr << "tolvane-cli: --settings needs a file\n";
        return 2;
      }
      settingsFile = argv[++i];
      continue;
    }
    args.push_back(a);
  }

  ConsoleMessages messages;
  UiHooks ui;
  auto system = MakeHostSystemInfo();
  auto files = MakePosixFileSystem();
  auto random = MakeSystemRandom();
  IniSettings settings(DefaultSettingsFiles(settingsFile).user);
  TYKAset doc(Platform{messages, ui, *system, *files, *random, settings});
  Context context{doc, settings, messages};
  int rc = verb->run(context, args);
  if (rc == 2) std::cerr << verb->help;
  return rc;
}
