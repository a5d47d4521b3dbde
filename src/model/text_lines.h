// Splitting the line lists kept in content blobs.
#pragma once

#include <string_view>
#include <vector>

namespace tolvane {

// LF ends a line and a CR just before it is dropped, so LF and CR LF files read
// alike. Text after the last LF is a line of its own; nothing after a final LF
// is not a line.
inline std::vector<std::string_view> SplitLfLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    const size_t next = end == std::string_view::npos ? text.size() : end + 1;
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = next;
  }
  return lines;
}

}  // namespace tolvane
