// Master data lists: the name and ID indexes, loading by type and by authorisation, saving
// authorisations, department memberships, reloads, the text dump and the AFD lookup.
#include "data/stamlist.h"

#include <gtest/gtest.h>

#include "data/expfuncs.h"
#include "dbf/expr_testtable.h"
#include "stamdb_fixture.h"

namespace {

using hb::TStamList;
using hb::TStamObj;
using hb::TStamObjPtr;

TStamObjPtr Item(TStamList& list, qint32 id, const QString& name) {
  auto item = std::make_shared<TStamObj>(&list, list.Type());
  item->ID = id;
  item->Naam = name;
  return item;
}

TEST(StamListIndex, DuplicateNamesGetSuffixesAndTheFirstItemKeepsItsId) {
  TStamList list(hb::stKlant);
  list.Add(Item(list, 5, "Shop"));
  list.Add(Item(list, 7, "shop"));
  list.Add(Item(list, 9, "Shop"));
  list.Add(Item(list, 5, "Bakker"));  // a second item with ID 5
  list.Add(Item(list, 3, "Shop [1]"));

  EXPECT_EQ(list.Names(), QStringList({"Bakker", "Shop", "shop [1]", "Shop [1] [1]", "Shop [2]"}));
  EXPECT_EQ(list.FindByName("SHOP")->ID, 5);
  EXPECT_EQ(list.FindByName("Shop [2]")->ID, 9);
  EXPECT_EQ(list.FindById(5)->Naam, "Shop");
  EXPECT_EQ(list.IdOfName("bakker"), 5);
  EXPECT_EQ(list.NameOf(7), "shop");
  EXPECT_EQ(list.NameOf(8), "");
  EXPECT_EQ(list.IdOfName("nobody"), 0);
  EXPECT_EQ(list.IdTexts(), QStringList({"0000000003", "0000000005", "0000000007", "0000000009"}));

  // Removing the item that held ID 5 hands the ID to the other one, as a reload would.
  TStamObjPtr shop = list.FindById(5);
  TStamObjPtr removed = list.Remove(shop.get());
  EXPECT_EQ(removed, shop);
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(list.FindById(5)->Naam, "Bakker");
  EXPECT_EQ(list.FindByName("Shop"), nullptr);
}

TEST(StamListIndex, PlaceholderForAnUnknownIdBelongsToNoList) {
  TStamList list(hb::stActiviteit);
  list.Add(Item(list, 4, "Bouwen"));
  EXPECT_EQ(list.FindOrPlaceholder(4)->Naam, "Bouwen");
  TStamObjPtr placeholder = list.FindOrPlaceholder(99);
  EXPECT_EQ(placeholder->Naam, " ");
  EXPECT_EQ(placeholder->ID, 0);
  EXPECT_EQ(placeholder->Type, hb::stActiviteit);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.FindById(0), nullptr);

  // Items held elsewhere outlive a cleared list.
  TStamObjPtr kept = list.FindById(4);
  list.Clear();
  EXPECT_EQ(kept->Naam, "Bouwen");
  EXPECT_EQ(list.Count(), 0);
}

TEST(StamListIndex, FindByRemarkComparesTrimmedUpperCase) {
  TStamList list(hb::stMedewerker);
  auto a = Item(list, 1, "A");
  auto b = Item(list, 2, "B");
  b->Opmerking = " jsmit ";
  list.Add(a);
  list.Add(b);
  EXPECT_EQ(list.FindByRemark("JSMIT")->ID, 2);
  EXPECT_EQ(list.FindByRemark("  JSmit"), b);
  EXPECT_EQ(list.FindByRemark("other"), nullptr);
}

class StamListTable : public hbtest::StamDbTest {};

TEST_F(StamListTable, ItemsAreReadFromTheirRowWithDefaultsForUnreadableValues) {
  AddStam("K", 3, "  Shop  ",
          {{"AFKORTING", "SH"},
           {"KLEUR", " 255 "},
           {"TARIEFFACT", "1,5"},
           {"OVERHEAD", "O"},
           {"OPMERKING", " winkel"}});
  AddStam("K", 4, "Garage", {{"KLEUR", "rood"}, {"TARIEFFACT", "x"}, {"OVERHEAD", "Q"}});
  AddStam("M", 1, "Jan", {{"REFERUREN", "38"}, {"TOEGANG", "A"}, {"PASSWORD", "Geheim"}});
  AddStam("M", 2, "Piet", {{"TOEGANG", "b"}});
  Open();

  hb::StamKlanten().LoadFromTable();
  ASSERT_EQ(Names(hb::StamKlanten()), QStringList({"Garage", "Shop"}));
  const TStamObjPtr shop = hb::StamKlanten().FindById(3);
  EXPECT_EQ(shop->Afkorting, "SH");
  EXPECT_EQ(shop->Kleur, 255);
  EXPECT_DOUBLE_EQ(shop->TariefFactor, 1.5);
  EXPECT_EQ(shop->Overhead, hb::ohOverhead);
  EXPECT_EQ(shop->Opmerking, "winkel");
  EXPECT_EQ(shop->Type, hb::stKlant);
  const TStamObjPtr garage = hb::StamKlanten().FindById(4);
  EXPECT_EQ(garage->Kleur, 16777215);
  EXPECT_DOUBLE_EQ(garage->TariefFactor, 1.0);
  EXPECT_EQ(garage->Overhead, hb::ohDirect);  // an unknown letter does not stop the loading

  hb::StamMedewerkers().LoadFromTable();
  const TStamObjPtr jan = hb::StamMedewerkers().FindByName("JAN");
  EXPECT_DOUBLE_EQ(jan->ReferUren, 38.0 / 24);
  EXPECT_EQ(jan->Toegang, hb::tgAfdeling);
  EXPECT_EQ(jan->Password, "Geheim");
  EXPECT_EQ(hb::StamMedewerkers().FindById(2)->Toegang, hb::tgBedrijf);
  EXPECT_EQ(Dm().StamFilter().Letter(), 'M');
}

TEST_F(StamListTable, SelectionFollowsTheAuthorisationRowsOrAllItemsWhenAuthorisationIsOff) {
  AddStam("M", 1, "Jan");
  AddStam("M", 2, "Piet");
  AddStam("K", 3, "Shop");
  AddStam("K", 4, "Garage");
  AddStam("K", 5, "Bakker");
  AddStam("A", 6, "Bouwen");
  AddAutor("K", 1, 4);
  AddAutor("K", 1, 77);  // an item that is gone
  AddAutor("K", 2, 3);
  AddAutor("A", 1, 6);
  Open();
  hb::StamMedewerkers().LoadFromTable();
  const TStamObjPtr jan = hb::StamMedewerkers().FindById(1);

  hb::AutorKlanten().LoadSelectionFromTable(*jan);
  EXPECT_EQ(Names(hb::AutorKlanten()), QStringList({"Garage"}));
  hb::AutorActiviteiten().LoadSelectionFromTable(*jan);
  EXPECT_EQ(Names(hb::AutorActiviteiten()), QStringList({"Bouwen"}));
  EXPECT_EQ(Dm().tblAutor.IndexName(), "TYPMEDEW");
  EXPECT_EQ(Dm().tblStam.IndexName(), "TYPEID");

  Ini("Autorisaties", "K", "0");
  hb::AutorKlanten().LoadSelectionFromTable(*jan);
  EXPECT_EQ(Names(hb::AutorKlanten()), QStringList({"Bakker", "Garage", "Shop"}));

  // Saving with authorisation off writes nothing.
  hb::AutorKlanten().SaveSelectionToTable(*jan);
  EXPECT_EQ(AutorRows(), QStringList({"A|1|6", "K|1|4", "K|1|77", "K|2|3"}));

  EXPECT_THROW(hb::StamMedewerkers().LoadSelectionFromTable(*jan), hb::EStamListError);
  EXPECT_THROW(hb::StamMedewerkers().SaveSelectionToTable(*jan), hb::EStamListError);
}

TEST_F(StamListTable, SavingASelectionReplacesTheEmployeesRowsOfThatTypeOnly) {
  AddStam("M", 1, "Jan");
  AddStam("M", 2, "Piet");
  AddStam("K", 3, "Shop");
  AddStam("K", 4, "Garage");
  AddStam("K", 5, "Bakker");
  AddAutor("K", 1, 4);
  AddAutor("K", 2, 3);
  AddAutor("A", 1, 9);
  Open();
  hb::StamMedewerkers().LoadFromTable();
  hb::StamKlanten().LoadFromTable();
  const TStamObjPtr jan = hb::StamMedewerkers().FindById(1);

  TStamList selection(hb::stKlant);
  selection.Add(hb::StamKlanten().FindById(5));
  selection.Add(hb::StamKlanten().FindById(3));
  selection.SaveSelectionToTable(*jan);
  EXPECT_EQ(AutorRows(), QStringList({"A|1|9", "K|1|3", "K|1|5", "K|2|3"}));

  selection.Clear();
  selection.SaveSelectionToTable(*jan);
  EXPECT_EQ(AutorRows(), QStringList({"A|1|9", "K|2|3"}));
  EXPECT_EQ(Dm().tblAutor.IndexName(), "TYPMEDEW");
}

TEST_F(StamListTable, EmployeesOfAnItemAndAuthorisingThemForAnother) {
  AddStam("M", 1, "Jan");
  AddStam("M", 2, "Piet");
  AddStam("M", 3, "Klaas");
  AddStam("G", 10, "Verkoop");
  AddStam("K", 20, "Shop");
  AddAutor("G", 1, 10);
  AddAutor("G", 3, 10);
  AddAutor("K", 3, 20);
  Open();

  TStamList members(hb::stMedewerker);
  members.LoadMedewerkersFromTable(hb::stAfdeling, 10);
  EXPECT_EQ(Names(members), QStringList({"Jan", "Klaas"}));

  members.AddAuthorisationsForItem(hb::stKlant, 20);
  EXPECT_EQ(AutorRows(), QStringList({"G|1|10", "G|3|10", "K|1|20", "K|3|20"}));
  members.RemoveAuthorisationsForItem(hb::stKlant, 20);
  EXPECT_EQ(AutorRows(), QStringList({"G|1|10", "G|3|10"}));

  Ini("Autorisaties", "K", "0");
  members.AddAuthorisationsForItem(hb::stKlant, 20);
  EXPECT_EQ(AutorRows(), QStringList({"G|1|10", "G|3|10"}));
  members.LoadMedewerkersFromTable(hb::stKlant, 20);
  EXPECT_EQ(Names(members), QStringList({"Jan", "Klaas", "Piet"}));

  EXPECT_THROW(hb::StamKlanten().LoadMedewerkersFromTable(hb::stAfdeling, 10), hb::EStamListError);
}

TEST_F(StamListTable, MembershipsGiveTheDepartmentWithTheLowestId) {
  AddStam("M", 1, "Jan");
  AddStam("M", 2, "Piet");
  AddStam("M", 3, "Klaas");
  AddStam("G", 12, "Verkoop", {{"AFKORTING", "VK"}, {"OPMERKING", "begane grond"}});
  AddStam("G", 11, "Inkoop");
  AddAutor("G", 1, 12);
  AddAutor("G", 1, 11);
  AddAutor("G", 2, 12);
  AddAutor("G", 3, 99);  // a department that is gone
  Open();

  hb::ReloadAll();
  hb::TAfdMedewStamList& afd = hb::AfdMedewerkers();
  EXPECT_EQ(afd.Count(), 3);
  EXPECT_EQ(afd.AfdelingsNaamVan(1), "Inkoop");
  EXPECT_EQ(afd.AfdelingsNaamVan(2), "Verkoop");
  EXPECT_EQ(afd.AfdelingsNaamVan(3), "-");
  EXPECT_EQ(afd.FindById(2)->Afkorting, "VK");
  EXPECT_EQ(afd.FindById(2)->Opmerking, "begane grond");
  EXPECT_EQ(afd.AfdelingVan(2)->ID, 12);
  EXPECT_EQ(afd.AfdelingVan(3), nullptr);

  // AFD in an expression asks the same lists.
  hb::RegisterProgramFunctions();
  hb::SetAfdLookup(&hb::AfdNameOfEmployee);
  EXPECT_EQ(hbtest::Eval("AFD('0000000001')"), "'Inkoop" + std::string(34, ' ') + "'");
  EXPECT_EQ(hbtest::Eval("AFD('0000000003')"), "'-" + std::string(39, ' ') + "'");

  // A wrong list type is reported and the lookup goes on.
  hb::TAfdMedewStamList wrong;
  wrong.SetType(hb::stKlant);
  EXPECT_EQ(wrong.AfdelingsNaamVan(1), "-");
  EXPECT_EQ(dialogs_.LastText(), "Fout in functie AfdelingsNaamVan: onjuist type");
  EXPECT_THROW(wrong.LoadMedewerkerAfdeling(hb::StamMedewerkers(), hb::StamAfdelingen()),
               hb::EStamListError);
}

TEST_F(StamListTable, ReloadSomeReadsOnlyTheFlaggedListsAndLogsItemsWhenAsked) {
  AddStam("M", 1, "Jan", {{"REFERUREN", "40"}, {"TARIEFFACT", "2.5"}});
  AddStam("K", 2, "Shop");
  AddStam("G", 3, "Verkoop");
  AddAutor("G", 1, 3);
  Open();
  Ini("Debug", "GetStam", "1");

  hb::ReloadSome(hb::rlMedewerkers | hb::rlAfdelingen | hb::rlAfdMedewerkers);
  EXPECT_EQ(hb::StamMedewerkers().Count(), 1);
  EXPECT_EQ(hb::StamAfdelingen().Count(), 1);
  EXPECT_EQ(hb::StamKlanten().Count(), 0);
  EXPECT_EQ(hb::AfdMedewerkers().AfdelingsNaamVan(1), "Verkoop");

  const QString log = QString::fromLatin1(hbtest::ReadFile(hb::Paths().LogFile));
  EXPECT_TRUE(log.contains("> --- get stamrecord ---\r\n")) << log.toStdString();
  EXPECT_TRUE(log.contains("> StamType: M\r\n"));
  EXPECT_TRUE(log.contains("> Naam    : Jan\r\n"));
  EXPECT_TRUE(log.contains("> Tarief  :       2.50\r\n"));
  EXPECT_TRUE(log.contains("> RefUren : 40:00\r\n"));
  EXPECT_TRUE(log.contains("> Toegang : 0\r\n"));
  EXPECT_FALSE(log.contains("Naam    : Shop"));

  Ini("Debug", "GetStam", "0");
  hb::ReloadAll();
  EXPECT_EQ(hb::StamKlanten().Count(), 1);
  EXPECT_FALSE(QString::fromLatin1(hbtest::ReadFile(hb::Paths().LogFile)).contains("Shop"));
}

TEST_F(StamListTable, SaveToFileWritesOneLinePerItem) {
  AddStam("K", 3, "Caf\u00e9",
          {{"AFKORTING", "CF"}, {"TARIEFFACT", "1.25"}, {"OPMERKING", "hoek"}});
  AddStam("K", 4, "Shop");
  Open();
  hb::StamKlanten().LoadFromTable();
  const QString file = prog_.filePath("lstKlant.tmp");
  hb::StamKlanten().SaveToFile(file);
  EXPECT_EQ(hbtest::ReadFile(file),
            QByteArray("K,3,Caf\xe9,CF,   1.25000,hoek\r\nK,4,Shop,,   1.00000,\r\n"));

  hb::StamKlanten().SaveToFile(prog_.filePath("missing/dir/x.tmp"));
  EXPECT_TRUE(QString::fromLatin1(hbtest::ReadFile(hb::Paths().LogFile))
                  .contains("Fout bij wegschrijven stamlist: "));
}

}  // namespace
