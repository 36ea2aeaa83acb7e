#include "dbf/dbfhandler.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "dbf/lockproto.h"
#include "dbf/memofile.h"

namespace hb {

namespace fs = std::filesystem;

namespace {

std::string Trimmed(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

std::string LowerExt(const std::string& path) {
  std::string ext = fs::path(path).extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

bool SamePath(const std::string& a, const std::string& b) {
  std::error_code ec;
  if (fs::equivalent(a, b, ec)) return true;
  return a == b;
}

}  // namespace

TDbfHandler::TDbfHandler() = default;

TDbfHandler::~TDbfHandler() {
  try {
    Close();
  } catch (...) {
    // Nobody to report to; the table closes its handle regardless.
  }
}

void TDbfHandler::Open(const std::string& path, bool shared, bool readWrite,
                       const std::string& key) {
  Close();
  TDbfTable::Open(path, shared, readWrite, key);
  state_ = kStateNormal;
  SetReadAhead(true);
}

void TDbfHandler::Close() {
  if (!IsOpen()) {
    DropBindings();
    return;
  }
  TDbfTable::Close();  // runs CloseFile below
}

void TDbfHandler::CloseFile() {
  UnlockIndexes();
  master_ = nullptr;
  for (auto& f : files_) f.reset();
  DropBindings();
  SetReadAhead(false);
  TDbfTable::CloseFile();
}

void TDbfHandler::DropBindings() {
  filter_.reset();
  filterText_.clear();
  bits_.Clear();
  source_.reset();
  userLink_.reset();
  fieldLink_.reset();
}

TDbfIndexSource& TDbfHandler::Source() {
  if (!source_) source_ = std::make_unique<TDbfIndexSource>(*this);
  return *source_;
}

TExpUserLink& TDbfHandler::Link() {
  if (!userLink_) {
    fieldLink_ = std::make_unique<TExpDbfLink>(*this);
    userLink_ = std::make_unique<TExpUserLink>(*fieldLink_);
  }
  return *userLink_;
}

void TDbfHandler::ReportStatus(int stat1, int stat2, int stat3) {
  if (StatusHook) StatusHook(stat1, stat2, stat3);
}

// ---- read-ahead -------------------------------------------------------------------------

void TDbfHandler::SetReadAhead(bool on) {
  on = on && ReadAheadAllowed;
  if (on) {
    size_t len = static_cast<size_t>(std::max(1, RecordLength()));
    size_t bytes = std::max(len, kReadAheadBytes / len * len);
    raBuffer_.assign(bytes, 0);
  } else {
    raBuffer_.clear();
    raBuffer_.shrink_to_fit();
  }
  readAhead_ = on;
  raOffset_ = -1;
  raBytes_ = 0;
}

void TDbfHandler::ReadAt(int64_t offset, void* buffer, size_t count) {
  if (!readAhead_ || offset < HeaderLength() || raBuffer_.empty()) {
    TDbfTable::ReadAt(offset, buffer, count);
    return;
  }
  auto inside = [&] {
    return raOffset_ >= 0 && offset >= raOffset_ &&
           offset + int64_t(count) <= raOffset_ + int64_t(raBytes_);
  };
  if (!inside()) {
    raOffset_ = offset;
    raBytes_ = 0;
    raBytes_ = ReadSome(offset, raBuffer_.data(), raBuffer_.size());
    if (!inside()) RaiseDbfError("Error on Read of file %s", {path_});
  }
  std::memcpy(buffer, raBuffer_.data() + (offset - raOffset_), count);
}

void TDbfHandler::WriteAt(int64_t offset, const void* buffer, size_t count) {
  TDbfTable::WriteAt(offset, buffer, count);
  if (!readAhead_ || raOffset_ < 0) return;
  // The part of the write that lies inside the buffer is copied in.
  int64_t from = std::max(offset, raOffset_);
  int64_t to = std::min(offset + int64_t(count), raOffset_ + int64_t(raBytes_));
  if (from < to)
    std::memcpy(raBuffer_.data() + (from - raOffset_),
                static_cast<const char*>(buffer) + (from - offset), size_t(to - from));
}

bool TDbfHandler::LockRecord(uint32_t recNo) {
  // A record locked for editing is read fresh from the file, not from the buffer.
  raOffset_ = -1;
  raBytes_ = 0;
  return TDbfTable::LockRecord(recNo);
}

// ---- locks and writes ---------------------------------------------------------------------

void TDbfHandler::SetLockProtocol(TLockProtocol protocol) {
  TDbfTable::SetLockProtocol(protocol);
  for (auto& f : files_)
    if (f) f->SetLockRegion(IndexFileLockRegion(protocol));
}

void TDbfHandler::SetLockRetryWait(int milliseconds) {
  lockWaitMs_ = milliseconds;
  for (auto& f : files_)
    if (f) f->SetLockRetryWait(milliseconds);
}

void TDbfHandler::LockIndexes() {
  int taken = 0;
  try {
    for (auto& f : files_) {
      if (!f) continue;
      f->LockIndex();
      ++taken;
    }
  } catch (...) {
    for (auto& f : files_) {
      if (!f || taken == 0) continue;
      f->UnlockIndex();
      --taken;
    }
    throw;
  }
}

void TDbfHandler::UnlockIndexes() {
  for (auto& f : files_)
    if (f) f->UnlockIndex();
}

void TDbfHandler::AppendRecord() {
  LockIndexes();
  try {
    TDbfFields::AppendRecord();
  } catch (...) {
    UnlockIndexes();
    throw;
  }
  UnlockIndexes();
}

void TDbfHandler::RewriteRecord(int64_t n) {
  LockIndexes();
  try {
    TDbfFields::RewriteRecord(n);
  } catch (...) {
    UnlockIndexes();
    throw;
  }
  UnlockIndexes();
}

// The upkeep after every append and rewrite (deletion marks included): the filter bit,
// the keys of every tag, and the master tag set on the record. A record found in the tag
// stands on its key, so both the begin and the end flag stay clear; one that left the
// order (outside the range, or its FOR condition no longer holds) keeps them clear as
// well and sets Moved(): the record is still the one in the buffer, and the next request
// for the current record moves on to its neighbour in the order.
void TDbfHandler::NotifyEvent(TDbfNotify event, uint32_t recNo) {
  if (filter_ && filter_->HasTree()) bits_.Set(recNo, EvalFilter());
  for (auto& f : files_) {
    if (!f) continue;
    if (event == TDbfNotify::RecordAppended)
      f->RecordAppended(recNo);
    else
      f->RecordRewritten(recNo);
  }
  if (master_) SyncMaster();
}

void TDbfHandler::FlushFile() {
  TDbfFields::FlushFile();
  for (auto& f : files_)
    if (f) f->Flush();
}

void TDbfHandler::RenameFile(const std::string& newPath) {
  std::string oldStem = fs::path(FilePath()).stem().string();
  std::string oldFolder = fs::path(FilePath()).parent_path().string();
  TDbfFields::RenameFile(newPath);
  std::string newStem = fs::path(FilePath()).stem().string();
  for (auto& f : files_) {
    if (!f) continue;
    fs::path p(f->Path());
    if (p.stem().string() != oldStem || p.parent_path().string() != oldFolder) continue;
    f->Rename((fs::path(FilePath()).parent_path() / (newStem + p.extension().string())).string());
  }
}

// ---- positioning --------------------------------------------------------------------------

bool TDbfHandler::BitmapInUse() const {
  return filterRequested_ && !filterScan_ && filter_ && filter_->HasTree();
}

bool TDbfHandler::RecordVisible() {
  return !BitmapInUse() || bits_.Test(recNo_);
}

bool TDbfHandler::Visible() {
  if (!IncludeDeleted && Deleted()) return false;
  return RecordVisible();
}

void TDbfHandler::LoadPhysical(uint32_t n) {
  ReadRecordAt(n);
  bof_ = eof_ = false;
}

bool TDbfHandler::KeyInRange(const std::string& key) const {
  if (!rangeLow_.empty() && CompareKeyBytes(key, rangeLow_) < 0) return false;
  if (!rangeHigh_.empty() && CompareKeyBytes(key, rangeHigh_) > 0 &&
      !(rangePartialHigh_ && KeyMatches(key, rangeHigh_, true)))
    return false;
  return true;
}

// Puts the master tag on the record in the buffer; Moved() when it is not found there.
void TDbfHandler::SyncMaster() {
  moved_ = true;
  if (!master_ || recNo_ == 0) return;
  std::optional<TIndexKeyData> key = master_->RecordKey(recNo_, false);
  if (!key) return;
  bool found = master_->FindKey(*key);
  moved_ = !found || ((!rangeLow_.empty() || !rangeHigh_.empty()) && !KeyInRange(key->Key));
}

// A step of the master tag that started outside the key range (the table was positioned
// on a record outside it) enters the range at its near end, or finds nothing when the
// range lies behind it.
uint32_t TDbfHandler::InRangeOr(uint32_t r, TDir dir) {
  if (!r || (rangeLow_.empty() && rangeHigh_.empty())) return r;
  const std::string key = master_->CurrentKey().Key;
  if (KeyInRange(key)) return r;
  bool below = !rangeLow_.empty() && CompareKeyBytes(key, rangeLow_) < 0;
  bool beforeRange = ((dir == TDir::Forward) != master_->Descending()) ? below : !below;
  if (!beforeRange) return 0;
  return dir == TDir::Forward ? master_->First() : master_->Last();
}

uint32_t TDbfHandler::Candidate(int64_t code) {
  if (master_) {
    switch (code) {
      case kGotoFirst: return master_->First();
      case kGotoLast: return master_->Last();
      case kGotoNext: return InRangeOr(master_->Next(), TDir::Forward);
      case kGotoPrevious: return InRangeOr(master_->Prev(), TDir::Backward);
      default: {
        if (recNo_ >= 1 && recNo_ <= RecordCount() && !eof_ && !bof_) return recNo_;
        return master_->First();
      }
    }
  }
  uint32_t count = RecordCount();
  if (BitmapInUse()) {
    switch (code) {
      case kGotoFirst: return bits_.NextSet(1);
      case kGotoLast: return bits_.PrevSet(count);
      case kGotoNext: return recNo_ >= count ? 0 : bits_.NextSet(recNo_ + 1);
      case kGotoPrevious: return recNo_ <= 1 ? 0 : bits_.PrevSet(std::min(recNo_ - 1, count));
      default:
        if (recNo_ >= 1 && recNo_ <= count) return recNo_;
        return recNo_ == 0 ? bits_.NextSet(1) : 0;
    }
  }
  int64_t n;
  switch (code) {
    case kGotoFirst: n = 1; break;
    case kGotoLast: n = count; break;
    case kGotoNext: n = int64_t(recNo_) + 1; break;
    case kGotoPrevious: n = std::min<int64_t>(int64_t(recNo_) - 1, count); break;
    default: n = recNo_ >= 1 ? recNo_ : 1;
  }
  if (n > count) {
    RefreshHeader();  // another handle may have appended
    count = RecordCount();
  }
  return n >= 1 && n <= count ? static_cast<uint32_t>(n) : 0;
}

uint32_t TDbfHandler::StepFrom(TDir dir) {
  if (master_) return InRangeOr(dir == TDir::Forward ? master_->Next() : master_->Prev(), dir);
  uint32_t count = RecordCount();
  if (BitmapInUse()) {
    if (dir == TDir::Forward) return recNo_ >= count ? 0 : bits_.NextSet(recNo_ + 1);
    return recNo_ <= 1 ? 0 : bits_.PrevSet(recNo_ - 1);
  }
  if (dir == TDir::Forward) return recNo_ < count ? recNo_ + 1 : 0;
  return recNo_ > 1 ? recNo_ - 1 : 0;
}

void TDbfHandler::PastEnd(TDir dir) {
  BlankRecord();
  SetAllChanged(false);
  before_ = record_;
  if (dir == TDir::Forward) {
    recNo_ = RecordCount() + 1;
    eof_ = true;
    bof_ = false;
  } else {
    recNo_ = 0;
    bof_ = true;
    eof_ = false;
  }
}

void TDbfHandler::WalkTo(uint32_t candidate, TDir dir) {
  for (uint32_t n = candidate;; n = StepFrom(dir)) {
    if (n == 0) {
      PastEnd(dir);
      return;
    }
    if (n > RecordCount()) {
      RefreshHeader();  // a key of a record another handle appended
      if (n > RecordCount()) {
        if (!master_) {
          PastEnd(dir);
          return;
        }
        recNo_ = n;  // a tag entry beyond the file is passed over
        continue;
      }
    }
    if (BitmapInUse() && !bits_.Test(n)) {
      recNo_ = n;  // passed over without reading
      continue;
    }
    LoadPhysical(n);
    if (Visible()) return;
  }
}

void TDbfHandler::GotoRecord(int64_t n) {
  if (state_ != kStateNormal || !IsOpen()) {
    TDbfTable::GotoRecord(n);
    return;
  }
  if (n >= 0) {
    if (n == 0) {
      PastEnd(TDir::Backward);
      return;
    }
    if (n > RecordCount()) RefreshHeader();
    if (n > RecordCount()) {
      PastEnd(TDir::Forward);
      return;
    }
    LoadPhysical(static_cast<uint32_t>(n));
    if (master_) SyncMaster();
    return;
  }
  if (RecordCount() == 0) RefreshHeader();
  if (RecordCount() == 0) {
    bof_ = eof_ = true;
    return;
  }
  TDir dir = (n == kGotoLast || n == kGotoPrevious) ? TDir::Backward : TDir::Forward;
  if (n == kGotoCurrent && master_ && recNo_ >= 1 && recNo_ <= RecordCount() && !bof_ && !eof_) {
    // The tag's current key: the record itself when it is still found in the order.
    LoadPhysical(recNo_);
    SyncMaster();
    if (!moved_ && Visible()) return;
    WalkTo(moved_ ? InRangeOr(master_->RecNo(), TDir::Forward) : StepFrom(TDir::Forward),
           TDir::Forward);
    moved_ = false;
    return;
  }
  WalkTo(Candidate(n), dir);
  moved_ = false;
}

void TDbfHandler::SkipRecords(int64_t n) {
  if (n == 0) {
    if (recNo_ >= 1 && recNo_ <= RecordCount()) LoadPhysical(recNo_);
    return;
  }
  int64_t steps = n < 0 ? -n : n;
  if (filterRequested_ || !IncludeDeleted || state_ != kStateNormal) {
    for (int64_t i = 0; i < steps; ++i) {
      GotoRecord(n > 0 ? kGotoNext : kGotoPrevious);
      if (eof_ || bof_) break;
    }
    return;
  }
  bool hitEnd = false;
  uint32_t target = 0;
  if (master_) {
    if (eof_ || bof_ || recNo_ == 0) {
      GotoRecord(n > 0 ? kGotoNext : kGotoPrevious);
      --steps;
      if (eof_ || bof_) return;
    }
    target = recNo_;
    for (int64_t i = 0; i < steps; ++i) {
      uint32_t r = n > 0 ? master_->Next() : master_->Prev();
      if (r == 0) {
        hitEnd = true;
        target = n > 0 ? master_->Last() : master_->First();
        break;
      }
      target = r;
    }
  } else {
    int64_t t = int64_t(recNo_) + n;
    int64_t count = RecordCount();
    if (t > count) {
      RefreshHeader();
      count = RecordCount();
    }
    if (t < 1 || t > count) hitEnd = true;
    target = static_cast<uint32_t>(std::clamp<int64_t>(t, count ? 1 : 0, count));
  }
  if (target == 0) {
    PastEnd(n > 0 ? TDir::Forward : TDir::Backward);
    return;
  }
  LoadPhysical(target);
  if (hitEnd) (n > 0 ? eof_ : bof_) = true;
}

void TDbfHandler::RestorePosition(const TSaved& saved) {
  if (saved.RecNo >= 1 && saved.RecNo <= RecordCount()) {
    LoadPhysical(saved.RecNo);
    if (master_) SyncMaster();
    bof_ = saved.Bof;
    eof_ = saved.Eof;
  } else {
    PastEnd(saved.RecNo == 0 ? TDir::Backward : TDir::Forward);
  }
}

// ---- order, range, index files --------------------------------------------------------------

TCdxTag* TDbfHandler::FindTagByName(const std::string& upperName) const {
  for (auto& f : files_)
    if (f)
      if (TCdxTag* t = f->FindCdxTag(upperName)) return t;
  return nullptr;
}

void TDbfHandler::SelectMasterTag(const std::string& name, bool keepPosition) {
  std::string key = Trimmed(name);
  for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  TCdxTag* tag = nullptr;
  if (!key.empty()) {
    tag = FindTagByName(key);
    if (!tag) RaiseDbfError("Cannot find index tag %s", {key});
  }
  if (master_) {
    master_->ClearRange();
    master_->ReleasePath();
  }
  rangeLow_.clear();
  rangeHigh_.clear();
  master_ = tag;
  if (!tag) {
    SetReadAhead(true);
    if (!keepPosition) GotoRecord(kGotoFirst);
    return;
  }
  tag->ClearRange();
  SetReadAhead(false);
  if (keepPosition && recNo_ >= 1 && recNo_ <= RecordCount() && !eof_ && !bof_) {
    SyncMaster();
    if (!moved_ && Visible()) return;
  }
  GotoRecord(kGotoFirst);
}

TIndexKeyData TDbfHandler::EncodeKey(const TIndexTag& tag, const std::string& text) const {
  switch (tag.KeyType()) {
    case TIndexKeyType::Numeric: {
      std::string t = Trimmed(text);
      return TIndexKeyData::FromNumber(t.empty() ? 0 : std::strtod(t.c_str(), nullptr));
    }
    case TIndexKeyType::Date: {
      int64_t julian = 0;
      TDbfFields::ParseDateText(Trimmed(text), julian);
      return TIndexKeyData::FromDate(static_cast<double>(julian));
    }
    default: return TIndexKeyData::FromText(text, tag.KeyLength());
  }
}

void TDbfHandler::SetKeyRange(const std::string& low, const std::string& high, bool partialHigh) {
  if (!master_) RaiseDbfError("No index is assigned for %s", {"SetKeyRange"});
  if (low.empty() && high.empty()) {
    master_->ClearRange();
    rangeLow_.clear();
    rangeHigh_.clear();
    return;
  }
  TIndexKeyData lo = low.empty() ? TIndexKeyData({}, master_->KeyType()) : EncodeKey(*master_, low);
  TIndexKeyData hi =
      high.empty() ? TIndexKeyData({}, master_->KeyType()) : EncodeKey(*master_, high);
  char fill = KeyFill(master_->KeyType());
  master_->SetRange(lo, hi, partialHigh);
  rangeLow_ = TrimKey(lo.Key, fill);
  rangeHigh_ = TrimKey(hi.Key, fill);
  rangePartialHigh_ = partialHigh;
}

int TDbfHandler::IndexFileCount() const {
  return static_cast<int>(std::count_if(files_.begin(), files_.end(), [](auto& f) { return f != nullptr; }));
}

TCdxFile* TDbfHandler::IndexFile(int slot) const {
  return slot >= 1 && slot <= kMaxIndexFiles ? files_[size_t(slot - 1)].get() : nullptr;
}

int TDbfHandler::TagCount() const {
  int n = 0;
  for (auto& f : files_)
    if (f) n += f->TagCount();
  return n;
}

TIndexTag* TDbfHandler::TagAt(int i) const {
  for (auto& f : files_) {
    if (!f) continue;
    if (i < f->TagCount()) return f->Tag(i);
    i -= f->TagCount();
  }
  return nullptr;
}

std::string TDbfHandler::ResolveIndexPath(const std::string& name) const {
  fs::path p(name);
  if (!p.has_parent_path()) p = fs::path(FilePath()).parent_path() / p;
  if (!p.has_extension()) p += ".ndx";
  return FindFileAnyCase(p.string());
}

void TDbfHandler::AddIndexFile(std::unique_ptr<TCdxFile> file) {
  for (auto& slot : files_) {
    if (slot) continue;
    file->SetLockRegion(IndexFileLockRegion(LockProtocol()));
    file->SetLockRetryWait(lockWaitMs_);
    slot = std::move(file);
    return;
  }
  RaiseDbfError("Too many index files are open on %s (at most 63)", {path_});
}

void TDbfHandler::OpenIndexFiles(const std::string& list, const std::string& tagName) {
  CloseIndexFiles();
  std::vector<std::string> names;
  std::string cur;
  bool quoted = false;
  for (char c : list + ",") {
    if (c == '"') {
      quoted = !quoted;
    } else if ((c == ',' || c == ';') && !quoted) {
      cur = Trimmed(cur);
      if (!cur.empty()) names.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  for (const std::string& name : names) {
    std::string path = ResolveIndexPath(name);
    bool open = false;
    for (auto& f : files_)
      if (f && SamePath(f->Path(), path)) open = true;
    if (open) continue;
    if (!TOsFile::Exists(path)) RaiseDbfError("File %s could not be found", {path});
    if (IndexFileCount() >= kMaxIndexFiles)
      RaiseDbfError("Too many index files are open on %s (at most 63)", {path_});
    // Only compound index files are carried by this engine.
    if (LowerExt(path) != ".cdx")
      RaiseDbfError("Index file %s is not a compound index file (.CDX)", {path});
    AddIndexFile(TCdxFile::Open(path, Shared(), ReadWrite(), &Source()));
  }
  SelectMasterTag(tagName, true);
}

void TDbfHandler::CloseIndexFiles() {
  if (master_) master_->ReleasePath();
  master_ = nullptr;
  rangeLow_.clear();
  rangeHigh_.clear();
  for (auto& f : files_) {
    if (!f) continue;
    f->Flush();
    f.reset();
  }
  SetReadAhead(true);
}

void TDbfHandler::CreateIndexTag(const std::string& fileName, const std::string& tagName,
                                 int sortKind, bool duplicates, const std::string& forExpr,
                                 const std::string& keyExpr) {
  CloseIndexFiles();
  SetReadAhead(true);
  std::string path = ResolveIndexPath(fileName);
  if (LowerExt(path) != ".cdx")
    RaiseDbfError("Index file %s is not a compound index file (.CDX)", {path});
  if (Trimmed(tagName).empty()) RaiseDbfError("Cannot find index tag %s", {tagName});
  if (sortKind == 7 || sortKind == 8)
    RaiseDbfError("Index tag %s: the GENERAL collation is not supported", {tagName});
  TSaved saved = SavePosition();
  state_ = kStateBuilding;
  try {
    auto file = TCdxFile::OpenOrCreate(path, Shared(), &Source());
    file->SetLockRegion(IndexFileLockRegion(LockProtocol()));
    file->SetLockRetryWait(lockWaitMs_);
    file->CreateTag(tagName, keyExpr, forExpr, !duplicates, sortKind == 1 || sortKind == 8);
    file->Flush();
  } catch (...) {
    state_ = kStateNormal;
    RestorePosition(saved);
    throw;
  }
  state_ = kStateNormal;
  RestorePosition(saved);
}

void TDbfHandler::Reindex() {
  std::string master = MasterTagName();
  SelectMasterTag({}, true);
  state_ = kStateBuilding;
  SetReadAhead(true);
  try {
    for (auto& f : files_)
      if (f) f->Reindex();
  } catch (...) {
    state_ = kStateNormal;
    throw;
  }
  state_ = kStateNormal;
  SelectMasterTag(master, false);
  GotoRecord(kGotoFirst);
}

// ---- filter ---------------------------------------------------------------------------------

bool TDbfHandler::EvalFilter() {
  TDbVariant v;
  filter_->Evaluate(v);
  return v.Kind() == TDbVariant::dvLogical && v.AsLogical();
}

// Every record of the table gets its bit, whatever the order and key range: a bitmap
// filled only inside the range would hide the records of a range set later.
void TDbfHandler::FillBits() {
  bits_.Clear();
  bool readAhead = readAhead_;
  if (!readAhead) SetReadAhead(true);
  RefreshHeader();
  for (uint32_t n = 1; n <= RecordCount(); ++n) {
    LoadPhysical(n);
    bits_.Set(n, EvalFilter());
  }
  if (!readAhead) SetReadAhead(false);
}

void TDbfHandler::SetFilterExpression(const std::string& text, bool caseInsensitive,
                                      bool wildcards) {
  if (Trimmed(text).empty()) {
    filter_.reset();
    filterText_.clear();
    bits_.Clear();
    return;
  }
  if (filter_ && text == filterText_ && caseInsensitive == filterCase_ && wildcards == filterWild_)
    return;
  auto handler = std::make_unique<TExpHandler>(&Link());
  handler->SetCaseInsensitive(caseInsensitive);
  handler->SetWildcards(wildcards);
  handler->Compile(text);
  TDbVariant v;
  handler->Evaluate(v);
  if (handler->HasTree() && v.Kind() != TDbVariant::dvLogical)
    RaiseDbfError("Filter expression must return boolean result");
  filter_ = std::move(handler);
  filterText_ = text;
  filterCase_ = caseInsensitive;
  filterWild_ = wildcards;
  TSaved saved = SavePosition();
  filterScan_ = true;
  try {
    FillBits();
  } catch (...) {
    filterScan_ = false;
    filter_.reset();
    filterText_.clear();
    bits_.Clear();
    RestorePosition(saved);
    throw;
  }
  filterScan_ = false;
  RestorePosition(saved);
}

void TDbfHandler::SetFilterActive(bool on) { filterRequested_ = on; }

void TDbfHandler::RefreshFilter() {
  if (!BitmapInUse()) return;
  TSaved saved = SavePosition();
  filterScan_ = true;
  try {
    FillBits();
  } catch (...) {
    filterScan_ = false;
    throw;
  }
  filterScan_ = false;
  RestorePosition(saved);
}

// ---- whole-table operations -------------------------------------------------------------

void TDbfHandler::CopyTableStructure(const std::string& target) { CopyStructure(target); }

void TDbfHandler::CopyTable(const std::string& target, const std::string& /*key*/) {
  bool locked = false;
  if (Shared()) {
    for (int attempt = 0; attempt < kLockAttempts && !locked; ++attempt) {
      if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(kLockWaitMs));
      locked = LockFullRange();
    }
    if (!locked) RaiseDbfError("%s requires full access to file %s", {"CopyFile", path_});
  }
  TSaved saved = SavePosition();
  try {
    RefreshHeader();
    ReportStatus(-1, kStatusCopy, static_cast<int>(RecordCount()));
    CopyTableStructure(target);
    TDbfFields dest;
    dest.Open(target, false, true);
    bool readAhead = readAhead_;
    if (!master_ && !readAhead) SetReadAhead(true);
    for (GotoRecord(kGotoFirst); !eof_ && recNo_ >= 1 && recNo_ <= RecordCount();
         GotoRecord(kGotoNext)) {
      std::memcpy(dest.RecordBuffer(), RecordBuffer(), size_t(RecordLength()));
      for (int f = 1; f <= FieldCount(); ++f) {
        char t = FieldType(f);
        if (t != 'M' && t != 'B' && t != 'G') continue;
        std::string cell(size_t(FieldWidth(f)), ' ');
        std::memcpy(dest.RecordBuffer() + FieldOffset(f), cell.data(), cell.size());
        uint32_t block = MemoBlock(f);
        if (block != 0 && Memo() && dest.Memo()) dest.WriteMemo(f, Memo()->Read(block));
      }
      dest.AppendRecord();
      ReportStatus(kStatusCopy, static_cast<int>(recNo_), 0);
    }
    if (!master_ && !readAhead) SetReadAhead(false);
    dest.Close();
    ReportStatus(0, 0, 0);
    RestorePosition(saved);
  } catch (...) {
    if (locked) UnlockTable();
    throw;
  }
  if (locked) UnlockTable();
}

void TDbfHandler::Pack() {
  // Refused before anything is closed, so a refused pack leaves the index files open.
  if (!ReadWrite() || Shared())
    RaiseDbfError("%s requires full access to file %s", {"Pack", FilePath()});
  std::vector<std::string> paths;
  for (auto& f : files_)
    if (f) paths.push_back(f->Path());
  std::string master = MasterTagName();
  std::string filterText = filterText_;
  bool filterCase = filterCase_, filterWild = filterWild_;
  CloseIndexFiles();
  TDbfTable::Pack();  // closes and opens the table: every binding is dropped
  SetReadAhead(!master_);
  for (const std::string& p : paths)
    AddIndexFile(TCdxFile::Open(p, Shared(), ReadWrite(), &Source()));
  if (!paths.empty()) {
    SelectMasterTag(master, false);
    Reindex();
  }
  if (!filterText.empty()) SetFilterExpression(filterText, filterCase, filterWild);
  GotoRecord(kGotoFirst);
}

// ---- DBFObject ------------------------------------------------------------------------------

void DBFObject::ReportStatus(int stat1, int stat2, int stat3) {
  if (OnStatus) OnStatus(stat1, stat2, stat3);
  TDbfHandler::ReportStatus(stat1, stat2, stat3);
}

bool DBFObject::RecordVisible() {
  if (FilterActive() && OnFilterRecord && !OnFilterRecord()) return false;
  return TDbfHandler::RecordVisible();
}

}  // namespace hb
