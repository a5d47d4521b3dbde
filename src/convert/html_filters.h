// Turning the document's bytes into HTML text and into file names.
#pragma once

#include <string>
#include <string_view>

namespace tolvane {

// One character of the text: control bytes vanish, & < > are escaped, and
// 160..255 become named entities unless the document declares its own
// character set (then they are written as they are).
void AppendCharacterToHtml(std::string& out, unsigned char c, bool documentCharSet);
// The entity name of 160..255 ("nbsp" ... "yuml"), or null.
const char* EntityName(unsigned char c);

// Text the writer composes into an attribute of its own: quotes become the
// typographic ones, markup and control bytes blanks.
std::string AttributeSafe(std::string_view text);
// Bytes 33..59, 64..126 and 128..255 stay; all others become "_".
std::string FileNameSafe(std::string_view text);
// Plain text (titles, captions, alt texts) for an element or a quoted attribute.
std::string HtmlText(std::string_view text);

// A file name made from user text, kept inside the export folder: "\" and
// "/" separate folders, and empty, "." and ".." parts, drive letters and
// NUL bytes are dropped. Empty when nothing is left.
std::string ContainedPath(std::string_view name);

}  // namespace tolvane
