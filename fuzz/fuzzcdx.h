// The fixed table behind the index targets: a key table of a few records, opened once,
// whose source compiles the key and FOR expressions of the fuzzed .CDX. The index file
// itself lives in memory (TMemoryIndexStorage).
#pragma once

#include <memory>
#include <string>

#include "dbf/cdxfile.h"
#include "dbf/indexdbfsource.h"
#include "fuzzcommon.h"

namespace hbfuzz {

struct TKeyTable {
  hb::TDbfFields Table;
  std::unique_ptr<hb::TDbfIndexSource> Source;

  TKeyTable() {
    std::string path = TempPath("K.DBF");
    BuildKeyTable(path, 8);
    Table.Open(path, false, false);
    Table.GotoRecord(1);
    Source = std::make_unique<hb::TDbfIndexSource>(Table);
  }
};

inline TKeyTable& KeyTable() {
  static TKeyTable table;
  return table;
}

// Opens the bytes as an index file; raises the engine's errors for a damaged one.
inline std::unique_ptr<hb::TCdxFile> OpenCdx(const uint8_t* data, size_t size) {
  auto storage = std::make_unique<hb::TMemoryIndexStorage>("F.CDX", false);
  storage->Bytes().assign(data, data + size);
  return std::make_unique<hb::TCdxFile>(std::move(storage), KeyTable().Source.get());
}

}  // namespace hbfuzz
