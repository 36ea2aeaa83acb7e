#include "app/frmmain.h"
#include "app/frmproject.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QStyle>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <stdexcept>

#include "app/frmconverter.h"
#include "app/frmzoeken.h"
#include "controls/calendar.h"
#include "controls/planbox.h"
#include "data/dmdbase.h"
#include "data/flexfields.h"
#include "data/stamlists.h"
#include "platform/dialogservice.h"
#include "platform/folders.h"
#include "platform/inifile.h"
#include "platform/printersetup.h"
#include "platform/shellopen.h"
#include "platform/singleinstance.h"
#include "support/frminfo.h"
#include "support/frmvoorkeuren.h"
#include "support/persinstellingen.h"
#include "util/calendarfuncs.h"
#include "util/conversions.h"
#include "util/formats.h"
#include "util/pathcontext.h"
#include "util/placement.h"
#include "util/version.h"

namespace hb {

namespace {

const char* const kApplicationTitle = "Hourbook";

struct TActionDef {
  const char* name;
  const char* menu;  // object name of the menu, or nullptr
  const char* caption;
  QKeySequence shortcut;
};

// Every menu entry, toolbar button and key of the window is bound to one of these.
const TActionDef kActions[] = {
    {"actSnelrapport", "mnuBestand", "S&nelrapport op scherm...", QKeySequence("Ctrl+Q")},
    {"actAfdrukken", "mnuBestand", "Af&drukken rapport...", QKeySequence("Ctrl+P")},
    {"actAfdrukkenstamgegevens", "mnuBestand", "Afd&rukken stamgegevens...", {}},
    {"actAfdrukkenMedewerkersGegevens", "mnuBestand", "Afdrukken &medewerkersgegevens...",
     QKeySequence("Ctrl+M")},
    {"actPrinterInstelling", "mnuBestand", "&Printerinstelling...", {}},
    {"actAfsluiten", "mnuBestand", "&Afsluiten", QKeySequence("Alt+F4")},
    {"actInvoeren", "mnuBewerken", "&Invoeren", QKeySequence(Qt::Key_Insert)},
    {"actInvoerenStartWeek", nullptr, "&Invoeren", QKeySequence(Qt::SHIFT | Qt::Key_Insert)},
    {"actWijzigen", "mnuBewerken", "W&ijzigen", QKeySequence("Ctrl+E")},
    {"actWissen", "mnuBewerken", "&Wissen", QKeySequence(Qt::Key_Delete)},
    {"actWisheleweek", "mnuBewerken", "Wis &hele week", {}},
    {"actStopwatch", "mnuBewerken", "&Stopwatch...", {}},
    {"actSelecteerAlles", "mnuBewerken", "Selecteer &alles", QKeySequence("Ctrl+A")},
    {"actKnippen", "mnuBewerken", "Knippen", QKeySequence("Ctrl+X")},
    {"actKnippentoevoegen", "mnuBewerken", "Knippen+toevoegen", QKeySequence("Ctrl+Shift+X")},
    {"actKopieren", "mnuBewerken", "Kopiëren", QKeySequence("Ctrl+C")},
    {"actKopierentoevoegen", "mnuBewerken", "Kopiëren+toevoegen", QKeySequence("Ctrl+Shift+C")},
    {"actPlakken", "mnuBewerken", "Plakken", QKeySequence("Ctrl+V")},
    {"actZoeken", "mnuBewerken", "&Zoeken", QKeySequence("Ctrl+F")},
    {"actListView", "mnuBeeld", "&Toon als lijst", QKeySequence("Ctrl+L")},
    {"actWeekoverzicht", "mnuBeeld", "&Compleet weekoverzicht", QKeySequence("Ctrl+O")},
    {"actWerkweekoverzicht", "mnuBeeld", "&Werkweek overzicht", QKeySequence("Ctrl+W")},
    {"actZoomIn", "mnuBeeld", "In&zoomen", QKeySequence("Ctrl+I")},
    {"actZoomuit", "mnuBeeld", "Uitz&oomen", QKeySequence("Ctrl+U")},
    {"actToolbar", "mnuBeeld", "Toon Werkbalk", {}},
    {"actHints", "mnuBeeld", "Toon &Hints", QKeySequence("Ctrl+H")},
    {"actLangenamentonen", "mnuBeeld", "&Toon lange namen", QKeySequence("Ctrl+T")},
    {"actOtherUser", "mnuBeeld", "&Andere medewerker...", QKeySequence("Ctrl+B")},
    {"actEigenmedewerker", "mnuBeeld", "&Eigen medewerker", QKeySequence("Ctrl+R")},
    {"actInstellingen", "mnuBeeld", "&Persoonlijke voorkeuren...", {}},
    {"actTaalkeuze", "mnuBeeld", "Taalkeuze", {}},
    {"actBeheerStamgegevens", "mnuBeheer", "&Stamgegevens...", {}},
    {"actOnderhoudReindex", "mnuBestandsonderhoud", "Herindexeren", {}},
    {"actOnderhoudOptimize", "mnuBestandsonderhoud", "Optimaliseren", {}},
    {"actOnderhoudOpschonen", "mnuBestandsonderhoud", "Opschonen", {}},
    {"actOnderhoudCheckStamdata", "mnuBestandsonderhoud", "Controle stamgegevens", {}},
    {"actOnderhoudSamenvoegen", "mnuBestandsonderhoud", "Samenvoegen stamgegevens", {}},
    {"actInstellingenBestandsLocaties", "mnuProgrammaInstellingen", "Bestandslocaties", {}},
    {"actInstelllingenWeekraster", "mnuProgrammaInstellingen", "Weekraster", {}},
    {"actInstelllingenAutoLogin", "mnuProgrammaInstellingen", "Autolog-in", {}},
    {"actInstelllingenGebruikteVelden", "mnuProgrammaInstellingen", "Gebruikte velden", {}},
    {"actInstellingenVeldOmschrijvingen", "mnuProgrammaInstellingen", "Veld- omschrijvingen", {}},
    {"actInstellingenPeriodeBlokkering", "mnuProgrammaInstellingen", "Periode blokkering", {}},
    {"actInstellingenAutorisaties", "mnuProgrammaInstellingen", "Autorisaties", {}},
    {"actHelpContents", "mnuHelp", "&Help", QKeySequence(Qt::Key_F1)},
    {"actUpdatecheck", "mnuHelp", "&Update check", {}},
    {"actWebsite", "mnuHelp", "&Website", {}},
    {"actInfo", "mnuHelp", "&Info", {}},
    {"actDebugDivZero", "mnuDebug", "Deel door nul", {}},
    {"actDebugException", "mnuDebug", "Raise exception", {}},
    {"actVorigeWeek", nullptr, "<", {}},
    {"actHuidigeWeek", nullptr, "o", {}},
    {"actVolgendeWeek", nullptr, ">", {}},
    {"actDateTimestampConverter", nullptr, "Datum/timestamp converter",
     QKeySequence("Ctrl+Alt+F12")},
};

QString Tr(const char* text) {
  return QCoreApplication::translate("TfrmMain", text);
}

}  // namespace

TfrmMain::TfrmMain(TSingleInstance& instance, TPersInstellingen& prefs,
                   const TCommandLine& commandLine, const QString& loginName, QWidget* parent)
    : QMainWindow(parent),
      instance_(instance),
      prefs_(prefs),
      commandLine_(commandLine),
      loginName_(loginName) {
  setObjectName("frmMain");
  setWindowTitle(kApplicationTitle);
  CreateActions();
  CreateMenus();
  CreateToolbar();
  CreateClientArea();
  FormCreate();
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::CreateActions() {
  for (const TActionDef& def : kActions) {
    auto* action = new QAction(Tr(def.caption), this);
    action->setObjectName(def.name);
    if (!def.shortcut.isEmpty()) action->setShortcut(def.shortcut);
    actions_.insert(def.name, action);
    addAction(action);  // shortcuts work while the window has the focus
  }
  auto* overview = new QActionGroup(this);
  for (const char* name : {"actWeekoverzicht", "actWerkweekoverzicht"}) {
    actions_[name]->setCheckable(true);
    overview->addAction(actions_[name]);
  }
  for (const char* name : {"actListView", "actToolbar", "actHints", "actLangenamentonen"}) {
    actions_[name]->setCheckable(true);
  }

  connect(actions_["actAfsluiten"], &QAction::triggered, this, &QWidget::close);
  connect(actions_["actToolbar"], &QAction::triggered, this, [this](bool on) {
    prefs_.SetToolbar(on);
    tbMain_->setVisible(on);
  });
  connect(actions_["actHints"], &QAction::triggered, this,
          [this](bool on) { prefs_.SetHints(on); });
  connect(actions_["actLangenamentonen"], &QAction::triggered, this,
          [this](bool on) { prefs_.SetLongNames(on); });
  connect(actions_["actListView"], &QAction::triggered, this,
          [this](bool on) { SetListViewMode(on); });
  connect(actions_["actInstellingen"], &QAction::triggered, this, [this] {
    // Created on first use and kept for the run.
    if (!frmVoorkeuren_) frmVoorkeuren_ = new TfrmVoorkeuren(prefs_, this);
    if (frmVoorkeuren_->exec() == QDialog::Accepted) ApplyPreferences();
  });
  connect(actions_["actDateTimestampConverter"], &QAction::triggered, this, [this] {
    if (!frmConverter_) frmConverter_ = new TfrmDateTimestampConverter(this);
    frmConverter_->Toggle();
  });
  connect(actions_["actZoeken"], &QAction::triggered, this, [this] {
    // Made on first use and kept for the run; the week of a found line is shown here.
    auto* frm = findChild<TfrmZoeken*>(QString(), Qt::FindDirectChildrenOnly);
    if (!frm) frm = new TfrmZoeken([this](const QDate& date) { SetCalendarDate(date); }, this);
    frm->Open();
  });
  connect(actions_["actInfo"], &QAction::triggered, this, [this] {
    if (!frmInfo_) frmInfo_ = new TfrmInfo(this);
    frmInfo_->ShowInfo();
  });
  connect(actions_["actHelpContents"], &QAction::triggered, this, [] { ShellOpen(HelpFile()); });
  connect(actions_["actWebsite"], &QAction::triggered, this, [] { ShellOpen(kWebsiteUrl); });
  connect(actions_["actUpdatecheck"], &QAction::triggered, this, [] {
    ShellOpen(UpdateCheckAddress(QLocale::system(), VersionText()));
    ProgramIni().WriteString("System", "LastCheck",
                             DateTimeToStamp(NowMoment()).trimmed());  // errors ignored
  });
  connect(actions_["actPrinterInstelling"], &QAction::triggered, this, [this] {
    try {
      PrinterSetup(this);
    } catch (const std::exception& e) {
      Dialogs().Error(kApplicationTitle, QString::fromLocal8Bit(e.what()));
    }
  });
  connect(actions_["actVorigeWeek"], &QAction::triggered, this, [this] {
    SetCalendarDate(IsoWeekStart(displayedYear_, displayedWeek_).addDays(-7));
  });
  connect(actions_["actVolgendeWeek"], &QAction::triggered, this, [this] {
    SetCalendarDate(IsoWeekStart(displayedYear_, displayedWeek_).addDays(7));
  });
  connect(actions_["actHuidigeWeek"], &QAction::triggered, this,
          [this] { SetCalendarDate(QDate::currentDate()); });
  // The two test entries of the Debug menu feed the error report.
  connect(actions_["actDebugDivZero"], &QAction::triggered, this, [] {
    volatile double zero = 0.0;
    Dialogs().Information(kApplicationTitle, QString::number(1.0 / zero));
  });
  connect(actions_["actDebugException"], &QAction::triggered, this,
          [] { throw std::runtime_error("Dit is een test fout"); });
}

void TfrmMain::CreateMenus() {
  auto addMenu = [this](QMenu* parent, const char* name, const char* caption) {
    QMenu* menu = parent ? parent->addMenu(Tr(caption)) : menuBar()->addMenu(Tr(caption));
    menu->setObjectName(name);
    menus_.insert(name, menu);
    return menu;
  };
  addMenu(nullptr, "mnuBestand", "&Bestand");
  addMenu(nullptr, "mnuBewerken", "Be&werken");
  addMenu(nullptr, "mnuBeeld", "B&eeld");
  QMenu* beheer = addMenu(nullptr, "mnuBeheer", "Be&heer");
  addMenu(nullptr, "mnuHelp", "&?");
  addMenu(nullptr, "mnuDebug", "Debug");

  for (const TActionDef& def : kActions) {
    if (!def.menu) continue;
    QString menuName = def.menu;
    if (!menus_.contains(menuName)) {
      if (menuName == "mnuBestandsonderhoud") {
        addMenu(beheer, def.menu, "Bestandsonderhoud");
      } else if (menuName == "mnuProgrammaInstellingen") {
        addMenu(beheer, def.menu, "Programma instellingen");
      }
    }
    QMenu* menu = menus_.value(menuName);
    if (def.name == QLatin1String("actTaalkeuze")) {
      // The language submenu; the language switch fills it with the languages.
      QMenu* taal = menu->addMenu(actions_[def.name]->text());
      taal->setObjectName("mnuTaalkeuze");
      menus_.insert("mnuTaalkeuze", taal);
      continue;
    }
    menu->addAction(actions_[def.name]);
  }

  mnuPopup_ = new QMenu(this);
  mnuPopup_->setObjectName("mnuPopup");
  QAction* edit = mnuPopup_->addAction(Tr("W&ijzigen"));
  QFont bold = edit->font();
  bold.setBold(true);  // the default item
  edit->setFont(bold);
  connect(edit, &QAction::triggered, actions_["actWijzigen"], &QAction::trigger);
  mnuPopup_->addSeparator();
  mnuPopup_->addAction(actions_["actInvoeren"]);
  mnuPopup_->addAction(actions_["actWissen"]);
  menus_.insert("mnuPopup", mnuPopup_);
}

void TfrmMain::CreateToolbar() {
  tbMain_ = addToolBar(Tr("Werkbalk"));
  tbMain_->setObjectName("tbMain");
  tbMain_->setMovable(false);
  tbMain_->setFixedHeight(29);
  tbMain_->setIconSize(QSize(16, 16));
  tbMain_->setToolButtonStyle(Qt::ToolButtonIconOnly);
  // Glyphs from the desktop theme, else from the style; the captions become tooltips.
  const struct {
    const char* action;
    const char* theme;
    QStyle::StandardPixmap fallback;
  } glyphs[] = {
      {"actVorigeWeek", "go-previous", QStyle::SP_ArrowLeft},
      {"actHuidigeWeek", "go-home", QStyle::SP_BrowserReload},
      {"actVolgendeWeek", "go-next", QStyle::SP_ArrowRight},
      {"actInvoeren", "document-new", QStyle::SP_FileIcon},
      {"actWijzigen", "document-properties", QStyle::SP_FileDialogDetailedView},
      {"actWissen", "edit-delete", QStyle::SP_TrashIcon},
      {"actZoeken", "edit-find", QStyle::SP_FileDialogContentsView},
      {"actSnelrapport", "x-office-document", QStyle::SP_FileDialogInfoView},
      {"actAfdrukken", "document-print", QStyle::SP_DialogSaveButton},
      {"actListView", "view-list-details", QStyle::SP_FileDialogListView},
      {"actStopwatch", "chronometer", QStyle::SP_MediaPlay},
  };
  for (const auto& g : glyphs) {
    QAction* action = actions_[g.action];
    action->setIcon(QIcon::fromTheme(g.theme, style()->standardIcon(g.fallback)));
    action->setIconVisibleInMenu(false);
  }
  actions_["actVorigeWeek"]->setToolTip(Tr("Vorige week"));
  actions_["actHuidigeWeek"]->setToolTip(Tr("Huidige week"));
  actions_["actVolgendeWeek"]->setToolTip(Tr("Volgende week"));
  const char* groups[][4] = {
      {"actVorigeWeek", "actHuidigeWeek", "actVolgendeWeek", nullptr},
      {"actInvoeren", "actWijzigen", "actWissen", "actZoeken"},
      {"actSnelrapport", "actAfdrukken", nullptr, nullptr},
      {"actListView", "actStopwatch", nullptr, nullptr},
  };
  bool first = true;
  for (const auto& group : groups) {
    if (!first) tbMain_->addSeparator();
    first = false;
    for (const char* name : group) {
      if (name) tbMain_->addAction(actions_[name]);
    }
  }
}

void TfrmMain::CreateClientArea() {
  auto* client = new QWidget(this);
  auto* layout = new QHBoxLayout(client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);

  // Left part: week label, planner or list view, week tabs.
  auto* left = new QVBoxLayout;
  lblWeek_ = new QLabel(Tr("week 0"));
  lblWeek_->setObjectName("lblWeek");
  lblWeek_->setAlignment(Qt::AlignCenter);
  lblWeek_->setAutoFillBackground(true);
  QFont weekFont("Arial");
  weekFont.setPixelSize(19);
  weekFont.setBold(true);
  lblWeek_->setFont(weekFont);
  QPalette weekPalette = lblWeek_->palette();
  weekPalette.setColor(QPalette::WindowText, QColor(0, 0, 0x80));  // navy
  lblWeek_->setPalette(weekPalette);
  left->addWidget(lblWeek_);

  pnlPlanner_ = new QWidget;
  pnlPlanner_->setObjectName("pnlPlanner");
  pnlPlanner_->setLayout(new QVBoxLayout);
  pnlPlanner_->layout()->setContentsMargins(0, 0, 0, 0);
  left->addWidget(pnlPlanner_, 1);

  lvUren_ = new QTreeWidget;
  lvUren_->setObjectName("lvUren");
  lvUren_->setRootIsDecorated(false);
  lvUren_->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvUren_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lvUren_->setHeaderLabels({Tr("Datum"), Tr("Start"), Tr("Stop"), Tr("Duur")});
  lvUren_->hide();
  left->addWidget(lvUren_, 1);

  tabWeeknummers_ = new QTabBar;
  tabWeeknummers_->setObjectName("tabWeeknummers");
  tabWeeknummers_->setToolTip(Tr("Kies een weeknummer"));
  tabWeeknummers_->setUsesScrollButtons(true);
  tabWeeknummers_->setExpanding(false);
  tabWeeknummers_->addTab("<<--");
  for (int week = 1; week <= 53; ++week) tabWeeknummers_->addTab(Tr("week %1").arg(week));
  tabWeeknummers_->addTab("-->>");
  connect(tabWeeknummers_, &QTabBar::currentChanged, this, [this](int index) {
    if (!settingTab_) ShowWeekOfTab(index);
  });
  left->addWidget(tabWeeknummers_);
  layout->addLayout(left, 1);

  // Right panel: calendar, totals, logo.
  pnlRight_ = new QWidget;
  pnlRight_->setObjectName("pnlRight");
  pnlRight_->setFixedWidth(144);
  auto* right = new QVBoxLayout(pnlRight_);
  right->setContentsMargins(2, 2, 2, 2);
  pnlCalendar_ = new QWidget;
  pnlCalendar_->setObjectName("pnlCalendar");
  pnlCalendar_->setLayout(new QVBoxLayout);
  pnlCalendar_->layout()->setContentsMargins(0, 0, 0, 0);
  pnlCalendar_->setMinimumHeight(140);
  right->addWidget(pnlCalendar_, 0, Qt::AlignHCenter);

  auto* totals = new QFrame;
  totals->setObjectName("pnlTotalen");
  pnlTotalen_ = totals;
  auto* totalsLayout = new QVBoxLayout(totals);
  auto addRow = [&](const char* caption, QLabel*& value, const char* name, QColor colour) {
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(Tr(caption)));
    value = new QLabel("0:00");
    value->setObjectName(name);
    QFont bold = value->font();
    bold.setBold(true);
    value->setFont(bold);
    QPalette pal = value->palette();
    pal.setColor(QPalette::WindowText, colour);
    value->setPalette(pal);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(value);
    totalsLayout->addLayout(row);
  };
  addRow("Totaal uren:", lblTotaalUren_, "lblTotaalUren", Qt::black);
  addRow("Norm uren:", lblNormUren_, "lblNormUren", Qt::gray);
  auto* line = new QFrame;
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  totalsLayout->addWidget(line);
  chkTotalExclVoorlopig_ = new QCheckBox(Tr("excl. &Voorlopig"));
  chkTotalExclVoorlopig_->setObjectName("chkTotalExclVoorlopig");
  chkTotalExclOverhead_ = new QCheckBox(Tr("excl. &Overhead"));
  chkTotalExclOverhead_->setObjectName("chkTotalExclOverhead");
  totalsLayout->addWidget(chkTotalExclVoorlopig_);
  totalsLayout->addWidget(chkTotalExclOverhead_);
  connect(chkTotalExclVoorlopig_, &QCheckBox::clicked, this,
          [this](bool on) { StoreTotalsOption("ExclVoorl", on); });
  connect(chkTotalExclOverhead_, &QCheckBox::clicked, this,
          [this](bool on) { StoreTotalsOption("ExclOverhead", on); });
  right->addWidget(totals, 0, Qt::AlignHCenter);
  right->addStretch(1);
  auto* logo = new QLabel(kApplicationTitle);
  logo->setObjectName("imgLogo");
  logo->setAlignment(Qt::AlignCenter);
  right->addWidget(logo, 0, Qt::AlignHCenter | Qt::AlignBottom);
  layout->addWidget(pnlRight_);

  setCentralWidget(client);
  CreateWeekControls();
}

void TfrmMain::FormCreate() {
  // Week list, clipboard list and selection list come with the hour records.

  // One instance per executable name, unless this start is a restart.
  if (!commandLine_.Restart && instance_.AnotherIsRunning()) {
    Dialogs().Information(kApplicationTitle, Tr("Hourbook is reeds actief"));
    instance_.ActivateRunning();
    RequestTermination();
  } else {
    connect(&instance_, &TSingleInstance::ActivationRequested, this,
            [this] { BringToFront(this); });
  }

  // The English language file belongs beside the program and must be as new as it.
  const QFileInfo program(Paths().ProgramFile.isEmpty() ? ProgramFilePath() : Paths().ProgramFile);
  const QFileInfo english(
      FindExistingFile(program.absolutePath() + "/" + program.completeBaseName() + ".EN"));
  if (!english.exists()) {
    Dialogs().Information(kApplicationTitle, Tr("VRT: Localizer language file ontbreekt!"));
  } else if (english.lastModified() < program.lastModified()) {
    Dialogs().Information(kApplicationTitle, Tr("VRT: Localizer language file niet up-to-date!"));
  }

  // The language switch gets the restart command and mnuTaalkeuze here.

  languageCode_ = prefs_.Ini().ReadString("Options", "Language", "EN").trimmed().toUpper();
  if (languageCode_.isEmpty()) languageCode_ = "EN";
  SetHelpFile(HelpFileFor(Paths().ProgramFolder, languageCode_));

  hintPause_ = prefs_.Ini().ReadInteger("Options", "HintPause", 500);
  hintHidePause_ = prefs_.Ini().ReadInteger("Options", "HintHidePause", 20000);

  setMinimumSize(500, 395);
  move(0, 0);
  resize(640, 480);
  RestorePlacement(this, "MainForm");

  zoom_ = 100;
  displayedYear_ = displayedWeek_ = 0;
  actions_["actWerkweekoverzicht"]->setChecked(true);
  menus_["mnuBeheer"]->setEnabled(true);
  actions_["actUpdatecheck"]->setEnabled(true);
  const bool stopwatch = ProgramIni().ReadBool("ProgFunctions", "Stopwatch", true);
  actions_["actStopwatch"]->setEnabled(stopwatch);
  actions_["actStopwatch"]->setVisible(stopwatch);
  showHolidays_ = ProgramIni().ReadBool("ProgFunctions", "ShowHolidays", true);

  SetupPlannerFromSettings();
  sortColumn_ = 0;
  firstInsert_ = true;
  otherEmployee_.clear();
  rightClickMoment_ = 0;

  if (ProgramIni().ReadString("System", "Version") != VersionText()) {
    ProgramIni().WriteString("System", "Version", VersionText());  // errors ignored
  }

  tmrBlink_ = new QTimer(this);
  tmrBlink_->setObjectName("tmrBlink");
  tmrBlink_->setInterval(800);
  ConnectWeekActions();
}

void TfrmMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // The first activation runs once the window is on screen and the message loop runs.
  if (!activated_ && !activationQueued_) {
    activationQueued_ = true;
    QTimer::singleShot(0, this, [this] { FormActivate(); });
  }
}

void TfrmMain::FormActivate() {
  if (activated_ || TerminationRequested()) return;

  menus_["mnuDebug"]->menuAction()->setVisible(commandLine_.Debug);

  const bool listMode = prefs_.Ini().ReadBool("Options", "Listview", false);
  actions_["actListView"]->setChecked(listMode);
  SetListViewMode(listMode);

  ApplyPreferences();
  rightClickPos_ = QPoint(-1, -1);
  SetCalendarDate(QDate::currentDate());
  actions_["actZoomIn"]->setText(ZoomInCaption(zoom_));
  actions_["actZoomuit"]->setText(ZoomOutCaption(zoom_));
  FitPlanner();
  // The caption names the logged-in user until the data module knows the employee.
  setWindowTitle(Tr("Hourbook - ") + loginName_);
  SelectEmployee(DmDBase() ? LoginMedewerker().Naam : QString());
  tmrBlink_->start();
  if (DmDBase() && AutorKlanten().Count() == 0 && AutorActiviteiten().Count() == 0 &&
      AutorProducten().Count() == 0) {
    // The master data window opens here once it exists.
    Dialogs().Information(kApplicationTitle, CurrentMedewerker().Naam +
                                                 Tr(" heeft nog geen boekingsautorisaties") +
                                                 "\n" + Tr("Vul deze eerst in (Beheer)"));
  }

  tbMain_->setVisible(prefs_.Toolbar);
  actions_["actToolbar"]->setChecked(prefs_.Toolbar);
  actions_["actLangenamentonen"]->setChecked(prefs_.LongNames);
  actions_["actHints"]->setChecked(prefs_.Hints);
  pbxWeek_->SetShowHint(prefs_.Hints);

  // The totals' check boxes follow the use of their fields.
  const struct {
    QCheckBox* box;
    TFlexField& field;
    const char* key;
  } exclusions[] = {{chkTotalExclVoorlopig_, FlexFldVoorlopig(), "ExclVoorl"},
                    {chkTotalExclOverhead_, FlexFldOverhead(), "ExclOverhead"}};
  for (const auto& x : exclusions) {
    x.box->setVisible(x.field.InUse);
    if (x.field.InUse) {
      x.box->setText(Tr("excl. %1").arg(x.field.Caption));
      x.box->setChecked(prefs_.Ini().ReadBool("Totals", x.key, false));
    } else {
      x.box->setChecked(false);
    }
  }
  CalcTotals();

  activated_ = true;
  if (!frmInfo_) frmInfo_ = new TfrmInfo(this);
  emit FirstActivationDone();
}

void TfrmMain::ApplyPreferences() {
  QPalette pal = lvUren_->palette();
  pal.setColor(QPalette::Base, TfrmVoorkeuren::ToQColor(prefs_.ActionColor));
  pal.setColor(QPalette::Text, TfrmVoorkeuren::ToQColor(prefs_.FontColor));
  lvUren_->setPalette(pal);
  QFont font(prefs_.FontName);
  font.setPointSize(prefs_.FontSize);
  lvUren_->setFont(font);
  ApplyPlannerPreferences();
}

void TfrmMain::SetListViewMode(bool listMode) {
  frmProject_->SetListViewMode(listMode);
  lvUren_->setVisible(listMode);
  pnlPlanner_->setVisible(!listMode);
  if (listMode) {
    FillListView();
    lvUren_->setFocus();
  }
  prefs_.Ini().WriteBool("Options", "Listview", listMode);  // errors ignored
}

void TfrmMain::StoreTotalsOption(const QString& key, bool value) {
  prefs_.Ini().WriteBool("Totals", key, value);  // errors ignored
  if (isVisible()) {
    pnlCalendar_->setFocus();
    CalcTotals();
  }
}

void TfrmMain::SetCalendarDate(const QDate& date) {
  if (!date.isValid()) return;
  if (calendar_->CalendarDate() == date) {
    CalendarChanged();  // the calendar raises nothing for its own date
  } else {
    calendar_->SetCalendarDate(date);
  }
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  SavePlacement(this, "MainForm");
  event->accept();
}

}  // namespace hb
