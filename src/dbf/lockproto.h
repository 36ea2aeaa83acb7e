// The byte ranges a table handler locks, by lock protocol.
//
// Every lock is one byte range of the operating system's byte-range locking, taken on the
// file it protects (n = record number, from 1):
//
//   Protocol          record (len 1)                      table                   append  index / memo file
//   Default, FoxLock  0x7FFFFFFE - n with an index open;  0x40000000, 0x3FFFFFFF  0x7FFFFFFE  0x7FFFFFFD, 1
//                     else 0x40000000 + hdr + len*(n-1)
//   DB4Lock           0xEFFFFFFE - n                      0x40000000, 0xB0000000  0xEFFFFFFF  0xEFFFFFFE, 2
//   ClipLock          1000000000 + n                      1000000000, 1000000000  1000000000  1000000000, 1
//
// The full-range lock ("full access") is offset 0, length 0x7FFFFFFF under every protocol.
//
// Rules (the table and index file layers keep them; the handler relies on them):
//   (1) locks are placed only on files opened shared; on an exclusive file they are counted;
//   (2) a file object holds one region: the same region nests, another one fails at once;
//       while the table lock is held, record and append locks nest on it;
//   (3) the table lock and the full-range lock re-read the table header when taken and
//       store the header deferred meanwhile when their last level is released;
//   (4) record, table and append locks are single attempts; index and memo file locks,
//       and the full-range lock of a table copy, are tried 100 times 50 ms apart.
//
// Lock order of a write: record lock, every index file in slot order, the append lock
// inside an append, the memo file lock while a memo is written.
#pragma once

#include <cstdint>

#include "dbf/dbfcommon.h"
#include "dbf/indexfile.h"

namespace hb {

struct TLockRegion {
  int64_t Offset = 0;
  int64_t Length = 0;
  bool operator==(const TLockRegion&) const = default;
};

// indexed: at least one index file is open on the table.
TLockRegion RecordLockRegion(TLockProtocol protocol, bool indexed, int headerLength,
                             int recordLength, uint32_t recNo);
TLockRegion TableLockRegion(TLockProtocol protocol);
TLockRegion AppendLockRegion(TLockProtocol protocol);
// The same region for index and memo files.
TLockRegion FileLockRegion(TLockProtocol protocol);
TLockRegion FullRangeLockRegion();

// The index file's form of FileLockRegion.
TIndexLockRegion IndexFileLockRegion(TLockProtocol protocol);

}  // namespace hb
