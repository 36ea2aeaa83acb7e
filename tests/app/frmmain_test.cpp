#include "app/frmmain.h"
#include "app/mainlogic.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

#include "platform/dialogservice.h"
#include "platform/inifile.h"
#include "platform/printersetup.h"
#include "platform/shellopen.h"
#include "platform/singleinstance.h"
#include "support/persinstellingen.h"
#include "testutil.h"
#include "util/conversions.h"
#include "util/pathcontext.h"
#include "util/version.h"

namespace {

class FrmMainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qputenv("HOURBOOK_WINDIR", windir_.path().toUtf8());
    name_ = QString("hbfrm%1").arg(QCoreApplication::applicationPid());
    QDir(prog_.path()).mkdir("data");
    ASSERT_TRUE(hbtest::WriteFile(prog_.filePath(name_ + ".INI"),
                                  "[Paths]\nData=data\\\n[ProgFunctions]\nStopwatch=0\n"
                                  "[System]\nVersion=0.01.000\n"));
    ASSERT_TRUE(hbtest::WriteFile(windir_.filePath(name_ + ".ini"),
                                  "[Grid]\ntoolbar=0\n[Options]\nListview=1\nLanguage=deu\n"
                                  "[Totals]\nExclOverhead=1\n"
                                  "[MainForm]\nLeft=10\nTop=20\nWidth=700\nHeight=500\n"));
    ASSERT_TRUE(hb::InitPaths(prog_.filePath(name_)));
    hb::UsePersonalIni();
    prefs_ = std::make_unique<hb::TPersInstellingen>();
    prefs_->Load();
    instance_ = std::make_unique<hb::TSingleInstance>(name_);
  }
  void TearDown() override { qunsetenv("HOURBOOK_WINDIR"); }

  std::unique_ptr<hb::TfrmMain> Create(const QStringList& args) {
    auto frm =
        std::make_unique<hb::TfrmMain>(*instance_, *prefs_, hb::ParseCommandLine(args), "JAN");
    frm->show();
    for (int i = 0; i < 100 && !frm->Activated(); ++i) QTest::qWait(10);
    return frm;
  }

  hb::TScriptedDialogs dialogs_;
  QTemporaryDir prog_, windir_;
  QString name_;
  std::unique_ptr<hb::TPersInstellingen> prefs_;
  std::unique_ptr<hb::TSingleInstance> instance_;
};

TEST_F(FrmMainTest, CreationAndFirstActivationFollowTheSettings) {
  auto frm = Create({"/DEBUG"});
  ASSERT_TRUE(frm->Activated());
  EXPECT_EQ(frm->windowTitle(), "Hourbook - JAN");
  const QDate today = QDate::currentDate();
  EXPECT_EQ(frm->DisplayedWeek(), (today.dayOfWeek() == 7 ? today.addDays(1) : today).weekNumber());
  EXPECT_TRUE(frm->Menu("mnuDebug")->menuAction()->isVisible());
  EXPECT_FALSE(frm->Action("actStopwatch")->isVisible());
  EXPECT_TRUE(frm->Action("actWerkweekoverzicht")->isChecked());
  EXPECT_EQ(frm->LanguageCode(), "DEU");
  EXPECT_EQ(hb::HelpFile(), "Hbok_EN.hlp");
  EXPECT_EQ(frm->width(), 700);
  EXPECT_FALSE(frm->findChild<QToolBar*>("tbMain")->isVisible());
  EXPECT_TRUE(frm->ListView()->isVisible());
  EXPECT_FALSE(frm->PlannerArea()->isVisible());
  EXPECT_TRUE(frm->findChild<QCheckBox*>("chkTotalExclOverhead")->isChecked());
  EXPECT_FALSE(frm->findChild<QCheckBox*>("chkTotalExclVoorlopig")->isChecked());
  EXPECT_EQ(hb::ProgramIni().ReadString("System", "Version"), hb::VersionText());
  EXPECT_TRUE(dialogs_.Texts().contains("VRT: Localizer language file ontbreekt!"));

  // The menu switches write their preference at once.
  frm->Action("actToolbar")->trigger();
  EXPECT_TRUE(frm->findChild<QToolBar*>("tbMain")->isVisible());
  EXPECT_EQ(hb::SecondIni().ReadString("Grid", "toolbar"), "1");
  frm->Action("actListView")->trigger();
  EXPECT_FALSE(frm->ListView()->isVisible());
  EXPECT_EQ(hb::SecondIni().ReadString("Options", "Listview"), "0");

  // A later start of the program brings this window to the front.
  frm->showMinimized();
  ASSERT_TRUE(frm->isMinimized());
  hb::TSingleInstance later(name_);
  ASSERT_TRUE(later.AnotherIsRunning());
  ASSERT_TRUE(later.ActivateRunning());
  for (int i = 0; i < 100 && frm->isMinimized(); ++i) QTest::qWait(10);
  EXPECT_FALSE(frm->isMinimized());

  frm->resize(720, 520);
  frm->close();
  EXPECT_EQ(hb::SecondIni().ReadString("MainForm", "Width"), "720");
  EXPECT_EQ(hb::SecondIni().ReadString("MainForm", "Height"), "520");
}

TEST_F(FrmMainTest, WeekLabelAndTabsFollowTheCalendarDate) {
  auto frm = Create({});
  EXPECT_FALSE(frm->Menu("mnuDebug")->menuAction()->isVisible());
  struct {
    QDate date;
    int week;
    const char* label;
  } cases[] = {
      {QDate(2005, 1, 2), 1, "week 1:  03-01-2005  -  09-01-2005"},  // Sunday: next week
      {QDate(2004, 12, 31), 53, "week 53:  27-12-2004  -  02-01-2005"},
      {QDate(2005, 1, 3), 1, "week 1:  03-01-2005  -  09-01-2005"},
  };
  for (const auto& c : cases) {
    frm->SetCalendarDate(c.date);
    EXPECT_EQ(frm->DisplayedWeek(), c.week);
    EXPECT_EQ(frm->WeekLabel()->text(), c.label);
    EXPECT_EQ(frm->WeekTabs()->currentIndex(), c.week);
  }
  // Week 53 in a year of 52 weeks shows week 52; the outer tabs go to the next and
  // previous year.
  frm->WeekTabs()->setCurrentIndex(53);
  EXPECT_EQ(frm->DisplayedYear(), 2005);
  EXPECT_EQ(frm->DisplayedWeek(), 52);
  frm->WeekTabs()->setCurrentIndex(54);
  EXPECT_EQ(frm->DisplayedYear(), 2006);
  EXPECT_EQ(frm->DisplayedWeek(), 1);
  frm->WeekTabs()->setCurrentIndex(0);
  EXPECT_EQ(frm->DisplayedYear(), 2005);
  EXPECT_EQ(frm->DisplayedWeek(), 52);
}

TEST_F(FrmMainTest, HelpMenuOpensTheMakersPagesAndPrinterSetUpReportsErrors) {
  auto frm = Create({});
  QStringList opened;
  const hb::TShellOpenHook previous = hb::SetShellOpenHook([&](const QString& target) {
    opened << target;
    return true;
  });
  hb::SetNowClock([] { return hb::kEpoch + 1.5; });

  frm->Action("actWebsite")->trigger();
  frm->Action("actUpdatecheck")->trigger();
  ASSERT_EQ(opened.size(), 2);
  EXPECT_EQ(opened[0], hb::kWebsiteUrl);
  EXPECT_EQ(opened[1], hb::UpdateCheckAddress(QLocale::system(), hb::VersionText()));
  EXPECT_TRUE(opened[1].contains("&prog=hblite&ver=" + hb::VersionText()));
  EXPECT_EQ(hb::ProgramIni().ReadString("System", "LastCheck"), "129600");

  // The set-up dialog's choice is kept on the program's printer; a failure is shown.
  int setups = 0;
  const hb::TPrinterSetupHook previousSetup = hb::SetPrinterSetupHook([&](QPrinter& printer) {
    EXPECT_EQ(&printer, &hb::ProgramPrinter());
    if (++setups == 2) throw std::runtime_error("Printer niet gevonden");
    return true;
  });
  frm->Action("actPrinterInstelling")->trigger();
  EXPECT_FALSE(dialogs_.Texts().contains("Printer niet gevonden"));
  frm->Action("actPrinterInstelling")->trigger();
  EXPECT_EQ(setups, 2);
  ASSERT_FALSE(dialogs_.Shown().isEmpty());
  EXPECT_EQ(dialogs_.Shown().last().text, "Printer niet gevonden");
  EXPECT_EQ(dialogs_.Shown().last().kind, hb::TDialogKind::Error);

  hb::SetPrinterSetupHook(previousSetup);
  hb::SetShellOpenHook(previous);
  hb::SetNowClock(nullptr);
}

}  // namespace
