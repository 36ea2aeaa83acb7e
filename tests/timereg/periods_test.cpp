#include "timereg/periods.h"

#include <gtest/gtest.h>

#include "timereg/mainobj.h"
#include "util/calendarfuncs.h"

namespace {

const QDate kDay(2005, 3, 16);
double At(int h, int m, int s = 0, int days = 0) {
  return hb::DateToMoment(kDay.addDays(days)) + (h * 3600 + m * 60 + s) / 86400.0;
}

TEST(Periods, OverlapRuleWithHalfMinuteTolerance) {
  struct Case { double aStart, aStop, bStart, bStop; bool overlap; } cases[] = {
      {At(8, 0), At(9, 0), At(9, 0), At(10, 0), false},
      {At(8, 0), At(9, 0), At(8, 59, 40), At(10, 0), false},
      {At(8, 0), At(9, 0), At(8, 59), At(10, 0), true},
      {At(8, 0), At(12, 0), At(9, 0), At(10, 0), true},
      {At(8, 0), At(9, 0), At(8, 0), At(9, 0), true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hb::Overlaps(c.aStart, c.aStop, c.bStart, c.bStop), c.overlap);
    EXPECT_EQ(hb::Overlaps(c.bStart, c.bStop, c.aStart, c.aStop), c.overlap);  // symmetric
  }
}

TEST(Periods, FreePeriods) {
  const hb::TPeriodList empty;
  EXPECT_TRUE(hb::IsPeriodFree(empty, -1, At(9, 0), At(8, 0)));
  EXPECT_FALSE(hb::IsPeriodFree(empty, -1, At(1, 0, 0, 1), At(23, 0)));
  EXPECT_EQ(hb::LatestStop(empty), 0);

  const hb::TPeriodList week = {{7, At(8, 0), At(9, 0)}, {3, At(10, 0), At(12, 0)},
                                {9, At(14, 0), At(23, 59)}, {4, At(8, 0, 0, 1), At(9, 0, 0, 1)}};
  struct Case { double start, stop; int ignore; bool free; } cases[] = {
      {At(9, 0), At(10, 0), -1, true},     {At(7, 0), At(8, 0), -1, true},
      {At(8, 30), At(9, 30), -1, false},   {At(9, 30), At(10, 30), -1, false},
      {At(9, 30), At(12, 30), -1, false},  {At(12, 0), At(14, 0), -1, true},
      {At(8, 30), At(9, 30), 7, true},     {At(9, 30), At(10, 30), 3, true},
      {At(23, 59), At(23, 59, 59), -1, false}, {At(7, 0), At(8, 0, 0, 1), -1, false},
  };
  for (const Case& c : cases) EXPECT_EQ(hb::IsPeriodFree(week, c.ignore, c.stop, c.start), c.free);
  EXPECT_EQ(hb::LatestStop(week), At(9, 0, 0, 1));
  EXPECT_EQ(hb::SortedKeys(week).first(), "200503160800-0900=7");

  hb::TMainObj m;
  m.SetResolutionText("0:15");
  EXPECT_NEAR(hb::NextFreeMoment(week, m, At(8, 0)), At(9, 0), 1e-9);
  EXPECT_NEAR(hb::NextFreeMoment(week, m, At(9, 0)), At(9, 0), 1e-9);
  EXPECT_NEAR(hb::NextFreeMoment(week, m, At(10, 20)), At(12, 5), 1e-9);
  // The day runs out: the last moment reached that day.
  EXPECT_NEAR(hb::NextFreeMoment(week, m, At(14, 0)), At(23, 30), 1e-9);
}

}  // namespace
