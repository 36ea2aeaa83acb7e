#include "controls/calendarrules.h"

#include <QCoreApplication>
#include <QtGlobal>
#include <algorithm>

#include "util/calendarfuncs.h"

namespace hb {

namespace {

constexpr int kMaxYear = 9999;

bool InYearRange(const QDate& date) {
  return date.isValid() && date.year() >= 1 && date.year() <= kMaxYear;
}

// Weekday counted from Sunday = 0.
int SundayBasedDay(const QDate& date) {
  return date.dayOfWeek() % 7;
}

struct THolidayRule {
  int month;         // fixed day: month and day; Easter-based: 0
  int day;           // or the offset from Easter Sunday
  const char* name;  // translated in context "TColorCalendar"
};

const THolidayRule kHolidays[] = {
    {1, 1, QT_TRANSLATE_NOOP("TColorCalendar", "Nieuwjaarsdag")},
    {12, 25, QT_TRANSLATE_NOOP("TColorCalendar", "1e Kerstdag")},
    {12, 26, QT_TRANSLATE_NOOP("TColorCalendar", "2e Kerstdag")},
    {0, 0, QT_TRANSLATE_NOOP("TColorCalendar", "1e Paasdag")},
    {0, 1, QT_TRANSLATE_NOOP("TColorCalendar", "2e Paasdag")},
    {0, 39, QT_TRANSLATE_NOOP("TColorCalendar", "Hemelvaartsdag")},
    {0, 49, QT_TRANSLATE_NOOP("TColorCalendar", "1e Pinksterdag")},
    {0, 50, QT_TRANSLATE_NOOP("TColorCalendar", "2e Pinksterdag")},
};

}  // namespace

int CalendarFirstColumn(const QDate& date, int startOfWeek) {
  if (!date.isValid()) return 0;
  const QDate first(date.year(), date.month(), 1);
  return ((SundayBasedDay(first) - startOfWeek) % 7 + 7) % 7;
}

int CalendarDayAt(const QDate& date, int startOfWeek, int column, int row) {
  if (!date.isValid() || row < 1 || row >= kCalendarRows || column < 0 ||
      column >= kCalendarColumns)
    return 0;
  const int day =
      (row - 1) * kCalendarColumns + column - CalendarFirstColumn(date, startOfWeek) + 1;
  if (day < 1 || day > date.daysInMonth()) return 0;
  return day;
}

bool CalendarCellOfDay(const QDate& date, int startOfWeek, int day, int& column, int& row) {
  if (!date.isValid() || day < 1 || day > date.daysInMonth()) return false;
  const int index = CalendarFirstColumn(date, startOfWeek) + day - 1;
  column = index % kCalendarColumns;
  row = index / kCalendarColumns + 1;
  return true;
}

int CalendarSundayColumn(int startOfWeek) {
  return ((7 - startOfWeek) % 7 + 7) % 7;
}

int CalendarHeadingDay(int startOfWeek, int column) {
  return ((startOfWeek + column) % 7 + 7) % 7 + 1;
}

QDate CalendarDateWithYear(const QDate& date, int year) {
  if (!date.isValid() || year < 1 || year > kMaxYear || year == date.year()) return QDate();
  return QDate(year, date.month(), std::min(date.day(), DaysInMonth(year, date.month())));
}

QDate CalendarDateWithMonth(const QDate& date, int month) {
  if (!date.isValid() || month < 1 || month > 12 || month == date.month()) return QDate();
  return QDate(date.year(), month, std::min(date.day(), DaysInMonth(date.year(), month)));
}

QDate CalendarDateWithDay(const QDate& date, int day) {
  if (!date.isValid() || day < 1 || day > date.daysInMonth() || day == date.day()) return QDate();
  return QDate(date.year(), date.month(), day);
}

QDate StepCalendarMonths(const QDate& date, int months) {
  const QDate result = AddMonthsClamped(date, months);
  return InYearRange(result) ? result : QDate();
}

QString BuiltInHolidayName(const QDate& date) {
  if (!date.isValid()) return QString();
  const QDate easter = EasterSunday(date.year());
  QString name;
  // Every matching rule names the day; the last match wins (the rules cannot coincide).
  for (const THolidayRule& rule : kHolidays) {
    const bool match = rule.month != 0 ? date.month() == rule.month && date.day() == rule.day
                                       : easter.isValid() && easter.daysTo(date) == rule.day;
    if (match) name = QCoreApplication::translate("TColorCalendar", rule.name);
  }
  return name;
}

bool CheckHoliday(const QDate& date, const TCheckHolidayEvent& handler, QString& name) {
  name.clear();
  if (!date.isValid()) return false;
  if (handler) {
    handler(date, date.year(), date.month(), date.day(), name);
  } else {
    name = BuiltInHolidayName(date);
  }
  return !name.isEmpty();
}

TCalendarCellStyle CalendarCellStyle(int column, bool selected, bool holiday, int startOfWeek,
                                     const QColor& holidayColor, const QColor& sundayColor) {
  TCalendarCellStyle style;
  style.Color = selected ? QColor(Qt::white) : QColor(Qt::black);
  if (holiday) {
    if (!selected) style.Color = holidayColor;
    style.Bold = true;
  } else if (column == CalendarSundayColumn(startOfWeek) && !selected) {
    style.Color = sundayColor;
  }
  return style;
}

}  // namespace hb
