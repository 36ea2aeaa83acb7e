// Several datasets on one table: an exclusive open shuts the others out, shared datasets
// coordinate through the record locks like separate workstations, also across processes.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <cstdio>
#include <iostream>

#include "dbf/dbfdataset.h"
#include "dbfdataset_fixture.h"

using namespace hb;
using hbtest::ErrorOf;

namespace {

void UsePeople(TDbfDataSet& t, const QString& folder) {
  t.SetDatabaseName(folder);
  t.SetTableName("PEOPLE");
  t.SetTranslateASCII(false);
  t.SetIndexFiles({"PEOPLE.CDX"});
  t.SetIndexName("NAME");
}

TEST(DbfDataSetShare, ExclusiveOpenShutsOutAnotherDatasetOfTheProcess) {
  hbtest::TPeopleTable p;
  TDbfDataSet a, b;
  UsePeople(a, p.folder);
  UsePeople(b, p.folder);
  a.SetExclusive(true);
  a.Open();
  EXPECT_EQ(ErrorOf([&] { b.Open(); }), QString::fromStdString("Access denied to file " + p.dbf));
  EXPECT_FALSE(b.Active());
  EXPECT_EQ(a.RecordCount(), 5);  // the exclusive one goes on undisturbed
  a.Last();
  EXPECT_EQ(a.FieldByName("NAME")->AsString(), "Els");
  a.Close();
  b.Open();
  EXPECT_EQ(b.RecordCount(), 5);
  // And the other way round: a shared open keeps an exclusive one out.
  a.SetExclusive(true);
  EXPECT_FALSE(ErrorOf([&] { a.Open(); }).isEmpty());
  EXPECT_FALSE(a.Active());
}

TEST(DbfDataSetShare, TwoDatasetsBehaveLikeTwoWorkstations) {
  hbtest::TPeopleTable p;
  TDbfDataSet a, b;
  UsePeople(a, p.folder);
  UsePeople(b, p.folder);
  a.Open();
  b.Open();

  ASSERT_TRUE(a.Find("Cor", true, false));
  ASSERT_TRUE(b.Find("Cor", true, false));
  a.Edit();
  EXPECT_EQ(ErrorOf([&] { b.Edit(); }), "Record is locked by another user");
  EXPECT_EQ(b.State(), TDataSetState::dsBrowse);
  // Another record is free.
  b.Next();
  b.Edit();
  b.FieldByName("AGE")->SetAsInteger(99);
  b.Post();
  a.FieldByName("NAME")->SetAsString("Cees");
  a.Post();

  // The other dataset sees the changes when it reads again.
  b.Refresh();
  EXPECT_EQ(b.FieldByName("NAME")->AsString(), "Dirk");
  EXPECT_TRUE(b.Find("Cees", true, false));
  EXPECT_EQ(b.RecNo(), 1);
  b.Edit();  // the lock is free after the post
  b.FieldByName("AGE")->SetAsInteger(41);
  b.Post();
  a.Refresh();
  EXPECT_EQ(a.FieldByName("AGE")->AsInteger(), 41);
  ASSERT_TRUE(a.Find("Dirk", true, false));
  EXPECT_EQ(a.FieldByName("AGE")->AsInteger(), 99);

  // An append of one is found by the other in its index order; a cancelled edit frees the lock.
  b.Append();
  b.FieldByName("NAME")->SetAsString("Zora");
  b.Post();
  EXPECT_EQ(a.RecordCount(), 6);
  a.Last();
  EXPECT_EQ(a.FieldByName("NAME")->AsString(), "Zora");
  a.Edit();
  a.Cancel();
  b.Edit();
  b.Delete();
  a.Refresh();
  a.Last();
  EXPECT_EQ(a.FieldByName("NAME")->AsString(), "Els");
}

// ---- another process

// The child side: runs only when the parent starts this program with HB_DATASET_CHILD set to
// the table's folder. It locks Cor by editing it, says so, and holds the lock until a line
// arrives on its input.
TEST(DbfDataSetChild, Run) {
  const QByteArray folder = qgetenv("HB_DATASET_CHILD");
  if (folder.isEmpty()) GTEST_SKIP() << "runs only as a child process";
  try {
    TDbfDataSet t;
    UsePeople(t, QString::fromUtf8(folder));
    t.Open();
    t.Find("Cor", true, false);
    t.Edit();
    std::printf("CHILD locked\n");
    std::fflush(stdout);
    std::string line;
    std::getline(std::cin, line);
    t.Cancel();
    std::printf("CHILD done\n");
  } catch (const std::exception& e) {
    std::printf("CHILD error %s\n", e.what());
  }
  std::fflush(stdout);
}

TEST(DbfDataSetShare, RecordLockedByAnotherProcessIsRefusedAtOnce) {
  hbtest::TPeopleTable p;
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("HB_DATASET_CHILD", p.folder);
  env.insert("QT_QPA_PLATFORM", "offscreen");
  child.setProcessEnvironment(env);
  child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=DbfDataSetChild.Run"});
  QByteArray out;
  QElapsedTimer wait;
  wait.start();
  while (!out.contains("CHILD ") && wait.elapsed() < 30000 && child.waitForReadyRead(30000))
    out += child.readAllStandardOutput();
  ASSERT_TRUE(out.contains("CHILD locked")) << out.toStdString();

  TDbfDataSet t;
  UsePeople(t, p.folder);
  t.Open();
  ASSERT_TRUE(t.Find("Cor", true, false));
  QElapsedTimer took;
  took.start();
  EXPECT_EQ(ErrorOf([&] { t.Edit(); }), "Record is locked by another user");
  // One attempt: far below the five seconds of the retried locks.
  EXPECT_LT(took.elapsed(), 2000);
  EXPECT_EQ(t.State(), TDataSetState::dsBrowse);
  t.Next();
  t.Edit();  // other records are free
  t.Cancel();

  child.write("\n");
  child.closeWriteChannel();
  ASSERT_TRUE(child.waitForFinished(30000));
  out += child.readAllStandardOutput();
  EXPECT_TRUE(out.contains("CHILD done")) << out.toStdString();
  t.First();
  ASSERT_TRUE(t.Find("Cor", true, false));
  t.Edit();
  EXPECT_EQ(t.State(), TDataSetState::dsEdit);
  t.Cancel();
}

}  // namespace
