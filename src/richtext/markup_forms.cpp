#include "richtext/markup_forms.h"

#include <map>
#include <string_view>

#include "common/hex_id.h"
#include "platform/ui_hooks.h"
#include "richtext/markup_writer.h"

namespace tolvane {
namespace {

constexpr size_t kTagLength = 11;  // "<$" + 8 hex digits + ">"
constexpr size_t kWaitCursorAbove = 1000000;

// The value of the "<$" tag at `pos`, when a whole tag stands there.
std::optional<uint32_t> TagValue(const std::string& text, size_t pos) {
  if (text.size() - pos < kTagLength || text[pos + kTagLength - 1] != '>') return std::nullopt;
  uint32_t v = 0;
  for (size_t i = 0; i < 8; ++i) {
    int d = HexDigitValue(text[pos + 2 + i]);
    v = v * 16 + static_cast<uint32_t>(d < 0 ? 0 : d);
  }
  return v;
}

void Rewrite(std::string& text, size_t pos, uint32_t value) {
  std::string hex;
  if ((value >> 24) == 0xFF) {
    hex = "FF";
    AppendHex(hex, value & 0xFFFFFF, 6);
  } else {
    AppendHex(hex, value, 8);
  }
  text.replace(pos + 2, 8, hex);
}

void Overwrite(std::string& text, size_t pos, size_t length, char with) {
  for (size_t i = 0; i < length; ++i) text[pos + i] = with;
}

bool IsEmbeddedKind(uint32_t kind) {
  return kind == 8 || kind == 11 || kind == 13 || kind == 16 || (kind >= 20 && kind <= 24);
}

// Past the tag at `pos` ('<'), or past a skipped block's closing tag.
size_t SkipTag(const std::string& text, size_t pos) {
  char letter = pos + 1 < text.size() ? text[pos + 1] : '\0';
  if (letter == 'D' || letter == 'F' || letter == 'R') {
    const char closing[3] = {'<', static_cast<char>(letter - 'A' + 'a'), '>'};
    size_t q = text.find(std::string_view(closing, 3), pos + 2);
    return q == std::string::npos ? text.size() : q + 3;
  }
  size_t q = text.find('>', pos + 1);
  return q == std::string::npos ? text.size() : q + 1;
}

}  // namespace

std::string ToWorkingForm(std::string text, WorkingFormHost& host, std::vector<size_t>* embeddedTags) {
  if (text.empty()) text = "<Z S0 >";
  if (text.back() != '\0') text += '\0';
  for (size_t pos = text.find('<'); pos != std::string::npos; pos = text.find('<', pos)) {
    if (pos + 1 >= text.size() || text[pos + 1] != '$') {
      pos = SkipTag(text, pos);
      continue;
    }
    auto value = TagValue(text, pos);
    if (!value) {
      ++pos;
      continue;
    }
    const uint32_t kind = *value >> 24;
    if (kind == 0x6F || kind == 0xFF) {
      // Working ids have no place in a stored text: they would name
      // whatever the page happens to hold at that place.
      Overwrite(text, pos, kTagLength, '!');
    } else if (kind == 1 || kind == 10 || IsEmbeddedKind(kind)) {
      if (!host.IsLiveObject(*value)) {
        Overwrite(text, pos, kTagLength, '!');
      } else if (kind == 1 || kind == 10) {
        Rewrite(text, pos, 0x6F000000u | (host.AddLinkCopy(*value) & 0xFFFFFF));
      } else {
        Rewrite(text, pos, 0xFF000000u | (host.AddEmbeddedCopy(*value) & 0xFFFFFF));
        if (embeddedTags) embeddedTags->push_back(pos);
      }
    }
    pos += kTagLength;
  }
  return text;
}

void ToStoredForm(std::string& text, StoredFormHost& host, UiHooks* ui) {
  std::optional<WaitCursor> wait;
  if (ui && text.size() > kWaitCursorAbove) wait.emplace(*ui);
  std::map<uint32_t, uint32_t> linksDone;
  size_t lastFontTag = std::string::npos, lastFontLength = 0;
  for (size_t pos = text.find('<'); pos != std::string::npos; pos = text.find('<', pos)) {
    const char letter = pos + 1 < text.size() ? text[pos + 1] : '\0';
    if (letter == '$') {
      auto value = TagValue(text, pos);
      if (!value) {
        ++pos;
        continue;
      }
      uint32_t stored = *value;
      const uint32_t kind = *value >> 24;
      if (kind == 0x6F || kind == 0xFF) {
        std::optional<uint32_t> id;
        if (kind == 0x6F) {
          if (auto done = linksDone.find(*value); done != linksDone.end()) id = done->second;
          else if ((id = host.CommitLink(*value & 0xFFFFFF))) linksDone[*value] = *id;
        } else {
          id = host.CommitEmbedded(*value & 0xFFFFFF);
        }
        if (id) {
          stored = *id;
          Rewrite(text, pos, stored);
        } else {
          Overwrite(text, pos, kTagLength, '#');
        }
      }
      if (stored >> 24 == 8) lastFontTag = std::string::npos;  // a table's cells lie between
      pos += kTagLength;
      continue;
    }
    const size_t next = SkipTag(text, pos);
    if (letter == 'Y') {
      const size_t length = next - pos;
      if (lastFontTag != std::string::npos && length == lastFontLength &&
          text.compare(pos, length, text, lastFontTag, length) == 0) {
        Overwrite(text, pos, length, '\x03');
      } else {
        lastFontTag = pos;
        lastFontLength = length;
      }
    } else if (letter == 'Z' || letter == 'T' || letter == 'D' || letter == 'F' || letter == 'R') {
      lastFontTag = std::string::npos;
    }
    pos = next;
  }
}

}  // namespace tolvane
