// The program's expression functions AFD and WEEKNRSTR and the week and period helpers.
#include "data/expfuncs.h"

#include <gtest/gtest.h>

#include <map>

#include "dbf/expr_testtable.h"
#include "util/calendarfuncs.h"

namespace {

double Day(int y, int m, int d) {
  return hb::DateToMoment(QDate(y, m, d));
}

class ExpFuncs : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { hb::RegisterProgramFunctions(); }
  void SetUp() override {
    hb::SetAfdLookup([this](int id) {
      lookups.push_back(id);
      auto it = departments.find(id);
      return it == departments.end() ? std::string() : it->second;
    });
  }
  void TearDown() override { hb::SetAfdLookup({}); }

  std::map<int, std::string> departments = {
      {12, "Verkoop"}, {7, std::string(45, 'L')}, {8, "Caf\xe9"}};
  std::vector<int> lookups;
};

TEST_F(ExpFuncs, WeekTextAroundYearBoundaries) {
  const struct {
    double Moment;
    const char* Expected;
  } cases[] = {
      {Day(2004, 1, 12), "2004 / 03"},
      {Day(2005, 1, 1), "2004 / 53"},
      {Day(2004, 12, 31), "2004 / 53"},
      {Day(2005, 1, 2) + 0.9999, "2004 / 53"},  // the last minute of the Sunday
      {Day(2005, 1, 3), "2005 / 01"},
      {Day(2008, 12, 29), "2009 / 01"},
      {Day(2009, 12, 31), "2009 / 53"},
      {Day(2010, 1, 3), "2009 / 53"},
      {Day(2010, 1, 4), "2010 / 01"},
      {Day(1995, 1, 1), "1994 / 52"},
      {Day(2021, 1, 3), "2020 / 53"},
      {Day(2027, 1, 1), "2026 / 53"},
      {Day(2012, 1, 1), "2011 / 52"},
      {Day(2012, 1, 2), "2012 / 01"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(hb::WeekText(c.Moment).toStdString(), c.Expected)
        << hb::MomentToDate(c.Moment).toString().toStdString();
}

TEST_F(ExpFuncs, WeeknrStrReadsStoredTimestamps) {
  // 01-01-2005 00:00 is 3653 days after the epoch.
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"WEEKNRSTR('   315619200')", "'2004 / 53'"},
      {"WEEKNRSTR('3156 19200')", "'2004 / 53'"},  // every space is removed
      {"WEEKNRSTR('')", "'1994 / 52'"},            // the epoch, Sunday 01-01-1995
      {"WEEKNRSTR('rubbish')", "'1994 / 52'"},
      {"WEEKNRSTR('           0')", "'1994 / 52'"},
      {"WEEKNRSTR('      604800')", "'1995 / 01'"},     // one week on: Sunday 08-01-1995
      {"weeknrstr(' 99999999999999')", "'1994 / 52'"},  // beyond 32 bits: the epoch
      {"WEEKNRSTR(1)", "error: Text needed for Argument 1 of WEEKNRSTR"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(hbtest::Eval(text), expected) << text;
}

TEST_F(ExpFuncs, AfdGivesTheDepartmentIn40Characters) {
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"AFD('0000000012')", "'Verkoop" + std::string(33, ' ') + "'"},
      {"AFD(' 12 ')", "'Verkoop" + std::string(33, ' ') + "'"},
      {"AFD('0000000099')", "'-" + std::string(39, ' ') + "'"},
      {"AFD('12x')", "'-" + std::string(39, ' ') + "'"},
      {"AFD('0000000007')", "'" + std::string(40, 'L') + "'"},
      {"AFD('8')", "'Caf\xe9" + std::string(36, ' ') + "'"},
      {"AFD(12)", "error: Text needed for Argument 1 of AFD"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(hbtest::Eval(text), expected) << text;
  EXPECT_EQ(lookups, (std::vector<int>{12, 12, 99, 0, 7, 8}));
  hb::SetAfdLookup({});
  EXPECT_EQ(hbtest::Eval("AFD('12')"), "'-" + std::string(39, ' ') + "'");
}

TEST_F(ExpFuncs, IndexKeyOfThePrintWorkTable) {
  hbtest::TExprTestTable table;
  hb::TExpUserLink link(table);
  table.Set("MEDEWERKER", "0000000012");
  table.Set("START", "   315619200");
  EXPECT_EQ(hbtest::Eval("AFD(MEDEWERKER)+WEEKNRSTR(START)", &link),
            "'Verkoop" + std::string(33, ' ') + "2004 / 53'");
}

TEST_F(ExpFuncs, RegistrationIsRefusedTwice) {
  EXPECT_FALSE(hb::RegisterProgramFunctions());
  EXPECT_NE(hb::GlobalFunctions().Find("AFD"), nullptr);
  EXPECT_NE(hb::GlobalFunctions().Find("WEEKNRSTR"), nullptr);
}

TEST_F(ExpFuncs, PeriodStartsLookSevenDaysBack) {
  const struct {
    double Moment;
    double Quarter, HalfYear;
  } cases[] = {
      {Day(2004, 4, 5), Day(2004, 1, 1), Day(2004, 1, 1)},
      {Day(2004, 4, 8), Day(2004, 4, 1), Day(2004, 1, 1)},
      {Day(2004, 1, 3), Day(2003, 10, 1), Day(2003, 7, 1)},
      {Day(2004, 7, 7) + 0.5, Day(2004, 4, 1), Day(2004, 1, 1)},
      {Day(2004, 7, 8), Day(2004, 7, 1), Day(2004, 7, 1)},
      {Day(2004, 12, 31), Day(2004, 10, 1), Day(2004, 7, 1)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(hb::QuarterStart(c.Moment), c.Quarter)
        << hb::MomentToDate(c.Moment).toString().toStdString();
    EXPECT_EQ(hb::HalfYearStart(c.Moment), c.HalfYear)
        << hb::MomentToDate(c.Moment).toString().toStdString();
  }
}

}  // namespace
