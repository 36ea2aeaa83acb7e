#include "dbf/lockproto.h"

namespace hb {

TLockRegion RecordLockRegion(TLockProtocol protocol, bool indexed, int headerLength,
                             int recordLength, uint32_t recNo) {
  const int64_t n = recNo;
  switch (protocol) {
    case TLockProtocol::DB4Lock: return {0xEFFFFFFE - n, 1};
    case TLockProtocol::ClipLock: return {1000000000 + n, 1};
    default:
      if (indexed) return {0x7FFFFFFE - n, 1};
      return {0x40000000 + headerLength + int64_t(recordLength) * (n - 1), 1};
  }
}

TLockRegion TableLockRegion(TLockProtocol protocol) {
  switch (protocol) {
    case TLockProtocol::DB4Lock: return {0x40000000, 0xB0000000};
    case TLockProtocol::ClipLock: return {1000000000, 1000000000};
    default: return {0x40000000, 0x3FFFFFFF};
  }
}

TLockRegion AppendLockRegion(TLockProtocol protocol) {
  switch (protocol) {
    case TLockProtocol::DB4Lock: return {0xEFFFFFFF, 1};
    case TLockProtocol::ClipLock: return {1000000000, 1};
    default: return {0x7FFFFFFE, 1};
  }
}

TLockRegion FileLockRegion(TLockProtocol protocol) {
  switch (protocol) {
    case TLockProtocol::DB4Lock: return {0xEFFFFFFE, 2};
    case TLockProtocol::ClipLock: return {1000000000, 1};
    default: return {0x7FFFFFFD, 1};
  }
}

TLockRegion FullRangeLockRegion() { return {0, 0x7FFFFFFF}; }

TIndexLockRegion IndexFileLockRegion(TLockProtocol protocol) {
  TLockRegion r = FileLockRegion(protocol);
  return {r.Offset, r.Length};
}

}  // namespace hb
