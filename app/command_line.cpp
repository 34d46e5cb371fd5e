#include "command_line.h"

#include <algorithm>

std::string ArgumentText(const std::string& commandLine) {
  size_t i = 0;
  const size_t n = commandLine.size();
  if (i < n && commandLine[i] == '"') {
    // A quoted program name runs to the closing quote.
    size_t close = commandLine.find('"', 1);
    i = close == std::string::npos ? n : close + 1;
  }
  // Any rest of the name up to the first blank (also after a closing quote).
  while (i < n && commandLine[i] != ' ' && commandLine[i] != '\t') ++i;
  while (i < n && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
  return commandLine.substr(i);
}

std::string WithoutQuotes(const std::string& text) {
  std::string out = text;
  out.erase(std::remove(out.begin(), out.end(), '"'), out.end());
  return out;
}
