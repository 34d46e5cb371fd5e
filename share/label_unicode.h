// Label text (Windows-1252 bytes with icon codes) to and from Unicode text
// (UTF-8), for calendars shared with other programs. Portable.
#pragma once
#include <string>
#include <string_view>

// The UTF-8 text icon `number` (1..99) shows: an emoji, or the flag's
// regional-indicator pair for 9 (Spain) and 22 (United States).
const char* IconUnicode(int number);

// Exactly the bytes as written, codes included: each Windows-1252 byte
// becomes its character, the five bytes the code page leaves undefined their
// C1 control characters, and control bytes other than tab the visible
// "control picture" symbols (U+2401..), which calendar text may hold.
std::string ExactUnicode(std::string_view label);
// The inverse of ExactUnicode, which also takes U+2420 and U+2409 (the
// symbols for space and tab) as those bytes. False when `text` holds a
// character that no Windows-1252 byte stands for.
bool ExactLabelText(std::string_view text, std::string& label);

// What a person reads: as ExactUnicode, but every icon code becomes the
// character or sequence of its picture.
std::string ReadableUnicode(std::string_view label);

// Text written by any program, as label text: characters of Windows-1252
// stay; an icon's character (or sequence) becomes its code; others become
// their closest Windows-1252 form (an accent dropped, a dash or space made
// plain) or '?', and each of those adds one to `changed`. Line breaks stay.
// Text that is not valid UTF-8 has each bad byte changed to '?'.
std::string LabelTextFromUnicode(std::string_view text, int& changed);

// True when `text` is well-formed UTF-8 (no overlong forms or surrogates).
bool IsValidUtf8(std::string_view text);

// Appends code point `c` to `out` in UTF-8.
void AppendUtf8(std::string& out, char32_t c);
