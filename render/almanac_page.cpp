#include "almanac_page.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "../data/calendar.h"
#include "../data/label_file.h"
#include "gdi_util.h"
#include "label_text.h"

namespace {

constexpr int kCellWidth = 125;
constexpr int kBoxHeight = 94;
constexpr COLORREF kFrameColor = RGB(192, 192, 192);
constexpr COLORREF kHeaderColor = RGB(128, 128, 128);
constexpr COLORREF kWeekdayColor = RGB(192, 192, 192);
constexpr COLORREF kSundayColor = RGB(255, 0, 0);

// How far the ink of a day box or a label line may reach past the rows the
// layout gives it (a glyph of another font, a picture below its row): what
// lies this close to the rows asked for is drawn too, and clipped.
constexpr int64_t kInkMargin = 32;
// A label line's picture ends this far below its row's top.
constexpr int64_t kLineInk = 20;

// The three texts of a day box: where they go and how they look.
enum class BoxText { Header, Number, Weekday };

void DrawBoxText(HDC dc, BoxText which, const DayBand& band, int boxTop, const DayBoxFonts& fonts) {
  switch (which) {
    case BoxText::Header: {
      std::string header = MonthNames(band.month) + " " + std::to_string(band.year);
      DrawCellText(dc, header.c_str(), kDayBoxLeft + 2, boxTop + 2, fonts.header, kHeaderColor);
      break;
    }
    case BoxText::Number: {
      char number[8];
      snprintf(number, sizeof number, "%02d", int(band.day));
      DrawCellText(dc, number, kDayBoxLeft, boxTop + 14, fonts.number,
                   band.weekday == 7 ? kSundayColor : RGB(0, 0, 0));
      break;
    }
    case BoxText::Weekday:
      DrawCellText(dc, WeekdayNames(band.weekday).c_str(), kDayBoxLeft, boxTop + 74, fonts.weekday,
                   kWeekdayColor);
      break;
  }
}

// Expects the frame pen and a white brush selected.
void DrawDayFrame(HDC dc, int top) {
  Rectangle(dc, kDayBoxLeft, top, kDayBoxLeft + kCellWidth, top + kBoxHeight);
}

// A frame `width` pixels wide just inside `r`, in `color`.
void DrawRing(HDC dc, RECT r, int width, COLORREF color) {
  OwnedBrush brush(CreateSolidBrush(color));
  for (int i = 0; i < width && r.right - r.left > 0 && r.bottom - r.top > 0; ++i) {
    FrameRect(dc, &r, brush);
    InflateRect(&r, -1, -1);
  }
}

// The ring of today's mark: the day box's frame and the row of pixels
// just inside it, where nothing else is drawn.
RECT TodayRing(int boxTop) {
  return RECT{kDayBoxLeft, boxTop, kDayBoxLeft + kCellWidth, boxTop + kBoxHeight};
}

// The outline of the found line: two pixels around its grid row, kept
// inside the block's outline, and clear of the text, which starts at x 136.
RECT FoundRing(int64_t blockTop, int64_t blockHeight, int64_t rowTop, int64_t top) {
  const int64_t first = std::max(rowTop - 2, blockTop + 1);
  const int64_t last = std::min(rowTop + kGridRowHeight + 2, blockTop + blockHeight - 1);
  return RECT{kBlockLeft + 2, int(first - top), kBlockRight - 2, int(last - top)};
}

// The block with the lines of it that may show in rows [top, top + rows)
// of the picture; the dc's row 0 is the picture's row `top`. Line
// `foundLine` (none when out of range) gets the found outline.
void DrawLabelBlock(HDC dc, const LabelBlock& block, const std::vector<LabelRecord>& records,
                    int64_t top, int rows, AlmanacTools& tools, size_t foundLine) {
  const LabelRecord& first = records[block.firstRecord];
  {
    // A block reaching past the rows keeps its outline just outside them:
    // GDI never sees a coordinate far from the dc, however tall the label.
    const int blockTop = int(std::max<int64_t>(block.top - top, -2));
    const int blockBottom = int(std::min<int64_t>(block.top + block.height() - top, rows + 2));
    OwnedBrush fill(CreateSolidBrush(COLORREF(first.color) & 0x00FFFFFF));
    ScopedSelect pen(dc, GetStockObject(BLACK_PEN));
    ScopedSelect brush(dc, fill);
    Rectangle(dc, kBlockLeft, blockTop, kBlockRight, blockBottom);
  }
  // Line k sits on the grid row whose top is firstRowTop + 16 k.
  const int64_t firstRowTop = kGridRowHeight * (RowAtOrBelow(block.top) - 1);
  const int64_t from = top - kInkMargin - kLineInk - firstRowTop;
  const int64_t to = top + rows + kInkMargin - firstRowTop;
  const size_t firstLine = from <= 0 ? 0 : size_t(from / kGridRowHeight);
  const size_t endLine = to < 0 ? 0 : std::min(block.lineCount, size_t(to / kGridRowHeight + 1));
  for (size_t k = firstLine; k < endLine; ++k) {
    const LabelRecord& line = records[block.firstRecord + k];
    const int rowTop = int(firstRowTop + int64_t(kGridRowHeight) * int64_t(k) - top);
    DrawLabelLineAt(dc, MarkupVariant::LabelLine, rowTop, line.text, tools.labelFont);
    DrawLineIconsAt(dc, MarkupVariant::LabelLine, rowTop, line.text, COLORREF(line.color),
                    tools.icons);
  }
  // Over the lines around it, whose pictures may reach into its rows.
  if (foundLine < block.lineCount) {
    const int64_t rowTop = firstRowTop + int64_t(kGridRowHeight) * int64_t(foundLine);
    if (rowTop - top > -kInkMargin && rowTop - top < rows + kInkMargin)
      DrawRing(dc, FoundRing(block.top, block.height(), rowTop, top), 2, kFoundColor);
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

AlmanacTools::AlmanacTools()
    : dayFonts(CreateDayBoxFonts()),
      labelFont(CreateLabelFont()),
      framePen(CreatePen(PS_SOLID, 1, kFrameColor)) {}

AlmanacTools::~AlmanacTools() { DeleteDayBoxFonts(dayFonts); }

void DrawAlmanacRows(HDC dc, const AlmanacLayout& layout, const std::vector<LabelRecord>& records,
                     int64_t top, int64_t bottom, AlmanacTools& tools, const AlmanacMarks& marks) {
  if (bottom <= top) return;
  const int rows = int(std::min<int64_t>(bottom - top, INT32_MAX / 2));
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, 0, 0, kStripWidth, rows);
  RECT all = {0, 0, kStripWidth, rows};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

  // The days are in row order: find the first whose box, and the first
  // whose band, may show, and the first that starts below the rows.
  const std::vector<DayBand>& days = layout.days;
  auto boxes = std::partition_point(days.begin(), days.end(), [&](const DayBand& d) {
    return d.top + kDayPitch + kInkMargin <= top;
  });
  auto bands = std::partition_point(
      days.begin(), boxes, [&](const DayBand& d) { return d.top + d.advance + kInkMargin <= top; });
  auto end = std::partition_point(boxes, days.end(),
                                  [&](const DayBand& d) { return d.top - kInkMargin < bottom; });

  // Box by box this is what DrawDayBox does. Nothing drawn here overlaps, so
  // it is drawn in passes that select each pen and font once: selecting a
  // font costs more than printing a short text.
  {
    ScopedSelect pen(dc, tools.framePen);
    ScopedSelect brush(dc, GetStockObject(WHITE_BRUSH));
    for (auto d = boxes; d != end; ++d) DrawDayFrame(dc, int(d->top - top));
  }
  for (auto d = boxes; d != end; ++d) {
    if (d->day == marks.today.day && d->month == marks.today.month && d->year == marks.today.year)
      DrawRing(dc, TodayRing(int(d->top - top)), 2, kTodayColor);
  }
  const struct {
    BoxText which;
    HFONT font;
  } passes[] = {{BoxText::Header, tools.dayFonts.header},
                {BoxText::Number, tools.dayFonts.number},
                {BoxText::Weekday, tools.dayFonts.weekday}};
  for (const auto& pass : passes) {
    ScopedSelect font(dc, pass.font);
    for (auto d = boxes; d != end; ++d)
      DrawBoxText(dc, pass.which, *d, int(d->top - top), tools.dayFonts);
  }
  {
    ScopedSelect font(dc, tools.labelFont);
    for (auto d = bands; d != end; ++d) {
      auto block = std::partition_point(
          d->blocks.begin(), d->blocks.end(),
          [&](const LabelBlock& b) { return b.top + b.height() + kInkMargin <= top; });
      const bool foundDay = marks.hasFound && marks.found.day == size_t(d - days.begin());
      for (; block != d->blocks.end() && block->top - kInkMargin < bottom; ++block) {
        const bool foundBlock = foundDay && marks.found.block == size_t(block - d->blocks.begin());
        DrawLabelBlock(dc, *block, records, top, rows, tools,
                       foundBlock ? marks.found.line : block->lineCount);
      }
    }
  }
  RestoreDC(dc, saved);
}

RowSpan TodayMarkRows(const AlmanacLayout& layout, const CivilDate& today) {
  const int64_t day = DayOfDate(layout, today);
  if (day < 0) return RowSpan();
  const int64_t boxTop = layout.days[size_t(day)].top;
  return RowSpan{boxTop, boxTop + kBoxHeight};
}

RowSpan FoundMarkRows(const AlmanacLayout& layout, const LabelPlace& found) {
  if (found.day >= layout.days.size()) return RowSpan();
  const std::vector<LabelBlock>& blocks = layout.days[found.day].blocks;
  if (found.block >= blocks.size() || found.line >= blocks[found.block].lineCount) return RowSpan();
  const LabelBlock& block = blocks[found.block];
  const RECT ring = FoundRing(block.top, block.height(), LineRowTop(layout, found), 0);
  return RowSpan{ring.top, ring.bottom};
}

void DrawDayBox(HDC dc, int top, int16_t day, int16_t month, int16_t year, int weekday,
                const DayBoxFonts& fonts) {
  {
    OwnedPen frame(CreatePen(PS_SOLID, 1, kFrameColor));
    ScopedSelect pen(dc, frame);
    ScopedSelect brush(dc, GetStockObject(WHITE_BRUSH));
    DrawDayFrame(dc, top);
  }
  DayBand band;
  band.day = day;
  band.month = month;
  band.year = year;
  band.weekday = weekday;
  for (BoxText which : {BoxText::Header, BoxText::Number, BoxText::Weekday})
    DrawBoxText(dc, which, band, top, fonts);
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
