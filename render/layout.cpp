#include "layout.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_map>

namespace {

bool gFailNextLayout = false;  // a test's stand-in for memory running out

// One key per (year, month, day), whatever the values: day 33 of January or
// month 17 must not meet a real day's key.
int64_t DateKey(int16_t year, int16_t month, int16_t day) {
  return int64_t(year) * 65536 * 65536 + int64_t(uint16_t(month)) * 65536 + uint16_t(day);
}

}  // namespace

AlmanacLayout LayOutAlmanac(const AlmanacState& state, const std::vector<LabelRecord>& records) {
  if (gFailNextLayout) {
    gFailNextLayout = false;
    throw std::bad_alloc();
  }
  AlmanacLayout layout;
  if (!IsValidAlmanacSettings(state.startDay, state.startMonth, state.startYear, state.dayCount))
    return layout;

  // The days and their dates, with the year-change rule for spansNextYear.
  const int dayTotal = state.dayCount + 1;
  layout.days.resize(size_t(dayTotal));
  std::unordered_map<int64_t, size_t> dayOfDate;
  dayOfDate.reserve(size_t(dayTotal) * 2);
  int16_t day = state.startDay, month = state.startMonth, year = state.startYear;
  BuildMonthLengths(layout.monthLengths, year);
  for (int drawn = 0; drawn < dayTotal; ++drawn) {
    DayBand& band = layout.days[size_t(drawn)];
    band.day = day;
    band.month = month;
    band.year = year;
    band.weekday = WeekdayOf(year, month, day);
    dayOfDate[DateKey(year, month, day)] = size_t(drawn);
    bool newYear = StepToNextDay(day, month, year, layout.monthLengths);
    // The new 1 January is drawn only when days remain.
    if (newYear && drawn + 1 < dayTotal) layout.spansNextYear = true;
  }

  // Each label goes to its day in file order; others are never drawn.
  for (const LabelRun& label : GroupLabels(records)) {
    const LabelRecord& first = records[label.first];
    auto found = dayOfDate.find(DateKey(first.year, first.month, first.day));
    if (found == dayOfDate.end()) continue;
    LabelBlock block;
    block.firstRecord = label.first;
    block.lineCount = label.count;
    layout.days[found->second].blocks.push_back(block);
  }

  // Tops: a day advances by the taller of its box and its stacked blocks.
  int64_t top = 1;
  for (DayBand& band : layout.days) {
    band.top = top;
    int64_t blockTop = top;
    for (LabelBlock& block : band.blocks) {
      block.top = blockTop;
      blockTop += block.height() + 1;
    }
    int64_t used = blockTop - top;
    band.advance = std::max<int64_t>(kDayPitch, used);
    top += band.advance;
  }
  layout.endScrollTop = layout.days.back().top;
  // The last band ends one blank row above where a further day would start.
  layout.height = top - 1;
  return layout;
}

int64_t RowAtOrBelow(int64_t y) {
  if (y <= 0) return 1;
  return (y + kGridRowHeight - 1) / kGridRowHeight + 1;
}

int64_t DayOfDate(const AlmanacLayout& layout, const CivilDate& date) {
  // Days are in date order: find the first not before the date.
  const int64_t key = DateKey(date.year, date.month, date.day);
  auto at = std::partition_point(layout.days.begin(), layout.days.end(), [&](const DayBand& d) {
    return DateKey(d.year, d.month, d.day) < key;
  });
  if (at == layout.days.end() || DateKey(at->year, at->month, at->day) != key) return -1;
  return at - layout.days.begin();
}

size_t DayAtRow(const AlmanacLayout& layout, int64_t row) {
  // The last day whose band starts at or above the row.
  auto after = std::partition_point(layout.days.begin(), layout.days.end(),
                                    [&](const DayBand& d) { return d.top <= row; });
  return after == layout.days.begin() ? 0 : size_t(after - layout.days.begin() - 1);
}

int64_t LineRowTop(const AlmanacLayout& layout, const LabelPlace& place) {
  const LabelBlock& block = layout.days[place.day].blocks[place.block];
  return kGridRowHeight * (RowAtOrBelow(block.top) - 1) + kGridRowHeight * int64_t(place.line);
}

bool BlockAtPoint(const AlmanacLayout& layout, int64_t x, int64_t y, int64_t viewOffset,
                  LabelPlace& place) {
  if (layout.days.empty() || x < kBlockLeft || x >= kBlockRight) return false;
  const int64_t row = y - viewOffset;
  const size_t day = DayAtRow(layout, row);
  const std::vector<LabelBlock>& blocks = layout.days[day].blocks;
  for (size_t b = 0; b < blocks.size(); ++b) {
    if (row >= blocks[b].top && row < blocks[b].top + blocks[b].height()) {
      place = LabelPlace{day, b, 0};
      return true;
    }
  }
  return false;
}

namespace {

// Whether two blocks are drawn alike: same place, lines, texts and colours.
bool SameBlock(const LabelBlock& a, const std::vector<LabelRecord>& aRecords, const LabelBlock& b,
               const std::vector<LabelRecord>& bRecords) {
  if (a.top != b.top || a.lineCount != b.lineCount) return false;
  for (size_t k = 0; k < a.lineCount; ++k) {
    const LabelRecord& x = aRecords[a.firstRecord + k];
    const LabelRecord& y = bRecords[b.firstRecord + k];
    if (x.color != y.color || memcmp(x.text, y.text, sizeof x.text) != 0) return false;
  }
  return true;
}

}  // namespace

int64_t FirstChangedRow(const AlmanacLayout& before, const std::vector<LabelRecord>& beforeRecords,
                        const AlmanacLayout& after, const std::vector<LabelRecord>& afterRecords) {
  const size_t common = std::min(before.days.size(), after.days.size());
  for (size_t i = 0; i < common; ++i) {
    const DayBand& a = before.days[i];
    const DayBand& b = after.days[i];
    // Days above here are alike, so both bands start on the same row.
    if (a.top != b.top || a.day != b.day || a.month != b.month || a.year != b.year ||
        a.weekday != b.weekday)
      return std::min(a.top, b.top);
    const size_t blocks = std::max(a.blocks.size(), b.blocks.size());
    for (size_t j = 0; j < blocks; ++j) {
      if (j >= a.blocks.size()) return b.blocks[j].top;
      if (j >= b.blocks.size()) return a.blocks[j].top;
      if (!SameBlock(a.blocks[j], beforeRecords, b.blocks[j], afterRecords))
        return std::min(a.blocks[j].top, b.blocks[j].top);
    }
  }
  if (before.days.size() != after.days.size()) {
    if (common == 0) return 0;
    const DayBand& last = before.days[common - 1];
    return last.top + last.advance;  // where the first day only one of them has starts
  }
  if (before.height != after.height) return std::min(before.height, after.height);
  return kNoRow;
}

CivilDate DateOfDay(const DayBand& band) { return CivilDate{band.year, band.month, band.day, 0}; }

void FailNextLayoutForTests() { gFailNextLayout = true; }
