#include "program_folder.h"

namespace {
std::string gProgramFolder;
std::string gAlmanacFolder;
std::string gBackupFolder;
std::string gSyncFolder;

}  // namespace

const std::string& ProgramFolder() { return gProgramFolder; }

void SetProgramFolder(const std::string& folder) { gProgramFolder = folder; }

const std::string& AlmanacFolder() {
  return gAlmanacFolder.empty() ? gProgramFolder : gAlmanacFolder;
}

void SetAlmanacFolder(const std::string& folder) { gAlmanacFolder = folder; }

const std::string& BackupFolder() { return gBackupFolder; }

void SetBackupFolder(const std::string& folder) { gBackupFolder = folder; }

const std::string& SyncFolder() { return gSyncFolder; }

void SetSyncFolder(const std::string& folder) { gSyncFolder = folder; }
