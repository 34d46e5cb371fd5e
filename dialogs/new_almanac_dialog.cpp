#include "new_almanac_dialog.h"

#include <commctrl.h>

#include <cstdio>

#include "../app/message_box.h"
#include "../app/wide.h"
#include "../data/calendar.h"
#include "../data/label_file.h"
#include "../data/program_folder.h"
#include "../render/gdi_util.h"
#include "dialog_kit.h"
#include "resource.h"

namespace {

const char kCountOrNameMessage[] =
    "Tienes que escribir el número de días ...\r\n"
    "Que va de 15 a 366 días ...\r\n"
    "Y el nombre para tu almanaque ...";
const char kBadCharacterMessage[] =
    "El nombre no puede llevar ninguno de estos caracteres:\r\n"
    "\\ / : * ? \" < > |";
const char kDeviceNameMessage[] =
    "Ese nombre lo tiene reservado Windows (CON, PRN, AUX, NUL, COM1, LPT1 ...)\r\n"
    "Elige otro nombre para tu almanaque ...";
const char kTooLongMessage[] =
    "El nombre es demasiado largo ...\r\n"
    "Elige un nombre más corto para tu almanaque ...";
const char kExistsMessage[] =
    "Ya existe un almanaque con ese nombre ...\r\n"
    "Elige otro nombre, o ábrelo con \"Leer\" ...";
const char kInvalidCount[] = "El numero NO es valido ...";

const COLORREF kPreviewColor = RGB(192, 192, 192);
const int16_t kMinDays = 15;
const int16_t kMaxDays = 366;

// One opening of the dialog.
struct NewAlmanacOpening {
  HFONT large = nullptr, small = nullptr;
  HWND savedFocus = nullptr;
  NewAlmanac chosen;
};

void (*gHook)(HWND) = nullptr;

NewAlmanacOpening* OpeningOf(HWND dialog) {
  return reinterpret_cast<NewAlmanacOpening*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

std::string TextOf(HWND control) {
  int length = GetWindowTextLengthA(control);
  std::string text(length > 0 ? length + 1 : 1, '\0');
  int got = GetWindowTextA(control, &text[0], int(text.size()));
  text.resize(got > 0 ? got : 0);
  return text;
}

std::string ItemText(HWND dialog, int id) { return TextOf(GetDlgItem(dialog, id)); }

// The typed name becomes part of a path: read it as UTF-16 and keep it as
// UTF-8, whatever the code page the box was typed in.
std::string NameText(HWND dialog) {
  HWND box = GetDlgItem(dialog, IDC_NAME);
  int length = GetWindowTextLengthW(box);
  std::wstring text(size_t(length > 0 ? length + 1 : 1), L'\0');
  int got = GetWindowTextW(box, &text[0], int(text.size()));
  text.resize(size_t(got > 0 ? got : 0));
  return Narrow(text);
}

// The date the picker holds (its value, not its text, which follows the
// user's date format).
SYSTEMTIME PickerDate(HWND dialog) {
  SYSTEMTIME date = {};
  if (SendDlgItemMessageA(dialog, IDC_START_DATE, DTM_GETSYSTEMTIME, 0,
                          reinterpret_cast<LPARAM>(&date)) != GDT_VALID)
    GetLocalTime(&date);  // no check box, so this should not happen
  return date;
}

void AddDialogControl(HWND dialog, int id, const char* className, const char* text, int x, int y,
                      int width, int height, DWORD style, DWORD exStyle, HFONT font) {
  ControlPlace c;
  c.id = id;
  c.className = className;
  c.text = text;
  c.x = x, c.y = y, c.width = width, c.height = height;
  c.style = style;
  c.exStyle = exStyle;
  HWND control = AddControl(dialog, c);
  if (control) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void AddControls(HWND dialog, const NewAlmanacOpening& opening) {
  const HFONT large = opening.large, small = opening.small;
  const DWORD button = WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_FLAT;
  // Creation order is the tab order: date, count, name, the check box,
  // Aceptar, Cancelar.
  AddDialogControl(dialog, IDC_START_DATE, DATETIMEPICK_CLASSA, "SysDateTimePick32_1", 8, 32, 150,
                   32, WS_TABSTOP | DTS_SHORTDATEFORMAT, WS_EX_CLIENTEDGE, large);
  // No ES_AUTOHSCROLL: the boxes take only as much as they show.
  AddDialogControl(dialog, IDC_DAY_COUNT, "EDIT", "", 8, 89, 150, 32, WS_TABSTOP | ES_NUMBER,
                   WS_EX_CLIENTEDGE, large);
  AddDialogControl(dialog, IDC_START_CAPTION, "STATIC", "Elige fecha inicio", 8, 8, 150, 24,
                   SS_LEFT, 0, small);
  AddDialogControl(dialog, IDC_COUNT_CAPTION, "STATIC", "Elige número de días", 8, 66, 150, 22,
                   SS_LEFT, 0, small);
  AddDialogControl(dialog, IDC_END_PREVIEW, "STATIC", "", 8, 128, 150, 24, SS_LEFT, 0, small);
  AddDialogControl(dialog, IDC_NAME_CAPTION, "STATIC", "Elige nombre para el almanaque", 8, 153,
                   250, 24, SS_LEFT, 0, small);
  AddDialogControl(dialog, IDC_NAME, "EDIT", "", 8, 178, 225, 32, WS_TABSTOP, WS_EX_CLIENTEDGE,
                   large);
  AddDialogControl(dialog, IDC_BRING_LABELS, "BUTTON", "Traer etiquetas de otro almanaque", 8, 216,
                   242, 22, WS_TABSTOP | BS_AUTOCHECKBOX, 0, small);
  AddDialogControl(dialog, IDC_NEW_OK, "BUTTON", "Aceptar", 168, 8, 75, 24, button, 0, small);
  AddDialogControl(dialog, IDC_NEW_CANCEL, "BUTTON", "Cancelar", 168, 36, 75, 24, button, 0, small);
}

BOOL OnInitDialog(HWND dialog) {
  SYSTEMTIME today;
  GetLocalTime(&today);
  SendDlgItemMessageA(dialog, IDC_START_DATE, DTM_SETSYSTEMTIME, GDT_VALID,
                      reinterpret_cast<LPARAM>(&today));
  if (gHook) gHook(dialog);  // may end the dialog: nothing after this touches it
  return TRUE;               // focus to the first tab stop, the date
}

void OnDayCountCommand(HWND dialog) {
  std::string preview = EndPreviewText(PickerDate(dialog), ItemText(dialog, IDC_DAY_COUNT));
  SetDlgItemTextA(dialog, IDC_END_PREVIEW, preview.c_str());
}

// The reason a name cannot become an almanac, or nullptr when it can.
const char* NameProblem(const std::string& name) {
  switch (CheckAlmanacName(name, AlmanacFolder())) {
    case NameCheck::Ok:
      break;
    case NameCheck::Empty:
      return kCountOrNameMessage;
    case NameCheck::BadCharacter:
      return kBadCharacterMessage;
    case NameCheck::DeviceName:
      return kDeviceNameMessage;
    case NameCheck::TooLong:
      return kTooLongMessage;
  }
  // An old file of that name would mix its labels, and its settings, into
  // the new almanac.
  if (LabelFileExists(LabelFilePath(name))) return kExistsMessage;
  return nullptr;
}

// Everything is checked before anything is chosen: a refused "Aceptar"
// hands nothing back.
void OnAccept(HWND dialog, NewAlmanacOpening& opening) {
  std::string name = NameText(dialog);
  // Judged as the preview judges it: a pasted "20abc" is no count (the
  // box's ES_NUMBER stops only keys).
  const std::string countText = ItemText(dialog, IDC_DAY_COUNT);
  const bool digitsOnly = countText.find_first_not_of("0123456789") == std::string::npos;
  int32_t count = digitsOnly ? CountValue(countText) : 0;
  if (count < kMinDays || count > kMaxDays || name.empty()) {
    ShowMessage(kCountOrNameMessage);
    return;
  }
  if (const char* problem = NameProblem(name)) {
    ShowMessage(problem);
    return;
  }
  SYSTEMTIME start = PickerDate(dialog);
  NewAlmanac& chosen = opening.chosen;
  chosen.name = name;
  chosen.startDay = int16_t(start.wDay);
  chosen.startMonth = int16_t(start.wMonth);
  chosen.startYear = int16_t(start.wYear);
  chosen.dayCount = int16_t(count);
  chosen.bringLabels = IsDlgButtonChecked(dialog, IDC_BRING_LABELS) == BST_CHECKED;
  EndDialogWindow(dialog, 1);
}

BOOL OnCommand(HWND dialog, NewAlmanacOpening& opening, WORD id, WORD code) {
  switch (id) {
    case IDC_DAY_COUNT:
      OnDayCountCommand(dialog);
      return TRUE;
    case IDC_NEW_OK:
      if (code == 0 || code == 1) OnAccept(dialog, opening);
      return TRUE;
    case IDC_NEW_CANCEL:
      if (code == 0 || code == 1) EndDialogWindow(dialog, 0);
      return TRUE;
  }
  return TRUE;  // Enter (IDOK), Escape (IDCANCEL) and the picker do nothing
}

INT_PTR OnCtlColorStatic(HDC dc, HWND control) {
  if (GetDlgCtrlID(control) != IDC_END_PREVIEW) return FALSE;
  SetTextColor(dc, kPreviewColor);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

INT_PTR CALLBACK NewAlmanacProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    return OnInitDialog(dialog);
  }
  NewAlmanacOpening* opening = OpeningOf(dialog);
  if (!opening) return FALSE;
  switch (msg) {
    case WM_COMMAND:
      return OnCommand(dialog, *opening, LOWORD(wParam), HIWORD(wParam));
    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NCACTIVATE:
      KeepFocusAcrossActivation(wParam, opening->savedFocus);
      return FALSE;  // the frame is still drawn by the dialog manager
  }
  return FALSE;
}

}  // namespace

int32_t CountValue(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  int32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > kMaxCountValue) return kMaxCountValue;
  }
  return value;
}

std::string EndPreviewText(const SYSTEMTIME& start, const std::string& countText) {
  for (char c : countText)
    if (c < '0' || c > '9') return kInvalidCount;
  int32_t n = CountValue(countText);
  CivilDate date;
  date.year = int16_t(start.wYear);
  date.month = int16_t(start.wMonth);
  date.day = int16_t(start.wDay);
  CivilDate before = date;
  AddDays(date, n);
  // AddDays leaves the date alone when the result lies past 31 December
  // 30827; showing the start date then would be a wrong answer.
  if (n > 0 && date.year == before.year && date.month == before.month && date.day == before.day)
    return kInvalidCount;
  char text[48];
  std::snprintf(text, sizeof text, "hasta el %02d\\%02d\\%02d", date.day, date.month, date.year);
  return text;
}

void SetNewAlmanacDialogHook(void (*hook)(HWND)) { gHook = hook; }

bool NewAlmanacDialog(NewAlmanac& chosen) {
  // No owner: the main window stays usable while the dialog is open.
  OwnedFont large(CreatePointFont("MS Sans Serif", 14, FW_BOLD));
  OwnedFont small(CreatePointFont("MS Sans Serif", 10, FW_BOLD));
  NewAlmanacOpening opening;
  opening.large = large;
  opening.small = small;

  DialogFrame frame;
  frame.title = "Elige tiempo";
  frame.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
  frame.position = {105, 114};
  frame.client = {250, 244};  // the check box below the name
  HWND dialog = CreateDialogWindow(frame, NewAlmanacProc);
  if (!dialog) return false;
  AddControls(dialog, opening);
  // The fonts outlive the controls: the window is gone when this returns.
  if (RunDialog(dialog, reinterpret_cast<LPARAM>(&opening)) != 1) return false;
  chosen = opening.chosen;
  return true;
}
