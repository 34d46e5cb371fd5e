// Shared by the fuzz targets: a check that stops the run with its reason
// (libFuzzer then keeps the input as a crash), and the checks of a layout.
#pragma once
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "data/almanac_state.h"
#include "data/calendar.h"
#include "data/label_file.h"
#include "render/layout.h"

#define FUZZ_CHECK(condition)                                                             \
  do {                                                                                    \
    if (!(condition)) {                                                                   \
      std::fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
      std::abort();                                                                       \
    }                                                                                     \
  } while (0)

// What any layout of `state` with `records` must be: every day once, in
// order and in steps of one day; each label on the day of its date, made of
// records of that date and colour; every record of a day shown drawn once,
// no other; tops that only grow.
inline void CheckLayout(const AlmanacState& state, const std::vector<LabelRecord>& records,
                        const AlmanacLayout& layout) {
  if (!IsValidAlmanacSettings(state.startDay, state.startMonth, state.startYear, state.dayCount)) {
    FUZZ_CHECK(layout.days.empty());
    return;
  }
  FUZZ_CHECK(layout.days.size() == size_t(state.dayCount) + 1);
  CivilDate date;
  date.year = state.startYear, date.month = state.startMonth, date.day = state.startDay;
  std::vector<bool> drawn(records.size(), false);
  int64_t top = 1;
  for (const DayBand& band : layout.days) {
    FUZZ_CHECK(band.year == date.year && band.month == date.month && band.day == date.day);
    FUZZ_CHECK(band.weekday == WeekdayOf(band.year, band.month, band.day));
    FUZZ_CHECK(band.top == top);
    FUZZ_CHECK(band.advance >= kDayPitch);
    int64_t blockTop = band.top;
    for (const LabelBlock& block : band.blocks) {
      FUZZ_CHECK(block.lineCount >= 1);
      FUZZ_CHECK(block.firstRecord + block.lineCount <= records.size());
      FUZZ_CHECK(block.top == blockTop);
      const LabelRecord& first = records[block.firstRecord];
      for (size_t k = block.firstRecord; k < block.firstRecord + block.lineCount; ++k) {
        const LabelRecord& line = records[k];
        FUZZ_CHECK(line.day == band.day && line.month == band.month && line.year == band.year);
        FUZZ_CHECK(line.color == first.color);
        FUZZ_CHECK(k + 1 == block.firstRecord + block.lineCount || line.isLastLine != 1);
        FUZZ_CHECK(!drawn[k]);
        drawn[k] = true;
      }
      blockTop += block.height() + 1;
    }
    FUZZ_CHECK(band.advance == std::max<int64_t>(kDayPitch, blockTop - band.top));
    top += band.advance;
    AddDays(date, 1);
  }
  FUZZ_CHECK(layout.endScrollTop == layout.days.back().top);
  FUZZ_CHECK(layout.height == top - 1);
  // Nothing lost, nothing invented: exactly the records of the days shown are drawn.
  auto key = [](int year, int month, int day) {
    return int64_t(year) * 65536 * 65536 + int64_t(uint16_t(month)) * 65536 + uint16_t(day);
  };
  std::vector<int64_t> shown;
  for (const DayBand& band : layout.days) shown.push_back(key(band.year, band.month, band.day));
  std::sort(shown.begin(), shown.end());
  for (size_t k = 0; k < records.size(); ++k) {
    const LabelRecord& r = records[k];
    bool onAShownDay = r.month >= 1 && r.month <= 12 &&
                       std::binary_search(shown.begin(), shown.end(), key(r.year, r.month, r.day));
    FUZZ_CHECK(drawn[k] == onAShownDay);
  }
}
