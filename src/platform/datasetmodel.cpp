#include "platform/datasetmodel.h"

#include <QDate>
#include <QDateTime>
#include <cmath>

namespace hb {

namespace {

const QDate kMomentZero(1899, 12, 30);

QVariant EditValue(const TField* f, const QVariant& value) {
  if (!value.isValid()) return value;
  const double m = value.toDouble();
  const QDate date = kMomentZero.addDays(static_cast<qint64>(std::trunc(m)));
  const qint64 ms = std::llround(std::fabs(m - std::trunc(m)) * 86400000.0);
  switch (f->DataType()) {
    case TFieldType::ftDate:
      return date;
    case TFieldType::ftDateTime:
      return QDateTime(date, QTime(0, 0)).addMSecs(ms);
    case TFieldType::ftTime:
      return QTime(0, 0).addMSecs(static_cast<int>(ms));
    default:
      return value;
  }
}

}  // namespace

TDataSetModel::TDataSetModel(QObject* parent)
    : QAbstractTableModel(parent), source_(new TDataSource(this)) {
  connect(source_, &TDataSource::dataSetChanged, this, &TDataSetModel::Reload);
  connect(source_, &TDataSource::stateChanged, this, &TDataSetModel::UpdateCurrentRow);
  connect(source_, &TDataSource::scrolled, this, &TDataSetModel::UpdateCurrentRow);
  connect(source_, &TDataSource::recordChanged, this, &TDataSetModel::OnRecordChanged);
}

void TDataSetModel::SetDataSet(TDataSet* dataSet) {
  source_->SetDataSet(dataSet);  // announces the change: Reload
  Reload();
}

void TDataSetModel::SetColumns(const QList<TDataSetColumn>& columns) {
  columns_ = columns;
  Reload();
}

TField* TDataSetModel::ColumnField(int column) const {
  TDataSet* ds = DataSet();
  if (!ds || !ds->Active() || column < 0 || column >= shown_.size()) return nullptr;
  return ds->FindField(shown_[column].fieldName);
}

void TDataSetModel::Reload() {
  beginResetModel();
  cache_.clear();
  rows_.clear();
  shown_.clear();
  TDataSet* ds = DataSet();
  if (ds && ds->Active()) {
    if (columns_.isEmpty()) {
      for (int i = 0; i < ds->FieldCount(); ++i)
        if (ds->Fields(i)->Visible()) shown_.append({ds->Fields(i)->FieldName(), QString()});
    } else {
      shown_ = columns_;
    }
    rows_ = ds->VisibleBookmarks();
    if (ds->State() == TDataSetState::dsInsert) {
      // The record being inserted gets a row of its own, marked by an empty bookmark.
      const TBookmark before = ds->InsertBefore();
      qsizetype at = before.isEmpty() ? -1 : rows_.indexOf(before);
      rows_.insert(at < 0 ? rows_.size() : at, TBookmark());
    }
  }
  currentRow_ = -1;
  endResetModel();
  UpdateCurrentRow();
}

void TDataSetModel::UpdateCurrentRow() {
  TDataSet* ds = DataSet();
  int row = -1;
  if (ds && ds->State() == TDataSetState::dsInsert) {
    row = static_cast<int>(rows_.indexOf(TBookmark()));
  } else if (ds) {
    const TBookmark current = ds->GetBookmark();
    if (!current.isEmpty()) row = static_cast<int>(rows_.indexOf(current));
  }
  if (row == currentRow_) return;
  currentRow_ = row;
  emit currentRowChanged(row);
}

void TDataSetModel::OnRecordChanged() {
  UpdateCurrentRow();
  if (currentRow_ < 0 || shown_.isEmpty()) return;
  cache_.remove(currentRow_);
  emit dataChanged(index(currentRow_, 0), index(currentRow_, columnCount() - 1));
}

void TDataSetModel::SetCurrentRow(int row) {
  TDataSet* ds = DataSet();
  if (!ds || row < 0 || row >= rows_.size() || rows_[row].isEmpty()) return;
  if (ds->GetBookmark() != rows_[row]) ds->GotoBookmark(rows_[row]);
}

TDataSetModel::TRowCache TDataSetModel::ReadRow(int row) const {
  TRowCache cache;
  TDataSet* ds = DataSet();
  QList<TField*> fields;
  for (int c = 0; c < shown_.size(); ++c) fields.append(ColumnField(c));
  auto read = [&] {
    for (TField* f : fields) {
      QVariant value;
      QString text;
      if (f) {
        try {
          value = f->Value();
          text = f->DisplayText();
        } catch (const std::exception&) {
          // A value the field cannot show stays empty in the grid.
        }
      }
      cache.values.append(value);
      cache.texts.append(text);
    }
  };
  const TBookmark bookmark = rows_.value(row);
  bool done = false;
  if (ds && bookmark.isEmpty()) {
    if (ds->State() == TDataSetState::dsInsert) {
      read();  // the fields read the record being inserted
      done = true;
    }
  } else if (ds) {
    done = ds->ReadRecordAt(bookmark, read);
  }
  if (!done) {
    cache.values.clear();
    cache.texts.clear();
    for (int c = 0; c < shown_.size(); ++c) {
      cache.values.append(QVariant());
      cache.texts.append(QString());
    }
  }
  return cache;
}

bool TDataSetModel::InRange(const QModelIndex& index) const {
  return index.isValid() && index.model() == this && index.row() < rows_.size() &&
         index.column() < shown_.size();
}

int TDataSetModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TDataSetModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

QVariant TDataSetModel::data(const QModelIndex& index, int role) const {
  if (!InRange(index)) return QVariant();
  if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::TextAlignmentRole)
    return QVariant();
  TField* f = ColumnField(index.column());
  if (!f) return QVariant();
  if (role == Qt::TextAlignmentRole)
    return f->IsNumeric() ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
  // The row being edited is read afresh every time; other rows are cached until a change.
  TDataSet* ds = DataSet();
  const bool editing =
      index.row() == currentRow_ && ds &&
      (ds->State() == TDataSetState::dsEdit || ds->State() == TDataSetState::dsInsert);
  TRowCache row;
  if (editing) {
    row = ReadRow(index.row());
  } else {
    auto it = cache_.find(index.row());
    if (it == cache_.end()) it = cache_.insert(index.row(), ReadRow(index.row()));
    row = *it;
  }
  if (role == Qt::DisplayRole) return row.texts.value(index.column());
  return EditValue(f, row.values.value(index.column()));
}

QVariant TDataSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return QVariant();
  if (orientation == Qt::Vertical) return section + 1;
  if (section < 0 || section >= shown_.size()) return QVariant();
  if (!shown_[section].caption.isEmpty()) return shown_[section].caption;
  TField* f = ColumnField(section);
  return f ? f->DisplayLabel() : shown_[section].fieldName;
}

Qt::ItemFlags TDataSetModel::flags(const QModelIndex& index) const {
  if (!InRange(index)) return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
  TField* f = ColumnField(index.column());
  if (!readOnly_ && f && !f->ReadOnly() && DataSet()->CanModify()) flags |= Qt::ItemIsEditable;
  return flags;
}

bool TDataSetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) return false;
  TDataSet* ds = DataSet();
  TField* f = ColumnField(index.column());
  const TBookmark bookmark = rows_.value(index.row());
  const QString fieldName = f->FieldName();
  lastError_.clear();
  bool started = false;
  try {
    if (ds->State() == TDataSetState::dsBrowse) {
      if (ds->GetBookmark() != bookmark) ds->GotoBookmark(bookmark);
      ds->Edit();
      started = true;
    } else if (!(ds->State() == TDataSetState::dsEdit && ds->GetBookmark() == bookmark) &&
               !(ds->State() == TDataSetState::dsInsert && bookmark.isEmpty())) {
      lastError_ = "Dataset not in edit or insert mode";
      return false;
    }
    // Scroll handlers may have reopened the dataset: look the field up again.
    ds->FieldByName(fieldName)->SetValue(value);
    if (started) ds->Post();
    return true;
  } catch (const EDatabaseError& e) {
    lastError_ = e.Message();
  } catch (const std::exception& e) {
    lastError_ = QString::fromLocal8Bit(e.what());
  }
  if (started && ds->State() == TDataSetState::dsEdit) ds->Cancel();
  return false;
}

}  // namespace hb
