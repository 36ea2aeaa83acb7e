#include "timereg/mainobj.h"

#include <gtest/gtest.h>

#include "util/calendarfuncs.h"

namespace {

using hb::TMainObj;

double At(const QDate& d, int h, int m, int s = 0) {
  return hb::DateToMoment(d) + (h * 3600 + m * 60 + s) / 86400.0;
}

const QDate kDay(2005, 3, 16);

TMainObj WithResolution(const QString& text) {
  TMainObj m;
  m.SetResolutionText(text);
  return m;
}

TEST(MainObj, ResolutionTexts) {
  struct Case { const char* text; int minutes; const char* used; } cases[] = {
      {"0:15", 15, "0:15"}, {"00:05", 5, "00:05"}, {"0:00", 1, "0:01"}, {"", 15, "0:15"},
      {"abc", 15, "0:15"},  {"7", 7, "0:07"},      {"2:00", 60, "1:00"}, {"1:00", 60, "1:00"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TMainObj m = WithResolution(c.text);
    EXPECT_EQ(m.Resolution(), c.minutes);
    EXPECT_EQ(m.ResolutionText(), c.used);
  }
}

TEST(MainObj, SlotArithmeticPerResolution) {
  struct Case { const char* res; int h, m, s; int startRow, endRow; int roundDown, round, roundUp; };
  // Rounded results as minutes of the day (1440 = next day 00:00).
  const Case cases[] = {
      {"0:15", 8, 10, 0, 32, 31, 480, 495, 495},   {"0:15", 8, 7, 30, 32, 31, 480, 495, 495},
      {"0:15", 8, 7, 29, 32, 31, 480, 480, 495},   {"0:15", 23, 59, 59, 95, 95, 1425, 1440, 1440},
      {"0:15", 23, 50, 0, 95, 94, 1425, 1425, 1440}, {"0:01", 8, 10, 40, 490, 489, 490, 491, 490},
      {"0:05", 8, 12, 0, 98, 97, 490, 490, 495},   {"1:00", 8, 30, 0, 8, 7, 480, 540, 540},
      {"0:07", 8, 50, 0, 71, 70, 525, 532, 532},    {"0:07", 8, 57, 0, 72, 71, 532, 539, 539},
      {"0:07", 23, 57, 0, 191, 191, 1435, 1435, 1442},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.res << " " << c.h << ":" << c.m << ":" << c.s);
    TMainObj m = WithResolution(c.res);
    const double t = At(kDay, c.h, c.m, c.s);
    EXPECT_EQ(m.TimeToRow(false, t), c.startRow);
    EXPECT_EQ(m.TimeToRow(true, t), c.endRow);
    EXPECT_NEAR(m.RoundToTimeblock(-1, t), At(kDay, 0, c.roundDown), 1e-9);
    EXPECT_NEAR(m.RoundToTimeblock(0, t), At(kDay, 0, c.round), 1e-9);
    EXPECT_NEAR(m.RoundToTimeblock(1, t), At(kDay, 0, c.roundUp), 1e-9);
  }
}

TEST(MainObj, RowsAndCells) {
  for (const char* res : {"0:01", "0:05", "0:15", "1:00", "0:07"}) {
    SCOPED_TRACE(res);
    TMainObj m = WithResolution(res);
    m.SetDisplayedDate(kDay);
    const int rows = m.RowsPerDay();
    EXPECT_EQ(rows, 24 * (60 / m.Resolution()));
    EXPECT_EQ(m.RowToTimeStr(rows), "23:59:59");
    EXPECT_EQ(m.RowToTimeStr(rows + 5), "23:59:59");
    EXPECT_EQ(m.RowToTimeStr(0), "00:00");
    // Every row's top maps back to the same row, and its cell to that time.
    for (int row = 0; row < rows; ++row) {
      const double cell = m.CellToDateTime(row, 3);
      ASSERT_EQ(m.TimeToRow(false, cell), row);
    }
    EXPECT_NEAR(m.CellToDateTime(rows, 3), At(kDay, 23, 59), 1e-9);  // kDay is a Wednesday
    // A block ending at midnight (the next day 00:00) covers the last row.
    EXPECT_EQ(m.TimeToRow(true, hb::DateToMoment(kDay.addDays(1))), rows - 1);
  }
  TMainObj m = WithResolution("0:07");
  EXPECT_EQ(m.RowToTimeStr(9), "01:07");
  EXPECT_EQ(m.RowToTimeStr(8), "01:00");
}

TEST(MainObj, TimeTextsAndAddingSlots) {
  EXPECT_NEAR(TMainObj::TimeStrToTime(" 24:00 "), (86399) / 86400.0, 1e-9);
  EXPECT_NEAR(TMainObj::TimeStrToTime("8.30"), 8.5 / 24, 1e-9);
  EXPECT_EQ(TMainObj::TimeStrToTime("x"), -1);
  TMainObj m = WithResolution("0:15");
  EXPECT_NEAR(m.AddTimeblocks(2, At(kDay, 8, 0, 30)), At(kDay, 8, 31), 1e-9);
  EXPECT_NEAR(m.AddTimeblocks(1, At(kDay, 23, 50)), At(kDay.addDays(1), 0, 5), 1e-9);
  EXPECT_NEAR(m.AddTimeblocks(-1, At(kDay, 0, 5)), At(kDay.addDays(-1), 23, 50), 1e-9);
  EXPECT_EQ(TMainObj::DateStrToSortKey("31-12-2004"), "20041231");
  EXPECT_EQ(TMainObj::DateStrToSortKey("geen"), "");
}

TEST(MainObj, DisplayedWeekAcrossYearEnds) {
  struct Case { QDate date; int year, week; QDate sunday; int weeks; } cases[] = {
      {QDate(2004, 12, 31), 2004, 53, QDate(2004, 12, 26), 53},
      {QDate(2005, 1, 1), 2004, 53, QDate(2004, 12, 26), 53},  // a Saturday of the old ISO year
      {QDate(2005, 1, 2), 2005, 1, QDate(2005, 1, 2), 52},     // a Sunday opens the next week
      {QDate(2007, 12, 31), 2008, 1, QDate(2007, 12, 30), 52},
      {QDate(2008, 12, 30), 2009, 1, QDate(2008, 12, 28), 53},
      {QDate(2010, 1, 3), 2010, 1, QDate(2010, 1, 3), 52},
      {QDate(2012, 1, 1), 2012, 1, QDate(2012, 1, 1), 52},
      {QDate(2016, 1, 1), 2015, 53, QDate(2015, 12, 27), 53},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.date.toString(Qt::ISODate).toStdString());
    TMainObj m;
    m.SetDisplayedDate(c.date);
    EXPECT_EQ(m.DisplayedYear(), c.year);
    EXPECT_EQ(m.DisplayedWeek(), c.week);
    EXPECT_EQ(m.WeeksInYear(), c.weeks);
    EXPECT_EQ(m.PeriodStart(), hb::DateToMoment(c.sunday));
    EXPECT_EQ(m.PeriodEnd(), hb::DateToMoment(c.sunday) + 7);
    EXPECT_EQ(TMainObj::DayColumn(m.CellToDateTime(0, 0)), 0);
    EXPECT_EQ(TMainObj::DayColumn(m.CellToDateTime(0, 6)), 6);
  }
  TMainObj m;
  m.SetDisplayedWeek(2005, 53);  // 2005 has 52 weeks
  EXPECT_EQ(m.DisplayedWeek(), 52);
  EXPECT_TRUE(TMainObj::IsInPeriod(2.0, 1.0, 1.0));
  EXPECT_FALSE(TMainObj::IsInPeriod(2.0, 1.0, 2.0));
}
}  // namespace
