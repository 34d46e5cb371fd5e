// An almanac's link to a calendar: the address and the user in a small
// file, and the sync state beside it, both in the folder
// %LOCALAPPDATA%\tarvina\Sincronizar\ and named after the almanac's file
// (never beside the .zanual, which stays as the file format says); the password in the
// Windows Credential Manager, for the current user only.
#pragma once
#include <string>

#include "../data/file_io.h"

struct SyncLink {
  std::string address;  // the calendar collection, e.g. http://127.0.0.1:5232/ana/casa/
  std::string user;
};

// The files of the almanac whose label file is `almanacPath`.
std::string SyncLinkPath(const std::string& almanacPath);
std::string SyncStatePath(const std::string& almanacPath);

// False when the almanac is not linked (or its link cannot be read).
bool ReadSyncLink(const std::string& almanacPath, SyncLink& link);
// Keeps the link; a link to another address or user than before starts
// with no state, as that calendar has never been synced.
FileError WriteSyncLink(const std::string& almanacPath, const SyncLink& link);
// Forgets the link, the state and the password.
void RemoveSyncLink(const std::string& almanacPath);

// The password kept for `link`; false when there is none.
bool ReadSyncPassword(const SyncLink& link, std::string& password);
bool WriteSyncPassword(const SyncLink& link, const std::string& password);
