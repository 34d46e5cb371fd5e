// "Elige tiempo": start date, day count and name of a new almanac.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// What "Aceptar" chose: the name (UTF-8, as every path) and the days.
struct NewAlmanac {
  std::string name;
  int16_t startDay = 0, startMonth = 0, startYear = 0;
  int16_t dayCount = 0;  // N: the almanac shows N + 1 days
  // "Traer etiquetas de otro almanaque": once it is made, labels of another
  // almanac's file are offered for it.
  bool bringLabels = false;
};

// Shows the dialog (no owner) and returns when it has closed: true with
// `chosen` set after "Aceptar" on valid values, false when cancelled.
bool NewAlmanacDialog(NewAlmanac& chosen);

// The numeric value of a typed count: leading blanks skipped, then the
// digits up to the first other character; no digits give 0. Saturates at
// kMaxCountValue so a pasted run of digits cannot overflow.
constexpr int32_t kMaxCountValue = 99999999;  // beyond any date Windows can hold
int32_t CountValue(const std::string& text);

// The preview line for a start date and the text of the day-count box:
// "hasta el dd\MM\yyyy", or "El numero NO es valido ..." for a text with a
// non-digit or a count that leads past the last date Windows can hold.
std::string EndPreviewText(const SYSTEMTIME& start, const std::string& countText);

// Tests drive the dialog from here: called once the controls are filled,
// before the dialog is shown and its loop runs. nullptr removes the hook.
void SetNewAlmanacDialogHook(void (*hook)(HWND dialog));
