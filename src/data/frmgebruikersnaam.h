// TfrmGebruikersnaam: the login dialog ("Hourbook login") — name, password and "log in as
// the Windows user from now on".
//
//   QString name, password;
//   if (TfrmGebruikersnaam::Run(name, password)) ...   // modal; the dialog is freed after use
//
// At its first showing it takes its start from LoginDialogSetup() (login.h): the Windows user
// name in the name field, the fields enabled by the program ini, the focus on the password
// or the name. OK with the check box checked writes [Environment] UserEnv = "WINUSER".
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace hb {

class TfrmGebruikersnaam : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmGebruikersnaam(QWidget* parent = nullptr);

  static bool Run(QString& userName, QString& password);

  QString UserName() const;
  QString Password() const;

  QLineEdit* edtGebruikersnaam;
  QLineEdit* edtPassword;
  QCheckBox* chkWinUser;
  QPushButton* btnOK;
  QPushButton* btnAnnuleren;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FirstActivation();
  void Accept();

  bool activated_ = false;
};

}  // namespace hb
