// The process-wide master data lists and employees, shared by every part of the program.
//
//   StamKlanten().FindById(id)             all customers (after a reload)
//   AutorKlanten().Names()                 what the shown employee may book on
//   AfdMedewerkers().AfdelingsNaamVan(id)  an employee's department
//   CurrentMedewerker()                    the shown employee
//   LoginMedewerker()                      the logged-in employee
//   ReloadAll();                           every full list and the memberships from the tables
//   ReloadSome(rlMedewerkers | rlAfdelingen);
//
// Right after the tables open, StamKlanten .. StamAfdelingen hold the items the logged-in
// employee is authorised for; selecting the shown employee reloads them with all items.
#pragma once

#include <string>

#include "data/medewerker.h"
#include "data/stamlist.h"

namespace hb {

TStamList& StamMedewerkers();
TStamList& StamKlanten();
TStamList& StamActiviteiten();
TStamList& StamProducten();
TStamList& StamAfdelingen();
TAfdMedewStamList& AfdMedewerkers();
TStamList& AutorKlanten();
TStamList& AutorActiviteiten();
TStamList& AutorProducten();
TStamList& AutorAfdelingen();
TMedewerker& CurrentMedewerker();
TMedewerker& LoginMedewerker();

// The full list of a type number 1..5; nullptr for others.
TStamList* StamListOfType(TStamType type);

// Bits of ReloadSome.
enum TReloadFlag {
  rlMedewerkers = 2,
  rlKlanten = 4,
  rlActiviteiten = 8,
  rlProducten = 16,
  rlAfdelingen = 32,
  rlAfdMedewerkers = 64,
};

void ReloadAll();
void ReloadSome(int flags);

// Reads [Debug] GetStam of the program ini into the read logging of the items.
void ReadStamDebugSetting();

// The department of an employee ID as stored text (Windows-1252), empty when the employee
// is unknown or has none: the lookup of the expression function AFD.
std::string AfdNameOfEmployee(int employeeId);

}  // namespace hb
