#include "controls/calendarrules.h"

#include <gtest/gtest.h>

#include <QDate>
#include <vector>

#include "util/calendarfuncs.h"

namespace {

std::string Iso(const QDate& d) {
  return d.toString(Qt::ISODate).toStdString();
}

TEST(CalendarRules, BuiltInHolidays) {
  const struct {
    QDate date;
    const char* name;
  } cases[] = {
      {QDate(2005, 1, 1), "Nieuwjaarsdag"},
      {QDate(2005, 12, 25), "1e Kerstdag"},
      {QDate(2005, 12, 26), "2e Kerstdag"},
      {QDate(2005, 3, 27), "1e Paasdag"},
      {QDate(2005, 3, 28), "2e Paasdag"},
      {QDate(2005, 5, 5), "Hemelvaartsdag"},
      {QDate(2005, 5, 15), "1e Pinksterdag"},
      {QDate(2005, 5, 16), "2e Pinksterdag"},
      {QDate(2011, 4, 24), "1e Paasdag"},
      {QDate(2011, 6, 2), "Hemelvaartsdag"},
      {QDate(2005, 3, 26), ""},
      {QDate(2005, 5, 4), ""},
      {QDate(2005, 12, 27), ""},
      {QDate(2005, 12, 31), ""},
      {QDate(1900, 1, 1), "Nieuwjaarsdag"},
      {QDate(2100, 12, 26), "2e Kerstdag"},
      // Easter Sunday of 1900 and 2100 fall on 15 April and 28 March: not computed there.
      {QDate(1900, 4, 15), ""},
      {QDate(2100, 3, 28), ""},
      {QDate(2100, 3, 29), ""},
      {QDate(2100, 5, 6), ""},
  };
  for (const auto& c : cases) {
    QString name;
    EXPECT_EQ(hb::CheckHoliday(c.date, nullptr, name), *c.name != 0) << Iso(c.date);
    EXPECT_EQ(name, QString(c.name)) << Iso(c.date);
  }
}

TEST(CalendarRules, EightHolidaysInEasterYearsThreeOutside) {
  for (int year = 1895; year <= 2105; ++year) {
    std::vector<QDate> found;
    for (QDate d(year, 1, 1); d.year() == year; d = d.addDays(1)) {
      if (!hb::BuiltInHolidayName(d).isEmpty()) found.push_back(d);
    }
    const bool easterYear = year >= 1901 && year <= 2099;
    ASSERT_EQ(found.size(), easterYear ? 8u : 3u) << year;
    if (easterYear) {
      const QDate easter = hb::EasterSunday(year);
      for (int offset : {0, 1, 39, 49, 50}) {
        ASSERT_FALSE(hb::BuiltInHolidayName(easter.addDays(offset)).isEmpty()) << year;
      }
    }
  }
}

TEST(CalendarRules, HolidayHandlerReplacesTheList) {
  int calls = 0;
  hb::TCheckHolidayEvent none = [&](const QDate&, int, int, int, QString& s) {
    EXPECT_TRUE(s.isEmpty());
    ++calls;
  };
  QString name = "stale";
  EXPECT_FALSE(hb::CheckHoliday(QDate(2005, 1, 1), none, name));
  EXPECT_FALSE(hb::CheckHoliday(QDate(2005, 3, 27), none, name));
  EXPECT_EQ(name, "");
  EXPECT_EQ(calls, 2);

  hb::TCheckHolidayEvent own = [](const QDate& dt, int y, int m, int d, QString& s) {
    EXPECT_EQ(QDate(y, m, d), dt);
    if (m == 4 && d == 27) s = "Koningsdag";
  };
  EXPECT_TRUE(hb::CheckHoliday(QDate(2014, 4, 27), own, name));
  EXPECT_EQ(name, "Koningsdag");
  EXPECT_FALSE(hb::CheckHoliday(QDate(2014, 1, 1), own, name));

  // No date (a heading or empty cell) is never a holiday and never reaches the handler.
  calls = 0;
  EXPECT_FALSE(hb::CheckHoliday(QDate(), none, name));
  EXPECT_FALSE(hb::CheckHoliday(QDate(), nullptr, name));
  EXPECT_EQ(calls, 0);
}

TEST(CalendarRules, MonthLayoutForEveryStartOfWeek) {
  // 1 May 2005 is a Sunday, 1 March 2005 a Tuesday, 1 February 2009 a Sunday (28 days).
  EXPECT_EQ(hb::CalendarFirstColumn(QDate(2005, 5, 20), 0), 0);
  EXPECT_EQ(hb::CalendarFirstColumn(QDate(2005, 5, 20), 1), 6);
  EXPECT_EQ(hb::CalendarFirstColumn(QDate(2005, 3, 9), 0), 2);
  EXPECT_EQ(hb::CalendarFirstColumn(QDate(2005, 3, 9), 1), 1);
  EXPECT_EQ(hb::CalendarFirstColumn(QDate(2005, 3, 9), 6), 3);
  EXPECT_EQ(hb::CalendarSundayColumn(0), 0);
  EXPECT_EQ(hb::CalendarSundayColumn(1), 6);
  EXPECT_EQ(hb::CalendarSundayColumn(6), 1);
  EXPECT_EQ(hb::CalendarHeadingDay(0, 0), 1);  // "zo"
  EXPECT_EQ(hb::CalendarHeadingDay(1, 6), 1);
  EXPECT_EQ(hb::CalendarHeadingDay(1, 0), 2);  // "ma"

  const QDate months[] = {QDate(2005, 5, 20), QDate(2005, 3, 9), QDate(2009, 2, 1),
                          QDate(2008, 2, 29), QDate(2010, 1, 31)};
  for (const QDate& month : months) {
    for (int sow = 0; sow < 7; ++sow) {
      SCOPED_TRACE(Iso(month) + " sow " + std::to_string(sow));
      int shown = 0;
      for (int row = 0; row < hb::kCalendarRows; ++row) {
        for (int col = 0; col < hb::kCalendarColumns; ++col) {
          const int day = hb::CalendarDayAt(month, sow, col, row);
          if (row == 0) {
            EXPECT_EQ(day, 0);
            continue;
          }
          if (day == 0) continue;
          ++shown;
          const QDate date(month.year(), month.month(), day);
          // The column's weekday matches the heading, and the Sunday column holds Sundays.
          EXPECT_EQ(hb::CalendarHeadingDay(sow, col), date.dayOfWeek() % 7 + 1);
          EXPECT_EQ(col == hb::CalendarSundayColumn(sow), date.dayOfWeek() == Qt::Sunday);
          int c = -1, r = -1;
          ASSERT_TRUE(hb::CalendarCellOfDay(month, sow, day, c, r));
          EXPECT_EQ(c, col);
          EXPECT_EQ(r, row);
        }
      }
      EXPECT_EQ(shown, month.daysInMonth());
      EXPECT_EQ(hb::CalendarDayAt(month, sow, 1, 1) == 0, hb::CalendarFirstColumn(month, sow) > 1);
    }
  }
  int c, r;
  EXPECT_FALSE(hb::CalendarCellOfDay(QDate(2005, 2, 1), 0, 29, c, r));
  EXPECT_EQ(hb::CalendarDayAt(QDate(2005, 2, 1), 0, 7, 1), 0);
  EXPECT_EQ(hb::CalendarDayAt(QDate(2005, 2, 1), 0, 0, 7), 0);
}

TEST(CalendarRules, DateChanges) {
  const QDate none;
  const struct {
    const char* what;
    QDate from;
    int value;
    QDate to;
  } cases[] = {
      {"year", QDate(2005, 3, 15), 2006, QDate(2006, 3, 15)},
      {"year", QDate(2005, 3, 15), 2005, none},
      {"year", QDate(2005, 3, 15), 0, none},
      {"year", QDate(2005, 3, 15), -3, none},
      {"year", QDate(2005, 3, 15), 10000, none},
      {"year", QDate(2008, 2, 29), 2009, QDate(2009, 2, 28)},
      {"year", QDate(2008, 2, 29), 2012, QDate(2012, 2, 29)},
      {"month", QDate(2005, 3, 15), 7, QDate(2005, 7, 15)},
      {"month", QDate(2005, 3, 15), 3, none},
      {"month", QDate(2005, 3, 15), 0, none},
      {"month", QDate(2005, 3, 15), 13, none},
      {"month", QDate(2005, 3, 31), 2, QDate(2005, 2, 28)},
      {"month", QDate(2005, 3, 31), 4, QDate(2005, 4, 30)},
      {"day", QDate(2005, 3, 15), 31, QDate(2005, 3, 31)},
      {"day", QDate(2005, 3, 15), 15, none},
      {"day", QDate(2005, 3, 15), 0, none},
      {"day", QDate(2005, 2, 15), 29, none},
      {"day", QDate(2008, 2, 15), 29, QDate(2008, 2, 29)},
      {"step", QDate(2005, 1, 31), 1, QDate(2005, 2, 28)},
      {"step", QDate(2008, 1, 31), 1, QDate(2008, 2, 29)},
      {"step", QDate(2005, 3, 31), -1, QDate(2005, 2, 28)},
      {"step", QDate(2005, 12, 31), 1, QDate(2006, 1, 31)},
      {"step", QDate(2005, 1, 10), -1, QDate(2004, 12, 10)},
      {"step", QDate(2008, 2, 29), 12, QDate(2009, 2, 28)},
      {"step", QDate(2008, 2, 29), -12, QDate(2007, 2, 28)},
      {"step", QDate(2007, 3, 15), 12, QDate(2008, 3, 15)},
      {"step", QDate(9999, 12, 1), 1, none},
      {"step", QDate(1, 1, 1), -1, none},
  };
  for (const auto& c : cases) {
    const std::string what = c.what;
    QDate got;
    if (what == "year") got = hb::CalendarDateWithYear(c.from, c.value);
    if (what == "month") got = hb::CalendarDateWithMonth(c.from, c.value);
    if (what == "day") got = hb::CalendarDateWithDay(c.from, c.value);
    if (what == "step") got = hb::StepCalendarMonths(c.from, c.value);
    EXPECT_EQ(got, c.to) << what << " " << Iso(c.from) << " " << c.value;
  }
}

TEST(CalendarRules, CellStyle) {
  const QColor holiday(255, 0, 255), sunday(255, 0, 0), white(Qt::white), black(Qt::black);
  const struct {
    int column, startOfWeek;
    bool selected, isHoliday;
    QColor color;
    bool bold;
  } cases[] = {
      {3, 0, false, false, black, false},  {0, 0, false, false, sunday, false},
      {6, 1, false, false, sunday, false}, {0, 1, false, false, black, false},
      {0, 0, true, false, white, false},   {0, 0, false, true, holiday, true},
      {3, 0, false, true, holiday, true},  {3, 0, true, true, white, true},
      {0, 0, true, true, white, true},
  };
  for (const auto& c : cases) {
    const hb::TCalendarCellStyle s =
        hb::CalendarCellStyle(c.column, c.selected, c.isHoliday, c.startOfWeek, holiday, sunday);
    EXPECT_EQ(s.Color, c.color) << c.column << " " << c.startOfWeek << c.selected << c.isHoliday;
    EXPECT_EQ(s.Bold, c.bold) << c.column << " " << c.startOfWeek << c.selected << c.isHoliday;
  }
}

}  // namespace
