#include "launcher/launcher.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <memory>

#include "platform/folders.h"
#include "platform/inifile.h"
#include "platform/shellopen.h"

namespace hb {

namespace {

QString WithSlash(const QString& folder) {
  return folder.endsWith('/') ? folder : folder + '/';
}

}  // namespace

QString LauncherLanguage(const QString& launcherFolder) {
  const QString folder = WithSlash(launcherFolder);
  // The full edition's ini wins over the lite edition's when both are installed.
  const bool full = QFileInfo::exists(FindExistingFile(folder + "hbook.ini"));
  const QString product = full ? QStringLiteral("HBook") : QStringLiteral("HbLite");
  TIniFile programIni(FindExistingFile(folder + product + ".ini"));

  QString persIni =
      programIni.ReadString("Paths", "PersIni", WithSlash(WindowsFolder()) + product + ".ini");
  if (persIni.isEmpty()) return QStringLiteral("EN");
  // The main program reads "%WINUSER%" as the user's name and completes a folder with its
  // own ini name; the same file must be read here, or a per-user choice would be missed.
  persIni.replace("%WINUSER%", LoginName(), Qt::CaseInsensitive);
  persIni = NativePath(persIni);
  if (QFileInfo(FindExistingFile(persIni)).isDir()) persIni = WithSlash(persIni) + product + ".ini";

  TIniFile personal(persIni);
  const QString code = personal.ReadString("Options", "Language", "EN");
  // An empty value means the same as a missing one; "EXE" names the built-in Dutch texts.
  if (code.isEmpty()) return QStringLiteral("EN");
  if (code.compare("EXE", Qt::CaseInsensitive) == 0) return QStringLiteral("NL");
  return code;
}

QString LauncherDocument(const QString& currentFolder, const QString& language,
                         const QString& suffix) {
  // The code comes from a file the user can edit; it must not lead out of the folder.
  if (language.contains('/') || language.contains('\\')) return {};
  const QString wanted = WithSlash(currentFolder) + "Hbok_" + language + suffix;
  const QString found = FindExistingFile(wanted);
  const QFileInfo info(found);
  if (!info.exists() || info.isDir()) return {};
  return info.absoluteFilePath();
}

int RunLauncher(int argc, char** argv, const char* suffix) {
  const QString document = LauncherDocument(QDir::currentPath(), LauncherLanguage(ProgramFolder()),
                                            QString::fromUtf8(suffix));
  if (document.isEmpty()) return 1;

  // Opening with the desktop's default application needs the GUI platform; a logged open
  // (HOURBOOK_SHELL_LOG) does not.
  std::unique_ptr<QCoreApplication> app;
  if (qEnvironmentVariableIsEmpty("HOURBOOK_SHELL_LOG")) {
    app = std::make_unique<QGuiApplication>(argc, argv);
  } else {
    app = std::make_unique<QCoreApplication>(argc, argv);
  }
  ShellOpen(document);  // the shell's result is not checked: the document was handed over
  return 0;
}

}  // namespace hb
