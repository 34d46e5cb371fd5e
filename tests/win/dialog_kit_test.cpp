// The dialog kit: pixel layout, the order of WM_INITDIALOG, ending, loops
// that survive the application quitting underneath them, and windows fitted
// to the screen.
#include "dialogs/dialog_kit.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/window_place.h"

namespace {

struct Seen {
  std::vector<UINT> messages;
  std::vector<WORD> commandIds;
  bool editExistedAtInit = false;
  bool visibleAtInit = true;
  LPARAM initParam = 0;
};
Seen gSeen;

INT_PTR CALLBACK Recorder(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  gSeen.messages.push_back(msg);
  if (msg == WM_COMMAND) gSeen.commandIds.push_back(LOWORD(wParam));
  if (msg == WM_INITDIALOG) {
    gSeen.editExistedAtInit = GetDlgItem(dialog, 10) != nullptr;
    gSeen.visibleAtInit = IsWindowVisible(dialog);
    gSeen.initParam = lParam;
    return FALSE;
  }
  if (msg == WM_COMMAND && LOWORD(wParam) == 11) {
    EndDialogWindow(dialog, 42);
    return TRUE;
  }
  return FALSE;
}

HWND MakeDialog(DLGPROC proc) {
  DialogFrame frame;
  frame.title = "Prueba";
  frame.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
  frame.position = {105, 114};
  frame.client = {250, 218};
  HWND dialog = CreateDialogWindow(frame, proc);
  ControlPlace edit;
  edit.id = 10;
  edit.className = "EDIT";
  edit.x = 8, edit.y = 89, edit.width = 150, edit.height = 32;
  edit.style = WS_TABSTOP;
  AddControl(dialog, edit);
  ControlPlace button;
  button.id = 11;
  button.className = "BUTTON";
  button.text = "Aceptar";
  button.x = 168, button.y = 8, button.width = 75, button.height = 24;
  button.style = WS_TABSTOP | BS_PUSHBUTTON;
  AddControl(dialog, button);
  return dialog;
}

TEST(DialogKit, LaysOutInPixelsAndInitialisesAfterTheControls) {
  gSeen = Seen();
  HWND dialog = MakeDialog(Recorder);
  ASSERT_NE(dialog, nullptr);
  RECT client;
  GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, 250);
  EXPECT_EQ(client.bottom, 218);
  POINT origin = {0, 0};
  ClientToScreen(dialog, &origin);
  RECT window;
  GetWindowRect(dialog, &window);
  EXPECT_EQ(window.left, 105);
  EXPECT_EQ(window.top, 114);
  HWND edit = GetDlgItem(dialog, 10);
  RECT er;
  GetWindowRect(edit, &er);
  EXPECT_EQ(er.left - origin.x, 8);
  EXPECT_EQ(er.top - origin.y, 89);
  EXPECT_EQ(er.right - er.left, 150);
  for (UINT m : gSeen.messages) EXPECT_NE(m, UINT(WM_INITDIALOG)) << "too early";

  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(11, BN_CLICKED), 0);
  INT_PTR result = RunDialog(dialog, 77);
  EXPECT_EQ(result, 42);
  EXPECT_TRUE(gSeen.editExistedAtInit);
  EXPECT_FALSE(gSeen.visibleAtInit);
  EXPECT_EQ(gSeen.initParam, 77);
  EXPECT_FALSE(IsWindow(dialog));
}

TEST(DialogKit, EscapeAndEnterDoNotEndButCloseDoes) {
  gSeen = Seen();
  HWND dialog = MakeDialog(Recorder);
  // Escape and Enter become IDCANCEL / IDOK commands the handler ignores.
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
  PostMessageA(dialog, WM_CLOSE, 0, 0);
  INT_PTR result = RunDialog(dialog, 0);
  EXPECT_EQ(result, 0);
  // Both commands arrived while the dialog lived on; only the close ended it.
  std::vector<WORD> expected = {IDCANCEL, IDOK};
  std::vector<WORD> got;
  for (WORD id : gSeen.commandIds)
    if (id == IDOK || id == IDCANCEL) got.push_back(id);
  EXPECT_EQ(got, expected);
}

HWND gOuter = nullptr;
INT_PTR CALLBACK OuterProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WM_COMMAND && LOWORD(wParam) == 11) {
    // A nested dialog whose loop is running when the outer window goes.
    HWND inner = MakeDialog(Recorder);
    PostMessageA(dialog, WM_USER + 1, 0, 0);
    RunDialog(inner, 0);
    EXPECT_FALSE(IsWindow(inner));
    return TRUE;
  }
  if (msg == WM_USER + 1) {
    EndDialogWindow(dialog, 5);
    return TRUE;
  }
  if (msg == WM_DESTROY) PostQuitMessage(0);
  return FALSE;
}

TEST(DialogKit, EndingTheOuterWindowEndsANestedLoopToo) {
  gSeen = Seen();
  gOuter = MakeDialog(OuterProc);
  PostMessageA(gOuter, WM_COMMAND, MAKEWPARAM(11, BN_CLICKED), 0);
  INT_PTR result = RunDialog(gOuter, 0);
  EXPECT_EQ(result, 5);
  EXPECT_FALSE(IsWindow(gOuter));
  // The quit was passed on to us; take it so later tests run normally.
  MSG msg;
  bool sawQuit = false;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) sawQuit |= msg.message == WM_QUIT;
  EXPECT_TRUE(sawQuit);
}

TEST(DialogKit, FocusComesBackAfterDeactivation) {
  HWND dialog = MakeDialog(Recorder);
  ShowWindow(dialog, SW_SHOW);
  HWND edit = GetDlgItem(dialog, 10);
  SetFocus(edit);
  HWND saved = nullptr;
  KeepFocusAcrossActivation(0, saved);
  EXPECT_EQ(saved, edit);
  SetFocus(GetDlgItem(dialog, 11));
  KeepFocusAcrossActivation(1, saved);
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(saved, nullptr);
  DestroyWindow(dialog);
}

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// A 1366 x 768 screen less a 40-pixel taskbar, and a 1400 x 1000 one.
constexpr RECT kLaptop = {0, 0, 1366, 728};
constexpr RECT kBig = {0, 0, 1400, 1000};

TEST(DialogKit, WindowsOpenInsideTheWorkAreaAndOnlyACutDialogScrolls) {
  const RECT label = {100, 50, 1069, 940};  // taller than the laptop's work area
  DialogPlace p = FitDialog(label, kBig, true, 17);
  EXPECT_TRUE(Same(p.window, label) && !p.scrolls) << "a screen that holds it: as laid out";
  p = FitDialog(label, kLaptop, true, 17);
  EXPECT_TRUE(Same(p.window, RECT{100, 0, 1086, 728})) << "at the top, cut, scroll bar beside";
  EXPECT_TRUE(p.scrolls);
  p = FitDialog(label, kLaptop, false, 17);
  EXPECT_TRUE(Same(p.window, RECT{100, 0, 1069, 890}) && !p.scrolls)
      << "may not scroll: moved only";
  p = FitDialog(RECT{1200, 700, 1500, 900}, kLaptop, true, 17);
  EXPECT_TRUE(Same(p.window, RECT{1066, 528, 1366, 728})) << "moved in from the corner";
  const RECT second = {1366, 0, 3286, 1040};  // a screen right of the first
  p = FitDialog(RECT{100, 50, 400, 250}, second, true, 17);
  EXPECT_TRUE(Same(p.window, RECT{1366, 50, 1666, 250}));

  // The main window: shrunk to fit, restored only where it fits.
  EXPECT_TRUE(Same(FitWindow(RECT{104, 53, 1246, 851}, kLaptop), RECT{104, 0, 1246, 728}));
  RECT r{};
  EXPECT_TRUE(RestorableRect(RECT{104, 53, 1004, 653}, &kBig, r));
  EXPECT_TRUE(Same(r, RECT{104, 53, 1004, 653}));
  EXPECT_TRUE(RestorableRect(RECT{-50, 600, 850, 1200}, &kBig, r));
  EXPECT_TRUE(Same(r, RECT{0, 400, 900, 1000})) << "moved inside the screen it reaches";
  EXPECT_FALSE(RestorableRect(RECT{104, 53, 1246, 851}, &kLaptop, r)) << "larger than the screen";
  EXPECT_FALSE(RestorableRect(RECT{104, 53, 1004, 653}, nullptr, r)) << "on no screen";
}

TEST(DialogKit, WindowPlaceIsKeptPerUserAndAPartOfItIsNothing) {
  const wchar_t key[] = L"Software\\tarvina-test-place";
  RegDeleteKeyW(HKEY_CURRENT_USER, key);
  WindowPlace place;
  EXPECT_FALSE(ReadWindowPlace(key, place));
  place.normal = RECT{-1800, 20, -900, 620};  // a screen left of the main one
  place.maximized = true;
  WriteWindowPlace(key, place);
  WindowPlace back;
  ASSERT_TRUE(ReadWindowPlace(key, back));
  EXPECT_TRUE(Same(back.normal, place.normal));
  EXPECT_TRUE(back.maximized);
  HKEY k;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_SET_VALUE, &k), ERROR_SUCCESS);
  RegDeleteValueW(k, L"WindowHeight");
  RegCloseKey(k);
  EXPECT_FALSE(ReadWindowPlace(key, back));
  RegDeleteKeyW(HKEY_CURRENT_USER, key);
}

// A dialog laid out taller than the work area: cut to it, with a scroll bar
// that reaches every control.
TEST(DialogKit, ADialogTallerThanTheScreenScrollsToItsLastControl) {
  const RECT work = PlacementWorkArea(RECT{0, 0, 100, 100});
  DialogFrame frame;
  frame.title = "Alta";
  frame.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
  frame.position = {105, 114};
  frame.client = {300, int(work.bottom - work.top) + 300};
  HWND dialog = CreateDialogWindow(frame, Recorder);
  ASSERT_NE(dialog, nullptr);
  ControlPlace button;
  button.id = 11;
  button.className = "BUTTON";
  button.text = "Aceptar";
  button.x = 8, button.y = frame.client.cy - 32, button.width = 75, button.height = 24;
  button.style = WS_TABSTOP | BS_PUSHBUTTON;
  HWND ok = AddControl(dialog, button);
  RECT window, client;
  GetWindowRect(dialog, &window);
  GetClientRect(dialog, &client);
  EXPECT_EQ(window.top, work.top);
  EXPECT_EQ(window.bottom, work.bottom);
  EXPECT_TRUE(GetWindowLongA(dialog, GWL_STYLE) & WS_VSCROLL);
  EXPECT_EQ(client.right, 300) << "the scroll bar beside the laid-out width";
  SCROLLINFO si = {};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(dialog, SB_VERT, &si));
  EXPECT_EQ(si.nMax, frame.client.cy - 1);
  EXPECT_EQ(int(si.nPage), client.bottom);

  auto okInSight = [&] {
    RECT r;
    GetWindowRect(ok, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r.top >= 0 && r.bottom <= client.bottom;
  };
  ShowWindow(dialog, SW_SHOWNA);  // as RunDialog shows it
  EXPECT_FALSE(okInSight());
  SendMessageA(dialog, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA * 20)), 0);
  EXPECT_TRUE(okInSight()) << "the wheel scrolls to the end";
  EXPECT_EQ(GetScrollPos(dialog, SB_VERT), frame.client.cy - client.bottom);
  SendMessageA(dialog, WM_VSCROLL, SB_TOP, 0);
  EXPECT_FALSE(okInSight());
  EXPECT_EQ(GetScrollPos(dialog, SB_VERT), 0);
  DestroyWindow(dialog);
}

}  // namespace
