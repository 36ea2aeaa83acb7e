// Authorisation upkeep: choosing another employee, items nobody may book on, the editor of
// one employee's authorisations and surplus department memberships.
#include "data/autorisatie.h"

#include <gtest/gtest.h>

#include "stamdb_fixture.h"

namespace {

class AutorisatieTest : public hbtest::StamDbTest {
 protected:
  // Jan (access A) in Verkoop, Piet in Verkoop and Inkoop, Klaas in Inkoop, Anna (access B)
  // in nothing; two customers, an activity and a product, of which Garage and Bouwen have
  // nobody authorised.
  void OpenCompany() {
    AddStam("M", 1, "Jan", {{"TOEGANG", "A"}});
    AddStam("M", 2, "Piet");
    AddStam("M", 3, "Klaas");
    AddStam("M", 4, "Anna", {{"TOEGANG", "B"}});
    AddStam("G", 10, "Verkoop");
    AddStam("G", 11, "Inkoop");
    AddStam("K", 20, "Shop");
    AddStam("K", 21, "Garage");
    AddStam("A", 30, "Bouwen");
    AddStam("P", 40, "Huis");
    AddAutor("G", 1, 10);
    AddAutor("G", 1, 11);  // Jan is authorised for both departments
    AddAutor("G", 2, 10);
    AddAutor("G", 3, 11);
    AddAutor("K", 1, 20);
    AddAutor("P", 2, 40);
    Open();
    hb::StamMedewerkers().LoadFromTable();
  }
  void LogIn(qint64 id) {
    hb::LoginMedewerker().AssignEmployee(*hb::StamMedewerkers().FindById(id));
    hb::CurrentMedewerker().AssignEmployee(*hb::StamMedewerkers().FindById(id));
  }
};

TEST_F(AutorisatieTest, OtherEmployeesOfTheOwnDepartmentsOrOfTheWholeCompany) {
  OpenCompany();
  Ini("ProgFunctions", "MultiDepartment", "1");
  LogIn(1);
  hb::TOtherEmployeeChoice choice = hb::PrepareOtherEmployeeChoice();
  EXPECT_EQ(choice.Label, "Afd.  Verkoop  Inkoop ");
  EXPECT_EQ(choice.Names, QStringList({"Jan", "Jan", "Klaas", "Piet"}));
  EXPECT_EQ(choice.Selected, 0);
  EXPECT_EQ(hb::StamAfdelingen().Names(), QStringList({"Inkoop", "Verkoop"}));
  EXPECT_EQ(hb::StamMedewerkers().Count(), 4);  // the shared list keeps everybody

  LogIn(4);
  hb::CurrentMedewerker().AssignEmployee(*hb::StamMedewerkers().FindById(3));
  choice = hb::PrepareOtherEmployeeChoice();
  EXPECT_EQ(choice.Label, "Alle afdelingen");
  EXPECT_EQ(choice.Names, QStringList({"Anna", "Jan", "Klaas", "Piet"}));
  EXPECT_EQ(choice.Selected, 2);
  EXPECT_EQ(hb::StamAfdelingen().Count(), 0);

  // The window's answer is the result; without a window nothing is chosen.
  EXPECT_EQ(hb::ChooseOtherEmployee(), "");
  hb::SetOtherEmployeeWindow([](const hb::TOtherEmployeeChoice& c, QString& chosen) {
    chosen = c.Names.at(3);
    return true;
  });
  EXPECT_EQ(hb::ChooseOtherEmployee(), "Piet");
  hb::SetOtherEmployeeWindow([](const hb::TOtherEmployeeChoice&, QString&) { return false; });
  EXPECT_EQ(hb::ChooseOtherEmployee(), "");
}

TEST_F(AutorisatieTest, MissingAuthorisationsOnlyForTypesWhoseAuthorisationIsOn) {
  OpenCompany();
  EXPECT_EQ(hb::MissingAuthorisations(), QStringList({"A - Bouwen", "K - Garage"}));

  QStringList shown;
  bool answer = false;
  hb::SetNotAuthorWindow([&](const QStringList& items) {
    shown = items;
    return answer;
  });
  EXPECT_FALSE(hb::CheckMissingAuthorisations());
  EXPECT_EQ(shown, QStringList({"A - Bouwen", "K - Garage"}));
  answer = true;
  EXPECT_TRUE(hb::CheckMissingAuthorisations());

  // The tables are left as they were found.
  EXPECT_EQ(Dm().tblAutor.IndexName(), "TYPMEDEW");
  EXPECT_EQ(Dm().tblStam.IndexName(), "TYPEID");
  EXPECT_EQ(Dm().StamFilter().Letter(), 'M');
  EXPECT_TRUE(Dm().tblStam.Filtered());
  int visible = 0;
  for (Dm().tblStam.First(); !Dm().tblStam.Eof(); Dm().tblStam.Next()) ++visible;
  EXPECT_EQ(visible, 4);

  Ini("Autorisaties", "K", "0");
  shown.clear();
  EXPECT_TRUE(hb::CheckMissingAuthorisations());
  EXPECT_EQ(shown, QStringList({"A - Bouwen"}));

  Ini("Autorisaties", "A", "0");
  Ini("Autorisaties", "P", "0");
  shown.clear();
  EXPECT_TRUE(hb::CheckMissingAuthorisations());
  EXPECT_TRUE(shown.isEmpty());
}

TEST_F(AutorisatieTest, MissingAuthorisationsWithoutAWindowAskTheDialogService) {
  OpenCompany();
  dialogs_.Queue(hb::TDialogAnswer::No);
  EXPECT_FALSE(hb::CheckMissingAuthorisations());
  ASSERT_EQ(dialogs_.Shown().size(), 1);
  EXPECT_EQ(dialogs_.Shown().at(0).title, "Ontbrekende autorisaties");
  EXPECT_TRUE(dialogs_.LastText().endsWith("\n\nA - Bouwen\nK - Garage"));

  // A table error is logged and lets the user go on.
  Dm().CloseTables();
  EXPECT_TRUE(hb::CheckMissingAuthorisations());
  EXPECT_TRUE(QString::fromLatin1(hbtest::ReadFile(hb::Paths().LogFile))
                  .contains("Beheer: Controle autorisaties gaf exception "));
}

TEST_F(AutorisatieTest, EditorMovesEntriesAndSavesOnlyWhatChanged) {
  OpenCompany();
  hb::TMedewAutor editor;
  ASSERT_TRUE(editor.Load("jan", hb::stKlant));
  EXPECT_EQ(editor.Caption(), "Autoriseren van jan voor stamtype Klant");
  EXPECT_EQ(editor.AuthorisedLabel(), "Geautoriseerd voor type Klant:");
  EXPECT_EQ(editor.OtherLabel(), "Niet geautoriseerd voor type Klant:");
  EXPECT_EQ(editor.Authorised(), QStringList({"Shop"}));
  EXPECT_EQ(editor.Other(), QStringList({"Garage"}));
  EXPECT_FALSE(editor.Changed());

  EXPECT_FALSE(editor.Move({"Nothing"}, true));
  EXPECT_FALSE(editor.Changed());
  EXPECT_TRUE(editor.MoveAll(true));
  EXPECT_EQ(editor.Authorised(), QStringList({"Garage", "Shop"}));
  EXPECT_TRUE(editor.Move({"Shop"}, false));
  editor.Save();
  EXPECT_FALSE(editor.Changed());
  EXPECT_EQ(AutorRows(), QStringList({"G|1|10", "G|2|10", "G|3|11", "K|1|21", "P|2|40"}));
  // With MultiDepartment off Jan's second membership went too, and that was reported.
  ASSERT_EQ(dialogs_.Shown().size(), 1);
  EXPECT_EQ(dialogs_.LastText(),
            "Dubbele afdelingslidmaatschappen, zijn verwijderd (zie Log)\n"
            "Medewerker Jan is lid van meerdere afdelingen: Verkoop en Inkoop (verwijderd)\n");

  EXPECT_FALSE(editor.Load("Onbekend", hb::stKlant));
}

TEST_F(AutorisatieTest, EditAuthorisationsSavesUnlessCancelled) {
  OpenCompany();
  Ini("ProgFunctions", "MultiDepartment", "1");
  bool keep = false;
  hb::SetMedewAutorWindow([&](hb::TMedewAutor& editor) {
    editor.Move({"Verkoop"}, true);
    return keep;
  });
  hb::EditAuthorisations("Klaas", hb::stAfdeling);
  EXPECT_EQ(AutorRows(), QStringList({"G|1|10", "G|1|11", "G|2|10", "G|3|11", "K|1|20", "P|2|40"}));
  keep = true;
  hb::EditAuthorisations("Klaas", hb::stAfdeling);
  EXPECT_EQ(AutorRows(),
            QStringList({"G|1|10", "G|1|11", "G|2|10", "G|3|10", "G|3|11", "K|1|20", "P|2|40"}));
  EXPECT_TRUE(dialogs_.Shown().isEmpty());
}

TEST_F(AutorisatieTest, AuthorisationsOfOneEmployeeCopiedToAnother) {
  OpenCompany();
  hb::CurrentMedewerker().AssignEmployee(*hb::StamMedewerkers().FindById(1));
  hb::CurrentMedewerker().LoadAuthorisations();
  EXPECT_EQ(hb::StamKlanten().Count(), 2);
  EXPECT_EQ(hb::StamAfdelingen().Count(), 2);
  EXPECT_EQ(hb::AutorKlanten().Names(), QStringList({"Shop"}));
  EXPECT_EQ(hb::AutorProducten().Count(), 0);
  EXPECT_EQ(hb::AutorAfdelingen().Names(), QStringList({"Inkoop", "Verkoop"}));

  // Jan's profile becomes Piet's: his rows of all four types are replaced.
  hb::TMedewerker piet;
  piet.AssignEmployee(*hb::StamMedewerkers().FindById(2));
  piet.SaveAuthorisations();
  EXPECT_EQ(AutorRows(),
            QStringList({"G|1|10", "G|1|11", "G|2|10", "G|2|11", "G|3|11", "K|1|20", "K|2|20"}));
  EXPECT_TRUE(dialogs_.Shown().isEmpty());

  Dm().CloseTables();
  piet.SaveAuthorisations();
  ASSERT_EQ(dialogs_.Shown().size(), 1);
  EXPECT_TRUE(dialogs_.LastText().startsWith("FOUT tijdens wegschrijven stamgegevens:"));
}

TEST_F(AutorisatieTest, SurplusMembershipsKeepTheLowestDepartment) {
  AddStam("M", 1, "Jan");
  AddStam("M", 2, "Piet");
  AddStam("G", 12, "Verkoop");
  AddStam("G", 11, "Inkoop");
  AddStam("G", 13, "Staf");
  AddAutor("G", 1, 13);
  AddAutor("G", 1, 12);
  AddAutor("G", 1, 11);
  AddAutor("G", 2, 12);
  AddAutor("G", 2, 12);  // the same membership twice
  AddAutor("K", 1, 12);
  Open();

  const QString report = hb::CheckMultipleDepartments(false);
  EXPECT_EQ(report,
            "Medewerker Jan is lid van meerdere afdelingen: Inkoop en Verkoop (verwijderd)\n"
            "Medewerker Jan is lid van meerdere afdelingen: Verkoop en Staf (verwijderd)\n"
            "Medewerker Piet is lid van meerdere afdelingen: Verkoop en Verkoop (verwijderd)\n");
  EXPECT_EQ(AutorRows().size(), 6);  // only reported

  EXPECT_EQ(hb::CheckMultipleDepartments(true), report);
  EXPECT_EQ(AutorRows(), QStringList({"G|1|11", "G|2|12", "K|1|12"}));
  EXPECT_EQ(hb::CheckMultipleDepartments(true), "");
  EXPECT_TRUE(QString::fromLatin1(hbtest::ReadFile(hb::Paths().LogFile))
                  .contains("> Medewerker Jan is lid van meerdere afdelingen: Verkoop en Staf"));

  Ini("ProgFunctions", "MultiDepartment", "1");
  hb::TStamList jan(hb::stAfdeling);
  hb::StamMedewerkers().LoadFromTable();
  hb::StamAfdelingen().LoadFromTable();
  jan.Add(hb::StamAfdelingen().FindById(13));
  jan.SaveSelectionToTable(*hb::StamMedewerkers().FindById(1));
  EXPECT_EQ(hb::CheckMultipleDepartments(true), "");
  EXPECT_EQ(AutorRows(), QStringList({"G|1|13", "G|2|12", "K|1|12"}));
}

}  // namespace
