// The almanac's picture as the view scrolls over it: horizontal tiles,
// drawn from the layout when the view first needs them and kept, the least
// recently used given up first, up to a fixed number. The memory they take
// is the same whatever the almanac holds.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "almanac_page.h"
#include "layout.h"
#include "surface.h"

// Rows of one tile at 96 DPI: more than the default view's 771, so such a
// view never needs more than two, and few enough that drawing one fits well
// inside a scroll step (about 11 Down steps pass over a tile). 1024 is also
// a whole number of label grid rows.
constexpr int kTileRows = 1024;

// Rows of one tile at `dpi`: above 96 DPI as many fewer as the strip is
// wider, so a tile holds about the pixels it holds at 96 and drawing one
// costs about the same at any scale (512 rows at 192 DPI).
int TileRows(int dpi);

// The tiles kept for a view `viewRows` tall: as many as it can cover at
// once, and the one it has just left, so turning back at a tile's edge draws
// nothing. At 96 DPI 3 for any view up to 1025 rows (3 x 1134 x 1024 x 4
// bytes, 14 MB), one more for every further 1024: the memory follows the
// screen, never the almanac.
int TileBudget(int viewRows, int tileRows = kTileRows);

struct StripTile {
  Surface surface;
  int64_t index = -1;  // holds rows [index x rows, (index + 1) x rows) of the strip; -1 when free
  uint64_t lastUse = 0;
};

struct TileStrip {
  int dpi = kBaseDpi;            // tiles are the strip's width at this DPI
  int rows = kTileRows;          // and TileRows(dpi) tall
  std::vector<StripTile> tiles;  // TileBudget of the view, set by PrepareTiles
  uint64_t uses = 0;
  std::unique_ptr<AlmanacTools> tools;  // made with the first tile
};

// Keeps TileBudget(viewRows, TileRows(dpi)) tiles, releasing any beyond, and makes the
// bitmaps of all of them now, white, so that neither opening an almanac nor
// scrolling waits for memory; false when some could not be made (they are
// tried again when needed). Tiles of another DPI than `dpi` are released
// first: a layout of that DPI is drawn on them.
bool PrepareTiles(TileStrip& strip, int viewRows, int dpi = kBaseDpi);
// Copies rows [top, top + rows) of the picture of `layout` (with its
// `records` and `marks`) into `dc` at y = destY, the strip's width, from
// the tiles, drawing those not kept. Rows outside the picture are white.
void CopyStripRows(TileStrip& strip, const AlmanacLayout& layout,
                   const std::vector<LabelRecord>& records, const AlmanacMarks& marks, HDC dc,
                   int destY, int64_t top, int rows);
// Gives up the tiles that hold `row` or any row below it: they are drawn
// again when next needed.
void DropTilesFrom(TileStrip& strip, int64_t row);
// Gives up the tiles that hold any of the rows of `span`.
void DropTileRows(TileStrip& strip, const RowSpan& span);
// Releases every tile's bitmap and the drawing tools.
void ReleaseTiles(TileStrip& strip);
// How many tiles hold rows now.
int KeptTileCount(const TileStrip& strip);
