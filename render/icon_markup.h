// The icon codes of label text: a backslash, a number sign and two digits
// 01..99 stand for icon picture 1..99 (portable).
#pragma once
#include <cstddef>
#include <vector>

struct IconHit {
  int number;    // 1..99
  int position;  // 1-based character position of the code's backslash
};

// Every code in the first `length` bytes of `text` (stops early at a NUL),
// in drawing order: ascending icon number, then left to right.
std::vector<IconHit> FindIconCodes(const char* text, size_t length);
