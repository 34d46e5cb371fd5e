// The menu "Ir": "Hoy", "Fecha...", "Buscar..." and "Buscar siguiente".
#pragma once
#include <windows.h>

#include "main_window.h"

// Runs a command of the menu; false when `id` is not one of them.
bool RunGoCommand(MainWindowState& state, WORD id);
