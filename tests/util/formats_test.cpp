#include "util/formats.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QFileInfo>

#include "util/conversions.h"
#include "util/version.h"

namespace {

TEST(Formats, NamesAndDateTexts) {
  EXPECT_EQ(hb::DayName(1, false), "zondag");
  EXPECT_EQ(hb::DayName(7, true), "za");
  EXPECT_EQ(hb::DayName(0, false), "");
  EXPECT_EQ(hb::DayName(8, true), "");
  EXPECT_EQ(hb::MonthName(3, true), "mrt");
  EXPECT_EQ(hb::MonthName(12, false), "december");

  const double moment = hb::kEpoch + 30 + (14 * 3600 + 5 * 60 + 9) / 86400.0;  // 31-01-1995
  EXPECT_EQ(hb::DateText(moment), "31-01-1995");
  EXPECT_EQ(hb::FormatMoment(hb::FormatSettings().LongDateFormat, moment), "31-jan-1995");
  EXPECT_EQ(hb::FormatMoment("dddd d mmmm yy, hh:mm:ss", moment),
            "dinsdag 31 januari 95, 14:05:09");
  EXPECT_EQ(hb::FormatMoment("ddddd|dddddd", moment), "31-01-1995|31-jan-1995");
  EXPECT_EQ(hb::FormatMoment("h:nn am/pm 'om' yyyy", moment), "2:05 pm om 1995");
  EXPECT_EQ(hb::FormatMoment("dd/mm hh:nn", 0.999999999), "31-12 00:00");  // rounds to midnight
}

TEST(Formats, ParseDateReadsDayMonthYear) {
  double m = 0;
  ASSERT_TRUE(hb::ParseDate("01-01-1995", m));
  EXPECT_DOUBLE_EQ(m, hb::kEpoch);
  ASSERT_TRUE(hb::ParseDate("2/1/1995", m));
  EXPECT_DOUBLE_EQ(m, hb::kEpoch + 1);
  ASSERT_TRUE(hb::ParseDate("29.2.2004", m));
  const int year = QDate::currentDate().year();
  ASSERT_TRUE(hb::ParseDate("1-1", m));  // without a year: this year
  EXPECT_DOUBLE_EQ(m, QDate(1899, 12, 30).daysTo(QDate(year, 1, 1)));
  ASSERT_TRUE(hb::ParseDate("1-1-05", m));
  EXPECT_DOUBLE_EQ(m, QDate(1899, 12, 30).daysTo(QDate(2005, 1, 1)));
  for (const char* bad : {"", "31-02-2005", "1-13-2005", "a-b-c", "1-2-3-4", "12"}) {
    EXPECT_FALSE(hb::ParseDate(bad, m)) << bad;
  }
}

TEST(Version, TextFromTheBuildVersion) {
  EXPECT_EQ(hb::VersionTextOf("3.10.6.1"), "3.10.006");
  EXPECT_EQ(hb::VersionTextOf("1.0.0"), "1.00.000");
  EXPECT_EQ(hb::VersionTextOf(""), "0.00.000");
  EXPECT_EQ(hb::VersionTextOf("x.y.z"), "0.00.000");
  EXPECT_EQ(hb::VersionText(), hb::VersionTextOf(HB_VERSION));
  EXPECT_NE(hb::VersionText(), "0.00.000");
  EXPECT_EQ(hb::FileDateText(), QFileInfo(QCoreApplication::applicationFilePath())
                                    .lastModified()
                                    .date()
                                    .toString("dd-MM-yyyy"));
  EXPECT_EQ(hb::FileDateTextOf("/no/such/file"), "");
}

}  // namespace
