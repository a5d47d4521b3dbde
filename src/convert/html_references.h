// The reference markers inside HTML the author wrote (extra attributes of
// objects, HTML blocks, embed code, a page's head text): "!Ref" + a letter +
// ":" and, for most, the 8 hexadecimal digits of an object id. Export puts
// the exported address, size or text of what they name in their place.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "convert/file_naming.h"
#include "convert/html_context.h"
#include "convert/html_options.h"

namespace tolvane {

class TYKAoggetto;
class TYKAset;
class TYKAtesto;

struct ReferenceScope {
  TYKAset& doc;
  const HtmlExportOptions& options;
  const FileNaming& naming;
  HtmlExportContext& context;
  // The multimedia object being written, whose size "!RefX:" and "!RefY:" give.
  const TYKAoggetto* sized = nullptr;
  // The body content of a page for "!RefP:"; unset, the object writer's own
  // walk of the page's text writes it.
  std::function<std::string(const TYKAtesto&)> pageBody;
};

// "!RefI:", "!RefL:", "!RefF:" + id: the object's file (objects other than
// pages join the resources); "!RefP:" + id: a page's body content;
// "!RefX:", "!RefY:" + 8 characters: the size of `scope.sized` with its unit;
// "!RefN:": the current page's file name without extension; "!RefK:" + n: the
// current page's keywords as links of class s<n>. Ids that name no object give
// nothing; any other "!Ref", and a marker cut short by the end of the text,
// is copied.
std::string ExpandReferences(std::string_view text, const ReferenceScope& scope);

// Width or height with its unit: "120", or "50%" when the size is a percent.
std::string SizeWithUnit(int value, bool percent);

}  // namespace tolvane
