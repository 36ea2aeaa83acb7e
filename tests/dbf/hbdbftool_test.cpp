// The engine's command-line tool: info, dump, eval, tags, check, seek, reindex and pack on
// small tables, the built binary, a table written by python3-dbf, and bad usage and damaged
// files.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "dbf/cdxfile.h"
#include "dbf/dbfbuilder.h"
#include "dbf/dbffields.h"
#include "dbf/hbdbftool.h"
#include "dbf/indexdbfsource.h"
#include "testutil.h"

namespace hb {
namespace {

struct TRun {
  int Rc;
  QString Out, Err;
};

TRun RunTool(const QStringList& args) {
  QString o, e;
  QTextStream out(&o), err(&e);
  int rc = RunDbfTool(args, out, err);
  out.flush();
  err.flush();
  return {rc, o, e};
}

class HbdbfTool : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    fox = dir.filePath("PEOPLE.DBF");
    {
      TFoxBuilder b(fox.toStdString());
      b.AddField("NAME", 'C', 0, 10);
      b.AddField("NUM", 'N', 2, 8);
      b.AddField("DAY", 'D', 0, 8);
      b.AddField("NOTE", 'M', 0, 10);
      b.Finish();
    }
    TDbfFields t;
    t.Open(fox.toStdString(), false, true);
    struct {
      const char* Name;
      double Num;
      const char* Note;
    } rows[] = {{"piet", 3, "line1\nline2"}, {"Jan", 1, ""}, {"caf\xE9", 2, "x"}};
    for (const auto& r : rows) {
      t.BlankRecord();
      t.WriteTextByName("NAME", r.Name);
      t.WriteNumberByName("NUM", r.Num);
      t.WriteDateByName("DAY", JulianFromDate(2024, 1, 2));
      t.WriteMemo(4, r.Note);
      t.AppendRecord();
    }
    t.GotoRecord(2);
    t.MarkDeleted();
    t.RewriteRecord(2);
    TDbfIndexSource source(t);
    auto index = TCdxFile::OpenOrCreate(dir.filePath("PEOPLE.CDX").toStdString(), false, &source);
    index->CreateTag("UNAME", "UPPER(NAME)", "NUM > 1", false, false);
    index->CreateTag("NUM", "NUM", "", true, true);
  }
  QTemporaryDir dir;
  QString fox;
};

TEST_F(HbdbfTool, InfoShowsHeaderFieldsMemoAndIndex) {
  TRun r = RunTool({"info", fox});
  ASSERT_EQ(r.Rc, 0) << r.Err.toStdString();
  EXPECT_TRUE(r.Out.contains("Version:        0xF5"));
  EXPECT_TRUE(r.Out.contains("Records:        3"));
  EXPECT_TRUE(r.Out.contains("  NAME       C    10   0"));
  EXPECT_TRUE(r.Out.contains("  NUM        N     8   2"));
  EXPECT_TRUE(r.Out.contains("PEOPLE.fpt"));
  EXPECT_TRUE(r.Out.contains("PEOPLE.CDX (2 tags)"));
}

TEST_F(HbdbfTool, DumpInPhysicalAndTagOrderWithDeletedAndFilter) {
  TRun r = RunTool({"dump", fox});
  ASSERT_EQ(r.Rc, 0) << r.Err.toStdString();
  EXPECT_EQ(r.Out,
            "RECNO\tDEL\tNAME\tNUM\tDAY\tNOTE\n"
            "1\t\tpiet\t3.00\t2024-01-02\tline1\\nline2\n"
            "3\t\tcaf\u00E9\t2.00\t2024-01-02\tx\n");
  r = RunTool({"dump", fox, "--deleted", "--tag", "num"});
  ASSERT_EQ(r.Rc, 0) << r.Err.toStdString();
  QStringList lines = r.Out.split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 4);
  EXPECT_TRUE(lines[1].startsWith("1\t\tpiet"));
  EXPECT_TRUE(lines[3].startsWith("2\t*\tJan"));
  r = RunTool({"dump", fox, "--filter", "NUM < 3"});
  EXPECT_EQ(r.Out.count('\n'), 2);
  EXPECT_TRUE(r.Out.contains("3\t\tcaf"));
}

TEST_F(HbdbfTool, EvalPerRecordForOneRecordAndWithoutTable) {
  TRun r = RunTool({"eval", fox, "UPPER(NAME)"});
  ASSERT_EQ(r.Rc, 0) << r.Err.toStdString();
  EXPECT_EQ(r.Out, "1\tPIET      \tText\n2\tJAN       \tText\n3\tCAF\u00C9      \tText\n");
  r = RunTool({"eval", fox, "NUM * 2", "--recno", "3"});
  EXPECT_EQ(r.Out, "3\t4\tNumber\n");
  r = RunTool({"eval", "-", "1 + 2 = 3"});
  EXPECT_EQ(r.Out, ".T.\tBoolean\n");
}

TEST_F(HbdbfTool, TagsListKeysForExpressionsFlagsAndCounts) {
  TRun r = RunTool({"tags", fox});
  ASSERT_EQ(r.Rc, 0) << r.Err.toStdString();
  EXPECT_TRUE(r.Out.contains("UNAME\tUPPER(NAME)\tNUM > 1\tC\t10\t-\t2\n"));
  EXPECT_TRUE(r.Out.contains("NUM\tNUM\t\tN\t8\tunique,descending\t3\n"));
}

TEST_F(HbdbfTool, ErrorsGiveExitTwoWithAMessage) {
  struct {
    QStringList Args;
    const char* Message;
  } cases[] = {{{}, "no command"},
               {{"frobnicate", "X"}, "unknown command"},
               {{"dump"}, "needs one table"},
               {{"dump", "X", "--tag"}, "--tag needs a value"},
               {{"eval", "X", "1", "--recno", "0"}, "--recno"},
               {{"info", "/nonexistent/NOPE.DBF"}, "could not be found"},
               {{"eval", "-", "1 +"}, ""},
               {{"dump", "PEOPLE", "--tag", "NOPE"}, "Tag NOPE not found"},
               {{"seek", "PEOPLE", "UNAME"}, "needs a table, a tag and a key"},
               {{"seek", "PEOPLE", "", "x"}, "seek needs a tag name"},
               {{"seek", "PEOPLE", "NOPE", "x"}, "Cannot find index tag NOPE"},
               {{"seek", "PEOPLE", "NUM", "abc"}, "\"abc\" is not a number"},
               {{"dump", "PEOPLE", "--partial"}, "unknown option --partial"},
               {{"pack", "/nonexistent/NOPE.DBF"}, "could not be found"},
               {{"pack", "PEOPLE", "X"}, "needs one table"}};
  for (auto& c : cases) {
    for (QString& a : c.Args)
      if (a == "PEOPLE") a = fox;
    TRun r = RunTool(c.Args);
    EXPECT_EQ(r.Rc, 2) << c.Args.join(' ').toStdString();
    EXPECT_TRUE(r.Err.startsWith("hbdbf: ")) << r.Err.toStdString();
    EXPECT_TRUE(r.Err.contains(c.Message)) << r.Err.toStdString();
  }
  QByteArray bytes = hbtest::ReadFile(fox);
  bytes[8] = 0x05;  // header length too small
  bytes[9] = 0;
  QString bad = dir.filePath("BAD.DBF");
  ASSERT_TRUE(hbtest::WriteFile(bad, bytes));
  TRun r = RunTool({"dump", bad});
  EXPECT_EQ(r.Rc, 2);
  EXPECT_TRUE(r.Err.startsWith("hbdbf: ")) << r.Err.toStdString();
}

TEST_F(HbdbfTool, BuiltBinaryRunsAndReadsAPythonDbfTable) {
  QProcess p;
  p.start(hbtest::BinaryPath("hbdbf"), {"dump", fox, "--tag", "UNAME"});
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 0);
  EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()).count('\n'), 3);
  // Scripts test the exit code of a seek.
  p.start(hbtest::BinaryPath("hbdbf"), {"seek", fox, "UNAME", "NOBODY"});
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 1);
  EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()), "not found\n");

  QProcess py;
  py.setWorkingDirectory(dir.path());
  py.start(QFile::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3", {"-c",
                       "import dbf\n"
                       "t = dbf.Table('py.dbf', 'NAME C(8); QTY N(5,1)', dbf_type='db3')\n"
                       "t.open(dbf.READ_WRITE)\n"
                       "t.append(('abc', 1.5))\n"
                       "t.append(('def', -2))\n"
                       "t.close()\n"});
  if (!py.waitForStarted(5000) || !py.waitForFinished(30000) || py.exitCode() != 0)
    GTEST_SKIP() << "python3-dbf not available";
  TRun r = RunTool({"dump", dir.filePath("py.dbf")});
  ASSERT_EQ(r.Rc, 0) << r.Err.toStdString();
  EXPECT_EQ(r.Out, "RECNO\tDEL\tNAME\tQTY\n1\t\tabc\t1.5\n2\t\tdef\t-2.0\n");
}

}  // namespace
}  // namespace hb

namespace hb {
namespace {

TEST_F(HbdbfTool, CheckFindsAStaleTagAndReindexRepairsIt) {
  TRun r = RunTool({"check", fox});
  ASSERT_EQ(r.Rc, 0) << r.Out.toStdString() << r.Err.toStdString();
  {
    // A write that bypasses the index leaves both tags stale.
    TDbfFields t;
    t.Open(fox.toStdString(), false, true);
    t.GotoRecord(1);
    t.WriteTextByName("NAME", "zz");
    t.WriteNumberByName("NUM", 9);
    t.RewriteRecord(1);
  }
  r = RunTool({"check", fox});
  EXPECT_EQ(r.Rc, 1);
  EXPECT_TRUE(r.Out.contains("UNAME: record 1 has key \"PIET\", its record gives \"ZZ\""))
      << r.Out.toStdString();
  EXPECT_TRUE(r.Out.contains("NUM: record 1 has key 3, its record gives 9")) << r.Out.toStdString();
  r = RunTool({"reindex", fox});
  ASSERT_EQ(r.Rc, 0) << r.Err.toStdString();
  EXPECT_TRUE(r.Out.contains("Reindexed 2 tags of")) << r.Out.toStdString();
  EXPECT_TRUE(r.Err.contains("Storing the keys of a tag (")) << r.Err.toStdString();
  EXPECT_EQ(RunTool({"check", fox}).Rc, 0);
}

TEST_F(HbdbfTool, SeekGivesTheRecordOfAKeyOrNotFound) {
  {
    // A date tag beside the fixture's character and numeric tags.
    TDbfFields t;
    t.Open(fox.toStdString(), false, true);
    t.GotoRecord(3);
    t.WriteDateByName("DAY", JulianFromDate(2024, 3, 1));
    t.RewriteRecord(3);
    TDbfIndexSource source(t);
    auto index = TCdxFile::Open(dir.filePath("PEOPLE.CDX").toStdString(), false, true, &source);
    index->CreateTag("DAY", "DAY", "", false, false);
  }
  struct {
    QString Tag, Key;
    bool Partial;
    const char* Out;
  } cases[] = {
      {"UNAME", "PIET", false, "1"},
      {"uname", "PIET", false, "1"},           // tag names without regard to case
      {"UNAME", "piet", false, "not found"},   // keys as stored
      {"UNAME", "PI", false, "not found"},
      {"UNAME", "PI", true, "1"},
      {"UNAME", "CAF\u00C9", false, "3"},      // typed as Unicode, stored as Windows-1252
      {"UNAME", "JAN", false, "not found"},    // left out by the tag's FOR expression
      {"NUM", "2", false, "3"},
      {"NUM", "1.00", false, "2"},             // deleted records keep their keys
      {"NUM", "2.5", false, "not found"},
      {"DAY", "2024-01-02", false, "1"},
      {"DAY", "20240301", false, "3"},
      {"DAY", "01-03-2024", false, "3"},
      {"DAY", "2024-01-03", false, "not found"},
  };
  for (const auto& c : cases) {
    QStringList args = {"seek", fox, c.Tag, c.Key};
    if (c.Partial) args << "--partial";
    TRun r = RunTool(args);
    SCOPED_TRACE(args.join(' ').toStdString());
    EXPECT_EQ(r.Out.toStdString(), std::string(c.Out) + "\n") << r.Err.toStdString();
    EXPECT_EQ(r.Rc, std::string(c.Out) == "not found" ? 1 : 0);
  }
  TRun r = RunTool({"seek", fox, "DAY", "2024-13-45"});
  EXPECT_EQ(r.Rc, 2);
  EXPECT_TRUE(r.Err.contains("is not a date")) << r.Err.toStdString();
}

// The hour table stores its texts in code page 850: --oem reads them as such, and a key
// typed for seek is stored the same way.
TEST_F(HbdbfTool, OemTextIsShownAndSoughtInCodePage850) {
  {
    TDbfFields t;
    t.Open(fox.toStdString(), false, true);
    t.GotoRecord(1);
    t.WriteTextByName("NAME", "caf\x82");  // é in code page 850
    t.RewriteRecord(1);
  }
  RunTool({"reindex", fox});
  TRun ansi = RunTool({"dump", fox});
  TRun oem = RunTool({"dump", fox, "--oem"});
  EXPECT_TRUE(oem.Out.contains(u"caf\u00E9\t")) << oem.Out.toStdString();
  EXPECT_TRUE(ansi.Out.contains(u"caf\u201A\t")) << ansi.Out.toStdString();
  // Keys as stored: UPPER works by the Windows-1252 table, which leaves the OEM byte of é.
  EXPECT_EQ(RunTool({"seek", fox, "UNAME", QString::fromUtf8("CAF\xC3\xA9"), "--oem"}).Out, "1\n");
  EXPECT_EQ(RunTool({"seek", fox, "UNAME", QString::fromUtf8("CAF\xC3\x89")}).Out, "3\n");
  EXPECT_EQ(RunTool({"info", fox, "--oem"}).Rc, 2);  // only for commands that show record text
}

TEST_F(HbdbfTool, PackDropsDeletedRecordsKeepsMemosAndRebuildsTags) {
  {
    // Not while another handle has the table open.
    TDbfFields other;
    other.Open(fox.toStdString(), true, false);
    QByteArray before = hbtest::ReadFile(fox);
    TRun r = RunTool({"pack", fox});
    EXPECT_EQ(r.Rc, 2);
    EXPECT_TRUE(r.Err.contains("Access denied")) << r.Err.toStdString();
    EXPECT_EQ(hbtest::ReadFile(fox), before);
  }
  TRun r = RunTool({"pack", fox});
  ASSERT_EQ(r.Rc, 0) << r.Err.toStdString();
  EXPECT_TRUE(r.Out.contains(": 2 records kept, 1 removed, 2 tags rebuilt")) << r.Out.toStdString();
  EXPECT_TRUE(r.Err.contains("Copying records (3)\n")) << r.Err.toStdString();
  EXPECT_TRUE(r.Err.contains("Copying records: done\n")) << r.Err.toStdString();
  EXPECT_TRUE(r.Err.contains("Reading records for a tag (2)\n")) << r.Err.toStdString();

  r = RunTool({"dump", fox, "--deleted"});
  EXPECT_EQ(r.Out,
            "RECNO\tDEL\tNAME\tNUM\tDAY\tNOTE\n"
            "1\t\tpiet\t3.00\t2024-01-02\tline1\\nline2\n"
            "2\t\tcaf\u00E9\t2.00\t2024-01-02\tx\n");
  r = RunTool({"check", fox});
  EXPECT_EQ(r.Rc, 0) << r.Out.toStdString();
  EXPECT_EQ(RunTool({"seek", fox, "NUM", "2"}).Out, "2\n");

  // An independent reader sees the same records and memos.
  QProcess py;
  py.start("/usr/bin/python3",
           {"-c",
            "import sys, dbfread\n"
            "for r in dbfread.DBF(sys.argv[1], encoding='cp1252'):\n"
            "    print(r['NAME'], r['NUM'], repr(r['NOTE']))\n",
            fox});
  if (!py.waitForStarted(5000) || !py.waitForFinished(30000) || py.exitCode() != 0)
    GTEST_SKIP() << "python3-dbfread not available";
  EXPECT_EQ(QString::fromUtf8(py.readAllStandardOutput()),
            "piet 3.0 'line1\\nline2'\ncaf\u00E9 2.0 'x'\n");
}

}  // namespace
}  // namespace hb
