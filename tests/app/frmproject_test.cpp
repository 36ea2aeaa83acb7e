// The entry dialog on a real data folder: typed times, the minimal time unit, mandatory
// fields, editing a block and new periods over several days, checked in URUREN.DBF.
#include "app/frmproject.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "controls/planbox.h"
#include "data/datafixture.h"
#include "data/dmdbase.h"
#include "data/flexfields.h"
#include "data/stamlists.h"
#include "data/termination.h"
#include "platform/dialogservice.h"
#include "platform/inifile.h"
#include "support/persinstellingen.h"
#include "timereg/actierec.h"
#include "timereg/mainobj.h"
#include "app/mainlogic.h"
#include "util/calendarfuncs.h"
#include <QToolButton>

namespace {

using hb::TDialogAnswer;
using hb::TXAction;
using hb::TXRect;

const QDate kMonday(2005, 3, 14);  // week 11 of 2005

class FrmProjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hb::ResetApplicationTermination();
    hb::UsePersonalIni();
    hb::MainObj().Init();
    hb::LoadFlexFields();
    ASSERT_EQ(hbtest::FirstStart(dm, vrt), "");
    hb::MainObj().SetDisplayedDate(kMonday);
    pb = std::make_unique<hb::TXPlanbox>();
    pb->SetColCount(7);
    pb->SetRowCount(hb::MainObj().RowsPerDay());
    pb->resize(800, 600);
    pb->show();
    pb->OnAddAction = [this](TXAction* block, const TXRect&) {
      static_cast<hb::TActieRec*>(block->ActionObj)->PutActieRec(dm->tblUren);
    };
    pb->OnEditAction = [this](TXAction* block, const TXRect& r) {
      hb::TMainObj& m = hb::MainObj();
      static_cast<hb::TActieRec*>(block->ActionObj)
          ->PutActieRecPeriod(dm->tblUren, m.CellToDateTime(r.Bottom + 1, r.Right),
                              m.CellToDateTime(r.Top, r.Left));
    };
    pb->OnDeleteAction = [this](TXAction* block) {
      auto* rec = static_cast<hb::TActieRec*>(block->ActionObj);
      if (rec && rec->RecNr != 0) rec->DelActieRec(dm->tblUren);
    };
    frm = std::make_unique<hb::TfrmProject>();
    frm->OnNewRecord = [this](std::unique_ptr<hb::TActieRec> rec) {
      records.push_back(std::move(rec));
      return records.back().get();
    };
  }
  void TearDown() override {
    hb::SetNowClock(nullptr);
    frm.reset();
    pb.reset();
    dm.reset();
    hb::ResetApplicationTermination();
  }

  // Runs `steps` once the modal dialog is up and active.
  void WhenShown(std::function<void()> steps) {
    QTimer::singleShot(0, frm.get(), [this, steps] {
      frm->activateWindow();
      EXPECT_TRUE(QTest::qWaitForWindowActive(frm.get()));
      steps();
      if (frm->isVisible()) frm->reject();  // never leave the test waiting
    });
  }
  // Types into a time field as the user does: enter it, replace its text.
  static void Type(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
  }
  void ClickOK() { QTest::mouseClick(frm->btnOK(), Qt::LeftButton); }

  bool NewPeriod(const TXRect& rect, bool insert, std::function<void()> steps) {
    WhenShown(std::move(steps));
    split = false;
    created.clear();
    return frm->NewFromSelection(rect, pb.get(), split, created, insert);
  }

  // "date start-stop werkz" of the live rows of URUREN.DBF, read by an independent reader.
  QStringList Stored() { return hbtest::StoredPeriods(folder.Data("URUREN.DBF"), true); }

  hbtest::TWinDir windir;
  hbtest::TProgramFolder folder{"[Paths]\r\nData=data\\\r\n"};
  hb::TVrtDbfDataSet vrt;
  hb::TScriptedDialogs dialogs;
  std::unique_ptr<hb::TdmDBase> dm;
  std::unique_ptr<hb::TXPlanbox> pb;
  std::unique_ptr<hb::TfrmProject> frm;
  std::vector<std::unique_ptr<hb::TActieRec>> records;
  bool split = false;
  hb::TXActionList created;
};

TEST_F(FrmProjectTest, TypedTimesAreNormalisedAndStored) {
  const bool ok = NewPeriod({1, 32, 1, 35}, false, [this] {
    EXPECT_EQ(frm->windowTitle(), "Project");
    EXPECT_EQ(frm->Label("lblWeekNr")->text(), "11");
    EXPECT_EQ(frm->Label("lblWeekYr")->text(), "2005");
    EXPECT_EQ(frm->DayBox(1)->text(), "14-03-2005 maandag");
    EXPECT_TRUE(frm->DayBox(1)->isChecked());
    EXPECT_FALSE(frm->DayBox(2)->isChecked());
    EXPECT_EQ(frm->edtStarttijd()->text(), "08:00");
    EXPECT_EQ(frm->edtDuur()->text(), "01:00");
    EXPECT_EQ(frm->edtEindtijd()->text(), "09:00");
    Type(frm->edtStarttijd(), "830");
    Type(frm->edtDuur(), "30");
    EXPECT_EQ(frm->edtStarttijd()->text(), "08:30");
    Type(frm->edtWerkzaamheden(), "Overleg");
    EXPECT_EQ(frm->edtDuur()->text(), "00:30");
    EXPECT_EQ(frm->edtEindtijd()->text(), "09:00");
    ClickOK();
  });
  EXPECT_TRUE(ok);
  EXPECT_FALSE(split);
  ASSERT_EQ(created.size(), 1);
  EXPECT_EQ(created[0]->ActionRect, (TXRect{1, 34, 1, 35}));
  EXPECT_EQ(Stored(), QStringList{"2005-03-14 08:30-09:00 Overleg"});
  EXPECT_TRUE(dialogs.Texts().isEmpty()) << dialogs.Texts().join('\n').toStdString();
}

TEST_F(FrmProjectTest, InvalidTimesAndTheMinimalUnitKeepTheDialogOpen) {
  const bool ok = NewPeriod({1, 32, 1, 35}, false, [this] {
    // An invalid start is refused and the field gets back its text.
    Type(frm->edtStarttijd(), "8");
    frm->edtEindtijd()->setFocus();
    EXPECT_EQ(dialogs.LastText(), "8 is geen geldige tijd");
    EXPECT_EQ(frm->edtStarttijd()->text(), "08:00");
    QTest::qWait(20);
    EXPECT_EQ(QApplication::focusWidget(), frm->edtStarttijd());
    // 08:05 rounds to 08:00: shorter than one slot. OK on the warning goes back to the field.
    dialogs.Queue(TDialogAnswer::Yes);
    Type(frm->edtEindtijd(), "805");
    const int shown = dialogs.Texts().size();
    ClickOK();
    EXPECT_EQ(dialogs.LastText(), "Tussen 08:00 en 08:00 ligt niet de minimale tijdseenheid 0:15");
    EXPECT_EQ(dialogs.Texts().size(), shown + 1);  // asked once
    EXPECT_TRUE(frm->isVisible());
    // 08:10 rounds to 08:15.
    Type(frm->edtEindtijd(), "810");
    QTest::keyClick(frm->edtEindtijd(), Qt::Key_Return);
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(Stored(), QStringList{"2005-03-14 08:00-08:15"});
}

TEST_F(FrmProjectTest, CancelOnTheMinimalUnitWarningRestoresTheTimes) {
  const bool ok = NewPeriod({1, 32, 1, 35}, false, [this] {
    dialogs.Queue(TDialogAnswer::No);
    Type(frm->edtDuur(), "5");
    frm->edtWerkzaamheden()->setFocus();
    EXPECT_EQ(dialogs.LastText(), "Tussen 08:00 en 09:00 ligt niet de minimale tijdseenheid 0:15");
    EXPECT_EQ(frm->edtDuur()->text(), "01:00");
    EXPECT_EQ(frm->edtEindtijd()->text(), "09:00");
    ClickOK();
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(Stored(), QStringList{"2005-03-14 08:00-09:00"});
}

TEST_F(FrmProjectTest, MissingMandatoryFieldKeepsTheDialogOpen) {
  hb::FlexFldKlant().Mandatory = true;
  const bool ok = NewPeriod({1, 32, 1, 35}, false, [this] {
    ClickOK();
    EXPECT_TRUE(frm->isVisible());
    EXPECT_EQ(dialogs.LastText(), "Veld 'Klant' invullen s.v.p.");
    QTest::mouseClick(frm->btnCancel(), Qt::LeftButton);
  });
  hb::FlexFldKlant().Mandatory = false;
  EXPECT_FALSE(ok);
  EXPECT_TRUE(created.isEmpty());
  EXPECT_TRUE(Stored().isEmpty());
}

TEST_F(FrmProjectTest, FlexibleFieldsGiveCaptionsAndVisibility) {
  hb::FlexFldAantal().InUse = false;
  hb::FlexFldWerkzaamheden().Caption = "&Omschrijving";
  frm->FormCreate();
  hb::FlexFldAantal().InUse = true;
  hb::LoadFlexFields();
  EXPECT_TRUE(frm->edtAantal()->isHidden());
  EXPECT_TRUE(frm->Label("lblAantal")->isHidden());
  EXPECT_FALSE(frm->edtWerkzaamheden()->isHidden());
  EXPECT_EQ(frm->Label("lblWerkzaamheden")->text(), "&Omschrijving");
  EXPECT_EQ(frm->chkVoorlopig()->text(), hb::FlexFldVoorlopig().Caption);
}

TEST_F(FrmProjectTest, EditingMovesTheBlockToTheOneCheckedDay) {
  ASSERT_TRUE(NewPeriod({1, 32, 1, 35}, false, [this] { ClickOK(); }));
  ASSERT_EQ(created.size(), 1);
  TXAction* block = created[0];
  WhenShown([this] {
    // One day only: checking Tuesday unchecks Monday, unchecking it again is refused.
    QTest::mouseClick(frm->DayBox(2), Qt::LeftButton);
    EXPECT_FALSE(frm->DayBox(1)->isChecked());
    QTest::mouseClick(frm->DayBox(2), Qt::LeftButton);
    EXPECT_TRUE(frm->DayBox(2)->isChecked());
    // Shift+Up: the start one slot later.
    frm->edtWerkzaamheden()->setFocus();
    QTest::keyClick(frm->edtWerkzaamheden(), Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(frm->edtStarttijd()->text(), "8:15");
    EXPECT_EQ(frm->edtDuur()->text(), "00:45");
    Type(frm->edtWerkzaamheden(), "Verplaatst");
    ClickOK();
  });
  ASSERT_TRUE(frm->EditBlock(block, pb.get()));
  EXPECT_EQ(block->ActionRect, (TXRect{2, 33, 2, 35}));
  frm->FillRecord(*static_cast<hb::TActieRec*>(block->ActionObj), block->ActionRect);
  pb->EditAction(block);
  EXPECT_EQ(Stored(), QStringList{"2005-03-15 08:15-09:00 Verplaatst"});
}

TEST_F(FrmProjectTest, SeveralDaysAroundAnOccupiedSlot) {
  // Tuesday 09:30-09:45 is taken; Monday to Wednesday 09:00-10:00 is asked for.
  ASSERT_TRUE(NewPeriod({2, 38, 2, 38}, false, [this] { ClickOK(); }));
  ASSERT_TRUE(NewPeriod({1, 36, 3, 39}, false, [this] { ClickOK(); }));
  EXPECT_TRUE(split);
  EXPECT_EQ(created.size(), 4);
  EXPECT_EQ(Stored(), (QStringList{"2005-03-14 09:00-10:00", "2005-03-15 09:00-09:30",
                                   "2005-03-15 09:30-09:45", "2005-03-15 09:45-10:00",
                                   "2005-03-16 09:00-10:00"}));
}

TEST_F(FrmProjectTest, InsertModeCarvesTheOccupiedSlot) {
  ASSERT_TRUE(NewPeriod({2, 38, 2, 38}, false, [this] { ClickOK(); }));
  ASSERT_TRUE(NewPeriod({1, 36, 3, 39}, true, [this] { ClickOK(); }));
  EXPECT_FALSE(split);
  EXPECT_EQ(created.size(), 3);
  EXPECT_EQ(Stored(), (QStringList{"2005-03-14 09:00-10:00", "2005-03-15 09:00-10:00",
                                   "2005-03-16 09:00-10:00"}));
}

double At(int day, int h, int n) {
  return hb::DateToMoment(kMonday) + day + (h * 60 + n) / 1440.0;
}

TEST_F(FrmProjectTest, StopwatchAcrossMidnightIsBookedWhenClosed) {
  double now = At(0, 23, 40);
  hb::SetNowClock([&] { return now; });
  int drawn = 0;
  frm->OnStopwatchBlock = [&](TXAction*) { ++drawn; };
  WhenShown([&] {
    EXPECT_EQ(frm->windowTitle(), "Real-time boeken");
    EXPECT_EQ(frm->btnCancel()->text(), "Sluiten");
    EXPECT_FALSE(frm->btnOK()->isVisible());
    EXPECT_FALSE(frm->edtStarttijd()->isEnabled());
    EXPECT_EQ(frm->pnlTime()->text(), "--:--:--");
    Type(frm->edtWerkzaamheden(), "Nachtwerk");
    QTest::mouseClick(frm->StopwatchButton(0), Qt::LeftButton);
    ASSERT_TRUE(frm->StopwatchRunning());
    EXPECT_FALSE(frm->edtWerkzaamheden()->isEnabled());
    EXPECT_FALSE(frm->StopwatchButton(0)->isEnabled());
    EXPECT_EQ(frm->edtStarttijd()->text(), "23:45");
    // Without a notification area the tray button stays off and says why.
    EXPECT_FALSE(frm->StopwatchButton(3)->isEnabled());
    EXPECT_EQ(frm->StopwatchButton(3)->toolTip(), "Geen systeem tray beschikbaar");
    now = At(1, 0, 20);
    frm->StopwatchTick();
    EXPECT_EQ(frm->pnlTime()->text(), "00:40:00");
    EXPECT_EQ(frm->edtEindtijd()->text(), "00:15");
    // Closing while it runs books the running period first.
    QTest::mouseClick(frm->btnCancel(), Qt::LeftButton);
  });
  EXPECT_FALSE(frm->RunStopwatch(pb.get()));
  EXPECT_FALSE(frm->StopwatchRunning());
  EXPECT_EQ(frm->windowTitle(), "Project");
  EXPECT_EQ(drawn, 2);
  EXPECT_EQ(Stored(), (QStringList{"2005-03-14 23:45-23:59 Nachtwerk",
                                   "2005-03-15 00:00-00:15 Nachtwerk"}));
}

TEST_F(FrmProjectTest, StopwatchChecksMandatoryFieldsAndShiftsPastOtherBlocks) {
  ASSERT_TRUE(NewPeriod({1, 36, 1, 37}, false, [this] { ClickOK(); }));  // 09:00-09:30
  double now = At(0, 8, 50);
  hb::SetNowClock([&] { return now; });
  WhenShown([&] {
    hb::FlexFldKlant().Mandatory = true;
    QTest::mouseClick(frm->StopwatchButton(0), Qt::LeftButton);
    hb::FlexFldKlant().Mandatory = false;
    EXPECT_EQ(dialogs.LastText(), "De volgende velden zijn verplicht:\n\nKlant");
    EXPECT_FALSE(frm->StopwatchRunning());
    // 08:45-09:45 starts after the block it would overlap: 09:30-09:45.
    QTest::mouseClick(frm->StopwatchButton(0), Qt::LeftButton);
    now = At(0, 9, 40);
    QTest::mouseClick(frm->StopwatchButton(1), Qt::LeftButton);
    EXPECT_FALSE(frm->StopwatchRunning());
    EXPECT_TRUE(frm->StopwatchButton(0)->isEnabled());
    // Wholly covered: reported, nothing stored.
    now = At(0, 9, 0);
    QTest::mouseClick(frm->StopwatchButton(0), Qt::LeftButton);
    now = At(0, 9, 20);
    QTest::mouseClick(frm->StopwatchButton(2), Qt::LeftButton);
    EXPECT_TRUE(dialogs.LastText().startsWith("Conflict: overlappende perioden\n"));
    EXPECT_TRUE(dialogs.LastText().endsWith(": 14-03-2005 9:00-9:15"));
    EXPECT_TRUE(frm->StopwatchList().isEmpty());
    QTest::mouseClick(frm->btnCancel(), Qt::LeftButton);
  });
  frm->RunStopwatch(pb.get());
  EXPECT_EQ(Stored(), (QStringList{"2005-03-14 09:00-09:30", "2005-03-14 09:30-09:45"}));
}

TEST_F(FrmProjectTest, ChosenItemsAreStoredAndRemembered) {
  hb::ReloadAll();
  const qint64 me = dm->LoginEmployeeId();
  hb::CurrentMedewerker().AssignEmployee(*hb::StamMedewerkers().FindById(me));
  hb::CurrentMedewerker().LoadAuthorisations();
  ASSERT_GT(hb::AutorKlanten().Count(), 0);
  const QString klant = hb::AutorKlanten().Names().first();
  ASSERT_TRUE(NewPeriod({1, 32, 1, 35}, false, [&] {
    QComboBox* box = frm->cbxKlant();
    // The bookable customers and the extra item " " for none, which is proposed.
    EXPECT_EQ(box->count(), hb::AutorKlanten().Count() + 1);
    EXPECT_EQ(box->itemText(box->count() - 1), " ");
    EXPECT_EQ(box->currentText(), " ");
    EXPECT_EQ(frm->Label("lblMedewerkerNaam")->text(), hb::CurrentMedewerker().Naam);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Home);
    EXPECT_EQ(box->currentText(), klant);
    EXPECT_TRUE(frm->lblTarief()->text().startsWith("Tarief: "))
        << frm->lblTarief()->text().toStdString();
    Type(frm->edtAantal(), "3");
    ClickOK();
  }));
  auto* rec = static_cast<hb::TActieRec*>(created.value(0)->ActionObj);
  ASSERT_TRUE(rec);
  EXPECT_EQ(hb::TActieRec::ItemId(rec->Klant), hb::AutorKlanten().IdOfName(klant));
  EXPECT_EQ(rec->Aantal, 3);
  EXPECT_EQ(hb::TActieRec::ItemId(rec->Medewerker), me);
  QProcess py;
  py.start("/usr/bin/python3", {"-c",
                                "import sys, dbfread\n"
                                "for r in dbfread.DBF(sys.argv[1], ignore_missing_memofile=True):\n"
                                "  print(int(r['KLANT']))\n",
                                folder.Data("URUREN.DBF")});
  py.waitForFinished();
  EXPECT_EQ(QString::fromUtf8(py.readAllStandardOutput()).trimmed(),
            QString::number(hb::AutorKlanten().IdOfName(klant)));
  // The next period proposes the remembered customer; quantity starts empty.
  ASSERT_FALSE(NewPeriod({2, 32, 2, 35}, false, [&] {
    EXPECT_EQ(frm->cbxKlant()->currentText(), klant);
    EXPECT_EQ(frm->edtAantal()->text(), "");
    QTest::keyClick(frm.get(), Qt::Key_Escape);
  }));
}

TEST_F(FrmProjectTest, SpinWhileEditingStopsAtTheNeighbour) {
  ASSERT_TRUE(NewPeriod({1, 32, 1, 35}, false, [this] { ClickOK(); }));  // 08:00-09:00
  TXAction* block = created.value(0);
  ASSERT_TRUE(NewPeriod({1, 36, 1, 39}, false, [this] { ClickOK(); }));  // 09:00-10:00
  int pages = 0;
  frm->OnEditStam = [&](int page) { pages = pages * 10 + page; };
  WhenShown([&] {
    frm->edtWerkzaamheden()->setFocus();
    // The end cannot grow into the next block; the start can move earlier.
    QTest::keyClick(frm->edtWerkzaamheden(), Qt::Key_Up,
                    Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(frm->edtEindtijd()->text(), "09:00");
    QTest::keyClick(frm->edtWerkzaamheden(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(frm->edtStarttijd()->text(), "7:45");
    // The edit button beside the products opens page 3 and marks the master data changed.
    ASSERT_TRUE(frm->EditButton(3)->isVisible());
    QTest::mouseClick(frm->EditButton(3), Qt::LeftButton);
    EXPECT_EQ(pages, 3);
    EXPECT_TRUE(frm->MasterDataChanged());
    ClickOK();
  });
  ASSERT_TRUE(frm->EditBlock(block, pb.get()));
  EXPECT_EQ(block->ActionRect, (TXRect{1, 31, 1, 35}));
}

TEST_F(FrmProjectTest, StopwatchPastTheWeekKeepsTheRealDate) {
  // Saturday 23:40 to Sunday 00:20: the Sunday belongs to the next week, which the planner
  // does not show; that part is stored with its own date all the same.
  double now = At(5, 23, 40);
  hb::SetNowClock([&] { return now; });
  WhenShown([&] {
    QTest::mouseClick(frm->StopwatchButton(0), Qt::LeftButton);
    now = At(6, 0, 20);
    QTest::mouseClick(frm->StopwatchButton(2), Qt::LeftButton);
    QTest::mouseClick(frm->btnCancel(), Qt::LeftButton);
  });
  frm->RunStopwatch(pb.get());
  ASSERT_EQ(pb->Actions().size(), 1);
  EXPECT_EQ(pb->Actions().first()->ActionRect.Left, 6);
  EXPECT_EQ(Stored(), (QStringList{"2005-03-19 23:45-23:59", "2005-03-20 00:00-00:15"}));
}

}  // namespace
