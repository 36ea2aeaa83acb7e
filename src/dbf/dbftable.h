// TDbfTable: a table file of the dBase/FoxPro family — header, records, positioning.
//
// File header, 32 bytes, little-endian:
//
//   Offset Size  Content
//   0      1     version: 0x03, 0x04, 0x30, 0x83, 0x8B, 0xF5 accepted
//   1      3     date of the last header store: year mod 100, month, day
//   4      4     record count (written; on reading the file size is the truth)
//   8      2     header length = 32 x fields + 33 (+ 263 for version 0x30)
//   10     2     record length = 1 + sum of the field widths
//   12     3     zero when created; kept
//   15     1     encryption flag (0 plain); enciphered tables are refused
//   16     4     change stamp ((hour*64 + min)*64 + sec)*1024 + ms, local time
//   20     4     user number of the last writer
//   24     4     zero when created; kept
//   28     1     flags: bit 0 own compound index, bit 1 memo file (0x30), bit 2 container
//   29     3     zero when created; kept
//
// Field descriptors, 32 bytes each from offset 32, then 0x0D (and 263 bytes for 0x30):
//
//   Offset Size  Content
//   0      11    name, upper case, zero-filled
//   11     1     type letter
//   12     4     zero on disk (in memory: offset of the field in the record)
//   16     1     width (C: low byte)
//   17     1     decimals (C: high byte of the width)
//   18     14    zero
//
// Records start at the header length: one deletion byte (" " active, "*" deleted), then
// the fields at fixed widths. One 0x1A follows the last record. Record n (from 1) is at
// header length + (n - 1) x record length. The record count is (file size - header
// length) div record length: the 0x1A and a partial record at the end are not counted.
//
// A whole header store writes the 32-byte image last read, with the date, count, flags,
// change stamp, encryption flag and user number set; all other bytes are carried over.
//
// Positioning (GotoRecord) takes a record number or a code (kGotoNext ... kGotoCurrent).
// States: on record 1..count; before the first record (Bof); past the last (Eof, the
// buffer keeps its content); an empty table sets both flags.
//
// Header refresh: a shared table re-reads the header image and the count from the file
// size before every append and rewrite, when a record beyond the known count is asked
// for, and when a table lock is obtained; an exclusive table keeps its counts.
//
// Locks (one region per file object, TDiskFile): record, table, append lock by protocol:
//
//   Protocol          record (len 1)                      table                   append
//   Default, FoxLock  0x7FFFFFFE - n with an index open,  0x40000000, 0x3FFFFFFF  0x7FFFFFFE
//                     else 0x40000000 + hdr + len*(n-1)
//   DB4Lock           0xEFFFFFFE - n                      0x40000000, 0xB0000000  0xEFFFFFFF
//   ClipLock          1000000000 + n                      1000000000, 1000000000  1000000000
//
// While the table lock (or the full-range lock) is held, record and append locks only
// nest on it, and the header store waits for its release.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dbf/dbfcommon.h"
#include "dbf/diskfile.h"

namespace hb {

class TMemoFile;

struct TDbfFieldDef {
  std::string Name;  // upper case, at most 10 bytes
  char Type = 'C';
  int Offset = 0;  // in the record; the first field is at 1
  int Width = 0;   // full width (C fields may exceed 255)
  int Decimals = 0;
  int Number = 0;  // from 1
};

// What a table tells the layers above after it wrote a record.
enum class TDbfNotify { RecordAppended, RecordRewritten };

class TDbfTable : public TDiskFile {
 public:
  static constexpr int64_t kGotoNext = -1;
  static constexpr int64_t kGotoPrevious = -2;
  static constexpr int64_t kGotoFirst = -3;
  static constexpr int64_t kGotoLast = -4;
  static constexpr int64_t kGotoCurrent = -5;
  static constexpr int kHeaderSize = 32;
  static constexpr int kDescriptorSize = 32;
  static constexpr int kArea30Size = 263;
  static constexpr int kLockAttempts = 100;
  static constexpr int kLockWaitMs = 50;

  TDbfTable();
  ~TDbfTable() override;

  // Opens a table (".DBF" added when the name has no extension). Raises "File %s could
  // not be found", "Access denied to file %s", "Error on Read of file %s", "Table Header
  // for %s is invalid", EDbfEncryption.
  void Open(const std::string& path, bool shared, bool readWrite, const std::string& key = {});
  // Stores a pending header, releases the lock held and closes table and memo file.
  void Close();

  // TDiskFile overrides: also the memo file.
  void FlushFile() override;
  void RenameFile(const std::string& newPath) override;
  void CloseFile() override;

  // Slots of the table layer.
  virtual void AppendRecord();
  virtual void NotifyEvent(TDbfNotify event, uint32_t recNo) {}
  virtual void GotoRecord(int64_t n);
  virtual bool LockAppend();
  virtual bool LockTable();
  virtual bool LockFullRange();
  // Releases one level of the region held (table, full-range, record or append lock);
  // the last level of a table or full-range lock stores the deferred header.
  virtual void UnlockTable();
  virtual bool LockRecord(uint32_t recNo);
  virtual void RewriteRecord(int64_t n);
  virtual void SetLockProtocol(TLockProtocol protocol);
  // True when record locks lie at the index-style offsets (the handler: an index is open).
  virtual bool IndexedRecordLocks() { return false; }

  void RefreshHeader();
  void StoreHeader();

  // Packs the table (open exclusively, "%s requires full access to file %s" with "Pack"):
  // deleted records and unreferenced memo blocks go, the others are renumbered in order.
  void Pack();
  // Copies the undeleted records, with their memos, into a new table at target (built
  // with CopyStructure). Needs the full-range lock on a shared table.
  void CopyTo(const std::string& target);
  // Builds an empty table at target with the flavour and fields of this one.
  void CopyStructure(const std::string& target);

  // State.
  uint32_t RecordCount() const { return recordCount_; }
  int HeaderLength() const { return headerLength_; }
  int RecordLength() const { return recordLength_; }
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  const std::vector<TDbfFieldDef>& Fields() const { return fields_; }
  uint8_t Version() const { return header_[0]; }
  const unsigned char* HeaderImage() const { return header_; }
  uint8_t TableFlags() const { return header_[28]; }
  void SetTableFlags(uint8_t flags);
  uint32_t RecNo() const { return recNo_; }
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  bool Deleted() const { return record_.size() > 0 && record_[0] == '*'; }
  std::string Alias() const { return alias_; }
  bool HasMemoFields() const;
  TLockProtocol LockProtocol() const { return protocol_; }
  bool TableLocked() const;

  // The record buffer (record length bytes, then 0x1A) and the before-image.
  char* RecordBuffer() { return record_.data(); }
  const char* BeforeImage() const { return before_.data(); }
  bool RecordChanged() const { return recordChanged_; }
  bool FieldChanged(int field) const;  // 0 = the deletion byte

  bool AutoFlush = false;
  bool IncludeDeleted = true;
  uint32_t UserID = 0;

  // The memo file, opened on first use; null when the table has none.
  TMemoFile* Memo();

  // Local time used for header dates and change stamps (tests replace it).
  static void SetClock(std::function<std::tm(int& milliseconds)> clock);

 protected:
  void ReadRecordAt(uint32_t n);
  void WriteRecord(uint32_t n, bool withEof);
  void SetAllChanged(bool changed);
  void DoAppend();
  bool TryLockRetried(int64_t offset, int64_t length);
  int64_t RecordLockOffset(uint32_t recNo);

  std::vector<TDbfFieldDef> fields_;
  std::vector<char> record_;
  std::vector<char> before_;
  std::vector<bool> changed_;
  bool recordChanged_ = false;
  uint32_t recNo_ = 0;
  bool bof_ = true, eof_ = true;

 private:
  void ReadDescriptors();
  uint32_t CountFromSize();
  void ReleaseAll();

  unsigned char header_[kHeaderSize] = {};
  uint32_t recordCount_ = 0;
  int headerLength_ = 0;
  int recordLength_ = 1;
  bool headerDirty_ = false;
  TLockProtocol protocol_ = TLockProtocol::Default;
  std::string alias_;
  std::unique_ptr<TMemoFile> memo_;
};

}  // namespace hb
