// The launchers are run as built, copied into a temporary program folder, with the shell
// open logged to a file so that no viewer starts.
#include "launcher/launcher.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "platform/folders.h"
#include "testutil.h"

namespace {

struct TLauncherRun {
  int exitCode = -1;
  QString opened;  // the shell log: one line per opened document
};

class LauncherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(prog_.isValid() && cwd_.isValid() && windir_.isValid());
    for (const char* name : {"hbbrochure", "hbmanual", "hbhelp"}) {
      const QString built = hbtest::BinaryPath(name);
      ASSERT_TRUE(QFile::exists(built)) << "build " << name << " first";
      ASSERT_TRUE(QFile::copy(built, prog_.filePath(name)));
      QFile::setPermissions(prog_.filePath(name), QFile::permissions(built));
    }
  }

  TLauncherRun Run(const QString& name) {
    const QString log = cwd_.filePath("shell.log");
    QFile::remove(log);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOURBOOK_WINDIR", windir_.path());
    env.insert("HOURBOOK_SHELL_LOG", log);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(cwd_.path());
    p.start(prog_.filePath(name), {});
    TLauncherRun run;
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit) return run;
    run.exitCode = p.exitCode();
    run.opened = QString::fromUtf8(hbtest::ReadFile(log)).trimmed();
    return run;
  }

  QString Doc(const QString& name) { return QDir(cwd_.path()).absoluteFilePath(name); }
  void Put(const QTemporaryDir& dir, const QString& name, const QByteArray& text) {
    ASSERT_TRUE(hbtest::WriteFile(dir.filePath(name), text));
  }

  QTemporaryDir prog_, cwd_, windir_;
};

TEST_F(LauncherTest, EachSuffixOpensItsDocumentFromTheCurrentFolder) {
  // No ini file anywhere: the language is EN.
  Put(cwd_, "Hbok_EN_brochure.pdf", "b");
  Put(cwd_, "Hbok_EN.hlp", "h");
  // The documents beside the program are not the ones looked for.
  Put(prog_, "Hbok_EN.pdf", "m");

  TLauncherRun brochure = Run("hbbrochure");
  EXPECT_EQ(brochure.exitCode, 0);
  EXPECT_EQ(brochure.opened, Doc("Hbok_EN_brochure.pdf"));

  TLauncherRun help = Run("hbhelp");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.opened, Doc("Hbok_EN.hlp"));

  TLauncherRun manual = Run("hbmanual");
  EXPECT_EQ(manual.exitCode, 1);
  EXPECT_EQ(manual.opened, "");
}

TEST_F(LauncherTest, LanguageComesFromThePersonalIniOfTheInstalledEdition) {
  for (const char* code : {"EN", "NL", "FR", "DE"})
    Put(cwd_, QString("Hbok_%1.hlp").arg(code), "x");
  if (HasFailure()) return;
  const QString nl = windir_.filePath("nl.ini"), fr = windir_.filePath("fr.ini");
  Put(windir_, "nl.ini", "[Options]\r\nLanguage=NL\r\n");
  Put(windir_, "fr.ini", "[options]\r\nlanguage = FR\r\n");
  // Without a PersIni key the personal ini is the product's ini in the Windows folder.
  Put(windir_, "HbLite.ini", "[Options]\r\nLanguage=DE\r\n");

  Put(prog_, "HbLite.ini", "[Paths]\r\nData=data\\\r\n");
  EXPECT_EQ(Run("hbhelp").opened, Doc("Hbok_DE.hlp"));

  Put(prog_, "HbLite.ini", ("[Paths]\r\nPersIni=" + nl + "\r\n").toUtf8());
  EXPECT_EQ(Run("hbhelp").opened, Doc("Hbok_NL.hlp"));
  // "EXE" is the built-in language, Dutch.
  Put(windir_, "nl.ini", "[Options]\r\nLanguage=exe\r\n");
  EXPECT_EQ(Run("hbhelp").opened, Doc("Hbok_NL.hlp"));

  // The full edition's ini is preferred when both are present (key spelled as written).
  Put(prog_, "hbook.ini", ("[Paths]\r\nPersini=" + fr + "\r\n").toUtf8());
  EXPECT_EQ(Run("hbhelp").opened, Doc("Hbok_FR.hlp"));

  // A per-user folder, as the main program resolves it.
  ASSERT_TRUE(QDir(windir_.path()).mkpath("users/" + hb::LoginName()));
  Put(windir_, "users/" + hb::LoginName() + "/hbook.ini", "[Options]\r\nLanguage=NL\r\n");
  Put(prog_, "hbook.ini",
      ("[Paths]\r\nPersIni=" + windir_.filePath("users/%winuser%") + "\r\n").toUtf8());
  EXPECT_EQ(Run("hbhelp").opened, Doc("Hbok_NL.hlp"));

  // An empty PersIni, and a personal ini that does not exist, give EN.
  Put(prog_, "hbook.ini", "[Paths]\r\nPersIni=\r\n");
  EXPECT_EQ(Run("hbhelp").opened, Doc("Hbok_EN.hlp"));
  Put(prog_, "hbook.ini",
      ("[Paths]\r\nPersIni=" + windir_.filePath("none/x.ini") + "\r\n").toUtf8());
  EXPECT_EQ(Run("hbhelp").opened, Doc("Hbok_EN.hlp"));
}

TEST_F(LauncherTest, MissingDocumentOfTheChosenLanguageGivesExitCodeOneWithoutFallback) {
  Put(cwd_, "Hbok_EN.pdf", "x");
  Put(windir_, "HbLite.ini", "[Options]\r\nLanguage=DE\r\n");
  if (HasFailure()) return;
  TLauncherRun run = Run("hbmanual");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.opened, "");
}

TEST_F(LauncherTest, UnreadableIniFilesGiveTheDefaults) {
  Put(cwd_, "Hbok_EN.hlp", "x");
  // A folder where the program ini should be, and garbage in the personal ini.
  ASSERT_TRUE(QDir(prog_.path()).mkdir("HbLite.ini"));
  Put(windir_, "HbLite.ini", QByteArray("\xff\xfe\x00[Options\x00\nLanguage", 20));
  if (HasFailure()) return;
  TLauncherRun run = Run("hbhelp");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.opened, Doc("Hbok_EN.hlp"));
}

TEST(LauncherDocument, LanguageCodeCannotLeaveTheCurrentFolder) {
  QTemporaryDir root;
  const QString cwd = root.filePath("cwd");
  ASSERT_TRUE(QDir().mkpath(cwd + "/Hbok_x"));
  ASSERT_TRUE(hbtest::WriteFile(root.filePath("secret.pdf"), "x"));
  ASSERT_TRUE(hbtest::WriteFile(cwd + "/Hbok_NL.pdf", "x"));
  ASSERT_TRUE(QFile::exists(cwd + "/Hbok_x/../../secret.pdf"));
  EXPECT_EQ(hb::LauncherDocument(cwd, "x/../../secret", ".pdf"), "");
  EXPECT_EQ(hb::LauncherDocument(cwd, "x\\..\\..\\secret", ".pdf"), "");
  // Stored in another letter case, the document is still found.
  EXPECT_EQ(hb::LauncherDocument(cwd, "nl", ".PDF"), cwd + "/Hbok_NL.pdf");
}

}  // namespace
