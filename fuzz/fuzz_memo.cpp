// Fuzz target: reading (and writing) memos.
//
// Input: byte 0 chooses the memo layout (FoxPro .fpt, dBase III .dbt, dBase IV .dbt), bytes
// 1 to 4 the block references of the table's four records, the rest is the memo file.
// The table itself is a valid one of the layout's flavour (NAME C(8), TEXT M), made once;
// a block reference byte is written as that block number into the record's memo field,
// except 0xFC..0xFF, which write texts that are no block number.
//
// Every record's memo is measured, read whole and in part, and evaluated through the
// expression language; then a memo is written over the first record's and read back: a
// write that the engine reports as done must give back the same text.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "dbf/dbffields.h"
#include "dbf/exprdbf.h"
#include "dbf/exprhandler.h"
#include "dbf/memofile.h"
#include "fuzzcommon.h"

namespace {

constexpr int kRecords = 4;

struct TLayout {
  hb::TDbfTypes Flavour;
  std::string Table, Memo;
  std::vector<uint8_t> Image;  // the table file
  int HeaderLength = 0, RecordLength = 0, MemoOffset = 0;
};

std::vector<TLayout>& Layouts() {
  static std::vector<TLayout> layouts = [] {
    std::vector<TLayout> all;
    const hb::TDbfTypes flavours[] = {hb::TDbfTypes::FoxPro2, hb::TDbfTypes::DBaseIII,
                                      hb::TDbfTypes::DBaseIV};
    int i = 0;
    for (hb::TDbfTypes flavour : flavours) {
      TLayout l;
      l.Flavour = flavour;
      l.Table = hbfuzz::TempPath("M" + std::to_string(i++) + ".DBF");
      auto b = hb::MakeDbfBuilder(l.Table, flavour);
      b->AddField("NAME", 'C', 0, 8);
      b->AddField("TEXT", 'M', 0, 10);
      b->Finish();
      {
        hb::TDbfFields t;
        t.Open(l.Table, false, true);
        for (int r = 0; r < kRecords; ++r) {
          t.BlankRecord();
          t.WriteText(1, "rec" + std::to_string(r));
          t.AppendRecord();
        }
        l.HeaderLength = t.HeaderLength();
        l.RecordLength = t.RecordLength();
        l.MemoOffset = t.FieldOffset(2);
        l.Memo = t.Memo()->FilePath();
      }
      l.Image = hbfuzz::ReadBytes(l.Table);
      all.push_back(std::move(l));
    }
    return all;
  }();
  return layouts;
}

std::string BlockText(uint8_t b) {
  switch (b) {
    case 0xFF: return "4294967295";
    case 0xFE: return "-1";
    case 0xFD: return "9999999999";
    case 0xFC: return "  1 2";
  }
  char buf[16];
  std::snprintf(buf, sizeof buf, "%10u", b);
  return buf;
}

void Exercise(TLayout& l, const uint8_t* data, size_t size) {
  hb::TDbfFields t;
  t.Open(l.Table, false, true);
  hb::TExpDbfLink fields(t);
  hb::TExpUserLink link(fields);
  hb::TExpHandler text(&link, "TEXT");
  for (uint32_t r = 1; r <= t.RecordCount(); ++r) {
    t.GotoRecord(r);
    try {
      t.MemoLength(2);
      t.ReadMemoText(2);
      char part[16];
      int64_t length = sizeof part;
      t.ReadMemo(2, part, length);
      hb::TDbVariant v;
      text.Evaluate(v);
    } catch (const hb::EDbfError&) {
    }
  }
  // A memo written over record 1's, its length taken from the input.
  size_t length = size > 1 ? (data[1] * 7u) % 700u : 0;
  std::string memo;
  for (size_t i = 0; i < length; ++i) memo += static_cast<char>('a' + i % 26);
  t.GotoRecord(1);
  t.WriteMemo(2, memo);
  t.RewriteRecord(1);
  t.GotoRecord(1);
  std::string back = t.ReadMemoText(2);
  if (back != memo) {
    std::fprintf(stderr, "memo written with %zu bytes reads back with %zu\n", memo.size(),
                 back.size());
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  TLayout& l = Layouts()[data[0] % 3];
  std::vector<uint8_t> image = l.Image;
  for (int r = 0; r < kRecords; ++r) {
    std::string s = BlockText(data[1 + r]);
    size_t at = static_cast<size_t>(l.HeaderLength + r * l.RecordLength + l.MemoOffset);
    std::memcpy(image.data() + at, s.data(), 10);
  }
  hbfuzz::WriteBytes(l.Table, image.data(), image.size());
  hbfuzz::WriteBytes(l.Memo, data + 5, size - 5);
  try {
    Exercise(l, data + 1, size - 1);
  } catch (const hb::EDbfError&) {
  } catch (const hb::EMathError&) {
  }
  return 0;
}
