#include "calendar.h"

#include <cstdio>

namespace {

// Days from 1 January 1601 (day 0) for a real date; the civil-from-days
// algorithm on a 400-year cycle.
int64_t DaysFrom1601(int year, int month, int day) {
  int y = year - 1601;
  int64_t days = int64_t(y) * 365 + y / 4 - y / 100 + y / 400;
  static const int kBefore[13] = {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  days += kBefore[month] + day - 1;
  if (month > 2 && FebruaryLength(int16_t(year)) == 29) days += 1;
  return days;
}

void DateFromDays(int64_t days, CivilDate& out) {
  int64_t cycles = days / 146097;  // 400-year cycles
  int64_t rest = days % 146097;
  int64_t centuries = rest / 36524;
  if (centuries == 4) centuries = 3;  // last day of a 400-year cycle
  rest -= centuries * 36524;
  int64_t fours = rest / 1461;
  rest -= fours * 1461;
  int64_t ones = rest / 365;
  if (ones == 4) ones = 3;  // last day of a leap cycle
  rest -= ones * 365;
  int year = int(1601 + cycles * 400 + centuries * 100 + fours * 4 + ones);
  MonthLengthTable table;
  BuildMonthLengths(table, int16_t(year));
  int month = 1;
  while (rest >= table[month]) {
    rest -= table[month];
    ++month;
  }
  out.year = int16_t(year);
  out.month = int16_t(month);
  out.day = int16_t(rest + 1);
  // 1 January 1601 was a Monday (1 in the Windows numbering, 0 = Sunday).
  out.weekday = int16_t((days + 1) % 7);
}

}  // namespace

bool IsRealDate(int16_t year, int16_t month, int16_t day) {
  if (year < kFirstYear || year > kLastYear || month < 1 || month > 12 || day < 1) return false;
  MonthLengthTable table;
  BuildMonthLengths(table, year);
  return day <= table[month];
}

void AddDays(CivilDate& date, int32_t n) {
  int64_t start = IsRealDate(date.year, date.month, date.day)
                      ? DaysFrom1601(date.year, date.month, date.day)
                      : 0;
  int64_t result = start + n;
  if (result < 0 || result > DaysFrom1601(kLastYear, 12, 31)) return;
  DateFromDays(result, date);
}

int WeekdayOf(int16_t year, int16_t month, int16_t day) {
  // Gauss's rule with March as the first month; C++ division truncates toward
  // zero just as the rule expects.
  int m = month - 2;
  int y = year;
  if (m <= 0) {
    m += 12;
    y -= 1;
  }
  int s = y % 100;
  int h = y / 100;
  int w = (26 * m - 2) / 10 + day + s + s / 4 + h / 4 - 2 * h;
  while (w < 0) w += 7;
  int r = w % 7;
  return r == 0 ? 7 : r;
}

int16_t FebruaryLength(int16_t year) {
  return (year % 400 == 0 || (year % 4 == 0 && year % 100 != 0)) ? 29 : 28;
}

void BuildMonthLengths(MonthLengthTable& table, int16_t year) {
  table.days = {0, 31, FebruaryLength(year), 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
}

bool StepToNextDay(int16_t& day, int16_t& month, int16_t& year, MonthLengthTable& table) {
  day = int16_t(day + 1);
  if (day > table[month]) {
    day = 1;
    month = int16_t(month + 1);
  }
  if (month > 12) {
    month = 1;
    year = int16_t(year + 1);
    table.days[2] = FebruaryLength(year);
    return true;
  }
  return false;
}

int64_t DayIndex(const CivilDate& date) { return DaysFrom1601(date.year, date.month, date.day); }

CivilDate DateOfDayIndex(int64_t day) {
  CivilDate date;
  DateFromDays(day, date);
  return date;
}

bool DateBefore(const CivilDate& a, const CivilDate& b) {
  if (a.year != b.year) return a.year < b.year;
  if (a.month != b.month) return a.month < b.month;
  return a.day < b.day;
}

std::string ShortDateText(const CivilDate& date) {
  char text[32];
  snprintf(text, sizeof text, "%02d/%02d/%d", date.day, date.month, date.year);
  return text;
}

const std::string& MonthNames(int month) {
  static const std::array<std::string, 13> kMonths = {
      "",      "Enero",  "Febrero",    "Marzo",   "Abril",     "Mayo",     "Junio",
      "Julio", "Agosto", "Septiembre", "Octubre", "Noviembre", "Diciembre"};
  return kMonths[month >= 1 && month <= 12 ? month : 0];
}

const std::string& WeekdayNames(int weekday) {
  static const std::array<std::string, 8> kWeekdays = {"",       "Lunes",   "Martes", "Miercoles",
                                                       "Jueves", "Viernes", "Sabado", "Domingo"};
  return kWeekdays[weekday >= 1 && weekday <= 7 ? weekday : 0];
}
