// Index tags over stored record bytes with keys from the expression language.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <random>

#include "dbf/cdxfile.h"
#include "dbf/indexexprsource.h"

using namespace hb;

namespace {

// A table of records NAME C(10), NUM N(8,2), BORN D(8) held as stored bytes.
struct TByteTable {
  static constexpr int kLen = 27;
  std::vector<TExpFieldDef> Defs{
      {"NAME", 'C', 0, 10, 0}, {"NUM", 'N', 0, 8, 2}, {"BORN", 'D', 0, 8, 0}};
  TExpRecordLink Link{"PEOPLE", Defs, "/data/PEOPLE.DBF"};
  std::vector<std::string> Rows;
  std::array<char, kLen + 1> Buffer{}, Before{};
  int Marked = 0;
  TIndexRecordSource Source{
      Link,
      Buffer.data(),
      Before.data(),
      {[this] { return static_cast<uint32_t>(Rows.size()); },
       [this](uint32_t r) { Load(Rows.at(r - 1)); }, nullptr, [this] { ++Marked; }}};

  static std::string Row(const std::string& name, double num, const std::string& born) {
    char n[16];
    std::snprintf(n, sizeof n, "%8.2f", num);
    return " " + (name + std::string(10, ' ')).substr(0, 10) + n + (born + "        ").substr(0, 8);
  }
  void Load(const std::string& row) {
    std::copy(row.begin(), row.end(), Buffer.begin());
    std::copy(row.begin(), row.end(), Before.begin());
  }
  void Append(TCdxFile& f, const std::string& row) {
    Rows.push_back(row);
    std::copy(row.begin(), row.end(), Buffer.begin());
    f.RecordAppended(static_cast<uint32_t>(Rows.size()));
    Before = Buffer;
  }
  void Rewrite(TCdxFile& f, uint32_t recNo, const std::string& row) {
    Load(Rows.at(recNo - 1));
    Rows[recNo - 1] = row;
    std::copy(row.begin(), row.end(), Buffer.begin());
    f.RecordRewritten(recNo);
    Before = Buffer;
  }
};

std::vector<uint32_t> Walk(TIndexTag* t) {
  std::vector<uint32_t> out;
  for (uint32_t r = t->First(); r; r = t->Next()) out.push_back(r);
  return out;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

TEST(CdxExpressions, TagsFollowRandomWritesOfStoredRecords) {
  TByteTable t;
  std::mt19937 rng(7);
  auto randomRow = [&] {
    static const char* names[] = {"jan", "Jan", "piet", "Klaas", "", "an", "anna", "ANNA b"};
    static const char* dates[] = {"", "20040112", "19991231", "20040113", "20000101"};
    return TByteTable::Row(names[rng() % 8], static_cast<int>(rng() % 41) - 20 + (rng() % 2) * 0.25,
                           dates[rng() % 5]);
  };
  for (int i = 0; i < 150; ++i) t.Rows.push_back(randomRow());
  TCdxFile f(std::make_unique<TMemoryIndexStorage>("/data/PEOPLE.CDX"), &t.Source);
  EXPECT_EQ(t.Marked, 1);  // the table's own compound index
  f.CreateTag("UNAME", "UPPER(NAME)", "NUM > 0", false, false);
  f.CreateTag("NUM", "NUM", "", false, true);
  f.CreateTag("BORN", "BORN", "", false, false);
  f.CreateTag("NAMEBORN", "NAME+DTOS(BORN)", "", true, false);
  EXPECT_EQ(f.FindTag("UNAME")->KeyType(), TIndexKeyType::Character);
  EXPECT_EQ(f.FindTag("NUM")->KeyType(), TIndexKeyType::Numeric);
  EXPECT_EQ(f.FindTag("BORN")->KeyType(), TIndexKeyType::Date);
  EXPECT_EQ(f.FindTag("NAMEBORN")->KeyLength(), 18);

  auto expected = [&](const char* tag) {
    std::vector<uint32_t> recs;
    auto num = [&](uint32_t r) { return std::stod(t.Rows[r - 1].substr(11, 8)); };
    auto name = [&](uint32_t r) { return t.Rows[r - 1].substr(1, 10); };
    auto born = [&](uint32_t r) { return t.Rows[r - 1].substr(19, 8); };
    for (uint32_t r = 1; r <= t.Rows.size(); ++r)
      if (std::string(tag) != "UNAME" || num(r) > 0) recs.push_back(r);
    auto key = [&](uint32_t r) -> std::string {
      std::string k = tag == std::string("UNAME") ? Upper(name(r)) : name(r) + born(r);
      return k.substr(0, k.find_last_not_of(' ') + 1);
    };
    std::stable_sort(recs.begin(), recs.end(), [&](uint32_t a, uint32_t b) {
      if (tag == std::string("NUM")) return num(a) > num(b) || (num(a) == num(b) && a > b);
      if (tag == std::string("BORN")) return born(a) < born(b);  // blank sorts first, as 0
      return key(a) < key(b);
    });
    if (tag == std::string("NAMEBORN")) {
      std::vector<uint32_t> firsts;  // unique: each key once
      for (uint32_t r : recs)
        if (firsts.empty() || key(firsts.back()) != key(r)) firsts.push_back(r);
      recs = firsts;
    }
    return recs;
  };
  auto checkAll = [&](const char* when) {
    for (const char* tag : {"UNAME", "NUM", "BORN"})
      EXPECT_EQ(Walk(f.FindTag(tag)), expected(tag)) << when << " " << tag;
  };
  checkAll("built");
  EXPECT_EQ(Walk(f.FindTag("NAMEBORN")), expected("NAMEBORN"));
  for (int i = 0; i < 600; ++i) {
    if (rng() % 3 == 0)
      t.Append(f, randomRow());
    else
      t.Rewrite(f, 1 + rng() % t.Rows.size(), randomRow());
  }
  checkAll("after writes");
  f.Reindex();
  checkAll("after reindex");
  EXPECT_EQ(Walk(f.FindTag("NAMEBORN")), expected("NAMEBORN"));

  TIndexTag* uname = f.FindTag("UNAME");
  uint32_t r = uname->Seek(TIndexKeyData::FromText("ANN"), true);
  ASSERT_NE(r, 0u);
  EXPECT_EQ(Upper(t.Rows[r - 1].substr(1, 3)), "ANN");
}

TEST(CdxExpressions, ExpressionErrorsLeaveTheFileAsItWas) {
  TByteTable t;
  t.Rows.push_back(TByteTable::Row("a", 1, ""));
  auto store = std::make_unique<TMemoryIndexStorage>("/data/PEOPLE.CDX");
  TMemoryIndexStorage* s = store.get();
  TCdxFile f(std::move(store), &t.Source);
  std::vector<uint8_t> before = s->Bytes();
  EXPECT_THROW(f.CreateTag("BAD", "NOSUCHFIELD", "", false, false), std::exception);
  EXPECT_THROW(f.CreateTag("BAD", "NAME", "NUM +", false, false), std::exception);
  EXPECT_EQ(s->Bytes(), before);
  EXPECT_EQ(f.TagCount(), 0);
}
