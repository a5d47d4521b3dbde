// A page's frame map written as an HTML frameset.
#pragma once

#include <string>

#include "convert/file_naming.h"
#include "convert/html_context.h"
#include "model/frame_map.h"

namespace tolvane {

class TYKAset;

// Every page shown in a frame joins the context's secondary pages: it is
// written in its frame-content version, which the frames name.
void WriteFrameset(const TNonVisCornice& node, std::string& out, TYKAset& doc, const FileNaming& naming,
                   HtmlExportContext& context);

}  // namespace tolvane
