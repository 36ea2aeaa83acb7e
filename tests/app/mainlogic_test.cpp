// The main window's decisions without a screen: zoom steps, week tabs, blocking, totals,
// the caption of a block and the period Insert proposes.
#include "app/mainlogic.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <utility>
#include <vector>

#include "data/flexfields.h"
#include "platform/inifile.h"
#include "testutil.h"
#include "timereg/actielist.h"
#include "timereg/mainobj.h"
#include "util/calendarfuncs.h"
#include "util/conversions.h"

namespace {

double At(const QDate& d, int h, int m) {
  return hb::DateToMoment(d) + (h * 60 + m) / 1440.0;
}

TEST(MainLogic, ZoomStepsAndCaptions) {
  int zoom = 100;
  QList<int> in;
  for (int i = 0; i < 3; ++i) in << (zoom = hb::ZoomedIn(zoom));
  EXPECT_EQ(in, (QList<int>{150, 225, 225}));
  EXPECT_EQ(hb::ZoomInCaption(225), "In&zoomen 225%");
  zoom = 100;
  QList<int> out;
  for (int i = 0; i < 5; ++i) out << (zoom = hb::ZoomedOut(zoom));
  EXPECT_EQ(out, (QList<int>{67, 45, 30, 25, 25}));
  EXPECT_EQ(hb::ZoomOutCaption(100), "Uitz&oomen 67%");
  EXPECT_EQ(hb::ZoomInCaption(100), "In&zoomen 150%");
  // 7 columns in 500 pixels at 150 %; nothing to count keeps the size.
  EXPECT_EQ(hb::FitCellSize(500, 7, 150, 64), 107);
  EXPECT_EQ(hb::FitCellSize(500, 0, 100, 64), 64);
  EXPECT_EQ(hb::FitCellSize(-20, 7, 100, 64), 64);
}

TEST(MainLogic, UpdateCheckQueryNamesTheLanguageOfTheLocale) {
  const struct {
    QLocale locale;
    const char* language;
  } cases[] = {
      {QLocale(QLocale::Dutch, QLocale::Belgium), "NLD"},
      {QLocale(QLocale::English, QLocale::UnitedKingdom), "ENU"},
      {QLocale(QLocale::German, QLocale::Austria), "DEU"},
      {QLocale(QLocale::French), "FRA"},
      {QLocale::c(), "ENU"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(hb::UpdateCheckLanguage(c.locale), c.language) << c.locale.name().toStdString();
  }
  EXPECT_EQ(hb::UpdateCheckAddress(QLocale(QLocale::Dutch), "1.02.003"),
            QString(hb::kUpdateCheckUrl) + "?lang=NLD&prog=hblite&ver=1.02.003");
}

TEST(MainLogic, WeekTabs) {
  // 2009 has 53 weeks, 2010 has 52.
  const QDate in2010(2010, 6, 9);
  EXPECT_EQ(hb::WeekStartOfTab(53, in2010), QDate(2010, 12, 27));  // week 52
  EXPECT_EQ(hb::WeekStartOfTab(0, in2010), QDate(2009, 12, 28));   // week 53 of 2009
  EXPECT_EQ(hb::WeekStartOfTab(54, in2010), QDate(2011, 1, 3));
  EXPECT_EQ(hb::WeekStartOfTab(10, in2010), QDate(2010, 3, 8));
  // A Sunday belongs to the ISO week that starts the next day: Sunday 3 Jan 2010 -> 2010.
  EXPECT_EQ(hb::WeekStartOfTab(1, QDate(2010, 1, 3)), QDate(2010, 1, 4));
  // First visible tab: 0 up to tab 3, three before the selected tab up to tab 50, then 48.
  for (const auto& [index, first] : std::vector<std::pair<int, int>>{
           {0, 0}, {3, 0}, {4, 1}, {20, 17}, {50, 47}, {51, 48}, {52, 48}, {54, 48}})
    EXPECT_EQ(hb::FirstVisibleTab(index), first) << index;
}

TEST(MainLogic, WeekBlocking) {
  QTemporaryDir dir;
  hb::TIniFile ini(dir.filePath("p.ini"));
  const double monday = hb::DateToMoment(QDate(2005, 3, 14));
  ini.WriteString("Block", "Date", hb::DateTimeToStamp(monday + 1));
  EXPECT_FALSE(hb::IsWeekBlocked(ini, monday));  // not enabled
  ini.WriteString("Block", "Enabled", "1");
  EXPECT_TRUE(hb::IsWeekBlocked(ini, monday));
  EXPECT_FALSE(hb::IsWeekBlocked(ini, monday + 7));
  ini.WriteString("Block", "NoBlockAdmin", "1");
  EXPECT_FALSE(hb::IsWeekBlocked(ini, monday));
}

// Records with items of a classification, for the totals.
struct TTotalsCase : public ::testing::Test {
  hb::TActieRec direct, provisional, overhead;
  void SetUp() override {
    direct.Voorlopig = false;
    overhead.Voorlopig = false;
    overhead.Activiteit->Overhead = hb::ohIndirect;
  }
};

TEST_F(TTotalsCase, RowsCountNotRecordTimesAndExclusions) {
  // Rows 32..35 at 15 minutes are one hour, whatever the record's times say.
  direct.Start = At(QDate(2005, 3, 14), 8, 5);
  direct.Stop = At(QDate(2005, 3, 14), 9, 5);
  const QList<hb::TTotalsBlock> blocks{{1, 32, 35, &direct},
                                       {2, 36, 39, &provisional},
                                       {2, 40, 41, &overhead}};
  hb::TTotals all = hb::ComputeTotals(blocks, 4, false, false, 0);
  EXPECT_EQ(all.TotalText, "2:30");
  EXPECT_FALSE(all.NormVisible);
  EXPECT_EQ(hb::ComputeTotals(blocks, 4, true, false, 0).TotalText, "1:30");
  EXPECT_EQ(hb::ComputeTotals(blocks, 4, false, true, 0).TotalText, "2:00");
  EXPECT_EQ(hb::ComputeTotals(blocks, 4, true, true, 0).TotalText, "1:00");
  EXPECT_EQ(all.Hint, "0:00 zo\n\n1:00 ma\n1:30 di\n0:00 wo\n0:00 do\n0:00 vr\n\n0:00 za");
  // Colour against the norm: maroon below, black within a minute, purple above.
  const double h = 1.0 / 24;
  EXPECT_EQ(hb::ComputeTotals(blocks, 4, false, false, 3 * h).TotalColor, 0x000080u);
  EXPECT_EQ(hb::ComputeTotals(blocks, 4, false, false, 2.5 * h).TotalColor, 0u);
  EXPECT_EQ(hb::ComputeTotals(blocks, 4, false, false, 2 * h).TotalColor, 0x800080u);
  EXPECT_TRUE(hb::ComputeTotals(blocks, 4, false, false, 2 * h).NormVisible);
  EXPECT_EQ(hb::ComputeTotals(blocks, 0, false, false, 0).TotalText, "???");
}

TEST(MainLogic, InsertProposal) {
  hb::TMainObj m;
  m.SetResolutionText("0:15");
  m.SetDisplayedDate(QDate(2005, 3, 16));
  const QDate wed(2005, 3, 16);
  hb::TInsertSettings s;  // 07:45, Monday, 4 periods
  hb::TActieList week;
  hb::TXRect r;
  // No records, no right-click, 10:17: today 07:45 - 08:45 in today's column.
  ASSERT_TRUE(hb::ProposeInsert(week, m, true, 0, At(wed, 10, 17), s, r));
  EXPECT_EQ(r, (hb::TXRect{3, 31, 3, 34}));
  // After the last record; cut short by the next one.
  auto add = [&week](double start, double stop) {
    auto rec = std::make_unique<hb::TActieRec>();
    rec->RecNr = week.Count() + 1;
    rec->Start = start;
    rec->Stop = stop;
    week.Add(std::move(rec));
  };
  add(At(wed, 8, 0), At(wed, 9, 0));
  add(At(wed, 9, 30), At(wed, 10, 0));
  ASSERT_TRUE(hb::ProposeInsert(week, m, true, At(wed, 9, 0), At(wed, 10, 17), s, r));
  EXPECT_EQ(r, (hb::TXRect{3, 40, 3, 43}));  // after the latest stop 10:00
  // Shift+Insert with records keeps the latest stop.
  ASSERT_TRUE(hb::ProposeInsert(week, m, false, 0, At(wed, 10, 17), s, r));
  EXPECT_EQ(r, (hb::TXRect{3, 40, 3, 43}));
  // A day full up to its end moves to the next day at the work start.
  add(At(wed, 10, 0), At(wed, 23, 59));
  ASSERT_TRUE(hb::ProposeInsert(week, m, true, 0, At(wed, 10, 17), s, r));
  EXPECT_EQ(r, (hb::TXRect{4, 31, 4, 34}));
  // Shift+Insert on an empty week: the work week's first day at the work start.
  hb::TActieList empty;
  ASSERT_TRUE(hb::ProposeInsert(empty, m, false, 0, At(wed, 10, 17), s, r));
  EXPECT_EQ(r, (hb::TXRect{1, 31, 1, 34}));
}

TEST(MainLogic, BlockCaptionMarkup) {
  hb::TActieRec rec;
  rec.Klant->Afkorting = "kl1";
  rec.Klant->Naam = "Klant1";
  rec.Klant->Kleur = 0x00FF00;
  rec.Activiteit->Afkorting = "";
  rec.Product->Afkorting = "prd1";
  rec.Werkz = "Overleg";
  rec.Aantal = 3;
  rec.Start = At(QDate(2005, 3, 16), 8, 0);
  rec.Stop = At(QDate(2005, 3, 16), 9, 15);
  hb::TBlockColors colors;
  colors.Font = 255;
  colors.LongNames = false;
  const hb::TBlockLook look = hb::ComposeLook(rec, false, colors);
  EXPECT_EQ(look.Color, colors.Temp);  // provisional
  EXPECT_EQ(look.Bar1, 0x00FF00u);
  EXPECT_EQ(look.Caption,
            "#B+##C128#kl1#C##C15728640# | prd1#C8421504##HR##C##B-#08:00-09:15\r\n"
            "#C255##I+#Overleg\r\n#I-##B+#3");
  EXPECT_EQ(hb::ComposeLook(rec, true, colors).Color, hb::kSelectedColor);
  colors.LongNames = true;
  EXPECT_TRUE(hb::ComposeLook(rec, false, colors).Caption.contains("#C128#Klant1\r\n"));
}

}  // namespace
