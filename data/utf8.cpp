#include "utf8.h"

namespace {

// The length of the well-formed character at text[i], or 0 when there is none.
size_t CharacterAt(const std::string& text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return 1;
  size_t length;
  unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing beyond U+10FFFF
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  if (byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (size_t k = 2; k < length; ++k)
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  return length;
}

}  // namespace

bool IsUtf8(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    size_t length = CharacterAt(text, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

size_t Utf16Length(const std::string& text) {
  size_t units = 0;
  for (size_t i = 0; i < text.size();) {
    size_t length = CharacterAt(text, i);
    units += length == 4 ? 2 : 1;
    i += length ? length : 1;
  }
  return units;
}

std::string CutUtf8(const std::string& text, size_t bytes) {
  size_t end = 0;
  while (end < text.size()) {
    size_t length = CharacterAt(text, end);
    if (length == 0) length = 1;
    if (end + length > bytes) break;
    end += length;
  }
  return text.substr(0, end);
}
