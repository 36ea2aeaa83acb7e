#include "util/formats.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cmath>

namespace hb {

namespace {

const char* const kShortMonths[] = {"jan", "feb", "mrt", "apr", "mei", "jun",
                                    "jul", "aug", "sep", "okt", "nov", "dec"};
const char* const kLongMonths[] = {"januari",   "februari", "maart",    "april",
                                   "mei",       "juni",     "juli",     "augustus",
                                   "september", "oktober",  "november", "december"};
const char* const kShortDays[] = {"zo", "ma", "di", "wo", "do", "vr", "za"};
const char* const kLongDays[] = {"zondag",    "maandag", "dinsdag", "woensdag",
                                 "donderdag", "vrijdag", "zaterdag"};

TFormatSettings MakeSettings(bool translate) {
  auto tr = [translate](const char* text) {
    return translate ? QCoreApplication::translate("Formats", text) : QString::fromUtf8(text);
  };
  TFormatSettings s;
  for (const char* m : kShortMonths) s.ShortMonthNames << tr(m);
  for (const char* m : kLongMonths) s.LongMonthNames << tr(m);
  for (const char* d : kShortDays) s.ShortDayNames << tr(d);
  for (const char* d : kLongDays) s.LongDayNames << tr(d);
  if (translate) {
    s.LongDateFormat = tr("dd-mmm-yyyy");
    s.ShortDateFormat = tr("dd-mm-yyyy");
    const QString sep = tr("-");
    if (!sep.isEmpty()) s.DateSeparator = sep[0];
  }
  return s;
}

TFormatSettings& Settings() {
  static TFormatSettings settings = MakeSettings(false);
  return settings;
}

const QDate kDayZero(1899, 12, 30);

// Splits a moment into its date and its time of day in milliseconds.
void SplitMoment(double moment, QDate& date, int& msecs) {
  double days = std::floor(moment);
  double fraction = moment - days;
  qint64 ms = static_cast<qint64>(std::llround(fraction * 86400000.0));
  if (ms >= 86400000) {
    ms -= 86400000;
    days += 1;
  }
  date = kDayZero.addDays(static_cast<qint64>(days));
  msecs = static_cast<int>(ms);
}

}  // namespace

const TFormatSettings& FormatSettings() {
  return Settings();
}

void InitFormats() {
  Settings() = MakeSettings(true);
}

QString DayName(int day, bool shortName) {
  if (day < 1 || day > 7) return {};
  const TFormatSettings& s = Settings();
  return (shortName ? s.ShortDayNames : s.LongDayNames).value(day - 1);
}

QString MonthName(int month, bool shortName) {
  if (month < 1 || month > 12) return {};
  const TFormatSettings& s = Settings();
  return (shortName ? s.ShortMonthNames : s.LongMonthNames).value(month - 1);
}

QString FormatMoment(const QString& format, double moment) {
  QDate date;
  int msecs = 0;
  SplitMoment(moment, date, msecs);
  const QTime time = QTime::fromMSecsSinceStartOfDay(msecs);
  const TFormatSettings& s = Settings();
  // When the format has an am/pm marker, hours are written 1..12.
  const bool twelveHour =
      format.contains("am/pm", Qt::CaseInsensitive) || format.contains("a/p", Qt::CaseInsensitive);
  QString out;
  bool lastWasHour = false;
  qsizetype i = 0;
  const qsizetype n = format.size();
  auto run = [&](QChar c) {
    qsizetype k = i;
    while (k < n && format[k].toLower() == c) ++k;
    return int(k - i);
  };
  while (i < n) {
    const QChar c = format[i];
    const QChar lc = c.toLower();
    if (c == '\'' || c == '"') {
      qsizetype end = format.indexOf(c, i + 1);
      if (end < 0) end = n;
      out += format.mid(i + 1, end - i - 1);
      i = end + 1;
      continue;
    }
    if (format.mid(i, 5).compare("am/pm", Qt::CaseInsensitive) == 0) {
      out += time.hour() < 12 ? "am" : "pm";
      i += 5;
      continue;
    }
    if (format.mid(i, 3).compare("a/p", Qt::CaseInsensitive) == 0) {
      out += time.hour() < 12 ? "a" : "p";
      i += 3;
      continue;
    }
    int len = run(lc);
    switch (lc.unicode()) {
      case 'd':
        if (len >= 6) {
          out += FormatMoment(s.LongDateFormat, std::floor(moment));
          len = 6;
        } else if (len == 5) {
          out += FormatMoment(s.ShortDateFormat, std::floor(moment));
        } else if (len == 4) {
          out += DayName(date.dayOfWeek() % 7 + 1, false);
        } else if (len == 3) {
          out += DayName(date.dayOfWeek() % 7 + 1, true);
        } else {
          out += QString::number(date.day()).rightJustified(len, '0');
        }
        lastWasHour = false;
        break;
      case 'm':
        if (lastWasHour && len <= 2) {
          out += QString::number(time.minute()).rightJustified(len, '0');
        } else if (len >= 4) {
          out += MonthName(date.month(), false);
          len = 4;
        } else if (len == 3) {
          out += MonthName(date.month(), true);
        } else {
          out += QString::number(date.month()).rightJustified(len, '0');
        }
        lastWasHour = false;
        break;
      case 'y':
        if (len <= 2) {
          out += QString::number(date.year() % 100).rightJustified(2, '0');
        } else {
          out += QString::number(date.year()).rightJustified(4, '0');
        }
        lastWasHour = false;
        break;
      case 'h': {
        len = qMin(len, 2);
        int h = time.hour();
        if (twelveHour) h = h % 12 == 0 ? 12 : h % 12;
        out += QString::number(h).rightJustified(len, '0');
        lastWasHour = true;
        break;
      }
      case 'n':
        len = qMin(len, 2);
        out += QString::number(time.minute()).rightJustified(len, '0');
        lastWasHour = false;
        break;
      case 's':
        len = qMin(len, 2);
        out += QString::number(time.second()).rightJustified(len, '0');
        lastWasHour = false;
        break;
      case 'z':
        len = len >= 3 ? 3 : 1;
        out += QString::number(time.msec()).rightJustified(len, '0');
        break;
      case '/':
      case '-':
        out += s.DateSeparator;
        len = 1;
        break;
      case ':':
        out += s.TimeSeparator;
        len = 1;
        break;
      default:
        out += c;
        len = 1;
        break;
    }
    i += len;
  }
  return out;
}

QString DateText(double moment) {
  return FormatMoment(Settings().ShortDateFormat, moment);
}

bool ParseDate(const QString& text, double& moment) {
  QString t = text.trimmed();
  for (QChar sep : {QChar('/'), QChar('.'), QChar(' '), Settings().DateSeparator}) {
    t.replace(sep, '-');
  }
  const QStringList parts = t.split('-', Qt::SkipEmptyParts);
  if (parts.size() < 2 || parts.size() > 3) return false;
  int values[3] = {0, 0, 0};
  for (int i = 0; i < parts.size(); ++i) {
    bool ok = false;
    values[i] = parts[i].toInt(&ok);
    if (!ok || parts[i].startsWith('-') || parts[i].startsWith('+')) return false;
  }
  const QDate today = QDate::currentDate();
  int year = today.year();
  if (parts.size() == 3) {
    year = values[2];
    if (parts[2].size() <= 2) {
      // Two digits: the year within fifty years of today.
      int candidate = today.year() / 100 * 100 + year;
      if (candidate > today.year() + 49) candidate -= 100;
      if (candidate < today.year() - 50) candidate += 100;
      year = candidate;
    }
  }
  const QDate date(year, values[1], values[0]);
  if (!date.isValid() || year < 1 || year > 9999) return false;
  moment = static_cast<double>(kDayZero.daysTo(date));
  return true;
}

}  // namespace hb
