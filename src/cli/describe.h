// What `tolvane-cli info` prints about a document: the header fields, one row
// per kind and one row per object, as a table or as JSON.
#pragma once

#include <string>

namespace tolvane {

class TYKAset;

std::string DescribeJson(TYKAset& doc);
std::string DescribeText(TYKAset& doc);

}  // namespace tolvane
