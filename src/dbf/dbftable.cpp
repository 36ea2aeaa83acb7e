#include "dbf/dbftable.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "dbf/dbfbuilder.h"
#include "dbf/memofile.h"
#include "platform/codepage.h"

namespace hb {

namespace fs = std::filesystem;

namespace {

std::tm SystemClock(int& milliseconds) {
  auto now = std::chrono::system_clock::now();
  std::time_t t = std::chrono::system_clock::to_time_t(now);
  milliseconds = static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
  std::tm local{};
  localtime_r(&t, &local);
  return local;
}

std::function<std::tm(int&)>& Clock() {
  static std::function<std::tm(int&)> clock = SystemClock;
  return clock;
}

bool AcceptedVersion(uint8_t v) {
  return v == 0x03 || v == 0x04 || v == 0x30 || v == 0x83 || v == 0x8B || v == 0xF5;
}

struct TRegion {
  int64_t Offset, Length;
};

TRegion TableRegion(TLockProtocol p) {
  switch (p) {
    case TLockProtocol::DB4Lock:
      return {0x40000000, 0xB0000000};
    case TLockProtocol::ClipLock:
      return {1000000000, 1000000000};
    default:
      return {0x40000000, 0x3FFFFFFF};
  }
}

int64_t AppendOffset(TLockProtocol p) {
  switch (p) {
    case TLockProtocol::DB4Lock:
      return 0xEFFFFFFF;
    case TLockProtocol::ClipLock:
      return 1000000000;
    default:
      return 0x7FFFFFFE;
  }
}

bool IsMemoType(char t) {
  return t == 'M' || t == 'B' || t == 'G';
}

}  // namespace

void TDbfTable::SetClock(std::function<std::tm(int& milliseconds)> clock) {
  Clock() = clock ? std::move(clock) : std::function<std::tm(int&)>(SystemClock);
}

TDbfTable::TDbfTable() = default;

TDbfTable::~TDbfTable() {
  try {
    Close();
  } catch (...) {
    // A destructor has no one to report to; the handle is closed below regardless.
  }
}

void TDbfTable::Open(const std::string& path, bool shared, bool readWrite, const std::string& key) {
  Close();
  std::string full = ResolveDbfPath(path, ".DBF");
  OpenFile(full, shared, readWrite);
  try {
    unsigned char h[kHeaderSize];
    ReadAt(0, h, kHeaderSize);
    if (!AcceptedVersion(h[0])) RaiseDbfError("Table Header for %s is invalid", {path_});
    if (h[15] != 0 && key.empty())
      throw EDbfEncryption(FormatDbfMessage("No Password for encrypted file %s", {path_}));
    if (h[15] == 0 && !key.empty())
      throw EDbfEncryption(
          FormatDbfMessage("A Password is included for unencrypted file %s", {path_}));
    if (h[15] != 0)
      // The cipher of enciphered tables is not carried; such tables are refused.
      throw EDbfEncryption(FormatDbfMessage("No Password for encrypted file %s", {path_}));
    std::memcpy(header_, h, kHeaderSize);
    headerLength_ = GetLE16(h + 8);
    recordLength_ = GetLE16(h + 10);
    int minHeader = kHeaderSize + 1 + (h[0] == 0x30 ? kArea30Size : 0);
    if (headerLength_ < minHeader)
      RaiseDbfCorrupt(path_, 8, "header length " + std::to_string(headerLength_));
    if (recordLength_ < 1)
      RaiseDbfCorrupt(path_, 10, "record length " + std::to_string(recordLength_));
    ReadDescriptors();
    recordCount_ = CountFromSize();
    alias_ = AnsiUpperCase(fs::path(path_).stem().string());
    record_.assign(static_cast<size_t>(recordLength_) + 1, ' ');
    record_.back() = 0x1A;
    before_ = record_;
    changed_.assign(fields_.size() + 1, false);
    recordChanged_ = false;
    recNo_ = 0;
    bof_ = eof_ = recordCount_ == 0;
    headerDirty_ = false;
    RefreshHeader();
  } catch (...) {
    fields_.clear();
    TDiskFile::CloseFile();
    throw;
  }
}

void TDbfTable::ReadDescriptors() {
  int area = headerLength_ - kHeaderSize - 1 - (Version() == 0x30 ? kArea30Size : 0);
  int64_t size = FileSize();
  if (size < headerLength_)
    RaiseDbfCorrupt(path_, size,
                    "descriptor area cut short, header length " + std::to_string(headerLength_));
  std::vector<unsigned char> d(static_cast<size_t>(area));
  if (area > 0) ReadAt(kHeaderSize, d.data(), d.size());
  fields_.clear();
  int offset = 1;
  for (int i = 0; i + kDescriptorSize <= area; i += kDescriptorSize) {
    const unsigned char* p = d.data() + i;
    if (p[0] == 0x0D) break;  // some writers leave room after the terminator
    TDbfFieldDef f;
    size_t len = 0;
    while (len < 11 && p[len] != 0) ++len;
    f.Name.assign(reinterpret_cast<const char*>(p), len);
    while (!f.Name.empty() && f.Name.back() == ' ') f.Name.pop_back();
    f.Type = static_cast<char>(AnsiUpperByte(p[11]));
    f.Width = p[16];
    f.Decimals = p[17];
    if (f.Type == 'C') {
      f.Width = p[16] + 256 * p[17];
      f.Decimals = 0;
    }
    f.Offset = offset;
    f.Number = static_cast<int>(fields_.size()) + 1;
    offset += f.Width;
    if (offset > recordLength_)
      RaiseDbfCorrupt(
          path_, kHeaderSize + i,
          "field " + f.Name + " ends beyond the record length " + std::to_string(recordLength_));
    fields_.push_back(std::move(f));
  }
}

uint32_t TDbfTable::CountFromSize() {
  int64_t size = FileSize();
  if (size <= headerLength_) return 0;
  int64_t n = (size - headerLength_) / recordLength_;
  return n > 0xFFFFFFFFLL ? 0xFFFFFFFFu : static_cast<uint32_t>(n);
}

void TDbfTable::Close() {
  if (!IsOpen()) {
    memo_.reset();
    return;
  }
  try {
    if (lockCount_ > 0) {
      lockCount_ = 1;
      bool table = TableLocked();
      UnlockRegion();
      if (table) StoreHeader();
    } else {
      StoreHeader();
    }
  } catch (...) {
    CloseFile();
    throw;
  }
  CloseFile();
}

void TDbfTable::CloseFile() {
  if (memo_) memo_->CloseFile();
  memo_.reset();
  TDiskFile::CloseFile();
}

void TDbfTable::RefreshHeader() {
  if (!shared_ || !IsOpen()) return;
  unsigned char h[kHeaderSize];
  ReadAt(0, h, kHeaderSize);
  // Only the image is taken over: the layout (lengths, version) is fixed while open.
  std::memcpy(header_ + 1, h + 1, kHeaderSize - 1);
  PutLE16(header_ + 8, static_cast<uint16_t>(headerLength_));
  PutLE16(header_ + 10, static_cast<uint16_t>(recordLength_));
  recordCount_ = CountFromSize();
}

void TDbfTable::StoreHeader() {
  if (!readWrite_ || !headerDirty_ || TableLocked() || !IsOpen()) return;
  int ms = 0;
  std::tm now = Clock()(ms);
  header_[1] = static_cast<unsigned char>((now.tm_year + 1900) % 100);
  header_[2] = static_cast<unsigned char>(now.tm_mon + 1);
  header_[3] = static_cast<unsigned char>(now.tm_mday);
  PutLE32(header_ + 4, recordCount_);
  uint32_t stamp =
      ((uint32_t(now.tm_hour) * 64 + uint32_t(now.tm_min)) * 64 + uint32_t(now.tm_sec)) * 1024 +
      uint32_t(ms);
  PutLE32(header_ + 16, stamp);
  header_[15] = 0;
  PutLE32(header_ + 20, UserID);
  WriteAt(0, header_, kHeaderSize);
  headerDirty_ = false;
}

void TDbfTable::SetTableFlags(uint8_t flags) {
  if (header_[28] == flags) return;
  header_[28] = flags;
  headerDirty_ = true;
}

bool TDbfTable::HasMemoFields() const {
  switch (Version()) {
    case 0x83:
    case 0x8B:
    case 0xF5:
      return true;
    case 0x30:
      return (TableFlags() & 0x02) != 0;
    default:
      return false;
  }
}

bool TDbfTable::FieldChanged(int field) const {
  return field >= 0 && static_cast<size_t>(field) < changed_.size() && changed_[field];
}

void TDbfTable::SetAllChanged(bool changed) {
  std::fill(changed_.begin(), changed_.end(), changed);
  recordChanged_ = changed;
}

void TDbfTable::ReadRecordAt(uint32_t n) {
  int64_t pos = headerLength_ + int64_t(n - 1) * recordLength_;
  std::vector<char> buf(static_cast<size_t>(recordLength_));
  ReadAt(pos, buf.data(), buf.size());
  std::memcpy(record_.data(), buf.data(), buf.size());
  recNo_ = n;
  before_ = record_;
  SetAllChanged(false);
}

void TDbfTable::WriteRecord(uint32_t n, bool withEof) {
  int64_t pos = headerLength_ + int64_t(n - 1) * recordLength_;
  WriteAt(pos, record_.data(), static_cast<size_t>(recordLength_) + (withEof ? 1 : 0));
}

void TDbfTable::GotoRecord(int64_t n) {
  if (recordCount_ == 0) {
    RefreshHeader();
    if (recordCount_ == 0) {
      bof_ = eof_ = true;
      return;
    }
  }
  if (n == 0) return;
  int64_t target;
  switch (n) {
    case kGotoCurrent:
      target = recNo_;
      break;
    case kGotoLast:
      target = recordCount_;
      break;
    case kGotoFirst:
      target = 1;
      break;
    case kGotoPrevious:
      if (recNo_ <= 1) {
        bof_ = true;
        eof_ = false;
        return;
      }
      target = int64_t(recNo_) - 1;
      break;
    case kGotoNext:
      target = int64_t(recNo_) + 1;
      break;
    default:
      if (n < 0) RaiseDbfError("Record number %d is not in table %s", {std::to_string(n), path_});
      target = n;
  }
  if (target <= 0) target = 1;  // "current" before any record was read
  if (target > recordCount_) {
    RefreshHeader();
    if (target > recordCount_) {
      if (target == int64_t(recordCount_) + 1) {
        bof_ = false;
        eof_ = true;
        return;
      }
      RaiseDbfError("Record number %d is not in table %s", {std::to_string(target), path_});
    }
  }
  ReadRecordAt(static_cast<uint32_t>(target));
  bof_ = eof_ = false;
}

bool TDbfTable::TableLocked() const {
  if (lockCount_ == 0) return false;
  TRegion t = TableRegion(protocol_);
  return (lockOffset_ == t.Offset && lockLength_ == t.Length) ||
         (lockOffset_ == kFullRangeOffset && lockLength_ == kFullRangeLength);
}

int64_t TDbfTable::RecordLockOffset(uint32_t recNo) {
  switch (protocol_) {
    case TLockProtocol::DB4Lock:
      return 0xEFFFFFFE - int64_t(recNo);
    case TLockProtocol::ClipLock:
      return 1000000000 + int64_t(recNo);
    default:
      if (IndexedRecordLocks()) return 0x7FFFFFFE - int64_t(recNo);
      return 0x40000000 + headerLength_ + int64_t(recordLength_) * (int64_t(recNo) - 1);
  }
}

bool TDbfTable::LockRecord(uint32_t recNo) {
  if (TableLocked()) {
    ++lockCount_;
    return true;
  }
  return LockRegion(RecordLockOffset(recNo), 1);
}

bool TDbfTable::LockAppend() {
  if (TableLocked()) {
    ++lockCount_;
    return true;
  }
  return LockRegion(AppendOffset(protocol_), 1);
}

bool TDbfTable::LockTable() {
  TRegion t = TableRegion(protocol_);
  if (!LockRegion(t.Offset, t.Length)) return false;
  if (lockCount_ == 1) RefreshHeader();
  return true;
}

bool TDbfTable::LockFullRange() {
  if (!LockWholeFile()) return false;
  if (lockCount_ == 1) RefreshHeader();
  return true;
}

void TDbfTable::UnlockTable() {
  bool lastTableLevel = lockCount_ == 1 && TableLocked();
  UnlockRegion();
  if (lastTableLevel) StoreHeader();
}

void TDbfTable::SetLockProtocol(TLockProtocol protocol) {
  protocol_ = protocol;
  if (memo_) memo_->SetLockProtocol(protocol);
}

bool TDbfTable::TryLockRetried(int64_t offset, int64_t length) {
  for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(kLockWaitMs));
    if (LockRegion(offset, length)) return true;
  }
  return false;
}

void TDbfTable::AppendRecord() {
  // The append lock keeps two writers from taking the same record number. When this
  // handle holds another region (its own record lock) the region rule forbids a second
  // one and the append goes ahead as before; when another handle holds the append lock,
  // the append waits for it like the index and memo locks do, and fails rather than
  // writing over the other's record.
  bool locked = false;
  if (TableLocked() || lockCount_ == 0) {
    locked = LockAppend();
    if (!locked && shared_) {
      locked = TryLockRetried(AppendOffset(protocol_), 1);
      if (!locked) RaiseDbfError("Can not Lock file %s", {path_});
    }
  }
  uint32_t oldCount = recordCount_, oldRecNo = recNo_;
  char oldDeletion = record_[0];
  try {
    headerDirty_ = true;
    RefreshHeader();
    record_[0] = ' ';
    uint32_t n = recordCount_ + 1;
    WriteRecord(n, true);
    recordCount_ = n;
    recNo_ = n;
    StoreHeader();
  } catch (...) {
    recordCount_ = oldCount;
    recNo_ = oldRecNo;
    record_[0] = oldDeletion;
    if (locked) UnlockRegion();
    throw;
  }
  if (locked) UnlockRegion();
  bof_ = eof_ = false;
  NotifyEvent(TDbfNotify::RecordAppended, recNo_);
  if (AutoFlush) FlushFile();
  before_ = record_;
  SetAllChanged(false);
}

void TDbfTable::RewriteRecord(int64_t n) {
  if (n > 0 && n > recordCount_) RefreshHeader();
  if (n <= 0 || n > recordCount_) {
    AppendRecord();
    return;
  }
  headerDirty_ = true;
  WriteRecord(static_cast<uint32_t>(n), false);
  recNo_ = static_cast<uint32_t>(n);
  RefreshHeader();
  StoreHeader();
  bof_ = eof_ = false;
  NotifyEvent(TDbfNotify::RecordRewritten, recNo_);
  if (AutoFlush) FlushFile();
  before_ = record_;
  SetAllChanged(false);
}

void TDbfTable::FlushFile() {
  TDiskFile::FlushFile();
  if (memo_) memo_->FlushFile();
}

TMemoFile* TDbfTable::Memo() {
  if (memo_ || !HasMemoFields() || !IsOpen()) return memo_.get();
  std::unique_ptr<TMemoFile> memo;
  std::string ext = ".dbt";
  switch (Version()) {
    case 0x8B:
      memo = std::make_unique<TMemo4File>();
      break;
    case 0xF5:
    case 0x30:
      memo = std::make_unique<TFoxMemoFile>();
      ext = ".fpt";
      break;
    default:
      memo = std::make_unique<TMemoFile>();
      break;
  }
  memo->SetLockProtocol(protocol_);
  memo->OpenMemo(ChangeFileExt(path_, ext), shared_, readWrite_);
  memo_ = std::move(memo);
  return memo_.get();
}

void TDbfTable::RenameFile(const std::string& newPath) {
  std::string target = ResolveDbfPath(newPath, ".DBF");
  TMemoFile* memo = HasMemoFields() ? Memo() : nullptr;
  TDiskFile::RenameFile(target);
  alias_ = AnsiUpperCase(fs::path(path_).stem().string());
  if (memo) {
    std::string ext = fs::path(memo->FilePath()).extension().string();
    memo->RenameMemo(ChangeFileExt(path_, ext), fs::path(path_).stem().string());
  }
}

void TDbfTable::CopyStructure(const std::string& target) {
  TDbfTypes flavour = Version() == 0x8B   ? TDbfTypes::DBaseIV
                      : Version() == 0xF5 ? TDbfTypes::FoxPro2
                                          : TDbfTypes::DBaseIII;
  if (Version() == 0x30)
    RaiseDbfError("The structure of %s cannot be copied: version 0x30 tables are read only here",
                  {path_});
  auto builder = MakeDbfBuilder(target, flavour);
  for (const auto& f : fields_) builder->AddField(f.Name, f.Type, f.Decimals, f.Width);
  builder->Finish();
}

void TDbfTable::CopyTo(const std::string& target) {
  bool locked = false;
  if (shared_) {
    for (int attempt = 0; attempt < kLockAttempts && !locked; ++attempt) {
      if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(kLockWaitMs));
      locked = LockFullRange();
    }
    if (!locked) RaiseDbfError("%s requires full access to file %s", {"CopyFile", path_});
  }
  try {
    RefreshHeader();
    ReportStatus(-1, 6, static_cast<int>(recordCount_));
    CopyStructure(target);
    TDbfTable dest;
    dest.Open(target, false, true);
    std::vector<char> buf(static_cast<size_t>(recordLength_));
    for (uint32_t n = 1; n <= recordCount_; ++n) {
      ReadAt(headerLength_ + int64_t(n - 1) * recordLength_, buf.data(), buf.size());
      if (buf[0] == '*') continue;
      std::memcpy(dest.RecordBuffer(), buf.data(), buf.size());
      for (const auto& f : fields_) {
        if (!IsMemoType(f.Type)) continue;
        std::string digits(buf.data() + f.Offset, static_cast<size_t>(f.Width));
        uint32_t block = static_cast<uint32_t>(std::strtoul(digits.c_str(), nullptr, 10));
        uint32_t newBlock = 0;
        if (block != 0 && Memo()) newBlock = dest.Memo()->Write(0, Memo()->Read(block));
        std::string cell(static_cast<size_t>(f.Width), ' ');
        if (newBlock != 0) {
          std::string text = std::to_string(newBlock);
          cell.replace(cell.size() - text.size(), text.size(), text);
        }
        std::memcpy(dest.RecordBuffer() + f.Offset, cell.data(), cell.size());
      }
      dest.AppendRecord();
      ReportStatus(6, static_cast<int>(n), 0);
    }
    dest.Close();
    ReportStatus(0, 0, 0);
  } catch (...) {
    if (locked) UnlockTable();
    throw;
  }
  if (locked) UnlockTable();
}

namespace {

std::string Base36(uint64_t v) {
  static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string s;
  do {
    s.insert(s.begin(), digits[v % 36]);
    v /= 36;
  } while (v);
  return s;
}

}  // namespace

void TDbfTable::Pack() {
  if (!readWrite_ || shared_) RaiseDbfError("%s requires full access to file %s", {"Pack", path_});
  std::string tablePath = path_;
  bool shared = shared_, readWrite = readWrite_;
  uint8_t flags = TableFlags();
  std::string memoPath;
  if (HasMemoFields() && Memo()) memoPath = memo_->FilePath();
  std::string memoExt = memoPath.empty() ? std::string() : fs::path(memoPath).extension().string();

  // A fresh name in the table's folder: a letter and base-36 digits of date and time.
  static std::string lastName;
  std::string temp;
  fs::path folder = fs::path(tablePath).parent_path();
  for (int tries = 0;; ++tries) {
    int ms = 0;
    std::tm now = Clock()(ms);
    uint64_t date = uint64_t(now.tm_year + 1900) * 10000 + uint64_t(now.tm_mon + 1) * 100 +
                    uint64_t(now.tm_mday);
    uint64_t time =
        ((uint64_t(now.tm_hour) * 60 + uint64_t(now.tm_min)) * 60 + uint64_t(now.tm_sec)) * 1000 +
        uint64_t(ms) + uint64_t(tries);
    std::string name = AnsiLowerCase("p" + Base36(date) + Base36(time)) + ".dbf";
    if (name == lastName) continue;
    temp = (folder / name).string();
    if (!TOsFile::Exists(temp) &&
        (memoExt.empty() || !TOsFile::Exists(ChangeFileExt(temp, memoExt))))
      break;
  }
  std::string tempMemo = memoExt.empty() ? std::string() : ChangeFileExt(temp, memoExt);
  try {
    CopyTo(temp);
    // The copy's memo file carries the builder's spelling of the extension (".fpt"), which
    // need not be the table's own (".FPT").
    if (!tempMemo.empty()) tempMemo = FindFileAnyCase(tempMemo);
  } catch (...) {
    TOsFile::DeleteFile(temp);
    if (!tempMemo.empty()) TOsFile::DeleteFile(tempMemo);
    throw;
  }
  Close();
  // The packed copy replaces the table in one rename, so that the table never goes
  // missing; the memo file follows the same way.
  std::error_code ec;
  fs::rename(temp, tablePath, ec);
  if (ec) {
    Open(tablePath, shared, readWrite);
    TOsFile::DeleteFile(temp);
    if (!tempMemo.empty()) TOsFile::DeleteFile(tempMemo);
    RaiseDbfError("Error on Rename of file %s", {temp});
  }
  if (!tempMemo.empty()) fs::rename(tempMemo, memoPath, ec);
  Open(tablePath, shared, readWrite);
  if (ec) RaiseDbfError("Error on Rename of file %s", {tempMemo});
  if (flags != TableFlags()) {
    SetTableFlags(flags);
    StoreHeader();
  }
  GotoRecord(kGotoFirst);
}

}  // namespace hb
