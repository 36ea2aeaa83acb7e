// Memo files: the text of memo fields (M, B, G), kept in blocks beside the table.
//
// FoxPro (".fpt", TFoxMemoFile), integers big-endian:
//
//   Offset Size  Content
//   0      4     next free block number
//   4      4     block size (low 16 bits used)
//   8      504   zero                        new file: 512 bytes, next free 8, size 64
//   memo at block x block size:  type (4: 1 = text; 0 also read), data length (4), data,
//                                zero-filled to whole blocks
//
// dBase III (".dbt", TMemoFile), block size 512, little-endian:
//
//   0      4     next free block number
//   8      8     table base name, zero-filled  new file: 513 bytes, next free 1, 0x1A at 512
//   memo at block x 512: data, then 0x1A 0x1A, zero-filled; read up to the first 0x1A,
//   at most 65520 bytes
//
// dBase IV (".dbt", TMemo4File), little-endian:
//
//   0      4     next free block number (1 when new)
//   8      8     table base name
//   18     1     2
//   19     1     1
//   20     2     block size (512 when new)   new file: 24 bytes, padded to one block on open
//   memo at block x block size: 0xFF 0xFF, 8 (2 bytes), data length + 8 (4 bytes), data
//
// Writing a memo: blocks needed = ceil((L + 8) / block size) (dBase III: (L + 2)); when
// there is no old memo or it has fewer blocks, the memo goes to the end (the header's next
// free block, raised by the blocks needed, under the memo file lock on a shared file);
// otherwise it is written in place. Blocks left behind are reclaimed only by a pack.
//
// Every block number and length read from the file is checked against the file size
// before use; damage raises "Memo record is bad in %s" or the corruption error of
// dbfcommon.h, never a read outside the file.
#pragma once

#include <cstdint>
#include <string>

#include "dbf/dbfcommon.h"
#include "dbf/diskfile.h"

namespace hb {

class TMemoFile : public TDiskFile {
 public:
  static constexpr int kLockAttempts = 100;
  static constexpr int kMaxDb3Length = 65520;

  TMemoFile() = default;

  // Creates the empty memo file of this layout (tableBase: the table's base name).
  virtual void CreateNew(const std::string& path, const std::string& tableBase);
  // Opens an existing memo file. Raises "File %s could not be found".
  virtual void OpenMemo(const std::string& path, bool shared, bool readWrite);

  // Number of data bytes of the memo at block (0 for block 0).
  virtual int64_t DataLength(uint32_t block);
  // At most maxLength bytes of the memo at block.
  std::string Read(uint32_t block, int64_t maxLength = INT64_MAX);
  // Stores text, over the memo at oldBlock when it fits; returns the block of the memo,
  // 0 for an empty text.
  uint32_t Write(uint32_t oldBlock, const std::string& text);

  // Renames the memo file; dBase files also get the new base name in their header.
  virtual void RenameMemo(const std::string& newPath, const std::string& tableBase);

  void SetLockProtocol(TLockProtocol protocol) { protocol_ = protocol; }
  void SetLockRetryWait(int milliseconds) { lockWaitMs_ = milliseconds; }
  uint32_t BlockSize() const { return blockSize_; }
  uint32_t NextFreeBlock();
  // Block number and number of blocks of the memo last read or written.
  uint32_t LastBlock() const { return lastBlock_; }
  uint32_t LastBlockCount() const { return lastBlocks_; }

 protected:
  // Size of the header in front of each memo.
  virtual int BlockHeaderSize() const { return 0; }
  virtual uint32_t BlocksFor(int64_t length) const;
  virtual void ReadHeader();
  virtual void WriteNextFree(uint32_t next);
  // The memo image: block header, data, end marks, zero fill to whole blocks.
  virtual std::string BuildImage(const std::string& text, uint32_t blocks) const;
  void LockMemo();
  void UnlockMemo();
  void CheckBlock(uint32_t block, int64_t needBytes);

  uint32_t blockSize_ = 512;
  uint32_t nextFree_ = 0;
  uint32_t lastBlock_ = 0;
  uint32_t lastBlocks_ = 0;
  TLockProtocol protocol_ = TLockProtocol::Default;
  int lockWaitMs_ = 50;
};

class TMemo4File : public TMemoFile {
 public:
  void CreateNew(const std::string& path, const std::string& tableBase) override;
  void OpenMemo(const std::string& path, bool shared, bool readWrite) override;
  int64_t DataLength(uint32_t block) override;

 protected:
  int BlockHeaderSize() const override { return 8; }
  uint32_t BlocksFor(int64_t length) const override;
  void ReadHeader() override;
  std::string BuildImage(const std::string& text, uint32_t blocks) const override;
};

class TFoxMemoFile : public TMemoFile {
 public:
  void CreateNew(const std::string& path, const std::string& tableBase) override;
  int64_t DataLength(uint32_t block) override;
  void RenameMemo(const std::string& newPath, const std::string& tableBase) override;

 protected:
  int BlockHeaderSize() const override { return 8; }
  uint32_t BlocksFor(int64_t length) const override;
  void ReadHeader() override;
  void WriteNextFree(uint32_t next) override;
  std::string BuildImage(const std::string& text, uint32_t blocks) const override;
};

}  // namespace hb
