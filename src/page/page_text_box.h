// What the page asks of the box that shows its working copy's text: take the
// shared header, the page's own text and the shared footer, give back the
// page's own paragraphs, and let the search and the anchors walk them. The
// editing box implements it; until a page has one, MarkupTextBox holds the
// paragraphs read from the markup and writes them back unchanged.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/control.h"
#include "richtext/text_reader.h"

namespace tolvane {

class PageTextBox {
 public:
  virtual ~PageTextBox() = default;
  virtual Control& AsControl() = 0;
  virtual void LoadText(std::string_view leading, std::string_view own, std::string_view trailing) = 0;
  // The own paragraphs as markup, ended by the 0 byte.
  virtual std::string SaveText() = 0;
  virtual TextParagraphs& Paragraphs() = 0;
  virtual bool Modified() const = 0;
  // Puts the caret at (paragraph, character), selects `length` characters
  // and brings them into view.
  virtual void Select(int paragraph, int character, int length) = 0;
};

class MarkupTextBox : public Control, public PageTextBox {
 public:
  explicit MarkupTextBox(MarkupHost& host) : host_(host) {}
  Control& AsControl() override { return *this; }
  void LoadText(std::string_view leading, std::string_view own, std::string_view trailing) override {
    text_ = ReadText(leading, own, trailing, host_);
  }
  std::string SaveText() override { return tolvane::SaveText(text_); }
  TextParagraphs& Paragraphs() override { return text_; }
  bool Modified() const override { return modified; }
  void Select(int paragraph, int character, int length) override {
    selection = {paragraph, character, length};
    SetFocus();
  }
  struct Selection {
    int paragraph = -1, character = -1, length = 0;
  } selection;
  bool modified = false;

 private:
  MarkupHost& host_;
  TextParagraphs text_;
};

}  // namespace tolvane
