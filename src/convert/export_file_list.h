// The list of the files an HTML export writes, as the export dialog and the
// publishing window show it: the shared files, one row per page (with its
// frame-content version), the keyword pages and the pictures and files the
// pages use, each with its size and its version (generation).
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tolvane {

class TYKAtoHtml;

enum class TFileSortType { fsName, fsSize, fsType, fsVersion };
enum class TNyListType { ltHtml, ltOneFile, ltManyFiles };

// Ids of the fixed rows.
namespace file_row {
constexpr int32_t kStyleSheet = -1, kScripts = -2, kExportFolder = -3, kSearchPage = -4;
}

struct FileListRow {
  int32_t id = 0;       // the page or resource, or a fixed row
  std::string title;    // "Titre"
  std::string size;     // "Taille": of the exported file when it exists
  std::string type;     // "Type"
  std::string file;     // "Fichier"
  std::string frameSize;  // "Taille" of the frame-content version
  std::string frameFile;  // "Fichier pour le cadre"
  int32_t version = 0;    // "Version"
  bool checked = false;
};

class TYKAListHtmlToTx {
 public:
  static constexpr const char* kColumns[7] = {"Titre", "Taille", "Type", "Fichier", "Taille", "Fichier pour le cadre",
                                              "Version"};
  explicit TYKAListHtmlToTx(TYKAtoHtml& converter) : converter_(converter) {}

  TNyListType listType = TNyListType::ltHtml;
  TFileSortType FileSortType = TFileSortType::fsName;
  // What to show: pages (empty: every page) and resources.
  std::vector<int32_t> objectsToShow;
  std::vector<int32_t> resourcesToShow;
  std::function<void()> OnReload;

  void Refill();
  const std::vector<FileListRow>& Rows() const { return rows_; }
  std::vector<FileListRow>& Rows() { return rows_; }
  // A click on a column header: 0 title, 1 size, 2 type, 6 version.
  void SortByColumn(int column);
  void Sort();

  // ---- what publishing asks
  // The row's file and, when it differs, its frame-content file.
  std::vector<std::string> FileNames(const FileListRow& row) const;
  // Pages whose generation is at least `generation` get one more.
  void MarkChanged(int32_t generation);
  void SetGeneration(const FileListRow& row, int32_t generation);
  // Checks every row whose version is below `version` (and unchecks the others).
  void CheckByVersion(int32_t version);
  void RefreshVersions();

 private:
  int32_t VersionOf(int32_t id) const;
  TYKAtoHtml& converter_;
  std::vector<FileListRow> rows_;
};

}  // namespace tolvane
