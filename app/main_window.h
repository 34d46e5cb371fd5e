// The main window: menu, almanac control, the strip and view surfaces, scrolling.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "../data/label_file.h"
#include "../dialogs/label_entry_dialog.h"
#include "../render/layout.h"
#include "../render/surface.h"
#include "../render/tile_strip.h"

extern HWND MainWindow;
extern HMENU MainMenu;
extern HWND AlmanacControl;
// The almanac's picture, in tiles drawn as the view needs them.
extern TileStrip AlmanacStrip;
// The visible slice; it is also the control's persistent image, which the
// control repaints from (its face shows the view's top-left part).
extern Surface AlmanacView;
// Where the picture's top lies on the view: -95 shows it from row 95 on.
extern int64_t ViewOffset;
extern int32_t dialogOpen;
extern std::string currentFile;

// Builds the window, shows it and runs its loop; returns 0 when it has been
// destroyed. `commandLine` is the text after the program name, in UTF-8.
int RunMainWindow(const char* commandLine);

// Builds the window, hidden, without running it (RunMainWindow does both;
// tests drive the window through this).
HWND BuildMainWindow(const char* commandLine);

// Shows the picture at ViewOffset in AlmanacControl.
void RefreshView();
// "Nuevo": the new almanac dialog, then the day boxes.
void NewAlmanacCommand();
// Reads gAlmanac.filePath and draws the almanac with its labels; a file that
// cannot be read or is damaged is reported and nothing is drawn.
void OpenAlmanacCommand();
// Records just appended to the almanac's file join the almanac shown, which
// is drawn again from the first row that moved.
void ShowStoredLabel(const std::vector<LabelRecord>& stored);
// `lines` appended to the almanac's file in one write (all or none; a copy
// made first, the first time) as one change "Deshacer" takes back, and
// shown; false, having said why (`failed`, the reason, `after`), when the
// file stays as it was.
bool AppendAsOneChange(const std::vector<LabelRecord>& lines, const char* failed,
                       const char* after);
// "Aceptar" in "Modificar etiqueta" for the label at `place` with `draft`,
// without the dialog: stored (a copy made first, the first time), kept for
// "Deshacer" and shown; false, having said why, when the file stays as it was.
bool ChangeShownLabel(const LabelPlace& place, const LabelDraft& draft);
// The layout of the almanac shown (no days while there is none).
const AlmanacLayout& ShownLayout();
// Sets the title "Almanaque - <name>.zanual"; `name` is UTF-8.
void SetAlmanacTitle(const std::string& name);
