#include "scrolling.h"

#include <algorithm>

int64_t OffsetAfterKey(int64_t offset, ScrollKey key, int64_t viewHeight, int64_t endScrollTop) {
  switch (key) {
    case ScrollKey::Down:
    case ScrollKey::PageDown: {
      const int64_t step = key == ScrollKey::Down ? kKeyStep : viewHeight;
      return std::min(offset, std::max(offset - step, -endScrollTop));
    }
    case ScrollKey::Up:
      return offset < 0 ? offset + kKeyStep : offset;
    case ScrollKey::PageUp:
      return offset < 0 ? std::min<int64_t>(offset + viewHeight, 0) : offset;
    case ScrollKey::Home:
      return 0;
    case ScrollKey::End:
      return -endScrollTop;
  }
  return offset;
}

int64_t OffsetAfterWheel(int64_t offset, bool towardsUser, int64_t endScrollTop) {
  if (towardsUser) {
    if (offset > std::min(kWheelLimit, -endScrollTop))
      return std::min(offset, std::max(offset - kWheelStep, -endScrollTop));
    return offset;
  }
  return offset < 0 ? offset + kWheelStep : offset;
}

int64_t DayOffset(const AlmanacLayout& layout, size_t day) {
  return -std::min(layout.days[day].top - 1, layout.endScrollTop);
}

int64_t StartOffset(const AlmanacLayout& layout, const CivilDate& today) {
  const int64_t day = DayOfDate(layout, today);
  return day < 0 ? 0 : DayOffset(layout, size_t(day));
}

int64_t FoundOffset(const AlmanacLayout& layout, const LabelPlace& found, int64_t viewHeight) {
  const LabelBlock& block = layout.days[found.day].blocks[found.block];
  const int64_t rowTop = LineRowTop(layout, found);
  int64_t top = block.top - 1;
  if (rowTop + kGridRowHeight + 2 > top + viewHeight) top = rowTop - kGridRowHeight;
  return -top;
}

size_t DayAtViewTop(const AlmanacLayout& layout, int64_t offset) {
  return DayAtRow(layout, 1 - offset);
}
