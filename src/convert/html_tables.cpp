// Tables: the table element in place of the paragraph that holds it, then
// one cell per "<T>" of the cells' text that follows the table's tag.
#include "convert/html_objects.h"
#include "convert/html_objects_internal.h"
#include "model/document.h"
#include "model/object.h"
#include "model/table_records.h"

namespace tolvane {

using namespace html_objects;

namespace {

const char* VerticalAlignmentName(uint8_t a) {
  static constexpr const char* kNames[] = {"top", "middle", "bottom"};
  return kNames[a < 3 ? a : 0];
}

void MarkClosed(THt2State& s) {
  s.written.style &= static_cast<uint8_t>(~3u);  // bold and italic
  s.written.position = 0;
  s.fontTagOpen = false;
}

}  // namespace

void HtmlObjectWriter::Table(const TYKAoggetto& o, std::string& out, HtmlTextWriter& text) {
  const TableView t(o);
  cellEmpty_ = false;
  out += text.Closers();
  // What was just closed is closed in the state too, so that the state put
  // back after the table says what is open in the output.
  MarkClosed(text.States().Current());
  const THt2State paragraph = text.States().Current();
  OpenTable entry;
  entry.table = &o;
  entry.rows = t.Rows();
  entry.columns = t.Columns();
  entry.backgrounds = t.CellBackgrounds();
  entry.paragraphWasOpen = text.ParagraphOpen();
  text.States().Push();
  text.States().Current() = THt2State();
  tables_.push_back(std::move(entry));

  out += "<table";
  if (paragraph.alignment == 1) {
    const int ppi = doc_.platform().system.ScreenPixelsPerInch();
    out += " style=\"margin-left:auto;margin-right:" + CssMeasure(paragraph.right, paragraph.unit, ppi) + "\"";
  } else if (paragraph.alignment == 2) {
    out += " style=\"margin-left:auto;margin-right:auto\"";
  }
  out += " width=\"" + (t.WidthInPercent() ? Number(t.WidthPercent()) + "%" : Number(t.FixedWidth())) + "\" border=\"" +
         Number(t.Border()) + "\" cellpadding=\"" + Number(t.Padding()) + "\" cellspacing=\"" + Number(t.Spacing()) +
         "\"" + BackgroundAttribute(t.Background(), doc_, naming_, context_) + Extra(o) + ">\n";
  CellEnd(out, text);
  text.SetParagraphOpen(false);
}

void HtmlObjectWriter::CellEnd(std::string& out, HtmlTextWriter& text) {
  SyncCellEmpty(text);
  if (tables_.empty()) return;  // a "<T>" outside any table
  OpenTable& t = tables_.back();
  const int cell = t.next++;
  if (cell >= t.rows * t.columns) {
    EndTable(out, text);
    return;
  }
  const int column = cell % t.columns;
  if (cell > 0) {
    if (cellEmpty_) out += "&#160;";
    out += text.Closers();
    if (text.ParagraphOpen()) out += text.ParagraphEnd();
    out += column != 0 ? "</td>\n" : "</td></tr>\n";
  }
  if (column == 0) out += "<tr>\n";
  text.States().Current() = THt2State();
  cellEmpty_ = true;
  const TableView view(*t.table);
  out += "<td";
  if (view.ColumnKind(column) == ColumnWidthKind::Percent)
    out += " width=\"" + Number(view.ColumnWidth(column)) + "%\"";
  else if (view.ColumnKind(column) == ColumnWidthKind::Pixels)
    out += " width=\"" + Number(view.ColumnWidth(column)) + "\"";
  out += std::string(" valign=\"") + VerticalAlignmentName(view.VerticalAlignment()) + "\"";
  if (!t.backgrounds.empty()) {
    const int32_t background = static_cast<size_t>(cell) < t.backgrounds.size() ? t.backgrounds[static_cast<size_t>(cell)]
                                                                                : kNoBackground;
    out += " " + BackgroundAttribute(background, doc_, naming_, context_);
  }
  out += ">\n";
  text.SetParagraphOpen(false);
}

void HtmlObjectWriter::EndTable(std::string& out, HtmlTextWriter& text) {
  const OpenTable t = tables_.back();
  tables_.pop_back();
  if (t.rows * t.columns > 0) {
    if (cellEmpty_) out += "&#160;";
    out += "\n" + text.Closers();
    if (text.ParagraphOpen()) out += text.ParagraphEnd();
    out += "</td></tr>";
  }
  out += "</table>";
  text.States().Pop();
  MarkClosed(text.States().Current());
  // The character formats of the paragraph that holds the table were closed
  // before it; only the paragraph itself is still open.
  if (t.paragraphWasOpen) out += text.ParagraphEnd();
  text.SetParagraphOpen(false);
  cellEmpty_ = false;
}

}  // namespace tolvane
