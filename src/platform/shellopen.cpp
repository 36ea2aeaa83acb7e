#include "platform/shellopen.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include "platform/folders.h"

namespace hb {

namespace {

TShellOpenHook& Hook() {
  static TShellOpenHook hook;
  return hook;
}

// "http:", "mailto:" and the like; a single letter before ":" is a drive, not a scheme.
bool IsUrl(const QString& target) {
  static const QRegularExpression scheme("^[A-Za-z][A-Za-z0-9+.-]+:");
  return scheme.match(target).hasMatch();
}

}  // namespace

TShellOpenHook SetShellOpenHook(TShellOpenHook hook) {
  TShellOpenHook previous = std::move(Hook());
  Hook() = std::move(hook);
  return previous;
}

bool ShellOpen(const QString& target) {
  if (Hook()) return Hook()(target);
  const QString log = qEnvironmentVariable("HOURBOOK_SHELL_LOG");
  if (!log.isEmpty()) {
    QFile file(log);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
    return file.write((target + "\n").toUtf8()) > 0;
  }
  if (target.isEmpty()) return false;
  if (IsUrl(target)) return QDesktopServices::openUrl(QUrl(target));
  const QString path = FindExistingFile(NativePath(target));
  if (!QFileInfo::exists(path)) return false;
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

}  // namespace hb
