// The menu "Etiquetas" ("Nueva", "Deshacer"), the label's own menu
// ("Modificar...", "Borrar") and the double click on a label.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "../dialogs/label_entry_dialog.h"
#include "main_window.h"

// Runs a command of these menus; false when `id` is not one of them.
bool RunLabelCommand(MainWindowState& state, WORD id);

// A double click at (x, y) of the control: "Modificar etiqueta" with the
// label there, if any.
void OnLabelDoubleClick(MainWindowState& state, int x, int y);
// A right click on a label (`screen` as WM_CONTEXTMENU gives it): the label's menu.
void OnLabelMenu(MainWindowState& state, HWND control, LPARAM screen);

// Where and when the copy before the first change of the run is made.
BackupPlace BackupNow();

// `lines` appended to the almanac's file in one write (all or none; a copy
// made first, the first time) as one change "Deshacer" takes back, and
// shown; false, having said why (`failed`, the reason, `after`), when the
// file stays as it was.
bool AppendAsOneChange(MainWindowState& state, const std::vector<LabelRecord>& lines,
                       const std::string& failed, const std::string& after);
// "Aceptar" in "Modificar etiqueta" for the label at `place` with `draft`,
// without the dialog: stored (a copy made first, the first time), kept for
// "Deshacer" and shown; false, having said why, when the file stays as it
// was, and false while a dialog is open or there is no such label.
bool ChangeShownLabel(MainWindowState& state, const LabelPlace& place, const LabelDraft& draft);
