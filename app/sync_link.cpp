#include "sync_link.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <wincred.h>

#include <cctype>
#include <cstdio>

#include "../data/program_folder.h"
#include "../sync/sync_state.h"
#include "path_util.h"
#include "wide.h"

namespace {

constexpr size_t kMaxLinkBytes = 16 * 1024;

// One key per almanac file, wherever it is; the name first, for people.
std::string FileStem(const std::string& almanacPath) {
  std::string lower;
  for (char c : almanacPath) lower += char(std::tolower(uint8_t(c)));
  uint64_t hash = 0xCBF29CE484222325ull;
  for (unsigned char b : lower) {
    hash ^= b;
    hash *= 0x100000001B3ull;
  }
  char key[24];
  snprintf(key, sizeof key, " %016llx", static_cast<unsigned long long>(hash));
  return SyncFolder() + StripExtension(FileNameOfPath(almanacPath)) + key;
}

std::wstring CredentialTarget(const SyncLink& link) {
  return L"tarvina:" + Widen(link.user) + L"@" + Widen(link.address);
}

}  // namespace

std::string SyncLinkPath(const std::string& almanacPath) {
  return FileStem(almanacPath) + ".enlace";
}

std::string SyncStatePath(const std::string& almanacPath) {
  return FileStem(almanacPath) + ".estado";
}

bool ReadSyncLink(const std::string& almanacPath, SyncLink& link) {
  link = SyncLink();
  std::string text;
  if (SyncFolder().empty() ||
      ReadWholeFile(SyncLinkPath(almanacPath), text, kMaxLinkBytes) != FileError::None)
    return false;
  size_t first = text.find('\n');
  size_t second = first == std::string::npos ? first : text.find('\n', first + 1);
  if (second == std::string::npos) return false;
  link.address = text.substr(0, first);
  link.user = text.substr(first + 1, second - first - 1);
  return !link.address.empty();
}

FileError WriteSyncLink(const std::string& almanacPath, const SyncLink& link) {
  if (SyncFolder().empty()) return FileError::PathNotFound;
  FileError error = MakeFolders(SyncFolder());
  if (error != FileError::None) return error;
  SyncLink before;
  if (ReadSyncLink(almanacPath, before) &&
      (before.address != link.address || before.user != link.user)) {
    error = RemoveFile(SyncStatePath(almanacPath));
    if (error != FileError::None && error != FileError::NotFound) return error;
    CredDeleteW(CredentialTarget(before).c_str(), CRED_TYPE_GENERIC, 0);  // that link's password
  }
  return WriteWholeFile(SyncLinkPath(almanacPath), link.address + "\n" + link.user + "\n");
}

void RemoveSyncLink(const std::string& almanacPath) {
  SyncLink link;
  if (ReadSyncLink(almanacPath, link))
    CredDeleteW(CredentialTarget(link).c_str(), CRED_TYPE_GENERIC, 0);
  RemoveFile(SyncStatePath(almanacPath));
  RemoveFile(SyncLinkPath(almanacPath));
}

bool ReadSyncPassword(const SyncLink& link, std::string& password) {
  password.clear();
  PCREDENTIALW credential = nullptr;
  if (!CredReadW(CredentialTarget(link).c_str(), CRED_TYPE_GENERIC, 0, &credential)) return false;
  std::wstring wide(reinterpret_cast<const wchar_t*>(credential->CredentialBlob),
                    credential->CredentialBlobSize / sizeof(wchar_t));
  CredFree(credential);
  password = Narrow(wide);
  return true;
}

bool WriteSyncPassword(const SyncLink& link, const std::string& password) {
  std::wstring target = CredentialTarget(link);
  std::wstring user = Widen(link.user);
  std::wstring secret = Widen(password);
  CREDENTIALW credential = {};
  credential.Type = CRED_TYPE_GENERIC;
  credential.TargetName = &target[0];
  credential.UserName = &user[0];
  credential.CredentialBlobSize = DWORD(secret.size() * sizeof(wchar_t));
  credential.CredentialBlob = reinterpret_cast<LPBYTE>(secret.data());
  // This user on this computer; not carried to others with a roaming profile.
  credential.Persist = CRED_PERSIST_LOCAL_MACHINE;
  return CredWriteW(&credential, 0) != 0;
}
