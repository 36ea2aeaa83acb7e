#include "support/persinstellingen.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include "platform/dialogservice.h"
#include "platform/inifile.h"
#include "support/frmvoorkeuren.h"
#include "testutil.h"
#include "util/pathcontext.h"

namespace {

using hb::TPersInstellingen;

class PersInstellingenTest : public ::testing::Test {
 protected:
  QString IniPath() const { return dir_.filePath("pers.ini"); }
  QTemporaryDir dir_;
};

TEST_F(PersInstellingenTest, LoadGivesDefaultsAndReadsStoredValues) {
  hb::TIniFile ini(IniPath());
  TPersInstellingen prefs(ini);
  prefs.Load();
  EXPECT_EQ(prefs.ActionColor, 0xFFFFFF);
  EXPECT_EQ(prefs.FontColor, 0);
  EXPECT_EQ(prefs.TempColor, 0xC0C0C0);
  EXPECT_EQ(prefs.WorkColor, 0xFF0000);
  EXPECT_EQ(prefs.RestColor, 0x800000);
  EXPECT_EQ(prefs.GridColor, 0xC0C0C0);
  EXPECT_TRUE(prefs.Hints && prefs.LongNames && prefs.Toolbar && prefs.WarnOverlap &&
              prefs.WarnDelete);
  EXPECT_FALSE(prefs.CopyWerkz || prefs.RightClickEdit);
  EXPECT_EQ(prefs.FontSize, 8);
  EXPECT_EQ(prefs.FontName, "Arial");

  ASSERT_TRUE(hbtest::WriteFile(IniPath(),
                                "[colors]\r\nACTION=255\r\nwork=65280\r\n"
                                "[Grid]\r\nhints=0\r\nLongNames=0\r\nToolbar=0\r\nFontSize=11\r\n"
                                "FontName=Courier New\r\n[Options]\r\nWarnOverlap=0\r\n"
                                "warndelete=0\r\ncopywerkz=1\r\nrightclickedit=1\r\n"));
  prefs.Load();
  EXPECT_EQ(prefs.ActionColor, 255);
  EXPECT_EQ(prefs.WorkColor, 65280);
  EXPECT_FALSE(prefs.Hints || prefs.LongNames || prefs.Toolbar || prefs.WarnOverlap ||
               prefs.WarnDelete);
  EXPECT_TRUE(prefs.CopyWerkz && prefs.RightClickEdit);
  EXPECT_EQ(prefs.FontSize, 11);
  EXPECT_EQ(prefs.FontName, "Courier New");
}

TEST_F(PersInstellingenTest, SaveWritesAllButHintsAndToolbarWhichTheirSettersWrite) {
  hb::TIniFile ini(IniPath());
  TPersInstellingen prefs(ini);
  prefs.Load();
  prefs.GridColor = 0x123456;
  prefs.Hints = false;
  prefs.Toolbar = false;
  prefs.RightClickEdit = true;
  prefs.FontName = "Courier New";
  prefs.Save();
  EXPECT_EQ(ini.ReadString("Colors", "grid"), QString::number(0x123456));
  EXPECT_EQ(ini.ReadString("Options", "rightclickedit"), "1");
  EXPECT_EQ(ini.ReadString("Grid", "fontname"), "Courier New");
  EXPECT_EQ(ini.ReadString("Grid", "longnames"), "1");
  EXPECT_FALSE(ini.ValueExists("Grid", "Hints"));
  EXPECT_FALSE(ini.ValueExists("Grid", "toolbar"));

  // A setter writes only a change, and only its own key.
  prefs.Load();
  prefs.SetHints(true);
  EXPECT_FALSE(ini.ValueExists("Grid", "Hints"));
  prefs.SetHints(false);
  prefs.SetToolbar(false);
  prefs.SetLongNames(false);
  EXPECT_EQ(ini.ReadString("Grid", "Hints"), "0");
  EXPECT_EQ(ini.ReadString("Grid", "toolbar"), "0");
  EXPECT_EQ(ini.ReadString("Grid", "longnames"), "0");
}

TEST_F(PersInstellingenTest, UnwritableIniKeepsTheValuesOfTheRun) {
  // A folder stands where the file should be: every write fails.
  ASSERT_TRUE(QDir(dir_.path()).mkdir("pers.ini"));
  hb::TIniFile ini(IniPath());
  TPersInstellingen prefs(ini);
  prefs.Load();
  prefs.SetToolbar(false);
  prefs.ActionColor = 1;
  prefs.Save();
  EXPECT_FALSE(prefs.Toolbar);
  EXPECT_EQ(prefs.ActionColor, 1);
}

TEST_F(PersInstellingenTest, FollowsThePersonalIniChosenDuringTheRun) {
  qputenv("HOURBOOK_WINDIR", dir_.filePath("win").toUtf8());
  hb::TScriptedDialogs dialogs;
  ASSERT_TRUE(hbtest::WriteFile(dir_.filePath("prog/hbpers.INI"), "[Paths]\nData=\n"));
  ASSERT_TRUE(hbtest::WriteFile(dir_.filePath("win/hbpers.ini"), "[Grid]\nfontsize=9\n"));
  ASSERT_TRUE(hbtest::WriteFile(dir_.filePath("user/hbpers.ini"), "[Grid]\nfontsize=14\n"));
  ASSERT_TRUE(hb::InitPaths(dir_.filePath("prog/hbpers")));
  hb::UsePersonalIni();
  TPersInstellingen prefs;
  prefs.Load();
  EXPECT_EQ(prefs.FontSize, 9);

  // The settings window points the personal ini elsewhere; the preferences go along.
  hb::ProgramIni().WriteString("Paths", "PersIni", dir_.filePath("user"));
  hb::LookupPaths();
  hb::UsePersonalIni();
  prefs.Load();
  EXPECT_EQ(prefs.FontSize, 14);
  prefs.SetToolbar(false);
  EXPECT_EQ(hb::TIniFile(dir_.filePath("user/hbpers.ini")).ReadString("Grid", "toolbar"), "0");
  qunsetenv("HOURBOOK_WINDIR");
}

class FrmVoorkeurenTest : public PersInstellingenTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(
        hbtest::WriteFile(IniPath(), "[Colors]\r\nwork=255\r\n[Options]\r\ncopywerkz=1\r\n"));
    ini_ = std::make_unique<hb::TIniFile>(IniPath());
    prefs_ = std::make_unique<TPersInstellingen>(*ini_);
    prefs_->Load();
    frm_ = std::make_unique<hb::TfrmVoorkeuren>(*prefs_);
    frm_->SetColorPicker([this](hb::TColor current, hb::TColor& chosen) {
      offered_ = current;
      chosen = 0x00FF00;
      return true;
    });
    frm_->show();
  }
  template <class T>
  T* Find(const char* name) {
    return frm_->findChild<T*>(name);
  }

  std::unique_ptr<hb::TIniFile> ini_;
  std::unique_ptr<TPersInstellingen> prefs_;
  std::unique_ptr<hb::TfrmVoorkeuren> frm_;
  hb::TColor offered_ = -1;
};

TEST_F(FrmVoorkeurenTest, ChosenColourIsUndoneByAnnuleren) {
  QTest::mouseClick(Find<QPushButton>("shpKantooruren"), Qt::LeftButton);
  EXPECT_EQ(offered_, 255);
  EXPECT_EQ(prefs_->WorkColor, 0x00FF00);  // in the object at once
  QTest::mouseClick(Find<QPushButton>("btnAnnuleren"), Qt::LeftButton);
  EXPECT_EQ(frm_->result(), QDialog::Rejected);
  EXPECT_EQ(prefs_->WorkColor, 255);
  EXPECT_EQ(ini_->ReadString("Colors", "work"), "255");
}

TEST_F(FrmVoorkeurenTest, OkStoresSwitchesFontAndColours) {
  QTest::mouseClick(Find<QPushButton>("shpTekst"), Qt::LeftButton);
  Find<QCheckBox>("chkRightClickEdit")->setChecked(true);
  Find<QCheckBox>("chkWarnDelete")->setChecked(false);
  Find<QComboBox>("cbxFontName")->setCurrentText("Courier New");
  Find<QSpinBox>("edtFontSize")->setValue(12);
  QTest::mouseClick(Find<QPushButton>("btnOK"), Qt::LeftButton);
  EXPECT_EQ(frm_->result(), QDialog::Accepted);

  hb::TIniFile reread(IniPath());
  TPersInstellingen stored(reread);
  stored.Load();
  EXPECT_EQ(stored.FontColor, 0x00FF00);
  EXPECT_TRUE(stored.RightClickEdit);
  EXPECT_FALSE(stored.WarnDelete);
  EXPECT_EQ(stored.FontName, "Courier New");
  EXPECT_EQ(stored.FontSize, 12);
}

TEST_F(FrmVoorkeurenTest, DefaultColoursAndHiddenCopySwitchKeepsItsValue) {
  frm_->hide();
  frm_->SetWerkzaamhedenInUse(false);
  frm_->show();  // filled again on activation
  EXPECT_FALSE(Find<QCheckBox>("chkCopyWerkz")->isVisible());
  QTest::mouseClick(Find<QPushButton>("btnStandaardkleuren"), Qt::LeftButton);
  EXPECT_EQ(prefs_->WorkColor, 0xFF0000);
  QTest::mouseClick(Find<QPushButton>("btnOK"), Qt::LeftButton);
  EXPECT_TRUE(prefs_->CopyWerkz);
  EXPECT_EQ(ini_->ReadString("Colors", "work"), QString::number(0xFF0000));
  EXPECT_EQ(ini_->ReadString("Options", "copywerkz"), "1");
}

}  // namespace
