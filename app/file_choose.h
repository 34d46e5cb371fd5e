// The "Leer" file dialog.
#pragma once
#include <windows.h>

#include <string>

// Shows the system's open-file dialog for "Almanaque" (*.zanual) files,
// starting in the folder of `file` (the current directory when it has none).
// Returns 1 with the chosen path (blanks trimmed) in `file`, or 0 with
// `file` empty when cancelled.
int ChooseAlmanacFile(HWND owner, std::string& file);

// A file type for the dialogs below: its name, its pattern and the
// extension added to a name typed without one.
struct FileType {
  const wchar_t* name;       // "iCalendar"
  const wchar_t* pattern;    // "*.ics"
  const wchar_t* extension;  // "ics"
};

// The system's save dialog for `type`, starting in `folder` (UTF-8; the
// current directory when empty) with `name` in its name field; it asks
// before a file is replaced. The chosen path, or empty when cancelled.
std::string ChooseFileToSave(HWND owner, const FileType& type, const std::string& folder,
                             const std::string& name);
// The system's open dialog for an existing file of `type`.
std::string ChooseFileToOpen(HWND owner, const FileType& type, const std::string& folder);
