#include "go_to_date_dialog.h"

#include <commctrl.h>

#include <string>

#include "../app/message_box.h"
#include "../render/gdi_util.h"
#include "dialog_kit.h"
#include "resource.h"

namespace {

// Everything one opening needs, handed to the handler with WM_INITDIALOG.
struct GoToDateOpening {
  const GoToDateRequest* request = nullptr;
  CivilDate chosen;
  HFONT small = nullptr, large = nullptr;
  HWND savedFocus = nullptr;
};

void (*gHook)(HWND) = nullptr;

GoToDateOpening* OpeningOf(HWND dialog) {
  return reinterpret_cast<GoToDateOpening*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void AddControls(HWND dialog, const GoToDateOpening& opening) {
  const DWORD button = WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_FLAT;
  AddControlAt(dialog, IDC_GO_DATE, DATETIMEPICK_CLASSA, "", {8, 32, 158, 64},
               WS_TABSTOP | DTS_SHORTDATEFORMAT, WS_EX_CLIENTEDGE, opening.large);
  AddControlAt(dialog, IDC_GO_CAPTION, "STATIC", "Elige el día", {8, 8, 158, 30}, SS_LEFT, 0,
               opening.small);
  AddControlAt(dialog, IDC_GO_OK, "BUTTON", "Aceptar", {168, 8, 243, 32}, button, 0, opening.small);
  AddControlAt(dialog, IDC_GO_CANCEL, "BUTTON", "Cancelar", {168, 36, 243, 60}, button, 0,
               opening.small);
}

CivilDate PickerDate(HWND dialog) {
  SYSTEMTIME picked = {};
  SendDlgItemMessageA(dialog, IDC_GO_DATE, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&picked));
  CivilDate date;
  date.year = int16_t(picked.wYear);
  date.month = int16_t(picked.wMonth);
  date.day = int16_t(picked.wDay);
  return date;
}

void OnInitDialog(HWND dialog, GoToDateOpening* opening) {
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(opening));
  SYSTEMTIME shown = {};
  shown.wYear = WORD(opening->request->shown.year);
  shown.wMonth = WORD(opening->request->shown.month);
  shown.wDay = WORD(opening->request->shown.day);
  SendDlgItemMessageA(dialog, IDC_GO_DATE, DTM_SETSYSTEMTIME, GDT_VALID,
                      reinterpret_cast<LPARAM>(&shown));
  if (gHook) gHook(dialog);
}

void OnAccept(HWND dialog, GoToDateOpening& opening) {
  const CivilDate date = PickerDate(dialog);
  const GoToDateRequest& request = *opening.request;
  if (DateBefore(date, request.first) || DateBefore(request.last, date)) {
    ShowMessage("La fecha " + ShortDateText(date) + " no está en el almanaque, que va del " +
                ShortDateText(request.first) + " al " + ShortDateText(request.last) +
                ". Elija una fecha entre esas dos.");
    return;
  }
  opening.chosen = date;
  EndDialogWindow(dialog, 1);
}

INT_PTR CALLBACK GoToDateProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  GoToDateOpening* opening = OpeningOf(dialog);
  switch (msg) {
    case WM_INITDIALOG:
      OnInitDialog(dialog, reinterpret_cast<GoToDateOpening*>(lParam));
      return TRUE;  // the focus to the picker
    case WM_COMMAND:
      if (!opening) return TRUE;
      switch (LOWORD(wParam)) {
        case IDC_GO_OK:
        case IDOK:  // Enter
          OnAccept(dialog, *opening);
          break;
        case IDC_GO_CANCEL:
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

bool GoToDateDialog(const GoToDateRequest& request, CivilDate& chosen) {
  OwnedFont large(CreatePointFont("MS Sans Serif", 14, FW_BOLD, PlacementDpi()));
  OwnedFont small(CreatePointFont("MS Sans Serif", 10, FW_BOLD, PlacementDpi()));
  GoToDateOpening opening;
  opening.request = &request;
  opening.large = large;
  opening.small = small;

  DialogFrame frame;
  frame.title = "Ir a la fecha";
  frame.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
  frame.position = {860, 114};  // over the labels' right side, clear of the day boxes
  frame.client = {250, 72};
  HWND dialog = CreateDialogWindow(frame, GoToDateProc);
  if (!dialog) return false;
  AddControls(dialog, opening);
  // The fonts outlive the controls: the window is gone when this returns.
  if (RunDialog(dialog, reinterpret_cast<LPARAM>(&opening)) != 1) return false;
  chosen = opening.chosen;
  return true;
}

void SetGoToDateDialogHook(void (*hook)(HWND)) { gHook = hook; }
