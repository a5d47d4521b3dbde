// The text of a page body as HTML: paragraphs as <div> elements of their
// style's class, character formats as the differences from the paragraph's
// style, characters and entities, and links with their actions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/ansi.h"
#include "convert/file_naming.h"
#include "convert/html_context.h"

namespace tolvane {

class MessageBoxes;
class TYKAoggetto;
class TYKAset;

struct HtmlFont {
  AnsiString face = "Arial";
  int32_t size = 10;
  uint32_t colour = 0;
  uint8_t style = 0;     // 1 bold, 2 italic, 4 underline, 8 strike-out
  uint8_t position = 0;  // 1 subscript, 2 superscript
  bool operator==(const HtmlFont&) const = default;
};

// The text state of one nesting level (the page, or a table cell).
struct THt2State {
  HtmlFont written;
  int32_t left = 10, right = 10, top = 0, bottom = 0, lineHeight = -32000, indent = 0;
  uint8_t unit = 1, alignment = 0, listType = 0;
  int32_t linkSize = -1;
  uint32_t linkColour = 0xFF0000;
  uint8_t linkStyle = 4;
  bool fontTagOpen = false;
};

class THt2StateList {
 public:
  THt2State& Current() { return current_; }
  const THt2State& Current() const { return current_; }
  void Push() { saved_.push_back(current_); }
  // Back to the saved state, keeping the current style bits and position.
  void Pop();

 private:
  THt2State current_;
  std::vector<THt2State> saved_;
};

// The font element for `font` against the paragraph's `base`; empty when
// nothing differs.
std::string FontTagFor(const HtmlFont& font, const HtmlFont& base, bool oldBrowsers);
// A measure in pixels in a display unit: "12mm", "0.5in" rounded, "20px".
std::string CssMeasure(int32_t pixels, int unit, int pixelsPerInch);
std::string RgbHex(uint32_t colour);  // "RRGGBB"

class HtmlTextWriter {
 public:
  HtmlTextWriter(TYKAset& doc, const HtmlExportOptions& options, const FileNaming& naming, HtmlExportContext& context);

  // The tag that begins at markup[pos] ("<Z " ... ">"); returns where it ends.
  size_t ParagraphStart(std::string_view markup, size_t pos, std::string& out);
  size_t FontTag(std::string_view markup, size_t pos);
  void WriteFontChange(std::string& out);
  std::string Closers() const;
  std::string ParagraphEnd() const;
  // "&#160;", the closers and the end of the open paragraph, if one is.
  void CloseParagraph(std::string& out);
  void Character(unsigned char c, std::string& out);
  void LinkStart(const TYKAoggetto& target, std::string& out);
  void LinkEnd(std::string& out);
  // href (and the like) of a link to `target`; also for image-map areas.
  std::string LinkAttributes(const TYKAoggetto& target);

  // The whole text of a body: every tag, character and entity. Object tags
  // other than links are handed to `objects` (null: left out).
  class ObjectWriter {
   public:
    virtual ~ObjectWriter() = default;
    virtual void WriteObject(uint32_t id, std::string& out, HtmlTextWriter& text) = 0;
    virtual void CellEnd(std::string& out, HtmlTextWriter& text) = 0;
    // After the whole text: what the objects still have open (a form).
    virtual void EndOfBody(std::string& /*out*/) {}
  };
  void WriteText(std::string_view markup, std::string& out, ObjectWriter* objects = nullptr);

  THt2StateList& States() { return states_; }
  bool ParagraphOpen() const { return paragraphOpen_; }
  int CurrentStyle() const { return currentStyle_; }

  // For the writers of embedded objects, which share this body's state.
  TYKAset& Document() const { return doc_; }
  const HtmlExportOptions& Options() const { return options_; }
  const FileNaming& Naming() const { return naming_; }
  HtmlExportContext& Context() const { return context_; }
  const TYKAoggetto* CurrentLink() const { return link_; }
  // A table takes over the paragraph it stands in.
  void SetParagraphOpen(bool open) { paragraphOpen_ = open; }
  // Characters and entities written so far: a table cell is empty while it stays.
  uint64_t TextWritten() const { return textWritten_; }

 private:
  std::string PageReference(const TYKAoggetto& link, const TYKAoggetto& target, int32_t anchor);
  std::string SpecialLinkAttributes(const TYKAoggetto& link);
  std::string Features(const TYKAoggetto& link) const;
  std::string PopupCall(const TYKAoggetto& link, const TYKAoggetto& target, int32_t anchor);
  const TYKAoggetto* LinkPage(const TYKAoggetto& link);

  TYKAset& doc_;
  const HtmlExportOptions& options_;
  const FileNaming& naming_;
  HtmlExportContext& context_;
  MessageBoxes& messages_;
  bool charSet_;
  THt2StateList states_;
  HtmlFont paragraphFont_;  // the style's character values
  HtmlFont pendingFont_;
  bool pending_ = false;
  int currentStyle_ = 0;
  bool paragraphOpen_ = false;
  int listCounter_ = 1;
  const TYKAoggetto* link_ = nullptr;
  uint64_t textWritten_ = 0;
  // link look of the paragraph's style, against which a link's own look shows
  int32_t styleLinkSize_ = -1;
  uint32_t styleLinkColour_ = 0xFF0000;
  uint8_t styleLinkStyle_ = 4;
};

}  // namespace tolvane
