#include "dbf/indexdiskstorage.h"

#include <filesystem>

namespace hb {

TDiskIndexStorage::TDiskIndexStorage(const std::string& path, bool shared, bool readWrite,
                                     bool create) {
  std::error_code ec;
  if (create && !std::filesystem::exists(path, ec))
    file_.CreateFile(path, shared);
  else
    file_.OpenFile(path, shared, readWrite);
}

TIndexLockRegion IndexLockRegion(TLockProtocol protocol) {
  switch (protocol) {
    case TLockProtocol::DB4Lock:
      return {0xEFFFFFFE, 2};
    case TLockProtocol::ClipLock:
      return {1000000000, 1};
    case TLockProtocol::Default:
    case TLockProtocol::FoxLock:
    default:
      return {0x7FFFFFFD, 1};
  }
}

}  // namespace hb
