// The main window: menu, the almanac control, the strip and view surfaces,
// scrolling, and the dispatch of the menu commands.
#include "main_window.h"

#include <windowsx.h>

#include <algorithm>
#include <new>

#include "../data/almanac_state.h"
#include "../data/backup.h"
#include "../data/label_edit.h"
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
#include "window_place.h"

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
constexpr SIZE kClientSize = {1134, 771};  // before the menu bar takes its share
// A normal window: sizing frame, system menu, minimise and maximise.
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW;
constexpr RECT kControlRect = {8, 8, 8 + 1120, 8 + 736};
// The almanac control's margins (6 pixels on the right, where the default
// window ends), and its greatest width.
constexpr int kMargin = 8;
constexpr int kRightMargin = kClientSize.cx - kControlRect.right;
constexpr int kControlWidth = kControlRect.right - kControlRect.left;
constexpr int kKeyStep = 95;  // one day band
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
// The changes of this run to the almanac's file, the last one last, each
// kept as the change that takes it back. Only what a change touched is
// kept, so a long run with a large almanac holds little.
std::vector<LabelFileEdit> gUndo;
// A copy of the almanac's file as it was before its first change of this
// run has been made (or there was no file to copy).
bool gBackedUp = false;
// The date a new label is offered: the last one chosen in "Nueva".
LabelDraft gNextLabel;
// The label a double click or the label menu acts on, and its records as
// they were when "Modificar etiqueta" opened.
LabelPlace gLabelAt;
std::vector<LabelRecord> gChanging;
size_t gChangingFirst = 0;
// Where the window stands, kept up to date as it moves, for the next run.
WindowPlace gPlace;

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

// "Deshacer" is there while this run has changed the almanac's file.
void UpdateUndoMenu() { SetMenuItemGrey(IDM_LABEL_UNDO, gUndo.empty()); }

// A new almanac shown: nothing of this run to take back, no copy made yet.
void ForgetChanges() {
  gUndo.clear();
  gBackedUp = false;
  UpdateUndoMenu();
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
  // The shortcuts are those of the IDA_MAIN table.
  AppendMenuA(labels, MF_STRING, IDM_LABEL_NEW, "Nueva");
  AppendMenuA(labels, MF_STRING, IDM_LABEL_UNDO, "Deshacer\tCtrl+Z");
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

// Rows of AlmanacView: the default window's 771, or the control's height
// when it is taller, so the view covers the control's face and no more.
int ViewRows() { return int(std::max<int64_t>(kClientSize.cy, ViewHeight())); }

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
  ForgetChanges();
}

// ---- changing labels ----

// Brings the almanac to the front with the keyboard focus, so the keys
// scroll it on from where a command has put it.
void FocusAlmanac() {
  SetForegroundWindow(MainWindow);
  SetFocus(AlmanacControl);
}

bool AlmanacShown() { return MainWindow && IsWindow(MainWindow) && !gLayout.days.empty(); }

// What the label dialog needs of the almanac shown.
LabelEntryRequest LabelRequest(const char* title, bool (*store)(const LabelDraft&)) {
  LabelEntryRequest request;
  request.title = title;
  const DayBand& first = gLayout.days.front();
  const DayBand& last = gLayout.days.back();
  request.first = CivilDate{first.year, first.month, first.day, 0};
  request.last = CivilDate{last.year, last.month, last.day, 0};
  request.store = store;
  return request;
}

// One record per line of the draft, as the file keeps them.
std::vector<LabelRecord> RecordsOfDraft(const LabelDraft& draft) {
  return LabelRecordsOf(draft.lines, int32_t(draft.color), draft.day, draft.month, draft.year,
                        gAlmanac);
}

// Before the first change of a run, a copy of the file as it is; false,
// having said why, when the copy cannot be made: then nothing may change.
// A file another program holds cannot be changed either: that is said as
// the change itself would say it (`failed`, the reason, `after`).
bool BackUpBeforeFirstChange(const char* failed, const char* after) {
  if (gBackedUp) return true;
  const std::string& path = gAlmanac.filePath;
  if (!FileExists(path)) {
    gBackedUp = true;  // the first label makes the file: nothing to lose yet
    return true;
  }
  SYSTEMTIME now;
  GetLocalTime(&now);
  const BackupTime when{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
  const FileError error = BackupFolder().empty()
                              ? FileError::PathNotFound
                              : BackUpLabelFile(path, gAlmanac.name, BackupFolder(), when);
  if (error == FileError::InUse) {
    ShowMessage(failed + std::string(FileErrorText(error)) + after);
    return false;
  }
  if (error != FileError::None) {
    ShowMessage("No se pudo hacer la copia de seguridad de \"", path,
                "\" en %LOCALAPPDATA%\\tarvina\\Copias, y sin ella no se cambia nada.\r\n" +
                    std::string(FileErrorText(error)));
    return false;
  }
  gBackedUp = true;
  return true;
}

// The almanac shown with `records` in place of those it shows: laid out
// again and drawn again from the first row that changed; the view stays.
void ShowRecords(std::vector<LabelRecord> records) {
  ClearFoundMark();
  // Called from message handlers: nothing may be thrown out of them.
  try {
    AlmanacLayout layout = LayOutAlmanac(gAlmanac, records);
    DropTilesFrom(AlmanacStrip, FirstChangedRow(gLayout, gLabelTable.records, layout, records));
    gLayout = std::move(layout);
    gLabelTable.records = std::move(records);
  } catch (const std::bad_alloc&) {
    ShowMessage(FileErrorText(FileError::NoMemory));
  }
  RefreshView();
}

// Rewrites the file with `edit` (a copy made first, the first time) and
// shows it; false, having said why (`failed`, then the reason, then
// `after`), when the file stays as it was.
bool ChangeFile(const LabelFileEdit& edit, const char* failed, const char* after) {
  if (!BackUpBeforeFirstChange(failed, after)) return false;
  LabelFileEdit undo;
  FileError error = RewriteLabelFile(gAlmanac.filePath, edit, &undo);
  if (error != FileError::None) {
    ShowMessage(std::string(failed) + FileErrorText(error) + after);
    return false;
  }
  gUndo.push_back(std::move(undo));
  UpdateUndoMenu();
  std::vector<LabelRecord> records = gLabelTable.records;
  ApplyLabelFileEdit(records, edit);
  ShowRecords(std::move(records));
  return true;
}

}  // namespace

bool AppendAsOneChange(const std::vector<LabelRecord>& lines, const char* failed,
                       const char* after) {
  if (!BackUpBeforeFirstChange(failed, after)) return false;
  LabelFileEdit undo;
  FileError error = AppendLabel(gAlmanac.filePath, lines, &undo);
  if (error != FileError::None) {
    ShowMessage(failed + std::string(FileErrorText(error)) + after);
    return false;
  }
  gUndo.push_back(std::move(undo));
  UpdateUndoMenu();
  ShowStoredLabel(lines);
  return true;
}

namespace {

const char kNotStored[] = "No se pudo guardar la etiqueta. ";
const char kTextKept[] = " El texto sigue en la ventana para volver a intentarlo.";

// "Aceptar" in "Nueva": the label is appended to the file.
bool StoreNewLabel(const LabelDraft& draft) {
  return AppendAsOneChange(RecordsOfDraft(draft), kNotStored, kTextKept);
}

// "Aceptar" in "Modificar etiqueta": the label's records give way to the
// draft's, in their place when the date stays, at the end of the file
// (so the end of the new day's stack) when it changes.
bool StoreChangedLabel(const LabelDraft& draft) {
  const std::vector<LabelRecord> lines = RecordsOfDraft(draft);
  const LabelRecord& was = gChanging.front();
  LabelFileEdit edit;
  if (draft.day == was.day && draft.month == was.month && draft.year == was.year) {
    edit.splices.push_back({gChangingFirst, gChanging, RecordBytes(lines)});
  } else {
    edit.splices.push_back({gChangingFirst, gChanging, {}});
    edit.splices.push_back({gLabelTable.records.size(), {}, RecordBytes(lines)});
  }
  return ChangeFile(edit, kNotStored, kTextKept);
}

// The block at `place` of the almanac shown, if there is one.
const LabelBlock* BlockAt(const LabelPlace& place) {
  if (place.day >= gLayout.days.size()) return nullptr;
  const std::vector<LabelBlock>& blocks = gLayout.days[place.day].blocks;
  return place.block < blocks.size() ? &blocks[place.block] : nullptr;
}

std::vector<LabelRecord> RecordsOf(const LabelBlock& block) {
  const auto first = gLabelTable.records.begin() + std::ptrdiff_t(block.firstRecord);
  return std::vector<LabelRecord>(first, first + std::ptrdiff_t(block.lineCount));
}

void OnChangeLabel() {
  const LabelBlock* block = BlockAt(gLabelAt);
  if (dialogOpen || !AlmanacShown() || !block) return;
  gChangingFirst = block->firstRecord;
  gChanging = RecordsOf(*block);
  LabelDraft draft;
  for (const LabelRecord& record : gChanging) draft.lines.push_back(record.text);
  const LabelRecord& first = gChanging.front();
  draft.color = COLORREF(first.color);
  draft.day = first.day;
  draft.month = first.month;
  draft.year = first.year;
  dialogOpen = 1;
  ShowLabelEntryDialog(LabelRequest("Modificar etiqueta", StoreChangedLabel), draft);
  dialogOpen = 0;
  gChanging.clear();
  if (AlmanacShown()) FocusAlmanac();
}

void OnRemoveLabel() {
  const LabelBlock* block = BlockAt(gLabelAt);
  if (dialogOpen || !AlmanacShown() || !block) return;
  const size_t first = block->firstRecord;
  std::vector<LabelRecord> records = RecordsOf(*block);
  dialogOpen = 1;  // the question leaves the window usable: nothing else meanwhile
  const bool yes = AskYesNo("¿Borrar esta etiqueta?");
  dialogOpen = 0;
  if (!yes || !AlmanacShown()) return;
  LabelFileEdit edit;
  // The almanac's last label: an empty file would no longer say which days
  // the almanac spans and could not be opened, so the file goes, as an
  // almanac without labels has none ("Deshacer" makes it again).
  if (records.size() == gLabelTable.records.size()) {
    edit.removesFile = true;
    edit.setsTail = true;
  }
  edit.splices.push_back({first, std::move(records), {}});
  ChangeFile(edit, "No se pudo borrar la etiqueta. ", "");
}

void OnUndo() {
  if (dialogOpen || !AlmanacShown() || gUndo.empty()) return;
  const LabelFileEdit& last = gUndo.back();
  FileError error = RewriteLabelFile(gAlmanac.filePath, last);
  if (error != FileError::None) {
    ShowMessage(std::string("No se pudo deshacer el último cambio. ") + FileErrorText(error));
    return;
  }
  std::vector<LabelRecord> records = gLabelTable.records;
  ApplyLabelFileEdit(records, last);
  gUndo.pop_back();
  UpdateUndoMenu();
  ShowRecords(std::move(records));
}

// A double click on a label block: "Modificar etiqueta" with that label.
void OnDoubleClick(LPARAM point) {
  if (!BlockAtPoint(gLayout, GET_X_LPARAM(point), GET_Y_LPARAM(point), ViewOffset, gLabelAt))
    return;
  OnChangeLabel();
}

// A right click on a label block: the label menu, whose commands come to
// the window like the main menu's.
void OnContextMenu(HWND control, LPARAM screen) {
  POINT at = {GET_X_LPARAM(screen), GET_Y_LPARAM(screen)};
  if (screen == -1 || dialogOpen) return;  // from the keyboard: no point to go by
  POINT inside = at;
  ScreenToClient(control, &inside);
  if (!BlockAtPoint(gLayout, inside.x, inside.y, ViewOffset, gLabelAt)) return;
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, IDM_LABEL_CHANGE, "Modificar...");
  AppendMenuA(menu, MF_STRING, IDM_LABEL_REMOVE, "Borrar");
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, MainWindow, nullptr);
  DestroyMenu(menu);
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
    case WM_LBUTTONDBLCLK:
      if (gAlmanac.isReady == 1) OnDoubleClick(lParam);
      break;
    case WM_CONTEXTMENU:
      if (gAlmanac.isReady == 1) OnContextMenu(control, lParam);
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
  ForgetChanges();
  for (UINT id : kGoCommands) SetMenuItemGrey(id, true);
  for (UINT id : kShareCommands) SetMenuItemGrey(id, true);
  gLayout = AlmanacLayout();
  ReleaseTiles(AlmanacStrip);
  PrepareTiles(AlmanacStrip, ViewRows());
  CreateSurface(AlmanacView, kStripWidth, ViewRows());
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
  if (dialogOpen || IsMenuItemGrey(IDM_LABEL_NEW) || !AlmanacShown()) return;
  // An empty label in white, on the date chosen last.
  LabelDraft draft;
  draft.day = gNextLabel.day;
  draft.month = gNextLabel.month;
  draft.year = gNextLabel.year;
  dialogOpen = 1;
  ShowLabelEntryDialog(LabelRequest("Entrada de datos", StoreNewLabel), draft);
  dialogOpen = 0;
  gNextLabel = draft;
  if (AlmanacShown()) FocusAlmanac();
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
      if (MainWindow && MayEndWithLabelEntry()) EndDialogWindow(MainWindow, 0);
      break;
    case IDM_LABEL_NEW:
      OnNewLabel();
      break;
    case IDM_LABEL_UNDO:
      OnUndo();
      break;
    case IDM_LABEL_CHANGE:
      OnChangeLabel();
      break;
    case IDM_LABEL_REMOVE:
      OnRemoveLabel();
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

// The control follows the window: its margins kept, at most its 1120 pixels
// wide (a wider window shows its own background beside it). The view, and
// the tiles it draws from, follow the control.
void OnSize(WPARAM kind, int width, int height) {
  if (kind == SIZE_MINIMIZED || !AlmanacControl) return;
  SetWindowPos(AlmanacControl, nullptr, kMargin, kMargin,
               std::clamp(width - kMargin - kRightMargin, 0, kControlWidth),
               std::max(height - 2 * kMargin, 0), SWP_NOZORDER | SWP_NOACTIVATE);
  if (!AlmanacView.dc) return;  // not initialised yet
  const int rows = ViewRows();
  if (rows != AlmanacView.height) {
    PrepareTiles(AlmanacStrip, rows);
    // Without memory for a view this tall, the default one shows the top.
    if (!CreateSurface(AlmanacView, kStripWidth, rows))
      CreateSurface(AlmanacView, kStripWidth, kClientSize.cy);
  }
  RefreshView();
}

// Notes the place to restore at the next start: the size and place the
// window has when neither maximised nor minimised, and whether it is
// maximised (kept while it is minimised).
void NotePlace(HWND window) {
  if (IsIconic(window)) return;
  gPlace.maximized = IsZoomed(window);
  if (!gPlace.maximized) GetWindowRect(window, &gPlace.normal);
}

void OnDrawItem(const DRAWITEMSTRUCT* item) {
  if (item->CtlID == IDC_ALMANAC) PaintSurface(item->hDC, item->rcItem, AlmanacView);
}

void OnDestroy(HWND window) {
  ReleaseTiles(AlmanacStrip);
  ReleaseSurface(AlmanacView);
  gLayout = AlmanacLayout();
  if (window == MainWindow) {
    SetPlacementWindow(nullptr);
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
    case WM_SIZE:
      OnSize(wParam, LOWORD(lParam), HIWORD(lParam));
      NotePlace(window);
      return FALSE;
    case WM_MOVE:
      NotePlace(window);
      return FALSE;
    case WM_CLOSE:
      // The taskbar's "Close" or Alt+F4: ends the program like "Salir".
      if (MayEndWithLabelEntry()) EndDialogWindow(window, 0);
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
  gPlace = WindowPlace();

  // The almanac keeps the place on the screen it had when the window had a
  // fixed frame with its corner at (105, 54): the sizing frame, a pixel
  // thicker, grows outwards around the client.
  RECT fixedFrame = {0, 0, 0, 0};
  AdjustWindowRectEx(&fixedFrame, WS_CAPTION | WS_MINIMIZEBOX, FALSE, 0);
  const RECT clientPlace = {kWindowPosition.x - fixedFrame.left, kWindowPosition.y - fixedFrame.top,
                            kWindowPosition.x - fixedFrame.left + kClientSize.cx,
                            kWindowPosition.y - fixedFrame.top + kClientSize.cy};
  RECT frame = clientPlace;
  AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);

  DialogFrame shape;
  shape.title = "tarvina";
  shape.style = kWindowStyle;
  shape.position = {frame.left, frame.top};
  shape.client = kClientSize;
  MainWindow = CreateDialogWindow(shape, MainWindowProc);
  if (!MainWindow) return nullptr;
  SetPlacementWindow(MainWindow);  // dialogs open on our screen
  // Measure the frame the window really got, and put the client in place.
  POINT origin = {0, 0};
  ClientToScreen(MainWindow, &origin);
  RECT client;
  GetClientRect(MainWindow, &client);
  GetWindowRect(MainWindow, &frame);
  frame.left += clientPlace.left - origin.x;
  frame.top += clientPlace.top - origin.y;
  frame.right += clientPlace.right - (origin.x + client.right);
  frame.bottom += clientPlace.bottom - (origin.y + client.bottom);

  HINSTANCE instance = GetModuleHandleA(nullptr);
  gBigIcon = static_cast<HICON>(
      LoadImageA(instance, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON, 32, 32, 0));
  gSmallIcon = static_cast<HICON>(
      LoadImageA(instance, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON, 16, 16, 0));
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
  // Where the default size does not fit the screen, it opens shrunk to fit.
  frame = FitWindow(frame, PlacementWorkArea(frame));
  SetWindowPos(MainWindow, nullptr, frame.left, frame.top, frame.right - frame.left,
               frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
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
  // Where the window was at the end of the last run, where that still fits.
  WindowPlace kept;
  if (ReadWindowPlace(kWindowPlaceKey, kept)) {
    RECT r;
    if (RestorableRect(kept.normal, r))
      SetWindowPos(MainWindow, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    if (kept.maximized) SetDialogShowCommand(MainWindow, SW_SHOWMAXIMIZED);
  }
  RunDialog(MainWindow, 0);
  WriteWindowPlace(kWindowPlaceKey, gPlace);
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
  NewAlmanac chosen;
  const bool accepted = NewAlmanacDialog(chosen);
  gNewDialogOpen = false;
  // The window may have ended while the dialog was open; a cancel changes nothing.
  if (!IsWindow(MainWindow) || !accepted) return;
  gAlmanac.name = chosen.name;
  gAlmanac.filePath = LabelFilePath(chosen.name);
  gAlmanac.startDay = chosen.startDay;
  gAlmanac.startMonth = chosen.startMonth;
  gAlmanac.startYear = chosen.startYear;
  gAlmanac.dayCount = chosen.dayCount;
  gAlmanac.isReady = 1;
  SetAlmanacTitle(chosen.name);
  gLabelTable.records.clear();  // a new almanac's file does not exist yet
  LayOutShownAlmanac();
  ViewOffset = StartOffset();
  ShowMessage("Almanaque Creado ...");
  RefreshView();
  SetAlmanacShownMenus();
  ForgetChanges();
}

void OpenAlmanacCommand() {
  // A dialog's closing refresh may come after the window has ended.
  if (!MainWindow || !IsWindow(MainWindow)) return;
  SetForegroundWindow(MainWindow);
  SetFocus(AlmanacControl);
  DrawAlmanacFromFile(false);
}

void ShowStoredLabel(const std::vector<LabelRecord>& stored) {
  if (!MainWindow || !IsWindow(MainWindow) || stored.empty()) return;
  // The file now ends with these records: so does the table. Only the
  // tiles from the first row that moved are drawn again.
  std::vector<LabelRecord>& records = gLabelTable.records;
  records.insert(records.end(), stored.begin(), stored.end());
  ClearFoundMark();
  AlmanacLayout before = std::move(gLayout);
  gLayout = LayOutAlmanac(gAlmanac, records);
  DropTilesFrom(AlmanacStrip, FirstChangedRow(before, records, gLayout, records));
  RefreshView();
}

bool ChangeShownLabel(const LabelPlace& place, const LabelDraft& draft) {
  const LabelBlock* block = BlockAt(place);
  if (dialogOpen || !AlmanacShown() || !block) return false;
  gChangingFirst = block->firstRecord;
  gChanging = RecordsOf(*block);
  const bool changed = StoreChangedLabel(draft);
  gChanging.clear();
  return changed;
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
