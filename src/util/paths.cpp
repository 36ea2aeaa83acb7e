#include "util/paths.h"

#include <QDir>
#include <QFileInfo>

#include "platform/folders.h"

namespace hb {

namespace {
bool IsSeparator(QChar c) {
  return c == '/' || c == '\\';
}
}  // namespace

QString StripBackslash(const QString& path) {
  if (path.size() >= 2 && IsSeparator(path.back()) && path[path.size() - 2] != ':') {
    return path.left(path.size() - 1);
  }
  return path;
}

QString AddBackslash(const QString& path) {
  if (path.isEmpty() || IsSeparator(path.back())) return path;
  return path + "/";
}

QString BaseName(const QString& fileName) {
  QString name = NativePath(fileName);
  name = name.mid(name.lastIndexOf('/') + 1);
  const qsizetype dot = name.lastIndexOf('.');
  return dot < 0 ? name : name.left(dot);
}

QString ExtensionOf(const QString& fileName) {
  QString name = NativePath(fileName);
  name = name.mid(name.lastIndexOf('/') + 1);
  const qsizetype dot = name.lastIndexOf('.');
  return dot < 0 ? QString() : name.mid(dot);
}

bool FolderExists(const QString& path) {
  if (path.isEmpty()) return false;
  const QFileInfo info(NativePath(StripBackslash(path)));
  return info.isDir() && info.isExecutable();
}

QString AbsolutePath(const QString& stored, const QString& base) {
  const QString path = NativePath(stored);
  if (path.isEmpty()) return QDir::cleanPath(base);
  if (QDir::isAbsolutePath(path)) return QDir::cleanPath(path);
  return QDir::cleanPath(QDir(base).filePath(path));
}

QString NormaliseFolder(const QString& folder) {
  const QString base = QDir::currentPath();
  return AddBackslash(AbsolutePath(folder.isEmpty() ? base : folder, base));
}

QString DeveloperFolder() {
  const QDir current(QDir::currentPath());
  if (QFileInfo::exists(FindExistingFile(current.filePath("develop.vrt")))) {
    return NormaliseFolder(current.path());
  }
  QDir parent = current;
  if (parent.cdUp() && QFileInfo::exists(FindExistingFile(parent.filePath("develop.vrt")))) {
    return NormaliseFolder(parent.path());
  }
  return {};
}

QString WindowsUserName() {
  return LoginName();
}

QString EnvironmentValue(const QString& name) {
  return qEnvironmentVariable(name.toLocal8Bit());
}

}  // namespace hb
