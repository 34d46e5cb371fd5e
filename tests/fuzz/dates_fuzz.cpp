// The date functions on any values: adding days there and back, weekdays
// that agree with the steps between them, and a day's step as one day added.
#include <cstring>

#include "tests/fuzz/fuzz_check.h"

namespace {

bool SameDate(const CivilDate& a, const CivilDate& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 10) return 0;
  int16_t year, month, day;
  int32_t n;
  std::memcpy(&year, data, 2);
  std::memcpy(&month, data + 2, 2);
  std::memcpy(&day, data + 4, 2);
  std::memcpy(&n, data + 6, 4);
  if (size > 10 && (data[10] & 1)) {
    // Mostly real dates and spans of a few years, where the arithmetic works.
    month = int16_t(1 + uint16_t(month) % 12);
    day = int16_t(1 + uint16_t(day) % 31);
    year = int16_t(kFirstYear + uint16_t(year) % (kLastYear - kFirstYear + 1));
    n %= 3000;
  }

  const int weekday = WeekdayOf(year, month, day);
  FUZZ_CHECK(weekday >= 1 && weekday <= 7);
  FUZZ_CHECK(!MonthNames(month).empty() || month < 1 || month > 12);
  FUZZ_CHECK(!WeekdayNames(weekday).empty());
  const bool real = IsRealDate(year, month, day);
  MonthLengthTable table;
  BuildMonthLengths(table, year);
  FUZZ_CHECK(real == (year >= kFirstYear && year <= kLastYear && day >= 1 && day <= table[month]));

  CivilDate given;
  given.year = year, given.month = month, given.day = day;
  // A date that is no date counts from 1 January 1601, as the file-time conversion does.
  CivilDate start = given;
  if (!real) start.year = kFirstYear, start.month = 1, start.day = 1;
  CivilDate moved = given;
  AddDays(moved, n);
  CivilDate expected = start;
  AddDays(expected, n);
  // Outside the file-time range nothing moves.
  const bool inRange = n == 0 || !SameDate(expected, start);
  FUZZ_CHECK(SameDate(moved, inRange ? expected : given));
  if (inRange) {
    FUZZ_CHECK(IsRealDate(moved.year, moved.month, moved.day));
    FUZZ_CHECK(moved.weekday == WeekdayOf(moved.year, moved.month, moved.day) % 7);
    const int startWeekday = WeekdayOf(start.year, start.month, start.day);
    FUZZ_CHECK(WeekdayOf(moved.year, moved.month, moved.day) ==
               int(((int64_t(startWeekday) - 1 + n) % 7 + 7) % 7) + 1);
    CivilDate back = moved;
    AddDays(back, -n);
    FUZZ_CHECK(SameDate(back, start));
  }

  if (real) {
    int16_t d = day, m = month, y = year;
    MonthLengthTable steps = table;
    bool newYear = StepToNextDay(d, m, y, steps);
    CivilDate next = start;
    AddDays(next, 1);
    if (!SameDate(next, start)) {
      FUZZ_CHECK(d == next.day && m == next.month && y == next.year);
      FUZZ_CHECK(newYear == (y != year));
      FUZZ_CHECK(steps[2] == FebruaryLength(y));
    }
  }
  return 0;
}
