// The program's own date formats and month and day names.
//
// The program does not follow the desktop's regional settings: at start InitFormats() sets
// the date separator "-", the short date format "dd-mm-yyyy", the long date format
// "dd-mmm-yyyy", the time separator ":" and the Dutch month and day names; each text goes
// through the translation catalogue (context "Formats") installed at that moment, so a
// language that is active at start may replace them. They do not change afterwards.
//
//   FormatMoment("dd-mmm-yyyy hh:nn", m)   Delphi-style date-time format: d dd ddd dddd
//                                           ddddd dddddd (short, long date) m mm mmm mmmm yy yyyy h
//                                           hh n nn s ss z zzz am/pm, "-"/"/" the date separator,
//                                           ":" the time separator, '...' and "..." literal.
//                                           "m" right after an "h" means minutes.
//   DateText(m)                             FormatMoment of the short date format.
//   ParseDate("31-1-05", m)                 day-month-year with "-", "/", "." or " " between;
//                                           without a year the current year; two-digit years
//                                           fall in the 100 years around today (-50 .. +49).
//   DayName(1, false) == "zondag"           Sunday is 1; empty outside 1..7.
#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

namespace hb {

struct TFormatSettings {
  QChar DateSeparator = '-';
  QChar TimeSeparator = ':';
  QString ShortDateFormat = "dd-mm-yyyy";
  QString LongDateFormat = "dd-mmm-yyyy";
  QStringList ShortMonthNames;  // January first
  QStringList LongMonthNames;
  QStringList ShortDayNames;  // Sunday first
  QStringList LongDayNames;
};

// The settings; built-in Dutch texts until InitFormats runs.
const TFormatSettings& FormatSettings();
void InitFormats();

QString DayName(int day, bool shortName);
// January is 1; empty outside 1..12.
QString MonthName(int month, bool shortName);

QString FormatMoment(const QString& format, double moment);
QString DateText(double moment);
bool ParseDate(const QString& text, double& moment);

}  // namespace hb
