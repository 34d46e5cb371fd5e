// Label lines on the fixed 8 x 16 grid, with their icon codes replaced by pictures.
// The almanac's label blocks and the About credits share these.
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>

#include "scale.h"

enum class MarkupVariant {
  LabelLine,     // the strip: text from column 18, patch rows +3..+16, icon at +2
  AboutCredits,  // the About picture: text from column 3, patch rows +0..+16, icon at +1
};

// The 99 icon pictures scaled to their drawn size (18 x 18; 18 x 12 for 9
// and 22), loaded from the program's resources on first use, so a drawing
// reads each picture once. Drawing one costs two block transfers: the
// magenta pixels become a mask when the picture is loaded.
//
// At another DPI than 96 every drawn size and position is scaled, and the
// pictures come from the set drawn nearest that size (PictureSetFor): as
// they are where the set is drawn for it, else scaled with a smoothing
// filter.
class IconCache {
 public:
  explicit IconCache(int dpi = kBaseDpi);
  ~IconCache();
  IconCache(const IconCache&) = delete;
  IconCache& operator=(const IconCache&) = delete;
  // Draws icon `number` with its top-left at (x, y); magenta pixels are skipped.
  // An icon without a picture draws nothing.
  void Draw(HDC dc, int number, int x, int y);
  // Scales `picture` (not selected in any DC) to icon `number`'s drawn size
  // and keeps it in place of the resource.
  bool Insert(int number, HBITMAP picture);
  int dpi() const { return dpi_; }

 private:
  enum : uint8_t { kNotTried, kLoaded, kMissing };
  bool PrepareAtlas();
  void Load(int number);
  // Puts icon `number` of the picture set into its slot; false when the set
  // cannot be read.
  bool LoadFromSet(int number);
  // Makes the picture in icon `number`'s slot drawable: magenta becomes
  // transparent, and, where it was `smoothed`, what is mostly magenta.
  void FinishSlot(int number, bool smoothed);
  // All pictures side by side: the picture with magenta made black, and a
  // mask that is white where the picture is transparent.
  HDC imageDc_ = nullptr;
  HDC maskDc_ = nullptr;
  HBITMAP imageBitmap_ = nullptr;
  HBITMAP maskBitmap_ = nullptr;
  HGDIOBJ oldImage_ = nullptr;
  HGDIOBJ oldMask_ = nullptr;
  uint32_t* imageBits_ = nullptr;
  uint32_t* maskBits_ = nullptr;
  std::array<uint8_t, 100> state_{};
  int dpi_;
  int slot_;                 // every picture fits a slot this wide and tall
  int set_;                  // the picture set drawn nearest dpi_; 0: the 96 DPI bitmaps
  HBITMAP strip_ = nullptr;  // the set's 99 pictures, read on first use
  bool stripTried_ = false;
};

// The drawn size of icon `number` at 96 DPI.
int IconWidth(int number);
int IconHeight(int number);

// "Courier New" 10 points, regular, at `dpi` (0: the screen's).
HFONT CreateLabelFont(int dpi = 0);

// Prints the first 118 characters of `text` on grid row `row`, the grid
// scaled to `dpi`.
void DrawLabelLine(HDC dc, MarkupVariant variant, int row, const char* text, HFONT labelFont,
                   int dpi = kBaseDpi);
// Paints a patch in `patchColor` over each icon code of `text` (all 119
// characters) and draws the icon on it, codes in ascending order, at the
// icons' DPI.
void DrawLineIcons(HDC dc, MarkupVariant variant, int row, const char* text, COLORREF patchColor,
                   IconCache& icons);
// The same two for a grid row whose top lies at y = `rowTop` of the dc (a
// multiple of 16 rows away from the grid's own rows), as a tile of the
// almanac holds them.
void DrawLabelLineAt(HDC dc, MarkupVariant variant, int rowTop, const char* text, HFONT labelFont,
                     int dpi = kBaseDpi);
void DrawLineIconsAt(HDC dc, MarkupVariant variant, int rowTop, const char* text,
                     COLORREF patchColor, IconCache& icons);
// Draws one icon at (x, y) (loads it just for this call).
void DrawIcon(int number, HDC dc, int x, int y);
