// probe: reads the screen's windows as a person would read them, for the
// end-to-end tests. Run under Wine beside the program; prints UTF-8.
//
//   probe list                       visible top-level windows: handle, class, title, rect
//   probe wait <title> [seconds]     exit 0 once a visible window has this title, and print
//                                    it (alternatives may be given as "a|b|c")
//   probe gone <title> [seconds]     exit 0 once no visible window has this title
//   probe rect <title> [id]          "window L T R B" and "client L T R B" (screen coordinates)
//   probe children <title>           each child control: id, class, enabled, visible, text
//   probe layout <title>             "client L T R B", then each visible control: id, class,
//                                    rect, width of its text
//   probe text <title> <id>          the text of one control (or of the window, id 0)
//   probe focus                      the focused control: "<window title>\t<id>\t<class>"
//   probe command <title> <id>       posts WM_COMMAND <id> to the window, like a menu choice
//   probe raise <title>              brings the window to the front and activates it, as a
//                                    click on its taskbar button would
//   probe metrics                    caption, menu bar and border sizes of the system
//   probe idle [title]               waits until the window (or every visible window) has
//                                    handled what was sent to it before
//   probe start                      runs the exact command line in PROBE_COMMAND_LINE, prints
//                                    the process id, waits for it and exits with its exit code
//   probe terminate <process id>     ends a process started that way
//   probe accessible <title> <id>    asks the control for its accessible object, as a screen
//                                    reader does from its own process: its role and name, then
//                                    each child: "<id>\t<role>\t<name>\t<value>"
//   probe hold <file> <seconds>      opens the file with no sharing (creating it if need be),
//                                    prints "held" and keeps it open that long, as another
//                                    program holding the file would
//
// Exit code 0 on success, 1 when the window or control is not there, 2 on bad usage.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::wstring Wide(const char* text) {
  int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring wide(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1) MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], n);
  return wide;
}

std::string Utf8(const std::wstring& text) {
  int n =
      WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  if (n > 0)
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

// The text a control holds now (asked from its own process, not the cached caption).
std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
    return std::wstring();
  std::vector<wchar_t> buffer(length + 2, L'\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                      SMTO_ABORTIFHUNG, 2000, &got);
  return buffer.data();
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

std::wstring TitleOf(HWND window) {
  wchar_t title[1024] = {};
  GetWindowTextW(window, title, 1024);
  return title;
}

std::vector<HWND> TopWindows() {
  std::vector<HWND> windows;
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        if (IsWindowVisible(w)) reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

HWND FindTop(const std::wstring& title) {
  for (HWND w : TopWindows())
    if (TitleOf(w) == title) return w;
  return nullptr;
}

// The first visible window whose title is one of "a|b|c".
HWND FindAny(const std::wstring& titles, std::wstring& found) {
  size_t start = 0;
  for (;;) {
    size_t bar = titles.find(L'|', start);
    std::wstring one = titles.substr(start, bar == std::wstring::npos ? bar : bar - start);
    if (HWND w = FindTop(one)) {
      found = one;
      return w;
    }
    if (bar == std::wstring::npos) return nullptr;
    start = bar + 1;
  }
}

void Print(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

std::string RectText(const RECT& r) {
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
         " " + std::to_string(r.bottom);
}

int Wait(const std::wstring& titles, double seconds, bool present) {
  DWORD end = GetTickCount() + DWORD(seconds * 1000);
  for (;;) {
    std::wstring found;
    bool there = FindAny(titles, found) != nullptr;
    if (there == present) {
      if (there) Print(Utf8(found));
      return 0;
    }
    if (LONG(GetTickCount() - end) >= 0) return 1;
    Sleep(100);
  }
}

int List() {
  for (HWND w : TopWindows()) {
    RECT r;
    GetWindowRect(w, &r);
    char handle[32];
    std::snprintf(handle, sizeof handle, "%p", static_cast<void*>(w));
    Print(std::string(handle) + "\t" + Utf8(ClassOf(w)) + "\t" + Utf8(TitleOf(w)) + "\t" +
          RectText(r));
  }
  return 0;
}

int Rect(HWND top, int argc, char** argv) {
  HWND w = top;
  if (argc > 3) {
    w = GetDlgItem(top, std::atoi(argv[3]));
    if (!w) return 1;
  }
  RECT r, c;
  GetWindowRect(w, &r);
  GetClientRect(w, &c);
  MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&c), 2);
  Print("window " + RectText(r));
  Print("client " + RectText(c));
  return 0;
}

int Children(HWND top) {
  for (HWND c = GetWindow(top, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    Print(std::to_string(GetDlgCtrlID(c)) + "\t" + Utf8(ClassOf(c)) + "\t" +
          (IsWindowEnabled(c) ? "enabled" : "disabled") + "\t" +
          (IsWindowVisible(c) ? "visible" : "hidden") + "\t" + Utf8(TextOf(c)));
  }
  return 0;
}

// The client of `top` and each visible control's rectangle, in screen
// coordinates: "client L T R B", then "id class L T R B W" a control, W
// the width of its text in its font (0 for none).
int Layout(HWND top) {
  RECT c;
  GetClientRect(top, &c);
  MapWindowPoints(top, nullptr, reinterpret_cast<POINT*>(&c), 2);
  Print("client " + RectText(c));
  for (HWND w = GetWindow(top, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
    if (!IsWindowVisible(w)) continue;
    RECT r;
    GetWindowRect(w, &r);
    const std::wstring text = TextOf(w);
    SIZE extent = {0, 0};
    if (!text.empty()) {
      HDC dc = GetDC(w);
      HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(w, WM_GETFONT, 0, 0)));
      GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &extent);
      SelectObject(dc, old);
      ReleaseDC(w, dc);
    }
    Print(std::to_string(GetDlgCtrlID(w)) + " " + Utf8(ClassOf(w)) + " " + RectText(r) + " " +
          std::to_string(extent.cx));
  }
  return 0;
}

int Focus() {
  HWND foreground = GetForegroundWindow();
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!foreground || !GetGUIThreadInfo(GetWindowThreadProcessId(foreground, nullptr), &info) ||
      !info.hwndFocus)
    return 1;
  HWND top = GetAncestor(info.hwndFocus, GA_ROOT);
  int id = info.hwndFocus == top ? 0 : GetDlgCtrlID(info.hwndFocus);
  Print(Utf8(TitleOf(top)) + "\t" + std::to_string(id) + "\t" + Utf8(ClassOf(info.hwndFocus)));
  return 0;
}

int Start() {
  const wchar_t* line = _wgetenv(L"PROBE_COMMAND_LINE");
  if (!line || !*line) return 2;
  std::vector<wchar_t> commandLine(line, line + wcslen(line) + 1);
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &si, &pi))
    return 3;
  Print(std::to_string(pi.dwProcessId));
  std::fflush(stdout);
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return int(code);
}

int Terminate(DWORD id) {
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
  if (!process) return 1;
  BOOL ok = TerminateProcess(process, 9);
  WaitForSingleObject(process, 5000);
  CloseHandle(process);
  return ok ? 0 : 1;
}

int Idle(HWND only) {
  std::vector<HWND> windows = only ? std::vector<HWND>{only} : TopWindows();
  for (HWND w : windows) {
    DWORD_PTR unused = 0;
    SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 15000, &unused);
  }
  return 0;
}

int Hold(const std::wstring& path, double seconds) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  Print("held");
  std::fflush(stdout);
  Sleep(DWORD(seconds * 1000));
  CloseHandle(file);
  return 0;
}

int Usage() {
  std::fputs(
      "usage: probe list | wait|gone <title> [s] | rect <title> [id] | children <title> |\n"
      "       text <title> <id> | focus | command <title> <id> | raise <title> |\n"
      "       metrics | start |\n"
      "       terminate <process id> | idle [title] | hold <file> <seconds>\n",
      stderr);
  return 2;
}

std::wstring TakeText(BSTR text) {
  std::wstring out = text ? std::wstring(text, SysStringLen(text)) : L"";
  SysFreeString(text);
  return out;
}

int Accessible(HWND control) {
  if (!control) return 1;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IAccessible* acc = nullptr;
  HRESULT hr = AccessibleObjectFromWindow(control, DWORD(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&acc));
  if (FAILED(hr) || !acc) {
    char code[32];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
    Print(std::string("no object: ") + code);
    return 1;
  }
  auto line = [&](LONG id) {
    VARIANT child;
    child.vt = VT_I4;
    child.lVal = id;
    VARIANT role;
    VariantInit(&role);
    acc->get_accRole(child, &role);
    BSTR name = nullptr, value = nullptr;
    acc->get_accName(child, &name);
    acc->get_accValue(child, &value);
    Print(std::to_string(id) + "\t" + std::to_string(role.vt == VT_I4 ? role.lVal : -1) + "\t" +
          Utf8(TakeText(name)) + "\t" + Utf8(TakeText(value)));
  };
  line(CHILDID_SELF);
  long count = 0;
  acc->get_accChildCount(&count);
  for (LONG id = 1; id <= count; ++id) line(id);
  acc->Release();
  CoUninitialize();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  // Titles and paths as given, in any script (argv has them in the code page).
  int wideCount = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &wideCount);
  auto Arg = [&](int i) { return wide && i < wideCount ? std::wstring(wide[i]) : Wide(argv[i]); };
  if (argc < 2) return Usage();
  std::string command = argv[1];
  if (command == "list") return List();
  if (command == "focus") return Focus();
  if (command == "start") return Start();
  if (command == "idle" && argc < 3) return Idle(nullptr);
  if (command == "metrics") {
    Print("caption " + std::to_string(GetSystemMetrics(SM_CYCAPTION)));
    Print("menu " + std::to_string(GetSystemMetrics(SM_CYMENU)));
    Print("border " + std::to_string(GetSystemMetrics(SM_CXBORDER)) + " " +
          std::to_string(GetSystemMetrics(SM_CYBORDER)));
    Print("frame " + std::to_string(GetSystemMetrics(SM_CXFIXEDFRAME)) + " " +
          std::to_string(GetSystemMetrics(SM_CYFIXEDFRAME)));
    return 0;
  }
  if (argc < 3) return Usage();
  if (command == "terminate") return Terminate(DWORD(std::strtoul(argv[2], nullptr, 10)));
  if (command == "hold") return Hold(Arg(2), argc > 3 ? std::atof(argv[3]) : 10.0);
  std::wstring title = Arg(2);
  if (command == "wait" || command == "gone")
    return Wait(title, argc > 3 ? std::atof(argv[3]) : 10.0, command == "wait");

  HWND top = FindTop(title);
  if (!top) return 1;
  if (command == "rect") return Rect(top, argc, argv);
  if (command == "idle") return Idle(top);
  if (command == "children") return Children(top);
  if (command == "layout") return Layout(top);
  if (command == "raise") return SetForegroundWindow(top) ? 0 : 1;
  if (argc < 4) return Usage();
  int id = std::atoi(argv[3]);
  if (command == "text") {
    HWND w = id ? GetDlgItem(top, id) : top;
    if (!w) return 1;
    Print(Utf8(TextOf(w)));
    return 0;
  }
  if (command == "accessible") return Accessible(GetDlgItem(top, id));
  if (command == "command") return PostMessageW(top, WM_COMMAND, MAKEWPARAM(id, 0), 0) ? 0 : 1;
  return Usage();
}
