// The table handler's order, range, filter and search behaviour on real table and index
// files, against brute force over the same records.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <random>

#include "dbf/dbfbuilder.h"
#include "dbf/dbfhandler.h"
#include "testutil.h"

using namespace hb;

namespace {

struct TRow {
  std::string Type, Medew, Value;
  int Num = 0;
  bool Deleted = false;
};

// URSTAM-like table: TYPE C1, MEDEWERKER C10, VALUE C20, NUM N4, DESCR C30, DAY D,
// OK L, NOTE M; one compound index with tags VAL (VALUE), TMV (TYPE+MEDEWERKER+VALUE)
// and NUMD (NUM, descending).
class THandlerTable {
 public:
  QTemporaryDir Dir;
  std::string Dbf, Cdx;

  explicit THandlerTable(const std::vector<TRow>& rows) {
    Dbf = Dir.filePath("STAM.DBF").toStdString();
    Cdx = Dir.filePath("STAM.CDX").toStdString();
    TFoxBuilder b(Dbf);
    b.AddField("TYPE", 'C', 0, 1);
    b.AddField("MEDEWERKER", 'C', 0, 10);
    b.AddField("VALUE", 'C', 0, 20);
    b.AddField("NUM", 'N', 0, 4);
    b.AddField("DESCR", 'C', 0, 30);
    b.AddField("DAY", 'D', 0, 8);
    b.AddField("OK", 'L', 0, 1);
    b.AddField("NOTE", 'M', 0, 10);
    b.Finish();
    TDbfHandler h;
    h.Open(Dbf, false, true);
    for (const TRow& r : rows) {
      h.BlankRecord();
      h.WriteTextByName("TYPE", r.Type);
      h.WriteTextByName("MEDEWERKER", r.Medew);
      h.WriteTextByName("VALUE", r.Value);
      h.WriteNumberByName("NUM", r.Num);
      h.AppendRecord();
      if (r.Deleted) h.MarkDeleted();
    }
    h.CreateIndexTag(Cdx, "VAL", 0, true, "", "VALUE");
    h.CreateIndexTag(Cdx, "TMV", 0, true, "", "TYPE+MEDEWERKER+VALUE");
    h.CreateIndexTag(Cdx, "NUMD", 1, true, "", "NUM");
  }

  void Open(TDbfHandler& h, bool shared = false) {
    h.Open(Dbf, shared, true);
    h.OpenIndexFiles("STAM.CDX", "");
  }
};

std::vector<uint32_t> WalkForward(TDbfHandler& h) {
  std::vector<uint32_t> out;
  for (h.GotoRecord(TDbfTable::kGotoFirst); !h.Eof(); h.GotoRecord(TDbfTable::kGotoNext))
    out.push_back(h.RecNo());
  return out;
}

std::vector<uint32_t> WalkBackward(TDbfHandler& h) {
  std::vector<uint32_t> out;
  for (h.GotoRecord(TDbfTable::kGotoLast); !h.Bof(); h.GotoRecord(TDbfTable::kGotoPrevious))
    out.push_back(h.RecNo());
  return out;
}

std::string RandomText(std::mt19937& rng, int maxLen) {
  std::uniform_int_distribution<int> len(1, maxLen), ch(0, 3);
  std::string s;
  for (int i = len(rng); i > 0; --i) s += static_cast<char>('a' + ch(rng));
  return s;
}

}  // namespace

// Master tag (or none), key range, filter bitmap and hidden deleted records together give
// exactly the records a brute-force filter gives, in tag order, both ways; SkipRecords
// lands where single steps land.
TEST(DbfHandler, NavigationMatchesBruteForceOnRandomTables) {
  std::mt19937 rng(20261210);
  std::vector<TRow> rows;
  std::uniform_int_distribution<int> num(0, 9), del(0, 6), type(0, 2);
  for (int i = 0; i < 400; ++i)
    rows.push_back({std::string(1, "ABK"[type(rng)]), "M" + std::to_string(i % 7), RandomText(rng, 3),
                    num(rng), del(rng) == 0});
  THandlerTable t(rows);
  TDbfHandler h;
  t.Open(h);
  for (int round = 0; round < 40; ++round) {
    const bool useTag = round % 4 != 0, useRange = useTag && round % 3 != 0;
    const bool useFilter = round % 2 == 0, hideDeleted = round % 5 != 1;
    std::string low = RandomText(rng, 2), high = RandomText(rng, 2);
    if (high < low) std::swap(low, high);
    if (round % 7 == 3) low.clear();
    const int limit = num(rng);
    SCOPED_TRACE(testing::Message() << "round " << round << " tag " << useTag << " range [" << low
                                    << "," << high << "] filter NUM>" << limit << " " << useFilter
                                    << " hide " << hideDeleted);
    // Every fourth round orders by the descending numeric tag instead.
    const bool numeric = useTag && round % 4 == 2;
    int lowNum = num(rng), highNum = num(rng);
    if (highNum < lowNum) std::swap(lowNum, highNum);
    h.SelectMasterTag(!useTag ? "" : numeric ? "numd" : "val", false);
    if (useRange && numeric)
      h.SetKeyRange(std::to_string(lowNum), std::to_string(highNum));
    else if (useRange)
      h.SetKeyRange(low, high);
    h.SetFilterExpression("NUM > " + std::to_string(limit), false, false);
    h.SetFilterActive(useFilter);
    h.IncludeDeleted = !hideDeleted;

    std::vector<uint32_t> expected;
    for (uint32_t n = 1; n <= rows.size(); ++n) {
      const TRow& r = rows[n - 1];
      if (hideDeleted && r.Deleted) continue;
      if (useFilter && !(r.Num > limit)) continue;
      if (useRange && !numeric && (r.Value < low || r.Value > high)) continue;
      if (useRange && numeric && (r.Num < lowNum || r.Num > highNum)) continue;
      expected.push_back(n);
    }
    if (numeric)
      std::stable_sort(expected.begin(), expected.end(), [&](uint32_t a, uint32_t b) {
        return rows[a - 1].Num != rows[b - 1].Num ? rows[a - 1].Num > rows[b - 1].Num : a > b;
      });
    else if (useTag)
      std::stable_sort(expected.begin(), expected.end(),
                       [&](uint32_t a, uint32_t b) { return rows[a - 1].Value < rows[b - 1].Value; });
    EXPECT_EQ(WalkForward(h), expected);
    std::vector<uint32_t> back(expected.rbegin(), expected.rend());
    EXPECT_EQ(WalkBackward(h), back);

    if (expected.size() > 3) {
      h.GotoRecord(TDbfTable::kGotoFirst);
      h.SkipRecords(3);
      EXPECT_EQ(h.RecNo(), expected[3]);
      h.SkipRecords(-2);
      EXPECT_EQ(h.RecNo(), expected[1]);
      h.SkipRecords(100000);
      EXPECT_TRUE(h.Eof());
    }
  }
}

TEST(DbfHandler, SkipRecordsStepsOverHiddenDeletedRecordsAndJumpsOtherwise) {
  THandlerTable t({{"A", "", "a", 1}, {"A", "", "b", 1}, {"A", "", "c", 1, true}, {"A", "", "d", 1},
                   {"A", "", "e", 1}});
  TDbfHandler h;
  t.Open(h);
  h.IncludeDeleted = false;
  h.GotoRecord(TDbfTable::kGotoFirst);
  h.SkipRecords(3);
  EXPECT_EQ(h.RecNo(), 5u);
  h.IncludeDeleted = true;
  h.GotoRecord(1);
  h.SkipRecords(3);
  EXPECT_EQ(h.RecNo(), 4u);
  h.SkipRecords(10);  // a jump stopped at the end stands on the last record
  EXPECT_EQ(h.RecNo(), 5u);
  EXPECT_TRUE(h.Eof());
  h.SelectMasterTag("NUMD", false);
  h.GotoRecord(2);
  h.SkipRecords(-5);
  EXPECT_TRUE(h.Bof());
}

TEST(DbfHandler, FilterFollowsOwnAppendsAndOtherHandlesOnlyAfterRefresh) {
  THandlerTable t({{"K", "", "x", 1}, {"M", "", "y", 1}, {"K", "", "z", 1}});
  TDbfHandler a, b;
  t.Open(a, true);
  t.Open(b, true);
  a.SelectMasterTag("VAL", false);
  a.SetFilterExpression("TYPE = 'K'", false, false);
  a.SetFilterActive(true);
  EXPECT_EQ(WalkForward(a), (std::vector<uint32_t>{1, 3}));
  a.BlankRecord();
  a.WriteTextByName("TYPE", "K");
  a.WriteTextByName("VALUE", "a");
  a.AppendRecord();
  EXPECT_EQ(WalkForward(a), (std::vector<uint32_t>{4, 1, 3}));
  b.BlankRecord();
  b.WriteTextByName("TYPE", "K");
  b.WriteTextByName("VALUE", "b");
  b.AppendRecord();
  EXPECT_EQ(WalkForward(a), (std::vector<uint32_t>{4, 1, 3}));
  a.RefreshFilter();
  EXPECT_EQ(WalkForward(a), (std::vector<uint32_t>{4, 5, 1, 3}));
  // A rewrite that leaves the filter drops the record at once.
  a.GotoRecord(1);
  a.WriteTextByName("TYPE", "M");
  a.RewriteRecord(1);
  EXPECT_EQ(WalkForward(a), (std::vector<uint32_t>{4, 5, 3}));
  EXPECT_THROW(a.SetFilterExpression("VALUE", false, false), EDbfError);
  try {
    a.SetFilterExpression("NUM + 1", false, false);
  } catch (const EDbfError& e) {
    EXPECT_STREQ(e.what(), "Filter expression must return boolean result");
  }
}

TEST(DbfHandler, RangeWithFilterAndMovedFlag) {
  THandlerTable t({{"A", "", "b", 1}, {"A", "", "c", 5}, {"A", "", "a", 5}, {"A", "", "d", 5},
                   {"A", "", "c", 0}});
  DBFObject h;
  t.Open(h);
  h.SelectMasterTag("VAL", false);
  h.SetKeyRange("b", "c");
  h.SetFilterExpression("NUM > 2", false, false);
  h.SetFilterActive(true);
  h.GotoRecord(TDbfTable::kGotoFirst);
  EXPECT_EQ(h.RecNo(), 2u);
  EXPECT_EQ(WalkForward(h), (std::vector<uint32_t>{2}));
  // A wider range set after the filter shows the filtered records outside the old one.
  h.SetKeyRange("a", "d");
  EXPECT_EQ(WalkForward(h), (std::vector<uint32_t>{3, 2, 4}));
  h.SetKeyRange("b", "c");
  h.GotoRecord(4);  // outside the range
  EXPECT_TRUE(h.Moved());
  h.GotoRecord(TDbfTable::kGotoPrevious);  // back into the range from above
  EXPECT_EQ(h.RecNo(), 2u);
  h.GotoRecord(3);  // below the range
  h.GotoRecord(TDbfTable::kGotoNext);
  EXPECT_EQ(h.RecNo(), 2u);
  h.GotoRecord(3);
  h.GotoRecord(TDbfTable::kGotoPrevious);
  EXPECT_TRUE(h.Bof());
  // A rewrite that moves the current record out of the range sets the moved flag.
  h.GotoRecord(2);
  h.WriteTextByName("VALUE", "z");
  h.RewriteRecord(2);
  EXPECT_TRUE(h.Moved());
  h.WriteTextByName("VALUE", "c");
  h.RewriteRecord(2);
  EXPECT_FALSE(h.Moved());
  h.GotoRecord(5);
  EXPECT_FALSE(h.Moved());
  // The dataset's own filter handler can refuse records as well.
  // The dataset's own filter handler is asked only while the dataset is filtered.
  h.OnFilterRecord = [&] { return h.RecNo() != 1; };
  h.SetFilterExpression("", false, false);
  EXPECT_EQ(WalkForward(h), (std::vector<uint32_t>{2, 5}));
  h.SetFilterActive(false);
  EXPECT_EQ(WalkForward(h), (std::vector<uint32_t>{1, 2, 5}));
  // A step from a record below the range lands in the range, not on the next key below it.
  h.GotoRecord(5);
  h.WriteTextByName("VALUE", "aa");
  h.RewriteRecord(5);
  h.GotoRecord(3);
  h.GotoRecord(TDbfTable::kGotoNext);
  EXPECT_EQ(h.RecNo(), 1u);
}

TEST(DbfHandler, FindWithExactAndNearFlags) {
  THandlerTable t({{"A", "", "appel", 1}, {"A", "", "peer", 1}, {"A", "", "banaan", 1},
                   {"A", "", "kers", 1, true}});
  TDbfHandler h;
  t.Open(h);
  h.IncludeDeleted = false;
  EXPECT_FALSE(h.Find("appel"));  // no master tag: past the end
  EXPECT_TRUE(h.Eof());
  h.SelectMasterTag("VAL", false);
  struct TCase {
    const char* Key;
    bool Exact, Near, Found;
    uint32_t RecNo;  // 0: past the end
  };
  const TCase cases[] = {
      {"banaan", true, false, true, 3},  {"ban", false, false, true, 3},
      {"ban", true, false, false, 0},    {"ban", true, true, false, 3},
      {"citroen", false, false, false, 0}, {"citroen", false, true, false, 2},
      {"kers", false, false, false, 0},  {"kers", false, true, false, 2},
      {"zzz", false, true, false, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Key);
    h.GotoRecord(1);
    h.ExactFind = c.Exact;
    h.NearFind = c.Near;
    EXPECT_EQ(h.Find(c.Key), c.Found);
    if (c.RecNo) {
      EXPECT_EQ(h.RecNo(), c.RecNo);
      EXPECT_FALSE(h.Eof());
    } else {
      EXPECT_TRUE(h.Eof());
    }
  }
  h.GotoRecord(2);
  EXPECT_EQ(h.FindInTag("val", "appel"), 1);
  EXPECT_EQ(h.FindInTag("VAL", "app"), 0);
  EXPECT_EQ(h.FindInTag("NONE", "appel"), -1);
  EXPECT_EQ(h.RecNo(), 2u);
  // A numeric tag takes its key as a number.
  h.SelectMasterTag("NUMD", false);
  EXPECT_TRUE(h.FindKeyValues({TDbVariant::Number(1)}));
}

TEST(DbfHandler, LocateUsesAMatchingTagOrScans) {
  // In tag TMV record 2 comes first; physically record 1 does.
  THandlerTable t({{"K", "M1", "zz", 1}, {"K", "M1", "aa", 2}, {"K", "M12", "aa", 3},
                   {"A", "m1", "bb", 4}});
  TDbfHandler h;
  t.Open(h);
  EXPECT_TRUE(h.LocateRecord("TYPE;MEDEWERKER", {TDbVariant::Text("K"), TDbVariant::Text("M1")}, 0,
                             false, false));
  EXPECT_EQ(h.RecNo(), 2u);
  EXPECT_TRUE(h.LocateRecord("MEDEWERKER", {TDbVariant::Text("M1")}, 0, false, false));
  EXPECT_EQ(h.RecNo(), 1u);
  EXPECT_TRUE(h.LocateRecord("MEDEWERKER", {TDbVariant::Text("M1")}, 1, false, false));
  EXPECT_EQ(h.RecNo(), 2u);
  EXPECT_TRUE(h.LocateRecord("medewerker;value", {TDbVariant::Text("m1"), TDbVariant::Text("B")}, 0,
                             true, true));
  EXPECT_EQ(h.RecNo(), 4u);
  EXPECT_TRUE(h.LocateRecord("NUM", {TDbVariant::Number(3)}, 0, false, false));
  EXPECT_EQ(h.RecNo(), 3u);
  EXPECT_FALSE(h.LocateRecord("TYPE;MEDEWERKER", {TDbVariant::Text("A"), TDbVariant::Text("M1")}, 0,
                              false, false));
  EXPECT_TRUE(h.Eof());
  // Through the tag with partial: M1 also begins M12.
  h.SelectMasterTag("VAL", false);
  EXPECT_TRUE(h.LocateRecord("TYPE;MEDEWERKER", {TDbVariant::Text("K"), TDbVariant::Text("M12")}, 0,
                             false, false));
  EXPECT_EQ(h.RecNo(), 3u);
  EXPECT_EQ(h.MasterTagName(), "VAL");
  // A case-insensitive search is not answered by a tag that keeps case: it scans.
  EXPECT_TRUE(h.LocateRecord("TYPE;MEDEWERKER", {TDbVariant::Text("k"), TDbVariant::Text("m12")}, 0,
                             false, true));
  EXPECT_EQ(h.RecNo(), 3u);
  // Key values pair with the fields of the master tag's key in their order.
  h.SelectMasterTag("TMV", false);
  h.GotoRecord(4);
  h.WriteTextByName("VALUE", "edited");
  EXPECT_TRUE(h.FindKeyValues({TDbVariant::Text("K"), TDbVariant::Text("M1")}));
  EXPECT_EQ(h.RecNo(), 2u);
  EXPECT_FALSE(h.FindKeyValues({TDbVariant::Text("B")}));
  EXPECT_EQ(h.RecNo(), 2u);  // near: on the next higher key
}

TEST(DbfHandler, SearchTextOptions) {
  THandlerTable t({{"A", "", "a", 7}, {"A", "", "b", 3}, {"A", "", "c", 3}});
  TDbfHandler h;
  t.Open(h);
  h.GotoRecord(2);
  h.WriteTextByName("DESCR", "Werkoverleg klant");
  h.WriteLogicalByName("OK", true);
  h.WriteDateByName("DAY", JulianFromDate(2024, 3, 1));
  h.RewriteRecord(2);
  h.GotoRecord(3);
  h.WriteMemo(8, "lang verhaal over het Werkoverleg");
  h.RewriteRecord(3);
  struct TCase {
    const char* Text;
    int Options, Field, Position;
    uint32_t RecNo;
  };
  const TCase cases[] = {
      {"overleg", 1, 0, 5, 2},          {"OVERLEG", 0, 0, 0, 0},
      {"overleg", 1 | 2, 5, 0, 0},      {"werkoverleg klant", 1 | 2, 5, 1, 2},
      {"overleg", 1 | 32, 5, 0, 0},     {"werk", 1 | 32, 5, 1, 2},
      {"*overleg*", 1 | 4, 5, 5, 2},    {"werk?verleg*", 1 | 4, 5, 1, 2},
      {"werk*", 1 | 4, 5, 1, 2},        {"*klant", 1 | 4, 5, 13, 2},
      {"werk", 1 | 4, 5, 0, 0},         {"*werk", 1 | 4, 5, 0, 0},
      {"3", 1, 4, 1, 2},                {"3.0", 1, 4, 1, 2},
      {"x3", 1, 4, 0, 0},               {"20240301", 1, 6, 1, 2},
      {"j", 1, 7, 1, 2},                {"werkoverleg", 1, 8, 23, 3},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Text << " options " << c.Options);
    h.GotoRecord(1);
    h.SearchOptions = c.Options;
    int field = c.Field;
    uint32_t rec = 0;
    EXPECT_EQ(h.SearchText(c.Text, field, 0, rec), c.Position);
    if (c.Position) {
      EXPECT_EQ(rec, c.RecNo);
      EXPECT_EQ(h.RecNo(), c.RecNo);
      EXPECT_EQ(field, c.Field ? c.Field : 5);
    } else {
      EXPECT_EQ(h.RecNo(), 1u);  // back where it was
    }
  }
  h.SearchOptions = 1;
  std::vector<std::array<int, 3>> status;
  h.StatusHook = [&](int a, int b, int c) { status.push_back({a, b, c}); };
  int field = 0;
  uint32_t rec = 2;  // continue after record 2
  EXPECT_EQ(h.SearchText("overleg", field, 0, rec), 27);  // in the memo of record 3
  EXPECT_EQ(rec, 3u);
  EXPECT_EQ(field, 8);
  EXPECT_EQ(status, (std::vector<std::array<int, 3>>{{-1, 21, 3}, {21, 3, 0}, {0, 3, 0}}));
  field = 0;
  rec = 0;
  EXPECT_EQ(h.SearchText("overleg", field, 1, rec), 0);  // stops after record 1
  field = 99;
  EXPECT_EQ(h.SearchText("overleg", field, 0, rec), 0);
}

TEST(DbfHandler, SearchTextVisitsDeletedRecordsOnlyWithoutBit3) {
  THandlerTable t({{"A", "", "a", 1}, {"A", "", "b", 1, true}});
  TDbfHandler h;
  t.Open(h);
  h.GotoRecord(2);
  int field = 3;
  uint32_t rec = 0;
  h.SearchOptions = 1;
  EXPECT_EQ(h.SearchText("b", field, 0, rec), 1);
  h.SearchOptions = 1 | 8;
  h.SetFilterExpression("VALUE = 'a'", false, false);
  h.SetFilterActive(true);
  rec = 0;
  EXPECT_EQ(h.SearchText("b", field, 0, rec), 0);
  h.SearchOptions = 1 | 16;  // in tag order, from the first key
  h.SetFilterActive(false);
  h.SelectMasterTag("NUMD", false);
  rec = 0;
  EXPECT_EQ(h.SearchText("a", field, 0, rec), 1);
  EXPECT_EQ(rec, 1u);
}

TEST(DbfHandler, IndexFilesTagsAndMaintenance) {
  THandlerTable t({{"A", "", "c", 1}, {"A", "", "a", 2, true}, {"A", "", "b", 3}});
  DBFObject h;
  t.Open(h);
  std::vector<std::array<int, 3>> status;
  h.OnStatus = [&](int a, int b, int c) { status.push_back({a, b, c}); };
  EXPECT_EQ(h.TagCount(), 3);
  EXPECT_EQ(h.TagAt(1)->Name(), "TMV");
  EXPECT_EQ(h.TagAt(1)->KeyExpression(), "TYPE+MEDEWERKER+VALUE");
  try {
    h.SelectMasterTag(" nope ", false);
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_STREQ(e.what(), "Cannot find index tag NOPE");
  }
  try {
    h.OpenIndexFiles("MISSING.CDX", "");
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()),
              "File " + t.Dir.filePath("MISSING.CDX").toStdString() + " could not be found");
  }
  std::string bad = t.Dir.filePath("BAD.CDX").toStdString();
  ASSERT_TRUE(hbtest::WriteFile(QString::fromStdString(bad), QByteArray(2048, '\x7f')));
  try {
    h.OpenIndexFiles("BAD.CDX", "");
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Index file " + bad + " is corrupted", 0), 0u) << e.what();
  }

  // Keep position: record 3 stays current in the new order.
  t.Open(h);
  h.GotoRecord(3);
  h.SelectMasterTag("VAL", true);
  EXPECT_EQ(h.RecNo(), 3u);
  h.SelectMasterTag("NUMD", false);
  EXPECT_EQ(h.RecNo(), 3u);  // the highest NUM first

  // A new tag: the index files are closed afterwards.
  status.clear();
  h.CreateIndexTag("STAM.CDX", "UVAL", 0, true, "", "UPPER(VALUE)");
  EXPECT_EQ(h.IndexFileCount(), 0);
  EXPECT_FALSE(h.Find("A"));
  ASSERT_FALSE(status.empty());
  EXPECT_EQ(status.front(), (std::array<int, 3>{-1, 1, 3}));
  EXPECT_THROW(h.CreateIndexTag("STAM.CDX", "", 0, true, "", "VALUE"), EDbfError);

  h.OpenIndexFiles("\"STAM.CDX\"", "UVAL");
  EXPECT_EQ(h.TagCount(), 4);
  EXPECT_EQ(WalkForward(h), (std::vector<uint32_t>{2, 3, 1}));

  // Copy of the visible records in the current order.
  h.IncludeDeleted = false;
  status.clear();
  std::string copy = t.Dir.filePath("COPY.DBF").toStdString();
  h.GotoRecord(3);
  h.WriteMemo(8, "memo of b");
  h.RewriteRecord(3);
  h.CopyTable(copy);
  EXPECT_EQ(h.RecNo(), 3u);
  EXPECT_EQ(status.front(), (std::array<int, 3>{-1, 6, 3}));
  EXPECT_EQ(status.back(), (std::array<int, 3>{0, 0, 0}));
  {
    TDbfFields c;
    c.Open(copy, false, false);
    ASSERT_EQ(c.RecordCount(), 2u);
    c.GotoRecord(1);
    EXPECT_EQ(c.ReadTextByName("VALUE").substr(0, 1), "b");
    EXPECT_EQ(c.ReadMemoText(8), "memo of b");
  }
  // Positioning beyond the table stands past its end with a blank buffer.
  h.GotoRecord(99);
  EXPECT_TRUE(h.Eof());
  EXPECT_EQ(h.ReadRawByName("VALUE"), std::string(20, ' '));

  // Pack drops the deleted record and rebuilds the tags.
  h.Pack();
  EXPECT_EQ(h.RecordCount(), 2u);
  EXPECT_EQ(h.MasterTagName(), "UVAL");
  EXPECT_EQ(WalkForward(h), (std::vector<uint32_t>{2, 1}));
  EXPECT_EQ(h.FindInTag("VAL", "c"), 1);
}

TEST(DbfHandler, AtMost63IndexFiles) {
  THandlerTable t({{"A", "", "a", 1}});
  std::string list;
  for (int i = 1; i <= 64; ++i) {
    std::string name = "I" + std::to_string(i) + ".CDX";
    std::filesystem::copy_file(t.Cdx, t.Dir.filePath(QString::fromStdString(name)).toStdString());
    list += name + (i < 64 ? "," : "");
  }
  TDbfHandler h;
  h.Open(t.Dbf, false, true);
  EXPECT_THROW(h.OpenIndexFiles(list, ""), EDbfError);
  list = list.substr(0, list.rfind(','));
  h.OpenIndexFiles(list + ",I1.CDX", "VAL");  // a file already open is skipped
  EXPECT_EQ(h.IndexFileCount(), 63);
  EXPECT_EQ(h.TagCount(), 63 * 3);
}

TEST(DbfHandler, HugeSetPagesAndNeighbours) {
  THugeSet s;
  EXPECT_EQ(s.NextSet(1), 0u);
  s.Set(5, true);
  s.Set(300000, true);
  s.Set(300001, false);
  EXPECT_EQ(s.PageCount(), 2u);  // pages 0 and 2; page 1 never written
  EXPECT_EQ(s.Highest(), 300001u);
  EXPECT_TRUE(s.Test(300000));
  EXPECT_FALSE(s.Test(400000));
  EXPECT_EQ(s.NextSet(6), 300000u);
  EXPECT_EQ(s.PrevSet(299999), 5u);
  EXPECT_EQ(s.PrevSet(4), 0u);
  EXPECT_EQ(s.NextSet(300001), 0u);
}

// A tag on UPPER(...) is searched with its own key expression: lower-case values find their
// records case-insensitively through it, and a case-sensitive search of the same values scans.
TEST(DbfHandler, LocateThroughAnUpperTagUsesItsKeyExpression) {
  THandlerTable t({{"K", "Jansen", "x", 1}, {"K", "jansen", "y", 2}, {"K", "Pietersen", "z", 3}});
  {
    TDbfHandler h;
    t.Open(h);
    h.CreateIndexTag(t.Cdx, "UMV", 0, true, "", "UPPER(MEDEWERKER+VALUE)");
  }
  TDbfHandler h;
  t.Open(h);
  h.SelectMasterTag("UMV", false);
  struct {
    const char* Medew;
    const char* Value;
    bool Partial, CaseInsensitive;
    uint32_t RecNo;  // 0: not found
  } cases[] = {
      {"JANSEN", "Y", false, true, 2},   {"jansen", "y", false, true, 2},
      {"jansen", "", false, false, 2},   {"jansen", "x", false, false, 0},
      {"pieters", "", true, true, 3},    {"JANSEN", "X", false, false, 0},
      {"Jansen", "x", false, false, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Medew) + "/" + c.Value);
    std::vector<TDbVariant> values = {TDbVariant::Text(c.Medew)};
    std::string fields = "MEDEWERKER";
    if (*c.Value) {
      values.push_back(TDbVariant::Text(c.Value));
      fields += ";VALUE";
    }
    bool found = h.LocateRecord(fields, values, 0, c.Partial, c.CaseInsensitive);
    EXPECT_EQ(found, c.RecNo != 0);
    if (found) EXPECT_EQ(h.RecNo(), c.RecNo);
    EXPECT_EQ(h.MasterTagName(), "UMV");
  }
}

// A pack that the shared open refuses leaves the order and its index files as they were.
TEST(DbfHandler, RefusedPackKeepsTheIndexFilesOpen) {
  THandlerTable t({{"K", "M1", "b", 1}, {"K", "M2", "a", 2}});
  TDbfHandler h;
  t.Open(h, true);
  h.SelectMasterTag("VAL", false);
  EXPECT_THROW(h.Pack(), EDbfError);
  EXPECT_EQ(h.IndexFileCount(), 1);
  EXPECT_EQ(h.MasterTagName(), "VAL");
  EXPECT_EQ(WalkForward(h), (std::vector<uint32_t>{2, 1}));
}
