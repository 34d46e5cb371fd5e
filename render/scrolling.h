// Where the view over an almanac's picture goes: the arithmetic of the
// keys, the wheel and the commands that bring a day or a line to the top.
// Portable: no <windows.h>. An offset is where the picture's top lies on
// the view: -95 shows it from row 95 on.
#pragma once
#include <cstddef>
#include <cstdint>

#include "../data/calendar.h"
#include "layout.h"

constexpr int kKeyStep = 95;  // one day band
constexpr int kWheelStep = 25;
// How far the wheel goes down by itself: the End position of a longer
// almanac lies past it, and the wheel goes on to that too.
constexpr int64_t kWheelLimit = -84000;

enum class ScrollKey { Down, Up, PageDown, PageUp, Home, End };

// The offset after `key` from `offset`, with a view `viewHeight` rows tall
// and the last day's band at `endScrollTop`. Down and Page Down stop at the
// End position (the last day's band at the top); Page Up stops at the top,
// Up goes past it by one step, as it always has.
int64_t OffsetAfterKey(int64_t offset, ScrollKey key, int64_t viewHeight, int64_t endScrollTop);

// The offset after one wheel message from `offset`: towards the user goes
// down 25 rows (down to 84,000 rows, or to the End position of an almanac
// that goes further); away from the user goes up 25 rows while the offset
// is below the top.
int64_t OffsetAfterWheel(int64_t offset, bool towardsUser, int64_t endScrollTop);

// The offset that shows day `day` at the top, where Home and the arrows put
// a day (its box one row down), not past the End position.
int64_t DayOffset(const AlmanacLayout& layout, size_t day);

// Where an almanac starts: at `today`'s band when it shows that day, else
// at its first day.
int64_t StartOffset(const AlmanacLayout& layout, const CivilDate& today);

// The offset that shows line `found` after a search: its block at the top
// of the view, or in a block taller than the view, the line itself.
int64_t FoundOffset(const AlmanacLayout& layout, const LabelPlace& found, int64_t viewHeight);

// The day whose band is at the top of a view at `offset`.
size_t DayAtViewTop(const AlmanacLayout& layout, int64_t offset);
