#include <array>
#include <cstdint>

#include "richtext/markup_reader.h"

namespace tolvane {
namespace {

struct Entity {
  std::string_view name;
  unsigned char code;
};

// In the order they are tried: the first prefix that matches wins.
constexpr std::array<std::string_view, 96> kLatin1 = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",   "ordf",
    "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",   "acute",  "micro",
    "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave",
    "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",
    "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",
    "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute",
    "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave",
    "iacute", "icirc",  "iuml",   "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide",
    "oslash", "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};

constexpr Entity kBasic[] = {{"quot", '"'}, {"amp", '&'}, {"lt", '<'}, {"gt", '>'},
                             {"QUOT", '"'}, {"AMP", '&'}, {"LT", '<'}, {"GT", '>'}};

bool StartsWith(std::string_view data, size_t pos, std::string_view name) {
  return data.size() - pos >= name.size() && data.compare(pos, name.size(), name) == 0;
}

}  // namespace

const char* Latin1EntityName(unsigned char c) { return c >= 160 ? kLatin1[c - 160].data() : nullptr; }

unsigned char DecodeEntity(std::string_view data, size_t& pos) {
  size_t p = pos + 1;  // after '&'
  if (p < data.size() && data[p] == '#') {
    ++p;
    int value = 0, digits = 0;
    while (digits < 3 && p < data.size() && data[p] >= '0' && data[p] <= '9') {
      value = value * 10 + (data[p] - '0');
      ++p;
      ++digits;
    }
    if (p < data.size() && data[p] == ';') ++p;
    pos = p;
    return digits ? static_cast<unsigned char>(value) : 'A';
  }
  for (const auto& e : kBasic)
    if (StartsWith(data, p, e.name)) {
      p += e.name.size();
      if (p < data.size() && data[p] == ';') ++p;
      pos = p;
      return e.code;
    }
  for (size_t i = 0; i < kLatin1.size(); ++i)
    if (StartsWith(data, p, kLatin1[i])) {
      p += kLatin1[i].size();
      if (p < data.size() && data[p] == ';') ++p;
      pos = p;
      return static_cast<unsigned char>(160 + i);
    }
  pos = p;
  return ' ';
}

}  // namespace tolvane
