// Label lines on the fixed 8 x 16 grid, with their icon codes replaced by pictures.
// The almanac's label blocks and the About credits share these.
#pragma once
#include <windows.h>

#include <array>

enum class MarkupVariant {
  LabelLine,     // the strip: text from column 18, patch rows +3..+16, icon at +2
  AboutCredits,  // the About picture: text from column 3, patch rows +0..+16, icon at +1
};

// The 99 icon pictures scaled to their drawn size (18 x 18; 18 x 12 for 9
// and 22), loaded from the program's resources on first use, so a drawing
// reads each picture once.
class IconCache {
 public:
  IconCache() = default;
  ~IconCache();
  IconCache(const IconCache&) = delete;
  IconCache& operator=(const IconCache&) = delete;
  // Draws icon `number` with its top-left at (x, y); magenta pixels are skipped.
  void Draw(HDC dc, int number, int x, int y);

 private:
  struct Picture;
  std::array<Picture*, 100> pictures_{};
};

// "Courier New" 10 points, regular.
HFONT CreateLabelFont();

// Prints the first 118 characters of `text` on grid row `row`.
void DrawLabelLine(HDC dc, MarkupVariant variant, int row, const char* text, HFONT labelFont);
// Paints a patch in `patchColor` over each icon code of `text` (all 119
// characters) and draws the icon on it, codes in ascending order.
void DrawLineIcons(HDC dc, MarkupVariant variant, int row, const char* text, COLORREF patchColor,
                   IconCache& icons);
// Draws one icon at (x, y) (loads it just for this call).
void DrawIcon(int number, HDC dc, int x, int y);
