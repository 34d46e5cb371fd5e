// Choosing a label with the keyboard: which label Tab and Shift+Tab select,
// and where the view goes to show it. The view shows picture row
// y - offset at its row y, `viewHeight` rows. Portable.
#pragma once
#include <cstdint>

#include "layout.h"

// Whether any row of the label block at `place` is on the view.
bool BlockInView(const AlmanacLayout& layout, const LabelPlace& place, int64_t offset,
                 int64_t viewHeight);

// The label Tab (`forward`) or Shift+Tab selects. From `from` (a label, or
// nullptr for none): the next or previous label in layout order, day by
// day and top to bottom. Without one: the first label not wholly above the
// view (forward) or the last not wholly below it, which is the first or
// last label in view when there is one. False when there is no such label;
// `to` is then left alone.
bool NextLabel(const AlmanacLayout& layout, const LabelPlace* from, bool forward, int64_t offset,
               int64_t viewHeight, LabelPlace& to);

// The offset that shows the block at `place`: `offset` itself when all of
// it is on the view, else as little a move as shows it whole (its top one
// row below the view's top when it lies above, or when it is taller than
// the view; its bottom one row above the view's bottom when it lies below).
int64_t OffsetShowing(const AlmanacLayout& layout, const LabelPlace& place, int64_t offset,
                      int64_t viewHeight);
