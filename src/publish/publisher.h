// The publish run behind the publishing window: the exported site's file
// list, the server configuration in use, the version published on the
// server, and putting the ticked files there over FTP, marking each object
// published with the document's version. Also the window's file-transfer
// page. The window draws this; the command line drives it directly.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "convert/export_file_list.h"
#include "convert/site_export.h"
#include "publish/ftp_comm.h"
#include "publish/ftp_views.h"
#include "publish/server_config.h"

namespace tolvane {

class MessageBoxes;
class SettingsStore;
class TYKAset;
class UiHooks;

// What the run asks of the program around it.
class PublishHost {
 public:
  virtual ~PublishHost() = default;
  // Saves the document to its file; false when that failed.
  virtual bool SaveDocument() = 0;
  // The workspace shows no page while publishing, and the main page after.
  virtual void HideWorkspacePage() {}
  virtual void ShowMainPage() {}
};

// 0 publish the site, 1 publish the current page, 2 transfer files, 3 edit the configuration.
enum class PublishMode { site = 0, page = 1, transfer = 2, configuration = 3 };

namespace publish_status {
inline constexpr const char* kOk = "Publication OK.";
inline constexpr const char* kInterrupted = "Interruption par l'utilisateur";
inline constexpr const char* kPictureFolder = "Erreur \xE0 la cr\xE9" "ation du r\xE9pertoire image";
inline constexpr const char* kCannotConnect = "Connection impossible";
inline constexpr const char* kTransferOk = "Transfert OK";
inline constexpr const char* kAskSave = "J'ai besoin de sauvegarder le fichier en local. Puis-je le faire ?";
inline constexpr const char* kAskStop = "Op\xE9ration sur le r\xE9seau, en cours. Arr\xEAter ?";
inline constexpr const char* kNoPassword = "Saisissez le mot de passe !";
}  // namespace publish_status

class FtpPublisher {
 public:
  FtpPublisher(TYKAset& doc, SettingsStore& store, MessageBoxes& messages, UiHooks& ui, PublishHost& host,
               PublishMode mode, HtmlExportOptions options, std::string dataFolder);
  ~FtpPublisher();

  // ---- the server configuration
  int configIndex = 0;
  FtpServerConfig config;
  void SelectConfiguration(int index);  // loads it
  // "&Fermer": stores the configuration and this mode's choice of it.
  void StoreConfiguration();

  // ---- the exported site and its file list
  // Exports every page (or, for `PublishMode::page`, the one given) into
  // `folder` and fills the list.
  // False when it failed; `exportError` then says where: -2 the folder, -1 a file.
  bool ExportSite(const std::string& folder, int32_t pageId = -1);
  int exportError = 0;
  std::function<void(int pag, int tot, int phase)> OnExportProgress;
  // The progress text of an export run from the window's options.
  static std::string ExportProgressText(int phase, int percent);
  TYKAtoHtml& Converter() { return converter_; }
  TYKAListHtmlToTx& List() { return list_; }

  // ---- the server
  TNyFtpComm Comm;
  TNyFtpTxRxBar Bar;
  TNyFTPlistView Remote;
  TNyFTPComboBox Folders;
  // Connects with the configuration and lists its base folder.
  int ConnectAndList();
  // Enters a remote folder, reads the version there and ticks rows as the mode says.
  void ListFolder(const std::string& folder);
  void ReadServerVersion();
  // After a folder was entered: its version read, rows ticked as the mode says.
  void FolderListed();
  // Off where nobody looks at the remote list (the command line): folders are
  // entered without listing them, and the version page is asked for directly.
  bool listRemote = true;
  int ServerVersion = -1;
  std::string VersionLabel;
  std::string PublicAddress;

  // ---- ticking rows
  void TickAll();      // "&Tout": all, then none, alternately
  void TickChanged();  // "&Modifié": exactly the rows newer than the server's version
  void TickPages(const std::vector<int32_t>& pageIds);

  // ---- publishing
  // The web folder the server's root holds, when the site would otherwise go
  // to the root: "" when none.
  std::string DetectWebFolder() const;
  // Publishes the ticked rows into the remote list's folder; true for "Publication OK.".
  bool Publish();
  // "Publier" with a remote row selected: a folder or a link is opened instead.
  bool PublishOrOpen(int selectedRemoteRow);
  // "Appliquer les paramètres...": store, disconnect, connect again.
  int ApplySettings();
  // The Stop button.
  void Stop();
  bool Stopped() const { return stopped_; }
  // Store each file under a temporary name and rename it once complete.
  bool renameProtection = true;
  std::string Status;
  std::function<void(const std::string&)> OnStatus;
  // After each file stored: files done, files to do, the file.
  std::function<void(size_t, size_t, const std::string&)> OnFileStored;

  // ---- the transfer page
  int Upload(const std::string& localFolder, const std::vector<std::string>& names);
  int Download(const std::vector<std::string>& remoteNames, const std::string& localFolder);
  // The transfer page's "Publier": the document file itself, saved first when changed.
  int PublishDocument();

  // Closing the window: asks before stopping a running command.
  bool CanClose();

 private:
  void SetStatus(const std::string& text);
  void StatusFor(int code, bool renameRefused);
  // Makes a remote folder once per run; false when the server refused it.
  bool EnsureRemoteFolder(const std::string& folder);
  std::vector<std::string> LocalFilesOf(const FileListRow& row);

  TYKAset& doc_;
  SettingsStore& store_;
  MessageBoxes& messages_;
  PublishHost& host_;
  PublishMode mode_;
  TYKAtoHtml converter_;
  TYKAListHtmlToTx list_;
  std::vector<std::string> madeFolders_;
  bool stopped_ = false;
  bool allTicked_ = false;
};

}  // namespace tolvane
