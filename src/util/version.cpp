#include "util/version.h"

#include <QDateTime>
#include <QFileInfo>
#include <QStringList>

#include "platform/folders.h"

#ifndef HB_VERSION
#define HB_VERSION ""
#endif

namespace hb {

QString VersionText() {
  return VersionTextOf(QStringLiteral(HB_VERSION));
}

QString VersionTextOf(const QString& version) {
  const QStringList parts = version.trimmed().split('.');
  int numbers[3] = {0, 0, 0};
  bool ok = parts.size() >= 3;
  for (int i = 0; ok && i < 3; ++i) {
    numbers[i] = parts[i].toInt(&ok);
    ok = ok && numbers[i] >= 0 && numbers[i] <= 0xFFFF;
  }
  if (!ok) numbers[0] = numbers[1] = numbers[2] = 0;
  return QString("%1.%2.%3")
      .arg(numbers[0])
      .arg(numbers[1], 2, 10, QChar('0'))
      .arg(numbers[2], 3, 10, QChar('0'));
}

QString FileDateText() {
  return FileDateTextOf(ProgramFilePath());
}

QString FileDateTextOf(const QString& path) {
  const QFileInfo info(path);
  if (path.isEmpty() || !info.exists()) return {};
  const QDateTime modified = info.lastModified().toLocalTime();
  if (!modified.isValid()) return {};
  const QDate date = modified.date();
  if (date.year() < 1 || date.year() > 9998) return "01-01-0001";
  return date.toString("dd-MM-yyyy");
}

}  // namespace hb
