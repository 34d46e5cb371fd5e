// The layout on arbitrary record sets. The first bytes give the almanac (as
// stored, or brought into the drawable range so that most inputs lay out);
// each further 8 bytes give one record, its date near the almanac's start.
#include <cstring>

#include "tests/fuzz/fuzz_check.h"

namespace {

int16_t Get16(const uint8_t* p) { return int16_t(uint16_t(p[0] | (p[1] << 8))); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 9) return 0;
  AlmanacState state;
  state.startDay = Get16(data);
  state.startMonth = Get16(data + 2);
  state.startYear = Get16(data + 4);
  state.dayCount = Get16(data + 6);
  const bool raw = data[8] & 1;
  if (!raw) {
    state.startMonth = int16_t(1 + uint16_t(state.startMonth) % 12);
    state.startDay = int16_t(1 + uint16_t(state.startDay) % 31);
    state.startYear = int16_t(kFirstYear + uint16_t(state.startYear) % 600);
    state.dayCount = int16_t(15 + uint16_t(state.dayCount) % 352);
  }
  std::vector<LabelRecord> records;
  for (size_t at = 9; at + 8 <= size; at += 8) {
    const uint8_t* p = data + at;
    LabelRecord r;
    // Day and month as stored (any value); the year within a few of the start.
    r.day = int16_t(int8_t(p[0]));
    r.month = int16_t(int8_t(p[1]));
    r.year = int16_t(state.startYear + int8_t(p[2]) % 3);
    r.color = p[3] & 3;  // few colours, so that runs share one
    r.isLastLine = int8_t(p[4]) % 3;
    std::memcpy(r.text, p + 5, 3);
    records.push_back(r);
  }
  CheckLayout(state, records, LayOutAlmanac(state, records));
  return 0;
}
