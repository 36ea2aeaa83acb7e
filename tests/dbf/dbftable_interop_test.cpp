// Tables written by the engine read by independent readers (python3-dbfread, python3-dbf),
// a table written by python3-dbf read by the engine, and two processes on one table.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <thread>

#include "dbf/dbfbuilder.h"
#include "dbf/dbffields.h"
#include "testutil.h"

namespace hb {
namespace {

std::string Str(const QString& s) {
  return s.toStdString();
}

QString Python() {
  return QFile::exists("/usr/bin/python3") ? QStringLiteral("/usr/bin/python3")
                                           : QStringLiteral("python3");
}

// Runs a python script; false when python or a module is missing.
bool RunPython(const QString& script, const QString& cwd, QString& out, QString& err) {
  QProcess p;
  p.setWorkingDirectory(cwd);
  p.start(Python(), {"-c", script});
  if (!p.waitForStarted(5000)) return false;
  p.waitForFinished(30000);
  out = QString::fromUtf8(p.readAllStandardOutput());
  err = QString::fromUtf8(p.readAllStandardError());
  if (err.contains("ModuleNotFoundError")) return false;
  return true;
}

class DbfInteropTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  std::string Path(const char* name) { return Str(dir.filePath(name)); }

  // The python dbf module looks for the memo file by the table name's case, so the
  // FoxPro sample (memo ".fpt") gets a lower-case name.
  void WriteSample(TDbfTypes flavour, const char* name) {
    auto b = MakeDbfBuilder(Path(name), flavour);
    b->AddField("NAME", 'C', 0, 12);
    b->AddField("AMOUNT", 'N', 2, 10);
    b->AddField("DAY", 'D', 0, 8);
    b->AddField("OK", 'L', 0, 1);
    b->AddField("NOTE", 'M', 0, 10);
    b->Finish();
    TDbfFields t;
    t.Open(Path(name), false, true);
    struct {
      const char* Name;
      double Amount;
      int64_t Day;
      bool Ok;
      std::string Note;
    } rows[] = {{"alpha", 1.5, JulianFromDate(2024, 1, 2), true, "first memo"},
                {"beta", -2.25, 0, false, std::string(700, 'x')},
                {"caf\xE9", 0, JulianFromDate(1999, 12, 31), true, ""}};
    for (const auto& r : rows) {
      t.BlankRecord();
      t.WriteText(1, r.Name);
      t.WriteNumber(2, r.Amount);
      t.WriteDate(3, r.Day);
      t.WriteLogical(4, r.Ok);
      t.WriteMemo(5, r.Note);
      t.AppendRecord();
    }
  }

  QTemporaryDir dir;
};

const char* kExpected =
    "alpha|1.5|2024-01-02|True|first memo\n"
    "beta|-2.25|None|False|"
    "x700\n"
    "caf\xC3\xA9|0.0|1999-12-31|True|\n";

const char* kDbfReadScript =
    "import dbfread\n"
    "for r in dbfread.DBF(TABLEFILE, encoding='cp1252', char_decode_errors='strict'):\n"
    "    n = r['NOTE'] or ''\n"
    "    n = 'x%d' % len(n) if n.startswith('x' * 50) else n\n"
    "    print('%s|%s|%s|%s|%s' % (r['NAME'], float(r['AMOUNT']), r['DAY'], r['OK'], n))\n";

const char* kDbfScript =
    "import dbf\n"
    "t = dbf.Table(TABLEFILE, codepage='cp1252')\n"
    "t.open()\n"
    "for r in t:\n"
    "    n = (r.note or '').rstrip()\n"
    "    n = 'x%d' % len(n) if n.startswith('x' * 50) else n\n"
    "    print('%s|%s|%s|%s|%s' % (r.name.rstrip(), float(r.amount), r.day, r.ok, n))\n";

TEST_F(DbfInteropTest, FoxProTableReadByIndependentReaders) {
  WriteSample(TDbfTypes::FoxPro2, "sample.dbf");
  QString out, err;
  if (!RunPython(QString(kDbfReadScript).replace("TABLEFILE", "'sample.dbf'"), dir.path(), out,
                 err))
    GTEST_SKIP() << "python3-dbfread missing";
  EXPECT_EQ(out.toStdString(), kExpected) << err.toStdString();
  if (!RunPython(QString(kDbfScript).replace("TABLEFILE", "'sample.dbf'"), dir.path(), out, err))
    GTEST_SKIP() << "python3-dbf missing";
  EXPECT_EQ(out.toStdString(), kExpected) << err.toStdString();
}

TEST_F(DbfInteropTest, DBaseIIITableReadByIndependentReaders) {
  WriteSample(TDbfTypes::DBaseIII, "SAMPLE.DBF");
  QString out, err;
  if (!RunPython(QString(kDbfReadScript).replace("TABLEFILE", "'SAMPLE.DBF'"), dir.path(), out,
                 err))
    GTEST_SKIP() << "python3-dbfread missing";
  EXPECT_EQ(out.toStdString(), kExpected) << err.toStdString();
  if (!RunPython(QString(kDbfScript).replace("TABLEFILE", "'SAMPLE.DBF'"), dir.path(), out, err))
    GTEST_SKIP() << "python3-dbf missing";
  EXPECT_EQ(out.toStdString(), kExpected) << err.toStdString();
}

TEST_F(DbfInteropTest, FoxProTableWrittenByPythonDbf) {
  QString out, err;
  bool ran = RunPython(
      "import dbf, datetime\n"
      "t = dbf.Table('FOXPY.DBF', 'name C(10); amount N(10,2); day D; ok L; note M',"
      " dbf_type='fp', codepage='cp1252')\n"
      "t.open(dbf.READ_WRITE)\n"
      "t.append(('alpha', 1.5, datetime.date(2024,1,2), True, 'first memo'))\n"
      "t.append(('b\\u00e8ta', -2.25, None, False, 'y'*300))\n"
      "t.close()\n",
      dir.path(), out, err);
  if (!ran) GTEST_SKIP() << "python3-dbf missing: " << err.toStdString();
  ASSERT_TRUE(QFile::exists(dir.filePath("FOXPY.DBF"))) << err.toStdString();
  TDbfFields t;
  t.Open(Path("foxpy.dbf"), false, false);
  EXPECT_EQ(t.FieldCount(), 5);
  EXPECT_EQ(t.RecordCount(), 2u);
  t.GotoRecord(1);
  EXPECT_EQ(t.ReadText(1), "alpha");
  EXPECT_DOUBLE_EQ(t.ReadNumber(2), 1.5);
  EXPECT_EQ(t.ReadDate(3), JulianFromDate(2024, 1, 2));
  EXPECT_TRUE(t.ReadLogical(4));
  EXPECT_EQ(t.ReadText(5), "first memo");
  t.GotoRecord(2);
  EXPECT_EQ(t.ReadText(1), "b\xE8ta");
  EXPECT_DOUBLE_EQ(t.ReadNumber(2), -2.25);
  EXPECT_EQ(t.ReadDate(3), 0);
  EXPECT_FALSE(t.ReadLogical(4));
  EXPECT_EQ(t.ReadText(5), std::string(300, 'y'));
}

// ---- two processes ----

// The child side: runs only when the parent starts this program with HB_DBF_CHILD set to
// "append <path> <text>" or "open <path>", and prints what happened.
TEST(DbfChild, Run) {
  QByteArray task = qgetenv("HB_DBF_CHILD");
  if (task.isEmpty()) GTEST_SKIP() << "runs only as a child process";
  QList<QByteArray> parts = task.split(' ');
  std::string path = parts.value(1).toStdString();
  try {
    TDbfFields t;
    t.Open(path, true, true);
    if (parts[0] == "append") {
      t.BlankRecord();
      t.WriteText(1, parts.value(2).toStdString());
      t.AppendRecord();
      std::printf("CHILD appended %u\n", t.RecNo());
    } else {
      std::printf("CHILD opened\n");
    }
  } catch (const EDbfError& e) {
    std::printf("CHILD error %s\n", e.what());
  }
  std::fflush(stdout);
}

QString RunChild(const QString& task) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("HB_DBF_CHILD", task);
  env.insert("QT_QPA_PLATFORM", "offscreen");
  p.setProcessEnvironment(env);
  p.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=DbfChild.Run"});
  p.waitForFinished(30000);
  QString out = QString::fromUtf8(p.readAllStandardOutput());
  int at = out.indexOf("CHILD ");
  return at < 0 ? out : out.mid(at + 6, out.indexOf('\n', at) - at - 6);
}

TEST_F(DbfInteropTest, TwoProcessesOnOneTable) {
  auto b = MakeDbfBuilder(Path("SHARED"), TDbfTypes::FoxPro2);
  b->AddField("TEXT", 'C', 0, 10);
  b->Finish();
  std::string path = Path("SHARED.DBF");
  {
    TDbfFields t;
    t.Open(path, true, true);
    t.BlankRecord();
    t.WriteText(1, "parent1");
    t.AppendRecord();
    EXPECT_EQ(RunChild(QString::fromStdString("append " + path + " child")), "appended 2");
    t.BlankRecord();
    t.WriteText(1, "parent2");
    t.AppendRecord();
    EXPECT_EQ(t.RecNo(), 3u);
    t.GotoRecord(2);
    EXPECT_EQ(t.ReadText(1), "child");
  }
  {
    TDbfFields t;
    t.Open(path, false, true);
    EXPECT_EQ(RunChild(QString::fromStdString("open " + path)),
              QString::fromStdString("error Access denied to file " + path));
  }
  EXPECT_EQ(RunChild(QString::fromStdString("open " + path)), "opened");
}

}  // namespace
}  // namespace hb
