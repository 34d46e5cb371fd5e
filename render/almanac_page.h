// Drawing an almanac from its layout: day boxes, label blocks, text, icons,
// for any run of rows of its picture.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "gdi_util.h"
#include "label_text.h"
#include "layout.h"

// The three fonts of a day box.
struct DayBoxFonts {
  HFONT header, number, weekday;
};
DayBoxFonts CreateDayBoxFonts(int dpi = 0);  // 0: the screen's DPI
void DeleteDayBoxFonts(DayBoxFonts& fonts);

// The fonts, pen and icon pictures a drawing uses (and the month and weekday
// names loaded). Making them costs more than drawing a screenful, so whoever
// draws often keeps one.
// They are made for one DPI, the layout's they draw.
struct AlmanacTools {
  explicit AlmanacTools(int dpi = kBaseDpi);
  ~AlmanacTools();
  AlmanacTools(const AlmanacTools&) = delete;
  AlmanacTools& operator=(const AlmanacTools&) = delete;
  int dpi;
  DayBoxFonts dayFonts;
  OwnedFont labelFont;
  OwnedPen framePen;
  OwnedPen blockPen;  // a label block's outline
  IconCache icons;
};

// Today's day box: its frame and the ring just inside it in this colour.
constexpr COLORREF kTodayColor = RGB(0, 102, 204);
// The line found last: a two-pixel outline around its row in this colour.
constexpr COLORREF kFoundColor = RGB(230, 0, 0);

// Draws rows [top, bottom) of the picture of the almanac `layout` places,
// with the labels of `records` (the records it was laid out from), into
// `dc`: row 0 of the dc is row `top` of the picture, and only rows
// 0 .. bottom - top of the dc are touched, whitened first. The cost follows
// what those rows hold, not the size of the almanac. `marks` adds today's
// mark and the found line's outline; nothing else changes with them.
// `tools` must be made for the layout's DPI.
void DrawAlmanacRows(HDC dc, const AlmanacLayout& layout, const std::vector<LabelRecord>& records,
                     int64_t top, int64_t bottom, AlmanacTools& tools,
                     const AlmanacMarks& marks = AlmanacMarks());

// Rows [first, last) of the picture that today's mark, or the found line's
// outline, can change; an empty span (first == last) when it is not shown.
struct RowSpan {
  int64_t first = 0, last = 0;
};
RowSpan TodayMarkRows(const AlmanacLayout& layout, const CivilDate& today);
RowSpan FoundMarkRows(const AlmanacLayout& layout, const LabelPlace& found);

// One day box with its top at `top` and left edge 1 (at 96 DPI).
void DrawDayBox(HDC dc, int top, int16_t day, int16_t month, int16_t year, int weekday,
                const DayBoxFonts& fonts);

// `text` centred in a cell `cellWidth` pixels wide starting at x, top at y,
// transparent.
void DrawCellText(HDC dc, const char* text, int x, int y, HFONT font, COLORREF color,
                  int cellWidth = 125);
