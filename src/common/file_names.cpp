#include "common/file_names.h"

#include <filesystem>

namespace tolvane {

std::string ExtractFileName(std::string_view path) {
  size_t p = path.find_last_of('/');
  return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

std::string ExtractFileDir(std::string_view path) {
  size_t p = path.find_last_of('/');
  if (p == std::string_view::npos) return {};
  if (p == 0) return "/";
  return std::string(path.substr(0, p));
}

std::string ExtractFileExt(std::string_view path) {
  std::string name = ExtractFileName(path);
  size_t p = name.find_last_of('.');
  return p == std::string::npos ? std::string() : name.substr(p);
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
  size_t slash = path.find_last_of('/');
  size_t dot = path.find_last_of('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
    return std::string(path) + std::string(ext);
  return std::string(path.substr(0, dot)) + std::string(ext);
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  if (folder.empty()) return std::string(name);
  std::string out(folder);
  if (out.back() != '/') out += '/';
  out += name;
  return out;
}

std::string MakeValidFileName(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    auto u = static_cast<unsigned char>(c);
    if (u < 32 || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' ||
        c == '<' || c == '>' || c == '|')
      c = '_';
  }
  return out;
}

bool IsPathInside(std::string_view path, std::string_view folder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path p = fs::absolute(fs::path(path), ec).lexically_normal();
  fs::path f = fs::absolute(fs::path(folder), ec).lexically_normal();
  auto fi = f.begin(), pi = p.begin();
  for (; fi != f.end(); ++fi, ++pi) {
    if (fi->empty()) continue;  // trailing separator
    if (pi == p.end() || *pi != *fi) return false;
  }
  return true;
}

}  // namespace tolvane
