#include "app/converter.h"

#include <QLocale>
#include <cmath>

#include "util/conversions.h"
#include "util/formats.h"

namespace hb {

namespace {

// 01-01-0001 and the day after 31-12-9999: the moments that are dates.
constexpr double kFirstDay = -693593.0;
constexpr double kPastLastDay = 2958466.0;

bool IsDate(double moment) {
  return std::isfinite(moment) && moment >= kFirstDay && moment < kPastLastDay;
}

QLocale NumberLocale() {
  QLocale locale;
  locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
  return locale;
}

// The stamp of a moment; false when the seconds do not fit the stamp's 12 characters.
bool StampOf(double moment, QString& stamp) {
  if (!std::isfinite(moment)) return false;
  const double seconds = std::round((moment - kEpoch) * 86400.0);
  if (seconds > 999999999999.0 || seconds < -99999999999.0) return false;
  stamp = DateTimeToStamp(moment);
  return true;
}

QString DateOf(double moment) {
  return IsDate(moment) ? DateText(moment) : QString();
}

QString TimeOf(double moment) {
  return IsDate(moment) ? FormatMoment("hh:mm", moment) : QString("00:00");
}

void UpdateLabel(TConverterTexts& texts) {
  const double moment = StampToDateTime(texts.Timestamp);
  texts.Label = IsDate(moment) ? FormatMoment("dd-mm-yyyy hh:mm:ss", moment) : QString();
}

}  // namespace

bool FormatDayNumber(double moment, QString& text) {
  if (!std::isfinite(moment)) return false;
  const QLocale locale = NumberLocale();
  QString t = locale.toString(moment, 'f', 8);
  const QString point = locale.decimalPoint();
  if (t.contains(point)) {
    while (t.endsWith('0')) t.chop(1);
    if (t.endsWith(point)) t.chop(point.size());
  }
  if (t == "-0") t = "0";
  text = t;
  return true;
}

bool ReadDayNumber(const QString& text, double& moment) {
  bool ok = false;
  const double value = NumberLocale().toDouble(text.trimmed(), &ok);
  if (!ok || !std::isfinite(value)) return false;
  moment = value;
  return true;
}

void ConvertFromTimestamp(TConverterTexts& texts) {
  const double moment = StampToDateTime(texts.Timestamp);
  if (!FormatDayNumber(moment, texts.DateTime)) texts.DateTime.clear();
  texts.Date = DateOf(moment);
  texts.Time = TimeOf(moment);
  UpdateLabel(texts);
}

void ConvertFromDateTime(TConverterTexts& texts) {
  double moment = 0;
  const bool read = ReadDayNumber(texts.DateTime, moment);
  if (!read || !StampOf(moment, texts.Timestamp)) texts.Timestamp.clear();
  // Day 0 stands for "no date".
  texts.Date = read && moment != 0 ? DateOf(moment) : QString();
  texts.Time = read ? TimeOf(moment) : QString("00:00");
  UpdateLabel(texts);
}

void ConvertFromDateAndTime(TConverterTexts& texts) {
  double time = 0;
  try {
    time = ParseTime(texts.Time);
  } catch (const EConvertError&) {
    time = 0;
  }
  // An empty or unreadable date counts as day 0 (30-12-1899).
  double date = 0;
  if (!ParseDate(texts.Date, date)) date = 0;
  const double moment = date + time;
  if (!StampOf(moment, texts.Timestamp)) texts.Timestamp.clear();
  if (!FormatDayNumber(moment, texts.DateTime)) texts.DateTime.clear();
  UpdateLabel(texts);
}

}  // namespace hb
