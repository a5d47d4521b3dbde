// Small pieces the object writers share; not for use outside them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/hex_id.h"

namespace tolvane::html_objects {

// The six low hexadecimal digits of an index, lower case: names of maps and images.
inline std::string Hex6(int32_t value) { return HexDigits(static_cast<uint32_t>(value) & 0xFFFFFFu, 6); }

// A file name as an attribute value: quotes and angle brackets, which would
// end the attribute or a script string around it, are written as escapes of
// the address, which name the same file.
inline std::string UrlSafe(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (char c : name) {
    switch (c) {
      case '"': out += "%22"; break;
      case '\'': out += "%27"; break;
      case '<': out += "%3C"; break;
      case '>': out += "%3E"; break;
      case '\\': out += "%5C"; break;
      case '\0': break;
      default: out += c;
    }
  }
  return out;
}

// Text inside a single-quoted script string that stands in a double-quoted attribute.
inline std::string ScriptString(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\'': out += "\\'"; break;
      case '"': out += "&quot;"; break;
      case '\r':
      case '\n':
      case '\0': break;
      default: out += c;
    }
  }
  return out;
}

inline std::string Number(long long v) { return std::to_string(v); }

// The 8 digits after a marker in author text; a digit that is not
// hexadecimal counts as 0, as everywhere ids are read from such text.
inline uint32_t HexValue(std::string_view digits) {
  uint32_t v = 0;
  for (char c : digits) {
    const int d = HexDigitValue(c);
    v = v * 16 + static_cast<uint32_t>(d < 0 ? 0 : d);
  }
  return v;
}

// The value of the first attribute `head` (its name and '="') in attributes
// the link writer composed; empty when there is none.
inline std::string AttributeValue(std::string_view attributes, std::string_view head) {
  const size_t at = attributes.find(head);
  if (at == std::string_view::npos) return {};
  const size_t start = at + head.size();
  const size_t end = attributes.find('"', start);
  return std::string(attributes.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
}

}  // namespace tolvane::html_objects
