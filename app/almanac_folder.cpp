#include "almanac_folder.h"

#include <windows.h>
#include <shlobj.h>

#include "wide.h"

namespace {

constexpr char kSettingsFile[] = "tarvina.ini";
constexpr char kAlmanacsInDocuments[] = "Almanaques\\";

// A known folder, wherever the user has moved it, with its trailing
// backslash; empty when the system cannot say.
std::string KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  std::string folder;
  if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path))) folder = Narrow(path);
  CoTaskMemFree(path);
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

}  // namespace

std::string ChooseAlmanacFolder(const std::string& programFolder) {
  wchar_t value[64] = {};
  GetPrivateProfileStringW(L"tarvina", L"Almanaques", L"", value, 64,
                           Widen(programFolder + kSettingsFile).c_str());
  if (lstrcmpiW(value, L"Documentos") != 0) return programFolder;
  std::string documents = KnownFolder(FOLDERID_Documents);
  // Without a Documents folder the almanacs still have a home beside the program.
  return documents.empty() ? programFolder : documents + kAlmanacsInDocuments;
}

std::string ChooseBackupFolder() {
  std::string local = KnownFolder(FOLDERID_LocalAppData);
  return local.empty() ? local : local + "tarvina\\Copias\\";
}

std::string ChooseSyncFolder() {
  std::string local = KnownFolder(FOLDERID_LocalAppData);
  return local.empty() ? local : local + "tarvina\\Sincronizar\\";
}

FileError PrepareAlmanacFolder(const std::string& folder) {
  // An existing folder makes this fail harmlessly; the scratch file tells.
  CreateDirectoryW(Widen(folder).c_str(), nullptr);
  std::string scratch = folder + "tarvina-" + std::to_string(GetCurrentProcessId()) + ".tmp";
  ExclusiveFile file;
  FileError error = file.OpenForAppend(scratch);
  file.Close();
  if (error == FileError::None) DeleteFileW(Widen(scratch).c_str());
  return error;
}
