// The view of the main window over the almanac shown: the almanac control,
// the picture's tiles, the visible slice the control paints from, where it
// stands (the offset) and what it marks (today, the line found last).
#pragma once
#include <windows.h>

#include <cstdint>

#include "../data/almanac_document.h"
#include "../render/almanac_page.h"
#include "../render/surface.h"
#include "../render/tile_strip.h"

// The default window's view: 771 rows, over a control 736 rows tall.
constexpr int kDefaultViewRows = 771;
constexpr int kDefaultControlHeight = 736;

struct AlmanacView {
  HWND control = nullptr;
  WNDPROC previousControlProc = nullptr;
  // The almanac's picture, in tiles drawn as the view needs them.
  TileStrip strip;
  // The visible slice; it is also the control's persistent image, which the
  // control repaints from (its face shows the slice's top-left part).
  Surface surface;
  // Where the picture's top lies on the view: -95 shows it from row 95 on.
  int64_t offset = 0;
  // Today's day box and the line found last, as the tiles are drawn with them.
  AlmanacMarks marks;
};

// The height of the view on the screen: the almanac control's.
int64_t ViewHeight(const AlmanacView& view);
// Rows of the slice: the default 771, or the control's height when it is
// taller, so the slice covers the control's face and no more.
int ViewRows(const AlmanacView& view);

// White tiles and slice for the control as it is, nothing drawn yet.
void PrepareView(AlmanacView& view);
// Follows the control's new size: a taller slice when it needs one, and
// the view shown again.
void ResizeView(AlmanacView& view, const AlmanacDocument& doc);
void ReleaseView(AlmanacView& view);

// Shows the picture at the view's offset in the control.
void RefreshView(AlmanacView& view, const AlmanacDocument& doc);
// Brings the view to `offset` (the found line's outline goes) and shows it.
void MoveView(AlmanacView& view, const AlmanacDocument& doc, int64_t offset);

// Scrolling: an arrow, Page Up or Down, Home or End; other keys do nothing.
void OnViewKey(AlmanacView& view, const AlmanacDocument& doc, WORD key);
// One wheel message, `delta` as WM_MOUSEWHEEL gives it.
void OnViewWheel(AlmanacView& view, const AlmanacDocument& doc, WORD delta);

// The outline of a found line, which stays until the view moves.
void SetFoundMark(AlmanacView& view, const AlmanacLayout& layout, const LabelPlace& place);
void ClearFoundMark(AlmanacView& view, const AlmanacLayout& layout);

// What a change of the document needs of the view as it stands before it:
// the rows of the found line's outline in the layout that is going.
struct ViewBeforeChange {
  bool hadFound = false;
  RowSpan found;
};
ViewBeforeChange NoteBeforeChange(const AlmanacView& view, const AlmanacLayout& layout);
// After the document changed from `firstChangedRow` on: the outline goes,
// the tiles from that row on are drawn again, the view shown again where it is.
void ShowChange(AlmanacView& view, const AlmanacDocument& doc, const ViewBeforeChange& before,
                int64_t firstChangedRow);
