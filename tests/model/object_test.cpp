#include <gtest/gtest.h>

#include "common/file_names.h"
#include "common/hex_id.h"
#include "model/object_clipboard.h"
#include "test_support.h"

namespace tolvane {
namespace {

using testing::DocFixture;

std::unique_ptr<TYKAoggetto> Fresh(TYKAset& doc, TOggettiHel kind) {
  auto o = TYKAoggetto::Create(kind, &doc);
  o->Clear();
  return o;
}

TEST(StoredObject, FreeStateAndActivationByKind) {
  DocFixture f;
  struct Case {
    TOggettiHel kind;
    bool freeWhenCleared;
    int stateInUse;  // -1: activation leaves the state alone
  } cases[] = {
      {testoHtml, true, 0},      {internetLink, true, 4}, {genLink, true, 4},
      {immagine, true, 0},       {programma, true, -1},   {mappaFrame, true, 2},
      {tabellaHtml, true, 2},    {speclink, true, 1},     {shortObj, true, 1},
      {custom, true, 1},         {dbloc, true, 7},        {immagineNew, true, 1},
      {stileParagrafo, true, 1}, {inputStat, true, 1},    {multiMedia, true, 1},
      {zipLink, false, -1},      {mappaClic, false, -1},  {none, false, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(KindName(c.kind));
    auto o = Fresh(*f.doc, c.kind);
    EXPECT_EQ(o->IsFree(), c.freeWhenCleared);
    o->Activate();
    if (c.stateInUse >= 0) {
      EXPECT_EQ(o->State(), c.stateInUse);
      EXPECT_FALSE(o->IsFree());
    }
  }
  // A programma is free in state 1, which is also its in-use value: both hold.
  auto program = Fresh(*f.doc, programma);
  program->Activate();
  EXPECT_TRUE(program->IsFree());
  // A keyword is free while its text is "-".
  auto word = Fresh(*f.doc, keyword);
  EXPECT_TRUE(word->IsFree());
  word->SetCaption("maison");
  EXPECT_FALSE(word->IsFree());
}

TEST(StoredObject, ClearWritesTheKindDefaults) {
  DocFixture f;
  f.doc->header().SetI32(hdr::kBackgroundColour, 0x123456);
  f.doc->header().SetI32(hdr::kLinkColour, 0x00AA00);
  auto page = Fresh(*f.doc, testoHtml);
  EXPECT_EQ(page->I32(page_rec::kBackgroundColour), 0x123456);
  EXPECT_EQ(page->I32(page_rec::kLinkColour), 0x00AA00);
  EXPECT_EQ(page->I32(page_rec::kBackgroundPicture), -1);
  EXPECT_EQ(page->U16(page_rec::kLanguage), 1036);
  EXPECT_EQ(page->U8(page_rec::kMarkupVersion), 2);
  EXPECT_EQ(page->GetGeneration(), f.doc->SaveCounter());
  EXPECT_EQ(page->ObjectCaption().rfind("SansTitre ", 0), 0u);
  EXPECT_EQ(page->I32(page_rec::kNextScene), -1);  // untouched bytes are 0xFF

  auto orphan = TYKAoggetto::Create(testoHtml, nullptr);
  orphan->Clear();
  EXPECT_EQ(orphan->I32(page_rec::kBackgroundColour), 0xF0F0F0);
  EXPECT_EQ(orphan->I32(page_rec::kFollowedColour), 255);

  auto style = Fresh(*f.doc, stileParagrafo);
  EXPECT_EQ(style->ShortString(style_rec::kFontName, 33), "Arial");
  EXPECT_EQ(style->I16(72), 10);
  EXPECT_EQ(style->U16(94), 0x8300);
  EXPECT_EQ(style->I32(81), 0xFF0000);
  EXPECT_EQ(style->U8(200), 0);  // styles start from zeros, not 0xFF

  auto table = Fresh(*f.doc, tabellaHtml);
  EXPECT_EQ(table->U8(5), 1);
  EXPECT_EQ(table->U8(93), 1);  // one row
  EXPECT_EQ(table->I32(211), static_cast<int32_t>(0x80000014u));
  EXPECT_EQ(table->U8(219), 2);

  EXPECT_EQ(Fresh(*f.doc, mappaFrame)->ObjectCaption(), "Map");
  EXPECT_EQ(Fresh(*f.doc, custom)->ObjectCaption(), "Nouveau prototype");
  EXPECT_EQ(Fresh(*f.doc, dbloc)->ObjectCaption(), "db");
  EXPECT_EQ(Fresh(*f.doc, speclink)->ShortString(speclink_rec::kFrameName, 28), "Ny");
}

TEST(StoredObject, ActivatingAPageGivesItEmptyMarkup) {
  DocFixture f;
  TYKAtesto* page = f.doc->CreatePage();
  EXPECT_EQ(page->Markup(), "<Z S0 >");
  EXPECT_EQ(page->ObjectId(), 0);
  EXPECT_TRUE(f.doc->IsModified());
}

TEST(SlotAllocation, PreferredThenFirstFreeThenEnd) {
  DocFixture f;
  TYKAset& doc = *f.doc;
  for (int i = 0; i < 4; ++i) doc.CreateObject(internetLink);
  doc.ObjectAt(internetLink, 1)->Reset();
  doc.ObjectAt(internetLink, 3)->Reset();

  // The preferred slot is free: it is taken.
  EXPECT_EQ(doc.CreateObject(internetLink, 3)->Slot(), 3);
  // The preferred slot is in use: the first free slot instead, and the object there survives.
  TYKAoggetto* inUse = doc.ObjectAt(internetLink, 0);
  inUse->SetCaption("http://keep.example");
  EXPECT_EQ(doc.CreateObject(internetLink, 0)->Slot(), 1);
  EXPECT_EQ(doc.ObjectAt(internetLink, 0), inUse);
  EXPECT_EQ(inUse->ObjectCaption(), "http://keep.example");
  // Nothing free: a new slot at the end.
  EXPECT_EQ(doc.CreateObject(internetLink)->Slot(), 4);
  // A preferred slot far beyond the end does not grow the list.
  EXPECT_EQ(doc.CreateObject(internetLink, 5000000)->Slot(), 5);
  EXPECT_EQ(doc.KindCount(internetLink), 6);
  // A deleted object's id is reused by the next object of its kind.
  const int32_t id = doc.ObjectAt(internetLink, 2)->ObjectId();
  doc.DeleteObject(doc.ObjectAt(internetLink, 2));
  EXPECT_EQ(doc.CreateObject(internetLink)->ObjectId(), id);
}

TEST(SlotAllocation, ADisplacedFreeObjectStaysValid) {
  DocFixture f;
  TYKAoggetto* old = f.doc->CreateObject(internetLink);
  f.doc->DeleteObject(old);
  TYKAoggetto* fresh = f.doc->CreateObject(internetLink);
  EXPECT_EQ(fresh->Slot(), old->Slot());
  // Whoever still points at the deleted object reads a free, unregistered object.
  EXPECT_TRUE(old->IsFree());
  EXPECT_FALSE(old->IsRegistered());
  EXPECT_EQ(f.doc->ObjectAt(internetLink, 0), fresh);
  // and it can no longer take anything out of the lists.
  EXPECT_EQ(old->SetKind(genLink), nullptr);
  EXPECT_EQ(f.doc->ObjectAt(internetLink, 0), fresh);
}

TEST(SlotAllocation, ChangingKindLeavesTheOldList) {
  DocFixture f;
  TYKAoggetto* link = f.doc->CreateObject(internetLink);
  std::unique_ptr<TYKAoggetto> owned = link->SetKind(genLink);
  ASSERT_EQ(owned.get(), link);
  EXPECT_FALSE(link->IsRegistered());
  EXPECT_EQ(f.doc->ObjectAt(internetLink, 0), nullptr);
  owned->Clear();
  owned->Activate();
  EXPECT_EQ(f.doc->Register(std::move(owned))->ObjectId(), MakeObjectId(genLink, 0));
}

TEST(FindObject, RangesAndUnknownKinds) {
  DocFixture f;
  f.doc->CreatePage();
  EXPECT_NE(f.doc->FindObject(0), nullptr);
  EXPECT_EQ(f.doc->FindObject(1), nullptr);
  EXPECT_EQ(f.doc->FindObject(-1), nullptr);
  EXPECT_EQ(f.doc->FindObject(MakeObjectId(none, 0)), nullptr);
  EXPECT_EQ(f.doc->FindObject(MakeObjectId(zipLink, 0)), nullptr);
  EXPECT_EQ(f.doc->ObjectAt(testoHtml, -1), nullptr);
  EXPECT_EQ(f.doc->ObjectAt(testoHtml, 0x1000000), nullptr);
}

TEST(PropertyBag, KeysValuesAndLineBreaks) {
  DocFixture f;
  TYKAoggetto* bag = f.doc->CreateObject(dbloc);
  EXPECT_TRUE(bag->WriteProperty("Alpha", "1"));
  EXPECT_TRUE(bag->WriteProperty("beta", "two\r\nlines"));
  EXPECT_EQ(bag->ReadProperty("ALPHA"), "1");
  EXPECT_EQ(bag->ReadProperty("beta"), "two\r\nlines");
  EXPECT_EQ(AsText(*bag->ContentInMemory()), "alpha\r\n1\r\nbeta\r\ntwo\x02\x03lines\r\n");

  EXPECT_TRUE(bag->WriteProperty("alpha", ""));  // an empty value removes the key
  EXPECT_EQ(bag->ReadProperty("alpha"), "");
  EXPECT_TRUE(bag->WriteProperty("alpha", "3"));  // and writing it again appends it
  EXPECT_EQ(AsText(*bag->ContentInMemory()), "beta\r\ntwo\x02\x03lines\r\nalpha\r\n3\r\n");
  EXPECT_TRUE(bag->WriteProperty("beta", "2"));
  EXPECT_EQ(bag->ReadProperty("beta"), "2");

  TYKAtesto* page = f.doc->CreatePage();
  EXPECT_FALSE(page->WriteProperty("alpha", "x"));
  EXPECT_EQ(page->ReadProperty("alpha"), "");
  EXPECT_EQ(page->Markup(), "<Z S0 >");
}

TEST(AttributeText, ScanningAndWriting) {
  DocFixture f;
  TYKAoggetto* o = f.doc->CreateObject(inputStat);
  EXPECT_FALSE(o->ReadAttribute("size").has_value());
  EXPECT_EQ(o->ReadAttribute("allfields"), "");

  Bytes stream = {3, 0, 0, 0, 'x', 'y', 'z'};
  const std::string text = "a=\"1 2\"b='3'  c=4\r\nD=5\tx \"q\"=9 e=\"\x02\x03\" c=last";
  stream.insert(stream.end(), text.begin(), text.end());
  o->SetAttributes(stream);
  struct Case {
    const char* name;
    std::optional<std::string> value;
  } cases[] = {{"a", "1 2"}, {"B", "3"}, {"c", "last"}, {"d", "5x"}, {"e", "\r\n"}, {"zz", std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(o->ReadAttribute(c.name), c.value) << c.name;
  EXPECT_EQ(o->ReadAttribute("ALLFIELDS"), text);

  // Replacing a value that starts a line rewrites the text line by line.
  o->WriteAttribute("D", "six");
  EXPECT_EQ(o->ReadAttribute("d"), "six");
  EXPECT_EQ(o->AttributeBinary(), (Bytes{'x', 'y', 'z'}));
  // A new name is appended without a line break.
  o->WriteAttribute("New", "v\r\n");
  const std::string after = o->AttributeText();
  EXPECT_EQ(after.substr(after.size() - 11), "\r\nnew=\"v\x02\x03\"");
  EXPECT_EQ(o->ReadAttribute("new"), "v\r\n");

  TYKAoggetto* fresh = f.doc->CreateObject(inputStat);
  fresh->WriteAttribute("Name", "field");
  EXPECT_EQ(AsText(*fresh->Attributes()), std::string("\0\0\0\0name=\"field\"", 16));
  EXPECT_EQ(fresh->AttributeLines(), std::vector<std::string>{"name=\"field\""});

  TYKAoggetto* proto = f.doc->CreateObject(custom);
  proto->SetAttributes(stream);
  EXPECT_FALSE(proto->ReadAttribute("a").has_value());  // prototypes hold templates, not attributes
}

TEST(AttributeText, LengthPrefixBeyondTheStreamIsHarmless) {
  DocFixture f;
  TYKAoggetto* o = f.doc->CreateObject(inputStat);
  o->SetAttributes(Bytes{0xFF, 0xFF, 0xFF, 0x7F, 'a', '=', '1'});
  EXPECT_EQ(o->AttributeText(), "");
  EXPECT_FALSE(o->ReadAttribute("a").has_value());
  o->SetAttributes(Bytes{1, 0});
  EXPECT_EQ(o->AttributeText(), "");
}

TEST(Names, HtmlNamesByKind) {
  DocFixture f;
  TYKAoggetto* field = f.doc->CreateObject(inputStat);
  field->SetCaption("");
  EXPECT_EQ(field->HtmlName(), "element0");
  field->SetCaption("Nom");
  EXPECT_EQ(field->HtmlName(), "nom");
  TYKAoggetto* form = f.doc->CreateObject(inizioForm);
  EXPECT_EQ(form->HtmlName(), "formstart0");
  form->WriteAttribute("name", "Commande");
  EXPECT_EQ(form->HtmlName(), "Commande");
  TYKAoggetto* placed = f.doc->CreateObject(immagineNew);
  placed->WriteAttribute("name", "carte");
  EXPECT_EQ(placed->HtmlName(), "carte");
  EXPECT_EQ(f.doc->CreatePage()->HtmlName(), "");
}

TEST(Equality, SameAsByKind) {
  DocFixture f;
  TYKAset& doc = *f.doc;
  TYKAoggetto* a = doc.CreateObject(internetLink);
  TYKAoggetto* b = doc.CreateObject(internetLink);
  a->SetCaption("http://a.example/");
  b->SetCaption("http://a.example/");
  EXPECT_TRUE(a->SameAs(*b));
  b->SetCaption("http://A.example/");
  EXPECT_FALSE(a->SameAs(*b));

  TYKAoggetto* p1 = doc.CreateObject(immagine);
  TYKAoggetto* p2 = doc.CreateObject(immagine);
  p1->SetContentText("GIF89a-same");
  p2->SetContentText("GIF89a-same");
  EXPECT_TRUE(p1->SameAs(*p2));
  p2->SetContentText("GIF89a-diff");
  EXPECT_FALSE(p1->SameAs(*p2));
  p1->Reset();
  EXPECT_FALSE(p1->SameAs(*p2));  // a free object equals nothing

  TYKAoggetto* s1 = doc.CreateObject(stileParagrafo);
  TYKAoggetto* s2 = doc.CreateObject(stileParagrafo);
  EXPECT_TRUE(s1->SameAs(*s2));
  s2->SetShortString(style_rec::kFontName, 33, "Courier New");
  EXPECT_FALSE(s1->SameAs(*s2));
  s2->SetShortString(style_rec::kFontName, 33, "Arial");
  s2->SetU8(style_rec::kAttributes + 5, 99);
  EXPECT_FALSE(s1->SameAs(*s2));
}

TEST(Transfer, RoundTripAndDamagedStreams) {
  DocFixture f;
  TYKAset& doc = *f.doc;
  TYKAoggetto* src = doc.CreateObject(genLink);
  src->SetCaption("notes.txt");
  src->SetContentText("file bytes");
  src->WriteAttribute("title", "Notes");
  src->SetExternalPath("/somewhere/notes.txt");
  Bytes stream;
  src->SaveToTransfer(stream);
  EXPECT_EQ(stream.size(), 4 + 1 + 668 + 4 + 20 + 4 + 4 + 10 + 4 + src->Attributes()->size());

  auto copy = TYKAoggetto::Create(testoHtmlRtf, &doc);
  copy->SetSlot(7);
  ByteReader in(stream);
  ASSERT_TRUE(copy->LoadFromTransfer(in));
  EXPECT_EQ(copy->Kind(), genLink);
  EXPECT_EQ(copy->Slot(), src->Slot());  // unregistered: the slot comes along
  EXPECT_EQ(std::memcmp(copy->Record(), src->Record(), kRecordBytes), 0);
  EXPECT_EQ(AsText(*copy->ContentInMemory()), "file bytes");
  EXPECT_EQ(copy->ReadAttribute("title"), "Notes");
  EXPECT_EQ(copy->ExternalPath(), "/somewhere/notes.txt");

  // A registered object keeps its slot, and complains about another kind but takes the data.
  TYKAoggetto* page = doc.CreatePage();
  ByteReader again(stream);
  ASSERT_TRUE(page->LoadFromTransfer(again));
  EXPECT_EQ(page->Slot(), 0);
  EXPECT_EQ(f.fake.messages.Texts().back(),
            "In un TYKAoggetto registrato si può caricare solo un TYKAoggetto dello stesso tipo!");

  // Cut after the path: both streams end up empty.
  for (size_t cut : {stream.size() - 1, size_t{4 + 1 + 668 + 4 + 20 + 6}}) {
    auto damaged = TYKAoggetto::Create(testoHtmlRtf, &doc);
    ByteReader short_in(stream.data(), cut);
    EXPECT_FALSE(damaged->LoadFromTransfer(short_in));
    EXPECT_FALSE(damaged->HasContent());
    EXPECT_FALSE(damaged->HasAttributes());
  }
  // A stream that claims gigabytes is refused without allocating them.
  Bytes lying = stream;
  PutU32(lying.data(), 4 + 1 + 668 + 4 + 20, 0xFFFFFFF0u);
  ByteReader lying_in(lying);
  EXPECT_FALSE(TYKAoggetto::Create(testoHtmlRtf, &doc)->LoadFromTransfer(lying_in));
}

TEST(Assign, PictureResourceBecomesAPlacedImage) {
  DocFixture f;
  TYKAoggetto* picture = f.doc->CreateObject(immagine);
  picture->SetCaption("plan");
  picture->SetI16(picture_rec::kWidth, 120);
  picture->SetI16(picture_rec::kHeight, 80);
  picture->SetI32(picture_rec::kMapData, MakeObjectId(speclink, 4));  // first hot spot's link
  TYKAoggetto placed(f.doc.get());
  placed.Assign(*picture);
  EXPECT_EQ(placed.Kind(), immagineNew);
  EXPECT_EQ(placed.State(), 1);
  EXPECT_EQ(placed.I32(placed_rec::kMainPicture), picture->Slot());
  EXPECT_EQ(placed.I16(placed_rec::kWidth), 120);
  EXPECT_EQ(placed.I16(placed_rec::kHeight2), 80);
  EXPECT_EQ(placed.I32(placed_rec::kColour), 0xFF0000);
  EXPECT_EQ(placed.ObjectCaption(), "plan");
  EXPECT_EQ(placed.I32(placed_rec::kHotSpots), MakeObjectId(speclink, 4));

  TYKAoggetto plain(f.doc.get());
  TYKAoggetto* link = f.doc->CreateObject(internetLink);
  link->SetCaption("http://x.example/");
  plain.Assign(*link);
  EXPECT_EQ(plain.Kind(), internetLink);
  EXPECT_EQ(plain.ObjectCaption(), "http://x.example/");
}

TEST(PagePassword, LockedPagesRefuseTheirContent) {
  DocFixture f;
  TYKAtesto* page = f.doc->CreatePage();
  page->SetContentText("<Z S0 >secret");
  for (int b : {0, 255, 129}) {
    page->SetU8(page_rec::kPassword, static_cast<uint8_t>(b));
    EXPECT_TRUE(page->CheckReadable()) << b;
  }
  page->SetU8(page_rec::kPassword, 7);
  EXPECT_FALSE(page->CheckReadable());
  EXPECT_EQ(f.fake.messages.Texts().back(),
            "Lecture impossible ! SVP, désactivez les mots de passe dans le fichier d'origine !");
  TYKAtesto copy(f.doc.get());
  copy.Assign(*page);
  EXPECT_EQ(copy.Markup().find("secret"), std::string_view::npos);
  EXPECT_EQ(copy.Markup().rfind("<Z S0 >MOT DE PASSE NON VALIDE", 0), 0u);
  // Copies through the transfer stream and into plain objects hide it too.
  Bytes stream;
  page->SaveToTransfer(stream);
  EXPECT_EQ(AsText(stream).find("secret"), std::string_view::npos);
  TYKAoggetto plain(f.doc.get());
  plain.Assign(*page);
  EXPECT_EQ(AsText(*plain.ContentInMemory()).find("secret"), std::string_view::npos);
}

TEST(PageName, LivesInTheBinaryPartOfTheAttributes) {
  DocFixture f;
  TYKAtesto* page = f.doc->CreatePage();
  page->WriteAttribute("bgsound", "x.wav");
  page->SetPageName("accueil");
  EXPECT_EQ(page->PageName(), "accueil");
  EXPECT_EQ(page->ReadAttribute("bgsound"), "x.wav");
}

TEST(Content, TheWorkingFolderIsPrivate) {
  DocFixture f;
  const std::string folder = f.doc->WorkingFolder();
  ASSERT_FALSE(folder.empty());
  auto perms = std::filesystem::status(folder).permissions();
  EXPECT_EQ(perms & std::filesystem::perms::all, std::filesystem::perms::owner_all);
  TYKAset other(f.fake.platform());
  EXPECT_NE(other.WorkingFolder(), folder);
  f.doc->Close();  // emptied and made anew, still private
  EXPECT_EQ(std::filesystem::status(folder).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_all);
}

TEST(Content, ExtractAndExportedFileName) {
  DocFixture f;
  TYKAoggetto* file = f.doc->CreateObject(genLink);
  file->SetCaption("data.txt");
  file->SetContentText("payload");
  const std::string target = f.dir / "out/sub/data.txt";
  ASSERT_TRUE(file->ExtractToFile(target));
  EXPECT_EQ(AsText(testing::ReadAll(target)), "payload");

  std::string exported = file->ExportedFileName();
  ASSERT_FALSE(exported.empty());
  EXPECT_EQ(ExtractFileName(exported), "data.txt");
  EXPECT_FALSE(file->HasContent());  // dropped from memory once on disk
  EXPECT_EQ(file->ExternalPath(), exported);
  EXPECT_EQ(AsText(testing::ReadAll(exported)), "payload");

  // Extracting onto its own external file leaves that file alone.
  EXPECT_TRUE(file->ExtractToFile(exported));
  EXPECT_EQ(AsText(testing::ReadAll(exported)), "payload");

  // A second file of the same name gets another name in the working folder.
  TYKAoggetto* other = f.doc->CreateObject(genLink);
  other->SetCaption("data.txt");
  other->SetContentText("other");
  EXPECT_NE(other->ExportedFileName(), exported);
}

TEST(ObjectClip, PlacedImageTravelsWithItsLinksAndPictures) {
  DocFixture f;
  TYKAset& doc = *f.doc;
  TYKAoggetto* main = doc.CreateObject(immagine);
  main->SetCaption("plan");
  main->SetContentText("GIF89a-main");
  TYKAoggetto* address = doc.CreateObject(internetLink);
  address->SetCaption("http://www.example.org/");
  TYKAoggetto* chained = doc.CreateObject(speclink);
  chained->SetI32(speclink_rec::kTarget, address->ObjectId());
  TYKAoggetto* first = doc.CreateObject(speclink);
  first->SetI32(speclink_rec::kTarget, chained->ObjectId());
  first->work2 = 77;
  TYKAoggetto* placed = doc.CreateObject(immagineNew);
  placed->SetI32(placed_rec::kMainPicture, main->Slot());
  placed->SetI32(placed_rec::kSecondPicture, -1);
  placed->SetI32(placed_rec::kThirdPicture, 40);  // names nothing
  placed->SetU8(placed_rec::kMapMode, 4);
  placed->SetI32(placed_rec::kHotSpots, first->ObjectId());
  placed->SetI32(placed_rec::kHotSpots + 16, first->ObjectId());  // the same link twice travels once

  Bytes stream;
  ASSERT_TRUE(SaveObjectClip(*placed, stream));
  auto clip = ReadObjectClip(stream, &doc);
  ASSERT_TRUE(clip.has_value());
  ASSERT_EQ(clip->linked.size(), 3u);
  EXPECT_EQ(clip->linked[0].object->ObjectId(), first->ObjectId());
  EXPECT_EQ(clip->linked[0].secondWorkValue, 77);
  EXPECT_EQ(clip->linked[2].object->ObjectCaption(), "http://www.example.org/");
  ASSERT_EQ(clip->pictures.size(), 1u);
  EXPECT_EQ(AsText(*clip->pictures[0]->ContentInMemory()), "GIF89a-main");
  ASSERT_EQ(clip->placed.size(), 1u);
  EXPECT_EQ(clip->placed[0]->I32(placed_rec::kHotSpots), first->ObjectId());
  EXPECT_EQ(clip->markup, "<Z S0 ><$FF000001>");

  // A picture resource travels with a placed image made for it.
  ASSERT_TRUE(SaveObjectClip(*main, stream = {}));
  clip = ReadObjectClip(stream, &doc);
  ASSERT_TRUE(clip.has_value());
  EXPECT_TRUE(clip->linked.empty());
  EXPECT_EQ(clip->placed[0]->Kind(), immagineNew);
  EXPECT_EQ(clip->placed[0]->ObjectCaption(), "plan");
  EXPECT_EQ(clip->placed[0]->I32(placed_rec::kMainPicture), main->Slot());

  // Every cut of the stream is refused.
  for (size_t cut = 0; cut < stream.size(); cut += 97)
    EXPECT_FALSE(ReadObjectClip(Bytes(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(cut)), &doc))
        << cut;
  EXPECT_FALSE(SaveObjectClip(*address, stream));
  EXPECT_EQ(f.fake.messages.Texts().back(), "Allowed only for immagine");
}

TEST(ReplaceContent, TakesThePictureAndRecordsUndo) {
  DocFixture f;
  std::vector<std::string> undo;
  f.doc->OnRecordUndo = [&](const std::string& caption, TYKAoggetto&) { undo.push_back(caption); };
  TYKAoggetto* picture = f.doc->CreateObject(immagine);
  picture->SetCaption("logo");
  picture->SetContentText("old");
  TYKAoggetto other(f.doc.get());
  other.CopyCoreFrom(*picture);
  other.SetContentText("new bytes");
  other.SetSlot(9);
  picture->ReplaceContent(other);
  EXPECT_EQ(AsText(*picture->ContentInMemory()), "new bytes");
  EXPECT_EQ(picture->Slot(), 0);
  EXPECT_EQ(undo, std::vector<std::string>{"Modifier une image logo"});
  f.doc->CreatePage()->ReplaceContent(other);
  EXPECT_EQ(f.fake.messages.Texts().back(), "ReplaceContent called improperly...");
}

}  // namespace
}  // namespace tolvane
