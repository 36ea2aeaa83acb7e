#include "dbf/hugeset.h"

#include <algorithm>
#include <cstring>

namespace hb {

void THugeSet::Set(uint32_t n, bool on) {
  size_t page = n / kPageBits;
  if (page >= pages_.size()) pages_.resize(page + 1);
  if (!pages_[page]) {
    pages_[page] = std::make_unique<uint8_t[]>(kPageBytes);
    std::memset(pages_[page].get(), 0, kPageBytes);
  }
  uint32_t bit = n % kPageBits;
  uint8_t mask = static_cast<uint8_t>(1u << (bit % 8));
  if (on)
    pages_[page][bit / 8] |= mask;
  else
    pages_[page][bit / 8] &= static_cast<uint8_t>(~mask);
  highest_ = std::max(highest_, n);
}

bool THugeSet::Test(uint32_t n) const {
  if (n > highest_) return false;
  size_t page = n / kPageBits;
  if (page >= pages_.size() || !pages_[page]) return false;
  uint32_t bit = n % kPageBits;
  return (pages_[page][bit / 8] >> (bit % 8)) & 1;
}

void THugeSet::Clear() {
  pages_.clear();
  highest_ = 0;
}

uint32_t THugeSet::NextSet(uint32_t from) const {
  for (uint32_t n = from; n <= highest_ && n >= from;) {
    size_t page = n / kPageBits;
    if (page >= pages_.size()) return 0;
    if (!pages_[page]) {  // a page never written holds no bit
      n = static_cast<uint32_t>((page + 1) * kPageBits);
      continue;
    }
    uint32_t bit = n % kPageBits;
    uint8_t byte = pages_[page][bit / 8] >> (bit % 8);
    if (byte == 0) {
      n += 8 - bit % 8;
      continue;
    }
    if (byte & 1) return n;
    ++n;
  }
  return 0;
}

uint32_t THugeSet::PrevSet(uint32_t from) const {
  uint32_t n = std::min(from, highest_);
  while (n >= 1) {
    size_t page = n / kPageBits;
    if (!pages_[page]) {
      if (page == 0) return 0;
      n = static_cast<uint32_t>(page * kPageBits - 1);
      continue;
    }
    if (Test(n)) return n;
    --n;
  }
  return 0;
}

size_t THugeSet::PageCount() const {
  return static_cast<size_t>(std::count_if(pages_.begin(), pages_.end(), [](auto& p) { return p != nullptr; }));
}

}  // namespace hb
