// The HTML of the objects a page's text holds: placed pictures with their
// image maps and rollovers, tables and their cells, form fields, buttons and
// form starts, inline frames, sound, video, embed code and objects made from
// prototypes, notes, HTML blocks, window actions and anchors.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/html_references.h"
#include "convert/html_text.h"

namespace tolvane {

class TYKAoggetto;
class TYKAset;
class TYKAtesto;

// A background as tables and cells store it: a colour gives
// ' bgcolor="#RRGGBB"', a picture (0x03000000 + slot) ' background="file"'
// and joins the resources; anything else (-1 among them) nothing.
std::string BackgroundAttribute(int32_t value, const TYKAset& doc, const FileNaming& naming,
                                HtmlExportContext& context);

// The body content of a page (its text and objects, nothing around them), as
// a page that inserts another gets it.
std::string WritePageContent(const TYKAtesto& page, TYKAset& doc, const HtmlExportOptions& options,
                             const FileNaming& naming, HtmlExportContext& context);

// One per body: it keeps the tables being written, whether the current cell
// is still empty, and the forms opened so far.
class HtmlObjectWriter : public HtmlTextWriter::ObjectWriter {
 public:
  // `text` is the writer of the same body; EndOfBody closes in its state.
  explicit HtmlObjectWriter(HtmlTextWriter& text);

  void WriteObject(uint32_t id, std::string& out, HtmlTextWriter& text) override;
  // A cell step: at every "<T>" and once when a table starts. Closes the cell
  // before, opens the next one, and after the last cell closes the table.
  void CellEnd(std::string& out, HtmlTextWriter& text) override;
  // Closes the tables that markup cut short left open, then the last form.
  void EndOfBody(std::string& out) override;

  // Forms opened in this body: the last one is still open when above 0.
  int FormCount() const { return forms_; }

  // The body content of a page that "!RefP:" inserts; unset, WritePageContent.
  std::function<std::string(const TYKAtesto&)> pageBody;

 private:
  struct OpenTable {
    const TYKAoggetto* table = nullptr;
    int next = 0;  // the cell the next step opens
    int rows = 0, columns = 0;
    std::vector<int32_t> backgrounds;
    bool paragraphWasOpen = false;
  };

  void PlacedPicture(const TYKAoggetto& o, std::string& out, HtmlTextWriter& text);
  void ImageMap(const TYKAoggetto& o, std::string& out, HtmlTextWriter& text);
  void Table(const TYKAoggetto& o, std::string& out, HtmlTextWriter& text);
  void EndTable(std::string& out, HtmlTextWriter& text);
  void FormField(const TYKAoggetto& o, std::string& out);
  void IndependentFrame(const TYKAoggetto& o, std::string& out);
  void Button(const TYKAoggetto& o, std::string& out, HtmlTextWriter& text);
  std::string ClickAttributes(const TYKAoggetto& target, HtmlTextWriter& text);
  void FormStart(const TYKAoggetto& o, std::string& out);
  void Multimedia(const TYKAoggetto& o, std::string& out);
  void PrototypeInstance(const TYKAoggetto& o, std::string& out);
  void ShortObject(const TYKAoggetto& o, std::string& out, HtmlTextWriter& text);
  void WindowAction(const TYKAoggetto& o, std::string& out, HtmlTextWriter& text);

  // The object's attribute text with its markers expanded, after one blank;
  // nothing when there is none.
  std::string Extra(const TYKAoggetto& o, const TYKAoggetto* sized = nullptr);
  std::string Expand(std::string_view text, const TYKAoggetto* sized);
  const TYKAoggetto* InUse(int32_t id) const;
  // Characters written by the text writer since the last look make the cell not empty.
  void SyncCellEmpty(const HtmlTextWriter& text);

  HtmlTextWriter& text_;
  TYKAset& doc_;
  const HtmlExportOptions& options_;
  const FileNaming& naming_;
  HtmlExportContext& context_;
  std::vector<OpenTable> tables_;  // innermost last
  bool cellEmpty_ = false;
  uint64_t textSeen_ = 0;
  int forms_ = 0;
  bool misplacedShown_ = false;
};

}  // namespace tolvane
