#include "dialog_kit.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "../render/gdi_util.h"
#include "../render/scale.h"

namespace {

const char kStateProperty[] = "tarvina.dialog";
constexpr int kScrollLine = 16;  // a scroll bar arrow's step
constexpr int kWheelRows = 48;   // one notch of the wheel

struct DialogState {
  DLGPROC handler = nullptr;
  bool running = false;  // between RunDialog's start and the end of its loop
  bool ended = false;
  INT_PTR result = 0;
  HACCEL accelerators = nullptr;
  int showCommand = SW_SHOW;
  bool scrolls = false;       // cut to the work area: the client scrolls
  HWND shownFocus = nullptr;  // the focused control last brought into sight
  int dpi = kBaseDpi;         // what its 96 DPI sizes are scaled to
};

HWND gPlacementWindow = nullptr;

DialogState* StateOf(HWND dialog) {
  return static_cast<DialogState*>(GetPropA(dialog, kStateProperty));
}

// Moves the client of a scrolling dialog so that its row `pos` is at the top
// (within the scroll range); the controls move with it.
void ScrollClientTo(HWND dialog, int pos) {
  SCROLLINFO si = {};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  if (!GetScrollInfo(dialog, SB_VERT, &si)) return;
  const int last = std::max(si.nMin, si.nMax - int(si.nPage) + 1);
  pos = std::clamp(pos, si.nMin, last);
  if (pos == si.nPos) return;
  ScrollWindowEx(dialog, 0, si.nPos - pos, nullptr, nullptr, nullptr, nullptr,
                 SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
  SetScrollPos(dialog, SB_VERT, pos, TRUE);
}

int ScrollPos(HWND dialog) { return GetScrollPos(dialog, SB_VERT); }

int ScrollLine(HWND dialog) { return DialogPx(dialog, kScrollLine); }

void OnVScroll(HWND dialog, WORD code) {
  SCROLLINFO si = {};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  if (!GetScrollInfo(dialog, SB_VERT, &si)) return;
  int pos = si.nPos;
  switch (code) {
    case SB_LINEUP:
      pos -= ScrollLine(dialog);
      break;
    case SB_LINEDOWN:
      pos += ScrollLine(dialog);
      break;
    case SB_PAGEUP:
      pos -= int(si.nPage);
      break;
    case SB_PAGEDOWN:
      pos += int(si.nPage);
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      pos = si.nTrackPos;
      break;
    case SB_TOP:
      pos = si.nMin;
      break;
    case SB_BOTTOM:
      pos = si.nMax;
      break;
    default:
      return;
  }
  ScrollClientTo(dialog, pos);
}

// A control that has just got the focus is scrolled into sight, so Tab
// reaches every control of a dialog cut to the screen.
void ShowFocusedControl(HWND dialog, DialogState& state) {
  HWND focus = GetFocus();
  if (focus == state.shownFocus) return;
  state.shownFocus = focus;
  if (!focus || !IsChild(dialog, focus)) return;
  RECT client, r;
  GetClientRect(dialog, &client);
  GetWindowRect(focus, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  if (r.bottom > client.bottom)
    ScrollClientTo(dialog, ScrollPos(dialog) + std::min(r.bottom - client.bottom, r.top));
  else if (r.top < 0)
    ScrollClientTo(dialog, ScrollPos(dialog) + r.top);
}

// The wheel turns for the focused control; over the background or a picture
// of a dialog that scrolls, it scrolls that dialog instead (where the
// pointer is, as a person expects).
bool WheelScrollsDialog(const MSG& msg) {
  HWND under = WindowFromPoint(msg.pt);
  HWND top = under ? GetAncestor(under, GA_ROOT) : nullptr;
  DialogState* state = top ? StateOf(top) : nullptr;
  if (!state || !state->scrolls) return false;
  char className[16] = "";
  if (under != top &&
      (!GetClassNameA(under, className, sizeof className) || lstrcmpiA(className, "Static") != 0))
    return false;
  SendMessageA(top, WM_MOUSEWHEEL, msg.wParam, msg.lParam);
  return true;
}

// Sits in front of every handler: swallows the WM_INITDIALOG of creation
// (the controls do not exist yet; RunDialog sends the real one), ends the
// dialog on a close request the handler leaves alone, and forgets the
// state when the window goes.
INT_PTR CALLBACK KitProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG && !GetPropA(dialog, kStateProperty)) {
    SetPropA(dialog, kStateProperty, reinterpret_cast<HANDLE>(lParam));
    return FALSE;
  }
  DialogState* state = StateOf(dialog);
  if (!state) return FALSE;
  if (msg == WM_NCDESTROY) {
    INT_PTR handled = state->handler(dialog, msg, wParam, lParam);
    RemovePropA(dialog, kStateProperty);
    state->ended = true;
    if (!state->running) delete state;  // never run: nobody else owns it
    return handled;
  }
  INT_PTR handled = state->handler(dialog, msg, wParam, lParam);
  if (msg == WM_CLOSE && !handled) {
    // Alt+F4 or the close box: end like a cancel, never as IDCANCEL.
    EndDialogWindow(dialog, 0);
    return TRUE;
  }
  if (state->scrolls && !handled) {
    if (msg == WM_VSCROLL && !lParam) {
      OnVScroll(dialog, LOWORD(wParam));
      return TRUE;
    }
    if (msg == WM_MOUSEWHEEL) {
      const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
      ScrollClientTo(dialog,
                     ScrollPos(dialog) - delta * DialogPx(dialog, kWheelRows) / WHEEL_DELTA);
      return TRUE;
    }
  }
  return handled;
}

void AppendWide(std::vector<WORD>& out, const char* text) {
  int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::vector<wchar_t> wide(n > 0 ? n : 1);
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
  for (wchar_t c : wide) out.push_back(WORD(c));
  if (n <= 0) out.push_back(0);
}

}  // namespace

RECT MoveInside(const RECT& r, const RECT& work) {
  const LONG width = r.right - r.left, height = r.bottom - r.top;
  const LONG left = std::max(work.left, std::min(r.left, work.right - width));
  const LONG top = std::max(work.top, std::min(r.top, work.bottom - height));
  return RECT{left, top, left + width, top + height};
}

DialogPlace FitDialog(const RECT& designed, const RECT& work, bool mayScroll, int scrollBarWidth) {
  RECT r = designed;
  const bool scrolls = mayScroll && r.bottom - r.top > work.bottom - work.top;
  if (scrolls) {
    r.right += scrollBarWidth;
    r.bottom = r.top + (work.bottom - work.top);
  }
  return DialogPlace{MoveInside(r, work), scrolls};
}

void SetPlacementWindow(HWND window) { gPlacementWindow = window; }

RECT PlacementWorkArea(const RECT& r) {
  HMONITOR monitor = gPlacementWindow && IsWindow(gPlacementWindow)
                         ? MonitorFromWindow(gPlacementWindow, MONITOR_DEFAULTTONEAREST)
                         : MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST);
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (monitor && GetMonitorInfoA(monitor, &info)) return info.rcWork;
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

int PlacementDpi() {
  return gPlacementWindow && IsWindow(gPlacementWindow) ? WindowDpi(gPlacementWindow) : ScreenDpi();
}

int DialogDpi(HWND dialog) {
  DialogState* state = dialog ? StateOf(dialog) : nullptr;
  return state ? state->dpi : WindowDpi(dialog);
}

int DialogPx(HWND dialog, int px96) { return Scaled(px96, DialogDpi(dialog)); }

void SetDialogDpi(HWND dialog, int dpi) {
  if (DialogState* state = StateOf(dialog)) state->dpi = dpi;
}

HWND CreateDialogWindow(const DialogFrame& frame, DLGPROC handler) {
  DWORD style = (frame.style | DS_SETFONT) & ~WS_VISIBLE;
  const int dpi = PlacementDpi();
  const SIZE laidOut = {Scaled(int(frame.client.cx), dpi), Scaled(int(frame.client.cy), dpi)};
  const POINT position = frame.positionInScreenPixels ? frame.position
                                                      : POINT{Scaled(int(frame.position.x), dpi),
                                                              Scaled(int(frame.position.y), dpi)};
  RECT designed = {0, 0, laidOut.cx, laidOut.cy};
  AdjustFrameForDpi(&designed, style, FALSE, frame.exStyle, dpi);
  OffsetRect(&designed, position.x - designed.left, position.y - designed.top);
  // A window with a sizing frame is sized by its own handler, never cut.
  const DialogPlace place = FitDialog(designed, PlacementWorkArea(designed),
                                      !(style & WS_THICKFRAME), GetSystemMetrics(SM_CXVSCROLL));
  if (place.scrolls) style |= WS_VSCROLL;

  // DLGTEMPLATE without controls; the size is set in pixels afterwards.
  std::vector<WORD> t;
  t.push_back(LOWORD(style));
  t.push_back(HIWORD(style));
  t.push_back(LOWORD(frame.exStyle));
  t.push_back(HIWORD(frame.exStyle));
  t.push_back(0);                     // no controls
  t.insert(t.end(), {0, 0, 10, 10});  // x, y, cx, cy in dialog units
  t.push_back(0);                     // no menu
  t.push_back(0);                     // the standard dialog class
  AppendWide(t, frame.title);
  t.push_back(8);  // the program's default font: MS Sans Serif 8 points
  AppendWide(t, "MS Sans Serif");
  if (t.size() % 2) t.push_back(0);  // DWORD alignment of the whole block

  DialogState* state = new DialogState;
  state->handler = handler;
  state->dpi = dpi;
  HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                           reinterpret_cast<LPCDLGTEMPLATEA>(t.data()), nullptr,
                                           KitProc, reinterpret_cast<LPARAM>(state));
  if (!dialog) {
    delete state;
    return nullptr;
  }
  const RECT& r = place.window;
  SetWindowPos(dialog, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  if (place.scrolls) {
    state->scrolls = true;
    RECT client;
    GetClientRect(dialog, &client);
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = laidOut.cy - 1;
    si.nPage = UINT(client.bottom);
    SetScrollInfo(dialog, SB_VERT, &si, FALSE);
  }
  return dialog;
}

HWND AddControl(HWND dialog, const ControlPlace& c) {
  const int dpi = DialogDpi(dialog);
  const int x = Scaled(c.x, dpi), y = Scaled(c.y, dpi);
  const int width = Scaled(c.x + c.width, dpi) - x, height = Scaled(c.y + c.height, dpi) - y;
  HWND control = CreateWindowExA(
      c.exStyle, c.className, c.text, WS_CHILD | WS_VISIBLE | c.style, x, y, width, height, dialog,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), GetModuleHandleA(nullptr), nullptr);
  if (control) SendMessageA(control, WM_SETFONT, SendMessageA(dialog, WM_GETFONT, 0, 0), FALSE);
  return control;
}

HWND AddControlAt(HWND dialog, int id, const char* className, const char* text, RECT r, DWORD style,
                  DWORD exStyle, HFONT font) {
  ControlPlace c;
  c.id = id;
  c.className = className;
  c.text = text;
  c.x = r.left, c.y = r.top, c.width = r.right - r.left, c.height = r.bottom - r.top;
  c.style = style;
  c.exStyle = exStyle;
  HWND control = AddControl(dialog, c);
  if (control) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

INT_PTR RunDialog(HWND dialog, LPARAM initParam) {
  DialogState* state = StateOf(dialog);
  if (!state) return 0;
  state->running = true;
  if (state->handler(dialog, WM_INITDIALOG, 0, initParam)) {
    HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    if (first) SetFocus(first);
  }
  if (!state->ended) {
    SetForegroundWindow(dialog);
    ShowWindow(dialog, state->showCommand);
    UpdateWindow(dialog);
  }

  bool quitting = false;
  WPARAM quitCode = 0;
  MSG msg;
  while (!state->ended) {
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      quitting = true;
      quitCode = msg.wParam;
      break;
    }
    if (got == -1) break;
    // Every window of ours is a dialog: give each its keyboard navigation,
    // also while another one's loop is running.
    if (msg.message == WM_MOUSEWHEEL && WheelScrollsDialog(msg)) continue;
    HWND top = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    DialogState* target = top ? StateOf(top) : nullptr;
    if (target && target->accelerators && TranslateAcceleratorA(top, target->accelerators, &msg))
      continue;
    if (!target || !IsDialogMessageA(top, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    // The message may have ended the dialog: look its state up again.
    if (top && (target = StateOf(top)) && target->scrolls) ShowFocusedControl(top, *target);
  }

  if (!state->ended && IsWindow(dialog)) DestroyWindow(dialog);
  INT_PTR result = state->result;
  delete state;
  // The application is ending: let the loops below this one end too.
  if (quitting) PostQuitMessage(int(quitCode));
  return result;
}

void SetDialogShowCommand(HWND dialog, int command) {
  if (DialogState* state = StateOf(dialog)) state->showCommand = command;
}

void SetDialogAccelerators(HWND dialog, HACCEL table) {
  if (DialogState* state = StateOf(dialog)) state->accelerators = table;
}

void EndDialogWindow(HWND dialog, INT_PTR value) {
  DialogState* state = StateOf(dialog);
  if (!state) return;
  state->result = value;
  DestroyWindow(dialog);  // WM_NCDESTROY marks the state ended
}

bool IsDialogRunning(HWND dialog) {
  DialogState* state = dialog ? StateOf(dialog) : nullptr;
  return state && state->running && !state->ended;
}

void KeepFocusAcrossActivation(WPARAM ncActivateWParam, HWND& savedFocus) {
  if (ncActivateWParam == 0) {
    savedFocus = GetFocus();
  } else if (savedFocus) {
    SetFocus(savedFocus);
    savedFocus = nullptr;
  }
}
