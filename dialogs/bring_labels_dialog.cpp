#include "bring_labels_dialog.h"

#include <commctrl.h>

#include "dialog_kit.h"
#include "resource.h"

namespace {

struct BringOpening {
  const std::vector<BringItem>* items = nullptr;
  std::vector<bool> checked;
  HWND savedFocus = nullptr;
};

void (*gHook)(HWND) = nullptr;

constexpr int kColorColumn = 2;

void Add(HWND dialog, int id, const char* className, const char* text, RECT r, DWORD style,
         DWORD exStyle = 0) {
  ControlPlace c;
  c.id = id;
  c.className = className;
  c.text = text;
  c.x = r.left, c.y = r.top, c.width = r.right - r.left, c.height = r.bottom - r.top;
  c.style = style;
  c.exStyle = exStyle;
  AddControl(dialog, c);
}

void AddColumn(HWND list, int index, const char* title, int width) {
  LVCOLUMNA column = {};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = const_cast<char*>(title);
  column.cx = width;
  SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

void SetCell(HWND list, int item, int column, const std::string& text) {
  LVITEMA cell = {};
  cell.iSubItem = column;
  cell.pszText = const_cast<char*>(text.c_str());
  SendMessageA(list, LVM_SETITEMTEXTA, item, reinterpret_cast<LPARAM>(&cell));
}

void Fill(HWND dialog, HWND list, const std::vector<BringItem>& items) {
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  // The columns share the list's width as at 96 DPI, edge by edge.
  AddColumn(list, 0, "Fecha", DialogPx(dialog, 230));
  AddColumn(list, 1, "Etiqueta", DialogPx(dialog, 530) - DialogPx(dialog, 230));
  AddColumn(list, kColorColumn, "Color", DialogPx(dialog, 600) - DialogPx(dialog, 530));
  for (size_t i = 0; i < items.size(); ++i) {
    LVITEMA row = {};
    row.mask = LVIF_TEXT;
    row.iItem = int(i);
    row.pszText = const_cast<char*>(items[i].date.c_str());
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row));
    SetCell(list, int(i), 1, items[i].text);
    SetCell(list, int(i), kColorColumn, "");
  }
}

void CheckAll(HWND list, bool check) {
  const int count = int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) ListView_SetCheckState(list, i, check);
}

// The colour column shows each label's colour.
LRESULT OnCustomDraw(const BringOpening& opening, NMLVCUSTOMDRAW* draw) {
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
      const size_t item = size_t(draw->nmcd.dwItemSpec);
      if (draw->iSubItem == kColorColumn && item < opening.items->size()) {
        const COLORREF color = (*opening.items)[item].color;
        HBRUSH brush = CreateSolidBrush(color);
        RECT cell = {};
        cell.top = kColorColumn;
        cell.left = LVIR_BOUNDS;
        SendMessageA(draw->nmcd.hdr.hwndFrom, LVM_GETSUBITEMRECT, item,
                     reinterpret_cast<LPARAM>(&cell));
        HWND dialog = GetParent(draw->nmcd.hdr.hwndFrom);
        InflateRect(&cell, -DialogPx(dialog, 3), -DialogPx(dialog, 2));
        FillRect(draw->nmcd.hdc, &cell, brush);
        DeleteObject(brush);
        return CDRF_SKIPDEFAULT;
      }
      return CDRF_DODEFAULT;
    }
  }
  return CDRF_DODEFAULT;
}

INT_PTR CALLBACK BringProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* opening = reinterpret_cast<BringOpening*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      if (gHook) gHook(dialog);
      return TRUE;
    case WM_COMMAND: {
      if (!opening) return TRUE;
      HWND list = GetDlgItem(dialog, IDC_BRING_LIST);
      switch (LOWORD(wParam)) {
        case IDC_BRING_ALL:
          CheckAll(list, true);
          break;
        case IDC_BRING_NONE:
          CheckAll(list, false);
          break;
        case IDC_BRING_OK:
          opening->checked.assign(opening->items->size(), false);
          for (size_t i = 0; i < opening->checked.size(); ++i)
            opening->checked[i] = ListView_GetCheckState(list, int(i)) != 0;
          EndDialogWindow(dialog, 1);
          break;
        case IDC_BRING_CANCEL:
        case IDCANCEL:  // Escape
          EndDialogWindow(dialog, 0);
          break;
      }
      return TRUE;
    }
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (!opening || header->idFrom != IDC_BRING_LIST || header->code != NM_CUSTOMDRAW)
        return FALSE;
      SetWindowLongPtrA(dialog, DWLP_MSGRESULT,
                        OnCustomDraw(*opening, reinterpret_cast<NMLVCUSTOMDRAW*>(lParam)));
      return TRUE;
    }
    case WM_NCACTIVATE:
      if (opening) KeepFocusAcrossActivation(wParam, opening->savedFocus);
      return FALSE;
  }
  return FALSE;
}

}  // namespace

bool BringLabelsDialog(const std::vector<BringItem>& items, std::vector<bool>& checked) {
  DialogFrame frame;
  frame.title = "Traer etiquetas";
  frame.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
  frame.position = {160, 110};
  frame.client = {640, 420};
  HWND dialog = CreateDialogWindow(frame, BringProc);
  if (!dialog) return false;
  const DWORD button = WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER;
  Add(dialog, IDC_BRING_LIST, WC_LISTVIEWA, "", {8, 8, 632, 372},
      WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | LVS_SINGLESEL,
      WS_EX_CLIENTEDGE);
  Add(dialog, IDC_BRING_ALL, "BUTTON", "Marcar todas", {8, 384, 108, 412}, button);
  Add(dialog, IDC_BRING_NONE, "BUTTON", "Ninguna", {116, 384, 196, 412}, button);
  Add(dialog, IDC_BRING_OK, "BUTTON", "Aceptar", {452, 384, 536, 412}, button | BS_DEFPUSHBUTTON);
  Add(dialog, IDC_BRING_CANCEL, "BUTTON", "Cancelar", {548, 384, 632, 412}, button);
  Fill(dialog, GetDlgItem(dialog, IDC_BRING_LIST), items);
  BringOpening opening;
  opening.items = &items;
  if (RunDialog(dialog, reinterpret_cast<LPARAM>(&opening)) != 1) return false;
  checked = opening.checked;
  return true;
}

void SetBringLabelsDialogHook(void (*hook)(HWND)) { gHook = hook; }
