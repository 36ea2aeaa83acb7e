// The block store under an index file.
//
// The index layer reads and writes its file only through TIndexStorage, so that it runs
// the same on an operating-system file, in memory, or on a test double that fails a
// chosen write. Reads and writes either transfer every byte or raise the engine's error.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hb {

class TIndexStorage {
 public:
  virtual ~TIndexStorage() = default;

  // Full path of the file, as named in messages.
  virtual const std::string& Path() const = 0;
  // Whether the file is open shared (locks are placed only then).
  virtual bool Shared() const = 0;

  virtual int64_t Size() = 0;
  virtual void ReadAt(int64_t offset, void* buffer, size_t count) = 0;
  virtual void WriteAt(int64_t offset, const void* buffer, size_t count) = 0;
  virtual void Truncate(int64_t size) = 0;
  virtual void Flush() = 0;

  // One attempt at a byte-range lock; true when taken.
  virtual bool TryLockRegion(int64_t offset, int64_t length) = 0;
  virtual void UnlockRegion(int64_t offset, int64_t length) = 0;

  // Gives the file a new name; the handle stays open.
  virtual void Rename(const std::string& newPath) = 0;
};

// An index file held in memory (tests, scratch indexes). Lock attempts succeed unless
// refused by the test through LockRefused.
class TMemoryIndexStorage : public TIndexStorage {
 public:
  explicit TMemoryIndexStorage(std::string path = "memory.cdx", bool shared = false)
      : path_(std::move(path)), shared_(shared) {}

  const std::string& Path() const override { return path_; }
  bool Shared() const override { return shared_; }
  int64_t Size() override { return static_cast<int64_t>(bytes_.size()); }
  void ReadAt(int64_t offset, void* buffer, size_t count) override;
  void WriteAt(int64_t offset, const void* buffer, size_t count) override;
  void Truncate(int64_t size) override { bytes_.resize(static_cast<size_t>(size)); }
  void Flush() override {}
  bool TryLockRegion(int64_t offset, int64_t length) override;
  void UnlockRegion(int64_t offset, int64_t length) override;
  void Rename(const std::string& newPath) override { path_ = newPath; }

  std::vector<uint8_t>& Bytes() { return bytes_; }
  bool LockRefused = false;
  int LockAttempts = 0;
  int LocksHeld = 0;

 private:
  std::string path_;
  bool shared_;
  std::vector<uint8_t> bytes_;
};

}  // namespace hb
