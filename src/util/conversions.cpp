#include "util/conversions.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

#include "util/formats.h"

namespace hb {

QString DateTimeToStamp(double moment) {
  // Halves round away from zero, so that moments before the epoch round like those after
  // it and a stamp read back gives the same stamp.
  const qint64 seconds = static_cast<qint64>(std::round((moment - kEpoch) * 86400.0));
  return QString::number(seconds).rightJustified(12, ' ');
}

QString DateTimeToStamp(double moment, bool emptyForEpoch, bool emptyForZero) {
  if (emptyForEpoch && moment == kEpoch) return {};
  if (emptyForZero && moment == 0.0) return {};
  return DateTimeToStamp(moment);
}

double StampToDateTime(const QString& stamp) {
  QString digits = stamp;
  digits.remove(' ');
  bool ok = false;
  const int n = digits.toInt(&ok);
  if (!ok || n == 0) return kEpoch;
  return kEpoch + n / 86400.0;
}

double StampToDateTime(const QString& stamp, bool zeroForEpoch) {
  const double moment = StampToDateTime(stamp);
  return zeroForEpoch && moment == kEpoch ? 0.0 : moment;
}

QString DurationText(double days, bool systemSeparator) {
  QString sign;
  if (days < 0) {
    sign = "-";
    days = -days;
  }
  const qint64 minutes = static_cast<qint64>(std::trunc(days * 1440.0 + 0.5));
  const qint64 hours = minutes / 60;
  const qint64 rest = minutes % 60;
  if (hours == 0 && rest == 0) sign.clear();
  const QString separator = systemSeparator ? QString(FormatSettings().TimeSeparator) : ":";
  return sign + QString::number(hours) + separator + QString::number(rest).rightJustified(2, '0');
}

namespace {

// Reads a time written with the given separator; false when the text is no valid time.
bool ReadTime(const QString& text, QChar separator, double& result) {
  QString t = text.trimmed();
  int half = 0;  // 1 am, 2 pm
  static const QRegularExpression ampm("\\s*([ap])m$", QRegularExpression::CaseInsensitiveOption);
  QRegularExpressionMatch m = ampm.match(t);
  if (m.hasMatch() && m.capturedStart() > 0) {
    half = m.captured(1).toLower() == "a" ? 1 : 2;
    t = t.left(m.capturedStart()).trimmed();
  }
  const QStringList parts = t.split(separator);
  if (parts.isEmpty() || parts.size() > 3) return false;
  int values[3] = {0, 0, 0};
  for (int i = 0; i < parts.size(); ++i) {
    const QString p = parts[i].trimmed();
    if (p.isEmpty() || p.size() > 2) return false;
    bool ok = false;
    values[i] = p.toInt(&ok);
    if (!ok || values[i] < 0 || p.startsWith('+') || p.startsWith('-')) return false;
  }
  int h = values[0];
  if (half != 0) {
    if (h < 1 || h > 12) return false;
    if (half == 1 && h == 12) h = 0;
    if (half == 2 && h != 12) h += 12;
  }
  if (h > 23 || values[1] > 59 || values[2] > 59) return false;
  result = (h * 3600 + values[1] * 60 + values[2]) / 86400.0;
  return true;
}

}  // namespace

double ParseTime(const QString& text) {
  if (text.startsWith("24:00")) return 1.0;
  const QChar sep = FormatSettings().TimeSeparator;
  double result = 0;
  if (ReadTime(text, sep, result)) return result;
  QString second = text;
  if (!second.contains(':')) {
    second.replace('.', ':');
  } else {
    second.replace(':', '.');
  }
  if (ReadTime(second, sep, result)) return result;
  throw EConvertError(QString("'%1' is not a valid time").arg(text));
}

double ParseDecimal(const QString& text, double def) {
  auto read = [](const QString& t, double& value) {
    bool ok = false;
    value = t.trimmed().toDouble(&ok);
    return ok && std::isfinite(value);
  };
  double value = 0;
  if (read(text, value)) return value;
  QString second = text;
  const qsizetype comma = second.indexOf(',');
  if (comma >= 0) {
    second[comma] = '.';
    if (read(second, value)) return value;
  }
  return def;
}

}  // namespace hb
