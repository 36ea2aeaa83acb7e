#include "dbf/dbfdataset.h"

#include "dbf/dbfhandler.h"

namespace hb {

class TDbfDataSet::THandler : public DBFObject {};
struct TDbfDataSet::TCursor {};

QString DbfAliasFolder(const QString&) { return {}; }
void ReloadDbfAliases() {}
QString ResolveDatabaseFolder(const QString&) { return {}; }

TDbfDataSet::TDbfDataSet() : cursor_(std::make_unique<TCursor>()) {}
TDbfDataSet::~TDbfDataSet() { CloseForDestroy(); }

QString TDbfDataSet::About() { return QStringLiteral("TDbfDataSet " HB_VERSION); }
void TDbfDataSet::SetAutoFlush(bool on) { autoFlush_ = on; }
void TDbfDataSet::SetDatabaseName(const QString& name) { databaseName_ = name; }
void TDbfDataSet::SetEncryptionKey(const QString& key) { encryptionKey_ = key; }
void TDbfDataSet::SetExclusive(bool on) { exclusive_ = on; }
void TDbfDataSet::SetIndexFiles(const QStringList& files) { indexFiles_ = files; }
void TDbfDataSet::AddIndexFile(const QString& file) { indexFiles_.append(file); }
void TDbfDataSet::RemoveIndexFile(const QString& file) { indexFiles_.removeAll(file); }
void TDbfDataSet::SetIndexName(const QString& name) { indexName_ = name; }
void TDbfDataSet::SetLargeIntegerAs(TIntFields as) { largeIntegerAs_ = as; }
void TDbfDataSet::SetLockProtocol(TLockProtocol protocol) { lockProtocol_ = protocol; }
void TDbfDataSet::SetMasterSource(TDataSource* source) { masterSource_ = source; }
void TDbfDataSet::SetMasterFields(const QString& fields) { masterFields_ = fields; }
void TDbfDataSet::SetTableName(const QString& name) { tableName_ = name; }
void TDbfDataSet::SetUseDeleted(bool on) { useDeleted_ = on; }
void TDbfDataSet::SetUserID(quint32 id) { userID_ = id; }
QString TDbfDataSet::DatabaseFolder() const { return {}; }
QString TDbfDataSet::TablePath() const { return {}; }
bool TDbfDataSet::Find(const QString&, bool, bool) { return false; }
void TDbfDataSet::SetKeyRange(const QString&, const QString&) {}
bool TDbfDataSet::FindKeyValues(const QVariantList&) { return false; }
void TDbfDataSet::OpenIndexFiles(const QString&, const QString&) {}
void TDbfDataSet::CreateIndexTag(const QString&, const QString&, int, bool, const QString&,
                                 const QString&) {}
int TDbfDataSet::TagCount() const { return 0; }
QString TDbfDataSet::TagName(int) const { return {}; }
QString TDbfDataSet::TagExpression(int) const { return {}; }
bool TDbfDataSet::RecordIsDeleted() { return false; }
void TDbfDataSet::RecallRecord() {}
void TDbfDataSet::FlushTable() {}
void TDbfDataSet::Pack() {}
void TDbfDataSet::CopyTableStructure(const QString&, const QString&) {}
int TDbfDataSet::SearchText(const QString&, int&, int, int&) { return 0; }
int TDbfDataSet::SearchOptions() const { return 1; }
void TDbfDataSet::SetSearchOptions(int) {}
int TDbfDataSet::MemoLength(const QString&) { return 0; }
QByteArray TDbfDataSet::ReadMemo(const QString&) { return {}; }
int TDbfDataSet::ReadMemo(const QString&, char*, int) { return 0; }
void TDbfDataSet::WriteMemo(const QString&, const QByteArray&) {}
void TDbfDataSet::WriteMemo(const QString&, const char*, int) {}
QByteArray TDbfDataSet::GetFieldText(const QString&) { return {}; }
void TDbfDataSet::SetFieldText(const QString&, const QByteArray&) {}
DBFObject* TDbfDataSet::Handler() const { return handler_.get(); }
void TDbfDataSet::InternalOpen() { DatabaseError("Table name missing"); }
void TDbfDataSet::InternalClose() {}
void TDbfDataSet::InternalFirst() {}
void TDbfDataSet::InternalLast() {}
TGetResult TDbfDataSet::GetRecord(TRecordBuffer&, TGetMode) { return TGetResult::grEOF; }
void TDbfDataSet::InternalGotoBookmark(const TBookmark&) {}
void TDbfDataSet::InternalSetToRecord(const TRecordBuffer&) {}
void TDbfDataSet::InternalInitRecord(TRecordBuffer&) {}
bool TDbfDataSet::GetFieldData(const TField&, const TRecordBuffer&, QVariant&) const {
  return false;
}
void TDbfDataSet::SetFieldData(const TField&, TRecordBuffer&, const QVariant&) {}
void TDbfDataSet::InternalEdit(TRecordBuffer&) {}
void TDbfDataSet::InternalInsert(bool) {}
void TDbfDataSet::InternalPost(TRecordBuffer&) {}
void TDbfDataSet::InternalCancel() {}
void TDbfDataSet::InternalDelete() {}
void TDbfDataSet::InternalRefresh() {}
int TDbfDataSet::GetRecordCount() { return 0; }
int TDbfDataSet::GetRecNo() { return -1; }
void TDbfDataSet::InternalSetRecNo(int) {}
bool TDbfDataSet::LocateRecord(const QList<TField*>&, const QVariantList&, TLocateOptions,
                               TRecordBuffer&) {
  return false;
}
QList<TField*> TDbfDataSet::IndexFields() const { return {}; }
bool TDbfDataSet::InternalGotoKey(const TRecordBuffer&, bool) { return false; }
void TDbfDataSet::FilterChanged() { TDataSet::FilterChanged(); }
void TDbfDataSet::CheckActive() const { TDataSet::CheckActive(); }

}  // namespace hb
