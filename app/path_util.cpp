#include "path_util.h"

#include "../data/utf8.h"

namespace {
constexpr size_t kMaxPathChars = 260;

size_t FolderLength(const std::string& path) {
  size_t cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? 0 : cut + 1;
}
}  // namespace

std::string FileNameOfPath(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string StripExtension(const std::string& name) {
  size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string FolderPart(const std::string& path) {
  if (Utf16Length(path) > kMaxPathChars) return std::string();
  return path.substr(0, FolderLength(path));
}

std::string FilePart(const std::string& path) {
  if (Utf16Length(path) > kMaxPathChars) return std::string();
  return path.substr(FolderLength(path));
}

std::string TrimBlanks(const std::string& text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}
