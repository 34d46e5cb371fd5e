// "Guardar imagen" and other long work: a small window that shows how far
// the work has come, with "Cancelar". It appears only once the work has
// taken longer than `delayMs`, so quick work shows nothing but the hourglass.
// While it is shown, `owner` is disabled (nothing else can be started) and
// the messages waiting are handled at each step, so every window keeps
// painting and the program never looks hung.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

struct ProgressOpening;

class ProgressWindow {
 public:
  ProgressWindow(HWND owner, const char* title, const std::string& caption, DWORD delayMs);
  ~ProgressWindow();
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  // Shows `done` of `total`; false once the work should stop: "Cancelar",
  // Escape or the close box, the program ending (WM_QUIT, passed on when
  // the window goes), or `owner` gone.
  bool Step(int64_t done, int64_t total);

 private:
  void Show();
  void Pump();

  HWND owner_;
  std::string title_, caption_;
  DWORD delayMs_;
  ULONGLONG start_;
  HWND window_ = nullptr;
  std::unique_ptr<ProgressOpening> opening_;
  bool stopped_ = false;
  bool quitting_ = false;
  WPARAM quitCode_ = 0;
};

// Tests drive the window from here: called once it is shown. nullptr
// removes the hook.
void SetProgressWindowHook(void (*hook)(HWND window));
