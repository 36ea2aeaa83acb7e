// The search window: finds the shown employee's hour records whose work description holds a
// text, lists them by date and shows the week of a found record.
//
//   auto* frm = new TfrmZoeken([main](const QDate& d) { main->SetCalendarDate(d); }, main);
//   frm->Open();    // modal to the program; text, check box and results kept between openings
//
// The window is made once and kept; closing (Sluiten, Esc, the close button) hides it and
// saves its placement "SearchForm". The week of a line goes to the callback: the owner sets
// its calendar to that date and shows the week that holds it. The search itself lives in
// zoeken.h.
#pragma once

#include <QDate>
#include <QDialog>
#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace hb {

class TfrmZoeken : public QDialog {
  Q_OBJECT
 public:
  using TShowWeek = std::function<void(const QDate&)>;

  explicit TfrmZoeken(TShowWeek showWeek, QWidget* owner = nullptr);

  // Shows the window modal to the program and activates it.
  void Open();

  // Runs the search with the edit's text (btnZoek).
  void btnZoekClick();
  // Shows the week of the selected line; nothing without one (btnSelectWeek, double click).
  void ShowSelectedWeek();

  QLabel* lblWerkzaamheden() const { return lblWerkzaamheden_; }
  QCheckBox* chkToonStam() const { return chkToonStam_; }
  QLineEdit* edtWerkzaamheden() const { return edtWerkzaamheden_; }
  QListWidget* lbxResult() const { return lbxResult_; }
  QPushButton* btnSelectWeek() const { return btnSelectWeek_; }
  QPushButton* btnZoek() const { return btnZoek_; }
  QPushButton* btnSluiten() const { return btnSluiten_; }

  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void UpdateWeekButton();

  TShowWeek showWeek_;
  QGroupBox* grpboxGegevens_;
  QLabel* lblWerkzaamheden_;
  QCheckBox* chkToonStam_;
  QLineEdit* edtWerkzaamheden_;
  QGroupBox* grpboxResultaat_;
  QListWidget* lbxResult_;
  QWidget* pnlBottom_;
  QPushButton* btnSelectWeek_;
  QPushButton* btnZoek_;
  QPushButton* btnSluiten_;
};

}  // namespace hb
