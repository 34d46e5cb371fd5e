#include "progress_dialog.h"

#include <commctrl.h>

#include "../render/gdi_util.h"
#include "../render/scale.h"
#include "dialog_kit.h"
#include "resource.h"

// What the window's handler needs, for as long as the window lives.
struct ProgressOpening {
  OwnedFont font{CreatePointFont("MS Sans Serif", 10, FW_BOLD, PlacementDpi())};
  bool cancelled = false;
  HWND savedFocus = nullptr;
};

namespace {

constexpr SIZE kClient = {330, 92};
constexpr int kSteps = 1000;  // the bar's range

void (*gHook)(HWND) = nullptr;

INT_PTR CALLBACK ProgressProc(HWND window, UINT msg, WPARAM wParam, LPARAM) {
  auto* opening = reinterpret_cast<ProgressOpening*>(GetWindowLongPtrA(window, DWLP_USER));
  if (!opening) return FALSE;
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_PROGRESS_CANCEL || LOWORD(wParam) == IDCANCEL)  // or Escape
        opening->cancelled = true;
      return TRUE;
    case WM_CLOSE:  // Alt+F4: a cancel too; the window goes with the work
      opening->cancelled = true;
      return TRUE;
    case WM_NCACTIVATE:
      KeepFocusAcrossActivation(wParam, opening->savedFocus);
      return FALSE;
  }
  return FALSE;
}

}  // namespace

ProgressWindow::ProgressWindow(HWND owner, const char* title, const std::string& caption,
                               DWORD delayMs)
    : owner_(owner),
      title_(title),
      caption_(caption),
      delayMs_(delayMs),
      start_(GetTickCount64()) {}

ProgressWindow::~ProgressWindow() {
  if (window_ && IsWindow(window_)) {
    // The owner first, so that it is the window activated when this one goes.
    if (owner_ && IsWindow(owner_)) {
      EnableWindow(owner_, TRUE);
      SetActiveWindow(owner_);
    }
    DestroyWindow(window_);
  }
  if (quitting_) PostQuitMessage(int(quitCode_));
}

void ProgressWindow::Show() {
  opening_ = std::make_unique<ProgressOpening>();
  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&classes);

  DialogFrame frame;
  frame.title = title_.c_str();
  frame.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
  RECT over = {0, 0, 0, 0};
  if (owner_) GetWindowRect(owner_, &over);
  const int dpi = PlacementDpi();
  frame.position = {(over.left + over.right - Scaled(int(kClient.cx), dpi)) / 2,
                    (over.top + over.bottom - Scaled(int(kClient.cy), dpi)) / 2};
  frame.positionInScreenPixels = true;  // over the owner, wherever it is
  frame.client = kClient;
  window_ = CreateDialogWindow(frame, ProgressProc);
  if (!window_) return;  // the work goes on under the hourglass
  SetWindowLongPtrA(window_, DWLP_USER, reinterpret_cast<LONG_PTR>(opening_.get()));
  const HFONT font = opening_->font;
  AddControlAt(window_, IDC_PROGRESS_CAPTION, "STATIC", caption_.c_str(), {8, 8, 322, 28},
               SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 0, font);
  HWND bar =
      AddControlAt(window_, IDC_PROGRESS_BAR, PROGRESS_CLASSA, "", {8, 32, 322, 52}, 0, 0, font);
  HWND cancel =
      AddControlAt(window_, IDC_PROGRESS_CANCEL, "BUTTON", "Cancelar", {247, 60, 322, 84},
                   WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_FLAT, 0, font);
  if (bar) SendMessageA(bar, PBM_SETRANGE32, 0, kSteps);
  if (owner_) EnableWindow(owner_, FALSE);
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  if (cancel) SetFocus(cancel);
  UpdateWindow(window_);
  if (gHook) gHook(window_);
}

void ProgressWindow::Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quitting_ = true;
      quitCode_ = msg.wParam;
      stopped_ = true;
      return;
    }
    if (IsWindow(window_) && IsDialogMessageA(window_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

bool ProgressWindow::Step(int64_t done, int64_t total) {
  if (stopped_) return false;
  if (!window_ && GetTickCount64() - start_ >= delayMs_) Show();
  if (window_) {
    const int64_t at = total > 0 ? done * kSteps / total : 0;
    SendDlgItemMessageA(window_, IDC_PROGRESS_BAR, PBM_SETPOS, WPARAM(at), 0);
    Pump();
    if (opening_->cancelled) stopped_ = true;
  }
  if (owner_ && !IsWindow(owner_)) stopped_ = true;
  return !stopped_;
}

void SetProgressWindowHook(void (*hook)(HWND)) { gHook = hook; }
