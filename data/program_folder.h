// The program's own folder, and the folder where new almanacs keep their
// label files; both with their trailing backslash. One place each, so tests
// can point them elsewhere.
#pragma once
#include <string>

const std::string& ProgramFolder();
void SetProgramFolder(const std::string& folder);

// The program's folder until a setting names another (an installed copy).
const std::string& AlmanacFolder();
void SetAlmanacFolder(const std::string& folder);

// Where copies of label files go before their first change of a run
// (%LOCALAPPDATA%\tarvina\Copias\); empty while it is not known.
const std::string& BackupFolder();
void SetBackupFolder(const std::string& folder);

// Where linked almanacs keep their link and sync state
// (%LOCALAPPDATA%\tarvina\Sincronizar\); empty while it is not known.
const std::string& SyncFolder();
void SetSyncFolder(const std::string& folder);
