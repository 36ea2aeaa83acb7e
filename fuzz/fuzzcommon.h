// Shared by the fuzz targets and the corpus generator.
//
// The engine reads tables and memo files through real files, so each target writes its
// input into a private temporary folder (below $TMPDIR, else /tmp) that is removed when
// the process ends. Index files are fed through the in-memory index storage instead.
//
// The index targets compile the key expressions of the fuzzed .CDX against one fixed table
// (KeyTableFields): the seeds are built over a table of the same layout, so their
// expressions name fields that exist.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "dbf/dbfbuilder.h"
#include "dbf/dbffields.h"
#include "dbf/exprerror.h"

namespace hbfuzz {

// The private folder of this process, made on first use and removed at exit.
inline const std::string& TempFolder() {
  struct TFolder {
    std::string Path;
    TFolder() {
      const char* base = std::getenv("TMPDIR");
      std::string pattern = std::string(base && *base ? base : "/tmp") + "/hbfuzz.XXXXXX";
      std::vector<char> buf(pattern.begin(), pattern.end());
      buf.push_back('\0');
      if (!mkdtemp(buf.data())) std::abort();
      Path = buf.data();
    }
    ~TFolder() {
      std::error_code ec;
      std::filesystem::remove_all(Path, ec);
    }
  };
  static TFolder folder;
  return folder.Path;
}

inline std::string TempPath(const std::string& name) {
  return TempFolder() + "/" + name;
}

// Replaces the file's content with the bytes.
inline void WriteBytes(const std::string& path, const uint8_t* data, size_t size) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (fd < 0) std::abort();
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::write(fd, data + done, size - done);
    if (n <= 0) std::abort();
    done += static_cast<size_t>(n);
  }
  ::close(fd);
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return bytes;
  uint8_t buf[65536];
  for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;) bytes.insert(bytes.end(), buf, buf + n);
  ::close(fd);
  return bytes;
}

// The layout of the table the index targets compile key expressions against.
inline void AddKeyTableFields(hb::TDbfBuilder& b) {
  b.AddField("NAME", 'C', 0, 10);
  b.AddField("NUM", 'N', 2, 10);
  b.AddField("DAT", 'D', 0, 8);
  b.AddField("FLAG", 'L', 0, 1);
  b.AddField("CODE", 'C', 0, 4);
}

// Fills record i (from 0) of a key table: repeating names, signed numbers, dates with
// empty ones among them.
inline void FillKeyRecord(hb::TDbfFields& t, int i) {
  static const char* kNames[] = {"SMITH", "SMITHERS", "jones", "Ab", "ABC", "", "Zeta", "abc"};
  t.BlankRecord();
  t.WriteTextByName("NAME", std::string(kNames[i % 8]) + (i >= 8 ? std::to_string(i) : ""));
  t.WriteNumberByName("NUM", (i % 7 - 3) * 12.5 + i);
  t.WriteDateByName("DAT", i % 5 == 0 ? 0 : 2453000 + (i * 37) % 900);
  t.WriteLogicalByName("FLAG", i % 3 == 0);
  t.WriteTextByName("CODE", std::string(1, char('A' + i % 4)) + std::to_string(i % 10));
}

// Builds a key table of count records at path.
inline void BuildKeyTable(const std::string& path, int count) {
  hb::TFoxBuilder b(path);
  AddKeyTableFields(b);
  b.Finish();
  hb::TDbfFields t;
  t.Open(path, false, true);
  for (int i = 0; i < count; ++i) {
    FillKeyRecord(t, i);
    t.AppendRecord();
  }
}

}  // namespace hbfuzz
