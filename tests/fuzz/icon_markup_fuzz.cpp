// The icon-code scanner: every code it reports is one, none is missed, and
// they come in drawing order.
#include "render/icon_markup.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  // Any length may be asked for, up to the bytes there are; the scan stops at a NUL.
  const size_t length = size == 0 ? 0 : size - data[0] % (size < 8 ? size : 8);
  std::vector<IconHit> hits = FindIconCodes(text, length);
  size_t end = 0;
  while (end < length && text[end] != '\0') ++end;
  size_t codes = 0;
  for (size_t i = 0; i + 3 < end; ++i)
    if (text[i] == '\\' && text[i + 1] == '#' && IsDigit(text[i + 2]) && IsDigit(text[i + 3]) &&
        (text[i + 2] != '0' || text[i + 3] != '0'))
      ++codes;
  FUZZ_CHECK(hits.size() == codes);
  for (size_t k = 0; k < hits.size(); ++k) {
    const IconHit& hit = hits[k];
    FUZZ_CHECK(hit.number >= 1 && hit.number <= 99);
    FUZZ_CHECK(hit.position >= 1 && size_t(hit.position) + 3 <= end);
    const char* code = text + hit.position - 1;
    FUZZ_CHECK(code[0] == '\\' && code[1] == '#');
    FUZZ_CHECK((code[2] - '0') * 10 + (code[3] - '0') == hit.number);
    if (k > 0) {
      const IconHit& before = hits[k - 1];
      FUZZ_CHECK(before.number < hit.number ||
                 (before.number == hit.number && before.position < hit.position));
    }
  }
  FUZZ_CHECK(FindIconCodes(nullptr, size).empty());
  return 0;
}
