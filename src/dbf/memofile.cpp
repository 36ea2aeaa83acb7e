#include "dbf/memofile.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/codepage.h"

namespace hb {

namespace {

std::string BaseNameField(const std::string& tableBase) {
  std::string name = AnsiUpperCase(tableBase.substr(0, 8));
  name.resize(8, '\0');
  return name;
}

}  // namespace

// ---- dBase III layout (also the shared machinery) ----

void TMemoFile::CreateNew(const std::string& path, const std::string& tableBase) {
  std::string image(513, '\0');
  auto* h = reinterpret_cast<unsigned char*>(image.data());
  PutLE32(h, 1);
  std::string name = BaseNameField(tableBase);
  std::memcpy(h + 8, name.data(), 8);
  h[512] = 0x1A;
  TDiskFile file;
  file.CreateFile(path, false);
  file.WriteAt(0, image.data(), image.size());
  file.CloseFile();
}

void TMemoFile::OpenMemo(const std::string& path, bool shared, bool readWrite) {
  OpenFile(path, shared, readWrite);
  try {
    ReadHeader();
  } catch (...) {
    CloseFile();
    throw;
  }
}

void TMemoFile::ReadHeader() {
  unsigned char h[4];
  ReadAt(0, h, 4);
  nextFree_ = GetLE32(h);
  blockSize_ = 512;
}

void TMemoFile::WriteNextFree(uint32_t next) {
  unsigned char h[4];
  PutLE32(h, next);
  WriteAt(0, h, 4);
  nextFree_ = next;
}

uint32_t TMemoFile::NextFreeBlock() {
  ReadHeader();
  return nextFree_;
}

uint32_t TMemoFile::BlocksFor(int64_t length) const {
  return static_cast<uint32_t>((length + 2 + blockSize_ - 1) / blockSize_);
}

void TMemoFile::CheckBlock(uint32_t block, int64_t needBytes) {
  int64_t offset = int64_t(block) * blockSize_;
  int64_t size = FileSize();
  if (offset + needBytes > size)
    RaiseDbfCorrupt(path_, offset,
                    "memo block " + std::to_string(block) + " of " + std::to_string(needBytes) +
                        " bytes runs past the end of the file at " + std::to_string(size));
}

int64_t TMemoFile::DataLength(uint32_t block) {
  if (block == 0) return 0;
  CheckBlock(block, 1);
  // The data runs up to the first 0x1A, at most 65520 bytes.
  int64_t start = int64_t(block) * blockSize_;
  std::vector<char> buf(blockSize_);
  int64_t length = 0;
  while (length < kMaxDb3Length) {
    size_t got = ReadSome(start + length, buf.data(), buf.size());
    if (got == 0) break;
    auto end = std::find(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(got), '\x1A');
    length += end - buf.begin();
    if (end != buf.begin() + static_cast<std::ptrdiff_t>(got)) break;
  }
  return std::min<int64_t>(length, kMaxDb3Length);
}

std::string TMemoFile::Read(uint32_t block, int64_t maxLength) {
  if (block == 0) return {};
  int64_t length = DataLength(block);
  int64_t n = std::clamp<int64_t>(std::min(length, maxLength), 0, length);
  std::string text(static_cast<size_t>(n), '\0');
  if (n > 0) ReadAt(int64_t(block) * blockSize_ + BlockHeaderSize(), text.data(), text.size());
  lastBlock_ = block;
  lastBlocks_ = BlocksFor(length);
  return text;
}

std::string TMemoFile::BuildImage(const std::string& text, uint32_t blocks) const {
  std::string image(size_t(blocks) * blockSize_, '\0');
  std::memcpy(image.data(), text.data(), text.size());
  image[text.size()] = '\x1A';
  image[text.size() + 1] = '\x1A';
  return image;
}

void TMemoFile::LockMemo() {
  if (!shared_) return;
  int64_t offset = 0x7FFFFFFD, length = 1;
  if (protocol_ == TLockProtocol::DB4Lock) offset = 0xEFFFFFFE, length = 2;
  if (protocol_ == TLockProtocol::ClipLock) offset = 1000000000;
  for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(lockWaitMs_));
    if (LockRegion(offset, length)) return;
  }
  RaiseDbfError("Can not Lock file %s", {path_});
}

void TMemoFile::UnlockMemo() {
  if (shared_) UnlockRegion();
}

uint32_t TMemoFile::Write(uint32_t oldBlock, const std::string& text) {
  // An empty text leaves no memo: the field gets 0 and the file is not touched.
  if (text.empty()) return 0;
  uint32_t need = BlocksFor(static_cast<int64_t>(text.size()));
  uint32_t oldBlocks = 0;
  if (oldBlock != 0) {
    try {
      oldBlocks = BlocksFor(DataLength(oldBlock));
    } catch (const EDbfError&) {
      oldBlocks = 0;  // a damaged old memo is not written over; the new one goes to the end
    }
  }
  LockMemo();
  uint32_t position;
  try {
    std::string image = BuildImage(text, need);
    if (oldBlocks == 0 || oldBlocks < need) {
      ReadHeader();
      // Never trust the header's count alone: a next-free block well inside the data
      // written so far would overwrite live memos, one inside the header the header. (The
      // last block may be partial: a new dBase III file ends in one 0x1A after its header.)
      int64_t size = FileSize();
      uint32_t firstFree = static_cast<uint32_t>((size + blockSize_ - 1) / blockSize_);
      uint32_t headerBlocks = static_cast<uint32_t>((512 + blockSize_ - 1) / blockSize_);
      uint32_t wholeBlocks = static_cast<uint32_t>(size / blockSize_);
      position = nextFree_ >= wholeBlocks ? nextFree_ : firstFree;
      position = std::max(position, headerBlocks);
      WriteAt(int64_t(position) * blockSize_, image.data(), image.size());
      WriteNextFree(position + need);
    } else {
      position = oldBlock;
      WriteAt(int64_t(position) * blockSize_, image.data(), image.size());
    }
  } catch (...) {
    UnlockMemo();
    throw;
  }
  UnlockMemo();
  lastBlock_ = position;
  lastBlocks_ = need;
  return position;
}

void TMemoFile::RenameMemo(const std::string& newPath, const std::string& tableBase) {
  RenameFile(newPath);
  if (readWrite_) {
    std::string name = BaseNameField(tableBase);
    WriteAt(8, name.data(), 8);
  }
}

// ---- dBase IV layout ----

void TMemo4File::CreateNew(const std::string& path, const std::string& tableBase) {
  std::string image(24, '\0');
  auto* h = reinterpret_cast<unsigned char*>(image.data());
  PutLE32(h, 1);
  std::string name = BaseNameField(tableBase);
  std::memcpy(h + 8, name.data(), 8);
  h[18] = 2;
  h[19] = 1;
  PutLE16(h + 20, 512);
  TDiskFile file;
  file.CreateFile(path, false);
  file.WriteAt(0, image.data(), image.size());
  file.CloseFile();
}

void TMemo4File::OpenMemo(const std::string& path, bool shared, bool readWrite) {
  TMemoFile::OpenMemo(path, shared, readWrite);
  // A new file holds only its 24 header bytes; it is padded to one whole block.
  if (readWrite && FileSize() < blockSize_) {
    std::string zeros(blockSize_ - static_cast<size_t>(FileSize()), '\0');
    WriteAt(FileSize(), zeros.data(), zeros.size());
  }
}

void TMemo4File::ReadHeader() {
  unsigned char h[24] = {};
  ReadAt(0, h, sizeof h);
  nextFree_ = GetLE32(h);
  blockSize_ = GetLE16(h + 20);
  if (blockSize_ == 0) RaiseDbfCorrupt(path_, 20, "block size 0");
}

uint32_t TMemo4File::BlocksFor(int64_t length) const {
  return static_cast<uint32_t>((length + 8 + blockSize_ - 1) / blockSize_);
}

int64_t TMemo4File::DataLength(uint32_t block) {
  if (block == 0) return 0;
  CheckBlock(block, 8);
  unsigned char h[8];
  ReadAt(int64_t(block) * blockSize_, h, 8);
  if (h[0] != 0xFF || h[1] != 0xFF) RaiseDbfError("Memo record is bad in %s", {path_});
  int64_t length = int64_t(GetLE32(h + 4)) - 8;
  if (length < 0) RaiseDbfError("Memo record is bad in %s", {path_});
  CheckBlock(block, 8 + length);
  return length;
}

std::string TMemo4File::BuildImage(const std::string& text, uint32_t blocks) const {
  std::string image(size_t(blocks) * blockSize_, '\0');
  auto* p = reinterpret_cast<unsigned char*>(image.data());
  p[0] = p[1] = 0xFF;
  PutLE16(p + 2, 8);
  PutLE32(p + 4, static_cast<uint32_t>(text.size() + 8));
  std::memcpy(p + 8, text.data(), text.size());
  return image;
}

// ---- FoxPro layout ----

void TFoxMemoFile::CreateNew(const std::string& path, const std::string&) {
  std::string image(512, '\0');
  auto* h = reinterpret_cast<unsigned char*>(image.data());
  PutBE32(h, 8);
  PutBE32(h + 4, 64);
  TDiskFile file;
  file.CreateFile(path, false);
  file.WriteAt(0, image.data(), image.size());
  file.CloseFile();
}

void TFoxMemoFile::ReadHeader() {
  unsigned char h[8];
  ReadAt(0, h, 8);
  nextFree_ = GetBE32(h);
  blockSize_ = GetBE32(h + 4) & 0xFFFF;
  if (blockSize_ == 0) RaiseDbfCorrupt(path_, 4, "block size 0");
}

void TFoxMemoFile::WriteNextFree(uint32_t next) {
  unsigned char h[4];
  PutBE32(h, next);
  WriteAt(0, h, 4);
  nextFree_ = next;
}

uint32_t TFoxMemoFile::BlocksFor(int64_t length) const {
  return static_cast<uint32_t>((length + 8 + blockSize_ - 1) / blockSize_);
}

int64_t TFoxMemoFile::DataLength(uint32_t block) {
  if (block == 0) return 0;
  if (int64_t(block) * blockSize_ < 512)
    RaiseDbfCorrupt(path_, int64_t(block) * blockSize_,
                    "memo block " + std::to_string(block) + " lies in the file header");
  CheckBlock(block, 8);
  unsigned char h[8];
  ReadAt(int64_t(block) * blockSize_, h, 8);
  uint32_t type = GetBE32(h);
  if (type != 0 && type != 1) RaiseDbfError("Memo record is bad in %s", {path_});
  int64_t length = GetBE32(h + 4);
  CheckBlock(block, 8 + length);
  return length;
}

std::string TFoxMemoFile::BuildImage(const std::string& text, uint32_t blocks) const {
  std::string image(size_t(blocks) * blockSize_, '\0');
  auto* p = reinterpret_cast<unsigned char*>(image.data());
  PutBE32(p, 1);
  PutBE32(p + 4, static_cast<uint32_t>(text.size()));
  std::memcpy(p + 8, text.data(), text.size());
  return image;
}

void TFoxMemoFile::RenameMemo(const std::string& newPath, const std::string&) {
  RenameFile(newPath);
}

}  // namespace hb
