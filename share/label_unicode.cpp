#include "label_unicode.h"

#include <algorithm>
#include <vector>

namespace {

const char* const kIconText[99] = {
#include "../resources/icons/icon_chars.inc"
};

// Windows-1252 bytes 0x80..0x9F; the five the code page leaves undefined
// keep their C1 control characters, as Windows itself converts them.
constexpr char16_t kHighHalf[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char32_t kControlPictures = 0x2400;  // U+2401 stands for byte 0x01, and so on
constexpr char32_t kDeletePicture = 0x2421;
constexpr char32_t kSpacePicture = 0x2420;  // for blanks a reader would trim

bool IsControlByte(unsigned char b) { return (b < 0x20 && b != '\t') || b == 0x7F; }

char32_t CodePointOfByte(unsigned char b) {
  if (b >= 0x80 && b < 0xA0) return kHighHalf[b - 0x80];
  if (b == 0x7F) return kDeletePicture;
  if (IsControlByte(b)) return kControlPictures + b;
  return b;
}

// The byte for `c` in the exact mapping, or -1.
int ByteOfCodePoint(char32_t c) {
  if (c < 0x80) return IsControlByte(uint8_t(c)) ? -1 : int(c);
  if (c >= 0xA0 && c <= 0xFF) return int(c);
  if (c > kControlPictures && c < kControlPictures + 0x20) return int(c - kControlPictures);
  if (c == kDeletePicture) return 0x7F;
  if (c == kSpacePicture) return ' ';
  for (int i = 0; i < 32; ++i)
    if (kHighHalf[i] == c) return 0x80 + i;
  return -1;
}

// Reads one code point at `i` and moves past it; false (and one byte on)
// for a malformed sequence.
bool NextCodePoint(std::string_view s, size_t& i, char32_t& c) {
  unsigned char b = uint8_t(s[i]);
  if (b < 0x80) {
    c = b;
    ++i;
    return true;
  }
  int more = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
  if (more < 0 || b > 0xF4 || i + size_t(more) >= s.size()) {
    ++i;
    return false;
  }
  char32_t value = b & (0x3F >> more);
  for (int k = 1; k <= more; ++k) {
    unsigned char t = uint8_t(s[i + size_t(k)]);
    if ((t & 0xC0) != 0x80) {
      ++i;
      return false;
    }
    value = (value << 6) | (t & 0x3F);
  }
  static constexpr char32_t kSmallest[4] = {0, 0x80, 0x800, 0x10000};
  if (value < kSmallest[more] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    ++i;
    return false;
  }
  c = value;
  i += size_t(more) + 1;
  return true;
}

// Position of an icon code "\#NN" (01..99) at `i`, its number or 0.
int IconCodeAt(std::string_view s, size_t i) {
  if (i + 4 > s.size() || s[i] != '\\' || s[i + 1] != '#') return 0;
  char d1 = s[i + 2], d2 = s[i + 3];
  if (d1 < '0' || d1 > '9' || d2 < '0' || d2 > '9') return 0;
  return (d1 - '0') * 10 + (d2 - '0');
}

constexpr char32_t kVariationText = 0xFE0E, kVariationEmoji = 0xFE0F, kJoiner = 0x200D;

// Marks that belong to the character before them: variation selectors, skin
// tones, combining accents, the keycap and tag characters.
bool IsClusterMark(char32_t c) {
  return (c >= 0x0300 && c <= 0x036F) || c == kVariationText || c == kVariationEmoji ||
         (c >= 0x1F3FB && c <= 0x1F3FF) || c == 0x20E3 || (c >= 0xE0020 && c <= 0xE007F);
}

// The icons' texts without the emoji variation selector, longest first so
// that the flags (two characters) win over anything shorter.
struct IconPattern {
  std::string text;
  int number;
};
const std::vector<IconPattern>& IconPatterns() {
  static const std::vector<IconPattern> patterns = [] {
    std::vector<IconPattern> list;
    for (int n = 1; n <= 99; ++n) {
      std::string text = kIconText[n - 1];
      const std::string selector = "\xEF\xB8\x8F";  // U+FE0F
      if (text.size() > selector.size() &&
          text.compare(text.size() - selector.size(), selector.size(), selector) == 0)
        text.resize(text.size() - selector.size());
      list.push_back({text, n});
    }
    std::stable_sort(list.begin(), list.end(), [](const IconPattern& a, const IconPattern& b) {
      return a.text.size() > b.text.size();
    });
    return list;
  }();
  return patterns;
}

// The precomposed Windows-1252 letters as base letter and combining accent.
struct Composed {
  unsigned char byte;
  char base;
  char16_t mark;
};
constexpr char16_t kGrave = 0x300, kAcute = 0x301, kCircumflex = 0x302, kTilde = 0x303,
                   kDiaeresis = 0x308, kRing = 0x30A, kCaron = 0x30C, kCedilla = 0x327;
constexpr Composed kComposed[] = {
    {0xC0, 'A', kGrave},      {0xC1, 'A', kAcute},      {0xC2, 'A', kCircumflex},
    {0xC3, 'A', kTilde},      {0xC4, 'A', kDiaeresis},  {0xC5, 'A', kRing},
    {0xC7, 'C', kCedilla},    {0xC8, 'E', kGrave},      {0xC9, 'E', kAcute},
    {0xCA, 'E', kCircumflex}, {0xCB, 'E', kDiaeresis},  {0xCC, 'I', kGrave},
    {0xCD, 'I', kAcute},      {0xCE, 'I', kCircumflex}, {0xCF, 'I', kDiaeresis},
    {0xD1, 'N', kTilde},      {0xD2, 'O', kGrave},      {0xD3, 'O', kAcute},
    {0xD4, 'O', kCircumflex}, {0xD5, 'O', kTilde},      {0xD6, 'O', kDiaeresis},
    {0xD9, 'U', kGrave},      {0xDA, 'U', kAcute},      {0xDB, 'U', kCircumflex},
    {0xDC, 'U', kDiaeresis},  {0xDD, 'Y', kAcute},      {0xE0, 'a', kGrave},
    {0xE1, 'a', kAcute},      {0xE2, 'a', kCircumflex}, {0xE3, 'a', kTilde},
    {0xE4, 'a', kDiaeresis},  {0xE5, 'a', kRing},       {0xE7, 'c', kCedilla},
    {0xE8, 'e', kGrave},      {0xE9, 'e', kAcute},      {0xEA, 'e', kCircumflex},
    {0xEB, 'e', kDiaeresis},  {0xEC, 'i', kGrave},      {0xED, 'i', kAcute},
    {0xEE, 'i', kCircumflex}, {0xEF, 'i', kDiaeresis},  {0xF1, 'n', kTilde},
    {0xF2, 'o', kGrave},      {0xF3, 'o', kAcute},      {0xF4, 'o', kCircumflex},
    {0xF5, 'o', kTilde},      {0xF6, 'o', kDiaeresis},  {0xF9, 'u', kGrave},
    {0xFA, 'u', kAcute},      {0xFB, 'u', kCircumflex}, {0xFC, 'u', kDiaeresis},
    {0xFD, 'y', kAcute},      {0xFF, 'y', kDiaeresis},  {0x8A, 'S', kCaron},
    {0x9A, 's', kCaron},      {0x8E, 'Z', kCaron},      {0x9E, 'z', kCaron},
    {0x9F, 'Y', kDiaeresis},
};

int Compose(char base, char32_t mark) {
  for (const Composed& c : kComposed)
    if (c.base == base && c.mark == mark) return c.byte;
  return -1;
}

// Latin Extended-A (U+0100..U+017F) without its accents.
constexpr char kLatinExtendedA[] =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi"
    "IiJjKkkLlLlLlLlLlNnNnNnnNnOoOoOoOoRrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";
static_assert(sizeof kLatinExtendedA - 1 == 0x80, "one letter per code point");

// The closest Windows-1252 form of a character the code page lacks.
std::string Closest(char32_t c) {
  if (c >= 0x100 && c <= 0x17F) return std::string(1, kLatinExtendedA[c - 0x100]);
  if (c >= 0x1CD && c <= 0x1DC) return std::string(1, "AaIiOoUuUuUuUuUu"[c - 0x1CD]);
  if (c >= 0x218 && c <= 0x21B) return std::string(1, "SsTt"[c - 0x218]);
  if ((c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F || c == 0x3000) return " ";
  if ((c >= 0x200B && c <= 0x200D) || c == 0x2060 || c == 0xFEFF) return "";
  if ((c >= 0x2010 && c <= 0x2012) || c == 0x2043 || c == 0x2212) return "-";
  if (c == 0x2015) return "\x97";  // em dash
  if (c == 0x201B || c == 0x2032) return "'";
  if (c == 0x201F || c == 0x2033) return "\"";
  if (c == 0x2044 || c == 0x2215) return "/";
  if (c == 0x2190) return "<-";
  if (c == 0x2192) return "->";
  return "?";
}

}  // namespace

const char* IconUnicode(int number) {
  return number >= 1 && number <= 99 ? kIconText[number - 1] : "";
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | (c >> 18));
    out += char(0x80 | ((c >> 12) & 0x3F));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  char32_t c;
  while (i < text.size())
    if (!NextCodePoint(text, i, c)) return false;
  return true;
}

std::string ExactUnicode(std::string_view label) {
  std::string out;
  out.reserve(label.size() + label.size() / 4);
  for (char b : label) AppendUtf8(out, CodePointOfByte(uint8_t(b)));
  return out;
}

bool ExactLabelText(std::string_view text, std::string& label) {
  label.clear();
  size_t i = 0;
  char32_t c;
  while (i < text.size()) {
    if (!NextCodePoint(text, i, c)) return false;
    int b = ByteOfCodePoint(c);
    if (b < 0) return false;
    label += char(b);
  }
  return true;
}

std::string ReadableUnicode(std::string_view label) {
  std::string out;
  out.reserve(label.size() + label.size() / 4);
  for (size_t i = 0; i < label.size();) {
    if (int n = IconCodeAt(label, i)) {
      out += kIconText[n - 1];
      i += 4;
    } else {
      AppendUtf8(out, CodePointOfByte(uint8_t(label[i++])));
    }
  }
  return out;
}

std::string LabelTextFromUnicode(std::string_view text, int& changed) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  // Skips what belongs to the character just handled; true if any was skipped.
  auto skipCluster = [&]() {
    bool any = false;
    for (;;) {
      size_t at = i;
      char32_t c;
      if (at >= text.size() || !NextCodePoint(text, at, c)) break;
      if (IsClusterMark(c)) {
        i = at;
        any = true;
      } else if (c == kJoiner && at < text.size()) {
        char32_t next;
        NextCodePoint(text, at, next);  // the joined character is part of the picture
        i = at;
        any = true;
      } else {
        break;
      }
    }
    return any;
  };
  while (i < text.size()) {
    unsigned char lead = uint8_t(text[i]);
    if (lead >= 0xE2) {  // every icon character is U+2600 or above
      const IconPattern* found = nullptr;
      for (const IconPattern& p : IconPatterns())
        if (text.compare(i, p.text.size(), p.text) == 0) {
          found = &p;
          break;
        }
      if (found) {
        char code[5] = {'\\', '#', char('0' + found->number / 10), char('0' + found->number % 10)};
        out.append(code, 4);
        i += found->text.size();
        size_t at = i;
        char32_t c;
        if (at < text.size() && NextCodePoint(text, at, c) && c == kVariationEmoji) i = at;
        if (skipCluster()) ++changed;  // a skin tone or a joined picture is lost
        continue;
      }
    }
    char32_t c;
    if (!NextCodePoint(text, i, c)) {
      out += '?';
      ++changed;
      continue;
    }
    if (c == '\n' || c == '\r') {
      if (c == '\r' && i < text.size() && text[i] == '\n') ++i;
      out += '\n';
      continue;
    }
    int b = c == '\t' || (c > kControlPictures && c <= kDeletePicture) ? -1 : ByteOfCodePoint(c);
    if (b >= 0) {
      out += char(b);
      // A decomposed accent joins its letter when the code page has the pair.
      for (;;) {
        size_t at = i;
        char32_t mark;
        if (at >= text.size() || !NextCodePoint(text, at, mark) || !IsClusterMark(mark)) break;
        int composed = mark <= 0x36F ? Compose(out.back(), mark) : -1;
        if (composed >= 0)
          out.back() = char(composed);
        else
          ++changed;
        i = at;
      }
      continue;
    }
    out += c == '\t' ? std::string(" ") : Closest(c);
    ++changed;
    skipCluster();
  }
  return out;
}
