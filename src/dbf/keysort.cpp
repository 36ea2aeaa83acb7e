#include "dbf/keysort.h"

#include <algorithm>
#include <cstring>

#include "dbf/cdxlayout.h"
#include "dbf/indexerror.h"

namespace hb {

TKeySorter::TKeySorter(int keyLength) : keyLength_(keyLength) {}

void TKeySorter::Add(const std::string& key, uint32_t recNo) {
  size_t len = std::min<size_t>(key.size(), static_cast<size_t>(keyLength_));
  size_t need = 1 + len + 4;
  if (chunkUsed_ + need > kChunkSize) {
    chunks_.push_back(std::make_unique<uint8_t[]>(kChunkSize));
    chunkUsed_ = 0;
  }
  uint8_t* p = chunks_.back().get() + chunkUsed_;
  p[0] = static_cast<uint8_t>(len);
  std::memcpy(p + 1, key.data(), len);
  for (int i = 0; i < 4; ++i) p[1 + len + i] = (recNo >> (24 - 8 * i)) & 0xFF;
  chunkUsed_ += need;
  items_.push_back(p);
}

void TKeySorter::Sort() {
  // Key bytes over the shorter length, then the shorter key, then the record number (its
  // four big-endian bytes compare in numeric order).
  std::sort(items_.begin(), items_.end(), [](const uint8_t* a, const uint8_t* b) {
    size_t la = a[0], lb = b[0];
    int c = std::memcmp(a + 1, b + 1, std::min(la, lb));
    if (c != 0) return c < 0;
    if (la != lb) return la < lb;
    return std::memcmp(a + 1 + la, b + 1 + lb, 4) < 0;
  });
  next_ = 0;
}

bool TKeySorter::Next(std::string& key, uint32_t& recNo) {
  if (next_ >= items_.size()) return false;
  const uint8_t* p = items_[next_++];
  size_t len = p[0];
  key.assign(reinterpret_cast<const char*>(p + 1), len);
  const uint8_t* r = p + 1 + len;
  recNo = (uint32_t(r[0]) << 24) | (uint32_t(r[1]) << 16) | (uint32_t(r[2]) << 8) | r[3];
  return true;
}

int TCdxSorter::Checked(int keyLength) {
  if (keyLength < 1 || keyLength + 1 > kCdxMaxKeyLength)
    RaiseIndexError("Sort key length must be 1-%d bytes, is %d",
                    {std::to_string(kCdxMaxKeyLength), std::to_string(keyLength + 1)});
  return keyLength;
}

TCdxSorter::TCdxSorter(int keyLength, bool unique)
    : TKeySorter(Checked(keyLength)), unique_(unique) {}

bool TCdxSorter::Next(std::string& key, uint32_t& recNo) {
  while (TKeySorter::Next(key, recNo)) {
    if (unique_ && havePrev_ && key == prev_) continue;
    if (unique_) {
      prev_ = key;
      havePrev_ = true;
    }
    return true;
  }
  return false;
}

}  // namespace hb
