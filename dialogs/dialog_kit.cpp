#include "dialog_kit.h"

#include <cstring>
#include <vector>

namespace {

const char kStateProperty[] = "tarvina.dialog";

struct DialogState {
  DLGPROC handler = nullptr;
  bool running = false;  // between RunDialog's start and the end of its loop
  bool ended = false;
  INT_PTR result = 0;
  HACCEL accelerators = nullptr;
};

DialogState* StateOf(HWND dialog) {
  return static_cast<DialogState*>(GetPropA(dialog, kStateProperty));
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

HWND CreateDialogWindow(const DialogFrame& frame, DLGPROC handler) {
  // DLGTEMPLATE without controls; the size is set in pixels afterwards.
  std::vector<WORD> t;
  DWORD style = (frame.style | DS_SETFONT) & ~WS_VISIBLE;
  t.push_back(LOWORD(style));
  t.push_back(HIWORD(style));
  t.push_back(LOWORD(frame.exStyle));
  t.push_back(HIWORD(frame.exStyle));
  t.push_back(0);                 // no controls
  t.insert(t.end(), {0, 0, 10, 10});  // x, y, cx, cy in dialog units
  t.push_back(0);                 // no menu
  t.push_back(0);                 // the standard dialog class
  AppendWide(t, frame.title);
  t.push_back(8);  // the program's default font: MS Sans Serif 8 points
  AppendWide(t, "MS Sans Serif");
  if (t.size() % 2) t.push_back(0);  // DWORD alignment of the whole block

  DialogState* state = new DialogState;
  state->handler = handler;
  HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                           reinterpret_cast<LPCDLGTEMPLATEA>(t.data()), nullptr,
                                           KitProc, reinterpret_cast<LPARAM>(state));
  if (!dialog) {
    delete state;
    return nullptr;
  }
  RECT r = {0, 0, frame.client.cx, frame.client.cy};
  AdjustWindowRectEx(&r, style, FALSE, frame.exStyle);
  SetWindowPos(dialog, nullptr, frame.position.x, frame.position.y, r.right - r.left,
               r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  return dialog;
}

HWND AddControl(HWND dialog, const ControlPlace& c) {
  HWND control = CreateWindowExA(c.exStyle, c.className, c.text, WS_CHILD | WS_VISIBLE | c.style,
                                 c.x, c.y, c.width, c.height, dialog,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                                 GetModuleHandleA(nullptr), nullptr);
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
    ShowWindow(dialog, SW_SHOW);
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
    HWND top = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    DialogState* target = top ? StateOf(top) : nullptr;
    if (target && target->accelerators && TranslateAcceleratorA(top, target->accelerators, &msg))
      continue;
    if (target && IsDialogMessageA(top, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }

  if (!state->ended && IsWindow(dialog)) DestroyWindow(dialog);
  INT_PTR result = state->result;
  delete state;
  // The application is ending: let the loops below this one end too.
  if (quitting) PostQuitMessage(int(quitCode));
  return result;
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
