#include "almanac_view.h"

#include <algorithm>

#include "../render/label_focus.h"
#include "../render/scrolling.h"
#include "almanac_accessible.h"
#include "today.h"

namespace {

// Today's mark follows the clock, so a run that passes midnight moves it.
void UpdateTodayMark(AlmanacView& view, const AlmanacLayout& layout) {
  const CivilDate today = Today();
  const CivilDate& marked = view.marks.today;
  if (today.day == marked.day && today.month == marked.month && today.year == marked.year) return;
  DropTileRows(view.strip, TodayMarkRows(layout, view.marks.today));
  view.marks.today = today;
  DropTileRows(view.strip, TodayMarkRows(layout, view.marks.today));
}

// The chosen label's focus rectangle, inside its block's outline, on the slice.
void DrawSelection(const AlmanacView& view, const AlmanacLayout& layout) {
  const LabelPlace& place = view.selection;
  if (!view.hasSelection || place.day >= layout.days.size() ||
      place.block >= layout.days[place.day].blocks.size())
    return;
  const LabelBlock& block = layout.days[place.day].blocks[place.block];
  const int64_t top = block.top + view.offset, bottom = top + block.height();
  if (bottom <= 0 || top >= view.surface.height) return;
  const int dpi = layout.dpi;
  RECT r = {Scaled(kBlockLeft, dpi) + 2, int(std::max<int64_t>(top + 2, -1)),
            Scaled(kBlockRight, dpi) - 2,
            int(std::min<int64_t>(bottom - 2, view.surface.height + 1))};
  DrawFocusRect(view.surface.dc, &r);
}

// A selection whose block has left the view ends; screen readers hear where
// the focus is then.
void KeepSelectionInView(AlmanacView& view, const AlmanacDocument& doc) {
  if (view.hasSelection &&
      !BlockInView(doc.layout, view.selection, view.offset, ViewHeight(view))) {
    view.hasSelection = false;
    NotifyAlmanacFocus(view.control, doc.layout, nullptr);
  }
}

}  // namespace

int64_t ViewHeight(const AlmanacView& view) {
  RECT r;
  if (view.control && GetWindowRect(view.control, &r)) return r.bottom - r.top;
  return Scaled(kDefaultControlHeight, view.dpi);
}

int ViewRows(const AlmanacView& view) {
  return int(std::max<int64_t>(Scaled(kDefaultViewRows, view.dpi), ViewHeight(view)));
}

void PrepareView(AlmanacView& view) {
  ReleaseTiles(view.strip);
  PrepareTiles(view.strip, ViewRows(view), view.dpi);
  CreateSurface(view.surface, Scaled(kStripWidth, view.dpi), ViewRows(view));
  view.offset = 0;
}

void ChangeViewDpi(AlmanacView& view, const AlmanacDocument& doc, int dpi, size_t topDay) {
  view.dpi = dpi;
  view.marks.hasFound = false;  // its rows were those of the layout that went
  PrepareView(view);
  if (IsShown(doc))
    view.offset = DayOffset(doc.layout, std::min(topDay, doc.layout.days.size() - 1));
  RefreshView(view, doc);
}

void ResizeView(AlmanacView& view, const AlmanacDocument& doc) {
  if (!view.surface.dc) return;  // not prepared yet
  const int rows = ViewRows(view);
  if (rows != view.surface.height) {
    PrepareTiles(view.strip, rows, view.dpi);
    // Without memory for a slice this tall, the default one shows the top.
    const int width = Scaled(kStripWidth, view.dpi);
    if (!CreateSurface(view.surface, width, rows))
      CreateSurface(view.surface, width, Scaled(kDefaultViewRows, view.dpi));
  }
  KeepSelectionInView(view, doc);
  RefreshView(view, doc);
}

void ReleaseView(AlmanacView& view) {
  ReleaseTiles(view.strip);
  ReleaseSurface(view.surface);
}

void RefreshView(AlmanacView& view, const AlmanacDocument& doc) {
  Surface& slice = view.surface;
  if (!slice.dc) return;
  // The picture's rows from -offset on, below a white band when the offset
  // is positive; rows outside the picture are white. Tiles are copied as
  // they are: the same picture as whitening the slice and AND-ing them onto
  // it, at a fraction of the cost (Wine's SRCAND is several times slower
  // than a plain copy, and scrolling repeats this on every step).
  UpdateTodayMark(view, doc.layout);
  const int destY = int(std::clamp<int64_t>(view.offset, 0, slice.height));
  if (destY > 0) {
    RECT above = {0, 0, slice.width, destY};
    FillRect(slice.dc, &above, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  CopyStripRows(view.strip, doc.layout, doc.records, view.marks, slice.dc, destY,
                destY - view.offset, slice.height - destY);
  DrawSelection(view, doc.layout);
  // Straight onto the control, as the face's own painting would do it: a
  // scroll step is then two copies and no trip through the message queue.
  if (view.control && IsWindowVisible(view.control)) {
    RECT face;
    GetClientRect(view.control, &face);
    if (HDC dc = GetDC(view.control)) {
      PaintSurface(dc, face, slice);
      ReleaseDC(view.control, dc);
    }
    ValidateRect(view.control, nullptr);
  }
}

void MoveView(AlmanacView& view, const AlmanacDocument& doc, int64_t offset) {
  ClearFoundMark(view, doc.layout);
  view.offset = offset;
  KeepSelectionInView(view, doc);
  RefreshView(view, doc);
}

void OnViewKey(AlmanacView& view, const AlmanacDocument& doc, WORD key) {
  ScrollKey scroll;
  switch (key) {
    case VK_DOWN:
      scroll = ScrollKey::Down;
      break;
    case VK_UP:
      scroll = ScrollKey::Up;
      break;
    case VK_NEXT:
      scroll = ScrollKey::PageDown;
      break;
    case VK_PRIOR:
      scroll = ScrollKey::PageUp;
      break;
    case VK_HOME:
      scroll = ScrollKey::Home;
      break;
    case VK_END:
      scroll = ScrollKey::End;
      break;
    default:
      return;
  }
  ClearFoundMark(view, doc.layout);
  const int64_t was = view.offset;
  view.offset =
      OffsetAfterKey(was, scroll, ViewHeight(view), doc.layout.endScrollTop, doc.layout.dpi);
  KeepSelectionInView(view, doc);
  // Up and Page Up at the top draw nothing; the others show the view again.
  if (view.offset != was || (scroll != ScrollKey::Up && scroll != ScrollKey::PageUp))
    RefreshView(view, doc);
}

void OnViewWheel(AlmanacView& view, const AlmanacDocument& doc, WORD delta) {
  ClearFoundMark(view, doc.layout);
  const bool towardsUser = delta > 0x8000;
  view.offset = OffsetAfterWheel(view.offset, towardsUser, doc.layout.endScrollTop, doc.layout.dpi);
  KeepSelectionInView(view, doc);
  RefreshView(view, doc);
}

void SetFoundMark(AlmanacView& view, const AlmanacLayout& layout, const LabelPlace& place) {
  ClearFoundMark(view, layout);
  view.marks.hasFound = true;
  view.marks.found = place;
  DropTileRows(view.strip, FoundMarkRows(layout, place));
}

void ClearFoundMark(AlmanacView& view, const AlmanacLayout& layout) {
  if (!view.marks.hasFound) return;
  DropTileRows(view.strip, FoundMarkRows(layout, view.marks.found));
  view.marks.hasFound = false;
}

ViewBeforeChange NoteBeforeChange(const AlmanacView& view, const AlmanacLayout& layout) {
  ViewBeforeChange before;
  before.hadFound = view.marks.hasFound;
  if (before.hadFound) before.found = FoundMarkRows(layout, view.marks.found);
  return before;
}

void ShowChange(AlmanacView& view, const AlmanacDocument& doc, const ViewBeforeChange& before,
                int64_t firstChangedRow) {
  if (before.hadFound) DropTileRows(view.strip, before.found);
  view.marks.hasFound = false;
  // The labels have moved: a place chosen before may now be another label.
  if (view.hasSelection) {
    view.hasSelection = false;
    NotifyAlmanacFocus(view.control, doc.layout, nullptr);
  }
  if (firstChangedRow != kNoRow) DropTilesFrom(view.strip, firstChangedRow);
  RefreshView(view, doc);
}

bool SelectNextLabel(AlmanacView& view, const AlmanacDocument& doc, bool forward) {
  LabelPlace next;
  if (!NextLabel(doc.layout, SelectedLabel(view), forward, view.offset, ViewHeight(view), next))
    return false;
  SelectLabel(view, doc, next);
  return true;
}

void SelectLabel(AlmanacView& view, const AlmanacDocument& doc, const LabelPlace& place) {
  if (place.day >= doc.layout.days.size() ||
      place.block >= doc.layout.days[place.day].blocks.size())
    return;
  view.hasSelection = true;
  view.selection = LabelPlace{place.day, place.block, 0};
  const int64_t offset = OffsetShowing(doc.layout, view.selection, view.offset, ViewHeight(view));
  if (offset != view.offset) ClearFoundMark(view, doc.layout);  // the view moves
  view.offset = offset;
  RefreshView(view, doc);
  NotifyAlmanacFocus(view.control, doc.layout, &view.selection);
}

void EndSelection(AlmanacView& view, const AlmanacDocument& doc) {
  if (!view.hasSelection) return;
  view.hasSelection = false;
  RefreshView(view, doc);
  NotifyAlmanacFocus(view.control, doc.layout, nullptr);
}

const LabelPlace* SelectedLabel(const AlmanacView& view) {
  return view.hasSelection ? &view.selection : nullptr;
}
