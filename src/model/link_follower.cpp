#include "model/link_follower.h"

#include <filesystem>
#include <sstream>

#include "common/file_names.h"
#include "model/document.h"
#include "model/links.h"
#include "platform/dialogs.h"
#include "platform/process_runner.h"

namespace tolvane {
namespace {

constexpr const char* kMediumKey = "\\SOFTWARE\\Kelmori\\TolvaneRD\\";

std::string AfterPrefix(std::string_view address) {
  size_t colon = address.find(':');
  return std::string(colon == std::string_view::npos ? address : address.substr(colon + 1));
}

bool IsAbsoluteText(std::string_view p) {
  return !p.empty() && (p[0] == '/' || p[0] == '\\' || (p.size() >= 2 && p[1] == ':'));
}

}  // namespace

std::string LinkFollower::DocumentRelative(std::string_view path) const {
  const std::string folder = ExtractFileDir(doc_.YKAFileName());
  if (IsAbsoluteText(path)) return LocalPath(path, folder);
  return JoinPath(folder, LocalPath(path, folder));
}

void LinkFollower::FollowLink(LinkSource source, TYKAoggetto* target) {
  if (ws_.Closing() || !ws_.HasPage() || !target || source == LinkSource::Other) return;
  ws_.SetEnabled(false);
  switch (target->Kind()) {
    case testoHtml:
    case internetLink:
    case zipLink:
    case genLink: FollowObject(*target, -1); break;
    case speclink: FollowSpecLink(*target); break;
    case shortObj: {
      // A numbered link of the published page: its number picks the link in the page's working copy.
      const TYKAtesto* page = ws_.ActivatingPage();
      if (!ws_.ReadOnly() || source != LinkSource::Page || !page) break;
      const auto index = static_cast<size_t>(target->I32(shortobj_rec::kValue));
      if (index < page->workingLinks.size() && page->workingLinks[index] &&
          page->workingLinks[index]->Kind() == speclink)
        FollowSpecLink(*page->workingLinks[index]);
      break;
    }
    default: doc_.messages().ShowInformation("Indéfini ou non supporté."); break;
  }
  ws_.SetEnabled(true);
  ws_.AfterLink();
}

void LinkFollower::FollowObject(TYKAoggetto& object, int32_t anchor) {
  switch (object.Kind()) {
    case testoHtml:
      if (object.Document() != &doc_) return;  // a page of another document: nothing to show here
      ws_.ShowPage(object.Slot());
      if (anchor != -1 && !ws_.GoToAnchor(anchor) && !ws_.ReadOnly())
        doc_.messages().ShowWarning("Ancre introuvable: a" + std::to_string(anchor));
      return;
    case internetLink: {
      const std::string address = AnsiToUtf8(object.ObjectCaption());
      if (AnsiStartsWithText(address, "tolvane:")) FollowAddressLink(address);
      else if (AnsiStartsWithText(address, "run:") || AnsiStartsWithText(address, "runm:") ||
               AnsiStartsWithText(address, "prog:") || AnsiStartsWithText(address, "dump:") ||
               AnsiStartsWithText(address, "save:"))
        RunProgramLink(address, &object);
      else runner_.OpenDocument(address);
      return;
    }
    case genLink: ws_.ShowEmbeddedFile(object); return;
    default: return;
  }
}

void LinkFollower::FollowSpecLink(TYKAoggetto& link) {
  MessageBoxes& m = doc_.messages();
  const std::string name = AnsiToUtf8(
      link.ShortString(speclink_rec::kFrameName, static_cast<size_t>(RecordSize(speclink)) - speclink_rec::kFrameName));
  const int32_t anchor = link.I32(speclink_rec::kAnchor);
  switch (link.State()) {
    case 1: {
      TYKAoggetto* target = ResolveInPage(ws_.ActivatingPage(), doc_, link.I32(speclink_rec::kTarget));
      const uint8_t mode = link.U8(speclink_rec::kWindowMode);
      auto goToAnchor = [&] {
        if (!ws_.GoToAnchor(anchor) && !ws_.ReadOnly())
          m.ShowWarning("Ancre introuvable: a" + std::to_string(anchor));
      };
      if (!ws_.ReadOnly()) {
        if (mode == 6) goToAnchor();
        else if (target) FollowObject(*target, anchor);
        return;
      }
      if (ws_.PageModified() && m.AskYesNo("Sauvegarder les modifications de la page courante ?") == Answer::Yes) {
        ws_.CommitPage();
        return;
      }
      if (mode == 6) {
        goToAnchor();
        return;
      }
      if (!target) return;
      if (target->Kind() != testoHtml || mode == 5) {
        FollowObject(*target, anchor);
        return;
      }
      const int32_t slot = target->Slot();
      switch (mode) {
        case 0:
          if (ws_.ActivatedInMainWorkspace()) ws_.ReplaceActivatingPage(slot);
          break;
        case 1: ws_.ShowInNamedFrame(name, slot); break;
        case 2: ws_.ShowInSeparateWindow(name, slot); break;
        case 3: ws_.ShowInSeparateWindow("", slot); break;
        case 4:
        case 7: ws_.ShowInPopup(slot, mode == 7); break;
        default: break;
      }
      return;
    }
    case 2:
      if (AnsiSameText(name, "_root") || anchor == -2) m.ShowInformation("fenêtre de fermeture : Programme lecteur");
      else ws_.CloseSeparateWindow(name);
      return;
    case 3: ws_.ShowKeywordSearch(); return;
    case 4:
    case 5: {
      const TYKAtesto* page = ws_.ActivatingPage();
      if (!page || page->Document() != &doc_) return;
      ws_.ShowPage(link.State() == 4 ? PreviousPage(doc_, page->Slot()) : NextPage(doc_, page->Slot()));
      return;
    }
    case 6: {
      if (ws_.ReadOnly()) return;
      const int32_t resolved = ResolveSpecLink(doc_, link.ObjectId());
      if (resolved != link.ObjectId()) {
        if (TYKAoggetto* page = doc_.FindObject(resolved)) FollowObject(*page, -1);
        return;
      }
      std::string path = DocumentRelative(AnsiToUtf8(ContentText(link)));
      if (!doc_.platform().files.Exists(path)) {
        if (m.AskYesNo("Le lien renvoie au fichier \"" + path +
                       "\", introuvable. Désirez-vous placer un autre nom de fichier ?") != Answer::Yes)
          return;
        auto chosen = files_ ? files_->OpenFile("Fichiers Html (*.htm;*.html)|*.htm;|All files (*.*)|*.*;")
                             : std::nullopt;
        if (!chosen) return;
        path = *chosen;
      }
      ws_.ImportPageFile(path);
      return;
    }
    case 7: ws_.ShowCart(AnsiToUtf8(ContentText(link)), true); return;
    case 11: ws_.ShowCart("", false); return;
    case 8: ws_.PrintActivatingFrameSet(); return;
    case 9:
      if (AnsiSameText(name, "_showprint")) ws_.RunPrintCommand();
      else if (!ws_.PrintNamed(name)) m.ShowError("Error: " + name);
      return;
    case 10: ws_.RunPlugin(AnsiToUtf8(ContentText(link))); return;
    default: return;
  }
}

void LinkFollower::FollowAddressLink(std::string_view address) {
  SettingsBackend& settings = doc_.platform().settings;
  FileSystem& fs = doc_.platform().files;
  MessageBoxes& m = doc_.messages();
  // A remembered medium folder that is gone is forgotten, so that it is asked for again.
  if (AnsiFindText(address, "cddrive:") != std::string_view::npos) {
    std::string folder = settings.ReadValue(kMediumKey, "cddrive").value_or("");
    if (!folder.empty() && !fs.IsDirectory(LocalPath(folder, ""))) settings.DeleteValue(kMediumKey, "cddrive");
  }
  TolvaneAddress a = ParseTolvaneAddress(doc_, address, -2, folders_);
  if (!a.isTolvane) return;
  std::string path = a.path.empty() ? std::string() : LocalPath(a.path, ExtractFileDir(doc_.YKAFileName()));
  if (!path.empty() && !fs.Exists(path)) {
    const std::string name = ChangeFileExt(ExtractFileName(path), "");
    while (folders_) {
      auto folder = folders_->ChooseFolder("Insérez d'abord CD/DVD: " + name);
      if (!folder) break;
      std::string candidate = JoinPath(*folder, ExtractFileName(path));
      if (fs.Exists(candidate)) {
        path = candidate;
        break;
      }
    }
    if (!fs.Exists(path)) {
      m.ShowWarning("Fichier introuvable : " + path);
      return;
    }
  }
  if (!path.empty() && !a.sameDocument && !AnsiSameText(path, doc_.YKAFileName())) {
    if (AnsiSameText(ChangeFileExt(ExtractFileName(path), ""), "SansTitre")) return;
    if (doc_.IsModified()) {
      Answer answer = m.AskYesNoCancel(
          "Je vais charger un nouveau fichier.\rDésirez vous que je sauvegarde celui actuellement ouvert ?");
      if (answer == Answer::Cancel) return;
      if (answer == Answer::Yes) ws_.SaveDocument();
    }
    if (!ws_.OpenDocument(path)) return;
    // Without a page number the address means the cover page of the document just opened.
    if (address.find('|') == std::string_view::npos) a.page = doc_.CoverPage();
  }
  if (a.page >= 0) ws_.ShowPage(a.page);
  else if (a.page == -2 && ws_.ShownPage() != doc_.CoverPage()) ws_.ShowPage(doc_.CoverPage());
}

std::string LinkFollower::ProgramPath(std::string_view text) {
  if (!text.empty() && text[0] == '\\') {
    // A settings path: the key, then the value name after the last backslash.
    const size_t last = text.find_last_of('\\');
    const std::string key(text.substr(0, last)), value(text.substr(last + 1));
    return doc_.platform().settings.ReadValue(key, value).value_or("");
  }
  return DocumentRelative(text);
}

void LinkFollower::RunProgramLink(std::string_view address, const TYKAoggetto* object) {
  MessageBoxes& m = doc_.messages();
  FileSystem& fs = doc_.platform().files;
  SettingsBackend& settings = doc_.platform().settings;
  const bool run = AnsiStartsWithText(address, "run:"), runm = AnsiStartsWithText(address, "runm:"),
             save = AnsiStartsWithText(address, "save:"), prog = AnsiStartsWithText(address, "prog:"),
             dump = AnsiStartsWithText(address, "dump:");
  if (run || runm || save) {
    std::string text = AfterPrefix(address);
    if (AnsiFindText(text, "cddrive:") != std::string::npos) {
      std::string folder = settings.ReadValue(kMediumKey, "cddrive").value_or("");
      if (!folder.empty() && !fs.IsDirectory(LocalPath(folder, ""))) settings.DeleteValue(kMediumKey, "cddrive");
      text = ResolveCdDrive(doc_, text, folders_);
    }
    const std::string path = DocumentRelative(text);
    if (save) {
      auto target = files_ ? files_->SaveFile("(*.*)|*.*;", ExtractFileExt(path), ExtractFileName(path)) : std::nullopt;
      if (!target) return;
      std::error_code ec;
      if (std::filesystem::equivalent(*target, path, ec)) return;  // already there
      WaitCursor wait(doc_.platform().ui);
      if (fs.Exists(*target)) fs.Remove(*target);
      if (!CopyFileContents(fs, path, *target)) m.ShowError("Erreur lors de l'ouverture du fichier : " + path);
      return;
    }
    if (!fs.Exists(path)) {
      m.ShowError("Erreur lors de l'ouverture du fichier : " + path);
      return;
    }
    runner_.OpenDocument(path);
    if (runm) m.ShowInformation("Chargement en cours");
    return;
  }
  const std::string params = JoinPath(doc_.WorkingFolder(), "params.txt");
  if (prog || dump) {
    const std::string text = AfterPrefix(address);
    const size_t question = text.find('?');
    std::string program = ProgramPath(text.substr(0, question));
    std::vector<std::string> argv;
    if (program.empty()) {
      m.ShowInformation("Clé indéfinie (" + text + ")");
      program = "xdg-open";  // the desktop's text editor for the parameter file
    }
    argv.push_back(program);
    if (question != std::string::npos) {
      std::istringstream words(text.substr(question + 1));
      for (std::string w; words >> w;) argv.push_back(w);
    }
    const std::string content =
        dump ? ws_.ShownPageMarkup() : (object ? ContentText(*object) : std::string());
    WriteWholeFile(fs, params, content.data(), content.size());
    argv.push_back(params);
    if (!runner_.Start(argv)) m.ShowError("Erreur lors de l'ouverture du fichier : " + program);
    return;
  }
  const std::string file = JoinPath(doc_.WorkingFolder(), "params" + ExtractFileExt(AfterPrefix(address)));
  const std::string content = object ? ContentText(*object) : std::string();
  WriteWholeFile(fs, file, content.data(), content.size());
  runner_.OpenDocument(file);
}

}  // namespace tolvane
