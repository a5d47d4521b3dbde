// Document-wide settings kept in the header and in the properties object.
#include "common/decimal.h"
#include "model/document.h"

namespace tolvane {

std::string TYKAset::PasswordState() {
  const bool readOnly = header_.U8(hdr::kReadOnly) != 0;
  if (Version() == 1) return readOnly ? "" : ".";
  if (!readOnly) return ".";
  return PasswordDigest();
}

uint8_t TYKAset::FontCharSet() {
  if (fontCharSetCache_ == 255) {
    std::string text = ReadDocProperty("fcharset");
    auto v = ParseDecimal(text);
    fontCharSetCache_ = text.empty() || !v || *v < 0 || *v > 255 ? 1 : static_cast<int>(*v);
  }
  return static_cast<uint8_t>(fontCharSetCache_);
}

void TYKAset::SetFontCharSet(uint8_t value) {
  fontCharSetCache_ = value;
  WriteDocProperty("fcharset", std::to_string(value));
}

std::string TYKAset::ExpPrefix() {
  std::string extended = ReadDocProperty("extendedprefix");
  return AnsiLowerCase(extended.empty() ? header_.Short(hdr::kExportPrefix, 17) : extended);
}

void TYKAset::SetExpPrefix(std::string_view value) {
  header_.SetShort(hdr::kExportPrefix, 17, value.substr(0, 16));
  if (value.size() > 16 || !ReadDocProperty("extendedprefix").empty()) WriteDocProperty("extendedprefix", value);
}

int32_t TYKAset::GlobalMargin() {
  auto v = ParseDecimal(ReadDocProperty("globalmargin"));
  return v && *v >= INT32_MIN && *v <= INT32_MAX ? static_cast<int32_t>(*v) : -1;
}

void TYKAset::SetGlobalMargin(int32_t value) { WriteDocProperty("globalmargin", std::to_string(value)); }

TYKAoggetto* TYKAset::TreeObject(size_t headerField) {
  TYKAoggetto* tree = FindObject(header_.I32(headerField));
  if (header_.I32(headerField) != 0 && tree && tree->Kind() == shortObj && !tree->IsFree()) return tree;
  tree = CreateObject(shortObj);
  if (!tree) return nullptr;
  tree->SetState(10);
  header_.SetI32(headerField, tree->ObjectId());
  return tree;
}

}  // namespace tolvane
