// The menu "Archivos" ("Nuevo", "Leer", "Autor", "Salir") and the file
// named on the command line.
#pragma once
#include <windows.h>

#include <string>

#include "main_window.h"

// Runs a command of the menu; false when `id` is not one of them.
bool RunFileCommand(MainWindowState& state, WORD id);

// The file the command line names, opened when it exists.
void OpenCommandLineFile(MainWindowState& state);
// "Nuevo" once its folder is there: the new almanac dialog, then the day boxes.
void NewAlmanacCommand(MainWindowState& state);
// The label file at `path` read and shown from its start; a file that
// cannot be read or is damaged is reported and the almanac shown, if any,
// stays as it was.
void OpenAlmanacCommand(MainWindowState& state, const std::string& path);
// The shown almanac's file read and drawn again where the view stands.
void ReadShownFileAgain(MainWindowState& state);
