// "Entrada de datos": the text, colour and date of a new label.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "../data/calendar.h"
#include "../data/label_file.h"
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

// What the dialog is told of the almanac shown, from its layout.
struct LabelEntryAlmanac {
  bool spansNextYear = false;     // the year list also offers the start year + 1
  MonthLengthTable monthLengths;  // as the days leave them: February of the last year shown
  // Called as the dialog closes, once a day and month have been chosen, with
  // the lines "Aceptar" stored (none when it was not pressed), so the
  // almanac shows them at once.
  void (*closed)(const std::vector<LabelRecord>& stored) = nullptr;
};

// Shows the dialog; returns when it has ended (always 0). The dialog never
// has an owner, so the main window stays usable.
INT_PTR ShowLabelEntryDialog(HWND parent, const LabelEntryAlmanac& almanac);

// The colour at (2, 2) of a square's surface: the swatch's colour.
COLORREF ReadSwatchColor(HWND dialog, int id);
// Fills a square's whole surface with `color` and repaints the control.
void FillColorBox(HWND dialog, int id, COLORREF color);
// The surface behind square `id` (a swatch or the preview) while the dialog
// is open; nullptr otherwise.
const Surface* ColorBoxSurface(int id);

// Seam for the tests: `hook` is called once the dialog is shown and its
// loop runs. Pass nullptr to go back to normal.
using LabelDialogHook = void (*)(HWND dialog);
void SetLabelDialogStartedHook(LabelDialogHook hook);
