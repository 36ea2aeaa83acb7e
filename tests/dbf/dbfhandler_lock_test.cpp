// The byte ranges the table handler locks, observed from another handle of the same file:
// an open-file-description lock of one handle makes the same range fail on any other.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <chrono>

#include "dbf/dbfbuilder.h"
#include "dbf/dbfhandler.h"
#include "dbf/lockproto.h"
#include "platform/osfile.h"

using namespace hb;

namespace {

// True when another handle can lock [offset, offset + length).
bool Free(const std::string& path, int64_t offset, int64_t length = 1) {
  TOsFile f;
  if (!f.Open(path, TShareMode::Shared, true)) return false;
  bool ok = f.LockRegion(offset, length);
  if (ok) f.UnlockRegion(offset, length);
  return ok;
}

// Locked: both ends of the range are taken, the bytes around it are not.
void ExpectLocked(const std::string& path, int64_t offset, int64_t length) {
  EXPECT_FALSE(Free(path, offset)) << std::hex << offset;
  EXPECT_FALSE(Free(path, offset + length - 1)) << std::hex << offset + length - 1;
  if (offset > 0) {
    EXPECT_TRUE(Free(path, offset - 1)) << std::hex << offset - 1;
  }
  EXPECT_TRUE(Free(path, offset + length)) << std::hex << offset + length;
}

struct TTable {
  QTemporaryDir dir;
  std::string dbf, cdx, cdx2;

  // One C field of width 19: header 65 bytes, records of 20 bytes.
  TTable() {
    dbf = dir.filePath("T.DBF").toStdString();
    cdx = dir.filePath("T.CDX").toStdString();
    cdx2 = dir.filePath("T2.CDX").toStdString();
    TDbfBuilder b(dbf);
    b.AddField("NAME", 'C', 0, 19);
    b.Finish();
    TDbfHandler h;
    h.Open(dbf, false, true);
    for (int i = 0; i < 8; ++i) {
      h.BlankRecord();
      h.WriteTextByName("NAME", "n" + std::to_string(i));
      h.AppendRecord();
    }
    h.CreateIndexTag(cdx, "NAME", 0, true, "", "NAME");
    h.CreateIndexTag(cdx2, "UNAME", 0, true, "", "UPPER(NAME)");
  }
};

}  // namespace

TEST(DbfHandlerLocks, RecordLockWithoutIndexLiesAtTheRecordsFileOffset) {
  TTable t;
  TDbfHandler h;
  h.Open(t.dbf, true, true);
  ASSERT_EQ(h.HeaderLength(), 65);
  ASSERT_EQ(h.RecordLength(), 20);
  ASSERT_TRUE(h.LockRecord(5));
  ExpectLocked(t.dbf, 0x40000000 + 65 + 80, 1);
  h.UnlockTable();
  EXPECT_TRUE(Free(t.dbf, 0x40000000 + 65 + 80));
}

TEST(DbfHandlerLocks, RegionsOfEveryProtocolWithAnIndexOpen) {
  struct TCase {
    TLockProtocol Protocol;
    int64_t Record5, TableOffset, TableLength, Append, IndexOffset, IndexLength;
  };
  const TCase cases[] = {
      {TLockProtocol::Default, 0x7FFFFFF9, 0x40000000, 0x3FFFFFFF, 0x7FFFFFFE, 0x7FFFFFFD, 1},
      {TLockProtocol::FoxLock, 0x7FFFFFF9, 0x40000000, 0x3FFFFFFF, 0x7FFFFFFE, 0x7FFFFFFD, 1},
      {TLockProtocol::DB4Lock, 0xEFFFFFF9, 0x40000000, 0xB0000000, 0xEFFFFFFF, 0xEFFFFFFE, 2},
      {TLockProtocol::ClipLock, 1000000005, 1000000000, 1000000000, 1000000000, 1000000000, 1},
  };
  TTable t;
  for (const TCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Protocol));
    TDbfHandler h;
    h.Open(t.dbf, true, true);
    h.OpenIndexFiles("T.CDX", "NAME");
    h.SetLockProtocol(c.Protocol);

    ASSERT_TRUE(h.LockRecord(5));
    ExpectLocked(t.dbf, c.Record5, 1);
    h.UnlockTable();
    // The protocol table gives the same regions.
    EXPECT_EQ(RecordLockRegion(c.Protocol, true, 65, 20, 5), (TLockRegion{c.Record5, 1}));
    EXPECT_EQ(TableLockRegion(c.Protocol), (TLockRegion{c.TableOffset, c.TableLength}));
    EXPECT_EQ(AppendLockRegion(c.Protocol), (TLockRegion{c.Append, 1}));
    EXPECT_EQ(FileLockRegion(c.Protocol), (TLockRegion{c.IndexOffset, c.IndexLength}));

    ASSERT_TRUE(h.LockTable());
    ExpectLocked(t.dbf, c.TableOffset, c.TableLength);
    // Record and append locks nest on the table lock.
    EXPECT_TRUE(h.LockRecord(3));
    EXPECT_TRUE(h.LockAppend());
    EXPECT_EQ(h.LockCount(), 3);
    h.UnlockTable();
    h.UnlockTable();
    h.UnlockTable();
    EXPECT_TRUE(Free(t.dbf, c.TableOffset));

    ASSERT_TRUE(h.LockAppend());
    ExpectLocked(t.dbf, c.Append, 1);
    h.UnlockTable();

    h.LockIndexes();
    ExpectLocked(t.cdx, c.IndexOffset, c.IndexLength);
    h.UnlockIndexes();
    EXPECT_TRUE(Free(t.cdx, c.IndexOffset));

    ASSERT_TRUE(h.LockFullRange());
    ExpectLocked(t.dbf, 0, 0x7FFFFFFF);
    h.UnlockTable();
  }
}

TEST(DbfHandlerLocks, OneRegionPerFileNestsAndRefusesOthersAtOnce) {
  TTable t;
  TDbfHandler h;
  h.Open(t.dbf, true, true);
  h.OpenIndexFiles("T.CDX", "NAME");
  ASSERT_TRUE(h.LockRecord(5));
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(h.LockRecord(6));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(40));
  EXPECT_TRUE(Free(t.dbf, 0x7FFFFFFE - 6));
  EXPECT_TRUE(h.LockRecord(5));
  h.UnlockTable();
  EXPECT_FALSE(Free(t.dbf, 0x7FFFFFFE - 5));  // one level is left
  h.UnlockTable();
  EXPECT_TRUE(Free(t.dbf, 0x7FFFFFFE - 5));
}

TEST(DbfHandlerLocks, ExclusiveTableOnlyCountsLocks) {
  TTable t;
  TDbfHandler h;
  h.Open(t.dbf, false, true);
  h.OpenIndexFiles("T.CDX", "NAME");
  EXPECT_TRUE(h.LockRecord(5));
  EXPECT_EQ(h.LockCount(), 1);
  h.UnlockTable();
}

TEST(DbfHandlerLocks, TableLockSeesOtherAppendsAndDefersItsHeaderStore) {
  TTable t;
  TDbfHandler a, b;
  a.Open(t.dbf, true, true);
  b.Open(t.dbf, true, true);
  ASSERT_TRUE(a.LockTable());
  a.BlankRecord();
  a.WriteTextByName("NAME", "by a");
  a.AppendRecord();
  // The header on disk still holds the old count while the table lock is held.
  {
    TOsFile f;
    ASSERT_TRUE(f.Open(t.dbf, TShareMode::Shared, false));
    unsigned char h[8];
    ASSERT_EQ(f.ReadAt(0, h, 8), 8);
    EXPECT_EQ(GetLE32(h + 4), 8u);
  }
  a.UnlockTable();
  {
    TOsFile f;
    ASSERT_TRUE(f.Open(t.dbf, TShareMode::Shared, false));
    unsigned char h[8];
    ASSERT_EQ(f.ReadAt(0, h, 8), 8);
    EXPECT_EQ(GetLE32(h + 4), 9u);
  }
  ASSERT_TRUE(b.LockTable());
  EXPECT_EQ(b.RecordCount(), 9u);
  b.UnlockTable();
}

TEST(DbfHandlerLocks, WriteThatCannotLockAnIndexFailsAndWritesNothing) {
  TTable t;
  TDbfHandler h;
  h.Open(t.dbf, true, true);
  h.OpenIndexFiles("T.CDX;T2.CDX", "NAME");
  h.SetLockRetryWait(1);
  int64_t size = h.FileSize();
  // Another workstation holds the lock of the second index file.
  TOsFile other;
  ASSERT_TRUE(other.Open(t.cdx2, TShareMode::Shared, true));
  ASSERT_TRUE(other.LockRegion(0x7FFFFFFD, 1));

  h.BlankRecord();
  h.WriteTextByName("NAME", "new");
  try {
    h.AppendRecord();
    FAIL() << "append went ahead";
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()), "Can not Lock file " + h.IndexFile(2)->Path());
  }
  EXPECT_EQ(h.FileSize(), size);
  EXPECT_TRUE(Free(t.cdx, 0x7FFFFFFD));  // the first file's lock of this round is released

  h.GotoRecord(3);
  h.WriteTextByName("NAME", "changed");
  EXPECT_THROW(h.RewriteRecord(3), EDbfError);
  h.GotoRecord(3);
  EXPECT_EQ(h.ReadTextByName("NAME").substr(0, 2), "n2");
  EXPECT_EQ(h.FindInTag("NAME", "changed"), 0);

  other.UnlockRegion(0x7FFFFFFD, 1);
  h.BlankRecord();
  h.WriteTextByName("NAME", "new");
  h.AppendRecord();
  EXPECT_EQ(h.RecordCount(), 9u);
  EXPECT_EQ(h.FindInTag("UNAME", "NEW"), 9);
}

TEST(DbfHandlerLocks, SecondHandleWaitsForTheIndexLockOfAWriter) {
  TTable t;
  TDbfHandler a, b;
  a.Open(t.dbf, true, true);
  b.Open(t.dbf, true, true);
  a.OpenIndexFiles("T.CDX", "NAME");
  b.OpenIndexFiles("T.CDX", "NAME");
  b.SetLockRetryWait(2);
  a.LockIndexes();
  b.BlankRecord();
  b.WriteTextByName("NAME", "b");
  auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(b.AppendRecord(), EDbfError);
  // 100 attempts with 99 pauses between them.
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(99 * 2));
  a.UnlockIndexes();
  b.AppendRecord();
  EXPECT_EQ(a.FindInTag("NAME", "b"), 9);
}

TEST(DbfHandlerLocks, ClipLockFindLocksTheIndexFilesWhileItSearches) {
  TTable t;
  TDbfHandler h;
  h.Open(t.dbf, true, true);
  h.OpenIndexFiles("T.CDX", "NAME");
  h.SetLockProtocol(TLockProtocol::ClipLock);
  h.SetLockRetryWait(1);
  EXPECT_TRUE(h.Find("n3"));
  EXPECT_TRUE(Free(t.cdx, 1000000000));  // released after the search
  TOsFile other;
  ASSERT_TRUE(other.Open(t.cdx, TShareMode::Shared, true));
  ASSERT_TRUE(other.LockRegion(1000000000, 1));
  EXPECT_THROW(h.Find("n3"), EDbfError);
  EXPECT_THROW(h.FindInTag("NAME", "n3"), EDbfError);
  // Under the other protocols readers take no lock.
  h.SetLockProtocol(TLockProtocol::Default);
  EXPECT_TRUE(h.Find("n3"));
}

TEST(DbfHandlerLocks, ReadAheadServesScansAndIsDroppedWhenARecordIsLocked) {
  TTable t;
  TDbfHandler a, b;
  a.Open(t.dbf, true, true);
  b.Open(t.dbf, true, true);
  ASSERT_TRUE(a.ReadAheadActive());  // no master tag
  a.GotoRecord(1);
  b.GotoRecord(2);
  b.WriteTextByName("NAME", "by b");
  b.RewriteRecord(2);
  // Record 2 lies in the buffer a filled when it read record 1.
  a.GotoRecord(2);
  EXPECT_EQ(a.ReadTextByName("NAME").substr(0, 2), "n1");
  ASSERT_TRUE(a.LockRecord(2));
  a.GotoRecord(2);
  EXPECT_EQ(a.ReadTextByName("NAME").substr(0, 4), "by b");
  // Its own writes go into the buffer as well.
  a.WriteTextByName("NAME", "by a");
  a.RewriteRecord(2);
  a.UnlockTable();
  a.GotoRecord(1);
  a.GotoRecord(2);
  EXPECT_EQ(a.ReadTextByName("NAME").substr(0, 4), "by a");
  // A master tag switches it off.
  a.OpenIndexFiles("T.CDX", "NAME");
  EXPECT_FALSE(a.ReadAheadActive());
  a.SelectMasterTag("", true);
  EXPECT_TRUE(a.ReadAheadActive());
}

TEST(DbfHandlerLocks, RenamingTheTableRenamesItsOwnIndexFile) {
  TTable t;
  TDbfHandler h;
  h.Open(t.dbf, false, true);
  h.OpenIndexFiles("T.CDX,T2.CDX", "NAME");
  std::string target = t.dir.filePath("U.DBF").toStdString();
  h.RenameFile(target);
  EXPECT_EQ(h.IndexFile(1)->Path(), t.dir.filePath("U.CDX").toStdString());
  EXPECT_EQ(h.IndexFile(2)->Path(), t.cdx2);
  EXPECT_TRUE(h.Find("n4"));
  EXPECT_TRUE(TOsFile::Exists(t.dir.filePath("U.CDX").toStdString()));
}
