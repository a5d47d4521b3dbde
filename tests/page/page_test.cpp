#include <gtest/gtest.h>

#include <map>

#include "../model/test_support.h"
#include "model/undo.h"
#include "page/page.h"
#include "page/page_undo.h"
#include "platform/fakes/fake_text_measurer.h"
#include "richtext/markup_writer.h"

namespace tolvane::testing {
namespace {

std::string Tag(int32_t id) {
  std::string out = "<$";
  AppendHex(out, static_cast<uint32_t>(id), 8);
  return out + ">";
}

// Stands in for the object controls to come: a fixed size per kind.
class StandInControl : public ObjectControl {
 public:
  using ObjectControl::ObjectControl;
};

struct StandInFactory : ControlFactory {
  std::vector<int> kinds;
  std::unique_ptr<ObjectControl> CreateVisual(TYKAoggetto& object, TYKApage&) override {
    kinds.push_back(object.Kind());
    auto c = std::make_unique<StandInControl>(object);
    c->SetBounds(Rect::Sized(0, 0, 30, 20));
    return c;
  }
};

// Every object of the document as stored: record and content, by id.
std::map<int32_t, std::pair<Bytes, Bytes>> Snapshot(TYKAset& doc) {
  std::map<int32_t, std::pair<Bytes, Bytes>> out;
  for (int k = 0; k <= kLastFileKind; ++k)
    for (int s = 0; s < doc.KindCount(k); ++s) {
      TYKAoggetto* o = doc.ObjectAt(k, s);
      Bytes content;
      o->ReadContent(content);
      out[o->ObjectId()] = {StoredRecord(*o), content};
    }
  return out;
}

std::string Content(const TYKAoggetto& o) {
  Bytes b;
  o.ReadContent(b);
  return std::string(AsText(b));
}

// A page with a free picture, an address link, a special link and a picture
// in its text, a shared header holding a picture and the document's footer.
struct PageFixture {
  PageFixture() {
    TYKAset& d = *doc.doc;
    address = d.CreateObject(internetLink);
    address->SetCaption("https://example.org/");
    special = d.CreateObject(speclink);
    inlinePicture = d.CreateObject(immagineNew);
    freePicture = d.CreateObject(immagineNew);
    headerPicture = d.CreateObject(immagineNew);
    header = d.CreatePage();
    header->SetContentText("<Z S0 >En-t\xEAte " + Tag(headerPicture->ObjectId()) + std::string(1, '\0'));
    footer = d.CreatePage();
    footer->SetContentText(std::string("<Z S0 >Pied") + '\0');
    d.header().SetI32(hdr::kFooterPage, footer->ObjectId());
    page = d.CreatePage();
    page->SetCaption("Accueil");
    page->SetI32(page_rec::kHeaderPage, header->ObjectId());
    stored = "<Z S0 f0 >" + Tag(freePicture->ObjectId()) + "<Z S0 >Voir " + Tag(address->ObjectId()) + "le site<%> et " +
             Tag(special->ObjectId()) + "ici<%> " + Tag(inlinePicture->ObjectId()) + "fin" + '\0';
    page->SetContentText(stored);
  }
  DocFixture doc;
  FakeTextMeasurer measurer;
  StandInFactory factory;
  TYKAoggetto *address, *special, *inlinePicture, *freePicture, *headerPicture;
  TYKAtesto *header, *footer, *page;
  std::string stored;
  TYKApage surface{*doc.doc, factory, measurer};
};

TEST(Page, WorkingCopyHoldsCopiesUnderWorkingIds) {
  PageFixture f;
  TYKAtesto* working = f.surface.ShowPage(f.page);
  ASSERT_NE(working, nullptr);
  EXPECT_NE(working, f.page);
  EXPECT_FALSE(f.surface.IsNewPage());
  // Links became 0x6F + their place in the copy's link list, objects 0xFF +
  // the number of their control, after the box's: the free picture, the
  // inline one, the header's.
  EXPECT_EQ(f.surface.ControlIndex().ControlAt(0), &f.surface.TextBox()->AsControl());
  EXPECT_EQ(Content(*working), "<Z S0 f0 ><$FF000001><Z S0 >Voir <$6f000000>le site<%> et <$6f000001>ici<%> "
                               "<$FF000002>fin" + std::string(1, '\0'));
  ASSERT_EQ(working->workingLinks.size(), 2u);
  EXPECT_NE(working->workingLinks[0], f.address);  // private copies
  EXPECT_EQ(working->workingLinks[0]->ObjectCaption(), "https://example.org/");
  EXPECT_EQ(f.factory.kinds, (std::vector<int>{immagineNew, immagineNew, immagineNew}));
  ASSERT_EQ(f.surface.EmbeddedObjects().size(), 1u);
  EXPECT_EQ(f.surface.EmbeddedObjects()[0]->IndexNumber(), 1);
  EXPECT_TRUE(f.surface.EmbeddedObjects()[0]->Visible());
  ASSERT_EQ(f.surface.HeaderFooterObjects().size(), 1u);
  // The box shows the header, the page's text and the document's footer.
  TextParagraphs& text = f.surface.TextBox()->Paragraphs();
  ASSERT_EQ(text.paragraphs.size(), 3u);
  EXPECT_EQ(text.leadingShared, 1);
  EXPECT_EQ(text.trailingShared, 1);
  EXPECT_EQ(text.paragraphs[1]->text, "Voir le site et ici  fin");
  EXPECT_EQ(text.paragraphs[1]->cells[5].link, 0x6F000000);
  EXPECT_EQ(text.paragraphs[1]->cells[20].width, 30);  // the stand-in's size
  EXPECT_EQ(text.paragraphs[0]->text, "En-t\xEAte  ");
}

TEST(Page, CommittingAnUnchangedCopyChangesNothing) {
  PageFixture f;
  const auto before = Snapshot(*f.doc.doc);
  f.surface.ShowPage(f.page);
  EXPECT_TRUE(f.surface.CommitPage());
  EXPECT_EQ(Snapshot(*f.doc.doc), before);
  EXPECT_FALSE(f.surface.CommitPage());  // once per shown page
  f.surface.ClosePage();
  EXPECT_EQ(Snapshot(*f.doc.doc), before);
}

TEST(Page, CommittingChangesGivesTheDocumentTheirIds) {
  PageFixture f;
  TYKAset& doc = *f.doc.doc;
  const int32_t generation = f.page->GetGeneration();
  doc.header().SetI32(hdr::kSaveCounter, generation + 3);
  TYKAtesto* working = f.surface.ShowPage(f.page);
  TYKAparag& text = *f.surface.TextBox()->Paragraphs().paragraphs[1];
  // The special link is taken off "ici"; "le site" now goes to a new link
  // equal to the existing one; the inline picture is made wider.
  for (size_t i = 16; i < 19; ++i) text.cells[i].link = -1;
  auto twin = TYKAoggetto::Create(internetLink, &doc);
  twin->Activate();
  twin->SetCaption("https://example.org/");
  working->workingLinks.push_back(twin.get());
  for (size_t i = 5; i < 12; ++i) text.cells[i].link = 0x6F000002;
  ObjectControl* picture = dynamic_cast<ObjectControl*>(f.surface.ControlIndex().ControlAt(2));
  ASSERT_NE(picture, nullptr);
  picture->BoundObject().SetI16(placed_rec::kWidth, 321);
  f.surface.modified = true;
  ASSERT_TRUE(f.surface.CommitPage());

  EXPECT_EQ(Content(*f.page), "<Z S0 f0 >" + Tag(f.freePicture->ObjectId()) + "<Z S0 >Voir " +
                                  Tag(f.address->ObjectId()) + "le site<%> et ici " +
                                  Tag(f.inlinePicture->ObjectId()) + "fin" + std::string(1, '\0'));
  EXPECT_EQ(f.inlinePicture->I16(placed_rec::kWidth), 321);  // written back into its own slot
  EXPECT_TRUE(f.special->IsFree());                         // no longer used by the page
  EXPECT_FALSE(f.address->IsFree());
  EXPECT_EQ(doc.KindCountInUse(internetLink), 1);  // the twin reused the existing link
  EXPECT_EQ(f.page->GetGeneration(), generation + 3);
  EXPECT_EQ(f.page->U8(page_rec::kMarkupVersion), 2);
  EXPECT_TRUE(doc.IsModified());
}

TEST(Page, MissingObjectsAndSlotsThatChanged) {
  PageFixture f;
  TYKAset& doc = *f.doc.doc;
  TYKAoggetto* table = doc.CreateObject(tabellaHtml);
  const int32_t tableId = table->ObjectId();
  doc.DeleteObject(table);
  f.page->SetContentText("<Z S0 >avant" + Tag(tableId) + "apr\xE8s" + std::string(1, '\0'));
  f.surface.ShowPage(f.page);
  EXPECT_EQ(f.surface.TextBox()->Paragraphs().paragraphs[1]->text, "avant!!!!!!!!!!!apr\xE8s");
  // A commit after the page's slot went to another page writes nothing.
  auto other = TYKAoggetto::Create(testoHtml, &doc);
  std::unique_ptr<TYKAoggetto> gone = doc.ReleaseSlot(testoHtml, f.page->Slot());
  doc.Register(std::move(other), gone->Slot());
  EXPECT_FALSE(f.surface.CommitPage());
  f.surface.ClosePage();
}

TEST(Page, WhatThePageMustNotWriteOver) {
  {  // a locked page is shown, never written back
    PageFixture f;
    f.page->SetU8(page_rec::kPassword, 5);
    const auto before = Snapshot(*f.doc.doc);
    f.surface.ShowPage(f.page);
    f.surface.modified = true;
    EXPECT_FALSE(f.surface.CommitPage());
    EXPECT_EQ(Snapshot(*f.doc.doc), before);
  }
  {  // working ids in a stored text name nothing; a gone free object does
     // not hide the free objects after it
    PageFixture f;
    TYKAset& doc = *f.doc.doc;
    TYKAoggetto* gone = doc.CreateObject(immagineNew);
    const int32_t goneId = gone->ObjectId();
    doc.DeleteObject(gone);
    f.page->SetContentText("<Z S0 f0 >" + Tag(goneId) + "<Z S0 f0 >" + Tag(f.freePicture->ObjectId()) +
                           "<Z S0 >a<$FF000000>b<$6f000000>c<%>" + std::string(1, '\0'));
    f.surface.ShowPage(f.page);
    ASSERT_EQ(f.surface.EmbeddedObjects().size(), 1u);
    EXPECT_EQ(f.surface.EmbeddedObjects()[0]->BoundObject().Slot(), f.freePicture->Slot());
    EXPECT_EQ(f.surface.TextBox()->Paragraphs().paragraphs[1]->text, "a!!!!!!!!!!!b!!!!!!!!!!!c");
  }
  {  // an object deleted while its page is shown, its slot taken by another:
     // the other is left alone and the page's copy gets a slot of its own
    PageFixture f;
    TYKAset& doc = *f.doc.doc;
    f.surface.ShowPage(f.page);
    const int32_t slot = f.inlinePicture->Slot();
    doc.DeleteObject(f.inlinePicture);
    TYKAoggetto* other = doc.CreateObject(immagineNew, slot);
    ASSERT_EQ(other->Slot(), slot);
    other->SetI16(placed_rec::kWidth, 77);
    const Bytes otherBefore = StoredRecord(*other);
    ASSERT_TRUE(f.surface.CommitPage());
    EXPECT_EQ(StoredRecord(*other), otherBefore);
    EXPECT_EQ(Content(*f.page).find(Tag(other->ObjectId())), std::string::npos);
  }
}

TEST(Page, AnUntitledPageTakesItsFirstWords) {
  struct Case {
    std::string markup, title;
  } cases[] = {
      {"<Z S0 >   Bonjour tout le monde<Z S0 >suite", "Bonjour tout le monde"},
      {"<Z S0 >Un<Z S0 >...continuer<Z S0 >Deux mots ici   et la", "Un ...continuer Deux mots ici"},
      {"<Z S0 >caf&eacute; cr&egrave;me", "caf\xE9 cr\xE8me"},
      {"<Z S0 >" + std::string(100, 'x'), std::string(71, 'x')},
  };
  for (const auto& c : cases) {
    PageFixture f;
    f.page->SetCaption("SansTitre 12");
    f.page->SetContentText(c.markup + '\0');
    f.surface.ShowPage(f.page);
    ASSERT_TRUE(f.surface.CommitPage());
    EXPECT_EQ(f.page->ObjectCaption(), c.title) << c.markup;
  }
  // A new page goes into a new slot when committed.
  PageFixture f;
  TYKAtesto* fresh = f.surface.ShowPage(nullptr);
  EXPECT_TRUE(f.surface.IsNewPage());
  EXPECT_FALSE(fresh->IsRegistered());
  ASSERT_TRUE(f.surface.CommitPage());
  EXPECT_TRUE(fresh->IsRegistered());
  EXPECT_EQ(f.surface.PageObject(), fresh);
  EXPECT_EQ(Content(*fresh), std::string("<Z S0 >") + '\0');
}

TEST(Page, SearchAnchorsAndModes) {
  PageFixture f;
  TYKAset& doc = *f.doc.doc;
  TYKAoggetto* anchor = doc.CreateObject(shortObj);
  anchor->SetState(14);
  anchor->SetI32(5, 0);
  f.page->SetContentText("<Z S0 >ab,cd abc<Z S0 >x" + Tag(anchor->ObjectId()) + "y" + std::string(1, '\0'));
  f.surface.ShowPage(f.page);
  auto* box = dynamic_cast<MarkupTextBox*>(f.surface.TextBox());
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(f.surface.FindText("AB", {false, true}));
  EXPECT_EQ(box->selection.paragraph, 1);
  EXPECT_EQ(box->selection.character, 0);
  EXPECT_FALSE(f.surface.FindText("AB", {false, true}));  // "abc" is not the word ab
  EXPECT_TRUE(f.surface.FindText("abc", {true, false}));
  EXPECT_EQ(box->selection.character, 6);
  EXPECT_FALSE(f.surface.FindText("ABC", {true, false}));  // case sensitive

  EXPECT_TRUE(f.surface.GoToAnchor(0));
  EXPECT_EQ(box->selection.paragraph, 2);
  EXPECT_EQ(box->selection.character, 1);
  EXPECT_FALSE(f.surface.GoToAnchor(3));
  EXPECT_EQ(f.doc.fake.messages.Texts().back(), "Ancre introuvable: a3");

  struct ModeCase {
    bool read;
    uint8_t mode;
    bool shown;
  } modes[] = {{false, 0, true}, {true, 0, false}, {true, 1, false}, {true, 2, true}, {true, 3, true}};
  for (const auto& m : modes) {
    f.surface.SetReadMode(m.read);
    f.surface.SetScrollBarMode(m.mode);
    EXPECT_EQ(f.surface.ScrollBarsShown(), m.shown) << m.read << " " << int(m.mode);
  }
  f.surface.SetBounds(Rect::Sized(0, 0, 300, 200));
  f.surface.SetContentSize(300, 2000);
  f.surface.SendWheel({10, 10}, -120);
  f.surface.SendWheel({10, 10}, -120);
  f.surface.SendWheel({10, 10}, 120);
  EXPECT_EQ(f.surface.ScrollOffset(), (Point{0, 100}));
}

TEST(Page, StackingOfFreeObjectsUndoesAndRedoes) {
  PageFixture f;
  TYKAset& doc = *f.doc.doc;
  TYKAtesto* second = doc.CreatePage();
  TYKAoggetto* a = doc.CreateObject(immagineNew);
  TYKAoggetto* b = doc.CreateObject(immagineNew);
  second->SetContentText("<Z S0 f0 >" + Tag(a->ObjectId()) + "<Z S0 f0 >" + Tag(b->ObjectId()) + "<Z S0 >t" +
                         std::string(1, '\0'));
  f.surface.ShowPage(second);
  // The page lives in frame set 0 at index 0.
  struct FrameSet : Control, ControlIndexOwner {
    TYKAundoIndiciList pages;
    TYKAundoIndiciList& ControlIndex() override { return pages; }
  } frames;
  frames.pages.RegisterControl(&f.surface);
  doc.FrameSets().RegisterControl(&frames);
  auto order = [&] {
    std::vector<int> out;
    for (auto* c : f.surface.EmbeddedObjects()) out.push_back(c->IndexNumber());
    return out;
  };
  ASSERT_EQ(order(), (std::vector<int>{1, 2}));
  doc.UndoList().AddUndo(std::make_unique<PageObjectsBackup>(doc, f.surface, std::vector<int>{0, 0}, "Premier plan"));
  f.surface.BringEmbeddedToFront(f.surface.EmbeddedObjects()[0]);
  EXPECT_EQ(order(), (std::vector<int>{2, 1}));
  EXPECT_EQ(doc.UndoList().Undo().focus, &f.surface);
  EXPECT_EQ(order(), (std::vector<int>{1, 2}));
  doc.UndoList().Redo();
  EXPECT_EQ(order(), (std::vector<int>{2, 1}));
  ASSERT_TRUE(f.surface.CommitPage());
  EXPECT_EQ(Content(*second).substr(0, 42), "<Z S0 f0 >" + Tag(b->ObjectId()) + "<Z S0 f0 >" + Tag(a->ObjectId()));
  f.surface.ClosePage();
  EXPECT_FALSE(doc.UndoList().CanUndo());  // closing the page empties the list
}

}  // namespace
}  // namespace tolvane::testing
