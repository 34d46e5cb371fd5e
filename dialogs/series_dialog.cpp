#include "series_dialog.h"

#include "dialog_kit.h"
#include "resource.h"

namespace {

struct SeriesOpening {
  HWND savedFocus = nullptr;
};

void (*gHook)(HWND) = nullptr;

void Add(HWND dialog, int id, const char* className, const char* text, RECT r, DWORD style) {
  ControlPlace c;
  c.id = id;
  c.className = className;
  c.text = text;
  c.x = r.left, c.y = r.top, c.width = r.right - r.left, c.height = r.bottom - r.top;
  c.style = style;
  AddControl(dialog, c);  // in the dialog's own font
}

INT_PTR CALLBACK SeriesProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* opening = reinterpret_cast<SeriesOpening*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      if (gHook) gHook(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_SERIES_THIS:
          EndDialogWindow(dialog, INT_PTR(SeriesChoice::ThisOne));
          break;
        case IDC_SERIES_FOLLOWING:
          EndDialogWindow(dialog, INT_PTR(SeriesChoice::ThisAndFollowing));
          break;
        case IDC_SERIES_CANCEL:
        case IDCANCEL:  // Escape
          EndDialogWindow(dialog, INT_PTR(SeriesChoice::Cancel));
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

SeriesChoice SeriesDialog() {
  DialogFrame frame;
  frame.title = "Serie";
  frame.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
  frame.position = {300, 300};
  frame.client = {400, 84};
  HWND dialog = CreateDialogWindow(frame, SeriesProc);
  if (!dialog) return SeriesChoice::Cancel;
  const DWORD button = WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER;
  Add(dialog, IDC_SERIES_QUESTION, "STATIC",
      "¿Solo esta etiqueta, o también las siguientes de la serie?", {12, 12, 388, 32}, SS_LEFT);
  Add(dialog, IDC_SERIES_THIS, "BUTTON", "Solo esta", {12, 44, 112, 72}, button | BS_DEFPUSHBUTTON);
  Add(dialog, IDC_SERIES_FOLLOWING, "BUTTON", "Esta y las siguientes", {120, 44, 280, 72}, button);
  Add(dialog, IDC_SERIES_CANCEL, "BUTTON", "Cancelar", {288, 44, 388, 72}, button);
  SeriesOpening opening;
  const INT_PTR chosen = RunDialog(dialog, reinterpret_cast<LPARAM>(&opening));
  return chosen == INT_PTR(SeriesChoice::ThisOne) ||
                 chosen == INT_PTR(SeriesChoice::ThisAndFollowing)
             ? SeriesChoice(chosen)
             : SeriesChoice::Cancel;
}

void SetSeriesDialogHook(void (*hook)(HWND)) { gHook = hook; }
