// The main window: building it, its message handler, its size and place,
// and the routing of its commands to the files that run them.
#include "main_window.h"

#include <windowsx.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <new>

#include "../dialogs/dialog_kit.h"
#include "../dialogs/label_entry_dialog.h"
#include "../render/gdi_util.h"
#include "../render/scrolling.h"
#include "almanac_accessible.h"
#include "file_commands.h"
#include "go_commands.h"
#include "label_commands.h"
#include "message_box.h"
#include "resource.h"
#include "share_commands.h"
#include "sync_commands.h"
#include "wide.h"

namespace {

// Lengths in pixels of a 96 DPI screen, scaled to the window's.
constexpr POINT kWindowPosition = {105, 54};
constexpr SIZE kClientSize = {1134, 771};  // before the menu bar takes its share
// A normal window: sizing frame, system menu, minimise and maximise.
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW;
constexpr RECT kControlRect = {8, 8, 8 + 1120, 8 + kDefaultControlHeight};
// The almanac control's margins (6 pixels on the right, where the default
// window ends), and its greatest width.
constexpr int kMargin = 8;
constexpr int kRightMargin = kClientSize.cx - kControlRect.right;
constexpr int kControlWidth = kControlRect.right - kControlRect.left;
constexpr char kStateProperty[] = "tarvina.main";

using SharedState = std::shared_ptr<MainWindowState>;

// The window's state, kept alive by whoever handles one of its messages:
// a command whose dialog outlives the window still finds it.
SharedState KeepState(HWND window) {
  auto* held = window ? static_cast<SharedState*>(GetPropA(window, kStateProperty)) : nullptr;
  return held ? *held : SharedState();
}

// Each menu command and the command of the document it stands for.
struct MenuCommand {
  UINT id;
  Command command;
};
constexpr MenuCommand kMenuCommands[] = {
    {IDM_NEW, Command::New},
    {IDM_OPEN, Command::Open},
    {IDM_ABOUT, Command::About},
    {IDM_EXIT, Command::Exit},
    {IDM_LABEL_NEW, Command::NewLabel},
    {IDM_LABEL_UNDO, Command::Undo},
    {IDM_GO_TODAY, Command::GoToday},
    {IDM_GO_DATE, Command::GoToDate},
    {IDM_FIND, Command::Find},
    {IDM_FIND_NEXT, Command::FindNext},
    {IDM_SHARE_EXPORT_ICS, Command::ShareExport},
    {IDM_SHARE_IMPORT_ICS, Command::ShareImport},
    {IDM_SHARE_PICTURE, Command::SharePicture},
    {IDM_SHARE_SYNC, Command::Sync},
};

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

// ---- the almanac control ----

// The keys that choose a label and act on the one chosen; the others scroll.
void OnControlKey(MainWindowState& state, WORD key) {
  AlmanacView& view = state.view;
  const LabelPlace* selected = SelectedLabel(view);
  switch (key) {
    case VK_TAB:
      SelectNextLabel(view, state.document, GetKeyState(VK_SHIFT) >= 0);
      return;
    case VK_ESCAPE:
      EndSelection(view, state.document);
      return;
    case VK_RETURN:
    case VK_DELETE:
      if (!selected) return;
      state.labelAt = *selected;
      RunLabelCommand(state, key == VK_RETURN ? IDM_LABEL_CHANGE : IDM_LABEL_REMOVE);
      return;
    default:
      OnViewKey(view, state.document, key);
  }
}

// A click ends the selection unless it is on the chosen label itself.
void OnControlClick(MainWindowState& state, int x, int y) {
  LabelPlace at;
  const LabelPlace* selected = SelectedLabel(state.view);
  if (selected && !(BlockAtPoint(state.document.layout, x, y, state.view.offset, at) &&
                    at.day == selected->day && at.block == selected->block))
    EndSelection(state.view, state.document);
}

LRESULT CALLBACK AlmanacControlProc(HWND control, UINT msg, WPARAM wParam, LPARAM lParam) {
  SharedState state = KeepState(GetParent(control));
  if (!state)  // the window is going: the control is a plain one again
    return CallWindowProcA(reinterpret_cast<WNDPROC>(GetClassLongPtrA(control, GCLP_WNDPROC)),
                           control, msg, wParam, lParam);
  try {
    const bool shown = IsShown(state->document);
    switch (msg) {
      case WM_KEYDOWN:
        if (shown) OnControlKey(*state, LOWORD(wParam));
        break;
      case WM_MOUSEWHEEL:
        if (shown) OnViewWheel(state->view, state->document, HIWORD(wParam));
        break;
      case WM_LBUTTONDOWN:
        SetFocus(control);
        if (shown) OnControlClick(*state, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        break;
      case WM_SETFOCUS:
        // Back in the almanac, a screen reader hears the chosen label again.
        if (shown && SelectedLabel(state->view))
          NotifyAlmanacFocus(control, state->document.layout, SelectedLabel(state->view));
        break;
      case WM_LBUTTONDBLCLK:
        if (shown) OnLabelDoubleClick(*state, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        break;
      case WM_CONTEXTMENU:
        if (shown) OnLabelMenu(*state, control, lParam);
        break;
      default:
        break;
    }
  } catch (const std::bad_alloc&) {
    ShowMessage(FileErrorText(FileError::NoMemory));
  } catch (const std::exception&) {
    ShowMessage(FileErrorText(FileError::Other));
  }
  LRESULT result = CallWindowProcA(state->view.previousControlProc, control, msg, wParam, lParam);
  // Arrow keys, Home, End, Tab, Enter and Escape are ours, not the dialog manager's.
  if (msg == WM_GETDLGCODE) return DLGC_WANTALLKEYS;
  return result;
}

// ---- the window's handler ----

void OnInitDialog(HWND window, MainWindowState& state) {
  state.document.layout = AlmanacLayout();
  state.document.dpi = state.view.dpi = DialogDpi(window);
  PrepareView(state.view);
  UpdateCommands(state);
  OpenCommandLineFile(state);
}

void OnCommand(MainWindowState& state, WORD id) {
  if (RunFileCommand(state, id) || RunLabelCommand(state, id) || RunGoCommand(state, id)) return;
  OnShareCommand(state, id);  // otherwise the control's notifications, Enter and Escape
}

// The control follows the window: its margins kept, at most its 1120 pixels
// wide (a wider window shows its own background beside it). The view, and
// the tiles it draws from, follow the control.
void OnSize(MainWindowState& state, WPARAM kind, int width, int height) {
  if (kind == SIZE_MINIMIZED || !state.view.control) return;
  const int dpi = state.view.dpi;
  const int margin = Scaled(kMargin, dpi);
  const int controlWidth = Scaled(int(kControlRect.right), dpi) - margin;
  const int rightMargin = Scaled(int(kClientSize.cx), dpi) - Scaled(int(kControlRect.right), dpi);
  SetWindowPos(state.view.control, nullptr, margin, margin,
               std::clamp(width - margin - rightMargin, 0, controlWidth),
               std::max(height - 2 * margin, 0), SWP_NOZORDER | SWP_NOACTIVATE);
  ResizeView(state.view, state.document);
}

// The window's icons at the sizes the system draws them at `dpi` (32 and 16
// at 96 DPI); the ones they replace go.
void SetIcons(MainWindowState& state, int dpi) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  auto load = [&](int metric) {
    const int side = SystemMetricForDpi(metric, dpi);
    return static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON, side, side, 0));
  };
  HICON big = load(SM_CXICON), small = load(SM_CXSMICON);
  SendMessageA(state.window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  SendMessageA(state.window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  if (state.bigIcon) DestroyIcon(state.bigIcon);
  if (state.smallIcon) DestroyIcon(state.smallIcon);
  state.bigIcon = big;
  state.smallIcon = small;
}

// The window has moved to a screen of another DPI, or the screen's scale
// changed: everything is laid out again at the new DPI, the day at the top
// stays there, and the window takes the place the system suggests.
void OnDpiChanged(HWND window, MainWindowState& state, int dpi, const RECT& suggested) {
  if (dpi <= 0) return;
  const size_t topDay =
      IsShown(state.document) ? DayAtViewTop(state.document.layout, state.view.offset) : 0;
  if (dpi != state.view.dpi) {
    const DocumentOutcome outcome = LayOutForDpi(state.document, dpi);
    if (!outcome.ok()) {
      ShowMessage(FileErrorText(outcome.error));
      return;  // the almanac stays as it was laid out
    }
    SetDialogDpi(window, dpi);
    state.view.dpi = dpi;
    SetIcons(state, dpi);
  }
  // WM_SIZE follows: the control, then the view, take their new size.
  SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  ChangeViewDpi(state.view, state.document, dpi, topDay);
}

// Notes the place to restore at the next start: the size and place the
// window has when neither maximised nor minimised, and whether it is
// maximised (kept while it is minimised).
void NotePlace(MainWindowState& state) {
  if (IsIconic(state.window)) return;
  state.place.maximized = IsZoomed(state.window);
  if (!state.place.maximized) GetWindowRect(state.window, &state.place.normal);
}

void OnDestroy(MainWindowState& state) {
  ReleaseView(state.view);
  SetPlacementWindow(nullptr);
  // Ends every loop still running: a dialog opened from the menu ends with us.
  PostQuitMessage(0);
}

// The window is gone: its state goes once no command holds it any more.
void OnNcDestroy(HWND window, MainWindowState& state) {
  if (state.keptPlace) *state.keptPlace = state.place;
  state.window = nullptr;
  state.view.control = nullptr;
  state.menu = nullptr;  // destroyed with the window
  if (state.bigIcon) DestroyIcon(state.bigIcon);
  if (state.smallIcon) DestroyIcon(state.smallIcon);
  state.bigIcon = state.smallIcon = nullptr;
  delete static_cast<SharedState*>(RemovePropA(window, kStateProperty));
}

INT_PTR HandleMessage(MainWindowState& state, HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      OnInitDialog(window, state);
      return FALSE;  // the focus stays where the initialisation put it
    case WM_NCACTIVATE:
      KeepFocusAcrossActivation(wParam, state.savedFocus);
      return FALSE;
    case WM_COMMAND:
      OnCommand(state, LOWORD(wParam));
      return TRUE;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlID == IDC_ALMANAC) PaintSurface(item->hDC, item->rcItem, state.view.surface);
      return TRUE;
    }
    case WM_SIZE:
      OnSize(state, wParam, LOWORD(lParam), HIWORD(lParam));
      NotePlace(state);
      return FALSE;
    case WM_MOVE:
      NotePlace(state);
      return FALSE;
    case WM_DPICHANGED:
      OnDpiChanged(window, state, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return TRUE;
    case WM_CLOSE:
      // The taskbar's "Close" or Alt+F4: ends the program like "Salir".
      if (MayEndWithLabelEntry()) EndDialogWindow(window, 0);
      return TRUE;
    case WM_DESTROY:
      OnDestroy(state);
      return FALSE;
    case WM_NCDESTROY:
      OnNcDestroy(window, state);
      return FALSE;
    default:
      return FALSE;
  }
}

// The one barrier between the program and the system: nothing is thrown
// out of a window procedure. What failed for want of memory, or otherwise,
// is said, and the document stays as it was (its operations change it
// whole or not at all).
INT_PTR CALLBACK MainWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  SharedState state = KeepState(window);
  if (!state) return FALSE;  // still being made
  try {
    return HandleMessage(*state, window, msg, wParam, lParam);
  } catch (const std::bad_alloc&) {
    ShowMessage(FileErrorText(FileError::NoMemory));
  } catch (const std::exception&) {
    ShowMessage(FileErrorText(FileError::Other));
  }
  return msg == WM_COMMAND ? TRUE : FALSE;
}

// Where the window opens: the almanac keeps the place on the screen it had
// when the window had a fixed frame with its corner at (105, 54); the
// sizing frame, a pixel thicker, grows outwards around the client. The
// corner and the client are scaled to `dpi`; the frame is the system's.
RECT ClientPlace(int dpi) {
  RECT fixedFrame = {0, 0, 0, 0};
  AdjustFrameForDpi(&fixedFrame, WS_CAPTION | WS_MINIMIZEBOX, FALSE, 0, dpi);
  const LONG left = Scaled(int(kWindowPosition.x), dpi) - fixedFrame.left;
  const LONG top = Scaled(int(kWindowPosition.y), dpi) - fixedFrame.top;
  return {left, top, left + Scaled(int(kClientSize.cx), dpi),
          top + Scaled(int(kClientSize.cy), dpi)};
}

}  // namespace

HWND BuildMainWindow(const char* commandLine) {
  const int dpi = PlacementDpi();
  const RECT clientPlace = ClientPlace(dpi);
  RECT frame = clientPlace;
  AdjustFrameForDpi(&frame, kWindowStyle, FALSE, 0, dpi);

  DialogFrame shape;
  shape.title = "tarvina";
  shape.style = kWindowStyle;
  shape.position = {frame.left, frame.top};
  shape.positionInScreenPixels = true;
  shape.client = kClientSize;
  HWND window = CreateDialogWindow(shape, MainWindowProc);
  if (!window) return nullptr;
  auto* held = new SharedState(std::make_shared<MainWindowState>());
  MainWindowState& state = **held;
  state.window = window;
  state.commandLine = commandLine ? commandLine : "";
  SetPropA(window, kStateProperty, held);
  SetPlacementWindow(window);  // dialogs open on our screen
  // Measure the frame the window really got, and put the client in place.
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  RECT client;
  GetClientRect(window, &client);
  GetWindowRect(window, &frame);
  frame.left += clientPlace.left - origin.x;
  frame.top += clientPlace.top - origin.y;
  frame.right += clientPlace.right - (origin.x + client.right);
  frame.bottom += clientPlace.bottom - (origin.y + client.bottom);
  SetIcons(state, dpi);

  ControlPlace control;
  control.id = IDC_ALMANAC;
  control.className = "STATIC";
  control.x = kControlRect.left;
  control.y = kControlRect.top;
  control.width = kControlRect.right - kControlRect.left;
  control.height = kControlRect.bottom - kControlRect.top;
  control.style = WS_BORDER | SS_NOTIFY | SS_OWNERDRAW;
  state.view.control = AddControl(window, control);

  state.menu = BuildMainMenu();
  SetMenu(window, state.menu);
  // Where the default size does not fit the screen, it opens shrunk to fit.
  frame = FitWindow(frame, PlacementWorkArea(frame));
  SetWindowPos(window, nullptr, frame.left, frame.top, frame.right - frame.left,
               frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
  NotePlace(state);
  // A resource's table lives as long as the program: loaded once.
  static HACCEL shortcuts =
      LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDA_MAIN));
  SetDialogAccelerators(window, shortcuts);
  if (state.view.control) {
    state.view.previousControlProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        state.view.control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AlmanacControlProc)));
    // Screen readers read the almanac as it is shown. The object lets go of
    // the state when the control goes, before the state can.
    MainWindowState* shown = &state;
    AttachAlmanacAccessible(state.view.control, [shown] {
      AlmanacAccessView view;
      view.layout = &shown->document.layout;
      view.records = &shown->document.records;
      view.viewOffset = shown->view.offset;
      view.selected = SelectedLabel(shown->view);
      return view;
    });
  }
  return window;
}

int RunMainWindow(const char* commandLine) {
  HWND window = BuildMainWindow(commandLine);
  if (!window) return 0;
  WindowPlace place;
  MainWindowStateOf(window)->keptPlace = &place;
  // Where the window was at the end of the last run, where that still fits.
  WindowPlace kept;
  if (ReadWindowPlace(kWindowPlaceKey, kept)) {
    RECT r;
    if (RestorableRect(kept.normal, r))
      SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    if (kept.maximized) SetDialogShowCommand(window, SW_SHOWMAXIMIZED);
  }
  RunDialog(window, 0);
  WriteWindowPlace(kWindowPlaceKey, place);
  return 0;
}

MainWindowState* MainWindowStateOf(HWND window) { return KeepState(window).get(); }

bool AlmanacShown(const MainWindowState& state) {
  return state.window && IsWindow(state.window) && IsShown(state.document);
}

void UpdateCommands(MainWindowState& state) {
  if (!state.menu) return;
  // The menus show what the document allows; a dialog open refuses a
  // command when it comes, without greying the menu bar meanwhile. The bar
  // is drawn again only when an item changed (a label saved after the
  // first of a run changes none).
  bool changed = false;
  for (const MenuCommand& item : kMenuCommands) {
    const bool grey = !IsAvailable(item.command, state.document, Busy());
    const UINT now = GetMenuState(state.menu, item.id, MF_BYCOMMAND);
    if (now != UINT(-1) && bool(now & MF_GRAYED) == grey) continue;
    EnableMenuItem(state.menu, item.id, MF_BYCOMMAND | (grey ? MF_GRAYED : MF_ENABLED));
    changed = true;
  }
  if (changed && state.window) DrawMenuBar(state.window);
  // A linked almanac syncs when it is opened and after each change.
  NoteChangeForSync(state);
}

void SetAlmanacTitle(HWND window, const std::string& name) {
  if (!window) return;
  // The name comes from a path and may be in any script. The window is an
  // ANSI one, whose procedure would get the text cut down to the code page;
  // the default procedure's wide side keeps it whole.
  std::wstring title = L"Almanaque - " + Widen(name) + L".zanual";
  DefWindowProcW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()));
}

void FocusAlmanac(MainWindowState& state) {
  SetForegroundWindow(state.window);
  SetFocus(state.view.control);
}
