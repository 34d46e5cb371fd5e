// The almanac for screen readers, through Microsoft Active Accessibility:
// the control answers WM_GETOBJECT for OBJID_CLIENT with a list whose items
// are the days in order, each named by its date ("domingo, 2 de marzo de
// 2025") with its labels as the value. A selected label is an item of its
// own, reached by its child id (not counted among the list's children),
// named by its text and focused.
#pragma once
#include <windows.h>

#include <functional>
#include <vector>

#include "../render/layout.h"

// What the object reads, asked afresh at every question, so it always
// tells the almanac as it is shown.
struct AlmanacAccessView {
  const AlmanacLayout* layout = nullptr;  // none, or no days: no almanac shown
  const std::vector<LabelRecord>* records = nullptr;
  int64_t viewOffset = 0;                // the view shows picture row y - viewOffset at y
  const LabelPlace* selected = nullptr;  // the selected label (day and block), or none
};
using AlmanacAccessSource = std::function<AlmanacAccessView()>;

// Makes `control` answer screen readers with the almanac `source` tells,
// until the control is destroyed; then the object, which a reader may still
// hold, answers that it is gone. The control's thread joins a COM
// apartment (single-threaded) for as long, so that the object can be
// handed to other processes. False when that cannot be set up.
bool AttachAlmanacAccessible(HWND control, AlmanacAccessSource source);

// Child ids: the days are 1 .. N + 1, in order; the labels follow them in
// layout order (day by day, top to bottom).
LONG DayChildId(size_t day);
LONG LabelChildId(const AlmanacLayout& layout, const LabelPlace& place);

// Tells screen readers where the focus is now: on the selected label, or,
// without one, on the almanac itself.
void NotifyAlmanacFocus(HWND control, const AlmanacLayout& layout, const LabelPlace* selected);
