// Writing paragraphs as markup.
#pragma once

#include <cstddef>
#include <string>

#include "richtext/paragraph.h"

namespace tolvane {

enum WriteMode : int {
  kWriteFull = 0,      // saving, copying, converters: tables with their cells inline
  kWriteSnapshot = 1,  // undo snapshots, measuring again: bare table tags
  kWriteJoin = 2,      // the second paragraph of a join: a font tag instead of the paragraph tag
  kWriteDeletion = 3,  // undo of a deletion: the whole paragraph, cells of tables in the range
};

// Characters start..end-1 (end -1: to the end) with the paragraph's head
// first, appended to `out`; returns the bytes written.
size_t WriteParagraph(const TYKAparag& p, std::string& out, int mode, int start, int end);
inline size_t WriteWholeParagraph(const TYKAparag& p, std::string& out, int mode = kWriteFull) {
  return WriteParagraph(p, out, mode, 0, static_cast<int>(p.text.size()));
}

// Parameter forms shared with the other writers of markup.
void AppendColourParameter(std::string& out, char letter, uint32_t colour);
void AppendIntegerParameter(std::string& out, char letter, int64_t value);
void AppendHex(std::string& out, uint32_t value, int digits);

}  // namespace tolvane
