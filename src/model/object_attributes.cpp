// The attribute stream (a length-prefixed binary part, then name="value" text)
// and the property bag of key/value objects.
#include <cstring>

#include "model/object.h"

namespace tolvane {
namespace {

// Walks an attribute text and hands every complete name/value pair to `pair`.
template <typename F>
void ScanAttributes(std::string_view text, F pair) {
  std::string name, value;
  bool seenEquals = false;
  char quote = 0;
  auto endPair = [&] {
    if (!name.empty() || seenEquals) pair(name, value);
    name.clear();
    value.clear();
    seenEquals = false;
  };
  for (char ch : text) {
    auto c = static_cast<unsigned char>(ch);
    if (quote) {
      if (ch == quote) {
        quote = 0;
        endPair();
      } else {
        value += ch;
      }
      continue;
    }
    if ((ch == '"' || ch == '\'') && seenEquals && value.empty()) {
      quote = ch;
      continue;
    }
    if (ch == '=') {
      seenEquals = true;
      continue;
    }
    if (c == 0 || ch == '\r' || ch == '\n' || ch == ' ') {
      endPair();
      continue;
    }
    if (c > 31) (seenEquals ? value : name) += ch;
    // Other bytes from 1 to 31 (tab among them) are skipped.
  }
  endPair();
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

}  // namespace

std::string EncodeLineBreaks(std::string_view value) {
  std::string out(value);
  for (char& c : out) {
    if (c == '\r') c = '\x02';
    else if (c == '\n') c = '\x03';
  }
  return out;
}

std::string DecodeLineBreaks(std::string_view value) {
  std::string out(value);
  for (char& c : out) {
    if (c == '\x02') c = '\r';
    else if (c == '\x03') c = '\n';
  }
  return out;
}

Bytes TYKAoggetto::AttributeBinary() const {
  if (!attributes_ || attributes_->size() < 4) return {};
  size_t len = std::min<size_t>(GetU32(attributes_->data(), 0), attributes_->size() - 4);
  return Bytes(attributes_->begin() + 4, attributes_->begin() + 4 + static_cast<std::ptrdiff_t>(len));
}

std::string TYKAoggetto::AttributeText() const {
  if (!attributes_ || attributes_->size() < 4) return {};
  size_t len = std::min<size_t>(GetU32(attributes_->data(), 0), attributes_->size() - 4);
  return std::string(reinterpret_cast<const char*>(attributes_->data() + 4 + len),
                     attributes_->size() - 4 - len);
}

void TYKAoggetto::SetAttributeBinary(const Bytes& binary) {
  std::string text = AttributeText();
  Bytes stream;
  ByteWriter w(stream);
  w.U32(static_cast<uint32_t>(binary.size()));
  w.Raw(binary);
  w.Text(text);
  attributes_ = std::move(stream);
}

std::optional<std::string> TYKAoggetto::ReadAttribute(std::string_view name) const {
  if (kind_ == custom) return std::nullopt;
  std::string text = AttributeText();
  if (AnsiSameText(name, "allfields")) return text;
  if (!attributes_) return std::nullopt;
  std::string wanted = AnsiLowerCase(name);
  std::optional<std::string> found;
  ScanAttributes(text, [&](const std::string& n, const std::string& v) {
    if (AnsiLowerCase(n) == wanted) found = DecodeLineBreaks(v);
  });
  return found;
}

std::vector<std::string> TYKAoggetto::AttributeLines() const {
  std::vector<std::string> lines;
  if (kind_ == custom) return lines;
  ScanAttributes(AttributeText(), [&](const std::string& n, const std::string& v) {
    lines.push_back(AnsiLowerCase(n) + "=\"" + v + "\"");
  });
  return lines;
}

std::vector<TYKAobjData> TYKAoggetto::AttributePairs() const {
  std::vector<TYKAobjData> pairs;
  if (kind_ == custom) return pairs;
  ScanAttributes(AttributeText(), [&](const std::string& n, const std::string& v) {
    pairs.push_back(TYKAobjData{AnsiLowerCase(n), DecodeLineBreaks(v)});
  });
  return pairs;
}

void TYKAoggetto::WriteAttribute(std::string_view name, std::string_view value) {
  if (kind_ == custom) return;
  std::string lowerName = AnsiLowerCase(name);
  std::string pair = lowerName + "=\"" + EncodeLineBreaks(value) + "\"";
  if (!attributes_ || attributes_->size() < 4) {
    Bytes stream;
    ByteWriter w(stream);
    w.U32(0);
    w.Text(pair);
    attributes_ = std::move(stream);
    return;
  }
  std::vector<std::string> lines = SplitLines(AttributeText());
  std::string prefix = lowerName + "=";
  bool replaced = false;
  for (auto& line : lines) {
    if (AnsiStartsWithText(line, prefix)) {
      line = pair;
      replaced = true;
      break;
    }
  }
  if (!replaced) {
    attributes_->insert(attributes_->end(), pair.begin(), pair.end());
    return;
  }
  Bytes stream;
  ByteWriter w(stream);
  Bytes binary = AttributeBinary();
  w.U32(static_cast<uint32_t>(binary.size()));
  w.Raw(binary);
  for (const auto& line : lines) {
    w.Text(line);
    w.Text("\r\n");
  }
  attributes_ = std::move(stream);
}

void TYKAoggetto::WriteFieldData(std::string& out) const {
  if (kind_ == dbloc) {
    const auto& props = Properties();
    for (size_t i = 0; i + 1 < props.size(); i += 2)
      out += props[i] + "=\"" + DecodeLineBreaks(props[i + 1]) + "\"\r\n";
    out += "_idname=\"" + HtmlName() + "\"\r\n";
  }
  if (kind_ != custom) out += AttributeText();
}

std::vector<std::string>& TYKAoggetto::Properties() const {
  if (!properties_) {
    properties_ = std::make_unique<std::vector<std::string>>();
    Bytes content;
    if (ReadContent(content)) *properties_ = SplitLines(AsText(content));
  }
  return *properties_;
}

void TYKAoggetto::StoreProperties() {
  std::string text;
  for (const auto& line : *properties_) {
    text += line;
    text += "\r\n";
  }
  auto keep = std::move(properties_);
  SetContentText(text);
  properties_ = std::move(keep);
}

std::string TYKAoggetto::ReadProperty(std::string_view key) const {
  if (kind_ != dbloc) return {};
  std::string wanted = AnsiLowerCase(key);
  const auto& props = Properties();
  for (size_t i = 0; i + 1 < props.size(); i += 2)
    if (AnsiLowerCase(props[i]) == wanted) return DecodeLineBreaks(props[i + 1]);
  return {};
}

std::vector<std::pair<std::string, std::string>> TYKAoggetto::PropertyPairs() const {
  std::vector<std::pair<std::string, std::string>> pairs;
  if (kind_ != dbloc) return pairs;
  const auto& props = Properties();
  for (size_t i = 0; i + 1 < props.size(); i += 2) pairs.emplace_back(props[i], DecodeLineBreaks(props[i + 1]));
  return pairs;
}

bool TYKAoggetto::WriteProperty(std::string_view key, std::string_view value) {
  if (kind_ != dbloc) return false;
  std::string wanted = AnsiLowerCase(key);
  auto& props = Properties();
  for (size_t i = 0; i + 1 < props.size(); i += 2) {
    if (AnsiLowerCase(props[i]) != wanted) continue;
    if (value.empty()) props.erase(props.begin() + static_cast<std::ptrdiff_t>(i), props.begin() + static_cast<std::ptrdiff_t>(i) + 2);
    else props[i + 1] = EncodeLineBreaks(value);
    StoreProperties();
    return true;
  }
  if (!value.empty()) {
    // A bag with an odd line count has a dangling key; it is dropped so pairs stay aligned.
    if (props.size() % 2) props.pop_back();
    props.push_back(wanted);
    props.push_back(EncodeLineBreaks(value));
  }
  StoreProperties();
  return true;
}

}  // namespace tolvane
