// The built program started on a temporary program folder, with the Windows folder in
// another temporary folder, scripted dialogs and a main window that closes itself once the
// start-up is complete.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>

#include "platform/folders.h"
#include "platform/inifile.h"
#include "platform/osfile.h"
#include "platform/singleinstance.h"
#include "testutil.h"

namespace {

// The answers of a first start on an empty data folder: create the folder, "&Altijd Ja" to
// the table structure questions, add the login name as employee.
const char* const kFirstStart = "yes,always,yes";
// The same once the data folder exists.
const char* const kNewTables = "always,yes";

struct TRun {
  bool finished = false;
  int exitCode = -1;
  QStringList dialogs;  // "kind|title|text"
};

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(prog_.isValid() && windir_.isValid() && cwd_.isValid());
    // A name of its own per test, so that runs of other test programs are not taken for
    // a running instance.
    static int counter = 0;
    name_ = QString("hbt%1x%2").arg(QCoreApplication::applicationPid()).arg(++counter);
    const QString built = hbtest::BinaryPath("hblite");
    ASSERT_TRUE(QFile::exists(built)) << "build hblite first";
    ASSERT_TRUE(QFile::copy(built, Prog(name_)));
    QFile::setPermissions(Prog(name_), QFile::permissions(built));
    // The meta table ships beside the program, named after it.
    for (const char* ext : {".DBF", ".FPT", ".CDX"}) {
      ASSERT_TRUE(QFile::copy(hbtest::BinaryPath(QString("hblite") + ext), Prog(name_ + ext)));
      QFile::setPermissions(Prog(name_ + ext), QFile::ReadOwner | QFile::WriteOwner);
    }
  }

  QString Prog(const QString& file) const { return QDir(prog_.path()).filePath(file); }
  QString Data(const QString& file) const { return Prog("data/" + file); }
  QString ProgramIni() const { return Prog(name_ + ".INI"); }
  // The personal ini by default: the program's name with ".ini" in the Windows folder.
  QString PersonalIni() const { return windir_.filePath(name_ + ".ini"); }

  // Starts the program; with quitAfterStart false it keeps running until it is stopped.
  void Start(QProcess& p, const QStringList& args, const QString& answers, const QString& log,
             bool quitAfterStart = true) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOURBOOK_WINDIR", windir_.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    if (quitAfterStart)
      env.insert("HOURBOOK_QUIT_AFTER_START", "1");
    else
      env.remove("HOURBOOK_QUIT_AFTER_START");
    env.insert("HOURBOOK_DIALOG_LOG", log);
    env.insert("HOURBOOK_DIALOG_ANSWERS", answers);
    env.remove("HOURBOOK_SHELL_LOG");
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(cwd_.path());
    p.start(Prog(name_), args);
  }

  TRun Run(const QStringList& args, const QString& answers = {},
           const std::function<void()>& whileRunning = {}) {
    const QString log = windir_.filePath("dialogs.log");
    QFile::remove(log);
    QProcess p;
    Start(p, args, answers, log);
    TRun run;
    // The test's own event loop keeps running, for a single-instance server held here.
    for (int waited = 0; waited < 30000 && !run.finished; waited += 20) {
      if (whileRunning) whileRunning();
      QCoreApplication::processEvents();
      run.finished = p.waitForFinished(20);
    }
    if (!run.finished) {
      p.kill();
      p.waitForFinished();
      return run;
    }
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.dialogs = QString::fromUtf8(hbtest::ReadFile(log)).split('\n', Qt::SkipEmptyParts);
    return run;
  }

  // The main window was shown and closed: it saved its placement.
  bool MainWindowRan() const { return hb::TIniFile(PersonalIni()).SectionExists("MainForm"); }

  QTemporaryDir prog_, windir_, cwd_;
  QString name_;
};

TEST_F(ProgramTest, FirstStartCreatesTheDataFolderTablesAndSampleData) {
  TRun run = Run({"/USER=test"}, kFirstStart);
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0);
  // The data module asks for the folder, then for the tables, then for the new employee.
  const qsizetype folder = run.dialogs.indexOf(
      QString("question|%1|%2 bestaat niet, aanmaken?").arg(name_, Prog("data")));
  const qsizetype tables =
      run.dialogs.indexOf("yesnoalways|Bijwerken Database|Tabel URAUTOR niet aanwezig, aanmaken?");
  const qsizetype employee = run.dialogs.indexOf(
      QString("question|%1|Medewerker TEST komt niet voor in de lijst, Toevoegen?").arg(name_));
  EXPECT_TRUE(folder >= 0 && folder < tables && tables < employee)
      << run.dialogs.join('\n').toStdString();
  EXPECT_EQ(run.dialogs.filter("yesnoalways|").size(), 1);  // "&Altijd Ja" answered the rest
  EXPECT_TRUE(QFileInfo(Prog("data")).isDir());

  hb::TIniFile ini(ProgramIni());
  EXPECT_EQ(ini.ReadString("Paths", "Data"), "data\\");
  EXPECT_FALSE(ini.ReadString("Paths", "LogFile").isEmpty());
  EXPECT_FALSE(ini.ReadString("System", "Version").isEmpty());
  EXPECT_TRUE(MainWindowRan());

  // The three tables with their indexes, checked by the table tool, and the sample data.
  for (const char* table : {"URSTAM", "URAUTOR", "URUREN"}) {
    SCOPED_TRACE(table);
    EXPECT_TRUE(QFileInfo::exists(Data(QString(table) + ".CDX")));
    QProcess check;
    check.start(hbtest::BinaryPath("hbdbf"), {"check", Data(QString(table) + ".DBF")});
    ASSERT_TRUE(check.waitForFinished(30000));
    EXPECT_EQ(check.exitCode(), 0) << check.readAll().toStdString();
  }
  QProcess dump;
  dump.start(hbtest::BinaryPath("hbdbf"), {"dump", Data("URSTAM.DBF"), "--tag", "TYPEID"});
  ASSERT_TRUE(dump.waitForFinished(30000));
  const QStringList rows = QString::fromLatin1(dump.readAll()).split('\n', Qt::SkipEmptyParts);
  EXPECT_EQ(rows.size(), 1 + 14);  // heading, MaxID, 12 sample items, the new employee
  // Fields in key order of the meta rows: AFKORTING, ID, ..., TOEGANG, TYPE.
  EXPECT_EQ(rows.filter(QRegularExpression("\\tTEST\\t0000000013\\t.*\\tB\\tM$")).size(), 1)
      << rows.join('\n').toStdString();

  // The second start finds everything in place and asks nothing.
  QFile::remove(PersonalIni());
  run = Run({"/USER=test"});
  EXPECT_EQ(run.exitCode, 0);
  for (const QString& line : run.dialogs)
    EXPECT_FALSE(line.startsWith("question") || line.startsWith("yesnoalways"))
        << line.toStdString();
  EXPECT_TRUE(MainWindowRan());
}

TEST_F(ProgramTest, SecondProgramOnTheSameDataFolderStops) {
  ASSERT_EQ(Run({"/USER=test"}, kFirstStart).exitCode, 0);
  // The first program keeps running with the tables open.
  QProcess first;
  Start(first, {"/USER=test"}, {}, windir_.filePath("first.log"), false);
  bool open = false;
  for (int waited = 0; waited < 30000 && !open; waited += 50) {
    QCoreApplication::processEvents();
    QThread::msleep(50);
    hb::TOsFile probe;
    open = !probe.Open(Data("URUREN.DBF").toStdString(), hb::TShareMode::Shared, false);
  }
  ASSERT_TRUE(open) << "the first program did not open its tables";

  QFile::remove(PersonalIni());
  TRun run = Run({"/USER=test", "/RESTART"}, "always,always,always");
  first.kill();
  first.waitForFinished();
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.dialogs.contains(
      QString("warning|%1|Database niet te openen (zie log)\\nProgramma gestopt.").arg(name_)))
      << run.dialogs.join('\n').toStdString();
  EXPECT_FALSE(MainWindowRan());
  // Nothing of the first program's tables was moved.
  EXPECT_EQ(QDir(Prog("data")).entryList({"*~*"}), QStringList());
}

TEST_F(ProgramTest, RefusedDataFolderEndsTheProgram) {
  TRun run = Run({"/USER=test"}, "no");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_FALSE(QFileInfo::exists(Prog("data")));
  EXPECT_FALSE(MainWindowRan());
}

TEST_F(ProgramTest, SecondInstanceIsRefusedUnlessRestarted) {
  ASSERT_TRUE(QDir(prog_.path()).mkdir("data"));
  // This test program plays the running instance.
  hb::TSingleInstance running(name_);
  ASSERT_FALSE(running.AnotherIsRunning());
  QSignalSpy raised(&running, &hb::TSingleInstance::ActivationRequested);

  TRun run = Run({"/USER=test"});
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.dialogs.contains("information|Hourbook|Hourbook is reeds actief"))
      << run.dialogs.join('\n').toStdString();
  for (int i = 0; i < 50 && raised.isEmpty(); ++i) raised.wait(20);
  EXPECT_FALSE(raised.isEmpty());
  EXPECT_FALSE(MainWindowRan());

  run = Run({"/USER=test", "/RESTART"}, kNewTables);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_FALSE(run.dialogs.contains("information|Hourbook|Hourbook is reeds actief"));
  EXPECT_TRUE(MainWindowRan());
}

TEST_F(ProgramTest, UninstallSwitchEndsWithoutLoginOrWindow) {
  ASSERT_TRUE(QDir(prog_.path()).mkdir("data"));
  TRun run = Run({"/uninstall"});
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_FALSE(run.dialogs.contains("input|Hourbook login|Gebruikersnaam:"));
  EXPECT_FALSE(MainWindowRan());
}

TEST_F(ProgramTest, LoginWithoutNameAsksAndCancelEndsBeforeAnyWindow) {
  ASSERT_TRUE(QDir(prog_.path()).mkdir("data"));
  // "/USER=" without a name falls back to the environment setting, which is not set.
  TRun run = Run({"/USER="}, "cancel");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.dialogs.contains("input|Hourbook login|Gebruikersnaam:"))
      << run.dialogs.join('\n').toStdString();
  EXPECT_FALSE(MainWindowRan());

  // [Environment] UserEnv=WINUSER supplies the name without a question.
  // A name of blanks is no name either.
  run = Run({"/USER=  "}, "cancel");
  EXPECT_TRUE(run.dialogs.contains("input|Hourbook login|Gebruikersnaam:"));
  EXPECT_FALSE(MainWindowRan());

  ASSERT_TRUE(hb::TIniFile(ProgramIni()).WriteString("Environment", "UserEnv", "WINUSER"));
  run = Run({"/USER="}, kNewTables);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_FALSE(run.dialogs.contains("input|Hourbook login|Gebruikersnaam:"));
  EXPECT_TRUE(MainWindowRan());
}

TEST_F(ProgramTest, BadSettingsFilesAndArgumentsDoNotStopTheStart) {
  struct TCase {
    const char* what;
    std::function<void()> prepare;
    QStringList args;
  } cases[] = {
      {"program ini is a folder",
       [&] { QDir(prog_.path()).mkdir(name_ + ".INI"); },
       {"/USER=test"}},
      {"log file cannot be opened",
       [&] {
         QDir(prog_.path()).mkdir("data");
         hbtest::WriteFile(ProgramIni(), "[Paths]\r\nData=data\\\r\nLogFile=data\\\r\n");
       },
       {"/USER=test"}},
      {"personal ini holds garbage",
       [&] {
         QDir(prog_.path()).mkdir("data");
         hbtest::WriteFile(PersonalIni(),
                           QByteArray("\xff\xfe[Grid\x00\nfontsize=-5\n[Colors]\nwork=x", 38));
       },
       {"/USER=test"}},
      {"lone quote as user name",
       [&] { QDir(prog_.path()).mkdir("data"); },
       {"/USER=\"", "/debug"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    // Each case on a clean program folder and Windows folder.
    for (QTemporaryDir* dir : {&prog_, &windir_}) {
      for (const QFileInfo& entry :
           QDir(dir->path()).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        // The program and its meta table stay.
        if (entry.fileName() == name_ ||
            QStringList({".DBF", ".FPT", ".CDX"}).contains(entry.fileName().mid(name_.size())))
          continue;
        entry.isDir() ? QDir(entry.filePath()).removeRecursively()
                      : QFile::remove(entry.filePath());
      }
    }
    c.prepare();
    TRun run = Run(c.args, kFirstStart);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(MainWindowRan());
  }
}

TEST_F(ProgramTest, PersonalIniInTheUsersOwnFolder) {
  ASSERT_TRUE(QDir(prog_.path()).mkdir("data"));
  QTemporaryDir users;
  ASSERT_TRUE(QDir(users.path()).mkdir(hb::LoginName()));
  ASSERT_TRUE(hbtest::WriteFile(
      ProgramIni(),
      ("[Paths]\r\nData=data\\\r\nPersIni=" + users.path() + "/%WinUser%\r\n").toUtf8()));
  TRun run = Run({"/USER=test"}, kNewTables);
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0);
  const QString personal = QDir(users.filePath(hb::LoginName())).filePath(name_ + ".ini");
  EXPECT_TRUE(hb::TIniFile(personal).SectionExists("MainForm"));
  EXPECT_FALSE(MainWindowRan());  // not in the Windows folder
}

TEST_F(ProgramTest, OldSettingsFileInTheCurrentFolderIsTakenOver) {
  ASSERT_TRUE(hbtest::WriteFile(cwd_.filePath("rere32.ini"), "[Paths]\r\nData=uren\\\r\n"));
  TRun run = Run({"/USER=test"}, kFirstStart);
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(QFileInfo(Prog("uren")).isDir());
  EXPECT_FALSE(QFileInfo::exists(Prog("data")));
}

}  // namespace
