#include "publish/version_page.h"

#include "common/ansi.h"
#include "common/decimal.h"
#include "common/file_names.h"

namespace tolvane {

std::string VersionPageName(std::string_view exportBaseName) { return AnsiLowerCase(exportBaseName) + "_ver.html"; }

std::string VersionPageText(std::string_view documentPath, int version) {
  std::string name = ExtractFileName(std::string(documentPath));
  // The name must not end the page's markup.
  for (char& c : name)
    if (c == '<' || c == '>' || c == '&') c = '_';
  const std::string v = std::to_string(version);
  return "<HTML><HEAD><TITLE>Version</TITLE></HEAD>\r\n<BODY>TOLVANE. Please don't delete.<BR>\r\nHypertext :" + name +
         "<BR>\r\nVersion   :" + v + "<BR>\r\n<!--VER=" + v + "--><BR>\r\n</BODY>";
}

int ServerVersionOf(std::string_view text) {
  const size_t start = text.find("<!--VER=");
  if (start == std::string_view::npos) return -1;
  const size_t from = start + 8;
  const size_t end = text.find("-->", from);
  if (end == std::string_view::npos) return -1;
  auto v = ParseDecimal(text.substr(from, end - from));
  return v && *v >= -1 && *v <= INT32_MAX ? static_cast<int>(*v) : -1;
}

}  // namespace tolvane
