#include "localisation/localisation_text.h"

#include <vector>

namespace tolvane {
namespace {

constexpr std::string_view kSection = "\xC2\xA7";  // "§" in UTF-8

std::string Lower(std::string_view text) {
  std::string out(text);
  for (auto& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    size_t stop = end;
    if (stop > start && text[stop - 1] == '\r') --stop;
    lines.push_back(text.substr(start, stop - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace

std::string DecodeLocalisedValue(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size();) {
    if (value.compare(i, 2, "''") == 0) {
      out += '\'';
      i += 2;
    } else if (value.substr(i, kSection.size()) == kSection) {
      i += kSection.size();
      if (value.compare(i, 1, "!") == 0) {
        out += "\r\n";
        ++i;
      } else if (value.substr(i, kSection.size()) == kSection) {
        out += kSection;
        i += kSection.size();
      }
      // any other character after it stands for itself; the "§" is dropped
    } else {
      out += value[i++];
    }
  }
  return out;
}

std::string EncodeLocalisedValue(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    if (text.compare(i, 2, "\r\n") == 0) {
      out += kSection;
      out += '!';
      i += 2;
    } else if (text[i] == '\n') {
      out += kSection;
      out += '!';
      ++i;
    } else if (text[i] == '\'') {
      out += "''";
      ++i;
    } else if (text.substr(i, kSection.size()) == kSection) {
      out += kSection;
      out += kSection;
      i += kSection.size();
    } else {
      out += text[i++];
    }
  }
  return out;
}

std::string SimplePropertyKey(std::string_view component, std::string_view property) {
  return Lower("*_*" + std::string(component) + "_" + std::string(property));
}

std::string ListPropertyKey(std::string_view component, std::string_view property, std::string_view name) {
  return Lower("*_." + std::string(component) + "_" + std::string(property) + "*" + std::string(name));
}

LocalisationTable::LocalisationTable(std::string_view text) {
  auto lines = SplitLines(text);
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    if (lines[i].empty() || lines[i][0] != '*') continue;
    std::string_view value = lines[i + 1];
    // The value starts after the blank; the first of two equal keys wins.
    values_.emplace(Lower(lines[i]), DecodeLocalisedValue(value.empty() ? value : value.substr(1)));
  }
}

const std::string* LocalisationTable::Find(std::string_view key) const {
  auto it = values_.find(Lower(key));
  return it == values_.end() ? nullptr : &it->second;
}

}  // namespace tolvane
