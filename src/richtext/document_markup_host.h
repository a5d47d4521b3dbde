// Markup read against a document: styles from its style list, objects from a
// page's object index (none until a page provides one).
#pragma once

#include <functional>

#include "richtext/markup_host.h"

namespace tolvane {

class TYKAset;

class DocumentMarkupHost : public MarkupHost {
 public:
  using ObjectLookup = std::function<MarkupObject*(int32_t number)>;
  DocumentMarkupHost(TYKAset& doc, TextMeasurer& measurer, MessageBoxes& messages, ObjectLookup objects = {})
      : doc_(doc), measurer_(measurer), messages_(messages), objects_(std::move(objects)) {}

  const TYKAoggetto* StyleBySlot(int32_t slot) override;
  MarkupObject* ObjectByNumber(int32_t number) override { return objects_ ? objects_(number) : nullptr; }
  TextMeasurer& Measurer() override { return measurer_; }
  int FontCharSet() override;
  MessageBoxes& Messages() override { return messages_; }

 private:
  TYKAset& doc_;
  TextMeasurer& measurer_;
  MessageBoxes& messages_;
  ObjectLookup objects_;
};

}  // namespace tolvane
