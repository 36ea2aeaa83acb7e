#include "data/frmgebruikersnaam.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/login.h"
#include "data/loginwindows.h"

namespace hb {

namespace {

// Enabled fields have the window colour, disabled ones the button face.
void SetFieldEnabled(QLineEdit* edit, bool enabled) {
  edit->setEnabled(enabled);
  QPalette palette = edit->palette();
  const QColor colour = edit->palette().color(enabled ? QPalette::Base : QPalette::Button);
  palette.setColor(QPalette::Disabled, QPalette::Base, colour);
  edit->setPalette(palette);
}

}  // namespace

TfrmGebruikersnaam::TfrmGebruikersnaam(QWidget* parent) : QDialog(parent) {
  setObjectName("frmGebruikersnaam");
  setWindowTitle(tr("Hourbook login"));

  auto* grid = new QGridLayout;
  auto* lblNaam = new QLabel(tr("Gebruikersnaam:"), this);
  edtGebruikersnaam = new QLineEdit(this);
  edtGebruikersnaam->setObjectName("edtGebruikersnaam");
  lblNaam->setBuddy(edtGebruikersnaam);
  auto* lblPassword = new QLabel(tr("Wachtwoord:"), this);
  edtPassword = new QLineEdit(this);
  edtPassword->setObjectName("edtPassword");
  edtPassword->setEchoMode(QLineEdit::Password);
  lblPassword->setBuddy(edtPassword);
  grid->addWidget(lblNaam, 0, 0);
  grid->addWidget(edtGebruikersnaam, 0, 1);
  grid->addWidget(lblPassword, 1, 0);
  grid->addWidget(edtPassword, 1, 1);

  chkWinUser = new QCheckBox(tr("Log automatisch als windows gebruiker in"), this);
  chkWinUser->setObjectName("chkWinUser");

  QHBoxLayout* buttons = MakeOkCancelRow(this, btnOK, btnAnnuleren);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(chkWinUser);
  layout->addLayout(buttons);

  connect(btnOK, &QPushButton::clicked, this, &TfrmGebruikersnaam::Accept);
  connect(btnAnnuleren, &QPushButton::clicked, this, &QDialog::reject);
}

bool TfrmGebruikersnaam::Run(QString& userName, QString& password) {
  TfrmGebruikersnaam dialog;
  if (dialog.exec() != QDialog::Accepted) return false;
  userName = dialog.UserName();
  password = dialog.Password();
  return true;
}

QString TfrmGebruikersnaam::UserName() const {
  return edtGebruikersnaam->text();
}

QString TfrmGebruikersnaam::Password() const {
  return edtPassword->text();
}

void TfrmGebruikersnaam::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!activated_) {
    activated_ = true;
    FirstActivation();
  }
}

void TfrmGebruikersnaam::FirstActivation() {
  const TLoginDialogSetup setup = LoginDialogSetup();
  edtGebruikersnaam->setText(setup.UserName);
  SetFieldEnabled(edtGebruikersnaam, setup.NameEnabled);
  SetFieldEnabled(edtPassword, setup.PasswordEnabled);
  if (setup.FocusPassword)
    edtPassword->setFocus();
  else if (setup.FocusName)
    edtGebruikersnaam->setFocus();
  else
    btnOK->setFocus();
}

void TfrmGebruikersnaam::Accept() {
  LoginDialogAccepted(chkWinUser->isChecked());
  accept();
}

}  // namespace hb
