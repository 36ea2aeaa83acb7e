#include "app/projectlogic.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

#include "timereg/mainobj.h"
#include "util/conversions.h"
#include "util/formats.h"

namespace hb {

namespace {

constexpr qint64 kEndOfDaySeconds = 24 * 3600 - 1;

QString Pad2(qint64 value) { return QString::number(value).rightJustified(2, '0'); }

qint64 ToSeconds(double time) { return std::llround(time * 86400.0); }

// "H:MM" of a time of day in seconds; seconds are dropped.
QString SpinText(qint64 seconds) {
  const qint64 minutes = seconds / 60;
  return QString::number(minutes / 60) + ":" + Pad2(minutes % 60);
}

bool ReadCount(const QString& text, int& value) {
  const QString t = text.trimmed();
  if (t.isEmpty()) return false;
  for (const QChar c : t)
    if (!c.isDigit()) return false;
  bool ok = false;
  value = t.toInt(&ok);
  return ok && value >= 0;
}

}  // namespace

bool NormalizeTimeText(const QString& text, QString& result) {
  QString t = text.trimmed();
  bool pm = false;
  bool am = false;
  if (t.length() > 1 && t.contains("PM", Qt::CaseInsensitive)) {
    t.remove("PM", Qt::CaseInsensitive);
    pm = true;
  } else if (t.length() > 1 && t.contains("AM", Qt::CaseInsensitive)) {
    t.remove("AM", Qt::CaseInsensitive);
    am = true;
  }
  t = t.trimmed();
  if (t.isEmpty()) {
    if (pm || am) return false;  // "pm" alone says nothing about the time
    result = "00" + QString(FormatSettings().TimeSeparator) + "00";
    return true;
  }
  const QChar sep = FormatSettings().TimeSeparator;
  QString hourText;
  QString minuteText;
  if (!t.contains(sep)) {
    QString digits;
    for (const QChar c : t)
      if (c.isDigit()) digits += c;
    // At least one digit for the hours and one for the minutes.
    if (digits.size() < 2) return false;
    const int minuteDigits = digits.size() >= 3 ? 2 : 1;
    minuteText = digits.right(minuteDigits);
    const int hourDigits = std::min<int>(2, digits.size() - minuteDigits);
    hourText = digits.mid(digits.size() - minuteDigits - hourDigits, hourDigits);
  } else {
    const qsizetype at = t.indexOf(sep);
    hourText = t.left(at);
    minuteText = t.mid(at + 1);
  }
  int hours = 0;
  int minutes = 0;
  if (!ReadCount(hourText, hours) || !ReadCount(minuteText, minutes)) return false;
  // 12 pm is noon and 12 am midnight; other pm hours move to the afternoon.
  if (pm && hours < 12) hours += 12;
  if (am && hours == 12) hours = 0;
  if (hours > 23 || minutes > 59) return false;
  const QString normal = Pad2(hours) + sep + Pad2(minutes);
  try {
    if (ParseTime(normal) >= 1.0) return false;
  } catch (const EConvertError&) {
    return false;
  }
  result = normal;
  return true;
}

double FieldTime(const QString& text) { return TMainObj::TimeStrToTime(text); }

QString TimeFieldText(double time) {
  qint64 seconds = ToSeconds(time);
  if (seconds < 0) seconds = 0;
  if (seconds > kEndOfDaySeconds) seconds = kEndOfDaySeconds;
  const qint64 minutes = seconds / 60;
  return Pad2(minutes / 60) + FormatSettings().TimeSeparator + Pad2(minutes % 60);
}

QString DurationFieldText(double days) { return DurationText(days).rightJustified(5, '0'); }

QString PaddedResolutionText(const TMainObj& m) {
  return DurationFieldText(m.Resolution() / 1440.0);
}

namespace {

// A normalised text rounded to the nearest slot, as a time of day (at most the end of the
// day).
double RoundedTime(const TMainObj& m, const QString& normal) {
  const double rounded = m.RoundToTimeblock(0, ParseTime(normal));
  return std::min(rounded, kEndOfDaySeconds / 86400.0);
}

double FieldTimeOrZero(const QString& text) { return std::max(0.0, FieldTime(text)); }

}  // namespace

TTimeCheck LeaveTimeField(const TMainObj& m, TTimeFields& fields, bool isEnd) {
  QString& field = isEnd ? fields.End : fields.Start;
  QString normal;
  if (!NormalizeTimeText(field, normal)) return TTimeCheck::Invalid;
  field = TimeFieldText(RoundedTime(m, normal));
  const double start = FieldTimeOrZero(fields.Start);
  const double end = FieldTimeOrZero(fields.End);
  const QString duration = DurationFieldText(end - start);
  if (duration < PaddedResolutionText(m)) return TTimeCheck::BelowResolution;
  fields.Duration = duration;
  return TTimeCheck::Ok;
}

TTimeCheck LeaveDurationField(const TMainObj& m, TTimeFields& fields) {
  QString text = fields.Duration.trimmed();
  if (text.length() <= 2) text = "00" + text;
  QString normal;
  if (!NormalizeTimeText(text, normal)) return TTimeCheck::Invalid;
  const double duration = RoundedTime(m, normal);
  if (DurationFieldText(duration) < PaddedResolutionText(m)) return TTimeCheck::BelowResolution;
  const double start = FieldTimeOrZero(fields.Start);
  // A period stays within its day: the end stops at 23:59.
  const double end = std::min(start + duration, (kEndOfDaySeconds - 59) / 86400.0);
  fields.End = TimeFieldText(end);
  fields.Duration = DurationFieldText(FieldTimeOrZero(fields.End) - start);
  return TTimeCheck::Ok;
}

bool SpinStep(const TMainObj& m, TTimeFields& fields, TSpin which,
              const std::function<bool(double time)>& allowed) {
  const double startTime = FieldTime(fields.Start);
  const double endTime = FieldTime(fields.End);
  if (startTime < 0 || endTime < 0) return false;
  const qint64 start = ToSeconds(startTime);
  const qint64 end = ToSeconds(endTime);
  const qint64 step = m.Resolution() * 60;
  qint64 next = 0;
  qint64 check = 0;
  switch (which) {
    case TSpin::StartEarlier:
      next = std::max<qint64>(start - step, 0);
      if (next >= start) return false;
      check = next + 60;
      break;
    case TSpin::StartLater:
      next = std::min(start + step, end - step);
      if (next <= start) return false;
      check = next;
      break;
    case TSpin::EndEarlier:
      next = std::max(end - step, start + step);
      if (next >= end) return false;
      check = next;
      break;
    case TSpin::EndLater:
      next = std::min(end + step, kEndOfDaySeconds);
      if (next <= end) return false;
      check = next - 60;
      break;
  }
  const bool isStart = which == TSpin::StartEarlier || which == TSpin::StartLater;
  const QString text = SpinText(next);
  if (text == SpinText(isStart ? start : end)) return false;
  if (allowed && !allowed(check / 86400.0)) return false;
  (isStart ? fields.Start : fields.End) = text;
  // The duration between the texts as shown (whole minutes).
  const qint64 newStart = (isStart ? next : start) / 60;
  const qint64 newEnd = (isStart ? end : next) / 60;
  fields.Duration = DurationFieldText((newEnd - newStart) / 1440.0);
  return true;
}

QList<TBookPeriod> StopwatchPeriods(const TMainObj& m, double& start, double& stop) {
  const double step = m.Resolution() / 1440.0;
  const double minute = 1 / 1440.0;
  const double s = m.RoundToTimeblock(0, start);
  double e = m.RoundToTimeblock(0, stop);
  if (e - s < step - minute / 120) e = m.AddTimeblocks(1, e);
  start = s;
  stop = e;
  const TDayTime first = SplitMoment(s);
  const TDayTime last = SplitMoment(e);
  const auto at = [](qint64 day, int minuteOfDay) {
    return static_cast<double>(day) + minuteOfDay / 1440.0;
  };
  if (first.Day == last.Day) return {{s, e}};
  QList<TBookPeriod> periods{{s, at(first.Day, 23 * 60 + 59)}};
  if (last.MinuteOfDay() != 0 || last.Second != 0)
    periods.append({at(last.Day, 0), e});
  for (qint64 day = first.Day + 1; day < last.Day; ++day)
    periods.append({at(day, 0), at(day, 23 * 60 + 59)});
  return periods;
}

QString ShortDescription(const QStringList& abbreviations) {
  QString text;
  for (const QString& a : abbreviations) text += a + "/";
  if (text.endsWith('/')) text.chop(1);
  return text;
}

}  // namespace hb
