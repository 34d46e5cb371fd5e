// Where every day box and label block of an almanac goes in its picture, in
// 64-bit rows: portable arithmetic, drawn by almanac_page.cpp.
#pragma once
#include <cstdint>
#include <vector>

#include "../data/almanac_state.h"
#include "../data/calendar.h"
#include "../data/label_file.h"

constexpr int kDayBoxLeft = 1;
constexpr int kDayPitch = 95;  // height of a day band without labels
constexpr int kBlockLeft = 127;
constexpr int kBlockRight = 1116;    // exclusive
constexpr int kLineHeight = 18;      // per label line in a block
constexpr int kGridColumnWidth = 8;  // LabelGrid
constexpr int kGridRowHeight = 16;
constexpr int kStripWidth = 1134;

// One label: `lineCount` consecutive records from `firstRecord`, drawn as a
// block whose top is `top`.
struct LabelBlock {
  size_t firstRecord = 0;
  size_t lineCount = 0;
  int64_t top = 0;
  int64_t height() const { return int64_t(kLineHeight) * int64_t(lineCount + 1); }
};

struct DayBand {
  int16_t day = 0, month = 0, year = 0;
  int weekday = 0;  // 1 = Monday .. 7 = Sunday
  int64_t top = 0;
  int64_t advance = kDayPitch;  // max(95, height of its blocks)
  std::vector<LabelBlock> blocks;
};

struct AlmanacLayout {
  std::vector<DayBand> days;  // N + 1 days
  int64_t endScrollTop = 0;   // top of the last day's band
  bool spansNextYear = false;
  int64_t height = 0;  // rows the picture needs to hold all of it
  // The month lengths as the day stepping leaves them after the last day:
  // February of the last year the drawing reached.
  MonthLengthTable monthLengths;
};

// A label line by where it shows: line `line` of block `block` of day `day`.
struct LabelPlace {
  size_t day = 0, block = 0, line = 0;
};

// What a drawing marks besides the almanac itself: today's day box (a date
// no day has marks nothing) and one label line, the last one found.
struct AlmanacMarks {
  CivilDate today;
  bool hasFound = false;
  LabelPlace found;
};

// Lays out `state`'s N + 1 days with the labels of `records` (file order).
// Cost grows with days + records. A last label without its last-line mark
// ends at the last record. `state` must pass IsValidAlmanacSettings.
AlmanacLayout LayOutAlmanac(const AlmanacState& state, const std::vector<LabelRecord>& records);

// The date of a day of the layout (its weekday left 0).
CivilDate DateOfDay(const DayBand& band);

// Seam for the tests: the next LayOutAlmanac throws std::bad_alloc, as it
// does when memory runs out.
void FailNextLayoutForTests();

// Smallest grid row whose top 16 x (r - 1) is at or below y; 1 for y <= 0.
int64_t RowAtOrBelow(int64_t y);

// The day of `date`, or -1 when the almanac does not show it.
int64_t DayOfDate(const AlmanacLayout& layout, const CivilDate& date);
// The day whose band holds picture row `row`: the first day for rows above
// its box, the last for rows below the picture. The layout must have days.
size_t DayAtRow(const AlmanacLayout& layout, int64_t row);
// The top of line `place.line`'s grid row in its block (16-row rows from the
// first grid row at or below the block's top). The place must exist.
int64_t LineRowTop(const AlmanacLayout& layout, const LabelPlace& place);

// The label block under point (x, y) of the view, the picture's top lying
// at `viewOffset` on it (the view shows picture row y - viewOffset at y):
// its day and block in `place` (line 0), or false when the point is on no
// block (a day box, the row between two blocks, white space).
bool BlockAtPoint(const AlmanacLayout& layout, int64_t x, int64_t y, int64_t viewOffset,
                  LabelPlace& place);

// No row: what FirstChangedRow gives when nothing changed.
constexpr int64_t kNoRow = INT64_MAX;

// The first row where the pictures of two layouts (each with the records it
// was made from) may differ; everything above it is drawn alike. kNoRow when
// they draw the same. After an append, both record lists may be the same
// vector: a layout only refers to the records it was made from.
int64_t FirstChangedRow(const AlmanacLayout& before, const std::vector<LabelRecord>& beforeRecords,
                        const AlmanacLayout& after, const std::vector<LabelRecord>& afterRecords);
