#include "publish/ftp_views.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "common/ansi.h"
#include "publish/ftp_comm.h"

namespace tolvane {
namespace {

int TypeRank(const std::string& type) { return type == "Directory" ? 0 : type == "File" ? 1 : 2; }

std::string Extension(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : AnsiLowerCase(name.substr(dot));
}

int64_t Stamp(const FtpDateTime& d) {
  return d.valid ? ((((int64_t{d.year} * 13 + d.month) * 32 + d.day) * 24 + d.hour) * 60 + d.minute) : -1;
}

std::string DateText(const FtpDateTime& d) {
  if (!d.valid) return {};
  char text[32];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d", d.day, d.month, d.year, d.hour, d.minute);
  return text;
}

FtpDateTime Now() {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, true};
}

}  // namespace

void TNyFtpTxRxBar::Stop() {
  if (Comm) Comm->Abort();
}

FtpListRow TNyFTPlistView::RowOf(const FtpEntry& e) {
  FtpListRow r;
  r.entry = e;
  r.name = e.name;
  r.size = e.size > 0 ? std::to_string(e.size) : std::string();
  r.type = e.kind == FtpEntryKind::directory ? "Directory" : e.kind == FtpEntryKind::link ? "Link" : "File";
  r.date = DateText(e.modified);
  return r;
}

void TNyFTPlistView::Status(const std::string& text) {
  if (OnStatus) OnStatus(text);
}

void TNyFTPlistView::Reload() {
  if (!comm_.Connected()) {
    if (!ftp_reply::IsSuccess(comm_.Connect())) {
      rows_.clear();
      Status(comm_.StatusText);
      return;
    }
    // A new session starts where the server puts it; the view stays on its
    // folder once it has one, so that a reconnection after a failure never
    // turns the next publication to another folder.
    if (!entered_) directory_ = comm_.CurrentDir();
  }
  int code = comm_.List(directory_);
  if (!ftp_reply::IsSuccess(code)) code = comm_.Reconnect(directory_);
  rows_.clear();
  if (ftp_reply::IsSuccess(code)) {
    for (FtpEntry e = comm_.Client.Listing.NextEntry(); e.kind != FtpEntryKind::none;
         e = comm_.Client.Listing.NextEntry())
      rows_.push_back(RowOf(e));
  }
  Sort();
  if (LinkedFTPCombo) LinkedFTPCombo->ShowPath(directory_);
  if (OnReload) OnReload();
  Status(comm_.StatusText);
}

void TNyFTPlistView::Sort() {
  auto second = [this](const FtpListRow& a, const FtpListRow& b) {
    switch (FileSortType) {
      case TFtpSortType::fsSize: return a.entry.size < b.entry.size;
      case TFtpSortType::fsType: {
        const std::string ea = Extension(a.name), eb = Extension(b.name);
        return ea != eb ? ea < eb : a.name < b.name;
      }
      case TFtpSortType::fsDate: return Stamp(a.entry.modified) > Stamp(b.entry.modified);
      case TFtpSortType::fsName: break;
    }
    return a.name < b.name;
  };
  std::stable_sort(rows_.begin(), rows_.end(), [&](const FtpListRow& a, const FtpListRow& b) {
    const int ra = TypeRank(a.type), rb = TypeRank(b.type);
    return ra != rb ? ra < rb : second(a, b);
  });
}

void TNyFTPlistView::SetDirectory(const std::string& folder) {
  std::string target = folder.empty() ? "/" : folder;
  if (target.back() != '/') target += '/';
  if (!ftp_reply::IsSuccess(comm_.ChangeDir(target))) return;
  directory_ = comm_.CurrentDir();
  entered_ = true;
  Reload();
  if (OnDirectoryChange) OnDirectoryChange();
}

bool TNyFTPlistView::Enter(const std::string& folder) {
  std::string target = folder.empty() ? "/" : folder;
  if (target.back() != '/') target += '/';
  if (!ftp_reply::IsSuccess(comm_.ChangeDir(target))) return false;
  directory_ = comm_.CurrentDir();
  entered_ = true;
  rows_.clear();
  if (LinkedFTPCombo) LinkedFTPCombo->ShowPath(directory_);
  return true;
}

void TNyFTPlistView::UpOneLevel() {
  if (comm_.Busy || directory_ == "/") return;
  std::string up = directory_.substr(0, directory_.size() - 1);
  up = up.substr(0, up.rfind('/') + 1);
  SetDirectory(up.empty() ? "/" : up);
}

void TNyFTPlistView::DoubleClick(size_t row) {
  if (row >= rows_.size() || comm_.Busy) return;
  const FtpListRow& r = rows_[row];
  if (r.type == "Directory") {
    SetDirectory(directory_ + r.name + "/");
  } else if (r.type == "Link") {
    const size_t arrow = r.name.find(" ->");
    SetDirectory(directory_ + r.name.substr(0, arrow) + "/");
  }
}

void TNyFTPlistView::DeleteSelected() {
  if (ReadOnly) return;
  std::vector<FtpListRow> kept;
  for (const auto& r : rows_) {
    if (!r.selected) {
      kept.push_back(r);
      continue;
    }
    const std::string path = directory_ + r.name;
    const int code = r.type == "Directory" ? comm_.RemoveDir(path) : comm_.Delete(path);
    if (!ftp_reply::IsSuccess(code)) kept.push_back(r);
  }
  rows_ = std::move(kept);
  Status(comm_.StatusText);
}

int TNyFTPlistView::NewFolder() {
  const std::string name = "Nouveau dossier";
  if (!ftp_reply::IsSuccess(comm_.MakeDir(directory_ + name))) {
    Status(comm_.StatusText);
    return -1;
  }
  for (auto& r : rows_) r.selected = false;
  FtpEntry e;
  e.kind = FtpEntryKind::directory;
  e.name = name;
  e.modified = Now();
  FtpListRow row = RowOf(e);
  row.selected = true;
  rows_.push_back(row);
  Status(comm_.StatusText);
  return static_cast<int>(rows_.size() - 1);
}

bool TNyFTPlistView::RenameRow(size_t row, const std::string& newName) {
  if (row >= rows_.size() || newName.empty() || newName.find('/') != std::string::npos) return false;
  if (newName == rows_[row].name) return true;
  if (!ftp_reply::IsSuccess(comm_.Rename(directory_ + rows_[row].name, directory_ + newName))) {
    Status(comm_.StatusText);
    return false;
  }
  rows_[row].name = newName;
  rows_[row].entry.name = newName;
  return true;
}

std::string TNyFTPlistView::FindFolder(const std::string& name) const {
  for (const auto& r : rows_)
    if (r.type == "Directory" && r.name == name) return "/" + name;
  return {};
}

std::string TNyFTPlistView::FileNameOf(size_t row) const {
  return row < rows_.size() && rows_[row].type == "File" ? rows_[row].name : std::string();
}

void TNyFTPComboBox::ShowPath(const std::string& folder) {
  items_.clear();
  items_.push_back({"/", 0});
  size_t start = 1;
  int indent = 1;
  while (start < folder.size()) {
    const size_t slash = folder.find('/', start);
    if (slash == std::string::npos) break;
    items_.push_back({folder.substr(0, slash + 1), indent++});
    start = slash + 1;
  }
  ItemIndex = static_cast<int>(items_.size()) - 1;
}

void TNyFTPComboBox::Choose(size_t index) {
  if (index >= items_.size() || !List) return;
  ItemIndex = static_cast<int>(index);
  List->SetDirectory(items_[index].path);
}

}  // namespace tolvane
