// Windows backend of ExclusiveFile: CreateFileA with no sharing, so a label
// file held open by anyone else is refused and reported, never interleaved.
#include <windows.h>

#include "../data/file_io.h"

namespace {

FileError FromLastError(DWORD err) {
  switch (err) {
    case ERROR_FILE_NOT_FOUND:
      return FileError::NotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
      return FileError::PathNotFound;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return FileError::InUse;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return FileError::AccessDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return FileError::DiskFull;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY:
      return FileError::BadName;
    default:
      return FileError::Other;
  }
}

HANDLE AsHandle(intptr_t h) { return reinterpret_cast<HANDLE>(h); }

FileError OpenExclusive(const std::string& path, DWORD access, DWORD disposition, intptr_t& out) {
  HANDLE h = CreateFileA(path.c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return FromLastError(GetLastError());
  out = reinterpret_cast<intptr_t>(h);
  return FileError::None;
}

}  // namespace

FileError ExclusiveFile::OpenForAppend(const std::string& path) {
  Close();
  return OpenExclusive(path, GENERIC_WRITE, OPEN_ALWAYS, handle_);
}

FileError ExclusiveFile::OpenForRead(const std::string& path) {
  Close();
  return OpenExclusive(path, GENERIC_READ, OPEN_EXISTING, handle_);
}

void ExclusiveFile::Close() {
  if (handle_ != -1) CloseHandle(AsHandle(handle_));
  handle_ = -1;
}

FileError ExclusiveFile::Size(int64_t& size) {
  LARGE_INTEGER li;
  if (!GetFileSizeEx(AsHandle(handle_), &li)) return FromLastError(GetLastError());
  size = li.QuadPart;
  return FileError::None;
}

FileError ExclusiveFile::ReadAt(int64_t offset, void* buffer, size_t count, size_t& got) {
  got = 0;
  while (got < count) {
    OVERLAPPED at = {};
    at.Offset = DWORD(uint64_t(offset + got) & 0xFFFFFFFFu);
    at.OffsetHigh = DWORD(uint64_t(offset + got) >> 32);
    DWORD chunk = count - got > 0x40000000 ? 0x40000000 : DWORD(count - got);
    DWORD n = 0;
    if (!ReadFile(AsHandle(handle_), static_cast<char*>(buffer) + got, chunk, &n, &at)) {
      DWORD err = GetLastError();
      if (err == ERROR_HANDLE_EOF) break;
      return FromLastError(err);
    }
    if (n == 0) break;
    got += n;
  }
  return FileError::None;
}

FileError ExclusiveFile::WriteAt(int64_t offset, const void* buffer, size_t count) {
  size_t done = 0;
  while (done < count) {
    OVERLAPPED at = {};
    at.Offset = DWORD(uint64_t(offset + done) & 0xFFFFFFFFu);
    at.OffsetHigh = DWORD(uint64_t(offset + done) >> 32);
    DWORD chunk = count - done > 0x40000000 ? 0x40000000 : DWORD(count - done);
    DWORD n = 0;
    if (!WriteFile(AsHandle(handle_), static_cast<const char*>(buffer) + done, chunk, &n, &at))
      return FromLastError(GetLastError());
    if (n == 0) return FileError::DiskFull;
    done += n;
  }
  return FileError::None;
}

FileError ExclusiveFile::Truncate(int64_t size) {
  LARGE_INTEGER li;
  li.QuadPart = size;
  if (!SetFilePointerEx(AsHandle(handle_), li, nullptr, FILE_BEGIN) ||
      !SetEndOfFile(AsHandle(handle_)))
    return FromLastError(GetLastError());
  return FileError::None;
}

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
