#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstring>

#include "dbf/dbfbuilder.h"
#include "dbf/dbffields.h"
#include "dbf/memofile.h"
#include "testutil.h"

namespace hb {
namespace {

std::string Str(const QString& s) {
  return s.toStdString();
}

class MemoTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  std::string Path(const char* name) { return Str(dir.filePath(name)); }
  QByteArray Bytes(const char* name) { return hbtest::ReadFile(dir.filePath(name)); }
  static uint32_t BE(const QByteArray& b, int at) {
    return GetBE32(reinterpret_cast<const unsigned char*>(b.constData()) + at);
  }
  static uint32_t LE(const QByteArray& b, int at) {
    return GetLE32(reinterpret_cast<const unsigned char*>(b.constData()) + at);
  }
  QTemporaryDir dir;
};

TEST_F(MemoTest, FoxPlacementInPlaceAndAtTheEnd) {
  TFoxMemoFile().CreateNew(Path("m.fpt"), "M");
  TFoxMemoFile m;
  m.OpenMemo(Path("m.fpt"), false, true);
  uint32_t b = m.Write(0, std::string(100, 'a'));
  EXPECT_EQ(b, 8u);  // offset 512
  EXPECT_EQ(m.NextFreeBlock(), 10u);
  QByteArray f = Bytes("m.fpt");
  ASSERT_EQ(f.size(), 640);
  EXPECT_EQ(BE(f, 512), 1u);
  EXPECT_EQ(BE(f, 516), 100u);
  EXPECT_EQ(f.mid(520, 100), QByteArray(100, 'a'));
  EXPECT_EQ(f.mid(620).count('\0'), 20);
  // Shorter: in place.
  EXPECT_EQ(m.Write(8, std::string(50, 'b')), 8u);
  EXPECT_EQ(m.NextFreeBlock(), 10u);
  EXPECT_EQ(m.Read(8), std::string(50, 'b'));
  // Longer than the old blocks: to the end, blocks 8 and 9 left behind.
  EXPECT_EQ(m.Write(8, std::string(200, 'c')), 10u);
  EXPECT_EQ(m.NextFreeBlock(), 14u);
  EXPECT_EQ(m.Read(10), std::string(200, 'c'));
  EXPECT_EQ(m.Read(10, 5), "ccccc");
  EXPECT_EQ(m.DataLength(10), 200);
  EXPECT_EQ(m.Write(10, ""), 0u);
}

TEST_F(MemoTest, DbaseLayouts) {
  TMemoFile().CreateNew(Path("three.dbt"), "people");
  QByteArray f = Bytes("three.dbt");
  ASSERT_EQ(f.size(), 513);
  EXPECT_EQ(LE(f, 0), 1u);
  EXPECT_EQ(f.mid(8, 8), QByteArray("PEOPLE\0\0", 8));
  EXPECT_EQ(f.at(512), 0x1A);
  {
    TMemoFile m;
    m.OpenMemo(Path("three.dbt"), false, true);
    EXPECT_EQ(m.Write(0, "hello"), 1u);
    EXPECT_EQ(m.Write(0, std::string(600, 'x')), 2u);  // 602 bytes: two blocks
    EXPECT_EQ(m.NextFreeBlock(), 4u);
    EXPECT_EQ(m.Read(1), "hello");
    EXPECT_EQ(m.Read(2), std::string(600, 'x'));
    m.RenameMemo(Path("other.dbt"), "otherlongname");
  }
  f = Bytes("other.dbt");
  EXPECT_EQ(f.mid(512, 8), QByteArray("hello\x1A\x1A\0", 8));
  EXPECT_EQ(f.mid(8, 8), QByteArray("OTHERLON"));

  TMemo4File().CreateNew(Path("four.dbt"), "people");
  f = Bytes("four.dbt");
  ASSERT_EQ(f.size(), 24);
  EXPECT_EQ(LE(f, 0), 1u);
  EXPECT_EQ(f.at(18), 2);
  EXPECT_EQ(f.at(19), 1);
  EXPECT_EQ(GetLE16(reinterpret_cast<const unsigned char*>(f.constData()) + 20), 512);
  TMemo4File m;
  m.OpenMemo(Path("four.dbt"), false, true);
  EXPECT_EQ(Bytes("four.dbt").size(), 512);  // padded to one block
  EXPECT_EQ(m.Write(0, "abc"), 1u);
  f = Bytes("four.dbt");
  EXPECT_EQ(f.mid(512, 11), QByteArray("\xFF\xFF\x08\0\x0B\0\0\0abc", 11));
  EXPECT_EQ(m.Read(1), "abc");
  EXPECT_EQ(m.Write(1, "abcd"), 1u);
  EXPECT_EQ(m.Read(1), "abcd");
}

TEST_F(MemoTest, DamagedMemoFiles) {
  TFoxMemoFile().CreateNew(Path("d.fpt"), "D");
  {
    TFoxMemoFile m;
    m.OpenMemo(Path("d.fpt"), false, true);
    m.Write(0, "good");
  }
  QByteArray f = Bytes("d.fpt");
  struct Case {
    const char* Name;
    std::function<void(QByteArray&)> Damage;
    uint32_t Block;
    const char* Message;
  } cases[] = {
      {"type.fpt", [](QByteArray& b) { b[515] = 2; }, 8, "Memo record is bad in "},
      {"past.fpt", [](QByteArray&) {}, 40, "runs past the end"},
      {"long.fpt", [](QByteArray& b) { b[517] = 0x10; }, 8, "runs past the end"},
      {"header.fpt", [](QByteArray&) {}, 3, "lies in the file header"},
      {"cut.fpt", [](QByteArray& b) { b.truncate(516); }, 8, "runs past the end"},
  };
  for (const auto& c : cases) {
    QByteArray b = f;
    c.Damage(b);
    hbtest::WriteFile(dir.filePath(c.Name), b);
    TFoxMemoFile m;
    m.OpenMemo(Path(c.Name), false, true);
    try {
      m.Read(c.Block);
      ADD_FAILURE() << c.Name;
    } catch (const EDbfError& e) {
      EXPECT_NE(std::string(e.what()).find(c.Message), std::string::npos)
          << c.Name << ": " << e.what();
      EXPECT_NE(std::string(e.what()).find(c.Name), std::string::npos) << e.what();
    }
  }
  // A damaged old memo is not written over: the new text goes to the end.
  TFoxMemoFile m;
  m.OpenMemo(Path("type.fpt"), false, true);
  EXPECT_EQ(m.Write(8, "new"), 9u);
  // A next-free block inside the live data is not trusted.
  QByteArray b = f;
  PutBE32(reinterpret_cast<unsigned char*>(b.data()), 8);
  hbtest::WriteFile(dir.filePath("next.fpt"), b);
  TFoxMemoFile n;
  n.OpenMemo(Path("next.fpt"), false, true);
  EXPECT_EQ(n.Write(0, "x"), 9u);
  EXPECT_EQ(n.Read(8), "good");
  EXPECT_THROW(TFoxMemoFile().OpenMemo(Path("none.fpt"), false, true), EDbfError);
}

TEST_F(MemoTest, FieldLevelMemoOperations) {
  TFoxBuilder b(Path("T"));
  b.AddField("NAME", 'C', 0, 5);
  b.AddField("NOTE", 'M', 0, 10);
  b.Finish();
  TDbfFields t;
  t.Open(Path("T"), false, true);
  t.BlankRecord();
  EXPECT_EQ(t.MemoLength(2), 0);
  int64_t len = 10;
  char buf[16];
  t.ReadMemo(2, buf, len);
  EXPECT_EQ(len, 0);
  t.WriteMemo(2, "");  // no memo and an empty text: nothing written
  EXPECT_EQ(hbtest::ReadFile(dir.filePath("T.fpt")).size(), 512);
  t.WriteRaw(2, "0");
  EXPECT_EQ(t.ReadText(2), "");
  t.WriteText(2, "some memo text");
  EXPECT_EQ(t.ReadRaw(2), "         8");
  EXPECT_EQ(t.MemoLength(2), 14);
  len = 4;
  t.ReadMemo(2, buf, len);
  EXPECT_EQ(len, 4);
  EXPECT_EQ(std::string(buf, 4), "some");
  t.WriteMemo(1, "not a memo field");
  EXPECT_EQ(t.ReadText(1), "");
  t.AppendRecord();
  t.WriteMemo(2, "");  // empty over an existing memo: the field has no memo
  EXPECT_EQ(t.ReadRaw(2), "         0");
  EXPECT_EQ(t.ReadText(2), "");
}

TEST_F(MemoTest, MemoFileNameInOtherCaseAndReservedBytes) {
  TFoxBuilder b(Path("PEOPLE"));
  b.AddField("NOTE", 'M', 0, 10);
  b.Finish();
  {
    TDbfFields t;
    t.Open(Path("PEOPLE"), false, true);
    t.BlankRecord();
    t.WriteMemo(1, "found");
    t.AppendRecord();
  }
  ASSERT_TRUE(QFile::rename(dir.filePath("PEOPLE.fpt"), dir.filePath("PEOPLE.FPT")));
  // Reserved header bytes and descriptor bytes written by other programs are ignored.
  QByteArray d = hbtest::ReadFile(dir.filePath("PEOPLE.DBF"));
  for (int i : {12, 13, 14, 24, 25, 29, 30, 31}) d[i] = '\x5A';
  for (int i : {12, 13, 14, 15, 18, 20, 31}) d[32 + i] = '\x11';
  d[29] = 0x03;  // a code-page byte
  hbtest::WriteFile(dir.filePath("PEOPLE.DBF"), d);
  TDbfFields t;
  t.Open(Path("people.dbf"), false, false);
  t.GotoRecord(1);
  EXPECT_EQ(t.ReadText(1), "found");
}

TEST_F(MemoTest, SharedWritersAndTheMemoLock) {
  TFoxMemoFile().CreateNew(Path("s.fpt"), "S");
  TFoxMemoFile a, b;
  a.OpenMemo(Path("s.fpt"), true, true);
  b.OpenMemo(Path("s.fpt"), true, true);
  b.SetLockRetryWait(1);
  // Allocation reads the header under the lock: the two never share a block.
  EXPECT_EQ(a.Write(0, "from a"), 8u);
  EXPECT_EQ(b.Write(0, "from b"), 9u);
  EXPECT_EQ(a.Read(9), "from b");
  ASSERT_TRUE(a.LockRegion(0x7FFFFFFD, 1));  // a holds the memo lock
  try {
    b.Write(0, "blocked");
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()), "Can not Lock file " + Path("s.fpt"));
  }
  EXPECT_EQ(b.NextFreeBlock(), 10u);  // nothing was written
  a.UnlockRegion();
  EXPECT_EQ(b.Write(0, "free again"), 10u);
}

TEST_F(MemoTest, TableWithoutItsMemoFile) {
  TFoxBuilder b(Path("NOMEMO"));
  b.AddField("NOTE", 'M', 0, 10);
  b.Finish();
  ASSERT_TRUE(QFile::remove(dir.filePath("NOMEMO.fpt")));
  TDbfFields t;
  t.Open(Path("NOMEMO"), false, true);
  t.BlankRecord();
  try {
    t.WriteMemo(1, "text");
    FAIL();
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()), "File " + Path("NOMEMO.fpt") + " could not be found");
  }
}

}  // namespace
}  // namespace hb
