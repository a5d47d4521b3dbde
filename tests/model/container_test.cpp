#include <gtest/gtest.h>

#include "common/file_names.h"
#include "test_support.h"

namespace tolvane {
namespace {

using testing::DocFixture;
using testing::ReadAll;
using testing::WriteAll;

TEST(Container, DocumentSettings) {
  DocFixture f;
  TYKAset& doc = *f.doc;
  doc.SetExpPrefix("MonSiteAvecUnLongNom");  // 20 characters
  EXPECT_EQ(doc.ExpPrefix(), "monsiteavecunlongnom");
  EXPECT_EQ(doc.header().Short(hdr::kExportPrefix, 17), "MonSiteAvecUnLon");
  doc.SetExpPrefix("Court");  // the property exists now, so it follows
  EXPECT_EQ(doc.ExpPrefix(), "court");

  DocFixture g;
  g.doc->SetExpPrefix("Court");
  EXPECT_EQ(g.doc->ReadDocProperty("extendedprefix"), "");

  for (auto [text, expected] : std::vector<std::pair<std::string, int>>{{"", 1}, {"1", 1}, {"abc", 1}, {"238", 238}}) {
    DocFixture h;
    h.doc->WriteDocProperty("fcharset", text);
    EXPECT_EQ(h.doc->FontCharSet(), expected) << text;
  }
  EXPECT_EQ(doc.GlobalMargin(), -1);
  doc.WriteDocProperty("globalmargin", "12px");
  EXPECT_EQ(doc.GlobalMargin(), -1);
  doc.SetGlobalMargin(12);
  EXPECT_EQ(doc.GlobalMargin(), 12);
}

TEST(Container, PasswordState) {
  struct Case {
    int version;
    bool readOnly;
    const char* password;
    std::string state;
  } cases[] = {
      {2, false, "", "."}, {2, false, "secret", "."}, {2, true, "secret", "OLCCEJMOANAOAP"},
      {2, true, "", ""},   {1, true, "", ""},         {1, false, "", "."},
  };
  for (const auto& c : cases) {
    DocFixture f;
    f.doc->header().SetU16(hdr::kVersion, static_cast<uint16_t>(c.version));
    f.doc->header().SetU8(hdr::kReadOnly, c.readOnly);
    f.doc->SetPassword(c.password);
    EXPECT_EQ(f.doc->PasswordState(), c.state) << c.version << c.readOnly << c.password;
  }
}

TEST(Container, StyleNames) {
  DocFixture f;
  TYKAset& doc = *f.doc;
  for (const char* name : {"Titre", "Titre 1", "titre"}) doc.CreateObject(stileParagrafo)->SetCaption(name);
  EXPECT_EQ(doc.UniqueName("Titre", stileParagrafo), "Titre 2");
  EXPECT_EQ(doc.UniqueName("Corps", stileParagrafo), "Corps");
  EXPECT_EQ(doc.UniqueName(Utf8ToAnsi("§ Personnalisée / +"), stileParagrafo), Utf8ToAnsi("AA§ Personnalisée / +"));
  EXPECT_EQ(doc.FindStyleByName("TITRE 1")->Slot(), 3);
  doc.FixDuplicateStyleNames();
  EXPECT_EQ(doc.StyleNames(),
            (std::vector<AnsiString>{"[pas de style]", "[pas de style tableau]", "Titre", "Titre 1", "titre 2"}));
}

TEST(Container, MergeStyleRewritesEveryPage) {
  DocFixture f;
  TYKAset& doc = *f.doc;
  TYKAoggetto* from = doc.CreateObject(stileParagrafo);  // slot 2
  TYKAtesto* a = doc.CreatePage();
  TYKAtesto* b = doc.CreatePage();
  a->SetContentText("<Z S2 >un<Z S12 >douze<Z S2 >deux");
  b->SetContentText("<Z S1 >rien");
  a->SetGeneration(0);
  b->SetGeneration(0);
  EXPECT_EQ(doc.MergeStyle(2, 2), 0);
  EXPECT_EQ(doc.MergeStyle(2, 9), 0);
  EXPECT_EQ(doc.MergeStyle(2, 1), 1);
  EXPECT_EQ(a->Markup(), "<Z S1 >un<Z S12 >douze<Z S1 >deux");
  EXPECT_EQ(a->GetGeneration(), doc.SaveCounter());
  EXPECT_EQ(b->GetGeneration(), 0);
  EXPECT_TRUE(from->IsFree());
  EXPECT_EQ(doc.MergeStyle(2, 1), 0);  // a free style merges nothing
}

TEST(Container, Finders) {
  DocFixture f;
  TYKAset& doc = *f.doc;
  TYKAtesto* page = doc.CreatePage();
  page->SetPageName("Accueil");
  doc.CreatePage()->SetPageName("plan");
  EXPECT_EQ(doc.FindPageByName("ACCUEIL"), page);
  EXPECT_EQ(doc.FindPageByName("absent"), nullptr);
  auto probe = doc.AddAddressLink("HTTP://www.example.org/");
  TYKAoggetto* stored = doc.Register(doc.AddAddressLink("http://www.example.org/"));
  EXPECT_EQ(doc.FindByCaption(*probe), stored);
  EXPECT_EQ(doc.FindEqual(*probe), nullptr);  // links are equal only with the same case
}

TEST(Container, AddressLinksTakeTheirStateFromTheAddress) {
  DocFixture f;
  struct Case {
    std::string address;
    int state;
  } cases[] = {{"tolvane:a.yka|2", 6}, {"HTTP://x.example/", 7}, {"mailto:a@b.example", 8}, {"ftp://x", 4}};
  for (const auto& c : cases) {
    auto link = f.doc->AddAddressLink(c.address);
    EXPECT_EQ(link->State(), c.state) << c.address;
    EXPECT_FALSE(link->IsRegistered());
  }
  EXPECT_EQ(f.doc->AddAddressLink(std::string(200, 'a'))->ObjectCaption().size(), 127u);
}

TEST(Container, PicturesAreAddedOnceByContent) {
  DocFixture f;
  TYKAset& doc = *f.doc;
  WriteAll(f.dir / "logo.gif", ToBytes("GIF89a bytes"));
  WriteAll(f.dir / "copie.GIF", ToBytes("GIF89a bytes"));
  WriteAll(f.dir / "photo.jpg", ToBytes("\xFF\xD8 jpeg"));
  TYKAoggetto* logo = doc.AddPicture(f.dir / "logo.gif", true, 20, 30);
  ASSERT_NE(logo, nullptr);
  EXPECT_EQ(logo->ObjectCaption(), "logo");
  EXPECT_EQ(logo->State(), 0);
  EXPECT_EQ(logo->I32(picture_rec::kTransparency), -1);
  EXPECT_EQ(logo->I16(picture_rec::kWidth), 30);
  EXPECT_EQ(doc.AddPicture(f.dir / "copie.GIF", true, 20, 30), logo);  // same bytes
  TYKAoggetto* photo = doc.AddPicture(f.dir / "photo.jpg", false, 5, 5);
  EXPECT_EQ(photo->State(), 1);
  EXPECT_EQ(photo->I32(picture_rec::kTransparency), -2);
  EXPECT_EQ(doc.KindCountInUse(immagine), 2);
  EXPECT_EQ(doc.AddPicture(f.dir / "none.gif", false, 1, 1), nullptr);
  EXPECT_EQ(f.fake.messages.Texts().back(), "Fichier introuvable : " + (f.dir / "none.gif"));

  // Placed images: on a picture, on the first picture, and across documents.
  logo->SetI32(picture_rec::kMapData, MakeObjectId(speclink, 3));
  TYKAoggetto* placed = doc.AddImmagineNew(logo);
  EXPECT_EQ(placed->I32(placed_rec::kMainPicture), logo->Slot());
  EXPECT_EQ(placed->I16(placed_rec::kWidth2), 30);
  EXPECT_EQ(placed->ObjectCaption(), "logo");
  EXPECT_EQ(placed->I32(placed_rec::kHotSpots), MakeObjectId(speclink, 3));
  EXPECT_EQ(placed->U8(placed_rec::kMapMode), 4);
  EXPECT_EQ(doc.AddImmagineNew()->I32(placed_rec::kMainPicture), logo->Slot());
  DocFixture other;
  EXPECT_EQ(other.doc->AddImmagineNew()->I16(placed_rec::kHeight), 100);
  EXPECT_EQ(other.doc->AddImmagineNew(logo), nullptr);
  EXPECT_EQ(other.fake.messages.Texts().back(), "Different YKAset in AddImmagineNew!");

  // Copying a picture in from another document, once.
  TYKAoggetto* copy = other.doc->CopyPictureIn(*photo);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->Document(), other.doc.get());
  EXPECT_EQ(other.doc->CopyPictureIn(*photo), copy);
  Bytes bytes;
  ASSERT_TRUE(copy->ReadContent(bytes));
  EXPECT_EQ(AsText(bytes), "\xFF\xD8 jpeg");
}

TEST(Container, EmbeddedFilesAreCopiedToTheWorkingFolder) {
  DocFixture f;
  WriteAll(f.dir / "notes.txt", ToBytes("v1"));
  TYKAoggetto* file = f.doc->AddEmbeddedFile(f.dir / "notes.txt");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->State(), 4);
  EXPECT_EQ(file->ObjectCaption(), "notes.txt");
  const std::string first = file->ExternalPath();
  EXPECT_TRUE(IsPathInside(first, f.doc->WorkingFolder()));
  WriteAll(f.dir / "notes.txt", ToBytes("v2"));  // the user edits the original: the copy stays
  EXPECT_EQ(AsText(ReadAll(first)), "v1");
  WriteAll(f.dir / "autre.txt", ToBytes("other"));
  EXPECT_EQ(f.doc->AddEmbeddedFile(f.dir / "autre.txt", file), file);
  EXPECT_FALSE(std::filesystem::exists(first));  // the replaced copy is gone
  ASSERT_TRUE(f.doc->Save(f.dir / "site.yka"));
  DocFixture g;
  ASSERT_TRUE(g.doc->Open(f.dir / "site.yka"));
  Bytes bytes;
  ASSERT_TRUE(g.doc->ObjectAt(genLink, 0)->ReadContent(bytes));
  EXPECT_EQ(AsText(bytes), "other");
  EXPECT_EQ(f.doc->AddEmbeddedFile(f.dir / "absent.txt"), nullptr);
}

TEST(Container, ImportingPrototypes) {
  DocFixture library;
  TYKAset& lib = *library.doc;
  TYKAoggetto* file = lib.CreateObject(genLink);
  file->SetCaption("player.swf");
  file->SetContentText("swf bytes");
  TYKAoggetto* shared = lib.CreateObject(genLink);
  shared->SetCaption("commun.css");
  shared->SetContentText("css");
  TYKAoggetto* proto = lib.CreateObject(custom);
  proto->SetCaption("Lecteur");
  Bytes content;
  ByteWriter w(content);
  w.U32(8);
  w.I32(file->ObjectId());
  w.I32(shared->ObjectId());
  w.Text("params");
  proto->SetContent(content);
  proto->SetAttributes(ToBytes(std::string("\0\0\0\0<embed src=!ReCF:00000000>", 30)));

  DocFixture f;
  TYKAset& doc = *f.doc;
  EXPECT_EQ(doc.ImportPrototype(*proto, false), 2);  // both files copied in
  TYKAoggetto* imported = doc.ObjectAt(custom, 0);
  ASSERT_NE(imported, nullptr);
  EXPECT_EQ(imported->ObjectCaption(), "Lecteur");
  Bytes got;
  ASSERT_TRUE(imported->ReadContent(got));
  TYKAoggetto* copiedFile = doc.FindObject(GetI32(got.data(), 4));
  ASSERT_NE(copiedFile, nullptr);
  EXPECT_EQ(copiedFile->ObjectCaption(), "player.swf");
  EXPECT_EQ(AsText(got).substr(12), "params");
  EXPECT_EQ(imported->AttributeText(), "<embed src=!ReCF:00000000>");

  EXPECT_EQ(doc.ImportPrototype(*proto, false), 0);  // already here, not replaced
  EXPECT_EQ(doc.ImportPrototype(*proto, true), 3);   // replaced; its files were here
  EXPECT_EQ(doc.KindCountInUse(custom), 1);
  EXPECT_EQ(doc.KindCountInUse(genLink), 2);
  std::vector<TYKAoggetto*> users;
  doc.PrototypesUsing(*copiedFile, users);
  EXPECT_EQ(users, std::vector<TYKAoggetto*>{imported});
}

TEST(Container, PictureCacheKeepsTheNewest) {
  DocFixture f;
  int loads = 0;
  f.doc->pictureLoader = [&](const std::string& path) {
    ++loads;
    auto p = std::make_unique<TYKApicture>();
    p->ImageNameL = path;
    p->width = 10 + loads;
    p->height = 7;
    return p;
  };
  std::vector<TYKAoggetto*> pictures;
  for (int i = 0; i < 21; ++i) {
    TYKAoggetto* p = f.doc->CreateObject(immagine);
    p->SetShortString(picture_rec::kFileName, picture_rec::kFileNameSize, "p" + std::to_string(i) + ".gif");
    p->SetContentText("GIF89a" + std::to_string(i));
    pictures.push_back(p);
  }
  for (int i = 0; i < 20; ++i) ASSERT_NE(pictures[static_cast<size_t>(i)]->GetPicture(), nullptr);
  EXPECT_EQ(pictures[0]->I16(picture_rec::kWidth), 11);  // the loaded size goes into the record
  EXPECT_NE(f.doc->CachedPicture(pictures[0]), nullptr);
  pictures[20]->GetPicture();  // the 21st: the oldest leaves
  EXPECT_EQ(f.doc->CachedPicture(pictures[0]), nullptr);
  EXPECT_NE(f.doc->CachedPicture(pictures[1]), nullptr);
  pictures[1]->GetPicture();
  EXPECT_EQ(loads, 21);  // served from the cache
  pictures[1]->ReleasePicture();
  EXPECT_EQ(f.doc->CachedPicture(pictures[1]), nullptr);
  f.doc->CachePicture(f.doc->CreatePage(), std::make_unique<TYKApicture>());
  EXPECT_EQ(f.fake.messages.Texts().back(), "What happens? Image cache bug?");
}

TEST(Container, TreeObjectsAreMadeOnDemand) {
  DocFixture f;
  TYKAoggetto* tree = f.doc->PageTreeObject();
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(tree->Kind(), shortObj);
  EXPECT_EQ(tree->State(), 10);
  EXPECT_EQ(f.doc->header().I32(hdr::kPageTree), tree->ObjectId());
  EXPECT_EQ(f.doc->PageTreeObject(), tree);
  EXPECT_NE(f.doc->PrototypeTreeObject(), tree);
}

}  // namespace
}  // namespace tolvane
