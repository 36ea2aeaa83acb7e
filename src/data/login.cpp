#include "data/login.h"

#include <QCoreApplication>

#include "platform/dialogservice.h"
#include "util/pathcontext.h"
#include "util/paths.h"

namespace hb {

namespace {

TLoginDialogRunner& LoginDialog() {
  static TLoginDialogRunner runner;
  return runner;
}

QString Tr(const char* text) {
  return QCoreApplication::translate("Login", text);
}

// Without a login window the name is asked as one line of text.
bool AskName(QString& userName, QString& password) {
  const TLoginDialogSetup setup = LoginDialogSetup();
  userName = setup.UserName;
  password.clear();
  return Dialogs().InputText(Tr("Hourbook login"), Tr("Gebruikersnaam:"), userName);
}

}  // namespace

QString CommandLineUserName(const QStringList& arguments) {
  for (const QString& arg : arguments) {
    if (!arg.contains("/USER", Qt::CaseInsensitive) || !arg.contains('=')) continue;
    QString name = arg.mid(arg.indexOf('=') + 1);
    if (name.size() >= 2 && name.startsWith('"') && name.endsWith('"'))
      name = name.mid(1, name.size() - 2);
    return name;
  }
  return QString();
}

void SetLoginDialog(TLoginDialogRunner runner) {
  LoginDialog() = std::move(runner);
}

TLoginDialogSetup LoginDialogSetup() {
  TLoginDialogSetup setup;
  setup.UserName = WindowsUserName().toUpper();
  setup.NameEnabled = ProgramIni().ReadString("Environment", "UserEnv").isEmpty();
  setup.PasswordEnabled = ProgramIni().ReadBool("Environment", "Passwords", false);
  setup.FocusPassword = !setup.NameEnabled && setup.PasswordEnabled;
  setup.FocusName = !setup.FocusPassword && setup.NameEnabled;
  return setup;
}

void LoginDialogAccepted(bool winUser) {
  if (winUser) ProgramIni().WriteString("Environment", "UserEnv", "WINUSER");
}

void TLogin::SetArguments(const QStringList& arguments) {
  arguments_ = arguments;
  argumentsSet_ = true;
}

QStringList TLogin::Arguments() const {
  if (argumentsSet_) return arguments_;
  return QCoreApplication::arguments().mid(1);
}

void TLogin::Clear() {
  userName_.clear();
  password_.clear();
}

bool TLogin::Login(bool force) {
  // A name of blanks names nobody: it is asked for like a missing one.
  QString name = CommandLineUserName(Arguments()).trimmed();
  if (name.isEmpty()) {
    const QString userEnv = ProgramIni().ReadString("Environment", "UserEnv");
    if (userEnv.compare("WINUSER", Qt::CaseInsensitive) == 0)
      name = WindowsUserName();
    else if (!userEnv.isEmpty())
      name = EnvironmentValue(userEnv);
    name = name.trimmed();
  }
  name = name.toUpper();
  if (name.isEmpty() || force) {
    QString typedName, typedPassword;
    const bool ok =
        LoginDialog() ? LoginDialog()(typedName, typedPassword) : AskName(typedName, typedPassword);
    if (ok) {
      name = typedName.trimmed().toUpper();
      password_ = typedPassword.trimmed().toUpper();
    } else {
      name.clear();
      password_.clear();
    }
  }
  userName_ = name;
  return !userName_.isEmpty();
}

TLogin& LoginObject() {
  static TLogin login;
  return login;
}

}  // namespace hb
