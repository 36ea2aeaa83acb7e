// In-memory sorting of index keys for the bulk build.
//
// TKeySorter keeps every key with its record number in 40-kilobyte chunks (one chunk
// entry: key length byte, key bytes, record number as four big-endian bytes) and delivers
// them in ascending key order, equal keys in record-number order. Keys are compared in
// their short form (see indexkey.h), so the order is exactly the order of the B-tree.
//
// TCdxSorter adds the rules of a tag: the key length must be 1..239 bytes, and a unique
// tag keeps only the first record of each key.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace hb {

class TKeySorter {
 public:
  static constexpr size_t kChunkSize = 40 * 1024;

  explicit TKeySorter(int keyLength);
  virtual ~TKeySorter() = default;
  TKeySorter(const TKeySorter&) = delete;
  TKeySorter& operator=(const TKeySorter&) = delete;

  // Adds a key (short form, cut to the key length).
  void Add(const std::string& key, uint32_t recNo);

  // Orders the keys; call once after the last Add.
  void Sort();

  // Delivers the next key in order; false when all were delivered.
  virtual bool Next(std::string& key, uint32_t& recNo);

  size_t Count() const { return items_.size(); }
  int KeyLength() const { return keyLength_; }

 private:
  int keyLength_;
  std::vector<std::unique_ptr<uint8_t[]>> chunks_;
  size_t chunkUsed_ = kChunkSize;
  std::vector<const uint8_t*> items_;
  size_t next_ = 0;
};

class TCdxSorter : public TKeySorter {
 public:
  // Raises "Sort key length must be 1-%d bytes, is %d" for a key length outside 1..239.
  TCdxSorter(int keyLength, bool unique);

  bool Next(std::string& key, uint32_t& recNo) override;

 private:
  static int Checked(int keyLength);
  bool unique_;
  bool havePrev_ = false;
  std::string prev_;
};

}  // namespace hb
