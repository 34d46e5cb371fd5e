#include "layout.h"

#include <algorithm>
#include <unordered_map>

namespace {

// Tops and heights are summed in 64 bits and kept well inside int32 so that
// even an absurdly large label file cannot wrap the coordinates around.
constexpr int64_t kCoordinateLimit = INT32_MAX / 2;

int32_t ClampCoordinate(int64_t value) {
  return int32_t(std::min<int64_t>(value, kCoordinateLimit));
}

int32_t DateKey(int16_t year, int16_t month, int16_t day) {
  return int32_t(year) * 512 + int32_t(month) * 32 + int32_t(day);
}

}  // namespace

AlmanacLayout LayOutAlmanac(const AlmanacState& state, const std::vector<LabelRecord>& records) {
  AlmanacLayout layout;
  if (!IsValidAlmanacSettings(state.startDay, state.startMonth, state.startYear, state.dayCount))
    return layout;

  // The days and their dates, with the year-change rule for spansNextYear.
  const int dayTotal = state.dayCount + 1;
  layout.days.resize(size_t(dayTotal));
  std::unordered_map<int32_t, size_t> dayOfDate;
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
    band.top = ClampCoordinate(top);
    int64_t blockTop = top;
    for (LabelBlock& block : band.blocks) {
      block.top = ClampCoordinate(blockTop);
      blockTop += int64_t(kLineHeight) * int64_t(block.lineCount + 1) + 1;
    }
    int64_t used = blockTop - top;
    band.advance = ClampCoordinate(std::max<int64_t>(kDayPitch, used));
    top += band.advance;
  }
  layout.endScrollTop = layout.days.back().top;
  // The last band ends one blank row above where a further day would start.
  layout.height = ClampCoordinate(top - 1);
  return layout;
}

int RowAtOrBelow(int32_t y) {
  if (y <= 0) return 1;
  return int((int64_t(y) + kGridRowHeight - 1) / kGridRowHeight + 1);
}
