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
#include "../dialogs/label_entry_dialog.h"
#include "../dialogs/new_almanac_dialog.h"
#include "../render/layout.h"
#include "../render/tile_strip.h"
#include "almanac_folder.h"
#include "command_line.h"
#include "file_choose.h"
#include "message_box.h"
#include "path_util.h"
#include "resource.h"
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

// A run shows one almanac: once it is shown, labels can be added and no
// other almanac can be created or opened.
void SetAlmanacShownMenus() {
  SetMenuItemGrey(IDM_LABEL_NEW, false);
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
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(files), "Archivos");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(labels), "Etiquetas");
  return bar;
}

// Lays out gAlmanac with gLabelTable's records anew: every tile is drawn again.
void LayOutShownAlmanac() {
  gLayout = LayOutAlmanac(gAlmanac, gLabelTable.records);
  DropTilesFrom(AlmanacStrip, 0);
}

// The almanac in gAlmanac from its label file (or, while it has none, with
// no labels). Returns false, having said why, when nothing could be drawn;
// the almanac shown, if any, then stays as it was.
bool DrawAlmanacFromFile() {
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
  if (!DrawAlmanacFromFile()) {
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
  switch (LOWORD(key)) {
    case VK_DOWN:
      // Not past the End position: the last day's band at the top.
      ViewOffset = std::min(ViewOffset, std::max(ViewOffset - kKeyStep, -endScrollTop));
      RefreshView();
      break;
    case VK_UP:
      if (ViewOffset < 0) {
        ViewOffset += kKeyStep;
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
    default:
      break;  // the control's notifications, Enter and Escape
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
  const int destY = int(std::clamp<int64_t>(ViewOffset, 0, AlmanacView.height));
  if (destY > 0) {
    RECT above = {0, 0, AlmanacView.width, destY};
    FillRect(AlmanacView.dc, &above, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  CopyStripRows(AlmanacStrip, gLayout, gLabelTable.records, AlmanacView.dc, destY,
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
  ShowMessage("Almanaque Creado ...");
  RefreshView();
  SetAlmanacShownMenus();
}

void OpenAlmanacCommand() {
  // A dialog's closing refresh may come after the window has ended.
  if (!MainWindow || !IsWindow(MainWindow)) return;
  SetForegroundWindow(MainWindow);
  SetFocus(AlmanacControl);
  DrawAlmanacFromFile();
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
