// One open operating-system file with Windows share modes and byte-range locks.
//
// Share modes are emulated with an open-file-description lock that every opener takes on
// one byte far beyond any data or lock region (kShareLockOffset):
//
//   mode        lock on the share byte   excludes
//   Exclusive   write lock               every other open, in this process or another
//   Shared      read lock                exclusive opens only
//
// Byte-range locks (LockRegion) are exclusive F_OFD_SETLK locks: they belong to this
// handle, as on Windows, and are never released by closing another handle of the same
// file. A lock is one attempt; it never waits.
//
// Every open TOsFile is entered in a process-wide list; CloseAllFiles (also run at
// process exit) releases the locks of every file still open and closes it.
//
// Fault injection: all reads, writes and flushes pass through OsFileFaults(), so that a
// test can make the Nth write fail (optionally after writing part of it, as a crash would)
// or make a flush fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace hb {

enum class TShareMode { Exclusive, Shared };

// What the operating system said about the last failed call.
enum class TOsError { None, NotFound, AccessDenied, IoError };

class TOsFile {
 public:
  static constexpr int64_t kShareLockOffset = int64_t{1} << 62;

  TOsFile() = default;
  ~TOsFile();
  TOsFile(const TOsFile&) = delete;
  TOsFile& operator=(const TOsFile&) = delete;

  // Opens an existing file. False with LastError NotFound or AccessDenied (also when the
  // share mode is refused).
  bool Open(const std::string& path, TShareMode mode, bool readWrite);
  // Creates (or replaces) a file and opens it read-write in the given share mode.
  bool Create(const std::string& path, TShareMode mode);
  // Releases this handle's locks and closes it. True when the handle closed cleanly.
  bool Close();

  bool IsOpen() const { return fd_ >= 0; }
  const std::string& Path() const { return path_; }
  TOsError LastError() const { return error_; }

  // Reads up to count bytes at offset; returns the bytes read (fewer at the end of the
  // file) or -1 on failure.
  int64_t ReadAt(int64_t offset, void* buffer, size_t count);
  // Writes all count bytes at offset; false on failure (some bytes may have been written).
  bool WriteAt(int64_t offset, const void* buffer, size_t count);
  bool Flush();
  // Size in bytes, -1 on failure.
  int64_t Size();
  bool Truncate(int64_t size);

  // One attempt at an exclusive lock of [offset, offset + length).
  bool LockRegion(int64_t offset, int64_t length);
  bool UnlockRegion(int64_t offset, int64_t length);

  static bool Exists(const std::string& path);
  static bool RenameFile(const std::string& from, const std::string& to);
  static bool DeleteFile(const std::string& path);

  // Closes every file still open in this process.
  static void CloseAllFiles();
  static int OpenFileCount();

 private:
  bool OpenWith(const std::string& path, TShareMode mode, bool readWrite, int flags);

  int fd_ = -1;
  bool writable_ = false;
  std::string path_;
  TOsError error_ = TOsError::None;
};

// Faults injected into every TOsFile (tests only); all off by default.
struct TOsFileFaults {
  // When > 0: counts down at each write; the write that brings it to 0 fails after
  // writing its first PartialBytes bytes.
  int FailWriteAfter = 0;
  size_t PartialBytes = 0;
  // When > 0: the read that brings it to 0 fails.
  int FailReadAfter = 0;
  bool FailFlush = false;
  int WritesSeen = 0;

  void Reset() { *this = TOsFileFaults(); }
};
TOsFileFaults& OsFileFaults();

}  // namespace hb
