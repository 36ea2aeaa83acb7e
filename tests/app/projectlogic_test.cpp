// The entry dialog's time fields without a screen: typed times, rounding to the resolution,
// the minimal time unit, the duration field and the spin steps.
#include "app/projectlogic.h"

#include <gtest/gtest.h>

#include <QList>

#include "timereg/mainobj.h"

namespace {

TEST(ProjectLogic, NormalizesTypedTimes) {
  struct Case {
    const char* typed;
    const char* expected;  // nullptr: invalid
  };
  const Case cases[] = {
      {"830", "08:30"},     {"1745", "17:45"},     {" 0915 ", "09:15"}, {"8.30", "08:30"},
      {"8:5", "08:05"},     {"", "00:00"},         {"2:00 pm", "14:00"}, {"2:00 AM", "02:00"},
      {"12:30 pm", "12:30"}, {"12:15 am", "00:15"}, {"8", nullptr},      {"2 pm", nullptr},
      {"pm", nullptr},      {"25:00", nullptr},    {"8:75", nullptr},   {"2400", nullptr},
      {"abc", nullptr},     {"8:-5", nullptr},     {":30", nullptr},    {"8:", nullptr},
  };
  for (const Case& c : cases) {
    QString result = "unchanged";
    const bool ok = hb::NormalizeTimeText(c.typed, result);
    if (c.expected) {
      EXPECT_TRUE(ok) << c.typed;
      EXPECT_EQ(result, c.expected) << c.typed;
    } else {
      EXPECT_FALSE(ok) << c.typed;
      EXPECT_EQ(result, "unchanged") << c.typed;
    }
  }
}

TEST(ProjectLogic, LeavingStartOrEndRoundsAndGuardsTheMinimalUnit) {
  hb::TMainObj m;  // resolution 15
  struct Case {
    const char* start;
    const char* end;
    bool leaveEnd;
    hb::TTimeCheck check;
    const char* startAfter;
    const char* durationAfter;
    const char* endAfter;
  };
  using C = hb::TTimeCheck;
  const Case cases[] = {
      {"08:00", "08:05", true, C::BelowResolution, "08:00", "00:00", "08:00"},
      {"08:00", "08:10", true, C::Ok, "08:00", "00:15", "08:15"},
      {"08:00", "1730", true, C::Ok, "08:00", "09:30", "17:30"},
      {"08:00", "07:00", true, C::BelowResolution, "08:00", "00:00", "07:00"},
      {"08:00", "23:55", true, C::Ok, "08:00", "15:59", "23:59"},
      {"752", "09:00", false, C::Ok, "07:45", "01:15", "09:00"},
      {"7", "09:00", false, C::Invalid, "7", "00:00", "09:00"},
      {"08:00", "8:61", true, C::Invalid, "08:00", "00:00", "8:61"},
  };
  for (const Case& c : cases) {
    hb::TTimeFields f{c.start, "00:00", c.end};
    EXPECT_EQ(hb::LeaveTimeField(m, f, c.leaveEnd), c.check) << c.start << "-" << c.end;
    EXPECT_EQ(f.Start, c.startAfter) << c.start << "-" << c.end;
    EXPECT_EQ(f.Duration, c.durationAfter) << c.start << "-" << c.end;
    EXPECT_EQ(f.End, c.endAfter) << c.start << "-" << c.end;
  }
}

TEST(ProjectLogic, DurationFieldSetsTheEnd) {
  hb::TMainObj m;
  struct Case {
    const char* start;
    const char* duration;
    hb::TTimeCheck check;
    const char* durationAfter;
    const char* endAfter;
  };
  using C = hb::TTimeCheck;
  const Case cases[] = {
      {"08:00", "30", C::Ok, "00:30", "08:30"},
      {"08:00", "2:00", C::Ok, "02:00", "10:00"},
      {"08:00", "125", C::Ok, "01:30", "09:30"},  // 1:25 rounds to 1:30
      {"08:00", "5", C::BelowResolution, "5", "09:00"},
      {"08:00", "1:x", C::Invalid, "1:x", "09:00"},
      // A period stays within its day.
      {"23:00", "2:00", C::Ok, "00:59", "23:59"},
  };
  for (const Case& c : cases) {
    hb::TTimeFields f{c.start, c.duration, "09:00"};
    EXPECT_EQ(hb::LeaveDurationField(m, f), c.check) << c.duration;
    EXPECT_EQ(f.Start, c.start) << c.duration;
    EXPECT_EQ(f.Duration, c.durationAfter) << c.duration;
    EXPECT_EQ(f.End, c.endAfter) << c.duration;
  }
}

TEST(ProjectLogic, SpinStepsStopAtTheirLimits) {
  hb::TMainObj m;
  hb::TTimeFields f{"08:00", "00:30", "08:30"};
  EXPECT_TRUE(hb::SpinStep(m, f, hb::TSpin::StartLater));
  EXPECT_EQ(f.Start, "8:15");
  EXPECT_EQ(f.Duration, "00:15");
  // Start later cannot pass end - one step; end earlier cannot pass start + one step.
  EXPECT_FALSE(hb::SpinStep(m, f, hb::TSpin::StartLater));
  EXPECT_FALSE(hb::SpinStep(m, f, hb::TSpin::EndEarlier));
  EXPECT_EQ(f.Start, "8:15");
  EXPECT_EQ(f.End, "08:30");

  f = {"0:15", "23:30", "23:45"};
  EXPECT_TRUE(hb::SpinStep(m, f, hb::TSpin::StartEarlier));
  EXPECT_EQ(f.Start, "0:00");
  EXPECT_FALSE(hb::SpinStep(m, f, hb::TSpin::StartEarlier));
  EXPECT_TRUE(hb::SpinStep(m, f, hb::TSpin::EndLater));
  EXPECT_EQ(f.End, "23:59");
  EXPECT_EQ(f.Duration, "23:59");
  EXPECT_FALSE(hb::SpinStep(m, f, hb::TSpin::EndLater));
  // The end of the day written as 24:00 counts as 23:59:59.
  f = {"8:00", "", "24:00"};
  EXPECT_FALSE(hb::SpinStep(m, f, hb::TSpin::EndLater));
  EXPECT_TRUE(hb::SpinStep(m, f, hb::TSpin::EndEarlier));
  EXPECT_EQ(f.End, "23:44");
}

TEST(ProjectLogic, SpinStepAsksForTheCellItMovesInto) {
  hb::TMainObj m;
  const hb::TTimeFields base{"08:00", "01:00", "09:00"};
  struct Case {
    hb::TSpin spin;
    int checkedMinute;  // minute of the day handed to the check
  };
  const Case cases[] = {
      {hb::TSpin::StartEarlier, 7 * 60 + 46},
      {hb::TSpin::StartLater, 8 * 60 + 15},
      {hb::TSpin::EndEarlier, 8 * 60 + 45},
      {hb::TSpin::EndLater, 9 * 60 + 14},
  };
  for (const Case& c : cases) {
    QList<int> asked;
    auto refuse = [&](double time) {
      asked << static_cast<int>(std::lround(time * 1440));
      return false;
    };
    hb::TTimeFields f = base;
    EXPECT_FALSE(hb::SpinStep(m, f, c.spin, refuse));
    EXPECT_EQ(asked, QList<int>{c.checkedMinute});
    EXPECT_EQ(f.Start, base.Start);
    EXPECT_EQ(f.End, base.End);
    EXPECT_TRUE(hb::SpinStep(m, f, c.spin, [](double) { return true; }));
  }
}

TEST(ProjectLogic, StopwatchPeriodsAcrossMidnightAndDays) {
  hb::TMainObj m;
  const double day = 38426;  // 14-03-2005
  auto at = [&](int d, int h, int n, int sec = 0) {
    return day + d + (h * 3600 + n * 60 + sec) / 86400.0;
  };
  using P = hb::TBookPeriod;
  struct Case {
    double start, stop;
    QList<P> periods;
  };
  const Case cases[] = {
      // Same day: rounded to the nearest slot.
      {at(0, 9, 2), at(0, 10, 53, 40), {{at(0, 9, 0), at(0, 11, 0)}}},
      // Shorter than a slot: one slot.
      {at(0, 9, 0), at(0, 9, 3), {{at(0, 9, 0), at(0, 9, 15)}}},
      // 23:40 to 00:20 the next day.
      {at(0, 23, 40), at(1, 0, 20), {{at(0, 23, 45), at(0, 23, 59)}, {at(1, 0, 0), at(1, 0, 15)}}},
      // Ending at midnight books the first day only.
      {at(0, 22, 0), at(0, 23, 55), {{at(0, 22, 0), at(0, 23, 59)}}},
      // Over three days: the first, the last, then the day between.
      {at(0, 22, 0), at(2, 1, 0),
       {{at(0, 22, 0), at(0, 23, 59)}, {at(2, 0, 0), at(2, 1, 0)}, {at(1, 0, 0), at(1, 23, 59)}}},
  };
  for (const Case& c : cases) {
    double start = c.start;
    double stop = c.stop;
    const QList<P> got = hb::StopwatchPeriods(m, start, stop);
    ASSERT_EQ(got.size(), c.periods.size()) << c.start;
    for (int i = 0; i < got.size(); ++i) {
      EXPECT_NEAR(got[i].Start, c.periods[i].Start, 1e-7) << c.start << " #" << i;
      EXPECT_NEAR(got[i].Stop, c.periods[i].Stop, 1e-7) << c.start << " #" << i;
    }
    EXPECT_NEAR(start, c.periods.first().Start, 1e-7);
  }
  EXPECT_EQ(hb::ShortDescription({"ACME", "PROG", "HB"}), "ACME/PROG/HB");
  EXPECT_EQ(hb::ShortDescription({}), "");
}

}  // namespace
