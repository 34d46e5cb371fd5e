// POSIX backend of ExclusiveFile, for the native test build. flock stands in
// for the Windows sharing rules: exclusive for writing, shared for reading.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "file_io.h"

namespace {

FileError FromErrno(int err) {
  switch (err) {
    case ENOENT:
      return FileError::NotFound;
    case ENOTDIR:
      return FileError::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return FileError::AccessDenied;
    case ENOSPC:
    case EDQUOT:
      return FileError::DiskFull;
    case ENAMETOOLONG:
    case EINVAL:
      return FileError::BadName;
    case EWOULDBLOCK:
      return FileError::InUse;
    case EEXIST:
      return FileError::Exists;
    default:
      return FileError::Other;
  }
}

// A failed injected write still lands part of its bytes, as a full disk does.
size_t InjectedPart(size_t count) { return count / 2; }

FileError OpenLocked(const std::string& path, int flags, int lock, intptr_t& handle,
                     bool& created) {
  return RetryWhileInUse([&] {
    FileError injected;
    if (FileFaultAt(FileOp::Open, injected)) return injected;
    created = false;
    int fd = ::open(path.c_str(), (flags & ~O_CREAT) | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT && (flags & O_CREAT)) {
      fd = ::open(path.c_str(), flags | O_CLOEXEC | O_EXCL, 0644);
      created = fd >= 0;
      // A missing folder is reported apart from a missing file.
      if (fd < 0 && errno == ENOENT) return FileError::PathNotFound;
    }
    if (fd < 0) return FromErrno(errno);
    if (::flock(fd, lock | LOCK_NB) != 0) {
      ::close(fd);
      return FileError::InUse;
    }
    handle = fd;
    return FileError::None;
  });
}

}  // namespace

FileError ExclusiveFile::OpenForAppend(const std::string& path) {
  Close();
  return OpenLocked(path, O_RDWR | O_CREAT, LOCK_EX, handle_, created_);
}

FileError ExclusiveFile::OpenForRead(const std::string& path) {
  Close();
  return OpenLocked(path, O_RDONLY, LOCK_SH, handle_, created_);
}

FileError ExclusiveFile::OpenNew(const std::string& path) {
  Close();
  return RetryWhileInUse([&] {
    FileError injected;
    if (FileFaultAt(FileOp::Open, injected)) return injected;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return errno == ENOENT ? FileError::PathNotFound : FromErrno(errno);
    ::flock(fd, LOCK_EX | LOCK_NB);  // nobody else has it yet
    handle_ = fd;
    created_ = true;
    return FileError::None;
  });
}

FileError ExclusiveFile::Close() {
  if (handle_ < 0) return FileError::None;
  FileError injected;
  bool fails = FileFaultAt(FileOp::Close, injected);
  int result = ::close(int(handle_));
  handle_ = -1;
  if (fails) return injected;
  return result == 0 ? FileError::None : FromErrno(errno);
}

FileError ExclusiveFile::Size(int64_t& size) {
  FileError injected;
  if (FileFaultAt(FileOp::Size, injected)) return injected;
  struct stat st;
  if (::fstat(int(handle_), &st) != 0) return FromErrno(errno);
  size = st.st_size;
  return FileError::None;
}

FileError ExclusiveFile::ReadAt(int64_t offset, void* buffer, size_t count, size_t& got) {
  got = 0;
  FileError injected;
  if (FileFaultAt(FileOp::Read, injected)) return injected;
  while (got < count) {
    ssize_t n = ::pread(int(handle_), static_cast<char*>(buffer) + got, count - got, offset + got);
    if (n < 0) {
      if (errno == EINTR) continue;
      return FromErrno(errno);
    }
    if (n == 0) break;
    got += size_t(n);
  }
  return FileError::None;
}

FileError ExclusiveFile::WriteAt(int64_t offset, const void* buffer, size_t count) {
  FileError injected;
  bool fails = FileFaultAt(FileOp::Write, injected);
  const size_t total = fails ? InjectedPart(count) : count;
  size_t done = 0;
  while (done < total) {
    ssize_t n = ::pwrite(int(handle_), static_cast<const char*>(buffer) + done, total - done,
                         offset + done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return FromErrno(errno);
    }
    done += size_t(n);
  }
  return fails ? injected : FileError::None;
}

FileError ExclusiveFile::Flush() {
  FileError injected;
  if (FileFaultAt(FileOp::Flush, injected)) return injected;
  return ::fsync(int(handle_)) == 0 ? FileError::None : FromErrno(errno);
}

FileError ExclusiveFile::Truncate(int64_t size) {
  FileError injected;
  if (FileFaultAt(FileOp::Truncate, injected)) return injected;
  return ::ftruncate(int(handle_), size) == 0 ? FileError::None : FromErrno(errno);
}

FileError RemoveFile(const std::string& path) {
  return RetryWhileInUse([&] {
    FileError injected;
    if (FileFaultAt(FileOp::Remove, injected)) return injected;
    return ::unlink(path.c_str()) == 0 ? FileError::None : FromErrno(errno);
  });
}

namespace {

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

}  // namespace

FileError PutFileInPlace(const std::string& from, const std::string& to) {
  return RetryWhileInUse([&] {
    FileError injected;
    if (FileFaultAt(FileOp::Replace, injected)) return injected;
    if (::rename(from.c_str(), to.c_str()) != 0) return FromErrno(errno);
    // The rename itself is on the disk once its folder is.
    int folder = ::open(FolderOf(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
      ::fsync(folder);
      ::close(folder);
    }
    return FileError::None;
  });
}

FileError MakeFolders(const std::string& folder) {
  for (size_t at = 1; at <= folder.size(); ++at) {
    if (at < folder.size() && folder[at] != '/') continue;
    const std::string part = folder.substr(0, at);
    if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return FromErrno(errno);
  }
  struct stat st;
  if (::stat(folder.c_str(), &st) != 0) return FromErrno(errno);
  return S_ISDIR(st.st_mode) ? FileError::None : FileError::PathNotFound;
}

FileError ListFiles(const std::string& folder, std::vector<std::string>& names) {
  names.clear();
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return FromErrno(errno);
  while (const dirent* entry = ::readdir(dir)) {
    struct stat st;
    const std::string path =
        folder + (folder.empty() || folder.back() == '/' ? "" : "/") + entry->d_name;
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) names.push_back(entry->d_name);
  }
  ::closedir(dir);
  return FileError::None;
}

unsigned long ProcessNumber() { return static_cast<unsigned long>(::getpid()); }

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}
