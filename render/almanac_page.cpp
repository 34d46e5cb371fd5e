#include "almanac_page.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "../data/calendar.h"
#include "../data/label_file.h"
#include "gdi_util.h"
#include "label_text.h"

int32_t EndScrollTop = 0;
bool SpansNextYear = false;

namespace {

constexpr int kCellWidth = 125;
constexpr int kBoxHeight = 94;
constexpr COLORREF kFrameColor = RGB(192, 192, 192);
constexpr COLORREF kHeaderColor = RGB(128, 128, 128);
constexpr COLORREF kWeekdayColor = RGB(192, 192, 192);
constexpr COLORREF kSundayColor = RGB(255, 0, 0);

// Everything one drawing creates, released when the drawing ends.
struct DrawingTools {
  DayBoxFonts dayFonts = CreateDayBoxFonts();
  OwnedFont labelFont{CreateLabelFont()};
  OwnedPen framePen{CreatePen(PS_SOLID, 1, kFrameColor)};
  IconCache icons;
  ~DrawingTools() { DeleteDayBoxFonts(dayFonts); }
};

// The three texts of a day box: where they go and how they look.
enum class BoxText { Header, Number, Weekday };

void DrawBoxText(HDC dc, BoxText which, const DayBand& band, const DayBoxFonts& fonts) {
  switch (which) {
    case BoxText::Header: {
      std::string header = MonthNames(band.month) + " " + std::to_string(band.year);
      DrawCellText(dc, header.c_str(), kDayBoxLeft + 2, band.top + 2, fonts.header, kHeaderColor);
      break;
    }
    case BoxText::Number: {
      char number[8];
      snprintf(number, sizeof number, "%02d", int(band.day));
      DrawCellText(dc, number, kDayBoxLeft, band.top + 14, fonts.number,
                   band.weekday == 7 ? kSundayColor : RGB(0, 0, 0));
      break;
    }
    case BoxText::Weekday:
      DrawCellText(dc, WeekdayNames(band.weekday).c_str(), kDayBoxLeft, band.top + 74,
                   fonts.weekday, kWeekdayColor);
      break;
  }
}

// Expects the frame pen and a white brush selected.
void DrawDayFrame(HDC dc, int32_t top) {
  Rectangle(dc, kDayBoxLeft, top, kDayBoxLeft + kCellWidth, top + kBoxHeight);
}

void DrawLabelBlock(HDC dc, const LabelBlock& block, const std::vector<LabelRecord>& records,
                    DrawingTools& tools) {
  const LabelRecord& first = records[block.firstRecord];
  {
    OwnedBrush fill(CreateSolidBrush(COLORREF(first.color) & 0x00FFFFFF));
    ScopedSelect pen(dc, GetStockObject(BLACK_PEN));
    ScopedSelect brush(dc, fill);
    Rectangle(dc, kBlockLeft, block.top, kBlockRight, block.top + block.height());
  }
  const int firstRow = RowAtOrBelow(block.top);
  for (size_t k = 0; k < block.lineCount; ++k) {
    const LabelRecord& line = records[block.firstRecord + k];
    int row = firstRow + int(k);
    DrawLabelLine(dc, MarkupVariant::LabelLine, row, line.text, tools.labelFont);
    DrawLineIcons(dc, MarkupVariant::LabelLine, row, line.text, COLORREF(line.color),
                  tools.icons);
  }
}

void DrawAlmanac(Surface& strip, const std::vector<LabelRecord>& records) {
  LoadNameTables();
  AlmanacLayout layout = LayOutAlmanac(gAlmanac, records);
  EndScrollTop = layout.endScrollTop;
  SpansNextYear = layout.spansNextYear;
  if (layout.days.empty()) {  // no valid almanac: nothing to draw
    ClearSurface(strip);
    return;
  }
  MonthLengths = layout.monthLengths;

  // The strip grows to the almanac (never shrinks); if it cannot grow, what
  // does not fit is clipped.
  const int needed = std::min(layout.height, kMaxStripHeight);
  if (!strip.dc)
    CreateSurface(strip, kStripWidth, needed);
  else
    EnsureSurfaceHeight(strip, needed);
  if (!strip.dc) return;
  ClearSurface(strip);

  HDC dc = strip.dc;
  DrawingTools tools;
  size_t visible = 0;  // days whose band starts on the strip
  while (visible < layout.days.size() && layout.days[visible].top < strip.height) ++visible;

  // Box by box this is what DrawDayBox does. Nothing drawn here overlaps, so
  // it is drawn in passes that select each pen and font once: selecting a
  // font costs more than printing a short text.
  {
    ScopedSelect pen(dc, tools.framePen);
    ScopedSelect brush(dc, GetStockObject(WHITE_BRUSH));
    for (size_t i = 0; i < visible; ++i) DrawDayFrame(dc, layout.days[i].top);
  }
  const struct {
    BoxText which;
    HFONT font;
  } passes[] = {{BoxText::Header, tools.dayFonts.header},
                {BoxText::Number, tools.dayFonts.number},
                {BoxText::Weekday, tools.dayFonts.weekday}};
  for (const auto& pass : passes) {
    ScopedSelect font(dc, pass.font);
    for (size_t i = 0; i < visible; ++i) DrawBoxText(dc, pass.which, layout.days[i], tools.dayFonts);
  }
  ScopedSelect font(dc, tools.labelFont);
  for (size_t i = 0; i < visible; ++i) {
    for (const LabelBlock& block : layout.days[i].blocks) {
      if (block.top >= strip.height) break;
      DrawLabelBlock(dc, block, records, tools);
    }
  }
}

}  // namespace

DayBoxFonts CreateDayBoxFonts() {
  return DayBoxFonts{CreatePointFont("Kartika", 10), CreatePointFont("Kartika", 40),
                     CreatePointFont("Kartika", 8)};
}

void DeleteDayBoxFonts(DayBoxFonts& fonts) {
  for (HFONT* font : {&fonts.header, &fonts.number, &fonts.weekday}) {
    if (*font) DeleteObject(*font);
    *font = nullptr;
  }
}

void DrawNewAlmanac(Surface& strip) { DrawAlmanac(strip, {}); }

void DrawAlmanacWithLabels(Surface& strip) { DrawAlmanac(strip, gLabelTable.records); }

void DrawDayBox(HDC dc, int32_t top, int16_t day, int16_t month, int16_t year, int weekday,
                const DayBoxFonts& fonts) {
  {
    OwnedPen frame(CreatePen(PS_SOLID, 1, kFrameColor));
    ScopedSelect pen(dc, frame);
    ScopedSelect brush(dc, GetStockObject(WHITE_BRUSH));
    DrawDayFrame(dc, top);
  }
  DayBand band;
  band.top = top;
  band.day = day;
  band.month = month;
  band.year = year;
  band.weekday = weekday;
  for (BoxText which : {BoxText::Header, BoxText::Number, BoxText::Weekday})
    DrawBoxText(dc, which, band, fonts);
}

void DrawCellText(HDC dc, const char* text, int x, int y, HFONT font, COLORREF color) {
  if (!text) return;
  ScopedSelect selected(dc, GetCurrentObject(dc, OBJ_FONT) == font ? nullptr : font);
  ScopedTextStyle style(dc, color, TRANSPARENT);
  const int length = int(strlen(text));
  SIZE extent = {};
  GetTextExtentPoint32A(dc, text, length, &extent);
  // x + (125 - w) / 2 rounded to the nearest pixel, halves to the even one.
  const int twice = 2 * x + kCellWidth - int(extent.cx);
  int left = twice / 2;
  if (twice % 2 != 0) {
    int below = twice < 0 ? left - 1 : left;  // floor of the half
    left = below % 2 == 0 ? below : below + 1;
  }
  UINT oldAlign = SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  TextOutA(dc, left, y, text, length);
  SetTextAlign(dc, oldAlign);
}
