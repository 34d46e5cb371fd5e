#include "find_dialog.h"

#include "../app/message_box.h"
#include "../data/label_file.h"
#include "../render/gdi_util.h"
#include "dialog_kit.h"
#include "resource.h"

namespace {

// Everything one opening needs, handed to the handler with WM_INITDIALOG.
struct FindOpening {
  const FindRequest* request = nullptr;
  std::string text;
  HFONT small = nullptr, large = nullptr;
  HWND savedFocus = nullptr;
};

void (*gHook)(HWND) = nullptr;

FindOpening* OpeningOf(HWND dialog) {
  return reinterpret_cast<FindOpening*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void AddControls(HWND dialog, const FindOpening& opening) {
  const DWORD button = WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_FLAT;
  AddControlAt(dialog, IDC_FIND_TEXT, "EDIT", "", {8, 32, 238, 64}, WS_TABSTOP | ES_AUTOHSCROLL,
               WS_EX_CLIENTEDGE, opening.large);
  AddControlAt(dialog, IDC_FIND_CAPTION, "STATIC", "Texto que buscar en las etiquetas",
               {8, 8, 238, 30}, SS_LEFT, 0, opening.small);
  AddControlAt(dialog, IDC_FIND_OK, "BUTTON", "Buscar", {248, 8, 323, 32}, button, 0,
               opening.small);
  AddControlAt(dialog, IDC_FIND_CANCEL, "BUTTON", "Cancelar", {248, 36, 323, 60}, button, 0,
               opening.small);
}

std::string BoxText(HWND dialog) {
  HWND box = GetDlgItem(dialog, IDC_FIND_TEXT);
  int length = GetWindowTextLengthA(box);
  std::string text(length > 0 ? length + 1 : 1, '\0');
  int got = GetWindowTextA(box, &text[0], int(text.size()));
  text.resize(got > 0 ? got : 0);
  return text;
}

void OnInitDialog(HWND dialog, FindOpening* opening) {
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(opening));
  // A label line holds at most this much, so a longer text is never found.
  SendDlgItemMessageA(dialog, IDC_FIND_TEXT, EM_LIMITTEXT, kMaxLineBytes, 0);
  SetDlgItemTextA(dialog, IDC_FIND_TEXT, opening->request->text.c_str());
  SendDlgItemMessageA(dialog, IDC_FIND_TEXT, EM_SETSEL, 0, -1);
  if (gHook) gHook(dialog);
}

void OnFind(HWND dialog, FindOpening& opening) {
  const std::string text = BoxText(dialog);
  if (text.empty()) {
    ShowMessage("Escriba el texto que desea buscar.");
    return;
  }
  if (!opening.request->occurs || !opening.request->occurs(text)) {
    ShowMessage("No se encontró \"" + text + "\".");
    return;
  }
  opening.text = text;
  EndDialogWindow(dialog, 1);
}

INT_PTR CALLBACK FindProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  FindOpening* opening = OpeningOf(dialog);
  switch (msg) {
    case WM_INITDIALOG:
      OnInitDialog(dialog, reinterpret_cast<FindOpening*>(lParam));
      return TRUE;  // the focus to the text box
    case WM_COMMAND:
      if (!opening) return TRUE;
      switch (LOWORD(wParam)) {
        case IDC_FIND_OK:
        case IDOK:  // Enter
          OnFind(dialog, *opening);
          break;
        case IDC_FIND_CANCEL:
        case IDCANCEL:  // Escape
          EndDialogWindow(dialog, 0);
          break;
      }
      return TRUE;
    case WM_NCACTIVATE:
      if (opening) KeepFocusAcrossActivation(wParam, opening->savedFocus);
      return FALSE;
  }
  return FALSE;
}

}  // namespace

bool FindDialog(const FindRequest& request, std::string& text) {
  OwnedFont large(CreatePointFont("MS Sans Serif", 14, FW_BOLD, PlacementDpi()));
  OwnedFont small(CreatePointFont("MS Sans Serif", 10, FW_BOLD, PlacementDpi()));
  FindOpening opening;
  opening.request = &request;
  opening.large = large;
  opening.small = small;

  DialogFrame frame;
  frame.title = "Buscar";
  frame.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
  frame.position = {860, 114};  // over the labels' right side, clear of the day boxes
  frame.client = {330, 72};
  HWND dialog = CreateDialogWindow(frame, FindProc);
  if (!dialog) return false;
  AddControls(dialog, opening);
  // The fonts outlive the controls: the window is gone when this returns.
  if (RunDialog(dialog, reinterpret_cast<LPARAM>(&opening)) != 1) return false;
  text = opening.text;
  return true;
}

void SetFindDialogHook(void (*hook)(HWND)) { gHook = hook; }
