// Text helpers for paths, which are UTF-8 (portable: no Windows calls).
#pragma once
#include <string>

// The text after the last backslash or slash (Windows takes either), or
// the whole path when it has none.
std::string FileNameOfPath(const std::string& path);
// The text before the last dot; a name without a dot is returned whole.
std::string StripExtension(const std::string& name);
// Everything up to and including the last "\", "/" or ":"; empty for paths over 260 characters
// (UTF-16 units, as Windows counts).
std::string FolderPart(const std::string& path);
// Everything after the folder part; empty for paths over 260 characters
// (UTF-16 units, as Windows counts).
std::string FilePart(const std::string& path);
// Without leading and trailing blanks (0x20).
std::string TrimBlanks(const std::string& text);
