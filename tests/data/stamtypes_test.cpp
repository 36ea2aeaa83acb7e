// Stam type, classification and access codes; the flexible fields and their [Fields] keys.
#include "data/stamtypes.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "data/flexfields.h"
#include "data/medewerker.h"
#include "datafixture.h"
#include "testutil.h"
#include "util/pathcontext.h"

namespace {

TEST(StamTypes, TypeLettersBothWays) {
  const struct {
    int Type;
    char Letter;
  } types[] = {{0, ' '}, {1, 'M'}, {2, 'K'}, {3, 'A'},      {4, 'P'},
               {5, 'G'}, {6, 'G'}, {7, 'I'}, {128 + 2, 'K'}};
  for (const auto& t : types) EXPECT_EQ(hb::StamtypeToChar(t.Type), QChar(t.Letter)) << t.Type;
  for (int bad : {8, 127, 255}) EXPECT_THROW(hb::StamtypeToChar(bad), hb::EInvalidStamType) << bad;

  const struct {
    const char* Text;
    int Type;
  } letters[] = {{"", 0},  {" ", 0}, {"M", 1}, {"K", 2},    {"A", 3},
                 {"P", 4}, {"G", 5}, {"I", 7}, {"Klant", 2}};
  for (const auto& l : letters) EXPECT_EQ(hb::CharToStamtype(l.Text), l.Type) << l.Text;
  try {
    hb::CharToStamtype("x");
    FAIL();
  } catch (const hb::EInvalidStamType& e) {
    EXPECT_EQ(e.Message(), "Ongeldig stamtype: x");
  }
}

TEST(StamTypes, ClassificationAndAccessCodes) {
  const struct {
    const char* Letter;
    int Number;
  } overhead[] = {{" ", 0}, {"", 0}, {"F", 0}, {"I", 1}, {"O", 2}, {"T", 2}, {"A", 3}};
  for (const auto& o : overhead) EXPECT_EQ(hb::CharToOverhead(o.Letter), o.Number) << o.Letter;
  EXPECT_EQ(QString("FITA"), QString(hb::OverheadToChar(0)) + hb::OverheadToChar(1) +
                                 hb::OverheadToChar(2) + hb::OverheadToChar(3));
  EXPECT_EQ(
      hb::OverheadCode(0) + "|" + hb::OverheadCode(1) + hb::OverheadCode(2) + hb::OverheadCode(3),
      "|IOA");

  const struct {
    const char* Letter;
    int Number;
  } access[] = {{" ", 0}, {"F", 0}, {"A", 1}, {"B", 2}};
  for (const auto& a : access) EXPECT_EQ(hb::CharToToegang(a.Letter), a.Number) << a.Letter;
  EXPECT_EQ(hb::ToegangToChar(2), 'B');

  const struct {
    std::function<void()> Call;
    const char* Message;
  } errors[] = {
      {[] { hb::CharToOverhead("X"); }, "Ongeldig overheadtype: X"},
      {[] { hb::OverheadToChar(4); }, "Ongeldig overheadtype in StamtypeToChar"},
      {[] { hb::CharToToegang("C"); }, "Ongeldig toegangstype: C"},
      {[] { hb::ToegangToChar(-1); }, "Ongeldig toegangstype in ToegangToChar"},
  };
  for (const auto& e : errors) {
    try {
      e.Call();
      ADD_FAILURE() << e.Message;
    } catch (const hb::EInvalidStamType& ex) {
      EXPECT_EQ(ex.Message(), e.Message);
    }
  }

  EXPECT_EQ(hb::UrenFieldOfType(hb::stProduct), "PRODUCT");
  EXPECT_EQ(hb::UrenTagOfType(hb::stMedewerker), "TIJD");
  EXPECT_EQ(hb::UrenFieldOfType(hb::stAfdeling), "");
  EXPECT_EQ(hb::UrenTagOfType(hb::stAfdeling), "");
}

class FlexFieldsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qputenv("HOURBOOK_WINDIR", windir_.path().toUtf8());
    ASSERT_TRUE(hbtest::WriteFile(prog_.filePath("hbflex.INI"), ini));
    ASSERT_TRUE(hb::InitPaths(prog_.filePath("hbflex")));
    hb::LoadFlexFields();
  }
  void TearDown() override {
    hbtest::WriteFile(prog_.filePath("hbflex.INI"), "");
    hb::LoadFlexFields();
    qunsetenv("HOURBOOK_WINDIR");
  }

  QByteArray ini =
      "[Fields]\r\nDescrKlant=Client\r\nDescrProduct=R&&D &Kosten\r\nDescrActiviteit=\r\n"
      "UseVoorlopig=0\r\nMandatoryWerkzaamheden=1\r\nWidthAantal=9\r\nOrderAantal=x\r\n";
  QTemporaryDir prog_, windir_;
};

TEST_F(FlexFieldsTest, DefaultsAndTheFieldsKeys) {
  hb::TFlexFieldList& fields = hb::FlexFields();
  ASSERT_EQ(fields.Count(), 23);
  EXPECT_EQ(fields.Items(0).Key, "Klant");
  EXPECT_EQ(fields.Items(22).Key, "AfdelingOpm");
  EXPECT_EQ(fields.Items(16).FieldName, "START");  // Weeknr
  for (int i = 0; i < fields.Count(); ++i) EXPECT_TRUE(fields.Items(i).Loaded);

  const hb::TFlexField& stop = hb::FlexFldStop();
  EXPECT_EQ(stop.Caption, "S&top");
  EXPECT_EQ(stop.CaptionNoAmp(), "Stop");
  EXPECT_EQ(stop.Order, 8);
  EXPECT_EQ(stop.Width, 5);
  EXPECT_TRUE(stop.RightAligned);
  EXPECT_TRUE(stop.InUse);
  EXPECT_FALSE(stop.Mandatory);

  EXPECT_EQ(hb::FlexFldKlant().Caption, "Client");
  EXPECT_EQ(hb::FlexFldActiviteit().Caption, "&Activiteit");  // empty value: the default
  EXPECT_FALSE(hb::FlexFldVoorlopig().InUse);
  EXPECT_TRUE(hb::FlexFldWerkzaamheden().Mandatory);
  EXPECT_EQ(hb::FlexFldAantal().Width, 9);
  EXPECT_EQ(hb::FlexFldAantal().Order, 11);  // unreadable: the default

  const hb::TFlexField& product = hb::FlexFldProduct();
  EXPECT_EQ(product.CaptionStr(), "R&D Kosten");
  EXPECT_EQ(product.CaptionNoAmp(), "RD Kosten");
}

TEST_F(FlexFieldsTest, DescrKeysAlsoNameTheStamTypes) {
  EXPECT_EQ(hb::StamtypeName(hb::stKlant), "Client");
  EXPECT_EQ(hb::StamtypeName(hb::stActiviteit), "Activiteit");
  EXPECT_EQ(hb::StamtypeName(hb::stAfdeling), "Afdeling");
  EXPECT_EQ(hb::StamtypeName(hb::stGeen), "Alle stamtypes");
  EXPECT_EQ(hb::StamtypeName(hb::stMaxId), "MaxID");
}

TEST_F(FlexFieldsTest, LookupsByKeyCaptionAndControlName) {
  hb::TFlexFieldList& fields = hb::FlexFields();
  EXPECT_EQ(fields.FindByKey("werkzaamheden"), &hb::FlexFldWerkzaamheden());
  EXPECT_EQ(fields.FindByKey("Nope"), nullptr);
  EXPECT_EQ(fields.FindByCaption("Client"), &hb::FlexFldKlant());
  EXPECT_EQ(fields.FindByCaption("client"), nullptr);  // exact
  EXPECT_EQ(fields.FieldOfControl("chkUitvoerSaldo", "chkUitvoer"), &hb::FlexFldSaldo());
  EXPECT_EQ(fields.FieldOfControl("chkToonSaldo", "chkUitvoer"), nullptr);
  EXPECT_EQ(fields.CaptionOfControl("chkUitvoerStop", "chkUitvoer"), "S&top");
  EXPECT_EQ(fields.CaptionOfControl("btnX", "chkUitvoer"), "");
}

TEST_F(FlexFieldsTest, ScopeChoicesFollowTheAccess) {
  hb::TMedewerker employee;
  QStringList scopes{"old"};
  const struct {
    quint8 Access;
    QStringList Expected;
  } cases[] = {
      {hb::tgEigen, {"Huidige Medewerker"}},
      {hb::tgAfdeling, {"Huidige Medewerker", "Huidige Afdeling"}},
      {hb::tgBedrijf, {"Huidige Medewerker", "Huidige Afdeling", "Iedereen"}},
  };
  for (const auto& c : cases) {
    employee.Toegang = c.Access;
    employee.FillScopeChoices(scopes);
    EXPECT_EQ(scopes, c.Expected) << int(c.Access);
  }
}

}  // namespace
