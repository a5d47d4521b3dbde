#include <gtest/gtest.h>

#include "../model/test_support.h"
#include "common/hex_id.h"
#include "convert/export_settings.h"
#include "convert/file_naming.h"
#include "convert/html_filters.h"
#include "convert/html_options.h"
#include "platform/settings_store.h"

namespace tolvane::testing {
namespace {

TEST(Naming, FileNamesOfPagesAndResources) {
  DocFixture f;
  TYKAset& d = *f.doc;
  TYKAtesto* cover = d.CreatePage();
  TYKAtesto* page = d.CreatePage();
  TYKAtesto* named = d.CreatePage();
  named->SetShortString(page_rec::kFileNameOverride, 41, "../../etc/mes pages.htm");
  d.SetCoverPage(cover->ObjectId());
  TYKAoggetto* picture = d.CreateObject(immagine);
  picture->SetShortString(picture_rec::kFileName, picture_rec::kFileNameSize, "C:\\Photos\\Vue.JPG");
  TYKAoggetto* placed = d.CreateObject(immagineNew);
  placed->SetI32(placed_rec::kMainPicture, picture->Slot());
  TYKAoggetto* file = d.CreateObject(genLink);
  file->SetShortString(link_rec::kCaption, link_rec::kFileNameSize, "notes.PDF");
  TYKAoggetto* movie = d.CreateObject(genLink);
  movie->SetShortString(link_rec::kCaption, link_rec::kFileNameSize, "film.mov");

  HtmlExportOptions o;
  o.extension = 0;
  FileNaming n(d, o, "site");
  struct Case {
    const TYKAoggetto* object;
    int mode;
    std::string name;
  } plain[] = {
      {cover, 0, "index.htm"},  // the cover file name option of a new document
      {cover, 1, "site-index.htm"},
      {page, 0, "site_" + HexDigits(static_cast<uint32_t>(page->Slot()), 6) + ".htm"},
      {page, 1, "site-" + HexDigits(static_cast<uint32_t>(page->Slot()), 6) + ".htm"},
      {named, 0, "site_" + HexDigits(static_cast<uint32_t>(named->Slot()), 6) + ".htm"},  // own names are off
      {picture, 2, "site_i" + HexDigits(static_cast<uint32_t>(picture->Slot()), 6) + ".jpg"},
      {placed, 0, "site_i" + HexDigits(static_cast<uint32_t>(picture->Slot()), 6) + ".jpg"},
      {file, 2, "site_g" + HexDigits(static_cast<uint32_t>(file->Slot()), 6) + ".pdf"},
      {movie, 2, "film.mov"},
  };
  for (const auto& c : plain) EXPECT_EQ(n.FileNameOf(*c.object, c.mode), c.name) << c.name;

  o.ownPageNames = o.originalNames = o.separateImages = true;
  o.extension = 1;
  d.header().SetU8(hdr::kCoverFileName, 0);
  EXPECT_EQ(n.FileNameOf(*cover, 0), "site_index.html");
  // Own names stay inside the export folder, whatever they hold.
  EXPECT_EQ(n.FileNameOf(*named, 0), "etc/mes_pages.htm");
  EXPECT_EQ(n.FileNameOf(*named, 1), "site-" + HexDigits(static_cast<uint32_t>(named->Slot()), 6) + ".html");
  EXPECT_EQ(n.FileNameOf(*picture, 2), "images/Vue.JPG");
  d.WriteDocProperty("index", "/tmp/../../x.htm");
  d.header().SetU8(hdr::kCoverFileName, 1);
  EXPECT_EQ(n.FileNameOf(*cover, 0), "tmp/x.htm");
  FileNaming hostile(d, o, "../../pre");
  EXPECT_EQ(hostile.FileNameOf(*page, 1), "pre-" + HexDigits(static_cast<uint32_t>(page->Slot()), 6) + ".html");
  EXPECT_EQ(n.FileNameOf(*d.CreateObject(keyword)), "");
}

TEST(Naming, ContainedPaths) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"a/b.htm", "a/b.htm"},       {"../a.htm", "a.htm"},     {"/etc/passwd", "etc/passwd"},
      {"C:\\x\\y.htm", "x/y.htm"}, {"a/./../b", "a/b"},       {"..", ""},
      {"\\\\server\\s\\f", "server/s/f"},
  };
  for (const auto& c : cases) EXPECT_EQ(ContainedPath(c.in), c.out) << c.in;
  EXPECT_EQ(ContainedPath(std::string_view("a\0b", 3)), "ab");
}

TEST(Naming, ExportOptionsComeFromTheDocumentOrTheSettings) {
  DocFixture f;
  TYKAset& d = *f.doc;
  ScriptedMessages messages;
  SettingsStore settings(f.fake.settings, nullptr, messages);
  HtmlExportOptions o = LoadExportOptions(d, settings);
  EXPECT_TRUE(o.metaTitle);
  EXPECT_FALSE(o.separateImages);
  EXPECT_EQ(o.extension, 0);
  EXPECT_EQ(o.pictureFolder, "images");
  EXPECT_EQ(o.keywordFolder, "util");
  EXPECT_EQ(o.domain, "tobeconfigured");
  settings.WriteSetting("htmlexp", "expSepImage", "1");
  settings.WriteSetting("htmlexp", "expMetaTitle", "0");
  settings.WriteSetting("htmlexp", "expTipoExt", "4");
  settings.WriteSetting("ftpnet", "NumSelectedConf0", "2");
  settings.WriteSetting("ftpnet\\2", "www", "www.example.org");
  o = LoadExportOptions(d, settings);
  EXPECT_TRUE(o.separateImages);
  EXPECT_FALSE(o.metaTitle);
  EXPECT_EQ(o.PageExtension(), ".php");
  EXPECT_EQ(o.domain, "www.example.org");
  // A document with its own options uses them, settings or not.
  d.WriteDocProperty("exporigname", "1");
  d.WriteDocProperty("exptipoext", "9");
  o = LoadExportOptions(d, settings);
  EXPECT_TRUE(o.originalNames);
  EXPECT_FALSE(o.separateImages);
  EXPECT_EQ(o.extension, 0);  // out of range: the default
}


TEST(Naming, WhatTheExportDialogsStore) {
  DocFixture f;
  TYKAset& d = *f.doc;
  ScriptedMessages messages;
  SettingsStore settings(f.fake.settings, nullptr, messages);
  HtmlExportOptions o;
  o.separateImages = true;
  o.extension = 3;
  o.pictureFolder = "img";
  // Global options go to the settings; the document's own options win once stored.
  StoreExportOptions(d, settings, o, true);
  EXPECT_TRUE(ExportOptionsAreGlobal(d, settings));
  EXPECT_EQ(LoadExportOptions(d, settings).PageExtension(), ".shtml");
  EXPECT_EQ(LoadExportOptions(d, settings).pictureFolder, "img");
  o.extension = 1;
  StoreExportOptions(d, settings, o, false);
  EXPECT_FALSE(ExportOptionsAreGlobal(d, settings));
  EXPECT_EQ(settings.ReadSetting("htmlexp", "expGlobal"), "0");
  EXPECT_EQ(LoadExportOptions(d, settings).PageExtension(), ".html");

  HypertextExportSettings h = ReadHypertextExportSettings(d);
  EXPECT_TRUE(h.coverFileNameOn);
  EXPECT_EQ(h.coverFileName, "index.htm");
  h.exportPrefix = "mon site <web> trop long pour le champ";
  h.coverFileName = "accueil.php";
  h.cartEmail = "l'achat@example.org";
  h.titlePrefix = std::string(100, 't');
  StoreHypertextExportSettings(d, h, messages);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Le nom indiqu\xC3\xA9 doit terminer avec .htm ou .html"});
  EXPECT_EQ(d.ExpPrefix(), "mon_site__web__t");  // 16 characters, file-name safe
  EXPECT_EQ(d.ReadDocProperty("index"), "accueil.php");  // stored all the same
  EXPECT_EQ(d.ReadDocProperty("cartemail"), "l&#180;achat@example.org");
  EXPECT_EQ(d.ReadDocProperty("titleprefix").size(), 79u);
  h.coverFileName.clear();  // an empty name switches the option off
  StoreHypertextExportSettings(d, h, messages);
  EXPECT_EQ(d.header().U8(hdr::kCoverFileName), 0);

  StoreExportDialogSettings(settings, 0, {"/home/moi/site", "fait avec soin"});
  EXPECT_EQ(ReadExportDialogSettings(settings, 0).watermark, "fait avec soin");
  EXPECT_EQ(ReadExportDialogSettings(settings, 5).folder, "");
  EXPECT_EQ(settings.ReadOption("ExpDir"), "/home/moi/site");
}

}  // namespace
}  // namespace tolvane::testing
