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

// Rows of one tile: more than the view's 771, so a view never needs more
// than two, and few enough that drawing one fits well inside a scroll step
// (about 11 Down steps pass over a tile). 1024 is also a whole number of
// label grid rows.
constexpr int kTileRows = 1024;
// Two tiles under the view and the one it has just left, so turning back
// at a tile's edge draws nothing: 3 x 1134 x 1024 x 4 bytes, 14 MB.
constexpr int kTileBudget = 3;

struct StripTile {
  Surface surface;
  int64_t index = -1;  // holds rows [index x kTileRows, (index + 1) x kTileRows); -1 when free
  uint64_t lastUse = 0;
};

struct TileStrip {
  StripTile tiles[kTileBudget];
  uint64_t uses = 0;
  std::unique_ptr<AlmanacTools> tools;  // made with the first tile
};

// Makes the bitmaps of all the tiles now, white, so that neither opening an
// almanac nor scrolling waits for memory; false when some could not be made
// (they are tried again when needed).
bool PrepareTiles(TileStrip& strip);
// Copies rows [top, top + rows) of the picture of `layout` (with its
// `records` and `marks`) into `dc` at y = destY, x 0 .. kStripWidth, from
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
