// The "Leer" file dialog.
#pragma once
#include <windows.h>

#include <string>

// Shows the system's open-file dialog for "Almanaque" (*.zanual) files.
// Returns 1 with the chosen path (blanks trimmed) in `file`, or 0 with
// `file` empty when cancelled.
int ChooseAlmanacFile(HWND owner, std::string& file);

// The folder the next dialog starts in (empty: the current directory).
std::string LastChosenFolder();
