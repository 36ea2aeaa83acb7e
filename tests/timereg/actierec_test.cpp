// Hour records in memory: copying, rate and code texts, the week list's period questions and
// the group totals of reports.
#include "timereg/actierec.h"

#include <gtest/gtest.h>

#include "data/flexfields.h"
#include "data/stamlists.h"
#include "timereg/actielist.h"
#include "timereg/groupactierec.h"
#include "timereg/mainobj.h"
#include "util/calendarfuncs.h"

namespace {

using hb::TActieRec;
using hb::TStamObj;
using hb::TStamObjPtr;

const QDate kDay(2005, 3, 16);
double At(int h, int m, int s = 0, int days = 0) {
  return hb::DateToMoment(kDay.addDays(days)) + (h * 3600 + m * 60 + s) / 86400.0;
}

TStamObjPtr Item(hb::TStamType type, int id, const QString& name, double factor = 1.0,
                 int overhead = hb::ohDirect) {
  auto item = std::make_shared<TStamObj>(nullptr, type);
  item->ID = id;
  item->Naam = name;
  item->Afkorting = name.left(4);
  item->TariefFactor = factor;
  item->Overhead = static_cast<quint8>(overhead);
  return item;
}

std::unique_ptr<TActieRec> Rec(int recNr, double start, double stop) {
  auto r = std::make_unique<TActieRec>();
  r->RecNr = recNr;
  r->Start = start;
  r->Stop = stop;
  return r;
}

// Puts the flexible fields' use back after a test.
struct TUseKeeper {
  bool klant = hb::FlexFldKlant().InUse, activ = hb::FlexFldActiviteit().InUse,
       prod = hb::FlexFldProduct().InUse;
  ~TUseKeeper() {
    hb::FlexFldKlant().InUse = klant;
    hb::FlexFldActiviteit().InUse = activ;
    hb::FlexFldProduct().InUse = prod;
  }
};

TEST(ActieRec, NewRecordAndAssignKeepSharedItemsApart) {
  TActieRec fresh;
  EXPECT_EQ(fresh.RecNr, 0);
  EXPECT_TRUE(fresh.Voorlopig);
  EXPECT_EQ(fresh.StatusText(), "V");
  EXPECT_EQ(fresh.Klant->Type, hb::stKlant);
  EXPECT_EQ(fresh.Product->Type, hb::stProduct);

  // The source holds items that a list shares; copying must not change them.
  TActieRec source;
  source.RecNr = 7;
  source.Klant = Item(hb::stKlant, 4, "Shop", 2.0);
  source.Werkz = "Overleg";
  source.Aantal = 3;
  source.Start = At(8, 0);
  source.Stop = At(9, 0);
  source.Voorlopig = false;
  TActieRec copy;
  copy.Assign(source);
  EXPECT_EQ(copy.RecNr, 7);
  EXPECT_EQ(copy.Klant->ID, 4);
  EXPECT_EQ(copy.Klant->Naam, "Shop");
  EXPECT_EQ(copy.Klant->TariefFactor, 2.0);
  EXPECT_EQ(copy.Werkz, "Overleg");
  EXPECT_EQ(copy.Aantal, 3);
  EXPECT_EQ(copy.Stop, At(9, 0));
  EXPECT_EQ(copy.StatusText(), "");
  EXPECT_NE(copy.Klant.get(), source.Klant.get());
  copy.Klant->Naam = "Changed";
  EXPECT_EQ(source.Klant->Naam, "Shop");
}

TEST(ActieRec, WeightedHoursFollowTheFieldsInUse) {
  TUseKeeper keep;
  TActieRec r;
  r.Medewerker = Item(hb::stMedewerker, 13, "TEST", 1.5);
  r.Klant = Item(hb::stKlant, 4, "Klant1", 2.0);
  r.Activiteit = Item(hb::stActiviteit, 7, "Act1", 0.5);
  r.Product = Item(hb::stProduct, 10, "Prd1", 3.0);
  r.Start = At(8, 0);
  r.Stop = At(10, 0);
  struct Case { bool klant, activ, prod; double hours; const char* rate; } cases[] = {
      {true, true, true, 9.0, "        9.00"},
      {false, true, true, 4.5, "        4.50"},
      {true, false, false, 6.0, "        6.00"},
      {false, false, false, 3.0, "        3.00"},
  };
  for (const Case& c : cases) {
    hb::FlexFldKlant().InUse = c.klant;
    hb::FlexFldActiviteit().InUse = c.activ;
    hb::FlexFldProduct().InUse = c.prod;
    EXPECT_NEAR(r.WeightedHours(), c.hours, 1e-9);
    EXPECT_EQ(r.RateText(), c.rate);
  }
  hb::FlexFldKlant().InUse = true;
  hb::FlexFldActiviteit().InUse = false;
  hb::FlexFldProduct().InUse = true;
  EXPECT_EQ(r.CalcText(), "\n\nMedewerker = 1.5   \nKlant = 2   \nProduct = 3   \nUren = 2");
}

TEST(ActieRec, CodesOfIndirectOverheadAndAbsentItems) {
  struct Case { int klant, activ, prod, medew; const char* codes; } cases[] = {
      {hb::ohOverhead, hb::ohIndirect, hb::ohDirect, hb::ohDirect, "Ok Ia"},
      {hb::ohDirect, hb::ohDirect, hb::ohDirect, hb::ohDirect, ""},
      {hb::ohDirect, hb::ohAfwezig, hb::ohIndirect, hb::ohOverhead, "Aa Ip Om"},
  };
  for (const Case& c : cases) {
    TActieRec r;
    r.Klant = Item(hb::stKlant, 4, "K", 1, c.klant);
    r.Activiteit = Item(hb::stActiviteit, 7, "A", 1, c.activ);
    r.Product = Item(hb::stProduct, 10, "P", 1, c.prod);
    r.Medewerker = Item(hb::stMedewerker, 13, "M", 1, c.medew);
    EXPECT_EQ(r.CodesText(), c.codes);
  }
}

TEST(ActieList, PeriodQuestionsOverTheRecords) {
  hb::TActieList list;
  EXPECT_EQ(list.LatestStop(), 0);
  EXPECT_TRUE(list.IsPeriodFree(-1, At(9, 0), At(8, 0)));
  EXPECT_FALSE(list.IsPeriodFree(-1, At(1, 0, 0, 1), At(23, 0)));

  list.Add(Rec(5, At(10, 0), At(12, 0)));
  list.Add(Rec(3, At(8, 0), At(9, 0)));
  TActieRec* late = list[list.Add(Rec(8, At(13, 0), At(15, 0)))];
  list.Add(Rec(9, At(14, 0), At(15, 0)));  // same stop: the first one counts

  EXPECT_EQ(list.LatestStop(), At(15, 0));
  EXPECT_EQ(list.SortedKeys(),
            QStringList({"200503160800-0900=3", "200503161000-1200=5", "200503161300-1500=8",
                         "200503161400-1500=9"}));

  // Touching blocks and blocks sharing less than half a minute do not collide.
  struct Case { double start, stop; bool free; } cases[] = {
      {At(9, 0), At(10, 0), true},         {At(8, 59, 40), At(10, 0), true},
      {At(8, 59), At(10, 0), false},       {At(7, 0), At(8, 0, 20), true},
  };
  for (const Case& c : cases) EXPECT_EQ(list.HasNoOverlap(*Rec(0, c.start, c.stop)), c.free);
  // A record of the list does not collide with itself, only with the others.
  EXPECT_FALSE(list.HasNoOverlap(*late));
  auto extracted = list.Extract(list[3]);
  EXPECT_TRUE(list.HasNoOverlap(*late));
  EXPECT_EQ(list.Count(), 3);

  hb::MainObj().SetResolutionText("0:15");
  EXPECT_FALSE(list.IsPeriodFree(-1, At(10, 30), At(9, 30)));
  EXPECT_TRUE(list.IsPeriodFree(5, At(10, 30), At(9, 30)));
  EXPECT_NEAR(list.NextFreeMoment(At(8, 0)), At(9, 0), 1e-9);
  EXPECT_NEAR(list.NextFreeMoment(At(10, 20)), At(12, 5), 1e-9);
  list.Clear();
  EXPECT_TRUE(list.IsEmpty());
}

TEST(GroupActieRec, TotalsAndColumnTexts) {
  TUseKeeper keep;
  hb::FlexFldKlant().InUse = true;
  hb::FlexFldActiviteit().InUse = true;
  hb::FlexFldProduct().InUse = true;
  // An employee in a department, as the memberships list holds it.
  auto dept = Item(hb::stAfdeling, 20, "Verkoop");
  dept->Opmerking = "Afdeling verkoop";
  hb::StamAfdelingen().Add(dept);
  auto membership = Item(hb::stAfdMedewerker, 13, "Verkoop");
  hb::AfdMedewerkers().Add(membership);

  hb::TGroupActieRec group;
  group.GroupKey = "old";
  group.GroupCount = 4;
  group.ResetTotals();
  EXPECT_EQ(group.GroupKey, "");
  EXPECT_EQ(group.FieldText(hb::FlexFldDuur()), "0:00");

  group.GroupKey = "Klant1";
  auto klant = Item(hb::stKlant, 4, "Klant1", 2.0);
  klant->Opmerking = "Vaste klant";
  auto medew = Item(hb::stMedewerker, 13, "Klant1");  // named as the key, for the remark rules
  medew->Opmerking = "Medewerker opm";
  for (auto [start, stop, aantal] : {std::tuple{At(8, 0), At(20, 0), 2},
                                     std::tuple{At(8, 0, 0, 1), At(21, 45, 0, 1), 5}}) {
    TActieRec r;
    r.Klant = klant;
    r.Medewerker = medew;
    r.Start = start;
    r.Stop = stop;
    r.Aantal = aantal;
    group.Assign(r);
    group.AddToTotals(r);
  }
  group.ReferUren = 40.0 / 24;
  group.Saldo = -1.5 / 24;
  EXPECT_EQ(group.GroupCount, 2);
  struct Case { hb::TFlexField& field; const char* text; } cases[] = {
      {hb::FlexFldAantal(), "7"},
      {hb::FlexFldDuur(), "25:45"},
      {hb::FlexFldTarief(), "     51,50"},
      {hb::FlexFldReferUren(), "40:00"},
      {hb::FlexFldSaldo(), "-1:30"},
      {hb::FlexFldKlantOpm(), "Vaste klant"},
      {hb::FlexFldMedewerkerOpm(), "Medewerker opm"},
      {hb::FlexFldAfdelingOpm(), "Afdeling verkoop"},
      {hb::FlexFldProductOpm(), ""},  // the product's name is not the key
      {hb::FlexFldDatum(), ""},
  };
  for (const Case& c : cases) EXPECT_EQ(group.FieldText(c.field), c.text) << c.field.Key.toStdString();
  group.GroupKey = "Klant2";
  EXPECT_EQ(group.FieldText(hb::FlexFldKlantOpm()), "");
  EXPECT_EQ(group.FieldText(hb::FlexFldAfdelingOpm()), "");

  hb::AfdMedewerkers().Clear();
  hb::StamAfdelingen().Clear();
}

}  // namespace
