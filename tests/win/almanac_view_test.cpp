// The view as the main window shows it, composed from the strip's tiles at
// many scroll positions, against the same rows of the picture drawn in one
// piece; and the end of almanacs far taller than any bitmap.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/label_commands.h"
#include "app/main_window.h"
#include "app/message_box.h"
#include "data/calendar.h"
#include "data/label_file.h"
#include "render/almanac_page.h"
#include "render/scrolling.h"
#include "render/tile_strip.h"
#include "tests/win/win_test_util.h"

namespace {

constexpr COLORREF kFrameGrey = RGB(192, 192, 192);
// Rows drawn above and below the view for the reference: far more than any
// ink reaches past the item it belongs to.
constexpr int kAround = 512;

// 0x00RRGGBB as RowsOf gives it.
uint32_t Pixel(COLORREF c) {
  return uint32_t(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c);
}

LabelRecord Line(const CivilDate& date, const std::string& text, bool last, COLORREF color) {
  LabelRecord r;
  r.day = date.day, r.month = date.month, r.year = date.year;
  SetRecordText(r, text.c_str());
  r.color = int32_t(color);
  r.isLastLine = last ? 1 : 0;
  return r;
}

// A label of `lines` lines on the day `offset` days after `start`, an icon
// code on each line.
void AddLabel(std::vector<LabelRecord>& records, const CivilDate& start, int offset, int lines,
              COLORREF color) {
  CivilDate date = start;
  AddDays(date, offset);
  for (int k = 0; k < lines; ++k) {
    std::string text = "linea " + std::to_string(k) + " \\#" + (k % 99 < 9 ? "0" : "") +
                       std::to_string(1 + k % 99) + " fin";
    records.push_back(Line(date, text, k + 1 == lines, color));
  }
}

struct TestAlmanac {
  const char* what;
  CivilDate start;
  int16_t count;
  std::vector<LabelRecord> records;
  bool lastDayHasALabel;
};

std::vector<TestAlmanac> Almanacs() {
  std::vector<TestAlmanac> almanacs;
  const COLORREF colors[] = {RGB(252, 249, 196), RGB(178, 225, 241), RGB(255, 168, 125)};

  TestAlmanac fifteen{"15 days", {2025, 1, 1, 0}, 15, {}, false};
  AddLabel(fifteen.records, fifteen.start, 0, 2, colors[0]);
  AddLabel(fifteen.records, fifteen.start, 0, 3, colors[1]);
  AddLabel(fifteen.records, fifteen.start, 9, 12, colors[2]);
  almanacs.push_back(fifteen);

  TestAlmanac yearEnd{"366 days across a year end", {2024, 12, 15, 0}, 365, {}, true};
  for (int day : {0, 16, 17, 100, 365}) AddLabel(yearEnd.records, yearEnd.start, day, 2, colors[1]);
  almanacs.push_back(yearEnd);

  TestAlmanac many{"2,000 one-line labels over 366 days", {2024, 1, 1, 0}, 365, {}, true};
  for (int i = 0; i < 2000; ++i) AddLabel(many.records, many.start, i % 366, 1, colors[i % 3]);
  almanacs.push_back(many);

  TestAlmanac tall{"a 5,000-line label first, 100,000 lines later", {2025, 3, 1, 0}, 60, {}, true};
  AddLabel(tall.records, tall.start, 0, 5000, colors[0]);
  AddLabel(tall.records, tall.start, 30, 100000, colors[2]);
  AddLabel(tall.records, tall.start, 31, 4, colors[1]);
  AddLabel(tall.records, tall.start, 60, 1, colors[1]);
  almanacs.push_back(tall);
  return almanacs;
}

// Picture rows the view starts at: the top, just above it, both edges of
// the tiles it crosses first and last, the end and around it, and rows
// spread over the whole picture in an order that makes the strip give up
// tiles and draw them again.
std::vector<int64_t> ViewTops(const AlmanacLayout& layout) {
  const int64_t end = layout.endScrollTop;
  std::vector<int64_t> tops = {0, -70, -1, 1, end, end - 95, end - 1};
  const int64_t tiles = (layout.height + kTileRows - 1) / kTileRows;
  for (int64_t k : {int64_t(1), int64_t(2), tiles / 2, tiles - 1}) {
    if (k < 1) continue;
    for (int64_t edge : {k * kTileRows, k * kTileRows - 771})
      for (int64_t d : {-1, 0, 1}) tops.push_back(edge + d);
  }
  uint32_t seed = 12345;
  for (int i = 0; i < 24; ++i) {
    seed = seed * 1103515245u + 12345u;
    tops.push_back(int64_t((uint64_t(seed >> 8) * uint64_t(end + 1)) >> 24));
  }
  tops.push_back(0);
  return tops;
}

// Expects the view to show the picture from row `top` as DrawAlmanacRows
// draws it in one piece.
void ExpectViewShowsRowsFrom(MainWindowState& state, int64_t top, AlmanacTools& tools) {
  const AlmanacLayout& layout = state.document.layout;
  const int width = state.view.surface.width, rows = state.view.surface.height;
  state.view.offset = -top;
  RefreshView(state.view, state.document);
  Surface reference;
  ASSERT_TRUE(CreateSurface(reference, width, rows + 2 * kAround));
  DrawAlmanacRows(reference.dc, layout, state.document.records, top - kAround, top + rows + kAround,
                  tools);
  const std::vector<uint32_t> want = RowsOf(reference.dc, kAround, width, rows);
  ReleaseSurface(reference);
  const std::vector<uint32_t> got = RowsOf(state.view.surface.dc, 0, width, rows);
  ASSERT_EQ(got.size(), want.size());
  size_t differ = 0, first = 0;
  for (size_t i = 0; i < got.size(); ++i)
    if (got[i] != want[i] && differ++ == 0) first = i;
  EXPECT_EQ(differ, 0u) << "view from row " << top << ": first at x " << first % width << ", y "
                        << first / width;
}

// Whether some label line of the layout has its picture cut by a tile's edge.
bool AnIconCrossesATileEdge(const AlmanacLayout& layout) {
  for (const DayBand& day : layout.days)
    for (const LabelBlock& block : day.blocks) {
      const int64_t firstRowTop = 16 * (RowAtOrBelow(block.top) - 1);
      for (int64_t k = 0; k < int64_t(block.lineCount); ++k) {
        const int64_t rowTop = firstRowTop + 16 * k;
        if ((rowTop + 2) / kTileRows != (rowTop + 19) / kTileRows) return true;
      }
    }
  return false;
}

void TakePendingQuit() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

TEST(AlmanacView, ComposedFromTilesItEqualsThePictureDrawnInOnePiece) {
  TempFolder folder;
  ObserveMessages();
  AlmanacTools tools;
  bool iconOnATileEdge = false;
  for (TestAlmanac& almanac : Almanacs()) {
    SCOPED_TRACE(almanac.what);
    const std::string path = folder.path() + "Vista.zanual";
    ASSERT_TRUE(WriteAlmanacFile(path, almanac.start.day, almanac.start.month, almanac.start.year,
                                 almanac.count, almanac.records));
    HWND window = BuildMainWindow(path.c_str());
    ASSERT_NE(window, nullptr);
    SendMessageA(window, WM_INITDIALOG, 0, 0);
    MainWindowState& state = *MainWindowStateOf(window);
    AlmanacView& view = state.view;
    const AlmanacLayout& layout = state.document.layout;
    ASSERT_EQ(layout.days.size(), size_t(almanac.count + 1));
    iconOnATileEdge |= AnIconCrossesATileEdge(layout);

    for (int64_t top : ViewTops(layout)) {
      ExpectViewShowsRowsFrom(state, top, tools);
      ASSERT_LE(KeptTileCount(view.strip), TileBudget(view.surface.height, view.strip.rows));
    }

    // End: the last day at the top, drawn, with its label block.
    SendMessageA(view.control, WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(view.offset, -layout.endScrollTop);
    const std::vector<uint32_t> end = RowsOf(view.surface.dc, 0, view.surface.width, 95);
    const int width = view.surface.width;
    EXPECT_EQ(end[1], Pixel(kFrameGrey)) << "the last day's frame";
    size_t ink = 0;  // its day number
    for (int y = 14; y < 74; ++y)
      for (int x = 2; x < 124; ++x) ink += end[size_t(y * width + x)] != 0xFFFFFF ? 1 : 0;
    EXPECT_GT(ink, 50u) << "the last day's number";
    const DayBand& last = layout.days.back();
    EXPECT_EQ(last.blocks.empty(), !almanac.lastDayHasALabel);
    if (!last.blocks.empty()) {
      const LabelRecord& label = state.document.records[last.blocks[0].firstRecord];
      EXPECT_EQ(end[size_t(600)], 0u) << "its block's outline";
      EXPECT_EQ(end[size_t(10 * width + 1000)], Pixel(COLORREF(label.color))) << "its fill";
    }

    // A label saved on the day at the top of the view, and one far below:
    // the view and what lies further down show them.
    const int64_t top = layout.days[layout.days.size() / 2].top;
    view.offset = -top;
    RefreshView(view, state.document);
    for (int offset : {almanac.count / 2, int(almanac.count)}) {
      std::vector<LabelRecord> label;
      AddLabel(label, almanac.start, offset, 3, RGB(200, 100, 100));
      for (LabelRecord& r : label) {
        r.almanacStartDay = almanac.start.day;
        r.almanacStartMonth = almanac.start.month;
        r.almanacStartYear = almanac.start.year;
        r.almanacDayCount = almanac.count;
      }
      ASSERT_TRUE(AppendAsOneChange(state, label, "", ""));
    }
    EXPECT_EQ(state.document.records.size(), ReadFileBytes(path).size() / kRecordSize);
    ExpectViewShowsRowsFrom(state, top, tools);
    ExpectViewShowsRowsFrom(state, layout.endScrollTop, tools);
    ExpectViewShowsRowsFrom(state, layout.endScrollTop - 700, tools);

    DestroyWindow(window);
    TakePendingQuit();
  }
  EXPECT_TRUE(iconOnATileEdge) << "some picture drawn across two tiles";
  EXPECT_TRUE(ObservedMessages().empty());
  SetMessageObserver(nullptr);
}

// A move to a screen of 192 DPI lays the window, the view and the tiles out
// again (bands of 190 rows, the day at the top kept there), and the move
// back shows the 96 DPI pixels again.
TEST(AlmanacView, DpiChangedLaysOutAgainAndBackGivesTheSamePixels) {
  TempFolder folder;
  ObserveMessages();
  TestAlmanac almanac = Almanacs()[0];
  const std::string path = folder.path() + "Escala.zanual";
  ASSERT_TRUE(WriteAlmanacFile(path, almanac.start.day, almanac.start.month, almanac.start.year,
                               almanac.count, almanac.records));
  HWND window = BuildMainWindow(path.c_str());
  ASSERT_NE(window, nullptr);
  SendMessageA(window, WM_INITDIALOG, 0, 0);
  MainWindowState& state = *MainWindowStateOf(window);
  AlmanacView& view = state.view;
  ASSERT_EQ(state.document.layout.dpi, 96);
  view.offset = -state.document.layout.days[3].top + 1;  // the fourth day at the top
  RefreshView(view, state.document);
  const int width96 = view.surface.width, rows96 = view.surface.height;
  const std::vector<uint32_t> before = RowsOf(view.surface.dc, 0, width96, rows96);
  RECT at96;
  GetWindowRect(window, &at96);

  const struct {
    int dpi;
    int64_t band;
  } moves[] = {{192, 190}, {96, 95}};
  for (const auto& move : moves) {
    SCOPED_TRACE(move.dpi);
    RECT suggested = at96;  // the screen here holds no larger window
    OffsetRect(&suggested, move.dpi / 8, move.dpi / 16);
    SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(move.dpi, move.dpi),
                 reinterpret_cast<LPARAM>(&suggested));
    const AlmanacLayout& layout = state.document.layout;
    EXPECT_EQ(layout.dpi, move.dpi);
    EXPECT_EQ(layout.days[1].advance, move.band);  // days without labels
    EXPECT_EQ(layout.days[2].advance, move.band);
    EXPECT_EQ(DayAtViewTop(layout, view.offset), 3u) << "the day at the top stays";
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, suggested.left) << "the suggested place";
    EXPECT_EQ(r.top, suggested.top);
    EXPECT_EQ(view.surface.width, Scaled(1134, move.dpi));
    // The view shows the new layout's picture: the top day's frame one
    // scaled row down, white above it.
    const int w = view.surface.width, frameRow = Px(layout, 1);
    const std::vector<uint32_t> shown = RowsOf(view.surface.dc, 0, w, 4);
    EXPECT_EQ(shown[size_t(frameRow * w + 60)], Pixel(kFrameGrey)) << "the frame's top row";
    EXPECT_EQ(shown[size_t((frameRow - 1) * w + 60)], 0xFFFFFFu) << "white above it";
    if (move.dpi == 192) {
      // Tiles of about the pixels of one at 96 DPI, and views across their
      // edges the picture as drawn in one piece.
      EXPECT_EQ(view.strip.rows, 512);
      AlmanacTools tools(move.dpi);
      const int64_t kept = view.offset;
      // Views from a tile's last row, from its first, and one ending on its edge.
      const int64_t rows = view.strip.rows;
      for (int64_t top : {rows - 1, 2 * rows, 3 * rows + 1, 2 * rows - view.surface.height})
        ExpectViewShowsRowsFrom(state, top, tools);
      view.offset = kept;
      RefreshView(view, state.document);
    }
  }
  ASSERT_EQ(view.surface.width, width96);
  ASSERT_EQ(view.surface.height, rows96);
  EXPECT_TRUE(RowsOf(view.surface.dc, 0, width96, rows96) == before) << "the 96 DPI pixels again";

  DestroyWindow(window);
  TakePendingQuit();
  EXPECT_TRUE(ObservedMessages().empty());
  SetMessageObserver(nullptr);
}

}  // namespace
