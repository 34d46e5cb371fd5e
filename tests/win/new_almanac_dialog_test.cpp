// "Elige tiempo": layout, the end-date preview, what "Aceptar" refuses and
// stores, and the keys that must not close it. Driven in-process through
// the dialog's own entry point and loop.
#include "dialogs/new_almanac_dialog.h"

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/message_box.h"
#include "data/label_file.h"
#include "resource.h"
#include "tests/win/dialog_driver.h"
#include "tests/win/win_test_util.h"

using dialog_driver::Click;
using dialog_driver::PostStep;
using dialog_driver::WindowText;

namespace {

const char kCountOrName[] =
    "Tienes que escribir el número de días ...\r\n"
    "Que va de 15 a 366 días ...\r\n"
    "Y el nombre para tu almanaque ...";

std::function<void(HWND)> gDrive;
void DriveHook(HWND dialog) {
  if (gDrive) gDrive(dialog);
}

SYSTEMTIME Date(int day, int month, int year) {
  SYSTEMTIME t = {};
  t.wDay = WORD(day);
  t.wMonth = WORD(month);
  t.wYear = WORD(year);
  return t;
}

void SetStart(HWND dialog, int day, int month, int year) {
  SYSTEMTIME t = Date(day, month, year);
  SendDlgItemMessageA(dialog, IDC_START_DATE, DTM_SETSYSTEMTIME, GDT_VALID,
                      reinterpret_cast<LPARAM>(&t));
}

// SetWindowText makes the box send EN_CHANGE, as typing or pasting would.
void TypeCount(HWND dialog, const std::string& text) {
  SetDlgItemTextA(dialog, IDC_DAY_COUNT, text.c_str());
}
void TypeName(HWND dialog, const std::string& text) {
  SetDlgItemTextA(dialog, IDC_NAME, text.c_str());
}
std::string Preview(HWND dialog) { return WindowText(GetDlgItem(dialog, IDC_END_PREVIEW)); }

class NewAlmanacDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ObserveMessages();
    SetNewAlmanacDialogHook(DriveHook);
  }
  void TearDown() override {
    SetNewAlmanacDialogHook(nullptr);
    gDrive = nullptr;
    SetMessageObserver(nullptr);
  }

  NewAlmanac chosen_;
};

struct ControlRow {
  int id;
  const char* className;
  const char* text;  // nullptr: not compared (the picker shows the date)
  RECT rect;         // in the client area: left, top, right, bottom
  DWORD style;       // bits that must be set
  DWORD exStyle;
  bool largeFont;
};

const ControlRow kLayout[] = {
    {IDC_START_DATE, "SysDateTimePick32", nullptr, {8, 32, 158, 64},
     WS_CHILD | WS_VISIBLE | WS_TABSTOP, WS_EX_CLIENTEDGE, true},
    {IDC_DAY_COUNT, "Edit", "", {8, 89, 158, 121}, WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_NUMBER,
     WS_EX_CLIENTEDGE, true},
    {IDC_START_CAPTION, "Static", "Elige fecha inicio", {8, 8, 158, 32}, WS_CHILD | WS_VISIBLE, 0,
     false},
    {IDC_COUNT_CAPTION, "Static", "Elige número de días", {8, 66, 158, 88},
     WS_CHILD | WS_VISIBLE, 0, false},
    {IDC_END_PREVIEW, "Static", "", {8, 128, 158, 152}, WS_CHILD | WS_VISIBLE, 0, false},
    {IDC_NAME_CAPTION, "Static", "Elige nombre para el almanaque", {8, 153, 258, 177},
     WS_CHILD | WS_VISIBLE, 0, false},
    {IDC_NAME, "Edit", "", {8, 178, 233, 210}, WS_CHILD | WS_VISIBLE | WS_TABSTOP,
     WS_EX_CLIENTEDGE, true},
    {IDC_BRING_LABELS, "Button", "Traer etiquetas de otro almanaque", {8, 216, 250, 238},
     WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, false},
    {IDC_NEW_OK, "Button", "Aceptar", {168, 8, 243, 32},
     WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_CENTER | BS_VCENTER | BS_FLAT, 0, false},
    {IDC_NEW_CANCEL, "Button", "Cancelar", {168, 36, 243, 60},
     WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_CENTER | BS_VCENTER | BS_FLAT, 0, false},
};

TEST_F(NewAlmanacDialogTest, WindowAndControlsAreLaidOutAsDrawn) {
  std::vector<HFONT> fonts;
  gDrive = [&](HWND dialog) {
    EXPECT_EQ(WindowText(dialog), "Elige tiempo");
    LONG style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(style & DS_MODALFRAME);
    EXPECT_FALSE(style & WS_SYSMENU) << "no close box";
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
    RECT client, window;
    GetClientRect(dialog, &client);
    GetWindowRect(dialog, &window);
    EXPECT_EQ(client.right, 250);
    EXPECT_EQ(client.bottom, 244);
    EXPECT_EQ(window.left, 105);
    EXPECT_EQ(window.top, 114);

    // Creation order, one control per row of the table.
    HWND child = GetWindow(dialog, GW_CHILD);
    for (const ControlRow& row : kLayout) {
      ASSERT_NE(child, nullptr) << "missing " << row.id;
      SCOPED_TRACE(row.id);
      EXPECT_EQ(GetDlgCtrlID(child), row.id);
      char cls[64] = "";
      GetClassNameA(child, cls, sizeof cls);
      EXPECT_EQ(lstrcmpiA(cls, row.className), 0) << cls;
      if (row.text) {
        EXPECT_EQ(WindowText(child), row.text);
      }
      RECT r;
      GetWindowRect(child, &r);
      MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
      EXPECT_EQ(r.left, row.rect.left);
      EXPECT_EQ(r.top, row.rect.top);
      EXPECT_EQ(r.right, row.rect.right);
      EXPECT_EQ(r.bottom, row.rect.bottom);
      DWORD s = DWORD(GetWindowLongA(child, GWL_STYLE));
      EXPECT_EQ(s & row.style, row.style) << std::hex << s;
      if (row.className == std::string("Edit")) {
        EXPECT_FALSE(s & ES_AUTOHSCROLL) << "the box takes only what it shows";
        EXPECT_FALSE(s & ES_MULTILINE);
      }
      if (row.className == std::string("Button")) {
        EXPECT_EQ(s & BS_TYPEMASK, row.style & BS_TYPEMASK);  // push buttons, one check box
      }
      if (row.className == std::string("Static")) {
        EXPECT_EQ(s & SS_TYPEMASK, DWORD(SS_LEFT));
        EXPECT_FALSE(s & WS_TABSTOP);
      }
      DWORD ex = DWORD(GetWindowLongA(child, GWL_EXSTYLE));
      EXPECT_EQ(ex & WS_EX_CLIENTEDGE, row.exStyle);

      HFONT font = reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0));
      LOGFONTA lf = {};
      ASSERT_TRUE(GetObjectA(font, sizeof lf, &lf));
      EXPECT_STREQ(lf.lfFaceName, "MS Sans Serif");
      EXPECT_EQ(lf.lfWeight, FW_BOLD);
      HDC screen = GetDC(nullptr);
      int dpi = GetDeviceCaps(screen, LOGPIXELSY);
      ReleaseDC(nullptr, screen);
      EXPECT_EQ(lf.lfHeight, -MulDiv(row.largeFont ? 14 : 10, dpi, 72));
      fonts.push_back(font);
      child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "more controls than the table";

    // The picker shows short dates, starts on today and has no check box.
    HWND picker = GetDlgItem(dialog, IDC_START_DATE);
    DWORD ps = DWORD(GetWindowLongA(picker, GWL_STYLE));
    EXPECT_FALSE(ps & (DTS_LONGDATEFORMAT | DTS_SHOWNONE | DTS_UPDOWN | DTS_TIMEFORMAT));
    SYSTEMTIME shown = {}, today;
    GetLocalTime(&today);
    EXPECT_EQ(SendMessageA(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown)),
              GDT_VALID);
    EXPECT_EQ(shown.wDay, today.wDay);
    EXPECT_EQ(shown.wMonth, today.wMonth);
    EXPECT_EQ(shown.wYear, today.wYear);

    // Tab order: date, count, name, the check box, Aceptar, Cancelar, and
    // round again.
    std::vector<int> tabs;
    HWND item = GetNextDlgTabItem(dialog, nullptr, FALSE);
    for (int i = 0; i < 7 && item; ++i, item = GetNextDlgTabItem(dialog, item, FALSE))
      tabs.push_back(GetDlgCtrlID(item));
    EXPECT_EQ(tabs, (std::vector<int>{IDC_START_DATE, IDC_DAY_COUNT, IDC_NAME, IDC_BRING_LABELS,
                                      IDC_NEW_OK, IDC_NEW_CANCEL, IDC_START_DATE}));

    // The preview line is light grey on the button face.
    HDC dc = CreateCompatibleDC(nullptr);
    LRESULT brush = SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_END_PREVIEW)));
    EXPECT_EQ(GetTextColor(dc), RGB(192, 192, 192));
    EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), GetSysColorBrush(COLOR_BTNFACE));
    DeleteDC(dc);
    for (HFONT f : fonts) EXPECT_EQ(GetObjectType(f), DWORD(OBJ_FONT));
    Click(dialog, IDC_NEW_CANCEL);
  };
  EXPECT_FALSE(NewAlmanacDialog(chosen_));
  // Both fonts went with the dialog.
  ASSERT_EQ(fonts.size(), 10u);
  for (HFONT f : fonts) EXPECT_EQ(GetObjectType(f), 0u);
}

TEST_F(NewAlmanacDialogTest, PreviewShowsTheEndDateFromThePickersValue) {
  struct Case {
    SYSTEMTIME start;
    const char* count;
    const char* preview;
  };
  const Case kCases[] = {
      {Date(1, 1, 2025), "15", "hasta el 16\\01\\2025"},
      {Date(1, 1, 2025), "", "hasta el 01\\01\\2025"},  // empty: the start itself
      {Date(28, 2, 2024), "1", "hasta el 29\\02\\2024"},
      {Date(28, 2, 2023), "1", "hasta el 01\\03\\2023"},
      {Date(31, 12, 2024), "366", "hasta el 01\\01\\2026"},
      {Date(5, 7, 2025), "0015", "hasta el 20\\07\\2025"},
      {Date(1, 1, 2025), "1a", "El numero NO es valido ..."},
      {Date(1, 1, 2025), " 15", "El numero NO es valido ..."},
      {Date(1, 1, 2025), "-3", "El numero NO es valido ..."},
      // Past the last date Windows holds, and past any integer: refused,
      // not wrapped round or shown as the start date.
      {Date(1, 1, 2025), "99999999", "El numero NO es valido ..."},
      {Date(1, 1, 2025), "123456789012345678901234567890", "El numero NO es valido ..."},
  };
  gDrive = [&](HWND dialog) {
    for (const Case& c : kCases) {
      SCOPED_TRACE(c.count);
      SendDlgItemMessageA(dialog, IDC_START_DATE, DTM_SETSYSTEMTIME, GDT_VALID,
                          reinterpret_cast<LPARAM>(&c.start));
      SetDlgItemTextA(dialog, IDC_END_PREVIEW, "");
      TypeCount(dialog, c.count);
      EXPECT_EQ(Preview(dialog), c.preview);
    }
    // Any message from the box refreshes it, e.g. losing the focus; a
    // change of the date alone waits for the next one.
    TypeCount(dialog, "15");
    SetStart(dialog, 10, 3, 2025);
    EXPECT_EQ(Preview(dialog), "hasta el 16\\01\\2025");
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_DAY_COUNT, EN_KILLFOCUS),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_DAY_COUNT)));
    EXPECT_EQ(Preview(dialog), "hasta el 25\\03\\2025");
    Click(dialog, IDC_NEW_CANCEL);
  };
  EXPECT_FALSE(NewAlmanacDialog(chosen_));
  EXPECT_TRUE(ObservedMessages().empty());
}

TEST(NewAlmanacCount, NumericValueOfTheTypedText) {
  EXPECT_EQ(CountValue(""), 0);
  EXPECT_EQ(CountValue("15"), 15);
  EXPECT_EQ(CountValue("  15"), 15);
  EXPECT_EQ(CountValue("015"), 15);
  EXPECT_EQ(CountValue("15x9"), 15);
  EXPECT_EQ(CountValue("x15"), 0);
  EXPECT_EQ(CountValue("2147483648"), kMaxCountValue);
  EXPECT_EQ(CountValue(std::string(400, '9')), kMaxCountValue);
  EXPECT_EQ(CountValue("65551"), 65551) << "no 16-bit wrap to 15";
}

TEST_F(NewAlmanacDialogTest, RefusedValuesKeepTheDialogOpenAndChangeNothing) {
  // An old almanac's file, whose labels must not be mixed into a new one.
  std::string existing = LabelFilePath("Existente");
  HANDLE h = CreateFileA(existing.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);

  struct Case {
    const char* count;
    std::string name;
    const char* says;  // the message, or a phrase of it
  };
  const Case kCases[] = {
      {"14", "Prueba", kCountOrName},
      {"367", "Prueba", kCountOrName},
      {"", "Prueba", kCountOrName},
      {"65551", "Prueba", kCountOrName},  // 15 once cut to 16 bits
      {"abc", "Prueba", kCountOrName},
      {"20abc", "Prueba", kCountOrName},  // pasted: the box's ES_NUMBER stops only keys
      {"15", "", kCountOrName},
      {"15", "a/b", "caracteres"},
      {"15", "que?", "caracteres"},
      {"15", "dos:puntos", "caracteres"},
      {"15", std::string("tab\there"), "caracteres"},
      {"15", "CON", "reservado"},
      {"15", "nul", "reservado"},
      {"15", "COM1", "reservado"},
      {"15", std::string(250, 'x'), "largo"},
      {"15", "Existente", "Ya existe un almanaque con ese nombre"},
  };
  std::vector<std::string> typedNames;
  gDrive = [&](HWND dialog) {
    for (const Case& c : kCases) {
      SCOPED_TRACE(std::string(c.count) + " / " + c.name.substr(0, 20));
      ObservedMessages().clear();
      SetStart(dialog, 1, 1, 2025);
      TypeCount(dialog, c.count);
      TypeName(dialog, c.name);
      typedNames.push_back(WindowText(GetDlgItem(dialog, IDC_NAME)));
      Click(dialog, IDC_NEW_OK);
      ASSERT_TRUE(IsWindow(dialog)) << "the dialog closed";
      ASSERT_EQ(ObservedMessages().size(), 1u);
      EXPECT_NE(ObservedMessages()[0].find(c.says), std::string::npos) << ObservedMessages()[0];
      // What was typed stays for the user to mend.
      EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_DAY_COUNT)), c.count);
    }
    Click(dialog, IDC_NEW_CANCEL);
  };
  EXPECT_FALSE(NewAlmanacDialog(chosen_));
  EXPECT_EQ(chosen_.name, "") << "nothing chosen";
  // The long name reached the check whole (the box does not cut text it is given).
  ASSERT_EQ(typedNames.size(), std::size(kCases));
  EXPECT_EQ(typedNames[14].size(), 250u);
  DeleteFileA(existing.c_str());
}

TEST_F(NewAlmanacDialogTest, AcceptHandsTheAlmanacBackAndCloses) {
  gDrive = [&](HWND dialog) {
    SetStart(dialog, 1, 1, 2025);
    TypeCount(dialog, "15");
    TypeName(dialog, "Prueba");
    EXPECT_EQ(Preview(dialog), "hasta el 16\\01\\2025");
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_BRING_LABELS), UINT(BST_UNCHECKED));
    Click(dialog, IDC_NEW_OK);
    EXPECT_FALSE(IsWindow(dialog));
  };
  EXPECT_TRUE(NewAlmanacDialog(chosen_));
  EXPECT_TRUE(ObservedMessages().empty());
  EXPECT_FALSE(chosen_.bringLabels);
  EXPECT_EQ(chosen_.name, "Prueba");
  EXPECT_EQ(chosen_.startDay, 1);
  EXPECT_EQ(chosen_.startMonth, 1);
  EXPECT_EQ(chosen_.startYear, 2025);
  EXPECT_EQ(chosen_.dayCount, 15);
  EXPECT_FALSE(LabelFileExists(LabelFilePath("Prueba"))) << "no file until the first label";
}

TEST_F(NewAlmanacDialogTest, EdgesOfTheRangeAndABlankNameAreAccepted) {
  struct Case {
    SYSTEMTIME start;
    const char* count;
    const char* name;
    const char* stored;  // UTF-8, as every path
  };
  const Case kCases[] = {
      {Date(29, 2, 2024), "366", "   ", "   "},
      {Date(31, 12, 2024), "15", "Año nuevo", "A\xC3\xB1o nuevo"},
      {Date(15, 8, 2030), "0200", "x", "x"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    gDrive = [&](HWND dialog) {
      SendDlgItemMessageA(dialog, IDC_START_DATE, DTM_SETSYSTEMTIME, GDT_VALID,
                          reinterpret_cast<LPARAM>(&c.start));
      TypeCount(dialog, c.count);
      TypeName(dialog, c.name);
      SendDlgItemMessageA(dialog, IDC_BRING_LABELS, BM_CLICK, 0, 0);  // as a click would
      Click(dialog, IDC_NEW_OK);
    };
    EXPECT_TRUE(NewAlmanacDialog(chosen_));
    EXPECT_TRUE(chosen_.bringLabels);
    EXPECT_EQ(chosen_.name, c.stored);
    EXPECT_EQ(chosen_.startDay, int16_t(c.start.wDay));
    EXPECT_EQ(chosen_.startMonth, int16_t(c.start.wMonth));
    EXPECT_EQ(chosen_.startYear, int16_t(c.start.wYear));
    EXPECT_EQ(chosen_.dayCount, CountValue(c.count));
  }
  EXPECT_TRUE(ObservedMessages().empty());
}

TEST_F(NewAlmanacDialogTest, CancelAndCloseStoreNothing) {
  // A refused "Aceptar" first, then "Cancelar": still nothing.
  gDrive = [&](HWND dialog) {
    TypeCount(dialog, "20");
    TypeName(dialog, "");
    Click(dialog, IDC_NEW_OK);
    TypeName(dialog, "Nuevo");
    Click(dialog, IDC_NEW_CANCEL);
  };
  EXPECT_FALSE(NewAlmanacDialog(chosen_));
  EXPECT_EQ(chosen_.name, "");

  // Alt+F4 ends like "Cancelar".
  gDrive = [&](HWND dialog) {
    TypeCount(dialog, "20");
    TypeName(dialog, "Nuevo");
    PostMessageA(dialog, WM_CLOSE, 0, 0);
  };
  EXPECT_FALSE(NewAlmanacDialog(chosen_));
  EXPECT_EQ(chosen_.name, "");
}

TEST_F(NewAlmanacDialogTest, EnterAndEscapeDoNothing) {
  bool aliveAfterKeys = false;
  gDrive = [&](HWND dialog) {
    TypeCount(dialog, "20");
    TypeName(dialog, "Teclas");
    // As commands, and as real keys through the dialog's loop.
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(IsWindow(dialog));
    HWND name = GetDlgItem(dialog, IDC_NAME);
    PostStep([=, &aliveAfterKeys] {
      SetFocus(name);
      for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        PostMessageA(name, WM_KEYDOWN, key, 1);
        PostMessageA(name, WM_KEYUP, key, 0xC0000001);
      }
      PostStep([=, &aliveAfterKeys] {
        aliveAfterKeys = IsWindow(dialog) && IsWindowVisible(dialog);
        Click(dialog, IDC_NEW_OK);  // only the button ends it
      });
    });
  };
  EXPECT_TRUE(NewAlmanacDialog(chosen_));
  EXPECT_TRUE(aliveAfterKeys);
  EXPECT_EQ(chosen_.name, "Teclas");
}

TEST_F(NewAlmanacDialogTest, FocusComesBackAfterDeactivation) {
  HWND focusAfter = nullptr, name = nullptr;
  gDrive = [&](HWND dialog) {
    name = GetDlgItem(dialog, IDC_NAME);
    PostStep([&, dialog] {
      SetFocus(name);
      SendMessageA(dialog, WM_NCACTIVATE, FALSE, 0);
      SetFocus(GetDlgItem(dialog, IDC_DAY_COUNT));
      SendMessageA(dialog, WM_NCACTIVATE, TRUE, 0);
      focusAfter = GetFocus();
      Click(dialog, IDC_NEW_CANCEL);
    });
  };
  EXPECT_FALSE(NewAlmanacDialog(chosen_));
  EXPECT_NE(name, nullptr);
  EXPECT_EQ(focusAfter, name);
}

}  // namespace
