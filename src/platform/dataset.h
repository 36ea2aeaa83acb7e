// TDataSet: the abstract dataset of the framework, the base of every table component.
//
// A dataset is a cursor over records with one current record, typed fields, a state and
// events. The framework does the bookkeeping (states, the current record buffer, the key
// buffer, BOF/EOF, events, notifications of attached TDataSource objects, field access,
// Locate/Lookup); a concrete dataset supplies the storage through the protected virtual
// methods listed at the end of the class.
//
// States (State()):
//
//   dsInactive --Open--> dsBrowse --Edit-------> dsEdit   --Post/Cancel/Delete--> dsBrowse
//                        dsBrowse --Insert/Append> dsInsert --Post/Cancel---------> dsBrowse
//                        dsBrowse --SetKey-------> dsSetKey --GotoKey/Cancel------> dsBrowse
//                        dsBrowse  (dsFilter while OnFilterRecord runs, then back)
//   any --Close--> dsInactive   (an edit or insert in progress is discarded)
//
// Rules:
// (1) Navigation and searches first leave edit and insert state the framework's way: a record
//     with modified fields is posted, otherwise the edit is cancelled (CheckBrowseMode).
// (2) Field writes are allowed in dsEdit, dsInsert and dsSetKey only ("Dataset not in edit or
//     insert mode"); in dsSetKey only to the fields that IndexFields lists.
// (3) The current record lives in the active buffer. The concrete dataset's cursor may be
//     moved elsewhere (reading other records for Locate, Lookup or a grid); the framework puts
//     it back on the active record (InternalSetToRecord) before any operation that works
//     relative to the current record.
// (4) Events are std::function members; they run also while controls are disabled. A handler
//     may itself use the dataset (navigate, edit and post, even close and reopen it).
// (5) Data sources hear of changes only while controls are enabled; DisableControls /
//     EnableControls nest, and the last EnableControls sends one "data set changed".
//
// Event order:
//   Open:    BeforeOpen, AfterOpen, AfterScroll (when not empty)
//   Close:   BeforeClose, AfterClose
//   Scroll (First/Last/Next/Prior/MoveBy/GotoBookmark/Locate): BeforeScroll, AfterScroll
//   Insert/Append: BeforeInsert, BeforeScroll, OnNewRecord, AfterInsert, AfterScroll
//   Edit:    BeforeEdit, AfterEdit
//   Post:    BeforePost, AfterPost
//   Cancel:  BeforeCancel, AfterCancel
//   Delete:  BeforeDelete, BeforeScroll, AfterDelete, AfterScroll
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

#include "platform/field.h"

namespace hb {

class TDataSource;

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsFilter };

// A bookmark identifies one record of a dataset; its bytes are the concrete dataset's.
using TBookmark = QByteArray;

enum class TBookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };

// What the concrete dataset's GetRecord is asked for and what it answers.
enum class TGetMode { gmCurrent, gmNext, gmPrior };
enum class TGetResult { grOK, grBOF, grEOF, grError };

// Locate options: case-insensitive compare, and partial key (a text value matches the start
// of a string field).
enum TLocateOption { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = int;

// Filter options (for datasets that evaluate a Filter text).
enum TFilterOption { foCaseInsensitive = 1, foNoPartialCompare = 2 };
using TFilterOptions = int;

// One record buffer. The framework keeps the bookmark and its flag; the record itself is the
// concrete dataset's: raw bytes (a table record) or values, whichever suits its storage.
struct TRecordBuffer {
  QByteArray data;
  QVariantList values;
  TBookmark bookmark;
  TBookmarkFlag flag = TBookmarkFlag::bfCurrent;
  qint64 recNo = -1;  // free for the concrete dataset (for example the physical number)
};

class TDataSet {
 public:
  using TDataSetNotifyEvent = std::function<void(TDataSet&)>;
  using TFilterRecordEvent = std::function<void(TDataSet&, bool& accept)>;

  TDataSet();
  virtual ~TDataSet();
  TDataSet(const TDataSet&) = delete;
  TDataSet& operator=(const TDataSet&) = delete;

  // A name for messages and logs (for example "tblUren").
  QString Name;

  // --- Opening and state
  void Open();
  void Close();
  bool Active() const { return state_ != TDataSetState::dsInactive; }
  void SetActive(bool active) { active ? Open() : Close(); }
  TDataSetState State() const { return state_; }
  bool Modified() const { return modified_; }
  bool CanModify() const { return Active() && GetCanModify(); }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

  // --- Fields
  TFieldDefs& FieldDefs() { return fieldDefs_; }
  const TFieldDefs& FieldDefs() const { return fieldDefs_; }
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  TField* Fields(int i) const { return fields_.at(i).get(); }
  TField* FindField(const QString& name) const;    // nullptr when missing
  TField* FieldByName(const QString& name) const;  // raises "Field '%s' not found"
  // Fields named in "A;B;C" (blanks around names ignored); raises when one is missing.
  QList<TField*> GetFieldList(const QString& names) const;

  // --- Navigation
  void First();
  void Last();
  void Next();
  void Prior();
  int MoveBy(int distance);  // returns the distance actually moved
  bool Eof() const { return eof_; }
  bool Bof() const { return bof_; }
  bool IsEmpty() const { return !hasRecord_ && state_ != TDataSetState::dsInsert; }
  int RecordCount();  // raises on a closed dataset
  int RecNo();        // raises on a closed dataset; -1 when unknown
  void SetRecNo(int recNo);

  // --- Bookmarks
  TBookmark GetBookmark() const;                 // empty when there is no current record
  void GotoBookmark(const TBookmark& bookmark);  // raises "Record not found" when it is gone
  virtual bool BookmarkValid(const TBookmark& bookmark);
  virtual int CompareBookmarks(const TBookmark& a, const TBookmark& b) const;

  // --- Editing
  void Edit();    // on an empty dataset: Insert
  void Insert();  // new record at the current position
  void Append();  // new record at the end
  void Post();    // no effect in browse state
  void Cancel();
  void Delete();  // in insert state: Cancel
  void Refresh();
  void CheckBrowseMode();  // rule (1)
  // Sets the fields of the current record from values, in field order (extra values are
  // ignored, an invalid QVariant leaves the field as it is); posts.
  void AppendRecord(const QVariantList& values);

  // --- Searching
  // Key fields "A;B"; values: one QVariant, or a QVariantList with one value per key field.
  bool Locate(const QString& keyFields, const QVariant& keyValues, TLocateOptions options = 0);
  // The value (or QVariantList of values for "A;B") of the result fields in the first record
  // whose key fields equal the values exactly; null when there is none. Never moves.
  QVariant Lookup(const QString& keyFields, const QVariant& keyValues, const QString& resultFields);

  // --- Set-key state: write key fields into the key buffer, then search.
  void SetKey();
  bool GotoKey();                            // exact; on success the found record is current
  void GotoNearest();                        // first record at or after the key
  bool FindKey(const QVariantList& values);  // SetKey, key fields in order, GotoKey
  void FindNearest(const QVariantList& values);

  // --- Filtering (the Filter text is read by datasets that evaluate one)
  QString Filter() const { return filter_; }
  void SetFilter(const QString& filter);
  TFilterOptions FilterOptions() const { return filterOptions_; }
  void SetFilterOptions(TFilterOptions options);
  bool Filtered() const { return filtered_; }
  void SetFiltered(bool filtered);

  // --- Controls
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return disableCount_ > 0; }

  // --- Reading without moving (for views). The visit runs with the fields reading the record
  // of that bookmark; the current record, the state and the events are untouched.
  QList<TBookmark> VisibleBookmarks();
  bool ReadRecordAt(const TBookmark& bookmark, const std::function<void()>& visit);
  // In dsInsert: the record the new one is shown before (Insert), empty when it is shown at
  // the end (Append, or Insert into an empty dataset).
  TBookmark InsertBefore() const { return insertBefore_; }

  // --- Events
  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
  TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
  TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
  TDataSetNotifyEvent OnNewRecord;
  TFilterRecordEvent OnFilterRecord;

 protected:
  // ======== The interface of a concrete dataset ========
  //
  // The cursor. The concrete dataset keeps a cursor that is either ON a record or on a crack
  // between records (before the first, after the last, or where a record was deleted).

  // Opens the storage and fills FieldDefs() (unless the definitions were given beforehand).
  // The framework then builds the fields and goes to the first record. On an exception the
  // framework calls InternalClose and passes the exception on.
  virtual void InternalOpen() = 0;
  // Releases the storage, locks and cursor. Must not fail when called after a failed open.
  virtual void InternalClose() = 0;
  // Cursor to the crack before the first / after the last visible record.
  virtual void InternalFirst() = 0;
  virtual void InternalLast() = 0;
  // Reads a record into buffer (record, bookmark, flag bfCurrent) and leaves the cursor ON it:
  //   gmNext:    the next visible record after the cursor; grEOF when none.
  //   gmPrior:   the previous visible record; grBOF when none.
  //   gmCurrent: the record the cursor is on when it is visible; grError otherwise.
  // Visible means: passing the dataset's own filtering and, when Filtered, RecordVisible().
  virtual TGetResult GetRecord(TRecordBuffer& buffer, TGetMode mode) = 0;
  // Cursor ON the record of the bookmark. Raises EDatabaseError "Record not found" when the
  // bookmark names no record.
  virtual void InternalGotoBookmark(const TBookmark& bookmark) = 0;
  // Cursor ON the record of a buffer; by default by its bookmark.
  virtual void InternalSetToRecord(const TRecordBuffer& buffer);

  // Record buffers.
  // A blank record for Insert/Append (no bookmark is needed).
  virtual void InternalInitRecord(TRecordBuffer& buffer) = 0;
  // The value of a field in a buffer, in the canonical form of the field's type (field.h);
  // false (and value ignored) when null.
  virtual bool GetFieldData(const TField& field, const TRecordBuffer& buffer,
                            QVariant& value) const = 0;
  // Stores a canonical value (invalid QVariant: null) in a buffer. Checks of state and
  // read-only are done by the framework; this only stores.
  virtual void SetFieldData(const TField& field, TRecordBuffer& buffer, const QVariant& value) = 0;

  // Editing. The cursor is ON the current record for InternalEdit, InternalPost in dsEdit,
  // InternalDelete and InternalCancel in dsEdit.
  // Before dsEdit: may re-read the record into buffer and take a lock; raising keeps browse.
  virtual void InternalEdit(TRecordBuffer& buffer) {}
  // Before dsInsert: the cursor is on the record before which Insert puts the new one, or
  // after the last one for Append; remember that place, since views may move the cursor
  // before the post. Releases what an edit held.
  virtual void InternalInsert(bool append) {}
  // Writes the buffer: rewrites the record in dsEdit, adds it in dsInsert. Afterwards the
  // cursor is ON the written record (or where it would be when it is not visible).
  virtual void InternalPost(TRecordBuffer& buffer) = 0;
  // Leaving dsEdit without writing (release a lock).
  virtual void InternalCancel() {}
  // Removes the current record; afterwards the cursor is on the crack where it was.
  virtual void InternalDelete() = 0;
  // Re-reads the storage (the framework re-reads the current record afterwards).
  virtual void InternalRefresh() {}

  // Information.
  virtual int GetRecordCount() = 0;
  virtual int GetRecNo() { return -1; }
  // By default: the recNo-th visible record (1-based) by walking from the first.
  virtual void InternalSetRecNo(int recNo);
  virtual bool GetCanModify() const { return !readOnly_; }

  // Searching. Positions the cursor ON the first visible record whose key fields match and
  // reads it into found; false when none matches (the cursor may then be anywhere). By
  // default a walk over the visible records with MatchesKey.
  virtual bool LocateRecord(const QList<TField*>& keyFields, const QVariantList& keyValues,
                            TLocateOptions options, TRecordBuffer& found);
  // Set-key support: the fields of the current index key (the only fields writable in
  // dsSetKey, filled in order by FindKey), and the search itself: cursor ON the record whose
  // key equals the key buffer (false when none), or for nearest the first record at or after
  // it (crack after the last when none). By default there is no index: SetKey raises
  // "No index is assigned for this operation".
  virtual QList<TField*> IndexFields() const { return {}; }
  virtual bool InternalGotoKey(const TRecordBuffer& key, bool nearest);

  // Called when Filtered changed on an open dataset, or Filter or FilterOptions changed on an
  // open, filtered one; by default the first record is shown (with the scroll events).
  virtual void FilterChanged();

  // Raises "Cannot perform this operation on a closed dataset" when the dataset is closed;
  // every operation on an open dataset passes here first, so a concrete dataset may add its
  // own refusals (a table that is busy).
  virtual void CheckActive() const;

  // ======== Helpers for concrete datasets ========
  // For operations of their own that move the cursor (a key search, another order):
  // raise BeforeScroll, position the cursor, then ShowCursorRecord reads the record there
  // (or the next or previous visible one), tells the data sources and raises AfterScroll.
  void DoBeforeScroll() { DoEvent(BeforeScroll); }
  void ShowCursorRecord();
  // For a search that ran past the end: the last visible record becomes current with Eof set
  // (as Last leaves it), then the scroll notifications and AfterScroll.
  void ShowLastAtEnd();
  // Puts the cursor back on the current record (rule 3).
  void UpdateCursorPos();
  // The records changed by an operation of the concrete dataset (pack, new filter, new order).
  void NotifyDataSetChanged() { DataEvent(TDataEvent::DataSetChange); }
  // The active buffer was written directly (raw field text): marks the record modified and
  // tells the data sources.
  void RecordBufferChanged(TField* field);
  // The OnFilterRecord verdict on a buffer (true when not Filtered or no handler); runs the
  // handler in dsFilter with the fields reading that buffer.
  bool RecordVisible(const TRecordBuffer& buffer);
  // Whether the key fields of a record equal the values under the options (the rule of Locate).
  bool MatchesKey(const TRecordBuffer& buffer, const QList<TField*>& keyFields,
                  const QVariantList& keyValues, TLocateOptions options);
  // Tells the framework that the cursor is no longer on the active record.
  void CursorPosChanged() { cursorDisplaced_ = true; }
  TRecordBuffer& ActiveBuffer() { return active_; }
  // For destructors of concrete datasets: close without raising the close events.
  void CloseForDestroy();
  [[noreturn]] static void DatabaseError(const QString& message);

 private:
  friend class TField;
  friend class TDataSource;

  enum class TDataEvent {
    DataSetChange,
    Scroll,
    RecordChange,
    FieldChange,
    StateChange,
    UpdateData
  };

  void CheckCanModify() const;
  void SetState(TDataSetState state);
  void DataEvent(TDataEvent event, TField* field = nullptr);
  void Resync();
  void ReadFirst();
  void BuildFields();
  void BeginInsertAppend();
  void EndInsertAppend();
  void DoEvent(const TDataSetNotifyEvent& event);
  void DoAfterScroll() { DoEvent(AfterScroll); }
  void CheckRequiredFields();
  const TRecordBuffer* ReadBuffer() const;
  bool FieldValue(const TField& field, QVariant& value) const;
  void StoreFieldValue(TField& field, const QVariant& canonical);
  QVariantList KeyValueList(const QVariant& values, int count) const;
  bool GotoKeyImpl(bool nearest);
  // SetKey, then the key fields in order from values; cancels the key state on failure.
  void SetKeyValues(const QVariantList& values);

  TDataSetState state_ = TDataSetState::dsInactive;
  TDataSetState savedState_ = TDataSetState::dsInactive;  // around dsFilter
  TFieldDefs fieldDefs_;
  std::vector<std::unique_ptr<TField>> fields_;
  TFieldDefs fieldsBuiltFrom_;
  TRecordBuffer active_;
  TRecordBuffer key_;
  TBookmark insertBefore_;                     // where an inserted record is shown
  TBookmark insertOrigin_;                     // the current record when an insert began
  const TRecordBuffer* tempBuffer_ = nullptr;  // read by fields while set
  bool hasRecord_ = false;
  bool bof_ = false;
  bool eof_ = false;
  bool modified_ = false;
  bool readOnly_ = false;
  bool cursorDisplaced_ = false;
  bool destroying_ = false;
  QString filter_;
  TFilterOptions filterOptions_ = 0;
  bool filtered_ = false;
  int disableCount_ = 0;
  bool stateChangedWhileDisabled_ = false;
  QList<TDataSource*> dataSources_;
};

}  // namespace hb
