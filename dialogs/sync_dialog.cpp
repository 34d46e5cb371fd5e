#include "sync_dialog.h"

#include "../app/wide.h"
#include "../render/gdi_util.h"
#include "dialog_kit.h"
#include "resource.h"

namespace {

struct SyncOpening {
  const SyncRequest* request = nullptr;
  SyncDraft draft;
  HFONT font = nullptr;
  HWND savedFocus = nullptr;
};

void (*gHook)(HWND) = nullptr;

SyncOpening* OpeningOf(HWND dialog) {
  return reinterpret_cast<SyncOpening*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void AddControls(HWND dialog, HFONT font) {
  const DWORD button = WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER;
  const DWORD box = WS_TABSTOP | ES_AUTOHSCROLL;
  AddControlAt(dialog, IDC_SYNC_ADDRESS_CAPTION, "STATIC",
               "Dirección del calendario (CalDAV):", {8, 8, 432, 24}, SS_LEFT, 0, font);
  AddControlAt(dialog, IDC_SYNC_ADDRESS, "EDIT", "", {8, 26, 432, 50}, box, WS_EX_CLIENTEDGE, font);
  AddControlAt(dialog, IDC_SYNC_USER_CAPTION, "STATIC", "Usuario:", {8, 60, 216, 76}, SS_LEFT, 0,
               font);
  AddControlAt(dialog, IDC_SYNC_USER, "EDIT", "", {8, 78, 216, 102}, box, WS_EX_CLIENTEDGE, font);
  AddControlAt(dialog, IDC_SYNC_PASSWORD_CAPTION, "STATIC", "Contraseña:", {224, 60, 432, 76},
               SS_LEFT, 0, font);
  AddControlAt(dialog, IDC_SYNC_PASSWORD, "EDIT", "", {224, 78, 432, 102}, box | ES_PASSWORD,
               WS_EX_CLIENTEDGE, font);
  AddControlAt(dialog, IDC_SYNC_NOW, "BUTTON", "Sincronizar ahora", {8, 116, 148, 142},
               button | BS_DEFPUSHBUTTON, 0, font);
  AddControlAt(dialog, IDC_SYNC_UNLINK, "BUTTON", "Quitar el enlace", {156, 116, 296, 142}, button,
               0, font);
  AddControlAt(dialog, IDC_SYNC_CLOSE, "BUTTON", "Cerrar", {342, 116, 432, 142}, button, 0, font);
}

// The boxes hold UTF-8 text of any script: read and written wide.
std::string BoxText(HWND dialog, int id) {
  HWND box = GetDlgItem(dialog, id);
  const int length = GetWindowTextLengthW(box);
  std::wstring text(size_t(length > 0 ? length + 1 : 1), L'\0');
  const int got = GetWindowTextW(box, &text[0], int(text.size()));
  text.resize(size_t(got > 0 ? got : 0));
  return Narrow(text);
}

void SetBoxText(HWND dialog, int id, const std::string& text) {
  SetWindowTextW(GetDlgItem(dialog, id), Widen(text).c_str());
}

void ReadBoxes(HWND dialog, SyncDraft& draft) {
  draft.address = BoxText(dialog, IDC_SYNC_ADDRESS);
  draft.user = BoxText(dialog, IDC_SYNC_USER);
  draft.password = BoxText(dialog, IDC_SYNC_PASSWORD);
}

void OnInitDialog(HWND dialog, SyncOpening* opening) {
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(opening));
  SetBoxText(dialog, IDC_SYNC_ADDRESS, opening->draft.address);
  SetBoxText(dialog, IDC_SYNC_USER, opening->draft.user);
  SetBoxText(dialog, IDC_SYNC_PASSWORD, opening->draft.password);
  if (gHook) gHook(dialog);
}

void OnCommand(HWND dialog, SyncOpening& opening, WORD id) {
  switch (id) {
    case IDC_SYNC_NOW:
    case IDOK:  // Enter
      ReadBoxes(dialog, opening.draft);
      if (opening.request->syncNow) opening.request->syncNow(opening.draft);
      break;
    case IDC_SYNC_UNLINK:
      if (opening.request->unlink && opening.request->unlink()) {
        opening.draft = SyncDraft();
        for (int box : {IDC_SYNC_ADDRESS, IDC_SYNC_USER, IDC_SYNC_PASSWORD})
          SetBoxText(dialog, box, "");
      }
      break;
    case IDC_SYNC_CLOSE:
    case IDCANCEL:  // Escape, the close box
      ReadBoxes(dialog, opening.draft);
      EndDialogWindow(dialog, 1);
      break;
  }
}

INT_PTR CALLBACK SyncProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  SyncOpening* opening = OpeningOf(dialog);
  switch (msg) {
    case WM_INITDIALOG:
      OnInitDialog(dialog, reinterpret_cast<SyncOpening*>(lParam));
      return TRUE;
    case WM_COMMAND:
      if (opening) OnCommand(dialog, *opening, LOWORD(wParam));
      return TRUE;
    case WM_CLOSE:
      if (opening) OnCommand(dialog, *opening, IDCANCEL);
      return TRUE;
    case WM_NCACTIVATE:
      if (opening) KeepFocusAcrossActivation(wParam, opening->savedFocus);
      return FALSE;
  }
  return FALSE;
}

}  // namespace

void SyncDialog(const SyncRequest& request, SyncDraft& draft) {
  OwnedFont font(CreatePointFont("MS Sans Serif", 10, FW_BOLD, PlacementDpi()));
  SyncOpening opening;
  opening.request = &request;
  opening.draft = draft;
  opening.font = font;

  DialogFrame frame;
  frame.title = "Sincronizar";
  frame.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  frame.position = {300, 160};
  frame.client = {440, 150};
  HWND dialog = CreateDialogWindow(frame, SyncProc);
  if (!dialog) return;
  AddControls(dialog, font);
  RunDialog(dialog, reinterpret_cast<LPARAM>(&opening));
  draft = opening.draft;
}

void SetSyncDialogHook(void (*hook)(HWND)) { gHook = hook; }
