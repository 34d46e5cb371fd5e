// The main window: menu, the almanac control, the strip and view surfaces,
// scrolling, and the dispatch of the menu commands.
#include "main_window.h"

#include <algorithm>
#include <new>

#include "../data/almanac_state.h"
#include "../data/label_file.h"
#include "../data/program_folder.h"
#include "../dialogs/about_dialog.h"
#include "../dialogs/dialog_kit.h"
#include "../dialogs/find_dialog.h"
#include "../dialogs/go_to_date_dialog.h"
#include "../dialogs/label_entry_dialog.h"
#include "../dialogs/new_almanac_dialog.h"
#include "../render/label_search.h"
#include "../render/layout.h"
#include "../render/tile_strip.h"
#include "almanac_folder.h"
#include "command_line.h"
#include "file_choose.h"
#include "message_box.h"
#include "path_util.h"
#include "resource.h"
#include "share_commands.h"
#include "today.h"
#include "wide.h"

HWND MainWindow = nullptr;
HMENU MainMenu = nullptr;
HWND AlmanacControl = nullptr;
TileStrip AlmanacStrip;
Surface AlmanacView;
int64_t ViewOffset = 0;
int32_t dialogOpen = 0;
std::string currentFile;

namespace {

constexpr POINT kWindowPosition = {105, 54};
constexpr SIZE kClientSize = {1134, 771};
constexpr RECT kControlRect = {8, 8, 8 + 1120, 8 + 736};
constexpr int kKeyStep = 95;    // one day band
constexpr int kWheelStep = 25;
constexpr int64_t kWheelLimit = -84000;

WNDPROC gPreviousControlProc = nullptr;
HWND gSavedFocus = nullptr;
bool gNewDialogOpen = false;  // "Nuevo" and "Leer" wait until it has closed
std::string gCommandLine;
// The almanac shown, laid out from gAlmanac and the records of gLabelTable;
// the strip's tiles are drawn from the two, so they change together.
AlmanacLayout gLayout;
// Today's day box and the line found last, as the tiles are drawn with them.
AlmanacMarks gMarks;
// The text searched last, and where it was found last ("Buscar siguiente"
// goes on from there).
std::string gSearchText;
bool gHasLastHit = false;
LabelPlace gLastHit;
HICON gBigIcon = nullptr;
HICON gSmallIcon = nullptr;

void SetMenuItemGrey(UINT id, bool grey) {
  if (!MainMenu) return;
  EnableMenuItem(MainMenu, id, MF_BYCOMMAND | (grey ? MF_GRAYED : MF_ENABLED));
  if (MainWindow) DrawMenuBar(MainWindow);
}

bool IsMenuItemGrey(UINT id) {
  if (!MainMenu) return false;
  UINT state = GetMenuState(MainMenu, id, MF_BYCOMMAND);
  return state != UINT(-1) && (state & (MF_GRAYED | MF_DISABLED));
}

// "Ir" acts on the almanac shown.
constexpr UINT kGoCommands[] = {IDM_GO_TODAY, IDM_GO_DATE, IDM_FIND, IDM_FIND_NEXT};

// A run shows one almanac: once it is shown, labels can be added, it can
// be gone through, and no other almanac can be created or opened.
void SetAlmanacShownMenus() {
  SetMenuItemGrey(IDM_LABEL_NEW, false);
  for (UINT id : kGoCommands) SetMenuItemGrey(id, false);
  for (UINT id : kShareCommands) SetMenuItemGrey(id, false);
  SetMenuItemGrey(IDM_OPEN, true);
  SetMenuItemGrey(IDM_NEW, true);
}

HMENU BuildMainMenu() {
  HMENU bar = CreateMenu();
  HMENU files = CreatePopupMenu();
  AppendMenuA(files, MF_STRING, IDM_NEW, "Nuevo");
  AppendMenuA(files, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(files, MF_STRING, IDM_OPEN, "Leer");
  AppendMenuA(files, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(files, MF_STRING, IDM_ABOUT, "Autor");
  AppendMenuA(files, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(files, MF_STRING, IDM_EXIT, "Salir");
  HMENU labels = CreatePopupMenu();
  AppendMenuA(labels, MF_STRING, IDM_LABEL_NEW, "Nueva");
  // The shortcuts are those of the IDA_MAIN table.
  HMENU go = CreatePopupMenu();
  AppendMenuA(go, MF_STRING, IDM_GO_TODAY, "Hoy\tCtrl+T");
  AppendMenuA(go, MF_STRING, IDM_GO_DATE, "Fecha...\tCtrl+G");
  AppendMenuA(go, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(go, MF_STRING, IDM_FIND, "Buscar...\tCtrl+F");
  AppendMenuA(go, MF_STRING, IDM_FIND_NEXT, "Buscar siguiente\tF3");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(files), "Archivos");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(labels), "Etiquetas");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(go), "Ir");
  AppendShareMenu(bar);
  return bar;
}

// The height of the view on the screen: the almanac control's.
int64_t ViewHeight() {
  RECT r;
  if (AlmanacControl && GetWindowRect(AlmanacControl, &r)) return r.bottom - r.top;
  return kControlRect.bottom - kControlRect.top;
}

// The view offset that shows day `day` at the top, where Home and the
// arrows put a day (its box one row down), not past the End position.
int64_t DayOffset(size_t day) { return -std::min(gLayout.days[day].top - 1, gLayout.endScrollTop); }

// Where an almanac starts: at today's band when it shows today, else at
// its first day.
int64_t StartOffset() {
  const int64_t day = DayOfDate(gLayout, Today());
  return day < 0 ? 0 : DayOffset(size_t(day));
}

// The outline of the line found last stays until the view moves.
void ClearFoundMark() {
  if (!gMarks.hasFound) return;
  DropTileRows(AlmanacStrip, FoundMarkRows(gLayout, gMarks.found));
  gMarks.hasFound = false;
}

void SetFoundMark(const LabelPlace& place) {
  ClearFoundMark();
  gMarks.hasFound = true;
  gMarks.found = place;
  DropTileRows(AlmanacStrip, FoundMarkRows(gLayout, place));
}

// Today's mark follows the clock, so a run that passes midnight moves it.
void UpdateTodayMark() {
  const CivilDate today = Today();
  if (today.day == gMarks.today.day && today.month == gMarks.today.month &&
      today.year == gMarks.today.year)
    return;
  DropTileRows(AlmanacStrip, TodayMarkRows(gLayout, gMarks.today));
  gMarks.today = today;
  DropTileRows(AlmanacStrip, TodayMarkRows(gLayout, gMarks.today));
}

// Lays out gAlmanac with gLabelTable's records anew: every tile is drawn
// again, and no line is marked as found.
void LayOutShownAlmanac() {
  gLayout = LayOutAlmanac(gAlmanac, gLabelTable.records);
  gMarks.hasFound = false;
  DropTilesFrom(AlmanacStrip, 0);
}

// The almanac in gAlmanac from its label file (or, while it has none, with
// no labels), shown from its start (today's band or its first day) when
// `atStart`, else where the view is. Returns false, having said why, when
// nothing could be drawn; the almanac shown, if any, then stays as it was.
bool DrawAlmanacFromFile(bool atStart) {
  const std::string& path = gAlmanac.filePath;
  std::vector<LabelRecord> shown = std::move(gLabelTable.records);
  gLabelTable.records.clear();
  if (!path.empty() && LabelFileExists(path)) {
    FileError error = ReadLabelRecords(path);
    if (error != FileError::None) {
      ShowMessage("No se puede leer el almanaque \"", path,
                  std::string("\".\r\n") + FileErrorText(error));
      gLabelTable.records = std::move(shown);  // the records the layout was made from
      return false;
    }
  }
  auto refuse = [&](const std::string& after) {
    ShowMessage("No se puede mostrar el almanaque \"", path, after);
    gLabelTable.records = std::move(shown);
    return false;
  };
  if (!IsValidAlmanacSettings(gAlmanac.startDay, gAlmanac.startMonth, gAlmanac.startYear,
                              gAlmanac.dayCount))
    return refuse("\".\r\nEl archivo no tiene ninguna etiqueta que diga qué días abarca.");
  // Called from message handlers: nothing may be thrown out of them.
  try {
    LayOutShownAlmanac();
  } catch (const std::bad_alloc&) {
    return refuse(std::string("\".\r\n") + FileErrorText(FileError::NoMemory));
  }
  if (atStart) ViewOffset = StartOffset();
  RefreshView();
  return true;
}

void OpenFileAlmanac(const std::string& path) {
  if (!IsWindow(MainWindow)) return;
  const AlmanacState before = gAlmanac;
  gAlmanac.name = StripExtension(FileNameOfPath(path));
  // The file is the almanac: read it, and append later labels to it, where it is.
  gAlmanac.filePath = path;
  gAlmanac.isReady = 1;
  SetForegroundWindow(MainWindow);
  SetFocus(AlmanacControl);
  if (!DrawAlmanacFromFile(true)) {
    // Nothing is shown: stay as before, so another file can be chosen.
    gAlmanac = before;
    return;
  }
  SetAlmanacTitle(gAlmanac.name);
  SetAlmanacShownMenus();
}

// ---- the almanac control ----

void OnScrollKey(WPARAM key) {
  const int64_t endScrollTop = gLayout.endScrollTop;
  const WORD vk = LOWORD(key);
  if (vk == VK_DOWN || vk == VK_UP || vk == VK_NEXT || vk == VK_PRIOR || vk == VK_END ||
      vk == VK_HOME)
    ClearFoundMark();
  switch (vk) {
    case VK_DOWN:
    case VK_NEXT: {
      // Not past the End position: the last day's band at the top.
      const int64_t step = vk == VK_DOWN ? kKeyStep : ViewHeight();
      ViewOffset = std::min(ViewOffset, std::max(ViewOffset - step, -endScrollTop));
      RefreshView();
      break;
    }
    case VK_UP:
      if (ViewOffset < 0) {
        ViewOffset += kKeyStep;
        RefreshView();
      }
      break;
    case VK_PRIOR:
      // A page up stops at the top (Up may go past it, as it always has).
      if (ViewOffset < 0) {
        ViewOffset = std::min<int64_t>(ViewOffset + ViewHeight(), 0);
        RefreshView();
      }
      break;
    case VK_END:
      ViewOffset = -endScrollTop;
      RefreshView();
      break;
    case VK_HOME:
      ViewOffset = 0;
      RefreshView();
      break;
    default:
      break;
  }
}

void OnWheel(WPARAM wParam) {
  const int64_t endScrollTop = gLayout.endScrollTop;
  ClearFoundMark();
  unsigned d = HIWORD(wParam);
  if (d > 0x8000) {  // turned towards the user
    // Down to 84,000 rows, or to the End position of an almanac that goes
    // further: the wheel reaches the last day of any almanac, as the arrow does.
    if (ViewOffset > std::min(kWheelLimit, -endScrollTop))
      ViewOffset = std::min(ViewOffset, std::max(ViewOffset - kWheelStep, -endScrollTop));
  } else if (ViewOffset < 0) {
    ViewOffset += kWheelStep;
  }
  RefreshView();
}

LRESULT CALLBACK AlmanacControlProc(HWND control, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_KEYDOWN:
      if (gAlmanac.isReady == 1) OnScrollKey(wParam);
      break;
    case WM_MOUSEWHEEL:
      if (gAlmanac.isReady == 1) OnWheel(wParam);
      break;
    case WM_LBUTTONDOWN:
      SetFocus(control);
      break;
    default:
      break;
  }
  LRESULT result = CallWindowProcA(gPreviousControlProc, control, msg, wParam, lParam);
  // Arrow keys, Home and End are ours, not the dialog manager's.
  if (msg == WM_GETDLGCODE) return DLGC_WANTALLKEYS;
  return result;
}

// ---- the window's handler ----

void OnInitDialog() {
  SetMenuItemGrey(IDM_LABEL_NEW, true);
  for (UINT id : kGoCommands) SetMenuItemGrey(id, true);
  for (UINT id : kShareCommands) SetMenuItemGrey(id, true);
  gLayout = AlmanacLayout();
  ReleaseTiles(AlmanacStrip);
  PrepareTiles(AlmanacStrip);
  CreateSurface(AlmanacView, kClientSize.cx, kClientSize.cy);
  ViewOffset = 0;
  std::string arguments = gCommandLine;
  if (!arguments.empty()) {
    currentFile = WithoutQuotes(arguments);
    if (LabelFileExists(currentFile)) OpenFileAlmanac(currentFile);
  }
}

// A new almanac's labels go to the almanac folder: when they cannot, say so
// now rather than at its first label.
bool AlmanacFolderUsable() {
  FileError error = PrepareAlmanacFolder(AlmanacFolder());
  if (error == FileError::None) return true;
  std::string folder = AlmanacFolder();
  if (folder.size() > 1 && folder.back() == '\\') folder.pop_back();
  ShowMessage("No se pueden crear almanaques en la carpeta \"" + folder + "\".\r\n" +
              FileErrorText(error));
  return false;
}

void OnNew() {
  if (gNewDialogOpen || IsMenuItemGrey(IDM_NEW)) return;
  gNewDialogOpen = true;  // also while the message is shown
  bool usable = AlmanacFolderUsable();
  gNewDialogOpen = false;
  if (usable) NewAlmanacCommand();
}

void OnOpen() {
  if (gNewDialogOpen || IsMenuItemGrey(IDM_OPEN)) return;
  ChooseAlmanacFile(MainWindow, currentFile);
  if (!currentFile.empty() && LabelFileExists(currentFile)) OpenFileAlmanac(currentFile);
}

void OnAbout() {
  if (dialogOpen) return;
  dialogOpen = 1;
  AboutDialog(nullptr);
  dialogOpen = 0;
}

void OnNewLabel() {
  if (dialogOpen || IsMenuItemGrey(IDM_LABEL_NEW)) return;
  dialogOpen = 1;
  // What the dialog's lists need from the layout; it hands the label back
  // as it closes.
  LabelEntryAlmanac almanac;
  almanac.spansNextYear = gLayout.spansNextYear;
  almanac.monthLengths = gLayout.monthLengths;
  almanac.closed = ShowStoredLabel;
  ShowLabelEntryDialog(nullptr, almanac);
  dialogOpen = 0;
}

// Brings the almanac to the front with the keyboard focus, so the keys
// scroll it on from where a command has put it.
void FocusAlmanac() {
  SetForegroundWindow(MainWindow);
  SetFocus(AlmanacControl);
}

void OnGoToday() {
  if (IsMenuItemGrey(IDM_GO_TODAY) || gLayout.days.empty()) return;
  const CivilDate today = Today();
  const int64_t day = DayOfDate(gLayout, today);
  if (day < 0) {
    const DayBand& first = gLayout.days.front();
    const DayBand& last = gLayout.days.back();
    ShowMessage("Hoy, " + ShortDateText(today) + ", no está en el almanaque, que va del " +
                ShortDateText(CivilDate{first.year, first.month, first.day, 0}) + " al " +
                ShortDateText(CivilDate{last.year, last.month, last.day, 0}) + ".");
    return;
  }
  ClearFoundMark();
  ViewOffset = DayOffset(size_t(day));
  RefreshView();
}

void OnGoToDate() {
  if (dialogOpen || IsMenuItemGrey(IDM_GO_DATE) || gLayout.days.empty()) return;
  GoToDateRequest request;
  const DayBand& first = gLayout.days.front();
  const DayBand& last = gLayout.days.back();
  request.first = CivilDate{first.year, first.month, first.day, 0};
  request.last = CivilDate{last.year, last.month, last.day, 0};
  const CivilDate today = Today();
  request.shown = DayOfDate(gLayout, today) >= 0 ? today : request.first;
  CivilDate chosen;
  dialogOpen = 1;
  const bool accepted = GoToDateDialog(request, chosen);
  dialogOpen = 0;
  // The window may have ended while the dialog was open.
  if (!accepted || !MainWindow || !IsWindow(MainWindow)) return;
  const int64_t day = DayOfDate(gLayout, chosen);
  if (day < 0) return;
  ClearFoundMark();
  ViewOffset = DayOffset(size_t(day));
  RefreshView();
  FocusAlmanac();
}

// Whether any line of the almanac shown holds `text`, for the dialog.
bool ShownLabelsHold(const std::string& text) {
  LabelPlace found;
  return FindLabelLine(gLayout, gLabelTable.records, text, LabelPlace(), found);
}

// The next line with gSearchText from `from` on: its block at the top of
// the view (or, in a block taller than the view, the line itself) and the
// line outlined; or a message that there is none.
void FindFrom(const LabelPlace& from) {
  LabelPlace found;
  if (!FindLabelLine(gLayout, gLabelTable.records, gSearchText, from, found)) {
    ShowMessage("No se encontró \"" + gSearchText + "\".");
    return;
  }
  gLastHit = found;
  gHasLastHit = true;
  const LabelBlock& block = gLayout.days[found.day].blocks[found.block];
  const int64_t rowTop = LineRowTop(gLayout, found);
  int64_t top = block.top - 1;
  if (rowTop + kGridRowHeight + 2 > top + ViewHeight()) top = rowTop - kGridRowHeight;
  ViewOffset = -top;
  SetFoundMark(found);
  RefreshView();
}

// The first line after the band at the top of the view.
LabelPlace AfterTopBand() { return AfterDay(DayAtRow(gLayout, 1 - ViewOffset)); }

void OnFind() {
  if (dialogOpen || IsMenuItemGrey(IDM_FIND) || gLayout.days.empty()) return;
  FindRequest request;
  request.text = gSearchText;
  request.occurs = ShownLabelsHold;
  std::string text;
  dialogOpen = 1;
  const bool accepted = FindDialog(request, text);
  dialogOpen = 0;
  if (!accepted || !MainWindow || !IsWindow(MainWindow)) return;
  gSearchText = text;
  FindFrom(AfterTopBand());
  FocusAlmanac();
}

void OnFindNext() {
  if (IsMenuItemGrey(IDM_FIND_NEXT) || gLayout.days.empty()) return;
  if (gSearchText.empty()) {
    OnFind();
    return;
  }
  FindFrom(gHasLastHit ? AfterLine(gLastHit) : AfterTopBand());
}

void OnCommand(WORD id) {
  switch (id) {
    case IDM_NEW:
      OnNew();
      break;
    case IDM_OPEN:
      OnOpen();
      break;
    case IDM_ABOUT:
      OnAbout();
      break;
    case IDM_EXIT:
      if (MainWindow) EndDialogWindow(MainWindow, 0);
      break;
    case IDM_LABEL_NEW:
      OnNewLabel();
      break;
    case IDM_GO_TODAY:
      OnGoToday();
      break;
    case IDM_GO_DATE:
      OnGoToDate();
      break;
    case IDM_FIND:
      OnFind();
      break;
    case IDM_FIND_NEXT:
      OnFindNext();
      break;
    default:
      OnShareCommand(id);
      break;  // otherwise the control's notifications, Enter and Escape
  }
}

void OnDrawItem(const DRAWITEMSTRUCT* item) {
  if (item->CtlID == IDC_ALMANAC) PaintSurface(item->hDC, item->rcItem, AlmanacView);
}

void OnDestroy(HWND window) {
  ReleaseTiles(AlmanacStrip);
  ReleaseSurface(AlmanacView);
  gLayout = AlmanacLayout();
  if (window == MainWindow) {
    MainWindow = nullptr;
    AlmanacControl = nullptr;
    MainMenu = nullptr;  // destroyed with the window
  }
  // Ends every loop still running: a dialog opened from the menu ends with us.
  PostQuitMessage(0);
}

INT_PTR CALLBACK MainWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      OnInitDialog();
      return FALSE;  // the focus stays where the initialisation put it
    case WM_NCACTIVATE:
      KeepFocusAcrossActivation(wParam, gSavedFocus);
      return FALSE;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return TRUE;
    case WM_DRAWITEM:
      OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_DESTROY:
      OnDestroy(window);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

HWND BuildMainWindow(const char* commandLine) {
  gCommandLine = commandLine ? commandLine : "";
  gSavedFocus = nullptr;
  gNewDialogOpen = false;
  dialogOpen = 0;
  gMarks = AlmanacMarks();
  gSearchText.clear();
  gHasLastHit = false;

  DialogFrame shape;
  shape.title = "tarvina";
  shape.style = WS_MINIMIZEBOX;  // overlapped: caption and thin border, no system menu
  shape.position = kWindowPosition;
  shape.client = kClientSize;
  MainWindow = CreateDialogWindow(shape, MainWindowProc);
  if (!MainWindow) return nullptr;
  // An overlapped window gets its caption from the system, which the size
  // computed from the bare style may not include: measure and correct.
  RECT client, frame;
  GetClientRect(MainWindow, &client);
  GetWindowRect(MainWindow, &frame);
  SetWindowPos(MainWindow, nullptr, kWindowPosition.x, kWindowPosition.y,
               frame.right - frame.left + kClientSize.cx - client.right,
               frame.bottom - frame.top + kClientSize.cy - client.bottom,
               SWP_NOZORDER | SWP_NOACTIVATE);

  HINSTANCE instance = GetModuleHandleA(nullptr);
  gBigIcon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON, 32, 32, 0));
  gSmallIcon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON, 16, 16, 0));
  SendMessageA(MainWindow, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(gBigIcon));
  SendMessageA(MainWindow, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(gSmallIcon));

  ControlPlace control;
  control.id = IDC_ALMANAC;
  control.className = "STATIC";
  control.x = kControlRect.left;
  control.y = kControlRect.top;
  control.width = kControlRect.right - kControlRect.left;
  control.height = kControlRect.bottom - kControlRect.top;
  control.style = WS_BORDER | SS_NOTIFY | SS_OWNERDRAW;
  AlmanacControl = AddControl(MainWindow, control);

  MainMenu = BuildMainMenu();
  SetMenu(MainWindow, MainMenu);
  // A resource's table lives as long as the program: loaded once.
  static HACCEL shortcuts = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDA_MAIN));
  SetDialogAccelerators(MainWindow, shortcuts);
  if (AlmanacControl)
    gPreviousControlProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        AlmanacControl, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AlmanacControlProc)));
  return MainWindow;
}

int RunMainWindow(const char* commandLine) {
  if (!BuildMainWindow(commandLine)) return 0;
  RunDialog(MainWindow, 0);
  MainWindow = nullptr;
  AlmanacControl = nullptr;
  if (gBigIcon) DestroyIcon(gBigIcon);
  if (gSmallIcon) DestroyIcon(gSmallIcon);
  gBigIcon = gSmallIcon = nullptr;
  return 0;
}

void RefreshView() {
  if (!AlmanacView.dc) return;
  // The picture's rows from -ViewOffset on, below a white band when the
  // offset is positive; rows outside the picture are white. Tiles are
  // copied as they are: the same picture as whitening the view and AND-ing
  // them onto it, at a fraction of the cost (Wine's SRCAND is several times
  // slower than a plain copy, and scrolling repeats this on every step).
  UpdateTodayMark();
  const int destY = int(std::clamp<int64_t>(ViewOffset, 0, AlmanacView.height));
  if (destY > 0) {
    RECT above = {0, 0, AlmanacView.width, destY};
    FillRect(AlmanacView.dc, &above, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  CopyStripRows(AlmanacStrip, gLayout, gLabelTable.records, gMarks, AlmanacView.dc, destY,
                destY - ViewOffset, AlmanacView.height - destY);
  // Straight onto the control, as the face's own painting would do it: a
  // scroll step is then two copies and no trip through the message queue.
  if (AlmanacControl && IsWindowVisible(AlmanacControl)) {
    RECT face;
    GetClientRect(AlmanacControl, &face);
    if (HDC dc = GetDC(AlmanacControl)) {
      PaintSurface(dc, face, AlmanacView);
      ReleaseDC(AlmanacControl, dc);
    }
    ValidateRect(AlmanacControl, nullptr);
  }
}

void NewAlmanacCommand() {
  gNewDialogOpen = true;
  INT_PTR accepted = NewAlmanacDialog(nullptr);
  gNewDialogOpen = false;
  // The window may have ended while the dialog was open; a cancel changes nothing.
  if (!IsWindow(MainWindow) || accepted != 1) return;
  gAlmanac.filePath = LabelFilePath(gAlmanac.name);
  gLabelTable.records.clear();  // a new almanac's file does not exist yet
  LayOutShownAlmanac();
  ViewOffset = StartOffset();
  ShowMessage("Almanaque Creado ...");
  RefreshView();
  SetAlmanacShownMenus();
}

void OpenAlmanacCommand() {
  // A dialog's closing refresh may come after the window has ended.
  if (!MainWindow || !IsWindow(MainWindow)) return;
  SetForegroundWindow(MainWindow);
  SetFocus(AlmanacControl);
  DrawAlmanacFromFile(false);
}

void ShowStoredLabel(const std::vector<LabelRecord>& stored) {
  if (!MainWindow || !IsWindow(MainWindow)) return;
  SetForegroundWindow(MainWindow);
  SetFocus(AlmanacControl);
  if (!stored.empty()) {
    // The file now ends with these records: so does the table. Only the
    // tiles from the first row that moved are drawn again.
    std::vector<LabelRecord>& records = gLabelTable.records;
    records.insert(records.end(), stored.begin(), stored.end());
    ClearFoundMark();
    AlmanacLayout before = std::move(gLayout);
    gLayout = LayOutAlmanac(gAlmanac, records);
    DropTilesFrom(AlmanacStrip, FirstChangedRow(before, records, gLayout, records));
  }
  RefreshView();
}

const AlmanacLayout& ShownLayout() { return gLayout; }

void SetAlmanacTitle(const std::string& name) {
  if (!MainWindow) return;
  // The name comes from a path and may be in any script. The window is an
  // ANSI one, whose procedure would get the text cut down to the code page;
  // the default procedure's wide side keeps it whole.
  std::wstring title = L"Almanaque - " + Widen(name) + L".zanual";
  DefWindowProcW(MainWindow, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()));
}
