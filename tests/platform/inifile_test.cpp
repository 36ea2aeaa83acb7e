#include "platform/inifile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "testutil.h"

using hb::TIniFile;

namespace {

class IniFileTest : public ::testing::Test {
 protected:
  QString Path(const QString& name = "test.ini") const { return dir_.filePath(name); }
  QTemporaryDir dir_;
};

TEST_F(IniFileTest, ReadsWithoutRegardToCaseTrimmedAndUnquoted) {
  ASSERT_TRUE(hbtest::WriteFile(Path(),
                                "; comment=not a key\r\n"
                                " [Paths] \r\n"
                                "  Data =  data\\sub  \r\n"
                                "Quoted=\"  spaced  \"\r\n"
                                "Half=\"open\r\n"
                                "Empty=\r\n"
                                "Data=second wins not\r\n"
                                "[Grid]\r\n"
                                "Resolutie=30\r\n"
                                "Hex=$1F\r\n"
                                "Bad=12abc\r\n"
                                "Float=1,5\r\n"
                                "[paths]\r\n"
                                "Other=later section of the same name is not read\r\n"));
  TIniFile ini(Path());
  EXPECT_EQ(ini.ReadString("PATHS", "data", "x"), "data\\sub");
  EXPECT_EQ(ini.ReadString("Paths", "Quoted"), "  spaced  ");
  EXPECT_EQ(ini.ReadString("Paths", "Half"), "\"open");
  EXPECT_EQ(ini.ReadString("Paths", "Empty", "def"), "");
  EXPECT_EQ(ini.ReadString("Paths", "Other", "def"), "def");
  EXPECT_EQ(ini.ReadString("Paths", "comment", "def"), "def");
  EXPECT_EQ(ini.ReadInteger("grid", "RESOLUTIE", 15), 30);
  EXPECT_EQ(ini.ReadInteger("Grid", "Hex", 0), 31);
  EXPECT_EQ(ini.ReadInteger("Grid", "Bad", 7), 7);
  EXPECT_EQ(ini.ReadInteger("Grid", "Missing", 7), 7);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("Grid", "Float", 0), 1.5);
  EXPECT_TRUE(ini.ReadBool("Grid", "Resolutie", false));
  EXPECT_TRUE(ini.ValueExists("PATHS", "EMPTY"));
  EXPECT_FALSE(ini.ValueExists("Paths", "Nope"));
  EXPECT_EQ(ini.ReadSection("Paths"), QStringList({"Data", "Quoted", "Half", "Empty"}));
  EXPECT_EQ(ini.ReadSections(), QStringList({"Paths", "Grid"}));
}

TEST_F(IniFileTest, WritesKeepOtherContentByteForByte) {
  const QByteArray before =
      "; kept comment\r\n"
      "[Paths]\r\n"
      "DATA = old \r\n"
      "junk line without equals\r\n"
      "\r\n"
      "[Grid]\r\n"
      "Resolutie=15";  // no line end at the end of the file
  ASSERT_TRUE(hbtest::WriteFile(Path(), before));
  TIniFile ini(Path());
  ASSERT_TRUE(ini.WriteString("paths", "data", "new"));
  EXPECT_EQ(hbtest::ReadFile(Path()), QByteArray(before).replace("DATA = old ", "DATA=new"));

  ASSERT_TRUE(ini.WriteString("Paths", "Temp", "tmp"));
  ASSERT_TRUE(ini.WriteInteger("Grid", "Start", 8));
  ASSERT_TRUE(ini.WriteBool("Options", "Listview", true));
  EXPECT_EQ(hbtest::ReadFile(Path()),
            "; kept comment\r\n"
            "[Paths]\r\n"
            "DATA=new\r\n"
            "junk line without equals\r\n"
            "Temp=tmp\r\n"
            "\r\n"
            "[Grid]\r\n"
            "Resolutie=15\r\n"
            "Start=8\r\n"
            "[Options]\r\n"
            "Listview=1\r\n");

  ASSERT_TRUE(ini.DeleteKey("GRID", "resolutie"));
  ASSERT_TRUE(ini.EraseSection("paths"));
  EXPECT_EQ(hbtest::ReadFile(Path()),
            "; kept comment\r\n"
            "[Grid]\r\n"
            "Start=8\r\n"
            "[Options]\r\n"
            "Listview=1\r\n");
}

TEST_F(IniFileTest, EveryWriteIsOnDiskAndChangesOnDiskAreSeen) {
  TIniFile writer(Path("sub/dir/new.ini"));  // missing folders are made
  ASSERT_TRUE(writer.WriteString("S", "K", "één"));
  TIniFile reader(Path("sub/dir/new.ini"));
  EXPECT_EQ(reader.ReadString("s", "k"), "één");
  ASSERT_TRUE(writer.WriteString("S", "K", "two"));
  EXPECT_EQ(reader.ReadString("S", "K"), "two");
  for (int i = 0; i < 20; ++i) {  // writes of the same size in quick succession
    ASSERT_TRUE(writer.WriteString("S", "K", QString("v%1").arg(i % 10)));
    ASSERT_EQ(reader.ReadString("S", "K"), QString("v%1").arg(i % 10));
    ASSERT_TRUE(reader.WriteString("S", "K", QString("w%1").arg(i % 10)));
    ASSERT_EQ(writer.ReadString("S", "K"), QString("w%1").arg(i % 10));
  }
  ASSERT_TRUE(writer.WriteString("S", "K", "two"));
  EXPECT_EQ(hbtest::ReadFile(Path("sub/dir/new.ini")), "[S]\nK=two\n");
}

TEST_F(IniFileTest, NamesAndValuesCannotBreakTheFile) {
  TIniFile ini(Path());
  ASSERT_TRUE(ini.WriteString("A", "Text", "line 1\r\nline 2\n[B]\nX=1"));
  EXPECT_EQ(ini.ReadString("A", "Text"), "line 1 line 2 [B] X=1");
  EXPECT_FALSE(ini.SectionExists("B"));
  for (auto [section, key] : {std::pair<const char*, const char*>{"A", "k=v"},
                              {"A", "k\nx"},
                              {"A]", "k"},
                              {"", "k"},
                              {"A", " "},
                              {"A", "[B]"},
                              {"A", ";c"}}) {
    EXPECT_FALSE(ini.WriteString(section, key, "v")) << section << "/" << key;
  }
  EXPECT_EQ(ini.ReadSections(), QStringList({"A"}));
  EXPECT_EQ(ini.ReadSection("A"), QStringList({"Text"}));
}

TEST_F(IniFileTest, MissingOrUnreadableFilesReadAsEmpty) {
  TIniFile missing(Path("none.ini"));
  EXPECT_EQ(missing.ReadString("A", "B", "def"), "def");
  EXPECT_TRUE(missing.ReadSections().isEmpty());

  TIniFile folder(dir_.path());  // a folder, not a file
  EXPECT_EQ(folder.ReadInteger("A", "B", 5), 5);
  EXPECT_FALSE(folder.WriteString("A", "B", "c"));

  ASSERT_TRUE(hbtest::WriteFile(Path("locked.ini"), "[A]\nB=secret\n"));
  QFile::setPermissions(Path("locked.ini"), QFileDevice::Permissions());
  TIniFile locked(Path("locked.ini"));
  if (!QFile(Path("locked.ini")).open(QIODevice::ReadOnly)) {  // root reads anything
    EXPECT_EQ(locked.ReadString("A", "B", "def"), "def");
    EXPECT_FALSE(locked.WriteString("A", "C", "d"));  // would lose the unseen content
  }
  QFile::setPermissions(Path("locked.ini"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);

  ASSERT_TRUE(
      hbtest::WriteFile(Path("binary.ini"), QByteArray("\0\xff[\0=\n[A]\nB=\xe9t\xe9 \x80\n", 20)));
  TIniFile binary(Path("binary.ini"));
  EXPECT_EQ(binary.ReadString("A", "B"), QString::fromUtf8("été €"));  // Windows-1252 bytes

  ASSERT_TRUE(hbtest::WriteFile(Path("bom.ini"), "\xEF\xBB\xBF[Options]\nLanguage=NL\n"));
  TIniFile bom(Path("bom.ini"));
  EXPECT_EQ(bom.ReadString("Options", "Language"), "NL");
}

TEST_F(IniFileTest, BareNameLiesInWindowsFolderAndNamesMatchWithoutCase) {
  QTemporaryDir windir;
  qputenv("HOURBOOK_WINDIR", windir.path().toUtf8());
  ASSERT_TRUE(hbtest::WriteFile(windir.filePath("HBLITE.INI"), "[a]\nb=c\n"));
  TIniFile ini("hblite.ini");
  qunsetenv("HOURBOOK_WINDIR");
  EXPECT_EQ(ini.FileName(), windir.filePath("HBLITE.INI"));
  EXPECT_EQ(ini.ReadString("A", "B"), "c");
}

}  // namespace
