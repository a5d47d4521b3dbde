// The export of a hypertext as a web site: the page files in three phases
// (pages, their frame-content versions, the pictures and files they use),
// the shared style sheet, script file and search page, redirect files and
// keyword index pages.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <unordered_set>
#include <string>
#include <vector>

#include "convert/file_naming.h"
#include "convert/html_options.h"
#include "convert/html_page.h"

namespace tolvane {

class FileSystem;
class MessageBoxes;
class TYKAoggetto;
class TYKAset;

class ExportFileWriter;

class TYKAtoHtml {
 public:
  // pag: 0-based index of the item just started, tot: items of the phase,
  // phase 1 pages, 2 frame-content versions, 3 pictures and files.
  using Progress = std::function<void(int pag, int tot, int phase)>;

  // `dataFolder` holds the files beside the program (HtmlModele, Utils).
  TYKAtoHtml(TYKAset& doc, HtmlExportOptions options, std::string dataFolder);
  ~TYKAtoHtml();
  TYKAtoHtml(const TYKAtoHtml&) = delete;
  TYKAtoHtml& operator=(const TYKAtoHtml&) = delete;

  // The folder files are written to; created with its parents.
  bool SetExportPath(const std::string& folder);
  const std::string& ExportPath() const { return exportPath_; }
  // The file on disk of an exported name (document bytes): inside the export
  // folder and named in UTF-8, as file names are here and as browsers ask
  // for them; "" when the name would lead outside.
  std::string LocalPath(const std::string& name) const;
  const HtmlExportOptions& Options() const { return options_; }
  const FileNaming& Naming() const { return naming_; }
  TYKAset& Document() const { return doc_; }
  std::string watermark;
  Progress OnExpProgress;
  HtmlPageWriter::ObjectWriterFactory objectWriter;

  // The listed pages, their frame-content versions and the files they use,
  // the shared files, a redirect file for each page and the keyword pages.
  // False when a file could not be written (the others are written all the same).
  bool ExportPages(const std::vector<int32_t>& pageIds);
  // One page and its frame-content versions, with the shared files; the
  // files it uses are only collected.
  bool ExportPage(int32_t pageId, std::vector<int32_t>& written, std::vector<const TYKAoggetto*>& resources);
  // Every page, for publishing: the files are only collected.
  bool ExportAllPages(std::vector<const TYKAoggetto*>& resources);

  bool WriteStyleSheet();
  bool WriteScriptFile();
  bool WriteSearchPage();
  // One page per keyword, listing the pages that carry it.
  bool WriteKeywordPages();
  std::string KeywordPageName(const TYKAoggetto& keyword) const;
  // The file of a picture or an attached file, written out from the document.
  bool WriteResource(const TYKAoggetto& object);
  // The redirect file of a page with a file name of its own ("" when none),
  // and writing it.
  std::string RedirectFileName(const TYKAoggetto& page);
  bool WriteRedirectFile(const TYKAoggetto& page);

  // Every file the export writes or wrote, relative to the export folder.
  const std::vector<std::string>& WrittenFiles() const { return written_; }

  // The text of the style sheet, the script file and the search page.
  std::string StyleSheetText();
  std::string ScriptFileText();
  std::string SearchPageText(const std::vector<const TYKAoggetto*>& pages);

 private:
  bool WriteFile(const std::string& name, std::string text);
  // The runs hand their files to a writer thread while the next page is made;
  // false when some could not be written (each is reported).
  void BeginWriting();
  bool EndWriting();
  // The folder a file goes into, made when missing; reported when it cannot be.
  bool EnsureFolderOf(const std::string& path);
  bool WritePageFile(const TYKAoggetto& page, int mode, HtmlExportContext& context, bool quiet = false);
  std::vector<const TYKAoggetto*> AllPages() const;
  std::string Expand(std::string_view text);

  TYKAset& doc_;
  HtmlExportOptions options_;
  std::string dataFolder_;
  FileNaming naming_;
  std::string exportPath_;
  std::vector<std::string> written_;
  std::set<std::string> keywordPages_;
  std::unordered_set<std::string> writtenSet_;
  std::unique_ptr<ExportFileWriter> writer_;
};

// A value inside a single-quoted script string.
std::string ScriptText(std::string_view text);

}  // namespace tolvane
