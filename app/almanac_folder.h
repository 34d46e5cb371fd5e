// Where new almanacs go. The installer leaves a tarvina.ini beside the
// program it installs, so the setting belongs to that copy alone: a portable
// copy, even on the same machine, has none and keeps its almanacs beside
// itself, and uninstalling takes the setting away with the program.
#pragma once
#include <string>

#include "../data/file_io.h"

// The folder for new almanacs, with its trailing backslash: "Almanaques" in
// the user's Documents known folder when the tarvina.ini in `programFolder`
// says "Almanaques=Documentos" under [tarvina]; otherwise `programFolder`.
std::string ChooseAlmanacFolder(const std::string& programFolder);

// The folder for copies of label files: tarvina\Copias\ in the user's
// local application data (%LOCALAPPDATA%); empty when the system cannot say.
std::string ChooseBackupFolder();

// The folder for the links and sync states of almanacs:
// tarvina\Sincronizar\ in %LOCALAPPDATA%; empty when the system cannot say.
std::string ChooseSyncFolder();

// Whether new almanacs can be written to `folder`: creates it when it is
// missing (its parent must exist), then writes and removes a scratch file.
FileError PrepareAlmanacFolder(const std::string& folder);
