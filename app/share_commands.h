// The menu "Compartir": the almanac shown as an iCalendar file and as a
// picture, the events of an iCalendar file as its labels, and the almanac
// synced with a CalDAV calendar.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "../data/file_io.h"
#include "../data/label_file.h"
#include "main_window.h"

// Adds the pop-up "Compartir" to the menu bar.
void AppendShareMenu(HMENU bar);

// Runs a command of the menu; false when `id` is not one of them.
// The commands act on the almanac shown.
bool OnShareCommand(MainWindowState& state, WORD id);

// Each command after its file dialog, for the path chosen: it tells the
// user how it went.
void ExportIcsTo(MainWindowState& state, const std::string& path);
// The calendar is read on a worker thread; once that takes longer than
// half a second, a window shows its progress with "Cancelar", after which
// nothing is added.
void ImportIcsFrom(MainWindowState& state, const std::string& path);
// The picture shows a window with its progress and "Cancelar" once it has
// taken longer than half a second; an existing file stays as it was when it
// is cancelled.
void SavePictureTo(MainWindowState& state, const std::string& path);

// Tests set how long the picture, or an import, works before its progress
// window shows.
void SetPictureProgressDelay(DWORD ms);
void SetImportProgressDelay(DWORD ms);
