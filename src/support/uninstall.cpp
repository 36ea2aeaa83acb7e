#include "support/uninstall.h"

#include <QFileInfo>

#include "platform/inifile.h"
#include "util/paths.h"

namespace hb {

QString UninstallFeedbackUrl(const QString& languageCode) {
  QString code = languageCode.trimmed().toLower();
  if (code.isEmpty()) code = "en";
  return QString("%1/uninstall/%2/uninstall.html").arg(kProductWebSite, code);
}

bool WriteUninstallShortcut(const QString& folder, const QString& languageCode) {
  if (!FolderExists(folder)) return false;
  TIniFile ini(AddBackslash(folder) + kUninstallShortcut);
  return ini.WriteString("InternetShortcut", "URL", UninstallFeedbackUrl(languageCode));
}

}  // namespace hb
