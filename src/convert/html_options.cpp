#include "convert/html_options.h"

#include <functional>

#include "common/ansi.h"
#include "common/decimal.h"
#include "model/document.h"
#include "platform/settings_store.h"

namespace tolvane {

std::string HtmlExportOptions::PageExtension() const {
  static constexpr const char* kExtensions[] = {".htm", ".html", ".asp", ".shtml", ".php", ".cfm"};
  return kExtensions[extension >= 0 && extension < 6 ? extension : 0];
}

HtmlExportOptions LoadExportOptions(TYKAset& doc, const SettingsStore& settings) {
  constexpr std::string_view kSection = "htmlexp";
  bool fromDocument = settings.ReadSetting(kSection, "expGlobal") == "0";
  if (TYKAoggetto* bag = doc.PropertiesObject())
    for (const auto& [key, value] : bag->PropertyPairs())
      if (AnsiSameText(key, "expOrigName")) fromDocument = true;
  std::function<std::string(std::string_view)> read = [&](std::string_view key) {
    return fromDocument ? doc.ReadDocProperty(AnsiLowerCase(key)) : settings.ReadSetting(kSection, key);
  };
  auto on = [&](std::string_view key) { return read(key) == "1"; };       // off unless "1"
  auto notOff = [&](std::string_view key) { return read(key) != "0"; };  // on unless "0"
  auto text = [&](std::string_view key, const char* byDefault) {
    std::string v = read(key);
    return v.empty() ? std::string(byDefault) : v;
  };

  HtmlExportOptions o;
  o.originalNames = on("expOrigName");
  o.ownPageNames = on("expOrigHtml");
  o.separateImages = on("expSepImage");
  o.separateKeywords = on("expSepKeys");
  o.metaTitle = notOff("expMetaTitle");
  o.metaKeywords = notOff("expMetaKey");
  o.oldBrowsers = on("expCompatibleOB");
  o.automaticAlt = notOff("expAlt");
  auto ext = ParseDecimal(read("expTipoExt"));
  o.extension = ext && *ext >= 0 && *ext <= 5 ? static_cast<int>(*ext) : 0;
  o.pictureFolder = text("expImages", "images");
  o.keywordFolder = text("expKeys", "util");
  o.keywordSeparator = text("expKMain", "/");
  o.domain = read("expDomain");
  if (o.domain.empty()) {
    const std::string n = settings.ReadSetting("ftpnet", "NumSelectedConf0");
    if (!n.empty()) o.domain = settings.ReadSetting("ftpnet\\" + n, "www");
  }
  if (o.domain.empty()) o.domain = "tobeconfigured";
  return o;
}

}  // namespace tolvane
