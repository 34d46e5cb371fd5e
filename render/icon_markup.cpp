#include "icon_markup.h"

#include <algorithm>

std::vector<IconHit> FindIconCodes(const char* text, size_t length) {
  std::vector<IconHit> hits;
  if (!text) return hits;
  size_t end = 0;
  while (end < length && text[end] != '\0') ++end;
  auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  for (size_t i = 0; i + 3 < end; ++i) {
    if (text[i] != '\\' || text[i + 1] != '#' || !isDigit(text[i + 2]) || !isDigit(text[i + 3]))
      continue;
    int number = (text[i + 2] - '0') * 10 + (text[i + 3] - '0');
    if (number == 0) continue;  // "\#00" names no picture and stays text
    hits.push_back({number, int(i + 1)});
  }
  // All pictures of one code are drawn before any of the next code, so a
  // later code covers an earlier one where they overlap.
  std::stable_sort(hits.begin(), hits.end(),
                   [](const IconHit& a, const IconHit& b) { return a.number < b.number; });
  return hits;
}
