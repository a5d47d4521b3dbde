#include "publish/publisher.h"

#include <algorithm>
#include <set>

#include "common/ansi.h"
#include "common/file_names.h"
#include "convert/html_filters.h"
#include "model/document.h"
#include "model/object.h"
#include "platform/file_system.h"
#include "platform/messages.h"
#include "platform/settings_store.h"
#include "publish/version_page.h"

namespace tolvane {
namespace {

constexpr int kPictureFolderFailed = -20;
constexpr int kKeywordFolderFailed = -21;
// Said after the status when the server would not rename files into place.
constexpr const char* kDirectNotice =
    " Le serveur refuse de renommer : des fichiers ont \xE9t\xE9 envoy\xE9s directement.";

bool IsPageRow(const FileListRow& r) { return r.id >= 0 && r.type == "Page"; }
bool IsResourceRow(const FileListRow& r) { return r.id >= 0 && (r.type == "Image" || r.type == "Fichier"); }

}  // namespace

FtpPublisher::FtpPublisher(TYKAset& doc, SettingsStore& store, MessageBoxes& messages, UiHooks& ui,
                           PublishHost& host, PublishMode mode, HtmlExportOptions options, std::string dataFolder)
    : Comm(messages, ui),
      Remote(Comm),
      doc_(doc),
      store_(store),
      messages_(messages),
      host_(host),
      mode_(mode),
      converter_(doc, std::move(options), std::move(dataFolder)),
      list_(converter_) {
  Bar.Comm = &Comm;
  Comm.Bar = &Bar;
  Remote.LinkedFTPCombo = &Folders;
  Folders.List = &Remote;
  SelectConfiguration(SelectedServerConfig(store_, static_cast<int>(mode_)));
  // However a folder is entered (double click, up, the folder box), its
  // version is read and the rows ticked for it.
  Remote.OnDirectoryChange = [this] { FolderListed(); };
}

FtpPublisher::~FtpPublisher() {
  if (Comm.Connected()) Comm.Disconnect();
}

void FtpPublisher::SetStatus(const std::string& text) {
  Status = text;
  if (OnStatus) OnStatus(Status);
}

void FtpPublisher::SelectConfiguration(int index) {
  configIndex = index;
  config = LoadServerConfig(store_, index);
}

void FtpPublisher::StoreConfiguration() {
  StoreServerConfig(store_, configIndex, config);
  StoreSelectedServerConfig(store_, static_cast<int>(mode_), configIndex);
}

std::string FtpPublisher::ExportProgressText(int phase, int percent) {
  return "Export in corso, fase " + std::to_string(phase) + ": " + std::to_string(percent) + "%";
}

bool FtpPublisher::ExportSite(const std::string& folder, int32_t pageId) {
  exportError = 0;
  if (!converter_.SetExportPath(folder)) {
    exportError = -2;
    return false;
  }
  converter_.OnExpProgress = OnExportProgress;
  std::vector<const TYKAoggetto*> resources;
  bool ok;
  if (mode_ == PublishMode::page && pageId >= 0) {
    std::vector<int32_t> written;
    ok = converter_.ExportPage(pageId, written, resources);
    list_.objectsToShow = {pageId};
  } else {
    ok = converter_.ExportAllPages(resources);
    list_.objectsToShow.clear();
  }
  list_.resourcesToShow.clear();
  for (const TYKAoggetto* r : resources)
    if (std::find(list_.resourcesToShow.begin(), list_.resourcesToShow.end(), r->ObjectId()) ==
        list_.resourcesToShow.end())
      list_.resourcesToShow.push_back(r->ObjectId());
  list_.Refill();
  if (!ok) exportError = -1;
  return ok;
}

int FtpPublisher::ConnectAndList() {
  FtpServerAddress a;
  a.host = config.server;
  a.port = config.port;
  a.user = config.user;
  a.password = config.password;
  a.passive = config.passive;
  a.timeoutSeconds = config.timeout;
  a.tls = config.ftps;
  a.caFile = config.caFile;
  Comm.SetServer(a);
  PublicAddress = config.www;
  if (const TYKAoggetto* cover = doc_.FindObject(doc_.CoverPage()); cover && !PublicAddress.empty())
    PublicAddress += converter_.Naming().FileNameOf(*cover, 0);
  const int code = Comm.Connect();
  if (code == ftp_reply::kCannotConnect || code == 500) {
    SetStatus(publish_status::kCannotConnect);
    return code;
  }
  if (!ftp_reply::IsSuccess(code)) {
    SetStatus("Erreur " + Comm.StatusText);
    return code;
  }
  // A base folder the server does not have yet is made, parents first: the
  // site must never land in another folder than the one configured.
  std::string base = CleanBaseFolder(config.baseDir);
  if (base.back() != '/') base += '/';
  if (!ftp_reply::IsSuccess(Comm.ChangeDir(base))) {
    for (size_t slash = base.find('/', 1); slash != std::string::npos; slash = base.find('/', slash + 1))
      Comm.MakeDir(base.substr(0, slash));
  }
  ListFolder(base);
  if (Remote.Directory() != base) {
    SetStatus("Erreur " + Comm.StatusText);
    return ftp_reply::IsSuccess(Comm.LastReply) ? 550 : Comm.LastReply;
  }
  return code;
}

void FtpPublisher::ListFolder(const std::string& folder) {
  if (listRemote) {
    Remote.SetDirectory(folder);  // lists it, then FolderListed
  } else {
    Remote.Enter(folder);
    FolderListed();
  }
}

void FtpPublisher::FolderListed() {
  ReadServerVersion();
  if (mode_ == PublishMode::site && AutoChooseChanged(store_)) TickChanged();
  if (mode_ == PublishMode::page) {
    for (auto& r : list_.Rows()) r.checked = true;
  }
}

void FtpPublisher::ReadServerVersion() {
  ServerVersion = -1;
  const std::string name = VersionPageName(converter_.Naming().Prefix());
  const std::string shortName = name.substr(0, name.size() - 1);
  // Only a listed version page counts (unlisted, it is asked for); the
  // shorter name is tried when that one cannot be read.
  bool listed = !listRemote;
  for (const auto& r : Remote.Rows()) listed = listed || (r.type == "File" && r.name == name);
  std::string text;
  if (listed) {
    int code = Comm.Get(Remote.Directory() + name, text);
    if (!ftp_reply::IsSuccess(code)) code = Comm.Get(Remote.Directory() + shortName, text);
    if (ftp_reply::IsSuccess(code)) ServerVersion = ServerVersionOf(text);
  }
  VersionLabel = ServerVersion >= 0
                     ? "Version actuellement sur le serveur : " + std::to_string(ServerVersion)
                     : "Pr\xE9" "c\xE9" "dente version introuvable sur ce dossier du serveur (peut-\xEAtre que vous "
                       "publiez \xE0 un dossier / r\xE9pertoire incorrect)";
}

void FtpPublisher::TickAll() {
  allTicked_ = !allTicked_;
  for (auto& r : list_.Rows()) r.checked = allTicked_;
}

void FtpPublisher::TickChanged() {
  list_.RefreshVersions();
  for (auto& r : list_.Rows()) r.checked = r.version > ServerVersion;
}

void FtpPublisher::TickPages(const std::vector<int32_t>& pageIds) {
  for (auto& r : list_.Rows())
    if (IsPageRow(r) && std::find(pageIds.begin(), pageIds.end(), r.id) != pageIds.end()) r.checked = true;
}

std::string FtpPublisher::DetectWebFolder() const {
  if (config.baseDir != "/" || Remote.Directory() != "/") return {};
  std::vector<std::string> candidates = {"public_html", "www", "mainwebsite_html", "htdocs", "httpdocs",
                                         "html",        "web", "public"};
  if (!config.www.empty()) candidates.push_back(config.www);
  candidates.push_back("var");
  for (const auto& c : candidates) {
    const std::string found = Remote.FindFolder(c);
    if (found.empty()) continue;
    return found == "/var" ? "/var/www/html/" : found;
  }
  return {};
}

bool FtpPublisher::EnsureRemoteFolder(const std::string& folder) {
  if (std::find(madeFolders_.begin(), madeFolders_.end(), folder) != madeFolders_.end()) return true;
  const int code = Comm.MakeDir(folder);
  if (!ftp_reply::IsSuccess(code) && !(code >= 550 && code <= 559)) return false;
  madeFolders_.push_back(folder);
  return true;
}

std::vector<std::string> FtpPublisher::LocalFilesOf(const FileListRow& row) {
  std::vector<std::string> files;
  for (const auto& name : list_.FileNames(row)) {
    const std::string relative = ContainedPath(name);
    if (relative.empty()) continue;
    // A page's frame-content version exists only when the export wrote it.
    if (IsPageRow(row) && name == row.frameFile &&
        !doc_.platform().files.Exists(converter_.LocalPath(relative)))
      continue;
    files.push_back(relative);
  }
  // A page with a file name of its own has a redirect file beside it.
  if (const TYKAoggetto* page = IsPageRow(row) ? doc_.FindObject(row.id) : nullptr)
    if (const std::string redirect = ContainedPath(converter_.RedirectFileName(*page)); !redirect.empty())
      files.push_back(redirect);
  return files;
}

void FtpPublisher::StatusFor(int code, bool renameRefused) {
  if (ftp_reply::IsSuccess(code)) {
    SetStatus(std::string(publish_status::kOk) + (renameRefused ? kDirectNotice : ""));
  } else if (code == ftp_reply::kInterrupted) {
    SetStatus(publish_status::kInterrupted);
  } else if (code == kPictureFolderFailed) {
    SetStatus(publish_status::kPictureFolder);
  } else if (code == kKeywordFolderFailed) {
    SetStatus(Status);
  } else {
    SetStatus("Erreur " + Comm.StatusText);
  }
}

bool FtpPublisher::Publish() {
  // The site would go to the server's root although a web folder is there.
  if (const std::string web = DetectWebFolder(); !web.empty()) {
    if (messages_.AskYesNo("Le programme a d\xE9tect\xE9 une erreur possible de r\xE9pertoire. Voulez-vous le "
                           "modifier et publier dans le r\xE9pertoire suivant : " +
                           web + " ?") == Answer::Yes) {
      ListFolder(web);
      if (Remote.Directory() != (web.back() == '/' ? web : web + "/")) {
        // Not into the root the user just turned down.
        SetStatus("Erreur " + Comm.StatusText);
        return false;
      }
      config.baseDir = web;
    }
  }
  if (config.password.empty()) {
    messages_.ShowWarning(publish_status::kNoPassword);
    SetStatus(publish_status::kNoPassword);
    return false;
  }
  // The version page names the document file: it must be there, and saved.
  if (doc_.IsModified() && messages_.AskYesNo(publish_status::kAskSave) == Answer::Yes && !host_.SaveDocument()) {
    SetStatus("Erreur " + doc_.YKAFileName());
    return false;
  }
  if (doc_.YKAFileName().empty() || !doc_.platform().files.Exists(doc_.YKAFileName())) {
    SetStatus("Fichier introuvable : " + doc_.YKAFileName());
    return false;
  }
  host_.HideWorkspacePage();
  struct Restore {
    PublishHost& host;
    ~Restore() { host.ShowMainPage(); }
  } restore{host_};

  int code = 200;
  if (!Comm.Connected()) code = Comm.Connect();
  if (!ftp_reply::IsSuccess(code)) {
    StatusFor(code, false);
    return false;
  }
  const std::string R = Remote.Directory();
  const int32_t V = doc_.SaveCounter() - 1;
  const HtmlExportOptions& options = converter_.Options();
  FileSystem& files = doc_.platform().files;
  stopped_ = false;
  madeFolders_.clear();
  bool renameRefused = false, changed = false;
  Bar.Visible = true;

  std::vector<FileListRow>& rows = list_.Rows();
  std::set<int32_t> published;
  size_t total = 0, done = 0;
  for (const auto& r : rows)
    if (r.checked) ++total;
  for (size_t i = 0; i < rows.size() && ftp_reply::IsSuccess(code); ++i) {
    FileListRow& row = rows[i];
    TYKAoggetto* object = row.id >= 0 ? doc_.FindObject(row.id) : nullptr;
    if (!row.checked) continue;
    std::vector<std::string> names = LocalFilesOf(row);
    if (row.id == file_row::kExportFolder) {
      const std::string path = converter_.LocalPath(row.file);
      if (!files.Exists(path)) {
        messages_.ShowError("Fichier introuvable : " + path);
        continue;
      }
    }
    for (const auto& name : names) {
      const std::string local = converter_.LocalPath(name);
      // Files the export only named are written out now.
      const bool written = files.Exists(local) || !object ||
                           (IsResourceRow(row) ? converter_.WriteResource(*object)
                                               : IsPageRow(row) && converter_.WriteRedirectFile(*object));
      if (!written) {
        code = ftp_reply::kLocalFile;
        Comm.StatusText = "Cannot write " + local;
        break;
      }
      // Files in a folder of their own (pictures, keyword pages) need it on the server.
      if (const size_t slash = name.rfind('/'); slash != std::string::npos) {
        const std::string folder = R + name.substr(0, slash);
        const bool keywords = options.separateKeywords && row.type != "Image" && row.type != "Fichier";
        if (!EnsureRemoteFolder(folder)) {
          if (keywords) {
            const std::string text = "Erreur \xE0 la cr\xE9" "ation du r\xE9pertoire image KEYS:" + folder;
            messages_.ShowError(text);
            Status = text;
            code = kKeywordFolderFailed;
          } else {
            messages_.ShowError(publish_status::kPictureFolder);
            code = kPictureFolderFailed;
          }
          break;
        }
      }
      bool refused = false;
      code = Comm.PutFile(local, R + name, renameProtection, &refused);
      renameRefused = renameRefused || refused;
      // The bar's Stop, come as the file completed, still ends the run.
      if (Comm.Aborted) code = ftp_reply::kInterrupted;
      if (!ftp_reply::IsSuccess(code)) break;
    }
    if (!ftp_reply::IsSuccess(code)) break;
    ++done;
    row.checked = false;
    if (object) {
      object->SetGeneration(V);
      published.insert(object->ObjectId());
      changed = true;
    }
    if (OnFileStored) OnFileStored(done, total, row.file);
  }
  // Whatever was not published and is as new as the version about to be
  // written stays newer than it: pages the list did not show (publishing the
  // current page), pictures and files left unticked, rows not reached.
  for (const int kind : {testoHtml, genLink, immagine})
    for (int s = 0; s < doc_.KindCount(kind); ++s) {
      TYKAoggetto* o = doc_.ObjectAt(kind, s);
      // (What the server already has at V stays at V.)
      if (!o || o->IsFree() || published.count(o->ObjectId()) || o->GetGeneration() < V ||
          o->GetGeneration() <= ServerVersion)
        continue;
      o->SetGeneration(o->GetGeneration() + 1);
      changed = true;
    }
  // A run that did not finish leaves the server's version as it was, so that
  // the next run still sees every row it did not get to as changed.
  if (stopped_) code = ftp_reply::kInterrupted;
  if (ftp_reply::IsSuccess(code)) {
    bool refused = false;
    code = Comm.PutStream(VersionPageText(doc_.YKAFileName(), V), 0,
                          R + VersionPageName(converter_.Naming().Prefix()), renameProtection, &refused);
    renameRefused = renameRefused || refused;
  }
  if (changed) doc_.SetModified(true);
  Bar.Visible = false;
  // What the server said last, before the refresh below talks to it again.
  const std::string lastReply = Comm.StatusText;
  const int finalCode = stopped_ ? ftp_reply::kInterrupted : code;
  const std::string keywordStatus = Status;
  list_.RefreshVersions();
  if (listRemote) Remote.Reload();
  ReadServerVersion();
  if (stopped_) TickChanged();
  if (finalCode == kKeywordFolderFailed) Status = keywordStatus;
  Comm.StatusText = lastReply;
  StatusFor(finalCode, renameRefused);
  return ftp_reply::IsSuccess(finalCode);
}

bool FtpPublisher::PublishOrOpen(int selectedRemoteRow) {
  if (selectedRemoteRow >= 0 && static_cast<size_t>(selectedRemoteRow) < Remote.Rows().size()) {
    const std::string& type = Remote.Rows()[static_cast<size_t>(selectedRemoteRow)].type;
    if (type == "Directory" || type == "Link") {
      Remote.DoubleClick(static_cast<size_t>(selectedRemoteRow));
      return false;
    }
  }
  return Publish();
}

int FtpPublisher::ApplySettings() {
  StoreConfiguration();
  if (Comm.Connected()) Comm.Disconnect();
  return ConnectAndList();
}

int FtpPublisher::PublishDocument() {
  if (doc_.IsModified() && messages_.AskYesNo(publish_status::kAskSave) == Answer::Yes && !host_.SaveDocument()) {
    SetStatus("Erreur");
    return ftp_reply::kLocalFile;
  }
  const std::string path = doc_.YKAFileName();
  if (path.empty() || !doc_.platform().files.Exists(path)) {
    SetStatus("Fichier introuvable : " + path);
    return ftp_reply::kLocalFile;
  }
  return Upload(ExtractFileDir(path), {ExtractFileName(path)});
}

void FtpPublisher::Stop() {
  stopped_ = true;
  for (auto& r : list_.Rows()) r.checked = false;
  Comm.Abort();
}

int FtpPublisher::Upload(const std::string& localFolder, const std::vector<std::string>& names) {
  int code = 200;
  bool renameRefused = false;
  for (const auto& name : names) {
    const std::string file = ExtractFileName(name);
    bool refused = false;
    // Local names are UTF-8; the session speaks the document's characters.
    code = Comm.PutFile(JoinPath(localFolder, file), Remote.Directory() + Utf8ToAnsi(file), renameProtection,
                        &refused);
    renameRefused = renameRefused || refused;
    // A Stop that came as a file completed still ends the run.
    if (Comm.Aborted) code = ftp_reply::kInterrupted;
    if (!ftp_reply::IsSuccess(code)) break;
  }
  SetStatus(ftp_reply::IsSuccess(code) ? std::string(publish_status::kTransferOk) + (renameRefused ? kDirectNotice : "")
            : code == ftp_reply::kInterrupted ? publish_status::kInterrupted
                                               : "Erreur");
  Remote.Reload();
  return code;
}

int FtpPublisher::Download(const std::vector<std::string>& remoteNames, const std::string& localFolder) {
  int code = 200;
  FileSystem& files = doc_.platform().files;
  for (const auto& name : remoteNames) {
    const std::string file = ExtractFileName(name);
    if (ContainedPath(file).empty()) continue;  // a listed name must not lead out of the folder
    std::string data;
    code = Comm.Get(Remote.Directory() + file, data);
    if (Comm.Aborted) code = ftp_reply::kInterrupted;  // also a transfer that completed
    if (!ftp_reply::IsSuccess(code) && code != 150) break;
    const std::string target = JoinPath(localFolder, AnsiToUtf8(ContainedPath(file)));
    const std::string part = target + ".part";
    auto out = files.CreateNew(part);
    bool ok = out && out->WriteAt(0, data.data(), data.size()) && out->Sync() && out->Close();
    out.reset();
    ok = ok && (files.Remove(target), files.Rename(part, target));
    if (!ok) {
      files.Remove(part);
      code = ftp_reply::kLocalFile;
      break;
    }
  }
  SetStatus(ftp_reply::IsSuccess(code) || code == 150 ? publish_status::kTransferOk
            : code == ftp_reply::kInterrupted          ? publish_status::kInterrupted
                                                        : "Erreur");
  return code;
}

bool FtpPublisher::CanClose() {
  if (Comm.Busy) {
    if (messages_.AskYesNo(publish_status::kAskStop) != Answer::Yes) return false;
    Stop();
  }
  return true;
}

}  // namespace tolvane
