// Paths inside the program are UTF-8; Windows counts their length in UTF-16
// units (MAX_PATH), so limits are checked in those units (portable).
#pragma once
#include <cstddef>
#include <string>

// True when `text` is well-formed UTF-8 (no stray, overlong or surrogate
// sequences), so that it names the same file after the trip through UTF-16.
bool IsUtf8(const std::string& text);
// The UTF-16 units `text` becomes: 2 for a character beyond U+FFFF, 1 for
// any other character and for each byte that is not part of one.
size_t Utf16Length(const std::string& text);
// The longest start of `text` of at most `bytes` bytes that does not end
// inside a character.
std::string CutUtf8(const std::string& text, size_t bytes);
