// The handler's write path: deletion marks kept in the filter bitmap and in tags whose key
// or FOR expression uses DELETED(), the index locks around every write, and two handles in
// each of two processes writing one shared table at the same time, after which every tag
// must still agree with the records.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <map>
#include <random>
#include <set>
#include <thread>

#include "dbf/cdxfile.h"
#include "dbf/dbfbuilder.h"
#include "dbf/dbfhandler.h"
#include "dbf/hbdbftool.h"
#include "dbf/indexdbfsource.h"
#include "platform/osfile.h"
#include "testutil.h"

using namespace hb;

namespace {

std::string Differences(TDbfFields& table, TCdxFile& index) {
  std::string out;
  for (const TTagDifference& d : CompareTagsWithRecords(table, index))
    out += d.Tag + ": " + d.What + "\n";
  return out;
}

// The differences between the tags of a table's index file and its records, read by fresh
// handles.
std::string CheckTable(const std::string& dbf, const std::string& cdx) {
  TDbfFields t;
  t.Open(dbf, true, false);
  TDbfIndexSource source(t);
  auto index = TCdxFile::Open(cdx, true, false, &source);
  return Differences(t, *index);
}

std::vector<uint32_t> Walk(TDbfHandler& h) {
  std::vector<uint32_t> out;
  for (h.GotoRecord(TDbfTable::kGotoFirst); !h.Eof(); h.GotoRecord(TDbfTable::kGotoNext))
    out.push_back(h.RecNo());
  return out;
}

}  // namespace

TEST(DbfHandlerWrite, DeletionAndRecallKeepFilterBitsAndDeletionTagsAndTakeTheIndexLocks) {
  QTemporaryDir dir;
  std::string dbf = dir.filePath("T.DBF").toStdString();
  std::string cdx = dir.filePath("T.CDX").toStdString();
  {
    TDbfBuilder b(dbf);
    b.AddField("NAME", 'C', 0, 10);
    b.Finish();
    TDbfHandler h;
    h.Open(dbf, false, true);
    for (int i = 0; i < 6; ++i) {
      h.BlankRecord();
      h.WriteTextByName("NAME", "n" + std::to_string(i));
      h.AppendRecord();
    }
    h.CreateIndexTag(cdx, "NAME", 0, true, "", "NAME");
    h.CreateIndexTag(cdx, "LIVE", 0, true, "!DELETED()", "NAME");
    h.CreateIndexTag(cdx, "DEL", 0, true, "", "IIF(DELETED(), 'D', 'L') + NAME");
  }
  TDbfHandler h;
  h.Open(dbf, true, true);
  h.OpenIndexFiles("T.CDX", "NAME");
  h.SetFilterExpression("!DELETED()", false, false);
  h.SetFilterActive(true);
  h.SetLockRetryWait(1);
  h.AutoFlush = true;  // every write also flushes the index file

  h.GotoRecord(3);
  h.MarkDeleted();
  EXPECT_FALSE(h.FilterBits().Test(3));
  EXPECT_FALSE(h.Moved());  // still in the master tag
  EXPECT_EQ(h.FindInTag("LIVE", "n2"), 0);
  EXPECT_EQ(h.FindInTag("DEL", "Ln2"), 0);
  EXPECT_EQ(h.FindInTag("DEL", "Dn2"), 3);
  EXPECT_EQ(Walk(h), (std::vector<uint32_t>{1, 2, 4, 5, 6}));
  EXPECT_EQ(Differences(h, *h.IndexFile(1)), "");

  h.GotoRecord(3);
  h.UnmarkDeleted();
  EXPECT_TRUE(h.FilterBits().Test(3));
  EXPECT_EQ(h.FindInTag("LIVE", "n2"), 3);
  EXPECT_EQ(h.FindInTag("DEL", "Ln2"), 3);
  EXPECT_EQ(h.FindInTag("DEL", "Dn2"), 0);
  EXPECT_EQ(Walk(h), (std::vector<uint32_t>{1, 2, 3, 4, 5, 6}));

  // With the index file locked elsewhere, a deletion fails and writes nothing.
  TOsFile other;
  ASSERT_TRUE(other.Open(cdx, TShareMode::Shared, true));
  ASSERT_TRUE(other.LockRegion(0x7FFFFFFD, 1));
  QByteArray table = hbtest::ReadFile(QString::fromStdString(dbf));
  QByteArray index = hbtest::ReadFile(QString::fromStdString(cdx));
  h.GotoRecord(4);
  try {
    h.MarkDeleted();
    FAIL() << "the deletion went ahead without the index lock";
  } catch (const EDbfError& e) {
    EXPECT_EQ(std::string(e.what()), "Can not Lock file " + h.IndexFile(1)->Path());
  }
  EXPECT_FALSE(h.Deleted());
  EXPECT_EQ(hbtest::ReadFile(QString::fromStdString(dbf)), table);
  EXPECT_EQ(hbtest::ReadFile(QString::fromStdString(cdx)), index);
  EXPECT_TRUE(h.FilterBits().Test(4));
  other.UnlockRegion(0x7FFFFFFD, 1);

  h.GotoRecord(4);
  h.MarkDeleted();
  EXPECT_EQ(h.FindInTag("LIVE", "n3"), 0);
  EXPECT_EQ(Differences(h, *h.IndexFile(1)), "");
}

// ---- two handles in each of two processes -------------------------------------------------

namespace {

// One handle writing the shared table: appends with a unique ID, rewrites of name and
// number, and deletion marks set and removed, on random records; rewrites and deletions
// hold the record lock from reading to writing, as the dataset does.
class TWriter {
 public:
  TWriter(const std::string& dbf, const std::string& id, const std::string& master,
          bool filtered, uint32_t seed)
      : id_(id), rng_(seed) {
    h_.Open(dbf, true, true);
    h_.OpenIndexFiles("SHARED.CDX", master);
    h_.SetLockRetryWait(10);
    if (filtered) {
      h_.SetFilterExpression("!DELETED()", false, false);
      h_.SetFilterActive(true);
    }
  }

  void Step() {
    int op = static_cast<int>(rng_() % 10);
    try {
      if (op < 5 || h_.RecordCount() == 0) {
        std::string id = id_ + "-" + std::to_string(serial_++);
        h_.BlankRecord();
        h_.WriteTextByName("ID", id);
        h_.WriteTextByName("NAME", Name());
        h_.WriteNumberByName("NUM", rng_() % 1000);
        h_.AppendRecord();
        Appended.push_back(id);
        AppendedAt.push_back(h_.RecNo());
        return;
      }
      uint32_t r = 1 + rng_() % h_.RecordCount();
      if (!h_.LockRecord(r)) {
        ++Refused;  // another handle is on it
        return;
      }
      try {
        h_.GotoRecord(r);
        if (op < 9) {
          h_.WriteTextByName("NAME", Name());
          h_.WriteNumberByName("NUM", rng_() % 1000);
          h_.RewriteRecord(r);
        } else if (h_.Deleted()) {
          h_.UnmarkDeleted();
        } else {
          h_.MarkDeleted();
        }
      } catch (...) {
        h_.UnlockTable();
        throw;
      }
      h_.UnlockTable();
    } catch (const EDbfError& e) {
      // An index lock that stayed taken past the retries: nothing was written.
      if (std::string(e.what()).rfind("Can not Lock file", 0) != 0) throw;
      ++Refused;
    }
  }

  std::vector<std::string> Appended;
  std::vector<uint32_t> AppendedAt;
  int Refused = 0;

 private:
  // Random capitals: keys that share short prefixes, so leaves fill and split quickly.
  std::string Name() {
    std::string s;
    for (int i = 0; i < 24; ++i) s += static_cast<char>('A' + rng_() % 26);
    return s;
  }

  TDbfHandler h_;
  std::string id_;
  std::mt19937 rng_;
  int serial_ = 0;
};

// Both writers of one process, taking turns in a random order.
void RunWriters(TWriter& a, TWriter& b, int steps, uint32_t seed) {
  std::mt19937 rng(seed);
  for (int i = 0; i < steps; ++i) {
    (rng() % 2 ? a : b).Step();
    if (i % 8 == 0) std::this_thread::sleep_for(std::chrono::microseconds(300));
  }
}

}  // namespace

// The child side: runs only when the parent starts this program with HB_HANDLER_CHILD set
// to "<table> <go file> <steps> <seed>"; it opens two handles, says it is ready, waits for
// the go file, writes, and prints the IDs it appended.
TEST(DbfHandlerWriteChild, Run) {
  QByteArray task = qgetenv("HB_HANDLER_CHILD");
  if (task.isEmpty()) GTEST_SKIP() << "runs only as a child process";
  QList<QByteArray> parts = task.split(' ');
  ASSERT_EQ(parts.size(), 4);
  std::string dbf = parts[0].toStdString();
  QString go = QString::fromUtf8(parts[1]);
  int steps = parts[2].toInt();
  uint32_t seed = parts[3].toUInt();
  try {
    TWriter a(dbf, "C1", "NUMD", false, seed + 1);
    TWriter b(dbf, "C2", "", true, seed + 2);
    std::printf("CHILD ready\n");
    std::fflush(stdout);
    for (int i = 0; i < 3000 && !QFile::exists(go); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    RunWriters(a, b, steps, seed);
    std::string ids;
    for (TWriter* w : {&a, &b})
      for (const std::string& id : w->Appended) ids += id + ",";
    std::printf("CHILD ids %s\n", ids.c_str());
    std::printf("CHILD refused %d\n", a.Refused + b.Refused);
  } catch (const std::exception& e) {
    std::printf("CHILD error %s\n", e.what());
  }
  std::fflush(stdout);
}

TEST(DbfHandlerWrite, TwoHandlesInTwoProcessesKeepEveryTagConsistent) {
  QTemporaryDir dir;
  std::string dbf = dir.filePath("SHARED.DBF").toStdString();
  std::string cdx = dir.filePath("SHARED.CDX").toStdString();
  {
    TFoxBuilder b(dbf);
    b.AddField("ID", 'C', 0, 10);
    b.AddField("NAME", 'C', 0, 24);
    b.AddField("NUM", 'N', 0, 6);
    b.Finish();
    TDbfHandler h;
    h.Open(dbf, false, true);
    for (int i = 0; i < 40; ++i) {
      h.BlankRecord();
      h.WriteTextByName("ID", "S-" + std::to_string(i));
      h.WriteTextByName("NAME", "START" + std::to_string(i));
      h.WriteNumberByName("NUM", i);
      h.AppendRecord();
    }
    h.CreateIndexTag(cdx, "NAME", 0, true, "", "UPPER(NAME)");
    h.CreateIndexTag(cdx, "LIVE", 0, true, "!DELETED()", "NAME");
    h.CreateIndexTag(cdx, "NUMD", 1, true, "", "NUM");
    h.CreateIndexTag(cdx, "ID", 0, false, "", "ID");
    h.CreateIndexTag(cdx, "DEL", 0, true, "", "IIF(DELETED(), 'D', 'L') + ID");
  }
  ASSERT_EQ(CheckTable(dbf, cdx), "");
  const int64_t indexSize = QFile(QString::fromStdString(cdx)).size();
  const int kSteps = 700;
  QString go = dir.filePath("go");

  TWriter p1(dbf, "P1", "NAME", false, 11);
  TWriter p2(dbf, "P2", "", true, 12);
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("HB_HANDLER_CHILD", QString("%1 %2 %3 %4")
                                     .arg(QString::fromStdString(dbf), go)
                                     .arg(kSteps)
                                     .arg(7));
  env.insert("QT_QPA_PLATFORM", "offscreen");
  child.setProcessEnvironment(env);
  child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=DbfHandlerWriteChild.Run"});
  QByteArray output;
  while (!output.contains("CHILD ready") && child.waitForReadyRead(30000))
    output += child.readAllStandardOutput();
  ASSERT_TRUE(output.contains("CHILD ready")) << output.toStdString();
  ASSERT_TRUE(hbtest::WriteFile(go, "go"));
  {
    // Start once the child writes, so that both processes write at the same time.
    TDbfFields probe;
    probe.Open(dbf, true, false);
    for (int i = 0; i < 1000 && probe.RecordCount() <= 40; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      probe.RefreshHeader();
    }
  }
  RunWriters(p1, p2, kSteps, 13);
  ASSERT_TRUE(child.waitForFinished(120000));
  output += child.readAllStandardOutput();
  ASSERT_FALSE(output.contains("CHILD error")) << output.toStdString();
  int at = output.indexOf("CHILD ids ");
  ASSERT_GE(at, 0) << output.toStdString();
  QByteArray idLine = output.mid(at + 10, output.indexOf('\n', at) - at - 10);

  // Every append of every handle is there once, under its own record number.
  std::multiset<std::string> expected;
  for (const QByteArray& id : idLine.split(','))
    if (!id.isEmpty()) expected.insert(id.toStdString());
  for (TWriter* w : {&p1, &p2}) expected.insert(w->Appended.begin(), w->Appended.end());
  for (int i = 0; i < 40; ++i) expected.insert("S-" + std::to_string(i));
  std::multiset<std::string> found;
  std::string owners;  // P or C per record, in record order
  TDbfFields t;
  t.Open(dbf, true, false);
  {
    for (uint32_t r = 1; r <= t.RecordCount(); ++r) {
      t.GotoRecord(r);
      std::string id = t.ReadTextByName("ID");
      found.insert(id);
      owners += id[0];
    }
  }
  EXPECT_EQ(found, expected);
  for (TWriter* w : {&p1, &p2})
    for (size_t i = 0; i < w->Appended.size(); ++i) {
      t.GotoRecord(w->AppendedAt[i]);
      EXPECT_EQ(t.ReadTextByName("ID"), w->Appended[i]);
    }
  // The processes really took turns: their appends alternate in the file. Three changes of
  // owner (one process, the other, the first again) cannot come from one process finishing
  // before the other began; how many more there are depends on the machine's load.
  int turns = 0;
  char last = 'S';
  for (char c : owners)
    if (c != 'S' && c != last) {
      ++turns;
      last = c;
    }
  EXPECT_GE(turns, 3) << owners;

  // The tags grew by splitting pages, and every tag agrees with the records.
  EXPECT_GE(QFile(QString::fromStdString(cdx)).size(), indexSize + 40 * 512);
  EXPECT_EQ(CheckTable(dbf, cdx), "");
  std::printf("[          ] %zu records, %d turns, %d writes refused here\n", found.size(), turns,
              p1.Refused + p2.Refused);
}
