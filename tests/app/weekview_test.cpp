// The main window on a real data folder: week navigation, blocks drawn (through the entry
// dialog), edited, moved, resized and deleted with the mouse and keys and found in
// URUREN.DBF, zoom, blocking, Insert, paste.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QProcess>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>

#include "app/frmmain.h"
#include "app/frmproject.h"
#include "app/mainlogic.h"
#include "controls/planbox.h"
#include "data/datafixture.h"
#include "data/dmdbase.h"
#include "data/stamlists.h"
#include "data/termination.h"
#include "data/vrtmetadataset.h"
#include "platform/dialogservice.h"
#include "platform/inifile.h"
#include "platform/singleinstance.h"
#include "support/persinstellingen.h"
#include "timereg/mainobj.h"
#include "util/calendarfuncs.h"
#include "util/conversions.h"
#include "util/pathcontext.h"

namespace {

using hb::TDialogAnswer;
using hb::TXAction;
using hb::TXRect;

const QDate kMonday(2005, 3, 14);  // week 11 of 2005, a year of 52 weeks

class WeekViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hb::ResetApplicationTermination();
    hb::UsePersonalIni();
    prefs = std::make_unique<hb::TPersInstellingen>();
    prefs->Load();
    hb::MainObj().Init();
    ASSERT_EQ(hbtest::FirstStart(dm, vrt), "");
    instance = std::make_unique<hb::TSingleInstance>(
        QString("hbweek%1").arg(QCoreApplication::applicationPid()));
    frm = std::make_unique<hb::TfrmMain>(*instance, *prefs, hb::ParseCommandLine({}), "TEST");
    frm->resize(900, 700);
    frm->show();
    for (int i = 0; i < 200 && !frm->Activated(); ++i) QTest::qWait(10);
    ASSERT_TRUE(frm->Activated());
    frm->SetCalendarDate(kMonday);
  }
  void TearDown() override {
    frm.reset();
    dm.reset();
    hb::SetNowClock(nullptr);
    hb::ResetApplicationTermination();
  }

  hb::TXPlanbox* Pb() { return frm->Planner(); }
  QWidget* Grid() { return Pb()->GridArea(); }
  QPoint CellPoint(int col, int row, int dy = 2) {
    const auto& g = Pb()->Geometry();
    return {col * g.ColWidth + g.ColWidth / 2, row * g.RowHeight + dy};
  }
  hb::TfrmProject* Dlg() { return frm->ProjectDialog(); }
  // Runs `steps` once the modal entry dialog is up and active; a dialog still open after
  // them is cancelled, so that a test never waits for it.
  void WhenDialogShown(std::function<void()> steps) {
    QTimer::singleShot(0, Dlg(), [this, steps] {
      shownDialogs++;
      Dlg()->activateWindow();
      EXPECT_TRUE(QTest::qWaitForWindowActive(Dlg()));
      steps();
      if (Dlg()->isVisible()) Dlg()->reject();
    });
  }
  void ClickOK() { QTest::mouseClick(Dlg()->btnOK(), Qt::LeftButton); }
  // Types into a dialog field as the user does: enter it, replace its text.
  static void Type(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
  }
  // Drags a selection from the top of one cell to the bottom of another and answers the entry
  // dialog with `steps` (OK as proposed when none are given).
  void DrawBlock(int col, int top, int bottom, std::function<void()> steps = nullptr) {
    Pb()->verticalScrollBar()->setValue(top * Pb()->Geometry().RowHeight);
    QTest::mousePress(Grid(), Qt::LeftButton, {}, CellPoint(col, top));
    QTest::mouseMove(Grid(), CellPoint(col, top + 1));
    const QPoint end = CellPoint(col, bottom);
    QTest::mouseMove(Grid(), end);
    WhenDialogShown(steps ? steps : [this] { ClickOK(); });
    QTest::mouseRelease(Grid(), Qt::LeftButton, {}, end);
  }

  // "date start-stop werkz" of the live rows of URUREN.DBF, read by an independent reader.
  QStringList StoredPeriods() { return hbtest::StoredPeriods(folder.Data("URUREN.DBF"), false); }

  hbtest::TWinDir windir;
  hbtest::TProgramFolder folder{"[Paths]\r\nData=data\\\r\n"};
  hb::TVrtDbfDataSet vrt;
  hb::TScriptedDialogs dialogs;
  std::unique_ptr<hb::TPersInstellingen> prefs;
  std::unique_ptr<hb::TdmDBase> dm;
  std::unique_ptr<hb::TSingleInstance> instance;
  std::unique_ptr<hb::TfrmMain> frm;
  int shownDialogs = 0;
};

TEST_F(WeekViewTest, NavigationThroughCalendarTabsAndKeys) {
  // A Sunday shows the ISO week that starts the next day, with that Sunday in column 0.
  frm->SetCalendarDate(QDate(2005, 3, 20));
  EXPECT_EQ(frm->DisplayedWeek(), 12);
  EXPECT_EQ(frm->WeekLabel()->text(), "week 12:  21-03-2005  -  27-03-2005");
  EXPECT_EQ(frm->WeekTabs()->currentIndex(), 12);
  EXPECT_EQ(Pb()->ColHeadings().value(0), "zondag - 20");
  EXPECT_EQ(frm->LoadedWeek(), 12);
  // Tab 53 in a year of 52 weeks shows week 52; tab 0 the last week of the year before.
  frm->WeekTabs()->setCurrentIndex(53);
  EXPECT_EQ(frm->DisplayedWeek(), 52);
  EXPECT_EQ(frm->WeekTabs()->currentIndex(), 52);
  frm->WeekTabs()->setCurrentIndex(0);
  EXPECT_EQ(frm->DisplayedYear(), 2004);
  EXPECT_EQ(frm->DisplayedWeek(), 53);
  frm->WeekTabs()->setCurrentIndex(54);
  EXPECT_EQ(frm->DisplayedYear(), 2005);
  EXPECT_EQ(frm->DisplayedWeek(), 1);
  QTest::keyClick(frm.get(), Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(frm->DisplayedWeek(), 2);
  QTest::keyClick(frm.get(), Qt::Key_PageUp, Qt::ControlModifier);
  QTest::keyClick(frm.get(), Qt::Key_PageUp, Qt::ControlModifier);
  EXPECT_EQ(frm->DisplayedYear(), 2004);
  EXPECT_EQ(frm->DisplayedWeek(), 53);
}

TEST_F(WeekViewTest, WeekTabStripShowsThreeTabsBeforeTheSelectedWeek) {
  QTabBar* tabs = frm->WeekTabs();
  // The leftmost tab wholly in view (a sliver of the tab before it may show under the
  // strip's fade at the left edge).
  auto firstVisible = [tabs] {
    for (int i = 0; i < tabs->count(); ++i)
      if (tabs->tabRect(i).left() >= 0) return i;
    return -1;
  };
  struct Case {
    QDate date;
    int week, first;
  };
  // Forward past the end of the view, back to a week left of it, and back to the start.
  for (const Case& c : {Case{QDate(2005, 7, 27), 30, 27}, Case{QDate(2005, 3, 16), 11, 8},
                        Case{QDate(2005, 1, 12), 2, 0}, Case{QDate(2005, 2, 2), 5, 2}}) {
    frm->SetCalendarDate(c.date);
    EXPECT_EQ(tabs->currentIndex(), c.week);
    EXPECT_EQ(firstVisible(), c.first) << c.week;
    EXPECT_EQ(frm->DisplayedWeek(), c.week);  // the scrolling selected no other week
  }
}

TEST_F(WeekViewTest, RightClickOnABlockOpensThePopupOrEditsTheBlock) {
  DrawBlock(1, 32, 35);
  ASSERT_EQ(Pb()->Actions().size(), 1);
  TXAction* block = Pb()->Actions().first();
  QMenu* popup = frm->Menu("mnuPopup");
  ASSERT_NE(popup, nullptr);
  const int dialogsBefore = shownDialogs;  // the one that drew the block

  // Without rightclickedit the popup opens; its items are read and it is closed from a timer.
  QStringList items;
  bool defaultBold = false, opened = false;
  QTimer::singleShot(0, popup, [&] {
    opened = popup->isVisible();
    for (QAction* a : popup->actions()) items << (a->isSeparator() ? "-" : a->text());
    defaultBold = popup->actions().value(0) && popup->actions()[0]->font().bold();
    popup->close();
  });
  QTest::mouseClick(block, Qt::RightButton, {}, QPoint(block->width() / 2, 3));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !items.isEmpty(); }, 2000));
  EXPECT_TRUE(opened);
  EXPECT_EQ(items, (QStringList{"W&ijzigen", "-", "&Invoeren", "&Wissen"}));
  EXPECT_TRUE(defaultBold);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !popup->isVisible(); }, 2000));
  EXPECT_EQ(shownDialogs, dialogsBefore);

  // With it, the same click edits the block in the entry dialog instead.
  prefs->RightClickEdit = true;
  WhenDialogShown([] {});
  QTest::mouseClick(block, Qt::RightButton, {}, QPoint(block->width() / 2, 3));
  EXPECT_EQ(shownDialogs, dialogsBefore + 1);
  EXPECT_FALSE(popup->isVisible());
  EXPECT_EQ(StoredPeriods(), QStringList{"2005-03-14 08:00-09:00"});
}

TEST_F(WeekViewTest, TotalsCheckBoxesAreStoredAndRecalculateTheTotal) {
  // The first activity becomes indirect work.
  dm->StamFilter().SetLetter('A');
  ASSERT_TRUE(dm->tblStam.Locate("OBJECT", "Activiteit1", 0));
  dm->tblStam.Edit();
  dm->tblStam.FieldByName("OVERHEAD")->SetAsString("I");
  dm->tblStam.Post();
  hb::ReloadAll();
  frm->SelectEmployee(hb::CurrentMedewerker().Naam);

  // The entry dialog proposes the values of the previous entry; each entry sets its own.
  DrawBlock(1, 32, 35);  // 1:00
  DrawBlock(2, 32, 34, [this] {
    Dlg()->cbxActiviteit()->setFocus();
    QTest::keyClick(Dlg()->cbxActiviteit(), Qt::Key_Home);
    EXPECT_EQ(Dlg()->cbxActiviteit()->currentText(), "Activiteit1");
    ClickOK();
  });  // 0:45, indirect
  DrawBlock(3, 32, 33, [this] {
    Dlg()->cbxActiviteit()->setFocus();
    QTest::keyClick(Dlg()->cbxActiviteit(), Qt::Key_End);
    EXPECT_EQ(Dlg()->cbxActiviteit()->currentText(), " ");
    QTest::mouseClick(Dlg()->chkVoorlopig(), Qt::LeftButton, {},
                      Dlg()->chkVoorlopig()->rect().center());
    ClickOK();
  });  // 0:30, provisional
  ASSERT_EQ(Pb()->Actions().size(), 3);
  EXPECT_EQ(frm->TotalLabel()->text(), "2:15");

  auto* exclVoorl = frm->findChild<QCheckBox*>("chkTotalExclVoorlopig");
  auto* exclOverhead = frm->findChild<QCheckBox*>("chkTotalExclOverhead");
  ASSERT_TRUE(exclVoorl && exclOverhead);
  auto click = [](QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
  };
  auto stored = [](const char* key) {
    return hb::TIniFile(hb::Paths().PersonalIni).ReadString("Totals", key);
  };
  click(exclVoorl);
  EXPECT_TRUE(exclVoorl->isChecked());
  EXPECT_EQ(frm->TotalLabel()->text(), "1:45");
  EXPECT_EQ(stored("ExclVoorl"), "1");
  click(exclVoorl);
  EXPECT_EQ(frm->TotalLabel()->text(), "2:15");
  EXPECT_EQ(stored("ExclVoorl"), "0");

  click(exclOverhead);
  EXPECT_EQ(frm->TotalLabel()->text(), "1:30");
  EXPECT_EQ(stored("ExclOverhead"), "1");
  click(exclVoorl);
  EXPECT_EQ(frm->TotalLabel()->text(), "1:00");
}

TEST_F(WeekViewTest, ListViewRightClickAndDoubleClickEditTheRowsBlock) {
  auto drawWith = [this](int col, const QString& text) {
    DrawBlock(col, 32, 33, [this, text] {
      Type(Dlg()->edtWerkzaamheden(), text);
      ClickOK();
    });
  };
  drawWith(1, "maandag");
  drawWith(2, "dinsdag");
  ASSERT_EQ(Pb()->Actions().size(), 2);
  frm->Action("actListView")->trigger();
  QTreeWidget* list = frm->ListView();
  ASSERT_TRUE(list->isVisible());
  auto rowCentre = [list](int i) { return list->visualItemRect(list->topLevelItem(i)).center(); };
  // Through the window, as the desktop delivers them: the context menu request and the
  // double click come from the press and release sequence.
  auto inWindow = [list, &rowCentre](int i) {
    return list->viewport()->mapTo(list->window(), rowCentre(i));
  };
  auto rightClick = [&](int i) {
    QTest::mouseClick(list->window()->windowHandle(), Qt::RightButton, {}, inWindow(i));
  };
  const int dialogsBefore = shownDialogs;

  // Without rightclickedit the right button opens the popup.
  QMenu* popup = frm->Menu("mnuPopup");
  bool opened = false;
  QTimer::singleShot(0, popup, [&] {
    opened = popup->isVisible();
    popup->close();
  });
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCentre(1));
  rightClick(1);
  EXPECT_TRUE(QTest::qWaitFor([&] { return opened; }, 2000));
  EXPECT_EQ(shownDialogs, dialogsBefore);

  // With it the block of the selected row is edited.
  prefs->RightClickEdit = true;
  WhenDialogShown([this] {
    Type(Dlg()->edtWerkzaamheden(), "dinsdag rechts");
    ClickOK();
  });
  rightClick(1);
  EXPECT_EQ(shownDialogs, dialogsBefore + 1);
  EXPECT_TRUE(StoredPeriods().contains("2005-03-15 08:00-08:30 dinsdag rechts"))
      << StoredPeriods().join('|').toStdString();

  // A double click edits too; the edited row stays the current one after sorting.
  WhenDialogShown([this] {
    Type(Dlg()->edtWerkzaamheden(), "maandag dubbel");
    ClickOK();
  });
  QTest::mouseDClick(list->window()->windowHandle(), Qt::LeftButton, {}, inWindow(0));
  EXPECT_EQ(shownDialogs, dialogsBefore + 2);
  EXPECT_TRUE(StoredPeriods().contains("2005-03-14 08:00-08:30 maandag dubbel"))
      << StoredPeriods().join('|').toStdString();
  ASSERT_NE(list->currentItem(), nullptr);
  EXPECT_TRUE(list->currentItem()->text(0).startsWith("14-03-2005"))
      << list->currentItem()->text(0).toStdString();
}

TEST_F(WeekViewTest, BlockHintsFollowTheMenuSwitch) {
  DrawBlock(1, 32, 35, [this] {
    Type(Dlg()->edtWerkzaamheden(), "Overleg");
    ClickOK();
  });
  ASSERT_EQ(Pb()->Actions().size(), 1);
  TXAction* block = Pb()->Actions().first();
  auto hintShown = [block] {
    QToolTip::hideText();
    QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000);
    QHelpEvent help(QEvent::ToolTip, QPoint(3, 3), block->mapToGlobal(QPoint(3, 3)));
    QCoreApplication::sendEvent(block, &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
  };
  EXPECT_TRUE(frm->Action("actHints")->isChecked());
  EXPECT_TRUE(hintShown().contains("Overleg"));

  frm->Action("actHints")->trigger();
  EXPECT_EQ(hintShown(), "");
  EXPECT_EQ(hb::TIniFile(hb::Paths().PersonalIni).ReadString("Grid", "Hints"), "0");
  frm->Action("actHints")->trigger();
  EXPECT_TRUE(hintShown().contains("Overleg"));
  QToolTip::hideText();
}

TEST_F(WeekViewTest, ListViewSortsOnAHeaderClickAndFollowsThePlannerSelection) {
  auto drawWith = [this](int col, int top, const QString& text) {
    DrawBlock(col, top, top + 1, [this, text] {
      Type(Dlg()->edtWerkzaamheden(), text);
      ClickOK();
    });
  };
  drawWith(2, 32, "alpha");  // Tuesday 08:00
  drawWith(1, 36, "Beta");   // Monday 09:00
  drawWith(1, 32, "gamma");  // Monday 08:00
  ASSERT_EQ(Pb()->Actions().size(), 3);
  frm->Action("actListView")->trigger();
  QTreeWidget* list = frm->ListView();
  ASSERT_TRUE(list->isVisible());
  int werkz = -1;
  for (int c = 0; c < list->columnCount(); ++c)
    if (list->headerItem()->text(c) == "Werkzaamheden") werkz = c;
  ASSERT_GE(werkz, 0);
  auto column = [list](int c) {
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i) texts << list->topLevelItem(i)->text(c);
    return texts;
  };
  auto clickHeader = [list](int c) {
    QHeaderView* header = list->header();
    list->horizontalScrollBar()->setValue(header->sectionPosition(c));  // bring it into view
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(c) + 5, header->height() / 2));
  };

  // Date sorts on the date and then the start; other columns on their text, ignoring case.
  clickHeader(0);
  EXPECT_EQ(column(werkz), (QStringList{"gamma", "Beta", "alpha"}));
  clickHeader(werkz);
  EXPECT_EQ(column(werkz), (QStringList{"alpha", "Beta", "gamma"}));
  clickHeader(werkz);  // ascending only
  EXPECT_EQ(column(werkz), (QStringList{"alpha", "Beta", "gamma"}));

  // Clicking a row selects its block in the planner.
  QTreeWidgetItem* beta = list->topLevelItem(1);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(beta).center());
  ASSERT_NE(Pb()->SelectedAction(), nullptr);
  EXPECT_EQ(frm->RecordOf(Pb()->SelectedAction())->Werkz.trimmed(), "Beta");
  // Moving to another row with the keyboard follows.
  QTest::keyClick(list->viewport(), Qt::Key_Down);
  ASSERT_NE(Pb()->SelectedAction(), nullptr);
  EXPECT_EQ(frm->RecordOf(Pb()->SelectedAction())->Werkz.trimmed(), "gamma");

  // And the other way: clicking a block in the planner makes its row the current one.
  frm->Action("actListView")->trigger();
  ASSERT_TRUE(Pb()->isVisible());
  TXAction* alpha = nullptr;
  for (TXAction* b : Pb()->Actions())
    if (frm->RecordOf(b)->Werkz.trimmed() == "alpha") alpha = b;
  ASSERT_NE(alpha, nullptr);
  Pb()->verticalScrollBar()->setValue(32 * Pb()->Geometry().RowHeight);
  QTest::mouseClick(alpha, Qt::LeftButton, {}, QPoint(alpha->width() / 2, 3));
  ASSERT_NE(list->currentItem(), nullptr);
  EXPECT_EQ(list->currentItem()->text(werkz), "alpha");
}

TEST_F(WeekViewTest, DrawMoveResizeAndDeleteAreStored) {
  DrawBlock(1, 32, 35);  // Monday 08:00-09:00
  ASSERT_EQ(Pb()->Actions().size(), 1);
  EXPECT_EQ(StoredPeriods(), QStringList{"2005-03-14 08:00-09:00"});
  EXPECT_EQ(frm->TotalLabel()->text(), "1:00");
  EXPECT_EQ(frm->ListView()->topLevelItemCount(), 1);

  // Move it one day right and two slots down.
  TXAction* block = Pb()->Actions().first();
  const QPoint grab(block->width() / 2, 3);
  const QPoint from = block->pos() + grab;
  const QPoint to = from + QPoint(Pb()->Geometry().ColWidth, 2 * Pb()->Geometry().RowHeight);
  QTest::mousePress(block, Qt::LeftButton, {}, grab);
  QTest::mouseMove(block, grab + QPoint(0, 12));
  QTest::mouseMove(block, to - block->pos());
  QTest::mouseRelease(block, Qt::LeftButton, {}, to - block->pos());
  EXPECT_EQ(block->ActionRect, (TXRect{2, 34, 2, 37}));
  EXPECT_EQ(StoredPeriods(), QStringList{"2005-03-15 08:30-09:30"});

  // Stretch its end by two slots with the lower handle.
  Pb()->SelectAction(block);
  QWidget* handle = Pb()->SizeHandles().BottomHandle();
  const QPoint h(handle->width() / 2, 3);
  const int rh = Pb()->Geometry().RowHeight;
  QTest::mousePress(handle, Qt::LeftButton, {}, h);
  QTest::mouseMove(handle, h + QPoint(0, rh));
  QTest::mouseMove(handle, h + QPoint(0, 2 * rh));
  QTest::mouseRelease(handle, Qt::LeftButton, {}, h + QPoint(0, 2 * rh));
  const int bottom = block->ActionRect.Bottom;
  EXPECT_GT(bottom, 37);
  const int stop = (bottom + 1) * 15;
  EXPECT_EQ(StoredPeriods(),
            QStringList{QString::asprintf("2005-03-15 08:30-%02d:%02d", stop / 60, stop % 60)});

  // Del asks first; No keeps it, Yes deletes it.
  frm->SelectAll();
  dialogs.Queue(TDialogAnswer::No);
  frm->Action("actWissen")->trigger();
  EXPECT_EQ(Pb()->Actions().size(), 1);
  dialogs.Queue(TDialogAnswer::Yes);
  frm->Action("actWissen")->trigger();
  EXPECT_TRUE(dialogs.Texts().contains("Actie(s) wissen?"));
  EXPECT_TRUE(Pb()->Actions().isEmpty());
  EXPECT_TRUE(StoredPeriods().isEmpty());
  EXPECT_EQ(frm->TotalLabel()->text(), "0:00");

  // Without the question.
  prefs->WarnDelete = false;
  DrawBlock(1, 40, 41);
  frm->SelectAll();
  const int asked = dialogs.Texts().size();
  frm->Action("actWissen")->trigger();
  EXPECT_EQ(dialogs.Texts().size(), asked);
  EXPECT_TRUE(StoredPeriods().isEmpty());
}

TEST_F(WeekViewTest, CopyPasteIntoAnotherWeekAndOntoAnOccupiedSlot) {
  DrawBlock(1, 32, 35);
  frm->SelectAll();
  frm->Copy(false);
  ASSERT_EQ(frm->ClipboardList().Count(), 1);
  EXPECT_EQ(frm->ClipboardList()[0]->RecNr, 0);
  frm->SetCalendarDate(kMonday.addDays(7));
  frm->Paste();
  EXPECT_EQ(Pb()->Actions().size(), 1);
  QStringList stored = StoredPeriods();
  stored.sort();
  EXPECT_EQ(stored, (QStringList{"2005-03-14 08:00-09:00", "2005-03-21 08:00-09:00"}));
  // Pasting once more lands on the occupied slot: the block follows the mouse to be dropped.
  frm->Paste();
  EXPECT_EQ(Pb()->Actions().size(), 2);
  EXPECT_NE(Pb()->PendingCopy(), nullptr);
}

TEST_F(WeekViewTest, ZoomInAndOut) {
  const int width100 = Pb()->DefaultColWidth();
  QList<int> zooms;
  for (int i = 0; i < 3; ++i) {
    frm->Action("actZoomIn")->trigger();
    zooms << frm->Zoom();
  }
  EXPECT_EQ(zooms, (QList<int>{150, 225, 225}));
  EXPECT_EQ(frm->Action("actZoomIn")->text(), "In&zoomen 225%");
  EXPECT_NEAR(Pb()->DefaultColWidth(), width100 * 2.25, 2);
  zooms.clear();
  for (int i = 0; i < 7; ++i) {
    frm->Action("actZoomuit")->trigger();
    zooms << frm->Zoom();
  }
  EXPECT_EQ(zooms, (QList<int>{150, 100, 67, 45, 30, 25, 25}));
  EXPECT_EQ(frm->Action("actZoomuit")->text(), "Uitz&oomen 25%");
  frm->Action("actWeekoverzicht")->trigger();
  EXPECT_EQ(frm->Zoom(), 100);
}

TEST_F(WeekViewTest, BlockedWeekRefusesEdits) {
  DrawBlock(1, 32, 35);
  hb::ProgramIni().WriteString("Block", "Enabled", "1");
  hb::ProgramIni().WriteString("Block", "Date",
                               hb::DateTimeToStamp(hb::DateToMoment(kMonday.addDays(1))));
  frm->SelectAll();
  frm->Copy(false);
  frm->LoadWeek(true);
  EXPECT_FALSE(Pb()->isEnabled());
  EXPECT_EQ(frm->WeekLabel()->palette().color(QPalette::Window), QColor(Qt::red));
  frm->SelectAll();
  dialogs.Queue(TDialogAnswer::Yes);
  frm->DeleteSelected();
  frm->Paste();
  frm->Insert(true);
  dialogs.Queue(TDialogAnswer::Yes);
  frm->DeleteWholeWeek();
  EXPECT_EQ(Pb()->Actions().size(), 1);
  EXPECT_EQ(StoredPeriods(), QStringList{"2005-03-14 08:00-09:00"});
  // The next week lies after the block date.
  frm->SetCalendarDate(kMonday.addDays(7));
  EXPECT_TRUE(Pb()->isEnabled());
  hb::ProgramIni().WriteString("Block", "NoBlockAdmin", "1");
  frm->SetCalendarDate(kMonday);
  EXPECT_TRUE(Pb()->isEnabled());
}

TEST_F(WeekViewTest, InsertProposesFromTheWorkStartOfToday) {
  // Today Wednesday 16 March 2005 at 10:17; no records, no right-click.
  hb::SetNowClock([] { return hb::DateToMoment(QDate(2005, 3, 16)) + (10 * 60 + 17) / 1440.0; });
  WhenDialogShown([this] {
    EXPECT_TRUE(Dlg()->DayBox(3)->isChecked());
    EXPECT_EQ(Dlg()->edtStarttijd()->text(), "07:45");
    ClickOK();
  });
  QTest::keyClick(Pb(), Qt::Key_Insert);
  EXPECT_EQ(shownDialogs, 1);
  EXPECT_EQ(StoredPeriods(), QStringList{"2005-03-16 07:45-08:45"});
  ASSERT_EQ(Pb()->Actions().size(), 1);
  EXPECT_EQ(Pb()->Actions().first()->ActionRect, (TXRect{3, 31, 3, 34}));
}

TEST_F(WeekViewTest, SelectionOpensTheEntryDialogAndStoresWhatIsTyped) {
  // Cancel makes nothing.
  DrawBlock(2, 36, 39, [] {});
  EXPECT_EQ(shownDialogs, 1);
  EXPECT_TRUE(Pb()->Actions().isEmpty());
  EXPECT_TRUE(StoredPeriods().isEmpty());

  // Tuesday 09:00-10:00 proposed; a later start and a description typed, OK.
  DrawBlock(2, 36, 39, [this] {
    EXPECT_TRUE(Dlg()->DayBox(2)->isChecked());
    EXPECT_FALSE(Dlg()->DayBox(1)->isChecked());
    EXPECT_EQ(Dlg()->edtStarttijd()->text(), "09:00");
    EXPECT_EQ(Dlg()->edtEindtijd()->text(), "10:00");
    Type(Dlg()->edtStarttijd(), "930");
    Type(Dlg()->edtWerkzaamheden(), "Overleg");
    ClickOK();
  });
  EXPECT_EQ(StoredPeriods(), QStringList{"2005-03-15 09:30-10:00 Overleg"});
  ASSERT_EQ(Pb()->Actions().size(), 1);
  TXAction* block = Pb()->Actions().first();
  EXPECT_EQ(block->ActionRect, (TXRect{2, 38, 2, 39}));
  ASSERT_EQ(frm->WeekList().Count(), 1);
  EXPECT_EQ(frm->RecordOf(block), frm->WeekList()[0]);
  EXPECT_EQ(frm->TotalLabel()->text(), "0:30");
  EXPECT_EQ(frm->ListView()->topLevelItemCount(), 1);

  // A selection over that block splits the period around it.
  prefs->WarnOverlap = true;
  DrawBlock(2, 36, 41);
  EXPECT_TRUE(dialogs.Texts().contains("Let op: periode overlapt reeds bestaande tijdsblokken"));
  QStringList stored = StoredPeriods();
  stored.sort();
  EXPECT_EQ(stored, (QStringList{"2005-03-15 09:00-09:30", "2005-03-15 09:30-10:00 Overleg",
                                 "2005-03-15 10:00-10:30"}));
  EXPECT_EQ(Pb()->Actions().size(), 3);
}

TEST_F(WeekViewTest, DoubleClickEditsTheBlockThroughTheEntryDialog) {
  DrawBlock(1, 32, 35);  // Monday 08:00-09:00
  ASSERT_EQ(Pb()->Actions().size(), 1);
  TXAction* block = Pb()->Actions().first();
  const int recNr = frm->RecordOf(block)->RecNr;

  // Cancel leaves it as it was.
  WhenDialogShown([] {});
  QTest::mouseDClick(block, Qt::LeftButton, {}, QPoint(block->width() / 2, 3));
  EXPECT_EQ(shownDialogs, 2);
  EXPECT_EQ(StoredPeriods(), QStringList{"2005-03-14 08:00-09:00"});

  // Two hours later, with a description.
  WhenDialogShown([this] {
    EXPECT_FALSE(Pb()->isEnabled());
    EXPECT_EQ(Dlg()->edtStarttijd()->text(), "08:00");
    Type(Dlg()->edtStarttijd(), "1000");
    Type(Dlg()->edtEindtijd(), "1100");
    Type(Dlg()->edtWerkzaamheden(), "Ontwerp");
    ClickOK();
  });
  QTest::mouseDClick(block, Qt::LeftButton, {}, QPoint(block->width() / 2, 3));
  EXPECT_EQ(shownDialogs, 3);
  EXPECT_TRUE(Pb()->isEnabled());
  EXPECT_EQ(StoredPeriods(), QStringList{"2005-03-14 10:00-11:00 Ontwerp"});
  EXPECT_EQ(block->ActionRect, (TXRect{1, 40, 1, 43}));
  EXPECT_EQ(frm->RecordOf(block)->RecNr, recNr);
  EXPECT_EQ(frm->TotalLabel()->text(), "1:00");

  // Only the description changed: the record is stored all the same.
  Pb()->SelectAction(block);
  WhenDialogShown([this] {
    Type(Dlg()->edtWerkzaamheden(), "Bouw");
    ClickOK();
  });
  frm->Action("actWijzigen")->trigger();
  EXPECT_EQ(StoredPeriods(), QStringList{"2005-03-14 10:00-11:00 Bouw"});
}

TEST_F(WeekViewTest, StopwatchGoesToTodaysWeekAndShowsWhatItBooked) {
  // Today Tuesday 22 March 2005, week 12, while week 11 is shown.
  const double day = hb::DateToMoment(QDate(2005, 3, 22));
  double now = day + 9 / 24.0;
  hb::SetNowClock([&] { return now; });
  WhenDialogShown([&] {
    EXPECT_EQ(frm->DisplayedWeek(), 12);
    EXPECT_EQ(Dlg()->windowTitle(), "Real-time boeken");
    Type(Dlg()->edtWerkzaamheden(), "Support");
    QTest::mouseClick(Dlg()->StopwatchButton(0), Qt::LeftButton);
    now = day + 10 / 24.0;
    QTest::mouseClick(Dlg()->StopwatchButton(2), Qt::LeftButton);
    EXPECT_EQ(Pb()->Actions().size(), 1);
    EXPECT_EQ(frm->TotalLabel()->text(), "1:00");
    QTest::mouseClick(Dlg()->btnCancel(), Qt::LeftButton);
  });
  frm->Action("actStopwatch")->trigger();
  EXPECT_EQ(shownDialogs, 1);
  EXPECT_EQ(frm->LoadedWeek(), 12);
  EXPECT_EQ(StoredPeriods(), QStringList{"2005-03-22 09:00-10:00 Support"});
  ASSERT_EQ(Pb()->Actions().size(), 1);
  EXPECT_EQ(Pb()->Actions().first()->ActionRect, (TXRect{2, 36, 2, 39}));
  EXPECT_EQ(frm->ListView()->topLevelItemCount(), 1);
}

}  // namespace

namespace {

// Pictures of a filled week at 100 % and 225 % for looking at (run on a real display, for
// example under xvfb-run with --gtest_also_run_disabled_tests); writes /tmp/hb_week_*.png.
TEST_F(WeekViewTest, AnotherEmployeesWeekBlinksInTheCaptionUntilTheOwnIsShownAgain) {
  DrawBlock(1, 32, 35);  // TEST's own record
  EXPECT_FALSE(frm->Action("actEigenmedewerker")->isEnabled());
  dm->StamFilter().SetLetter('M');
  ASSERT_TRUE(dm->tblStam.Locate("OBJECT", "TEST", 0));
  dm->tblStam.Edit();
  dm->tblStam.FieldByName("TOEGANG")->SetAsString("B");
  dm->tblStam.Post();
  frm->SelectEmployee("TEST");
  ASSERT_TRUE(frm->Action("actOtherUser")->isEnabled());

  // The choice window lists the employees; picking one shows that employee's week.
  QStringList offered;
  QTimer::singleShot(0, [&] {
    auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dlg, nullptr);
    auto* users = dlg->findChild<QListWidget*>("lbxUsers");
    for (int i = 0; i < users->count(); ++i) offered << users->item(i)->text();
    const auto found = users->findItems("Medewerker2", Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    const QPoint at =
        users->viewport()->mapTo(dlg->window(), users->visualItemRect(found[0]).center());
    QTest::mouseDClick(dlg->window()->windowHandle(), Qt::LeftButton, {}, at);
    if (dlg->isVisible()) dlg->reject();  // never leave the test waiting
  });
  frm->Action("actOtherUser")->trigger();
  EXPECT_TRUE(offered.contains("Medewerker2") && offered.contains("TEST"))
      << offered.join(',').toStdString();
  EXPECT_EQ(hb::CurrentMedewerker().Naam, "Medewerker2");
  EXPECT_EQ(frm->windowTitle(), "Hourbook - Medewerker2");
  EXPECT_TRUE(Pb()->Actions().isEmpty());
  EXPECT_TRUE(frm->Action("actEigenmedewerker")->isEnabled());
  QStringList captions;
  for (int i = 0; i < 2; ++i) {
    const QString before = frm->windowTitle();
    EXPECT_TRUE(QTest::qWaitFor([&] { return frm->windowTitle() != before; }, 2000));
    captions << frm->windowTitle();
  }
  EXPECT_TRUE(captions.contains("Hourbook - ")) << captions.join('|').toStdString();
  EXPECT_TRUE(captions.contains("Hourbook - Medewerker2")) << captions.join('|').toStdString();

  // "Eigen medewerker" brings back the own week and a steady caption.
  frm->Action("actEigenmedewerker")->trigger();
  EXPECT_EQ(frm->windowTitle(), "Hourbook - TEST");
  EXPECT_EQ(Pb()->Actions().size(), 1);
  EXPECT_FALSE(frm->Action("actEigenmedewerker")->isEnabled());
  QTest::qWait(900);
  EXPECT_EQ(frm->windowTitle(), "Hourbook - TEST");
}

TEST_F(WeekViewTest, DeveloperKeyWritesTheMasterDataListsAndOpensTheMetaTable) {
  int browsed = 0;
  hb::TvrtMetaDataset::SetBrowser([&](hb::TvrtMetaDataset&) { browsed++; });
  QTest::keyClick(frm.get(), Qt::Key_F12,
                  Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
  hb::TvrtMetaDataset::SetBrowser(nullptr);
  EXPECT_EQ(browsed, 1);
  for (const char* file : {"lstMedew.tmp", "lstKlant.tmp", "lstAct.tmp", "lstProd.tmp",
                           "lstAfd.tmp"}) {
    EXPECT_TRUE(QFile::exists(folder.Prog(file))) << file;
  }
  QFile klant(folder.Prog("lstKlant.tmp"));
  ASSERT_TRUE(klant.open(QIODevice::ReadOnly));
  const QStringList lines = QString::fromLocal8Bit(klant.readAll()).split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 3);
  EXPECT_TRUE(lines[0].startsWith("K,")) << lines[0].toStdString();
  EXPECT_TRUE(lines[0].contains(",Klant1,kl1,")) << lines[0].toStdString();
}

TEST_F(WeekViewTest, DISABLED_ScreenshotOfAFilledWeek) {
  for (int day = 1; day <= 5; ++day) {
    DrawBlock(day, 32, 35);
    DrawBlock(day, 38, 45);
  }
  frm->CalcTotals();
  QTest::qWait(100);
  frm->grab().save("/tmp/hb_week_100.png");
  frm->ZoomIn();
  frm->ZoomIn();
  QTest::qWait(100);
  frm->grab().save("/tmp/hb_week_225.png");
}

}  // namespace
