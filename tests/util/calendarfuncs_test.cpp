#include "util/calendarfuncs.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <cmath>

namespace {

using hb::IsoWeek;
using hb::IsoYear;

struct IsoCase {
  QDate date;
  int year;
  int week;
};

TEST(CalendarFuncs, IsoWeeksAroundYearEnds) {
  const IsoCase cases[] = {
      {QDate(2004, 12, 27), 2004, 53}, {QDate(2004, 12, 31), 2004, 53},
      {QDate(2005, 1, 1), 2004, 53},   {QDate(2005, 1, 2), 2004, 53},
      {QDate(2005, 1, 3), 2005, 1},    {QDate(2008, 12, 28), 2008, 52},
      {QDate(2008, 12, 29), 2009, 1},  {QDate(2009, 12, 31), 2009, 53},
      {QDate(2010, 1, 3), 2009, 53},   {QDate(2010, 1, 4), 2010, 1},
      {QDate(2012, 1, 1), 2011, 52},   {QDate(2016, 1, 3), 2015, 53},
      {QDate(2021, 1, 4), 2021, 1},    {QDate(2026, 12, 31), 2026, 53},
  };
  for (const IsoCase& c : cases) {
    SCOPED_TRACE(c.date.toString(Qt::ISODate).toStdString());
    EXPECT_EQ(IsoYear(c.date), c.year);
    EXPECT_EQ(IsoWeek(c.date), c.week);
    // The moment forms agree, whatever the time of day.
    EXPECT_EQ(IsoWeek(hb::DateToMoment(c.date) + 0.75), c.week);
    EXPECT_EQ(IsoYear(hb::DateToMoment(c.date) + 0.75), c.year);
    // The week's Monday, found back from year and week, holds the date.
    const QDate monday = hb::IsoWeekStart(c.year, c.week);
    EXPECT_EQ(monday, hb::WeekStart(c.date));
    EXPECT_EQ(monday.addDays(6), hb::WeekEnd(c.date));
    EXPECT_EQ(hb::IsoWeekStartMoment(c.year, c.week), hb::DateToMoment(monday));
  }
  EXPECT_EQ(hb::Week1Start(2009), QDate(2008, 12, 29));
  EXPECT_EQ(hb::Week1Start(2005), QDate(2005, 1, 3));
  EXPECT_EQ(hb::Week1Start(2007), QDate(2007, 1, 1));
  EXPECT_EQ(hb::Week1Start(2010), QDate(2010, 1, 4));
}

TEST(CalendarFuncs, IsoWeeksAgreeWithQtOverTwoCenturies) {
  // Qt's own week numbering is an independent reference for every day and year length.
  for (QDate d(1899, 12, 25); d <= QDate(2101, 1, 7); d = d.addDays(1)) {
    int qtYear = 0;
    const int qtWeek = d.weekNumber(&qtYear);
    ASSERT_EQ(IsoWeek(d), qtWeek) << d.toString(Qt::ISODate).toStdString();
    ASSERT_EQ(IsoYear(d), qtYear) << d.toString(Qt::ISODate).toStdString();
    ASSERT_EQ(hb::IsoDayOfWeek(d), d.dayOfWeek());
    ASSERT_EQ(hb::DayOfWeek(d), d.dayOfWeek() % 7 + 1);
  }
  for (int year = 1900; year <= 2100; ++year) {
    int dummy = 0;
    const int expected = QDate(year, 12, 28).weekNumber(&dummy);  // 28 Dec is in the last week
    ASSERT_EQ(hb::IsoWeeksInYear(year), expected) << year;
  }
  EXPECT_EQ(hb::IsoWeeksInYear(2004), 53);
  EXPECT_EQ(hb::IsoWeeksInYear(2005), 52);
  EXPECT_EQ(hb::IsoWeeksInYear(2009), 53);
  // Weeks of the calendar year of a date: 3 January 2010 lies in week 53 of 2009, but its
  // calendar year 2010 has 52 weeks.
  EXPECT_EQ(hb::WeeksInYearOf(QDate(2010, 1, 3)), 52);
  EXPECT_EQ(hb::WeeksInYearOf(QDate(2004, 6, 1)), 53);
}

TEST(CalendarFuncs, EasterSundayInItsRangeOnly) {
  const QDate known[] = {
      QDate(1901, 4, 7),  QDate(1913, 3, 23), QDate(1943, 4, 25), QDate(1981, 4, 19),
      QDate(2000, 4, 23), QDate(2005, 3, 27), QDate(2008, 3, 23), QDate(2011, 4, 24),
      QDate(2019, 4, 21), QDate(2024, 3, 31), QDate(2025, 4, 20), QDate(2038, 4, 25),
      QDate(2076, 4, 19), QDate(2099, 4, 12),
  };
  for (const QDate& easter : known) {
    EXPECT_EQ(hb::EasterSunday(easter.year()), easter) << easter.year();
    EXPECT_EQ(hb::EasterSundayMoment(easter.year()), hb::DateToMoment(easter));
  }
  for (int year = hb::kEasterFirstYear; year <= hb::kEasterLastYear; ++year) {
    const QDate easter = hb::EasterSunday(year);
    ASSERT_EQ(easter.dayOfWeek(), Qt::Sunday) << year;
    ASSERT_GE(easter, QDate(year, 3, 22)) << year;
    ASSERT_LE(easter, QDate(year, 4, 25)) << year;
  }
  for (int year : {1, 1899, 1900, 2100, 2101, -5}) {
    EXPECT_FALSE(hb::EasterSunday(year).isValid()) << year;
    EXPECT_EQ(hb::EasterSundayMoment(year), 0.0) << year;
  }
}

TEST(CalendarFuncs, MonthLengthsAndSteps) {
  struct {
    int year, month, days;
  } lengths[] = {{2005, 1, 31}, {2005, 2, 28}, {2004, 2, 29},  {1900, 2, 28}, {2000, 2, 29},
                 {2100, 2, 28}, {2005, 4, 30}, {2005, 12, 31}, {2005, 0, 0},  {2005, 13, 0}};
  for (const auto& c : lengths) {
    EXPECT_EQ(hb::DaysInMonth(c.year, c.month), c.days) << c.year << "-" << c.month;
  }
  EXPECT_TRUE(hb::IsLeapYear(2000));
  EXPECT_TRUE(hb::IsLeapYear(2008));
  EXPECT_FALSE(hb::IsLeapYear(1900));
  EXPECT_FALSE(hb::IsLeapYear(2005));

  EXPECT_EQ(hb::FirstDayOfMonth(QDate(2005, 3, 15)), QDate(2005, 3, 1));
  EXPECT_EQ(hb::LastDayOfMonth(QDate(2008, 2, 3)), QDate(2008, 2, 29));

  struct {
    QDate from;
    int months;
    QDate to;
  } steps[] = {
      {QDate(2005, 3, 31), -1, QDate(2005, 2, 28)}, {QDate(2005, 3, 15), -1, QDate(2005, 2, 15)},
      {QDate(2008, 3, 31), -1, QDate(2008, 2, 29)}, {QDate(2005, 1, 31), -1, QDate(2004, 12, 31)},
      {QDate(2005, 1, 31), 1, QDate(2005, 2, 28)},  {QDate(2004, 12, 31), 1, QDate(2005, 1, 31)},
      {QDate(2008, 2, 29), 12, QDate(2009, 2, 28)}, {QDate(2008, 2, 29), -12, QDate(2007, 2, 28)},
      {QDate(2008, 2, 29), 48, QDate(2012, 2, 29)}, {QDate(2005, 5, 31), -27, QDate(2003, 2, 28)},
  };
  for (const auto& s : steps) {
    EXPECT_EQ(hb::AddMonthsClamped(s.from, s.months), s.to)
        << s.from.toString(Qt::ISODate).toStdString() << " " << s.months;
  }
  EXPECT_EQ(hb::SameDayPreviousMonth(QDate(2005, 3, 31)), QDate(2005, 2, 28));
  EXPECT_EQ(hb::SameDayPreviousMonth(QDate(2005, 3, 15)), QDate(2005, 2, 15));
  EXPECT_FALSE(hb::SameDayPreviousMonth(QDate()).isValid());
}

TEST(CalendarFuncs, MomentConversions) {
  EXPECT_EQ(hb::DateToMoment(QDate(1899, 12, 30)), 0.0);
  EXPECT_EQ(hb::DateToMoment(QDate(1995, 1, 1)), 34700.0);
  EXPECT_EQ(hb::DateToMoment(QDate(1899, 12, 29)), -1.0);
  EXPECT_EQ(hb::MomentToDate(34700.75), QDate(1995, 1, 1));
  // A hair below midnight is the next day, as it would print as 00:00 of that day.
  EXPECT_EQ(hb::MomentToDate(34700.9999999999), QDate(1995, 1, 2));
  EXPECT_FALSE(hb::MomentToDate(std::nan("")).isValid());

  const QDateTime dt(QDate(2005, 1, 31), QTime(14, 5, 9, 250));
  const double m = hb::DateTimeToMoment(dt);
  EXPECT_NEAR(m, 38383 + (14 * 3600 + 5 * 60 + 9.25) / 86400.0, 1e-9);
  EXPECT_EQ(hb::MomentToDateTime(m), dt);
  EXPECT_EQ(hb::MomentToDateTime(38383.5), QDateTime(QDate(2005, 1, 31), QTime(12, 0)));
  EXPECT_EQ(hb::DateTimeToMoment(QDateTime()), 0.0);

  // The moment forms work on the day of the moment and return whole days.
  const double thu = hb::DateToMoment(QDate(2005, 3, 31)) + 0.6;  // a Thursday afternoon
  const auto day = [](const QDate& d) { return hb::DateToMoment(d); };
  EXPECT_EQ(hb::DayOfWeek(thu), 5);
  EXPECT_EQ(hb::IsoDayOfWeek(thu), 4);
  EXPECT_EQ(hb::WeekStart(thu), day(QDate(2005, 3, 28)));
  EXPECT_EQ(hb::WeekEnd(thu), day(QDate(2005, 4, 3)));
  EXPECT_EQ(hb::FirstDayOfMonth(thu), day(QDate(2005, 3, 1)));
  EXPECT_EQ(hb::LastDayOfMonth(thu), day(QDate(2005, 3, 31)));
  EXPECT_EQ(hb::SameDayPreviousMonth(thu), day(QDate(2005, 2, 28)));
  EXPECT_EQ(hb::WeeksInYearOf(day(QDate(2004, 1, 1))), 53);
  EXPECT_EQ(hb::DateToMoment(QDate()), 0.0);
}

}  // namespace
