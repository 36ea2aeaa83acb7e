// Program start-up and shutdown of hblite.
//
// RunProgram builds the process-wide objects in their fixed order (path context, personal
// ini and preferences, ...), handles the command line, logs the user in, creates the main
// window and the modules, runs the message loop and takes everything down in reverse order.
//
// Hooks for whole-program tests (environment variables):
//   HOURBOOK_DIALOG_ANSWERS / HOURBOOK_DIALOG_LOG   scripted dialogs (platform/dialogservice.h)
//   HOURBOOK_QUIT_AFTER_START=1                     closes the main window once its first
//                                                   activation is done
#pragma once

#include <QString>
#include <QStringList>

namespace hb {

// The switches of the command line.
struct TCommandLine {
  bool Uninstall = false;    // "/UNINSTALL", a whole argument, any letter case
  bool HasUser = false;      // an argument with "/USER" (any case) and "=" was given
  QString UserName;          // the text after its first "=", one pair of double quotes removed
  bool Restart = false;      // "/RESTART" anywhere in the command line, this letter case only
  bool Debug = false;        // "/debug", a whole argument, any letter case
  bool NoMetaCheck = false;  // "/NOMETACHECK", "/METACHECK", "/METAEDIT": whole arguments,
  bool MetaCheck = false;    // any letter case (the table structure check reads them)
  bool MetaEdit = false;
  QStringList Arguments;  // the arguments without the program itself
};

// Reads the switches from the arguments (without the program's own path).
TCommandLine ParseCommandLine(const QStringList& arguments);

// The command line that the language switch restarts the program with: the program, the
// arguments of this start, and "/RESTART".
QString RestartCommand(const QString& program, const QStringList& arguments);

// The command line of this run (empty before RunProgram parsed it).
const TCommandLine& CommandLine();

// Copies "rere32.ini" from currentFolder to programIni when programIni does not exist yet
// (settings of the program's predecessor). True when a copy was made.
bool CopyOldSettings(const QString& currentFolder, const QString& programIni);

// The help file for a language code: program folder + "Hbok_" + code + ".hlp" when it
// exists; else "Hbok_" + the code's first two letters + ".hlp" when that exists (in the
// current folder); else "Hbok_EN.hlp".
QString HelpFileFor(const QString& programFolder, const QString& languageCode);

// The help file chosen at start ("Hbok_EN.hlp" until the main window chose it).
QString HelpFile();
void SetHelpFile(const QString& file);

// The login name of this run, upper case (the result of the login step).
QString LoginUserName();

// The login step: the name from "/USER=", else from [Environment] UserEnv ("WINUSER": the
// login name of the process owner; otherwise the environment variable it names), else asked.
// False when no name was given (the program ends).
bool RunLogin(const TCommandLine& commandLine, QString& name);

// Ends the message loop as soon as it runs (or at once when it runs already). Steps that
// follow a request still run; the main window's first activation is skipped.
void RequestTermination();
bool TerminationRequested();

// Runs the whole program; returns the process exit code.
int RunProgram(int argc, char** argv);

}  // namespace hb
