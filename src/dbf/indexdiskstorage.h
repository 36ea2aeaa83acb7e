// An index file on the engine's disk file.
//
// Reads, writes, size, flush, rename and the engine's locking rules (locks placed only on
// shared files; one region per file object, nesting) are those of TDiskFile, so an index
// file is opened with the same share modes as its table.
#pragma once

#include <memory>
#include <string>

#include "dbf/dbfcommon.h"
#include "dbf/diskfile.h"
#include "dbf/indexfile.h"
#include "dbf/indexstorage.h"

namespace hb {

class TDiskIndexStorage : public TIndexStorage {
 public:
  // Opens path; with create, a missing file is created empty.
  TDiskIndexStorage(const std::string& path, bool shared, bool readWrite, bool create);

  const std::string& Path() const override { return file_.FilePath(); }
  bool Shared() const override { return file_.Shared(); }
  int64_t Size() override { return file_.FileSize(); }
  void ReadAt(int64_t offset, void* buffer, size_t count) override {
    file_.ReadAt(offset, buffer, count);
  }
  void WriteAt(int64_t offset, const void* buffer, size_t count) override {
    file_.WriteAt(offset, buffer, count);
  }
  void Truncate(int64_t size) override { file_.TruncateFile(size); }
  void Flush() override { file_.FlushFile(); }
  bool TryLockRegion(int64_t offset, int64_t length) override {
    return file_.LockRegion(offset, length);
  }
  void UnlockRegion(int64_t, int64_t) override { file_.UnlockRegion(); }
  void Rename(const std::string& newPath) override { file_.RenameFile(newPath); }

  TDiskFile& File() { return file_; }

 private:
  TDiskFile file_;
};

// The region locked in an index file before a record is written, by lock protocol.
TIndexLockRegion IndexLockRegion(TLockProtocol protocol);

}  // namespace hb
