// What the export dialogs read and store, so that they stay thin: the HTML
// options (in the settings or in the document), the document's own export
// settings, and the export dialog's folder and watermark per format.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "convert/html_options.h"

namespace tolvane {

class MessageBoxes;
class SettingsStore;
class TYKAset;

// Where the HTML options are kept: true for the settings ("global"), false
// for the document ("fichier YKA courant").
bool ExportOptionsAreGlobal(TYKAset& doc, const SettingsStore& settings);
// Stores the options there, and which of the two holds them.
void StoreExportOptions(TYKAset& doc, SettingsStore& settings, const HtmlExportOptions& options, bool global);

// The export fields of the hypertext options.
struct HypertextExportSettings {
  std::string exportPrefix;
  std::string charSet;
  int32_t globalMargin = -1;  // -1: none
  bool coverFileNameOn = true;
  std::string coverFileName = "index.htm";
  std::string titlePrefix;
  std::optional<std::string> cssAdd;  // stored only when edited
  std::string cartTemplate = "js.js";
  std::string cartEmail, cartRemark, cartFax;
  uint32_t cartEvenColour = 0xFFF080, cartOddColour = 0xFFE080;
};
HypertextExportSettings ReadHypertextExportSettings(TYKAset& doc);
// Stores them, cut and cleaned as the document keeps them; a cover name
// that is not a page file is reported (and stored all the same).
void StoreHypertextExportSettings(TYKAset& doc, const HypertextExportSettings& s, MessageBoxes& messages);

// The export dialog's memory for one format (0 HTML, 2 RTF one file, 3 RTF
// per page, 5 text).
struct ExportDialogSettings {
  std::string folder;
  std::string watermark;
};
ExportDialogSettings ReadExportDialogSettings(const SettingsStore& settings, int format);
void StoreExportDialogSettings(SettingsStore& settings, int format, const ExportDialogSettings& s);

}  // namespace tolvane
