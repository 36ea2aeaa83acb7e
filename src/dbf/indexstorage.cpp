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
