#include "convert/html_filters.h"

#include <vector>

#include "richtext/markup_reader.h"

namespace tolvane {

const char* EntityName(unsigned char c) { return Latin1EntityName(c); }

void AppendCharacterToHtml(std::string& out, unsigned char c, bool documentCharSet) {
  if (c >= 1 && c <= 31) return;
  switch (c) {
    case '&': out += "&#38;"; return;
    case '<': out += "&lt;"; return;
    case '>': out += "&gt;"; return;
    default: break;
  }
  if (c >= 160 && !documentCharSet) {
    out += '&';
    out += Latin1EntityName(c);
    out += ';';
    return;
  }
  out += static_cast<char>(c);
}

std::string AttributeSafe(std::string_view text) {
  std::string out(text);
  for (auto& ch : out) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"') ch = '\x94';
    else if (c == '\'') ch = '\x92';
    else if (c < 32 || c == '<' || c == '>' || c == 127 || c == '#' || c == '$' || c == '%' || c == '&') ch = ' ';
  }
  return out;
}

std::string FileNameSafe(std::string_view text) {
  std::string out(text);
  for (auto& ch : out) {
    const auto c = static_cast<unsigned char>(ch);
    const bool keep = (c >= 33 && c <= 59) || (c >= 64 && c <= 126) || c >= 128;
    if (!keep) ch = '_';
  }
  return out;
}

std::string HtmlText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    switch (ch) {
      case '&': out += "&#38;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      case '\0': break;
      default: out += ch;
    }
  }
  return out;
}

std::string ContainedPath(std::string_view name) {
  std::vector<std::string> parts;
  std::string part;
  auto flush = [&] {
    // A drive ("C:") or a parent or current folder never names a folder of ours.
    bool drive = part.size() == 2 && part[1] == ':';
    if (!part.empty() && part != "." && part != ".." && !drive) parts.push_back(part);
    part.clear();
  };
  for (char c : name) {
    if (c == '/' || c == '\\') flush();
    else if (c != '\0') part += c;
  }
  flush();
  std::string out;
  for (const auto& p : parts) out += (out.empty() ? "" : "/") + p;
  return out;
}

}  // namespace tolvane
