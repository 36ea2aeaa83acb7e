#include "platform/datasetmem.h"

#include <QtEndian>
#include <algorithm>

namespace hb {

namespace {

TBookmark IdBookmark(qint64 id) {
  TBookmark b(8, '\0');
  qToBigEndian<qint64>(id, b.data());
  return b;
}

// Order of canonical values of one field type; null first.
int CompareValues(const QVariant& a, const QVariant& b) {
  if (!a.isValid() || !b.isValid()) return int(a.isValid()) - int(b.isValid());
  switch (a.typeId()) {
    case QMetaType::QString:
      return a.toString().compare(b.toString());
    case QMetaType::QByteArray:
      return a.toByteArray().compare(b.toByteArray());
    case QMetaType::Bool:
      return int(a.toBool()) - int(b.toBool());
    case QMetaType::LongLong: {
      const qint64 x = a.toLongLong(), y = b.toLongLong();
      return x < y ? -1 : (x > y ? 1 : 0);
    }
    default: {
      const double x = a.toDouble(), y = b.toDouble();
      return x < y ? -1 : (x > y ? 1 : 0);
    }
  }
}

}  // namespace

TMemDataSet::TMemDataSet() = default;

TMemDataSet::~TMemDataSet() {
  CloseForDestroy();
}

void TMemDataSet::AddRow(const QVariantList& values) {
  // Convert through fields of the definitions, so that stored values are canonical.
  QVariantList row;
  for (int i = 0; i < FieldDefs().Count(); ++i) {
    TField f(nullptr, FieldDefs().Items(i), i);
    row.append(i < values.size() ? f.ToCanonical(values[i]) : QVariant());
  }
  const QList<int> cols = IndexColumns();
  const int at = cols.isEmpty() ? static_cast<int>(rows_.size()) : SortedPosition(row);
  rows_.insert(rows_.begin() + at, TRow{nextId_++, row});
  if (at < pos_ || (at == pos_ && onRecord_)) ++pos_;
}

void TMemDataSet::EmptyTable() {
  rows_.clear();
  pos_ = 0;
  onRecord_ = false;
  if (Active()) Refresh();
}

void TMemDataSet::SetIndexFieldNames(const QString& names) {
  const TBookmark current = GetBookmark();
  if (Active()) CheckBrowseMode();
  const QString old = indexFieldNames_;
  indexFieldNames_ = names;
  try {
    SortRows();
  } catch (...) {
    indexFieldNames_ = old;  // an unknown field name leaves the order as it was
    throw;
  }
  if (!Active()) return;
  if (!current.isEmpty() && FindRow(current) >= 0)
    GotoBookmark(current);
  else
    First();
}

QList<int> TMemDataSet::IndexColumns() const {
  QList<int> cols;
  for (const QString& n : indexFieldNames_.split(';')) {
    if (n.trimmed().isEmpty()) continue;
    const int i = FieldDefs().IndexOf(n.trimmed());
    if (i < 0) DatabaseError(QString("Field '%1' not found").arg(n.trimmed()));
    cols.append(i);
  }
  return cols;
}

QList<TField*> TMemDataSet::IndexFields() const {
  QList<TField*> fields;
  for (int c : IndexColumns())
    if (c < FieldCount()) fields.append(Fields(c));
  return fields;
}

int TMemDataSet::CompareKeys(const QVariantList& a, const QVariantList& b,
                             const QList<int>& cols) const {
  for (int c : cols) {
    const int r = CompareValues(a.value(c), b.value(c));
    if (r != 0) return r;
  }
  return 0;
}

int TMemDataSet::SortedPosition(const QVariantList& values) const {
  const QList<int> cols = IndexColumns();
  int at = 0;
  while (at < static_cast<int>(rows_.size()) && CompareKeys(rows_[at].values, values, cols) <= 0)
    ++at;
  return at;
}

void TMemDataSet::SortRows() {
  const QList<int> cols = IndexColumns();
  if (cols.isEmpty()) return;
  std::stable_sort(rows_.begin(), rows_.end(), [&](const TRow& a, const TRow& b) {
    const int r = CompareKeys(a.values, b.values, cols);
    return r != 0 ? r < 0 : a.id < b.id;
  });
}

void TMemDataSet::InternalOpen() {
  if (FieldDefs().Count() == 0) DatabaseError("No fields defined");
  for (TRow& r : rows_)
    while (r.values.size() < FieldDefs().Count()) r.values.append(QVariant());
  IndexColumns();  // a bad index field name fails the open
  pos_ = 0;
  onRecord_ = false;
}

void TMemDataSet::InternalFirst() {
  pos_ = 0;
  onRecord_ = false;
}

void TMemDataSet::InternalLast() {
  pos_ = static_cast<int>(rows_.size());
  onRecord_ = false;
}

void TMemDataSet::Fill(int row, TRecordBuffer& buffer) const {
  buffer.values = rows_[row].values;
  buffer.bookmark = IdBookmark(rows_[row].id);
  buffer.flag = TBookmarkFlag::bfCurrent;
  buffer.recNo = row + 1;
}

bool TMemDataSet::Visible(int row) {
  if (!Filtered() || !OnFilterRecord) return true;
  TRecordBuffer buffer;
  Fill(row, buffer);
  return RecordVisible(buffer);
}

TGetResult TMemDataSet::GetRecord(TRecordBuffer& buffer, TGetMode mode) {
  const int n = static_cast<int>(rows_.size());
  switch (mode) {
    case TGetMode::gmCurrent:
      if (!onRecord_ || pos_ >= n || !Visible(pos_)) return TGetResult::grError;
      Fill(pos_, buffer);
      return TGetResult::grOK;
    case TGetMode::gmNext:
      for (int i = onRecord_ ? pos_ + 1 : pos_; i < n; ++i) {
        if (!Visible(i)) continue;
        pos_ = i;
        onRecord_ = true;
        Fill(i, buffer);
        return TGetResult::grOK;
      }
      pos_ = n;
      onRecord_ = false;
      return TGetResult::grEOF;
    case TGetMode::gmPrior:
      for (int i = std::min(pos_, n) - 1; i >= 0; --i) {
        if (!Visible(i)) continue;
        pos_ = i;
        onRecord_ = true;
        Fill(i, buffer);
        return TGetResult::grOK;
      }
      pos_ = 0;
      onRecord_ = false;
      return TGetResult::grBOF;
  }
  return TGetResult::grError;
}

int TMemDataSet::FindRow(const TBookmark& bookmark) const {
  if (bookmark.size() != 8) return -1;
  const qint64 id = qFromBigEndian<qint64>(bookmark.constData());
  for (int i = 0; i < static_cast<int>(rows_.size()); ++i)
    if (rows_[i].id == id) return i;
  return -1;
}

void TMemDataSet::InternalGotoBookmark(const TBookmark& bookmark) {
  const int row = FindRow(bookmark);
  if (row < 0) DatabaseError("Record not found");
  pos_ = row;
  onRecord_ = true;
}

void TMemDataSet::InternalInitRecord(TRecordBuffer& buffer) {
  buffer = TRecordBuffer();
  for (int i = 0; i < FieldDefs().Count(); ++i) buffer.values.append(QVariant());
}

bool TMemDataSet::GetFieldData(const TField& field, const TRecordBuffer& buffer,
                               QVariant& value) const {
  value = buffer.values.value(field.Index());
  return value.isValid();
}

void TMemDataSet::SetFieldData(const TField& field, TRecordBuffer& buffer, const QVariant& value) {
  while (buffer.values.size() <= field.Index()) buffer.values.append(QVariant());
  buffer.values[field.Index()] = value;
}

void TMemDataSet::InternalInsert(bool append) {
  const int n = static_cast<int>(rows_.size());
  insertAt_ = append ? n : std::clamp(pos_, 0, n);
}

void TMemDataSet::InternalPost(TRecordBuffer& buffer) {
  const bool indexed = !IndexColumns().isEmpty();
  if (State() == TDataSetState::dsInsert) {
    const int n = static_cast<int>(rows_.size());
    const int at = indexed ? SortedPosition(buffer.values) : std::clamp(insertAt_, 0, n);
    rows_.insert(rows_.begin() + at, TRow{nextId_++, buffer.values});
    pos_ = at;
  } else {
    int row = FindRow(buffer.bookmark);
    if (row < 0) DatabaseError("Record not found");
    TRow r{rows_[row].id, buffer.values};
    if (indexed) {
      rows_.erase(rows_.begin() + row);
      row = SortedPosition(r.values);
      rows_.insert(rows_.begin() + row, r);
    } else {
      rows_[row] = r;
    }
    pos_ = row;
  }
  onRecord_ = true;
}

void TMemDataSet::InternalDelete() {
  const int row = FindRow(ActiveBuffer().bookmark);
  if (row < 0) DatabaseError("Record not found");
  rows_.erase(rows_.begin() + row);
  pos_ = row;
  onRecord_ = false;
}

int TMemDataSet::GetRecordCount() {
  int count = 0;
  for (int i = 0; i < static_cast<int>(rows_.size()); ++i)
    if (Visible(i)) ++count;
  return count;
}

int TMemDataSet::GetRecNo() {
  if (State() == TDataSetState::dsInsert || IsEmpty()) return -1;
  const int row = FindRow(ActiveBuffer().bookmark);
  if (row < 0) return -1;
  int n = 0;
  for (int i = 0; i <= row; ++i)
    if (Visible(i)) ++n;
  return n;
}

bool TMemDataSet::InternalGotoKey(const TRecordBuffer& key, bool nearest) {
  // A key with fewer values than index fields (FindKey with a partial key) compares the
  // leading fields that were given.
  QList<int> cols = IndexColumns();
  while (!cols.isEmpty() && !key.values.value(cols.last()).isValid()) cols.removeLast();
  const int n = static_cast<int>(rows_.size());
  for (int i = 0; i < n; ++i) {
    const int r = CompareKeys(rows_[i].values, key.values, cols);
    if ((nearest ? r >= 0 : r == 0) && Visible(i)) {
      pos_ = i;
      onRecord_ = true;
      return true;
    }
    if (!nearest && r > 0) break;
  }
  pos_ = n;
  onRecord_ = false;
  return nearest;
}

}  // namespace hb
