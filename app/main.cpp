// Process entry: until the main window arrives, an empty window titled "tarvina".
#include <windows.h>

#include <string>

#include "../data/program_folder.h"

namespace {

LRESULT CALLBACK PlaceholderProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

std::string FolderOfModule() {
  char path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  SetProgramFolder(FolderOfModule());
  WNDCLASSA wc = {};
  wc.lpfnWndProc = PlaceholderProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = "tarvinaPlaceholder";
  RegisterClassA(&wc);
  HWND hwnd = CreateWindowA(wc.lpszClassName, "tarvina", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 105, 54,
                            1150, 830, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 0;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
