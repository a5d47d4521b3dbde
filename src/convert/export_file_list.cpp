#include "convert/export_file_list.h"

#include <algorithm>

#include "common/ansi.h"
#include "common/file_names.h"
#include "convert/html_filters.h"
#include "convert/site_export.h"
#include "model/document.h"
#include "model/object.h"
#include "platform/file_system.h"

namespace tolvane {
namespace {

int64_t Number(const std::string& s) { return s.empty() ? -1 : std::stoll(s); }

}  // namespace

int32_t TYKAListHtmlToTx::VersionOf(int32_t id) const {
  TYKAset& doc = converter_.Document();
  if (id < 0) return doc.SaveCounter();
  const TYKAoggetto* o = doc.FindObject(id);
  if (!o) return 0;
  if (o->Kind() != keyword) return o->GetGeneration();
  // A keyword page changes with the pages that carry the keyword.
  int32_t version = 0;
  for (int s = 0; s < doc.KindCount(testoHtml); ++s) {
    const TYKAoggetto* p = doc.ObjectAt(testoHtml, s);
    if (!p || p->IsFree()) continue;
    for (int k = 0; k < page_rec::kKeywordCount; ++k)
      if (p->I32(page_rec::kKeywords + 4 * static_cast<size_t>(k)) == id) version = std::max(version, p->GetGeneration());
  }
  return version;
}

void TYKAListHtmlToTx::Refill() {
  TYKAset& doc = converter_.Document();
  FileSystem& fs = doc.platform().files;
  const FileNaming& naming = converter_.Naming();
  const std::string prefix = ContainedPath(naming.Prefix());
  auto sizeOf = [&](const std::string& name) -> std::string {
    if (converter_.ExportPath().empty() || name.empty()) return {};
    const std::string path = converter_.LocalPath(name);
    if (path.empty()) return {};
    auto size = fs.FileSize(path);
    return size ? std::to_string(*size) : std::string();
  };
  rows_.clear();
  const bool html = listType == TNyListType::ltHtml;
  if (html) {
    for (auto [id, title, file, type] :
         {std::tuple{file_row::kStyleSheet, "Styles du texte", prefix + "_style.css", "CSS"},
          std::tuple{file_row::kSearchPage, "Rechercher", std::string("search-tolvane.htm"), "JS"},
          std::tuple{file_row::kScripts, "Panier  / Scripts", prefix + "_js.js", "JS"}}) {
      FileListRow r;
      r.id = id;
      r.title = title;
      r.file = file;
      r.type = type;
      r.size = sizeOf(file);
      r.version = VersionOf(id);
      rows_.push_back(r);
    }
  }
  std::vector<const TYKAoggetto*> pages;
  if (objectsToShow.empty()) {
    for (int s = 0; s < doc.KindCount(testoHtml); ++s)
      if (const TYKAoggetto* p = doc.ObjectAt(testoHtml, s); p && !p->IsFree()) pages.push_back(p);
  } else {
    for (int32_t id : objectsToShow)
      if (const TYKAoggetto* p = doc.FindObject(id); p && p->Kind() == testoHtml && !p->IsFree()) pages.push_back(p);
  }
  for (const TYKAoggetto* p : pages) {
    FileListRow r;
    r.id = p->ObjectId();
    r.title = p->ObjectCaption();
    r.type = "Page";
    r.version = p->GetGeneration();
    if (html) {
      r.file = naming.FileNameOf(*p, 0);
      r.size = html ? sizeOf(r.file) : std::string();
      if (html) {
        const std::string frame = naming.FileNameOf(*p, 1);
        if (const std::string s = sizeOf(frame); !s.empty()) {
          r.frameFile = frame;
          r.frameSize = s;
        }
      }
    }
    rows_.push_back(r);
  }
  if (html) {
    for (int s = 0; s < doc.KindCount(keyword); ++s) {
      const TYKAoggetto* word = doc.ObjectAt(keyword, s);
      if (!word || word->IsFree()) continue;
      FileListRow r;
      r.id = word->ObjectId();
      r.title = word->ObjectCaption();
      r.type = "Mot cl\xE9";
      r.file = converter_.KeywordPageName(*word);
      if (r.file.empty()) continue;
      r.size = sizeOf(r.file);
      r.version = VersionOf(r.id);
      rows_.push_back(r);
    }
    for (int32_t id : resourcesToShow) {
      const TYKAoggetto* o = doc.FindObject(id);
      if (!o || o->IsFree() || (o->Kind() != immagine && o->Kind() != genLink)) continue;
      FileListRow r;
      r.id = id;
      r.title = o->ObjectCaption();
      r.type = o->Kind() == immagine ? "Image" : "Fichier";
      r.file = naming.FileNameOf(*o, 2);
      r.size = std::to_string(o->ContentSize());
      r.version = o->GetGeneration();
      rows_.push_back(r);
    }
  }
  Sort();
  if (OnReload) OnReload();
}

void TYKAListHtmlToTx::Sort() {
  auto byTitle = [](const FileListRow& a, const FileListRow& b) { return AnsiLowerCase(a.title) < AnsiLowerCase(b.title); };
  switch (FileSortType) {
    case TFileSortType::fsName: std::stable_sort(rows_.begin(), rows_.end(), byTitle); break;
    case TFileSortType::fsSize:
      std::stable_sort(rows_.begin(), rows_.end(),
                       [](const FileListRow& a, const FileListRow& b) { return Number(a.size) < Number(b.size); });
      break;
    case TFileSortType::fsType:
      std::stable_sort(rows_.begin(), rows_.end(), [&](const FileListRow& a, const FileListRow& b) {
        return a.type != b.type ? a.type < b.type : byTitle(a, b);
      });
      break;
    case TFileSortType::fsVersion:
      std::stable_sort(rows_.begin(), rows_.end(), [&](const FileListRow& a, const FileListRow& b) {
        if (a.version != b.version) return a.version < b.version;
        if (a.file != b.file) return a.file < b.file;
        return byTitle(a, b);
      });
      break;
  }
}

void TYKAListHtmlToTx::SortByColumn(int column) {
  switch (column) {
    case 0: FileSortType = TFileSortType::fsName; break;
    case 1: FileSortType = TFileSortType::fsSize; break;
    case 2: FileSortType = TFileSortType::fsType; break;
    case 6: FileSortType = TFileSortType::fsVersion; break;
    default: return;
  }
  Sort();
}

std::vector<std::string> TYKAListHtmlToTx::FileNames(const FileListRow& row) const {
  std::vector<std::string> names;
  if (!row.file.empty()) names.push_back(row.file);
  if (!row.frameFile.empty() && row.frameFile != row.file) names.push_back(row.frameFile);
  return names;
}

void TYKAListHtmlToTx::MarkChanged(int32_t generation) {
  TYKAset& doc = converter_.Document();
  for (auto& r : rows_) {
    TYKAoggetto* o = r.id >= 0 ? doc.FindObject(r.id) : nullptr;
    if (!o || o->Kind() != testoHtml || o->GetGeneration() < generation) continue;
    o->SetGeneration(o->GetGeneration() + 1);
    r.version = o->GetGeneration();
  }
}

void TYKAListHtmlToTx::SetGeneration(const FileListRow& row, int32_t generation) {
  if (TYKAoggetto* o = row.id >= 0 ? converter_.Document().FindObject(row.id) : nullptr) o->SetGeneration(generation);
  RefreshVersions();
}

void TYKAListHtmlToTx::CheckByVersion(int32_t version) {
  for (auto& r : rows_)
    if (r.version < version) r.checked = true;
}

void TYKAListHtmlToTx::RefreshVersions() {
  for (auto& r : rows_) r.version = VersionOf(r.id);
}

}  // namespace tolvane
