#include "util/log.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "platform/dialogservice.h"
#include "testutil.h"
#include "util/pathcontext.h"
#include "util/textfuncs.h"

namespace {

TEST(Log, LineFormat) {
  const QDateTime when(QDate(2005, 1, 31), QTime(14, 5, 9));
  EXPECT_EQ(hb::LogLine(when, "tekst"), "050131 14:05:09> tekst");
  EXPECT_EQ(hb::LogLine(when, ""), "050131 14:05:09> ");
}

TEST(Log, AppendsLinesWithCrLfAndCreatesTheFile) {
  QTemporaryDir dir;
  const QString file = dir.filePath("hblite.LOG");
  hb::Paths().LogFile = file;
  hb::Log("een");
  hb::LogFmt("%d records in %s", {12, "URUREN"});
  hb::Log("");
  const QList<QByteArray> lines = hbtest::ReadFile(file).split('\n');
  ASSERT_EQ(lines.size(), 4);
  EXPECT_TRUE(lines[3].isEmpty());
  const QRegularExpression shape("^\\d{6} \\d\\d:\\d\\d:\\d\\d> (.*)\r$");
  const char* texts[] = {"een", "12 records in URUREN", ""};
  for (int i = 0; i < 3; ++i) {
    auto m = shape.match(QString::fromUtf8(lines[i]));
    ASSERT_TRUE(m.hasMatch()) << lines[i].constData();
    EXPECT_EQ(m.captured(1), texts[i]);
  }
  EXPECT_THROW(hb::LogFmt("%d", {"x"}), hb::EFormatError);
  hb::Paths().LogFile.clear();
}

TEST(Log, FailuresAreSwallowed) {
  QTemporaryDir dir;
  EXPECT_FALSE(hb::LogTo(dir.path(), "a folder cannot be opened as a file"));
  EXPECT_FALSE(hb::LogTo(dir.filePath("missing/folder/x.log"), "nor in a missing folder"));
  EXPECT_FALSE(hb::LogTo("", "no log file"));
  hb::Paths().LogFile = dir.path();
  hb::Log("no throw, no dialog");
  hb::Paths().LogFile.clear();
  hb::Log("empty name: nothing happens");
}

TEST(Log, LogAndShowLogsThenWarnsWithTheProgramName) {
  QTemporaryDir dir;
  hb::Paths().LogFile = dir.filePath("x.log");
  hb::Paths().ProgramName = "hblite";
  hb::TScriptedDialogs dlg;
  hb::LogAndShow("Bestand ontbreekt");
  ASSERT_EQ(dlg.Shown().size(), 1);
  EXPECT_EQ(dlg.Shown()[0].kind, hb::TDialogKind::Warning);
  EXPECT_EQ(dlg.Shown()[0].title, "hblite");
  EXPECT_EQ(dlg.Shown()[0].text, "Bestand ontbreekt");
  EXPECT_TRUE(hbtest::ReadFile(dir.filePath("x.log")).endsWith("> Bestand ontbreekt\r\n"));
  hb::Paths().LogFile.clear();
  hb::Paths().ProgramName.clear();
}

}  // namespace
