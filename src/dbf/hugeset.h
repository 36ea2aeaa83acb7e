// THugeSet: one bit per record number, for the filter bitmap of a table handler.
//
// Bits live in pages of 16384 bytes, each covering 131072 record numbers; a page is
// allocated when a bit in it is first written, so a sparse set over a large table costs
// only the pages it touches. The set remembers the highest record number written; a test
// above it is false.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace hb {

class THugeSet {
 public:
  static constexpr uint32_t kPageBytes = 16384;
  static constexpr uint32_t kPageBits = kPageBytes * 8;

  void Set(uint32_t n, bool on);
  bool Test(uint32_t n) const;
  void Clear();

  // The lowest set bit at or above from, 0 when none.
  uint32_t NextSet(uint32_t from) const;
  // The highest set bit at or below from (from 1), 0 when none.
  uint32_t PrevSet(uint32_t from) const;

  uint32_t Highest() const { return highest_; }
  size_t PageCount() const;

 private:
  std::vector<std::unique_ptr<uint8_t[]>> pages_;
  uint32_t highest_ = 0;
};

}  // namespace hb
