// Pieces of file paths, with "/" as the folder separator.
#pragma once

#include <string>
#include <string_view>

namespace tolvane {

std::string ExtractFileName(std::string_view path);  // after the last separator
std::string ExtractFileDir(std::string_view path);   // before the last separator, "" if none
std::string ExtractFileExt(std::string_view path);   // ".ext" of the file name, or ""
std::string ChangeFileExt(std::string_view path, std::string_view ext);  // ext with its dot
std::string JoinPath(std::string_view folder, std::string_view name);
// Replaces every character that a file name may not hold (separators, wildcards,
// quotes, control bytes) by '_'.
std::string MakeValidFileName(std::string_view name);
// True when path lies inside folder (both made absolute and normal, no symlink resolution).
bool IsPathInside(std::string_view path, std::string_view folder);

}  // namespace tolvane
