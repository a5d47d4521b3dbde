#include "convert/html_filters.h"

#include <vector>

namespace tolvane {
namespace {

constexpr const char* kEntities[96] = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",   "ordf",
    "laquo",  "not",    "shy",    "reg",
    "macr",  // browsers know no other name for 175
    "deg",    "plusmn", "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
    "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",
    "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",
    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",
    "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",
    "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",    "ntilde",
    "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave", "uacute", "ucirc",  "uuml",
    "yacute", "thorn",  "yuml",
};

}  // namespace

const char* EntityName(unsigned char c) { return c >= 160 ? kEntities[c - 160] : nullptr; }

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
    out += kEntities[c - 160];
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
