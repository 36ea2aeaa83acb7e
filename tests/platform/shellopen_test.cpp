#include "platform/shellopen.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "platform/folders.h"
#include "testutil.h"

namespace {

TEST(ShellOpen, HookReplacesOpeningAndLogVariableRecordsTargets) {
  QStringList opened;
  auto previous = hb::SetShellOpenHook([&](const QString& t) {
    opened << t;
    return true;
  });
  EXPECT_TRUE(hb::ShellOpen("https://example.org"));
  hb::SetShellOpenHook(previous);
  EXPECT_EQ(opened, QStringList({"https://example.org"}));

  QTemporaryDir dir;
  qputenv("HOURBOOK_SHELL_LOG", dir.filePath("shell.log").toUtf8());
  EXPECT_TRUE(hb::ShellOpen("/opt/hb/Hbok_NL.pdf"));
  EXPECT_TRUE(hb::ShellOpen("mailto:x@y"));
  qunsetenv("HOURBOOK_SHELL_LOG");
  EXPECT_EQ(hbtest::ReadFile(dir.filePath("shell.log")), "/opt/hb/Hbok_NL.pdf\nmailto:x@y\n");
}

TEST(ShellOpen, MissingLocalFileIsAFailure) {
  QTemporaryDir dir;
  EXPECT_FALSE(hb::ShellOpen(dir.filePath("absent.pdf")));
  EXPECT_FALSE(hb::ShellOpen(""));
}

TEST(Folders, WindowsFolderFromEnvironmentOrConfigFolder) {
  qputenv("HOURBOOK_WINDIR", "/tmp/windir/");
  EXPECT_EQ(hb::WindowsFolder(), "/tmp/windir");
  qunsetenv("HOURBOOK_WINDIR");
  qputenv("XDG_CONFIG_HOME", "/tmp/cfg");
  EXPECT_EQ(hb::WindowsFolder(), "/tmp/cfg/hourbook");
  qunsetenv("XDG_CONFIG_HOME");
  EXPECT_TRUE(hb::WindowsFolder().endsWith("/.config/hourbook"));
  EXPECT_FALSE(hb::LoginName().isEmpty());
}

TEST(Folders, ExistingFileFoundWithoutRegardToCase) {
  QTemporaryDir dir;
  ASSERT_TRUE(hbtest::WriteFile(dir.filePath("Data/URSTAM.DBF"), "x"));
  ASSERT_TRUE(hbtest::WriteFile(dir.filePath("Data/urstam.dbf"), "y"));
  // The exact spelling wins when it exists.
  EXPECT_EQ(hb::FindExistingFile(dir.filePath("Data/urstam.dbf")), dir.filePath("Data/urstam.dbf"));
  EXPECT_EQ(hb::FindExistingFile(dir.filePath("data/Urstam.Dbf")).toLower(),
            dir.filePath("Data/urstam.dbf").toLower());
  EXPECT_TRUE(
      hb::FindExistingFile(dir.filePath("data/Urstam.Dbf")).startsWith(dir.filePath("Data/")));
  EXPECT_EQ(hb::FindExistingFile(dir.filePath("data/none.dbf")), dir.filePath("data/none.dbf"));
  EXPECT_EQ(hb::NativePath("data\\sub\\x.urp"), "data/sub/x.urp");
}

}  // namespace
