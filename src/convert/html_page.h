// One page file of the exported site: the head with its metadata and the
// scripts the body turned out to need, the body tag, the shared header and
// footer pages around the page's own text, and the preloading of rollover
// pictures. Also the small page that forwards a page's own file name to it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "convert/file_naming.h"
#include "convert/html_context.h"
#include "convert/html_text.h"

namespace tolvane {

class TYKAset;
class TYKAtesto;

// Page record fields the writer reads that the page's record layout leaves
// unnamed: where they are kept.
namespace page_export_rec {
constexpr size_t kNextSceneDelay = 221;     // u16 seconds (5 in new pages)
constexpr size_t kOnlyInFrameSet = 200;     // u8: 1 = a page opened alone reloads its frame set
}

// Part kinds of a body.
enum BodyPart : int { kBodyContent = 0, kBodyWhole = 1, kBodyFooter = 2, kBodyTagOnly = 6 };

class HtmlPageWriter {
 public:
  using ObjectWriterFactory = std::function<std::unique_ptr<HtmlTextWriter::ObjectWriter>(HtmlTextWriter&)>;
  HtmlPageWriter(TYKAset& doc, const HtmlExportOptions& options, const FileNaming& naming,
                 ObjectWriterFactory objects = {})
      : doc_(doc), options_(options), naming_(naming), objects_(std::move(objects)) {}

  // The whole file of `page` in writer mode `context.writerMode`.
  std::string WritePage(const TYKAtesto& page, HtmlExportContext& context);
  void WriteBody(std::string& out, int part, bool inFrame, HtmlExportContext& context, const TYKAtesto* page);
  // The file that forwards the page's own file name (or the cover's) to its
  // real file; the name written, or empty when the page needs none.
  std::string RedirectFileName(const TYKAtesto& page) const;
  std::string WriteRedirectPage(const TYKAtesto& page);

  // Text appended to every page body (an export's watermark).
  std::string watermark;

 private:
  std::string Title(const TYKAtesto& page);
  const TYKAtesto* SharedPage(const TYKAtesto& page, size_t pageField, size_t docField) const;
  TYKAset& doc_;
  const HtmlExportOptions& options_;
  const FileNaming& naming_;
  ObjectWriterFactory objects_;
};

}  // namespace tolvane
