// Byte layout of built index files, seeks and ranges on small tables, and the failures.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <random>

#include "cdxmemtable.h"
#include "dbf/cdxfile.h"
#include "dbf/dbfcommon.h"
#include "dbf/indexdiskstorage.h"
#include "dbf/indexkey.h"

using namespace hb;
using hbtest::TMemRecord;
using hbtest::TMemTable;

namespace {

uint32_t U16(const std::vector<uint8_t>& b, size_t o) {
  return b.at(o) | (b.at(o + 1) << 8);
}
uint32_t U32(const std::vector<uint8_t>& b, size_t o) {
  return U16(b, o) | (U16(b, o + 2) << 16);
}
uint32_t BE32(const std::vector<uint8_t>& b, size_t o) {
  return (b.at(o) << 24) | (b.at(o + 1) << 16) | (b.at(o + 2) << 8) | b.at(o + 3);
}

std::string Pad(const std::string& s, size_t n) {
  return (s + std::string(n, ' ')).substr(0, n);
}

// A table with a NAME column indexed as a 10-character key, and NUM / DATE columns.
struct TCdx {
  TMemTable Table;
  TMemoryIndexStorage* Store = nullptr;
  std::unique_ptr<TCdxFile> File;

  TCdx() {
    Table.Expressions["NAME"] = [](const TMemRecord& r) {
      return TMemTable::Text(Pad(r.Name, 10));
    };
    Table.Expressions["NUM"] = [](const TMemRecord& r) { return TMemTable::Number(r.Num); };
    Table.Expressions["DATE"] = [](const TMemRecord& r) { return TMemTable::Number(r.Date, true); };
    Table.Expressions["NUM > 0"] = [](const TMemRecord& r) {
      return TMemTable::Logical(r.Num > 0);
    };
    Table.Expressions["LONG"] = [](const TMemRecord& r) {
      return TMemTable::Text(Pad(r.Name, 240));
    };
  }
  void Open(std::vector<uint8_t> bytes = {}) {
    auto s = std::make_unique<TMemoryIndexStorage>("/data/URUREN.CDX");
    s->Bytes() = std::move(bytes);
    Store = s.get();
    File.reset();
    File = std::make_unique<TCdxFile>(std::move(s), &Table);
  }
  void Reopen() { Open(Store->Bytes()); }
  void AddNames(std::initializer_list<const char*> names) {
    for (const char* n : names) Table.Records.push_back(TMemRecord{n});
  }
  std::vector<uint8_t>& Bytes() { return Store->Bytes(); }
  uint32_t Root(const char* tag) { return U32(Bytes(), File->FindCdxTag(tag)->HeaderOffset()); }
  // The leftmost leaf under a tag's root.
  uint32_t FirstLeaf(const char* tag) {
    uint32_t node = Root(tag);
    int kl = File->FindCdxTag(tag)->KeyLength();
    while (U16(Bytes(), node) < 2) node = BE32(Bytes(), node + 12 + kl + 4);
    return node;
  }
  std::vector<uint32_t> Walk(const char* tag) {
    TIndexTag* t = File->FindTag(tag);
    std::vector<uint32_t> out;
    for (uint32_t r = t->First(); r; r = t->Next()) out.push_back(r);
    return out;
  }
};

std::string Message(const std::function<void()>& f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(no error)";
}

}  // namespace

TEST(CdxLayout, EmptyFileIsTakenAsNewWithAnEmptyDirectory) {
  for (size_t size : {0, 512}) {
    TCdx c;
    c.Open(std::vector<uint8_t>(size, 0xAB));
    const auto& b = c.Bytes();
    ASSERT_EQ(b.size(), 1536u);
    EXPECT_EQ(U32(b, 0), 1024u);  // root
    EXPECT_EQ(U16(b, 12), 10u);   // key length
    EXPECT_EQ(b[14], 0xE0);       // directory options
    EXPECT_EQ(b[15], 1);
    EXPECT_EQ(U16(b, 502), 0u);
    EXPECT_EQ(U16(b, 504), 1u);
    EXPECT_EQ(U16(b, 506), 1u);
    EXPECT_EQ(U16(b, 510), 1u);
    EXPECT_EQ(U16(b, 1024), 3u);  // root leaf
    EXPECT_EQ(U16(b, 1026), 0u);
    EXPECT_EQ(U32(b, 1028), 0xFFFFFFFFu);
    EXPECT_EQ(U32(b, 1032), 0xFFFFFFFFu);
    EXPECT_EQ(U16(b, 1036), 488u);
    EXPECT_EQ(U32(b, 1038), 0xFFFFu);
    EXPECT_EQ(b[1047], 3);  // an empty new root leaf uses 3-byte entries
    c.Reopen();
    EXPECT_EQ(c.File->TagCount(), 0);
  }
}

TEST(CdxLayout, TagHeaderHoldsFlagsAndExpressions) {
  TCdx c;
  c.Table.Records = {{"B", 2}, {"A", -1}};
  c.Open();
  c.File->CreateTag("name", "NAME", "NUM > 0", true, true);
  uint32_t h = c.File->FindCdxTag("NAME")->HeaderOffset();
  const auto& b = c.Bytes();
  EXPECT_EQ(U16(b, h + 12), 10u);
  EXPECT_EQ(b[h + 14], 0x60 | 0x01 | 0x08);
  EXPECT_EQ(b[h + 15], 1);
  EXPECT_EQ(U16(b, h + 502), 1u);  // descending
  EXPECT_EQ(U16(b, h + 504), 5u);
  EXPECT_EQ(U16(b, h + 506), 8u);
  EXPECT_EQ(U16(b, h + 510), 5u);
  EXPECT_EQ(std::memcmp(&b[h + 512], "NAME\0NUM > 0\0", 13), 0);
  // The directory names the tag in upper case with the header's offset.
  c.Reopen();
  ASSERT_EQ(c.File->TagCount(), 1);
  EXPECT_EQ(c.File->Tag(0)->Name(), "NAME");
  EXPECT_EQ(c.File->Tag(0)->ForExpression(), "NUM > 0");
  EXPECT_EQ(c.Walk("NAME"), (std::vector<uint32_t>{1}));
}

TEST(CdxLayout, LeafEntrySizeFollowsTheRecordCount) {
  struct TCase {
    int Records;
    bool RewriteAfterBuild;
    int EntrySize, RecBits;
  } cases[] = {{1000, false, 3, 16}, {255, false, 3, 16}, {255, true, 2, 8}};
  for (const TCase& k : cases) {
    TCdx c;
    for (int i = 1; i <= k.Records; ++i) c.Table.Records.push_back({"K" + std::to_string(i)});
    c.Open();
    c.File->CreateTag("NAME", "NAME", "", false, false);
    if (k.RewriteAfterBuild) c.Table.Rewrite(*c.File, 1, TMemRecord{"A"});
    uint32_t leaf = c.FirstLeaf("NAME");
    SCOPED_TRACE(k.Records);
    EXPECT_EQ(c.Bytes()[leaf + 23], k.EntrySize);
    EXPECT_EQ(c.Bytes()[leaf + 20], k.RecBits);
    EXPECT_EQ(c.Bytes()[leaf + 21], 4);  // key length 10 needs 4 bits
    EXPECT_EQ(c.Bytes()[leaf + 22], 4);
    EXPECT_EQ(U32(c.Bytes(), leaf + 14), (1u << k.RecBits) - 1);
    EXPECT_EQ(c.Bytes()[leaf + 18], 0x0F);
    EXPECT_EQ(c.Bytes()[leaf + 19], 0x0F);
  }
}

TEST(CdxLayout, NeighbouringKeysShareTheirPrefix) {
  TCdx c;
  c.AddNames({"SMITH", "SMITHERS"});
  c.Open();
  c.File->CreateTag("NAME", "NAME", "", false, false);
  uint32_t leaf = c.Root("NAME");
  const auto& b = c.Bytes();
  ASSERT_EQ(U16(b, leaf), 3u);
  ASSERT_EQ(U16(b, leaf + 2), 2u);
  ASSERT_EQ(b[leaf + 23], 3);
  uint32_t second = b[leaf + 27] | (b[leaf + 28] << 8) | (b[leaf + 29] << 16);
  EXPECT_EQ(second & 0xFFFF, 2u);       // record number
  EXPECT_EQ((second >> 16) & 0xF, 5u);  // duplicate count
  EXPECT_EQ(second >> 20, 2u);          // trailing count
  EXPECT_EQ(std::string(&b[leaf + 507], &b[leaf + 512]), "SMITH");
  EXPECT_EQ(std::string(&b[leaf + 504], &b[leaf + 507]), "ERS");
  EXPECT_EQ(U16(b, leaf + 12), 488u - 6 - 5 - 3);
}

TEST(CdxLayout, NumericKeysKeepNumericOrder) {
  EXPECT_EQ(EncodeNumberKey(1.0), std::string("\xBF\xF0\0\0\0\0\0\0", 8));
  TCdx c;
  for (double v : {2.0, -1.0, 1.0, -2.0, 0.0, -0.5, 1e10}) c.Table.Records.push_back({"", v});
  c.Open();
  c.File->CreateTag("NUM", "NUM", "", false, false);
  EXPECT_EQ(c.Walk("NUM"), (std::vector<uint32_t>{4, 2, 6, 5, 3, 1, 7}));
  TIndexTag* t = c.File->FindTag("NUM");
  EXPECT_EQ(t->Seek(TIndexKeyData::FromNumber(-1), false), 2u);
  EXPECT_EQ(t->Seek(TIndexKeyData::FromNumber(-0.75), false), 0u);
  EXPECT_EQ(t->RecNo(), 6u);  // stays on the next higher key
  // The stored bytes of 1: BF F0, six trailing zero bytes dropped.
  TCdx one;
  one.Table.Records = {{"", 1.0}};
  one.Open();
  one.File->CreateTag("NUM", "NUM", "", false, false);
  uint32_t leaf = one.Root("NUM");
  const auto& b = one.Bytes();
  EXPECT_EQ(b[leaf + 510], 0xBF);
  EXPECT_EQ(b[leaf + 511], 0xF0);
  EXPECT_EQ(b[leaf + 26] >> 4, 6);  // trailing count in the top bits (e = 4)
}

TEST(CdxNavigation, DescendingTagStartsWithTheHighestKey) {
  TCdx c;
  c.AddNames({"B", "C", "A"});
  c.Open();
  c.File->CreateTag("NAME", "NAME", "", false, true);
  EXPECT_EQ(c.Walk("NAME"), (std::vector<uint32_t>{2, 1, 3}));
  TIndexTag* t = c.File->FindTag("NAME");
  EXPECT_EQ(t->Last(), 3u);
  EXPECT_EQ(t->Prev(), 1u);
  EXPECT_EQ(t->Prev(), 2u);
  EXPECT_EQ(t->Prev(), 0u);
  EXPECT_TRUE(t->Bof());
}

TEST(CdxNavigation, SeekExactAndPartial) {
  TCdx c;
  c.AddNames({"ABC", "ABD", "B"});
  c.Open();
  c.File->CreateTag("NAME", "NAME", "", false, false);
  TIndexTag* t = c.File->FindTag("NAME");
  EXPECT_EQ(t->Seek(TIndexKeyData::FromText("AB"), true), 1u);
  EXPECT_EQ(t->Seek(TIndexKeyData::FromText("AB"), false), 0u);
  EXPECT_EQ(t->Seek(TIndexKeyData::FromText("ABD   "), false), 2u);
  EXPECT_EQ(t->Next(), 3u);
  EXPECT_EQ(t->Seek(TIndexKeyData::FromText("C"), true), 0u);
  EXPECT_TRUE(t->Eof());
  EXPECT_EQ(Message([&] { t->Seek(TIndexKeyData::FromNumber(1), false); }),
            "Variant types mismatch for compare");
}

TEST(CdxNavigation, KeyRangeHighKeyIsStrict) {
  TCdx c;
  c.AddNames({"BA", "A", "0", "AZZ", "B", "C"});
  c.Open();
  c.File->CreateTag("NAME", "NAME", "", false, false);
  TIndexTag* t = c.File->FindTag("NAME");
  t->SetRange(TIndexKeyData::FromText("A"), TIndexKeyData::FromText("B"));
  EXPECT_EQ(t->RecNo(), 2u);  // setting a range positions on its first key
  EXPECT_EQ(c.Walk("NAME"), (std::vector<uint32_t>{2, 4, 5}));
  EXPECT_TRUE(t->Eof());
  std::vector<uint32_t> back;
  for (uint32_t r = t->Last(); r; r = t->Prev()) back.push_back(r);
  EXPECT_EQ(back, (std::vector<uint32_t>{5, 4, 2}));
  EXPECT_TRUE(t->Bof());
  t->SetRange(TIndexKeyData::FromText("A"), TIndexKeyData::FromText("B"), true);
  EXPECT_EQ(c.Walk("NAME"), (std::vector<uint32_t>{2, 4, 5, 1}));
  t->SetRange(TIndexKeyData::FromText(""), TIndexKeyData::FromText(""));
  EXPECT_FALSE(t->HasRange());
  EXPECT_EQ(c.Walk("NAME").size(), 6u);
}

TEST(CdxBuild, UniqueTagKeepsTheFirstRecordOfAKey) {
  TCdx c;
  c.AddNames({"A", "B", "DUP", "C", "D", "E", "DUP", "F"});
  c.Open();
  c.File->CreateTag("NAME", "NAME", "", true, false);
  EXPECT_EQ(c.Walk("NAME"), (std::vector<uint32_t>{1, 2, 4, 5, 3, 6, 8}));
  // An append with a key present already is not added either.
  c.Table.Append(*c.File, TMemRecord{"DUP"});
  EXPECT_EQ(c.Walk("NAME").size(), 7u);
}

TEST(CdxFile, ReplacedTagLeavesBlocksThatReindexRemoves) {
  TCdx c;
  for (int i = 0; i < 300; ++i)
    c.Table.Records.push_back({"N" + std::to_string(i * 7 % 300), 1.0 * i});
  c.Open();
  c.File->CreateTag("NAME", "NAME", "", false, false);
  c.File->CreateTag("NUM", "NUM", "", false, false);
  size_t built = c.Bytes().size();
  c.File->CreateTag("name", "NAME", "", false, false);
  EXPECT_GT(c.Bytes().size(), built);
  EXPECT_EQ(c.File->TagCount(), 2);
  c.File->Reindex();
  EXPECT_EQ(c.Bytes().size(), built);
  c.Reopen();
  EXPECT_EQ(c.Walk("NAME").size(), 300u);
  EXPECT_EQ(c.Walk("NUM").size(), 300u);
  // Deleting a tag drops it; deleting the last one leaves an empty directory.
  c.File->DeleteTag("NUM");
  c.Reopen();
  EXPECT_EQ(c.File->TagCount(), 1);
  c.File->DeleteTag("NAME");
  EXPECT_EQ(c.Bytes().size(), 1536u);
  c.Reopen();
  EXPECT_EQ(c.File->TagCount(), 0);
}

TEST(CdxFile, ChangeCounterCountsTagUpdates) {
  TCdx c;
  c.AddNames({"A"});
  c.Open();
  c.File->CreateTag("NUM", "NUM", "NUM > 0", false, false);
  uint32_t before = U32(c.Bytes(), 8);
  c.Table.Append(*c.File, TMemRecord{"B", 5});
  EXPECT_EQ(U32(c.Bytes(), 8), before + 1);
  c.Table.Append(*c.File, TMemRecord{"C", -5});  // FOR fails: no tag changed
  EXPECT_EQ(U32(c.Bytes(), 8), before + 1);
  EXPECT_EQ(c.File->ChangeCounter(), before + 1);
}

TEST(CdxFile, OwnIndexSetsTheTableFlag) {
  for (auto [table, marks] : {std::pair{"/data/uruREN.dbf", 1}, std::pair{"/data/URSTAM.DBF", 0},
                              std::pair{"/other/URUREN.DBF", 0}}) {
    TCdx c;
    c.Table.Path = table;
    c.Open();
    EXPECT_EQ(c.Table.Marked, marks) << table;
  }
}

TEST(CdxFile, OnDiskRoundTrip) {
  QTemporaryDir dir;
  std::string path = dir.filePath("URUREN.CDX").toStdString();
  TCdx c;
  c.AddNames({"B", "A"});
  EXPECT_EQ(Message([&] { TCdxFile::Open(path, false, true, &c.Table); }),
            "File " + path + " could not be found");
  {
    auto f = TCdxFile::OpenOrCreate(path, true, &c.Table);
    f->CreateTag("NAME", "NAME", "", false, false);
    f->LockIndex();
    f->UnlockIndex();
    f->Flush();
  }
  std::string renamed = dir.filePath("URNEW.CDX").toStdString();
  TCdxFile::Open(path, false, true, &c.Table)->Rename(renamed);
  auto f = TCdxFile::Open(renamed, false, false, &c.Table);
  EXPECT_EQ(f->Path(), renamed);
  TIndexTag* t = f->FindTag("name");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->First(), 2u);
  EXPECT_EQ(t->Next(), 1u);
}

TEST(CdxErrors, FailureMessages) {
  TCdx c;
  c.AddNames({"A"});
  c.Open();
  EXPECT_EQ(Message([&] { c.File->CreateTag("", "NAME", "", false, false); }),
            "Cannot find index tag ");
  EXPECT_EQ(Message([&] { c.File->CreateTag("LONG", "LONG", "", false, false); }),
            "Sort key length must be 1-240 bytes, is 241");
  EXPECT_EQ(Message([&] { c.File->DeleteTag("NONE"); }), "Cannot find index tag NONE");
  EXPECT_EQ(c.File->TagCount(), 0);  // failed creations leave the file as it was

  // The index lock is tried 100 times, then refused.
  auto s = std::make_unique<TMemoryIndexStorage>("/data/SHARED.CDX", true);
  TMemoryIndexStorage* store = s.get();
  TCdxFile shared(std::move(s), &c.Table);
  shared.SetLockRetryWait(0);
  store->LockRefused = true;
  EXPECT_EQ(Message([&] { shared.LockIndex(); }), "Can not Lock file /data/SHARED.CDX");
  EXPECT_EQ(store->LockAttempts, 100);
  store->LockRefused = false;
  shared.LockIndex();
  shared.LockIndex();  // nests
  shared.UnlockIndex();
  EXPECT_EQ(store->LocksHeld, 1);
  shared.UnlockIndex();
  EXPECT_EQ(store->LocksHeld, 0);
}

TEST(CdxErrors, DamagedFilesAreReportedWithFileAndOffset) {
  TCdx base;
  for (int i = 0; i < 400; ++i) base.Table.Records.push_back({"K" + std::to_string(i)});
  base.Open();
  base.File->CreateTag("NAME", "NAME", "", false, false);
  const std::vector<uint8_t> good = base.Bytes();
  uint32_t header = base.File->FindCdxTag("NAME")->HeaderOffset();
  uint32_t root = base.Root("NAME");
  uint32_t leaf = base.FirstLeaf("NAME");
  auto put16 = [](std::vector<uint8_t>& b, size_t o, uint32_t v) {
    b[o] = v & 0xFF;
    b[o + 1] = v >> 8;
  };
  auto put32 = [&](std::vector<uint8_t>& b, size_t o, uint32_t v) {
    put16(b, o, v);
    put16(b, o + 2, v >> 16);
  };
  struct TCase {
    const char* What;
    std::function<void(std::vector<uint8_t>&)> Damage;
    uint32_t Offset;
  } cases[] = {
      {"directory root beyond the file", [&](auto& b) { put32(b, 0, 1u << 30); }, 0},
      {"tag root not a block", [&](auto& b) { put32(b, header, root + 3); }, header},
      {"tag key length", [&](auto& b) { put16(b, header + 12, 400); }, header},
      {"leaf key count", [&](auto& b) { put16(b, leaf + 2, 300); }, leaf},
      {"interior count", [&](auto& b) { put16(b, root + 2, 60); }, root},
      {"child beyond the file", [&](auto& b) { b[root + 12 + 10 + 4] = 0x7F; }, root},
      {"leaf attributes", [&](auto& b) { put16(b, leaf, 9); }, leaf},
      {"leaf counts exceed the key", [&](auto& b) { b[leaf + 23] = 1; }, leaf},
      {"child offset zero",
       [&](auto& b) {
         for (int i = 0; i < 10; ++i) put32(b, root + 12 + i * 18 + 14, 0);
       },
       root},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.What);
    std::vector<uint8_t> bytes = good;
    k.Damage(bytes);
    TCdx c;
    c.Table.Records = base.Table.Records;
    std::string msg = Message([&] {
      c.Open(bytes);
      c.Walk("NAME");
      c.File->FindTag("NAME")->Last();
    });
    EXPECT_EQ(msg.rfind("Index file /data/URUREN.CDX is corrupted (offset ", 0), 0u) << msg;
    EXPECT_NE(msg.find("offset " + std::to_string(k.Offset) + ":"), std::string::npos) << msg;
  }
}

TEST(CdxErrors, GeneralCollationIsRefused) {
  TCdx c;
  c.AddNames({"A"});
  c.Open();
  c.File->CreateTag("NAME", "NAME", "", false, false);
  std::vector<uint8_t> b = c.Bytes();
  uint32_t h = c.File->FindCdxTag("NAME")->HeaderOffset();
  std::memcpy(&b[h + 494], "GENERAL", 8);
  b[h + 15] = 2;
  EXPECT_EQ(
      Message([&] { c.Open(b); }),
      "Index tag NAME in /data/URUREN.CDX uses the GENERAL collation, which is not supported");
}

TEST(CdxErrors, FailedBuildKeepsTheReplacedTag) {
  TCdx c;
  c.AddNames({"A", "BOOM", "C"});
  c.Table.Expressions["FAILS"] = [](const TMemRecord& r) {
    if (r.Name == "BOOM") throw std::runtime_error("Target value missing for + operation");
    return TMemTable::Text(Pad(r.Name, 10));
  };
  c.Open();
  c.File->CreateTag("NAME", "NAME", "", false, false);
  EXPECT_EQ(Message([&] { c.File->CreateTag("NAME", "FAILS", "", false, false); }),
            "Target value missing for + operation");
  EXPECT_EQ(c.Walk("NAME"), (std::vector<uint32_t>{1, 2, 3}));
  c.Reopen();
  ASSERT_EQ(c.File->TagCount(), 1);
  EXPECT_EQ(c.File->Tag(0)->KeyExpression(), "NAME");
  EXPECT_EQ(c.Walk("NAME"), (std::vector<uint32_t>{1, 2, 3}));
}

TEST(CdxFile, ManyTagsSplitTheDirectory) {
  TCdx c;
  c.AddNames({"B", "A"});
  c.Open();
  for (int i = 0; i < 200; ++i)
    c.File->CreateTag("t" + std::to_string(i), "NAME", "", false, i % 2);
  uint32_t dirRoot = U32(c.Bytes(), 0);
  EXPECT_EQ(U16(c.Bytes(), dirRoot), 1u);  // the directory root is now an interior node
  c.Reopen();
  ASSERT_EQ(c.File->TagCount(), 200);
  EXPECT_EQ(c.File->Tag(0)->Name(), "T0");
  EXPECT_EQ(c.File->Tag(1)->Name(), "T1");
  EXPECT_EQ(c.File->Tag(2)->Name(), "T10");
  EXPECT_EQ(c.File->Tag(3)->Name(), "T100");
  EXPECT_EQ(c.Walk("t199"), (std::vector<uint32_t>{1, 2}));
  EXPECT_EQ(c.Walk("T198"), (std::vector<uint32_t>{2, 1}));
  c.File->Reindex();
  c.Reopen();
  EXPECT_EQ(c.File->TagCount(), 200);
  EXPECT_EQ(c.Walk("T199"), (std::vector<uint32_t>{1, 2}));
}

TEST(CdxFile, SharedHandleSeesRootSplitsAndReindexOfAnother) {
  QTemporaryDir dir;
  std::string path = dir.filePath("SHARED.CDX").toStdString();
  TCdx c;
  c.AddNames({"M"});
  auto writer = TCdxFile::OpenOrCreate(path, true, &c.Table);
  writer->CreateTag("NAME", "NAME", "", false, false);
  auto reader = TCdxFile::Open(path, true, false, &c.Table);
  TIndexTag* t = reader->FindTag("NAME");
  EXPECT_EQ(t->First(), 1u);
  for (int i = 0; i < 500; ++i) {  // enough keys to split the root leaf of the writer
    writer->LockIndex();
    c.Table.Append(*writer, TMemRecord{"K" + std::to_string(i)});
    writer->UnlockIndex();
  }
  uint32_t count = 0;
  for (uint32_t r = t->First(); r; r = t->Next()) ++count;
  EXPECT_EQ(count, 501u);
  writer->Reindex();
  count = 0;
  for (uint32_t r = t->Last(); r; r = t->Prev()) ++count;
  EXPECT_EQ(count, 501u);
  EXPECT_EQ(t->Seek(TIndexKeyData::FromText("M"), false), 1u);
}

TEST(CdxFile, LockRegionPerProtocol) {
  struct TCase {
    TLockProtocol Protocol;
    int64_t Offset, Length;
  } cases[] = {{TLockProtocol::Default, 0x7FFFFFFD, 1},
               {TLockProtocol::FoxLock, 0x7FFFFFFD, 1},
               {TLockProtocol::DB4Lock, 0xEFFFFFFE, 2},
               {TLockProtocol::ClipLock, 1000000000, 1}};
  for (const TCase& k : cases) {
    TIndexLockRegion r = IndexLockRegion(k.Protocol);
    EXPECT_EQ(r.Offset, k.Offset);
    EXPECT_EQ(r.Length, k.Length);
  }
  // Errors are the engine's.
  TCdx c;
  c.Open();
  EXPECT_THROW(c.File->DeleteTag("NONE"), EDbfError);
}

TEST(CdxErrors, RandomDamageGivesTheEngineErrorOrValidKeys) {
  TCdx base;
  for (int i = 0; i < 600; ++i)
    base.Table.Records.push_back({"K" + std::to_string(i * 37 % 600), 1.0 * i});
  base.Open();
  base.File->CreateTag("NAME", "NAME", "", false, false);
  base.File->CreateTag("NUM", "NUM", "", true, true);
  const std::vector<uint8_t> good = base.Bytes();
  std::mt19937 rng(11);
  int failures = 0;
  for (int round = 0; round < 1500; ++round) {
    std::vector<uint8_t> bytes = good;
    int hits = 1 + rng() % 4;
    for (int h = 0; h < hits; ++h) bytes[rng() % bytes.size()] = static_cast<uint8_t>(rng());
    TCdx c;
    c.Table.Records = base.Table.Records;
    try {
      c.Open(bytes);
      for (const char* tag : {"NAME", "NUM"}) {
        TIndexTag* t = c.File->FindTag(tag);
        if (!t) continue;
        size_t steps = 0;
        for (uint32_t r = t->First(); r && steps < 5000; r = t->Next()) ++steps;
        for (uint32_t r = t->Last(); r && steps < 10000; r = t->Prev()) ++steps;
        t->Seek(TIndexKeyData(std::string(1, 'K'), t->KeyType()), true);
        c.Table.Rewrite(*c.File, 1 + rng() % 600, TMemRecord{"X", 3});
      }
    } catch (const EDbfError&) {
      ++failures;
    } catch (const EDbfExpression&) {  // a damaged key expression
      ++failures;
    }
  }
  EXPECT_GT(failures, 0);
}
