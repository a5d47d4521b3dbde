// What the verbs of tolvane-cli share.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tolvane {
class MessageBoxes;
class SettingsBackend;
class TYKAset;
class UiHooks;
}  // namespace tolvane

struct Context {
  tolvane::TYKAset& doc;
  tolvane::SettingsBackend& settings;
  tolvane::MessageBoxes& messages;
};

// The files beside the program: $TOLVANE_DATA, data/ next to the program or
// in the share folder above it, else the source tree's.
std::string DataFolder();
// Open and save, saying on standard error what went wrong.
bool Opened(tolvane::TYKAset& doc, const std::string& path);
bool Saved(tolvane::TYKAset& doc, const std::string& path);
// Export progress on standard error, each phase in steps of 20 percent.
std::function<void(int pag, int tot, int phase)> ExportProgressPrinter();

extern const char* const kPublishHelp;
int RunPublish(Context& c, const std::vector<std::string>& args);
