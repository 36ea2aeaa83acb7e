// TMemDataSet: a dataset whose records live in memory.
//
// Define the fields, open, and use it like any table; the records stay while it is closed
// and go with the object. Useful as a scratch table and as the table behind tests of views.
//
//   TMemDataSet t;
//   t.FieldDefs().Add("NAAM", TFieldType::ftString, 40);
//   t.FieldDefs().Add("AANTAL", TFieldType::ftInteger);
//   t.AddRow({"Jansen", 3});                 // straight into storage, no events
//   t.Open();
//   t.SetIndexFieldNames("NAAM");            // order by NAAM; FindKey / GotoNearest on it
//
// Order: the order of adding (Insert puts a record before the current one, Append at the
// end), or, with IndexFieldNames, ascending by those fields (nulls first, texts by
// case-sensitive comparison, ties in order of adding). Bookmarks are 8-byte record ids that
// stay valid until the record is deleted. RecNo and RecordCount count the visible records
// (OnFilterRecord applies while Filtered); the Filter text is not evaluated.
#pragma once

#include <vector>

#include "platform/dataset.h"

namespace hb {

class TMemDataSet : public TDataSet {
 public:
  TMemDataSet();
  ~TMemDataSet() override;

  // Adds a record with the values in field order (converted as by TField::SetValue; missing
  // values are null), without events. While open, call Refresh to show it.
  void AddRow(const QVariantList& values);
  // Removes all records (while open: shows the empty dataset).
  void EmptyTable();
  int PhysicalCount() const { return static_cast<int>(rows_.size()); }

  QString IndexFieldNames() const { return indexFieldNames_; }
  void SetIndexFieldNames(const QString& names);

 protected:
  void InternalOpen() override;
  void InternalClose() override {}
  void InternalFirst() override;
  void InternalLast() override;
  TGetResult GetRecord(TRecordBuffer& buffer, TGetMode mode) override;
  void InternalGotoBookmark(const TBookmark& bookmark) override;
  void InternalInitRecord(TRecordBuffer& buffer) override;
  bool GetFieldData(const TField& field, const TRecordBuffer& buffer,
                    QVariant& value) const override;
  void SetFieldData(const TField& field, TRecordBuffer& buffer, const QVariant& value) override;
  void InternalInsert(bool append) override;
  void InternalPost(TRecordBuffer& buffer) override;
  void InternalDelete() override;
  int GetRecordCount() override;
  int GetRecNo() override;
  QList<TField*> IndexFields() const override;
  bool InternalGotoKey(const TRecordBuffer& key, bool nearest) override;

 private:
  struct TRow {
    qint64 id;
    QVariantList values;
  };
  void Fill(int row, TRecordBuffer& buffer) const;
  bool Visible(int row);
  int FindRow(const TBookmark& bookmark) const;
  QList<int> IndexColumns() const;
  int CompareKeys(const QVariantList& a, const QVariantList& b, const QList<int>& cols) const;
  int SortedPosition(const QVariantList& values) const;  // after equal keys
  void SortRows();

  std::vector<TRow> rows_;
  qint64 nextId_ = 1;
  int pos_ = 0;  // the cursor: ON rows_[pos_], or on the crack before it
  bool onRecord_ = false;
  int insertAt_ = -1;  // where an Insert puts its record
  QString indexFieldNames_;
};

}  // namespace hb
