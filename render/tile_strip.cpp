#include "tile_strip.h"

#include <algorithm>

namespace {

// The tile holding rows of `index`, drawn now if it is not kept.
StripTile* TileFor(TileStrip& strip, const AlmanacLayout& layout,
                   const std::vector<LabelRecord>& records, const AlmanacMarks& marks,
                   int64_t index) {
  StripTile* chosen = nullptr;
  for (StripTile& tile : strip.tiles) {
    if (tile.index == index) {
      tile.lastUse = ++strip.uses;
      return &tile;
    }
    // A free tile first, then the least recently used.
    if (!chosen || (chosen->index >= 0 && (tile.index < 0 || tile.lastUse < chosen->lastUse)))
      chosen = &tile;
  }
  if (!chosen) return nullptr;  // no tiles prepared
  if (!chosen->surface.dc &&
      !CreateSurface(chosen->surface, Scaled(kStripWidth, strip.dpi), strip.rows))
    return nullptr;
  if (!strip.tools || strip.tools->dpi != layout.dpi)
    strip.tools = std::make_unique<AlmanacTools>(layout.dpi);
  const int64_t top = index * strip.rows;
  DrawAlmanacRows(chosen->surface.dc, layout, records, top, top + strip.rows, *strip.tools, marks);
  chosen->index = index;
  chosen->lastUse = ++strip.uses;
  return chosen;
}

void FillWhite(HDC dc, int width, int top, int rows) {
  RECT r = {0, top, width, top + rows};
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

}  // namespace

int TileRows(int dpi) {
  return dpi <= kBaseDpi ? kTileRows : int(int64_t(kTileRows) * kBaseDpi / dpi);
}

int TileBudget(int viewRows, int tileRows) {
  tileRows = std::max(tileRows, 1);
  // A view whose first row is the last of a tile reaches furthest.
  const int64_t covered = (int64_t(tileRows) - 2 + std::max(viewRows, 1)) / tileRows + 1;
  return int(covered) + 1;
}

bool PrepareTiles(TileStrip& strip, int viewRows, int dpi) {
  if (dpi != strip.dpi) {
    ReleaseTiles(strip);
    strip.dpi = dpi;
  }
  strip.rows = TileRows(dpi);
  const int width = Scaled(kStripWidth, dpi);
  const size_t budget = size_t(TileBudget(viewRows, strip.rows));
  for (size_t i = budget; i < strip.tiles.size(); ++i) ReleaseSurface(strip.tiles[i].surface);
  strip.tiles.resize(budget);
  bool all = true;
  for (StripTile& tile : strip.tiles)
    if (!tile.surface.dc) all &= CreateSurface(tile.surface, width, strip.rows);
  return all;
}

void CopyStripRows(TileStrip& strip, const AlmanacLayout& layout,
                   const std::vector<LabelRecord>& records, const AlmanacMarks& marks, HDC dc,
                   int destY, int64_t top, int rows) {
  const int width = Scaled(kStripWidth, strip.dpi);
  int done = 0;
  while (done < rows) {
    const int64_t row = top + done;
    int run = rows - done;
    if (row < 0 || row >= layout.height) {
      // Outside the picture: white up to where it begins, or to the end.
      if (row < 0) run = int(std::min<int64_t>(run, -row));
      FillWhite(dc, width, destY + done, run);
    } else {
      const int64_t index = row / strip.rows;
      const int offset = int(row - index * strip.rows);
      run = int(std::min<int64_t>({run, strip.rows - offset, layout.height - row}));
      StripTile* tile = TileFor(strip, layout, records, marks, index);
      if (tile)
        BitBlt(dc, 0, destY + done, width, run, tile->surface.dc, 0, offset, SRCCOPY);
      else
        FillWhite(dc, width, destY + done, run);  // no memory for a tile: nothing to show
    }
    done += run;
  }
}

void DropTilesFrom(TileStrip& strip, int64_t row) {
  const int64_t first = row <= 0 ? 0 : row / strip.rows;
  for (StripTile& tile : strip.tiles)
    if (tile.index >= first) tile.index = -1;
}

void DropTileRows(TileStrip& strip, const RowSpan& span) {
  if (span.last <= span.first) return;
  const int64_t first = span.first / strip.rows;
  const int64_t last = (span.last - 1) / strip.rows;
  for (StripTile& tile : strip.tiles)
    if (tile.index >= first && tile.index <= last) tile.index = -1;
}

void ReleaseTiles(TileStrip& strip) {
  for (StripTile& tile : strip.tiles) ReleaseSurface(tile.surface);
  strip.tiles.clear();
  strip.tools.reset();
  strip.uses = 0;
}

int KeptTileCount(const TileStrip& strip) {
  int kept = 0;
  for (const StripTile& tile : strip.tiles) kept += tile.index >= 0 ? 1 : 0;
  return kept;
}
