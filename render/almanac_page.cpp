// PLACEHOLDER: replaced by the drawing work.
#include "almanac_page.h"

int32_t EndScrollTop = 0;
bool SpansNextYear = false;
void DrawNewAlmanac(Surface&) {}
void DrawAlmanacWithLabels(Surface&) {}
void DrawDayBox(HDC, int32_t, int16_t, int16_t, int16_t, int, const DayBoxFonts&) {}
void DrawCellText(HDC, const char*, int, int, HFONT, COLORREF) {}
