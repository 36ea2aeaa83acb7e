#include "platform/dataset.h"

#include <QPointer>

#include "platform/datasource.h"

namespace hb {

namespace {

// Makes the fields read another buffer for the lifetime of the guard.
class TTempBuffer {
 public:
  TTempBuffer(const TRecordBuffer*& slot, const TRecordBuffer* buffer) : slot_(slot), saved_(slot) {
    slot_ = buffer;
  }
  ~TTempBuffer() { slot_ = saved_; }

 private:
  const TRecordBuffer*& slot_;
  const TRecordBuffer* saved_;
};

}  // namespace

TDataSet::TDataSet() = default;

TDataSet::~TDataSet() {
  const QList<TDataSource*> sources = dataSources_;
  dataSources_.clear();
  for (TDataSource* s : sources) s->DataSetDestroyed();
}

void TDataSet::DatabaseError(const QString& message) {
  throw EDatabaseError(message);
}

void TDataSet::CheckActive() const {
  if (!Active()) DatabaseError("Cannot perform this operation on a closed dataset");
}

void TDataSet::CheckCanModify() const {
  if (!GetCanModify()) DatabaseError("Cannot modify a read-only dataset");
}

void TDataSet::DoEvent(const TDataSetNotifyEvent& event) {
  if (event) {
    // A handler may replace itself (a copy keeps the running one alive).
    TDataSetNotifyEvent run = event;
    run(*this);
  }
}

void TDataSet::SetState(TDataSetState state) {
  if (state_ == state) return;
  state_ = state;
  modified_ = false;
  DataEvent(TDataEvent::StateChange);
}

void TDataSet::DataEvent(TDataEvent event, TField* field) {
  if (disableCount_ > 0) {
    if (event == TDataEvent::StateChange) stateChangedWhileDisabled_ = true;
    return;
  }
  QList<QPointer<TDataSource>> sources;
  for (TDataSource* s : dataSources_) sources.append(s);
  for (const QPointer<TDataSource>& s : sources) {
    if (!s || !s->Enabled() || s->DataSet() != this) continue;
    switch (event) {
      case TDataEvent::DataSetChange:
        emit s->dataSetChanged();
        break;
      case TDataEvent::Scroll:
        emit s->scrolled();
        break;
      case TDataEvent::RecordChange:
        emit s->recordChanged(nullptr);
        break;
      case TDataEvent::FieldChange:
        emit s->recordChanged(field);
        break;
      case TDataEvent::StateChange:
        emit s->stateChanged();
        break;
      case TDataEvent::UpdateData:
        emit s->updateData();
        break;
    }
  }
}

void TDataSet::DisableControls() {
  if (disableCount_++ == 0) stateChangedWhileDisabled_ = false;
}

void TDataSet::EnableControls() {
  if (disableCount_ == 0 || --disableCount_ > 0) return;
  if (stateChangedWhileDisabled_) DataEvent(TDataEvent::StateChange);
  stateChangedWhileDisabled_ = false;
  DataEvent(TDataEvent::DataSetChange);
}

// ---------------------------------------------------------------- opening

void TDataSet::BuildFields() {
  if (fieldsBuiltFrom_ == fieldDefs_ && FieldCount() == fieldDefs_.Count()) return;
  fields_.clear();
  for (int i = 0; i < fieldDefs_.Count(); ++i)
    fields_.push_back(std::make_unique<TField>(this, fieldDefs_.Items(i), i));
  fieldsBuiltFrom_ = fieldDefs_;
}

void TDataSet::ReadFirst() {
  InternalFirst();
  TRecordBuffer buffer;
  hasRecord_ = GetRecord(buffer, TGetMode::gmNext) == TGetResult::grOK;
  active_ = hasRecord_ ? std::move(buffer) : TRecordBuffer();
  bof_ = true;
  eof_ = !hasRecord_;
  cursorDisplaced_ = !hasRecord_;
}

void TDataSet::Open() {
  if (Active()) return;
  DoEvent(BeforeOpen);
  if (Active()) return;
  try {
    InternalOpen();
    BuildFields();
    state_ = TDataSetState::dsBrowse;  // announced below, once the first record is read
    modified_ = false;
    ReadFirst();
  } catch (...) {
    state_ = TDataSetState::dsInactive;
    hasRecord_ = false;
    active_ = TRecordBuffer();
    try {
      InternalClose();
    } catch (...) {
    }
    throw;
  }
  DataEvent(TDataEvent::StateChange);
  DataEvent(TDataEvent::DataSetChange);
  DoEvent(AfterOpen);
  if (Active() && !IsEmpty()) DoAfterScroll();
}

void TDataSet::Close() {
  if (!Active()) return;
  if (!destroying_) {
    DoEvent(BeforeClose);
    if (!Active()) return;
  }
  state_ = TDataSetState::dsInactive;
  modified_ = false;
  hasRecord_ = false;
  bof_ = eof_ = false;
  active_ = TRecordBuffer();
  key_ = TRecordBuffer();
  cursorDisplaced_ = false;
  try {
    InternalClose();
  } catch (...) {
    if (!destroying_) {
      DataEvent(TDataEvent::StateChange);
      DataEvent(TDataEvent::DataSetChange);
    }
    throw;
  }
  if (destroying_) return;
  DataEvent(TDataEvent::StateChange);
  DataEvent(TDataEvent::DataSetChange);
  DoEvent(AfterClose);
}

void TDataSet::CloseForDestroy() {
  destroying_ = true;
  try {
    Close();
  } catch (...) {
  }
}

// ---------------------------------------------------------------- fields

TField* TDataSet::FindField(const QString& name) const {
  const QString n = name.trimmed();
  // Case folding keeps the length, so only names of the same length can match.
  for (const auto& f : fields_)
    if (f->FieldName().size() == n.size() && f->FieldName().compare(n, Qt::CaseInsensitive) == 0)
      return f.get();
  return nullptr;
}

TField* TDataSet::FieldByName(const QString& name) const {
  TField* f = FindField(name);
  if (!f) DatabaseError(QString("Field '%1' not found").arg(name));
  return f;
}

QList<TField*> TDataSet::GetFieldList(const QString& names) const {
  QList<TField*> list;
  for (const QString& n : names.split(';')) {
    if (n.trimmed().isEmpty()) continue;
    list.append(FieldByName(n.trimmed()));
  }
  return list;
}

const TRecordBuffer* TDataSet::ReadBuffer() const {
  if (tempBuffer_) return tempBuffer_;
  switch (state_) {
    case TDataSetState::dsSetKey:
      return &key_;
    case TDataSetState::dsEdit:
    case TDataSetState::dsInsert:
      return &active_;
    case TDataSetState::dsBrowse:
      return hasRecord_ ? &active_ : nullptr;
    default:
      return nullptr;
  }
}

bool TDataSet::FieldValue(const TField& field, QVariant& value) const {
  const TRecordBuffer* buffer = ReadBuffer();
  if (!buffer) return false;
  if (!GetFieldData(field, *buffer, value)) return false;
  return value.isValid();
}

void TDataSet::StoreFieldValue(TField& field, const QVariant& canonical) {
  if (tempBuffer_) DatabaseError("Dataset not in edit or insert mode");
  switch (state_) {
    case TDataSetState::dsEdit:
    case TDataSetState::dsInsert:
      if (field.ReadOnly())
        DatabaseError(QString("Field '%1' cannot be modified").arg(field.FieldName()));
      SetFieldData(field, active_, canonical);
      modified_ = true;
      break;
    case TDataSetState::dsSetKey:
      if (!IndexFields().contains(&field))
        DatabaseError(
            QString("Field '%1' is not indexed and cannot be modified").arg(field.FieldName()));
      SetFieldData(field, key_, canonical);
      break;
    default:
      DatabaseError("Dataset not in edit or insert mode");
  }
  if (field.OnChange) {
    TField::TFieldNotifyEvent run = field.OnChange;
    run(field);
  }
  DataEvent(TDataEvent::FieldChange, &field);
}

void TDataSet::CheckRequiredFields() {
  for (const auto& f : fields_)
    if (f->Required() && !f->ReadOnly() && f->IsNull())
      DatabaseError(QString("Field '%1' must have a value").arg(f->FieldName()));
}

// ---------------------------------------------------------------- navigation

void TDataSet::UpdateCursorPos() {
  if (cursorDisplaced_ && hasRecord_) {
    InternalSetToRecord(active_);
    cursorDisplaced_ = false;
  }
}

void TDataSet::InternalSetToRecord(const TRecordBuffer& buffer) {
  InternalGotoBookmark(buffer.bookmark);
}

void TDataSet::Resync() {
  TRecordBuffer buffer;
  hasRecord_ = GetRecord(buffer, TGetMode::gmCurrent) == TGetResult::grOK ||
               GetRecord(buffer, TGetMode::gmNext) == TGetResult::grOK ||
               GetRecord(buffer, TGetMode::gmPrior) == TGetResult::grOK;
  active_ = hasRecord_ ? std::move(buffer) : TRecordBuffer();
  bof_ = eof_ = !hasRecord_;
  cursorDisplaced_ = !hasRecord_;
}

void TDataSet::ShowCursorRecord() {
  Resync();
  DataEvent(TDataEvent::Scroll);
  DoAfterScroll();
}

void TDataSet::ShowLastAtEnd() {
  InternalLast();
  TRecordBuffer buffer;
  hasRecord_ = GetRecord(buffer, TGetMode::gmPrior) == TGetResult::grOK;
  active_ = hasRecord_ ? std::move(buffer) : TRecordBuffer();
  eof_ = true;
  bof_ = !hasRecord_;
  cursorDisplaced_ = !hasRecord_;
  DataEvent(TDataEvent::Scroll);
  DoAfterScroll();
}

void TDataSet::RecordBufferChanged(TField* field) {
  if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) modified_ = true;
  DataEvent(field ? TDataEvent::FieldChange : TDataEvent::RecordChange, field);
}

void TDataSet::First() {
  CheckBrowseMode();
  DoEvent(BeforeScroll);
  ReadFirst();
  DataEvent(TDataEvent::Scroll);
  DoAfterScroll();
}

void TDataSet::Last() {
  CheckBrowseMode();
  DoEvent(BeforeScroll);
  ShowLastAtEnd();
}

void TDataSet::Next() {
  MoveBy(1);
}

void TDataSet::Prior() {
  MoveBy(-1);
}

int TDataSet::MoveBy(int distance) {
  CheckBrowseMode();
  if (distance == 0 || (distance > 0 && eof_) || (distance < 0 && bof_)) return 0;
  DoEvent(BeforeScroll);
  bof_ = eof_ = false;
  int moved = 0;
  if (hasRecord_) {
    UpdateCursorPos();
    const TGetMode mode = distance > 0 ? TGetMode::gmNext : TGetMode::gmPrior;
    while (moved != distance) {
      TRecordBuffer buffer;
      if (GetRecord(buffer, mode) != TGetResult::grOK) {
        (distance > 0 ? eof_ : bof_) = true;
        cursorDisplaced_ = true;
        break;
      }
      active_ = std::move(buffer);
      moved += distance > 0 ? 1 : -1;
    }
  } else {
    bof_ = eof_ = true;
  }
  DataEvent(TDataEvent::Scroll);
  DoAfterScroll();
  return moved;
}

int TDataSet::RecordCount() {
  CheckActive();
  return GetRecordCount();
}

int TDataSet::RecNo() {
  CheckActive();
  return GetRecNo();
}

void TDataSet::SetRecNo(int recNo) {
  CheckBrowseMode();
  DoEvent(BeforeScroll);
  try {
    InternalSetRecNo(recNo);
  } catch (...) {
    cursorDisplaced_ = true;
    throw;
  }
  Resync();
  DataEvent(TDataEvent::Scroll);
  DoAfterScroll();
}

void TDataSet::InternalSetRecNo(int recNo) {
  InternalFirst();
  TRecordBuffer buffer;
  for (int i = 0; i < recNo; ++i)
    if (recNo < 1 || GetRecord(buffer, TGetMode::gmNext) != TGetResult::grOK)
      DatabaseError("Record not found");
  if (recNo < 1) DatabaseError("Record not found");
}

// ---------------------------------------------------------------- bookmarks

TBookmark TDataSet::GetBookmark() const {
  if (!Active() || !hasRecord_ || state_ == TDataSetState::dsInsert) return TBookmark();
  return active_.bookmark;
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
  CheckBrowseMode();
  if (bookmark.isEmpty()) DatabaseError("Record not found");
  DoEvent(BeforeScroll);
  TRecordBuffer buffer;
  cursorDisplaced_ = true;
  InternalGotoBookmark(bookmark);
  if (GetRecord(buffer, TGetMode::gmCurrent) != TGetResult::grOK) DatabaseError("Record not found");
  active_ = std::move(buffer);
  hasRecord_ = true;
  bof_ = eof_ = false;
  cursorDisplaced_ = false;
  DataEvent(TDataEvent::Scroll);
  DoAfterScroll();
}

bool TDataSet::BookmarkValid(const TBookmark& bookmark) {
  if (!Active() || bookmark.isEmpty()) return false;
  cursorDisplaced_ = true;
  try {
    InternalGotoBookmark(bookmark);
    TRecordBuffer buffer;
    return GetRecord(buffer, TGetMode::gmCurrent) == TGetResult::grOK;
  } catch (const EDatabaseError&) {
    return false;
  }
}

int TDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) const {
  const int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// ---------------------------------------------------------------- editing

void TDataSet::CheckBrowseMode() {
  CheckActive();
  switch (state_) {
    case TDataSetState::dsEdit:
    case TDataSetState::dsInsert:
      DataEvent(TDataEvent::UpdateData);
      if (modified_)
        Post();
      else
        Cancel();
      break;
    case TDataSetState::dsSetKey:
      SetState(TDataSetState::dsBrowse);
      break;
    default:
      break;
  }
}

void TDataSet::Edit() {
  if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) return;
  CheckActive();
  if (state_ == TDataSetState::dsSetKey) SetState(TDataSetState::dsBrowse);
  if (!hasRecord_) {
    Insert();
    return;
  }
  CheckCanModify();
  DoEvent(BeforeEdit);
  if (state_ != TDataSetState::dsBrowse || !hasRecord_) return;
  UpdateCursorPos();
  TRecordBuffer buffer = active_;
  InternalEdit(buffer);
  active_ = std::move(buffer);
  SetState(TDataSetState::dsEdit);
  DataEvent(TDataEvent::RecordChange);
  DoEvent(AfterEdit);
}

void TDataSet::BeginInsertAppend() {
  CheckBrowseMode();
  CheckCanModify();
  DoEvent(BeforeInsert);
  DoEvent(BeforeScroll);
  CheckBrowseMode();  // a handler may have left the dataset editing
}

void TDataSet::EndInsertAppend() {
  SetState(TDataSetState::dsInsert);
  try {
    DoEvent(OnNewRecord);
  } catch (...) {
    Cancel();
    throw;
  }
  modified_ = false;  // defaults alone do not make a record worth posting
  DataEvent(TDataEvent::DataSetChange);
  DoEvent(AfterInsert);
  DoAfterScroll();
}

void TDataSet::Insert() {
  BeginInsertAppend();
  UpdateCursorPos();
  insertOrigin_ = hasRecord_ ? active_.bookmark : TBookmark();
  insertBefore_ = insertOrigin_;
  InternalInsert(false);
  TRecordBuffer buffer;
  InternalInitRecord(buffer);
  buffer.flag = TBookmarkFlag::bfInserted;
  active_ = std::move(buffer);
  bof_ = eof_ = false;
  EndInsertAppend();
}

void TDataSet::Append() {
  BeginInsertAppend();
  insertOrigin_ = hasRecord_ ? active_.bookmark : TBookmark();
  insertBefore_ = TBookmark();
  InternalLast();
  cursorDisplaced_ = true;
  InternalInsert(true);
  TRecordBuffer buffer;
  InternalInitRecord(buffer);
  buffer.flag = TBookmarkFlag::bfInserted;
  active_ = std::move(buffer);
  bof_ = false;
  eof_ = true;
  EndInsertAppend();
}

void TDataSet::Post() {
  CheckActive();
  if (state_ == TDataSetState::dsSetKey) {
    SetState(TDataSetState::dsBrowse);
    return;
  }
  if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert) return;
  DataEvent(TDataEvent::UpdateData);
  DoEvent(BeforePost);
  if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert) return;
  CheckRequiredFields();
  if (state_ == TDataSetState::dsEdit) UpdateCursorPos();
  InternalPost(active_);
  SetState(TDataSetState::dsBrowse);
  Resync();
  DataEvent(TDataEvent::DataSetChange);
  DoEvent(AfterPost);
}

void TDataSet::Cancel() {
  if (state_ == TDataSetState::dsSetKey) {
    SetState(TDataSetState::dsBrowse);
    DataEvent(TDataEvent::RecordChange);
    return;
  }
  if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert) return;
  DoEvent(BeforeCancel);
  if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert) return;
  const bool inserting = state_ == TDataSetState::dsInsert;
  if (inserting) {
    SetState(TDataSetState::dsBrowse);
    // Back to the record that was current when the insert began.
    try {
      if (insertOrigin_.isEmpty())
        InternalFirst();
      else
        InternalGotoBookmark(insertOrigin_);
    } catch (const EDatabaseError&) {
      InternalFirst();
    }
  } else {
    UpdateCursorPos();
    InternalCancel();
    SetState(TDataSetState::dsBrowse);
  }
  Resync();  // re-reads the record: the changes in the buffer are dropped
  DataEvent(TDataEvent::DataSetChange);
  DoEvent(AfterCancel);
}

void TDataSet::Delete() {
  CheckActive();
  if (state_ == TDataSetState::dsInsert || state_ == TDataSetState::dsSetKey) {
    Cancel();
    return;
  }
  if (!hasRecord_) DatabaseError("Cannot perform this operation on an empty dataset");
  CheckCanModify();
  DoEvent(BeforeDelete);
  DoEvent(BeforeScroll);
  CheckActive();
  if (!hasRecord_) DatabaseError("Cannot perform this operation on an empty dataset");
  UpdateCursorPos();
  InternalDelete();
  SetState(TDataSetState::dsBrowse);
  Resync();
  DataEvent(TDataEvent::DataSetChange);
  DoEvent(AfterDelete);
  DoAfterScroll();
}

void TDataSet::Refresh() {
  CheckBrowseMode();
  UpdateCursorPos();
  InternalRefresh();
  if (hasRecord_) {
    try {
      InternalSetToRecord(active_);
    } catch (const EDatabaseError&) {
      InternalFirst();
    }
  } else {
    InternalFirst();
  }
  Resync();
  DataEvent(TDataEvent::DataSetChange);
}

void TDataSet::AppendRecord(const QVariantList& values) {
  Append();
  try {
    for (int i = 0; i < values.size() && i < FieldCount(); ++i)
      if (values[i].isValid()) Fields(i)->SetValue(values[i]);
    Post();
  } catch (...) {
    Cancel();
    throw;
  }
}

// ---------------------------------------------------------------- searching

QVariantList TDataSet::KeyValueList(const QVariant& values, int count) const {
  QVariantList list;
  if (values.typeId() == QMetaType::QVariantList || values.typeId() == QMetaType::QStringList)
    list = values.toList();
  else
    list.append(values);
  if (list.size() != count)
    DatabaseError(QString("%1 key values given for %2 key fields").arg(list.size()).arg(count));
  return list;
}

bool TDataSet::MatchesKey(const TRecordBuffer& buffer, const QList<TField*>& keyFields,
                          const QVariantList& keyValues, TLocateOptions options) {
  TTempBuffer temp(tempBuffer_, &buffer);
  for (int i = 0; i < keyFields.size(); ++i) {
    const TField* f = keyFields[i];
    const QVariant want = keyValues.value(i);
    const QVariant have = f->Value();
    if (f->IsText()) {
      // A text field compares as text: null and "" are the same.
      const QString a = have.toString();
      const QString b = want.isNull() ? QString() : want.toString();
      const Qt::CaseSensitivity cs =
          options & loCaseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
      const bool ok = options & loPartialKey ? a.startsWith(b, cs) : a.compare(b, cs) == 0;
      if (!ok) return false;
      continue;
    }
    const QVariant w = f->ToCanonical(want);
    if (!w.isValid() || !have.isValid()) {
      if (w.isValid() != have.isValid()) return false;
      continue;
    }
    switch (f->DataType()) {
      case TFieldType::ftBoolean:
        if (have.toBool() != w.toBool()) return false;
        break;
      case TFieldType::ftSmallint:
      case TFieldType::ftInteger:
      case TFieldType::ftLargeint:
        if (have.toLongLong() != w.toLongLong()) return false;
        break;
      case TFieldType::ftBlob:
        if (have.toByteArray() != w.toByteArray()) return false;
        break;
      default:
        if (have.toDouble() != w.toDouble()) return false;
    }
  }
  return true;
}

bool TDataSet::LocateRecord(const QList<TField*>& keyFields, const QVariantList& keyValues,
                            TLocateOptions options, TRecordBuffer& found) {
  InternalFirst();
  TRecordBuffer buffer;
  while (GetRecord(buffer, TGetMode::gmNext) == TGetResult::grOK) {
    if (MatchesKey(buffer, keyFields, keyValues, options)) {
      found = std::move(buffer);
      return true;
    }
  }
  return false;
}

bool TDataSet::Locate(const QString& keyFields, const QVariant& keyValues, TLocateOptions options) {
  CheckBrowseMode();
  const QList<TField*> fields = GetFieldList(keyFields);
  const QVariantList values = KeyValueList(keyValues, fields.size());
  DoEvent(BeforeScroll);
  TRecordBuffer found;
  cursorDisplaced_ = true;
  if (!LocateRecord(fields, values, options, found)) return false;
  active_ = std::move(found);
  hasRecord_ = true;
  bof_ = eof_ = false;
  cursorDisplaced_ = false;
  DataEvent(TDataEvent::Scroll);
  DoAfterScroll();
  return true;
}

QVariant TDataSet::Lookup(const QString& keyFields, const QVariant& keyValues,
                          const QString& resultFields) {
  CheckBrowseMode();
  const QList<TField*> fields = GetFieldList(keyFields);
  const QVariantList values = KeyValueList(keyValues, fields.size());
  const QList<TField*> results = GetFieldList(resultFields);
  TRecordBuffer found;
  cursorDisplaced_ = true;
  if (!LocateRecord(fields, values, 0, found)) return QVariant();
  TTempBuffer temp(tempBuffer_, &found);
  if (results.size() == 1) return results[0]->Value();
  QVariantList list;
  for (TField* f : results) list.append(f->Value());
  return list;
}

// ---------------------------------------------------------------- set-key state

void TDataSet::SetKey() {
  CheckBrowseMode();
  if (IndexFields().isEmpty()) DatabaseError("No index is assigned for this operation");
  key_ = TRecordBuffer();
  InternalInitRecord(key_);
  SetState(TDataSetState::dsSetKey);
}

bool TDataSet::InternalGotoKey(const TRecordBuffer&, bool) {
  DatabaseError("No index is assigned for this operation");
}

bool TDataSet::GotoKeyImpl(bool nearest) {
  CheckActive();
  if (state_ != TDataSetState::dsSetKey) DatabaseError("Dataset not in edit or insert mode");
  const TRecordBuffer key = key_;
  SetState(TDataSetState::dsBrowse);
  DoEvent(BeforeScroll);
  cursorDisplaced_ = true;
  if (!InternalGotoKey(key, nearest)) return false;
  Resync();
  DataEvent(TDataEvent::Scroll);
  DoAfterScroll();
  return true;
}

bool TDataSet::GotoKey() {
  return GotoKeyImpl(false);
}

void TDataSet::GotoNearest() {
  GotoKeyImpl(true);
}

void TDataSet::SetKeyValues(const QVariantList& values) {
  SetKey();
  const QList<TField*> fields = IndexFields();
  try {
    if (values.size() > fields.size())
      DatabaseError(
          QString("%1 key values given for %2 key fields").arg(values.size()).arg(fields.size()));
    for (int i = 0; i < values.size(); ++i) fields[i]->SetValue(values[i]);
  } catch (...) {
    Cancel();
    throw;
  }
}

bool TDataSet::FindKey(const QVariantList& values) {
  SetKeyValues(values);
  return GotoKey();
}

void TDataSet::FindNearest(const QVariantList& values) {
  SetKeyValues(values);
  GotoNearest();
}

// ---------------------------------------------------------------- filtering

void TDataSet::SetFilter(const QString& filter) {
  if (filter == filter_) return;
  filter_ = filter;
  if (Active() && filtered_) FilterChanged();
}

void TDataSet::SetFilterOptions(TFilterOptions options) {
  if (options == filterOptions_) return;
  filterOptions_ = options;
  if (Active() && filtered_) FilterChanged();
}

void TDataSet::SetFiltered(bool filtered) {
  if (filtered == filtered_) return;
  if (Active()) CheckBrowseMode();
  filtered_ = filtered;
  if (Active()) FilterChanged();
}

void TDataSet::FilterChanged() {
  CheckBrowseMode();
  DoEvent(BeforeScroll);
  ReadFirst();
  DataEvent(TDataEvent::DataSetChange);
  DoAfterScroll();
}

bool TDataSet::RecordVisible(const TRecordBuffer& buffer) {
  if (!filtered_ || !OnFilterRecord) return true;
  TTempBuffer temp(tempBuffer_, &buffer);
  const TDataSetState saved = state_;
  state_ = TDataSetState::dsFilter;
  bool accept = true;
  try {
    TFilterRecordEvent run = OnFilterRecord;
    run(*this, accept);
  } catch (...) {
    state_ = saved;
    throw;
  }
  state_ = saved;
  return accept;
}

// ---------------------------------------------------------------- reading for views

QList<TBookmark> TDataSet::VisibleBookmarks() {
  QList<TBookmark> list;
  if (!Active()) return list;
  cursorDisplaced_ = true;
  InternalFirst();
  TRecordBuffer buffer;
  while (GetRecord(buffer, TGetMode::gmNext) == TGetResult::grOK) list.append(buffer.bookmark);
  return list;
}

bool TDataSet::ReadRecordAt(const TBookmark& bookmark, const std::function<void()>& visit) {
  if (!Active() || bookmark.isEmpty()) return false;
  if (hasRecord_ && state_ != TDataSetState::dsInsert && bookmark == active_.bookmark) {
    TTempBuffer temp(tempBuffer_, &active_);  // the current record, with edits in progress
    visit();
    return true;
  }
  cursorDisplaced_ = true;
  TRecordBuffer buffer;
  try {
    InternalGotoBookmark(bookmark);
    if (GetRecord(buffer, TGetMode::gmCurrent) != TGetResult::grOK) return false;
  } catch (const EDatabaseError&) {
    return false;
  }
  TTempBuffer temp(tempBuffer_, &buffer);
  visit();
  return true;
}

}  // namespace hb
