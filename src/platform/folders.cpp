#include "platform/folders.h"

#include <pwd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace hb {

QString WindowsFolder() {
  QString dir = qEnvironmentVariable("HOURBOOK_WINDIR");
  if (dir.isEmpty()) {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty()) config = QDir::homePath() + "/.config";
    dir = config + "/hourbook";
  }
  while (dir.size() > 1 && dir.endsWith('/')) dir.chop(1);
  return dir;
}

QString ProgramFilePath() {
  if (QCoreApplication::instance()) {
    QString path = QCoreApplication::applicationFilePath();
    if (!path.isEmpty()) return path;
  }
  // Without an application object the kernel still knows the executable.
  QString link = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
  return link;
}

QString ProgramFolder() {
  return QFileInfo(ProgramFilePath()).absolutePath();
}

QString LoginName() {
  QString name;
  if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name) {
    name = QString::fromLocal8Bit(pw->pw_name);
  }
  if (name.isEmpty()) name = qEnvironmentVariable("USER");
  if (name.isEmpty()) name = qEnvironmentVariable("LOGNAME");
  return name.left(256);
}

QString NativePath(const QString& stored) {
  QString path = stored;
  path.replace('\\', '/');
  return path;
}

QString FindExistingFile(const QString& path) {
  if (path.isEmpty()) return path;
  QFileInfo info(path);
  if (info.exists()) return path;
  QString name = info.fileName();
  QString parent = info.path();
  if (name.isEmpty() || parent == path) return path;
  // The folder itself may be spelled differently on disk too.
  QString realParent = QFileInfo(parent).exists() ? parent : FindExistingFile(parent);
  QDir dir(realParent);
  if (!dir.exists()) return path;
  const QStringList entries =
      dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  for (const QString& entry : entries) {
    if (entry.compare(name, Qt::CaseInsensitive) == 0) {
      return realParent == "." && !path.startsWith("./") ? entry : dir.filePath(entry);
    }
  }
  return path;
}

}  // namespace hb
