#include "testutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace hbtest {

QString FixturePath(const QString& relative) {
  return QStringLiteral(HB_SOURCE_DIR) + "/tests/" + relative;
}

QString BinaryPath(const QString& name) { return QStringLiteral(HB_BINARY_DIR) + "/" + name; }

bool WriteFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return f.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

}  // namespace hbtest
