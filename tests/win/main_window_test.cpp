// The main window driven in-process: scrolling an opened almanac, the
// control's image and face, the command line, the menu states and the
// commands' guards, and what stops a label from being removed.
#include "app/main_window.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/file_commands.h"
#include "app/message_box.h"
#include "app/share_commands.h"
#include "app/today.h"
#include "data/label_edit.h"
#include "data/label_file.h"
#include "data/program_folder.h"
#include "dialogs/about_dialog.h"
#include "dialogs/find_dialog.h"
#include "dialogs/go_to_date_dialog.h"
#include "dialogs/label_entry_dialog.h"
#include "dialogs/new_almanac_dialog.h"
#include "dialogs/progress_dialog.h"
#include "render/almanac_page.h"
#include "render/tile_strip.h"
#include "resource.h"
#include "tests/win/win_test_util.h"

namespace {

// 28 December 2023 and 40 days more: 41 bands, the last one's top at 1 + 40 x 95.
constexpr int64_t kEnd = 1 + 40 * 95;
constexpr COLORREF kFrameGrey = RGB(192, 192, 192);
constexpr COLORREF kWhite = RGB(255, 255, 255);

void TakePendingQuit() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

class MainWindowTest : public ::testing::Test {
 protected:
  void Open(const char* commandLine = "") {
    window_ = BuildMainWindow(commandLine);
    ASSERT_NE(window_, nullptr);
    // What RunDialog does first; the loop itself is not needed here.
    SendMessageA(window_, WM_INITDIALOG, 0, 0);
  }

  // Opens the 41-day almanac, with `lines` (a label on its first day) or none.
  void OpenAlmanac(int lines = 0) {
    std::vector<LabelRecord> records;
    for (int k = 0; k < lines; ++k) {
      LabelRecord r;
      r.day = 28, r.month = 12, r.year = 2023;
      SetRecordText(r, "linea");
      r.color = RGB(255, 255, 180);
      r.isLastLine = k + 1 == lines ? 1 : 0;
      records.push_back(r);
    }
    const std::string path = folder_.path() + "Casa.zanual";
    ASSERT_TRUE(WriteAlmanacFile(path, 28, 12, 2023, 40, records));
    Open(path.c_str());
    ASSERT_TRUE(IsShown(Doc()));
    ASSERT_EQ(View().offset, 0);
  }

  MainWindowState& S() { return *MainWindowStateOf(window_); }
  AlmanacView& View() { return S().view; }
  AlmanacDocument& Doc() { return S().document; }
  COLORREF ViewAt(int x, int y) { return GetPixel(View().surface.dc, x, y); }

  void Key(WPARAM vk) { SendMessageA(View().control, WM_KEYDOWN, vk, 0); }
  void Wheel(short delta) {
    SendMessageA(View().control, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(delta)), 0);
  }

  bool Grey(UINT id) { return GetMenuState(S().menu, id, MF_BYCOMMAND) & MF_GRAYED; }

  void TearDown() override {
    SetMessageObserver(nullptr);
    const CivilDate farFromEveryAlmanac{2000, 1, 1, 0};
    SetTodayForTests(&farFromEveryAlmanac);
    if (IsWindow(window_)) DestroyWindow(window_);
    TakePendingQuit();
    EXPECT_FALSE(IsWindow(window_));
  }

  HWND window_ = nullptr;
  TempFolder folder_;
};

TEST_F(MainWindowTest, StartsWithWhiteSurfacesAndNuevaGreyed) {
  Open();
  EXPECT_EQ(KeptTileCount(View().strip), 0) << "nothing drawn yet";
  EXPECT_EQ(View().surface.width, 1134);
  EXPECT_EQ(View().surface.height, 771);
  RECT face;
  GetClientRect(View().control, &face);
  // The control's face shows the view's top-left part: the view covers it.
  EXPECT_LE(face.right, View().surface.width);
  EXPECT_LE(face.bottom, View().surface.height);
  EXPECT_EQ(GetPixel(View().surface.dc, 500, 300), RGB(255, 255, 255));
  EXPECT_TRUE(Grey(IDM_LABEL_NEW));
  EXPECT_FALSE(Grey(IDM_NEW));
  EXPECT_FALSE(Grey(IDM_OPEN));
  EXPECT_FALSE(Grey(IDM_ABOUT));
  EXPECT_FALSE(Grey(IDM_EXIT));
  char title[64] = {};
  GetWindowTextA(window_, title, sizeof title);
  EXPECT_STREQ(title, "tarvina");
  EXPECT_EQ(GetDlgCtrlID(View().control), IDC_ALMANAC);
  EXPECT_EQ(SendMessageA(View().control, WM_GETDLGCODE, 0, 0), LRESULT(DLGC_WANTALLKEYS));
  LONG style = GetWindowLongA(View().control, GWL_STYLE);
  EXPECT_EQ(style & SS_TYPEMASK, SS_OWNERDRAW);
  EXPECT_TRUE(style & WS_BORDER);
  EXPECT_TRUE(style & SS_NOTIFY);
  const LONG frame = WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  EXPECT_EQ(GetWindowLongA(window_, GWL_STYLE) & frame, frame) << "a normal resizable window";
}

TEST_F(MainWindowTest, ArrowsHomeAndEndMoveByDayBands) {
  OpenAlmanac();
  Key(VK_UP);
  EXPECT_EQ(View().offset, 0) << "Up at the top does nothing";
  Key(VK_DOWN);
  EXPECT_EQ(View().offset, -95);
  EXPECT_EQ(ViewAt(1, 1), kFrameGrey) << "the second day's box at the top";
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(View().offset, -285);
  Key(VK_UP);
  EXPECT_EQ(View().offset, -190);
  Key(VK_HOME);
  EXPECT_EQ(View().offset, 0);
  Key(VK_END);
  EXPECT_EQ(View().offset, -kEnd);
  EXPECT_EQ(ViewAt(1, 0), kFrameGrey) << "the last day's box at the top";
  EXPECT_EQ(ViewAt(1, 94), kWhite) << "and nothing below it";
  Key(VK_UP);
  EXPECT_EQ(View().offset, -kEnd + 95);
  // Other keys do nothing.
  Key(VK_HOME);
  for (int vk : {VK_LEFT, VK_RIGHT, int('A'), VK_RETURN}) Key(vk);
  EXPECT_EQ(View().offset, 0);
}

TEST_F(MainWindowTest, PageKeysMoveByTheViewsHeight) {
  OpenAlmanac();
  Key(VK_NEXT);
  EXPECT_EQ(View().offset, -736) << "the almanac control's height";
  Key(VK_PRIOR);
  EXPECT_EQ(View().offset, 0);
  // The step follows the view as it is, not a number fixed once.
  SetWindowPos(View().control, nullptr, 0, 0, 1120, 500, SWP_NOMOVE | SWP_NOZORDER);
  Key(VK_NEXT);
  EXPECT_EQ(View().offset, -500);
}

// The control keeps its margins as the window changes size, no wider than
// 1120; the view grows with a control taller than the default and the tiles
// it draws from stay within their budget.
TEST_F(MainWindowTest, TheControlAndItsViewFollowTheWindow) {
  OpenAlmanac();
  auto placeClient = [this](int width, int height) {
    RECT r = {0, 0, width, height};
    AdjustWindowRectEx(&r, GetWindowLongA(window_, GWL_STYLE), TRUE, 0);
    SetWindowPos(window_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER);
  };
  auto controlIn = [this](RECT& client) {
    GetClientRect(window_, &client);
    RECT r;
    GetWindowRect(View().control, &r);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  RECT client;
  placeClient(892, 554);
  RECT r = controlIn(client);
  ASSERT_EQ(client.bottom, 554);
  EXPECT_EQ(r.left, 8);
  EXPECT_EQ(r.top, 8);
  EXPECT_EQ(client.right - r.right, 6) << "the right margin of the default window";
  EXPECT_EQ(client.bottom - r.bottom, 8);
  EXPECT_EQ(View().surface.height, 771) << "never less than the default view";

  placeClient(1300, 950);
  r = controlIn(client);
  ASSERT_EQ(client.bottom, 950);
  EXPECT_EQ(r.right - r.left, 1120) << "no wider than the strip's control";
  EXPECT_EQ(client.bottom - r.bottom, 8);
  EXPECT_EQ(View().surface.height, r.bottom - r.top);
  for (int i = 0; i < 60; ++i) {
    Key(VK_DOWN);
    ASSERT_LE(KeptTileCount(View().strip), TileBudget(View().surface.height, View().strip.rows));
  }
  EXPECT_EQ(View().offset, -kEnd);
  EXPECT_EQ(ViewAt(1, 1), kFrameGrey) << "the last day's box at the top";
  EXPECT_EQ(ViewAt(500, View().surface.height - 1), kWhite) << "white below it, to the bottom";
}

// An almanac whose 7th day is today: it opens there, marked.
TEST_F(MainWindowTest, ItOpensAtTodayMarkedAndHoyComesBackToIt) {
  const CivilDate today{2024, 1, 3, 0};
  SetTodayForTests(&today);
  const std::string path = folder_.path() + "Casa.zanual";
  ASSERT_TRUE(WriteAlmanacFile(path, 28, 12, 2023, 40, {}));
  Open(path.c_str());
  const int64_t atToday = -(6 * 95);  // its box one row down, as Home and the arrows put a day
  EXPECT_EQ(View().offset, atToday);
  EXPECT_EQ(ViewAt(1, 1), kTodayColor);
  EXPECT_EQ(ViewAt(2, 2), kTodayColor);
  EXPECT_EQ(ViewAt(3, 3), kWhite);
  EXPECT_EQ(ViewAt(1, 96), kFrameGrey) << "the next day is not marked";
  Key(VK_NEXT);
  SendMessageA(window_, WM_COMMAND, IDM_GO_TODAY, 0);
  EXPECT_EQ(View().offset, atToday);
  // Past midnight the mark moves with the next view, although the tile
  // holding both days was drawn before.
  const CivilDate tomorrow{2024, 1, 4, 0};
  SetTodayForTests(&tomorrow);
  RefreshView(View(), Doc());
  EXPECT_EQ(ViewAt(1, 1), kFrameGrey);
  EXPECT_EQ(ViewAt(1, 96), kTodayColor);
  // A day the almanac does not hold: said, with the days it does hold.
  const CivilDate later{2024, 3, 1, 0};
  SetTodayForTests(&later);
  ObserveMessages();
  SendMessageA(window_, WM_COMMAND, IDM_GO_TODAY, 0);
  EXPECT_EQ(ObservedMessages(),
            std::vector<std::string>{
                "Hoy, 01/03/2024, no está en el almanaque, que va del 28/12/2023 al 06/02/2024."});
  EXPECT_EQ(View().offset, atToday);
}

void FindDentista(HWND dialog) {
  SetDlgItemTextA(dialog, IDC_FIND_TEXT, "dentista");
  PostMessageA(dialog, WM_COMMAND, IDC_FIND_OK, 0);
}

TEST_F(MainWindowTest, AFoundLineIsOutlinedUntilTheViewMoves) {
  const std::string path = folder_.path() + "Casa.zanual";
  LabelRecord lines[2];  // on 6 January 2024, the 10th day
  const char* texts[] = {"uno", "Dentista"};
  for (int i = 0; i < 2; ++i) {
    lines[i].day = 6, lines[i].month = 1, lines[i].year = 2024;
    SetRecordText(lines[i], texts[i]);
    lines[i].color = RGB(255, 255, 180);
    lines[i].isLastLine = i;
  }
  ASSERT_TRUE(WriteAlmanacFile(path, 28, 12, 2023, 40, {lines[0], lines[1]}));
  Open(path.c_str());
  SetFindDialogHook(FindDentista);
  SendMessageA(window_, WM_COMMAND, IDM_FIND_NEXT, 0);  // before any search: the dialog
  SetFindDialogHook(nullptr);
  // The label of 6 January (top 856) at the top; its line 1 on row 880,
  // outlined from row 878: view row 23.
  EXPECT_EQ(View().offset, -855);
  EXPECT_EQ(ViewAt(129, 23), kFoundColor);
  EXPECT_EQ(ViewAt(130, 24), kFoundColor);
  EXPECT_EQ(ViewAt(128, 23), RGB(255, 255, 180));
  Key(VK_DOWN);
  Key(VK_UP);
  EXPECT_EQ(View().offset, -855);
  EXPECT_EQ(ViewAt(129, 23), RGB(255, 255, 180)) << "the outline went with the scroll";
}

TEST_F(MainWindowTest, WheelMovesBy25) {
  OpenAlmanac();
  Wheel(120);  // away from the user: up, not above the top
  EXPECT_EQ(View().offset, 0);
  Wheel(-120);  // towards the user: down
  EXPECT_EQ(View().offset, -25);
  Wheel(-120);
  Wheel(-240);  // one message is one step, however far the wheel turned
  EXPECT_EQ(View().offset, -75);
  Wheel(120);
  EXPECT_EQ(View().offset, -50);
  // Mixing with the arrows: from -25, Up gives +70 and a further Up nothing.
  Wheel(120);
  EXPECT_EQ(View().offset, -25);
  Key(VK_UP);
  EXPECT_EQ(View().offset, 70);
  EXPECT_EQ(ViewAt(1, 70), kWhite);
  EXPECT_EQ(ViewAt(1, 71), kFrameGrey) << "the first box 70 rows lower";
  Key(VK_UP);
  EXPECT_EQ(View().offset, 70);
  Wheel(120);
  EXPECT_EQ(View().offset, 70) << "the wheel does not go further up either";
}

TEST_F(MainWindowTest, NothingMovesWithoutAnAlmanac) {
  Open();
  Key(VK_DOWN);
  Key(VK_END);
  Wheel(-120);
  EXPECT_EQ(View().offset, 0);
  View().offset = -95;
  Key(VK_HOME);
  Key(VK_UP);
  Wheel(120);
  EXPECT_EQ(View().offset, -95);
}

TEST_F(MainWindowTest, TheFacePaintsFromTheImage) {
  OpenAlmanac(3);
  ShowWindow(window_, SW_SHOW);
  View().offset = -300;
  RefreshView(View(), Doc());
  // Frames of the fourth and ninth days, and the view around them.
  const POINT points[] = {{1, 81}, {60, 81 + 93}, {1, 556}, {20, 0}, {600, 300}, {1, 80}};
  ASSERT_EQ(ViewAt(1, 81), kFrameGrey);
  ASSERT_EQ(ViewAt(1, 556), kFrameGrey);
  auto faceShowsTheView = [&] {
    HDC face = GetDC(View().control);
    for (POINT p : points)
      EXPECT_EQ(GetPixel(face, p.x, p.y), ViewAt(p.x, p.y)) << p.x << "," << p.y;
    ReleaseDC(View().control, face);
  };
  faceShowsTheView();
  // A repaint from the system shows the same.
  RedrawWindow(View().control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  faceShowsTheView();
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
  EXPECT_EQ(S().chosenFile, path);
  EXPECT_EQ(Doc().almanac.name, "Mi casa");
  EXPECT_EQ(Doc().almanac.filePath, path) << "read and appended where it is";
  EXPECT_TRUE(IsShown(Doc()));
  EXPECT_EQ(Doc().almanac.startDay, 1);
  EXPECT_EQ(Doc().almanac.dayCount, 30);
  ASSERT_EQ(Doc().records.size(), 1u);
  char title[128] = {};
  GetWindowTextA(window_, title, sizeof title);
  EXPECT_STREQ(title, "Almanaque - Mi casa.zanual");
  EXPECT_TRUE(Grey(IDM_NEW));
  EXPECT_TRUE(Grey(IDM_OPEN));
  EXPECT_FALSE(Grey(IDM_LABEL_NEW));
  EXPECT_EQ(GetFocus(), View().control);
  EXPECT_FALSE(LabelFileExists(LabelFilePath("Mi casa"))) << "nothing made in the program folder";

  // Greyed commands stay refused, also when they arrive as messages.
  SendMessageA(window_, WM_COMMAND, IDM_OPEN, 0);
  SendMessageA(window_, WM_COMMAND, IDM_NEW, 0);
  EXPECT_EQ(Doc().almanac.name, "Mi casa");
}

TEST_F(MainWindowTest, AMissingFileChangesNothing) {
  TempFolder folder;
  ObserveMessages();
  Open((folder.path() + "Nada.zanual").c_str());
  EXPECT_TRUE(ObservedMessages().empty());
  EXPECT_FALSE(IsShown(Doc()));
  EXPECT_TRUE(Doc().almanac.name.empty());
  char title[64] = {};
  GetWindowTextA(window_, title, sizeof title);
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
  EXPECT_FALSE(IsShown(Doc()));
  EXPECT_FALSE(Grey(IDM_OPEN)) << "another file can still be opened";
  EXPECT_TRUE(Grey(IDM_LABEL_NEW));
  DestroyWindow(window_);
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
  EXPECT_FALSE(IsShown(Doc()));
}

// Each dialog the commands open is closed as soon as it shows, as a user
// pressing Esc would.
void CloseAtOnce(HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); }

int gDialogsOpened = 0;
void CountAndClose(HWND dialog) {
  ++gDialogsOpened;
  CloseAtOnce(dialog);
}

TEST_F(MainWindowTest, CommandsAndTheirGuards) {
  SetNewAlmanacDialogHook(CloseAtOnce);
  SetAboutDialogHook(CountAndClose);
  Open();
  // Nuevo cancelled (the dialog returns 0): nothing drawn, menus as they were.
  ObserveMessages();
  SendMessageA(window_, WM_COMMAND, IDM_NEW, 0);
  EXPECT_FALSE(Grey(IDM_NEW));
  EXPECT_FALSE(Grey(IDM_OPEN));
  EXPECT_TRUE(Grey(IDM_LABEL_NEW));
  EXPECT_TRUE(ObservedMessages().empty());
  // While a dialog from the menu is open, a second About or label dialog is refused.
  gDialogsOpened = 0;
  {
    DialogOpen open(S().busy.dialog);
    SendMessageA(window_, WM_COMMAND, IDM_ABOUT, 0);
  }
  EXPECT_EQ(gDialogsOpened, 0) << "the guard held: no dialog ran";
  SendMessageA(window_, WM_COMMAND, IDM_ABOUT, 0);
  EXPECT_EQ(gDialogsOpened, 1);
  EXPECT_FALSE(S().busy.dialog) << "free again once it has closed";
  // Salir ends the window.
  SendMessageA(window_, WM_COMMAND, IDM_EXIT, 0);
  EXPECT_FALSE(IsWindow(window_));
  MSG msg;
  bool sawQuit = false;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) sawQuit |= msg.message == WM_QUIT;
  EXPECT_TRUE(sawQuit) << "loops still running end too";
  EXPECT_TRUE(ObservedMessages().empty());
  SetNewAlmanacDialogHook(nullptr);
  SetAboutDialogHook(nullptr);
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
  SendMessageA(window_, WM_COMMAND, IDM_NEW, 0);
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
  SendMessageA(window_, WM_COMMAND, IDM_NEW, 0);
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

std::wstring gAsked;
bool gAnswer = false;
bool Answer(const std::wstring& asked) {
  gAsked = asked;
  return gAnswer;
}
std::string gDialogTitle;
void NoteTitleAndClose(HWND dialog) {
  char title[64] = "";
  GetWindowTextA(dialog, title, sizeof title);
  gDialogTitle = title;
  CloseAtOnce(dialog);
}

TEST_F(MainWindowTest, ANoToBorrarOrACopyThatCannotBeMadeLeavesTheFileAsItWas) {
  OpenAlmanac(2);
  const std::string path = Doc().almanac.filePath, opened = ReadFileBytes(path);
  // A double click on the label picks it: "Modificar etiqueta", cancelled.
  SetLabelDialogStartedHook(NoteTitleAndClose);
  SendMessageA(View().control, WM_LBUTTONDBLCLK, 0, MAKELPARAM(400, 10));
  SetLabelDialogStartedHook(nullptr);
  EXPECT_EQ(gDialogTitle, "Modificar etiqueta");

  SetQuestionAnswerer(Answer);
  ObserveMessages();
  gAnswer = false;
  SendMessageA(window_, WM_COMMAND, IDM_LABEL_REMOVE, 0);
  EXPECT_EQ(gAsked, L"\u00bfBorrar esta etiqueta?");
  EXPECT_EQ(ReadFileBytes(path), opened);
  EXPECT_TRUE(ObservedMessages().empty());

  // Yes, but the folder of copies cannot be made (a file stands in its way).
  const std::string copies = BackupFolder();
  TempFolder blocked;
  const std::string file = blocked.path() + "tarvina";
  CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  SetBackupFolder(file + "\\Copias\\");
  gAnswer = true;
  SendMessageA(window_, WM_COMMAND, IDM_LABEL_REMOVE, 0);
  SetBackupFolder(copies);
  SetQuestionAnswerer(nullptr);
  ASSERT_EQ(ObservedMessages().size(), 1u);
  EXPECT_NE(ObservedMessages()[0].find("copia de seguridad"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(path), opened);
  std::vector<std::string> names;
  ListFiles(folder_.path(), names);
  EXPECT_EQ(std::count_if(names.begin(), names.end(), IsScratchName), 0);
  EXPECT_TRUE(Grey(IDM_LABEL_UNDO)) << "nothing to take back";
  EXPECT_EQ(Doc().layout.days[0].blocks.size(), 1u) << "the label still shown";
  DeleteFileA(file.c_str());
}

// Memory running out as an imported label is laid out: said, and the file,
// the labels shown and "Deshacer" stay as they were; the same import then
// goes through whole.
TEST_F(MainWindowTest, RunningOutOfMemoryAsAnImportIsShownChangesNothing) {
  OpenAlmanac(1);
  const std::string path = Doc().almanac.filePath, opened = ReadFileBytes(path);
  const std::string ics = folder_.path() + "cita.ics";
  const std::string text =
      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//prueba//ES\r\nBEGIN:VEVENT\r\n"
      "UID:a@prueba\r\nDTSTAMP:20240101T000000Z\r\nDTSTART;VALUE=DATE:20240102\r\n"
      "SUMMARY:Dentista\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
  FILE* file = fopen(ics.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  fwrite(text.data(), 1, text.size(), file);
  fclose(file);
  ObserveMessages();
  FailNextLayoutForTests();
  ImportIcsFrom(S(), ics);
  EXPECT_EQ(ObservedMessages(),
            std::vector<std::string>{
                std::string("No se importó nada: las etiquetas no se pudieron guardar. ") +
                FileErrorText(FileError::NoMemory)});
  EXPECT_EQ(ReadFileBytes(path), opened);
  EXPECT_EQ(Doc().records.size(), 1u);
  EXPECT_TRUE(Grey(IDM_LABEL_UNDO)) << "nothing to take back";

  ImportIcsFrom(S(), ics);
  EXPECT_EQ(ReadFileBytes(path).size(), 2 * kRecordSize);
  EXPECT_EQ(Doc().records.size(), 2u);
  EXPECT_FALSE(Grey(IDM_LABEL_UNDO));
}

// "Salir", or a close of the window (the taskbar's, or Alt+F4 on it), while
// the label dialog holds a typed text asks first: No goes back to the
// dialog, Yes ends the program with the text unstored.
TEST_F(MainWindowTest, EndingWithATypedLabelAsksFirst) {
  OpenAlmanac(1);
  const std::string path = folder_.path() + "Casa.zanual";
  const std::string before = ReadFileBytes(path);
  static int asked;
  static HWND window;
  asked = 0;
  window = window_;
  SetQuestionAnswerer([](const std::wstring&) { return ++asked == 3; });
  SetLabelDialogStartedHook([](HWND dialog) {
    SendMessageA(GetDlgItem(dialog, IDC_LABEL_TEXT), EM_REPLACESEL, TRUE, LPARAM("Comprar pan"));
    SendMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    ASSERT_TRUE(IsWindow(window)) << "Salir: No";
    EXPECT_TRUE(IsWindow(dialog));
    SendMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(IsWindow(window)) << "close: No";
    EXPECT_TRUE(IsWindow(dialog));
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window)) << "close: Yes";
  });
  SendMessageA(window_, WM_COMMAND, IDM_LABEL_NEW, 0);  // back once the dialog has ended
  SetLabelDialogStartedHook(nullptr);
  SetQuestionAnswerer(nullptr);
  EXPECT_EQ(asked, 3);
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_EQ(ReadFileBytes(path), before) << "nothing stored";
}

// Redrawing, scrolling and every dialog, over and over, leave no GDI or USER
// object behind. A first round makes what is made once per run (classes,
// cached fonts, the tiles of the places visited); the counts after it and
// after the long run must be the same. Each dialog opens 20 times here (the
// label dialog takes a third of a second); TARVINA_DIALOG_OPENINGS=200 runs
// the full figure.
TEST_F(MainWindowTest, NoObjectIsLeftBehindByRedrawsScrollingAndDialogs) {
  {  // the counts see one more object of each kind
    const int gdi = CountGdiObjects(), user = CountUserObjects();
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    HMENU menu = CreatePopupMenu();
    EXPECT_EQ(CountGdiObjects(), gdi + 1);
    EXPECT_EQ(CountUserObjects(), user + 1);
    DeleteObject(brush);
    DestroyMenu(menu);
  }
  OpenAlmanac(3);
  SetLabelDialogStartedHook(CloseAtOnce);
  SetAboutDialogHook(CloseAtOnce);
  SetGoToDateDialogHook(CloseAtOnce);
  SetFindDialogHook(CloseAtOnce);
  SetNewAlmanacDialogHook(CloseAtOnce);
  auto run = [&](int redraws, int steps, int openings) {
    for (int i = 0; i < redraws; ++i) ReadShownFileAgain(S());
    for (int i = 0; i < steps; ++i) {
      // Down to the end and back, by keys and by the wheel.
      const bool down = i % 100 < 50;
      if (i % 2)
        Key(down ? VK_DOWN : VK_UP);
      else
        Wheel(down ? -WHEEL_DELTA : WHEEL_DELTA);
    }
    for (int i = 0; i < openings; ++i) {
      for (UINT command : {IDM_LABEL_NEW, IDM_ABOUT, IDM_GO_DATE, IDM_FIND})
        SendMessageA(window_, WM_COMMAND, command, 0);
      NewAlmanac chosen;
      NewAlmanacDialog(chosen);
    }
    Key(VK_HOME);
  };
  run(1, 100, 1);
  const int gdi = CountGdiObjects(), user = CountUserObjects();
  const char* openings = getenv("TARVINA_DIALOG_OPENINGS");
  run(1000, 1000, openings ? atoi(openings) : 20);
  EXPECT_EQ(CountGdiObjects(), gdi);
  EXPECT_EQ(CountUserObjects(), user);
  printf("GDI objects %d, USER objects %d, before and after\n", gdi, user);
  SetLabelDialogStartedHook(nullptr);
  SetAboutDialogHook(nullptr);
  SetGoToDateDialogHook(nullptr);
  SetFindDialogHook(nullptr);
  SetNewAlmanacDialogHook(nullptr);
}

}  // namespace

// An import that takes a while shows its progress with "Cancelar", the
// almanac behind it disabled but taking its messages; after "Cancelar"
// nothing is added, nothing is said and there is nothing to take back.
TEST_F(MainWindowTest, ACancelledImportAddsNothing) {
  OpenAlmanac(1);
  const std::string path = folder_.path() + "Casa.zanual";
  const std::string before = ReadFileBytes(path);
  const std::string calendar = folder_.path() + "largo.ics";
  {
    std::string text =
        "BEGIN:VCALENDAR\r\n"
        "BEGIN:VEVENT\r\nUID:m\r\nDTSTART:20220101T000000Z\r\nRRULE:FREQ=MINUTELY\r\n"
        "SUMMARY:Cada minuto\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:d\r\nDTSTART;VALUE=DATE:20240101\r\nSUMMARY:Dentro\r\nEND:VEVENT\r\n"
        "END:VCALENDAR\r\n";
    HANDLE h = CreateFileA(calendar.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    DWORD n = 0;
    WriteFile(h, text.data(), DWORD(text.size()), &n, nullptr);
    CloseHandle(h);
  }
  static bool shown, ownerDisabled;
  static HWND owner;
  shown = ownerDisabled = false;
  owner = window_;
  SetImportProgressDelay(0);
  SetProgressWindowHook([](HWND window) {
    shown = true;
    ownerDisabled = !IsWindowEnabled(owner);
    PostMessageA(GetDlgItem(window, IDC_PROGRESS_CANCEL), BM_CLICK, 0, 0);
  });
  ObserveMessages();
  ImportIcsFrom(S(), calendar);
  SetProgressWindowHook(nullptr);
  SetImportProgressDelay(500);
  EXPECT_TRUE(shown);
  EXPECT_TRUE(ownerDisabled);
  EXPECT_TRUE(IsWindowEnabled(window_));
  EXPECT_TRUE(ObservedMessages().empty());
  EXPECT_EQ(ReadFileBytes(path), before);
  EXPECT_TRUE(Grey(IDM_LABEL_UNDO));
  EXPECT_EQ(Doc().layout.days[4].blocks.size(), 0u) << "1 January has no label";
}
