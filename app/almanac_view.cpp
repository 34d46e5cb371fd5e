#include "almanac_view.h"

#include <algorithm>

#include "../render/scrolling.h"
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

}  // namespace

int64_t ViewHeight(const AlmanacView& view) {
  RECT r;
  if (view.control && GetWindowRect(view.control, &r)) return r.bottom - r.top;
  return kDefaultControlHeight;
}

int ViewRows(const AlmanacView& view) {
  return int(std::max<int64_t>(kDefaultViewRows, ViewHeight(view)));
}

void PrepareView(AlmanacView& view) {
  ReleaseTiles(view.strip);
  PrepareTiles(view.strip, ViewRows(view));
  CreateSurface(view.surface, kStripWidth, ViewRows(view));
  view.offset = 0;
}

void ResizeView(AlmanacView& view, const AlmanacDocument& doc) {
  if (!view.surface.dc) return;  // not prepared yet
  const int rows = ViewRows(view);
  if (rows != view.surface.height) {
    PrepareTiles(view.strip, rows);
    // Without memory for a slice this tall, the default one shows the top.
    if (!CreateSurface(view.surface, kStripWidth, rows))
      CreateSurface(view.surface, kStripWidth, kDefaultViewRows);
  }
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
  view.offset = OffsetAfterKey(was, scroll, ViewHeight(view), doc.layout.endScrollTop);
  // Up and Page Up at the top draw nothing; the others show the view again.
  if (view.offset != was || (scroll != ScrollKey::Up && scroll != ScrollKey::PageUp))
    RefreshView(view, doc);
}

void OnViewWheel(AlmanacView& view, const AlmanacDocument& doc, WORD delta) {
  ClearFoundMark(view, doc.layout);
  const bool towardsUser = delta > 0x8000;
  view.offset = OffsetAfterWheel(view.offset, towardsUser, doc.layout.endScrollTop);
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
  if (firstChangedRow != kNoRow) DropTilesFrom(view.strip, firstChangedRow);
  RefreshView(view, doc);
}
