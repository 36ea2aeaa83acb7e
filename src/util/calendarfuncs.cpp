#include "util/calendarfuncs.h"

#include <QTime>
#include <cmath>

namespace hb {

namespace {

const QDate kDayZero(1899, 12, 30);
constexpr qint64 kMsPerDay = 86400000;

// Splits a moment into whole days and milliseconds of the day, rounding to the millisecond
// so that a moment a hair below midnight belongs to the next day.
void SplitMoment(double moment, qint64& days, qint64& ms) {
  double whole = std::floor(moment);
  ms = std::llround((moment - whole) * double(kMsPerDay));
  days = static_cast<qint64>(whole);
  if (ms >= kMsPerDay) {
    ms -= kMsPerDay;
    ++days;
  }
}

}  // namespace

double DateToMoment(const QDate& date) {
  if (!date.isValid()) return 0;
  return static_cast<double>(kDayZero.daysTo(date));
}

QDate MomentToDate(double moment) {
  if (!std::isfinite(moment)) return QDate();
  qint64 days, ms;
  SplitMoment(moment, days, ms);
  return kDayZero.addDays(days);
}

double DateTimeToMoment(const QDateTime& dateTime) {
  if (!dateTime.isValid()) return 0;
  return DateToMoment(dateTime.date()) +
         static_cast<double>(dateTime.time().msecsSinceStartOfDay()) / double(kMsPerDay);
}

QDateTime MomentToDateTime(double moment) {
  if (!std::isfinite(moment)) return QDateTime();
  qint64 days, ms;
  SplitMoment(moment, days, ms);
  return QDateTime(kDayZero.addDays(days), QTime::fromMSecsSinceStartOfDay(int(ms)));
}

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static const int kLengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  if (month == 2 && IsLeapYear(year)) return 29;
  return kLengths[month - 1];
}

QDate FirstDayOfMonth(const QDate& date) {
  if (!date.isValid()) return QDate();
  return QDate(date.year(), date.month(), 1);
}

QDate LastDayOfMonth(const QDate& date) {
  if (!date.isValid()) return QDate();
  return QDate(date.year(), date.month(), DaysInMonth(date.year(), date.month()));
}

QDate AddMonthsClamped(const QDate& date, int months) {
  if (!date.isValid()) return QDate();
  // Month index counted from year 0 so that the year follows across January and December.
  const qint64 index = qint64(date.year()) * 12 + (date.month() - 1) + months;
  const int year = int(index >= 0 ? index / 12 : (index - 11) / 12);
  const int month = int(index - qint64(year) * 12) + 1;
  const int day = std::min(date.day(), DaysInMonth(year, month));
  return QDate(year, month, day);
}

QDate SameDayPreviousMonth(const QDate& date) {
  return AddMonthsClamped(date, -1);
}

int DayOfWeek(const QDate& date) {
  if (!date.isValid()) return 0;
  return date.dayOfWeek() % 7 + 1;
}

int IsoDayOfWeek(const QDate& date) {
  if (!date.isValid()) return 0;
  return date.dayOfWeek();
}

QDate WeekStart(const QDate& date) {
  if (!date.isValid()) return QDate();
  return date.addDays(1 - IsoDayOfWeek(date));
}

QDate WeekEnd(const QDate& date) {
  if (!date.isValid()) return QDate();
  return date.addDays(7 - IsoDayOfWeek(date));
}

QDate Week1Start(int year) {
  // 1 January + 4 - day-of-week(3 January), Sunday counting 1: the Monday on or before
  // 4 January, which always lies in week 1.
  const QDate jan1(year, 1, 1);
  if (!jan1.isValid()) return QDate();
  return jan1.addDays(4 - DayOfWeek(jan1.addDays(2)));
}

QDate IsoWeekStart(int year, int week) {
  const QDate start = Week1Start(year);
  if (!start.isValid()) return QDate();
  return start.addDays(7 * qint64(week) - 7);
}

int IsoYear(const QDate& date) {
  if (!date.isValid()) return 0;
  const int y = date.year();
  if (date >= Week1Start(y + 1)) return y + 1;
  if (date < Week1Start(y)) return y - 1;
  return y;
}

int IsoWeek(const QDate& date) {
  if (!date.isValid()) return 0;
  if (date >= Week1Start(date.year() + 1)) return 1;
  return int(Week1Start(IsoYear(date)).daysTo(date) / 7) + 1;
}

int IsoWeeksInYear(int year) {
  return IsoWeek(Week1Start(year + 1).addDays(-1));
}

int WeeksInYearOf(const QDate& date) {
  if (!date.isValid()) return 0;
  return IsoWeeksInYear(date.year());
}

int IsoYear(double moment) {
  return IsoYear(MomentToDate(moment));
}

int IsoWeek(double moment) {
  return IsoWeek(MomentToDate(moment));
}

double IsoWeekStartMoment(int year, int week) {
  return DateToMoment(IsoWeekStart(year, week));
}

int WeeksInYearOf(double moment) {
  return WeeksInYearOf(MomentToDate(moment));
}

int DayOfWeek(double moment) {
  return DayOfWeek(MomentToDate(moment));
}

int IsoDayOfWeek(double moment) {
  return IsoDayOfWeek(MomentToDate(moment));
}

double WeekStart(double moment) {
  return DateToMoment(WeekStart(MomentToDate(moment)));
}

double WeekEnd(double moment) {
  return DateToMoment(WeekEnd(MomentToDate(moment)));
}

double FirstDayOfMonth(double moment) {
  return DateToMoment(FirstDayOfMonth(MomentToDate(moment)));
}

double LastDayOfMonth(double moment) {
  return DateToMoment(LastDayOfMonth(MomentToDate(moment)));
}

double SameDayPreviousMonth(double moment) {
  return DateToMoment(SameDayPreviousMonth(MomentToDate(moment)));
}

QDate EasterSunday(int year) {
  if (year < kEasterFirstYear || year > kEasterLastYear) return QDate();
  // Anonymous Gregorian computus (Meeus/Jones/Butcher).
  const int a = year % 19;
  const int b = year / 100;
  const int c = year % 100;
  const int d = b / 4;
  const int e = b % 4;
  const int f = (b + 8) / 25;
  const int g = (b - f + 1) / 3;
  const int h = (19 * a + b - d - g + 15) % 30;
  const int i = c / 4;
  const int k = c % 4;
  const int l = (32 + 2 * e + 2 * i - h - k) % 7;
  const int m = (a + 11 * h + 22 * l) / 451;
  const int month = (h + l - 7 * m + 114) / 31;
  const int day = (h + l - 7 * m + 114) % 31 + 1;
  return QDate(year, month, day);
}

double EasterSundayMoment(int year) {
  return DateToMoment(EasterSunday(year));
}

}  // namespace hb
