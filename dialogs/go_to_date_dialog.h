// "Ir a la fecha": a date picker, to bring a day of the almanac to the top.
#pragma once
#include <windows.h>

#include "../data/calendar.h"

struct GoToDateRequest {
  CivilDate first, last;  // the almanac's first and last day
  CivilDate shown;        // the date the picker starts on
};

// Shows the dialog (no owner) and returns when it has closed: true with
// `chosen` set after "Aceptar" (or Enter) on a date from first to last,
// false after "Cancelar" (or Escape). A date outside the almanac is refused
// with a message saying which days it holds, and the dialog stays.
bool GoToDateDialog(const GoToDateRequest& request, CivilDate& chosen);

// Tests drive the dialog from here: called once its controls are filled,
// before it is shown. nullptr removes the hook.
void SetGoToDateDialogHook(void (*hook)(HWND dialog));
