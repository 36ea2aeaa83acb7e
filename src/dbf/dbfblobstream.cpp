#include "dbf/dbfblobstream.h"

#include <cstring>

#include "dbf/dbfdataset.h"
#include "platform/codepage.h"

namespace hb {

namespace {

// A memo (text) field of a translating table holds code page 850.
bool Translates(const TDbfDataSet& dataSet, const TField& field) {
  return dataSet.TranslateASCII() && field.DataType() == TFieldType::ftMemo;
}

}  // namespace

TDbfBlobStream::TDbfBlobStream(TDbfDataSet& dataSet, TField& field, TBlobStreamMode mode)
    : dataSet_(dataSet), field_(field), mode_(mode) {
  dataSet_.CheckActive();
  if (!field.IsBlob() || field.DataSet() != &dataSet)
    throw EDatabaseError(
        QString("Field '%1' is not a memo or binary field").arg(field.FieldName()));
  const TDataSetState state = dataSet_.State();
  if (mode != TBlobStreamMode::bmRead) {
    if (state != TDataSetState::dsEdit && state != TDataSetState::dsInsert)
      throw EDatabaseError("Dataset not in edit or insert mode");
    if (field.ReadOnly())
      throw EDatabaseError(QString("Field '%1' cannot be modified").arg(field.FieldName()));
  }
  if (mode == TBlobStreamMode::bmWrite) return;
  if (dataSet_.IsEmpty()) return;
  const QByteArray stored = dataSet_.StoredMemo(field, dataSet_.ActiveBuffer());
  if (Translates(dataSet_, field)) {
    const std::string ansi = OemToAnsi(std::string_view(stored.constData(), size_t(stored.size())));
    data_ = QByteArray(ansi.data(), qsizetype(ansi.size()));
  } else {
    data_ = stored;
  }
}

TDbfBlobStream::~TDbfBlobStream() {
  try {
    Release();
  } catch (...) {
    // The dataset was closed meanwhile: nothing left to store into.
  }
}

void TDbfBlobStream::Seek(qint64 position) {
  position_ = std::max<qint64>(0, position);
}

qint64 TDbfBlobStream::Read(char* buffer, qint64 count) {
  const qint64 n = std::max<qint64>(0, std::min(count, data_.size() - position_));
  if (n > 0) std::memcpy(buffer, data_.constData() + position_, size_t(n));
  position_ += n;
  return n;
}

qint64 TDbfBlobStream::Write(const char* buffer, qint64 count) {
  if (mode_ == TBlobStreamMode::bmRead) throw EDatabaseError("Dataset not in edit or insert mode");
  if (count <= 0) return 0;
  if (position_ + count > data_.size()) data_.resize(position_ + count, '\0');
  std::memcpy(data_.data() + position_, buffer, size_t(count));
  position_ += count;
  modified_ = true;
  return count;
}

void TDbfBlobStream::Truncate() {
  if (mode_ == TBlobStreamMode::bmRead) throw EDatabaseError("Dataset not in edit or insert mode");
  data_.truncate(position_);
  modified_ = true;
}

void TDbfBlobStream::SetData(const QByteArray& data) {
  if (mode_ == TBlobStreamMode::bmRead) throw EDatabaseError("Dataset not in edit or insert mode");
  data_ = data;
  position_ = 0;
  modified_ = true;
}

void TDbfBlobStream::Release() {
  if (!modified_) return;
  modified_ = false;
  const TDataSetState state = dataSet_.State();
  if (state != TDataSetState::dsEdit && state != TDataSetState::dsInsert)
    throw EDatabaseError("Dataset not in edit or insert mode");
  QByteArray stored = data_;
  if (Translates(dataSet_, field_)) {
    const std::string oem = AnsiToOem(std::string_view(data_.constData(), size_t(data_.size())));
    stored = QByteArray(oem.data(), qsizetype(oem.size()));
  }
  dataSet_.SetPendingMemo(field_, dataSet_.ActiveBuffer(), stored);
  dataSet_.RecordBufferChanged(&field_);
}

}  // namespace hb
