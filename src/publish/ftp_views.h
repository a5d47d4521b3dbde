// What the publishing window shows of the server: the remote file list, the
// folder box above it and the transfer bar with its Stop button. These are
// the views' engine side (rows, sorting, navigation, the commands they send);
// the widgets draw them.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "publish/ftp_listing.h"

namespace tolvane {

class TNyFtpComm;
class TNyFTPComboBox;

class TNyFtpTxRxBar {
 public:
  TNyFtpComm* Comm = nullptr;
  bool Visible = false;
  int64_t Position = 0;
  int64_t Max = 0;
  void Begin(int64_t total) {
    Visible = true;
    Position = 0;
    Max = total;
  }
  void SetPosition(int64_t done) { Position = done; }
  void Reset() {
    Visible = false;
    Position = 0;
  }
  // The Stop button: aborts the running command.
  void Stop();
};

enum class TFtpSortType { fsName, fsSize, fsType, fsDate };

struct FtpListRow {
  std::string name;  // "Nom"
  std::string size;  // "Taille": blank when 0 or less
  std::string type;  // "Type": "File", "Directory" or "Link"
  std::string date;  // "Modifié"
  FtpEntry entry;
  bool selected = false;
};

class TNyFTPlistView {
 public:
  static constexpr const char* kColumns[4] = {"Nom", "Taille", "Type", "Modifi\xE9"};
  explicit TNyFTPlistView(TNyFtpComm& comm) : comm_(comm) {}

  TNyFTPComboBox* LinkedFTPCombo = nullptr;
  TFtpSortType FileSortType = TFtpSortType::fsName;
  bool RightMouseSelect = false;
  bool ReadOnly = false;
  std::function<void(const std::string&)> OnStatus;
  std::function<void()> OnReload;
  std::function<void()> OnDirectoryChange;

  const std::string& Directory() const { return directory_; }
  // Enters a folder (a trailing "/" is added); the previous one stays when
  // the server refuses it.
  void SetDirectory(const std::string& folder);
  // Enters a folder without listing it; false when the server refuses it.
  bool Enter(const std::string& folder);
  void Reload();
  void UpOneLevel();
  void DoubleClick(size_t row);
  // Removes the selected rows on the server; the rows that went leave the view.
  void DeleteSelected();
  // Makes "Nouveau dossier" here; the index of its row (selected, to be
  // renamed), or -1 when the server refused.
  int NewFolder();
  // Renames a row on the server; it keeps its old name when that fails.
  bool RenameRow(size_t row, const std::string& newName);
  // "/" + name when a folder row of exactly that name is shown, else empty.
  std::string FindFolder(const std::string& name) const;
  // The name of a "File" row, else empty.
  std::string FileNameOf(size_t row) const;
  void Sort();

  std::vector<FtpListRow>& Rows() { return rows_; }
  const std::vector<FtpListRow>& Rows() const { return rows_; }
  static FtpListRow RowOf(const FtpEntry& entry);

 private:
  void Status(const std::string& text);
  TNyFtpComm& comm_;
  std::string directory_ = "/";
  bool entered_ = false;  // a folder was chosen: reconnections keep it
  std::vector<FtpListRow> rows_;
};

class TNyFTPComboBox {
 public:
  struct Item {
    std::string path;  // ends with "/"
    int indent = 0;
  };
  TNyFTPlistView* List = nullptr;
  // The current folder and each folder above it, the root first.
  void ShowPath(const std::string& folder);
  const std::vector<Item>& Items() const { return items_; }
  int ItemIndex = -1;
  // Choosing an entry changes the list's folder.
  void Choose(size_t index);

 private:
  std::vector<Item> items_;
};

}  // namespace tolvane
