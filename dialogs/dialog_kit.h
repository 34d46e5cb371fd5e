// The small kit every window of tarvina is built with: a hidden dialog
// window from an in-memory template (so the dialog manager gives tab order,
// the default font and Enter/Escape routing), controls added in pixels,
// WM_INITDIALOG delivered after the controls exist and before the window is
// shown, then a modal loop until the handler ends it. Every window opens
// inside the work area of one screen; a dialog taller than it scrolls.
// Sizes and positions are given in pixels of a 96 DPI screen: the kit
// scales them to the DPI of the screen the window opens on.
#pragma once
#include <windows.h>

struct DialogFrame {
  const char* title = "";
  DWORD style = 0;  // window styles (WS_POPUP, WS_CAPTION, DS_MODALFRAME, ...)
  DWORD exStyle = 0;
  POINT position = {0, 0};  // top-left corner on the screen
  SIZE client = {0, 0};     // client area size in pixels (before any menu bar)
  // The position is in the screen's own pixels already (worked out from
  // another window's place), not in 96 DPI ones.
  bool positionInScreenPixels = false;
};

struct ControlPlace {
  int id = 0;
  const char* className = "STATIC";
  const char* text = "";
  int x = 0, y = 0, width = 0, height = 0;
  DWORD style = 0;  // WS_CHILD | WS_VISIBLE are always added
  DWORD exStyle = 0;
};

// Creates the dialog window, hidden and without controls, owned by nobody,
// at the DPI of PlacementDpi,
// placed by FitDialog in the work area of PlacementWorkArea. When it is cut
// to the work area's height, its client scrolls over the whole height laid
// out: with its scroll bar, the wheel over its background and pictures, and
// by itself to show a control that gets the focus out of sight.
// `handler` receives every message except the WM_INITDIALOG of creation;
// RunDialog delivers WM_INITDIALOG later. Returns nullptr on failure.
HWND CreateDialogWindow(const DialogFrame& frame, DLGPROC handler);

// Where a window laid out at `designed` (its window rectangle) opens in
// `work`: moved inside it as little as it takes, at its left or top edge
// where it is wider or taller. A window taller than `work` that may scroll
// is cut to work's height instead and made `scrollBarWidth` wider, for the
// scroll bar beside the client it keeps.
struct DialogPlace {
  RECT window;
  bool scrolls;
};
DialogPlace FitDialog(const RECT& designed, const RECT& work, bool mayScroll, int scrollBarWidth);
// `r` moved as little as it takes to lie inside `work`; at work's left or
// top edge where it is wider or taller.
RECT MoveInside(const RECT& r, const RECT& work);

// The window whose screen every window of the kit opens on (the main
// window); nullptr for none. The work area (the screen less the taskbar) of
// the monitor it is on, or without it the monitor nearest `r`.
void SetPlacementWindow(HWND window);
RECT PlacementWorkArea(const RECT& r);
// The DPI a window of the kit opens at: that of the placement window's
// monitor, or without one the screen's.
int PlacementDpi();

// The DPI `dialog` (a window of the kit) was laid out at, and a length of
// 96 DPI pixels at it. SetDialogDpi records a new one (after WM_DPICHANGED).
int DialogDpi(HWND dialog);
int DialogPx(HWND dialog, int px96);
void SetDialogDpi(HWND dialog, int dpi);

// Adds a control at pixel position (x, y) of the client area, in tab order;
// its rectangle is scaled to the dialog's DPI, by its edges, so controls
// that meet at 96 DPI meet at every DPI.
HWND AddControl(HWND dialog, const ControlPlace& control);
// The same at the rectangle `r`, then in `font`.
HWND AddControlAt(HWND dialog, int id, const char* className, const char* text, RECT r, DWORD style,
                  DWORD exStyle, HFONT font);

// Sends WM_INITDIALOG (lParam = initParam) to the handler, brings the dialog
// to the foreground, shows it and runs its modal loop until EndDialogWindow.
// The window is destroyed on return. When the application is quitting
// (WM_QUIT arrives) the dialog is destroyed and the quit passed on.
INT_PTR RunDialog(HWND dialog, LPARAM initParam);
// How RunDialog shows `dialog` (SW_SHOW unless set, e.g. SW_SHOWMAXIMIZED).
void SetDialogShowCommand(HWND dialog, int command);

// Keyboard shortcuts of `dialog` (a window made by CreateDialogWindow):
// every loop of the kit translates the keys of messages to it or to its
// controls through `table` into its WM_COMMANDs. Other windows' keys,
// another dialog's among them, are left alone.
void SetDialogAccelerators(HWND dialog, HACCEL table);

// Ends the dialog's loop with `value`; safe to call from the handler.
void EndDialogWindow(HWND dialog, INT_PTR value);

// Whether `dialog` is still running its loop.
bool IsDialogRunning(HWND dialog);

// The focus rule of every tarvina window: on deactivation (WM_NCACTIVATE,
// wParam 0) remember the focused control in `savedFocus`; on activation give
// it back and clear `savedFocus`.
void KeepFocusAcrossActivation(WPARAM ncActivateWParam, HWND& savedFocus);
