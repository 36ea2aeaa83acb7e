// TfrmAndereGebruiker: the window "Andere medewerker" — the employees the logged-in employee
// may look at, to pick one.
//
//   QString chosen;
//   if (TfrmAndereGebruiker::Run(PrepareOtherEmployeeChoice(), chosen)) ...
//
// The list shows the choice's names with the shown employee selected and focused; a double
// click confirms like "&OK".
#pragma once

#include <QDialog>

#include "data/autorisatie.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace hb {

class TfrmAndereGebruiker : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmAndereGebruiker(QWidget* parent = nullptr);

  static bool Run(const TOtherEmployeeChoice& choice, QString& chosen);

  void Fill(const TOtherEmployeeChoice& choice);
  // The selected name; empty when none.
  QString Chosen() const;

  QLabel* lblAfdeling;
  QListWidget* lbxUsers;
  QPushButton* btnOK;
  QPushButton* btnAnnuleren;
};

}  // namespace hb
