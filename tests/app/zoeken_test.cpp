// The search window on a real hour table: typed searches over every week of the shown
// employee, the master data columns, the week button, the week of a line through the
// callback and through the main window's "Zoeken" action, and the kept state and placement.
#include "app/zoeken.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "app/frmmain.h"
#include "app/frmzoeken.h"
#include "data/stamdb_fixture.h"
#include "platform/singleinstance.h"
#include "support/persinstellingen.h"
#include "util/calendarfuncs.h"
#include "util/conversions.h"

namespace {

class ZoekenTest : public hbtest::StamDbTest {
 protected:
  // Jan and Piet; a customer with a 2-character abbreviation, an activity and a product.
  // Jan's records lie in two weeks; Sunday 13 March 2005 starts the week of Monday 14.
  void SetUp() override {
    StamDbTest::SetUp();
    AddStam("M", 1, "Jan");
    AddStam("M", 2, "Piet");
    AddStam("K", 20, "Shop", {{"AFKORTING", "SH"}});
    AddStam("A", 30, "Bouwen", {{"AFKORTING", "BOUW"}});
    AddStam("P", 40, "Huis", {{"AFKORTING", "HUIS"}});
    Open();
    hb::ReloadAll();
    hb::CurrentMedewerker().AssignEmployee(*hb::StamMedewerkers().FindById(1));

    AddHour(1, QDate(2005, 3, 14), "Overleg klant");
    AddHour(1, QDate(2005, 3, 13), "Werkoverleg klant", 99);  // customer not in the list
    AddHour(2, QDate(2005, 3, 14), "Overleg Piet");           // another employee
    AddHour(1, QDate(2005, 3, 15), "overleg gewist");
    Dm().tblUren.Delete();  // marked deleted
    AddHour(1, QDate(2005, 3, 14), "Administratie");
    AddHour(1, QDate(2005, 3, 14), "afspraak OVERLEG");
    AddHour(1, QDate(2004, 12, 30), "Overleg");  // an earlier week, first in index order
  }

  void AddHour(qint64 employee, const QDate& day, const QString& werkz, qint64 klant = 20) {
    hb::TDbfDataSet& t = Dm().tblUren;
    const double start = hb::DateToMoment(day) + nextHour_++ / 24.0;  // no two overlap
    t.Append();
    t.FieldByName("MEDEWERKER")->SetAsString(hb::TdmDBase::IdText(employee));
    t.FieldByName("KLANT")->SetAsString(hb::TdmDBase::IdText(klant));
    t.FieldByName("ACTIVITEIT")->SetAsString(hb::TdmDBase::IdText(30));
    t.FieldByName("PRODUCT")->SetAsString(hb::TdmDBase::IdText(40));
    t.FieldByName("START")->SetAsString(hb::DateTimeToStamp(start));
    t.FieldByName("STOP")->SetAsString(hb::DateTimeToStamp(start + 1 / 24.0));
    t.FieldByName("WERKZ")->SetAsString(werkz);
    t.Post();
  }

  // A window that records the dates its callback gets.
  std::unique_ptr<hb::TfrmZoeken> OpenWindow() {
    auto frm = std::make_unique<hb::TfrmZoeken>([this](const QDate& d) { shown_ << d; });
    frm->Open();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
    return frm;
  }

  static void Search(hb::TfrmZoeken& frm, const QString& text) {
    QLineEdit* edit = frm.edtWerkzaamheden();
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);  // the default button
  }

  static QStringList Lines(const hb::TfrmZoeken& frm) {
    QStringList lines;
    for (int i = 0; i < frm.lbxResult()->count(); ++i) lines << frm.lbxResult()->item(i)->text();
    return lines;
  }

  static void ClickLine(hb::TfrmZoeken& frm, int row, bool twice = false) {
    QListWidget* list = frm.lbxResult();
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
  }

  QList<QDate> shown_;
  int nextHour_ = 8;
};

TEST_F(ZoekenTest, FindsTheShownEmployeesRecordsOfEveryWeekInDateOrder) {
  auto frm = OpenWindow();
  EXPECT_EQ(frm->windowTitle(), "Zoeken");
  EXPECT_EQ(frm->lblWerkzaamheden()->text(), "&Werkzaamheden");
  EXPECT_FALSE(frm->chkToonStam()->isChecked());
  EXPECT_FALSE(frm->btnSelectWeek()->isEnabled());
  EXPECT_TRUE(frm->edtWerkzaamheden()->hasFocus());

  // Letter case ignored, anywhere in the text; Piet's and the deleted record left out; lines
  // of one date ordered by their text.
  Search(*frm, "overleg");
  EXPECT_EQ(Lines(*frm),
            QStringList({"2004.12.30\tOverleg", "2005.03.13\tWerkoverleg klant",
                         "2005.03.14\tafspraak OVERLEG", "2005.03.14\tOverleg klant"}));
  EXPECT_FALSE(frm->btnSelectWeek()->isEnabled()) << "no line selected after a search";
  EXPECT_EQ(frm->edtWerkzaamheden()->selectedText(), "overleg");

  // The deleted record stays out also while the table shows deleted records.
  const QStringList found = Lines(*frm);
  Dm().tblUren.SetUseDeleted(true);
  QTest::mouseClick(frm->btnZoek(), Qt::LeftButton);
  EXPECT_EQ(Lines(*frm), found);
  Dm().tblUren.SetUseDeleted(false);

  // The master data columns: abbreviations padded to 4, an unknown customer an empty column.
  QTest::mouseClick(frm->chkToonStam(), Qt::LeftButton);
  ASSERT_TRUE(frm->chkToonStam()->isChecked());
  QTest::mouseClick(frm->btnZoek(), Qt::LeftButton);
  EXPECT_EQ(Lines(*frm), QStringList({"2004.12.30\tSH  \tBOUW\tHUIS\tOverleg",
                                      "2005.03.13\t\tBOUW\tHUIS\tWerkoverleg klant",
                                      "2005.03.14\tSH  \tBOUW\tHUIS\tafspraak OVERLEG",
                                      "2005.03.14\tSH  \tBOUW\tHUIS\tOverleg klant"}));

  // The other employee shown: only his record.
  hb::CurrentMedewerker().AssignEmployee(*hb::StamMedewerkers().FindById(2));
  QTest::mouseClick(frm->chkToonStam(), Qt::LeftButton);
  Search(*frm, "OVERLEG");
  EXPECT_EQ(Lines(*frm), QStringList({"2005.03.14\tOverleg Piet"}));
}

TEST_F(ZoekenTest, NothingFoundGivesOneLineThatShowsNoWeek) {
  auto frm = OpenWindow();
  for (const char* text : {"", "vergadering", "Overleg klant en meer"}) {
    Search(*frm, text);
    EXPECT_EQ(Lines(*frm), QStringList({"(geen resultaten gevonden)"})) << text;
  }
  ClickLine(*frm, 0, true);
  EXPECT_TRUE(frm->lbxResult()->item(0)->isSelected());
  EXPECT_FALSE(frm->btnSelectWeek()->isEnabled());
  EXPECT_TRUE(shown_.isEmpty());
  EXPECT_TRUE(frm->isVisible());
}

TEST_F(ZoekenTest, TheWeekOfASelectedLineGoesToTheCallback) {
  auto frm = OpenWindow();
  Search(*frm, "overleg");
  ASSERT_EQ(frm->lbxResult()->count(), 4);
  QTest::mouseClick(frm->btnSelectWeek(), Qt::LeftButton);  // disabled: no line yet
  EXPECT_TRUE(shown_.isEmpty());

  ClickLine(*frm, 1);
  EXPECT_TRUE(frm->btnSelectWeek()->isEnabled());
  QTest::mouseClick(frm->btnSelectWeek(), Qt::LeftButton);
  ClickLine(*frm, 3, true);
  EXPECT_EQ(shown_, QList<QDate>({QDate(2005, 3, 13), QDate(2005, 3, 14)}));
  EXPECT_TRUE(frm->isVisible()) << "the window stays open with its results";
  EXPECT_EQ(frm->lbxResult()->count(), 4);
}

TEST_F(ZoekenTest, ClosingKeepsTheSearchAndSavesThePlacement) {
  auto frm = OpenWindow();
  Search(*frm, "overleg");
  QTest::mouseClick(frm->chkToonStam(), Qt::LeftButton);
  frm->resize(400, 350);
  QTest::keyClick(frm->edtWerkzaamheden(), Qt::Key_Escape);
  EXPECT_FALSE(frm->isVisible());
  EXPECT_EQ(hb::SecondIni().ReadString("SearchForm", "Width"), "400");
  EXPECT_EQ(hb::SecondIni().ReadString("SearchForm", "Height"), "350");

  // Opened again: text (all selected), check box and results as they were.
  frm->Open();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
  EXPECT_EQ(frm->edtWerkzaamheden()->selectedText(), "overleg");
  EXPECT_TRUE(frm->chkToonStam()->isChecked());
  EXPECT_EQ(frm->lbxResult()->count(), 4);
  QTest::mouseClick(frm->btnSluiten(), Qt::LeftButton);
  EXPECT_FALSE(frm->isVisible());

  // A new window takes the saved size.
  hb::TfrmZoeken next(nullptr);
  EXPECT_EQ(next.size(), QSize(400, 350));
}

TEST_F(ZoekenTest, ZoekenActionOfTheMainWindowShowsTheWeekOfASundayLine) {
  hb::UsePersonalIni();
  hb::TPersInstellingen prefs;
  prefs.Load();
  hb::TSingleInstance instance(QString("hbzoek%1").arg(QCoreApplication::applicationPid()));
  hb::TfrmMain main(instance, prefs, hb::ParseCommandLine({}), "Jan");
  main.show();
  for (int i = 0; i < 100 && !main.Activated(); ++i) QTest::qWait(10);
  hb::CurrentMedewerker().AssignEmployee(*hb::StamMedewerkers().FindById(1));

  QTest::keyClick(&main, Qt::Key_F, Qt::ControlModifier);
  auto* frm = main.findChild<hb::TfrmZoeken*>();
  ASSERT_NE(frm, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frm));
  EXPECT_TRUE(frm->isModal());
  Search(*frm, "werkoverleg");
  ASSERT_EQ(Lines(*frm), QStringList({"2005.03.13\tWerkoverleg klant"}));
  ClickLine(*frm, 0, true);
  // The Sunday is the first column of the week of Monday 14 March.
  EXPECT_EQ(main.DisplayedYear(), 2005);
  EXPECT_EQ(main.DisplayedWeek(), 11);
  EXPECT_EQ(main.WeekLabel()->text(), "week 11:  14-03-2005  -  20-03-2005");

  // The window is made once and kept.
  QTest::keyClick(frm->edtWerkzaamheden(), Qt::Key_Escape);
  main.Action("actZoeken")->trigger();
  EXPECT_EQ(main.findChildren<hb::TfrmZoeken*>().size(), 1);
  EXPECT_TRUE(frm->isVisible());
  EXPECT_EQ(frm->lbxResult()->count(), 1);
  frm->close();
  main.close();
}

TEST(ZoekRegelDatum, ReadsTheDateAtTheStartOfALine) {
  struct {
    const char* line;
    QDate date;
  } cases[] = {
      {"2005.03.13\tWerkoverleg", QDate(2005, 3, 13)},
      {"2005.03.13", QDate(2005, 3, 13)},
      {"(geen resultaten gevonden)", QDate()},
      {"2005.00.13\tx", QDate()},
      {"2005.02.30\tx", QDate()},  // no date: nothing to show
      {"", QDate()},
  };
  for (const auto& c : cases) EXPECT_EQ(hb::ZoekRegelDatum(c.line), c.date) << c.line;
}

}  // namespace
