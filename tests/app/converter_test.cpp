// The date/timestamp converter: its conversions on texts, the window driven with typed
// keys, and Ctrl+Alt+F12 in the main window and in the converter itself.
#include "app/converter.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCalendarWidget>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "app/frmconverter.h"
#include "app/frmmain.h"
#include "platform/dialogservice.h"
#include "platform/singleinstance.h"
#include "support/persinstellingen.h"
#include "testutil.h"
#include "util/conversions.h"
#include "util/pathcontext.h"

namespace {

// The boxes of a window, for compact expectations.
struct TBoxes {
  std::string timestamp, dateTime, date, time, label;
  bool operator==(const TBoxes&) const = default;
};
std::ostream& operator<<(std::ostream& os, const TBoxes& b) {
  return os << "{'" << b.timestamp << "', '" << b.dateTime << "', '" << b.date << "', '" << b.time
            << "', '" << b.label << "'}";
}

TBoxes Read(const hb::TfrmDateTimestampConverter& frm) {
  return {frm.edtTimestamp()->text().toStdString(), frm.edtDateTime()->text().toStdString(),
          frm.edtDate()->text().toStdString(), frm.edtTime()->text().toStdString(),
          frm.lblDatumTijd()->text().toStdString()};
}

// Types text into a box, key by key, after emptying it.
void Type(QLineEdit* box, const QString& text) {
  box->setFocus();
  box->selectAll();
  QTest::keyClick(box, Qt::Key_Backspace);
  QTest::keyClicks(box, text);
}

TEST(ConverterWindow, TypedTimestampsFillTheOtherBoxes) {
  hb::TfrmDateTimestampConverter frm;
  frm.show();
  EXPECT_EQ(Read(frm), (TBoxes{"", "", "", ":", ""})) << "time box blank at creation";
  EXPECT_EQ(frm.edtTime()->displayText(), "__:__");

  const TBoxes epoch{"", "34700", "01-01-1995", "00:00", "01-01-1995 00:00:00"};
  struct {
    const char* typed;
    TBoxes expected;
  } cases[] = {
      {"0", {"0", "34700", "01-01-1995", "00:00", "01-01-1995 00:00:00"}},
      {"abc", {"abc", "34700", "01-01-1995", "00:00", "01-01-1995 00:00:00"}},
      {"86400", {"86400", "34701", "02-01-1995", "00:00", "02-01-1995 00:00:00"}},
      {"  43200", {"  43200", "34700.5", "01-01-1995", "12:00", "01-01-1995 12:00:00"}},
      {"-86460", {"-86460", "34698.99930556", "30-12-1994", "23:59", "30-12-1994 23:59:00"}},
      // Beyond 32 bits a stamp reads as the epoch.
      {"5000000000", {"5000000000", "34700", "01-01-1995", "00:00", "01-01-1995 00:00:00"}},
  };
  for (const auto& c : cases) {
    Type(frm.edtTimestamp(), c.typed);
    EXPECT_EQ(Read(frm), c.expected) << c.typed;
  }
  // Emptied again: the epoch.
  Type(frm.edtTimestamp(), "");
  EXPECT_EQ(Read(frm), epoch);
}

TEST(ConverterWindow, TypedDayNumbersFillTheOtherBoxes) {
  hb::TfrmDateTimestampConverter frm;
  frm.show();
  struct {
    const char* typed;
    TBoxes expected;
  } cases[] = {
      {"34701", {"       86400", "34701", "02-01-1995", "00:00", "02-01-1995 00:00:00"}},
      {"34700.5", {"       43200", "34700.5", "01-01-1995", "12:00", "01-01-1995 12:00:00"}},
      // Day 0 is no date; its stamp lies before the epoch and beyond 32 bits.
      {"0", {" -2998080000", "0", "", "00:00", "01-01-1995 00:00:00"}},
      // Unreadable: timestamp and date emptied, the label shows the epoch.
      {"x", {"", "x", "", "00:00", "01-01-1995 00:00:00"}},
      {"1,5", {"", "1,5", "", "00:00", "01-01-1995 00:00:00"}},
      // Out of every date's range, and a stamp that would not fit its 12 characters.
      {"1e300", {"", "1e300", "", "00:00", "01-01-1995 00:00:00"}},
      {"99999999", {"", "99999999", "", "00:00", "01-01-1995 00:00:00"}},
  };
  for (const auto& c : cases) {
    Type(frm.edtDateTime(), c.typed);
    EXPECT_EQ(Read(frm), c.expected) << c.typed;
  }
}

TEST(ConverterWindow, TypedDateAndTimeFillTimestampAndDayNumber) {
  hb::TfrmDateTimestampConverter frm;
  frm.show();
  Type(frm.edtDate(), "01-01-1995");
  EXPECT_EQ(Read(frm), (TBoxes{"           0", "34700", "01-01-1995", ":", "01-01-1995 00:00:00"}));
  Type(frm.edtTime(), "1200");
  EXPECT_EQ(Read(frm),
            (TBoxes{"       43200", "34700.5", "01-01-1995", "12:00", "01-01-1995 12:00:00"}));
  EXPECT_EQ(frm.edtTimestamp()->text(), QString(7, ' ') + "43200");

  // An unreadable date counts as day 0 (30-12-1899): a negative stamp, beyond 32 bits.
  Type(frm.edtDate(), "31-02-1995");
  EXPECT_EQ(Read(frm),
            (TBoxes{" -2998036800", "0.5", "31-02-1995", "12:00", "01-01-1995 00:00:00"}));
  // An unreadable time counts as 0.
  Type(frm.edtDate(), "02-01-1995");
  Type(frm.edtTime(), "99");
  EXPECT_EQ(Read(frm),
            (TBoxes{"       86400", "34701", "02-01-1995", "99:", "02-01-1995 00:00:00"}));
}

TEST(ConverterWindow, TypingInABoxNeverChangesThatBox) {
  hb::TfrmDateTimestampConverter frm;
  frm.show();
  struct {
    QLineEdit* box;
    QString typed;
  } cases[] = {
      {frm.edtTimestamp(), "  86400x"},
      {frm.edtDateTime(), "34701.25"},
      {frm.edtDate(), "15-03-2004"},
  };
  for (const auto& c : cases) {
    c.box->setFocus();
    c.box->selectAll();
    QTest::keyClick(c.box, Qt::Key_Backspace);
    QString sofar;
    for (QChar ch : c.typed) {
      QTest::keyClicks(c.box, QString(ch));
      sofar += ch;
      ASSERT_EQ(c.box->text(), sofar) << c.box->objectName().toStdString();
    }
  }
  // The masked time box keeps every typed digit and its ":".
  frm.edtTime()->setFocus();
  frm.edtTime()->selectAll();
  QTest::keyClick(frm.edtTime(), Qt::Key_Backspace);
  QTest::keyClicks(frm.edtTime(), "0930");
  EXPECT_EQ(frm.edtTime()->text(), "09:30");
  EXPECT_EQ(frm.edtDate()->text(), "15-03-2004");
  EXPECT_EQ(frm.edtDateTime()->text(), "38061.39583333");
  EXPECT_EQ(frm.lblDatumTijd()->text(), "15-03-2004 09:30:00");
}

TEST(ConverterWindow, DropDownCalendarFillsTheDateBox) {
  hb::TfrmDateTimestampConverter frm;
  frm.show();
  Type(frm.edtDate(), "15-03-2004");
  frm.edtDate()->findChild<QAction*>("actDropDownCalendar")->trigger();
  auto* calendar = frm.findChild<QCalendarWidget*>("calDropDown");
  ASSERT_NE(calendar, nullptr);
  EXPECT_EQ(calendar->selectedDate(), QDate(2004, 3, 15)) << "opens on the box's date";
  auto* days = calendar->findChild<QTableView*>();
  ASSERT_NE(days, nullptr);
  QTest::keyClick(days, Qt::Key_Right);
  QTest::keyClick(days, Qt::Key_Return);
  EXPECT_EQ(frm.edtDate()->text(), "16-03-2004");
  EXPECT_EQ(frm.edtTimestamp()->text(), "   290476800");
}

TEST(ConverterWindow, DayNumberTextFollowsTheLocale) {
  const QLocale previous;
  QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
  QString text;
  ASSERT_TRUE(hb::FormatDayNumber(1234567.125, text));
  EXPECT_EQ(text, "1234567,125");  // no group separator
  double value = 0;
  EXPECT_TRUE(hb::ReadDayNumber("34700,5", value));
  EXPECT_DOUBLE_EQ(value, 34700.5);
  EXPECT_FALSE(hb::ReadDayNumber("34.700,5", value));
  QLocale::setDefault(previous);
  ASSERT_TRUE(hb::FormatDayNumber(-0.000000001, text));
  EXPECT_EQ(text, "0");
}

class ConverterKeyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qputenv("HOURBOOK_WINDIR", windir_.path().toUtf8());
    name_ = QString("hbconv%1").arg(QCoreApplication::applicationPid());
    QDir(prog_.path()).mkdir("data");
    ASSERT_TRUE(hbtest::WriteFile(prog_.filePath(name_ + ".INI"), "[Paths]\nData=data\\\n"));
    ASSERT_TRUE(hb::InitPaths(prog_.filePath(name_)));
    hb::UsePersonalIni();
    prefs_.Load();
  }
  void TearDown() override { qunsetenv("HOURBOOK_WINDIR"); }

  hb::TScriptedDialogs dialogs_;
  QTemporaryDir prog_, windir_;
  QString name_;
  hb::TPersInstellingen prefs_;
};

TEST_F(ConverterKeyTest, CtrlAltF12TogglesTheConverterWhichKeepsItsContents) {
  hb::TSingleInstance instance(name_);
  hb::TfrmMain main(instance, prefs_, hb::ParseCommandLine({}), "JAN");
  main.show();
  for (int i = 0; i < 100 && !main.Activated(); ++i) QTest::qWait(10);
  main.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
  EXPECT_EQ(main.Converter(), nullptr) << "made on first use";
  EXPECT_NE(main.Info(), nullptr) << "the info window is made at the first activation";

  QTest::keyClick(&main, Qt::Key_F12, Qt::ControlModifier | Qt::AltModifier);
  hb::TfrmDateTimestampConverter* frm = main.Converter();
  ASSERT_NE(frm, nullptr);
  EXPECT_TRUE(frm->isVisible());
  EXPECT_EQ(frm->parentWidget(), &main);
  EXPECT_EQ(frm->windowTitle(), "Datum/timestamp converter");
  EXPECT_LE((frm->frameGeometry().center() - main.frameGeometry().center()).manhattanLength(), 4);
  ASSERT_TRUE(QTest::qWaitForWindowActive(frm));
  QTest::keyClicks(frm->edtTimestamp(), "86400");

  // In the converter, with or without Shift, the key hides it.
  QTest::keyClick(frm->edtTimestamp(), Qt::Key_F12,
                  Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
  EXPECT_FALSE(frm->isVisible());

  main.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
  QTest::keyClick(&main, Qt::Key_F12, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_EQ(main.Converter(), frm);
  EXPECT_TRUE(frm->isVisible());
  EXPECT_EQ(frm->edtDate()->text(), "02-01-1995");
  ASSERT_TRUE(QTest::qWaitForWindowActive(frm));
  QTest::keyClick(frm->edtDate(), Qt::Key_F12, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_FALSE(frm->isVisible());
}

}  // namespace
