// Writes the seed corpora of the fuzz targets with the engine's own writers:
//
//   make_corpus OUTDIR      fills OUTDIR/dbf_table, memo, cdx_walk, cdx_seek and expr
//
// Seeds are small valid files (and, for the index targets, the files as the engine left
// them after updates), so that the fuzzer starts from every layout the engine writes. The
// header clock is fixed, so the same engine writes the same bytes.
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "dbf/cdxfile.h"
#include "dbf/dbfhandler.h"
#include "dbf/memofile.h"
#include "fuzzcommon.h"

namespace fs = std::filesystem;
using hbfuzz::ReadBytes;
using hbfuzz::TempPath;

namespace {

std::string gOut;

void Save(const std::string& target, const std::string& name, const std::vector<uint8_t>& bytes) {
  fs::create_directories(gOut + "/" + target);
  std::string path = gOut + "/" + target + "/" + name;
  hbfuzz::WriteBytes(path, bytes.data(), bytes.size());
}

std::vector<uint8_t> Cat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// ---- tables

void Tables() {
  std::string p = TempPath("KEY.DBF");
  hbfuzz::BuildKeyTable(p, 8);
  std::vector<uint8_t> key = ReadBytes(p);
  Save("dbf_table", "keytable", key);
  Save("dbf_table", "keytable_write", Cat(key, {0x01}));
  {
    hb::TDbfFields t;
    t.Open(p, false, true);
    t.GotoRecord(2);
    t.MarkDeleted();
    t.GotoRecord(4);
    t.MarkDeleted();
  }
  Save("dbf_table", "deleted", ReadBytes(p));

  p = TempPath("WIDE.DBF");
  {
    hb::TDbfBuilder b(p);
    b.AddField("LONGTEXT", 'C', 0, 300);
    b.AddField("AMOUNT", 'F', 3, 12);
    b.AddField("WHEN", 'D', 0, 8);
    b.Finish();
    hb::TDbfFields t;
    t.Open(p, false, true);
    for (int i = 0; i < 3; ++i) {
      t.BlankRecord();
      t.WriteText(1, std::string(static_cast<size_t>(100 * i + 5), char('x' + i)));
      t.WriteNumber(2, -1.5 * i);
      t.WriteText(3, i == 1 ? "" : "12-01-2004");
      t.AppendRecord();
    }
  }
  Save("dbf_table", "wide_dbase3", ReadBytes(p));

  p = TempPath("MEMO.DBF");
  {
    hb::TFoxBuilder b(p);
    b.AddField("ID", 'N', 0, 4);
    b.AddField("NOTE", 'M', 0, 10);
    b.AddField("OK", 'L', 0, 1);
    b.Finish();
    hb::TDbfFields t;
    t.Open(p, false, true);
    t.BlankRecord();
    t.WriteNumber(1, 7);
    t.WriteMemo(2, "memo text");
    t.WriteLogical(3, true);
    t.AppendRecord();
  }
  Save("dbf_table", "memo_fox", ReadBytes(p));

  p = TempPath("EMPTY.DBF");
  {
    hb::TDb4Builder b(p);
    b.AddField("A", 'C', 0, 1);
    b.AddField("B", 'N', 0, 3);
    b.Finish();
  }
  Save("dbf_table", "empty_dbase4", ReadBytes(p));
}

// ---- memo files: [layout][four block bytes][memo file]

void Memos() {
  const hb::TDbfTypes flavours[] = {hb::TDbfTypes::FoxPro2, hb::TDbfTypes::DBaseIII,
                                    hb::TDbfTypes::DBaseIV};
  const char* names[] = {"fox", "dbase3", "dbase4"};
  for (int l = 0; l < 3; ++l) {
    std::string p = TempPath(std::string("MEMO") + names[l] + ".DBF");
    auto b = hb::MakeDbfBuilder(p, flavours[l]);
    b->AddField("NAME", 'C', 0, 8);
    b->AddField("TEXT", 'M', 0, 10);
    b->Finish();
    std::vector<uint8_t> blocks;
    std::string memoPath;
    {
      hb::TDbfFields t;
      t.Open(p, false, true);
      const size_t lengths[] = {100, 0, 700, 30};
      for (size_t n : lengths) {
        t.BlankRecord();
        t.WriteMemo(2, std::string(n, 'm'));
        t.AppendRecord();
      }
      // Rewritten in place, then moved to the end.
      t.GotoRecord(1);
      t.WriteMemo(2, std::string(50, 'r'));
      t.RewriteRecord(1);
      t.GotoRecord(4);
      t.WriteMemo(2, std::string(600, 'e'));
      t.RewriteRecord(4);
      for (uint32_t r = 1; r <= 4; ++r) {
        t.GotoRecord(r);
        blocks.push_back(static_cast<uint8_t>(t.MemoBlock(2)));
      }
      memoPath = t.Memo()->FilePath();
    }
    std::vector<uint8_t> seed = {static_cast<uint8_t>(l)};
    seed = Cat(Cat(seed, blocks), ReadBytes(memoPath));
    Save("memo", names[l], seed);
  }
}

// ---- index files

std::vector<uint8_t> KeyIndex(const std::string& name, int records,
                              void (*tags)(hb::TDbfHandler&, const std::string&)) {
  std::string p = TempPath(name + ".DBF");
  std::string cdx = TempPath(name + ".CDX");
  hbfuzz::BuildKeyTable(p, records);
  hb::TDbfHandler h;
  h.Open(p, false, true);
  tags(h, cdx);
  return ReadBytes(cdx);
}

void AllTags(hb::TDbfHandler& h, const std::string& cdx) {
  h.CreateIndexTag(cdx, "NAME", 0, true, "", "NAME");
  h.CreateIndexTag(cdx, "UNAME", 0, true, "", "UPPER(NAME)+CODE");
  h.CreateIndexTag(cdx, "NUM", 0, true, "", "NUM");
  h.CreateIndexTag(cdx, "DAT", 0, true, "", "DAT");
  h.CreateIndexTag(cdx, "CODE", 0, false, "", "CODE");
  h.CreateIndexTag(cdx, "DESC", 1, true, "", "NAME");
  h.CreateIndexTag(cdx, "FORFLAG", 0, true, "FLAG", "CODE+NAME");
}

void TwoTags(hb::TDbfHandler& h, const std::string& cdx) {
  h.CreateIndexTag(cdx, "NAME", 0, true, "", "NAME");
  h.CreateIndexTag(cdx, "NUM", 0, true, "", "NUM");
}

// Tags built small, then grown record by record: leaves as the updates write them,
// with splits.
void Grown(hb::TDbfHandler& h, const std::string& cdx) {
  h.CreateIndexTag(cdx, "NAME", 0, true, "", "NAME");
  h.CreateIndexTag(cdx, "DAT", 1, true, "", "DAT");
  h.OpenIndexFiles(cdx, "NAME");
  for (int i = 8; i < 120; ++i) {
    hbfuzz::FillKeyRecord(h, i);
    h.AppendRecord();
  }
  h.GotoRecord(3);
  h.WriteTextByName("NAME", "CHANGED");
  h.RewriteRecord(3);
  h.CloseIndexFiles();
}

void Indexes() {
  std::vector<uint8_t> all = KeyIndex("IDXALL", 8, AllTags);
  std::vector<uint8_t> big = KeyIndex("IDXBIG", 400, TwoTags);
  std::vector<uint8_t> grown = KeyIndex("IDXGROWN", 8, Grown);
  Save("cdx_walk", "alltags", all);
  Save("cdx_walk", "twolevel", big);
  Save("cdx_walk", "grown", grown);
  {
    std::string p = TempPath("IDXEMPTY.CDX");
    hb::TCdxFile::OpenOrCreate(p, false, nullptr);
    Save("cdx_walk", "empty", ReadBytes(p));
  }

  // Scripts: (operation | tag << 4, length, key bytes...).
  struct TScript {
    const char* Name;
    std::vector<uint8_t> Ops;
    const std::vector<uint8_t>* Index;
  };
  const std::vector<TScript> scripts = {
      {"seek_name", {0x00, 5, 'S', 'M', 'I', 'T', 'H', 0x01, 2, 'A', 'B', 0x05, 0, 0x06, 0},
       &all},
      {"range_name", {0x03, 4, 'A', 'B', 'S', 'Z', 0x05, 0, 0x08, 0, 0x04, 0}, &all},
      {"seek_num", {0x20, 2, 0x03, 0xE8, 0x27, 1, 0x05, 0x26, 0}, &all},
      {"insert_big", {0x09, 6, 'M', 'I', 'D', 'D', 'L', 'E', 0x09, 3, 'A', 'A', 'A', 0x0B, 0,
                      0x0A, 6, 'M', 'I', 'D', 'D', 'L', 'E', 0x0C, 0},
       &big},
      {"insert_grown", {0x09, 4, 'Z', 'Z', 'Z', 'Z', 0x19, 2, 0x12, 0x34, 0x02, 3, 'A', 'B', 'C'},
       &grown},
  };
  for (const TScript& s : scripts) {
    std::vector<uint8_t> seed = {static_cast<uint8_t>(s.Ops.size())};
    Save("cdx_seek", s.Name, Cat(Cat(seed, s.Ops), *s.Index));
  }
}

// ---- expressions: [options][text]

void Expressions() {
  const std::vector<std::pair<int, std::string>> texts = {
      {0, "2+3*4"},
      {0, "10-4-3 = 3 .AND. 2^3 = 8"},
      {0, "NOT .T. AND .F."},
      {0, "'ABC' = 'AB*' .OR. 'XABC' = 'AB*'"},
      {1, "'abc' = 'ABC'"},
      {0, "'A' $ 'CAB' .AND. 'AB  ' - 'CD' = 'ABCD  '"},
      {0, "UPPER(NAME+STR(NUM,10,2))+DTOS(DAT)"},
      {0, "IIF(FLAG, T.NAME, SPACE(12)) + NOTE + RAW"},
      {0, "SOUNDEX('Robert')+PADL(LTRIM(STR(FL,8,3)),12,'0')+STRTRAN(NAME,'o','0',1,2)"},
      {0, "AT('a','banana',2)+ATC('A','banana')+LEN(NAME)+ASC(CHR(65))+VAL('3.5')"},
      {0, "LEFT('AB',4)+RIGHT('ABC',0)+SUBSTR('ABCDE',2,10)+PROPER('o''neil-smith')"},
      {0, "STR(12345,3)+STRZERO(42,5)+STR(3.14159,6,2)"},
      {0, "DOW({20040112})+MOD(-7,3)+ROUND(2.5,1)+ABS(INT(-2.7))+CEILING(1.2)+FLOOR(-1.2)"},
      {0, "FV(100,0.05,10)+PV(100,0.05,10,0,1)+ATN2(1,1)+LOG10(100)+LOG(PI)"},
      {0, "MAX(NUM,FL,3)+MIN(1,2)+DESCEND(DAT)+DTOC(CTOD('12-01-2004'),1)"},
      {0, "INLIST(NAME,'X','Werkoverleg') .AND. BETWEEN(NUM,-20,0) .AND. EMPTY(SPACE(3))"},
      {0, "RECNO()+FIELDNO('NUM')+LEN(NAME) .AND. TYPE('DAT')='D' .AND. .NOT. DELETED()"},
      {4, "CTOD('') + 1"},
      {8, "EMPTY(DAT) .AND. DTOS(DAT) = '        '"},
      {0, "(1+(2*(3-(4/5))))"},
  };
  int i = 0;
  for (const auto& [options, text] : texts) {
    std::vector<uint8_t> seed = {static_cast<uint8_t>(options)};
    seed.insert(seed.end(), text.begin(), text.end());
    char name[16];
    std::snprintf(name, sizeof name, "e%02d", i++);
    Save("expr", name, seed);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_corpus OUTDIR\n");
    return 2;
  }
  gOut = argv[1];
  hb::TDbfTable::SetClock([](int& ms) {
    ms = 0;
    std::tm t{};
    t.tm_year = 2004 - 1900;
    t.tm_mon = 0;
    t.tm_mday = 12;
    t.tm_hour = 9;
    return t;
  });
  Tables();
  Memos();
  Indexes();
  Expressions();
  return 0;
}
