// The main window driven in-process: scrolling a pattern drawn into the
// strip, the control's image and face, the command line, the menu states and
// the commands' guards.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/message_box.h"
#include "data/almanac_state.h"
#include "data/label_file.h"
#include "data/program_folder.h"
#include "dialogs/about_dialog.h"
#include "dialogs/new_almanac_dialog.h"
#include "render/almanac_page.h"
#include "resource.h"
#include "tests/win/win_test_util.h"

namespace {

constexpr int kStripRows = 5000;
constexpr int32_t kEnd = 4000;  // EndScrollTop of the pattern

// Strip row y is filled with a colour that encodes y, never white.
COLORREF RowColour(int y) { return RGB(y & 0xFF, (y >> 8) & 0xFF, 77); }

// The strip row shown in row `row` of the view (the control's image), -1 for white.
int ShownStripRow(int row) {
  COLORREF c = GetPixel(AlmanacView.dc, 20, row);
  if (c == RGB(255, 255, 255)) return -1;
  EXPECT_EQ(GetBValue(c), 77) << "row " << row;
  return GetRValue(c) + 256 * GetGValue(c);
}

void TakePendingQuit() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

class MainWindowTest : public ::testing::Test {
 protected:
  void Open(const char* commandLine = "") {
    gAlmanac = AlmanacState();
    ASSERT_NE(BuildMainWindow(commandLine), nullptr);
    // What RunDialog does first; the loop itself is not needed here.
    SendMessageA(MainWindow, WM_INITDIALOG, 0, 0);
  }

  void DrawPattern() {
    ASSERT_TRUE(EnsureSurfaceHeight(AlmanacStrip, kStripRows));
    for (int y = 0; y < kStripRows; ++y) {
      HBRUSH brush = CreateSolidBrush(RowColour(y));
      RECT row = {0, y, AlmanacStrip.width, y + 1};
      FillRect(AlmanacStrip.dc, &row, brush);
      DeleteObject(brush);
    }
    EndScrollTop = kEnd;
    gAlmanac.isReady = 1;
    ViewOffset = 0;
    RefreshView();
  }

  void Key(WPARAM vk) { SendMessageA(AlmanacControl, WM_KEYDOWN, vk, 0); }
  void Wheel(short delta) {
    SendMessageA(AlmanacControl, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(delta)), 0);
  }

  bool Grey(UINT id) { return GetMenuState(MainMenu, id, MF_BYCOMMAND) & MF_GRAYED; }

  void TearDown() override {
    SetMessageObserver(nullptr);
    if (MainWindow) DestroyWindow(MainWindow);
    TakePendingQuit();
    EXPECT_EQ(MainWindow, nullptr);
    EXPECT_EQ(AlmanacStrip.dc, nullptr) << "strip released with the window";
    EXPECT_EQ(AlmanacView.dc, nullptr) << "view released with the window";
    EndScrollTop = 0;
    ViewOffset = 0;
    gAlmanac = AlmanacState();
  }
};

TEST_F(MainWindowTest, StartsWithWhiteSurfacesAndNuevaGreyed) {
  Open();
  EXPECT_EQ(AlmanacStrip.width, 1134);
  EXPECT_GE(AlmanacStrip.height, 771);
  EXPECT_EQ(AlmanacView.width, 1134);
  EXPECT_EQ(AlmanacView.height, 771);
  RECT face;
  GetClientRect(AlmanacControl, &face);
  // The control's face shows the view's top-left part: the view covers it.
  EXPECT_LE(face.right, AlmanacView.width);
  EXPECT_LE(face.bottom, AlmanacView.height);
  EXPECT_EQ(GetPixel(AlmanacView.dc, 500, 300), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(AlmanacStrip.dc, 500, 300), RGB(255, 255, 255));
  EXPECT_TRUE(Grey(IDM_LABEL_NEW));
  EXPECT_FALSE(Grey(IDM_NEW));
  EXPECT_FALSE(Grey(IDM_OPEN));
  EXPECT_FALSE(Grey(IDM_ABOUT));
  EXPECT_FALSE(Grey(IDM_EXIT));
  char title[64] = {};
  GetWindowTextA(MainWindow, title, sizeof title);
  EXPECT_STREQ(title, "tarvina");
  EXPECT_EQ(GetDlgCtrlID(AlmanacControl), IDC_ALMANAC);
  EXPECT_EQ(SendMessageA(AlmanacControl, WM_GETDLGCODE, 0, 0), LRESULT(DLGC_WANTALLKEYS));
  LONG style = GetWindowLongA(AlmanacControl, GWL_STYLE);
  EXPECT_EQ(style & SS_TYPEMASK, SS_OWNERDRAW);
  EXPECT_TRUE(style & WS_BORDER);
  EXPECT_TRUE(style & SS_NOTIFY);
  EXPECT_FALSE(GetWindowLongA(MainWindow, GWL_STYLE) & WS_SYSMENU);
}

TEST_F(MainWindowTest, RefreshCopiesTheStripAtTheOffset) {
  Open();
  DrawPattern();
  EXPECT_EQ(ShownStripRow(0), 0);
  EXPECT_EQ(ShownStripRow(700), 700);
  ViewOffset = -1234;
  RefreshView();
  EXPECT_EQ(ShownStripRow(0), 1234);
  EXPECT_EQ(ShownStripRow(733), 1234 + 733);
  // Past the end of the strip the view is white.
  ViewOffset = -(kStripRows - 100);
  RefreshView();
  EXPECT_EQ(ShownStripRow(99), kStripRows - 1);
  EXPECT_EQ(ShownStripRow(100), -1);
  // Above the top of the strip too.
  ViewOffset = 70;
  RefreshView();
  EXPECT_EQ(ShownStripRow(69), -1);
  EXPECT_EQ(ShownStripRow(70), 0);
}

TEST_F(MainWindowTest, ArrowsHomeAndEndMoveByDayBands) {
  Open();
  DrawPattern();
  Key(VK_UP);
  EXPECT_EQ(ViewOffset, 0) << "Up at the top does nothing";
  Key(VK_DOWN);
  EXPECT_EQ(ViewOffset, -95);
  EXPECT_EQ(ShownStripRow(0), 95);
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(ViewOffset, -285);
  Key(VK_UP);
  EXPECT_EQ(ViewOffset, -190);
  EXPECT_EQ(ShownStripRow(0), 190);
  Key(VK_HOME);
  EXPECT_EQ(ViewOffset, 0);
  EXPECT_EQ(ShownStripRow(0), 0);
  Key(VK_END);
  EXPECT_EQ(ViewOffset, -kEnd);
  EXPECT_EQ(ShownStripRow(0), kEnd);
  Key(VK_DOWN);
  EXPECT_EQ(ViewOffset, -kEnd) << "Down stops at the End position";
  Key(VK_UP);
  EXPECT_EQ(ViewOffset, -kEnd + 95);
  // Close to the end, Down goes exactly to it.
  ViewOffset = -kEnd + 40;
  Key(VK_DOWN);
  EXPECT_EQ(ViewOffset, -kEnd);
  // Other keys do nothing.
  Key(VK_HOME);
  for (int vk : {VK_LEFT, VK_RIGHT, VK_PRIOR, VK_NEXT, int('A'), VK_RETURN}) Key(vk);
  EXPECT_EQ(ViewOffset, 0);
}

TEST_F(MainWindowTest, WheelMovesBy25WithinTheLimits) {
  Open();
  DrawPattern();
  Wheel(120);  // away from the user: up, not above the top
  EXPECT_EQ(ViewOffset, 0);
  Wheel(-120);  // towards the user: down
  EXPECT_EQ(ViewOffset, -25);
  EXPECT_EQ(ShownStripRow(0), 25);
  Wheel(-120);
  Wheel(-240);  // one message is one step, however far the wheel turned
  EXPECT_EQ(ViewOffset, -75);
  Wheel(120);
  EXPECT_EQ(ViewOffset, -50);
  // Mixing with the arrows: from -25, Up gives +70 and a further Up nothing.
  Wheel(120);
  EXPECT_EQ(ViewOffset, -25);
  Key(VK_UP);
  EXPECT_EQ(ViewOffset, 70);
  EXPECT_EQ(ShownStripRow(69), -1);
  EXPECT_EQ(ShownStripRow(70), 0);
  Key(VK_UP);
  EXPECT_EQ(ViewOffset, 70);
  Wheel(120);
  EXPECT_EQ(ViewOffset, 70) << "the wheel does not go further up either";
  Key(VK_HOME);
  // Down to the End position and no further.
  for (int i = 0; i < 200; ++i) Wheel(-120);
  EXPECT_EQ(ViewOffset, -kEnd);
  EXPECT_EQ(ShownStripRow(0), kEnd);
  ViewOffset = -kEnd + 10;
  Wheel(-120);
  EXPECT_EQ(ViewOffset, -kEnd);
}

TEST_F(MainWindowTest, WheelStopsAt84000OnVeryLongStrips) {
  Open();
  DrawPattern();
  EndScrollTop = 200000;  // an end further down than the wheel may go
  ViewOffset = -83990;
  Wheel(-120);
  EXPECT_EQ(ViewOffset, -84015);
  Wheel(-120);
  EXPECT_EQ(ViewOffset, -84015);
  Key(VK_DOWN);
  EXPECT_EQ(ViewOffset, -84110) << "the arrow has no such limit";
}

TEST_F(MainWindowTest, NothingMovesWithoutAnAlmanac) {
  Open();
  DrawPattern();
  gAlmanac.isReady = 0;
  Key(VK_DOWN);
  Key(VK_END);
  Wheel(-120);
  EXPECT_EQ(ViewOffset, 0);
  ViewOffset = -95;
  Key(VK_HOME);
  Key(VK_UP);
  Wheel(120);
  EXPECT_EQ(ViewOffset, -95);
}

TEST_F(MainWindowTest, TheFacePaintsFromTheImage) {
  Open();
  DrawPattern();
  ShowWindow(MainWindow, SW_SHOW);
  ViewOffset = -300;
  RefreshView();
  HDC face = GetDC(AlmanacControl);
  EXPECT_EQ(GetPixel(face, 20, 0), RowColour(300));
  EXPECT_EQ(GetPixel(face, 20, 500), RowColour(800));
  ReleaseDC(AlmanacControl, face);
  // A repaint from the system shows the same.
  RedrawWindow(AlmanacControl, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  face = GetDC(AlmanacControl);
  EXPECT_EQ(GetPixel(face, 20, 10), RowColour(310));
  ReleaseDC(AlmanacControl, face);
}

TEST_F(MainWindowTest, ACommandLineFileOpensWhereItIs) {
  TempFolder folder;
  std::string path = folder.path() + "Mi casa.zanual";
  LabelRecord record;
  record.day = 5, record.month = 3, record.year = 2024;
  SetRecordText(record, "hola");
  record.color = RGB(0, 255, 0);
  record.isLastLine = 1;
  record.almanacStartDay = 1, record.almanacStartMonth = 3, record.almanacStartYear = 2024;
  record.almanacDayCount = 30;
  ASSERT_EQ(AppendLabel(path, {record}), FileError::None);

  ObserveMessages();
  Open(("\"" + path + "\"").c_str());
  EXPECT_TRUE(ObservedMessages().empty());
  EXPECT_EQ(currentFile, path);
  EXPECT_EQ(gAlmanac.name, "Mi casa");
  EXPECT_EQ(gAlmanac.filePath, path) << "read and appended where it is";
  EXPECT_EQ(gAlmanac.isReady, 1);
  EXPECT_EQ(gAlmanac.startDay, 1);
  EXPECT_EQ(gAlmanac.dayCount, 30);
  ASSERT_EQ(gLabelTable.records.size(), 1u);
  char title[128] = {};
  GetWindowTextA(MainWindow, title, sizeof title);
  EXPECT_STREQ(title, "Almanaque - Mi casa.zanual");
  EXPECT_TRUE(Grey(IDM_NEW));
  EXPECT_TRUE(Grey(IDM_OPEN));
  EXPECT_FALSE(Grey(IDM_LABEL_NEW));
  EXPECT_EQ(GetFocus(), AlmanacControl);
  EXPECT_FALSE(LabelFileExists(LabelFilePath("Mi casa"))) << "nothing made in the program folder";

  // Greyed commands stay refused, also when they arrive as messages.
  SendMessageA(MainWindow, WM_COMMAND, IDM_OPEN, 0);
  SendMessageA(MainWindow, WM_COMMAND, IDM_NEW, 0);
  EXPECT_EQ(gAlmanac.name, "Mi casa");
}

TEST_F(MainWindowTest, AMissingFileChangesNothing) {
  TempFolder folder;
  ObserveMessages();
  Open((folder.path() + "Nada.zanual").c_str());
  EXPECT_TRUE(ObservedMessages().empty());
  EXPECT_EQ(gAlmanac.isReady, 0);
  EXPECT_TRUE(gAlmanac.name.empty());
  char title[64] = {};
  GetWindowTextA(MainWindow, title, sizeof title);
  EXPECT_STREQ(title, "tarvina");
  EXPECT_TRUE(Grey(IDM_LABEL_NEW));
  EXPECT_FALSE(Grey(IDM_NEW));
}

TEST_F(MainWindowTest, ADamagedOrBusyFileIsReportedAndNothingChanges) {
  TempFolder folder;
  std::string path = folder.path() + "Roto.zanual";
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  std::string junk(142 * 2, 'x');
  DWORD written = 0;
  WriteFile(h, junk.data(), DWORD(junk.size()), &written, nullptr);
  CloseHandle(h);

  ObserveMessages();
  Open(path.c_str());
  ASSERT_EQ(ObservedMessages().size(), 1u);
  EXPECT_NE(ObservedMessages()[0].find(path), std::string::npos) << ObservedMessages()[0];
  EXPECT_NE(ObservedMessages()[0].find(FileErrorText(FileError::Damaged)), std::string::npos);
  EXPECT_EQ(gAlmanac.isReady, 0);
  EXPECT_FALSE(Grey(IDM_OPEN)) << "another file can still be opened";
  EXPECT_TRUE(Grey(IDM_LABEL_NEW));
  DestroyWindow(MainWindow);
  TakePendingQuit();

  // A good file held open by another program.
  std::string busy = folder.path() + "Ocupado.zanual";
  LabelRecord record;
  record.day = 1, record.month = 1, record.year = 2024;
  record.almanacStartDay = 1, record.almanacStartMonth = 1, record.almanacStartYear = 2024;
  record.almanacDayCount = 20;
  ASSERT_EQ(AppendLabel(busy, {record}), FileError::None);
  HANDLE held = CreateFileA(busy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ObserveMessages();
  Open(busy.c_str());
  CloseHandle(held);
  ASSERT_EQ(ObservedMessages().size(), 1u);
  EXPECT_NE(ObservedMessages()[0].find(FileErrorText(FileError::InUse)), std::string::npos)
      << ObservedMessages()[0];
  EXPECT_EQ(gAlmanac.isReady, 0);
}

// Each dialog the commands open is closed as soon as it shows, as a user
// pressing Esc would.
void CloseAtOnce(HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); }

TEST_F(MainWindowTest, CommandsAndTheirGuards) {
  SetNewAlmanacDialogHook(CloseAtOnce);
  SetAboutDialogHook(CloseAtOnce);
  Open();
  // Nuevo cancelled (the dialog returns 0): nothing drawn, menus as they were.
  ObserveMessages();
  SendMessageA(MainWindow, WM_COMMAND, IDM_NEW, 0);
  EXPECT_FALSE(Grey(IDM_NEW));
  EXPECT_FALSE(Grey(IDM_OPEN));
  EXPECT_TRUE(Grey(IDM_LABEL_NEW));
  EXPECT_TRUE(ObservedMessages().empty());
  // While a dialog from the menu is open, a second About or label dialog is refused.
  dialogOpen = 1;
  SendMessageA(MainWindow, WM_COMMAND, IDM_ABOUT, 0);
  EXPECT_EQ(dialogOpen, 1) << "the guard held: no dialog ran and cleared it";
  dialogOpen = 0;
  SendMessageA(MainWindow, WM_COMMAND, IDM_ABOUT, 0);
  EXPECT_EQ(dialogOpen, 0);
  // Salir ends the window.
  SendMessageA(MainWindow, WM_COMMAND, IDM_EXIT, 0);
  EXPECT_EQ(MainWindow, nullptr);
  MSG msg;
  bool sawQuit = false;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) sawQuit |= msg.message == WM_QUIT;
  EXPECT_TRUE(sawQuit) << "loops still running end too";
  // A dialog's closing refresh after the window has gone does nothing.
  OpenAlmanacCommand();
  RefreshView();
  EXPECT_TRUE(ObservedMessages().empty());
  SetNewAlmanacDialogHook(nullptr);
  SetAboutDialogHook(nullptr);
}

int gDialogsOpened = 0;
void CountAndClose(HWND dialog) {
  ++gDialogsOpened;
  CloseAtOnce(dialog);
}

TEST_F(MainWindowTest, NuevoMakesTheAlmanacFolderOrSaysAtOnceWhyItCannot) {
  TempFolder temp;
  SetNewAlmanacDialogHook(CountAndClose);
  Open();
  ObserveMessages();
  // A folder inside a file cannot be made: said at once, no dialog, nothing left.
  const std::string file = temp.path() + "archivo";
  CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  SetAlmanacFolder(file + "\\Almanaques\\");
  gDialogsOpened = 0;
  SendMessageA(MainWindow, WM_COMMAND, IDM_NEW, 0);
  EXPECT_EQ(gDialogsOpened, 0);
  ASSERT_EQ(ObservedMessages().size(), 1u);
  EXPECT_EQ(ObservedMessages()[0], "No se pueden crear almanaques en la carpeta \"" + file +
                                       "\\Almanaques\".\r\n" +
                                       FileErrorText(FileError::PathNotFound));
  EXPECT_EQ(GetFileAttributesA((file + "\\Almanaques").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(Grey(IDM_NEW)) << "Nuevo stays available";
  // A missing folder whose parent exists is made, and left empty, before the dialog opens.
  const std::string folder = temp.path() + "Almanaques\\";
  SetAlmanacFolder(folder);
  SendMessageA(MainWindow, WM_COMMAND, IDM_NEW, 0);
  EXPECT_EQ(gDialogsOpened, 1);
  EXPECT_EQ(ObservedMessages().size(), 1u) << "nothing more said";
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((folder + "*.*").c_str(), &found);
  std::vector<std::string> inside;
  if (h != INVALID_HANDLE_VALUE) {
    do inside.push_back(found.cFileName);
    while (FindNextFileA(h, &found));
    FindClose(h);
  }
  EXPECT_EQ(inside, (std::vector<std::string>{".", ".."})) << "the folder exists and is empty";
  RemoveDirectoryA(folder.c_str());
  SetAlmanacFolder("");
  SetNewAlmanacDialogHook(nullptr);
}

}  // namespace
