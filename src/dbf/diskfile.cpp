#include "dbf/diskfile.h"

#include <filesystem>

#include "dbf/dbfcommon.h"
#include "platform/codepage.h"

namespace hb {

namespace fs = std::filesystem;

TDiskFile::~TDiskFile() {
  TDiskFile::CloseFile();
}

void TDiskFile::OpenFile(const std::string& path, bool shared, bool readWrite) {
  std::string actual = FindFileAnyCase(path);
  if (!TOsFile::Exists(actual)) RaiseDbfError("File %s could not be found", {path});
  TDiskFile::CloseFile();
  if (!file_.Open(actual, shared ? TShareMode::Shared : TShareMode::Exclusive, readWrite)) {
    if (file_.LastError() == TOsError::NotFound)
      RaiseDbfError("File %s could not be found", {path});
    RaiseDbfError("Access denied to file %s", {actual});
  }
  path_ = actual;
  shared_ = shared;
  readWrite_ = readWrite;
  lockCount_ = 0;
}

void TDiskFile::CreateFile(const std::string& path, bool shared) {
  TDiskFile::CloseFile();
  if (!file_.Create(path, shared ? TShareMode::Shared : TShareMode::Exclusive))
    RaiseDbfError("Could not create file %s", {path});
  path_ = path;
  shared_ = shared;
  readWrite_ = true;
  lockCount_ = 0;
}

void TDiskFile::CloseFile() {
  if (!file_.IsOpen()) return;
  file_.Close();
  lockCount_ = 0;
}

int64_t TDiskFile::FileSize() {
  int64_t size = file_.Size();
  if (size < 0) RaiseDbfError("Error getting FileSize for file %s", {path_});
  return size;
}

void TDiskFile::FlushFile() {
  if (!file_.Flush()) RaiseDbfError("Error on Flush for file %s", {path_});
}

bool TDiskFile::LockWholeFile() {
  return TDiskFile::LockRegion(kFullRangeOffset, kFullRangeLength);
}

bool TDiskFile::LockRegion(int64_t offset, int64_t length) {
  if (lockCount_ > 0) {
    if (offset != lockOffset_ || length != lockLength_) return false;
    ++lockCount_;
    return true;
  }
  if (shared_ && !file_.LockRegion(offset, length)) return false;
  lockOffset_ = offset;
  lockLength_ = length;
  lockCount_ = 1;
  return true;
}

void TDiskFile::UnlockRegion() {
  if (lockCount_ == 0) return;
  if (lockCount_ == 1 && shared_ && !file_.UnlockRegion(lockOffset_, lockLength_))
    RaiseDbfError("Error in Unlock of file %s", {path_});
  --lockCount_;
}

size_t TDiskFile::ReadSome(int64_t offset, void* buffer, size_t count) {
  int64_t got = file_.ReadAt(offset, buffer, count);
  if (got < 0) RaiseDbfError("Error on Read of file %s", {path_});
  return static_cast<size_t>(got);
}

void TDiskFile::ReadAt(int64_t offset, void* buffer, size_t count) {
  if (ReadSome(offset, buffer, count) != count) RaiseDbfError("Error on Read of file %s", {path_});
}

void TDiskFile::WriteAt(int64_t offset, const void* buffer, size_t count) {
  if (!readWrite_ || !file_.WriteAt(offset, buffer, count))
    RaiseDbfError("Error writing to %s", {path_});
}

void TDiskFile::RenameFile(const std::string& newPath) {
  // The file is closed for the rename and opened again under its new name, in the same
  // modes; when the rename fails it is opened again under its old name.
  std::string oldPath = path_;
  bool shared = shared_, readWrite = readWrite_;
  if (lockCount_ > 0) file_.UnlockRegion(lockOffset_, lockLength_);
  lockCount_ = 0;
  if (!file_.Close()) RaiseDbfError("Error in Close of file %s", {oldPath});
  bool renamed = TOsFile::RenameFile(oldPath, newPath);
  OpenFile(renamed ? newPath : oldPath, shared, readWrite);
  if (!renamed) RaiseDbfError("Error on Rename of file %s", {oldPath});
}

void TDiskFile::TruncateFile(int64_t size) {
  if (!FullAccess()) RaiseDbfError("%s requires full access to file %s", {"Truncate", path_});
  if (!file_.Truncate(size)) RaiseDbfError("Error in Truncate of file %s", {path_});
}

std::string ResolveDbfPath(const std::string& path, const std::string& defaultExt) {
  std::string p = path;
  while (!p.empty() && (p.back() == ' ' || p.back() == '\t')) p.pop_back();
  while (!p.empty() && (p.front() == ' ' || p.front() == '\t')) p.erase(0, 1);
  fs::path fp(p);
  if (!fp.has_extension()) p += defaultExt;
  if (p.find("\\\\") != std::string::npos) return p;
  size_t colon = p.find(':');
  if (colon != std::string::npos && colon >= 1) return p;
  return fs::absolute(fs::path(p)).lexically_normal().string();
}

std::string FindFileAnyCase(const std::string& path) {
  std::error_code ec;
  if (fs::exists(path, ec)) return path;
  fs::path fp(path);
  fs::path dir = fp.has_parent_path() ? fp.parent_path() : fs::path(".");
  std::string want = AnsiUpperCase(fp.filename().string());
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (AnsiUpperCase(it->path().filename().string()) == want) {
      return fp.has_parent_path() ? (dir / it->path().filename()).string()
                                  : it->path().filename().string();
    }
  }
  return path;
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  fs::path fp(path);
  fp.replace_extension(ext);
  return fp.string();
}

}  // namespace hb
