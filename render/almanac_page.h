// Drawing an almanac onto the strip: day boxes, label blocks, text, icons.
#pragma once
#include <windows.h>

#include <cstdint>

#include "layout.h"
#include "surface.h"

// Set by every drawing; read by the End key and the label entry dialog.
extern int32_t EndScrollTop;
extern bool SpansNextYear;

// Draws gAlmanac's day boxes (no labels) on `strip`, which is grown to the
// almanac's height and cleared first. gAlmanac must hold valid settings.
void DrawNewAlmanac(Surface& strip);
// Draws gAlmanac with the labels of gLabelTable (already read) on `strip`,
// grown and cleared first. gAlmanac must hold valid settings.
void DrawAlmanacWithLabels(Surface& strip);

// One day box with its top at `top` and left edge 1. `fonts` come from
// CreateDayBoxFonts.
struct DayBoxFonts {
  HFONT header, number, weekday;
};
DayBoxFonts CreateDayBoxFonts();
void DeleteDayBoxFonts(DayBoxFonts& fonts);
void DrawDayBox(HDC dc, int32_t top, int16_t day, int16_t month, int16_t year, int weekday,
                const DayBoxFonts& fonts);

// The tallest strip a drawing asks for (about 300 MB at 32 bits a pixel);
// anything below it is clipped.
constexpr int kMaxStripHeight = 65536;

// `text` centred in a 125-pixel cell starting at x, top at y, transparent.
void DrawCellText(HDC dc, const char* text, int x, int y, HFONT font, COLORREF color);
