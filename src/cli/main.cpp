// tolvane-cli: document files from the command line.
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "cli/console_messages.h"
#include "cli/describe.h"
#include "model/document.h"
#include "platform/memory_settings.h"

using namespace tolvane;

namespace {

constexpr const char* kUsage =
    "usage: tolvane-cli <verb> [arguments]\n"
    "\n"
    "verbs:\n"
    "  new OUT.yka               save a new, empty document to OUT.yka\n"
    "  info FILE.yka [--json]    describe the header, the kinds and every object\n"
    "  resave IN.yka OUT.yka     open IN.yka and save it to OUT.yka\n"
    "\n"
    "tolvane-cli <verb> --help describes one verb.\n";

struct Verb {
  const char* name;
  const char* help;
  int (*run)(TYKAset& doc, const std::vector<std::string>& args);
};

bool Saved(TYKAset& doc, const std::string& path) {
  if (doc.Save(path)) return true;
  for (const auto& e : doc.SaveErrors()) std::cerr << "Erreur!: " << e << '\n';
  std::cerr << "tolvane-cli: " << path << " was not saved\n";
  return false;
}

bool Opened(TYKAset& doc, const std::string& path) {
  if (doc.Open(path)) return true;
  std::cerr << "tolvane-cli: " << path << " cannot be read";
  if (!doc.OpenProblem().empty()) std::cerr << " (" << doc.OpenProblem() << ")";
  std::cerr << '\n';
  return false;
}

int RunNew(TYKAset& doc, const std::vector<std::string>& args) {
  if (args.size() != 1) return 2;
  doc.New();
  return Saved(doc, args[0]) ? 0 : 1;
}

int RunInfo(TYKAset& doc, const std::vector<std::string>& args) {
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

int RunResave(TYKAset& doc, const std::vector<std::string>& args) {
  if (args.size() != 2) return 2;
  if (!Opened(doc, args[0])) return 1;
  return Saved(doc, args[1]) ? 0 : 1;
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
  std::vector<std::string> args(argv + 2, argv + argc);
  for (const auto& a : args)
    if (a == "--help" || a == "-h") {
      std::cout << verb->help;
      return 0;
    }

  ConsoleMessages messages;
  UiHooks ui;
  auto system = MakeHostSystemInfo();
  auto files = MakePosixFileSystem();
  auto random = MakeSystemRandom();
  MemorySettings settings;  // the command line keeps no settings yet
  TYKAset doc(Platform{messages, ui, *system, *files, *random, settings});
  int rc = verb->run(doc, args);
  if (rc == 2) std::cerr << verb->help;
  return rc;
}
