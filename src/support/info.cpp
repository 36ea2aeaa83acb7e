#include "support/info.h"

#include <QCoreApplication>
#include <QFile>

#include "util/paths.h"
#include "util/version.h"

// The resource of a static library is registered by hand, from the global namespace.
static void InitInfoResource() {
  Q_INIT_RESOURCE(info);
}

namespace hb {

QString VersionCaption() {
  return QCoreApplication::translate("TfrmInfo", "Versie ") + VersionText();
}

QString HistoryText() {
  static const bool registered = (InitInfoResource(), true);
  Q_UNUSED(registered);
  QFile file(":/support/history.txt");
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

bool SaveHistoryForDeveloper() {
  const QString folder = DeveloperFolder();
  if (folder.isEmpty()) return false;
  QFile file(AddBackslash(folder) + "history.txt");
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  const QByteArray bytes = HistoryText().toUtf8();
  return file.write(bytes) == bytes.size();
}

}  // namespace hb
