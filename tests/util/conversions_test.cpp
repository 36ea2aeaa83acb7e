#include "util/conversions.h"

#include <gtest/gtest.h>

namespace {

using hb::kEpoch;

TEST(EpochStamp, WritesSecondsSinceEpochRightAlignedIn12) {
  const struct {
    double moment;
    const char* stamp;
  } cases[] = {
      {kEpoch, "           0"},
      {kEpoch + 1.5, "      129600"},          // 02-01-1995 12:00
      {kEpoch + 0.4 / 86400, "           0"},  // rounds to the nearest second
      {kEpoch + 0.6 / 86400, "           1"},
      {kEpoch - 1, "      -86400"},       // before the epoch
      {kEpoch + 40000, "  3456000000"},   // beyond 32 bits is still written
      {kEpoch + 1.2e7, "1036800000000"},  // longer than 12: not cut
  };
  for (const auto& c : cases) EXPECT_EQ(hb::DateTimeToStamp(c.moment), c.stamp) << c.moment;
  EXPECT_EQ(hb::DateTimeToStamp(kEpoch, true, false), "");
  EXPECT_EQ(hb::DateTimeToStamp(0, false, true), "");
  EXPECT_EQ(hb::DateTimeToStamp(0, true, false), hb::DateTimeToStamp(0));
}

TEST(EpochStamp, ReadsBackAndFallsBackToTheEpoch) {
  EXPECT_DOUBLE_EQ(hb::StampToDateTime("      129600"), kEpoch + 1.5);
  EXPECT_DOUBLE_EQ(hb::StampToDateTime("  -86 400"), kEpoch - 1);  // every blank removed
  for (const char* bad : {"", "            ", "abc", "2147483648", "12.5"}) {
    EXPECT_DOUBLE_EQ(hb::StampToDateTime(bad), kEpoch) << bad;
  }
  EXPECT_DOUBLE_EQ(hb::StampToDateTime("2147483647"), kEpoch + 2147483647 / 86400.0);
  EXPECT_DOUBLE_EQ(hb::StampToDateTime("    ", true), 0.0);
  EXPECT_DOUBLE_EQ(hb::StampToDateTime("60", true), kEpoch + 60 / 86400.0);
  // A moment with seconds survives the round trip to the second.
  const double moment = kEpoch + 3650.25 + 7 / 86400.0;
  EXPECT_NEAR(hb::StampToDateTime(hb::DateTimeToStamp(moment)), moment, 1e-9);
}

TEST(DurationText, HoursAndRoundedMinutes) {
  const struct {
    double days;
    const char* text;
  } cases[] = {
      {0, "0:00"},           {0.5, "12:00"},        {1.25, "30:00"}, {1.0 / 24 / 60 * 90, "1:30"},
      {-0.25, "-6:00"},      {-0.2 / 1440, "0:00"},  // under half a minute: no sign
      {59.6 / 1440, "1:00"},                         // rounds up into the next hour
      {10.0, "240:00"},
  };
  for (const auto& c : cases) EXPECT_EQ(hb::DurationText(c.days), c.text) << c.days;
}

TEST(ParseTime, ReadsClockTimesAndTheDottedForm) {
  const struct {
    const char* text;
    double seconds;
  } cases[] = {
      {"8:30", 8.5 * 3600},
      {"8.30", 8.5 * 3600},
      {" 17:05:09 ", 17 * 3600 + 5 * 60 + 9},
      {"0:00", 0},
      {"23:59", 86340},
      {"8", 8 * 3600},
      {"2:15 pm", 14.25 * 3600},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(hb::ParseTime(c.text) * 86400, c.seconds, 1e-6) << c.text;
  }
  EXPECT_DOUBLE_EQ(hb::ParseTime("24:00"), 1.0);
  EXPECT_DOUBLE_EQ(hb::ParseTime("24:00:00"), 1.0);
  for (const char* bad : {"", "25:00", "8:60", "abc", "8:30:00:00", "8.3a", "-1:00"}) {
    EXPECT_THROW(hb::ParseTime(bad), hb::EConvertError) << bad;
  }
}

TEST(ParseDecimal, PointThenFirstCommaThenDefault) {
  const struct {
    const char* text;
    double value;
  } cases[] = {
      {"1.5", 1.5}, {"1,5", 1.5}, {" -2,25 ", -2.25}, {"1e3", 1000}, {"1.234,5", -1},
      {"", -1},     {"abc", -1},  {"inf", -1},        {"1,2,3", -1},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(hb::ParseDecimal(c.text, -1), c.value) << c.text;
}

}  // namespace
