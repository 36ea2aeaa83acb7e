// The main window's week: calendar and week tabs, loading the week into the planner and the
// list view, the planner's events, totals, Insert, delete, clipboard, zoom and the shown
// employee. The decisions themselves live in mainlogic.cpp.
#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>
#include <QStyle>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>

#include "app/frmmain.h"
#include "app/frmproject.h"
#include "controls/calendar.h"
#include "controls/planbox.h"
#include "data/autorisatie.h"
#include "data/dmdbase.h"
#include "data/flexfields.h"
#include "data/frmanderegebruiker.h"
#include "data/stamlists.h"
#include "platform/dialogservice.h"
#include "platform/inifile.h"
#include "support/persinstellingen.h"
#include "timereg/mainobj.h"
#include "util/calendarfuncs.h"
#include "util/formats.h"
#include "util/log.h"
#include "util/messages.h"
#include "util/pathcontext.h"

namespace hb {

namespace {

const char* const kTitle = "Hourbook";
constexpr int kRecNrRole = Qt::UserRole + 1;
constexpr int kSortKeyRole = Qt::UserRole + 2;

QString Tr(const char* text) {
  return QCoreApplication::translate("TfrmMain", text);
}

QString HhNn(double moment) {
  return FormatMoment("hh:nn", moment);
}

// "hh:nn" of a span of time.
QString SpanText(double days) {
  const int minutes = qRound(days * 1440);
  return QString::asprintf("%02d:%02d", minutes / 60, minutes % 60);
}

// The list view's columns after the four fixed ones, in this order, for the fields in use.
enum class TListField { Klant, Activiteit, Product, Werkzaamheden, Tarief, Aantal, Overhead,
                        Voorlopig };
struct TListColumn {
  TListField field;
  TFlexField& (*flex)();
  int width;
};
const TListColumn kListColumns[] = {
    {TListField::Klant, FlexFldKlant, 160},
    {TListField::Activiteit, FlexFldActiviteit, 160},
    {TListField::Product, FlexFldProduct, 160},
    {TListField::Werkzaamheden, FlexFldWerkzaamheden, 160},
    {TListField::Tarief, FlexFldTarief, 60},
    {TListField::Aantal, FlexFldAantal, 60},
    {TListField::Overhead, FlexFldOverhead, 40},
    {TListField::Voorlopig, FlexFldVoorlopig, 30},
};

QStringList ListTexts(const TActieRec& rec) {
  QStringList texts{DateText(rec.Start), HhNn(rec.Start), HhNn(rec.Stop),
                    SpanText(rec.Stop - rec.Start)};
  auto name = [](const TStamObjPtr& item) { return item ? item->Naam : QString(); };
  for (const TListColumn& c : kListColumns) {
    if (!c.flex().InUse) continue;
    switch (c.field) {
      case TListField::Klant: texts << name(rec.Klant); break;
      case TListField::Activiteit: texts << name(rec.Activiteit); break;
      case TListField::Product: texts << name(rec.Product); break;
      case TListField::Werkzaamheden: texts << rec.Werkz; break;
      case TListField::Tarief: texts << rec.RateText(); break;
      case TListField::Aantal: texts << QString::number(rec.Aantal); break;
      case TListField::Overhead: texts << rec.CodesText(); break;
      case TListField::Voorlopig: texts << rec.StatusText(); break;
    }
  }
  return texts;
}

// Restores the cursor and the blink timer however a week load ends.
class TLoadGuard {
 public:
  explicit TLoadGuard(QTimer* blink) : blink_(blink), wasActive_(blink->isActive()) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    blink_->stop();
  }
  ~TLoadGuard() {
    QGuiApplication::restoreOverrideCursor();
    if (wasActive_) blink_->start();
  }

 private:
  QTimer* blink_;
  bool wasActive_;
};

}  // namespace

// --- creation ----------------------------------------------------------------------------

void TfrmMain::CreateWeekControls() {
  calendar_ = new TXCalendar(pnlCalendar_);
  calendar_->setObjectName("calWeek");
  pnlCalendar_->layout()->addWidget(calendar_);
  // The calendar lays out its parts for its own size; the panel keeps room for all of it.
  calendar_->setFixedSize(calendar_->size());
  pnlCalendar_->setFixedSize(calendar_->size());
  calendar_->OnChange = [this](TXCalendar*) { CalendarChanged(); };

  pbxWeek_ = new TXPlanbox(pnlPlanner_);
  pbxWeek_->setObjectName("pbxWeek");
  pbxWeek_->SetColCount(7);
  pnlPlanner_->layout()->addWidget(pbxWeek_);
  // A picture on the corner button: its text does not fit the 32 x 24 pixels at every font.
  pbxWeek_->SetCenterButtonIcon(
      QIcon::fromTheme("zoom-fit-best", style()->standardIcon(QStyle::SP_TitleBarNormalButton))
          .pixmap(16, 16));
  pbxWeek_->viewport()->installEventFilter(this);
  lvUren_->viewport()->installEventFilter(this);
  WirePlannerEvents();
  CreateProjectDialog();

  lvUren_->setContextMenuPolicy(Qt::CustomContextMenu);
  // The window sorts the rows itself. setSortingEnabled(false) also makes the header
  // unclickable, so the header is made clickable after it.
  lvUren_->setSortingEnabled(false);
  lvUren_->header()->setSectionsClickable(true);
  connect(lvUren_->header(), &QHeaderView::sectionClicked, this, [this](int column) {
    sortColumn_ = column;
    SortListView(column);
  });
  connect(lvUren_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (syncingList_ || !item) return;
    TXAction* block = nullptr;
    for (TXAction* b : pbxWeek_->Actions()) {
      if (TActieRec* rec = RecordOf(b); rec && rec->RecNr == item->data(0, kRecNrRole).toInt())
        block = b;
    }
    syncingList_ = true;
    pbxWeek_->SelectAction(block);
    syncingList_ = false;
  });
  connect(lvUren_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
    if (!item) return;
    const int recNr = item->data(0, kRecNrRole).toInt();
    EditBlock(pbxWeek_->SelectedAction());
    SortListView(sortColumn_);
    SelectListRow(recNr);
  });
  connect(lvUren_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    if (prefs_.RightClickEdit) {
      EditBlock(pbxWeek_->SelectedAction());
    } else {
      mnuPopup_->popup(lvUren_->viewport()->mapToGlobal(pos));
    }
  });

  tmrUpdateStamLists_ = new QTimer(this);
  tmrUpdateStamLists_->setObjectName("TimerUpdateStemLists");
  tmrUpdateStamLists_->setSingleShot(true);
  tmrUpdateStamLists_->setInterval(500);
  connect(tmrUpdateStamLists_, &QTimer::timeout, this, [this] {
    try {
      ReloadAll();
      LoadWeek(true);
    } catch (...) {
      // A failed reload leaves the week as it is; the next load tries again.
    }
  });
}

void TfrmMain::SetupPlannerFromSettings() {
  const TIniFile& ini = ProgramIni();
  TMainObj& m = MainObj();
  const int sph = m.SlotsPerHour();
  pbxWeek_->SetRowCount(24 * sph);
  pbxWeek_->SetRowDivider(sph);
  TXRect alt;
  alt.Left = qBound(0, ini.ReadInteger("Grid", "WerkweekBegin", 1), 6);
  alt.Right = qMax(ini.ReadInteger("Grid", "WerkweekEinde", 5) + 1, alt.Left + 1);
  const double begin = TMainObj::TimeStrToTime(ini.ReadString("Grid", "WerktijdBegin", "7:45"));
  const double end = TMainObj::TimeStrToTime(ini.ReadString("Grid", "WerktijdEinde", "17:30"));
  alt.Top = begin < 0 ? 0 : qRound(sph * begin * 24);
  alt.Bottom = end < 0 ? pbxWeek_->RowCount() - 1 : qRound(sph * end * 24);
  pbxWeek_->SetAltColorRect(alt);
  QStringList rows;
  for (int i = 0; i < pbxWeek_->RowCount(); ++i) rows << QString::number(i);
  pbxWeek_->SetRowHeadings(rows);
  pbxWeek_->SetColHeadings(ColumnHeadings(WeekStart(QDate::currentDate())));
  calendar_->SetShowHolidays(showHolidays_);

  // List view columns, made once.
  QStringList headings{Tr("Datum"), Tr("Start"), Tr("Stop"), Tr("Duur")};
  QList<int> widths{65, 60, 60, 50};
  for (const TListColumn& c : kListColumns) {
    if (!c.flex().InUse) continue;
    headings << c.flex().CaptionNoAmp();
    widths << c.width;
  }
  lvUren_->setHeaderLabels(headings);
  for (int i = 0; i < widths.size(); ++i) lvUren_->setColumnWidth(i, widths[i]);
}

void TfrmMain::ConnectWeekActions() {
  auto on = [this](const char* name, auto slot) {
    connect(actions_[name], &QAction::triggered, this, slot);
  };
  on("actInvoeren", [this] {
    Insert(!(QGuiApplication::keyboardModifiers() & Qt::ShiftModifier));
  });
  on("actInvoerenStartWeek", [this] { Insert(false); });
  on("actWijzigen", [this] { EditBlock(pbxWeek_->SelectedAction()); });
  on("actStopwatch", [this] {
    if (WeekBlocked()) return;
    SetCalendarDate(MomentToDate(NowMoment()));
    frmProject_->RunStopwatch(pbxWeek_);
    LoadWeek(true);
    FillListView();
  });
  on("actWissen", [this] { DeleteSelected(); });
  on("actWisheleweek", [this] { DeleteWholeWeek(); });
  on("actSelecteerAlles", [this] { SelectAll(); });
  on("actKopieren", [this] { Copy(false); });
  on("actKopierentoevoegen", [this] { Copy(true); });
  on("actKnippen", [this] { Cut(false); });
  on("actKnippentoevoegen", [this] { Cut(true); });
  on("actPlakken", [this] { Paste(); });
  on("actZoomIn", [this] { ZoomIn(); });
  on("actZoomuit", [this] { ZoomOut(); });
  for (const char* mode : {"actWeekoverzicht", "actWerkweekoverzicht"}) {
    on(mode, [this] {
      zoom_ = 100;
      actions_["actZoomIn"]->setText(ZoomInCaption(zoom_));
      actions_["actZoomuit"]->setText(ZoomOutCaption(zoom_));
      FitPlanner();
    });
  }
  on("actLangenamentonen", [this] { LoadWeek(true); });
  on("actHints", [this](bool hints) { pbxWeek_->SetShowHint(hints); });
  on("actOtherUser", [this] {
    QString chosen;
    if (TfrmAndereGebruiker::Run(PrepareOtherEmployeeChoice(), chosen) && !chosen.isEmpty()) {
      otherEmployee_ = chosen;
      SelectEmployee(chosen);
    }
  });
  on("actEigenmedewerker", [this] {
    otherEmployee_.clear();
    SelectEmployee(LoginMedewerker().Naam);
  });
  connect(tmrBlink_, &QTimer::timeout, this, [this] {
    const QString caption = Tr("Hourbook - ");
    if (DmDBase() && !otherEmployee_.isEmpty()) {
      blinkOn_ = !blinkOn_;
      setWindowTitle(blinkOn_ ? caption : caption + CurrentMedewerker().Naam);
    }
    CalcTotals();
    UpdateActions();
  });

  // Keys the window handles before its controls.
  const struct {
    QKeySequence keys;
    std::function<void()> effect;
  } keys[] = {
      {QKeySequence(Qt::CTRL | Qt::Key_PageDown), [this] { actions_["actVolgendeWeek"]->trigger(); }},
      {QKeySequence(Qt::CTRL | Qt::Key_PageUp), [this] { actions_["actVorigeWeek"]->trigger(); }},
      {QKeySequence(Qt::CTRL | Qt::Key_Home), [this] { actions_["actHuidigeWeek"]->trigger(); }},
      {QKeySequence(Qt::Key_Home), [this] { pbxWeek_->CenterWorkPeriod(); }},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::ALT | Qt::Key_F12), [this] { DiagnosticDump(); }},
  };
  for (const auto& k : keys) {
    auto* shortcut = new QShortcut(k.keys, this);
    connect(shortcut, &QShortcut::activated, this, k.effect);
  }
}

void TfrmMain::ApplyPlannerPreferences() {
  pbxWeek_->SetGridColor(prefs_.RestColor);
  pbxWeek_->SetAltGridColor(prefs_.WorkColor);
  pbxWeek_->SetGridLineColor(prefs_.GridColor);
  QFont font(prefs_.FontName);
  font.setPointSize(prefs_.FontSize > 0 ? prefs_.FontSize : 8);
  pbxWeek_->setFont(font);
  pbxWeek_->GridArea()->setFont(font);
  frmProject_->CopyWerkz = prefs_.CopyWerkz;
  if (activated_) LoadWeek(true);
}

TBlockColors TfrmMain::BlockColors() const {
  TBlockColors c;
  c.Action = prefs_.ActionColor;
  c.Temp = prefs_.TempColor;
  c.Font = prefs_.FontColor;
  c.LongNames = prefs_.LongNames;
  return c;
}

// --- navigation ----------------------------------------------------------------------------

namespace {

// QTabBar only scrolls the selected tab into view and has no call to set the leftmost tab.
// Selecting the last tab scrolls to the end; selecting `first` after that scrolls back until
// `first` is at the left edge. The caller then selects the tab it wants, which stays where it
// is as long as it is in view.
void ScrollWeekTabs(QTabBar* tabs, int first) {
  const int last = tabs->count() - 1;
  if (tabs->currentIndex() == last) tabs->setCurrentIndex(0);
  tabs->setCurrentIndex(last);
  tabs->setCurrentIndex(first);
}

}  // namespace

void TfrmMain::CalendarChanged() {
  const QDate date = calendar_->CalendarDate();
  if (!date.isValid()) return;
  calendarDate_ = date;
  const QDate d = date.dayOfWeek() == 7 ? date.addDays(1) : date;
  displayedYear_ = IsoYear(d);
  displayedWeek_ = IsoWeek(d);
  const QDate monday = IsoWeekStart(displayedYear_, displayedWeek_);
  lblWeek_->setText(WeekLabelText(displayedWeek_, monday));
  settingTab_ = true;
  ScrollWeekTabs(tabWeeknummers_, FirstVisibleTab(displayedWeek_));
  tabWeeknummers_->setCurrentIndex(displayedWeek_);
  settingTab_ = false;
  if (activated_) LoadWeek(false);
}

void TfrmMain::ShowWeekOfTab(int index) {
  if (!calendarDate_.isValid()) return;
  SetCalendarDate(WeekStartOfTab(index, calendarDate_));
}

bool TfrmMain::WeekBlocked() const {
  if (displayedYear_ == 0) return false;
  return IsWeekBlocked(ProgramIni(), IsoWeekStartMoment(displayedYear_, displayedWeek_));
}

// --- loading -----------------------------------------------------------------------------

void TfrmMain::LoadWeek(bool force) {
  if (!force && displayedYear_ == loadedYear_ && displayedWeek_ == loadedWeek_) return;
  if (displayedYear_ == 0) return;
  TLoadGuard guard(tmrBlink_);
  TdmDBase* dm = DmDBase();
  if (dm) dm->FlushTables();
  pbxWeek_->ClearActions();
  lvUren_->clear();
  selection_.clear();
  weekList_.Clear();
  loadedYear_ = displayedYear_;
  loadedWeek_ = displayedWeek_;
  TMainObj& m = MainObj();
  m.SetDisplayedWeek(displayedYear_, displayedWeek_);
  const double from = m.PeriodStart();
  const double to = from + 7;
  if (dm && CurrentMedewerker().ID != 0) weekList_.GetActieList(from, to);
  pbxWeek_->SetColHeadings(ColumnHeadings(IsoWeekStart(displayedYear_, displayedWeek_)));

  // Blocks for the records; nothing is written while they are added.
  const TAddActionEvent add = pbxWeek_->OnAddAction;
  pbxWeek_->OnAddAction = nullptr;
  for (int i = 0; i < weekList_.Count(); ++i) {
    TActieRec* rec = weekList_[i];
    if (!TMainObj::IsInPeriod(to, from, rec->Start)) continue;
    auto* block = new TXAction(pbxWeek_->GridArea());
    block->ActionObj = rec;
    const int column = TMainObj::DayColumn(rec->Start);
    block->ActionRect = {column, m.TimeToRow(false, rec->Start), column,
                         m.TimeToRow(true, rec->Stop)};
    pbxWeek_->AddAction(block);
    ComposeBlock(block);
    block->show();
  }
  pbxWeek_->OnAddAction = add;

  CalcTotals();
  const bool blocked = WeekBlocked();
  pbxWeek_->setEnabled(!blocked);
  QPalette pal = lblWeek_->palette();
  pal.setColor(QPalette::Window, blocked ? QColor(Qt::red) : palette().color(QPalette::Button));
  lblWeek_->setPalette(pal);
  FillListView();
  UpdateActions();
}

TActieRec* TfrmMain::RecordOf(const TXAction* block) const {
  return block ? static_cast<TActieRec*>(block->ActionObj) : nullptr;
}

TXAction* TfrmMain::BlockOf(const TActieRec* rec) const {
  for (TXAction* b : pbxWeek_->Actions()) {
    if (b->ActionObj == rec) return b;
  }
  return nullptr;
}

void TfrmMain::ComposeBlock(TXAction* block) {
  TActieRec* rec = RecordOf(block);
  if (!rec) return;
  const TBlockLook look = ComposeLook(*rec, selection_.contains(block), BlockColors());
  block->SetActionColor(look.Color);
  block->SetBar1Color(look.Bar1);
  block->SetBar2Color(look.Bar2);
  block->SetBar3Color(look.Bar3);
  block->SetCaption(look.Caption);
  block->setToolTipDuration(hintHidePause_);  // [Options] HintHidePause
  block->update();
  UpdateListRow(block);
}

// --- the shown employee --------------------------------------------------------------------

void TfrmMain::SelectEmployee(const QString& name) {
  TdmDBase* dm = DmDBase();
  if (!dm) {
    UpdateActions();
    return;
  }
  dm->tblUren.SetIndexName("TIJD");
  ReloadSome(rlMedewerkers);
  LoginMedewerker().AssignByName(LoginMedewerker().Naam);
  CurrentMedewerker().AssignByName(name);
  CurrentMedewerker().LoadAuthorisations();
  actions_["actEigenmedewerker"]->setEnabled(name.trimmed().toUpper() !=
                                            LoginMedewerker().Naam.trimmed().toUpper());
  setWindowTitle(Tr("Hourbook - ") + CurrentMedewerker().Naam);
  const int access = LoginMedewerker().Toegang;
  actions_["actOtherUser"]->setEnabled(access == tgBedrijf ||
                                       (access == tgAfdeling && AutorAfdelingen().Count() > 0));
  LoadWeek(true);
}

// --- totals ------------------------------------------------------------------------------

void TfrmMain::CalcTotals() {
  QString total = "???", norm = "???", hint = "???";
  bool normVisible = true;
  TColor colour = 0;
  try {
    QList<TTotalsBlock> blocks;
    for (TXAction* b : pbxWeek_->Actions()) {
      if (TActieRec* rec = RecordOf(b)) {
        blocks << TTotalsBlock{b->ActionRect.Left, b->ActionRect.Top, b->ActionRect.Bottom, rec};
      }
    }
    const double normDays = DmDBase() ? CurrentMedewerker().ReferUren : 0;
    const TTotals t =
        ComputeTotals(blocks, MainObj().SlotsPerHour(), chkTotalExclVoorlopig_->isChecked(),
                      chkTotalExclOverhead_->isChecked(), normDays);
    total = t.TotalText;
    norm = t.NormText;
    hint = t.Hint;
    normVisible = t.NormVisible;
    colour = t.TotalColor;
  } catch (const std::exception&) {
    // "???" shows that the totals could not be made.
  }
  lblTotaalUren_->setText(total);
  lblNormUren_->setText(norm);
  lblNormUren_->setVisible(normVisible);
  if (QWidget* caption = pnlTotalen_->findChild<QLabel*>("lblNormCaption"))
    caption->setVisible(normVisible);
  QPalette pal = lblTotaalUren_->palette();
  pal.setColor(QPalette::WindowText, ToQColor(colour));
  lblTotaalUren_->setPalette(pal);
  pnlTotalen_->setToolTip(hint);
}

// --- planner events ----------------------------------------------------------------------

void TfrmMain::WirePlannerEvents() {
  TXPlanbox* p = pbxWeek_;
  p->OnDragSelection = [this](TXPlanbox*, const TXRect& rect, QString& text) {
    if (WeekBlocked()) return;
    text = DragSelectionText(MainObj(), rect);
  };
  p->OnEndDragSelection = [this](TXPlanbox*, const TXRect& rect, bool insert) {
    if (WeekBlocked()) return;
    EndDragSelection(rect, insert);
  };
  p->OnAddAction = [this](TXAction* block, const TXRect&) {
    if (WeekBlocked() || !DmDBase()) return;
    selection_.clear();
    if (TActieRec* rec = RecordOf(block)) rec->PutActieRec(DmDBase()->tblUren);
  };
  p->OnEditAction = [this](TXAction* block, const TXRect& rect) {
    TActieRec* rec = RecordOf(block);
    if (WeekBlocked() || !DmDBase() || !rec) return;
    TMainObj& m = MainObj();
    const double start = m.CellToDateTime(rect.Top, rect.Left);
    const double stop = m.CellToDateTime(rect.Bottom + 1, rect.Right);
    rec->PutActieRecPeriod(DmDBase()->tblUren, stop, start);
    ComposeBlock(block);
    CalcTotals();
  };
  p->OnDeleteAction = [this](TXAction* block) {
    selection_.removeAll(block);
    TActieRec* rec = RecordOf(block);
    if (!rec) return;
    block->ActionObj = nullptr;
    // A copy not stored yet (a refused drop) has no row to delete.
    if (rec->RecNr != 0 && DmDBase()) rec->DelActieRec(DmDBase()->tblUren);
    RemoveListRow(rec->RecNr);
    const int index = weekList_.IndexOf(rec);
    if (index < 0) {
      Dialogs().Warning(kTitle, Tr("Te wissen actie niet gevonden"));
      return;
    }
    weekList_.Delete(index);
  };
  p->OnCopyAction = [this](TXAction* source, TXAction* destination) {
    TActieRec* rec = RecordOf(source);
    if (WeekBlocked() || !DmDBase() || !rec) return;
    rec->PutActieRec(DmDBase()->tblUren);
    auto copy = std::make_unique<TActieRec>();
    copy->Assign(*rec);
    copy->RecNr = 0;  // stored when the copy is placed
    destination->ActionObj = copy.get();
    weekList_.Add(std::move(copy));
  };
  p->OnSelectAction = [this](TXAction* block, Qt::MouseButton, Qt::KeyboardModifiers mods) {
    const QList<TXAction*> before = selection_;
    if (!((mods & Qt::ControlModifier) && (mods & Qt::ShiftModifier))) selection_.clear();
    if (block) {
      if (selection_.contains(block)) {
        selection_.removeAll(block);
      } else {
        selection_ << block;
      }
    }
    for (TXAction* b : before) {
      if (pbxWeek_->Actions().contains(b)) ComposeBlock(b);
    }
    for (TXAction* b : selection_) ComposeBlock(b);
    if (block && !syncingList_) {
      if (TActieRec* rec = RecordOf(block)) {
        syncingList_ = true;
        SelectListRow(rec->RecNr);
        syncingList_ = false;
      }
    }
    UpdateActions();
  };
  p->OnRightClick = [this](QWidget* sender) { PlannerRightClick(sender); };
  p->OnDblClick = [this](QWidget* sender, Qt::MouseButtons) {
    EditBlock(qobject_cast<TXAction*>(sender));
  };
}

void TfrmMain::PlannerRightClick(QWidget* sender) {
  const QPoint at = pbxWeek_->GridArea()->mapFromGlobal(QCursor::pos());
  const TPlanGeometry& g = pbxWeek_->Geometry();
  rightClickPos_ = at;
  rightClickMoment_ = MainObj().CellToDateTime(g.RowOfY(at.y()), g.CellCol(at.x()));
  if (prefs_.RightClickEdit) {
    if (auto* block = qobject_cast<TXAction*>(sender)) {
      EditBlock(block);
    } else {
      Insert(true);
    }
  } else {
    mnuPopup_->popup(QCursor::pos());
  }
}

void TfrmMain::CreateProjectDialog() {
  frmProject_ = new TfrmProject(this);
  frmProject_->setObjectName("frmProject");
  frmProject_->MainWindow = this;
  frmProject_->CopyWerkz = prefs_.CopyWerkz;
  frmProject_->OnNewRecord = [this](std::unique_ptr<TActieRec> rec) {
    return weekList_[weekList_.Add(std::move(rec))];
  };
  frmProject_->OnStopwatchBlock = [this](TXAction* block) {
    ComposeBlock(block);
    pbxWeek_->SelectAction(block);
    CalcTotals();
  };
}

void TfrmMain::EndDragSelection(const TXRect& rect, bool insert) {
  const QList<TXAction*> before = selection_;
  selection_.clear();
  for (TXAction* b : before) ComposeBlock(b);
  const QTreeWidgetItem* current = lvUren_->currentItem();
  const int currentRecNr = current ? current->data(0, kRecNrRole).toInt() : -1;

  bool split = false;
  TXActionList created;
  const bool ok = frmProject_->NewFromSelection(rect, pbxWeek_, split, created, insert);
  if (ok && prefs_.WarnOverlap) {
    const bool moved = std::any_of(created.begin(), created.end(), [&rect](TXAction* b) {
      return b->ActionRect.Top != rect.Top || b->ActionRect.Bottom != rect.Bottom;
    });
    if (split) {
      Dialogs().Information(kTitle, Tr("Let op: periode overlapt reeds bestaande tijdsblokken"));
    } else if (moved) {
      Dialogs().Information(kTitle,
                            Tr("Let op: periode(n) verschoven wegens reeds bestaande tijdsblokken"));
    }
  }
  for (TXAction* b : created) {
    if (pbxWeek_->OverlapsOther(b)) ShowOverlapConflict(*RecordOf(b));
    ComposeBlock(b);
  }
  CalcTotals();
  if (ok && frmProject_->MasterDataChanged()) {
    try {
      ReloadAll();
      LoadWeek(true);
      created.clear();  // the week's blocks were made anew
    } catch (...) {
      // A failed reload leaves the week as it is; the next load tries again.
    }
  }
  FillListView();
  if (!created.isEmpty()) {
    SelectListRow(RecordOf(created.last())->RecNr);
  } else if (currentRecNr >= 0) {
    SelectListRow(currentRecNr);
  }
  pbxWeek_->HideSelection();
  UpdateActions();
}

void TfrmMain::ShowOverlapConflict(const TActieRec& rec) {
  auto abbrev = [](const TStamObjPtr& item) { return item ? item->Afkorting : QString(); };
  Dialogs().Warning(kTitle, Tr("Conflict: overlappende perioden") + "\n" + abbrev(rec.Klant) +
                                "/" + abbrev(rec.Activiteit) + "/" + abbrev(rec.Product) + ": " +
                                DateText(rec.Start) + " " + FormatMoment("h:nn", rec.Start) +
                                "-" + FormatMoment("h:nn", rec.Stop));
}

void TfrmMain::EditBlock(TXAction* block) {
  TActieRec* rec = RecordOf(block);
  if (WeekBlocked() || !rec) return;
  TMainObj& m = MainObj();
  const int column = TMainObj::DayColumn(rec->Start);
  block->ActionRect = {column, m.TimeToRow(false, rec->Start), column,
                       m.TimeToRow(true, rec->Stop)};
  pbxWeek_->setEnabled(false);
  const bool ok = frmProject_->EditBlock(block, pbxWeek_);
  pbxWeek_->setEnabled(true);
  if (ok) {
    frmProject_->FillRecord(*rec, block->ActionRect);
    ComposeBlock(block);
    // Stores the whole record with the period of the rectangle; the block moves there
    // unless that overlaps another block.
    pbxWeek_->EditAction(block);
    CalcTotals();
    if (frmProject_->MasterDataChanged()) tmrUpdateStamLists_->start();
  }
  FillListView();
  SelectListRow(rec->RecNr);
}

// --- Insert, delete ----------------------------------------------------------------------

void TfrmMain::Insert(bool firstInsert) {
  if (WeekBlocked()) return;
  firstInsert_ = firstInsert;
  TXRect rect;
  if (ProposeInsert(weekList_, MainObj(), firstInsert_, rightClickMoment_, NowMoment(),
                    ReadInsertSettings(ProgramIni()), rect)) {
    EndDragSelection(rect, false);
  }
  firstInsert_ = true;
  CalcTotals();
  rightClickMoment_ = 0;
  rightClickPos_ = QPoint(-1, -1);
}

void TfrmMain::DeleteSelected() {
  if (WeekBlocked() || selection_.isEmpty()) return;
  if (prefs_.WarnDelete && !AskYesNo(Tr("Actie(s) wissen?"), false)) return;
  const QList<TXAction*> blocks = selection_;
  for (int i = blocks.size() - 1; i >= 0; --i) pbxWeek_->DeleteAction(blocks[i]);
  selection_.clear();
  CalcTotals();
  UpdateActions();
}

void TfrmMain::DeleteWholeWeek() {
  if (WeekBlocked()) return;
  if (!AskYesNo(Tr("Wilt u de hele week wissen?"), false)) return;
  const TXActionList blocks = pbxWeek_->Actions();
  for (int i = blocks.size() - 1; i >= 0; --i) pbxWeek_->DeleteAction(blocks[i]);
  FillListView();
  CalcTotals();
  UpdateActions();
}

// --- clipboard ---------------------------------------------------------------------------

void TfrmMain::Copy(bool add) {
  if (auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget())) {
    edit->copy();
    return;
  }
  if (selection_.isEmpty()) return;
  if (!add) clipboard_.Clear();
  for (TXAction* block : selection_) {
    if (TActieRec* rec = RecordOf(block)) {
      auto copy = std::make_unique<TActieRec>();
      copy->Assign(*rec);
      copy->RecNr = 0;
      clipboard_.Add(std::move(copy));
    }
  }
}

void TfrmMain::Cut(bool add) {
  if (auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget())) {
    edit->cut();
    return;
  }
  if (WeekBlocked() || selection_.isEmpty()) return;
  Copy(add);
  const QList<TXAction*> blocks = selection_;
  for (int i = blocks.size() - 1; i >= 0; --i) pbxWeek_->DeleteAction(blocks[i]);
  selection_.clear();
  CalcTotals();
  FillListView();
  UpdateActions();
}

void TfrmMain::Paste() {
  if (auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget())) {
    edit->paste();
    return;
  }
  if (WeekBlocked() || clipboard_.IsEmpty() || !DmDBase()) return;
  TMainObj& m = MainObj();
  const bool single = clipboard_.Count() == 1;
  for (int i = 0; i < clipboard_.Count(); ++i) {
    auto rec = std::make_unique<TActieRec>();
    rec->Assign(*clipboard_[i]);
    rec->RecNr = 0;
    const int column = TMainObj::DayColumn(rec->Start);
    const TXRect rect{column, m.TimeToRow(false, rec->Start), column,
                      m.TimeToRow(true, rec->Stop)};
    // The same weekday and slot in the week shown.
    rec->Start = m.CellToDateTime(rect.Top, column);
    rec->Stop = m.CellToDateTime(rect.Bottom + 1, column);
    // Not on the grid yet, so that its cells decide whether it overlaps.
    auto* block = new TXAction;
    block->ActionRect = rect;
    block->ActionObj = rec.get();
    const bool overlaps = pbxWeek_->OverlapsOther(block);
    if (overlaps && !single) {
      ShowOverlapConflict(*rec);
      delete block;
      continue;
    }
    weekList_.Add(std::move(rec));
    pbxWeek_->AddAction(block);
    block->show();
    ComposeBlock(block);
    pbxWeek_->SelectAction(block);
    if (overlaps) {
      // The user drops it on a free place; a refused or cancelled drop deletes it.
      pbxWeek_->SetPendingCopy(block);
      pbxWeek_->StartDragging(block);
    }
  }
  CalcTotals();
  FillListView();
  UpdateActions();
}

void TfrmMain::SelectAll() {
  selection_.clear();
  for (TXAction* b : pbxWeek_->Actions()) {
    selection_ << b;
    ComposeBlock(b);
  }
  UpdateActions();
}

// --- zoom --------------------------------------------------------------------------------

void TfrmMain::ZoomIn() {
  zoom_ = ZoomedIn(zoom_);
  actions_["actZoomIn"]->setText(ZoomInCaption(zoom_));
  actions_["actZoomuit"]->setText(ZoomOutCaption(zoom_));
  FitPlanner();
}

void TfrmMain::ZoomOut() {
  zoom_ = ZoomedOut(zoom_);
  actions_["actZoomIn"]->setText(ZoomInCaption(zoom_));
  actions_["actZoomuit"]->setText(ZoomOutCaption(zoom_));
  FitPlanner();
}

void TfrmMain::FitPlanner() {
  TXPlanbox* p = pbxWeek_;
  int width, height;
  if (actions_["actWeekoverzicht"]->isChecked()) {
    width = FitCellSize(p->viewport()->width() - TXPlanbox::kHeadingWidth, p->ColCount(), zoom_,
                        p->DefaultColWidth());
    height = FitCellSize(p->viewport()->height() - TXPlanbox::kHeadingHeight, p->RowCount(),
                         zoom_, p->DefaultRowHeight());
  } else {
    const TXRect& alt = p->AltColorRect();
    width = FitCellSize(p->width() - 54, alt.Right - alt.Left, zoom_, p->DefaultColWidth());
    height = FitCellSize(p->height() - 46, alt.Bottom - alt.Top, zoom_, p->DefaultRowHeight());
  }
  p->SetDefaultColWidth(width);
  p->SetDefaultRowHeight(height);
  p->RedrawActions();
  p->CenterWorkPeriod();
}

void TfrmMain::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (activated_) FitPlanner();
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
  // The mouse wheel scrolls nothing.
  if (event->type() == QEvent::Wheel) return true;
  return QMainWindow::eventFilter(watched, event);
}

// --- list view ---------------------------------------------------------------------------

void TfrmMain::FillListView() {
  syncingList_ = true;
  lvUren_->clear();
  for (int i = 0; i < weekList_.Count(); ++i) {
    const TActieRec* rec = weekList_[i];
    auto* item = new QTreeWidgetItem(ListTexts(*rec));
    item->setData(0, kRecNrRole, rec->RecNr);
    lvUren_->addTopLevelItem(item);
  }
  syncingList_ = false;
  SortListView(sortColumn_);
}

void TfrmMain::SortListView(int column) {
  syncingList_ = true;
  const int current = lvUren_->currentItem() ? lvUren_->currentItem()->data(0, kRecNrRole).toInt()
                                             : -1;
  QList<QTreeWidgetItem*> items;
  while (lvUren_->topLevelItemCount() > 0) items << lvUren_->takeTopLevelItem(0);
  auto key = [column](const QTreeWidgetItem* item) {
    if (column == 0) return TMainObj::DateStrToSortKey(item->text(0)) + item->text(1);
    return item->text(column);
  };
  std::stable_sort(items.begin(), items.end(), [&key](auto* a, auto* b) {
    return key(a).compare(key(b), Qt::CaseInsensitive) < 0;
  });
  lvUren_->addTopLevelItems(items);
  syncingList_ = false;
  if (current >= 0) {
    syncingList_ = true;
    SelectListRow(current);
    syncingList_ = false;
  }
}

QTreeWidgetItem* TfrmMain::ListRowOf(int recNr) const {
  for (int i = 0; i < lvUren_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = lvUren_->topLevelItem(i);
    if (item->data(0, kRecNrRole).toInt() == recNr) return item;
  }
  return nullptr;
}

void TfrmMain::UpdateListRow(TXAction* block) {
  const TActieRec* rec = RecordOf(block);
  if (!rec) return;
  QTreeWidgetItem* item = ListRowOf(rec->RecNr);
  if (!item) return;
  const QStringList texts = ListTexts(*rec);
  for (int i = 0; i < texts.size(); ++i) item->setText(i, texts[i]);
}

void TfrmMain::RemoveListRow(int recNr) {
  delete ListRowOf(recNr);
}

void TfrmMain::SelectListRow(int recNr) {
  if (QTreeWidgetItem* item = ListRowOf(recNr)) {
    const bool was = syncingList_;
    syncingList_ = true;
    lvUren_->setCurrentItem(item);
    syncingList_ = was;
  }
}

// --- developer's key ---------------------------------------------------------------------

void TfrmMain::DiagnosticDump() {
  if (!DmDBase()) return;
  // The five main master data lists as text in the program folder, then the meta table.
  const QString folder = Paths().ProgramFolder;
  StamMedewerkers().SaveToFile(folder + "lstMedew.tmp");
  StamKlanten().SaveToFile(folder + "lstKlant.tmp");
  StamActiviteiten().SaveToFile(folder + "lstAct.tmp");
  StamProducten().SaveToFile(folder + "lstProd.tmp");
  StamAfdelingen().SaveToFile(folder + "lstAfd.tmp");
  DmDBase()->ShowMetaBrowser();
}

// --- idle update -------------------------------------------------------------------------

void TfrmMain::UpdateActions() {
  const bool blocked = WeekBlocked();
  actions_["actWissen"]->setEnabled(!selection_.isEmpty() && !blocked);
  actions_["actWijzigen"]->setEnabled(pbxWeek_->SelectedAction() != nullptr && !blocked);
  actions_["actListView"]->setChecked(lvUren_->isVisible() || !pnlPlanner_->isVisible());
}

}  // namespace hb
