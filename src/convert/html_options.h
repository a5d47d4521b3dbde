// The options of an HTML export, and where they are kept: in the document
// when it has its own, else in the settings.
#pragma once

#include <string>

namespace tolvane {

class SettingsStore;
class TYKAset;

struct HtmlExportOptions {
  bool metaTitle = true;        // ExpMetaTitle
  bool separateImages = false;  // ExpSepImage
  bool separateKeywords = false;  // ExpSepKeys
  bool originalNames = false;   // ExpOrigName
  int extension = 1;            // ExpTipoExt: index into the page extensions
  bool metaKeywords = true;
  bool oldBrowsers = false;     // font attributes as well as styles
  bool ownPageNames = false;    // pages with their own file name are written under it
  bool automaticAlt = true;
  std::string domain;           // the published site, for the search page
  std::string keywordSeparator = "/";
  std::string keywordFolder = "util";
  std::string pictureFolder = "images";

  // ".htm", ".html", ".asp", ".shtml", ".php" or ".cfm".
  std::string PageExtension() const;
};

HtmlExportOptions LoadExportOptions(TYKAset& doc, const SettingsStore& settings);

}  // namespace tolvane
