// make_demo OUT.yka
//
// Builds the example hypertext through the engine, as an author would make
// it: pages in chapters, paragraph styles, formats and lists, links between
// pages, to anchors, to a pop-up window, to a web address and a mail address,
// pictures the program draws, keywords, shared header and footer pages and
// an embedded file. Nothing of it is kept in the repository but this program.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/hex_id.h"
#include "model/document.h"
#include "model/form_records.h"
#include "model/frame_map.h"
#include "model/picture_records.h"
#include "model/table_records.h"
#include "model/ordered_tree.h"
#include "platform/fakes/silent_messages.h"
#include "platform/memory_settings.h"
#include "platform/pictures/pictures.h"
#include "richtext/style_values.h"
#include "richtext/text_attributes.h"

using namespace tolvane;

namespace {

std::string Tag(const TYKAoggetto* o) { return "<$" + AnsiLowerCase(HexDigits(static_cast<uint32_t>(o->ObjectId()), 8)) + ">"; }

// A picture drawn here: rings of colour, so that the file is small but not flat.
Bitmap Drawing(int w, int h, uint32_t a, uint32_t b) {
  Bitmap bm{w, h, {}};
  bm.pixels.resize(static_cast<size_t>(w * h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double d = std::hypot(x - w / 2.0, y - h / 2.0);
      bm.pixels[static_cast<size_t>(y * w + x)] = 0xFF000000u | ((static_cast<int>(d / 6) % 2) ? a : b);
    }
  return bm;
}

TYKAoggetto* Style(TYKAset& doc, const char* name, int size, uint8_t style, uint32_t colour, uint8_t align = 0,
                   uint8_t list = 0) {
  TYKAoggetto* s = doc.CreateObject(stileParagrafo);
  s->SetCaption(name);
  SetStyleValue(*s, FormatField::Size, size);
  SetStyleValue(*s, FormatField::Style, style);
  SetStyleValue(*s, FormatField::Colour, static_cast<int32_t>(colour));
  SetStyleValue(*s, FormatField::Alignment, align);
  SetStyleValue(*s, FormatField::ListMark, list);
  return s;
}

std::string P(const TYKAoggetto* style, const std::string& text) { return "<Z S" + std::to_string(style->Slot()) + " >" + text; }

TYKAoggetto* SpecLink(TYKAset& doc, uint8_t subKind, const TYKAoggetto* target, int mode = 0, const char* name = "Ny") {
  TYKAoggetto* l = doc.CreateObject(speclink);
  l->SetState(subKind);
  l->SetI32(speclink_rec::kTarget, target ? target->ObjectId() : -1);
  l->SetI32(speclink_rec::kAnchor, -1);
  l->SetU8(speclink_rec::kScope, 1);
  l->SetU8(speclink_rec::kWindowMode, static_cast<uint8_t>(mode));
  l->SetShortString(speclink_rec::kFrameName, 20, name);
  return l;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_demo OUT.yka\n");
    return 2;
  }
  const std::filesystem::path out = argv[1];
  const std::filesystem::path work = out.parent_path() / "demo-files";
  std::error_code ec;
  std::filesystem::create_directories(work, ec);

  SilentMessages messages;
  UiHooks ui;
  auto system = MakeHostSystemInfo();
  auto files = MakePosixFileSystem();
  auto random = MakeSeededRandom(7);
  MemorySettings settings;
  TYKAset doc(Platform{messages, ui, *system, *files, *random, settings});
  doc.New();
  doc.header().SetTitle("Voiles et rivages");
  doc.header().SetShort(hdr::kAuthors, 80, "Atelier Tolvane");
  doc.SetExpPrefix("demo");

  // Styles beyond the two every document has.
  TYKAoggetto* body = Style(doc, "Texte", 11, 0, 0x202020);
  TYKAoggetto* title = Style(doc, "Titre", 20, style_bits::kBold, 0x803000, 2);
  TYKAoggetto* bullet = Style(doc, "Liste", 11, 0, 0x202020, 0, 10);
  TYKAoggetto* numbered = Style(doc, "Etapes", 11, 0, 0x202020, 0, 6);
  TYKAoggetto* note = Style(doc, "Note", 9, style_bits::kItalic, 0x606060, 1);

  // Pictures drawn here, a GIF and a JPEG.
  const std::string gif = (work / "vague.gif").string(), jpg = (work / "rivage.jpg").string();
  if (!WriteGif(Drawing(120, 80, 0x3060C0, 0xF0F0FF), gif) || !WriteJpeg(Drawing(160, 100, 0xC08040, 0x4080C0), jpg)) {
    std::fprintf(stderr, "make_demo: the pictures cannot be written in %s\n", work.c_str());
    return 1;
  }
  TYKAoggetto* wave = doc.AddPictureFile(gif);
  TYKAoggetto* shore = doc.AddPictureFile(jpg);
  const std::string notes = (work / "programme.txt").string();
  std::ofstream(notes) << "Programme des sorties\r\nSamedi : la baie\r\nDimanche : le cap\r\n";
  TYKAoggetto* attached = doc.AddEmbeddedFile(notes);
  if (!wave || !shore || !attached) {
    std::fprintf(stderr, "make_demo: the pictures or the file cannot be added\n");
    return 1;
  }
  TYKAoggetto* wavePlaced = doc.AddImmagineNew(wave);
  TYKAoggetto* shorePlaced = doc.AddImmagineNew(shore);

  // Pages: a cover, chapters of pages, shared header and footer.
  TYKAtesto* header = doc.CreatePage();
  header->SetCaption("En-t\xEAte");
  TYKAtesto* footer = doc.CreatePage();
  footer->SetCaption("Pied de page");
  const char* names[] = {"Accueil", "Le club", "Les bateaux", "Les sorties", "Le calendrier", "La baie",
                         "Le cap", "Les phares", "Contact", "Inscription", "Glossaire", "Aide"};
  std::vector<TYKAtesto*> pages;
  for (const char* n : names) {
    TYKAtesto* p = doc.CreatePage();
    p->SetCaption(n);
    // One group, in this order: previous and next page follow it.
    p->SetI16(page_rec::kGroup, 1);
    p->SetI16(page_rec::kOrder, static_cast<int16_t>(pages.size()));
    pages.push_back(p);
  }
  doc.SetCoverPage(pages[0]->ObjectId());
  doc.header().SetI32(hdr::kHeaderPage, header->ObjectId());
  doc.header().SetI32(hdr::kFooterPage, footer->ObjectId());
  for (auto* p : {header, footer}) {
    p->SetI32(page_rec::kHeaderPage, -2);  // the shared pages have none of their own
    p->SetI32(page_rec::kFooterPage, -2);
  }

  TYKAoggetto* anchor = doc.CreateObject(shortObj);
  anchor->SetState(14);
  anchor->SetI32(shortobj_rec::kValue, 0);
  TYKAoggetto* web = doc.Register(doc.AddAddressLink("https://www.example.org/voile?club=1&lang=fr"));
  TYKAoggetto* mail = doc.Register(doc.AddAddressLink("mailto:club@example.org"));
  TYKAoggetto* popup = SpecLink(doc, 1, pages[10], 4, "glossaire");
  TYKAoggetto* toAnchor = SpecLink(doc, 1, pages[7], 0);
  toAnchor->SetI32(speclink_rec::kAnchor, 0);
  TYKAoggetto* next = SpecLink(doc, 5, nullptr);
  TYKAoggetto* search = SpecLink(doc, 3, nullptr);

  auto link = [&](const TYKAoggetto* target, const std::string& text) { return Tag(target) + text + "<%>"; };
  header->SetContentText(P(note, "Voiles et rivages \x97 le club de la baie") + '\0');
  footer->SetContentText(P(note, "&#169; Atelier Tolvane \x97 " + link(search, "Rechercher") + " \x97 " +
                                     link(next, "Page suivante")) + '\0');
  pages[0]->SetContentText(
      P(title, "Voiles et rivages") +
      P(body, "Bienvenue au <Y y1 >club de voile<Y > de la baie. Ici, on apprend \xE0 naviguer, on " +
                  std::string("<Y y2 >r\xEA" "ve<Y > de phares et on lit les <Y y4 >cartes<Y >.")) +
      P(body, "Visitez " + link(pages[1], "le club") + ", " + link(pages[2], "les bateaux") + " ou " +
                  link(pages[3], "les sorties") + ".") +
      P(body, "<Y c0000C0 s14 >En couleur et plus grand<Y >, puis en <Y s8 >petit<Y >, puis H<Y p1 >2<Y >O et "
              "m<Y p2 >2<Y >.") +
      P(body, Tag(wavePlaced) + " Une vague dessin\xE9" "e par le programme.") + '\0');
  pages[1]->SetContentText(P(title, "Le club") + P(body, "Ce que nous proposons :") + P(bullet, "des cours") +
                           P(bullet, "des sorties en mer") + P(bullet, "un atelier de r\xE9paration") +
                           P(body, "Voir le " + link(popup, "glossaire") + " dans une fen\xEAtre.") + '\0');
  pages[2]->SetContentText(P(title, "Les bateaux") + P(body, Tag(shorePlaced) + " Le rivage, en JPEG.") +
                           P(body, "Le programme des sorties : " + link(attached, "programme.txt") + ".") + '\0');
  pages[3]->SetContentText(P(title, "Les sorties") + P(numbered, "Pr\xE9parer le sac") +
                           P(numbered, "Rejoindre le ponton") + P(numbered, "Hisser la voile") + '\0');
  pages[7]->SetContentText(P(title, "Les phares") + P(body, "Au bas de cette page, une ancre :") +
                           P(body, Tag(anchor) + "Ici commence la liste des phares.") + '\0');
  pages[8]->SetContentText(P(title, "Contact") + P(body, "\xC9" "crivez-nous : " + link(mail, "club@example.org")) +
                           P(body, "Notre page : " + link(web, "www.example.org")) +
                           P(body, "Aller " + link(toAnchor, "aux phares") + ".") + '\0');
  for (size_t i = 4; i < pages.size(); ++i)
    if (i != 7 && i != 8)
      pages[i]->SetContentText(P(title, names[i]) + P(body, std::string("Page ") + names[i] + ".") + '\0');

  // A table whose cells hold formatted text (its cells follow its tag).
  TYKAoggetto* table = doc.CreateObject(tabellaHtml);
  {
    TableRecord t(*table);
    t.SetSize(2, 2);
    t.SetPercentWidth(80);
    t.SetBorder(1);
    t.SetPadding(4);
    t.SetBackground(0xE0F0FF);
  }
  const std::string cells = P(body, "<Y y1 >Jour<Y >") + "<T>" + P(body, "<Y y1 >Sortie<Y >") + "<T>" +
                            P(body, "Samedi") + "<T>" + P(body, "La <Y y2 >baie<Y >, " + link(pages[5], "voir")) + "<T>";
  pages[4]->SetContentText(P(title, names[4]) + P(body, Tag(table) + cells) + P(body, "Bonnes sorties !") + '\0');

  // A form: a start, a text field, a choice and a button.
  TYKAoggetto* start = doc.CreateObject(inizioForm);
  {
    FormStartRecord f(*start);
    f.SetMethod(FormMethod::Mail);
    f.SetAction("inscription@example.org");
  }
  TYKAoggetto* nameField = doc.CreateObject(inputStat);
  {
    FormFieldRecord f(*nameField);
    f.SetType(FormFieldType::Text);
    f.SetName("nom");
    f.SetSize(30);
  }
  TYKAoggetto* member = doc.CreateObject(inputStat);
  {
    FormFieldRecord f(*member);
    f.SetType(FormFieldType::CheckBox);
    f.SetName("membre");
    f.SetValue("oui");
    f.SetCheckedByDefault(false);
  }
  TYKAoggetto* send = doc.CreateObject(bottoneCGI);
  {
    FormButtonRecord b(*send);
    b.SetAction(ButtonAction::Submit);
    b.SetName("envoyer");
    b.SetCaption("Envoyer");
  }
  pages[9]->SetContentText(P(title, names[9]) + P(body, Tag(start) + "Votre nom : " + Tag(nameField)) +
                           P(body, Tag(member) + " membre du club") + P(body, Tag(send)) + '\0');

  // Click zones on the wave: the left half goes to the club, the right half to the capes.
  {
    PlacedPictureRecord zones(*wavePlaced);
    zones.SetZone(0, PictureZone{pages[1]->ObjectId(), 0, 0, 60, 80});
    zones.SetZone(1, PictureZone{pages[6]->ObjectId(), 60, 0, 60, 80});
  }

  // A frame set: the glossary page shows a menu on the left and the help on the right.
  TYKAtesto* menu = doc.CreatePage();
  menu->SetCaption("Menu");
  menu->SetContentText(P(body, link(pages[0], "Accueil")) + P(body, link(pages[11], "Aide")) + '\0');
  {
    TNonVisCornice root;
    root.record.id = 1;
    root.record.name = "cadres";
    root.record.splitKind = 0;
    const std::pair<TYKAtesto*, int16_t> frames[] = {{menu, 25}, {pages[11], 75}};
    int32_t id = 2;
    for (const auto& [page, percent] : frames) {
      auto f = std::make_unique<TNonVisCornice>();
      f->record.id = id++;
      f->record.parent = 1;
      f->record.name = id == 3 ? "menu" : "contenu";
      f->record.percent = percent;
      f->record.page = page->ObjectId();
      root.children.push_back(std::move(f));
    }
    TYKAoggetto* map = doc.CreateObject(mappaFrame);
    Bytes records;
    root.WriteRecords(records);
    map->SetContent(records);
    map->SetI32(frame_map_rec::kRecordSize, static_cast<int32_t>(FrameRecord::kSize));
    pages[10]->SetI32(page_rec::kFrameSet, map->Slot());
  }

  // Keywords.
  TYKAoggetto* sailing = doc.CreateObject(keyword);
  sailing->SetCaption("voile");
  TYKAoggetto* coast = doc.CreateObject(keyword);
  coast->SetCaption("rivage");
  for (int i : {0, 1, 3}) pages[static_cast<size_t>(i)]->SetI32(page_rec::kKeywords, sailing->ObjectId());
  pages[5]->SetI32(page_rec::kKeywords, coast->ObjectId());
  pages[6]->SetI32(page_rec::kKeywords, coast->ObjectId());

  // The page tree: chapters of pages.
  TYKAorderedTree tree(doc, testoHtml);
  tree.Load();
  TreeNode* root = tree.Root();
  while (root && !root->children.empty()) tree.Delete(root->children.front().get());
  TreeNode* home = tree.NewObjectNode(root, pages[0]->ObjectId());
  (void)home;
  struct Chapter {
    const char* name;
    std::vector<int> members;
  } chapters[] = {{"Le club", {1, 2}}, {"Naviguer", {3, 4, 5, 6, 7}}, {"Pratique", {8, 9, 10, 11}}};
  for (const auto& c : chapters) {
    TreeNode* chapter = tree.NewChapter(root, c.name);
    for (int m : c.members) tree.NewObjectNode(chapter, pages[static_cast<size_t>(m)]->ObjectId());
  }
  tree.Store();

  if (!doc.Save(out.string())) {
    std::fprintf(stderr, "make_demo: %s was not saved\n", out.c_str());
    for (const auto& e : doc.SaveErrors()) std::fprintf(stderr, "  %s\n", e.c_str());
    return 1;
  }
  return 0;
}
