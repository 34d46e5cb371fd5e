// "Elige tiempo": start date, day count and name of a new almanac.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// Shows the dialog; returns when it has closed. On "Aceptar" with valid
// values, gAlmanac holds the new almanac, isReady is 1 and the main
// window's title is set; returns 1 then, 0 when cancelled.
INT_PTR NewAlmanacDialog(HWND owner);

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
