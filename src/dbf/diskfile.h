// TDiskFile: one open operating-system file as the table engine uses it.
//
// It adds to the platform file the engine's messages, the open modes (shared or exclusive,
// read-write or read-only) and the lock bookkeeping of the engine:
//
//   (1) Locks are placed only on a file opened shared; on an exclusive file every lock
//       request succeeds and is only counted.
//   (2) A file object holds at most one locked region. A request for the region already
//       held nests (the count goes up); a request for another region while one is held
//       fails at once without asking the operating system.
//   (3) Each unlock removes one level; the last level releases the region.
//
// Reads and writes transfer every byte or raise EDbfError ("Error on Read of file %s",
// "Error writing to %s"). Failures leave the object as it was.
#pragma once

#include <cstdint>
#include <string>

#include "platform/osfile.h"

namespace hb {

class TDiskFile {
 public:
  static constexpr int64_t kFullRangeOffset = 0;
  static constexpr int64_t kFullRangeLength = 0x7FFFFFFF;

  TDiskFile() = default;
  virtual ~TDiskFile();
  TDiskFile(const TDiskFile&) = delete;
  TDiskFile& operator=(const TDiskFile&) = delete;

  virtual void CloseFile();
  virtual int64_t FileSize();
  virtual void FlushFile();
  // The full-range lock: offset 0, length 0x7FFFFFFF.
  virtual bool LockWholeFile();
  virtual bool LockRegion(int64_t offset, int64_t length);
  // Reads exactly count bytes; a short read raises "Error on Read of file %s".
  virtual void ReadAt(int64_t offset, void* buffer, size_t count);
  virtual void RenameFile(const std::string& newPath);
  virtual void OpenFile(const std::string& path, bool shared, bool readWrite);
  virtual void CreateFile(const std::string& path, bool shared);
  virtual void ReportStatus(int stat1, int stat2, int stat3) {}
  virtual void TruncateFile(int64_t size);
  virtual void UnlockRegion();
  virtual void WriteAt(int64_t offset, const void* buffer, size_t count);

  // Reads at most count bytes; returns how many were there.
  size_t ReadSome(int64_t offset, void* buffer, size_t count);

  const std::string& FilePath() const { return path_; }
  bool IsOpen() const { return file_.IsOpen(); }
  bool Shared() const { return shared_; }
  bool ReadWrite() const { return readWrite_; }
  int LockCount() const { return lockCount_; }
  int64_t LockedOffset() const { return lockOffset_; }
  int64_t LockedLength() const { return lockLength_; }
  // True while the full-range lock is held.
  bool WholeFileLocked() const {
    return lockCount_ > 0 && lockOffset_ == kFullRangeOffset && lockLength_ == kFullRangeLength;
  }
  // Open read-write and either exclusively or under the full-range lock.
  bool FullAccess() const { return readWrite_ && (!shared_ || WholeFileLocked()); }

 protected:
  TOsFile file_;
  std::string path_;
  bool shared_ = false;
  bool readWrite_ = false;
  int lockCount_ = 0;
  int64_t lockOffset_ = 0;
  int64_t lockLength_ = 0;
};

// Resolves a table path: adds defaultExt when the name has none; a name with "\\\\" or a
// colon after its second character is kept, any other is made absolute.
std::string ResolveDbfPath(const std::string& path, const std::string& defaultExt);

// Finds an existing file by its exact name, else by a case-insensitive match of its name
// in its folder; returns the path as given when neither exists.
std::string FindFileAnyCase(const std::string& path);

// The path with its extension replaced (ext includes the dot).
std::string ChangeFileExt(const std::string& path, const std::string& ext);

}  // namespace hb
