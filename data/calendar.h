// Gregorian calendar arithmetic and the Spanish month and weekday names.
#pragma once
#include <array>
#include <cstdint>
#include <string>

// A date as the program keeps it: three signed 16-bit fields. `weekday` is
// only written by AddDays and uses the Windows numbering (0 = Sunday).
struct CivilDate {
  int16_t year = 0;
  int16_t month = 0;
  int16_t day = 0;
  int16_t weekday = 0;
};

constexpr int16_t kFirstYear = 1601;  // Windows file times start on 1 January 1601
constexpr int16_t kLastYear = 30827;  // and end in this year

// Adds n days. A date that is not a real date from 1601 on counts from
// 1 January 1601, as the Windows file-time conversion does; a result outside
// the file-time range leaves the date unchanged.
void AddDays(CivilDate& date, int32_t n);

// 1 = Monday .. 7 = Sunday.
int WeekdayOf(int16_t year, int16_t month, int16_t day);

int16_t FebruaryLength(int16_t year);

// Month lengths indexed 1..12 (entry 0 unused); entry 2 follows the year
// the drawing has reached.
struct MonthLengthTable {
  std::array<int16_t, 13> days{};
  int16_t operator[](int month) const { return month >= 1 && month <= 12 ? days[month] : 0; }
};

void BuildMonthLengths(MonthLengthTable& table, int16_t year);

// Steps (day, month, year) to the next day using `table`, recomputing its
// February when a new year starts. Returns true when a new year was entered.
bool StepToNextDay(int16_t& day, int16_t& month, int16_t& year, MonthLengthTable& table);

// True for a real Gregorian date in the years Windows can represent.
bool IsRealDate(int16_t year, int16_t month, int16_t day);

// Days from 1 January 1601 (day 0) to a real date, and back: what dates
// are counted and stepped by.
int64_t DayIndex(const CivilDate& date);
CivilDate DateOfDayIndex(int64_t day);

// Whether `a` comes before `b` (weekdays are not looked at).
bool DateBefore(const CivilDate& a, const CivilDate& b);
// "dd/mm/yyyy", as messages write a date.
std::string ShortDateText(const CivilDate& date);

// The names of month 1..12 and weekday 1..7 (Monday first); empty for any other.
const std::string& MonthNames(int month);
const std::string& WeekdayNames(int weekday);
