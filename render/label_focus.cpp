#include "label_focus.h"

namespace {

const LabelBlock* BlockOf(const AlmanacLayout& layout, const LabelPlace& place) {
  if (place.day >= layout.days.size()) return nullptr;
  const DayBand& day = layout.days[place.day];
  return place.block < day.blocks.size() ? &day.blocks[place.block] : nullptr;
}

}  // namespace

bool BlockInView(const AlmanacLayout& layout, const LabelPlace& place, int64_t offset,
                 int64_t viewHeight) {
  const LabelBlock* block = BlockOf(layout, place);
  return block && block->top + block->height() + offset > 0 && block->top + offset < viewHeight;
}

bool NextLabel(const AlmanacLayout& layout, const LabelPlace* from, bool forward, int64_t offset,
               int64_t viewHeight, LabelPlace& to) {
  const std::vector<DayBand>& days = layout.days;
  if (from && BlockOf(layout, *from)) {
    LabelPlace at = *from;
    at.line = 0;
    if (forward) {
      if (++at.block < days[at.day].blocks.size()) return to = at, true;
      for (size_t d = at.day + 1; d < days.size(); ++d)
        if (!days[d].blocks.empty()) return to = LabelPlace{d, 0, 0}, true;
    } else {
      if (at.block > 0) return --at.block, to = at, true;
      for (size_t d = at.day; d-- > 0;)
        if (!days[d].blocks.empty()) return to = LabelPlace{d, days[d].blocks.size() - 1, 0}, true;
    }
    return false;
  }
  // None selected yet: from where the view is.
  if (forward) {
    for (size_t d = 0; d < days.size(); ++d)
      for (size_t b = 0; b < days[d].blocks.size(); ++b) {
        const LabelBlock& block = days[d].blocks[b];
        if (block.top + block.height() + offset > 0) return to = LabelPlace{d, b, 0}, true;
      }
  } else {
    for (size_t d = days.size(); d-- > 0;)
      for (size_t b = days[d].blocks.size(); b-- > 0;)
        if (days[d].blocks[b].top + offset < viewHeight) return to = LabelPlace{d, b, 0}, true;
  }
  return false;
}

int64_t OffsetShowing(const AlmanacLayout& layout, const LabelPlace& place, int64_t offset,
                      int64_t viewHeight) {
  const LabelBlock* block = BlockOf(layout, place);
  if (!block) return offset;
  const int64_t top = block->top + offset;
  const int64_t bottom = top + block->height();
  if (top >= 0 && bottom <= viewHeight) return offset;
  if (top < 0 || block->height() + 2 > viewHeight) return -(block->top - 1);
  return viewHeight - 1 - (block->top + block->height());
}
