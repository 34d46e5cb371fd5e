#include "label_search.h"

#include <array>
#include <cstring>
#include <tuple>

namespace {

// Windows-1252 byte -> the byte it is compared as.
constexpr std::array<unsigned char, 256> MakeFoldTable() {
  std::array<unsigned char, 256> fold{};
  for (int c = 0; c < 256; ++c) fold[c] = (unsigned char)c;
  for (int c = 'A'; c <= 'Z'; ++c) fold[c] = (unsigned char)(c + 32);
  // Letters with accents, capital and small, to their bare small letter.
  const struct {
    unsigned char from, to;
  } accented[] = {
      {0x8A, 's'},  {0x9A, 's'}, {0x8E, 'z'}, {0x9E, 'z'}, {0x9F, 'y'}, {0xFF, 'y'},  {0xDD, 'y'},
      {0xFD, 'y'},  {0xC7, 'c'}, {0xE7, 'c'}, {0xD1, 'n'}, {0xF1, 'n'}, {0x8C, 0x9C},  // OE to oe
      {0xC6, 0xE6},                                                                    // AE to ae
      {0xD0, 0xF0},                                                                    // eth
      {0xDE, 0xFE},                                                                    // thorn
  };
  for (const auto& a : accented) fold[a.from] = a.to;
  // The blocks of vowels with grave, acute, circumflex, tilde, diaeresis, ring.
  for (int c = 0xC0; c <= 0xC5; ++c) fold[c] = fold[c + 0x20] = 'a';
  for (int c = 0xC8; c <= 0xCB; ++c) fold[c] = fold[c + 0x20] = 'e';
  for (int c = 0xCC; c <= 0xCF; ++c) fold[c] = fold[c + 0x20] = 'i';
  for (int c = 0xD2; c <= 0xD6; ++c) fold[c] = fold[c + 0x20] = 'o';
  fold[0xD8] = fold[0xF8] = 'o';
  for (int c = 0xD9; c <= 0xDC; ++c) fold[c] = fold[c + 0x20] = 'u';
  return fold;
}

constexpr std::array<unsigned char, 256> kFold = MakeFoldTable();

bool Before(const LabelPlace& a, const LabelPlace& b) {
  return std::tie(a.day, a.block, a.line) < std::tie(b.day, b.block, b.line);
}

}  // namespace

std::string FoldForSearch(const std::string& text) {
  std::string folded(text);
  for (char& c : folded) c = char(kFold[(unsigned char)c]);
  return folded;
}

bool LineContains(const char* text, const std::string& folded) {
  const size_t length = strnlen(text, kMaxLineBytes);
  const size_t n = folded.size();
  if (n == 0) return true;
  if (n > length) return false;
  const unsigned char first = (unsigned char)folded[0];
  for (size_t i = 0; i + n <= length; ++i) {
    if (kFold[(unsigned char)text[i]] != first) continue;
    size_t k = 1;
    while (k < n && kFold[(unsigned char)text[i + k]] == (unsigned char)folded[k]) ++k;
    if (k == n) return true;
  }
  return false;
}

LabelPlace AfterDay(size_t day) { return LabelPlace{day + 1, 0, 0}; }

LabelPlace AfterLine(const LabelPlace& place) {
  return LabelPlace{place.day, place.block, place.line + 1};
}

bool FindLabelLine(const AlmanacLayout& layout, const std::vector<LabelRecord>& records,
                   const std::string& text, const LabelPlace& from, LabelPlace& found) {
  if (text.empty()) return false;
  const std::string folded = FoldForSearch(text);
  // Two rounds: from `from` to the end, then from the start up to `from`.
  for (int round = 0; round < 2; ++round) {
    const LabelPlace start = round == 0 ? from : LabelPlace{};
    for (size_t d = start.day; d < layout.days.size(); ++d) {
      const std::vector<LabelBlock>& blocks = layout.days[d].blocks;
      const bool firstDay = d == start.day;
      for (size_t b = firstDay ? start.block : 0; b < blocks.size(); ++b) {
        const bool firstBlock = firstDay && b == start.block;
        for (size_t k = firstBlock ? start.line : 0; k < blocks[b].lineCount; ++k) {
          const LabelPlace here{d, b, k};
          if (round == 1 && !Before(here, from)) return false;
          if (LineContains(records[blocks[b].firstRecord + k].text, folded)) {
            found = here;
            return true;
          }
        }
      }
    }
  }
  return false;
}
