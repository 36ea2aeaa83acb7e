#include "util/messages.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QWidget>

#include "platform/inifile.h"
#include "testutil.h"
#include "util/crashhandler.h"
#include "util/pathcontext.h"
#include "util/placement.h"

namespace {

TEST(Messages, QuestionsGoThroughTheDialogService) {
  hb::TScriptedDialogs dlg;
  dlg.Queue(hb::TDialogAnswer::Yes);
  dlg.Queue(hb::TDialogAnswer::Always);
  EXPECT_TRUE(hb::AskYesNo("Record verwijderen?", false));
  EXPECT_EQ(hb::AskYesNoAlways("Tabel", "Herstructureren?"), hb::TDialogAnswer::Always);
  EXPECT_FALSE(hb::AskYesNo("Nog een?", false));  // no answer queued: the default button
  ASSERT_EQ(dlg.Shown().size(), 3);
  EXPECT_EQ(dlg.Shown()[0].title, "Bevestiging");
  EXPECT_EQ(dlg.Shown()[0].kind, hb::TDialogKind::Confirm);
  EXPECT_EQ(dlg.Shown()[1].title, "Tabel");
}

TEST(CrashHandler, ExceptionIsLoggedAndShownWithTheSubject) {
  QTemporaryDir dir;
  hb::Paths().LogFile = dir.filePath("x.log");
  hb::InitCrashHandler({"hblite", "/DEBUG"});
  hb::TScriptedDialogs dlg;
  try {
    throw std::runtime_error("Record is locked");
  } catch (...) {
    hb::ReportException(std::current_exception());
  }
  const QString subject = "Fout in " + QCoreApplication::applicationFilePath();
  EXPECT_EQ(hb::CrashSubject(), subject);
  EXPECT_TRUE(hb::CrashDebugMode());
  ASSERT_EQ(dlg.Shown().size(), 1);
  EXPECT_EQ(dlg.Shown()[0].kind, hb::TDialogKind::Error);
  EXPECT_EQ(dlg.Shown()[0].title, subject);
  EXPECT_TRUE(dlg.Shown()[0].text.startsWith("Record is locked"));
  EXPECT_TRUE(hbtest::ReadFile(dir.filePath("x.log"))
                  .endsWith((subject + ": Record is locked\r\n").toUtf8()));
  hb::Paths().LogFile.clear();
}

TEST(Placement, SavedBoundsComeBackAndMissingLeftChangesNothing) {
  QTemporaryDir dir;
  hb::TIniFile ini(dir.filePath("pers.ini"));
  QWidget w;
  w.setGeometry(10, 20, 300, 200);
  w.move(40, 50);
  hb::SavePlacement(&w, "SearchForm", ini);
  EXPECT_EQ(ini.ReadInteger("SearchForm", "Left", -1), 40);
  EXPECT_EQ(ini.ReadInteger("SearchForm", "Top", -1), 50);
  EXPECT_EQ(ini.ReadInteger("SearchForm", "Width", -1), 300);
  EXPECT_EQ(ini.ReadInteger("SearchForm", "Height", -1), 200);
  EXPECT_EQ(ini.ReadInteger("SearchForm", "WindowState", -1), 0);

  QWidget other;
  other.setGeometry(0, 0, 100, 100);
  hb::RestorePlacement(&other, "SearchForm", ini);
  EXPECT_EQ(other.pos(), QPoint(40, 50));
  EXPECT_EQ(other.size(), QSize(300, 200));

  ini.WriteString("TopOnly", "Top", "99");
  hb::RestorePlacement(&other, "TopOnly", ini);
  EXPECT_EQ(other.pos(), QPoint(40, 50));

  ini.WriteString("Partial", "Left", "5");  // other keys keep the current values
  hb::RestorePlacement(&other, "Partial", ini);
  EXPECT_EQ(other.pos(), QPoint(5, 50));
  EXPECT_EQ(other.size(), QSize(300, 200));

  ini.WriteString("Lost", "Left", "-30000");  // off every screen: not applied
  hb::RestorePlacement(&other, "Lost", ini);
  EXPECT_EQ(other.pos(), QPoint(5, 50));
}

}  // namespace
