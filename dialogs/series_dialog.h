// "Serie": asked before a label of a series is changed or removed, whether
// the change is for that label alone or for the following ones too.
#pragma once
#include <windows.h>

enum class SeriesChoice { Cancel, ThisOne, ThisAndFollowing };

// Shows the dialog (no owner) and returns the button pressed; Escape or a
// close is "Cancelar".
SeriesChoice SeriesDialog();

// Tests drive the dialog from here: called once its controls exist, before
// it is shown. nullptr removes the hook.
void SetSeriesDialogHook(void (*hook)(HWND dialog));
