#include "platform/osfile.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "testutil.h"

namespace hb {
namespace {

class OsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    path = dir.filePath("f.bin").toStdString();
    ASSERT_TRUE(hbtest::WriteFile(QString::fromStdString(path), QByteArray("0123456789")));
  }
  void TearDown() override { OsFileFaults().Reset(); }
  QTemporaryDir dir;
  std::string path;
};

TEST_F(OsFileTest, ShareModesAcrossHandles) {
  TOsFile a, b, c;
  ASSERT_TRUE(a.Open(path, TShareMode::Shared, true));
  ASSERT_TRUE(b.Open(path, TShareMode::Shared, false));
  EXPECT_FALSE(c.Open(path, TShareMode::Exclusive, true));
  EXPECT_EQ(c.LastError(), TOsError::AccessDenied);
  a.Close();
  b.Close();
  ASSERT_TRUE(c.Open(path, TShareMode::Exclusive, true));
  EXPECT_FALSE(a.Open(path, TShareMode::Shared, false));
  EXPECT_FALSE(a.Create(path, TShareMode::Exclusive));  // leaves the held file alone
  EXPECT_EQ(c.Size(), 10);
  EXPECT_FALSE(a.Open(dir.filePath("none").toStdString(), TShareMode::Shared, false));
  EXPECT_EQ(a.LastError(), TOsError::NotFound);
}

TEST_F(OsFileTest, LocksBelongToTheirHandle) {
  TOsFile a, b, c;
  ASSERT_TRUE(a.Open(path, TShareMode::Shared, true));
  ASSERT_TRUE(b.Open(path, TShareMode::Shared, true));
  ASSERT_TRUE(c.Open(path, TShareMode::Shared, true));
  EXPECT_TRUE(a.LockRegion(0x7FFFFFFE, 1));
  EXPECT_FALSE(b.LockRegion(0x7FFFFFFE, 1));
  EXPECT_FALSE(b.LockRegion(0, 0x7FFFFFFF));  // the full range covers it
  c.Close();                                  // closing another handle of the file keeps a's lock
  EXPECT_FALSE(b.LockRegion(0x7FFFFFFE, 1));
  EXPECT_TRUE(a.UnlockRegion(0x7FFFFFFE, 1));
  EXPECT_TRUE(b.LockRegion(0x7FFFFFFE, 1));
  b.Close();  // closing releases the handle's locks
  EXPECT_TRUE(a.LockRegion(0x7FFFFFFE, 1));
}

TEST_F(OsFileTest, ReadWriteTruncateAndInjectedFaults) {
  TOsFile f;
  ASSERT_TRUE(f.Open(path, TShareMode::Exclusive, true));
  char buf[8] = {};
  EXPECT_EQ(f.ReadAt(8, buf, 8), 2);  // short at the end
  EXPECT_TRUE(f.WriteAt(12, "ab", 2));
  EXPECT_EQ(f.Size(), 14);
  EXPECT_TRUE(f.Truncate(5));
  EXPECT_EQ(f.Size(), 5);
  OsFileFaults().FailWriteAfter = 2;
  OsFileFaults().PartialBytes = 1;
  EXPECT_TRUE(f.WriteAt(0, "xy", 2));
  EXPECT_FALSE(f.WriteAt(0, "zw", 2));  // the second write fails after one byte
  EXPECT_EQ(f.ReadAt(0, buf, 2), 2);
  EXPECT_EQ(std::string(buf, 2), "zy");
  EXPECT_TRUE(f.WriteAt(0, "ok", 2));
  OsFileFaults().FailFlush = true;
  EXPECT_FALSE(f.Flush());
  OsFileFaults().Reset();
  EXPECT_TRUE(f.Flush());
  TOsFile r;
  f.Close();
  ASSERT_TRUE(r.Open(path, TShareMode::Shared, false));
  EXPECT_FALSE(r.WriteAt(0, "no", 2));  // read-only handle
}

TEST_F(OsFileTest, ProcessListClosesEverything) {
  int before = TOsFile::OpenFileCount();
  auto* a = new TOsFile;
  ASSERT_TRUE(a->Open(path, TShareMode::Exclusive, true));
  EXPECT_EQ(TOsFile::OpenFileCount(), before + 1);
  TOsFile::CloseAllFiles();
  EXPECT_FALSE(a->IsOpen());
  TOsFile b;
  EXPECT_TRUE(b.Open(path, TShareMode::Exclusive, true));
  delete a;
}

TEST_F(OsFileTest, RenameAndDelete) {
  std::string other = dir.filePath("g.bin").toStdString();
  EXPECT_TRUE(TOsFile::RenameFile(path, other));
  EXPECT_FALSE(TOsFile::Exists(path));
  hbtest::WriteFile(QString::fromStdString(path), "x");
  EXPECT_FALSE(TOsFile::RenameFile(path, other));  // never onto an existing file
  EXPECT_TRUE(TOsFile::DeleteFile(other));
  EXPECT_FALSE(TOsFile::Exists(other));
}

}  // namespace
}  // namespace hb
