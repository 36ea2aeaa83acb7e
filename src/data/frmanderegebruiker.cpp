#include "data/frmanderegebruiker.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/loginwindows.h"

namespace hb {

TfrmAndereGebruiker::TfrmAndereGebruiker(QWidget* parent) : QDialog(parent) {
  setObjectName("frmAndereGebruiker");
  setWindowTitle(tr("Andere medewerker"));

  lblAfdeling = new QLabel(this);
  lblAfdeling->setObjectName("lblAfdeling");
  auto* lblKies = new QLabel(tr("Kies andere medewerker:"), this);
  lbxUsers = new QListWidget(this);
  lbxUsers->setObjectName("lbxUsers");
  lblKies->setBuddy(lbxUsers);

  QHBoxLayout* buttons = MakeOkCancelRow(this, btnOK, btnAnnuleren);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblAfdeling);
  layout->addWidget(lblKies);
  layout->addWidget(lbxUsers);
  layout->addLayout(buttons);

  connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnAnnuleren, &QPushButton::clicked, this, &QDialog::reject);
  connect(lbxUsers, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
}

bool TfrmAndereGebruiker::Run(const TOtherEmployeeChoice& choice, QString& chosen) {
  TfrmAndereGebruiker dialog;
  dialog.Fill(choice);
  if (dialog.exec() != QDialog::Accepted) return false;
  chosen = dialog.Chosen();
  return !chosen.isEmpty();
}

void TfrmAndereGebruiker::Fill(const TOtherEmployeeChoice& choice) {
  lblAfdeling->setText(choice.Label);
  lbxUsers->clear();
  lbxUsers->addItems(choice.Names);
  if (choice.Selected >= 0 && choice.Selected < lbxUsers->count())
    lbxUsers->setCurrentRow(choice.Selected);
  lbxUsers->setFocus();
}

QString TfrmAndereGebruiker::Chosen() const {
  const QListWidgetItem* item = lbxUsers->currentItem();
  return item && item->isSelected() ? item->text() : QString();
}

}  // namespace hb
