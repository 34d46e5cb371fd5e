// Driving a dialog from inside its own modal loop: steps posted to a hidden
// window run in the order they were posted, between the dialog's messages.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <utility>

namespace dialog_driver {

inline LRESULT CALLBACK StepProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_APP) {
    auto* step = reinterpret_cast<std::function<void()>*>(lParam);
    (*step)();
    delete step;
    return 0;
  }
  return DefWindowProcA(window, msg, wParam, lParam);
}

inline HWND StepWindow() {
  static HWND window = nullptr;
  if (!window) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = StepProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "tarvina.test.steps";
    RegisterClassA(&wc);
    window = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             wc.hInstance, nullptr);
  }
  return window;
}

// Runs `step` once the messages posted before it have been handled.
inline void PostStep(std::function<void()> step) {
  PostMessageA(StepWindow(), WM_APP, 0,
               reinterpret_cast<LPARAM>(new std::function<void()>(std::move(step))));
}

inline std::string WindowText(HWND window) {
  char text[512] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

inline void Click(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

}  // namespace dialog_driver
