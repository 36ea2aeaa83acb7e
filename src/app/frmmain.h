// The main window: menus, toolbar, week label, planner area, list view, week tabs and the
// right-hand panel with calendar and totals.
//
//   TfrmMain frm(instance, prefs, commandLine, loginName);   // creation steps
//   frm.show();                        // the first activation follows once shown
//
// Creation checks the one-instance rule, reads the language and help file, restores the
// placement "MainForm" and sets up the actions; the first activation applies the personal
// preferences and shows the week. Closing saves the placement.
#pragma once

#include <QDate>
#include <QHash>
#include <QMainWindow>

#include "app/mainlogic.h"
#include "app/startup.h"
#include "timereg/actielist.h"

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QTabBar;
class QTimer;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace hb {

class TPersInstellingen;
class TSingleInstance;
class TfrmDateTimestampConverter;
class TfrmInfo;
class TfrmProject;
class TfrmVoorkeuren;
class TXAction;
class TXCalendar;
class TXPlanbox;

class TfrmMain : public QMainWindow {
  Q_OBJECT
 public:
  TfrmMain(TSingleInstance& instance, TPersInstellingen& prefs, const TCommandLine& commandLine,
           const QString& loginName, QWidget* parent = nullptr);
  ~TfrmMain() override;

  // An action by its name ("actInvoeren", ...); nullptr for an unknown name.
  QAction* Action(const QString& name) const { return actions_.value(name); }
  QMenu* Menu(const QString& name) const { return menus_.value(name); }
  // The converter window once Ctrl+Alt+F12 made it; the info window once activated.
  TfrmDateTimestampConverter* Converter() const { return frmConverter_; }
  TfrmInfo* Info() const { return frmInfo_; }
  // The entry dialog for new and edited hour records, made with the window.
  TfrmProject* ProjectDialog() const { return frmProject_; }

  // The area where the week planner goes, and the list view that can replace it.
  QWidget* PlannerArea() const { return pnlPlanner_; }
  QTreeWidget* ListView() const { return lvUren_; }
  QWidget* RightPanel() const { return pnlRight_; }
  QLabel* WeekLabel() const { return lblWeek_; }
  QTabBar* WeekTabs() const { return tabWeeknummers_; }

  bool Activated() const { return activated_; }
  int Zoom() const { return zoom_; }
  const QString& LanguageCode() const { return languageCode_; }
  int HintPause() const { return hintPause_; }
  int HintHidePause() const { return hintHidePause_; }

  // The calendar's date: selects the displayed week and updates label and tabs.
  void SetCalendarDate(const QDate& date);
  int DisplayedYear() const { return displayedYear_; }
  int DisplayedWeek() const { return displayedWeek_; }

  // Applies the planner and list view colours and fonts of the personal preferences.
  void ApplyPreferences();

  // --- the week ---------------------------------------------------------------------------

  TXPlanbox* Planner() const { return pbxWeek_; }
  TXCalendar* Calendar() const { return calendar_; }
  QWidget* TotalsPanel() const { return pnlTotalen_; }
  QLabel* TotalLabel() const { return lblTotaalUren_; }
  QLabel* NormLabel() const { return lblNormUren_; }
  TActieList& WeekList() { return weekList_; }
  TActieList& ClipboardList() { return clipboard_; }
  const QList<TXAction*>& SelectionList() const { return selection_; }
  int LoadedYear() const { return loadedYear_; }
  int LoadedWeek() const { return loadedWeek_; }
  // The block that shows a record; nullptr when none does.
  TXAction* BlockOf(const TActieRec* rec) const;
  TActieRec* RecordOf(const TXAction* block) const;

  // Loads the displayed week's records of the shown employee (not forced: only when another
  // week is displayed than the one loaded).
  void LoadWeek(bool force);
  // Whether the displayed week is read-only ([Block] of the program ini).
  bool WeekBlocked() const;
  // Makes the employee of that name the shown one and loads the week.
  void SelectEmployee(const QString& name);
  void CalcTotals();
  void ComposeBlock(TXAction* block);
  // Refills the list view from the week list.
  void FillListView();
  void SortListView(int column);
  // Insert (firstInsert) and Shift+Insert.
  void Insert(bool firstInsert);
  void DeleteSelected();
  void DeleteWholeWeek();
  void Copy(bool add);
  void Cut(bool add);
  void Paste();
  void SelectAll();
  void ZoomIn();
  void ZoomOut();
  void FitPlanner();
  // The idle update: actions enabled as selection and week allow.
  void UpdateActions();
  // The moment of the last right-click on the planner (0 when none).
  double RememberedMoment() const { return rightClickMoment_; }

 signals:
  // The first activation has completed the start-up.
  void FirstActivationDone();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateActions();
  void CreateMenus();
  void CreateToolbar();
  void CreateClientArea();
  void FormCreate();
  void FormActivate();
  void SetListViewMode(bool listMode);
  void StoreTotalsOption(const QString& key, bool value);

  // The week (frmmainweek.cpp).
  void CreateWeekControls();
  void ApplyPlannerPreferences();
  void ConnectWeekActions();
  void SetupPlannerFromSettings();
  void CalendarChanged();
  void ShowWeekOfTab(int index);
  void WirePlannerEvents();
  TBlockColors BlockColors() const;
  void CreateProjectDialog();
  void EndDragSelection(const TXRect& rect, bool insert);
  void EditBlock(TXAction* block);
  void ShowOverlapConflict(const TActieRec& rec);
  QTreeWidgetItem* ListRowOf(int recNr) const;
  void UpdateListRow(TXAction* block);
  void RemoveListRow(int recNr);
  void SelectListRow(int recNr);
  void PlannerRightClick(QWidget* sender);
  // Ctrl+Shift+Alt+F12: the master data lists to files, and the meta table window.
  void DiagnosticDump();

  TSingleInstance& instance_;
  TPersInstellingen& prefs_;
  TCommandLine commandLine_;
  QString loginName_;

  QHash<QString, QAction*> actions_;
  QHash<QString, QMenu*> menus_;
  QMenu* mnuPopup_ = nullptr;
  QToolBar* tbMain_ = nullptr;
  QLabel* lblWeek_ = nullptr;
  QWidget* pnlPlanner_ = nullptr;
  QTreeWidget* lvUren_ = nullptr;
  QTabBar* tabWeeknummers_ = nullptr;
  QWidget* pnlRight_ = nullptr;
  QWidget* pnlCalendar_ = nullptr;
  QWidget* pnlTotalen_ = nullptr;
  QWidget* pnlWeek_ = nullptr;
  TXPlanbox* pbxWeek_ = nullptr;
  TXCalendar* calendar_ = nullptr;
  QTimer* tmrUpdateStamLists_ = nullptr;
  TActieList weekList_;
  TActieList clipboard_;
  QList<TXAction*> selection_;
  int loadedYear_ = 0;
  int loadedWeek_ = 0;
  bool loading_ = false;
  bool blinkOn_ = false;
  bool syncingList_ = false;
  QLabel* lblTotaalUren_ = nullptr;
  QLabel* lblNormUren_ = nullptr;
  QCheckBox* chkTotalExclVoorlopig_ = nullptr;
  QCheckBox* chkTotalExclOverhead_ = nullptr;
  QTimer* tmrBlink_ = nullptr;
  TfrmVoorkeuren* frmVoorkeuren_ = nullptr;
  TfrmDateTimestampConverter* frmConverter_ = nullptr;  // made on the first Ctrl+Alt+F12
  TfrmInfo* frmInfo_ = nullptr;                           // made at the first activation
  TfrmProject* frmProject_ = nullptr;

  bool activated_ = false;
  bool activationQueued_ = false;
  bool showHolidays_ = true;
  int zoom_ = 100;
  int sortColumn_ = 0;
  bool firstInsert_ = true;
  QString otherEmployee_;
  double rightClickMoment_ = 0;
  QPoint rightClickPos_{-1, -1};
  QString languageCode_ = "EN";
  int hintPause_ = 500;
  int hintHidePause_ = 20000;
  QDate calendarDate_;
  int displayedYear_ = 0;
  int displayedWeek_ = 0;
  bool settingTab_ = false;
};

}  // namespace hb
