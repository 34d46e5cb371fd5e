// The dialog kit: pixel layout, the order of WM_INITDIALOG, ending, and
// loops that survive the application quitting underneath them.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/dialog_kit.h"

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

}  // namespace
