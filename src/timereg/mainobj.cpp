#include "timereg/mainobj.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

#include "platform/inifile.h"
#include "util/calendarfuncs.h"
#include "util/conversions.h"
#include "util/formats.h"
#include "util/pathcontext.h"

namespace hb {

namespace {

constexpr qint64 kMsecPerDay = 86400000;
const char* const kDefaultResolution = "0:15";

qint64 FloorDiv(qint64 a, qint64 b) {
  qint64 q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

// Day number plus a time of day in whole minutes (and seconds) as a moment; minutes
// outside one day carry into the date.
double BuildMoment(qint64 day, qint64 minuteOfDay, int second = 0) {
  day += FloorDiv(minuteOfDay, 1440);
  minuteOfDay -= FloorDiv(minuteOfDay, 1440) * 1440;
  return static_cast<double>(day) + (minuteOfDay * 60 + second) / 86400.0;
}

QString TwoDigits(int n) { return QString::number(n).rightJustified(2, '0'); }

}  // namespace

TDayTime SplitMoment(double moment) {
  TDayTime t;
  if (!std::isfinite(moment)) return t;
  const qint64 ms = std::llround(moment * kMsecPerDay);
  t.Day = FloorDiv(ms, kMsecPerDay);
  qint64 rest = ms - t.Day * kMsecPerDay;
  t.Msec = static_cast<int>(rest % 1000);
  rest /= 1000;
  t.Second = static_cast<int>(rest % 60);
  rest /= 60;
  t.Minute = static_cast<int>(rest % 60);
  t.Hour = static_cast<int>(rest / 60);
  return t;
}

TMainObj::TMainObj() { SetDisplayedDate(QDate::currentDate()); }

void TMainObj::Init() {
  ReadResolution(ProgramIni());
  SetDisplayedDate(QDate::currentDate());
}

void TMainObj::ReadResolution(const TIniFile& ini) {
  SetResolutionText(ini.ReadString("Grid", "Resolutie", kDefaultResolution));
}

// --- The displayed week ---------------------------------------------------------------------

void TMainObj::SetDisplayedDate(const QDate& date) {
  if (!date.isValid()) return;
  const QDate d = DayOfWeek(date) == 1 ? date.addDays(1) : date;
  displayedYear_ = IsoYear(d);
  displayedWeek_ = IsoWeek(d);
}

void TMainObj::SetDisplayedDate(double moment) { SetDisplayedDate(MomentToDate(moment)); }

void TMainObj::SetDisplayedWeek(int year, int week) {
  displayedYear_ = year;
  displayedWeek_ = std::clamp(week, 1, IsoWeeksInYear(year));
}

double TMainObj::WeekStart() const { return IsoWeekStartMoment(displayedYear_, displayedWeek_); }

int TMainObj::WeeksInYear() const { return IsoWeeksInYear(displayedYear_); }

// --- Resolution -----------------------------------------------------------------------------

void TMainObj::SetResolutionText(const QString& text) {
  QString t = text.trimmed();
  int minutes = -1;
  static const QRegularExpression bareNumber("^\\d{1,4}$");
  if (bareNumber.match(t).hasMatch()) {
    // A plain number is read as minutes, the unit of the setting.
    minutes = t.toInt();
    t = QString("%1:%2").arg(minutes / 60).arg(TwoDigits(minutes % 60));
  } else {
    const double time = TimeStrToTime(t);
    if (time >= 0) minutes = static_cast<int>(std::lround(time * 1440.0));
  }
  if (minutes < 0) {
    t = kDefaultResolution;
    minutes = 15;
  }
  if (minutes < 1) {
    t = "0:01";
    minutes = 1;
  } else if (minutes > 60) {
    // Larger slots would leave an hour without rows; an hour is the largest slot.
    t = "1:00";
    minutes = 60;
  }
  resolutionText_ = t;
  resolution_ = minutes;
}

// --- Slot arithmetic ------------------------------------------------------------------------

bool TMainObj::IsInPeriod(double upper, double lower, double moment) {
  return lower <= moment && moment < upper;
}

int TMainObj::DayColumn(double moment) {
  // Day 0 (30-12-1899) was a Saturday.
  const qint64 day = SplitMoment(moment).Day;
  return static_cast<int>(((day + 6) % 7 + 7) % 7);
}

int TMainObj::TimeToRow(bool isEnd, double moment) const {
  const TDayTime t = SplitMoment(moment);
  const int last = RowsPerDay() - 1;
  if (isEnd) {
    if (t.MinuteOfDay() >= 23 * 60 + 59) return last;
    if (t.MinuteOfDay() == 0 && t.Second == 0 && t.Msec == 0) return last;
  }
  int row = t.Hour * SlotsPerHour() + t.Minute / resolution_;
  if (isEnd) --row;
  return std::clamp(row, 0, last);
}

double TMainObj::TimeStrToTime(const QString& text) {
  QString t = text.trimmed();
  if (t.startsWith("24:")) t = "23:59:59";
  if (t.isEmpty()) return -1;
  try {
    return ParseTime(t);
  } catch (const EConvertError&) {
    return -1;
  }
}

QString TMainObj::RowToTimeStr(int row) const {
  row = std::clamp(row, 0, RowsPerDay());
  const int hours = row / SlotsPerHour();
  const int minutes = (row % SlotsPerHour()) * resolution_;
  const QString text = TwoDigits(hours) + ":" + TwoDigits(minutes);
  return text == "24:00" ? QString("23:59:59") : text;
}

double TMainObj::CellToDateTime(int row, int column) const {
  row = std::clamp(row, 0, RowsPerDay());
  const qint64 day = static_cast<qint64>(std::floor(WeekStart())) + column - 1;
  if (row == RowsPerDay()) return BuildMoment(day, 23 * 60 + 59);
  const int hours = row / SlotsPerHour();
  const int minutes = (row % SlotsPerHour()) * resolution_;
  return BuildMoment(day, hours * 60 + minutes);
}

double TMainObj::RoundToTimeblock(int mode, double moment) const {
  const TDayTime t = SplitMoment(moment);
  qint64 minutes = t.MinuteOfDay();
  const int res = resolution_;
  if (mode < 0) {
    minutes = (minutes / res) * res;
  } else if (mode == 0) {
    if (t.Second >= 30) ++minutes;
    minutes = static_cast<qint64>((minutes + res / 2.0) / res) * res;
  } else {
    const qint64 whole = minutes / res;
    minutes = whole * res + (minutes % res != 0 ? res : 0);
  }
  return BuildMoment(t.Day, minutes);
}

double TMainObj::AddTimeblocks(int count, double moment) const {
  const TDayTime t = SplitMoment(moment);
  qint64 minutes = t.MinuteOfDay() + (t.Second >= 30 ? 1 : 0);
  minutes += static_cast<qint64>(count) * resolution_;
  return BuildMoment(t.Day, minutes);
}

QString TMainObj::DateStrToSortKey(const QString& dateText) {
  double moment = 0;
  if (!ParseDate(dateText.trimmed(), moment)) return {};
  return FormatMoment("yyyymmdd", moment);
}

TMainObj& MainObj() {
  static TMainObj mainObj;
  return mainObj;
}

}  // namespace hb
