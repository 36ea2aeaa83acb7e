// Rules of the month calendar that need no widgets: where the days of a month stand in the
// seven-by-seven grid, how setting or stepping the date works, which days are holidays and
// how a cell is coloured. The calendar widgets (calendar.h, calendargrid.h) apply them.
//
// Grid: row 0 holds the short day names, rows 1..6 the days of the month; column 0 is the
// weekday StartOfWeek (0 = Sunday ... 6 = Saturday). Day 1 stands in row 1, column
// (weekday of the 1st - StartOfWeek) mod 7; the other days follow row by row.
//
//   CalendarDayAt(QDate(2005, 5, 18), 0, 0, 1) == 1      (1 May 2005 is a Sunday)
//   CalendarSundayColumn(1) == 6
//   BuiltInHolidayName(QDate(2005, 5, 5)) == "Hemelvaartsdag"
//   StepCalendarMonths(QDate(2005, 1, 31), 1) == QDate(2005, 2, 28)
#pragma once

#include <QColor>
#include <QDate>
#include <QString>
#include <functional>

namespace hb {

// Replaces the built-in holiday list: sets sHoliDay to the name of the holiday on DT, or
// leaves it empty when DT is no holiday. sHoliDay is empty on entry.
using TCheckHolidayEvent =
    std::function<void(const QDate& DT, int AYear, int AMonth, int ADay, QString& sHoliDay)>;

// ---- Layout of a month ----------------------------------------------------------------

inline constexpr int kCalendarColumns = 7;
inline constexpr int kCalendarRows = 7;

// The column of the 1st of the date's month.
int CalendarFirstColumn(const QDate& date, int startOfWeek);
// The day number shown in a cell for the date's month; 0 for the heading row, empty cells
// and cells outside the grid.
int CalendarDayAt(const QDate& date, int startOfWeek, int column, int row);
// The cell that shows a day of the date's month; false when the month has no such day.
bool CalendarCellOfDay(const QDate& date, int startOfWeek, int day, int& column, int& row);
// The column that shows Sundays.
int CalendarSundayColumn(int startOfWeek);
// The weekday of a heading column, Sunday 1 ... Saturday 7 (for DayName).
int CalendarHeadingDay(int startOfWeek, int column);

// ---- Changing the date ----------------------------------------------------------------
// Each returns the new date, or an invalid date when the change is to be ignored.

// Ignored below 1, above 9999 and when unchanged; 29 February becomes 28 February in a
// year that is not a leap year.
QDate CalendarDateWithYear(const QDate& date, int year);
// Ignored below 1, above 12 and when unchanged; the day is lowered to the month's length.
QDate CalendarDateWithMonth(const QDate& date, int month);
// Ignored below 1, above the length of the date's month and when unchanged.
QDate CalendarDateWithDay(const QDate& date, int day);
// Whole months forwards or back; the day is lowered to the target month's length, and a
// year step from 29 February lands on 28 February. Invalid outside the years 1..9999.
QDate StepCalendarMonths(const QDate& date, int months);

// ---- Holidays -------------------------------------------------------------------------

// The built-in (Dutch) holiday on the date, as a translated text; empty for other days.
// The Easter-based days count only in the years that Easter Sunday is computed for.
QString BuiltInHolidayName(const QDate& date);
// The holiday test: the handler when one is set (and nothing else), otherwise the
// built-in list. An invalid date is never a holiday and is not passed to the handler.
bool CheckHoliday(const QDate& date, const TCheckHolidayEvent& handler, QString& name);

// ---- Drawing one cell -----------------------------------------------------------------

struct TCalendarCellStyle {
  QColor Color;
  bool Bold = false;
};

// The text colour and weight of a cell: white when selected, black otherwise; a holiday
// (only tested with ShowHolidays) takes HolidayColor unless selected and is bold; other
// cells of the Sunday column, heading included, take SundayColor unless selected.
TCalendarCellStyle CalendarCellStyle(int column, bool selected, bool holiday, int startOfWeek,
                                     const QColor& holidayColor, const QColor& sundayColor);

}  // namespace hb
