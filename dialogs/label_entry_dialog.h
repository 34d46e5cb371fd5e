// "Entrada de datos": the text, colour and date of a new label.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "../render/surface.h"

// What the user has chosen for a label. It lives for the whole run, so the
// day, month and year of the last label are offered again at the next opening.
struct LabelDraft {
  COLORREF color = 0;  // white again at every opening, then the last swatch clicked
  int16_t day = 0;
  int16_t month = 0;
  int16_t year = 0;
  std::string lastText;  // the last list item chosen, or the text taken at the last "Aceptar"
};
extern LabelDraft gLabelDraft;

// Shows the dialog; returns when it has ended (always 0). A stored label is
// drawn by the main window's OpenAlmanacCommand when the dialog closes.
// The dialog never has an owner, so the main window stays usable.
INT_PTR ShowLabelEntryDialog(HWND parent);

// The colour at (2, 2) of a square's surface: the swatch's colour.
COLORREF ReadSwatchColor(HWND dialog, int id);
// Fills a square's whole surface with `color` and repaints the control.
void FillColorBox(HWND dialog, int id, COLORREF color);
// The surface behind square `id` (a swatch or the preview) while the dialog
// is open; nullptr otherwise.
const Surface* ColorBoxSurface(int id);

// Seams for the tests: `hook` is called once the dialog is shown and its
// loop runs; `refresh` replaces OpenAlmanacCommand as the closing refresh.
// Pass nullptr to go back to normal.
using LabelDialogHook = void (*)(HWND dialog);
void SetLabelDialogStartedHook(LabelDialogHook hook);
using LabelRefresh = void (*)();
void SetLabelRefresh(LabelRefresh refresh);
