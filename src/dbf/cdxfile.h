// A compact compound index file (.CDX): the directory and the tags it names.
//
// Opening reads the directory and makes one tag object per directory key; a file of 512
// bytes or less is taken as new and gets an empty directory. Tags are created with a bulk
// build from the table, updated key by key after each record write, and rebuilt all at
// once by Reindex, which rewrites the file without unused blocks. Byte layouts are in
// cdxlayout.h.
//
// Locking: LockIndex takes the protocol's region (indexfile.h) when the file is open
// shared, with up to 100 attempts 50 ms apart; nested calls only count. Reindex takes the
// whole file (offset 0, length 0x7FFFFFFF) the same way.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dbf/cdxtag.h"
#include "dbf/indexfile.h"
#include "dbf/indexsource.h"
#include "dbf/indexstorage.h"

namespace hb {

class TCdxFile : public TIndexFile {
 public:
  static constexpr int kLockAttempts = 100;
  static constexpr int kLockWaitMs = 50;

  // Opens the index over storage; source computes keys (may be null for reading the
  // directory only). Raises "Index file %s is corrupted" for a damaged directory or tag.
  TCdxFile(std::unique_ptr<TIndexStorage> storage, TIndexKeySource* source);
  ~TCdxFile() override;

  // Opens an index file on disk. Raises "File %s could not be found" when missing.
  static std::unique_ptr<TCdxFile> Open(const std::string& path, bool shared, bool readWrite,
                                        TIndexKeySource* source);
  // Opens an index file on disk, creating an empty one when it does not exist.
  static std::unique_ptr<TCdxFile> OpenOrCreate(const std::string& path, bool shared,
                                                TIndexKeySource* source);

  // TIndexFile
  const std::string& Path() const override;
  int TagCount() const override { return static_cast<int>(tags_.size()); }
  TIndexTag* Tag(int index) override;
  TIndexTag* FindTag(const std::string& name) override { return FindCdxTag(name); }
  void RecordAppended(uint32_t recNo) override;
  void RecordRewritten(uint32_t recNo) override;
  void Reindex() override;
  void SetLockRegion(const TIndexLockRegion& region) override { lockRegion_ = region; }
  void LockIndex() override;
  void UnlockIndex() override;
  void Flush() override;

  // The pause between lock attempts (tests shorten it).
  void SetLockRetryWait(int milliseconds) { lockWaitMs_ = milliseconds; }

  TCdxTag* FindCdxTag(const std::string& name);
  TCdxTag& Directory() { return *directory_; }

  // Creates a tag, replacing one of the same name (whose blocks stay unused in the file).
  // An empty tag name raises "Cannot find index tag %s".
  TCdxTag& CreateTag(const std::string& name, const std::string& keyExpr,
                     const std::string& forExpr, bool unique, bool descending);
  // Removes a tag; removing the last one rebuilds the file as an empty directory.
  void DeleteTag(const std::string& name);

  // Renames the file (with its table); the file stays open.
  void Rename(const std::string& newPath);

  // For a file open shared: when the change counter on disk differs from the one last
  // seen, another handle changed the file, so the directory and the tag headers (roots
  // that a split may have moved, headers that a reindex rewrote) are read again.
  void RefreshIfChanged();

  // The change counter at offset 8 of the file.
  uint32_t ChangeCounter() const;

  // For the tags.
  TIndexStorage& Storage() { return *storage_; }
  TIndexKeySource* Source() { return source_; }
  uint32_t Allocate(uint32_t bytes);
  uint32_t AllocationPointer() const { return alloc_; }
  int64_t FileSize();

  // Upper case as tag names are stored: Windows-1252, at most 10 bytes.
  static std::string TagKeyName(const std::string& name);

 private:
  void OpenDirectory();
  void WriteEmptyDirectory(bool truncate);
  void WithWholeFile(const std::function<void()>& work);
  void BumpCounter();
  void SyncAllocation();
  void RebuildAll(const std::vector<std::unique_ptr<TCdxTag>>& former);
  bool TryLockRetried(int64_t offset, int64_t length);
  void CheckNotGeneral(const TCdxTag& tag);

  std::unique_ptr<TIndexStorage> storage_;
  TIndexKeySource* source_;
  std::unique_ptr<TCdxTag> directory_;
  std::vector<std::unique_ptr<TCdxTag>> tags_;
  uint32_t alloc_ = 0;
  TIndexLockRegion lockRegion_;
  int lockCount_ = 0;
  int lockWaitMs_ = kLockWaitMs;
  bool refreshing_ = false;
};

}  // namespace hb
