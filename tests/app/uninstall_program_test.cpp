// The built program started with the uninstall switch: the feedback question instead of
// the login and the main window, and the shortcut written into the program folder.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "platform/inifile.h"
#include "testutil.h"

namespace {

TEST(UninstallProgram, LowerCaseSwitchAsksAndWritesTheShortcutForTheLanguage) {
  QTemporaryDir prog, windir;
  const QString name = QString("hbun%1").arg(QCoreApplication::applicationPid());
  const QString program = QDir(prog.path()).filePath(name);
  const QString built = hbtest::BinaryPath("hblite");
  ASSERT_TRUE(QFile::copy(built, program)) << "build hblite first";
  QFile::setPermissions(program, QFile::permissions(built));
  ASSERT_TRUE(QDir(prog.path()).mkdir("data"));
  // The personal ini (default: in the Windows folder) holds the language.
  ASSERT_TRUE(hbtest::WriteFile(windir.filePath(name + ".ini"), "[Options]\nLanguage=DE\n"));

  auto run = [&](const QString& answer) {
    const QString log = windir.filePath("dialogs.log");
    QFile::remove(log);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOURBOOK_WINDIR", windir.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("HOURBOOK_QUIT_AFTER_START", "1");
    env.insert("HOURBOOK_DIALOG_LOG", log);
    env.insert("HOURBOOK_DIALOG_ANSWERS", answer);
    p.setProcessEnvironment(env);
    p.start(program, {"/uninstall"});
    EXPECT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0);
    return QString::fromUtf8(hbtest::ReadFile(log)).split('\n', Qt::SkipEmptyParts);
  };

  const QString shortcut = QDir(prog.path()).filePath("hbook_uninstall.url");
  QStringList dialogs = run("no");
  ASSERT_EQ(dialogs.size(), 1) << dialogs.join('\n').toStdString();
  EXPECT_TRUE(dialogs[0].startsWith("question|Hourbook|U heeft er voor gekozen"));
  EXPECT_FALSE(QFile::exists(shortcut));

  dialogs = run("yes");
  ASSERT_EQ(dialogs.size(), 1) << "no login question, no main window";
  const QString url = hb::TIniFile(shortcut).ReadString("InternetShortcut", "URL");
  EXPECT_TRUE(url.endsWith("/uninstall/de/uninstall.html")) << url.toStdString();
  EXPECT_FALSE(hb::TIniFile(windir.filePath(name + ".ini")).SectionExists("MainForm"));
}

}  // namespace
