// The small page left in the site's folder on the server that says which
// version of the hypertext is published there.
#pragma once

#include <string>
#include <string_view>

namespace tolvane {

// The export's base name in lower case + "_ver.html".
std::string VersionPageName(std::string_view exportBaseName);
// Names the document by its file name only: the page sits on a public server.
std::string VersionPageText(std::string_view documentPath, int version);
// The number after the first "<!--VER=" up to "-->"; -1 when there is none.
int ServerVersionOf(std::string_view pageText);

}  // namespace tolvane
