// "Entrada de datos": the text, colour and date of a label, new or to be
// changed. The dialog is given a draft and hands the edited draft back; the
// caller stores it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "../data/calendar.h"
#include "../data/label_series.h"
#include "../render/surface.h"

// A label as the dialog edits it.
struct LabelDraft {
  // Given: shown in the text box, one line each. Handed back: the lines as
  // the box shows them, a long one wrapped over several.
  std::vector<std::string> lines;
  COLORREF color = RGB(255, 255, 255);
  int16_t day = 0, month = 0, year = 0;  // 0: not chosen
  // "Repetir:" and "hasta el", where the dialog offers them: one label on
  // each day the rule gives from the draft's date through `until`.
  Repeat repeat = Repeat::None;
  CivilDate until;
};

struct LabelEntryRequest {
  const char* title = "Entrada de datos";
  CivilDate first, last;  // the almanac's first and last day: a label goes on one of them
  // A new label may repeat: "Repetir:" and "hasta el" below the date lists.
  bool offersRepeat = false;
  // Called on "Aceptar" once the entry passes every check (and, for a
  // repeat of more than one label, once the person has said Sí to storing
  // them all): true when the caller has stored it (the dialog ends), false
  // when it could not and has said why (the dialog stays with the entry, to
  // try again).
  std::function<bool(const LabelDraft& draft)> store;
};

// Shows the dialog (no owner) with `draft` and returns when it has closed:
// true after a stored "Aceptar", false after "Cancelar" or a close. Either
// way `draft` holds the entry as the dialog ended: the caller may offer its
// date again next time.
bool ShowLabelEntryDialog(const LabelEntryRequest& request, LabelDraft& draft);

// Whether the program may end as far as the label dialog goes: true when
// none is open or its text box holds nothing typed (empty, or as it was
// given); otherwise it asks "¿Salir sin guardar la etiqueta?", and on No the
// dialog comes back to the front and false is returned.
bool MayEndWithLabelEntry();

// The colour at (2, 2) of a square's surface: the swatch's colour.
COLORREF ReadSwatchColor(HWND dialog, int id);
// Fills a square's whole surface with `color` and repaints the control.
void FillColorBox(HWND dialog, int id, COLORREF color);
// The surface behind square `id` (a swatch or the preview) while the dialog
// is open; nullptr otherwise.
const Surface* ColorBoxSurface(HWND dialog, int id);

// Seam for the tests: `hook` is called once the dialog is shown and its
// loop runs. Pass nullptr to go back to normal.
using LabelDialogHook = void (*)(HWND dialog);
void SetLabelDialogStartedHook(LabelDialogHook hook);
