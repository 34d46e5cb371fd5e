// The drawing of day boxes, label blocks, label text and icon pictures,
// checked pixel by pixel on memory surfaces.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "data/almanac_state.h"
#include "data/calendar.h"
#include "data/label_file.h"
#include "render/almanac_page.h"
#include "render/gdi_util.h"
#include "render/label_text.h"
#include "render/stored_picture.h"
#include "render/surface.h"
#include "resource.h"
#include "tests/win/win_test_util.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGrey = RGB(192, 192, 192);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kMagenta = RGB(255, 0, 255);

// A surface released at scope exit.
struct TestSurface {
  Surface s;
  TestSurface(int w, int h) { EXPECT_TRUE(CreateSurface(s, w, h)); }
  ~TestSurface() { ReleaseSurface(s); }
  COLORREF At(int x, int y) const { return GetPixel(s.dc, x, y); }
};

// The almanac one test draws: its settings and its labels.
struct AlmanacFixture {
  AlmanacState state;
  std::vector<LabelRecord> records;
  AlmanacFixture(int day, int month, int year, int count) {
    state.startDay = int16_t(day);
    state.startMonth = int16_t(month);
    state.startYear = int16_t(year);
    state.dayCount = int16_t(count);
  }
};

// Rows [top, top + height) of the picture of `almanac`, drawn into the whole of `t`.
void DrawAlmanac(const AlmanacFixture& almanac, TestSurface& t, int64_t top = 0) {
  AlmanacLayout layout = LayOutAlmanac(almanac.state, almanac.records);
  AlmanacTools tools;
  DrawAlmanacRows(t.s.dc, layout, almanac.records, top, top + t.s.height, tools);
}

void AddLabel(AlmanacFixture& almanac, int day, int month, int year, COLORREF color,
              std::vector<const char*> lines) {
  for (size_t k = 0; k < lines.size(); ++k) {
    LabelRecord r;
    r.day = int16_t(day);
    r.month = int16_t(month);
    r.year = int16_t(year);
    SetRecordText(r, lines[k]);
    r.color = int32_t(color);
    r.isLastLine = k + 1 == lines.size() ? 1 : 0;
    almanac.records.push_back(r);
  }
}

std::string Hex(COLORREF c) {
  char buf[16];
  snprintf(buf, sizeof buf, "0x%06lX", static_cast<unsigned long>(c));
  return buf;
}

bool IsReddish(COLORREF c) { return GetRValue(c) > 200 && GetGValue(c) < 90 && GetBValue(c) < 90; }
bool IsDark(COLORREF c) { return GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100; }
// Not the green the icon tests draw on.
bool OffGreen(COLORREF c) { return c != RGB(0, 128, 0); }

int CountIn(const TestSurface& t, RECT r, bool (*match)(COLORREF)) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) n += match(t.At(x, y)) ? 1 : 0;
  return n;
}

// A 32-bit picture filled by `paint(x, y)`, for the icon tests.
template <typename Paint>
HBITMAP MakePicture(int w, int h, Paint paint) {
  uint32_t* px = nullptr;
  HBITMAP bmp = CreateTopDownDib(w, h, &px);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      COLORREF c = paint(x, y);
      px[y * w + x] =
          uint32_t(GetBValue(c)) | uint32_t(GetGValue(c)) << 8 | uint32_t(GetRValue(c)) << 16;
    }
  return bmp;
}

struct DcState {
  HGDIOBJ pen, brush, font, bitmap;
  COLORREF text;
  int mode;
  UINT align;
  bool operator==(const DcState& o) const {
    return pen == o.pen && brush == o.brush && font == o.font && bitmap == o.bitmap &&
           text == o.text && mode == o.mode && align == o.align;
  }
};
DcState StateOf(HDC dc) {
  return {GetCurrentObject(dc, OBJ_PEN),
          GetCurrentObject(dc, OBJ_BRUSH),
          GetCurrentObject(dc, OBJ_FONT),
          GetCurrentObject(dc, OBJ_BITMAP),
          GetTextColor(dc),
          GetBkMode(dc),
          GetTextAlign(dc)};
}

// Writes a surface as a 24-bit BMP so a person can look at it.
void SaveSurface(const Surface& s, int height, const std::string& path) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = s.width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  const int stride = (s.width * 3 + 3) & ~3;
  std::vector<char> pixels(size_t(stride) * height);
  HGDIOBJ bitmap = GetCurrentObject(s.dc, OBJ_BITMAP);
  GetDIBits(s.dc, HBITMAP(bitmap), 0, height, pixels.data(), &info, DIB_RGB_COLORS);
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = DWORD(file.bfOffBits + pixels.size());
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  fwrite(&file, sizeof file, 1, f);
  fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, f);
  fwrite(pixels.data(), 1, pixels.size(), f);
  fclose(f);
}

bool HaveIconResources() {
  return FindResourceA(nullptr, MAKEINTRESOURCEA(9), MAKEINTRESOURCEA(2) /* RT_BITMAP */) !=
         nullptr;
}

// The pixels of `bitmap`, row by row, and its size.
std::vector<uint32_t> PixelsOf(HBITMAP bitmap, SIZE& size) {
  BITMAP info = {};
  GetObjectA(bitmap, sizeof info, &info);
  size = {info.bmWidth, info.bmHeight};
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  std::vector<uint32_t> pixels = RowsOf(dc, 0, info.bmWidth, info.bmHeight);
  SelectObject(dc, old);
  DeleteDC(dc);
  return pixels;
}

// ---- day boxes ----

TEST(RenderDayBoxes, FramesSitAtTheirExactPixelsWithOneBlankRowBetween) {
  AlmanacFixture almanac(1, 1, 2025, 15);
  TestSurface strip(kStripWidth, 1520);  // down to the last frame's bottom row
  DrawAlmanac(almanac, strip);
  for (int box = 0; box < 16; ++box) {
    const int top = 1 + 95 * box;
    SCOPED_TRACE("box " + std::to_string(box));
    // Corners and edges of the frame: x 1..125, y top..top+93.
    for (POINT p : {POINT{1, top}, POINT{125, top}, POINT{1, top + 93}, POINT{125, top + 93},
                    POINT{60, top}, POINT{60, top + 93}, POINT{1, top + 50}, POINT{125, top + 50}})
      EXPECT_EQ(strip.At(p.x, p.y), kGrey) << p.x << "," << p.y;
    // Just outside it, and the blank row below.
    for (POINT p : {POINT{0, top}, POINT{126, top}, POINT{60, top - 1}, POINT{60, top + 94},
                    POINT{1, top + 94}, POINT{125, top + 94}}) {
      if (p.y >= strip.s.height) continue;
      EXPECT_EQ(strip.At(p.x, p.y), kWhite) << p.x << "," << p.y;
    }
    EXPECT_EQ(strip.At(2, top + 50), kWhite);  // white fill inside the frame
  }

  // Drawn further down, nothing follows the last box.
  TestSurface tall(kStripWidth, 3000);
  DrawAlmanac(almanac, tall);
  EXPECT_EQ(tall.At(60, 1426 + 93), kGrey);
  for (int y = 1426 + 94; y < 3000; y += 7) ASSERT_EQ(tall.At(60, y), kWhite) << y;
}

TEST(RenderDayBoxes, SundayDigitsAreRedAndOtherDaysBlack) {
  AlmanacFixture almanac(1, 1, 2025, 15);
  TestSurface strip(kStripWidth, 2000);
  DrawAlmanac(almanac, strip);
  auto numberCell = [](int index) {
    int top = 1 + 95 * index;
    return RECT{1, top + 14, 126, top + 74};
  };
  // 5 January 2025 is a Sunday, the 4th a Saturday, the 6th a Monday.
  EXPECT_GT(CountIn(strip, numberCell(4), IsReddish), 50);
  EXPECT_EQ(CountIn(strip, numberCell(4), IsDark), 0);
  for (int index : {3, 5}) {
    EXPECT_EQ(CountIn(strip, numberCell(index), IsReddish), 0) << index;
    EXPECT_GT(CountIn(strip, numberCell(index), IsDark), 50) << index;
  }
  // Header and weekday name are drawn in their greys, never black.
  RECT header = {3, 3, 126, 16};
  EXPECT_GT(CountIn(strip, header, [](COLORREF c) { return c != kWhite; }), 10);
  EXPECT_EQ(CountIn(strip, header, IsDark), 0);
  RECT weekday = {2, 75, 125, 94};
  EXPECT_GT(CountIn(strip, weekday, [](COLORREF c) { return c != kWhite; }), 10);
  EXPECT_EQ(CountIn(strip, weekday, IsDark), 0);
}

TEST(RenderRows, AnyRunOfRowsIsDrawnAsItLiesInThePicture) {
  // The last day of a 367-day almanac, with a label.
  AlmanacFixture almanac(31, 12, 2024, 366);
  const COLORREF green = RGB(0, 200, 0);
  AddLabel(almanac, 1, 1, 2026, green, {"ultimo \\#09"});
  TestSurface last(kStripWidth, 200);
  DrawAlmanac(almanac, last, 34771 - 71);
  EXPECT_EQ(last.At(1, 71), kGrey);  // its box, 71 rows down
  EXPECT_EQ(last.At(125, 71 + 93), kGrey);
  EXPECT_EQ(last.At(600, 71), kBlack);  // its block beside it
  EXPECT_EQ(last.At(1000, 80), green);
  EXPECT_EQ(last.At(1, 70), kWhite);
  for (int y = 71 + 94; y < 200; y += 5) ASSERT_EQ(last.At(60, y), kWhite) << y;

  // Rows above the picture are white, and the first box starts on row 1.
  TestSurface above(kStripWidth, 200);
  DrawAlmanac(almanac, above, -50);
  for (int y = 0; y <= 50; ++y) ASSERT_EQ(above.At(1, y), kWhite) << y;
  EXPECT_EQ(above.At(1, 51), kGrey);

  // The same rows far beyond 32 bits (a layout no file could fill, moved
  // down by hand by a whole number of grid rows) draw the same pixels.
  AlmanacLayout deep = LayOutAlmanac(almanac.state, almanac.records);
  const int64_t shift = int64_t(1) << 36;
  for (DayBand& day : deep.days) {
    day.top += shift;
    for (LabelBlock& block : day.blocks) block.top += shift;
  }
  deep.height += shift;
  TestSurface farRows(kStripWidth, 200);
  AlmanacTools tools;
  DrawAlmanacRows(farRows.s.dc, deep, almanac.records, shift + 34771 - 71, shift + 34771 + 129,
                  tools);
  EXPECT_TRUE(RowsOf(farRows.s.dc, 0, kStripWidth, 200) == RowsOf(last.s.dc, 0, kStripWidth, 200));
}

TEST(RenderRows, OnlyTheRowsAskedForAreTouched) {
  // A tall label cut by both ends of the rows: fill and sides inside them,
  // no outline where it is cut, and nothing outside them.
  AlmanacFixture almanac(1, 1, 2025, 15);
  const COLORREF blue = RGB(100, 100, 255);
  std::vector<const char*> lines(300, "linea \\#09");
  AddLabel(almanac, 2, 1, 2025, blue, lines);
  TestSurface t(kStripWidth, 400);
  FillSurface(t.s, RGB(1, 2, 3));
  AlmanacLayout layout = LayOutAlmanac(almanac.state, almanac.records);
  AlmanacTools tools;
  DrawAlmanacRows(t.s.dc, layout, almanac.records, 2000, 2300, tools);
  for (int y = 0; y < 300; ++y) {
    ASSERT_EQ(t.At(127, y), kBlack) << y;
    ASSERT_EQ(t.At(1115, y), kBlack) << y;
    ASSERT_EQ(t.At(1110, y), blue) << y;
  }
  EXPECT_EQ(t.At(600, 0), blue);
  EXPECT_EQ(t.At(600, 299), blue);
  for (int y = 300; y < 400; y += 3) ASSERT_EQ(t.At(600, y), RGB(1, 2, 3)) << y;
  // Its lines are there, each on its grid row: "l" in the first cell.
  for (int y = 2000; y < 2300 - 16; y += 16) {
    RECT firstCell = {136, y - 2000, 144, y - 2000 + 16};
    EXPECT_GT(CountIn(t, firstCell, IsDark), 0) << y;
  }
}

// The pixels of a ring `width` pixels wide just inside `r`.
bool InRing(const RECT& r, int width, int x, int y) {
  const bool inside = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
  const bool core =
      x >= r.left + width && x < r.right - width && y >= r.top + width && y < r.bottom - width;
  return inside && !core;
}

TEST(RenderMarks, TodaysBoxAndTheFoundLineGetTheirRingAndNothingElseChanges) {
  // The found line is the middle line of a label with pictures, on today.
  AlmanacFixture almanac(1, 3, 2025, 15);
  AddLabel(almanac, 3, 3, 2025, RGB(178, 225, 241),
           {"uno \\#09", "dos \\#22 dentista", "tres \\#70"});
  AddLabel(almanac, 3, 3, 2025, RGB(252, 249, 196), {"otra"});
  AlmanacLayout layout = LayOutAlmanac(almanac.state, almanac.records);
  AlmanacTools tools;
  const int rows = 400;
  TestSurface plain(kStripWidth, rows), marked(kStripWidth, rows);
  DrawAlmanacRows(plain.s.dc, layout, almanac.records, 0, rows, tools);
  AlmanacMarks marks;
  marks.today = CivilDate{2025, 3, 3, 0};
  marks.hasFound = true;
  marks.found = LabelPlace{2, 0, 1};
  DrawAlmanacRows(marked.s.dc, layout, almanac.records, 0, rows, tools, marks);

  // Day 3's box has its top on row 191; its first block too, whose grid
  // rows start on row 192, so line 1 is on row 208.
  const RECT today = {1, 191, 126, 285};
  const RECT found = {129, 206, 1114, 226};
  const std::vector<uint32_t> a = RowsOf(plain.s.dc, 0, kStripWidth, rows);
  const std::vector<uint32_t> b = RowsOf(marked.s.dc, 0, kStripWidth, rows);
  int faults = 0;
  for (int y = 0; y < rows && faults < 10; ++y) {
    for (int x = 0; x < kStripWidth && faults < 10; ++x) {
      const uint32_t got = b[size_t(y) * kStripWidth + x];
      uint32_t want = a[size_t(y) * kStripWidth + x];
      if (InRing(today, 2, x, y)) want = 0x0066CC;  // kTodayColor as 0xRRGGBB
      if (InRing(found, 2, x, y)) want = 0xE60000;  // kFoundColor
      if (got != want) {
        ++faults;
        ADD_FAILURE() << "(" << x << ", " << y << "): " << std::hex << got << ", not " << want;
      }
    }
  }
  EXPECT_EQ(kTodayColor, RGB(0x00, 0x66, 0xCC));
  EXPECT_EQ(kFoundColor, RGB(0xE6, 0x00, 0x00));
  // The rings are where the main window drops tiles for them.
  EXPECT_EQ(TodayMarkRows(layout, marks.today).first, today.top);
  EXPECT_EQ(TodayMarkRows(layout, marks.today).last, today.bottom);
  EXPECT_EQ(FoundMarkRows(layout, marks.found).first, found.top);
  EXPECT_EQ(FoundMarkRows(layout, marks.found).last, found.bottom);
  EXPECT_EQ(TodayMarkRows(layout, CivilDate{2025, 2, 28, 0}).last, 0) << "a day not shown";
}

TEST(RenderDayBoxes, InvalidSettingsDrawNothing) {
  AlmanacFixture almanac(0, 0, 0, 0);
  TestSurface strip(kStripWidth, 500);
  FillSurface(strip.s, RGB(1, 2, 3));
  DrawAlmanac(almanac, strip);
  EXPECT_EQ(strip.At(1, 1), kWhite);
  EXPECT_EQ(strip.At(600, 499), kWhite);
}

TEST(RenderCellText, CentresWithHalvesToTheEvenPixel) {
  OwnedFont font(CreatePointFont("Kartika", 40));
  const char* texts[] = {"05", "1", "31", "Enero 2025", "Miercoles", "iiiiiii"};
  for (const char* text : texts) {
    for (int x : {0, 1, 2, 3}) {
      TestSurface drawn(200, 80), expected(200, 80);
      DrawCellText(drawn.s.dc, text, x, 5, font, kBlack);
      SIZE size;
      HGDIOBJ old = SelectObject(expected.s.dc, font);
      GetTextExtentPoint32A(expected.s.dc, text, int(strlen(text)), &size);
      // rint rounds halves to even in the default rounding mode.
      int left = int(std::rint(x + (125.0 - size.cx) / 2.0));
      SetBkMode(expected.s.dc, TRANSPARENT);
      TextOutA(expected.s.dc, left, 5, text, int(strlen(text)));
      SelectObject(expected.s.dc, old);
      int differ = 0;
      for (int y = 0; y < 80; ++y)
        for (int px = 0; px < 200; ++px) differ += drawn.At(px, y) != expected.At(px, y);
      EXPECT_EQ(differ, 0) << text << " at x " << x << ", width " << size.cx;
    }
  }
}

TEST(RenderCellText, TextWiderThanTheCellStartsLeftOfIt) {
  OwnedFont font(CreatePointFont("Kartika", 40));
  TestSurface t(600, 80);
  DrawCellText(t.s.dc, "Septiembre 2025", 200, 5, font, kBlack);
  int firstInk = -1;
  for (int x = 0; x < 600 && firstInk < 0; ++x)
    for (int y = 0; y < 80; ++y)
      if (t.At(x, y) != kWhite) {
        firstInk = x;
        break;
      }
  EXPECT_GE(firstInk, 0);
  EXPECT_LT(firstInk, 200);
}

// ---- label blocks and text ----

TEST(RenderLabels, BlockOutlineFillTextAndPatchAtTheirPixels) {
  AlmanacFixture almanac(1, 1, 2025, 15);
  const COLORREF color = 0x006666FF;
  AddLabel(almanac, 1, 1, 2025, color, {"Hola", "mundo \\#09 y mas", "fin"});
  TestSurface strip(kStripWidth, 2000);
  DrawAlmanac(almanac, strip);
  // Block of three lines: x 127..1115, y 1..72.
  for (POINT p : {POINT{127, 1}, POINT{1115, 1}, POINT{127, 72}, POINT{1115, 72}, POINT{600, 1},
                  POINT{600, 72}, POINT{127, 40}, POINT{1115, 40}})
    EXPECT_EQ(strip.At(p.x, p.y), kBlack) << p.x << "," << p.y;
  for (POINT p : {POINT{126, 1}, POINT{1116, 1}, POINT{600, 73}, POINT{600, 0}})
    EXPECT_EQ(strip.At(p.x, p.y), kWhite) << p.x << "," << p.y;
  for (POINT p : {POINT{128, 2}, POINT{1114, 71}, POINT{1000, 10}, POINT{135, 40}})
    EXPECT_EQ(strip.At(p.x, p.y), color) << p.x << "," << p.y;
  EXPECT_EQ(strip.At(1, 96), kGrey);  // the next day is not pushed down

  // Lines on rows 2, 3, 4 from x = 136: ink starts in the first cell.
  for (int row = 2; row <= 4; ++row) {
    RECT firstCell = {136, 16 * (row - 1), 144, 16 * row};
    RECT beforeIt = {128, 16 * (row - 1), 136, 16 * row};
    EXPECT_GT(CountIn(strip, firstCell, IsDark), 0) << row;
    EXPECT_EQ(CountIn(strip, beforeIt, IsDark), 0) << row;
  }
  // The code at position 7 of row 3 (top 32) is hidden by its patch:
  // x 184..215, y 35..47. Where no picture lands it is the label's colour.
  RECT patchLeft = {184, 35, 192, 48};
  RECT patchRight = {210, 35, 216, 48};
  EXPECT_EQ(CountIn(strip, patchLeft, [](COLORREF c) { return c != 0x006666FF; }), 0);
  EXPECT_EQ(CountIn(strip, patchRight, [](COLORREF c) { return c != 0x006666FF; }), 0);
  // The text after the code is still there.
  EXPECT_GT(CountIn(strip, RECT{224, 32, 232, 48}, IsDark), 0);
}

TEST(RenderLabels, LinesSitOnTheFixedGridWhateverTheFont) {
  // A font much larger than the 8 x 16 grid still starts on the grid cell.
  for (int points : {10, 20}) {
    OwnedFont font(CreatePointFont("Courier New", points));
    for (MarkupVariant variant : {MarkupVariant::LabelLine, MarkupVariant::AboutCredits}) {
      const int x = variant == MarkupVariant::LabelLine ? 136 : 16;
      TestSurface t(1134, 120);
      DrawLabelLine(t.s.dc, variant, 4, "HHHH", font);
      EXPECT_GT(CountIn(t, RECT{x, 48, x + 8, 64}, IsDark), 0) << points;
      EXPECT_EQ(CountIn(t, RECT{0, 0, x, 120}, IsDark), 0) << points;
      EXPECT_EQ(CountIn(t, RECT{0, 0, 1134, 48}, IsDark), 0) << points;
    }
  }
  // Only the first 118 characters are printed.
  OwnedFont font(CreateLabelFont());
  TestSurface t(1134 + 200, 40);
  std::string line(118, 'H');
  line += 'W';
  DrawLabelLine(t.s.dc, MarkupVariant::LabelLine, 1, line.c_str(), font);
  EXPECT_GT(CountIn(t, RECT{136 + 8 * 117, 0, 136 + 8 * 118, 16}, IsDark), 0);
  EXPECT_EQ(CountIn(t, RECT{136 + 8 * 118, 0, 1334, 16}, IsDark), 0);
}

TEST(RenderLabels, TheCharactersOfACodeAreNeverPrinted) {
  // Its patch starts three rows below the row's top; the code must not show there.
  OwnedFont font(CreateLabelFont());
  TestSurface t(1134, 80);
  DrawLabelLine(t.s.dc, MarkupVariant::LabelLine, 3, "ab\\#09cd \\#00", font);
  EXPECT_EQ(CountIn(t, RECT{152, 32, 184, 48}, IsDark), 0);
  EXPECT_GT(CountIn(t, RECT{136, 32, 152, 48}, IsDark), 0);  // "ab"
  EXPECT_GT(CountIn(t, RECT{184, 32, 200, 48}, IsDark), 0);  // "cd"
  EXPECT_GT(CountIn(t, RECT{216, 32, 248, 48}, IsDark), 0);  // "\\#00" stays text
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(t.s.dc, clip), 0);  // no clipping left behind
  DeleteObject(clip);
}

TEST(RenderLabels, StackedBlocksPushTheNextDayAndOutsideLabelsAreNotDrawn) {
  AlmanacFixture almanac(1, 1, 2025, 15);
  for (COLORREF c : {RGB(255, 255, 0), RGB(0, 255, 255), RGB(0, 255, 0)})
    AddLabel(almanac, 1, 1, 2025, c, {"uno", "dos"});
  AddLabel(almanac, 31, 12, 2024, RGB(255, 0, 0), {"antes"});
  AddLabel(almanac, 17, 1, 2025, RGB(255, 0, 0), {"despues"});
  TestSurface strip(kStripWidth, 2500);
  DrawAlmanac(almanac, strip);
  EXPECT_EQ(strip.At(600, 1), kBlack);
  EXPECT_EQ(strip.At(600, 54), kBlack);
  EXPECT_EQ(strip.At(600, 55), kWhite);  // one blank row between blocks
  EXPECT_EQ(strip.At(600, 56), kBlack);
  EXPECT_EQ(strip.At(1000, 60), RGB(0, 255, 255));
  EXPECT_EQ(strip.At(1000, 120), RGB(0, 255, 0));
  EXPECT_EQ(strip.At(600, 164), kBlack);
  EXPECT_EQ(strip.At(1, 165), kWhite);
  EXPECT_EQ(strip.At(1, 166), kGrey);  // the second day's box
  int red = 0;
  for (int y = 0; y < 166 + 95 * 15; y += 3) red += IsReddish(strip.At(1000, y));
  EXPECT_EQ(red, 0);
}

TEST(RenderLabels, DrawingLeavesTheSurfaceAsItFoundItAndLeaksNothing) {
  AlmanacFixture almanac(1, 1, 2025, 20);
  AddLabel(almanac, 2, 1, 2025, RGB(200, 220, 255), {"\\#01 \\#09 \\#30", "\\#22 texto \\#99"});
  TestSurface strip(kStripWidth, 2500);
  SetTextAlign(strip.s.dc, TA_LEFT | TA_TOP);
  const DcState before = StateOf(strip.s.dc);
  DrawAlmanac(almanac, strip);
  DrawAlmanac(almanac, strip, 50);
  EXPECT_TRUE(StateOf(strip.s.dc) == before);
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(strip.s.dc, clip), 0) << "no clipping left behind";
  DeleteObject(clip);

  OwnedFont font(CreateLabelFont());
  IconCache icons;
  HBITMAP pic = MakePicture(20, 20, [](int, int) { return RGB(0, 0, 255); });
  ASSERT_TRUE(icons.Insert(30, pic));
  DeleteObject(pic);
  DrawLabelLine(strip.s.dc, MarkupVariant::AboutCredits, 3, "abc \\#30", font);
  DrawLineIcons(strip.s.dc, MarkupVariant::AboutCredits, 3, "abc \\#30", kWhite, icons);
  DayBoxFonts fonts = CreateDayBoxFonts();
  DrawDayBox(strip.s.dc, 200, 5, 1, 2025, 7, fonts);
  DeleteDayBoxFonts(fonts);
  EXPECT_TRUE(StateOf(strip.s.dc) == before);

  // Redrawing many times leaves no GDI object behind. First make sure the
  // count sees a new object at all.
  const int start = CountGdiObjects();
  {
    OwnedBrush probe(CreateSolidBrush(RGB(1, 2, 3)));
    ASSERT_EQ(CountGdiObjects(), start + 1);
  }
  for (int i = 0; i < 20; ++i) {
    DrawAlmanac(almanac, strip);  // with tools of its own each time
    DrawIcon(9, strip.s.dc, 10, 10);
  }
  EXPECT_EQ(CountGdiObjects(), start);
}

// ---- icon pictures ----

TEST(RenderIcons, MagentaIsSkippedAndOtherPixelsAreCopiedExactly) {
  IconCache icons;
  // Magenta frame, a blue inner square and one near-magenta pixel block.
  HBITMAP pic = MakePicture(18, 18, [](int x, int y) {
    if (x >= 6 && x < 12 && y >= 6 && y < 12) return RGB(0, 0, 255);
    if (x >= 14 && y >= 14) return RGB(254, 0, 255);
    return kMagenta;
  });
  ASSERT_TRUE(icons.Insert(40, pic));
  DeleteObject(pic);
  TestSurface t(100, 100);
  FillSurface(t.s, RGB(0, 128, 0));
  icons.Draw(t.s.dc, 40, 30, 40);
  for (int y = 38; y < 60; ++y)
    for (int x = 28; x < 50; ++x) {
      int px = x - 30, py = y - 40;
      COLORREF want = RGB(0, 128, 0);
      if (px >= 6 && px < 12 && py >= 6 && py < 12) want = RGB(0, 0, 255);
      if (px >= 14 && px < 18 && py >= 14 && py < 18) want = RGB(254, 0, 255);
      ASSERT_EQ(t.At(x, y), want) << "at " << px << "," << py << " got " << Hex(t.At(x, y));
    }
}

TEST(RenderIcons, PicturesAreScaledToTheirDrawnSize) {
  IconCache icons;
  HBITMAP red = MakePicture(20, 20, [](int, int) { return RGB(255, 0, 0); });
  HBITMAP flag = MakePicture(18, 12, [](int, int) { return RGB(0, 0, 200); });
  ASSERT_TRUE(icons.Insert(41, red));
  ASSERT_TRUE(icons.Insert(9, flag));
  DeleteObject(red);
  DeleteObject(flag);
  TestSurface t(100, 100);
  icons.Draw(t.s.dc, 41, 10, 10);
  icons.Draw(t.s.dc, 9, 50, 10);
  EXPECT_EQ(CountIn(t, RECT{0, 0, 50, 50}, [](COLORREF c) { return c == RGB(255, 0, 0); }),
            18 * 18);
  EXPECT_EQ(t.At(10, 10), RGB(255, 0, 0));
  EXPECT_EQ(t.At(27, 27), RGB(255, 0, 0));
  EXPECT_EQ(t.At(28, 27), kWhite);
  EXPECT_EQ(CountIn(t, RECT{50, 0, 100, 50}, [](COLORREF c) { return c == RGB(0, 0, 200); }),
            18 * 12);
  EXPECT_EQ(t.At(50, 21), RGB(0, 0, 200));
  EXPECT_EQ(t.At(50, 22), kWhite);
  // A number without a picture, or out of range, draws nothing.
  TestSurface u(40, 40);
  icons.Draw(u.s.dc, 0, 5, 5);
  icons.Draw(u.s.dc, 100, 5, 5);
  if (!HaveIconResources()) icons.Draw(u.s.dc, 50, 5, 5);
  EXPECT_EQ(CountIn(u, RECT{0, 0, 40, 40}, [](COLORREF c) { return c != kWhite; }), 0);
}

TEST(RenderIcons, ShrinkingCombinesDroppedPixelsWithAnd) {
  // Columns alternate red and green; halving the width ANDs each pair into black.
  IconCache icons;
  HBITMAP pic =
      MakePicture(36, 18, [](int x, int) { return x % 2 ? RGB(0, 255, 0) : RGB(255, 0, 0); });
  ASSERT_TRUE(icons.Insert(42, pic));
  DeleteObject(pic);
  TestSurface t(40, 40);
  icons.Draw(t.s.dc, 42, 0, 0);
  EXPECT_EQ(CountIn(t, RECT{0, 0, 18, 18}, [](COLORREF c) { return c == kBlack; }), 18 * 18);
}

TEST(RenderIcons, PatchesAndPicturesOfBothVariants) {
  IconCache icons;
  // Opaque blue in the middle, magenta all round, so the patch shows.
  HBITMAP pic = MakePicture(18, 18, [](int x, int y) {
    return x >= 4 && x < 14 && y >= 4 && y < 14 ? RGB(0, 0, 255) : kMagenta;
  });
  ASSERT_TRUE(icons.Insert(30, pic));
  DeleteObject(pic);
  const COLORREF patch = RGB(10, 200, 30);
  struct Case {
    MarkupVariant variant;
    int left, right, top, bottom, iconX, iconY;
  } cases[] = {
      // Row 3 (top 32), code at character 3.
      {MarkupVariant::LabelLine, 152, 184, 35, 48, 160, 34},
      {MarkupVariant::AboutCredits, 32, 64, 32, 48, 40, 33},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.variant == MarkupVariant::LabelLine ? "label line" : "about credits");
    TestSurface t(1134, 80);
    DrawLineIcons(t.s.dc, c.variant, 3, "ab\\#30 c", patch, icons);
    for (int y = 20; y < 60; ++y)
      for (int x = c.left - 4; x < c.right + 4; ++x) {
        bool inIcon = x >= c.iconX + 4 && x < c.iconX + 14 && y >= c.iconY + 4 && y < c.iconY + 14;
        bool inPatch = x >= c.left && x < c.right && y >= c.top && y < c.bottom;
        COLORREF want = inIcon ? RGB(0, 0, 255) : inPatch ? patch : kWhite;
        ASSERT_EQ(t.At(x, y), want) << x << "," << y << " got " << Hex(t.At(x, y));
      }
  }
  // A code at character 116 of a full line: the patch reaches x = 1087.
  TestSurface t(1134, 80);
  std::string line(115, 'x');
  line += "\\#30";
  DrawLineIcons(t.s.dc, MarkupVariant::LabelLine, 3, line.c_str(), patch, icons);
  EXPECT_EQ(t.At(1056, 35), patch);
  EXPECT_EQ(t.At(1087, 47), patch);
  EXPECT_EQ(t.At(1088, 47), kWhite);
  EXPECT_EQ(t.At(1055, 35), kWhite);
  // No code, no patch.
  TestSurface blank(1134, 80);
  DrawLineIcons(blank.s.dc, MarkupVariant::LabelLine, 3, "\\#00 \\#5 \\#ab", patch, icons);
  EXPECT_EQ(CountIn(blank, RECT{0, 0, 1134, 80}, [](COLORREF c) { return c != kWhite; }), 0);
}

TEST(RenderIcons, EveryResourcePictureDrawsWithinItsBox) {
  if (!HaveIconResources()) GTEST_SKIP() << "the icon pictures are not linked into this build";
  TestSurface t(60, 60), loaded(60, 60);
  for (int n = 1; n <= 99; ++n) {
    FillSurface(t.s, RGB(0, 128, 0));
    DrawIcon(n, t.s.dc, 20, 20);
    // The same pixels as the picture loaded as a bitmap and scaled from it.
    IconCache fromBitmap;
    HBITMAP picture = HBITMAP(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(n),
                                         IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_TRUE(fromBitmap.Insert(n, picture)) << n;
    DeleteObject(picture);
    FillSurface(loaded.s, RGB(0, 128, 0));
    fromBitmap.Draw(loaded.s.dc, n, 20, 20);
    EXPECT_TRUE(RowsOf(t.s.dc, 0, 60, 60) == RowsOf(loaded.s.dc, 0, 60, 60)) << "icon " << n;
    const RECT box = {20, 20, 38, 20 + (n == 9 || n == 22 ? 12 : 18)};
    const int inside = CountIn(t, box, OffGreen);
    EXPECT_GT(inside, 20) << "icon " << n;
    EXPECT_EQ(CountIn(t, RECT{0, 0, 60, 60}, OffGreen), inside)
        << "icon " << n << " outside its box";
    EXPECT_EQ(CountIn(t, box, [](COLORREF c) { return c == kMagenta; }), 0) << "icon " << n;
  }
}

// At the scale each set of pictures is drawn for, the icons are that set's
// pictures pixel for pixel (magenta left out), and the charts the set's own;
// between two scales the larger set is shrunk to the size there.
TEST(RenderIcons, AtTheScaleOfASetItsOwnPicturesAreShown) {
  if (!HaveIconResources()) GTEST_SKIP() << "the icon pictures are not linked into this build";
  for (int set = 1; set < kPictureSetCount; ++set) {
    const int dpi = kPictureDpis[set], side = Scaled(18, dpi);
    SCOPED_TRACE(testing::Message() << dpi << " DPI");
    HBITMAP strip = DecodeStoredPicture(StoredPictureId(0, set));
    ASSERT_NE(strip, nullptr);
    SIZE size;
    std::vector<uint32_t> want = PixelsOf(strip, size);
    DeleteObject(strip);
    ASSERT_EQ(size.cx, 99 * side);
    ASSERT_EQ(size.cy, side);
    for (uint32_t& p : want) p = p == 0xFF00FF ? 0x008000 : p;
    IconCache icons(dpi);
    TestSurface t(99 * side, side);
    FillSurface(t.s, RGB(0, 128, 0));
    for (int n = 1; n <= 99; ++n) icons.Draw(t.s.dc, n, (n - 1) * side, 0);
    EXPECT_TRUE(RowsOf(t.s.dc, 0, 99 * side, side) == want);

    for (int id = IDB_LEGEND_FACES_1; id <= IDB_LEGEND_OBJECTS_2; ++id) {
      HBITMAP drawn = DecodeStoredPicture(StoredPictureId(id, set));
      HBITMAP shown = LoadPicture(id, dpi);
      ASSERT_TRUE(drawn && shown) << id;
      SIZE drawnSize, shownSize;
      EXPECT_TRUE(PixelsOf(shown, shownSize) == PixelsOf(drawn, drawnSize)) << id;
      DeleteObject(drawn);
      DeleteObject(shown);
    }
  }
  // 175 %: the set of 200 % shrunk, every picture inside its box.
  const int dpi = 168, side = Scaled(18, dpi);
  IconCache icons(dpi);
  for (int n = 1; n <= 99; ++n) {
    TestSurface t(3 * side, 3 * side);
    FillSurface(t.s, RGB(0, 128, 0));
    icons.Draw(t.s.dc, n, side, side);
    const int h = Scaled(IconHeight(n), dpi);
    const int inside = CountIn(t, RECT{side, side, 2 * side, side + h}, OffGreen);
    EXPECT_GT(inside, side * h / 3) << "icon " << n;
    EXPECT_EQ(CountIn(t, RECT{0, 0, 3 * side, 3 * side}, OffGreen), inside)
        << "icon " << n << " outside its box";
  }
  HBITMAP chart = LoadPicture(IDB_LEGEND_FACES_1, dpi);
  BITMAP info = {};
  ASSERT_TRUE(chart && GetObjectA(chart, sizeof info, &info));
  EXPECT_EQ(info.bmWidth, Scaled(202, dpi));
  EXPECT_EQ(info.bmHeight, Scaled(455, dpi));
  DeleteObject(chart);
}

// ---- a picture to look at ----

// Run with --gtest_also_run_disabled_tests; writes %TEMP%\tarvina-render.bmp.
TEST(RenderPicture, DISABLED_SaveAFewDaysWithLabels) {
  AlmanacFixture almanac(1, 1, 2025, 15);
  AddLabel(almanac, 1, 1, 2025, 0x006666FF,
           {"Cumple de Ana \\#09", "llevar tarta\\#27 y velas \\#04"});
  AddLabel(almanac, 1, 1, 2025, RGB(249, 220, 188), {"Reunion \\#14 a las 10"});
  AddLabel(almanac, 3, 1, 2025, RGB(200, 255, 200), {"a", "b", "c", "d", "e \\#22 \\#100"});
  TestSurface strip(kStripWidth, 600);
  DrawAlmanac(almanac, strip);
  // Pictures from a folder of iconNN.bmp files, when the build has none.
  char folder[MAX_PATH];
  if (GetEnvironmentVariableA("TARVINA_ICON_DIR", folder, MAX_PATH)) {
    IconCache icons;
    for (int n = 1; n <= 99; ++n) {
      char path[MAX_PATH + 16];
      snprintf(path, sizeof path, "%s\\icon%02d.bmp", folder, n);
      HBITMAP pic = HBITMAP(
          LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
      if (pic) icons.Insert(n, pic);
      if (pic) DeleteObject(pic);
    }
    OwnedFont font(CreateLabelFont());
    const struct {
      int row;
      const char* text;
    } lines[] = {{2, "Cumple de Ana \\#09"},
                 {3, "llevar tarta\\#27 y velas \\#04"},
                 {5, "Reunion \\#14 a las 10"},
                 {17, "e \\#22 \\#100"}};
    for (const auto& line : lines) {
      COLORREF color = line.row < 5    ? 0x006666FF
                       : line.row < 10 ? RGB(249, 220, 188)
                                       : RGB(200, 255, 200);
      DrawLineIcons(strip.s.dc, MarkupVariant::LabelLine, line.row, line.text, color, icons);
    }
    for (int n = 1; n <= 99; ++n)
      icons.Draw(strip.s.dc, n, 140 + 20 * ((n - 1) % 40), 400 + 22 * ((n - 1) / 40));
  }
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  SaveSurface(strip.s, 600, std::string(temp) + "tarvina-render.bmp");
}

}  // namespace
