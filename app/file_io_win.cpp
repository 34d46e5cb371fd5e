// Windows backend of ExclusiveFile: written with no sharing, so a label file
// held open by anyone else is refused and reported, never interleaved; read
// sharing reads only. Paths meet Windows as UTF-16.
#include "file_io_win.h"

#include <windows.h>

#include "wide.h"

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
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return FileError::Exists;
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

// A failed injected write still lands part of its bytes, as a full disk does.
size_t InjectedPart(size_t count) { return count / 2; }

FileError OpenShared(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                     intptr_t& out, bool& created) {
  const std::wstring wide = Widen(path);
  return RetryWhileInUse([&] {
    FileError injected;
    if (FileFaultAt(FileOp::Open, injected)) return injected;
    HANDLE h = CreateFileW(wide.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return FromLastError(GetLastError());
    created = disposition != OPEN_EXISTING && GetLastError() != ERROR_ALREADY_EXISTS;
    out = reinterpret_cast<intptr_t>(h);
    return FileError::None;
  });
}

}  // namespace

FileError ExclusiveFile::OpenForAppend(const std::string& path) {
  Close();
  return OpenShared(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS, handle_, created_);
}

FileError ExclusiveFile::OpenForRead(const std::string& path) {
  Close();
  // Others may read along (an indexer, an antivirus); nobody may write meanwhile.
  return OpenShared(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, handle_, created_);
}

FileError ExclusiveFile::OpenNew(const std::string& path) {
  Close();
  return OpenShared(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW, handle_, created_);
}

FileError ExclusiveFile::Close() {
  if (handle_ == -1) return FileError::None;
  FileError injected;
  bool fails = FileFaultAt(FileOp::Close, injected);
  BOOL closed = CloseHandle(AsHandle(handle_));
  handle_ = -1;
  if (fails) return injected;
  return closed ? FileError::None : FromLastError(GetLastError());
}

FileError ExclusiveFile::Size(int64_t& size) {
  FileError injected;
  if (FileFaultAt(FileOp::Size, injected)) return injected;
  LARGE_INTEGER li;
  if (!GetFileSizeEx(AsHandle(handle_), &li)) return FromLastError(GetLastError());
  size = li.QuadPart;
  return FileError::None;
}

FileError ExclusiveFile::ReadAt(int64_t offset, void* buffer, size_t count, size_t& got) {
  got = 0;
  FileError injected;
  if (FileFaultAt(FileOp::Read, injected)) return injected;
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
  FileError injected;
  bool fails = FileFaultAt(FileOp::Write, injected);
  const size_t total = fails ? InjectedPart(count) : count;
  size_t done = 0;
  while (done < total) {
    OVERLAPPED at = {};
    at.Offset = DWORD(uint64_t(offset + done) & 0xFFFFFFFFu);
    at.OffsetHigh = DWORD(uint64_t(offset + done) >> 32);
    DWORD chunk = total - done > 0x40000000 ? 0x40000000 : DWORD(total - done);
    DWORD n = 0;
    if (!WriteFile(AsHandle(handle_), static_cast<const char*>(buffer) + done, chunk, &n, &at))
      return FromLastError(GetLastError());
    if (n == 0) return FileError::DiskFull;
    done += n;
  }
  return fails ? injected : FileError::None;
}

FileError ExclusiveFile::Flush() {
  FileError injected;
  if (FileFaultAt(FileOp::Flush, injected)) return injected;
  return FlushFileBuffers(AsHandle(handle_)) ? FileError::None : FromLastError(GetLastError());
}

FileError ExclusiveFile::Truncate(int64_t size) {
  FileError injected;
  if (FileFaultAt(FileOp::Truncate, injected)) return injected;
  LARGE_INTEGER li;
  li.QuadPart = size;
  if (!SetFilePointerEx(AsHandle(handle_), li, nullptr, FILE_BEGIN) ||
      !SetEndOfFile(AsHandle(handle_)))
    return FromLastError(GetLastError());
  return FileError::None;
}

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

FileError RemoveFile(const std::string& path) {
  const std::wstring wide = Widen(path);
  return RetryWhileInUse([&] {
    FileError injected;
    if (FileFaultAt(FileOp::Remove, injected)) return injected;
    return DeleteFileW(wide.c_str()) ? FileError::None : FromLastError(GetLastError());
  });
}

FileError PutFileInPlace(const std::string& from, const std::string& to) {
  const std::wstring source = Widen(from), target = Widen(to);
  return RetryWhileInUse([&] {
    FileError injected;
    if (FileFaultAt(FileOp::Replace, injected)) return injected;
    // A rename within one folder: the file system swaps the names at once.
    return MoveFileExW(source.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? FileError::None
               : FromLastError(GetLastError());
  });
}

FileError MakeFolders(const std::string& folder) {
  std::string path = folder;
  while (path.size() > 1 && path.back() == '\\') path.pop_back();
  if (CreateDirectoryW(Widen(path).c_str(), nullptr)) return FileError::None;
  DWORD err = GetLastError();
  if (err == ERROR_PATH_NOT_FOUND) {
    // Its parent first, then the folder itself.
    size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos || slash == 0) return FileError::PathNotFound;
    FileError error = MakeFolders(path.substr(0, slash));
    if (error != FileError::None) return error;
    if (CreateDirectoryW(Widen(path).c_str(), nullptr)) return FileError::None;
    err = GetLastError();
  }
  if (err != ERROR_ALREADY_EXISTS) return FromLastError(err);
  DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)
             ? FileError::None
             : FileError::PathNotFound;
}

FileError ListFiles(const std::string& folder, std::vector<std::string>& names) {
  names.clear();
  std::string pattern = folder;
  if (!pattern.empty() && pattern.back() != '\\') pattern += '\\';
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Widen(pattern + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    DWORD err = GetLastError();
    return err == ERROR_FILE_NOT_FOUND ? FileError::None : FromLastError(err);
  }
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      names.push_back(Narrow(found.cFileName));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return FileError::None;
}

unsigned long ProcessNumber() { return GetCurrentProcessId(); }

FileError FileErrorOf(DWORD error) { return FromLastError(error); }
