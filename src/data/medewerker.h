// TMedewerker: an employee as the program holds it — the logged-in employee and the shown
// employee (stamlists.h) are two of them.
//
//   LoginMedewerker().AssignByName("JAN");   // from StamMedewerkers; an unknown name may be
//                                            // added as a new employee, or ends the program
//   CurrentMedewerker().LoadAuthorisations(); // all lists reloaded, the Autor lists for him
//   if (emp.PasswordMatches("geheim")) ...    // letter case ignored
#pragma once

#include <QStringList>

#include "data/stamobj.h"

namespace hb {

class TMedewerker : public TStamObj {
 public:
  explicit TMedewerker(TStamList* owner = nullptr) : TStamObj(owner, stMedewerker) {}

  // Every field of the employee, the password included.
  void AssignEmployee(const TStamObj& source);

  // Finds the employee by name in StamMedewerkers (trimmed, letter case ignored) and copies
  // it. An unknown name is offered for adding ([ProgFunctions] AddNewEmployee); refused or
  // not allowed, the program is ended. An empty name does nothing.
  void AssignByName(const QString& name);
  // The employee whose remark is the login name; otherwise as AssignByName (login).
  void AssignByRemark(const QString& login);
  // Reloads the five lists with all items, then fills the four Autor lists for this employee.
  void LoadAuthorisations();
  // Stores the four Autor lists as this employee's authorisations; errors are logged and shown.
  void SaveAuthorisations();
  bool PasswordMatches(const QString& text) const;
  // The report scopes this employee may choose: the own employee, the own department (access
  // "A" or "B"), everybody (access "B").
  void FillScopeChoices(QStringList& strings) const;

 private:
  bool AddEmployee(const QString& name);
};

}  // namespace hb
