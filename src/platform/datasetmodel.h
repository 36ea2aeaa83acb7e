// TDataSetModel: a dataset as a Qt table model, for the grids of the windows.
//
//   TDataSetModel model;
//   model.SetDataSet(&table);
//   model.SetColumns({{"OBJECT", "Naam"}, {"KLEUR", "Kleur"}});   // or all visible fields
//   view->setModel(&model);
//
// One row per visible record, in the dataset's order; columns are the chosen fields (by name,
// looked up again whenever the dataset changes, so a reopened table keeps working) or, without
// a choice, the visible fields with their DisplayLabel. The model listens through its own
// TDataSource: "data set changed" re-reads the rows (a model reset), a scroll moves
// CurrentRow, a field change repaints the current row. Reading a cell never moves the
// dataset's current record and raises no dataset events.
//
// While the dataset inserts, the new record has a row of its own (before the record where the
// insert began, or at the end for Append) that shows the values as they are typed; its
// BookmarkAt is empty.
//
// Roles: DisplayRole the field's text; EditRole the value (dates as QDate, date-times as
// QDateTime); TextAlignmentRole right for numbers. setData writes through the dataset: on a
// browsing dataset it goes to the row, edits, sets the field and posts; while the row is
// already being edited it only sets the field. A refused write returns false and leaves its
// message in LastError().
#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QStringList>

#include "platform/dataset.h"
#include "platform/datasource.h"

namespace hb {

struct TDataSetColumn {
  QString fieldName;
  QString caption;  // empty: the field's DisplayLabel
};

class TDataSetModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit TDataSetModel(QObject* parent = nullptr);

  TDataSet* DataSet() const { return source_->DataSet(); }
  void SetDataSet(TDataSet* dataSet);
  void SetColumns(const QList<TDataSetColumn>& columns);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

  // The field shown in a column (nullptr when the dataset lacks it or is closed).
  TField* ColumnField(int column) const;
  TBookmark BookmarkAt(int row) const { return rows_.value(row); }
  int CurrentRow() const { return currentRow_; }
  // Makes the record of the row current (with the dataset's scroll events).
  void SetCurrentRow(int row);
  QString LastError() const { return lastError_; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

 signals:
  void currentRowChanged(int row);

 private:
  struct TRowCache {
    QVariantList values;
    QStringList texts;
  };
  void Reload();
  void UpdateCurrentRow();
  void OnRecordChanged();
  TRowCache ReadRow(int row) const;
  bool InRange(const QModelIndex& index) const;

  TDataSource* source_;
  QList<TDataSetColumn> columns_;  // chosen columns; empty: all visible fields
  QList<TDataSetColumn> shown_;    // the columns shown now
  QList<TBookmark> rows_;
  mutable QHash<int, TRowCache> cache_;
  int currentRow_ = -1;
  bool readOnly_ = false;
  QString lastError_;
};

}  // namespace hb
