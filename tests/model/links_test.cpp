#include <gtest/gtest.h>

#include "common/file_names.h"
#include "common/hex_id.h"
#include "model/links.h"
#include "platform/dialogs.h"
#include "test_support.h"

namespace tolvane {
namespace {

using testing::DocFixture;

struct Site : DocFixture {
  Site() {
    path = dir / "site.yka";
    doc->CreatePage()->SetCaption("Accueil");
    doc->CreatePage()->SetCaption("Plan");
    doc->SetCoverPage(1);
    EXPECT_TRUE(doc->Save(path));
  }
  std::string path;
};

TEST(TolvaneAddress, Forms) {
  Site s;
  const std::string folder = ExtractFileDir(s.path);
  struct Case {
    std::string address;
    bool tolvane;
    std::string path;
    bool same;
    int32_t page;
  } cases[] = {
      {"tolvane://C:\\site\\a.yka|7", true, "C:\\site\\a.yka", false, 7},
      {"tolvane:a.yka", true, folder + "/a.yka", false, 1},  // no page: the cover page
      {"tolvane:a.yka|", true, folder + "/a.yka", false, -2},
      {"TOLVANE:a.yka|abc", true, folder + "/a.yka", false, 0},
      {"tolvane:a.yka|-5", true, folder + "/a.yka", false, 0},
      {"tolvane:/srv/b.yka|12", true, "/srv/b.yka", false, 12},
      {"tolvane:" + s.path + "|3", true, s.path, true, 3},
      {"http://www.example.org/", false, "", false, -3},
  };
  for (const auto& c : cases) {
    TolvaneAddress a = ParseTolvaneAddress(*s.doc, c.address);
    EXPECT_EQ(a.isTolvane, c.tolvane) << c.address;
    EXPECT_EQ(a.path, c.path) << c.address;
    EXPECT_EQ(a.sameDocument, c.same) << c.address;
    EXPECT_EQ(a.page, c.page) << c.address;
  }
}

TEST(TolvaneAddress, RemovableMedium) {
  Site s;
  const char* key = "\\SOFTWARE\\Kelmori\\TolvaneRD\\";
  s.fake.settings.WriteValue(key, "cddrive", "/media/cdrom/");
  EXPECT_EQ(ParseTolvaneAddress(*s.doc, "tolvane:cddrive:\\site\\a.yka|2").path, "/media/cdrom/site/a.yka");
  EXPECT_EQ(ResolveCdDrive(*s.doc, "run:CDDRIVE:x.exe et cddrive:y", nullptr), "run:/media/cdrom/x.exe et /media/cdrom/y");

  // Not known yet: asked only when the caller allows it, and remembered.
  s.fake.settings.DeleteValue(key, "cddrive");
  ScriptedFolderChooser chooser;
  chooser.answers.push_back("/mnt/dvd");
  ParseTolvaneAddress(*s.doc, "tolvane:cddrive:a.yka|1", -3, &chooser);
  EXPECT_TRUE(chooser.asked.empty());
  EXPECT_EQ(ParseTolvaneAddress(*s.doc, "tolvane:cddrive:a.yka|1", -2, &chooser).path, "/mnt/dvd/a.yka");
  EXPECT_EQ(chooser.asked, std::vector<std::string>{"Sélectionnez le chemin du CD / Remplace CD:"});
  EXPECT_EQ(s.fake.settings.ReadValue(key, "cddrive"), "/mnt/dvd");
}

TEST(TolvaneAddress, PathsFromOtherSystems) {
  testing::TempDir dir;
  testing::WriteAll(dir / "a.yka", {});
  EXPECT_EQ(LocalPath("C:\\site\\a.yka", dir.path().string()), dir / "a.yka");
  EXPECT_EQ(LocalPath(dir.path().string() + "\\a.yka", "/elsewhere"), dir / "a.yka");
  EXPECT_EQ(LocalPath("D:" + dir.path().string() + "/a.yka", "/elsewhere"), dir / "a.yka");
}

TEST(Links, ResolvingInsideAPage) {
  DocFixture f;
  TYKAset& doc = *f.doc;
  TYKAtesto* page = doc.CreatePage();
  page->SetPageName("contact");
  TYKAoggetto* link = doc.Register(doc.AddAddressLink("http://x.example/"));
  TYKAoggetto working(f.doc.get());
  page->workingLinks = {&working};
  EXPECT_EQ(ResolveInPage(page, doc, link->ObjectId()), link);
  EXPECT_EQ(ResolveInPage(page, doc, 0x6F000000), &working);
  EXPECT_EQ(ResolveInPage(page, doc, 0x6F000001), nullptr);
  EXPECT_EQ(ResolveInPage(page, doc, 0x50000000), nullptr);
  EXPECT_EQ(ResolveInPage(page, doc, -1), nullptr);

  TYKAoggetto* import = doc.CreateObject(speclink);
  import->SetState(6);
  import->SetContentText("CONTACT");
  EXPECT_EQ(ResolveSpecLink(doc, import->ObjectId()), page->ObjectId());
  import->SetContentText("nowhere");
  EXPECT_EQ(ResolveSpecLink(doc, import->ObjectId()), import->ObjectId());
}

TEST(Links, PreviousAndNextPages) {
  DocFixture f;
  // slot: group, order
  const std::vector<std::pair<int16_t, int16_t>> pages = {{1, 5}, {1, 2}, {2, 3}, {1, 9}, {1, -1}, {1, 3}};
  for (auto [group, order] : pages) {
    TYKAtesto* p = f.doc->CreatePage();
    p->SetI16(page_rec::kGroup, group);
    p->SetI16(page_rec::kOrder, order);
  }
  struct Case {
    int32_t slot, previous, next;
  } cases[] = {{0, 5, 3}, {1, 1, 5}, {3, 0, 3}, {5, 1, 0}, {2, 2, 2}, {4, 4, 4}};
  for (const auto& c : cases) {
    EXPECT_EQ(PreviousPage(*f.doc, c.slot), c.previous) << c.slot;
    EXPECT_EQ(NextPage(*f.doc, c.slot), c.next) << c.slot;
  }
}

TEST(Links, AnchorNumbers) {
  DocFixture f;
  TYKAtesto* page = f.doc->CreatePage();
  EXPECT_EQ(NextAnchorNumber(*f.doc, *page), 0);
  std::string markup = "<Z S0 >";
  for (int32_t n : {0, 4, 1}) {
    TYKAoggetto* anchor = f.doc->CreateObject(shortObj);
    anchor->SetState(14);
    anchor->SetI32(shortobj_rec::kValue, n);
    markup += "<$" + IdToHex(anchor->ObjectId()) + ">";
  }
  page->SetContentText(markup);
  EXPECT_EQ(NextAnchorNumber(*f.doc, *page), 5);
  EXPECT_EQ(f.doc->ObjectAt(shortObj, 1)->ObjectCaption(), "Ancre : a4");
}

TEST(Links, Descriptions) {
  Site s;
  TYKAset& doc = *s.doc;
  auto link = [&](std::string address) { return doc.Register(doc.AddAddressLink(address)); };
  auto special = [&](int sub, int mode, int32_t target, int32_t anchor) {
    TYKAoggetto* l = doc.CreateObject(speclink);
    l->SetState(static_cast<uint8_t>(sub));
    l->SetU8(speclink_rec::kWindowMode, static_cast<uint8_t>(mode));
    l->SetU8(speclink_rec::kScope, 0);
    l->SetI32(speclink_rec::kTarget, target);
    l->SetI32(speclink_rec::kAnchor, anchor);
    l->SetShortString(speclink_rec::kFrameName, 28, "droite");
    return l;
  };
  TYKAoggetto* file = doc.CreateObject(genLink);
  file->SetCaption("doc.pdf");
  TYKAoggetto* importer = special(6, 0, -1, -1);
  importer->SetContentText("contact");
  TYKAoggetto* proto = doc.CreateObject(custom);
  proto->SetCaption("Galerie");
  struct Case {
    TYKAoggetto* object;
    std::string description;  // UTF-8
  } cases[] = {
      {doc.ObjectAt(testoHtml, 1), "Plan|Lien vers : Plan (1)"},
      {link("http://www.example.org/"), "http://www.example.org/|Lien vers : http://www.example.org/"},
      {link("mailto:a@b.example"), "a@b.example|Lien vers l'adresse E-Mail : a@b.example"},
      {link("run:setup.exe"), "run:setup.exe"},
      {link("tolvane:site.yka|1"), "site.yka Pag.:Plan|Lien vers l'hypertexte: site.yka Pag.:Plan"},
      {file, "doc.pdf|Lien vers le fichier : doc.pdf"},
      {special(1, 0, 1, -1), "Plan|Ici nous remplace la fenêtre actuelle avec cette page: Plan @1"},
      {special(1, 1, 1, 3), "Plan|Ici nous remplace la frame \"droite\" avec cette page: Plan #a3 @1"},
      {special(1, 2, 1, -1), "Plan|Ici nous créer dans une fenêtre indépendante \"droite\"  cette page: Plan @1"},
      {special(1, 6, 0, 2), "Accueil|Ici, nous nous déplaçons dans la page courante jusqu'à l'ancre :  #a2 @0"},
      {special(1, 0, 40, -1), "Erreur|Ici nous remplace la fenêtre actuelle avec cette page: Erreur @40"},
      {special(3, 0, -1, -1), "mots clés|Lien vers : fenêtre de mots clés"},
      {special(4, 0, -1, -1), "page précédente|Lien vers : page précédente"},
      {special(2, 0, -1, -1), "fenêtre de fermeture : droite|fenêtre de fermeture : droite"},
      {importer, "contact|Importation automatique:contact"},
      {proto, "Galerie|Personnalisation Galerie"},
  };
  for (const auto& c : cases) EXPECT_EQ(AnsiToUtf8(LinkDescription(*c.object)), c.description);

  // A special link to a page that is deleted loses its target and says so.
  TYKAoggetto* toPlan = special(1, 0, 1, -1);
  doc.DeleteObject(doc.ObjectAt(testoHtml, 1));
  EXPECT_EQ(toPlan->I32(speclink_rec::kTarget), -1);
  EXPECT_EQ(AnsiToUtf8(LinkDescription(*toPlan)).substr(0, 7), "Erreur|");
  EXPECT_EQ(AnsiToUtf8(LinkDescription(*doc.ObjectAt(testoHtml, 1))), "Indéfini.");
  toPlan->WriteAttribute("onclick", "x()");
  // A placeholder of a prototype names an object of the document the prototype is used in.
  DocFixture user;
  user.doc->CreatePage()->SetCaption("Chez l'utilisateur");
  doc.WrapperSet = user.doc.get();
  TYKAoggetto* placeholder = doc.CreateObject(shortObj);
  placeholder->SetState(22);
  placeholder->SetI32(shortobj_rec::kValue, 0);
  EXPECT_EQ(AnsiToUtf8(LinkDescription(*placeholder)), "Référence de page ou de lien : Chez l'utilisateur");
  EXPECT_NE(LinkDescription(*toPlan).find("\r\n----------\r\nonclick=\"x()\""), std::string::npos);
}

TEST(Links, FlashMoviesFromTheTemplate) {
  DocFixture f;
  const std::string templatePath = std::string(TOLVANE_SOURCE_DIR) + "/data/Utils/flash.txt";
  f.doc->CreateObject(genLink);  // slot 0, so that the movie's file is in slot 1
  TYKAoggetto* file = f.doc->CreateObject(genLink);
  file->SetCaption("intro.swf");
  TYKAoggetto* movie = InsertFlashMovie(*f.doc, *file, templatePath);
  ASSERT_NE(movie, nullptr);
  EXPECT_TRUE(f.fake.messages.Texts().empty());
  EXPECT_EQ(movie->State(), 5);
  EXPECT_EQ(movie->I32(media_rec::kLink), file->ObjectId());
  EXPECT_EQ(movie->I16(33), 50);
  const std::string code = movie->AttributeText();
  EXPECT_NE(code.find("data=\"!RefF:03000001\""), std::string::npos) << code;
  EXPECT_NE(code.find("id=\"intro\""), std::string::npos);
  EXPECT_EQ(code.find("!RefL:"), std::string::npos);
  EXPECT_EQ(movie->FindReferences(file->ObjectId()), 6);

  file->SetCaption("TolvaneName.mov");
  movie = InsertFlashMovie(*f.doc, *file, templatePath);
  EXPECT_EQ(f.fake.messages.Texts().back(), "L'extention du fichier Flash devrait être .swf!");
  EXPECT_NE(movie->AttributeText().find("name=\"ZidodIvod\""), std::string::npos);
  EXPECT_EQ(InsertFlashMovie(*f.doc, *file, f.dir / "none.txt"), nullptr);
  EXPECT_EQ(f.fake.messages.Texts().back(), "Fichier introuvable : " + (f.dir / "none.txt"));
}

TEST(Links, LinksInACircleStillDescribeThemselves) {
  DocFixture f;
  TYKAoggetto* a = f.doc->CreateObject(speclink);
  TYKAoggetto* b = f.doc->CreateObject(speclink);
  a->SetI32(speclink_rec::kTarget, b->ObjectId());
  b->SetI32(speclink_rec::kTarget, a->ObjectId());
  a->SetU8(speclink_rec::kWindowMode, 0);
  b->SetU8(speclink_rec::kWindowMode, 0);
  EXPECT_EQ(a->ObjectCaption(), "");
  EXPECT_FALSE(LinkDescription(*a).empty());
  TYKAoggetto* ref = f.doc->CreateObject(shortObj);
  ref->SetState(13);
  ref->SetI32(shortobj_rec::kValue, ref->ObjectId());
  EXPECT_EQ(LinkDescription(*ref), "Erreur");
}

TEST(Links, ForeignPageFileNames) {
  Site s;
  s.doc->SetExpPrefix("Site");
  ASSERT_TRUE(s.doc->Save(s.path));
  DocFixture other;
  std::filesystem::create_directories(other.dir / "sub");
  ASSERT_TRUE(other.doc->Save(other.dir / "sub/main.yka"));
  EXPECT_EQ(ForeignPageFileName(*other.doc, s.path, 1, ".htm"),
            std::filesystem::path(s.path).parent_path().lexically_relative(other.dir / "sub") / "site_index.htm");
  EXPECT_EQ(ExtractFileName(ForeignPageFileName(*other.doc, s.path, 0, ".htm")), "site_000000.htm");
  Bytes old = testing::ReadAll(s.path);
  PutU16(old.data(), hdr::kVersion, 1);
  testing::WriteAll(other.dir / "sub/old.yka", old);
  EXPECT_EQ(ForeignPageFileName(*other.doc, other.dir / "sub/old.yka", 0, ".html"), "LinkToOldHypertext.html");
}

}  // namespace
}  // namespace tolvane
