#include "util/pathcontext.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "platform/dialogservice.h"
#include "platform/folders.h"
#include "testutil.h"
#include "util/paths.h"

namespace {

// A program folder with an executable name "hblite" and a Windows folder of its own.
class PathContextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qputenv("HOURBOOK_WINDIR", root_.filePath("win").toUtf8());
    QDir().mkpath(Prog());
    hb::Paths().TempCounter = 0;
  }
  void TearDown() override { qunsetenv("HOURBOOK_WINDIR"); }

  QString Prog(const QString& rel = {}) const {
    return rel.isEmpty() ? root_.filePath("prog") : root_.filePath("prog/" + rel);
  }
  void WriteIni(const QByteArray& content) { hbtest::WriteFile(Prog("hblite.INI"), content); }
  bool Init() { return hb::InitPaths(Prog("hblite")); }

  QTemporaryDir root_;
};

TEST_F(PathContextTest, FirstStartWritesDefaultsRelativeToTheProgramFolder) {
  hb::TScriptedDialogs dlg;
  ASSERT_TRUE(Init());
  EXPECT_TRUE(dlg.Shown().isEmpty());
  EXPECT_EQ(hb::Paths().ProgramName, "hblite");
  EXPECT_EQ(hb::Paths().ProgramFolder, Prog() + "/");
  EXPECT_EQ(hb::Paths().DataFolder, Prog() + "/");
  EXPECT_EQ(hb::Paths().TempFolder, Prog() + "/");
  EXPECT_EQ(hb::Paths().LogFile, Prog("hblite.LOG"));
  EXPECT_EQ(hb::Paths().MachineIni, root_.filePath("win/hblite.INI"));
  EXPECT_EQ(hb::Paths().PersonalIni, "hblite.ini");  // bare name: the Windows folder
  EXPECT_EQ(hbtest::ReadFile(Prog("hblite.INI")), "[Paths]\nData=\nLogFile=hblite.LOG\n");

  // The first start then asks for "data\" below the program folder.
  hb::ProgramIni().WriteString("Paths", "Data", "data\\");
  dlg.Queue(hb::TDialogAnswer::Yes);
  ASSERT_TRUE(hb::LookupPaths());
  EXPECT_EQ(dlg.Texts(), QStringList({Prog("data") + " bestaat niet, aanmaken?"}));
  EXPECT_TRUE(QFileInfo(Prog("data")).isDir());
  EXPECT_EQ(hb::Paths().DataFolder, Prog("data/"));
}

TEST_F(PathContextTest, RefusingToCreateTheDataFolderEndsTheProgram) {
  WriteIni("[Paths]\r\nData=..\\shared\\data\r\n");
  hb::TScriptedDialogs dlg;
  dlg.Queue(hb::TDialogAnswer::No);
  EXPECT_FALSE(Init());
  EXPECT_FALSE(QFileInfo::exists(root_.filePath("shared/data")));
  EXPECT_EQ(dlg.Shown().size(), 1);
}

TEST_F(PathContextTest, ConfiguredPathsAreMadeAbsolute) {
  QDir().mkpath(root_.filePath("shared"));
  QDir().mkpath(Prog("tables"));
  WriteIni(
      "[Paths]\r\n"
      "Data=..\\shared\r\n"
      "LogFile=logs\\run.log\r\n"
      "Temp=no\\such\\folder\r\n"
      "dbf_PATH=tables\r\n"
      "URP_path=" +
      root_.filePath("presets").toUtf8() + "\r\n");
  hb::TScriptedDialogs dlg;
  ASSERT_TRUE(Init());
  EXPECT_EQ(hb::Paths().DataFolder, root_.filePath("shared/"));
  EXPECT_EQ(hb::Paths().LogFile, Prog("logs/run.log"));
  EXPECT_EQ(hb::Paths().TempFolder, root_.filePath("shared/"));  // missing temp: data folder
  EXPECT_EQ(hb::Paths().PathValue("DBF_path"), Prog("tables"));
  EXPECT_EQ(hb::Paths().PathValue("Temp"), Prog("no/such/folder"));

  // The file-location rule: by extension, then the data folder; "~" names in the temp folder.
  EXPECT_EQ(hb::FileLocation("urstam.dbf"), Prog("tables/urstam.DBF"));
  EXPECT_EQ(hb::FileLocation("elsewhere\\URUREN.Dbf"), Prog("tables/URUREN.DBF"));
  EXPECT_EQ(hb::FileLocation("week.urp"), root_.filePath("presets/week.URP"));
  EXPECT_EQ(hb::FileLocation("*.qrp"), root_.filePath("shared/*.QRP"));
  EXPECT_EQ(hb::FileLocation("~UR.dbf"), root_.filePath("shared/~UR.DBF"));
  EXPECT_EQ(hb::FileLocation("noext"), root_.filePath("shared/noext"));
  // An existing file of another spelling is found.
  hbtest::WriteFile(Prog("tables/URAUTOR.DBF"), "x");
  EXPECT_EQ(hb::FileLocation("urautor.dbf"), Prog("tables/URAUTOR.DBF"));
}

TEST_F(PathContextTest, UniqueTempNamesCountUpAndSkipTakenNames) {
  hb::TScriptedDialogs dlg;
  ASSERT_TRUE(Init());
  hbtest::WriteFile(Prog("~UR00000.CDX"), "");
  hbtest::WriteFile(Prog("~ur00002"), "");  // any extension, any letter case, or none
  hbtest::WriteFile(Prog("~UR00003.x.y"), "");
  const QString tmpl = hb::FileLocation("~UR.DBF");
  EXPECT_EQ(hb::UniqueTempName(tmpl), Prog("~UR00001.DBF"));
  EXPECT_EQ(hb::UniqueTempName(tmpl), Prog("~UR00004.DBF"));
  EXPECT_EQ(hb::UniqueTempName(Prog("~ABCDEFG.TMP")), Prog("~ABCDEFG5.TMP"));

  // The counter is 16 bits and wraps.
  hb::Paths().TempCounter = 65535;
  EXPECT_EQ(hb::UniqueTempName(tmpl), Prog("~UR65535.DBF"));
  EXPECT_EQ(hb::UniqueTempName(tmpl), Prog("~UR00001.DBF"));
}

TEST_F(PathContextTest, PersonalIniRule) {
  hb::TScriptedDialogs dlg;
  ASSERT_TRUE(Init());
  const QString user = hb::WindowsUserName();
  EXPECT_EQ(hb::PersonalIniPath("pers\\%WinUser%\\x.ini", Prog()), Prog("pers/" + user + "/x.ini"));
  EXPECT_TRUE(QFileInfo(Prog("pers/" + user)).isDir());  // its folder is made
  EXPECT_EQ(hb::PersonalIniPath(root_.filePath("win"), Prog()),
            root_.filePath("win"));  // no folder: a file
  QDir().mkpath(root_.filePath("home"));
  EXPECT_EQ(hb::PersonalIniPath(root_.filePath("home"), Prog()), root_.filePath("home/hblite.ini"));
  EXPECT_EQ(hb::PersonalIniPath(root_.filePath("home/"), Prog()),
            root_.filePath("home/hblite.ini"));
  EXPECT_EQ(hb::PersonalIniPath("", Prog()), "hblite.ini");

  // The second ini moves from the machine ini to the personal ini.
  WriteIni("[Paths]\nPersIni=%WINUSER%.ini\n");
  ASSERT_TRUE(hb::LookupPaths());
  hb::UsePersonalIni();
  EXPECT_EQ(hb::SecondIni().FileName(), Prog(user + ".ini"));
}

TEST_F(PathContextTest, ReadPathSettingWritesTheDefaultBack) {
  hb::TScriptedDialogs dlg;
  ASSERT_TRUE(Init());
  EXPECT_EQ(hb::ReadPathSetting("Paths", "Reports", Prog("reports")), Prog("reports"));
  EXPECT_EQ(hb::ReadPathSetting("Paths", "Other", "/elsewhere/x"), "/elsewhere/x");
  EXPECT_EQ(hb::ProgramIni().ReadString("Paths", "Reports"), "reports");
  EXPECT_EQ(hb::ProgramIni().ReadString("Paths", "Other"), "/elsewhere/x");
  hb::ProgramIni().WriteString("Paths", "Reports", "mine");
  EXPECT_EQ(hb::ReadPathSetting("Paths", "Reports", Prog("reports")), "mine");
}

TEST(PathFuncs, SeparatorsAndNames) {
  const struct {
    const char* in;
    const char* stripped;
    const char* added;
  } cases[] = {
      {"/data/", "/data", "/data/"},
      {"data\\", "data", "data\\"},
      {"/", "/", "/"},
      {"C:\\", "C:\\", "C:\\"},
      {"", "", ""},
      {"x", "x", "x/"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(hb::StripBackslash(c.in), c.stripped) << c.in;
    EXPECT_EQ(hb::AddBackslash(c.in), c.added) << c.in;
  }
  EXPECT_EQ(hb::BaseName("dir.x\\sub/urstam.dbf"), "urstam");
  EXPECT_EQ(hb::BaseName("a.b.c"), "a.b");
  EXPECT_EQ(hb::BaseName("noext"), "noext");
  QTemporaryDir dir;
  EXPECT_TRUE(hb::FolderExists(dir.path() + "/"));
  EXPECT_FALSE(hb::FolderExists(dir.filePath("none")));
  EXPECT_FALSE(hb::FolderExists(""));
  hbtest::WriteFile(dir.filePath("file"), "x");
  EXPECT_FALSE(hb::FolderExists(dir.filePath("file")));
  EXPECT_EQ(hb::NormaliseFolder(dir.filePath("a/../b")), dir.filePath("b/"));

  // The developer folder: the current folder or its parent when it holds develop.vrt.
  const QString previous = QDir::currentPath();
  QDir().mkpath(dir.filePath("src/sub"));
  QDir::setCurrent(dir.filePath("src/sub"));
  EXPECT_EQ(hb::DeveloperFolder(), "");
  hbtest::WriteFile(dir.filePath("src/Develop.VRT"), "");
  EXPECT_EQ(hb::DeveloperFolder(), dir.filePath("src/"));
  QDir::setCurrent(dir.filePath("src"));
  EXPECT_EQ(hb::NormaliseFolder(""), dir.filePath("src/"));
  EXPECT_EQ(hb::DeveloperFolder(), dir.filePath("src/"));
  QDir::setCurrent(previous);
}

}  // namespace
