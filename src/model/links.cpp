#include "model/links.h"

#include <charconv>
#include <filesystem>

#include "common/decimal.h"
#include "common/file_names.h"
#include "common/hex_id.h"
#include "model/document.h"
#include "platform/dialogs.h"

namespace tolvane {
namespace {

constexpr const char* kMediumKey = "\\SOFTWARE\\Kelmori\\TolvaneRD\\";

bool HasDrive(std::string_view p) {
  return p.size() >= 2 && p[1] == ':' && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
}
bool IsAbsolute(std::string_view p) { return !p.empty() && (p[0] == '/' || p[0] == '\\' || HasDrive(p)); }

// A decimal number as the addresses write it: 0 when it is not one.
int32_t Decimal(std::string_view text) {
  return static_cast<int32_t>(std::clamp<int64_t>(ParseDecimal(text).value_or(0), INT32_MIN, INT32_MAX));
}

std::string Text(const TYKAoggetto& o) {
  Bytes content;
  return o.ReadContent(content) ? std::string(AsText(content)) : std::string();
}

AnsiString A(std::string_view utf8) { return Utf8ToAnsi(utf8); }

// Links may point at each other in a circle (a damaged or hostile file): the
// captions and descriptions that follow links stop after a few steps.
constexpr int kMaxLinkDepth = 8;
thread_local int linkDepth = 0;
struct DepthGuard {
  DepthGuard() { ++linkDepth; }
  ~DepthGuard() { --linkDepth; }
  bool tooDeep() const { return linkDepth > kMaxLinkDepth; }
};

AnsiString ShortPart(const AnsiString& description) { return description.substr(0, description.find('|')); }

const char* const kWindowModes[8] = {
    "remplace la fenêtre actuelle avec", "remplace la frame \"", "créer dans une fenêtre indépendante",
    "lancer un nouveau navigateur",      "créer dans un popup", "sauter en ", "",
    "créer dans un mouseover popup"};

AnsiString FrameName(const TYKAoggetto& link) {
  return link.ShortString(speclink_rec::kFrameName, static_cast<size_t>(RecordSize(speclink)) - speclink_rec::kFrameName);
}

// The first object placed on a page whose tag the markup holds, for each tag.
template <typename F>
void ForEachPlaced(const TYKAset& doc, const TYKAtesto& page, F f) {
  std::string_view m = page.Markup();
  for (size_t p = m.find("<$"); p != std::string_view::npos; p = m.find("<$", p + 2)) {
    if (p + 11 > m.size() || m[p + 10] != '>') continue;
    if (auto id = HexToId(m.substr(p + 2, 8)))
      if (TYKAoggetto* o = doc.FindObject(*id)) f(*o);
  }
}

// The label that says what kind of form field or media object a description is about.
AnsiString FormLabel(const TYKAoggetto& o) {
  const int t = o.State();
  switch (o.Kind()) {
    case inputStat:
      if (t == 1) return A("Zone d'édition : ");
      if (t == 2) return "Zone mot de passe : ";
      if (t == 3) return "Dialogue Fichier : ";
      if (t == input_rec::kFloatingPanel) return "Feuille initiale : ";
      return {};
    case inputDin:
      if (t == 6 || t == 7) return A("Liste, coté serveur : ");
      if (t == 11 || t == 12) return A("HTML, coté serveur : ");
      return {};
    case bottoneCGI: return std::string("Bouton") + (t == 3 || t == 4 ? " pour initialiser" : " pour enregistrer") + " : ";
    case multiMedia:
      if (t == 1 || t == 2) return "Son : ";
      if (t == 3 || t == 4) return A("Vidéo : ");
      if (t == 5) return "Java / ActiveX / Embed: \r\n";
      return {};
    default: return {};
  }
}

}  // namespace

std::string LocalPath(std::string_view path, std::string_view folder) {
  std::string p(path);
  for (char& c : p)
    if (c == '\\') c = '/';
  if (!HasDrive(p)) return p;
  // Written on a system with drive letters: the same path without the drive,
  // if there is such a file here, else the file beside the document.
  std::string withoutDrive = p.substr(2);
  std::error_code ec;
  if (std::filesystem::exists(withoutDrive, ec)) return withoutDrive;
  return JoinPath(folder, ExtractFileName(p));
}

std::string ResolveCdDrive(TYKAset& doc, std::string_view text, FolderChooser* chooser) {
  SettingsBackend& settings = doc.platform().settings;
  std::string folder = settings.ReadValue(kMediumKey, "cddrive").value_or("");
  if (folder.empty() && chooser) {
    if (auto chosen = chooser->ChooseFolder("Sélectionnez le chemin du CD / Remplace CD:")) {
      folder = *chosen;
      settings.WriteValue(kMediumKey, "cddrive", folder);
    }
  }
  while (!folder.empty() && folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  std::string out(text);
  for (size_t p = AnsiFindText(out, "cddrive:"); p != std::string::npos; p = AnsiFindText(out, "cddrive:", p)) {
    std::string rest = out.substr(p + 8);
    std::string joined = folder;
    if (rest.empty() || (rest[0] != '\\' && rest[0] != '/')) joined += '/';
    out = out.substr(0, p) + joined + rest;
    p += joined.size();
  }
  return out;
}

TolvaneAddress ParseTolvaneAddress(TYKAset& doc, std::string_view address, int32_t page, FolderChooser* chooser) {
  TolvaneAddress r;
  if (!AnsiStartsWithText(address, "tolvane:")) return r;
  r.isTolvane = true;
  size_t start = AnsiStartsWithText(address, "tolvane://") ? 10 : 8;
  std::string_view rest = address.substr(start);
  size_t bar = rest.find('|');
  r.path = std::string(rest.substr(0, bar));
  if (AnsiStartsWithText(r.path, "cddrive:")) {
    r.path = ResolveCdDrive(doc, r.path, page == -2 ? chooser : nullptr);
    std::error_code ec;
    r.path = std::filesystem::absolute(LocalPath(r.path, ""), ec).lexically_normal().string();
  }
  const std::string& current = doc.YKAFileName();
  r.sameDocument = !r.path.empty() && AnsiSameText(r.path, current);
  if (!r.sameDocument && !r.path.empty() && !IsAbsolute(r.path))
    r.path = JoinPath(ExtractFileDir(current), r.path);
  if (bar == std::string_view::npos) r.page = doc.CoverPage();
  else if (bar + 1 == rest.size()) r.page = -2;
  else r.page = std::max(0, Decimal(rest.substr(bar + 1, 12)));
  return r;
}

TYKAoggetto* ResolveInPage(const TYKAtesto* page, TYKAset& doc, int32_t id) {
  if (id < 0) return nullptr;
  if (id < 0x08000000) return doc.FindObject(id);
  if (static_cast<uint32_t>(id) >> 24 == kWorkingLinkKind && page) {
    const auto index = static_cast<size_t>(SlotOfId(id));
    return index < page->workingLinks.size() ? page->workingLinks[index] : nullptr;
  }
  return nullptr;
}

int32_t ResolveSpecLink(TYKAset& doc, int32_t id) {
  TYKAoggetto* link = doc.FindObject(id);
  if (!link || link->Kind() != speclink || link->State() != 6) return id;
  TYKAtesto* page = doc.FindPageByName(Text(*link));
  return page ? page->ObjectId() : id;
}

namespace {
int32_t Neighbour(const TYKAset& doc, int32_t slot, bool forward) {
  const TYKAoggetto* page = doc.ObjectAt(testoHtml, slot);
  if (!page || page->IsFree()) return slot;
  const int16_t group = page->I16(page_rec::kGroup), order = page->I16(page_rec::kOrder);
  if (order < 0) return slot;
  int32_t best = slot;
  int bestOrder = forward ? INT32_MAX : INT32_MIN;
  for (int32_t s = 0; s < doc.KindCount(testoHtml); ++s) {
    const TYKAoggetto* other = doc.ObjectAt(testoHtml, s);
    if (!other || other->IsFree() || s == slot || other->I16(page_rec::kGroup) != group) continue;
    const int o = other->I16(page_rec::kOrder);
    if (o < 0) continue;
    if (forward ? (o > order && o < bestOrder) : (o < order && o > bestOrder)) {
      best = s;
      bestOrder = o;
      if (o == order + (forward ? 1 : -1)) break;  // the direct neighbour: nothing can be closer
    }
  }
  return best;
}
}  // namespace

int32_t PreviousPage(const TYKAset& doc, int32_t slot) { return Neighbour(doc, slot, false); }
int32_t NextPage(const TYKAset& doc, int32_t slot) { return Neighbour(doc, slot, true); }

int32_t NextAnchorNumber(const TYKAset& doc, const TYKAtesto& page) {
  int32_t largest = -1;
  ForEachPlaced(doc, page, [&](const TYKAoggetto& o) {
    if (o.Kind() == shortObj && o.State() == 14) largest = std::max(largest, o.I32(shortobj_rec::kValue));
  });
  return largest + 1;
}

AnsiString ComputedCaption(const TYKAoggetto& o) {
  DepthGuard guard;
  if (guard.tooDeep()) return {};
  if (o.Kind() == speclink) {
    switch (o.State()) {
      case 1: {
        if (o.U8(speclink_rec::kWindowMode) == 6) return "--";
        TYKAset* doc = o.Document();
        TYKAoggetto* target = doc ? doc->FindObject(o.I32(speclink_rec::kTarget)) : nullptr;
        return target && target != &o ? target->ObjectCaption() : AnsiString();
      }
      case 2: return A("fenêtre de fermeture : ") + FrameName(o);
      case 3: return A("fenêtre de mots clés");
      case 4: return A("page précédente");
      case 5: return "page suivante";
      case 6: return "Importation automatique";
      case 7: return "Add in shopping cart: ";
      case 8: return A("Imprimer cadre / fenêtre courante.");
      case 9: return A("Imprimer le cadre / fenêtre: ") + FrameName(o);
      case 10: return "\"Plugin\" lien: ";
      default: return {};
    }
  }
  if (o.Kind() == shortObj) {
    const std::string number = std::to_string(o.I32(shortobj_rec::kValue));
    switch (o.State()) {
      case 14: return "Ancre : a" + number;
      case 15: return "Lien" + number;
      case 21: return A("Référence d'image :");
      case 22: return A("Référence de page ou de lien :");
      case 23: return A("Placez ici le texte de la page # :");
      case 24: return A("Référence principale d'objet :");
      case 25: return "X taille";
      case 26: return "Y taille";
      case 27: return A("Paramètres : ") + Text(o);
      case 28: return "Fichier : " + Text(o);
      default: return {};
    }
  }
  return {};
}

AnsiString LinkDescription(const TYKAoggetto& o) {
  DepthGuard guard;
  if (guard.tooDeep()) return "Erreur";
  if (o.IsFree()) return A("Indéfini.");
  TYKAset* doc = o.Document();
  const AnsiString caption = o.ObjectCaption();
  switch (o.Kind()) {
    case testoHtml: return caption + "|Lien vers : " + caption + " (" + std::to_string(o.Slot()) + ")";
    case internetLink: {
      if (AnsiStartsWithText(caption, "tolvane:") && doc) {
        // Paths are UTF-8 here; the caption is in the document's character set.
        TolvaneAddress a = ParseTolvaneAddress(*doc, AnsiToUtf8(caption));
        const std::string local = LocalPath(a.path, ExtractFileDir(doc->YKAFileName()));
        std::string file = Utf8ToAnsi(ExtractFileName(local));
        std::string page = a.page >= 0 ? doc->ReadForeignPageTitle(local, a.page) : "";
        if (page.empty()) page = std::to_string(a.page);
        return file + " Pag.:" + page + "|Lien vers l'hypertexte: " + file + " Pag.:" + page;
      }
      if (AnsiStartsWithText(caption, "mailto:")) {
        AnsiString mail = caption.substr(7);
        return mail + "|Lien vers l'adresse E-Mail : " + mail;
      }
      if (AnsiStartsWithText(caption, "prog:") || AnsiStartsWithText(caption, "run:")) return caption;
      return caption + "|Lien vers : " + caption;
    }
    case genLink: return caption + "|Lien vers le fichier : " + caption;
    case speclink: {
      AnsiString d;
      const int sub = o.State();
      if (sub == 1) {
        TYKAoggetto* target = doc ? doc->FindObject(o.I32(speclink_rec::kTarget)) : nullptr;
        const uint8_t mode = o.U8(speclink_rec::kWindowMode);
        const AnsiString targetText = target && target != &o ? LinkDescription(*target) : AnsiString("Erreur");
        d = ShortPart(targetText) + "|";
        if (mode == 6) {
          d += A("Ici, nous nous déplaçons dans la page courante jusqu'à l'ancre : ");
        } else {
          d += "Ici nous " + A(mode < 8 ? kWindowModes[mode] : "");
          if (mode == 1) d += FrameName(o) + "\" avec";
          if (mode >= 2 && mode <= 4) d += " \"" + FrameName(o) + "\" ";
          d += " " + A(o.U8(speclink_rec::kScope) == 1 ? "l'ensemble de cadres" : "cette page") + ": " +
               ShortPart(targetText);
        }
        const int32_t anchor = o.I32(speclink_rec::kAnchor);
        if (anchor != -1) d += " #a" + std::to_string(anchor);
        d += " @" + std::to_string(SlotOfId(o.I32(speclink_rec::kTarget)));
      } else if (sub == 3) {
        d = A("mots clés|Lien vers : fenêtre de mots clés");
      } else if (sub == 4) {
        d = A("page précédente|Lien vers : page précédente");
      } else if (sub == 5) {
        d = "page suivante|Lien vers : page suivante";
      } else if (sub == 6) {
        const std::string name = Text(o);
        d = name + "|Importation automatique:" + name;
      } else {
        d = caption + "|" + caption;
      }
      const std::string attributes = o.AttributeText();
      if (o.Attributes() && o.Attributes()->size() >= 6) d += "\r\n----------\r\n" + attributes;
      return d;
    }
    case shortObj: {
      switch (o.State()) {
        case 10: return Text(o);
        case 11:
        case 12: return o.AttributeText();
        case 13: {
          TYKAoggetto* link = doc ? doc->FindObject(o.I32(shortobj_rec::kValue)) : nullptr;
          return link && link != &o ? LinkDescription(*link) : AnsiString("Erreur");
        }
        case 21:
        case 22:
        case 23:
        case 24: {
          // Placeholders of prototypes name objects of the document the prototype is used in.
          TYKAset* outer = doc && doc->WrapperSet ? doc->WrapperSet : doc;
          TYKAoggetto* referenced = outer ? outer->FindObject(o.I32(shortobj_rec::kValue)) : nullptr;
          return caption + " " + (referenced && referenced != &o ? referenced->ObjectCaption() : AnsiString());
        }
        default: return caption;
      }
    }
    case custom: return caption + "|Personnalisation " + caption;
    case inputStat:
    case inputDin:
    case bottoneCGI:
    case inizioForm:
    case multiMedia: return FormLabel(o) + caption;
    default: return caption;
  }
}

TYKAoggetto* InsertFlashMovie(TYKAset& doc, TYKAoggetto& file, const std::string& templatePath) {
  const std::string fileName = AnsiToUtf8(file.ObjectCaption());
  if (!AnsiSameText(ExtractFileExt(fileName), ".swf"))
    doc.messages().ShowWarning("L'extention du fichier Flash devrait être .swf!");
  auto in = doc.platform().files.OpenRead(templatePath);
  std::string text;
  if (in) {
    text.resize(static_cast<size_t>(in->Size()));
    if (!in->ReadAt(0, text.data(), text.size())) in.reset();
  }
  if (!in) {
    doc.messages().ShowError("Fichier introuvable : " + templatePath);
    return nullptr;
  }
  auto replaceAll = [&](std::string_view from, const std::string& to) {
    for (size_t p = text.find(from); p != std::string::npos; p = text.find(from, p + to.size()))
      text.replace(p, from.size(), to);
  };
  replaceAll("!RefL:xx000000", "!RefF:03" + HexDigits(static_cast<uint32_t>(file.Slot()), 6));
  std::string name = MakeValidFileName(ChangeFileExt(ExtractFileName(fileName), ""));
  if (name == "TolvaneName") name = "ZidodIvod";  // replacing it by itself would never end
  replaceAll("TolvaneName", Utf8ToAnsi(name));

  TYKAoggetto* movie = doc.CreateObject(multiMedia);
  if (!movie) return nullptr;
  movie->SetState(5);
  movie->SetI32(media_rec::kLink, file.ObjectId());
  movie->SetI32(media_rec::kAlternativePicture, -1);
  movie->SetI16(33, 50);
  movie->SetI16(35, 50);
  movie->SetU8(37, 1);  // the size is in percent
  Bytes attributes(4, 0);
  attributes.insert(attributes.end(), text.begin(), text.end());
  movie->SetAttributes(std::move(attributes));
  return movie;
}

std::string ForeignPageFileName(TYKAset& doc, const std::string& path, int32_t pageId, std::string_view extension) {
  auto file = doc.platform().files.OpenRead(path);
  uint8_t header[hdr::kSize];
  std::string name;
  if (!file || file->Size() < hdr::kSize || !file->ReadAt(0, header, sizeof header)) return {};
  if (GetU16(header, hdr::kVersion) < 2) {
    name = "LinkToOldHypertext" + std::string(extension);
  } else {
    const std::string prefix = AnsiToUtf8(AnsiLowerCase(ReadShortString(header, hdr::kExportPrefix, 17)));
    if (pageId == GetI32(header, hdr::kCoverPage)) name = prefix + "_index" + std::string(extension);
    else name = prefix + "_" + AnsiLowerCase(HexDigits(static_cast<uint32_t>(SlotOfId(pageId)), 6)) + std::string(extension);
  }
  std::error_code ec;
  std::filesystem::path from = std::filesystem::absolute(ExtractFileDir(doc.YKAFileName()), ec);
  std::filesystem::path to = std::filesystem::absolute(ExtractFileDir(path), ec);
  std::filesystem::path relative = to.lexically_relative(from);
  if (relative.empty() || relative == ".") return name;
  return (relative / name).string();
}

}  // namespace tolvane
