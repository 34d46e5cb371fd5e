// Exclusive file access for the label store. The Windows build opens files
// for writing with no sharing, so a second writer is refused instead of
// interleaved; the native build (tests only) uses POSIX calls with the same
// contract. Paths are UTF-8.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum class FileError {
  None,
  NotFound,      // the file does not exist
  PathNotFound,  // its folder does not exist
  InUse,         // another program holds it open
  AccessDenied,  // no permission, or a read-only file or folder
  DiskFull,
  BadName,       // not a name a file can have
  Damaged,       // the file exists but does not hold an almanac
  TooLarge,      // more label lines than an almanac may hold
  OtherAlmanac,  // the file holds another almanac than the one shown
  NoMemory,
  Changed,  // the file no longer holds what the program read from it
  Exists,   // a file of that name is there already
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

  // Read and write access, nobody else may open it meanwhile; creates the
  // file when missing (then created() is true) and keeps what it holds.
  FileError OpenForAppend(const std::string& path);
  // Read access, shared with other readers only; never creates the file.
  FileError OpenForRead(const std::string& path);
  // Read and write access, no sharing; a new empty file, never an old one:
  // a file of that name already there gives Exists and is left alone.
  FileError OpenNew(const std::string& path);
  // Both opens wait up to a second for a program that holds the file for a
  // moment (an antivirus, an indexer, a backup) before they report InUse.

  // Lets the file go. A failure means what was written may not be on the
  // disk; the handle is released all the same.
  FileError Close();
  bool isOpen() const { return handle_ != -1; }
  bool created() const { return created_; }

  FileError Size(int64_t& size);
  // Reads up to `count` bytes at `offset`; `got` is what arrived.
  FileError ReadAt(int64_t offset, void* buffer, size_t count, size_t& got);
  // Writes all `count` bytes at `offset`, or reports why not.
  FileError WriteAt(int64_t offset, const void* buffer, size_t count);
  // Returns once everything written is on the disk.
  FileError Flush();
  FileError Truncate(int64_t size);

 private:
  intptr_t handle_ = -1;
  bool created_ = false;
};

// True when `path` names an existing file (not a folder) whose attributes can be read.
bool FileExists(const std::string& path);
// Deletes the file (waiting, like the opens, for a program that holds it a moment).
FileError RemoveFile(const std::string& path);
// Puts the file `from` in the place of `to` in one step, through to the
// disk: afterwards `to` is either the old file or the new one, whole, even
// across a crash. `from` must be in the same folder.
FileError PutFileInPlace(const std::string& from, const std::string& to);
// Opens, with OpenNew, a scratch file of this run's own in the folder of
// `path` (which it may later take the place of): "tarvina-<process>-<n>.tmp",
// a name no other file, no other run and no earlier scratch file of this
// one holds. `scratch` gets its path.
FileError OpenScratchBeside(const std::string& path, ExclusiveFile& file, std::string& scratch);
// Makes the file at `path` hold exactly `bytes`: written whole beside it,
// flushed, closed and put in its place, so a file it replaces stays as it
// was on any failure (nothing is left beside it then).
FileError ReplaceFileWhole(const std::string& path, const std::string& bytes);
// Whether `fileName` (without folder) is one OpenScratchBeside makes.
bool IsScratchName(const std::string& fileName);
// The longest name OpenScratchBeside gives, in characters.
constexpr size_t kScratchNameLength = 33;
// This process's number, as the system gives it (scratch names carry it).
unsigned long ProcessNumber();
// Makes `folder` and any missing folder above it; an existing one is fine.
FileError MakeFolders(const std::string& folder);
// The names of the files (not folders) in `folder`.
FileError ListFiles(const std::string& folder, std::vector<std::string>& names);

// ---- Fault injection, for tests ----
// Every operation above passes one of these points; a test can make the
// nth operation of a kind fail as a full disk, a pulled stick or a lost
// share would, and count how many of each a task makes, so that every
// failure point of a save can be tried in turn. An injected failure acts
// like the real one: a failed write has written part of its bytes, a failed
// close has released the handle, a failed open has created nothing.
enum class FileOp { Open, Size, Read, Write, Flush, Truncate, Close, Remove, Replace, kCount };
// From now on, the `nth` (1-based) operation of `op` fails with `error`.
// Several may be armed at once, also of one kind.
void FailFileOperation(FileOp op, int nth, FileError error = FileError::DiskFull);
// The program stops dead at the `nth` operation of `op`, as a crash or a
// pulled plug would: that operation and every one after it fail, so nothing
// more reaches the disk (a write there lands part of its bytes) and nothing
// is cleaned up. ResetFileFaults brings the program back to life.
void CrashAtFileOperation(FileOp op, int nth);
// Disarms every failure and sets the counts to zero.
void ResetFileFaults();
// Operations of `op` made since the last reset.
int FileOperationCount(FileOp op);
// For the backends: counts the operation; true, with the error to report,
// when it is one that must fail.
bool FileFaultAt(FileOp op, FileError& error);
// For the backends: runs `open` again while it reports InUse, for up to a
// second; returns its last result.
FileError RetryWhileInUse(const std::function<FileError()>& open);
