#include <gtest/gtest.h>

#include <QByteArray>
#include <QTemporaryDir>
#include <cstring>

#include "dbf/dbfbuilder.h"
#include "dbf/dbffields.h"
#include "dbf/memofile.h"
#include "platform/osfile.h"
#include "testutil.h"

namespace hb {
namespace {

std::string Str(const QString& s) {
  return s.toStdString();
}

// Raw bytes of a dBase III table: header, descriptors, records. Descriptors are given as
// (name, type, width, decimals).
struct TFieldSpec {
  const char* Name;
  char Type;
  int Width;
  int Decimals;
};

QByteArray TableBytes(uint8_t version, std::initializer_list<TFieldSpec> fields,
                      std::initializer_list<const char*> records, uint32_t headerCount) {
  int recLen = 1;
  for (auto& f : fields) recLen += f.Width;
  int hdrLen = 32 * static_cast<int>(fields.size()) + 33;
  QByteArray b(hdrLen, '\0');
  b[0] = char(version);
  b[1] = 99, b[2] = 12, b[3] = 31;
  PutLE32(reinterpret_cast<unsigned char*>(b.data()) + 4, headerCount);
  PutLE16(reinterpret_cast<unsigned char*>(b.data()) + 8, uint16_t(hdrLen));
  PutLE16(reinterpret_cast<unsigned char*>(b.data()) + 10, uint16_t(recLen));
  int i = 0;
  for (auto& f : fields) {
    char* d = b.data() + 32 + 32 * i++;
    std::memcpy(d, f.Name, std::strlen(f.Name));
    d[11] = f.Type;
    d[16] = char(f.Width & 0xFF);
    d[17] = char(f.Type == 'C' ? f.Width >> 8 : f.Decimals);
  }
  b[hdrLen - 1] = 0x0D;
  for (const char* r : records) {
    QByteArray rec(r);
    rec = rec.leftJustified(recLen, ' ', true);
    b += rec;
  }
  b += char(0x1A);
  return b;
}

class DbfTableTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  void TearDown() override {
    OsFileFaults().Reset();
    TDbfTable::SetClock(nullptr);
  }
  std::string Path(const char* name) { return Str(dir.filePath(name)); }

  // PEOPLE.DBF in the FoxPro flavour with one field of every kind.
  std::string BuildPeople() {
    std::string path = Path("PEOPLE.DBF");
    TFoxBuilder b(path);
    b.AddField("name", 'c', 0, 300);
    b.AddField("AMOUNT", 'N', 2, 10);
    b.AddField("DAY", 'D', 0, 0);
    b.AddField("OK", 'L', 0, 0);
    b.AddField("NOTE", 'M', 0, 0);
    b.Finish();
    return path;
  }

  QTemporaryDir dir;
};

TEST_F(DbfTableTest, BuilderWritesHeaderDescriptorsAndEmptyMemo) {
  std::string path = BuildPeople();
  QByteArray b = hbtest::ReadFile(QString::fromStdString(path));
  ASSERT_EQ(b.size(), 5 * 32 + 33 + 1);
  auto* u = reinterpret_cast<const unsigned char*>(b.constData());
  EXPECT_EQ(u[0], 0xF5);
  EXPECT_EQ(GetLE32(u + 4), 0u);
  EXPECT_EQ(GetLE16(u + 8), 193);
  EXPECT_EQ(GetLE16(u + 10), 1 + 300 + 10 + 8 + 1 + 10);
  for (int i = 12; i < 32; ++i) EXPECT_EQ(u[i], 0) << "header byte " << i;
  // NAME: C of width 300 = 44 + 256 x 1.
  EXPECT_EQ(std::string(b.constData() + 32, 4), "NAME");
  EXPECT_EQ(u[32 + 11], 'C');
  EXPECT_EQ(u[32 + 16], 44);
  EXPECT_EQ(u[32 + 17], 1);
  // AMOUNT: N 10.2; DAY forced to 8; NOTE forced to 10.
  EXPECT_EQ(u[64 + 16], 10);
  EXPECT_EQ(u[64 + 17], 2);
  EXPECT_EQ(u[96 + 16], 8);
  EXPECT_EQ(u[160 + 16], 10);
  EXPECT_EQ(u[192], 0x0D);
  EXPECT_EQ(u[193], 0x1A);
  QByteArray memo = hbtest::ReadFile(dir.filePath("PEOPLE.fpt"));
  ASSERT_EQ(memo.size(), 512);
  EXPECT_EQ(memo.left(8), QByteArray("\0\0\0\x08\0\0\0\x40", 8));
  EXPECT_EQ(memo.mid(8).count('\0'), 504);
}

TEST_F(DbfTableTest, BuildersChooseVersionAndMemoLayout) {
  struct Case {
    TDbfTypes Flavour;
    uint8_t WithMemo;
    const char* MemoName;
    int MemoSize;
  } cases[] = {{TDbfTypes::DBaseIII, 0x83, "T.DBT", 513},
               {TDbfTypes::Clipper, 0x83, "T.DBT", 513},
               {TDbfTypes::DBaseIV, 0x8B, "T.DBT", 24},
               {TDbfTypes::FoxPro2, 0xF5, "T.fpt", 512}};
  for (const auto& c : cases) {
    QTemporaryDir d;
    auto plain = MakeDbfBuilder(Str(d.filePath("P")), c.Flavour);
    plain->AddField("A", 'C', 0, 5);
    plain->Finish();
    EXPECT_EQ(uint8_t(hbtest::ReadFile(d.filePath("P.DBF"))[0]), 0x03);
    auto memo = MakeDbfBuilder(Str(d.filePath("T")), c.Flavour);
    memo->AddField("A", 'C', 0, 5);
    memo->AddField("", 'C', 0, 5);  // skipped
    memo->AddField("M", 'm', 0, 4);
    memo->Finish();
    QByteArray t = hbtest::ReadFile(d.filePath("T.DBF"));
    EXPECT_EQ(uint8_t(t[0]), c.WithMemo);
    EXPECT_EQ(GetLE16(reinterpret_cast<const unsigned char*>(t.constData()) + 8), 2 * 32 + 33);
    EXPECT_EQ(hbtest::ReadFile(d.filePath(c.MemoName)).size(), c.MemoSize) << c.MemoName;
  }
}

TEST_F(DbfTableTest, AppendWritesRecordAndEndByteAndRereads) {
  std::string path = BuildPeople();
  {
    TDbfFields t;
    t.Open(path, false, true);
    EXPECT_TRUE(t.Bof() && t.Eof());
    t.BlankRecord();
    // A blank record: spaces in C and D, a formatted zero in N.
    EXPECT_EQ(t.ReadRaw(2), "      0.00");
    EXPECT_EQ(t.ReadRaw(3), "        ");
    EXPECT_EQ(t.ReadRaw(1), std::string(300, ' '));
    EXPECT_TRUE(t.RecordChanged());
    std::string longText = std::string(299, 'x') + "y";
    t.WriteText(1, longText + "cut");
    t.WriteNumberByName("amount", 12.345);
    t.WriteDate(3, JulianFromDate(2024, 2, 29));
    t.WriteLogical(4, true);
    t.AppendRecord();
    EXPECT_EQ(t.RecNo(), 1u);
    EXPECT_FALSE(t.RecordChanged());
    t.BlankRecord();
    t.WriteText(1, "second");
    t.AppendRecord();
    EXPECT_EQ(t.RecordCount(), 2u);
  }
  QByteArray b = hbtest::ReadFile(QString::fromStdString(path));
  ASSERT_EQ(b.size(), 193 + 2 * 330 + 1);
  EXPECT_EQ(b.at(b.size() - 1), 0x1A);
  QByteArray rec1 = b.mid(193, 330);
  EXPECT_EQ(rec1.at(0), ' ');
  EXPECT_EQ(rec1.mid(300, 1), "y");
  EXPECT_EQ(rec1.mid(301, 10), "     12.35");
  EXPECT_EQ(rec1.mid(311, 8), "20240229");
  EXPECT_EQ(rec1.mid(319, 1), "T");
  EXPECT_EQ(GetLE32(reinterpret_cast<const unsigned char*>(b.constData()) + 4), 2u);

  TDbfFields t;
  t.Open(path, false, false);
  t.GotoRecord(TDbfTable::kGotoFirst);
  EXPECT_EQ(t.ReadText(1), std::string(299, 'x') + "y");
  EXPECT_DOUBLE_EQ(t.ReadNumber(2), 12.35);
  EXPECT_EQ(t.ReadText(3), "29-02-2024");
  EXPECT_TRUE(t.ReadLogical(4));
  t.GotoRecord(TDbfTable::kGotoNext);
  EXPECT_EQ(t.ReadText(1), "second");
  EXPECT_EQ(t.ReadText(2), "0.00");
  EXPECT_EQ(t.ReadText(3), "");
  EXPECT_EQ(t.ReadDate(3), 0);
}

TEST_F(DbfTableTest, HeaderStoreWritesDateStampAndUserKeepsOtherBytes) {
  QByteArray raw = TableBytes(0x03, {{"A", 'C', 4, 0}}, {" abcd"}, 1);
  for (int i : {12, 13, 14, 24, 25, 26, 27, 29, 30, 31}) raw[i] = char(0x40 + i);
  raw[28] = 0x01;
  hbtest::WriteFile(dir.filePath("H.DBF"), raw);
  TDbfTable::SetClock([](int& ms) {
    std::tm t{};
    t.tm_year = 103, t.tm_mon = 4, t.tm_mday = 7, t.tm_hour = 13, t.tm_min = 5, t.tm_sec = 9;
    ms = 321;
    return t;
  });
  {
    TDbfFields t;
    t.Open(Path("H.DBF"), false, true);
    t.UserID = 77;
    t.GotoRecord(1);
    t.WriteText(1, "wxyz");
    t.RewriteRecord(1);
  }
  QByteArray b = hbtest::ReadFile(dir.filePath("H.DBF"));
  auto* u = reinterpret_cast<const unsigned char*>(b.constData());
  EXPECT_EQ(u[1], 3);  // 2003 is written as 3
  EXPECT_EQ(u[2], 5);
  EXPECT_EQ(u[3], 7);
  EXPECT_EQ(GetLE32(u + 16), ((13u * 64 + 5) * 64 + 9) * 1024 + 321);
  EXPECT_EQ(GetLE32(u + 20), 77u);
  EXPECT_EQ(u[28], 0x01);
  for (int i : {12, 13, 14, 24, 25, 26, 27, 29, 30, 31}) EXPECT_EQ(u[i], 0x40 + i) << i;
  EXPECT_EQ(b.mid(33 + 32, 5), " wxyz");
}

TEST_F(DbfTableTest, RecordCountComesFromFileSize) {
  std::initializer_list<const char*> recs = {" 01", " 02", " 03", " 04", " 05", " 06",
                                             " 07", " 08", " 09", " 10", " 11", " 12"};
  QByteArray raw = TableBytes(0x03, {{"N", 'C', 2, 0}}, recs, 10);
  raw.chop(1);  // no end byte
  raw += " 1";  // and a partial record
  hbtest::WriteFile(dir.filePath("C.DBF"), raw);
  TDbfFields t;
  t.Open(Path("C"), false, true);
  EXPECT_EQ(t.RecordCount(), 12u);
  t.GotoRecord(TDbfTable::kGotoLast);
  EXPECT_EQ(t.ReadText(1), "12");
  t.BlankRecord();
  t.WriteText(1, "13");
  t.AppendRecord();  // written over the partial record
  EXPECT_EQ(t.RecNo(), 13u);
  t.GotoRecord(13);
  EXPECT_EQ(t.ReadText(1), "13");
}

TEST_F(DbfTableTest, Positioning) {
  hbtest::WriteFile(dir.filePath("P.DBF"),
                    TableBytes(0x03, {{"N", 'C', 1, 0}}, {" a", " b", " c"}, 3));
  TDbfFields t;
  t.Open(Path("P.DBF"), false, false);
  t.GotoRecord(TDbfTable::kGotoFirst);
  t.GotoRecord(TDbfTable::kGotoPrevious);
  EXPECT_TRUE(t.Bof());
  EXPECT_EQ(t.RecNo(), 1u);
  EXPECT_EQ(t.ReadText(1), "a");
  t.GotoRecord(TDbfTable::kGotoLast);
  t.GotoRecord(TDbfTable::kGotoNext);  // one past the last
  EXPECT_TRUE(t.Eof());
  EXPECT_FALSE(t.Bof());
  EXPECT_EQ(t.ReadText(1), "c");  // the buffer keeps its content
  t.GotoRecord(4);
  EXPECT_TRUE(t.Eof());
  try {
    t.GotoRecord(5);
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()), "Record number 5 is not in table " + Path("P.DBF"));
  }
  EXPECT_THROW(t.GotoRecord(-9), EDbfError);
  t.GotoRecord(2);
  t.GotoRecord(TDbfTable::kGotoCurrent);
  EXPECT_EQ(t.ReadText(1), "b");
  EXPECT_FALSE(t.Bof() || t.Eof());
}

TEST_F(DbfTableTest, FieldConversions) {
  hbtest::WriteFile(dir.filePath("F.DBF"), TableBytes(0x03,
                                                      {{"L1", 'L', 1, 0},
                                                       {"L2", 'L', 1, 0},
                                                       {"L3", 'L', 1, 0},
                                                       {"D1", 'D', 8, 0},
                                                       {"D2", 'D', 8, 0},
                                                       {"D3", 'D', 8, 0},
                                                       {"N", 'N', 5, 1},
                                                       {"BAD", 'N', 4, 0},
                                                       {"C", 'C', 3, 0}},
                                                      {" JyN0000000020240131        "
                                                       "  1.5 1x2abc"},
                                                      1));
  TDbfFields t;
  t.Open(Path("F.DBF"), false, true);
  t.GotoRecord(1);
  EXPECT_TRUE(t.ReadLogical(1));
  EXPECT_TRUE(t.ReadLogical(2));
  EXPECT_FALSE(t.ReadLogical(3));
  EXPECT_EQ(t.ReadDate(4), 0);  // "00000000"
  EXPECT_EQ(t.ReadDate(5), JulianFromDate(2024, 1, 31));
  EXPECT_EQ(t.ReadDate(6), 0);  // spaces
  EXPECT_EQ(JulianFromDate(1980, 1, 1), 2444240);
  EXPECT_DOUBLE_EQ(t.ReadNumber(7), 1.5);
  try {
    t.ReadNumber(8);
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()), "Invalid numeric value in field F->BAD (1x2)");
  }
  // Logical from text.
  struct {
    const char* Text;
    const char* Stored;
  } logicals[] = {{"2", "T"}, {"0", "F"}, {"", "F"}, {"yes", "T"}, {"n", "F"}, {"J", "T"}};
  for (auto c : logicals) {
    t.WriteText(1, c.Text);
    EXPECT_EQ(t.ReadRaw(1), c.Stored) << c.Text;
  }
  try {
    t.WriteText(1, "x");
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()), "Invalid Logical value for field L1");
  }
  EXPECT_THROW(t.WriteLogical(9, true), EDbfError);
  // Numbers: too wide leaves the field as it was.
  try {
    t.WriteNumber(7, 123456);
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()), "numeric value too big in field N - 123456.0");
  }
  EXPECT_EQ(t.ReadRaw(7), "  1.5");
  t.WriteNumber(7, -0.04);
  EXPECT_EQ(t.ReadRaw(7), "  0.0");
  t.WriteText(7, " 12.25 ");
  EXPECT_EQ(t.ReadRaw(7), " 12.3");
  EXPECT_THROW(t.WriteText(7, "abc"), EDbfError);
  EXPECT_THROW(t.WriteNumber(9, 1), EDbfError);  // C is no number
  // Dates.
  t.WriteText(4, "03-02-2001");
  EXPECT_EQ(t.ReadRaw(4), "20010203");
  EXPECT_EQ(t.ReadText(4), "03-02-2001");
  t.WriteDate(4, 0);
  EXPECT_EQ(t.ReadRaw(4), "        ");
  EXPECT_THROW(t.WriteDate(4, -1), EDbfError);
  EXPECT_THROW(t.WriteText(4, "31-02-2001"), EDbfError);
  // Text is cut to the width; fields outside the range are empty and take nothing.
  t.WriteText(9, "abcdef");
  EXPECT_EQ(t.ReadRaw(9), "abc");
  EXPECT_EQ(t.ReadText(0), "");
  EXPECT_EQ(t.ReadNumber(10), 0);
  t.WriteText(10, "x");
  // Names regardless of case and trailing spaces.
  EXPECT_EQ(t.FindField("bad "), 8);
  EXPECT_EQ(t.FindField("nothere"), 0);
  try {
    t.ReadTextByName("nothere");
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()), "There is no field name " + Path("F.DBF") + "->nothere");
  }
}

TEST_F(DbfTableTest, DeleteAndRecallWriteOnlyOnChange) {
  hbtest::WriteFile(dir.filePath("D.DBF"), TableBytes(0x03, {{"N", 'C', 1, 0}}, {" a", " b"}, 2));
  TDbfFields t;
  t.Open(Path("D.DBF"), false, true);
  t.GotoRecord(2);
  t.UnmarkDeleted();  // active already
  int before = OsFileFaults().WritesSeen;
  t.MarkDeleted();
  EXPECT_GT(OsFileFaults().WritesSeen, before);
  before = OsFileFaults().WritesSeen;
  t.MarkDeleted();
  EXPECT_EQ(OsFileFaults().WritesSeen, before);
  EXPECT_EQ(hbtest::ReadFile(dir.filePath("D.DBF")).at(33 + 32 + 2), '*');
  t.GotoRecord(1);
  t.GotoRecord(2);
  EXPECT_TRUE(t.Deleted());
  t.UnmarkDeleted();
  EXPECT_EQ(hbtest::ReadFile(dir.filePath("D.DBF")).at(33 + 32 + 2), ' ');
}

TEST_F(DbfTableTest, FailedWriteLeavesTableAsItWas) {
  std::string path = BuildPeople();
  TDbfFields t;
  t.Open(path, false, true);
  t.BlankRecord();
  t.WriteText(1, "one");
  t.AppendRecord();
  QByteArray before = hbtest::ReadFile(QString::fromStdString(path));
  t.BlankRecord();
  t.WriteText(1, "two");
  OsFileFaults().FailWriteAfter = 1;
  OsFileFaults().PartialBytes = 100;  // half a record reaches the disk
  try {
    t.AppendRecord();
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()), "Error writing to " + path);
  }
  EXPECT_EQ(t.RecordCount(), 1u);
  EXPECT_EQ(t.RecNo(), 1u);
  // The partial record is not counted; the next append goes in its place.
  t.AppendRecord();
  EXPECT_EQ(t.RecNo(), 2u);
  t.Close();
  t.Open(path, false, false);
  EXPECT_EQ(t.RecordCount(), 2u);
  t.GotoRecord(2);
  EXPECT_EQ(t.ReadText(1), "two");
}

TEST_F(DbfTableTest, DamagedFilesRaiseErrors) {
  QByteArray good = TableBytes(0x03, {{"A", 'C', 3, 0}, {"B", 'C', 3, 0}}, {" abcdef"}, 1);
  struct Case {
    const char* Name;
    QByteArray Bytes;
    const char* Message;
  } cases[] = {
      {"short.dbf", good.left(20), "Error on Read of file "},
      {"version.dbf", QByteArray(1, '\x02') + good.mid(1), "Table Header for "},
      {"desc.dbf", good.left(50), "is damaged (offset 50"},
      {"fieldlen.dbf",
       [&] {
         QByteArray b = good;
         b[10] = 4;
         return b;
       }(),
       "is damaged"},
      {"hdrlen.dbf",
       [&] {
         QByteArray b = good;
         b[8] = 5;
         b[9] = 0;
         return b;
       }(),
       "is damaged (offset 8"},
  };
  for (const auto& c : cases) {
    hbtest::WriteFile(dir.filePath(c.Name), c.Bytes);
    TDbfFields t;
    try {
      t.Open(Path(c.Name), false, false);
      ADD_FAILURE() << c.Name;
    } catch (const EDbfError& e) {
      EXPECT_NE(std::string(e.what()).find(c.Message), std::string::npos)
          << c.Name << ": " << e.what();
    }
    EXPECT_FALSE(t.IsOpen());
  }
  try {
    TDbfFields t;
    t.Open(Path("missing"), false, false);
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()), "File " + Path("missing.DBF") + " could not be found");
  }
  QByteArray enc = good;
  enc[15] = 1;
  hbtest::WriteFile(dir.filePath("enc.dbf"), enc);
  TDbfFields t;
  EXPECT_THROW(t.Open(Path("enc.dbf"), false, false), EDbfEncryption);
  EXPECT_THROW(t.Open(Path("desc.dbf").replace(Path("desc.dbf").size() - 8, 8, "short.dbf"), false,
                      false, "key"),
               EDbfError);
  hbtest::WriteFile(dir.filePath("plain.dbf"), good);
  try {
    t.Open(Path("plain.dbf"), false, false, "key");
    FAIL();
  } catch (const EDbfEncryption& e) {
    EXPECT_EQ(std::string(e.what()),
              "A Password is included for unencrypted file " + Path("plain.dbf"));
  }
}

TEST_F(DbfTableTest, ExclusiveAndSharedOpensInOneProcess) {
  hbtest::WriteFile(dir.filePath("S.DBF"), TableBytes(0x03, {{"N", 'C', 2, 0}}, {}, 0));
  TDbfFields a, b;
  a.Open(Path("S.DBF"), true, true);
  b.Open(Path("S.DBF"), true, true);
  a.BlankRecord();
  a.WriteText(1, "a1");
  a.AppendRecord();
  b.BlankRecord();
  b.WriteText(1, "b1");
  b.AppendRecord();  // sees a's record through the file size
  EXPECT_EQ(b.RecNo(), 2u);
  b.GotoRecord(1);
  EXPECT_EQ(b.ReadText(1), "a1");
  a.GotoRecord(2);  // beyond a's known count: looked up again
  EXPECT_EQ(a.ReadText(1), "b1");
  TDbfFields x;
  try {
    x.Open(Path("S.DBF"), false, true);
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()), "Access denied to file " + Path("S.DBF"));
  }
  a.Close();
  b.Close();
  x.Open(Path("S.DBF"), false, true);
  EXPECT_THROW(a.Open(Path("S.DBF"), true, false), EDbfError);
}

TEST_F(DbfTableTest, LockRegionsByProtocolAndNesting) {
  hbtest::WriteFile(dir.filePath("L.DBF"), TableBytes(0x03, {{"N", 'C', 19, 0}}, {" a"}, 1));
  TDbfFields a, b;
  a.Open(Path("L.DBF"), true, true);
  b.Open(Path("L.DBF"), true, true);
  ASSERT_EQ(a.HeaderLength(), 65);
  EXPECT_TRUE(a.LockRecord(5));
  EXPECT_EQ(a.LockedOffset(), 0x40000000 + 65 + 80);
  EXPECT_FALSE(a.LockRecord(6));  // another region on the same handle: refused at once
  EXPECT_TRUE(a.LockRecord(5));
  EXPECT_EQ(a.LockCount(), 2);
  EXPECT_FALSE(b.LockRecord(5));  // held by the other handle
  EXPECT_TRUE(b.LockRecord(4));
  b.UnlockTable();
  EXPECT_FALSE(b.LockTable());  // overlaps a's record lock
  a.UnlockTable();
  EXPECT_FALSE(b.LockRecord(5));
  a.UnlockTable();
  EXPECT_TRUE(b.LockRecord(5));
  b.UnlockTable();
  EXPECT_TRUE(a.LockTable());
  EXPECT_TRUE(a.TableLocked());
  EXPECT_TRUE(a.LockRecord(9));  // nests on the table lock
  EXPECT_EQ(a.LockCount(), 2);
  a.UnlockTable();
  a.UnlockTable();
  EXPECT_EQ(a.LockCount(), 0);
  struct {
    TLockProtocol P;
    int64_t Offset;
  } cases[] = {{TLockProtocol::DB4Lock, 0xEFFFFFFE - 5}, {TLockProtocol::ClipLock, 1000000005}};
  for (auto c : cases) {
    a.SetLockProtocol(c.P);
    EXPECT_TRUE(a.LockRecord(5));
    EXPECT_EQ(a.LockedOffset(), c.Offset);
    a.UnlockTable();
  }
  // On an exclusive table locks are only counted.
  a.Close();
  b.Close();
  a.Open(Path("L.DBF"), false, true);
  EXPECT_TRUE(a.LockRecord(1));
  EXPECT_TRUE(a.LockFullRange() == false);  // another region while one is held
  a.UnlockTable();
  EXPECT_TRUE(a.LockFullRange());
  EXPECT_TRUE(a.FullAccess());
}

TEST_F(DbfTableTest, PackKeepsLiveRecordsAndTheirMemos) {
  std::string path = BuildPeople();
  {
    TDbfFields t;
    t.Open(path, false, true);
    for (int i = 1; i <= 5; ++i) {
      t.BlankRecord();
      t.WriteText(1, "rec" + std::to_string(i));
      t.WriteMemo(5, "memo of record " + std::to_string(i) + std::string(i * 30, '.'));
      t.AppendRecord();
    }
    t.GotoRecord(2);
    t.MarkDeleted();
    t.GotoRecord(4);
    t.MarkDeleted();
    t.SetTableFlags(0x01);
    t.Pack();
    EXPECT_EQ(t.RecordCount(), 3u);
    EXPECT_EQ(t.RecNo(), 1u);
    EXPECT_EQ(t.TableFlags(), 0x01);
  }
  TDbfFields t;
  t.Open(path, false, false);
  const char* expect[] = {"rec1", "rec3", "rec5"};
  int nums[] = {1, 3, 5};
  for (uint32_t n = 1; n <= 3; ++n) {
    t.GotoRecord(n);
    EXPECT_EQ(t.ReadText(1), expect[n - 1]);
    EXPECT_FALSE(t.Deleted());
    EXPECT_EQ(t.ReadText(5),
              "memo of record " + std::to_string(nums[n - 1]) + std::string(nums[n - 1] * 30, '.'));
  }
  // Only the live memos were copied: header 8 blocks, then the three memos.
  EXPECT_EQ(t.Memo()->NextFreeBlock(), 8u + 1 + 2 + 3);
  QDir folder(dir.path());
  EXPECT_EQ(folder.entryList(QDir::Files).size(), 2)
      << folder.entryList(QDir::Files).join(",").toStdString();
  // A shared table cannot be packed.
  TDbfFields s;
  t.Close();
  s.Open(path, true, true);
  EXPECT_THROW(s.Pack(), EDbfError);
}

// A memo file spelled ".FPT" (as other programs write it) keeps its spelling through a pack.
TEST_F(DbfTableTest, PackKeepsAnUpperCaseMemoFileName) {
  std::string path = BuildPeople();
  QDir folder(dir.path());
  ASSERT_TRUE(folder.rename("PEOPLE.fpt", "PEOPLE.FPT"));
  TDbfFields t;
  t.Open(path, false, true);
  for (int i = 1; i <= 3; ++i) {
    t.BlankRecord();
    t.WriteMemo(5, "memo " + std::to_string(i));
    t.AppendRecord();
  }
  t.GotoRecord(1);
  t.MarkDeleted();
  t.Pack();
  EXPECT_EQ(t.RecordCount(), 2u);
  t.GotoRecord(2);
  EXPECT_EQ(t.ReadText(5), "memo 3");
  EXPECT_EQ(folder.entryList(QDir::Files), (QStringList{"PEOPLE.DBF", "PEOPLE.FPT"}));
}

TEST_F(DbfTableTest, RenameMovesMemoFile) {
  std::string path = BuildPeople();
  TDbfFields t;
  t.Open(path, false, true);
  t.BlankRecord();
  t.WriteMemo(5, "kept");
  t.AppendRecord();
  t.RenameFile(Path("OTHER"));
  EXPECT_EQ(t.Alias(), "OTHER");
  EXPECT_TRUE(QFile::exists(dir.filePath("OTHER.DBF")));
  EXPECT_TRUE(QFile::exists(dir.filePath("OTHER.fpt")));
  EXPECT_FALSE(QFile::exists(dir.filePath("PEOPLE.fpt")));
  t.Close();
  t.Open(Path("OTHER.DBF"), false, false);
  t.GotoRecord(1);
  EXPECT_EQ(t.ReadText(5), "kept");
}

TEST_F(DbfTableTest, Version30BinaryFields) {
  // I int32, Y int64 of ten-thousandths, B double, T julian day + milliseconds, C text;
  // the 263-byte area follows the terminator.
  QByteArray b(32 * 5 + 33 + 263, '\0');
  auto* u = reinterpret_cast<unsigned char*>(b.data());
  u[0] = 0x30;
  PutLE16(u + 8, uint16_t(b.size()));
  PutLE16(u + 10, 1 + 4 + 8 + 8 + 8 + 3);
  const char* names[] = {"I", "Y", "B", "T", "C"};
  int widths[] = {4, 8, 8, 8, 3};
  for (int i = 0; i < 5; ++i) {
    u[32 + 32 * i] = names[i][0];
    u[32 + 32 * i + 11] = names[i][0];
    u[32 + 32 * i + 16] = uint8_t(widths[i]);
  }
  u[32 * 6] = 0x0D;
  QByteArray rec(32, '\0');
  rec[0] = ' ';
  PutLE32(reinterpret_cast<unsigned char*>(rec.data()) + 1, uint32_t(-7));
  PutLE32(reinterpret_cast<unsigned char*>(rec.data()) + 5, 123456);  // 12.3456
  double d = 2.5;
  std::memcpy(rec.data() + 13, &d, 8);
  PutLE32(reinterpret_cast<unsigned char*>(rec.data()) + 21, uint32_t(JulianFromDate(2020, 5, 17)));
  PutLE32(reinterpret_cast<unsigned char*>(rec.data()) + 25, 43200000);  // noon
  std::memcpy(rec.data() + 29, "abc", 3);
  hbtest::WriteFile(dir.filePath("V30.DBF"), b + rec);
  TDbfFields t;
  t.Open(Path("V30.DBF"), false, true);
  ASSERT_EQ(t.FieldCount(), 5);
  EXPECT_FALSE(t.HasMemoFields());
  t.GotoRecord(1);
  EXPECT_EQ(t.ReadNumber(1), -7);
  EXPECT_DOUBLE_EQ(t.ReadNumber(2), 12.3456);
  EXPECT_DOUBLE_EQ(t.ReadNumber(3), 2.5);
  EXPECT_EQ(t.ReadDate(4), JulianFromDate(2020, 5, 17));
  EXPECT_DOUBLE_EQ(t.ReadNumber(4), JulianFromDate(2020, 5, 17) + 0.5);
  EXPECT_EQ(t.ReadText(1), "-7");
  EXPECT_EQ(t.ReadText(5), "abc");
  t.BlankRecord();
  EXPECT_EQ(t.ReadRaw(1), std::string(4, '\0'));
  EXPECT_EQ(t.ReadRaw(5), "   ");
  t.WriteNumber(1, 42);
  t.WriteText(2, "1.5");
  t.AppendRecord();
  t.GotoRecord(1);
  t.GotoRecord(2);
  EXPECT_EQ(t.ReadNumber(1), 42);
  EXPECT_DOUBLE_EQ(t.ReadNumber(2), 1.5);
  EXPECT_EQ(t.ReadNumber(3), 0);
}

// Random damage to a table and its memo file: every read either succeeds or raises the
// engine's error; nothing else escapes and nothing reads outside the files.
TEST_F(DbfTableTest, RandomDamageGivesEngineErrorsOnly) {
  std::string path = BuildPeople();
  {
    TDbfFields t;
    t.Open(path, false, true);
    for (int i = 0; i < 4; ++i) {
      t.BlankRecord();
      t.WriteText(1, "row" + std::to_string(i));
      t.WriteNumber(2, i * 1.25);
      t.WriteDate(3, JulianFromDate(2020, 1, 1 + i));
      t.WriteMemo(5, std::string(40 + 70 * i, char('a' + i)));
      t.AppendRecord();
    }
  }
  const QByteArray table = hbtest::ReadFile(QString::fromStdString(path));
  const QByteArray memo = hbtest::ReadFile(dir.filePath("PEOPLE.fpt"));
  uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 8) & 0xFFFFFF; };
  int errors = 0;
  for (int round = 0; round < 300; ++round) {
    QByteArray t = table, m = memo;
    QByteArray& victim = round % 2 ? m : t;
    int hits = 1 + int(next() % 4);
    for (int h = 0; h < hits; ++h) {
      // Most damage goes to the headers and descriptors, where the counts live.
      int span = next() % 3 ? std::min<int>(victim.size(), 600) : victim.size();
      victim[int(next() % span)] = char(next() & 0xFF);
    }
    if (round % 7 == 0) victim.truncate(int(next() % victim.size()));
    hbtest::WriteFile(dir.filePath("DAMAGED.DBF"), t);
    hbtest::WriteFile(dir.filePath("DAMAGED.fpt"), m);
    try {
      TDbfFields d;
      d.Open(Path("DAMAGED.DBF"), false, true);
      for (uint32_t n = 1; n <= std::min<uint32_t>(d.RecordCount(), 10); ++n) {
        d.GotoRecord(n);
        for (int f = 1; f <= d.FieldCount(); ++f) {
          try {
            d.ReadText(f);
          } catch (const EDbfError&) {
            ++errors;
          }
        }
        d.WriteMemo(5, "rewritten");
        d.RewriteRecord(n);
      }
    } catch (const EDbfError&) {
      ++errors;
    }
  }
  EXPECT_GT(errors, 0);
}

}  // namespace
}  // namespace hb
