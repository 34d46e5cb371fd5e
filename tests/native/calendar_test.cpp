#include "data/calendar.h"

#include <gtest/gtest.h>

namespace {

CivilDate Date(int y, int m, int d) { return CivilDate{int16_t(y), int16_t(m), int16_t(d), 0}; }

struct AddCase {
  CivilDate from;
  int n;
  int y, m, d;
};

TEST(AddDays, LandsOnTheRightDate) {
  const AddCase cases[] = {
      {Date(2025, 1, 1), 59, 2025, 3, 1},    {Date(2024, 1, 1), 59, 2024, 2, 29},
      {Date(2025, 12, 31), 1, 2026, 1, 1},   {Date(2025, 1, 1), 15, 2025, 1, 16},
      {Date(2024, 2, 28), 1, 2024, 2, 29},   {Date(2100, 2, 28), 1, 2100, 3, 1},
      {Date(2024, 12, 31), 366, 2026, 1, 1}, {Date(2000, 2, 28), 366, 2001, 2, 28},
      {Date(2025, 6, 15), 0, 2025, 6, 15},   {Date(1601, 1, 1), 0, 1601, 1, 1},
      {Date(2025, 3, 1), -1, 2025, 2, 28},
  };
  for (const AddCase& c : cases) {
    CivilDate date = c.from;
    AddDays(date, c.n);
    EXPECT_EQ(date.year, c.y) << c.from.day << "/" << c.from.month << "/" << c.from.year << " + " << c.n;
    EXPECT_EQ(date.month, c.m) << c.from.day << "/" << c.from.month << "/" << c.from.year << " + " << c.n;
    EXPECT_EQ(date.day, c.d) << c.from.day << "/" << c.from.month << "/" << c.from.year << " + " << c.n;
  }
}

TEST(AddDays, SetsTheWindowsWeekday) {
  CivilDate date = Date(2025, 12, 31);
  AddDays(date, 1);
  EXPECT_EQ(date.weekday, 4);  // Thursday, 0 = Sunday
  date = Date(2026, 12, 6);
  AddDays(date, 0);
  EXPECT_EQ(date.weekday, 0);
}

TEST(AddDays, DatesWindowsRejectsCountFrom1601) {
  for (CivilDate bad : {Date(2025, 0, 1), Date(2025, 2, 30), Date(1600, 12, 31), Date(2025, 13, 1),
                        Date(0, 0, 0)}) {
    AddDays(bad, 15);
    EXPECT_EQ(bad.year, 1601);
    EXPECT_EQ(bad.month, 1);
    EXPECT_EQ(bad.day, 16);
  }
}

TEST(AddDays, ResultOutsideFileTimesLeavesDateAlone) {
  CivilDate date = Date(1601, 1, 1);
  AddDays(date, -1);
  EXPECT_EQ(date.year, 1601);
  EXPECT_EQ(date.day, 1);
  date = Date(30827, 12, 31);
  AddDays(date, 1);
  EXPECT_EQ(date.year, 30827);
}

TEST(WeekdayOf, MatchesKnownDates) {
  EXPECT_EQ(WeekdayOf(2024, 1, 1), 1);
  EXPECT_EQ(WeekdayOf(2026, 12, 6), 7);
  EXPECT_EQ(WeekdayOf(2000, 2, 29), 2);
  EXPECT_EQ(WeekdayOf(2025, 1, 15), 3);  // January counts in the year before
  EXPECT_EQ(WeekdayOf(2023, 12, 31), 7);
  EXPECT_EQ(WeekdayOf(1601, 1, 1), 1);
}

TEST(WeekdayOf, AgreesWithDayCountingFor1601To2400) {
  // Walk every day and compare with AddDays' independent weekday.
  CivilDate date = Date(1601, 1, 1);
  for (int i = 0; i < 292194; ++i) {
    CivilDate next = Date(1601, 1, 1);
    AddDays(next, i);
    int iso = next.weekday == 0 ? 7 : next.weekday;
    ASSERT_EQ(WeekdayOf(next.year, next.month, next.day), iso)
        << next.day << "/" << next.month << "/" << next.year;
    date = next;
  }
  EXPECT_EQ(date.year, 2400);
}

TEST(FebruaryLength, FollowsTheGregorianRule) {
  EXPECT_EQ(FebruaryLength(1900), 28);
  EXPECT_EQ(FebruaryLength(2000), 29);
  EXPECT_EQ(FebruaryLength(2024), 29);
  EXPECT_EQ(FebruaryLength(2025), 28);
  EXPECT_EQ(FebruaryLength(2100), 28);
}

TEST(StepToNextDay, CrossesMonthsAndYears) {
  MonthLengthTable table;
  int16_t d = 28, m = 2, y = 2023;
  BuildMonthLengths(table, y);
  EXPECT_FALSE(StepToNextDay(d, m, y, table));
  EXPECT_EQ(d, 1);
  EXPECT_EQ(m, 3);

  d = 28, m = 2, y = 2024;
  BuildMonthLengths(table, y);
  StepToNextDay(d, m, y, table);
  EXPECT_EQ(d, 29);
  EXPECT_EQ(m, 2);

  d = 31, m = 12, y = 2024;
  BuildMonthLengths(table, y);
  EXPECT_EQ(table[2], 29);
  EXPECT_TRUE(StepToNextDay(d, m, y, table));
  EXPECT_EQ(d, 1);
  EXPECT_EQ(m, 1);
  EXPECT_EQ(y, 2025);
  EXPECT_EQ(table[2], 28);
}

TEST(StepToNextDay, WalksAYearLikeAddDays) {
  MonthLengthTable table;
  int16_t d = 31, m = 12, y = 2024;
  BuildMonthLengths(table, y);
  for (int i = 1; i <= 800; ++i) {
    StepToNextDay(d, m, y, table);
    CivilDate expect = Date(2024, 12, 31);
    AddDays(expect, i);
    ASSERT_EQ(d, expect.day) << i;
    ASSERT_EQ(m, expect.month) << i;
    ASSERT_EQ(y, expect.year) << i;
  }
}

TEST(NameTables, HoldTheSpanishNames) {
  EXPECT_EQ(MonthNames(1), "Enero");
  EXPECT_EQ(MonthNames(9), "Septiembre");
  EXPECT_EQ(MonthNames(12), "Diciembre");
  EXPECT_EQ(WeekdayNames(1), "Lunes");
  EXPECT_EQ(WeekdayNames(3), "Miercoles");
  EXPECT_EQ(WeekdayNames(6), "Sabado");
  EXPECT_EQ(WeekdayNames(7), "Domingo");
  EXPECT_EQ(MonthNames(0), "");   // out of range gives empty text, not garbage
  EXPECT_EQ(WeekdayNames(8), "");
}

TEST(IsRealDate, RejectsImpossibleDates) {
  EXPECT_TRUE(IsRealDate(2024, 2, 29));
  EXPECT_FALSE(IsRealDate(2025, 2, 29));
  EXPECT_FALSE(IsRealDate(2025, 4, 31));
  EXPECT_FALSE(IsRealDate(0, 1, 1));
  EXPECT_FALSE(IsRealDate(1600, 12, 31));
  EXPECT_FALSE(IsRealDate(2025, 1, 0));
}

}  // namespace
