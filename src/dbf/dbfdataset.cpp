#include "dbf/dbfdataset.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <cstring>

#include "dbf/dbfhandler.h"
#include "dbf/exprdbf.h"
#include "dbf/exprhandler.h"
#include "dbf/exprlink.h"
#include "platform/codepage.h"
#include "platform/folders.h"
#include "platform/inifile.h"

namespace hb {

// The handler of one dataset. The dataset keeps its records in buffers of its own; the field
// conversions of the table layer work on the handler's record buffer, so a dataset buffer is
// lent to it for the time of a conversion and the handler's own record put back afterwards.
class TDbfDataSet::THandler : public DBFObject {
 public:
  struct TSaved {
    std::vector<char> Record, Before;
    std::vector<bool> Changed;
    bool RecordChanged = false;
  };
  TSaved Save() const { return {record_, before_, changed_, recordChanged_}; }
  void Restore(const TSaved& s) {
    // In place: the expression links hold pointers into these buffers.
    std::copy(s.Record.begin(), s.Record.end(), record_.begin());
    std::copy(s.Before.begin(), s.Before.end(), before_.begin());
    changed_ = s.Changed;
    recordChanged_ = s.RecordChanged;
  }
  void Load(const QByteArray& data) {
    const size_t n = std::min(size_t(data.size()), size_t(RecordLength()));
    std::memcpy(record_.data(), data.constData(), n);
  }
  QByteArray Bytes() const { return QByteArray(record_.data(), RecordLength()); }

  // Whether the handler's record buffer already holds data, so that loading it would change
  // nothing.
  bool Holds(const QByteArray& data) const {
    const size_t n = size_t(RecordLength());
    return size_t(data.size()) >= n && record_.size() >= n &&
           std::memcmp(record_.data(), data.constData(), n) == 0;
  }

  // Runs fn, which only reads, on the handler's record buffer holding data. Reading the
  // record the handler stands on (the usual case while browsing) needs no save and restore.
  template <class F>
  auto With(const QByteArray& data, F&& fn) -> decltype(fn()) {
    if (Holds(data)) return fn();
    TSaved saved = Save();
    Load(data);
    try {
      if constexpr (std::is_void_v<decltype(fn())>) {
        fn();
        Restore(saved);
      } else {
        auto result = fn();
        Restore(saved);
        return result;
      }
    } catch (...) {
      Restore(saved);
      throw;
    }
  }
  // Runs fn on data in the handler's record buffer and takes the changed record back.
  template <class F>
  void Modify(QByteArray& data, F&& fn) {
    TSaved saved = Save();
    Load(data);
    try {
      fn();
    } catch (...) {
      Restore(saved);
      throw;
    }
    data = Bytes();
    Restore(saved);
  }
};

// Where the dataset's cursor stands: before the first record, after the last, or at a record
// (on it, or on the crack it left when it was deleted or stopped being visible).
struct TDbfDataSet::TCursor {
  enum TWhere { BeforeFirst, AfterLast, At } Where = BeforeFirst;
  uint32_t Rec = 0;
  bool OnRecord = false;
  // The handler stands on Rec (its buffer, master tag position and flags); cleared whenever
  // the handler was moved elsewhere.
  bool Synced = false;

  void Set(TWhere where, uint32_t rec = 0) {
    Where = where;
    Rec = rec;
    OnRecord = where == At;
    Synced = where == At;
  }
};

namespace {

const char* const kDefaultDirectory = "Default Directory";

TBookmark BookmarkOf(uint32_t recNo) {
  // The number right-aligned in 10 characters (a 32-bit number has at most 10 digits), then
  // a zero byte; built in place, since every record read makes one.
  char b[11];
  std::memset(b, ' ', 10);
  b[10] = '\0';
  int i = 9;
  do {
    b[i--] = char('0' + recNo % 10);
    recNo /= 10;
  } while (recNo != 0);
  return TBookmark(b, 11);
}

// The record number of a bookmark; 0 when it is none of ours.
uint32_t BookmarkRecNo(const TBookmark& bookmark) {
  if (bookmark.size() != 11 || bookmark.at(10) != '\0') return 0;
  bool ok = false;
  const uint n = bookmark.left(10).trimmed().toUInt(&ok);
  return ok ? n : 0;
}

bool IsMemoLetter(char t) {
  return t == 'M' || t == 'B' || t == 'G';
}

// Memo fields hold a block number of the memo file (B of a 0x30 table is a number).
bool IsMemoField(char t, int version) {
  return t == 'M' || t == 'G' || (t == 'B' && version != 0x30);
}

QString WithSeparator(QString folder) {
  if (!folder.isEmpty() && !folder.endsWith('/')) folder += '/';
  return folder;
}

struct TAliasList {
  bool Loaded = false;
  QList<QPair<QString, QString>> Entries;  // name, folder
};

TAliasList& Aliases() {
  static TAliasList list;
  if (!list.Loaded) {
    list.Loaded = true;
    list.Entries.clear();
    TIniFile ini(WindowsFolder() + "/dbalias.cfg");
    for (const QString& name : ini.ReadSection("Alias"))
      list.Entries.append({name, ini.ReadString("Alias", name)});
  }
  return list;
}

}  // namespace

TFieldType DbfFieldType(char type, int width, int decimals, TIntFields largeIntegerAs,
                        int version) {
  switch (type) {
    case 'C':
      return TFieldType::ftString;
    case 'D':
      return TFieldType::ftDate;
    case 'N':
    case 'F':
      if (decimals > 0) return TFieldType::ftFloat;
      if (width < 5) return TFieldType::ftSmallint;
      if (width < 10) return TFieldType::ftInteger;
      switch (largeIntegerAs) {
        case TIntFields::asLargeInt:
          return TFieldType::ftLargeint;
        case TIntFields::asFloat:
          return TFieldType::ftFloat;
        default:
          return TFieldType::ftInteger;
      }
    case 'I':
      return TFieldType::ftInteger;
    case 'L':
      return TFieldType::ftBoolean;
    case 'M':
      return TFieldType::ftMemo;
    case 'B':
      return version == 0x30 ? TFieldType::ftFloat : TFieldType::ftBlob;
    case 'G':
      return TFieldType::ftBlob;
    case 'T':
      return TFieldType::ftDateTime;
    case 'Y':
      return TFieldType::ftCurrency;
    default:
      return TFieldType::ftString;
  }
}

QString DbfAliasFolder(const QString& name) {
  const QString n = name.trimmed();
  if (n.compare(kDefaultDirectory, Qt::CaseInsensitive) == 0) return ProgramFolder();
  for (const auto& e : Aliases().Entries)
    if (e.first.compare(n, Qt::CaseInsensitive) == 0) return NativePath(e.second);
  return QString();
}

void ReloadDbfAliases() {
  Aliases().Loaded = false;
  Aliases();
}

QString ResolveDatabaseFolder(const QString& databaseName) {
  const QString name = databaseName.trimmed();
  if (name.isEmpty()) return QString();
  QString folder = DbfAliasFolder(name);
  if (folder.isEmpty()) folder = NativePath(name);
  return WithSeparator(folder);
}

// ================================================================ TDbfDataSet

TDbfDataSet::TDbfDataSet() : cursor_(std::make_unique<TCursor>()) {}

TDbfDataSet::~TDbfDataSet() {
  CloseForDestroy();
  for (const auto& c : masterLinks_) QObject::disconnect(c);
}

QString TDbfDataSet::About() {
  return QStringLiteral("Hourbook table engine " HB_VERSION);
}

TDbfDataSet::THandler& TDbfDataSet::H() const {
  if (!handler_) DatabaseError("Cannot perform this operation on a closed dataset");
  return *handler_;
}

DBFObject* TDbfDataSet::Handler() const {
  // A subclass may move the handler: the cursor finds its record again before the next step.
  cursor_->Synced = false;
  return handler_.get();
}

void TDbfDataSet::CheckActive() const {
  TDataSet::CheckActive();
  if (busyIndexing_) DatabaseError("Table is busy building an index");
  if (busyCopying_) DatabaseError("Table is busy copying");
}

// ---------------------------------------------------------------- properties

void TDbfDataSet::SetAutoFlush(bool on) {
  autoFlush_ = on;
  if (handler_) handler_->AutoFlush = on;
}

void TDbfDataSet::SetDatabaseName(const QString& name) {
  if (Active()) DatabaseError("Cannot perform this operation on an open dataset");
  databaseName_ = name;
}

void TDbfDataSet::SetEncryptionKey(const QString& key) {
  if (Active()) DatabaseError("Cannot perform this operation on an open dataset");
  encryptionKey_ = key;
}

void TDbfDataSet::SetExclusive(bool on) {
  if (Active()) DatabaseError("Cannot perform this operation on an open dataset");
  exclusive_ = on;
}

void TDbfDataSet::SetTableName(const QString& name) {
  if (Active()) DatabaseError("Cannot perform this operation on an open dataset");
  tableName_ = name;
}

void TDbfDataSet::SetLargeIntegerAs(TIntFields as) {
  if (Active()) DatabaseError("Cannot perform this operation on an open dataset");
  largeIntegerAs_ = as;
}

void TDbfDataSet::SetLockProtocol(TLockProtocol protocol) {
  lockProtocol_ = protocol;
  if (handler_) handler_->SetLockProtocol(protocol);
}

void TDbfDataSet::SetUseDeleted(bool on) {
  if (on == useDeleted_) return;
  if (Active()) CheckBrowseMode();
  useDeleted_ = on;
  if (!Active()) return;
  H().IncludeDeleted = on;
  DoBeforeScroll();
  cursor_->Synced = false;
  ShowCursorRecord();
  NotifyDataSetChanged();
}

void TDbfDataSet::SetUserID(quint32 id) {
  userID_ = id;
  if (handler_) handler_->UserID = id;
}

int TDbfDataSet::SearchOptions() const {
  return searchOptions_;
}

void TDbfDataSet::SetSearchOptions(int options) {
  searchOptions_ = options;
  if (handler_) handler_->SearchOptions = options;
}

QString TDbfDataSet::DatabaseFolder() const {
  return ResolveDatabaseFolder(databaseName_);
}

QString TDbfDataSet::TablePath() const {
  QString name = NativePath(tableName_.trimmed());
  if (name.isEmpty()) return QString();
  if (QFileInfo(name).suffix().isEmpty()) name += ".DBF";
  const QString path = QFileInfo(name).isAbsolute() ? name : DatabaseFolder() + name;
  return FindExistingFile(path);
}

// ---------------------------------------------------------------- text

std::string TDbfDataSet::ToStored(const QString& text) const {
  return translateASCII_ ? QStringToOem(text) : QStringToAnsi(text);
}

QString TDbfDataSet::FromStored(const std::string& bytes) const {
  return translateASCII_ ? OemToQString(bytes) : AnsiToQString(bytes);
}

// ---------------------------------------------------------------- opening

void TDbfDataSet::InternalOpen() {
  if (tableName_.trimmed().isEmpty()) DatabaseError("Table name missing");
  const QString path = TablePath();
  if (!QFileInfo(path).isFile()) DatabaseError(QString("Cannot find file %1").arg(path));

  handler_ = std::make_unique<THandler>();
  THandler& h = *handler_;
  h.Open(QFile::encodeName(path).toStdString(), !exclusive_, !ReadOnly(),
         encryptionKey_.toStdString());
  h.AutoFlush = autoFlush_;
  h.IncludeDeleted = useDeleted_;
  h.SetLockProtocol(lockProtocol_);
  h.UserID = userID_;
  h.SearchOptions = searchOptions_;
  h.OnStatus = [this](int a, int b, int c) {
    if (OnStatus) {
      TStatusReport run = OnStatus;
      run(*this, a, b, c);
    }
  };
  h.OnFilterRecord = [this]() {
    TRecordBuffer buffer;
    FillBuffer(buffer);
    return RecordVisible(buffer);
  };

  FieldDefs().Clear();
  for (int f = 1; f <= h.FieldCount(); ++f) {
    const char type = h.FieldType(f);
    const TFieldType ft =
        DbfFieldType(type, h.FieldWidth(f), h.FieldDecimals(f), largeIntegerAs_, h.Version());
    FieldDefs().Add(QString::fromLatin1(h.FieldName(f).c_str()), ft,
                    ft == TFieldType::ftString ? h.FieldWidth(f) : 0, false,
                    ft == TFieldType::ftFloat ? h.FieldDecimals(f) : 0);
  }

  cursor_->Set(TCursor::BeforeFirst);
  if (Filtered()) ApplyFilter();
  OpenIndexList();
  LinkMaster();
  MasterChanged();
}

void TDbfDataSet::InternalClose() {
  for (const auto& c : masterLinks_) QObject::disconnect(c);
  masterLinks_.clear();
  indexDefs_.clear();
  cursor_->Set(TCursor::BeforeFirst);
  busyIndexing_ = false;
  std::unique_ptr<THandler> h = std::move(handler_);
  lockedRecord_ = 0;  // closing the handler releases its locks
  if (h) h->Close();
}

// ---------------------------------------------------------------- index files

QString TDbfDataSet::ResolveIndexFile(const QString& entry) const {
  QString name = NativePath(entry.trimmed());
  name.remove('"');
  if (QFileInfo(name).suffix().isEmpty()) name += ".ndx";
  QString folder = DatabaseFolder();
  if (folder.isEmpty()) folder = QFileInfo(TablePath()).absolutePath() + "/";
  const QString path = QFileInfo(name).isAbsolute() || name.contains('/') ? name : folder + name;
  return FindExistingFile(path);
}

// Closes every index file and opens the listed ones; then selects IndexName keeping the
// handler's record when it is found in the new order.
void TDbfDataSet::OpenIndexList() {
  THandler& h = H();
  h.CloseIndexFiles();
  indexDefs_.clear();
  QStringList paths;
  for (const QString& entry : indexFiles_) {
    if (entry.trimmed().isEmpty()) continue;
    const QString path = ResolveIndexFile(entry);
    if (!QFileInfo(path).isFile()) DatabaseError(QString("Cannot find file %1").arg(path));
    const QString canonical = QFileInfo(path).canonicalFilePath();
    for (const QString& p : paths)
      if (QFileInfo(p).canonicalFilePath() == canonical)
        DatabaseError(QString("Index file %1 already open").arg(path));
    paths.append(path);
  }
  if (!paths.isEmpty()) {
    QStringList quoted;
    for (const QString& p : paths) quoted.append('"' + p + '"');
    h.OpenIndexFiles(QFile::encodeName(quoted.join(',')).toStdString(), std::string());
  }
  RebuildIndexDefs();
  if (indexFiles_.isEmpty()) indexName_.clear();
  h.SelectMasterTag(indexName_.toStdString(), true);
  cursor_->Synced = false;
  if (Active() && MasterChanged()) h.GotoRecord(TDbfTable::kGotoFirst);
}

void TDbfDataSet::RebuildIndexDefs() {
  indexDefs_.clear();
  if (!handler_) return;
  for (int slot = 1; slot <= TDbfHandler::kMaxIndexFiles; ++slot) {
    TCdxFile* file = handler_->IndexFile(slot);
    if (!file) continue;
    for (int i = 0; i < file->TagCount(); ++i) {
      const TIndexTag* tag = file->Tag(i);
      TDbfIndexDef def;
      def.Name = QString::fromStdString(tag->Name());
      def.Expression = AnsiToQString(tag->KeyExpression());
      def.ForExpression = AnsiToQString(tag->ForExpression());
      def.FileName = QFile::decodeName(file->Path().c_str());
      def.Descending = tag->Descending();
      def.Unique = tag->Unique();
      indexDefs_.append(def);
    }
  }
}

void TDbfDataSet::SetIndexFiles(const QStringList& files) {
  if (!Active()) {
    indexFiles_ = files;
    if (files.isEmpty()) indexName_.clear();
    return;
  }
  CheckBrowseMode();
  UpdateCursorPos();
  DoBeforeScroll();
  const QStringList previous = indexFiles_;
  const QString previousName = indexName_;
  indexFiles_ = files;
  try {
    OpenIndexList();
  } catch (...) {
    // A refused list: the files that were open before are opened again.
    indexFiles_ = previous;
    indexName_ = previousName;
    try {
      OpenIndexList();
    } catch (...) {
    }
    cursor_->Synced = false;
    ShowCursorRecord();
    NotifyDataSetChanged();
    throw;
  }
  ShowHandlerRecord();
  NotifyDataSetChanged();
}

void TDbfDataSet::AddIndexFile(const QString& file) {
  QStringList list = indexFiles_;
  list.append(file);
  SetIndexFiles(list);
}

void TDbfDataSet::RemoveIndexFile(const QString& file) {
  QStringList list = indexFiles_;
  for (int i = list.size() - 1; i >= 0; --i)
    if (list[i].trimmed().compare(file.trimmed(), Qt::CaseInsensitive) == 0) list.removeAt(i);
  SetIndexFiles(list);
}

void TDbfDataSet::SetIndexName(const QString& name) {
  if (!Active()) {
    indexName_ = name;
    return;
  }
  CheckBrowseMode();
  UpdateCursorPos();
  DoBeforeScroll();
  H().SelectMasterTag(name.toStdString(), true);
  indexName_ = name;
  if (MasterChanged()) H().GotoRecord(TDbfTable::kGotoFirst);  // the new order's range
  ShowHandlerRecord();
  NotifyDataSetChanged();
}

void TDbfDataSet::OpenIndexFiles(const QString& list, const QString& tagName) {
  QStringList files;
  QString cur;
  bool quoted = false;
  for (const QChar c : list + ' ') {
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && (c == ' ' || c == ',' || c == ';' || c == '\t')) {
      if (!cur.isEmpty()) files.append(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  indexName_ = tagName;
  SetIndexFiles(files);
}

int TDbfDataSet::TagCount() const {
  CheckActive();
  return H().TagCount();
}

QString TDbfDataSet::TagName(int tag) const {
  CheckActive();
  const TIndexTag* t = H().TagAt(tag - 1);
  return t ? QString::fromStdString(t->Name()) : QString();
}

QString TDbfDataSet::TagExpression(int tag) const {
  CheckActive();
  const TIndexTag* t = H().TagAt(tag - 1);
  return t ? AnsiToQString(t->KeyExpression()) : QString();
}

void TDbfDataSet::CreateIndexTag(const QString& indexFile, const QString& tagName, int sortKind,
                                 bool duplicates, const QString& forExpr, const QString& keyExpr) {
  CheckBrowseMode();
  UpdateCursorPos();
  busyIndexing_ = true;
  DisableControls();
  try {
    H().CreateIndexTag(QFile::encodeName(NativePath(indexFile.trimmed())).toStdString(),
                       tagName.toStdString(), sortKind, duplicates, ToStored(forExpr),
                       ToStored(keyExpr));
  } catch (...) {
    busyIndexing_ = false;
    RebuildIndexDefs();
    cursor_->Synced = false;
    EnableControls();
    throw;
  }
  busyIndexing_ = false;
  RebuildIndexDefs();  // every index file is closed now
  cursor_->Synced = false;
  EnableControls();
  First();
}

// ---------------------------------------------------------------- filter and master link

void TDbfDataSet::ApplyFilter() {
  THandler& h = H();
  if (Filtered()) {
    const TFilterOptions o = FilterOptions();
    h.SetFilterExpression(ToStored(Filter()), (o & foCaseInsensitive) != 0,
                          (o & foNoPartialCompare) == 0);
    h.SetFilterActive(true);
  } else {
    h.SetFilterActive(false);
    h.SetFilterExpression(std::string(), false, false);
  }
  cursor_->Synced = false;
}

void TDbfDataSet::FilterChanged() {
  CheckBrowseMode();
  ApplyFilter();
  TDataSet::FilterChanged();
}

void TDbfDataSet::SetMasterSource(TDataSource* source) {
  masterSource_ = source;
  if (Active()) {
    LinkMaster();
    MasterChanged();
    First();
  }
}

void TDbfDataSet::SetMasterFields(const QString& fields) {
  masterFields_ = fields;
  if (Active()) {
    LinkMaster();
    MasterChanged();
    First();
  }
}

void TDbfDataSet::LinkMaster() {
  for (const auto& c : masterLinks_) QObject::disconnect(c);
  masterLinks_.clear();
  if (!masterSource_ || masterFields_.trimmed().isEmpty()) return;
  auto follow = [this]() {
    if (!Active() || State() != TDataSetState::dsBrowse) return;
    MasterChanged();
    First();
  };
  masterLinks_.append(
      QObject::connect(masterSource_, &TDataSource::scrolled, masterSource_, follow));
  masterLinks_.append(
      QObject::connect(masterSource_, &TDataSource::dataSetChanged, masterSource_, follow));
}

// The detail follows its master: the records whose key begins with the master's key fields
// (the high bound compared partially, so that a key of more fields than the master gives
// still falls inside).
bool TDbfDataSet::MasterChanged() {
  if (!masterSource_ || masterFields_.trimmed().isEmpty() || !H().MasterTag()) return false;
  TDataSet* master = masterSource_->DataSet();
  if (!master || !master->Active()) return false;
  std::string key;
  for (TField* f : master->GetFieldList(masterFields_)) key += ToStored(f->AsString());
  H().SetKeyRange(key, key, true);
  cursor_->Synced = false;
  return true;
}

// ---------------------------------------------------------------- cursor

void TDbfDataSet::FillBuffer(TRecordBuffer& buffer) const {
  const THandler& h = H();
  buffer.data = h.Bytes();
  buffer.values.clear();
  buffer.recNo = h.RecNo();
  buffer.bookmark = BookmarkOf(h.RecNo());
  buffer.flag = TBookmarkFlag::bfCurrent;
}

// Puts the handler on a record physically (its master tag follows).
void TDbfDataSet::PutHandlerOn(uint32_t recNo) {
  THandler& h = H();
  if (cursor_->Synced && cursor_->Where == TCursor::At && cursor_->Rec == recNo &&
      h.RecNo() == recNo && !h.Eof() && !h.Bof())
    return;
  h.GotoRecord(recNo);
  if (h.Eof() || h.Bof() || h.RecNo() != recNo)
    DatabaseError("Record request beyond range of table");
  cursor_->Set(TCursor::At, recNo);
}

// Whether the handler's record may be shown: not deleted (unless UseDeleted), found in the
// master tag's order within its key range, passing the filter and OnFilterRecord.
bool TDbfDataSet::CursorVisible() {
  THandler& h = H();
  if (!useDeleted_ && h.Deleted()) return false;
  if (h.MasterTag() && h.Moved()) return false;
  return h.RecordVisible();
}

// Takes the handler's position as the cursor's and shows the record there (or the next
// or previous visible one).
void TDbfDataSet::ShowHandlerRecord() {
  THandler& h = H();
  if (h.Eof() || (h.RecNo() == 0 && !h.Bof()) || h.RecNo() > h.RecordCount())
    cursor_->Set(TCursor::AfterLast);
  else if (h.Bof() || h.RecNo() == 0)
    cursor_->Set(TCursor::BeforeFirst);
  else
    cursor_->Set(TCursor::At, h.RecNo());
  ShowCursorRecord();
}

void TDbfDataSet::InternalFirst() {
  cursor_->Where = TCursor::BeforeFirst;
  cursor_->OnRecord = false;
}

void TDbfDataSet::InternalLast() {
  cursor_->Where = TCursor::AfterLast;
  cursor_->OnRecord = false;
}

TGetResult TDbfDataSet::GetRecord(TRecordBuffer& buffer, TGetMode mode) {
  THandler& h = H();
  TCursor& c = *cursor_;
  auto land = [&](bool forward) {
    if (h.Eof() || h.Bof() || h.RecNo() == 0 || h.RecNo() > h.RecordCount()) {
      c.Set(forward ? TCursor::AfterLast : TCursor::BeforeFirst);
      return forward ? TGetResult::grEOF : TGetResult::grBOF;
    }
    c.Set(TCursor::At, h.RecNo());
    FillBuffer(buffer);
    return TGetResult::grOK;
  };
  auto toCursor = [&]() {
    if (!c.Synced || h.RecNo() != c.Rec || h.Eof() || h.Bof()) {
      h.GotoRecord(c.Rec);
      c.Synced = true;
    }
  };
  switch (mode) {
    case TGetMode::gmCurrent: {
      if (c.Where != TCursor::At || !c.OnRecord) return TGetResult::grError;
      toCursor();
      if (h.Eof() || h.Bof() || h.RecNo() != c.Rec) {
        c.OnRecord = false;
        return TGetResult::grError;
      }
      if (!CursorVisible()) return TGetResult::grError;
      FillBuffer(buffer);
      return TGetResult::grOK;
    }
    case TGetMode::gmNext:
      if (c.Where == TCursor::AfterLast) return TGetResult::grEOF;
      if (c.Where == TCursor::BeforeFirst) {
        h.GotoRecord(TDbfTable::kGotoFirst);
      } else {
        toCursor();
        h.GotoRecord(TDbfTable::kGotoNext);
      }
      return land(true);
    case TGetMode::gmPrior:
      if (c.Where == TCursor::BeforeFirst) return TGetResult::grBOF;
      if (c.Where == TCursor::AfterLast) {
        h.GotoRecord(TDbfTable::kGotoLast);
      } else {
        toCursor();
        h.GotoRecord(TDbfTable::kGotoPrevious);
      }
      return land(false);
  }
  return TGetResult::grError;
}

void TDbfDataSet::InternalGotoBookmark(const TBookmark& bookmark) {
  const uint32_t n = BookmarkRecNo(bookmark);
  if (n == 0) DatabaseError("Record not found");
  PutHandlerOn(n);
}

void TDbfDataSet::InternalSetToRecord(const TRecordBuffer& buffer) {
  if (buffer.recNo > 0) PutHandlerOn(static_cast<uint32_t>(buffer.recNo));
}

int TDbfDataSet::GetRecordCount() {
  THandler& h = H();
  if (!exactCount_) {
    h.RefreshHeader();
    return static_cast<int>(h.RecordCount());
  }
  // The visible records, walked; the framework returns to the current one afterwards.
  CursorPosChanged();
  InternalFirst();
  int count = 0;
  TRecordBuffer buffer;
  while (GetRecord(buffer, TGetMode::gmNext) == TGetResult::grOK) ++count;
  return count;
}

int TDbfDataSet::GetRecNo() {
  if (State() == TDataSetState::dsInsert || IsEmpty()) return -1;
  return static_cast<int>(ActiveBuffer().recNo);
}

void TDbfDataSet::InternalSetRecNo(int recNo) {
  THandler& h = H();
  if (recNo >= 1 && uint32_t(recNo) > h.RecordCount()) h.RefreshHeader();
  if (recNo < 1 || uint32_t(recNo) > h.RecordCount())
    DatabaseError("Record request beyond range of table");
  cursor_->Synced = false;
  PutHandlerOn(static_cast<uint32_t>(recNo));
}

// ---------------------------------------------------------------- fields

int TDbfDataSet::FieldNumber(const QString& fieldName) const {
  CheckActive();
  const int n = H().FindField(ToStored(fieldName.trimmed()));
  if (n == 0) DatabaseError(QString("Field '%1' not found").arg(fieldName));
  return n;
}

char TDbfDataSet::TableType(const TField& field) const {
  return H().FieldType(field.FieldNo());
}

QByteArray TDbfDataSet::StoredMemo(const TField& field, const TRecordBuffer& buffer) const {
  const QVariant pending = buffer.values.value(field.Index());
  if (pending.isValid()) return pending.toByteArray();
  if (buffer.data.isEmpty()) return QByteArray();
  THandler& h = H();
  const int f = field.FieldNo();
  return h.With(buffer.data, [&] {
    if (h.MemoBlock(f) == 0) return QByteArray();
    const std::string text = h.ReadMemoText(f);
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
  });
}

void TDbfDataSet::SetPendingMemo(const TField& field, TRecordBuffer& buffer,
                                 const QByteArray& bytes) {
  while (buffer.values.size() <= field.Index()) buffer.values.append(QVariant());
  buffer.values[field.Index()] = QVariant(bytes.isNull() ? QByteArray("") : bytes);
}

void TDbfDataSet::WritePendingMemos(const TRecordBuffer& buffer) {
  THandler& h = H();
  for (int i = 0; i < buffer.values.size() && i < FieldCount(); ++i) {
    const QVariant& pending = buffer.values.at(i);
    if (!pending.isValid()) continue;
    const QByteArray bytes = pending.toByteArray();
    h.WriteMemo(Fields(i)->FieldNo(), std::string(bytes.constData(), size_t(bytes.size())));
  }
}

bool TDbfDataSet::GetFieldData(const TField& field, const TRecordBuffer& buffer,
                               QVariant& value) const {
  value = ReadValue(field, buffer);
  return value.isValid();
}

QVariant TDbfDataSet::ReadValue(const TField& field, const TRecordBuffer& buffer) const {
  if (!handler_ || buffer.data.isEmpty()) return QVariant();
  THandler& h = *handler_;
  const int f = field.FieldNo();
  const char type = h.FieldType(f);
  if (IsMemoField(type, h.Version())) {
    const QVariant pending = buffer.values.value(field.Index());
    if (!pending.isValid()) {
      const bool none = h.With(buffer.data, [&] { return h.MemoBlock(f) == 0; });
      if (none) return QVariant();
    }
    const QByteArray bytes = StoredMemo(field, buffer);
    if (field.DataType() == TFieldType::ftMemo)
      return FromStored(std::string(bytes.constData(), size_t(bytes.size())));
    return bytes;
  }
  return h.With(buffer.data, [&]() -> QVariant {
    switch (field.DataType()) {
      case TFieldType::ftString: {
        const std::string text = h.ReadText(f);
        if (text.empty()) return QVariant();
        return FromStored(text);
      }
      case TFieldType::ftDate: {
        const std::string raw = h.ReadRaw(f);
        if (raw.size() != 8 || raw == "00000000") return QVariant();
        for (char ch : raw)
          if (ch < '0' || ch > '9') return QVariant();
        const int y = std::stoi(raw.substr(0, 4)), m = std::stoi(raw.substr(4, 2)),
                  d = std::stoi(raw.substr(6, 2));
        if (!ValidDate(y, m, d)) return QVariant();
        return double(JulianFromDate(y, m, d) - kJulianOffset);
      }
      case TFieldType::ftDateTime: {
        const double v = h.ReadNumber(f);
        return v == 0 ? QVariant() : QVariant(v - double(kJulianOffset));
      }
      case TFieldType::ftSmallint:
      case TFieldType::ftInteger:
      case TFieldType::ftLargeint:
        return QVariant(qint64(std::llround(h.ReadNumber(f))));
      case TFieldType::ftFloat:
      case TFieldType::ftCurrency:
      case TFieldType::ftBCD:
        return h.ReadNumber(f);
      case TFieldType::ftBoolean:
        return h.ReadLogical(f);
      default: {
        const std::string raw = h.ReadRaw(f);
        return QByteArray(raw.data(), qsizetype(raw.size()));
      }
    }
  });
}

void TDbfDataSet::SetFieldData(const TField& field, TRecordBuffer& buffer, const QVariant& value) {
  THandler& h = H();
  const int f = field.FieldNo();
  const char type = h.FieldType(f);
  if (IsMemoField(type, h.Version())) {
    // Kept with the buffer; written to the memo file by the post.
    QByteArray bytes;
    if (value.isValid()) {
      if (field.DataType() == TFieldType::ftMemo) {
        const std::string s = ToStored(value.toString());
        bytes = QByteArray(s.data(), qsizetype(s.size()));
      } else {
        bytes = value.toByteArray();
      }
    }
    SetPendingMemo(field, buffer, bytes);
    return;
  }
  if (buffer.data.isEmpty()) InternalInitRecord(buffer);
  h.Modify(buffer.data, [&] {
    const bool null = !value.isValid();
    switch (field.DataType()) {
      case TFieldType::ftString:
        h.WriteText(f, null ? std::string() : ToStored(value.toString()));
        break;
      case TFieldType::ftDate: {
        int64_t julian = 0;
        if (!null) {
          julian = static_cast<int64_t>(std::floor(value.toDouble())) + kJulianOffset;
          int y, m, d;
          DateFromJulian(julian, y, m, d);
          if (y < 1 || y > 9999) julian = 0;  // no date a table can hold: stored empty
        }
        h.WriteDate(f, julian);
        break;
      }
      case TFieldType::ftDateTime:
        h.WriteNumber(f, null ? 0.0 : value.toDouble() + double(kJulianOffset));
        break;
      case TFieldType::ftBoolean:
        h.WriteLogical(f, null ? false : value.toBool());
        break;
      case TFieldType::ftSmallint:
      case TFieldType::ftInteger:
      case TFieldType::ftLargeint:
        h.WriteNumber(f, null ? 0.0 : double(value.toLongLong()));
        break;
      case TFieldType::ftFloat:
      case TFieldType::ftCurrency:
      case TFieldType::ftBCD:
        h.WriteNumber(f, null ? 0.0 : value.toDouble());
        break;
      default: {
        const QByteArray raw = value.toByteArray();
        h.WriteRaw(f, std::string(raw.constData(), size_t(raw.size())));
      }
    }
  });
}

void TDbfDataSet::InternalInitRecord(TRecordBuffer& buffer) {
  THandler& h = H();
  buffer = TRecordBuffer();
  THandler::TSaved saved = h.Save();
  h.BlankRecord();
  buffer.data = h.Bytes();
  h.Restore(saved);
}

// ---------------------------------------------------------------- editing

bool TDbfDataSet::TakeLock(uint32_t recNo) {
  if (lockedRecord_ == recNo) return true;
  ReleaseLock();
  if (!H().LockRecord(recNo)) return false;
  lockedRecord_ = recNo;
  return true;
}

void TDbfDataSet::ReleaseLock() {
  if (lockedRecord_ == 0) return;
  lockedRecord_ = 0;
  if (handler_ && handler_->IsOpen()) handler_->UnlockTable();
}

void TDbfDataSet::InternalEdit(TRecordBuffer& buffer) {
  const uint32_t n = static_cast<uint32_t>(buffer.recNo);
  if (!TakeLock(n)) DatabaseError("Record is locked by another user");
  // Read under the lock: the record as it is now, not as it was when it was shown.
  try {
    cursor_->Synced = false;
    PutHandlerOn(n);
    FillBuffer(buffer);
  } catch (...) {
    ReleaseLock();
    throw;
  }
}

void TDbfDataSet::InternalInsert(bool) {
  ReleaseLock();
}

void TDbfDataSet::InternalPost(TRecordBuffer& buffer) {
  THandler& h = H();
  cursor_->Synced = false;  // the handler's buffer is about to hold the new record
  if (State() == TDataSetState::dsEdit) {
    const uint32_t n = static_cast<uint32_t>(buffer.recNo);
    if (!TakeLock(n)) DatabaseError("Record is locked by another user");
    // The file's record is the before-image of the index upkeep.
    cursor_->Synced = false;
    PutHandlerOn(n);
    h.Load(buffer.data);
    WritePendingMemos(buffer);
    h.RewriteRecord(n);
    ReleaseLock();
  } else {
    ReleaseLock();
    h.BlankRecord();
    h.Load(buffer.data);
    WritePendingMemos(buffer);
    h.AppendRecord();
  }
  cursor_->Set(TCursor::At, h.RecNo());
}

void TDbfDataSet::InternalCancel() {
  ReleaseLock();
}

void TDbfDataSet::InternalDelete() {
  THandler& h = H();
  const uint32_t n = static_cast<uint32_t>(ActiveBuffer().recNo);
  if (!TakeLock(n)) DatabaseError("Cannot delete the record");
  try {
    cursor_->Synced = false;
    PutHandlerOn(n);
    h.MarkDeleted();
  } catch (...) {
    ReleaseLock();
    cursor_->Synced = false;
    throw;
  }
  ReleaseLock();
  cursor_->Set(TCursor::At, n);
  cursor_->OnRecord = false;  // the crack where the record was
}

void TDbfDataSet::RecallRecord() {
  CheckActive();
  if (State() == TDataSetState::dsEdit || State() == TDataSetState::dsInsert) {
    Cancel();
    return;
  }
  CheckBrowseMode();
  if (IsEmpty()) DatabaseError("Cannot perform this operation on an empty dataset");
  if (!CanModify()) DatabaseError("Cannot modify a read-only dataset");
  UpdateCursorPos();
  THandler& h = H();
  const uint32_t n = static_cast<uint32_t>(ActiveBuffer().recNo);
  if (!TakeLock(n)) DatabaseError("Cannot recall the record");
  try {
    cursor_->Synced = false;
    PutHandlerOn(n);
    h.UnmarkDeleted();
  } catch (...) {
    ReleaseLock();
    cursor_->Synced = false;
    throw;
  }
  ReleaseLock();
  DoBeforeScroll();
  cursor_->Set(TCursor::At, n);
  ShowCursorRecord();
  NotifyDataSetChanged();
}

bool TDbfDataSet::RecordIsDeleted() {
  CheckActive();
  if (IsEmpty() || State() == TDataSetState::dsInsert) return false;
  const QByteArray& data = ActiveBuffer().data;
  return !data.isEmpty() && data.at(0) == '*';
}

void TDbfDataSet::InternalRefresh() {
  THandler& h = H();
  h.RefreshHeader();
  h.SetReadAhead(h.ReadAheadActive());  // drops what the buffer read before
  h.RefreshFilter();
  cursor_->Synced = false;
}

const TRecordBuffer& TDbfDataSet::CurrentBuffer() {
  CheckActive();
  return ActiveBuffer();
}

TRecordBuffer& TDbfDataSet::EditBuffer(const char*) {
  CheckActive();
  if (State() != TDataSetState::dsEdit && State() != TDataSetState::dsInsert)
    DatabaseError("Dataset not in edit or insert mode");
  return ActiveBuffer();
}

// ---------------------------------------------------------------- searching

namespace {

TDbVariant ToDbVariant(const TField& field, const QVariant& canonical, const std::string& text) {
  if (!canonical.isValid()) return TDbVariant();
  switch (field.DataType()) {
    case TFieldType::ftString:
    case TFieldType::ftMemo:
      return TDbVariant::Text(text);
    case TFieldType::ftBoolean:
      return TDbVariant::Logical(canonical.toBool());
    case TFieldType::ftDate:
    case TFieldType::ftDateTime:
      return TDbVariant::Date(static_cast<int64_t>(std::floor(canonical.toDouble())) +
                              kJulianOffset);
    case TFieldType::ftBlob: {
      const QByteArray b = canonical.toByteArray();
      return TDbVariant::Raw(std::string(b.constData(), size_t(b.size())));
    }
    default:
      return TDbVariant::Number(canonical.toDouble());
  }
}

}  // namespace

bool TDbfDataSet::LocateRecord(const QList<TField*>& keyFields, const QVariantList& keyValues,
                               TLocateOptions options, TRecordBuffer& found) {
  THandler& h = H();
  std::string names;
  std::vector<TDbVariant> values;
  for (int i = 0; i < keyFields.size(); ++i) {
    const TField* f = keyFields[i];
    if (!names.empty()) names += ';';
    names += h.FieldName(f->FieldNo());
    const QVariant v = f->ToCanonical(keyValues.value(i));
    values.push_back(
        ToDbVariant(*f, v, f->IsText() && v.isValid() ? ToStored(v.toString()) : std::string()));
  }
  cursor_->Synced = false;
  const bool ok = h.LocateRecord(names, values, 0, (options & loPartialKey) != 0,
                                 (options & loCaseInsensitive) != 0);
  if (!ok || h.Eof() || h.RecNo() == 0) {
    cursor_->Set(TCursor::AfterLast);
    return false;
  }
  cursor_->Set(TCursor::At, h.RecNo());
  FillBuffer(found);
  return true;
}

QList<TField*> TDbfDataSet::IndexFields() const {
  QList<TField*> list;
  if (!handler_ || !handler_->MasterTag()) return list;
  TExpDbfLink fields(*handler_);
  TExpUserLink link(fields);
  TExpHandler expr(&link, handler_->MasterTag()->KeyExpression());
  for (const std::string& name : expr.FieldNames())
    if (TField* f = FindField(QString::fromLatin1(name.c_str())); f && !list.contains(f))
      list.append(f);
  return list;
}

bool TDbfDataSet::InternalGotoKey(const TRecordBuffer& key, bool nearest) {
  THandler& h = H();
  std::vector<TDbVariant> values;
  for (TField* f : IndexFields()) {
    const QVariant v = ReadValue(*f, key);
    values.push_back(
        ToDbVariant(*f, v, f->IsText() && v.isValid() ? ToStored(v.toString()) : std::string()));
  }
  cursor_->Synced = false;
  const bool found = h.FindKeyValues(values);
  if (h.Eof() || h.RecNo() == 0 || h.RecNo() > h.RecordCount()) {
    cursor_->Set(TCursor::AfterLast);
    return nearest;
  }
  cursor_->Set(TCursor::At, h.RecNo());
  return found || nearest;
}

bool TDbfDataSet::Find(const QString& key, bool exact, bool nearSearch) {
  CheckBrowseMode();
  THandler& h = H();
  if (!h.MasterTag()) DatabaseError("No index is assigned for Find operation");
  if (IsEmpty()) return false;
  UpdateCursorPos();
  DoBeforeScroll();
  h.ExactFind = exact;
  h.NearFind = nearSearch;
  cursor_->Synced = false;
  const bool found = h.Find(ToStored(key));
  if (found || (nearSearch && !h.Eof() && h.RecNo() >= 1 && h.RecNo() <= h.RecordCount())) {
    ShowHandlerRecord();
    return found;
  }
  ShowLastAtEnd();
  return false;
}

bool TDbfDataSet::FindKeyValues(const QVariantList& values) {
  CheckBrowseMode();
  THandler& h = H();
  if (!h.MasterTag()) DatabaseError("No index is assigned for Find operation");
  const QList<TField*> fields = IndexFields();
  std::vector<TDbVariant> list;
  for (int i = 0; i < values.size(); ++i) {
    const QVariant& v = values[i];
    if (i < fields.size()) {
      const QVariant c = fields[i]->ToCanonical(v);
      list.push_back(
          ToDbVariant(*fields[i], c,
                      fields[i]->IsText() && c.isValid() ? ToStored(c.toString()) : std::string()));
    } else if (v.typeId() == QMetaType::QString) {
      list.push_back(TDbVariant::Text(ToStored(v.toString())));
    } else {
      list.push_back(TDbVariant::Number(v.toDouble()));
    }
  }
  UpdateCursorPos();
  DoBeforeScroll();
  cursor_->Synced = false;
  const bool found = h.FindKeyValues(list);
  if (h.Eof() || h.RecNo() == 0 || h.RecNo() > h.RecordCount()) {
    ShowLastAtEnd();
    return false;
  }
  ShowHandlerRecord();
  return found;
}

void TDbfDataSet::SetKeyRange(const QString& low, const QString& high) {
  CheckBrowseMode();
  H().SetKeyRange(ToStored(low), ToStored(high));
  cursor_->Synced = false;
  First();
  NotifyDataSetChanged();
}

int TDbfDataSet::SearchText(const QString& text, int& field, int stopRecord, int& recNo) {
  CheckBrowseMode();
  UpdateCursorPos();
  THandler& h = H();
  int f = field;
  uint32_t rec = recNo > 0 ? static_cast<uint32_t>(recNo) : 0;
  cursor_->Synced = false;
  const int at = h.SearchText(ToStored(text), f, stopRecord > 0 ? uint32_t(stopRecord) : 0, rec);
  if (at == 0) {
    CursorPosChanged();
    return 0;
  }
  field = f;
  recNo = static_cast<int>(rec);
  DoBeforeScroll();
  ShowHandlerRecord();
  return at;
}

// ---------------------------------------------------------------- memo and raw text

int TDbfDataSet::MemoLength(const QString& fieldName) {
  return static_cast<int>(ReadMemo(fieldName).size());
}

QByteArray TDbfDataSet::ReadMemo(const QString& fieldName) {
  const int n = FieldNumber(fieldName);
  if (!IsMemoLetter(H().FieldType(n)))
    DatabaseError(QString("Field '%1' is not a memo or binary field").arg(fieldName));
  const TRecordBuffer& buffer = CurrentBuffer();
  if (IsEmpty()) return QByteArray();
  return StoredMemo(*Fields(n - 1), buffer);
}

int TDbfDataSet::ReadMemo(const QString& fieldName, char* buffer, int length) {
  const QByteArray bytes = ReadMemo(fieldName);
  const int n = std::max(0, std::min(length, static_cast<int>(bytes.size())));
  if (n > 0) std::memcpy(buffer, bytes.constData(), size_t(n));
  return n;
}

void TDbfDataSet::WriteMemo(const QString& fieldName, const QByteArray& bytes) {
  const int n = FieldNumber(fieldName);
  TRecordBuffer& buffer = EditBuffer("WriteMemo");
  if (!IsMemoLetter(H().FieldType(n)))
    DatabaseError(QString("Field '%1' is not a memo or binary field").arg(fieldName));
  TField* field = Fields(n - 1);
  if (field->ReadOnly()) DatabaseError(QString("Field '%1' cannot be modified").arg(fieldName));
  SetPendingMemo(*field, buffer, bytes);
  RecordBufferChanged(field);
}

void TDbfDataSet::WriteMemo(const QString& fieldName, const char* buffer, int length) {
  WriteMemo(fieldName, QByteArray(buffer, std::max(0, length)));
}

QByteArray TDbfDataSet::GetFieldText(const QString& fieldName) {
  const int n = FieldNumber(fieldName);
  const TRecordBuffer& buffer = CurrentBuffer();
  if (buffer.data.isEmpty()) return QByteArray();
  THandler& h = H();
  const std::string raw = h.With(buffer.data, [&] { return h.ReadRaw(n); });
  return QByteArray(raw.data(), qsizetype(raw.size()));
}

void TDbfDataSet::SetFieldText(const QString& fieldName, const QByteArray& text) {
  const int n = FieldNumber(fieldName);
  TRecordBuffer& buffer = EditBuffer("SetFieldText");
  TField* field = Fields(n - 1);
  if (field->ReadOnly()) DatabaseError(QString("Field '%1' cannot be modified").arg(fieldName));
  THandler& h = H();
  h.Modify(buffer.data, [&] { h.WriteRaw(n, std::string(text.constData(), size_t(text.size()))); });
  if (buffer.values.size() > field->Index()) buffer.values[field->Index()] = QVariant();
  RecordBufferChanged(field);
}

// ---------------------------------------------------------------- whole table

void TDbfDataSet::FlushTable() {
  CheckActive();
  THandler& h = H();
  if (State() == TDataSetState::dsBrowse && !IsEmpty()) {
    cursor_->Synced = false;
    PutHandlerOn(static_cast<uint32_t>(ActiveBuffer().recNo));
    FillBuffer(ActiveBuffer());
    RecordBufferChanged(nullptr);
  }
  h.StoreHeader();
  h.FlushFile();
  for (int slot = 1; slot <= TDbfHandler::kMaxIndexFiles; ++slot)
    if (TCdxFile* f = h.IndexFile(slot)) f->Flush();
}

void TDbfDataSet::Pack() {
  CheckBrowseMode();
  THandler& h = H();
  ReleaseLock();
  // Refused before anything is closed: a pack needs the table to itself.
  if (h.Shared() || !h.ReadWrite())
    RaiseDbfError("%s requires full access to file %s", {"Pack", h.FilePath()});
  const std::string master = h.MasterTagName();
  h.SelectMasterTag(std::string(), true);
  h.SetFilterActive(false);
  cursor_->Synced = false;
  try {
    h.Pack();
  } catch (...) {
    h.SetFilterActive(Filtered());
    try {
      if (h.IsOpen() && h.IndexFileCount() == 0)
        OpenIndexList();
      else
        h.SelectMasterTag(master, false);
    } catch (...) {
    }
    RebuildIndexDefs();
    cursor_->Synced = false;
    if (h.IsOpen()) First();
    throw;
  }
  // The table was opened anew: its settings again.
  h.AutoFlush = autoFlush_;
  h.IncludeDeleted = useDeleted_;
  h.SetLockProtocol(lockProtocol_);
  h.UserID = userID_;
  h.SetFilterActive(Filtered());
  if (!master.empty()) h.SelectMasterTag(master, false);
  RebuildIndexDefs();
  First();
  NotifyDataSetChanged();
}

void TDbfDataSet::CopyTableStructure(const QString& target, const QString&) {
  CheckActive();
  H().CopyTableStructure(QFile::encodeName(NativePath(target.trimmed())).toStdString());
}

}  // namespace hb
