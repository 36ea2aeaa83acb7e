// TDbfHandler: the table a dataset works on — a table file with its index files, a master
// order, a key range, a filter, hidden deleted records, searches, the lock protocols around
// every write, a read-ahead buffer for physical scans and the whole-table operations.
// DBFObject binds one handler to one dataset.
//
// Handler states:
//
//   1 normal ──CreateIndexTag / Reindex / raw SearchText──> 4 building, raw scan ──> 1
//
// In any state but 1, GotoRecord is the plain physical positioning of the table file.
//
// Positioning in state 1 (GotoRecord):
//   n > 0      physical, no visibility checks; the master tag is set on the record, and
//              Moved() tells whether it could not be found there (outside the range, or
//              its key no longer matches);
//   first, last, next, previous, current
//              the candidate comes from the master tag (inside its key range), else from
//              the filter bitmap while it is in use, else from physical order; it must be
//              visible (not deleted unless IncludeDeleted, RecordVisible true), otherwise
//              the walk goes on in the direction of travel (first and current forward,
//              last backward). Running off an end sets Eof (forward) or Bof (backward),
//              puts the position past that end and blanks the record buffer.
//
// Writing (AppendRecord, RewriteRecord): (1) lock every index file in slot order, retried
// ("Can not Lock file %s"; the locks of this round are released and nothing is written);
// (2) the table write; (3) upkeep: the filter bit, every tag, the master position;
// (4) unlock the index files, also when the write failed.
//
// The filter bitmap (THugeSet) holds one bit per record that passes the filter expression;
// it is in use while the filter is requested (SetFilterActive) and a compiled expression
// exists. Setting the expression and RefreshFilter evaluate every record of the table, in
// physical order, whatever the order and key range: a bitmap filled only inside the range
// would hide the records of a wider range set later. It follows this handler's own writes;
// other processes' changes only after RefreshFilter.
//
// Read-ahead: while active, records are read from a buffer of 32768 bytes (whole records)
// refilled from the file on a miss. It is on while no master tag is selected and during
// scans. The buffer is emptied when a record lock is taken, so a record about to be
// edited is read fresh from the file.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dbf/cdxfile.h"
#include "dbf/dbffields.h"
#include "dbf/dbvariant.h"
#include "dbf/exprdbf.h"
#include "dbf/exprhandler.h"
#include "dbf/hugeset.h"
#include "dbf/indexdbfsource.h"

namespace hb {

class TDbfHandler : public TDbfFields {
 public:
  static constexpr int kMaxIndexFiles = 63;
  static constexpr int kStateNormal = 1;
  static constexpr int kStateBuilding = 4;
  static constexpr int kStateRekey = 5;
  static constexpr size_t kReadAheadBytes = 32768;

  // Progress codes of StatusHook.
  static constexpr int kStatusTagRead = 1;
  static constexpr int kStatusTagStore = 2;
  static constexpr int kStatusCopy = 6;
  static constexpr int kStatusSearch = 21;

  // Bits of the SearchText options word.
  static constexpr int kSearchCaseInsensitive = 1;
  static constexpr int kSearchWholeField = 2;
  static constexpr int kSearchWildcards = 4;
  static constexpr int kSearchKeepChecks = 8;
  static constexpr int kSearchTagOrder = 16;
  static constexpr int kSearchAtStart = 32;

  TDbfHandler();
  ~TDbfHandler() override;

  // Opens the table (TDbfTable::Open); index files, filter and order start empty.
  void Open(const std::string& path, bool shared, bool readWrite, const std::string& key = {});
  void Close();

  // ---- table layer overrides
  void ReadAt(int64_t offset, void* buffer, size_t count) override;
  void WriteAt(int64_t offset, const void* buffer, size_t count) override;
  void RenameFile(const std::string& newPath) override;
  void CloseFile() override;
  // The table and memo file, then every open index file.
  void FlushFile() override;
  void AppendRecord() override;
  void RewriteRecord(int64_t n) override;
  void NotifyEvent(TDbfNotify event, uint32_t recNo) override;
  void GotoRecord(int64_t n) override;
  void SetLockProtocol(TLockProtocol protocol) override;
  bool IndexedRecordLocks() override { return IndexFileCount() > 0; }
  bool LockRecord(uint32_t recNo) override;
  void ReportStatus(int stat1, int stat2, int stat3) override;

  // ---- operations added by the handler
  virtual bool Find(const std::string& key);
  // The record number of the key in the first open tag of that name (exact), 0 when the
  // key is absent, -1 when no open file has the tag. The table does not move.
  virtual int64_t FindInTag(const std::string& tagName, const std::string& key);
  virtual void SkipRecords(int64_t n);
  // Whether the record in the buffer may be shown (the filter bitmap).
  virtual bool RecordVisible();
  // Locks every open index file in slot order (retried); raises "Can not Lock file %s".
  virtual void LockIndexes();
  void UnlockIndexes();

  // ---- order and range
  void SelectMasterTag(const std::string& name, bool keepPosition);
  TCdxTag* MasterTag() const { return master_; }
  std::string MasterTagName() const { return master_ ? master_->Name() : std::string(); }
  // Both keys empty remove the range. Keys are texts: numbers with "." as the point,
  // dates as "yyyymmdd" or in the short date format.
  void SetKeyRange(const std::string& low, const std::string& high, bool partialHigh = false);

  // ---- filter
  void SetFilterExpression(const std::string& text, bool caseInsensitive, bool wildcards);
  void SetFilterActive(bool on);
  void RefreshFilter();
  bool FilterActive() const { return filterRequested_; }
  const std::string& FilterExpression() const { return filterText_; }
  bool BitmapInUse() const;
  const THugeSet& FilterBits() const { return bits_; }

  // ---- read-ahead
  void SetReadAhead(bool on);
  bool ReadAheadActive() const { return readAhead_; }
  bool ReadAheadAllowed = true;

  // ---- index files
  // list: names separated by "," or ";" (double quotes protect separators and are
  // dropped); a name without folder is taken from the table's folder, one without
  // extension gets ".ndx". Then selects tagName keeping the position.
  void OpenIndexFiles(const std::string& list, const std::string& tagName);
  void CloseIndexFiles();
  int IndexFileCount() const;
  // The file in slot 1..63, or null.
  TCdxFile* IndexFile(int slot) const;
  // sortKind 0 ascending, 1 descending (7 and 8: GENERAL collation, not supported).
  void CreateIndexTag(const std::string& fileName, const std::string& tagName, int sortKind,
                      bool duplicates, const std::string& forExpr, const std::string& keyExpr);
  void Reindex();
  // Tags counted over the open files in slot order.
  int TagCount() const;
  TIndexTag* TagAt(int i) const;

  // ---- searches
  // Find of the master tag's key built from values paired with the fields of the key
  // expression (exact off, near on).
  bool FindKeyValues(const std::vector<TDbVariant>& values);
  bool LocateRecord(const std::string& fields, const std::vector<TDbVariant>& values,
                    uint32_t startRecord, bool partial, bool caseInsensitive);
  // The record text search: 0 when nothing matched (the table returns to its record),
  // else the position of the match; field and recNo are set to the match.
  int SearchText(const std::string& text, int& field, uint32_t stopRecord, uint32_t& recNo);
  int SearchOptions = kSearchCaseInsensitive;

  // ---- whole-table operations
  void Pack();
  void CopyTable(const std::string& target, const std::string& key = {});
  void CopyTableStructure(const std::string& target);

  // ---- state
  int State() const { return state_; }
  bool Found() const { return found_; }
  bool Moved() const { return moved_; }
  bool ExactFind = false;
  bool NearFind = false;

  // Progress: (-1, code, total), (code, position, 0), (0, position or 0, 0).
  std::function<void(int, int, int)> StatusHook;

  // The pause between lock attempts on index files (tests shorten it).
  void SetLockRetryWait(int milliseconds);

 protected:
  // The visibility of the record in the buffer: deletion and RecordVisible.
  bool Visible();

 private:
  enum class TDir { Forward, Backward };
  struct TSaved {
    uint32_t RecNo;
    bool Bof, Eof;
  };
  // The record buffer with its before-image and changed-flags, kept while a scratch
  // record for a search is built in it.
  struct TBufferState {
    std::vector<char> Record, Before;
    std::vector<bool> Changed;
    bool RecordChanged = false;
  };
  TBufferState SaveBuffer() const { return {record_, before_, changed_, recordChanged_}; }
  void RestoreBuffer(TBufferState&& state);

  TDbfIndexSource& Source();
  TExpUserLink& Link();
  void DropBindings();
  void AddIndexFile(std::unique_ptr<TCdxFile> file);
  std::string ResolveIndexPath(const std::string& name) const;
  TCdxTag* FindTagByName(const std::string& upperName) const;

  uint32_t Candidate(int64_t code);
  uint32_t StepFrom(TDir dir);
  uint32_t InRangeOr(uint32_t r, TDir dir);
  void WalkTo(uint32_t candidate, TDir dir);
  void PastEnd(TDir dir);
  void SyncMaster();
  bool KeyInRange(const std::string& key) const;
  void LoadPhysical(uint32_t n);
  TSaved SavePosition() const { return {recNo_, bof_, eof_}; }
  void RestorePosition(const TSaved& saved);

  TIndexKeyData EncodeKey(const TIndexTag& tag, const std::string& text) const;
  TIndexKeyData KeyOfValue(const TIndexTag& tag, const TDbVariant& value) const;
  bool FindEncoded(const TIndexKeyData& key, size_t comparePrefix);
  void FillScratch(const std::vector<int>& fields, const std::vector<TDbVariant>& values);
  bool EvalFilter();
  void FillBits();
  int MatchField(int field, const std::string& text, bool oneField);

  std::array<std::unique_ptr<TCdxFile>, kMaxIndexFiles> files_;
  TCdxTag* master_ = nullptr;
  std::string rangeLow_, rangeHigh_;
  bool rangePartialHigh_ = false;
  int state_ = kStateNormal;
  bool found_ = false;
  bool moved_ = false;
  int lockWaitMs_ = TCdxFile::kLockWaitMs;

  std::unique_ptr<TDbfIndexSource> source_;
  std::unique_ptr<TExpDbfLink> fieldLink_;
  std::unique_ptr<TExpUserLink> userLink_;

  std::unique_ptr<TExpHandler> filter_;
  std::string filterText_;
  bool filterCase_ = false, filterWild_ = false;
  bool filterRequested_ = false;
  bool filterScan_ = false;
  THugeSet bits_;

  bool readAhead_ = false;
  std::vector<char> raBuffer_;
  int64_t raOffset_ = -1;
  size_t raBytes_ = 0;
};

// One handler bound to one dataset: progress goes to the dataset's OnStatus, and the
// dataset's OnFilterRecord may refuse a record while the dataset is filtered.
class DBFObject : public TDbfHandler {
 public:
  std::function<void(int stat1, int stat2, int stat3)> OnStatus;
  // Runs with the dataset in its filter state; false refuses the record.
  std::function<bool()> OnFilterRecord;

  void ReportStatus(int stat1, int stat2, int stat3) override;
  bool RecordVisible() override;
};

}  // namespace hb
