// A document with a few paragraph styles, the fixed-metrics measurer and
// stand-in embedded objects, for reading and writing markup.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "../model/test_support.h"
#include "platform/fakes/fake_text_measurer.h"
#include "platform/fakes/scripted_messages.h"
#include "richtext/document_markup_host.h"
#include "richtext/text_attributes.h"
#include "richtext/markup_reader.h"
#include "richtext/markup_writer.h"
#include "richtext/text_reader.h"
#include "stand_in_object.h"

namespace tolvane::testing {

struct MarkupFixture {
  MarkupFixture() {
    TYKAset& d = *doc.doc;
    d.New();
    // Slot 2: a bold 12-point Verdana style, centred, 5 px margins.
    TYKAoggetto* s = d.CreateObject(stileParagrafo);
    s->SetCaption("Titre");
    SetStyleFace(*s, "Verdana");
    SetStyleValue(*s, FormatField::Size, 12);
    SetStyleValue(*s, FormatField::Style, style_bits::kBold);
    SetStyleValue(*s, FormatField::Alignment, 2);
    SetStyleValue(*s, FormatField::Left, 5);
    titled = s;
    for (int n : {1, 2, 5}) objects[n] = std::make_unique<StandInObject>(n, 30 + n, 20 + n);
    objects[7] = std::make_unique<StandInObject>(7, 100, 40, 2);  // a table of two cells
  }
  MarkupObject* Object(int32_t n) {
    auto it = objects.find(n);
    return it == objects.end() ? nullptr : it->second.get();
  }
  TextParagraphs Read(std::string_view text, bool tablesNotInline = false) {
    TextParagraphs t;
    ReadParagraphs(t.paragraphs, text, kOwnText, host, tablesNotInline);
    return t;
  }
  // Every paragraph in `mode`, then the 0 byte.
  std::string Write(const TextParagraphs& t, int mode = kWriteFull) {
    std::string out;
    for (const auto& p : t.paragraphs) WriteWholeParagraph(*p, out, mode);
    return out + '\0';
  }
  const TYKAoggetto* Style(int slot) { return host.StyleBySlot(slot); }

  DocFixture doc;
  FakeTextMeasurer measurer;
  ScriptedMessages messages;
  std::map<int, std::unique_ptr<StandInObject>> objects;
  DocumentMarkupHost host{*doc.doc, measurer, messages, [this](int32_t n) { return Object(n); }};
  const TYKAoggetto* titled = nullptr;
};

}  // namespace tolvane::testing
