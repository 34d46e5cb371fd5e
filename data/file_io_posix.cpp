// POSIX backend of ExclusiveFile, for the native test build. flock stands in
// for the Windows no-sharing open.
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
    default:
      return FileError::Other;
  }
}

FileError OpenLocked(const std::string& path, int flags, intptr_t& handle) {
  int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
  if (fd < 0) {
    // A missing folder is reported apart from a missing file.
    if (errno == ENOENT && (flags & O_CREAT)) return FileError::PathNotFound;
    return FromErrno(errno);
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return FileError::InUse;
  }
  handle = fd;
  return FileError::None;
}

}  // namespace

FileError ExclusiveFile::OpenForAppend(const std::string& path) {
  Close();
  return OpenLocked(path, O_WRONLY | O_CREAT, handle_);
}

FileError ExclusiveFile::OpenForRead(const std::string& path) {
  Close();
  return OpenLocked(path, O_RDONLY, handle_);
}

void ExclusiveFile::Close() {
  if (handle_ >= 0) ::close(int(handle_));
  handle_ = -1;
}

FileError ExclusiveFile::Size(int64_t& size) {
  struct stat st;
  if (::fstat(int(handle_), &st) != 0) return FromErrno(errno);
  size = st.st_size;
  return FileError::None;
}

FileError ExclusiveFile::ReadAt(int64_t offset, void* buffer, size_t count, size_t& got) {
  got = 0;
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
  size_t done = 0;
  while (done < count) {
    ssize_t n =
        ::pwrite(int(handle_), static_cast<const char*>(buffer) + done, count - done, offset + done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return FromErrno(errno);
    }
    done += size_t(n);
  }
  return FileError::None;
}

FileError ExclusiveFile::Truncate(int64_t size) {
  return ::ftruncate(int(handle_), size) == 0 ? FileError::None : FromErrno(errno);
}

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}
