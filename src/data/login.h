// TLogin: the login name and password of this run, both held upper-cased.
//
//   if (!LoginObject().Login(false)) return 0;     // start: cancelled, the program ends
//   LoginObject().UserName()                       // "JAN SMIT"
//
// Login(force) takes the name from the command line ("/USER=name": the first argument that
// holds "/USER", any case, and "="; one pair of surrounding double quotes goes), else from
// [Environment] UserEnv of the program ini ("WINUSER": the login name of the process owner;
// otherwise the environment variable it names), else — or always when forced — from the
// login dialog. A name known without the dialog leaves the password as it is (empty at
// start).
//
// The login dialog is a window (TfrmGebruikersnaam) that the program installs with
// SetLoginDialog; without one the name is asked through the dialog service.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace hb {

// The name of "/USER=" in the arguments (program name excluded); empty without one.
QString CommandLineUserName(const QStringList& arguments);

// Shows the login dialog modally; true on OK with the name and password as typed.
using TLoginDialogRunner = std::function<bool(QString& userName, QString& password)>;
void SetLoginDialog(TLoginDialogRunner runner);

// How the login dialog starts, by the program ini.
struct TLoginDialogSetup {
  QString UserName;              // the Windows user name, upper-cased
  bool NameEnabled = true;       // only when [Environment] UserEnv is empty
  bool PasswordEnabled = false;  // only when [Environment] Passwords is true
  bool FocusPassword = false;    // UserEnv set and the password field enabled
  bool FocusName = false;        // otherwise, when the name field is enabled
};
TLoginDialogSetup LoginDialogSetup();
// OK in the login dialog: with "log in as the Windows user" checked, [Environment] UserEnv
// becomes "WINUSER" (write errors ignored).
void LoginDialogAccepted(bool winUser);

class TLogin {
 public:
  // The command line; by default the application's arguments without the program name.
  void SetArguments(const QStringList& arguments);
  QStringList Arguments() const;

  // True when a name is known; force shows the login dialog even then.
  bool Login(bool force);

  QString UserName() const { return userName_; }
  QString Password() const { return password_; }
  // For a start that learnt the name elsewhere.
  void SetUserName(const QString& name) { userName_ = name.trimmed().toUpper(); }
  void Clear();

 private:
  QStringList arguments_;
  bool argumentsSet_ = false;
  QString userName_;
  QString password_;
};

// The login object of this run.
TLogin& LoginObject();

}  // namespace hb
