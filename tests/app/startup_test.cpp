#include "app/startup.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/inifile.h"
#include "testutil.h"

namespace {

using hb::ParseCommandLine;

TEST(CommandLine, Switches) {
  struct TCase {
    QStringList args;
    bool hasUser;
    QString user;
    bool restart, uninstall, debug;
  } cases[] = {
      {{}, false, "", false, false, false},
      {{"/USER=jan"}, true, "jan", false, false, false},
      // The switch name in any case, the name as typed, one pair of quotes removed.
      {{"/user=\"Jan Smit\""}, true, "Jan Smit", false, false, false},
      {{"x/User=a=b", "/USER=second"}, true, "a=b", false, false, false},
      {{"/USER"}, false, "", false, false, false},
      {{"/USER="}, true, "", false, false, false},
      {{"/USER=\""}, true, "\"", false, false, false},
      {{"/USER=\"\""}, true, "", false, false, false},
      // /RESTART anywhere, but only in this letter case.
      {{"a/RESTARTb"}, false, "", true, false, false},
      {{"/restart"}, false, "", false, false, false},
      // /UNINSTALL and /debug as whole arguments in any case.
      {{"/uninstall", "/DEBUG"}, false, "", false, true, true},
      {{"/UNINSTALLx", "/debugger"}, false, "", false, false, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const hb::TCommandLine cl = ParseCommandLine(c.args);
    EXPECT_EQ(cl.HasUser, c.hasUser);
    EXPECT_EQ(cl.UserName, c.user);
    EXPECT_EQ(cl.Restart, c.restart);
    EXPECT_EQ(cl.Uninstall, c.uninstall);
    EXPECT_EQ(cl.Debug, c.debug);
  }
  const hb::TCommandLine meta = ParseCommandLine({"/nometacheck", "/MetaCheck", "/METAEDIT"});
  EXPECT_TRUE(meta.NoMetaCheck && meta.MetaCheck && meta.MetaEdit);
  EXPECT_EQ(hb::RestartCommand("/opt/hb/hblite", {"/USER=Jan Smit", "/debug"}),
            "/opt/hb/hblite \"/USER=Jan Smit\" /debug /RESTART");
}

TEST(HelpFile, FallsBackToTwoLettersThenEnglish) {
  QTemporaryDir prog, cwd;
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(cwd.path()));
  EXPECT_EQ(hb::HelpFileFor(prog.path(), "ENU"), "Hbok_EN.hlp");
  ASSERT_TRUE(hbtest::WriteFile(cwd.filePath("Hbok_DE.hlp"), "x"));
  EXPECT_EQ(hb::HelpFileFor(prog.path(), "DEU"), "Hbok_DE.hlp");
  ASSERT_TRUE(hbtest::WriteFile(prog.filePath("Hbok_DEU.hlp"), "x"));
  EXPECT_EQ(hb::HelpFileFor(prog.path(), "DEU"), prog.filePath("Hbok_DEU.hlp"));
  EXPECT_EQ(hb::HelpFileFor(prog.path(), "FR"), "Hbok_EN.hlp");
  QDir::setCurrent(previous);
}

TEST(OldSettings, CopiedOnlyWhenTheProgramHasNoIni) {
  QTemporaryDir prog, cwd;
  const QString ini = prog.filePath("hblite.ini");
  EXPECT_FALSE(hb::CopyOldSettings(cwd.path(), ini));  // nothing to copy
  ASSERT_TRUE(hbtest::WriteFile(cwd.filePath("rere32.ini"), "[Paths]\nData=old\\\n"));
  EXPECT_TRUE(hb::CopyOldSettings(cwd.path(), ini));
  EXPECT_EQ(hbtest::ReadFile(ini), "[Paths]\nData=old\\\n");
  // An existing ini, in any letter case, is never replaced.
  ASSERT_TRUE(QFile::remove(ini));
  ASSERT_TRUE(hbtest::WriteFile(prog.filePath("HBLITE.INI"), "mine"));
  EXPECT_FALSE(hb::CopyOldSettings(cwd.path(), ini));
  EXPECT_EQ(hbtest::ReadFile(prog.filePath("HBLITE.INI")), "mine");
}

}  // namespace
