// An index file of a table: a set of named tags kept up to date with the table.
//
// The table handler opens its index files, chooses one tag as the master order, and calls
// RecordAppended / RecordRewritten after each record it writes, under LockIndex.
#pragma once

#include <cstdint>
#include <string>

#include "dbf/indextag.h"

namespace hb {

// The byte range locked in an index file before a record is written, by lock protocol:
//   Default, FoxLock  offset 0x7FFFFFFD, length 1
//   DB4Lock           offset 0xEFFFFFFE, length 2
//   ClipLock          offset 1000000000, length 1
struct TIndexLockRegion {
  int64_t Offset = 0x7FFFFFFD;
  int64_t Length = 1;
};

class TIndexFile {
 public:
  virtual ~TIndexFile() = default;

  virtual const std::string& Path() const = 0;

  // Tags in directory order.
  virtual int TagCount() const = 0;
  virtual TIndexTag* Tag(int index) = 0;
  // The tag of that name (without regard to case), or null.
  virtual TIndexTag* FindTag(const std::string& name) = 0;

  // Updates every tag after the table wrote record recNo; the record buffer holds the new
  // record and the before-image the record as it was.
  virtual void RecordAppended(uint32_t recNo) = 0;
  virtual void RecordRewritten(uint32_t recNo) = 0;

  // Rebuilds every tag from the table.
  virtual void Reindex() = 0;

  // The lock taken before a record is written (retried; "Can not Lock file %s").
  virtual void SetLockRegion(const TIndexLockRegion& region) = 0;
  virtual void LockIndex() = 0;
  virtual void UnlockIndex() = 0;

  // Writes back every node held in memory and flushes the file.
  virtual void Flush() = 0;
};

}  // namespace hb
