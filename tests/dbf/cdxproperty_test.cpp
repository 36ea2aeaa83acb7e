// Random tables and random writes: after every batch, walking each tag forward and backward
// must give exactly the keys computed from the table, in order; a reindex must give the
// same walk. Also a tag of a million keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <random>
#include <set>

#include "cdxmemtable.h"
#include "dbf/cdxfile.h"
#include "dbf/cdxlayout.h"
#include "dbf/indexkey.h"

using namespace hb;
using hbtest::TMemRecord;
using hbtest::TMemTable;

namespace {

std::string Pad(const std::string& s, size_t n) {
  return (s + std::string(n, ' ')).substr(0, n);
}

using TEntry = std::pair<std::string, uint32_t>;

struct TEntryLess {
  bool operator()(const TEntry& a, const TEntry& b) const {
    return CompareKeyEntries(a.first, a.second, b.first, b.second) < 0;
  }
};

struct TTagSpec {
  const char* Name;
  const char* Key;
  const char* For;
  bool Unique, Descending;
};

// The tags of the random table: character, numeric and date keys, FOR expressions, unique
// and descending tags, and keys of the longest length a tag can have.
const TTagSpec kTags[] = {
    {"NAME", "NAME", "", false, false},         {"NUMD", "NUM", "", false, true},
    {"DATEP", "DATE", "NUM > 0", false, false}, {"UNAME", "NAME", "", true, false},
    {"LONGK", "LONG", "", false, false},        {"UNUMD", "NUM", "NUM > 0", true, true},
};

// Checks the tree of a tag as another reader would see it: the sibling links of every
// level run left to right without gaps, only the root has its root bit, and every interior
// entry is at least the highest entry of its child and below the entries of the next child.
void CheckTree(std::vector<uint8_t>& bytes, TCdxTag& tag) {
  char fill = KeyFill(tag.KeyType());
  int kl = tag.KeyLength();
  auto read = [&](uint32_t offset) {
    TCdxNodeImage node;
    EXPECT_EQ(DecodeNode(&bytes[offset], kl, fill, bytes.size(), node), "");
    return node;
  };
  std::vector<uint32_t> level{tag.Header().Root};
  bool top = true;
  while (!level.empty()) {
    std::vector<uint32_t> below;
    std::optional<TEntry> prevHigh;
    for (size_t i = 0; i < level.size(); ++i) {
      TCdxNodeImage node = read(level[i]);
      EXPECT_EQ(node.Root, top);
      EXPECT_EQ(node.Left, i == 0 ? -1 : static_cast<int32_t>(level[i - 1]));
      EXPECT_EQ(node.Right, i + 1 == level.size() ? -1 : static_cast<int32_t>(level[i + 1]));
      if (node.Leaf) continue;
      for (const TCdxEntry& e : node.Entries) {
        TCdxNodeImage child = read(e.Child);
        if (!child.Entries.empty()) {
          const TCdxEntry& hi = child.Entries.back();
          const TCdxEntry& lo = child.Entries.front();
          EXPECT_GE(CompareKeyEntries(e.Key, e.RecNo, hi.Key, hi.RecNo), 0);
          if (prevHigh)
            EXPECT_LT(CompareKeyEntries(prevHigh->first, prevHigh->second, lo.Key, lo.RecNo), 0);
        }
        prevHigh = TEntry{e.Key, e.RecNo};
        below.push_back(e.Child);
      }
    }
    level = below;
    top = false;
  }
}

class TRandomTable {
 public:
  TMemTable Table;
  TMemoryIndexStorage* Store = nullptr;
  std::unique_ptr<TCdxFile> File;
  std::mt19937 Rng;
  // Unique tags depend on the order of writes (the first record keeps a key), so they are
  // followed by a model that applies the same rules.
  std::map<std::string, std::set<TEntry, TEntryLess>> UniqueModel;

  explicit TRandomTable(unsigned seed) : Rng(seed) {
    Table.Expressions["NAME"] = [](const TMemRecord& r) {
      return TMemTable::Text(Pad(r.Name, 10));
    };
    Table.Expressions["LONG"] = [](const TMemRecord& r) {
      return TMemTable::Text(Pad(r.Name, 200) + "#" + std::string(38, 'x'));
    };
    Table.Expressions["NUM"] = [](const TMemRecord& r) { return TMemTable::Number(r.Num); };
    Table.Expressions["DATE"] = [](const TMemRecord& r) { return TMemTable::Number(r.Date, true); };
    Table.Expressions["NUM > 0"] = [](const TMemRecord& r) {
      return TMemTable::Logical(r.Num > 0);
    };
  }

  std::string RandomName() {
    static const char kLetters[] = {'A', 'B', 'C', 'a', ' ', '\xE9'};
    int len = std::uniform_int_distribution<int>(0, 7)(Rng);
    std::string s;
    for (int i = 0; i < len; ++i) s += kLetters[std::uniform_int_distribution<int>(0, 5)(Rng)];
    return s;
  }
  TMemRecord RandomRecord() {
    TMemRecord r;
    r.Name = RandomName();
    int n = std::uniform_int_distribution<int>(-40, 40)(Rng);
    r.Num = n % 7 == 0 ? n / 4.0 : n;
    int d = std::uniform_int_distribution<int>(0, 60)(Rng);
    r.Date = d == 0 ? 0 : 2450000 + d * 13;
    return r;
  }

  std::optional<TEntry> KeyOf(const TTagSpec& t, const TMemRecord& r, uint32_t recNo) {
    if (std::string(t.For) == "NUM > 0" && !(r.Num > 0)) return std::nullopt;
    TIndexValue v = Table.Expressions[t.Key](r);
    TIndexKeyData k = v.Kind == TIndexValueKind::Text   ? TIndexKeyData::FromText(v.Text)
                      : v.Kind == TIndexValueKind::Date ? TIndexKeyData::FromDate(v.Number)
                                                        : TIndexKeyData::FromNumber(v.Number);
    return TEntry{k.Key, recNo};
  }

  // Expected entries of a tag in tree (ascending) order.
  std::vector<TEntry> Expected(const TTagSpec& t, bool fresh) {
    if (t.Unique && !fresh) {
      const auto& m = UniqueModel[t.Name];
      return {m.begin(), m.end()};
    }
    std::vector<TEntry> all;
    for (uint32_t i = 0; i < Table.Records.size(); ++i)
      if (auto e = KeyOf(t, Table.Records[i], i + 1)) all.push_back(*e);
    std::sort(all.begin(), all.end(), TEntryLess());
    if (t.Unique) {
      // The first record of each key: the lowest record number, first after sorting.
      std::vector<TEntry> firsts;
      for (const TEntry& e : all)
        if (firsts.empty() || firsts.back().first != e.first) firsts.push_back(e);
      return firsts;
    }
    return all;
  }

  void ResetModels() {
    for (const TTagSpec& t : kTags)
      if (t.Unique) {
        auto v = Expected(t, true);
        UniqueModel[t.Name] = {v.begin(), v.end()};
      }
  }

  bool ModelHasKey(const std::set<TEntry, TEntryLess>& m, const std::string& key) {
    auto it = m.lower_bound(TEntry{key, 0});
    return it != m.end() && it->first == key;
  }

  void ModelAppend(uint32_t recNo, const TMemRecord& r) {
    for (const TTagSpec& t : kTags) {
      if (!t.Unique) continue;
      auto& m = UniqueModel[t.Name];
      if (auto e = KeyOf(t, r, recNo); e && !ModelHasKey(m, e->first)) m.insert(*e);
    }
  }

  void ModelRewrite(uint32_t recNo, const TMemRecord& before, const TMemRecord& now) {
    for (const TTagSpec& t : kTags) {
      if (!t.Unique) continue;
      auto& m = UniqueModel[t.Name];
      TTagSpec noFor = t;
      noFor.For = "";
      TEntry oldKey = *KeyOf(noFor, before, recNo), newKey = *KeyOf(noFor, now, recNo);
      bool holds = KeyOf(t, now, recNo).has_value();
      bool changed = oldKey.first != newKey.first;
      bool found = m.count(oldKey) > 0;
      if ((changed || !holds) && found) m.erase(oldKey);
      bool present = m.count(newKey) > 0;
      if (holds && !present && !ModelHasKey(m, newKey.first)) m.insert(newKey);
    }
  }

  void Check(bool fresh, const char* when) {
    for (const TTagSpec& spec : kTags) {
      SCOPED_TRACE(std::string(when) + " tag " + spec.Name);
      std::vector<TEntry> want = Expected(spec, fresh);
      if (spec.Descending) std::reverse(want.begin(), want.end());
      TIndexTag* t = File->FindTag(spec.Name);
      ASSERT_NE(t, nullptr);
      std::vector<TEntry> forward, backward;
      for (uint32_t r = t->First(); r; r = t->Next()) forward.push_back({t->CurrentKey().Key, r});
      EXPECT_TRUE(t->Eof());
      for (uint32_t r = t->Last(); r; r = t->Prev()) backward.push_back({t->CurrentKey().Key, r});
      EXPECT_TRUE(t->Bof());
      std::reverse(backward.begin(), backward.end());
      CheckTree(Store->Bytes(), *File->FindCdxTag(spec.Name));
      ASSERT_EQ(forward.size(), want.size());
      EXPECT_TRUE(forward == want);
      EXPECT_TRUE(backward == want);
      if (want.empty()) continue;
      {
        // Seeking a key of the tag finds its first entry in tree order; a prefix of a
        // character key finds the first key that begins with it.
        std::vector<TEntry> asc = want;
        if (spec.Descending) std::reverse(asc.begin(), asc.end());
        const std::string& key = asc[Rng() % asc.size()].first;
        auto first = std::lower_bound(asc.begin(), asc.end(), TEntry{key, 0}, TEntryLess());
        EXPECT_EQ(t->Seek(TIndexKeyData(key, t->KeyType()), false), first->second);
        if (t->KeyType() == TIndexKeyType::Character && key.size() > 1) {
          // (a search key loses its trailing spaces)
          std::string prefix = TrimKey(key.substr(0, key.size() / 2), ' ');
          auto p = std::lower_bound(asc.begin(), asc.end(), TEntry{prefix, 0}, TEntryLess());
          uint32_t want = p->first == prefix || p->first.rfind(prefix, 0) == 0 ? p->second : 0;
          EXPECT_EQ(t->Seek(TIndexKeyData(prefix, t->KeyType()), true), want);
        }
      }
      // A key range between two keys of the tag (or a prefix of one) admits exactly the
      // keys between them, in both directions.
      std::string a = want[Rng() % want.size()].first, b = want[Rng() % want.size()].first;
      if (CompareKeyBytes(a, b) > 0) std::swap(a, b);
      if (Rng() % 2 && !b.empty() && spec.Key != std::string("NUM")) b.pop_back();
      std::vector<TEntry> inRange;
      for (const TEntry& e : want)
        if ((a.empty() || CompareKeyBytes(e.first, a) >= 0) &&
            (b.empty() || CompareKeyBytes(e.first, b) <= 0))  // an empty bound is no bound
          inRange.push_back(e);
      TIndexKeyType type = t->KeyType();
      t->SetRange(TIndexKeyData(a, type), TIndexKeyData(b, type));
      std::vector<TEntry> fwd, bwd;
      for (uint32_t r = t->First(); r; r = t->Next()) fwd.push_back({t->CurrentKey().Key, r});
      for (uint32_t r = t->Last(); r; r = t->Prev()) bwd.push_back({t->CurrentKey().Key, r});
      std::reverse(bwd.begin(), bwd.end());
      t->ClearRange();
      EXPECT_TRUE(fwd == inRange) << fwd.size() << " " << inRange.size();
      EXPECT_TRUE(bwd == inRange) << bwd.size() << " " << inRange.size();
    }
  }
};

void RunRandom(unsigned seed, int initial, int batches, int perBatch) {
  TRandomTable t(seed);
  for (int i = 0; i < initial; ++i) t.Table.Records.push_back(t.RandomRecord());
  auto s = std::make_unique<TMemoryIndexStorage>("/data/RANDOM.CDX");
  t.Store = s.get();
  t.File = std::make_unique<TCdxFile>(std::move(s), &t.Table);
  for (const TTagSpec& spec : kTags)
    t.File->CreateTag(spec.Name, spec.Key, spec.For, spec.Unique, spec.Descending);
  t.ResetModels();
  t.Check(false, "after the build");

  for (int b = 0; b < batches; ++b) {
    // A walk in progress on one tag continues correctly across writes.
    TIndexTag* walking = t.File->FindTag("NAME");
    walking->First();
    for (int op = 0; op < perBatch; ++op) {
      int kind = std::uniform_int_distribution<int>(0, 9)(t.Rng);
      uint32_t count = t.Table.RecordCount();
      if (kind < 4 || count == 0) {
        TMemRecord r = t.RandomRecord();
        uint32_t recNo = t.Table.Append(*t.File, r);
        t.ModelAppend(recNo, r);
      } else {
        uint32_t recNo = std::uniform_int_distribution<uint32_t>(1, count)(t.Rng);
        TMemRecord before = t.Table.Records[recNo - 1];
        TMemRecord now = before;
        if (kind < 8) {
          now = t.RandomRecord();
          now.Deleted = before.Deleted;
        } else {
          now.Deleted = !before.Deleted;  // deletion keeps the keys
        }
        t.Table.Rewrite(*t.File, recNo, now);
        t.ModelRewrite(recNo, before, now);
      }
      if (op % 50 == 0) walking->Next();
    }
    t.Check(false, ("batch " + std::to_string(b)).c_str());
    if (testing::Test::HasFatalFailure()) return;
  }
  std::vector<uint8_t> before = t.Store->Bytes();
  t.File->Reindex();
  EXPECT_LE(t.Store->Bytes().size(), before.size());
  t.Check(true, "after the reindex");
  // What was written can be read by another handle.
  auto s2 = std::make_unique<TMemoryIndexStorage>("/data/RANDOM.CDX");
  s2->Bytes() = t.Store->Bytes();
  t.Store = s2.get();
  t.File = std::make_unique<TCdxFile>(std::move(s2), &t.Table);
  t.Check(true, "reopened");
}

}  // namespace

TEST(CdxProperty, RandomWritesKeepEveryTagInOrder) {
  struct TCase {
    unsigned Seed;
    int Initial;
  } cases[] = {{1, 0}, {2, 40}, {3, 700}};
  for (const TCase& c : cases) {
    SCOPED_TRACE("seed " + std::to_string(c.Seed));
    RunRandom(c.Seed, c.Initial, 8, 400);
    if (HasFatalFailure()) return;
  }
}

TEST(CdxProperty, MillionKeysBuildAndWalk) {
  TMemTable table;
  table.Expressions["NUM"] = [](const TMemRecord& r) { return TMemTable::Number(r.Num); };
  const uint32_t n = 1000000;
  table.Records.resize(n);
  for (uint32_t i = 0; i < n; ++i)
    table.Records[i].Num = static_cast<double>((i * 7919ull) % n) - 500000;
  TCdxFile file(std::make_unique<TMemoryIndexStorage>("/data/BIG.CDX"), &table);
  file.CreateTag("NUM", "NUM", "", false, false);
  TIndexTag* t = file.FindTag("NUM");
  uint32_t count = 0;
  double prev = -1e300;
  bool ordered = true;
  for (uint32_t r = t->First(); r; r = t->Next()) {
    double v = t->CurrentKey().Number();
    ordered = ordered && v > prev && v == table.Records[r - 1].Num;
    prev = v;
    ++count;
  }
  EXPECT_EQ(count, n);
  EXPECT_TRUE(ordered);
  auto where = std::find_if(table.Records.begin(), table.Records.end(),
                            [](const TMemRecord& r) { return r.Num == 123; });
  EXPECT_EQ(t->Seek(TIndexKeyData::FromNumber(123), false), where - table.Records.begin() + 1);
  EXPECT_EQ(t->Seek(TIndexKeyData::FromNumber(123.5), false), 0u);
}
