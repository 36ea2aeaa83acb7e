#include "platform/osfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <set>

namespace hb {

namespace {

std::set<TOsFile*>& OpenFiles() {
  static std::set<TOsFile*>* files = [] {
    std::atexit([] { TOsFile::CloseAllFiles(); });
    return new std::set<TOsFile*>();
  }();
  return *files;
}

bool SetLock(int fd, short type, int64_t offset, int64_t length) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(offset);
  fl.l_len = static_cast<off_t>(length);
  fl.l_pid = 0;
  while (fcntl(fd, F_OFD_SETLK, &fl) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

}  // namespace

TOsFileFaults& OsFileFaults() {
  static TOsFileFaults faults;
  return faults;
}

TOsFile::~TOsFile() {
  Close();
}

bool TOsFile::OpenWith(const std::string& path, TShareMode mode, bool readWrite, int flags) {
  Close();
  error_ = TOsError::None;
  // A read-only handle is still opened for writing when the file permits it, because an
  // exclusive lock needs a writable descriptor; writes stay refused through writable_.
  int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | flags, 0666);
  if (fd < 0 && !readWrite && errno == EACCES) fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error_ = errno == ENOENT ? TOsError::NotFound : TOsError::AccessDenied;
    return false;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    error_ = TOsError::AccessDenied;
    return false;
  }
  short type = mode == TShareMode::Exclusive ? F_WRLCK : F_RDLCK;
  if (!SetLock(fd, type, kShareLockOffset, 1)) {
    ::close(fd);
    error_ = TOsError::AccessDenied;
    return false;
  }
  fd_ = fd;
  writable_ = readWrite;
  path_ = path;
  OpenFiles().insert(this);
  return true;
}

bool TOsFile::Open(const std::string& path, TShareMode mode, bool readWrite) {
  return OpenWith(path, mode, readWrite, 0);
}

bool TOsFile::Create(const std::string& path, TShareMode mode) {
  // Open without truncating first: the share lock must be ours before the old content
  // goes, so that a file another handle holds open exclusively is left alone.
  if (!OpenWith(path, mode, true, O_CREAT)) return false;
  if (ftruncate(fd_, 0) != 0) {
    Close();
    error_ = TOsError::AccessDenied;
    return false;
  }
  return true;
}

bool TOsFile::Close() {
  if (fd_ < 0) return true;
  OpenFiles().erase(this);
  // Closing the descriptor releases every open-file-description lock of this handle.
  bool ok = ::close(fd_) == 0;
  fd_ = -1;
  writable_ = false;
  return ok;
}

int64_t TOsFile::ReadAt(int64_t offset, void* buffer, size_t count) {
  auto& faults = OsFileFaults();
  if (faults.FailReadAfter > 0 && --faults.FailReadAfter == 0) {
    error_ = TOsError::IoError;
    return -1;
  }
  if (fd_ < 0 || offset < 0) return -1;
  size_t done = 0;
  auto* p = static_cast<char*>(buffer);
  while (done < count) {
    ssize_t n = ::pread(fd_, p + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      error_ = TOsError::IoError;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

bool TOsFile::WriteAt(int64_t offset, const void* buffer, size_t count) {
  if (fd_ < 0 || !writable_ || offset < 0) {
    error_ = TOsError::AccessDenied;
    return false;
  }
  auto& faults = OsFileFaults();
  ++faults.WritesSeen;
  if (faults.FailWriteAfter > 0 && --faults.FailWriteAfter == 0) {
    size_t part = std::min(count, faults.PartialBytes);
    if (part > 0) (void)::pwrite(fd_, buffer, part, static_cast<off_t>(offset));
    error_ = TOsError::IoError;
    return false;
  }
  size_t done = 0;
  auto* p = static_cast<const char*>(buffer);
  while (done < count) {
    ssize_t n = ::pwrite(fd_, p + done, count - done, static_cast<off_t>(offset + done));
    if (n <= 0) {
      if (n < 0 && errno == EINTR) continue;
      error_ = TOsError::IoError;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool TOsFile::Flush() {
  if (fd_ < 0 || OsFileFaults().FailFlush) return false;
  if (!writable_) return true;
  return ::fsync(fd_) == 0;
}

int64_t TOsFile::Size() {
  struct stat st {};
  if (fd_ < 0 || fstat(fd_, &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

bool TOsFile::Truncate(int64_t size) {
  if (fd_ < 0 || !writable_ || size < 0) return false;
  return ::ftruncate(fd_, static_cast<off_t>(size)) == 0;
}

bool TOsFile::LockRegion(int64_t offset, int64_t length) {
  if (fd_ < 0 || offset < 0 || length <= 0) return false;
  return SetLock(fd_, F_WRLCK, offset, length);
}

bool TOsFile::UnlockRegion(int64_t offset, int64_t length) {
  if (fd_ < 0 || offset < 0 || length <= 0) return false;
  return SetLock(fd_, F_UNLCK, offset, length);
}

bool TOsFile::Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool TOsFile::RenameFile(const std::string& from, const std::string& to) {
  // Windows refuses to rename onto an existing file; so do we.
  if (Exists(to) && from != to) return false;
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool TOsFile::DeleteFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0;
}

void TOsFile::CloseAllFiles() {
  auto& files = OpenFiles();
  while (!files.empty()) (*files.begin())->Close();
}

int TOsFile::OpenFileCount() {
  return static_cast<int>(OpenFiles().size());
}

}  // namespace hb
