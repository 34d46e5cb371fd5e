#include "label_entry_dialog.h"

#include <commctrl.h>
#include <oleacc.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../app/message_box.h"
#include "../data/calendar.h"
#include "../data/label_palette.h"
#include "../render/gdi_util.h"
#include "../render/stored_picture.h"
#include "../render/spoken_text.h"
#include "../share/css_colors.h"
#include "control_accessible.h"
#include "dialog_kit.h"
#include "resource.h"

namespace {

constexpr int kSwatchCount = IDC_SWATCH_LAST - IDC_SWATCH_FIRST + 1;
constexpr int kSwatchesPerRow = 10;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr UINT kStartedMessage = WM_APP + 1;
// Characters the text box takes (a line break counts two): some 250 full
// lines, far more than a label needs, and about the box's own default. What
// a paste or a key would add past it the box refuses, and the person is told.
constexpr int kTextLimit = 30000;

// Within a row the ids, in ascending order, fill these columns.
constexpr int kSwatchColumn[kSwatchesPerRow] = {1, 2, 3, 4, 5, 9, 6, 7, 8, 10};

// The dialog shows every colour of the label palette.
static_assert(kSwatchCount == kLabelPaletteSize, "one swatch per palette colour");
constexpr const int32_t (&kSwatchColor)[kLabelPaletteSize] = kLabelPalette;

struct Legend {
  int id, bitmap, x, y, width, height;
  const char* name;  // what a screen reader says it is
  // The codes it lists, in reading order: runs of `run` codes from each of
  // `firsts` (0 ends the list).
  int run;
  int firsts[11];
};
constexpr Legend kLegends[] = {
    {IDC_LEGEND_1,
     IDB_LEGEND_FACES_1,
     9,
     127,
     202,
     455,
     "Tabla de códigos de dibujos: caras y bandera, del \\#01 al \\#13",
     13,
     {1}},
    {IDC_LEGEND_2,
     IDB_LEGEND_FACES_2,
     212,
     127,
     202,
     455,
     "Tabla de códigos de dibujos: caras y bandera, del \\#14 al \\#26",
     13,
     {14}},
    {IDC_LEGEND_3,
     IDB_LEGEND_OBJECTS_1,
     415,
     128,
     542,
     384,
     "Tabla de códigos de dibujos: objetos y símbolos, del \\#27 al \\#99, primera parte",
     4,
     {27, 35, 43, 51, 59, 67, 75, 83, 91, 99}},
    // Cut by the client's bottom edge.
    {IDC_LEGEND_4,
     IDB_LEGEND_OBJECTS_2,
     414,
     512,
     544,
     384,
     "Tabla de códigos de dibujos: objetos y símbolos, del \\#31 al \\#98, segunda parte",
     4,
     {31, 39, 47, 55, 63, 71, 79, 87, 95}},
};
constexpr int kLegendCount = sizeof kLegends / sizeof kLegends[0];

// What a chart lists, for a person who cannot see it: each code and its
// picture's name.
std::string LegendDescription(const Legend& legend) {
  std::string text;
  for (int first : legend.firsts) {
    for (int n = first; first && n < first + legend.run && n <= 99; ++n) {
      char code[8];
      snprintf(code, sizeof code, "\\#%02d ", n);
      text += (text.empty() ? "" : "; ") + std::string(code) + IconSpokenName(n);
    }
  }
  return text;
}

// A colour as a screen reader names it: the Spanish name of the nearest
// colour an exported calendar names.
std::string ColorName(COLORREF color) {
  const char* spanish = SpanishColorName(int32_t(color));
  return spanish ? spanish : NearestCssColorName(int32_t(color));
}

// Where square `index` (0..39, in id order) stands: row 1..4, column 1..10.
int RowOfSwatch(int index) { return index / kSwatchesPerRow + 1; }
int ColumnOfSwatch(int index) { return kSwatchColumn[index % kSwatchesPerRow]; }
// The square at a row and column, or -1 beyond the palette's edge.
int SwatchAt(int row, int column) {
  if (row < 1 || row > kSwatchCount / kSwatchesPerRow) return -1;
  for (int k = 0; k < kSwatchesPerRow; ++k)
    if (kSwatchColumn[k] == column) return (row - 1) * kSwatchesPerRow + k;
  return -1;
}

// One opening of the dialog: what it was asked, the entry as it stands,
// and everything it creates, released when it ends.
struct LabelEntryOpening {
  const LabelEntryRequest* request = nullptr;
  LabelDraft draft;
  HWND textBox = nullptr;
  HFONT font = nullptr;
  HBITMAP legends[kLegendCount] = {};
  Surface swatches[kSwatchCount];
  Surface preview;
  HWND savedFocus = nullptr;  // the control that had the focus when the dialog was deactivated
  bool stored = false;
};

LabelDialogHook gStartedHook = nullptr;
// The dialog while it runs: the program's end asks about its text.
HWND gRunningDialog = nullptr;

LabelEntryOpening* OpeningOf(HWND dialog) {
  return dialog ? reinterpret_cast<LabelEntryOpening*>(GetWindowLongPtrA(dialog, DWLP_USER))
                : nullptr;
}

std::string TwoDigits(int value) {
  char text[16];
  snprintf(text, sizeof text, "%02d", value);
  return text;
}

std::string DateText(int day, int month, int year) {
  char text[32];
  snprintf(text, sizeof text, "%02d/%02d/%d", day, month, year);
  return text;
}

// A plain decimal number of at most four digits ("05" is 5); anything else is 0.
int16_t NumberOf(const std::string& text) {
  size_t first = text.find_first_not_of(' ');
  size_t last = text.find_last_not_of(' ');
  if (first == std::string::npos || last - first + 1 > 4) return 0;
  int value = 0;
  for (size_t i = first; i <= last; ++i) {
    if (text[i] < '0' || text[i] > '9') return 0;
    value = value * 10 + (text[i] - '0');
  }
  return int16_t(value);
}

std::string WindowText(HWND window) {
  int length = GetWindowTextLengthA(window);
  std::string text(length > 0 ? length + 1 : 1, '\0');
  int got = GetWindowTextA(window, &text[0], int(text.size()));
  text.resize(got > 0 ? got : 0);
  return text;
}

std::string SelectedItemText(HWND combo) {
  LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return std::string();
  LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, index, 0);
  if (length == CB_ERR) return std::string();
  std::string text(length + 1, '\0');
  SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
  text.resize(length);
  return text;
}

void AddItem(HWND combo, const std::string& text) {
  SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Selects the item reading exactly `text`; false when there is none.
bool SelectItem(HWND combo, const std::string& text) {
  LRESULT index =
      SendMessageA(combo, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(text.c_str()));
  if (index == CB_ERR) return false;
  SendMessageA(combo, CB_SETCURSEL, index, 0);
  return true;
}

Surface* SurfaceOf(LabelEntryOpening& opening, int id) {
  if (id >= IDC_SWATCH_FIRST && id <= IDC_SWATCH_LAST)
    return &opening.swatches[id - IDC_SWATCH_FIRST];
  if (id == IDC_COLOR_PREVIEW) return &opening.preview;
  return nullptr;
}

// A square drawn by the program: its surface has the control's inner size.
void AddColorBox(HWND dialog, LabelEntryOpening& opening, const ControlPlace& frame,
                 COLORREF color) {
  HWND control = AddControl(dialog, frame);
  Surface* surface = SurfaceOf(opening, frame.id);
  if (!control || !surface) return;
  RECT inner;
  GetClientRect(control, &inner);
  if (CreateSurface(*surface, inner.right, inner.bottom)) FillSurface(*surface, color);
}

// An almanac of at most 367 days touches three years at most (31 December
// to 1 January two years on).
constexpr int kMostYears = 3;

// The years the almanac shows, as the year list offers them.
int YearsOffered(const LabelEntryRequest& request, int16_t years[kMostYears]) {
  int count = 0;
  for (int year = request.first.year; year <= request.last.year && count < kMostYears; ++year)
    years[count++] = int16_t(year);
  return count;
}

// Days in the day list of `month`: the longest that month is in any year
// the almanac shows, so 29 February of a leap start year can be chosen even
// when the days last reached a common year.
int DayListLength(const LabelEntryRequest& request, int month) {
  int16_t years[kMostYears];
  int count = YearsOffered(request, years);
  int longest = 0;
  for (int i = 0; i < count; ++i) {
    MonthLengthTable table;
    BuildMonthLengths(table, years[i]);
    if (table[month] > longest) longest = table[month];
  }
  return longest;
}

void FillDayList(HWND dialog, const LabelEntryOpening& opening, int month) {
  HWND dayCombo = GetDlgItem(dialog, IDC_DAY_COMBO);
  SendMessageA(dayCombo, CB_RESETCONTENT, 0, 0);
  int length = DayListLength(*opening.request, month);
  for (int day = 1; day <= length; ++day) AddItem(dayCombo, TwoDigits(day));
  // The kept day stays visible, even when this month is too short for it,
  // so the box always shows the day that "Aceptar" will use.
  int16_t day = opening.draft.day;
  if (day >= 1 && day <= length)
    SendMessageA(dayCombo, CB_SETCURSEL, day - 1, 0);
  else if (day > 0)
    SetWindowTextA(dayCombo, TwoDigits(day).c_str());
}

// The square showing `color`, or 0.
int SwatchOfColor(COLORREF color) {
  for (int i = 0; i < kSwatchCount; ++i)
    if (COLORREF(kSwatchColor[i]) == color) return IDC_SWATCH_FIRST + i;
  return 0;
}

// ---- The palette by keyboard ----

constexpr UINT_PTR kSwatchKeysId = 0x7A53;  // "zS"

// Square `index` takes the focus and becomes the palette's one tab stop,
// so that Tab comes back to it.
void FocusSwatch(HWND dialog, int index) {
  for (int i = 0; i < kSwatchCount; ++i) {
    HWND swatch = GetDlgItem(dialog, IDC_SWATCH_FIRST + i);
    const LONG style = GetWindowLongA(swatch, GWL_STYLE);
    SetWindowLongA(swatch, GWL_STYLE, i == index ? style | WS_TABSTOP : style & ~WS_TABSTOP);
  }
  SetFocus(GetDlgItem(dialog, IDC_SWATCH_FIRST + index));
}

// The arrows move among the squares as they stand on the screen, Space
// picks the focused one as a click does; the focused one is drawn with a
// focus rectangle.
LRESULT CALLBACK SwatchKeysProc(HWND swatch, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR) {
  const int id = GetDlgCtrlID(swatch);
  const int index = id - IDC_SWATCH_FIRST;
  HWND dialog = GetParent(swatch);
  switch (msg) {
    case WM_GETDLGCODE:
      return DefSubclassProc(swatch, msg, wParam, lParam) | DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN: {
      int row = RowOfSwatch(index), column = ColumnOfSwatch(index);
      switch (wParam) {
        case VK_LEFT:
          --column;
          break;
        case VK_RIGHT:
          ++column;
          break;
        case VK_UP:
          --row;
          break;
        case VK_DOWN:
          ++row;
          break;
        case VK_SPACE:
          SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, STN_CLICKED), LPARAM(swatch));
          return 0;
        default:
          return DefSubclassProc(swatch, msg, wParam, lParam);
      }
      const int to = SwatchAt(row, column);
      if (to >= 0) FocusSwatch(dialog, to);  // at the palette's edge the focus stays
      return 0;
    }
    case WM_CHAR:
      if (wParam == ' ') return 0;  // Space was the key that picked
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(swatch, nullptr, FALSE);
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(swatch, SwatchKeysProc, kSwatchKeysId);
      break;
    default:
      break;
  }
  return DefSubclassProc(swatch, msg, wParam, lParam);
}

// What screen readers are told of the squares and the charts.
void DescribeControls(HWND dialog) {
  for (int i = 0; i < kSwatchCount; ++i) {
    const int id = IDC_SWATCH_FIRST + i;
    const COLORREF color = COLORREF(kSwatchColor[i]);
    ControlAccess access;
    access.name = [color] { return "Color: " + ColorName(color); };
    // Some squares share the nearest name; where they stand tells them apart.
    access.description =
        "Fila " + std::to_string(RowOfSwatch(i)) + ", columna " + std::to_string(ColumnOfSwatch(i));
    access.role = ROLE_SYSTEM_RADIOBUTTON;
    access.state = [dialog, color]() -> LONG {
      const LabelEntryOpening* opening = IsWindow(dialog) ? OpeningOf(dialog) : nullptr;
      return opening && opening->draft.color == color ? STATE_SYSTEM_CHECKED : 0;
    };
    access.defaultAction = "Elegir";
    access.doDefault = [dialog, id] {
      if (IsWindow(dialog))
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, STN_CLICKED),
                     LPARAM(GetDlgItem(dialog, id)));
    };
    AttachControlAccessible(GetDlgItem(dialog, id), std::move(access));
  }
  ControlAccess preview;
  preview.name = [dialog] {
    const LabelEntryOpening* opening = IsWindow(dialog) ? OpeningOf(dialog) : nullptr;
    return "Color elegido: " + ColorName(opening ? opening->draft.color : kWhite);
  };
  preview.role = ROLE_SYSTEM_GRAPHIC;
  AttachControlAccessible(GetDlgItem(dialog, IDC_COLOR_PREVIEW), std::move(preview));
  for (const Legend& legend : kLegends) {
    ControlAccess chart;
    const std::string name = legend.name;
    chart.name = [name] { return name; };
    chart.description = LegendDescription(legend);
    chart.role = ROLE_SYSTEM_GRAPHIC;
    AttachControlAccessible(GetDlgItem(dialog, legend.id), std::move(chart));
  }
}

// The rules of "Repetir:", in the order of Repeat.
constexpr const char* kRepeatNames[kRepeatCount] = {
    "No",
    "Cada semana",
    "Cada dos semanas",
    "Cada mes (el mismo día)",
    "Cada mes (el mismo día de la semana, p. ej. el segundo martes)",
    "Cada año",
};

SYSTEMTIME SystemTimeOf(const CivilDate& date) {
  SYSTEMTIME time = {};
  time.wYear = WORD(date.year);
  time.wMonth = WORD(date.month);
  time.wDay = WORD(date.day);
  return time;
}

// "2 de septiembre de 2025".
std::string LongDateText(const CivilDate& date) {
  static const char* const kMonths[13] = {
      "",      "enero",  "febrero",    "marzo",   "abril",     "mayo",     "junio",
      "julio", "agosto", "septiembre", "octubre", "noviembre", "diciembre"};
  return std::to_string(date.day) + " de " +
         kMonths[date.month >= 1 && date.month <= 12 ? date.month : 0] + " de " +
         std::to_string(date.year);
}

// ---- Building ----

INT_PTR CALLBACK LabelEntryDialog(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

HWND CreateLabelEntryWindow(const char* title) {
  DialogFrame frame;
  frame.title = title;
  frame.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_3DLOOK | DS_NOFAILCREATE;
  frame.position = {112, 91};
  frame.client = {963, 864};
  return CreateDialogWindow(frame, LabelEntryDialog);
}

void AddLabelControls(HWND dialog, LabelEntryOpening& opening) {
  ControlPlace text;
  text.id = IDC_LABEL_TEXT;
  text.className = "EDIT";
  text.x = 8, text.y = 8, text.width = 950, text.height = 112;
  text.style = ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP;
  text.exStyle = WS_EX_CLIENTEDGE;
  opening.textBox = AddControl(dialog, text);
  SendMessageA(opening.textBox, EM_SETLIMITTEXT, kTextLimit, 0);

  for (int i = 0; i < kLegendCount; ++i) {
    const Legend& l = kLegends[i];
    ControlPlace legend;
    legend.id = l.id;
    legend.x = l.x, legend.y = l.y, legend.width = l.width, legend.height = l.height;
    legend.style = SS_BITMAP;
    HWND control = AddControl(dialog, legend);
    HBITMAP picture = LoadPicture(l.bitmap, DialogDpi(dialog));
    opening.legends[i] = picture;
    if (control && picture)
      SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
  }

  for (int i = 0; i < kSwatchCount; ++i) {
    ControlPlace swatch;
    swatch.id = IDC_SWATCH_FIRST + i;
    swatch.x = 10 + 25 * (kSwatchColumn[i % kSwatchesPerRow] - 1);
    swatch.y = 600 + 25 * (i / kSwatchesPerRow);
    swatch.width = swatch.height = 24;
    // Reached with Tab: OnInitDialog makes one of them the palette's tab stop.
    swatch.style = SS_OWNERDRAW | SS_NOTIFY | WS_BORDER;
    AddColorBox(dialog, opening, swatch, kSwatchColor[i]);
    SetWindowSubclass(GetDlgItem(dialog, swatch.id), SwatchKeysProc, kSwatchKeysId, 0);
  }

  ControlPlace preview;
  preview.id = IDC_COLOR_PREVIEW;
  preview.x = 274, preview.y = 608, preview.width = 87, preview.height = 81;
  preview.style = SS_OWNERDRAW | WS_BORDER;  // no SS_NOTIFY: clicking it does nothing
  AddColorBox(dialog, opening, preview, kWhite);

  const DWORD buttonStyle = BS_PUSHBUTTON | BS_FLAT | BS_CENTER | BS_VCENTER | WS_TABSTOP;
  ControlPlace ok;
  ok.id = IDC_LABEL_OK;
  ok.className = "BUTTON";
  ok.text = "Aceptar";
  ok.x = 10, ok.y = 720, ok.width = 75, ok.height = 48;
  ok.style = buttonStyle;
  AddControl(dialog, ok);
  ControlPlace cancel = ok;
  cancel.id = IDC_LABEL_CANCEL;
  cancel.text = "Cancelar";
  cancel.x = 90;
  AddControl(dialog, cancel);

  struct DateList {
    int comboId, captionId, y;
    const char* caption;
  };
  const DateList lists[] = {
      {IDC_DAY_COMBO, IDC_DAY_CAPTION, 720, "Día de la entrada"},
      {IDC_MONTH_COMBO, IDC_MONTH_CAPTION, 743, "Mes de la entrada"},
      {IDC_YEAR_COMBO, IDC_YEAR_CAPTION, 766, "Año de la entrada"},
  };
  for (const DateList& list : lists) {
    ControlPlace combo;
    combo.id = list.comboId;
    combo.className = "COMBOBOX";
    combo.x = 170, combo.y = list.y, combo.width = 90, combo.height = 90;
    combo.style = CBS_DROPDOWN | CBS_SORT | WS_TABSTOP;
    AddControl(dialog, combo);
    ControlPlace caption;
    caption.id = list.captionId;
    caption.text = list.caption;
    caption.x = 262, caption.y = list.y, caption.width = 150, caption.height = 22;
    caption.style = SS_LEFT;
    AddControl(dialog, caption);
  }

  DescribeControls(dialog);

  if (opening.request->offersRepeat) {
    // Below the date lists, in the room the dialog has there.
    ControlPlace caption;
    caption.id = IDC_REPEAT_CAPTION;
    caption.text = "Repetir:";
    caption.x = 10, caption.y = 795, caption.width = 64, caption.height = 22;
    caption.style = SS_LEFT;
    AddControl(dialog, caption);
    ControlPlace repeat;
    repeat.id = IDC_REPEAT_COMBO;
    repeat.className = "COMBOBOX";
    repeat.x = 76, repeat.y = 792, repeat.width = 336, repeat.height = 160;
    repeat.style = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
    HWND combo = AddControl(dialog, repeat);
    for (const char* name : kRepeatNames) AddItem(combo, name);
    SendMessageA(combo, CB_SETDROPPEDWIDTH, DialogPx(dialog, 400), 0);
    caption.id = IDC_UNTIL_CAPTION;
    caption.text = "hasta el";
    caption.y = 823;
    AddControl(dialog, caption);
    ControlPlace until;
    until.id = IDC_UNTIL_DATE;
    until.className = DATETIMEPICK_CLASSA;
    until.x = 76, until.y = 819, until.width = 150, until.height = 24;
    until.style = DTS_SHORTDATEFORMAT | WS_TABSTOP;
    AddControl(dialog, until);
  }

  opening.font = CreatePointFont("Lucida Console", 10, FW_NORMAL, DialogDpi(dialog));
  const int fontControls[] = {IDC_LABEL_TEXT, IDC_DAY_CAPTION, IDC_MONTH_CAPTION, IDC_YEAR_CAPTION,
                              IDC_DAY_COMBO,  IDC_MONTH_COMBO, IDC_YEAR_COMBO};
  for (int id : fontControls)
    SendMessageA(GetDlgItem(dialog, id), WM_SETFONT, reinterpret_cast<WPARAM>(opening.font), FALSE);
  // The repeat's captions and picker as the lists' captions; its list keeps
  // the dialog's narrower font, so its longest rule fits.
  for (int id : {IDC_REPEAT_CAPTION, IDC_UNTIL_CAPTION, IDC_UNTIL_DATE})
    if (HWND control = GetDlgItem(dialog, id))
      SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(opening.font), FALSE);
}

// Takes the pictures out of the legends (a control may hold a copy of its
// own) while the controls still exist, and deletes them.
void ReleaseLegends(HWND dialog, LabelEntryOpening& opening) {
  for (int i = 0; i < kLegendCount; ++i) {
    HWND control = GetDlgItem(dialog, kLegends[i].id);
    HBITMAP shown =
        control ? reinterpret_cast<HBITMAP>(SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, 0))
                : nullptr;
    if (shown && shown != opening.legends[i]) DeleteObject(shown);
    if (opening.legends[i]) DeleteObject(opening.legends[i]);
    opening.legends[i] = nullptr;
  }
}

void ReleaseOpening(LabelEntryOpening& opening) {
  for (Surface& surface : opening.swatches) ReleaseSurface(surface);
  ReleaseSurface(opening.preview);
  if (opening.font) DeleteObject(opening.font);
  opening.font = nullptr;
}

// ---- Handling ----

// The draft's lines in the box, one under the other.
std::string JoinedLines(const std::vector<std::string>& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\r\n" : "") + lines[i];
  return text;
}

void OnInitDialog(HWND dialog, LabelEntryOpening& opening) {
  const LabelDraft& draft = opening.draft;
  SetWindowTextA(opening.textBox, JoinedLines(draft.lines).c_str());
  FillColorBox(dialog, IDC_COLOR_PREVIEW, draft.color);

  HWND dayCombo = GetDlgItem(dialog, IDC_DAY_COMBO);
  HWND monthCombo = GetDlgItem(dialog, IDC_MONTH_COMBO);
  HWND yearCombo = GetDlgItem(dialog, IDC_YEAR_COMBO);
  SendMessageA(dayCombo, CB_RESETCONTENT, 0, 0);
  SendMessageA(monthCombo, CB_RESETCONTENT, 0, 0);
  SendMessageA(yearCombo, CB_RESETCONTENT, 0, 0);
  for (int month = 1; month <= 12; ++month) AddItem(monthCombo, TwoDigits(month));
  int16_t years[kMostYears];
  int yearCount = YearsOffered(*opening.request, years);
  for (int i = 0; i < yearCount; ++i) AddItem(yearCombo, std::to_string(years[i]));

  // Show the draft's date, so what is in the lists is what will be stored.
  if (draft.month >= 1 && draft.month <= 12) {
    SendMessageA(monthCombo, CB_SETCURSEL, draft.month - 1, 0);
    FillDayList(dialog, opening, draft.month);
  }
  if (!SelectItem(yearCombo, std::to_string(draft.year)) && yearCount == 1) {
    // An almanac within one year: there is only one year to pick.
    SendMessageA(yearCombo, CB_SETCURSEL, 0, 0);
    opening.draft.year = years[0];
  }

  // Tab reaches the palette at the chosen colour's square, or the first.
  const int chosen = SwatchOfColor(draft.color);
  HWND entry = GetDlgItem(dialog, chosen ? chosen : IDC_SWATCH_FIRST);
  SetWindowLongA(entry, GWL_STYLE, GetWindowLongA(entry, GWL_STYLE) | WS_TABSTOP);
  if (opening.request->offersRepeat) {
    const LabelEntryRequest& request = *opening.request;
    SendDlgItemMessageA(dialog, IDC_REPEAT_COMBO, CB_SETCURSEL, WPARAM(draft.repeat), 0);
    SYSTEMTIME range[2] = {SystemTimeOf(request.first), SystemTimeOf(request.last)};
    SendDlgItemMessageA(dialog, IDC_UNTIL_DATE, DTM_SETRANGE, GDTR_MIN | GDTR_MAX,
                        reinterpret_cast<LPARAM>(range));
    // The almanac's last day, unless the draft says another of its days.
    const bool inside = IsRealDate(draft.until.year, draft.until.month, draft.until.day) &&
                        !DateBefore(draft.until, request.first) &&
                        !DateBefore(request.last, draft.until);
    SYSTEMTIME until = SystemTimeOf(inside ? draft.until : request.last);
    SendDlgItemMessageA(dialog, IDC_UNTIL_DATE, DTM_SETSYSTEMTIME, GDT_VALID,
                        reinterpret_cast<LPARAM>(&until));
    EnableWindow(GetDlgItem(dialog, IDC_UNTIL_DATE), draft.repeat != Repeat::None);
  }

  if (gStartedHook) PostMessageA(dialog, kStartedMessage, 0, 0);
}

Repeat ChosenRepeat(HWND dialog) {
  const LRESULT index = SendDlgItemMessageA(dialog, IDC_REPEAT_COMBO, CB_GETCURSEL, 0, 0);
  return index > 0 && index < kRepeatCount ? Repeat(index) : Repeat::None;
}

void OnRepeatChosen(HWND dialog, LabelEntryOpening& opening) {
  opening.draft.repeat = ChosenRepeat(dialog);
  EnableWindow(GetDlgItem(dialog, IDC_UNTIL_DATE), opening.draft.repeat != Repeat::None);
}

void OnDateChosen(HWND dialog, LabelEntryOpening& opening, int comboId) {
  std::string text = SelectedItemText(GetDlgItem(dialog, comboId));
  if (text.empty()) return;
  int16_t value = NumberOf(text);
  if (comboId == IDC_DAY_COMBO) {
    opening.draft.day = value;
  } else if (comboId == IDC_YEAR_COMBO) {
    opening.draft.year = value;
  } else {
    opening.draft.month = value;
    FillDayList(dialog, opening, value);  // the day is kept even when the new month is too short
  }
}

void OnSwatchChosen(HWND dialog, LabelEntryOpening& opening, int id) {
  const int was = SwatchOfColor(opening.draft.color);
  opening.draft.color = ReadSwatchColor(dialog, id);
  FillColorBox(dialog, IDC_COLOR_PREVIEW, opening.draft.color);
  // A screen reader hears which square is chosen now, and the preview's new name.
  if (was) NotifyWinEvent(EVENT_OBJECT_STATECHANGE, GetDlgItem(dialog, was), OBJID_CLIENT, 0);
  NotifyWinEvent(EVENT_OBJECT_STATECHANGE, GetDlgItem(dialog, id), OBJID_CLIENT, 0);
  NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, GetDlgItem(dialog, IDC_COLOR_PREVIEW), OBJID_CLIENT, 0);
}

// A number typed into a list's edit field counts as chosen, so that what the
// box shows is what is stored; an empty or non-numeric box gives 0.
void TakeDateFromLists(HWND dialog, LabelDraft& draft) {
  draft.day = NumberOf(WindowText(GetDlgItem(dialog, IDC_DAY_COMBO)));
  draft.month = NumberOf(WindowText(GetDlgItem(dialog, IDC_MONTH_COMBO)));
  draft.year = NumberOf(WindowText(GetDlgItem(dialog, IDC_YEAR_COMBO)));
}

// Whether the almanac shows the draft's date; otherwise says why and returns false.
bool CheckDraftDate(const LabelEntryRequest& request, const LabelDraft& d) {
  if (d.year <= 0) {
    ShowMessage("Seleccione el año de la entrada.");
    return false;
  }
  std::string date = DateText(d.day, d.month, d.year);
  if (!IsRealDate(d.year, d.month, d.day)) {
    ShowMessage("La fecha " + date + " no existe. Elija otro día o mes.");
    return false;
  }
  const CivilDate& start = request.first;
  const CivilDate& end = request.last;
  if (!IsRealDate(start.year, start.month, start.day) ||
      !IsRealDate(end.year, end.month, end.day)) {
    ShowMessage("No hay ningún almanaque abierto en el que guardar la etiqueta.");
    return false;
  }
  auto key = [](int y, int m, int dd) { return (int64_t(y) * 100 + m) * 100 + dd; };
  int64_t at = key(d.year, d.month, d.day);
  if (at < key(start.year, start.month, start.day) || at > key(end.year, end.month, end.day)) {
    ShowMessage("La fecha " + date + " no está en el almanaque, que va del " +
                DateText(start.day, start.month, start.year) + " al " +
                DateText(end.day, end.month, end.year) + ". Elija una fecha entre esas dos.");
    return false;
  }
  return true;
}

// The text as the box shows it, one entry per displayed line.
std::vector<std::string> LinesOfTextBox(HWND textBox) {
  std::vector<std::string> lines;
  LRESULT count = SendMessageA(textBox, EM_GETLINECOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    LRESULT start = SendMessageA(textBox, EM_LINEINDEX, i, 0);
    LRESULT length = start < 0 ? 0 : SendMessageA(textBox, EM_LINELENGTH, start, 0);
    if (length > 0xFFFF) length = 0xFFFF;  // the size word of EM_GETLINE
    std::vector<char> buffer((length > 2 ? length : 2) + 1, '\0');
    LRESULT got = 0;
    if (length > 0) {
      WORD size = WORD(length);
      memcpy(buffer.data(), &size, sizeof size);
      got = SendMessageA(textBox, EM_GETLINE, i, reinterpret_cast<LPARAM>(buffer.data()));
      if (got < 0 || got > length) got = got < 0 ? 0 : length;
    }
    lines.emplace_back(buffer.data(), size_t(got));
  }
  return lines;
}

// The entry as it stands: the lines as the box shows them, what the lists
// show (a number typed into one counts) and the colour.
void TakeEntry(HWND dialog, LabelEntryOpening& opening) {
  TakeDateFromLists(dialog, opening.draft);
  opening.draft.lines = LinesOfTextBox(opening.textBox);
  if (!opening.request->offersRepeat) return;
  opening.draft.repeat = ChosenRepeat(dialog);
  SYSTEMTIME until = {};
  if (SendDlgItemMessageA(dialog, IDC_UNTIL_DATE, DTM_GETSYSTEMTIME, 0,
                          reinterpret_cast<LPARAM>(&until)) == GDT_VALID)
    opening.draft.until = {int16_t(until.wYear), int16_t(until.wMonth), int16_t(until.wDay), 0};
}

// For a repeat: whether "hasta el" can be the end of it and, when it gives
// more than one label, whether the person wants them all.
bool ConfirmRepeat(const LabelEntryRequest& request, const LabelDraft& draft) {
  if (draft.repeat == Repeat::None) return true;
  const CivilDate first{draft.year, draft.month, draft.day, 0};
  if (DateBefore(draft.until, first)) {
    ShowMessage("El día de \"hasta el\", " + ShortDateText(draft.until) +
                ", es anterior al de la etiqueta, " + ShortDateText(first) + ".");
    return false;
  }
  const CivilDate end = DateBefore(request.last, draft.until) ? request.last : draft.until;
  const std::vector<CivilDate> days = RepeatDays(draft.repeat, first, end);
  if (days.size() < 2) return true;
  return AskYesNo("¿Guardar " + std::to_string(days.size()) + " etiquetas, del " +
                  LongDateText(days.front()) + " al " + LongDateText(days.back()) + "?");
}

void OnAccept(HWND dialog, LabelEntryOpening& opening) {
  const bool noText = WindowText(opening.textBox).empty();
  TakeEntry(dialog, opening);
  const LabelDraft& draft = opening.draft;
  if (noText || draft.month <= 0 || draft.day <= 0) {
    ShowMessage("Seleccione día y mes, y escriba el texto que desea ...");
    return;
  }
  if (!CheckDraftDate(*opening.request, draft)) return;
  if (!ConfirmRepeat(*opening.request, draft)) return;  // No: back to the dialog
  // The caller stores it; when it cannot, it says why and the entry stays
  // here to try again.
  if (!opening.request->store || !opening.request->store(draft)) return;
  opening.stored = true;
  EndDialogWindow(dialog, 0);
}

void OnCommand(HWND dialog, LabelEntryOpening& opening, int id, int notification) {
  if (id >= IDC_SWATCH_FIRST && id <= IDC_SWATCH_LAST) {
    OnSwatchChosen(dialog, opening, id);
    return;
  }
  switch (id) {
    case IDC_DAY_COMBO:
    case IDC_MONTH_COMBO:
    case IDC_YEAR_COMBO:
      if (notification == CBN_SELCHANGE) OnDateChosen(dialog, opening, id);
      break;
    case IDC_REPEAT_COMBO:
      if (notification == CBN_SELCHANGE) OnRepeatChosen(dialog, opening);
      break;
    case IDC_LABEL_OK:
      if (notification == BN_CLICKED || notification == 1) OnAccept(dialog, opening);
      break;
    case IDC_LABEL_CANCEL:
      if (notification == BN_CLICKED || notification == 1) EndDialogWindow(dialog, 0);
      break;
    case IDC_LABEL_TEXT:
      if (notification == EN_MAXTEXT)
        ShowMessage("El texto de una etiqueta no puede pasar de " + std::to_string(kTextLimit) +
                    " caracteres: lo que no cabía no se ha añadido.");
      break;
    default:
      break;  // Escape/Enter (IDCANCEL/IDOK) do nothing
  }
}

INT_PTR OnDrawItem(LabelEntryOpening& opening, const DRAWITEMSTRUCT* item) {
  const Surface* surface = SurfaceOf(opening, int(item->CtlID));
  if (!surface) return FALSE;
  PaintSurface(item->hDC, item->rcItem, *surface);
  if (GetFocus() == item->hwndItem) {
    RECT focus = item->rcItem;
    InflateRect(&focus, -2, -2);
    DrawFocusRect(item->hDC, &focus);
  }
  return TRUE;
}

void OnDestroy(HWND dialog, LabelEntryOpening& opening) {
  // However it ends, the entry goes back to the caller as it stands.
  if (!opening.stored) TakeEntry(dialog, opening);
  ReleaseLegends(dialog, opening);
  SetWindowLongPtrA(dialog, DWLP_USER, 0);
}

INT_PTR CALLBACK LabelEntryDialog(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  LabelEntryOpening* opening = OpeningOf(dialog);
  if (!opening) return FALSE;
  switch (msg) {
    case WM_INITDIALOG:
      OnInitDialog(dialog, *opening);
      return TRUE;  // the text box gets the focus
    case WM_NCACTIVATE:
      KeepFocusAcrossActivation(wParam, opening->savedFocus);
      return FALSE;
    case WM_COMMAND:
      OnCommand(dialog, *opening, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_DRAWITEM:
      return OnDrawItem(*opening, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_DESTROY:
      OnDestroy(dialog, *opening);
      return FALSE;
    case kStartedMessage:
      if (gStartedHook) gStartedHook(dialog);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

bool ShowLabelEntryDialog(const LabelEntryRequest& request, LabelDraft& draft) {
  LabelEntryOpening opening;
  opening.request = &request;
  opening.draft = draft;
  HWND dialog = CreateLabelEntryWindow(request.title);
  if (!dialog) return false;
  // The handler finds the opening from the start: the controls are made
  // (and may send their first messages) before WM_INITDIALOG.
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&opening));
  AddLabelControls(dialog, opening);
  // Ctrl+Enter is "Aceptar"; Enter in the text box starts a new line.
  SetDialogAccelerators(
      dialog, LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDA_LABEL_ENTRY)));
  gRunningDialog = dialog;
  RunDialog(dialog, 0);
  gRunningDialog = nullptr;
  ReleaseOpening(opening);
  draft = opening.draft;
  return opening.stored;
}

COLORREF ReadSwatchColor(HWND dialog, int id) {
  LabelEntryOpening* opening = OpeningOf(dialog);
  const Surface* surface = opening ? SurfaceOf(*opening, id) : nullptr;
  COLORREF color = surface && surface->dc ? GetPixel(surface->dc, 2, 2) : CLR_INVALID;
  if (color != CLR_INVALID) return color;
  // No surface (out of GDI resources): the palette still knows the colour.
  return id >= IDC_SWATCH_FIRST && id <= IDC_SWATCH_LAST
             ? COLORREF(kSwatchColor[id - IDC_SWATCH_FIRST])
             : kWhite;
}

void FillColorBox(HWND dialog, int id, COLORREF color) {
  LabelEntryOpening* opening = OpeningOf(dialog);
  Surface* surface = opening ? SurfaceOf(*opening, id) : nullptr;
  if (!surface) return;
  FillSurface(*surface, color);
  HWND control = GetDlgItem(dialog, id);
  if (control) InvalidateRect(control, nullptr, FALSE);
}

const Surface* ColorBoxSurface(HWND dialog, int id) {
  LabelEntryOpening* opening = IsWindow(dialog) ? OpeningOf(dialog) : nullptr;
  const Surface* surface = opening ? SurfaceOf(*opening, id) : nullptr;
  return surface && surface->dc ? surface : nullptr;
}

bool MayEndWithLabelEntry() {
  static bool asking = false;  // the question leaves the windows usable
  if (asking) return false;
  HWND dialog = gRunningDialog;
  LabelEntryOpening* opening = IsWindow(dialog) ? OpeningOf(dialog) : nullptr;
  // Typing or pasting marks the box as changed; the text it was given does not.
  if (!opening || WindowText(opening->textBox).empty() ||
      !SendMessageA(opening->textBox, EM_GETMODIFY, 0, 0))
    return true;
  asking = true;
  const bool yes = AskYesNo("¿Salir sin guardar la etiqueta?");
  asking = false;
  if (!yes && IsWindow(dialog)) SetForegroundWindow(dialog);
  return yes;
}

void SetLabelDialogStartedHook(LabelDialogHook hook) { gStartedHook = hook; }
