// The label entry dialog driven in-process: its layout and palette, the
// lists, the checks of "Aceptar", and the draft it is given and hands back.
#include "dialogs/label_entry_dialog.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/message_box.h"
#include "data/calendar.h"
#include "data/label_file.h"
#include "resource.h"
#include "tests/win/win_test_util.h"

namespace {

const char kMissingMessage[] = "Seleccione día y mes, y escriba el texto que desea ...";

std::function<void(HWND)> gScript;
// What the main window would ask; its store keeps every draft it is given
// and answers as told.
LabelEntryRequest gRequest;
std::vector<LabelDraft> gStored;
bool gStoreAnswer = true;
// The draft the dialog is given, and as it hands it back.
LabelDraft gDraft;

void RunScript(HWND dialog) {
  gScript(dialog);
  // A script that leaves the dialog open has it closed like Alt+F4 would.
  if (IsWindow(dialog)) SendMessageA(dialog, WM_CLOSE, 0, 0);
}

// Runs the dialog with gDraft (which then holds what it handed back).
bool RunDialogWith(std::function<void(HWND)> script) {
  gScript = std::move(script);
  SetLabelDialogStartedHook(RunScript);
  return ShowLabelEntryDialog(gRequest, gDraft);
}

HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }

void SetText(HWND dialog, const char* text) { SetWindowTextA(Item(dialog, IDC_LABEL_TEXT), text); }

std::string TextOf(HWND window) {
  char text[4096] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// Picks the item reading `text` as a person would; false when it is not listed.
bool Choose(HWND dialog, int comboId, const char* text) {
  HWND combo = Item(dialog, comboId);
  LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(text));
  if (index == CB_ERR) return false;
  SendMessageA(combo, CB_SETCURSEL, index, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE), LPARAM(combo));
  return true;
}

void ChooseDate(HWND dialog, const char* day, const char* month, const char* year) {
  ASSERT_TRUE(Choose(dialog, IDC_MONTH_COMBO, month)) << month;
  ASSERT_TRUE(Choose(dialog, IDC_DAY_COMBO, day)) << day;
  if (year) {
    ASSERT_TRUE(Choose(dialog, IDC_YEAR_COMBO, year)) << year;
  }
}

void Command(HWND dialog, int id, int notification) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, notification), LPARAM(Item(dialog, id)));
}
void Accept(HWND dialog) { Command(dialog, IDC_LABEL_OK, BN_CLICKED); }

std::vector<std::string> Items(HWND combo) {
  std::vector<std::string> items;
  LRESULT n = SendMessageA(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    char text[64] = {};
    SendMessageA(combo, CB_GETLBTEXT, i, LPARAM(text));
    items.push_back(text);
  }
  return items;
}

using Lines = std::vector<std::string>;

// The palette as a person sees it: ids in ascending order, row by row.
const COLORREF kPalette[40] = {
    RGB(252, 249, 196), RGB(255, 237, 187), RGB(254, 218, 158), RGB(249, 220, 188),
    RGB(250, 191, 183), RGB(178, 225, 241), RGB(247, 211, 213), RGB(227, 218, 235),
    RGB(238, 233, 237), RGB(153, 199, 235), RGB(182, 207, 212), RGB(214, 237, 231),
    RGB(155, 211, 174), RGB(209, 235, 164), RGB(231, 224, 206), RGB(197, 198, 200),
    RGB(216, 208, 189), RGB(221, 176, 135), RGB(208, 201, 191), RGB(226, 227, 231),
    RGB(255, 138, 138), RGB(255, 102, 102), RGB(241, 223, 150), RGB(233, 204, 88),
    RGB(134, 152, 223), RGB(255, 168, 125), RGB(188, 198, 237), RGB(249, 223, 134),
    RGB(245, 204, 63),  RGB(255, 132, 72),  RGB(247, 166, 244), RGB(243, 131, 240),
    RGB(171, 150, 254), RGB(132, 102, 253), RGB(165, 239, 174), RGB(173, 136, 95),
    RGB(116, 231, 131), RGB(255, 255, 155), RGB(255, 255, 4),   RGB(0, 128, 192),
};

class LabelEntryDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ObserveMessages();
    gDraft = LabelDraft();
    gStored.clear();
    gStoreAnswer = true;
    gRequest = LabelEntryRequest();
    gRequest.store = [](const LabelDraft& draft) {
      gStored.push_back(draft);
      return gStoreAnswer;
    };
    UseAlmanac(1, 1, 2025, 364);  // 1 January to 31 December 2025
  }
  void TearDown() override { SetLabelDialogStartedHook(nullptr); }
  void UseAlmanac(int16_t day, int16_t month, int16_t year, int16_t count) {
    gRequest.first = CivilDate{year, month, day, 0};
    gRequest.last = gRequest.first;
    AddDays(gRequest.last, count);
  }
};

// ---- Layout ----

struct Expected {
  int id;
  const char* className;
  int x, y, width, height;
  DWORD style;
};

TEST_F(LabelEntryDialogTest, WindowAndControlsStandWhereTheyBelongInTabOrder) {
  RunDialogWith([](HWND dialog) {
    char title[64] = {};
    GetWindowTextA(dialog, title, sizeof title);
    EXPECT_STREQ(title, "Entrada de datos");
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, 963);
    EXPECT_EQ(client.bottom, 864);
    RECT window;
    GetWindowRect(dialog, &window);
    EXPECT_EQ(window.left, 112);
    EXPECT_EQ(window.top, 91);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
    DWORD style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | DS_MODALFRAME),
              DWORD(WS_POPUP | WS_CAPTION | DS_MODALFRAME));
    EXPECT_EQ(style & WS_SYSMENU, 0u) << "no system menu and no close box";

    std::vector<Expected> expected = {
        {1002, "Edit", 8, 8, 950, 112, ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP},
        {1005, "Static", 9, 127, 202, 455, SS_BITMAP},
        {1006, "Static", 212, 127, 202, 455, SS_BITMAP},
        {1008, "Static", 415, 128, 542, 384, SS_BITMAP},
        {1009, "Static", 414, 512, 544, 384, SS_BITMAP},
    };
    const int columns[10] = {1, 2, 3, 4, 5, 9, 6, 7, 8, 10};
    for (int i = 0; i < 40; ++i)
      expected.push_back({1010 + i, "Static", 10 + 25 * (columns[i % 10] - 1), 600 + 25 * (i / 10),
                          24, 24, SS_OWNERDRAW | SS_NOTIFY | WS_BORDER});
    const DWORD button = BS_PUSHBUTTON | BS_FLAT | BS_CENTER | BS_VCENTER | WS_TABSTOP;
    const DWORD combo = CBS_DROPDOWN | CBS_SORT | WS_TABSTOP;
    std::vector<Expected> rest = {
        {1050, "Static", 274, 608, 87, 81, SS_OWNERDRAW | WS_BORDER},
        {1057, "Button", 10, 720, 75, 48, button},
        {1058, "Button", 90, 720, 75, 48, button},
        {1059, "ComboBox", 170, 720, 90, 0, combo},
        {1061, "Static", 262, 720, 150, 22, SS_LEFT},
        {1060, "ComboBox", 170, 743, 90, 0, combo},
        {1062, "Static", 262, 743, 150, 22, SS_LEFT},
        {1065, "ComboBox", 170, 766, 90, 0, combo},
        {1064, "Static", 262, 766, 150, 22, SS_LEFT},
    };
    expected.insert(expected.end(), rest.begin(), rest.end());

    // Children in creation order, which is also the tab order.
    HWND child = GetWindow(dialog, GW_CHILD);
    for (const Expected& e : expected) {
      ASSERT_NE(child, nullptr) << "missing from " << e.id;
      EXPECT_EQ(GetDlgCtrlID(child), e.id);
      char cls[32] = {};
      GetClassNameA(child, cls, sizeof cls);
      EXPECT_STRCASEEQ(cls, e.className) << e.id;
      RECT r;
      GetWindowRect(child, &r);
      MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
      EXPECT_EQ(r.left, e.x) << e.id;
      EXPECT_EQ(r.top, e.y) << e.id;
      EXPECT_EQ(r.right - r.left, e.width) << e.id;
      if (e.height) {
        EXPECT_EQ(r.bottom - r.top, e.height) << e.id;
      }
      DWORD s = GetWindowLongA(child, GWL_STYLE);
      EXPECT_EQ(s & (e.style | WS_CHILD | WS_VISIBLE), e.style | WS_CHILD | WS_VISIBLE)
          << e.id << " style " << std::hex << s;
      if (std::string(e.className) == "Static") {
        EXPECT_EQ(s & SS_TYPEMASK, e.style & SS_TYPEMASK) << e.id;
      }
      if (std::string(e.className) == "ComboBox") {
        // Closed, the box is one line high; its 90 pixels include the list.
        RECT closed;
        GetWindowRect(child, &closed);
        EXPECT_LT(closed.bottom - closed.top, 40) << e.id;
      }
      child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "an extra control " << GetDlgCtrlID(child);

    HWND text = Item(dialog, IDC_LABEL_TEXT);
    DWORD ts = GetWindowLongA(text, GWL_STYLE);
    EXPECT_EQ(ts & (ES_AUTOHSCROLL | WS_HSCROLL), 0u) << "long lines must wrap";
    EXPECT_TRUE(GetWindowLongA(text, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(TextOf(Item(dialog, 1061)), "Día de la entrada");
    EXPECT_EQ(TextOf(Item(dialog, 1062)), "Mes de la entrada");
    EXPECT_EQ(TextOf(Item(dialog, 1064)), "Año de la entrada");
    EXPECT_EQ(TextOf(Item(dialog, 1057)), "Aceptar");
    EXPECT_EQ(TextOf(Item(dialog, 1058)), "Cancelar");
    EXPECT_EQ(GetFocus(), text) << "the text box is where typing starts";
  });
}

TEST_F(LabelEntryDialogTest, LabelFontLegendsAndSquaresAreFreedWhenTheDialogEnds) {
  HFONT font = nullptr;
  HGDIOBJ objects[8] = {};
  static HWND sDialog;
  static HFONT* sFont;
  static HGDIOBJ* sObjects;
  sFont = &font;
  sObjects = objects;
  RunDialogWith([](HWND dialog) {
    sDialog = dialog;
    *sFont = reinterpret_cast<HFONT>(SendMessageA(Item(dialog, IDC_LABEL_TEXT), WM_GETFONT, 0, 0));
    LOGFONTA lf = {};
    ASSERT_TRUE(GetObjectA(*sFont, sizeof lf, &lf));
    EXPECT_STREQ(lf.lfFaceName, "Lucida Console");
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(lf.lfHeight, -MulDiv(10, GetDeviceCaps(screen, LOGPIXELSY), 72));
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(lf.lfWeight, FW_NORMAL);
    EXPECT_FALSE(lf.lfItalic);
    for (int id : {1061, 1062, 1064, 1059, 1060, 1065})
      EXPECT_EQ(SendMessageA(Item(dialog, id), WM_GETFONT, 0, 0), LRESULT(*sFont)) << id;
    EXPECT_NE(SendMessageA(Item(dialog, IDC_LABEL_OK), WM_GETFONT, 0, 0), LRESULT(*sFont));

    // The four charts show at their natural size.
    const int ids[4] = {1005, 1006, 1008, 1009};
    const SIZE sizes[4] = {{202, 455}, {202, 455}, {542, 384}, {544, 384}};
    for (int i = 0; i < 4; ++i) {
      HGDIOBJ picture = reinterpret_cast<HGDIOBJ>(
          SendMessageA(Item(dialog, ids[i]), STM_GETIMAGE, IMAGE_BITMAP, 0));
      ASSERT_NE(picture, nullptr) << ids[i];
      BITMAP bm = {};
      GetObjectA(picture, sizeof bm, &bm);
      EXPECT_EQ(bm.bmWidth, sizes[i].cx) << ids[i];
      EXPECT_EQ(bm.bmHeight, sizes[i].cy) << ids[i];
      sObjects[i] = picture;
    }
    const Surface* swatch = ColorBoxSurface(dialog, 1049);
    const Surface* preview = ColorBoxSurface(dialog, IDC_COLOR_PREVIEW);
    ASSERT_TRUE(swatch && preview);
    sObjects[4] = swatch->bitmap;
    sObjects[5] = swatch->dc;
    sObjects[6] = preview->bitmap;
    sObjects[7] = preview->dc;
  });
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(GetObjectType(font), 0u) << "label font left behind";
  for (int i = 0; i < 8; ++i) EXPECT_EQ(GetObjectType(objects[i]), 0u) << "object " << i;
  EXPECT_EQ(ColorBoxSurface(sDialog, 1010), nullptr);
}

TEST_F(LabelEntryDialogTest, SquaresHoldTheirColoursAndPaintThemselves) {
  RunDialogWith([](HWND dialog) {
    for (int i = 0; i < 40; ++i) {
      int id = 1010 + i;
      EXPECT_EQ(ReadSwatchColor(dialog, id), kPalette[i]) << id;
      const Surface* s = ColorBoxSurface(dialog, id);
      ASSERT_NE(s, nullptr);
      RECT inner;
      GetClientRect(Item(dialog, id), &inner);
      EXPECT_EQ(s->width, inner.right) << id;
      EXPECT_EQ(s->height, inner.bottom) << id;
      EXPECT_EQ(GetPixel(s->dc, s->width - 1, s->height - 1), kPalette[i])
          << "whole surface " << id;
    }
    EXPECT_EQ(ReadSwatchColor(dialog, IDC_COLOR_PREVIEW), RGB(255, 255, 255));

    // What is on the screen comes from the surfaces.
    HWND swatch = Item(dialog, 1031);
    RedrawWindow(swatch, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(swatch);
    EXPECT_EQ(GetPixel(dc, 5, 5), RGB(255, 102, 102));
    ReleaseDC(swatch, dc);

    // A double click counts as a click; the preview shows the colour.
    Command(dialog, 1031, STN_DBLCLK);
    EXPECT_EQ(ReadSwatchColor(dialog, IDC_COLOR_PREVIEW), RGB(255, 102, 102));
    HWND preview = Item(dialog, IDC_COLOR_PREVIEW);
    RedrawWindow(preview, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    dc = GetDC(preview);
    EXPECT_EQ(GetPixel(dc, 40, 40), RGB(255, 102, 102));
    ReleaseDC(preview, dc);
    // Clicking the preview itself changes nothing.
    Command(dialog, IDC_COLOR_PREVIEW, STN_CLICKED);
    EXPECT_EQ(ReadSwatchColor(dialog, IDC_COLOR_PREVIEW), RGB(255, 102, 102));
    Command(dialog, 1015, STN_CLICKED);
  });
  EXPECT_EQ(gDraft.color, RGB(178, 225, 241)) << "the last swatch clicked";
}

// ---- Handing the label back ----

TEST_F(LabelEntryDialogTest, ThreeLinesAreHandedBackAsOneLabel) {
  bool stored = RunDialogWith([](HWND dialog) {
    SetText(dialog, "Cumpleaños de Ana\r\nCon bandera \\#09\r\nÚltima línea");
    ChooseDate(dialog, "05", "03", "2025");
    Command(dialog, 1031, STN_CLICKED);
    Accept(dialog);
    EXPECT_FALSE(IsWindow(dialog)) << "a stored label ends the dialog";
  });
  EXPECT_TRUE(stored);
  EXPECT_TRUE(ObservedMessages().empty());
  ASSERT_EQ(gStored.size(), 1u);
  const LabelDraft& d = gStored[0];
  EXPECT_EQ(d.lines, (Lines{"Cumpleaños de Ana", "Con bandera \\#09", "Última línea"}));
  EXPECT_EQ(d.day, 5);
  EXPECT_EQ(d.month, 3);
  EXPECT_EQ(d.year, 2025);
  EXPECT_EQ(d.color, RGB(255, 102, 102));
  EXPECT_EQ(gDraft.lines, d.lines) << "and it is what the dialog hands back";
}

TEST_F(LabelEntryDialogTest, WhiteWithoutSwatchAndEmptyLinesAreKept) {
  RunDialogWith([](HWND dialog) {
    SetText(dialog, "Una\r\n");
    ChooseDate(dialog, "10", "06", nullptr);  // the only year is already chosen
    Accept(dialog);
  });
  RunDialogWith([](HWND dialog) {
    SetText(dialog, "\r\n");  // only Enter: not empty, two empty lines
    Accept(dialog);           // the date handed back is given again
  });
  RunDialogWith([](HWND dialog) {
    SetText(dialog, "   ");  // spaces are a text
    Accept(dialog);
  });
  EXPECT_TRUE(ObservedMessages().empty()) << ObservedMessages()[0];
  ASSERT_EQ(gStored.size(), 3u);
  EXPECT_EQ(gStored[0].lines, (Lines{"Una", ""}));
  EXPECT_EQ(gStored[1].lines, (Lines{"", ""}));
  EXPECT_EQ(gStored[2].lines, (Lines{"   "}));
  for (const LabelDraft& d : gStored) {
    EXPECT_EQ(d.color, RGB(255, 255, 255));
    EXPECT_EQ(d.day, 10);
    EXPECT_EQ(d.month, 6);
    EXPECT_EQ(d.year, 2025);
  }
}

TEST_F(LabelEntryDialogTest, AWrappedParagraphIsHandedBackAsTheLinesTheBoxShows) {
  std::string paragraph;
  for (int i = 0; i < 40; ++i) paragraph += "palabra" + std::to_string(i) + " ";
  paragraph += "fin";
  static std::string sParagraph;
  sParagraph = paragraph;
  static LRESULT sShown = 0;
  RunDialogWith([](HWND dialog) {
    SetText(dialog, sParagraph.c_str());
    sShown = SendMessageA(Item(dialog, IDC_LABEL_TEXT), EM_GETLINECOUNT, 0, 0);
    ChooseDate(dialog, "01", "02", nullptr);
    Accept(dialog);
  });
  ASSERT_EQ(gStored.size(), 1u);
  const Lines& lines = gStored[0].lines;
  EXPECT_GE(sShown, 3) << "about 400 characters wrap over several display lines";
  ASSERT_EQ(LRESULT(lines.size()), sShown);
  std::string joined;
  for (const std::string& line : lines) {
    EXPECT_LE(line.size(), kMaxLineBytes);
    joined += line;
  }
  EXPECT_EQ(joined, paragraph) << "no character lost or added at the wraps";
}

TEST_F(LabelEntryDialogTest, ALabelIsShownFilledInAndHandedBackAsChanged) {
  gRequest.title = "Modificar etiqueta";
  gDraft.lines = {"Clase de piano", "a las \\#27 cinco"};
  gDraft.color = RGB(10, 200, 30);  // not one of the squares: a colour from elsewhere
  gDraft.day = 7, gDraft.month = 3, gDraft.year = 2025;
  RunDialogWith([](HWND dialog) {
    EXPECT_EQ(TextOf(dialog), "Modificar etiqueta");
    EXPECT_EQ(TextOf(Item(dialog, IDC_LABEL_TEXT)), "Clase de piano\r\na las \\#27 cinco");
    EXPECT_EQ(ReadSwatchColor(dialog, IDC_COLOR_PREVIEW), RGB(10, 200, 30));
    EXPECT_EQ(TextOf(Item(dialog, IDC_DAY_COMBO)), "07");
    EXPECT_EQ(TextOf(Item(dialog, IDC_MONTH_COMBO)), "03");
    EXPECT_EQ(TextOf(Item(dialog, IDC_YEAR_COMBO)), "2025");
    // "Cancelar" hands nothing to be stored.
    Command(dialog, IDC_LABEL_CANCEL, BN_CLICKED);
  });
  EXPECT_TRUE(gStored.empty());
  gDraft.lines = {"Clase de piano", "a las \\#27 cinco"};
  RunDialogWith([](HWND dialog) {
    SetText(dialog, "Clase de violín\r\na las \\#27 cinco");
    ASSERT_TRUE(Choose(dialog, IDC_DAY_COMBO, "08"));
    Accept(dialog);
  });
  ASSERT_EQ(gStored.size(), 1u);
  EXPECT_EQ(gStored[0].lines, (Lines{"Clase de violín", "a las \\#27 cinco"}));
  EXPECT_EQ(gStored[0].color, RGB(10, 200, 30)) << "its colour stays unless a square is clicked";
  EXPECT_EQ(gStored[0].day, 8);
  EXPECT_EQ(gStored[0].month, 3);
}

// ---- What "Aceptar" refuses ----

TEST_F(LabelEntryDialogTest, MissingTextDayOrMonthIsAskedFor) {
  struct Case {
    const char* name;
    const char* text;
    const char* day;
    const char* month;
  };
  static const Case cases[] = {
      {"no day", "Texto", nullptr, "03"},
      {"no text", "", "05", "03"},
      {"no month", "Texto", "05", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gDraft = LabelDraft();
    ObserveMessages();
    static const Case* sCase;
    sCase = &c;
    RunDialogWith([](HWND dialog) {
      SetText(dialog, sCase->text);
      if (sCase->month) {
        ASSERT_TRUE(Choose(dialog, IDC_MONTH_COMBO, sCase->month));
      }
      if (sCase->day) {
        if (!sCase->month) Choose(dialog, IDC_MONTH_COMBO, "01");  // fills the day list
        ASSERT_TRUE(Choose(dialog, IDC_DAY_COMBO, sCase->day));
        if (!sCase->month) {
          // Take the month back out of the box: nothing shows, nothing is chosen.
          HWND month = Item(dialog, IDC_MONTH_COMBO);
          SendMessageA(month, CB_SETCURSEL, WPARAM(-1), 0);
        }
      }
      Accept(dialog);
      EXPECT_TRUE(IsWindow(dialog)) << "the dialog stays open";
      EXPECT_EQ(TextOf(Item(dialog, IDC_LABEL_TEXT)), sCase->text);
      Command(dialog, IDC_LABEL_CANCEL, BN_CLICKED);
    });
    ASSERT_EQ(ObservedMessages().size(), 1u);
    EXPECT_EQ(ObservedMessages()[0], kMissingMessage);
    EXPECT_TRUE(gStored.empty());
  }
}

TEST_F(LabelEntryDialogTest, ADateTheAlmanacDoesNotShowIsRefusedAndTheEntryKept) {
  UseAlmanac(1, 3, 2025, 30);  // 1 to 31 March 2025
  RunDialogWith([](HWND dialog) {
    SetText(dialog, "No se pierde");
    // 31 April: the day is kept after the month changes, and the box says so.
    ChooseDate(dialog, "31", "01", nullptr);
    ASSERT_TRUE(Choose(dialog, IDC_MONTH_COMBO, "04"));
    EXPECT_EQ(Items(Item(dialog, IDC_DAY_COMBO)).size(), 30u);
    EXPECT_EQ(TextOf(Item(dialog, IDC_DAY_COMBO)), "31");
    Accept(dialog);
    // Outside the almanac, before and after it.
    ChooseDate(dialog, "28", "02", nullptr);
    Accept(dialog);
    ChooseDate(dialog, "01", "04", nullptr);
    Accept(dialog);
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_EQ(TextOf(Item(dialog, IDC_LABEL_TEXT)), "No se pierde");
    // Its first and last days are in it.
    ChooseDate(dialog, "01", "03", nullptr);
    Accept(dialog);
  });
  RunDialogWith([](HWND dialog) {
    SetText(dialog, "Fin");
    ChooseDate(dialog, "31", "03", nullptr);
    Accept(dialog);
  });
  std::vector<std::string>& m = ObservedMessages();
  ASSERT_EQ(m.size(), 3u);
  EXPECT_NE(m[0].find("31/04/2025 no existe"), std::string::npos) << m[0];
  EXPECT_NE(m[1].find("28/02/2025 no está en el almanaque"), std::string::npos) << m[1];
  EXPECT_NE(m[1].find("del 01/03/2025 al 31/03/2025"), std::string::npos) << m[1];
  EXPECT_NE(m[2].find("01/04/2025 no está en el almanaque"), std::string::npos) << m[2];
  ASSERT_EQ(gStored.size(), 2u);
  EXPECT_EQ(gStored[0].day, 1);
  EXPECT_EQ(gStored[1].day, 31);
}

TEST_F(LabelEntryDialogTest, AYearMustBeShownBeforeALabelIsStored) {
  UseAlmanac(1, 12, 2024, 60);  // December 2024 to January 2025
  RunDialogWith([](HWND dialog) {
    EXPECT_EQ(TextOf(Item(dialog, IDC_YEAR_COMBO)), "") << "two years: none is taken for granted";
    SetText(dialog, "Nochevieja");
    ChooseDate(dialog, "31", "12", nullptr);
    Accept(dialog);
    EXPECT_TRUE(IsWindow(dialog));
    ASSERT_TRUE(Choose(dialog, IDC_YEAR_COMBO, "2024"));
    Accept(dialog);
  });
  ASSERT_EQ(ObservedMessages().size(), 1u);
  EXPECT_EQ(ObservedMessages()[0], "Seleccione el año de la entrada.");
  ASSERT_EQ(gStored.size(), 1u);
  EXPECT_EQ(gStored[0].year, 2024);
}

TEST_F(LabelEntryDialogTest, ANumberTypedIntoAListIsWhatIsStored) {
  RunDialogWith([](HWND dialog) {
    SetText(dialog, "Escrito a mano");
    ChooseDate(dialog, "05", "03", nullptr);
    SetWindowTextA(Item(dialog, IDC_DAY_COMBO), "7");
    Accept(dialog);
  });
  ASSERT_EQ(gStored.size(), 1u);
  EXPECT_EQ(gStored[0].day, 7) << "the box showed 7, so 7 is stored";
  EXPECT_EQ(gStored[0].month, 3);
}

TEST_F(LabelEntryDialogTest, ALabelThatCannotBeStoredKeepsTheDialogAndTheText) {
  // The caller could not store it (and has said why): nothing is lost.
  gStoreAnswer = false;
  RunDialogWith([](HWND dialog) {
    SetText(dialog, "Uno\r\nDos");
    ChooseDate(dialog, "05", "03", nullptr);
    Command(dialog, 1040, STN_CLICKED);
    Accept(dialog);
    EXPECT_TRUE(IsWindow(dialog)) << "the label is not lost";
    EXPECT_EQ(TextOf(Item(dialog, IDC_LABEL_TEXT)), "Uno\r\nDos");
    // Once it can be, the same entry goes.
    gStoreAnswer = true;
    Accept(dialog);
    EXPECT_FALSE(IsWindow(dialog));
  });
  ASSERT_EQ(gStored.size(), 2u);
  EXPECT_EQ(gStored[1].lines, (Lines{"Uno", "Dos"}));
  EXPECT_EQ(gStored[1].color, RGB(247, 166, 244));
}

// ---- Lists ----

TEST_F(LabelEntryDialogTest, ListsFollowTheAlmanacsYears) {
  // A leap year's 366 days reach 1 January of the next year.
  UseAlmanac(1, 1, 2024, 366);
  RunDialogWith([](HWND dialog) {
    EXPECT_EQ(Items(Item(dialog, IDC_YEAR_COMBO)), (std::vector<std::string>{"2024", "2025"}));
    std::vector<std::string> months = Items(Item(dialog, IDC_MONTH_COMBO));
    ASSERT_EQ(months.size(), 12u);
    EXPECT_EQ(months.front(), "01");
    EXPECT_EQ(months.back(), "12");
    EXPECT_TRUE(Items(Item(dialog, IDC_DAY_COMBO)).empty()) << "no month yet";
    // 29 February 2024 is in the almanac, although the drawing ended in 2025.
    ASSERT_TRUE(Choose(dialog, IDC_MONTH_COMBO, "02"));
    std::vector<std::string> days = Items(Item(dialog, IDC_DAY_COMBO));
    ASSERT_EQ(days.size(), 29u);
    EXPECT_EQ(days.front(), "01");
    EXPECT_EQ(days.back(), "29");
    SetText(dialog, "Bisiesto");
    ASSERT_TRUE(Choose(dialog, IDC_DAY_COMBO, "29"));
    ASSERT_TRUE(Choose(dialog, IDC_YEAR_COMBO, "2024"));
    Accept(dialog);
  });
  // From 31 December, 366 days reach 1 January two years on.
  UseAlmanac(31, 12, 2024, 366);
  RunDialogWith([](HWND dialog) {
    EXPECT_EQ(Items(Item(dialog, IDC_YEAR_COMBO)),
              (std::vector<std::string>{"2024", "2025", "2026"}));
  });
  UseAlmanac(1, 3, 2025, 30);
  RunDialogWith([](HWND dialog) {
    EXPECT_EQ(Items(Item(dialog, IDC_YEAR_COMBO)), (std::vector<std::string>{"2025"}));
    EXPECT_EQ(TextOf(Item(dialog, IDC_YEAR_COMBO)), "2025") << "one year: already chosen";
  });
  ASSERT_EQ(gStored.size(), 1u);
  EXPECT_EQ(gStored[0].day, 29);
  EXPECT_EQ(gStored[0].month, 2);
  EXPECT_EQ(gStored[0].year, 2024);
}

// ---- Ending ----

TEST_F(LabelEntryDialogTest, EscapeStaysCloseEndsLikeCancelAndNothingIsStored) {
  bool stored = RunDialogWith([](HWND dialog) {
    SetText(dialog, "Sin guardar");
    ChooseDate(dialog, "05", "03", nullptr);
    // Escape reaches the dialog as IDCANCEL, Enter outside the text as IDOK.
    Command(dialog, IDCANCEL, 0);
    Command(dialog, IDOK, 0);
    EXPECT_TRUE(IsWindow(dialog));
    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);  // Alt+F4
    EXPECT_FALSE(IsWindow(dialog));
  });
  EXPECT_FALSE(stored);
  EXPECT_TRUE(gStored.empty());
  // The entry as it stood comes back: its date can be offered again.
  EXPECT_EQ(gDraft.lines, (Lines{"Sin guardar"}));
  EXPECT_EQ(gDraft.day, 5);
  EXPECT_EQ(gDraft.month, 3);
}

TEST_F(LabelEntryDialogTest, APastePastTheLimitIsCutAndThePersonIsTold) {
  RunDialogWith([](HWND dialog) {
    HWND box = Item(dialog, IDC_LABEL_TEXT);
    std::string full;
    while (full.size() < 29990) full += std::string(98, 'a') + "\r\n";
    full.resize(29990);
    SetWindowTextA(box, full.c_str());
    SendMessageA(box, EM_SETSEL, 29990, 29990);
    SendMessageA(box, EM_REPLACESEL, TRUE, LPARAM("0123456789abcdefghij"));
    EXPECT_EQ(GetWindowTextLengthA(box), 30000);
    ASSERT_EQ(ObservedMessages().size(), 1u);
    EXPECT_NE(ObservedMessages()[0].find("30000 caracteres"), std::string::npos)
        << ObservedMessages()[0];
  });
}

// Only a text typed into the box is lost when the program ends: an empty
// box, or the text the dialog was given, ends it without a question.
TEST_F(LabelEntryDialogTest, TheProgramsEndAsksOnlyAboutATypedText) {
  static std::vector<std::wstring> asked;
  asked.clear();
  SetQuestionAnswerer([](const std::wstring& question) {
    asked.push_back(question);
    return false;
  });
  gDraft.lines = {"Dada"};
  RunDialogWith([](HWND dialog) {
    EXPECT_TRUE(MayEndWithLabelEntry()) << "the text it was given";
    SetText(dialog, "");
    EXPECT_TRUE(MayEndWithLabelEntry()) << "an empty box";
    SendMessageA(Item(dialog, IDC_LABEL_TEXT), EM_REPLACESEL, TRUE, LPARAM("Comprar pan"));
    EXPECT_FALSE(MayEndWithLabelEntry()) << "answered No";
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_EQ(TextOf(Item(dialog, IDC_LABEL_TEXT)), "Comprar pan");
  });
  SetQuestionAnswerer(nullptr);
  EXPECT_EQ(asked, std::vector<std::wstring>{L"¿Salir sin guardar la etiqueta?"});
  EXPECT_TRUE(MayEndWithLabelEntry()) << "no dialog open";
}

TEST_F(LabelEntryDialogTest, FocusComesBackToTheSameControlAfterDeactivation) {
  RunDialogWith([](HWND dialog) {
    HWND text = Item(dialog, IDC_LABEL_TEXT);
    SetFocus(text);
    SendMessageA(dialog, WM_NCACTIVATE, FALSE, 0);
    SetFocus(Item(dialog, IDC_LABEL_OK));
    SendMessageA(dialog, WM_NCACTIVATE, TRUE, 0);
    EXPECT_EQ(GetFocus(), text);
  });
}

// A new label may repeat: "Repetir:" ("No" at first, "hasta el" greyed
// then) below the date lists; more than one label is asked about first,
// and No goes back to the dialog. "Modificar etiqueta" has no repeat.
TEST_F(LabelEntryDialogTest, ARepeatIsChosenBelowTheListsAndAskedAboutFirst) {
  static std::vector<std::wstring> asked;
  static bool answer = false;
  asked.clear();
  SetQuestionAnswerer([](const std::wstring& question) {
    asked.push_back(question);
    return answer;
  });
  UseAlmanac(1, 9, 2025, 302);  // the school year, to 30 June 2026
  gRequest.offersRepeat = true;
  RunDialogWith([](HWND dialog) {
    HWND repeat = Item(dialog, IDC_REPEAT_COMBO), until = Item(dialog, IDC_UNTIL_DATE);
    ASSERT_NE(repeat, nullptr);
    ASSERT_NE(until, nullptr);
    EXPECT_EQ(Items(repeat),
              (std::vector<std::string>{
                  "No", "Cada semana", "Cada dos semanas", "Cada mes (el mismo día)",
                  "Cada mes (el mismo día de la semana, p. ej. el segundo martes)", "Cada año"}));
    EXPECT_EQ(TextOf(repeat), "No");
    EXPECT_FALSE(IsWindowEnabled(until));
    SYSTEMTIME shown = {};
    SendMessageA(until, DTM_GETSYSTEMTIME, 0, LPARAM(&shown));
    EXPECT_EQ(shown.wDay * 10000 + shown.wMonth * 100 + shown.wYear % 100, 300626)
        << "the almanac's last day";
    RECT r;
    GetWindowRect(repeat, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_GE(r.top, 766 + 22) << "below the date lists";

    SetText(dialog, "Clase");
    ChooseDate(dialog, "02", "09", "2025");
    ASSERT_TRUE(Choose(dialog, IDC_REPEAT_COMBO, "Cada semana"));
    EXPECT_TRUE(IsWindowEnabled(until));
    SYSTEMTIME end = {};
    end.wYear = 2026, end.wMonth = 6, end.wDay = 23;
    SendMessageA(until, DTM_SETSYSTEMTIME, GDT_VALID, LPARAM(&end));
    answer = false;
    Accept(dialog);
    EXPECT_TRUE(IsWindow(dialog)) << "No: back to the dialog";
    EXPECT_TRUE(gStored.empty());
    answer = true;
    Accept(dialog);
  });
  SetQuestionAnswerer(nullptr);
  const std::wstring question =
      L"¿Guardar 43 etiquetas, del 2 de septiembre de 2025 al 23 de junio de 2026?";
  EXPECT_EQ(asked, (std::vector<std::wstring>{question, question}));
  ASSERT_EQ(gStored.size(), 1u);
  EXPECT_EQ(gStored[0].repeat, Repeat::Weekly);
  EXPECT_EQ(ShortDateText(gStored[0].until), "23/06/2026");

  // At "No", nothing is asked; without the offer there is no repeat at all.
  asked.clear();
  gStored.clear();
  gDraft = LabelDraft();
  RunDialogWith([](HWND dialog) {
    SetText(dialog, "Una vez");
    ChooseDate(dialog, "02", "09", "2025");
    Accept(dialog);
  });
  gRequest.offersRepeat = false;
  RunDialogWith([](HWND dialog) { EXPECT_EQ(Item(dialog, IDC_REPEAT_COMBO), nullptr); });
  EXPECT_TRUE(asked.empty());
  ASSERT_EQ(gStored.size(), 1u);
  EXPECT_EQ(gStored[0].repeat, Repeat::None);
}

}  // namespace
