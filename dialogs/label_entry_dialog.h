// "Entrada de datos": the text, colour and date of a new label.
#pragma once
#include <windows.h>

// Shows the dialog; returns when it has ended (always 0). A stored label is
// drawn by the main window's OpenAlmanacCommand when the dialog closes.
INT_PTR ShowLabelEntryDialog(HWND parent);
