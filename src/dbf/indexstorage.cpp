#include "dbf/indexstorage.h"

#include <cstring>

#include "dbf/indexerror.h"

namespace hb {

void TMemoryIndexStorage::ReadAt(int64_t offset, void* buffer, size_t count) {
  if (offset < 0 || offset + static_cast<int64_t>(count) > Size())
    RaiseIndexError("Error on Read of file %s", {path_});
  std::memcpy(buffer, bytes_.data() + offset, count);
}

void TMemoryIndexStorage::WriteAt(int64_t offset, const void* buffer, size_t count) {
  if (offset < 0) RaiseIndexError("Error writing to %s", {path_});
  if (offset + static_cast<int64_t>(count) > Size()) bytes_.resize(offset + count);
  std::memcpy(bytes_.data() + offset, buffer, count);
}

bool TMemoryIndexStorage::TryLockRegion(int64_t, int64_t) {
  ++LockAttempts;
  if (LockRefused) return false;
  ++LocksHeld;
  return true;
}

void TMemoryIndexStorage::UnlockRegion(int64_t, int64_t) {
  --LocksHeld;
}

}  // namespace hb

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace hb {

TFileIndexStorage::TFileIndexStorage(const std::string& path, bool shared, bool readWrite,
                                     bool create)
    : path_(path), shared_(shared) {
  struct stat st;
  if (!create && ::stat(path.c_str(), &st) != 0)
    RaiseIndexError("File %s could not be found", {path});
  int flags = (readWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC | (create ? O_CREAT : 0);
  fd_ = ::open(path.c_str(), flags, 0644);
  if (fd_ < 0) RaiseIndexError("Access denied to file %s", {path});
}

TFileIndexStorage::~TFileIndexStorage() {
  if (fd_ >= 0) ::close(fd_);
}

int64_t TFileIndexStorage::Size() {
  struct stat st;
  if (::fstat(fd_, &st) != 0) RaiseIndexError("Error getting FileSize for file %s", {path_});
  return st.st_size;
}

void TFileIndexStorage::ReadAt(int64_t offset, void* buffer, size_t count) {
  char* p = static_cast<char*>(buffer);
  while (count > 0) {
    ssize_t n = ::pread(fd_, p, count, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) RaiseIndexError("Error on Read of file %s", {path_});
    p += n;
    offset += n;
    count -= static_cast<size_t>(n);
  }
}

void TFileIndexStorage::WriteAt(int64_t offset, const void* buffer, size_t count) {
  const char* p = static_cast<const char*>(buffer);
  while (count > 0) {
    ssize_t n = ::pwrite(fd_, p, count, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) RaiseIndexError("Error writing to %s", {path_});
    p += n;
    offset += n;
    count -= static_cast<size_t>(n);
  }
}

void TFileIndexStorage::Truncate(int64_t size) {
  if (::ftruncate(fd_, size) != 0) RaiseIndexError("Error in Truncate of file %s", {path_});
}

void TFileIndexStorage::Flush() {
  if (::fdatasync(fd_) != 0) RaiseIndexError("Error on Flush for file %s", {path_});
}

bool TFileIndexStorage::TryLockRegion(int64_t offset, int64_t length) {
  struct flock fl = {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = offset;
  fl.l_len = length;
  return ::fcntl(fd_, F_OFD_SETLK, &fl) == 0;
}

void TFileIndexStorage::UnlockRegion(int64_t offset, int64_t length) {
  struct flock fl = {};
  fl.l_type = F_UNLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = offset;
  fl.l_len = length;
  if (::fcntl(fd_, F_OFD_SETLK, &fl) != 0) RaiseIndexError("Error in Unlock of file %s", {path_});
}

void TFileIndexStorage::Rename(const std::string& newPath) {
  if (::rename(path_.c_str(), newPath.c_str()) != 0)
    RaiseIndexError("Error on Rename of file %s", {path_});
  path_ = newPath;
}

}  // namespace hb
