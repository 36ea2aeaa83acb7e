#include "dbf/dbfbuilder.h"

#include <chrono>
#include <ctime>
#include <filesystem>

#include "dbf/memofile.h"
#include "platform/codepage.h"

namespace hb {

namespace fs = std::filesystem;

TDbfBuilder::TDbfBuilder(const std::string& path) : path_(ResolveDbfPath(path, ".DBF")) {}

void TDbfBuilder::AddField(const std::string& name, char type, int decimals, int width) {
  std::string n = AnsiUpperCase(name);
  while (!n.empty() && n.back() == ' ') n.pop_back();
  while (!n.empty() && n.front() == ' ') n.erase(0, 1);
  if (n.empty()) return;
  if (n.size() > 10) n.resize(10);
  TDbfFieldDef f;
  f.Name = n;
  f.Type = static_cast<char>(AnsiUpperByte(static_cast<unsigned char>(type)));
  f.Width = width;
  f.Decimals = decimals;
  switch (f.Type) {
    case 'B':
    case 'G':
    case 'M':
      f.Width = 10;
      f.Decimals = 0;
      hasMemo_ = true;
      break;
    case 'C':
      if (f.Width < 1 || f.Width > 65535)
        RaiseDbfError("Invalid %s value for field %s", {"Width", f.Name});
      f.Decimals = 0;
      break;
    case 'D':
      f.Width = 8, f.Decimals = 0;
      break;
    case 'L':
      f.Width = 1, f.Decimals = 0;
      break;
    default:
      if (f.Width < 1 || f.Width > 255 || f.Decimals < 0 || f.Decimals > 255)
        RaiseDbfError("Invalid %s value for field %s", {"Width", f.Name});
  }
  f.Number = static_cast<int>(fields_.size()) + 1;
  f.Offset = fields_.empty() ? 1 : fields_.back().Offset + fields_.back().Width;
  fields_.push_back(f);
}

void TDbfBuilder::Finish() {
  int recordLength = 1;
  for (const auto& f : fields_) recordLength += f.Width;
  int headerLength = 32 * static_cast<int>(fields_.size()) + 33;
  if (recordLength > 0xFFFF || headerLength > 0xFFFF)
    RaiseDbfError("Could not create file %s", {path_});

  std::string image(static_cast<size_t>(headerLength) + 1, '\0');
  auto* h = reinterpret_cast<unsigned char*>(image.data());
  std::time_t t = std::time(nullptr);
  std::tm now{};
  localtime_r(&t, &now);
  h[0] = hasMemo_ ? MemoVersion() : 0x03;
  h[1] = static_cast<unsigned char>((now.tm_year + 1900) % 100);
  h[2] = static_cast<unsigned char>(now.tm_mon + 1);
  h[3] = static_cast<unsigned char>(now.tm_mday);
  PutLE16(h + 8, static_cast<uint16_t>(headerLength));
  PutLE16(h + 10, static_cast<uint16_t>(recordLength));
  for (size_t i = 0; i < fields_.size(); ++i) {
    unsigned char* d = h + 32 + 32 * i;
    const auto& f = fields_[i];
    std::copy(f.Name.begin(), f.Name.end(), d);
    d[11] = static_cast<unsigned char>(f.Type);
    d[16] = static_cast<unsigned char>(f.Width & 0xFF);
    d[17] = static_cast<unsigned char>(f.Type == 'C' ? (f.Width >> 8) : f.Decimals);
  }
  h[headerLength - 1] = 0x0D;
  h[headerLength] = 0x1A;

  TDiskFile file;
  file.CreateFile(path_, false);
  file.WriteAt(0, image.data(), image.size());
  file.CloseFile();
  if (hasMemo_) {
    auto memo = NewMemo();
    memo->CreateNew(ChangeFileExt(path_, MemoExtension()), fs::path(path_).stem().string());
  }
}

std::unique_ptr<TMemoFile> TDbfBuilder::NewMemo() const {
  return std::make_unique<TMemoFile>();
}
std::unique_ptr<TMemoFile> TDb4Builder::NewMemo() const {
  return std::make_unique<TMemo4File>();
}
std::unique_ptr<TMemoFile> TFoxBuilder::NewMemo() const {
  return std::make_unique<TFoxMemoFile>();
}

std::unique_ptr<TDbfBuilder> MakeDbfBuilder(const std::string& path, TDbfTypes flavour) {
  switch (flavour) {
    case TDbfTypes::DBaseIV:
      return std::make_unique<TDb4Builder>(path);
    case TDbfTypes::FoxPro2:
      return std::make_unique<TFoxBuilder>(path);
    default:
      return std::make_unique<TDbfBuilder>(path);
  }
}

}  // namespace hb
