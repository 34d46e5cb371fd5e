// The menu "Compartir": the almanac shown as an iCalendar file and as a
// picture, the events of an iCalendar file as its labels, and the almanac
// synced with a CalDAV calendar.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "../data/file_io.h"
#include "../data/label_file.h"

// The commands act on the almanac shown: greyed while there is none.
extern const UINT kShareCommands[4];

// Adds the pop-up "Compartir" to the menu bar.
void AppendShareMenu(HMENU bar);

// Runs a command of the menu; false when `id` is not one of them.
bool OnShareCommand(WORD id);

// Each command after its file dialog, for the path chosen: it tells the
// user how it went.
void ExportIcsTo(const std::string& path);
void ImportIcsFrom(const std::string& path);
// The picture shows a window with its progress and "Cancelar" once it has
// taken longer than half a second; an existing file stays as it was when it
// is cancelled.
void SavePictureTo(const std::string& path);

// Tests set how long the picture works before its progress window shows.
void SetPictureProgressDelay(DWORD ms);
