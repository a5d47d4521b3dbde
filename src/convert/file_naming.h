// The file names of a page or a resource as the exported site links them.
// Writer modes: 0 the page, 1 its frame-content version, 2 resource files, 3
// ebook pages; each has its letter after the export prefix.
#pragma once

#include <string>

#include "convert/html_options.h"

namespace tolvane {

class TYKAoggetto;
class TYKAset;

class FileNaming {
 public:
  FileNaming(TYKAset& doc, const HtmlExportOptions& options, std::string exportPrefix)
      : doc_(doc), options_(options), prefix_(std::move(exportPrefix)) {}

  // Empty for kinds that have no file of their own. Never leads outside the
  // export folder.
  std::string FileNameOf(const TYKAoggetto& object, int mode = 0) const;
  const std::string& Prefix() const { return prefix_; }
  static char ModeLetter(int mode);

 private:
  std::string PageName(const TYKAoggetto& page, int mode) const;
  std::string ResourceFolder() const;
  TYKAset& doc_;
  const HtmlExportOptions& options_;
  std::string prefix_;
};

}  // namespace tolvane
