#include <gtest/gtest.h>

#include "common/file_names.h"
#include "common/hex_id.h"
#include "test_support.h"

namespace tolvane {
namespace {

using testing::DocFixture;
using testing::RawDocument;
using testing::ReadAll;
using testing::WriteAll;
using testing::ExpectSameObjects;

const std::string kReadError = "Erreur à la lecture du fichier : ";

// A document that uses every blob a record can have.
void Populate(TYKAset& doc) {
  for (int i = 0; i < 5; ++i) {
    TYKAtesto* page = doc.CreatePage();
    page->SetCaption("Page " + std::to_string(i));
    page->SetContentText("<Z S0 >Texte de la page " + std::to_string(i) + " \xE9t\xE9");
    page->SetPageName("p" + std::to_string(i));
    page->WriteAttribute("bgsound", "son" + std::to_string(i) + ".wav");
  }
  doc.DeleteObject(doc.ObjectAt(testoHtml, 3));
  TYKAoggetto* file = doc.CreateObject(genLink);
  file->SetCaption("notes.txt");
  file->SetContentText("embedded file bytes");
  TYKAoggetto* picture = doc.CreateObject(immagine);
  picture->SetCaption("logo");
  picture->SetShortString(picture_rec::kFileName, picture_rec::kFileNameSize, "logo.gif");
  Bytes gif(3000);
  for (size_t i = 0; i < gif.size(); ++i) gif[i] = static_cast<uint8_t>(i * 7);
  picture->SetContent(gif);
  TYKAoggetto* placed = doc.CreateObject(immagineNew);
  placed->SetI32(placed_rec::kMainPicture, picture->Slot());
  placed->SetU8(placed_rec::kMapMode, 254);
  for (size_t i = 0; i < placed_rec::kExtendedSize; ++i)
    placed->SetU8(placed_rec::kExtendedStart + i, static_cast<uint8_t>(0xA0 + i));
  placed->WriteAttribute("name", "carte");
  TYKAoggetto* table = doc.CreateObject(tabellaHtml);
  table->SetContent(Bytes(4 * 6, 0xFF));
  TYKAoggetto* link = doc.CreateObject(internetLink);
  link->SetCaption("http://www.example.org/");
  link->SetState(7);  // an "http:" address
  TYKAoggetto* special = doc.CreateObject(speclink);
  special->SetI32(speclink_rec::kTarget, 2);
  doc.WriteDocProperty("remark4", "une remarque");
}

TEST(DocumentFile, NewDocumentHeader) {
  DocFixture f;
  f.fake.system.userName = std::string(100, 'u');
  f.doc->New();
  const DocumentHeader& h = f.doc->header();
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(h.bytes), 4), "TOLP");
  EXPECT_EQ(h.Title(), "SansTitre");
  EXPECT_EQ(h.Short(hdr::kAuthors, 80), std::string(79, 'u'));
  EXPECT_EQ(h.LastKind(), 26);
  EXPECT_EQ(h.SaveCounter(), 2);
  EXPECT_EQ(h.Short(hdr::kFixedFont, 40), "Courier New");
  EXPECT_EQ(h.I32(hdr::kHeaderPage), -1);
  EXPECT_EQ(h.U16(hdr::kLanguage), 1033);
  EXPECT_EQ(f.doc->DefaultStyle(0)->ObjectCaption(), "[pas de style]");
  EXPECT_EQ(f.doc->DefaultStyle(1)->I16(86), 0);
  EXPECT_EQ(f.doc->ReadDocProperty("index"), "index.htm");
  EXPECT_EQ(f.doc->CharSet(), "iso-8859-1");
  EXPECT_FALSE(f.doc->IsModified());

  f.fake.system.codePage = 1250;
  f.doc->New();
  EXPECT_EQ(f.doc->CharSet(), "windows-1250");
}

TEST(DocumentFile, SaveUpdatesTheHeaderAndRoundTrips) {
  DocFixture f;
  Populate(*f.doc);
  const std::string first = f.dir / "Mon Site.yka", second = f.dir / "again.yka";
  ASSERT_TRUE(f.doc->Save(first)) << ::testing::PrintToString(f.doc->SaveErrors());
  EXPECT_FALSE(f.doc->IsModified());
  EXPECT_EQ(f.doc->YKAFileName(), first);
  const DocumentHeader& h = f.doc->header();
  EXPECT_EQ(h.LastKind(), 25);
  EXPECT_EQ(h.SaveCounter(), 3);
  EXPECT_EQ(h.Title(), "Mon Site.");
  EXPECT_EQ(h.Short(hdr::kExportPrefix, 17), "mon site");

  DocFixture g;
  ASSERT_TRUE(g.doc->Open(first));
  ExpectSameObjects(*f.doc, *g.doc);
  EXPECT_EQ(g.doc->ReadDocProperty("remark4"), "une remarque");
  EXPECT_EQ(static_cast<TYKAtesto*>(g.doc->ObjectAt(testoHtml, 2))->PageName(), "p2");
  EXPECT_TRUE(g.doc->ObjectAt(testoHtml, 3)->IsFree());  // the deleted page keeps its slot
  EXPECT_EQ(g.doc->ObjectAt(testoHtml, 4)->ObjectCaption(), "Page 4");
  TYKAoggetto* placed = g.doc->ObjectAt(immagineNew, 0);
  EXPECT_EQ(placed->U8(placed_rec::kExtendedStart + 19), 0xA0 + 19);
  EXPECT_EQ(placed->AttributeBinary().size(), 0u);  // the 20 bytes went back into the record

  ASSERT_TRUE(g.doc->Save(second));
  Bytes a = ReadAll(first), b = ReadAll(second);
  ASSERT_EQ(a.size(), b.size());
  EXPECT_TRUE(std::equal(a.begin() + hdr::kSize, a.end(), b.begin() + hdr::kSize));
  EXPECT_EQ(GetI32(b.data(), hdr::kSaveCounter), 4);
}

TEST(DocumentFile, LazyContentSurvivesASaveOntoTheOpenFile) {
  DocFixture f;
  Populate(*f.doc);
  const std::string path = f.dir / "site.yka";
  ASSERT_TRUE(f.doc->Save(path));
  // After the save the picture and the file live in the new file, not in memory.
  TYKAoggetto* picture = f.doc->ObjectAt(immagine, 0);
  EXPECT_TRUE(picture->HasLazyContent());

  DocFixture g;
  ASSERT_TRUE(g.doc->Open(path));
  TYKAoggetto* lazy = g.doc->ObjectAt(immagine, 0);
  ASSERT_TRUE(lazy->HasLazyContent());
  EXPECT_EQ(lazy->ContentInMemory(), nullptr);
  EXPECT_EQ(lazy->ContentSize(), 3000u);
  g.doc->ObjectAt(testoHtml, 0)->SetContentText("<Z S0 >changed");
  ASSERT_TRUE(g.doc->Save(path));
  ASSERT_TRUE(g.doc->Save(path));  // twice: the second save reads from the first one's file
  EXPECT_EQ(AsText(ReadAll(ChangeFileExt(path, ".bak"))).find("changed") != std::string::npos, true);

  DocFixture h;
  ASSERT_TRUE(h.doc->Open(path));
  ExpectSameObjects(*g.doc, *h.doc);
  Bytes original, reread;
  f.doc->ObjectAt(immagine, 0)->ReadContent(original);
  h.doc->ObjectAt(immagine, 0)->ReadContent(reread);
  EXPECT_EQ(original, reread);
}

TEST(DocumentFile, SavingACopyKeepsTheDocumentOnItsFile) {
  DocFixture f;
  Populate(*f.doc);
  const std::string path = f.dir / "site.yka", copy = f.dir / "copy.yka";
  ASSERT_TRUE(f.doc->Save(path));
  f.doc->ObjectAt(testoHtml, 0)->SetContentText("<Z S0 >edited");
  f.doc->SetModified(true);
  ASSERT_TRUE(f.doc->Save(copy, 2, 1));
  EXPECT_EQ(f.doc->YKAFileName(), path);
  EXPECT_TRUE(f.doc->IsModified());
  EXPECT_EQ(f.doc->SaveCounter(), 3);
  DocFixture g;
  ASSERT_TRUE(g.doc->Open(copy));
  EXPECT_EQ(static_cast<TYKAtesto*>(g.doc->ObjectAt(testoHtml, 0))->Markup(), "<Z S0 >edited");
}

TEST(DocumentFile, EmptyAndMissingFiles) {
  DocFixture f;
  const std::string empty = f.dir / "Vide.yka";
  WriteAll(empty, {});
  EXPECT_TRUE(f.doc->Open(empty));
  EXPECT_EQ(f.doc->YKAFileName(), empty);
  EXPECT_EQ(f.doc->header().Short(hdr::kExportPrefix, 17), "vide");
  EXPECT_EQ(f.doc->KindCount(stileParagrafo), 2);

  const std::string missing = f.dir / "absent.yka";
  EXPECT_FALSE(f.doc->Open(missing));
  EXPECT_EQ(f.fake.messages.shown().back().kind, ScriptedMessages::Kind::Warning);
  EXPECT_EQ(f.fake.messages.Texts().back(), missing + " n'existe pas");
}

// A minimal valid file: two pages with markup, the second one with attributes.
RawDocument TwoPages() {
  RawDocument raw;
  int32_t m0 = raw.AddBlob("<Z S0 >un");
  int32_t m1 = raw.AddBlob("<Z S0 >deux");
  int32_t a1 = raw.AddBlob(std::string("\0\0\0\0x=\"1\"", 10));
  raw.AddRecords(testoHtml, 292, 2, [&](uint8_t* r, uint32_t i) {
    r[4] = 0;
    r[5] = 0;
    PutI32(r, 0, i == 0 ? m0 : m1);
    PutI32(r, 185, i == 0 ? 9 : 11);
    PutI32(r, 239, i == 0 ? -1 : a1);
    PutI32(r, 243, i == 0 ? 0 : 10);
  });
  return raw;
}

TEST(DocumentFile, DamagedAndForeignFiles) {
  const std::string unsupported =
      "Fichier non supporté.\rVeuillez vous procurer une version plus récente du programme sur le site web "
      "de Kelmori.";
  const std::string tooOld =
      "Attenzione: file salvato con una versione del programma\ranteriore alla 0.98. Non più supportato. "
      "UNSUPPORTED\r";
  struct Case {
    const char* what;
    std::function<Bytes()> make;
    std::string message;  // empty: the file opens
  } cases[] = {
      {"valid", [] { return TwoPages().Build(); }, ""},
      {"magic in lower case", [] { auto r = TwoPages(); std::memcpy(r.header.data(), "tolp", 4); return r.Build(); }, ""},
      {"shorter than a header", [] { return Bytes(100, 'T'); }, kReadError},
      {"wrong magic", [] { auto r = TwoPages(); r.header[0] = 'X'; return r.Build(); }, "Format non reconnu."},
      {"version 3", [] { auto r = TwoPages(); PutU16(r.header.data(), 1621, 3); return r.Build(); }, unsupported},
      {"N = 27", [] { auto r = TwoPages(); r.SetLastKind(27); return r.Build(); }, unsupported},
      {"version 1 with N = 7", [] { auto r = TwoPages(); PutU16(r.header.data(), 1621, 1); r.SetLastKind(7); return r.Build(); }, tooOld},
      {"kind table cut off", [] { Bytes b = TwoPages().Build(); b.resize(1978 + 40); return b; }, kReadError},
      {"record area past the end", [] { auto r = TwoPages(); r.recordAreaSize = 1 << 30; return r.Build(); }, kReadError},
      {"records past the record area", [] { auto r = TwoPages(); r.kinds[0].count = 3; return r.Build(); }, kReadError},
      {"count times size overflows 32 bits",
       [] { auto r = TwoPages(); r.kinds[5] = {0, 0x10000, 0x10001}; return r.Build(); }, kReadError},
      {"more slots than ids", [] { auto r = TwoPages(); r.kinds[4] = {0, 80, 0x2000000}; return r.Build(); }, kReadError},
      {"overlapping kinds", [] { auto r = TwoPages(); r.kinds[1] = {100, 133, 1}; r.recordAreaSize = 700; return r.Build(); }, kReadError},
      {"records without a state byte", [] { auto r = TwoPages(); r.kinds[0].size = 2; return r.Build(); }, kReadError},
      {"records shorter than any kind's", [] { auto r = TwoPages(); r.kinds[0] = {0, 20, 2}; return r.Build(); }, kReadError},
      {"pages sharing one large blob",
       [] {
         auto r = TwoPages();
         int32_t big = r.AddBlob(std::string(5000, 'x'));
         for (int i = 0; i < 2; ++i) {
           PutI32(r.records.data(), static_cast<size_t>(292 * i), big);
           PutI32(r.records.data(), static_cast<size_t>(292 * i + 185), 5000);
         }
         return r.Build();
       },
       kReadError},
      {"blob beyond the end", [] { auto r = TwoPages(); PutI32(r.records.data(), 292 + 239, 1 << 30); return r.Build(); }, ""},
      {"blob of gigabytes", [] { auto r = TwoPages(); PutI32(r.records.data(), 292 + 243, 0x7FFFFFFF); return r.Build(); }, ""},
      {"negative blob position", [] { auto r = TwoPages(); PutI32(r.records.data(), 0, -5); return r.Build(); }, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DocFixture f;
    const std::string path = f.dir / "case.yka";
    WriteAll(path, c.make());
    bool opened = f.doc->Open(path);
    EXPECT_EQ(opened, c.message.empty());
    if (opened) {
      EXPECT_EQ(f.doc->KindCount(testoHtml), 2);
      EXPECT_TRUE(f.fake.messages.shown().empty());
      continue;
    }
    ASSERT_FALSE(f.fake.messages.shown().empty());
    EXPECT_EQ(f.fake.messages.shown().back().kind, ScriptedMessages::Kind::Information);
    EXPECT_EQ(f.fake.messages.Texts().back(), c.message == kReadError ? kReadError + path : c.message);
    // A failed open leaves a new, empty document.
    EXPECT_EQ(f.doc->KindCount(testoHtml), 0);
    EXPECT_EQ(f.doc->KindCount(stileParagrafo), 2);
    EXPECT_EQ(f.doc->YKAFileName(), "");
  }
}

TEST(DocumentFile, BlobsOutsideTheFileLeaveNoContent) {
  DocFixture f;
  auto raw = TwoPages();
  PutI32(raw.records.data(), 292 + 243, 0x7FFFFFFF);  // attributes of page 1
  PutI32(raw.records.data(), 0, 1 << 30);              // markup of page 0
  WriteAll(f.dir / "x.yka", raw.Build());
  ASSERT_TRUE(f.doc->Open(f.dir / "x.yka"));
  EXPECT_FALSE(f.doc->ObjectAt(testoHtml, 0)->HasContent());
  EXPECT_FALSE(f.doc->ObjectAt(testoHtml, 1)->HasAttributes());
  EXPECT_EQ(static_cast<TYKAtesto*>(f.doc->ObjectAt(testoHtml, 1))->Markup(), "<Z S0 >deux");
}

TEST(DocumentFile, OlderRecordSizesAreUpgraded) {
  DocFixture f;
  RawDocument raw;
  PutI32(raw.header.data(), 1632, 9);  // save counter
  int32_t markup = raw.AddBlob("<Z S0 >vieux");
  raw.AddRecords(testoHtml, 200, 2, [&](uint8_t* r, uint32_t i) {
    r[4] = 0;
    r[5] = 0;
    PutI32(r, 0, i == 0 ? markup : -1);  // page 1 has no markup: discarded
    PutI32(r, 185, i == 0 ? 12 : 0);
  });
  raw.AddRecords(internetLink, 133, 1, [](uint8_t* r, uint32_t) {
    r[4] = 0;
    WriteShortString(r, 5, 128, "http://old.example/");
  });
  int32_t fileBlob = raw.AddBlob("abc");
  raw.AddRecords(genLink, 92, 2, [&](uint8_t* r, uint32_t) {
    r[4] = 4;
    WriteShortString(r, 5, 79, "same.txt");
    PutI32(r, 0, fileBlob);
    PutI32(r, 85, 3);
  });
  raw.AddRecords(immagine, 600, 1, [](uint8_t* r, uint32_t) { r[4] = 0; r[94] = 0; });
  raw.AddRecords(tabellaHtml, 200, 1, [](uint8_t* r, uint32_t) { r[4] = 2; });
  raw.AddRecords(multiMedia, 46, 1, [](uint8_t* r, uint32_t) { r[4] = 1; PutI32(r, 17, MakeObjectId(genLink, 1)); });
  WriteAll(f.dir / "old.yka", raw.Build());
  ASSERT_TRUE(f.doc->Open(f.dir / "old.yka"));
  TYKAset& d = *f.doc;

  TYKAoggetto* page = d.ObjectAt(testoHtml, 0);
  EXPECT_EQ(page->U16(page_rec::kLanguage), 1036);
  EXPECT_EQ(page->U8(page_rec::kMarkupVersion), 1);
  EXPECT_EQ(page->GetGeneration(), 8);
  EXPECT_EQ(page->I32(page_rec::kNextScene), -1);
  EXPECT_EQ(page->U8(page_rec::kPassword), 0);
  EXPECT_EQ(page->U8(250), 0xFF);  // beyond the stored 200 bytes
  EXPECT_TRUE(d.ObjectAt(testoHtml, 1)->IsFree());
  EXPECT_EQ(d.ObjectAt(internetLink, 0)->State(), 7);
  EXPECT_EQ(d.ObjectAt(genLink, 0)->ObjectCaption(), "same.txt");
  AnsiString renamed = d.ObjectAt(genLink, 1)->ObjectCaption();
  EXPECT_EQ(renamed.size(), 12u);
  EXPECT_EQ(renamed.substr(0, 2), "ed");
  EXPECT_EQ(renamed.substr(8), ".txt");
  EXPECT_EQ(d.ObjectAt(genLink, 1)->GetGeneration(), 8);
  EXPECT_TRUE(d.ObjectAt(immagine, 0)->IsFree());  // a picture without a file name is dropped
  EXPECT_EQ(d.ObjectAt(tabellaHtml, 0)->U8(219), 1);
  EXPECT_EQ(d.ObjectAt(tabellaHtml, 0)->I16(56), 300);
  EXPECT_EQ(d.ObjectAt(multiMedia, 0)->I32(media_rec::kLink), MakeObjectId(3, 1));
  // No styles in the file: the two default styles are made.
  EXPECT_EQ(d.DefaultStyle(1)->ObjectCaption(), "[pas de style tableau]");
}

TEST(DocumentFile, Version1FilesAreConverted) {
  DocFixture f;
  RawDocument raw;
  PutU16(raw.header.data(), 1621, 1);
  raw.SetLastKind(8);
  PutI32(raw.header.data(), 1736, 0x111111);
  PutI32(raw.header.data(), 1628, 40);  // a cover page that does not exist
  int32_t bytes = raw.AddBlob("GIF89a");
  raw.AddRecords(zipLink, 93, 1, [&](uint8_t* r, uint32_t) {
    r[4] = 4;
    WriteShortString(r, 5, 79, "a.zip");
    PutI32(r, 0, bytes);
    PutI32(r, 85, 6);
  });
  raw.AddRecords(mappaClic, 667, 2, [&](uint8_t* r, uint32_t) {
    r[4] = 0;
    WriteShortString(r, 94, 76, "carte.gif");
    PutI32(r, 0, bytes);
    PutI32(r, 174, 6);
  });
  WriteAll(f.dir / "v1.yka", raw.Build());
  ASSERT_TRUE(f.doc->Open(f.dir / "v1.yka"));
  TYKAset& d = *f.doc;
  EXPECT_EQ(d.KindCount(mappaClic), 0);
  EXPECT_EQ(d.KindCount(zipLink), 0);
  ASSERT_EQ(d.KindCount(immagine), 2);
  TYKAoggetto* second = d.FindObject(MakeObjectId(mappaClic, 1));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->Kind(), immagine);
  EXPECT_EQ(second->I32(picture_rec::kPreviousSlot), 1);
  EXPECT_NE(second->ShortString(picture_rec::kFileName, 76), "carte.gif");  // made unique
  Bytes content;
  ASSERT_TRUE(second->ReadContent(content));
  EXPECT_EQ(AsText(content), "GIF89a");
  EXPECT_EQ(d.FindObject(MakeObjectId(zipLink, 0))->Kind(), genLink);
  EXPECT_EQ(d.header().I32(hdr::kBackgroundColour), 0xF0F0F0);
  EXPECT_EQ(d.header().I32(hdr::kLinkColour), 0xFF0000);
  EXPECT_EQ(d.header().Short(hdr::kExportPrefix, 17), "v1");
  EXPECT_EQ(d.header().I32(hdr::kCoverPage), 0);
}

TEST(DocumentFile, SaveRefusals) {
  DocFixture f;
  Populate(*f.doc);
  EXPECT_FALSE(f.doc->Save(""));
  EXPECT_EQ(f.fake.messages.Texts().back(), "Nom de fichier invalide !");

  // A folder that cannot exist (its parent is a file): the probe messages, nothing else.
  WriteAll(f.dir / "plain", ToBytes("x"));
  const std::string impossible = f.dir / "plain/site.yka";
  f.fake.messages.Clear();
  EXPECT_FALSE(f.doc->Save(impossible));
  EXPECT_EQ(f.fake.messages.Texts(),
            (std::vector<std::string>{
                "Le programme ne peut pas créer (ou Windows ne vous autorise pas à toucher): " + impossible,
                "Peut-être que vous devriez mettre dans le dossier Documents, ou: /home/tester/Documents"}));
  EXPECT_TRUE(f.doc->IsModified());

  // Password-protected pages: No cancels, Yes saves.
  f.doc->ObjectAt(testoHtml, 0)->SetU8(page_rec::kPassword, 3);
  const std::string path = f.dir / "locked.yka";
  f.fake.messages.Script(Answer::No);
  EXPECT_FALSE(f.doc->Save(path));
  EXPECT_FALSE(std::filesystem::exists(path));
  f.fake.messages.Script(Answer::Yes);
  EXPECT_TRUE(f.doc->Save(path));
  EXPECT_EQ(f.fake.messages.Texts().back(),
            "Etes-vous sûr? Les pages protégées par un mot de passe pourraient être perdues si vous enregistrez.");
  // Nothing but the target (and no scratch file) is left in the folder.
  for (const auto& entry : std::filesystem::directory_iterator(f.dir.path()))
    EXPECT_EQ(entry.path().extension() == ".tmp", false) << entry.path();
}

TEST(DocumentFile, UnreadableExternalFileFailsTheSave) {
  DocFixture f;
  f.doc->CreatePage();
  const std::string path = f.dir / "site.yka";
  ASSERT_TRUE(f.doc->Save(path));
  const Bytes before = ReadAll(path);
  TYKAoggetto* file = f.doc->CreateObject(genLink);
  file->SetExternalPath(f.dir / "gone.pdf");
  EXPECT_FALSE(f.doc->Save(path));
  EXPECT_EQ(f.doc->SaveErrors(), std::vector<std::string>{"Erreur lors de l'ouverture du fichier : " + (f.dir / "gone.pdf")});
  EXPECT_EQ(ReadAll(path), before);

  WriteAll(f.dir / "here.pdf", ToBytes("%PDF-1.4"));
  file->SetExternalPath(f.dir / "here.pdf");
  ASSERT_TRUE(f.doc->Save(path));
  Bytes content;
  ASSERT_TRUE(file->ReadContent(content));
  EXPECT_EQ(AsText(content), "%PDF-1.4");
  EXPECT_TRUE(file->HasLazyContent());
}

TEST(DocumentFile, OversizedObjectsAskFirst) {
  DocFixture f;
  TYKAoggetto* big = f.doc->CreateObject(genLink);
  big->SetCaption("huge.bin");
  big->SetContent(Bytes(50000001, 1));
  TYKAoggetto* small = f.doc->CreateObject(genLink);
  small->SetContentText("ok");
  const std::string path = f.dir / "big.yka";

  f.fake.messages.Script(Answer::Yes);
  ASSERT_TRUE(f.doc->Save(path));
  EXPECT_EQ(f.fake.messages.shown().back().kind, ScriptedMessages::Kind::YesNoAll);
  EXPECT_NE(f.fake.messages.Texts().back().find("(n°_objet,taille,nom):(0 , 50000001 , huge.bin)"), std::string::npos);
  EXPECT_GT(ReadAll(path).size(), 50000000u);

  f.fake.messages.Script(Answer::No);
  ASSERT_TRUE(f.doc->Save(path));
  EXPECT_TRUE(big->IsFree());
  EXPECT_LT(ReadAll(path).size(), 10000u);
  DocFixture g;
  ASSERT_TRUE(g.doc->Open(path));
  EXPECT_TRUE(g.doc->ObjectAt(genLink, 0)->IsFree());
  EXPECT_EQ(g.doc->ObjectAt(genLink, 1)->ContentSize(), 2u);
}

TEST(DocumentFile, EmptiedSlotsAreWrittenFree) {
  DocFixture f;
  f.doc->CreatePage();
  TYKAoggetto* moved = f.doc->CreatePage();
  f.doc->CreateObject(speclink);
  std::unique_ptr<TYKAoggetto> keep = moved->SetKind(genLink);  // leaves an empty entry in slot 1
  std::unique_ptr<TYKAoggetto> keepLink = f.doc->ObjectAt(speclink, 0)->SetKind(shortObj);
  ASSERT_TRUE(f.doc->Save(f.dir / "holes.yka"));
  DocFixture g;
  ASSERT_TRUE(g.doc->Open(f.dir / "holes.yka"));
  EXPECT_EQ(g.doc->KindCount(testoHtml), 2);
  EXPECT_TRUE(g.doc->ObjectAt(testoHtml, 1)->IsFree());
  EXPECT_TRUE(g.doc->ObjectAt(speclink, 0)->IsFree());
  EXPECT_EQ(g.doc->KindCountInUse(testoHtml), 1);
}

TEST(DocumentFile, PasswordDigest) {
  DocFixture f;
  EXPECT_EQ(f.doc->PasswordDigest(), "");
  f.doc->SetPassword("secret");
  EXPECT_EQ(f.doc->header().U8(hdr::kPasswordSet), 'a');
  EXPECT_EQ(f.doc->ReadDocProperty("newpha_h"), "OLCCEJMOANAOAP");  // letters 3..16 of MD5("secret")
  EXPECT_TRUE(f.doc->PasswordMatches("secret"));
  EXPECT_FALSE(f.doc->PasswordMatches("Secret"));
  // Older files keep a plain text there, which is digested the same way.
  f.doc->header().SetShort(hdr::kPasswordMarker, 12, "abc");
  EXPECT_EQ(f.doc->PasswordDigest(), "BAAFIJMDCNPEAL");
  f.doc->SetPassword("");
  EXPECT_EQ(f.doc->PasswordDigest(), "");
  EXPECT_EQ(f.doc->ReadDocProperty("newpha_h"), "");
}

TEST(DocumentFile, ForeignPageTitle) {
  DocFixture f;
  f.doc->CreatePage()->SetCaption("Accueil");
  f.doc->CreatePage()->SetCaption("Plan du site");
  const std::string path = f.dir / "other.yka";
  ASSERT_TRUE(f.doc->Save(path));
  DocFixture g;
  EXPECT_EQ(g.doc->ReadForeignPageTitle(path, 1), "Plan du site");
  EXPECT_EQ(g.doc->ReadForeignPageTitle(path, 2), "");
  EXPECT_EQ(g.doc->ReadForeignPageTitle(path, MakeObjectId(immagine, 0)), "");
  EXPECT_EQ(g.doc->ReadForeignPageTitle(f.dir / "none.yka", 0), "");
  Bytes newer = ReadAll(path);
  PutU16(newer.data(), hdr::kVersion, 3);
  WriteAll(path, newer);
  EXPECT_EQ(g.doc->ReadForeignPageTitle(path, 1), "");
}

}  // namespace
}  // namespace tolvane
