// Exclusive file access for the label store. The Windows build opens files
// with no sharing, so a second writer is refused instead of interleaved; the
// native build (tests only) uses POSIX calls with the same contract.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

enum class FileError {
  None,
  NotFound,      // the file does not exist
  PathNotFound,  // its folder does not exist
  InUse,         // another program holds it open
  AccessDenied,  // no permission, or a read-only file or folder
  DiskFull,
  BadName,  // not a name a file can have
  Damaged,  // the file exists but does not hold an almanac
  Other,
};

// A sentence for the user, in Spanish, saying why the file could not be used.
const char* FileErrorText(FileError error);

class ExclusiveFile {
 public:
  ExclusiveFile() = default;
  ExclusiveFile(const ExclusiveFile&) = delete;
  ExclusiveFile& operator=(const ExclusiveFile&) = delete;
  ~ExclusiveFile() { Close(); }

  // Write access; creates the file when missing and keeps what it holds.
  FileError OpenForAppend(const std::string& path);
  // Read access; never creates the file.
  FileError OpenForRead(const std::string& path);
  void Close();

  FileError Size(int64_t& size);
  // Reads up to `count` bytes at `offset`; `got` is what arrived.
  FileError ReadAt(int64_t offset, void* buffer, size_t count, size_t& got);
  // Writes all `count` bytes at `offset`, or reports why not.
  FileError WriteAt(int64_t offset, const void* buffer, size_t count);
  FileError Truncate(int64_t size);

 private:
  intptr_t handle_ = -1;
};

// True when `path` names an existing file (not a folder) whose attributes can be read.
bool FileExists(const std::string& path);
