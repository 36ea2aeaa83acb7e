// TfrmProject: the modal dialog in which hour records are specified — for a new period of
// one or more days (NewFromSelection) and for an existing block (EditBlock). It is made
// once and reused; between uses it remembers the last accepted customer, activity,
// product, provisional flag, work description and quantity.
//
//   frm.OnNewRecord = [&](std::unique_ptr<TActieRec> r) { return list.At(list.Add(...)); };
//   bool split = false; TXActionList blocks;
//   if (frm.NewFromSelection(rect, planner, split, blocks, insert)) ...   // stored through
//                                                    // the planner's OnAddAction
//   if (frm.EditBlock(block, planner)) planner->EditAction(block);
//
// The time fields follow projectlogic.h: typed times are normalised and rounded to the
// resolution when a field is left; a period shorter than one slot is warned about.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "app/projectlogic.h"
#include "controls/xaction.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QShortcut;
class QSystemTrayIcon;
class QTimer;
class QToolButton;

namespace hb {

class TActieRec;
class TXPlanbox;

class TfrmProject : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmProject(QWidget* parent = nullptr);
  ~TfrmProject() override;

  // Re-reads the flexible fields' captions and use; clears the remembered values.
  void FormCreate();

  // A new record for a new block: the receiver keeps it and returns the pointer the block
  // will carry. Without a receiver the dialog keeps the records itself.
  std::function<TActieRec*(std::unique_ptr<TActieRec>)> OnNewRecord;
  // [Options] copywerkz: the last work description is offered again.
  bool CopyWerkz = false;

  // The days Left..Right and rows Top..Bottom of rect are proposed. On OK the checked days
  // get blocks for the chosen rows: in the free cells, or with insert the cells are carved
  // out of the blocks there. split: a day did not get exactly one block.
  bool NewFromSelection(const TXRect& rect, TXPlanbox* planner, bool& split,
                        TXActionList& blocks, bool insert);
  // On OK the block's rectangle holds the chosen day (Left == Right) and rows; the record
  // is left for the caller, who fills it with FillRecord.
  bool EditBlock(TXAction* block, TXPlanbox* planner);
  // The stopwatch: books real elapsed time as hour records of the displayed week (through
  // the planner's OnAddAction). Always false; the dialog closes only with "Sluiten", which
  // first books a running period.
  bool RunStopwatch(TXPlanbox* planner);
  // Every booked stopwatch block, for the owner to draw and select.
  std::function<void(TXAction* block)> OnStopwatchBlock;
  // Opens the master data window on page 1 (customers), 2 (activities) or 3 (products), for
  // the edit buttons beside the lists; without it the buttons stay hidden.
  std::function<void(int page)> OnEditStam;
  // Hidden with the dialog when the stopwatch goes to the tray.
  QWidget* MainWindow = nullptr;
  void StartTimer();
  void PauseTimer();
  void StopTimer();
  void InTray();
  // One tick of the stopwatch (the timer's, every second).
  void StopwatchTick();
  bool StopwatchRunning() const { return running_; }
  const QList<TTimeInfo>& StopwatchList() const { return stopwatch_; }
  QLabel* pnlTime() const { return pnlTime_; }
  QToolButton* StopwatchButton(int i) const { return swButtons_[i]; }  // start pause stop tray

  void SetListViewMode(bool on) { listViewMode_ = on; }
  bool MasterDataChanged() const { return masterDataChanged_; }

  // The dialog's values into a record for a rectangle of the displayed week.
  void FillRecord(TActieRec& rec, const TXRect& rect) const;

  // --- parts, for tests ---
  QCheckBox* DayBox(int i) const { return cbxDagen_[i]; }
  QLineEdit* edtStarttijd() const { return edtStarttijd_; }
  QLineEdit* edtDuur() const { return edtDuur_; }
  QLineEdit* edtEindtijd() const { return edtEindtijd_; }
  QToolButton* SpinButton(bool start, bool up) const;
  QComboBox* cbxKlant() const { return cbxKlant_; }
  QComboBox* cbxActiviteit() const { return cbxActiviteit_; }
  QComboBox* cbxProduct() const { return cbxProduct_; }
  QLineEdit* edtAantal() const { return edtAantal_; }
  QCheckBox* chkVoorlopig() const { return chkVoorlopig_; }
  QLineEdit* edtWerkzaamheden() const { return edtWerkzaamheden_; }
  QLabel* lblTarief() const { return lblTarief_; }
  QLabel* Label(const QString& name) const;
  QToolButton* EditButton(int page) const { return editButtons_[page - 1]; }
  QPushButton* btnOK() const { return btnOK_; }
  QPushButton* btnCancel() const { return btnCancel_; }

  void accept() override;
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void FormActivate();
  void FillLists();
  void SetDaysAndTimes(const TXRect& rect);
  void RememberValues();
  void CalcRate();
  TTimeFields Fields() const;
  void SetFields(const TTimeFields& f);
  void EnterTimeField(QLineEdit* field);
  // Handles leaving the field; false when the focus is to stay on it.
  bool LeaveTimeField(QLineEdit* field);
  void Spin(TSpin which);
  bool SpinAllowed(double time) const;
  bool CheckMandatory();
  void DayToggled(int i, bool checked);
  void SetInputsEnabled(bool on);
  void SetStopwatchButtons(bool running);
  void CloseStopwatch();
  void EditStam(int page);
  void BookEntry(TTimeInfo& entry);
  void BookPeriod(const TBookPeriod& period);
  QList<QWidget*> Inputs() const;

  QLabel* lblWeekYr_ = nullptr;
  QLabel* lblWeekNr_ = nullptr;
  QLabel* lblMedewerkerNaam_ = nullptr;
  QGroupBox* grpDagen_ = nullptr;
  QCheckBox* cbxDagen_[7] = {};
  QLineEdit* edtStarttijd_ = nullptr;
  QLineEdit* edtDuur_ = nullptr;
  QLineEdit* edtEindtijd_ = nullptr;
  QToolButton* spinStartUp_ = nullptr;
  QToolButton* spinStartDown_ = nullptr;
  QToolButton* spinEindUp_ = nullptr;
  QToolButton* spinEindDown_ = nullptr;
  QLabel* lblKlant_ = nullptr;
  QLabel* lblActiviteit_ = nullptr;
  QLabel* lblProduct_ = nullptr;
  QLabel* lblAantal_ = nullptr;
  QLabel* lblWerkzaamheden_ = nullptr;
  QComboBox* cbxKlant_ = nullptr;
  QComboBox* cbxActiviteit_ = nullptr;
  QComboBox* cbxProduct_ = nullptr;
  QLineEdit* edtAantal_ = nullptr;
  QCheckBox* chkVoorlopig_ = nullptr;
  QLineEdit* edtWerkzaamheden_ = nullptr;
  QLabel* lblTarief_ = nullptr;
  QPushButton* btnOK_ = nullptr;
  QPushButton* btnCancel_ = nullptr;
  QList<QShortcut*> shortcuts_;
  QGroupBox* grpTijden_ = nullptr;
  QToolButton* editButtons_[3] = {};
  QGroupBox* grpboxStopwatch_ = nullptr;
  QLabel* pnlTime_ = nullptr;
  QToolButton* swButtons_[4] = {};
  QTimer* timer_ = nullptr;
  QSystemTrayIcon* trayIcon_ = nullptr;
  QList<TTimeInfo> stopwatch_;
  bool stopwatchMode_ = false;
  bool running_ = false;
  bool inTray_ = false;
  bool returningFromTray_ = false;
  int trayTicks_ = 0;

  // Remembered values.
  QString klantText_, activiteitText_, productText_, werkz_, aantal_;
  bool voorlopig_ = false;
  // Mode flags.
  bool editing_ = false;
  bool listViewMode_ = false;
  bool masterDataChanged_ = false;
  bool editingTimeField_ = false;
  bool cancelling_ = false;
  bool fillingDays_ = false;
  // The time texts when a time field was entered, and the entered field's text.
  bool timesRemembered_ = false;
  TTimeFields enteredFields_;
  QString enteredText_;
  QLineEdit* enteredField_ = nullptr;
  // A field whose leaving was refused; the next OK only puts the focus back on it.
  QLineEdit* failedField_ = nullptr;
  // EditBlock: the edited block, its planner and the record's date.
  TXAction* editBlock_ = nullptr;
  TXPlanbox* planner_ = nullptr;
  double editDate_ = 0;
  std::vector<std::unique_ptr<TActieRec>> ownRecords_;
};

}  // namespace hb
