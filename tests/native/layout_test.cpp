#include "render/layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

AlmanacState Almanac(int day, int month, int year, int dayCount) {
  AlmanacState state;
  state.startDay = int16_t(day);
  state.startMonth = int16_t(month);
  state.startYear = int16_t(year);
  state.dayCount = int16_t(dayCount);
  return state;
}

LabelRecord Line(int day, int month, int year, const char* text, bool last, int32_t color = 0) {
  LabelRecord r;
  r.day = int16_t(day);
  r.month = int16_t(month);
  r.year = int16_t(year);
  SetRecordText(r, text);
  r.color = color;
  r.isLastLine = last ? 1 : 0;
  return r;
}

// Appends a label of `lines` lines for one date.
void AddLabel(std::vector<LabelRecord>& records, int day, int month, int year, int lines) {
  for (int k = 0; k < lines; ++k) records.push_back(Line(day, month, year, "x", k == lines - 1));
}

TEST(RowAtOrBelow, FirstRowWhoseTopIsNotAboveY) {
  const int cases[][2] = {{-5, 1}, {0, 1}, {1, 2}, {15, 2}, {16, 2}, {17, 3}, {32, 3}, {33, 4}};
  for (const auto& c : cases) EXPECT_EQ(RowAtOrBelow(c[0]), c[1]) << "y = " << c[0];
  EXPECT_GT(RowAtOrBelow(INT32_MAX), 1);  // no wrap-around at the far end
}

TEST(RowAtOrBelow, RowsFarBeyondThirtyTwoBits) {
  const int64_t y = int64_t(1) << 40;
  EXPECT_EQ(RowAtOrBelow(y), (y >> 4) + 1);
  EXPECT_EQ(RowAtOrBelow(y + 1), (y >> 4) + 2);
}

TEST(LayOutAlmanac, FifteenDaysWithoutLabels) {
  AlmanacLayout layout = LayOutAlmanac(Almanac(1, 1, 2025, 15), {});
  ASSERT_EQ(layout.days.size(), 16u);
  for (size_t i = 0; i < layout.days.size(); ++i) {
    EXPECT_EQ(layout.days[i].top, int32_t(1 + 95 * i)) << "day " << i;
    EXPECT_EQ(layout.days[i].advance, 95);
    EXPECT_TRUE(layout.days[i].blocks.empty());
  }
  EXPECT_EQ(layout.endScrollTop, 1426);
  EXPECT_EQ(layout.height, 1426 + 94);  // the last frame's bottom edge is exclusive
  EXPECT_FALSE(layout.spansNextYear);
  EXPECT_EQ(layout.days.back().day, 16);
  EXPECT_EQ(layout.days.back().month, 1);
  // 5 January 2025 is a Sunday, the 4th a Saturday.
  EXPECT_EQ(layout.days[4].weekday, 7);
  EXPECT_EQ(layout.days[3].weekday, 6);
}

TEST(LayOutAlmanac, LongestAlmanacCrossesTwoYearEnds) {
  AlmanacLayout layout = LayOutAlmanac(Almanac(31, 12, 2024, 366), {});
  ASSERT_EQ(layout.days.size(), 367u);
  EXPECT_EQ(layout.days[1].day, 1);
  EXPECT_EQ(layout.days[1].year, 2025);
  const DayBand& last = layout.days.back();
  EXPECT_EQ(last.day, 1);
  EXPECT_EQ(last.month, 1);
  EXPECT_EQ(last.year, 2026);
  EXPECT_TRUE(layout.spansNextYear);
  EXPECT_EQ(layout.endScrollTop, 1 + 95 * 366);
  EXPECT_EQ(layout.endScrollTop, 34771);
}

TEST(LayOutAlmanac, SpansNextYearOnlyWhenANewFirstOfJanuaryIsDrawn) {
  struct Case {
    int day, month, year, count;
    bool spans;
  } cases[] = {
      {17, 12, 2024, 15, true},   // the last day is 1 January
      {16, 12, 2024, 15, false},  // ends on 31 December
      {1, 1, 2025, 364, false},   // the whole of 2025, ending on 31 December
      {31, 12, 2024, 15, true},
      {1, 1, 2024, 366, true},  // 2024 is a leap year: ends on 1 January 2025
  };
  for (const Case& c : cases) {
    AlmanacLayout layout = LayOutAlmanac(Almanac(c.day, c.month, c.year, c.count), {});
    EXPECT_EQ(layout.spansNextYear, c.spans)
        << c.day << "/" << c.month << "/" << c.year << " + " << c.count;
  }
}

TEST(LayOutAlmanac, LeapDaysAndMonthLengthsFollowTheDrawnYears) {
  AlmanacLayout leap = LayOutAlmanac(Almanac(20, 2, 2024, 15), {});
  EXPECT_EQ(leap.days[9].day, 29);  // 29 February 2024 has its own box
  AlmanacLayout notLeap = LayOutAlmanac(Almanac(20, 2, 2100, 15), {});
  EXPECT_EQ(notLeap.days[9].day, 1);  // 2100 is not a leap year
  EXPECT_EQ(notLeap.days[9].month, 3);
  // The table is left at the February of the last year the days reached.
  AlmanacLayout crossing = LayOutAlmanac(Almanac(1, 3, 2023, 366), {});
  EXPECT_EQ(crossing.days.back().year, 2024);
  EXPECT_EQ(crossing.monthLengths[2], 29);
  AlmanacLayout within = LayOutAlmanac(Almanac(1, 3, 2024, 30), {});
  EXPECT_EQ(within.monthLengths[2], 29);
  EXPECT_EQ(within.monthLengths[4], 30);
}

TEST(LayOutAlmanac, InvalidSettingsLayOutNothing) {
  for (AlmanacState state : {Almanac(0, 0, 0, 0), Almanac(31, 4, 2025, 20), Almanac(1, 1, 2025, 14),
                             Almanac(1, 1, 2025, 367), Almanac(1, 13, 2025, 20)}) {
    AlmanacLayout layout = LayOutAlmanac(state, {});
    EXPECT_TRUE(layout.days.empty());
    EXPECT_EQ(layout.height, 0);
  }
}

TEST(LayOutAlmanac, OneLineLabelOnTheFirstDay) {
  std::vector<LabelRecord> records;
  AddLabel(records, 1, 1, 2025, 1);
  AlmanacLayout layout = LayOutAlmanac(Almanac(1, 1, 2025, 15), records);
  ASSERT_EQ(layout.days[0].blocks.size(), 1u);
  const LabelBlock& block = layout.days[0].blocks[0];
  EXPECT_EQ(block.top, 1);
  EXPECT_EQ(block.top + block.height(), 37);
  EXPECT_EQ(block.firstRecord, 0u);
  EXPECT_EQ(block.lineCount, 1u);
  EXPECT_EQ(RowAtOrBelow(block.top), 2);
  EXPECT_EQ(layout.days[0].advance, 95);
  EXPECT_EQ(layout.days[1].top, 96);
  EXPECT_EQ(layout.endScrollTop, 1426);
}

TEST(LayOutAlmanac, StackedLabelsPushTheNextDayDown) {
  std::vector<LabelRecord> records;
  for (int i = 0; i < 3; ++i) AddLabel(records, 1, 1, 2025, 2);
  AlmanacLayout layout = LayOutAlmanac(Almanac(1, 1, 2025, 15), records);
  const DayBand& first = layout.days[0];
  ASSERT_EQ(first.blocks.size(), 3u);
  EXPECT_EQ(first.blocks[0].top, 1);
  EXPECT_EQ(first.blocks[1].top, 56);  // 54 rows, then one blank row
  EXPECT_EQ(first.blocks[2].top, 111);
  EXPECT_EQ(first.blocks[2].firstRecord, 4u);
  EXPECT_EQ(first.advance, 165);
  EXPECT_EQ(layout.days[1].top, 166);
  EXPECT_EQ(layout.endScrollTop, 166 + 95 * 14);
  EXPECT_EQ(layout.height, layout.endScrollTop + 94);
}

TEST(LayOutAlmanac, TallLabelsOnTheLastDayMakeTheStripTaller) {
  std::vector<LabelRecord> records;
  AddLabel(records, 16, 1, 2025, 10);  // 198 rows
  AlmanacLayout layout = LayOutAlmanac(Almanac(1, 1, 2025, 15), records);
  EXPECT_EQ(layout.endScrollTop, 1426);  // still the top of the last band
  EXPECT_EQ(layout.height, 1426 + 198);
}

TEST(LayOutAlmanac, LabelsTooTallForAnyScreenAreLaidOutWhole) {
  // 100,000 lines on the first day, 2,000 one-line labels after it: far more
  // rows than a bitmap could hold, all of them placed.
  std::vector<LabelRecord> records;
  AddLabel(records, 1, 1, 2025, 100000);
  for (int i = 0; i < 2000; ++i) AddLabel(records, 2 + i % 300, 1, 2025, 1);
  // Dates past January roll into the later months' days.
  for (LabelRecord& r : records) {
    if (r.day <= 31) continue;
    CivilDate date{2025, 1, 1, 0};
    AddDays(date, r.day - 1);
    r.day = date.day, r.month = date.month, r.year = date.year;
  }
  AlmanacLayout layout = LayOutAlmanac(Almanac(1, 1, 2025, 365), records);
  const LabelBlock& tall = layout.days[0].blocks.at(0);
  EXPECT_EQ(tall.lineCount, 100000u);
  EXPECT_EQ(tall.height(), 18 * 100001);
  EXPECT_EQ(layout.days[0].advance, 18 * 100001 + 1);
  int64_t top = 1 + 18 * 100001 + 1;
  size_t blocks = 0;
  for (size_t i = 1; i < layout.days.size(); ++i) {
    ASSERT_EQ(layout.days[i].top, top) << "day " << i;
    blocks += layout.days[i].blocks.size();
    top += std::max<int64_t>(95, 37 * int64_t(layout.days[i].blocks.size()));
  }
  EXPECT_EQ(blocks, 2000u);
  EXPECT_EQ(layout.endScrollTop, layout.days.back().top);
  EXPECT_EQ(layout.height, top - 1);
}

TEST(LayOutAlmanac, LabelsOutsideTheDrawnDaysChangeNothing) {
  AlmanacLayout plain = LayOutAlmanac(Almanac(10, 3, 2025, 20), {});
  std::vector<LabelRecord> records;
  AddLabel(records, 9, 3, 2025, 4);    // the day before the start
  AddLabel(records, 31, 3, 2025, 4);   // the day after the end
  AddLabel(records, 10, 3, 2024, 4);   // the right day a year early
  AddLabel(records, 0, 0, 0, 4);       // an all-zero record
  AddLabel(records, 10, 15, 2025, 4);  // no such month
  AlmanacLayout layout = LayOutAlmanac(Almanac(10, 3, 2025, 20), records);
  ASSERT_EQ(layout.days.size(), plain.days.size());
  for (size_t i = 0; i < layout.days.size(); ++i) {
    EXPECT_EQ(layout.days[i].top, plain.days[i].top);
    EXPECT_TRUE(layout.days[i].blocks.empty());
  }
  EXPECT_EQ(layout.height, plain.height);
  EXPECT_EQ(layout.endScrollTop, plain.endScrollTop);
}

TEST(LayOutAlmanac, LabelsOfOneDayFarApartInTheFileStackInFileOrder) {
  std::vector<LabelRecord> records;
  AddLabel(records, 3, 1, 2025, 1);  // records 0
  for (int i = 0; i < 50; ++i) AddLabel(records, 9, 1, 2025, 1);
  AddLabel(records, 3, 1, 2025, 3);  // records 51..53
  AlmanacLayout layout = LayOutAlmanac(Almanac(1, 1, 2025, 15), records);
  const DayBand& third = layout.days[2];
  ASSERT_EQ(third.blocks.size(), 2u);
  EXPECT_EQ(third.blocks[0].firstRecord, 0u);
  EXPECT_EQ(third.blocks[0].top, third.top);
  EXPECT_EQ(third.blocks[1].firstRecord, 51u);
  EXPECT_EQ(third.blocks[1].lineCount, 3u);
  EXPECT_EQ(third.blocks[1].top, third.top + 37);
  EXPECT_EQ(layout.days[8].blocks.size(), 50u);
  EXPECT_EQ(layout.days[8].advance, 50 * 37);
}

TEST(LayOutAlmanac, ALabelEndsWhereItsDateOrColourChangesOrARecordIsBroken) {
  // A crash left a first line without its last, then a zero-filled record:
  // the labels after them are drawn as usual. A mark other than 1 does not
  // end a label.
  std::vector<LabelRecord> records = {
      Line(2, 1, 2025, "a", false), Line(0, 0, 0, "", false),          Line(4, 1, 2025, "b", true),
      Line(5, 1, 2025, "c", false), Line(5, 1, 2025, "d", false),      Line(5, 1, 2025, "e", true),
      Line(7, 1, 2025, "f", false), Line(7, 1, 2025, "g", true, 0xFF), Line(9, 1, 2025, "h", false),
      Line(9, 1, 2025, "i", false)};
  records[4].isLastLine = 2;
  AlmanacLayout layout = LayOutAlmanac(Almanac(1, 1, 2025, 15), records);
  struct Expect {
    size_t day, first, lines;
  } const expected[] = {{1, 0, 1}, {3, 2, 1}, {4, 3, 3}, {6, 6, 1}, {6, 7, 1}, {8, 8, 2}};
  size_t blocks = 0;
  for (const DayBand& band : layout.days) blocks += band.blocks.size();
  EXPECT_EQ(blocks, std::size(expected));
  for (const Expect& e : expected) {
    const std::vector<LabelBlock>& on = layout.days[e.day].blocks;
    bool found = false;
    for (const LabelBlock& b : on) found |= b.firstRecord == e.first && b.lineCount == e.lines;
    EXPECT_TRUE(found) << "record " << e.first << ", " << e.lines << " lines, on day " << e.day;
  }
}

TEST(LayOutAlmanac, RecordsWhoseDateIsNoDateAreNotDrawn) {
  // Each would land on a real day if day and month ran over into the next.
  std::vector<LabelRecord> records = {Line(33, 1, 2025, "1 feb", true),
                                      Line(28, 17, 2024, "28 ene", true),
                                      Line(-1, 2, 2025, "31 ene", true)};
  AlmanacLayout layout = LayOutAlmanac(Almanac(25, 1, 2025, 30), records);
  for (const DayBand& band : layout.days)
    EXPECT_TRUE(band.blocks.empty()) << band.day << "/" << band.month;
}

TEST(LayOutAlmanac, HundredThousandRecordsAllLaidOut) {
  // One-line labels spread over every day and beyond it: every one inside
  // the almanac gets its block, and the bands stack without a gap. How long
  // it takes is measured by tools/bench, not here.
  std::vector<LabelRecord> records;
  records.reserve(100000);
  AlmanacState state = Almanac(1, 1, 2025, 366);
  AlmanacLayout plain = LayOutAlmanac(state, {});
  size_t inside = 0;
  for (int i = 0; i < 100000; ++i) {
    const DayBand& band = plain.days[size_t(i) % plain.days.size()];
    bool outside = i % 10 == 0;
    records.push_back(Line(band.day, band.month, outside ? 1999 : band.year, "x", true));
    if (!outside) ++inside;
  }
  AlmanacLayout layout = LayOutAlmanac(state, records);
  size_t drawn = 0;
  int64_t expectedTop = 1;
  for (const DayBand& band : layout.days) {
    EXPECT_EQ(band.top, expectedTop);
    drawn += band.blocks.size();
    expectedTop += std::max<int64_t>(95, 37 * int64_t(band.blocks.size()));
  }
  EXPECT_EQ(drawn, inside);
}

}  // namespace

namespace {

// Where the picture of `records` changes when `changed` replaces it.
TEST(BlockAtPoint, FindsTheBlockUnderAPointOfTheViewAtAnyScrollPosition) {
  // Day 1: two blocks of one line (rows 1-36, 38-73); day 2 none; day 3 one.
  std::vector<LabelRecord> records;
  AddLabel(records, 1, 1, 2025, 1);
  AddLabel(records, 1, 1, 2025, 1);
  AddLabel(records, 3, 1, 2025, 1);
  AlmanacLayout layout = LayOutAlmanac(Almanac(1, 1, 2025, 15), records);
  struct Case {
    int64_t x, y, offset;
    bool hit;
    size_t day, block;
  };
  const Case cases[] = {
      {127, 1, 0, true, 0, 0},    {1115, 36, 0, true, 0, 0},  // corners, inclusive
      {1116, 10, 0, false, 0, 0}, {126, 10, 0, false, 0, 0},  // right edge and the day box
      {500, 37, 0, false, 0, 0},                              // the row between the blocks
      {500, 38, 0, true, 0, 1},   {500, 73, 0, true, 0, 1},
      {500, 74, 0, false, 0, 0},  {500, 100, 0, false, 0, 0},  // under the blocks, day 2
      {500, 1, -191, true, 2, 0}, {500, 2, 0, true, 0, 0},     // scrolled to day 3
      {500, 50, 95, false, 0, 0},                              // white above the picture
  };
  for (const Case& c : cases) {
    LabelPlace place;
    ASSERT_EQ(BlockAtPoint(layout, c.x, c.y, c.offset, place), c.hit)
        << c.x << "," << c.y << " at " << c.offset;
    if (c.hit) {
      EXPECT_EQ(place.day, c.day) << c.y;
      EXPECT_EQ(place.block, c.block) << c.y;
    }
  }

  // A picture far taller than 32 bits reach: the last day's block, scrolled to.
  records.clear();
  for (int i = 0; i < 3; ++i) AddLabel(records, 16, 1, 2025, 1);
  layout = LayOutAlmanac(Almanac(1, 1, 2025, 15), records);
  const int64_t shift = int64_t(1) << 40;  // as if every band above were that much taller
  for (DayBand& day : layout.days) {
    if (&day == &layout.days.front()) continue;
    day.top += shift;
    for (LabelBlock& block : day.blocks) block.top += shift;
  }
  const LabelBlock& third = layout.days.back().blocks[2];
  LabelPlace place;
  ASSERT_TRUE(BlockAtPoint(layout, 200, 5, -(third.top - 1), place));
  EXPECT_EQ(place.day, 15u);
  EXPECT_EQ(place.block, 2u);
}

int64_t ChangedRow(const AlmanacState& state, const std::vector<LabelRecord>& records,
                   const std::vector<LabelRecord>& changed) {
  return FirstChangedRow(LayOutAlmanac(state, records), records, LayOutAlmanac(state, changed),
                         changed);
}

TEST(FirstChangedRow, IsWhereTheFirstBlockOrDayThatDrawsDifferentlyBegins) {
  const AlmanacState state = Almanac(1, 1, 2025, 20);
  std::vector<LabelRecord> records;
  AddLabel(records, 3, 1, 2025, 2);  // day 3: a block at 191, 54 rows
  AddLabel(records, 9, 1, 2025, 1);
  AddLabel(records, 3, 1, 2025, 1);  // day 3: a block at 246
  const AlmanacLayout layout = LayOutAlmanac(state, records);
  const int64_t day3 = layout.days[2].top, day5 = layout.days[4].top;
  ASSERT_EQ(day3, 191);
  ASSERT_EQ(layout.days[2].blocks.at(1).top, 246);
  EXPECT_EQ(FirstChangedRow(layout, records, layout, records), kNoRow);

  struct Case {
    const char* what;
    std::vector<LabelRecord> changed;
    int64_t row;
  };
  std::vector<Case> cases;
  auto with = [&](auto change) {
    std::vector<LabelRecord> copy = records;
    change(copy);
    return copy;
  };
  cases.push_back({"a label added below day 3's two",
                   with([](auto& r) { AddLabel(r, 3, 1, 2025, 4); }), 246 + 37});
  cases.push_back({"a label added to a day without any",
                   with([](auto& r) { AddLabel(r, 5, 1, 2025, 1); }), day5});
  cases.push_back({"a label for a day the almanac does not show",
                   with([](auto& r) { AddLabel(r, 1, 6, 2025, 3); }), kNoRow});
  cases.push_back(
      {"one word of day 3's second label", with([](auto& r) { SetRecordText(r[3], "y"); }), 246});
  cases.push_back({"the colour of a line", with([](auto& r) { r[1].color = 5; }), day3});
  cases.push_back({"the first label taken away",
                   with([](auto& r) { r.erase(r.begin(), r.begin() + 2); }), day3});
  cases.push_back({"the same records in another order that draws alike",
                   with([](auto& r) { std::swap(r[2], r[3]); }), kNoRow});
  for (const Case& c : cases) EXPECT_EQ(ChangedRow(state, records, c.changed), c.row) << c.what;

  // Another almanac: from its first day, or from where only one has days.
  const AlmanacLayout later = LayOutAlmanac(Almanac(2, 1, 2025, 20), records);
  EXPECT_EQ(FirstChangedRow(layout, records, later, records), 1);
  const AlmanacLayout longer = LayOutAlmanac(Almanac(1, 1, 2025, 25), records);
  EXPECT_EQ(FirstChangedRow(layout, records, longer, records), layout.height + 1);
  EXPECT_EQ(FirstChangedRow(AlmanacLayout(), records, layout, records), 0);
}

}  // namespace

TEST(Scaled, RoundsHalvesUpAndUnscaledGivesThePositionBack) {
  const struct {
    int64_t px96;
    int dpi;
    int64_t scaled;
  } cases[] = {{95, 96, 95},  {95, 120, 119}, {95, 144, 143}, {1, 144, 2},           {-1, 144, -1},
               {-3, 144, -4}, {95, 192, 190}, {25, 240, 63},  {-84000, 192, -168000}};
  for (const auto& c : cases) {
    EXPECT_EQ(Scaled(c.px96, c.dpi), c.scaled) << c.px96 << " at " << c.dpi;
    EXPECT_EQ(Unscaled(c.scaled, c.dpi), c.px96) << c.scaled << " at " << c.dpi;
  }
}

// Pictures come from the set drawn at the DPI, else from the one just above
// it (shrunk), or just below it where that needs a stretch of at most a
// fifteenth; past the largest set, the largest.
TEST(PictureSetFor, TheSetDrawnAtTheDpiOrNearestAboveIt) {
  const struct {
    int dpi, set;
  } cases[] = {{72, 0},  {96, 0},  {102, 0}, {103, 1}, {128, 1}, {129, 2},
               {144, 2}, {168, 3}, {192, 3}, {216, 4}, {240, 4}, {288, 4}};
  for (const auto& c : cases) EXPECT_EQ(PictureSetFor(c.dpi), c.set) << c.dpi;
}

// At every DPI the bands and blocks tile as at 96: each band starts where
// the one before it ends, plain bands take 95 rows scaled in turn (142 or
// 143 at 144), and a stack of blocks keeps one scaled blank row between
// blocks and ends above the next band.
TEST(LayOutAlmanac, AtAnyDpiBandsAndBlocksTileWithoutGapsOrOverlaps) {
  std::vector<LabelRecord> records;
  AddLabel(records, 2, 3, 2025, 3);  // rows 96 .. 168 at 96 DPI
  AddLabel(records, 2, 3, 2025, 6);  // rows 169 .. 295: the band grows to 296
  const struct {
    int dpi;
    int64_t firstAdvance, stackTops[2], stackBottoms[2], thirdTop, thirdAdvance;
  } cases[] = {{96, 95, {96, 169}, {168, 295}, 296, 95},
               {144, 142, {144, 254}, {252, 443}, 444, 143},
               {192, 190, {192, 338}, {336, 590}, 592, 190}};
  for (const auto& c : cases) {
    const AlmanacLayout layout = LayOutAlmanac(Almanac(1, 3, 2025, 15), records, c.dpi);
    ASSERT_EQ(layout.days.size(), 16u);
    EXPECT_EQ(layout.dpi, c.dpi);
    for (size_t d = 0; d + 1 < layout.days.size(); ++d)
      EXPECT_EQ(layout.days[d].top + layout.days[d].advance, layout.days[d + 1].top)
          << "day " << d << " at " << c.dpi;
    EXPECT_EQ(layout.days[0].advance, c.firstAdvance) << c.dpi;
    const std::vector<LabelBlock>& stack = layout.days[1].blocks;
    ASSERT_EQ(stack.size(), 2u);
    for (size_t b = 0; b < 2; ++b) {
      EXPECT_EQ(stack[b].top, c.stackTops[b]) << "block " << b << " at " << c.dpi;
      EXPECT_EQ(stack[b].top + stack[b].height(), c.stackBottoms[b]) << b << " at " << c.dpi;
    }
    EXPECT_EQ(layout.days[2].top, c.thirdTop) << c.dpi;
    EXPECT_EQ(layout.days[2].advance, c.thirdAdvance) << c.dpi;
    EXPECT_EQ(layout.endScrollTop, layout.days.back().top);
    EXPECT_EQ(layout.height, Scaled(int64_t(296 + 14 * 95 - 1), c.dpi));
  }
}
