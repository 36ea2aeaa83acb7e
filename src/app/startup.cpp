#include "app/startup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <memory>

#include "app/frmmain.h"
#include "data/dmdbase.h"
#include "data/expfuncs.h"
#include "data/flexfields.h"
#include "data/frmmetabrowse.h"
#include "data/frmvoortgang.h"
#include "data/login.h"
#include "data/loginwindows.h"
#include "data/termination.h"
#include "data/vrtdbfdataset.h"
#include "data/vrtmetadataset.h"
#include "platform/dialogservice.h"
#include "platform/folders.h"
#include "platform/inifile.h"
#include "platform/singleinstance.h"
#include "support/frminfo.h"
#include "support/frmuninstall.h"
#include "support/persinstellingen.h"
#include "timereg/mainobj.h"
#include "util/crashhandler.h"
#include "util/guardedapplication.h"
#include "util/pathcontext.h"
#include "util/paths.h"
#include "util/startutil.h"

namespace hb {

namespace {

struct TStartState {
  TCommandLine commandLine;
  QString helpFile = "Hbok_EN.hlp";
  QString loginName;
};

TStartState& State() {
  static TStartState state;
  return state;
}

QString Quoted(const QString& argument) {
  if (!argument.isEmpty() && !argument.contains(' ') && !argument.contains('"')) return argument;
  QString escaped = argument;
  escaped.replace('"', "\\\"");
  return '"' + escaped + '"';
}

}  // namespace

TCommandLine ParseCommandLine(const QStringList& arguments) {
  TCommandLine result;
  result.Arguments = arguments;
  for (const QString& arg : arguments) {
    auto is = [&arg](const char* sw) {
      return arg.compare(QLatin1String(sw), Qt::CaseInsensitive) == 0;
    };
    if (is("/UNINSTALL")) result.Uninstall = true;
    if (is("/debug")) result.Debug = true;
    if (is("/NOMETACHECK")) result.NoMetaCheck = true;
    if (is("/METACHECK")) result.MetaCheck = true;
    if (is("/METAEDIT")) result.MetaEdit = true;
    if (!result.HasUser && arg.contains("/USER", Qt::CaseInsensitive) && arg.contains('=')) {
      result.HasUser = true;
      QString name = arg.mid(arg.indexOf('=') + 1);
      // One pair of surrounding quotes goes; a lone quote is a name of its own.
      if (name.size() >= 2 && name.startsWith('"') && name.endsWith('"'))
        name = name.mid(1, name.size() - 2);
      result.UserName = name;
    }
  }
  result.Restart = arguments.join(' ').contains(QLatin1String("/RESTART"));
  return result;
}

QString RestartCommand(const QString& program, const QStringList& arguments) {
  QStringList parts{Quoted(program)};
  for (const QString& arg : arguments) parts << Quoted(arg);
  return parts.join(' ') + " /RESTART";
}

const TCommandLine& CommandLine() {
  return State().commandLine;
}

bool CopyOldSettings(const QString& currentFolder, const QString& programIni) {
  if (QFileInfo::exists(FindExistingFile(programIni))) return false;
  const QString old = FindExistingFile(AddBackslash(currentFolder) + "rere32.ini");
  if (!QFileInfo(old).isFile()) return false;
  return QFile::copy(old, programIni);
}

QString HelpFileFor(const QString& programFolder, const QString& languageCode) {
  const QString full =
      FindExistingFile(AddBackslash(programFolder) + "Hbok_" + languageCode + ".hlp");
  if (QFileInfo(full).isFile()) return full;
  const QString shortName = "Hbok_" + languageCode.left(2) + ".hlp";
  if (QFileInfo(FindExistingFile(shortName)).isFile()) return shortName;
  return "Hbok_EN.hlp";
}

QString HelpFile() {
  return State().helpFile;
}
void SetHelpFile(const QString& file) {
  State().helpFile = file;
}

QString LoginUserName() {
  return State().loginName;
}

bool RunLogin(const TCommandLine& commandLine, QString& name) {
  TLogin& login = LoginObject();
  login.SetArguments(commandLine.Arguments);
  const bool ok = login.Login(false);
  name = login.UserName();
  return ok;
}

void RequestTermination() {
  RequestApplicationTermination();
}

bool TerminationRequested() {
  return ApplicationTerminating();
}

namespace {

// Everything after the application object: objects, main sequence, message loop, shutdown.
int RunApplication(THbApplication& app) {
  QStringList arguments = app.arguments();
  if (!arguments.isEmpty()) arguments.removeFirst();
  TStartState& state = State();
  state = TStartState{};
  ResetApplicationTermination();
  state.commandLine = ParseCommandLine(arguments);

  // The one-instance mark is made as the program loads; the main window acts on it.
  TSingleInstance instance;

  // Settings of the predecessor are taken over before the lookup reads the program ini.
  const QFileInfo program(ProgramFilePath());
  CopyOldSettings(QDir::currentPath(),
                  program.absolutePath() + "/" + BaseName(program.fileName()) + ".ini");

  // 1. Crash handler, formats and the path context; false: the data folder was refused.
  if (!StartUtilities(app.arguments())) return 0;
  // 2. The language start-up goes here.
  // The program's own expression functions, for index keys and report groupings.
  RegisterProgramFunctions();
  // The dataset layer for whole-table work, with its progress window and the meta table
  // window that the structure check may open.
  TVrtDbfDataSet vrtDbf;
  SetProgressDisplayFactory(&TfrmVoortgang::Make);
  TvrtMetaDataset::SetBrowser(&TfrmMetaBrowse::Browse);
  // The login dialog and the windows of identification and authorisation (with a screen).
  InstallLoginWindows();
  struct TResetDataHooks {
    ~TResetDataHooks() {
      SetProgressDisplayFactory({});
      TvrtMetaDataset::SetBrowser({});
    }
  } resetDataHooks;
  // 4. The login object (LoginObject) takes the command line at the login step below.
  // 5. The program object: the week of today and the time resolution of the program ini.
  MainObj().Init();
  // 6. The flexible field definitions of the program ini.
  LoadFlexFields();
  // 7. The personal ini and the personal preferences.
  UsePersonalIni();
  TPersInstellingen prefs;
  prefs.Load();
  SetPersInstellingen(&prefs);
  struct TResetPreferences {
    ~TResetPreferences() { SetPersInstellingen(nullptr); }
  } resetPrefs;

  // Main sequence.
  SetHelpFile("Hbok_EN.hlp");
  if (state.commandLine.Uninstall) {
    // Feedback is asked for; the program then ends without login.
    QString language = prefs.Ini().ReadString("Options", "Language", "EN").trimmed();
    TfrmUninstall().Execute(Paths().ProgramFolder, language.isEmpty() ? "EN" : language);
    return 0;
  }
  if (!RunLogin(state.commandLine, state.loginName)) return 0;

  // The splash screen ends itself when the main window takes the focus; its first
  // activation ends it too, for desktops that never gave the splash the focus.
  QPointer<TfrmInfo> splash = TfrmInfo::ShowSplash();
  struct TEndSplash {
    QPointer<TfrmInfo>& splash;
    ~TEndSplash() { delete splash.data(); }
  } endSplash{splash};

  // The windows and modules, in this order; the data module comes after the main window and
  // the entry dialog, whose creation must not touch the tables.
  TfrmMain frmMain(instance, prefs, state.commandLine, state.loginName);
  // Print work table, report generator, uninstall window and entry dialog are created here.
  // The data module: structure check, the tables opened for the whole run; when the
  // database cannot be opened it requests termination.
  TdmDBase dmDBase(vrtDbf);
  dmDBase.Start(state.commandLine.Arguments, state.loginName);
  // The master data report module is created here.

  QObject::connect(&frmMain, &TfrmMain::FirstActivationDone, &frmMain, [&splash] {
    if (splash) splash->EndSplash();
  });

  if (qEnvironmentVariable("HOURBOOK_QUIT_AFTER_START") == "1") {
    // Test runs end themselves once the start-up is complete.
    QObject::connect(&frmMain, &TfrmMain::FirstActivationDone, &frmMain,
                     [&frmMain] { QTimer::singleShot(0, &frmMain, &QWidget::close); });
  }

  int code = 0;
  if (!TerminationRequested()) {
    frmMain.show();
    code = app.exec();
  }
  // Shutdown: the modules and windows go in reverse order as their scopes end, then the
  // process-wide objects.
  return code;
}

}  // namespace

int RunProgram(int argc, char** argv) {
  THbApplication app(argc, argv);
  try {
    return RunApplication(app);
  } catch (...) {
    // An error during start-up or shutdown, outside the message loop: reported like one
    // inside it, and the program ends.
    ReportException(std::current_exception());
    return 1;
  }
}

}  // namespace hb
