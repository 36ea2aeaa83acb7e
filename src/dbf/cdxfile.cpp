#include "dbf/cdxfile.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "dbf/indexdiskstorage.h"
#include "dbf/indexerror.h"

namespace hb {
namespace {

// Windows-1252 upper case: ASCII, the accented letters and the three letters whose
// capitals lie in 0x80..0x9F.
unsigned char UpperByte(unsigned char c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  switch (c) {
    case 0x9A:
      return 0x8A;
    case 0x9C:
      return 0x8C;
    case 0x9E:
      return 0x8E;
    case 0xFF:
      return 0x9F;
    default:
      return c;
  }
}

std::string LowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

// The path without its extension, folded for comparison without regard to case.
std::string StemOf(const std::string& path) {
  std::filesystem::path p(path);
  return LowerAscii((p.parent_path() / p.stem()).string());
}

uint32_t RoundUp(int64_t size) {
  return static_cast<uint32_t>((size + kCdxBlock - 1) / kCdxBlock * kCdxBlock);
}

}  // namespace

std::string TCdxFile::TagKeyName(const std::string& name) {
  std::string key;
  for (unsigned char c : name) key += static_cast<char>(UpperByte(c));
  size_t b = key.find_first_not_of(' ');
  key = b == std::string::npos ? std::string() : key.substr(b);
  if (key.size() > kCdxDirKeyLength) key.resize(kCdxDirKeyLength);
  return TrimKey(key, ' ');
}

TCdxFile::TCdxFile(std::unique_ptr<TIndexStorage> storage, TIndexKeySource* source)
    : storage_(std::move(storage)), source_(source) {
  directory_ = std::make_unique<TCdxTag>(*this, std::string(), 0, true);
  int64_t size = storage_->Size();
  alloc_ = RoundUp(size);
  if (size <= kCdxBlock) {
    WriteEmptyDirectory(false);
  } else {
    OpenDirectory();
  }
  if (source_ && !source_->TablePath().empty() && StemOf(source_->TablePath()) == StemOf(Path()))
    source_->MarkOwnIndex();
}

TCdxFile::~TCdxFile() {
  tags_.clear();
  directory_.reset();
  if (lockCount_ > 0 && storage_->Shared()) {
    try {
      storage_->UnlockRegion(lockRegion_.Offset, lockRegion_.Length);
    } catch (...) {
    }
  }
}

std::unique_ptr<TCdxFile> TCdxFile::Open(const std::string& path, bool shared, bool readWrite,
                                         TIndexKeySource* source) {
  return std::make_unique<TCdxFile>(
      std::make_unique<TDiskIndexStorage>(path, shared, readWrite, false), source);
}

std::unique_ptr<TCdxFile> TCdxFile::OpenOrCreate(const std::string& path, bool shared,
                                                 TIndexKeySource* source) {
  return std::make_unique<TCdxFile>(std::make_unique<TDiskIndexStorage>(path, shared, true, true),
                                    source);
}

const std::string& TCdxFile::Path() const {
  return storage_->Path();
}

TIndexTag* TCdxFile::Tag(int index) {
  if (index < 0 || index >= TagCount()) return nullptr;
  return tags_[static_cast<size_t>(index)].get();
}

TCdxTag* TCdxFile::FindCdxTag(const std::string& name) {
  std::string key = TagKeyName(name);
  for (auto& t : tags_)
    if (t->Name() == key) return t.get();
  return nullptr;
}

// Only a file open shared can grow behind this handle's back. Every write of this handle
// lies below the allocation pointer, which starts at the size rounded up to whole blocks,
// so on a file of its own the pointer is the size and no system call is needed (this is
// asked for every node read).
int64_t TCdxFile::FileSize() {
  if (!storage_->Shared()) return alloc_;
  return std::max<int64_t>(storage_->Size(), alloc_);
}

uint32_t TCdxFile::Allocate(uint32_t bytes) {
  uint32_t offset = alloc_;
  alloc_ += bytes;
  return offset;
}

void TCdxFile::SyncAllocation() {
  if (!storage_->Shared()) return;  // nobody else extends the file
  alloc_ = std::max(alloc_, RoundUp(storage_->Size()));
}

uint32_t TCdxFile::ChangeCounter() const {
  return directory_->Header().Counter;
}

void TCdxFile::BumpCounter() {
  directory_->AddToCounter(directory_->Header().Counter);
}

void TCdxFile::CheckNotGeneral(const TCdxTag& tag) {
  // The GENERAL collation's weight table is not part of this engine: such a tag could be
  // neither searched nor kept up to date correctly, so the file is refused.
  if (tag.Header().Collation == TCdxCollation::General || tag.Header().Signature == 2)
    RaiseIndexError("Index tag %s in %s uses the GENERAL collation, which is not supported",
                    {tag.Name(), Path()});
}

void TCdxFile::OpenDirectory() {
  directory_->ReadHeader();
  std::vector<std::unique_ptr<TCdxTag>> tags;
  for (const TIndexKeyData& k : directory_->AllKeys()) {
    auto tag = std::make_unique<TCdxTag>(*this, k.Key, k.RecNo);
    tag->ReadHeader();
    CheckNotGeneral(*tag);
    tag->Bind();
    tags.push_back(std::move(tag));
  }
  tags_ = std::move(tags);
}

void TCdxFile::WriteEmptyDirectory(bool truncate) {
  // A file of 512 bytes or less is overwritten by the new directory; a file with tags is
  // cut to nothing first (callers hold the whole-file lock then).
  if (truncate) storage_->Truncate(0);
  alloc_ = 0;
  directory_ = std::make_unique<TCdxTag>(*this, std::string(), 0, true);
  directory_->BuildEmptyDirectory();
}

TCdxTag& TCdxFile::CreateTag(const std::string& name, const std::string& keyExpr,
                             const std::string& forExpr, bool unique, bool descending) {
  std::string key = TagKeyName(name);
  if (key.empty()) RaiseIndexError("Cannot find index tag %s", {name});
  if (!source_) RaiseIndexError("Cannot find index tag %s", {name});
  SyncAllocation();
  // Everything that can fail on the expressions fails here, before the file changes.
  auto tag = std::make_unique<TCdxTag>(*this, key, 0);
  tag->Define(keyExpr, forExpr, unique, descending);
  tag->FixKeyFormat();

  // A replaced tag leaves the directory; should the build fail, it comes back, so that a
  // failed creation leaves every tag reachable as before.
  std::unique_ptr<TCdxTag> replaced;
  if (TCdxTag* old = FindCdxTag(key)) {
    directory_->Delete(TIndexKeyData::FromText(old->Name(), kCdxDirKeyLength, old->HeaderOffset()));
    auto it = std::find_if(tags_.begin(), tags_.end(), [&](auto& t) { return t.get() == old; });
    replaced = std::move(*it);
    tags_.erase(it);
  }
  tag->SetHeaderOffset(Allocate(kCdxHeaderSize));
  TIndexKeyData dirKey = TIndexKeyData::FromText(key, kCdxDirKeyLength, tag->HeaderOffset());
  directory_->Insert(dirKey);
  try {
    tag->Build();
  } catch (...) {
    directory_->Delete(dirKey);
    if (replaced) {
      directory_->Insert(TIndexKeyData::FromText(key, kCdxDirKeyLength, replaced->HeaderOffset()));
      auto at = std::find_if(tags_.begin(), tags_.end(),
                             [&](auto& t) { return CompareKeyBytes(t->Name(), key) > 0; });
      tags_.insert(at, std::move(replaced));
    }
    throw;
  }
  auto at = std::find_if(tags_.begin(), tags_.end(),
                         [&](auto& t) { return CompareKeyBytes(t->Name(), key) > 0; });
  TCdxTag& made = **tags_.insert(at, std::move(tag));
  BumpCounter();
  return made;
}

void TCdxFile::DeleteTag(const std::string& name) {
  TCdxTag* tag = FindCdxTag(name);
  if (!tag) RaiseIndexError("Cannot find index tag %s", {name});
  if (tags_.size() == 1) {
    WithWholeFile([&] {
      uint32_t counter = ChangeCounter();
      tags_.clear();
      WriteEmptyDirectory(true);
      directory_->AddToCounter(counter);
    });
    return;
  }
  directory_->Delete(TIndexKeyData::FromText(tag->Name(), kCdxDirKeyLength, tag->HeaderOffset()));
  tags_.erase(std::find_if(tags_.begin(), tags_.end(), [&](auto& t) { return t.get() == tag; }));
  BumpCounter();
}

void TCdxFile::WithWholeFile(const std::function<void()>& work) {
  const int64_t kWhole = 0x7FFFFFFF;
  bool locked = false;
  if (storage_->Shared()) {
    if (!TryLockRetried(0, kWhole)) RaiseIndexError("Can not Lock file %s", {Path()});
    locked = true;
  }
  try {
    work();
  } catch (...) {
    if (locked) storage_->UnlockRegion(0, kWhole);
    throw;
  }
  if (locked) storage_->UnlockRegion(0, kWhole);
}

void TCdxFile::Reindex() {
  WithWholeFile([&] {
    struct TSpec {
      std::string Name, Key, For;
      bool Unique, Descending;
    };
    std::vector<TSpec> specs;
    for (auto& t : tags_)
      specs.push_back(
          {t->Name(), t->KeyExpression(), t->ForExpression(), t->Unique(), t->Descending()});
    uint32_t counter = ChangeCounter();
    tags_.clear();
    WriteEmptyDirectory(true);
    for (const TSpec& s : specs) CreateTag(s.Name, s.Key, s.For, s.Unique, s.Descending);
    directory_->AddToCounter(counter + static_cast<uint32_t>(specs.size()));
  });
}

void TCdxFile::RefreshIfChanged() {
  if (!storage_->Shared() || refreshing_ || storage_->Size() <= kCdxBlock) return;
  uint8_t b[4];
  storage_->ReadAt(8, b, sizeof b);
  uint32_t counter = b[0] | (b[1] << 8) | (b[2] << 16) | (uint32_t(b[3]) << 24);
  if (counter == ChangeCounter()) return;
  refreshing_ = true;
  try {
    SyncAllocation();
    directory_->ReleasePath();
    directory_->ReadHeader();
    for (const TIndexKeyData& k : directory_->AllKeys()) {
      if (TCdxTag* t = FindCdxTag(k.Key)) {
        t->ReleasePath();
        t->SetHeaderOffset(k.RecNo);
        t->ReadHeader();
      }
    }
  } catch (...) {
    refreshing_ = false;
    throw;
  }
  refreshing_ = false;
}

void TCdxFile::RecordAppended(uint32_t recNo) {
  RefreshIfChanged();
  SyncAllocation();
  bool changed = false;
  for (auto& t : tags_) changed |= t->UpdateAfterAppend(recNo);
  if (changed) BumpCounter();
}

void TCdxFile::RecordRewritten(uint32_t recNo) {
  RefreshIfChanged();
  SyncAllocation();
  bool changed = false;
  for (auto& t : tags_) changed |= t->UpdateAfterRewrite(recNo);
  if (changed) BumpCounter();
}

bool TCdxFile::TryLockRetried(int64_t offset, int64_t length) {
  for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
    if (storage_->TryLockRegion(offset, length)) return true;
    if (attempt + 1 < kLockAttempts)
      std::this_thread::sleep_for(std::chrono::milliseconds(lockWaitMs_));
  }
  return false;
}

void TCdxFile::LockIndex() {
  if (lockCount_ > 0) {
    ++lockCount_;
    return;
  }
  if (storage_->Shared() && !TryLockRetried(lockRegion_.Offset, lockRegion_.Length))
    RaiseIndexError("Can not Lock file %s", {Path()});
  lockCount_ = 1;
}

void TCdxFile::UnlockIndex() {
  if (lockCount_ == 0) return;
  if (--lockCount_ == 0 && storage_->Shared())
    storage_->UnlockRegion(lockRegion_.Offset, lockRegion_.Length);
}

void TCdxFile::Rename(const std::string& newPath) {
  directory_->ReleasePath();
  for (auto& t : tags_) t->ReleasePath();
  storage_->Rename(newPath);
}

void TCdxFile::Flush() {
  directory_->ReleasePath();
  for (auto& t : tags_) t->ReleasePath();
  storage_->Flush();
}

}  // namespace hb
