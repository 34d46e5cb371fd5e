// The command line: an optional path of a .zanual file.
#pragma once
#include <string>

// The whole text after the program name (quoted or not) and the blanks
// after it; the rest unchanged, blanks included.
std::string ArgumentText(const std::string& commandLine);
// The text with every double quote removed.
std::string WithoutQuotes(const std::string& text);
