// Calendar functions: ISO 8601 weeks, Easter Sunday, month lengths, and the conversions
// between Qt dates and moments (days since 30-12-1899, time of day as the fraction).
//
// Day-of-week numbers follow two conventions: DayOfWeek() counts Sunday = 1 ... Saturday = 7,
// IsoDayOfWeek() counts Monday = 1 ... Sunday = 7.
//
//   IsoWeek(QDate(2004, 12, 31)) == 53, IsoYear(...) == 2004
//   IsoWeek(QDate(2008, 12, 29)) == 1,  IsoYear(...) == 2009
//   Week1Start(2009)             == QDate(2008, 12, 29)
//   IsoWeekStart(2004, 53)       == QDate(2004, 12, 27)   (the Monday)
//   IsoWeeksInYear(2004)         == 53
//   EasterSunday(2005)           == QDate(2005, 3, 27); invalid outside 1901..2099
//   SameDayPreviousMonth(QDate(2005, 3, 31)) == QDate(2005, 2, 28)
//
// Every function that takes a QDate returns an invalid QDate (or 0) for an invalid one.
#pragma once

#include <QDate>
#include <QDateTime>

namespace hb {

// Whole days of the date as a moment (time 00:00); 0 for an invalid date.
double DateToMoment(const QDate& date);
// The calendar day of a moment (rounded to the millisecond first, so 0.9999999999 is day 1).
QDate MomentToDate(double moment);
// Local date and time as a moment; 0 for an invalid value.
double DateTimeToMoment(const QDateTime& dateTime);
// A moment as local date and time, to the nearest millisecond.
QDateTime MomentToDateTime(double moment);

// Gregorian rule: divisible by 4, century years only when divisible by 400.
bool IsLeapYear(int year);
// 28..31; 0 for a month outside 1..12.
int DaysInMonth(int year, int month);
QDate FirstDayOfMonth(const QDate& date);
QDate LastDayOfMonth(const QDate& date);
// The day with the same number in the previous month, lowered to that month's last day.
QDate SameDayPreviousMonth(const QDate& date);
// The date moved by whole months (negative: back), the day lowered to the target month's
// length; 29 February moved by twelve months gives 28 February.
QDate AddMonthsClamped(const QDate& date, int months);

// Sunday 1 ... Saturday 7.
int DayOfWeek(const QDate& date);
// Monday 1 ... Sunday 7.
int IsoDayOfWeek(const QDate& date);
// The Monday and the Sunday of the ISO week holding the date.
QDate WeekStart(const QDate& date);
QDate WeekEnd(const QDate& date);

// The Monday of ISO week 1 of the year (the week holding the year's first Thursday).
QDate Week1Start(int year);
// The Monday of ISO week `week` of ISO year `year`.
QDate IsoWeekStart(int year, int week);
int IsoYear(const QDate& date);
int IsoWeek(const QDate& date);
// Weeks of ISO year `year`: 52 or 53.
int IsoWeeksInYear(int year);
// Weeks of the calendar year the date lies in: 52 or 53.
int WeeksInYearOf(const QDate& date);

// The same functions on moments. The time of day is ignored; moments returned are whole
// days (00:00), and 0 stands for no date.
int IsoYear(double moment);
int IsoWeek(double moment);
double IsoWeekStartMoment(int year, int week);
int WeeksInYearOf(double moment);
int DayOfWeek(double moment);
int IsoDayOfWeek(double moment);
double WeekStart(double moment);
double WeekEnd(double moment);
double FirstDayOfMonth(double moment);
double LastDayOfMonth(double moment);
double SameDayPreviousMonth(double moment);

// First and last year for which Easter Sunday is computed.
inline constexpr int kEasterFirstYear = 1901;
inline constexpr int kEasterLastYear = 2099;
// Easter Sunday by the Gregorian computus; an invalid date outside the years above.
QDate EasterSunday(int year);
// The same as a moment; 0 (no date) outside the years above.
double EasterSundayMoment(int year);

}  // namespace hb
