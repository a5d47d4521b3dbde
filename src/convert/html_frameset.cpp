#include "convert/html_frameset.h"

#include "common/ansi.h"
#include "common/hex_id.h"
#include "convert/html_filters.h"
#include "model/document.h"
#include "model/object.h"

namespace tolvane {

void WriteFrameset(const TNonVisCornice& node, std::string& out, TYKAset& doc, const FileNaming& naming,
                   HtmlExportContext& context) {
  const FrameRecord& r = node.record;
  if (node.children.empty()) {
    std::string file;
    const TYKAoggetto* page = doc.FindObject(r.page);
    if (page && page->Kind() == testoHtml && !page->IsFree()) {
      file = naming.FileNameOf(*page, 1);
      context.AddSecondaryPage(page);
    } else {
      file = "$" + HexDigits(static_cast<uint32_t>(r.page), 8);
    }
    out += "<FRAME NAME=\"" + HtmlText(r.name.substr(0, 32)) + "\" SRC=\"" + file + "\" SCROLLING=" +
           (r.scrolling ? "auto " : "no ") + (r.frameBorder ? "" : "FRAMEBORDER=no ") +
           (r.resizable ? ">\r\n" : "NORESIZE>\r\n");
    return;
  }
  out += "<FRAMESET ";
  if (r.parent != -1) out += "NAME=\"" + HtmlText(r.name) + "\" ";
  if (r.splitKind == 1 || r.splitKind == 4 || r.splitKind == 5) out += "ROWS=";
  else if (r.splitKind <= 3) out += "COLS=";
  bool first = true;
  for (const auto& c : node.children) {
    if (!first) out += ",";
    first = false;
    const FrameRecord& k = c->record;
    if (k.sizeKind == 0) out += std::to_string(k.percent) + "%";
    else if (k.sizeKind == 1) out += std::to_string(k.pixels);
    else out += "*";
  }
  out += " BORDER=" + std::to_string(r.borderWidth) + " FRAMESPACING=" + std::to_string(r.borderWidth) + " >\r\n";
  for (const auto& c : node.children) WriteFrameset(*c, out, doc, naming, context);
  out += "</FRAMESET>\r\n";
}

}  // namespace tolvane
