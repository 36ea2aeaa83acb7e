#include "dbf/dbfblobstream.h"

#include "dbf/dbfdataset.h"

namespace hb {

TDbfBlobStream::TDbfBlobStream(TDbfDataSet& dataSet, TField& field, TBlobStreamMode mode)
    : dataSet_(dataSet), field_(field), mode_(mode) {}
TDbfBlobStream::~TDbfBlobStream() = default;
void TDbfBlobStream::Seek(qint64 position) { position_ = position; }
qint64 TDbfBlobStream::Read(char*, qint64) { return 0; }
qint64 TDbfBlobStream::Write(const char*, qint64 count) { return count; }
void TDbfBlobStream::Truncate() {}
void TDbfBlobStream::SetData(const QByteArray& data) { data_ = data; }
void TDbfBlobStream::Release() {}

}  // namespace hb
