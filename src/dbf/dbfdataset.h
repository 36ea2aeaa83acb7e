// TDbfDataSet: a table file as a dataset of the framework (platform/dataset.h).
//
//   TDbfDataSet tbl;
//   tbl.SetDatabaseName("/data/hourbook");          // a folder, an alias or "Default Directory"
//   tbl.SetTableName("URUREN");                      // ".DBF" is added
//   tbl.SetIndexFiles({"URUREN.CDX"});
//   tbl.SetIndexName("MEDEWERKER");
//   tbl.Open();
//   if (tbl.Find("0000000012", true, false)) ...
//
// Each dataset owns one table handler (DBFObject) from open to close: its own file handles,
// locks, index files, order, key range and filter. Two datasets on one shared table behave
// like two workstations.
//
// Finding the table: the folder is the program's own folder for the database name "Default
// Directory" (any case), the folder of the alias of that name from the [Alias] section of
// "dbalias.cfg" in the Windows folder (platform/folders.h), or else the name itself; the
// table name gets ".DBF" when it has no extension; files are found without regard to case.
//
// Fields, made at open in table order (names as stored):
//
//   C            ftString (full width)        value: trailing spaces removed, "" is null
//   D            ftDate                       null unless 8 stored characters other than
//                                             "00000000" that form a date; null writes spaces
//   N, F         with decimals ftFloat; without: width < 5 ftSmallint, 5..9 ftInteger,
//                10 and more by LargeIntegerAs; never null (blank reads 0), null writes 0
//   I            ftInteger;  L ftBoolean (never null, null writes "F")
//   M            ftMemo (null without memo block); B, G ftBlob
//   T            ftDateTime (null when 0);    Y ftCurrency
//
// Text of C and M fields is code page 850 on disk when TranslateASCII is on, Windows-1252
// otherwise; GetFieldText / SetFieldText and ReadMemo / WriteMemo move the stored bytes
// unchanged. New memo text is kept with the record buffer and written to the memo file when
// the record is posted, so that a cancelled edit leaves the memo file as it was.
//
// Bookmarks are 11 bytes: the record number right-aligned in 10 characters and a zero byte.
// RecNo is the physical record number.
//
// Editing: Edit takes the record lock (one attempt, "Record is locked by another user") and
// reads the record afresh under it; Post rewrites or appends through the handler (index
// upkeep, index locks) and releases the lock; Cancel, Insert, Append and Close release it
// too. Delete and RecallRecord take the record lock for their write.
//
// Errors of the dataset itself are EDatabaseError; errors of the engine (EDbfError and its
// kinds) pass through unchanged.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

#include "dbf/dbfcommon.h"
#include "platform/dataset.h"
#include "platform/datasource.h"

namespace hb {

class DBFObject;
class TDbfBlobStream;

// Field type of whole-number fields of width 10 or more.
enum class TIntFields { asInteger, asLargeInt, asFloat };

// One tag of the open index files.
struct TDbfIndexDef {
  QString Name;
  QString Expression;
  QString ForExpression;
  QString FileName;  // full path of the index file
  bool Descending = false;
  bool Unique = false;
};

// The framework's type of a table field (type letter, width, decimals); version: the table's
// version byte (binary fields of 0x30 tables). Unknown letters give ftString (the raw text).
TFieldType DbfFieldType(char type, int width, int decimals, TIntFields largeIntegerAs,
                        int version = 0x03);

// The alias list of "dbalias.cfg" ([Alias] NAME=VALUE), read once per process on first use.
// ReloadDbfAliases reads it again (for a changed Windows folder).
QString DbfAliasFolder(const QString& name);  // empty when the name is no alias
void ReloadDbfAliases();
// The folder a database name stands for, with a trailing separator ("" for an empty name:
// the current folder).
QString ResolveDatabaseFolder(const QString& databaseName);

class TDbfDataSet : public TDataSet {
 public:
  using TStatusReport = std::function<void(TDbfDataSet&, int stat1, int stat2, int stat3)>;

  TDbfDataSet();
  ~TDbfDataSet() override;

  // ---- properties
  static QString About();
  bool AutoFlush() const { return autoFlush_; }
  void SetAutoFlush(bool on);
  QString DatabaseName() const { return databaseName_; }
  void SetDatabaseName(const QString& name);
  QString EncryptionKey() const { return encryptionKey_; }
  void SetEncryptionKey(const QString& key);
  bool ExactCount() const { return exactCount_; }
  void SetExactCount(bool on) { exactCount_ = on; }
  bool Exclusive() const { return exclusive_; }
  void SetExclusive(bool on);
  // Filter, FilterOptions and Filtered are the framework's; their changes reach the handler.
  const QList<TDbfIndexDef>& IndexDefs() const { return indexDefs_; }
  QStringList IndexFiles() const { return indexFiles_; }
  // While open: closes every index file, opens the listed ones, selects IndexName keeping
  // the current record. An empty list also clears IndexName.
  void SetIndexFiles(const QStringList& files);
  void AddIndexFile(const QString& file);
  void RemoveIndexFile(const QString& file);
  QString IndexName() const { return indexName_; }
  void SetIndexName(const QString& name);
  TIntFields LargeIntegerAs() const { return largeIntegerAs_; }
  void SetLargeIntegerAs(TIntFields as);
  TLockProtocol LockProtocol() const { return lockProtocol_; }
  void SetLockProtocol(TLockProtocol protocol);
  TDataSource* MasterSource() const { return masterSource_; }
  void SetMasterSource(TDataSource* source);
  QString MasterFields() const { return masterFields_; }
  void SetMasterFields(const QString& fields);
  // ReadOnly / SetReadOnly are the framework's: the table opens read-only.
  QString TableName() const { return tableName_; }
  void SetTableName(const QString& name);
  bool TranslateASCII() const { return translateASCII_; }
  void SetTranslateASCII(bool on) { translateASCII_ = on; }
  bool UseDeleted() const { return useDeleted_; }
  void SetUseDeleted(bool on);
  quint32 UserID() const { return userID_; }
  void SetUserID(quint32 id);
  TStatusReport OnStatus;

  // The folder of the table (with a trailing separator) and the table file's full path
  // (".DBF" added, found without regard to case).
  QString DatabaseFolder() const;
  QString TablePath() const;

  // ---- operations
  // Searches the master tag for key with the handler's exact and near flags. Not found: the
  // dataset stands on its last record with Eof set (with near: on the next higher key).
  bool Find(const QString& key, bool exact, bool nearSearch);
  // Key range on the master tag (both bounds included); both empty clear it. First record.
  void SetKeyRange(const QString& low, const QString& high);
  // The nearest key built from values of the master tag's fields, in their order.
  bool FindKeyValues(const QVariantList& values);
  // Replaces the index files by those of list (blanks, commas or semicolons separate;
  // double quotes group) and selects tagName.
  void OpenIndexFiles(const QString& list, const QString& tagName);
  // Builds a tag (sortKind 0 ascending, 1 descending); afterwards no index file is open
  // until IndexFiles is set again; first record.
  void CreateIndexTag(const QString& indexFile, const QString& tagName, int sortKind,
                      bool duplicates, const QString& forExpr, const QString& keyExpr);
  // Tags over all open index files, numbered from 1.
  int TagCount() const;
  QString TagName(int tag) const;
  QString TagExpression(int tag) const;
  bool RecordIsDeleted();
  void RecallRecord();
  void FlushTable();
  void Pack();
  void CopyTableStructure(const QString& target, const QString& key = QString());
  // The record text search of the handler; on a match the dataset shows that record, field
  // and recNo name it and the result is the position of the match; 0 when nothing matched.
  int SearchText(const QString& text, int& field, int stopRecord, int& recNo);
  int SearchOptions() const;
  void SetSearchOptions(int options);
  // Memo of the current record, stored bytes (no code page translation).
  int MemoLength(const QString& fieldName);
  QByteArray ReadMemo(const QString& fieldName);
  int ReadMemo(const QString& fieldName, char* buffer, int length);   // bytes copied
  void WriteMemo(const QString& fieldName, const QByteArray& bytes);  // edit or insert state
  void WriteMemo(const QString& fieldName, const char* buffer, int length);
  // Raw stored text of a field of the current record buffer (full width, no translation).
  QByteArray GetFieldText(const QString& fieldName);
  void SetFieldText(const QString& fieldName, const QByteArray& text);  // edit or insert state

  // Busy marks: while set, every operation raises "Table is busy building an index" or
  // "Table is busy copying".
  bool BusyIndexing() const { return busyIndexing_; }
  bool BusyCopying() const { return busyCopying_; }
  void SetBusyCopying(bool busy) { busyCopying_ = busy; }

 protected:
  // The handler of the open table (nullptr while closed), for subclasses that work on the
  // table as a whole.
  DBFObject* Handler() const;

  // ---- framework
  void InternalOpen() override;
  void InternalClose() override;
  void InternalFirst() override;
  void InternalLast() override;
  TGetResult GetRecord(TRecordBuffer& buffer, TGetMode mode) override;
  void InternalGotoBookmark(const TBookmark& bookmark) override;
  void InternalSetToRecord(const TRecordBuffer& buffer) override;
  void InternalInitRecord(TRecordBuffer& buffer) override;
  bool GetFieldData(const TField& field, const TRecordBuffer& buffer,
                    QVariant& value) const override;
  void SetFieldData(const TField& field, TRecordBuffer& buffer, const QVariant& value) override;
  void InternalEdit(TRecordBuffer& buffer) override;
  void InternalInsert(bool append) override;
  void InternalPost(TRecordBuffer& buffer) override;
  void InternalCancel() override;
  void InternalDelete() override;
  void InternalRefresh() override;
  int GetRecordCount() override;
  int GetRecNo() override;
  void InternalSetRecNo(int recNo) override;
  bool LocateRecord(const QList<TField*>& keyFields, const QVariantList& keyValues,
                    TLocateOptions options, TRecordBuffer& found) override;
  QList<TField*> IndexFields() const override;
  bool InternalGotoKey(const TRecordBuffer& key, bool nearest) override;
  void FilterChanged() override;
  void CheckActive() const override;

 private:
  friend class TDbfBlobStream;
  class THandler;
  struct TCursor;

  THandler& H() const;
  void ApplyFilter();
  void OpenIndexList();
  void RebuildIndexDefs();
  QString ResolveIndexFile(const QString& entry) const;
  void ShowHandlerRecord();
  void FillBuffer(TRecordBuffer& buffer) const;
  bool CursorVisible();
  void PutHandlerOn(uint32_t recNo);
  void ReleaseLock();
  bool TakeLock(uint32_t recNo);
  std::string ToStored(const QString& text) const;
  QString FromStored(const std::string& bytes) const;
  int FieldNumber(const QString& fieldName) const;
  char TableType(const TField& field) const;
  // The stored memo bytes of a field in a buffer: the text given since the last read when
  // there is one, else the memo file's.
  QByteArray StoredMemo(const TField& field, const TRecordBuffer& buffer) const;
  void SetPendingMemo(const TField& field, TRecordBuffer& buffer, const QByteArray& bytes);
  void WritePendingMemos(const TRecordBuffer& buffer);
  QVariant ReadValue(const TField& field, const TRecordBuffer& buffer) const;
  void WriteValue(const TField& field, const QVariant& value);
  const TRecordBuffer& CurrentBuffer();
  TRecordBuffer& EditBuffer(const char* what);
  void LinkMaster();
  bool MasterChanged();  // true when a master's range was set

  std::unique_ptr<THandler> handler_;
  std::unique_ptr<TCursor> cursor_;
  bool autoFlush_ = false;
  QString databaseName_;
  QString encryptionKey_;
  bool exactCount_ = false;
  bool exclusive_ = false;
  QList<TDbfIndexDef> indexDefs_;
  QStringList indexFiles_;
  QString indexName_;
  TIntFields largeIntegerAs_ = TIntFields::asInteger;
  TLockProtocol lockProtocol_ = TLockProtocol::Default;
  QPointer<TDataSource> masterSource_;
  QString masterFields_;
  QString tableName_;
  bool translateASCII_ = true;
  bool useDeleted_ = false;
  quint32 userID_ = 0;
  bool busyIndexing_ = false;
  bool busyCopying_ = false;
  int searchOptions_ = 1;
  uint32_t lockedRecord_ = 0;  // the record lock held by an edit
  QList<QMetaObject::Connection> masterLinks_;
};

}  // namespace hb
