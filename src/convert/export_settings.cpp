#include "convert/export_settings.h"

#include "common/ansi.h"
#include "common/decimal.h"
#include "common/file_names.h"
#include "convert/html_filters.h"
#include "model/document.h"
#include "model/object.h"
#include "platform/messages.h"
#include "platform/settings_store.h"

namespace tolvane {
namespace {

constexpr std::string_view kSection = "htmlexp";

std::string Flag(bool on) { return on ? "1" : "0"; }

// "'" would end the script strings the cart fields go into.
std::string CartText(std::string_view text) {
  std::string out;
  for (char c : text) out += c == '\'' ? std::string("&#180;") : std::string(1, c);
  return out;
}

}  // namespace

bool ExportOptionsAreGlobal(TYKAset& doc, const SettingsStore& settings) {
  if (TYKAoggetto* bag = doc.PropertiesObject())
    for (const auto& [key, value] : bag->PropertyPairs())
      if (AnsiSameText(key, "expOrigName")) return false;
  return settings.ReadSetting(kSection, "expGlobal") != "0";
}

void StoreExportOptions(TYKAset& doc, SettingsStore& settings, const HtmlExportOptions& o, bool global) {
  settings.WriteSetting(kSection, "expGlobal", Flag(global));
  auto write = [&](std::string_view key, const std::string& value) {
    if (global) settings.WriteSetting(kSection, key, value);
    else doc.WriteDocProperty(AnsiLowerCase(key), value);
  };
  write("expOrigName", Flag(o.originalNames));
  write("expOrigHtml", Flag(o.ownPageNames));
  write("expSepImage", Flag(o.separateImages));
  write("expSepKeys", Flag(o.separateKeywords));
  write("expMetaTitle", Flag(o.metaTitle));
  write("expMetaKey", Flag(o.metaKeywords));
  write("expCompatibleOB", Flag(o.oldBrowsers));
  write("expAlt", Flag(o.automaticAlt));
  write("expTipoExt", std::to_string(o.extension));
  write("expImages", o.pictureFolder);
  write("expKeys", o.keywordFolder);
  write("expKMain", o.keywordSeparator);
  write("expDomain", o.domain);
}

HypertextExportSettings ReadHypertextExportSettings(TYKAset& doc) {
  HypertextExportSettings s;
  s.exportPrefix = doc.ExpPrefix();
  s.charSet = doc.CharSet();
  s.globalMargin = doc.GlobalMargin();
  s.coverFileNameOn = doc.header().U8(hdr::kCoverFileName) != 0;
  s.coverFileName = doc.ReadDocProperty("index");
  s.titlePrefix = doc.ReadDocProperty("titleprefix");
  s.cssAdd = doc.ReadDocProperty("css-add");
  s.cartTemplate = doc.ReadDocProperty("cart");
  s.cartEmail = doc.ReadDocProperty("cartemail");
  s.cartRemark = doc.ReadDocProperty("cartremark");
  s.cartFax = doc.ReadDocProperty("cartfax");
  auto colour = [&](const char* key, uint32_t byDefault) {
    auto v = ParseDecimal(doc.ReadDocProperty(key));
    return v && *v >= 0 ? static_cast<uint32_t>(*v) : byDefault;
  };
  s.cartEvenColour = colour("cartcolp", 0xFFF080);
  s.cartOddColour = colour("cartcold", 0xFFE080);
  return s;
}

void StoreHypertextExportSettings(TYKAset& doc, const HypertextExportSettings& s, MessageBoxes& messages) {
  doc.SetExpPrefix(FileNameSafe(s.exportPrefix.substr(0, 16)));
  doc.SetCharSet(s.charSet.substr(0, 150));
  doc.SetGlobalMargin(s.globalMargin);
  // An empty cover name switches the option off.
  const bool coverOn = s.coverFileNameOn && !s.coverFileName.empty();
  doc.header().SetU8(hdr::kCoverFileName, coverOn ? 1 : 0);
  if (coverOn) {
    const std::string ext = AnsiLowerCase(ExtractFileExt(s.coverFileName));
    if (ext != ".htm" && ext != ".html") messages.ShowError("Le nom indiqu\xC3\xA9 doit terminer avec .htm ou .html");
  }
  doc.WriteDocProperty("index", s.coverFileName);
  doc.WriteDocProperty("titleprefix", s.titlePrefix.substr(0, 79));
  if (s.cssAdd) doc.WriteDocProperty("css-add", *s.cssAdd);
  doc.WriteDocProperty("cart", s.cartTemplate);
  doc.WriteDocProperty("cartemail", CartText(s.cartEmail));
  doc.WriteDocProperty("cartremark", CartText(s.cartRemark));
  doc.WriteDocProperty("cartfax", CartText(s.cartFax));
  doc.WriteDocProperty("cartcolp", std::to_string(s.cartEvenColour));
  doc.WriteDocProperty("cartcold", std::to_string(s.cartOddColour));
}

ExportDialogSettings ReadExportDialogSettings(const SettingsStore& settings, int format) {
  const std::string section = "exp\\" + std::to_string(format);
  return {settings.ReadSetting(section, "expPathInWindow"), settings.ReadSetting(section, "watermark")};
}

void StoreExportDialogSettings(SettingsStore& settings, int format, const ExportDialogSettings& s) {
  const std::string section = "exp\\" + std::to_string(format);
  settings.WriteSetting(section, "expPathInWindow", s.folder);
  settings.WriteSetting(section, "watermark", s.watermark);
  settings.WriteOption("ExpDir", s.folder);
}

}  // namespace tolvane
