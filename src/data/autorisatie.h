// Identification of the logged-in employee and the upkeep of authorisations.
//
//   IdentifyUser();                        // in OpenTables, after the employee list is loaded
//   QString name = ChooseOtherEmployee();  // empty: nothing chosen
//   if (!CheckMissingAuthorisations()) ... // the user cancelled
//   EditAuthorisations("JAN", stKlant);
//   QString report = CheckMultipleDepartments(true);
//
// Authorisation rows of URAUTOR are (type letter, employee ID text, item ID text): "K", "A",
// "P" let the employee book on the item, "G" makes him a member of the department. With
// [ProgFunctions] MultiDepartment off an employee keeps only the membership with the lowest
// department ID.
//
// The windows of this part (TfrmAndereGebruiker, TfrmNotAuthor, TfrmMedewAutor) are
// installed by the program through the setters below; without them the logic runs without a
// window (see each setter).
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "data/login.h"
#include "data/stamlist.h"

namespace hb {

// 1. The logged-in employee from the login name ([Environment] LoginField = 1: matched with
//    the remarks, else with the names); an unknown name is offered for adding or ends the
//    program.
// 2. With [Environment] Passwords on: the password, with at most three more tries through
//    the login dialog; a refused or cancelled password ends the program.
// 3. The shown employee := the logged-in one; the customer, activity, product and department
//    lists get the items he is authorised for.
void IdentifyUser(TLogin& login);
void IdentifyUser();

// ---- choosing another employee

struct TOtherEmployeeChoice {
  QString Label;      // "Alle afdelingen", or "Afd. " and the departments
  QStringList Names;  // sorted; an employee of two listed departments appears twice
  int Selected = -1;  // the entry of the shown employee
};
// Fills the choice (and replaces StamAfdelingen by the departments the logged-in employee
// is authorised for, when his access is not "B").
TOtherEmployeeChoice PrepareOtherEmployeeChoice();
// Shows the choice; true on OK with the chosen name.
using TOtherEmployeeWindow = std::function<bool(const TOtherEmployeeChoice&, QString& chosen)>;
// Without a window nothing is chosen.
void SetOtherEmployeeWindow(TOtherEmployeeWindow window);
QString ChooseOtherEmployee();

// ---- items nobody may book on

// Lines "letter - name" of the activities, customers and products that no URAUTOR row
// names, for the types whose authorisation is on; sorted. Raises on table errors.
QStringList MissingAuthorisations();
// Shows the lines; false when the user chose "&Annuleren".
using TNotAuthorWindow = std::function<bool(const QStringList& items)>;
// Without a window the lines are a Yes/No question of the dialog service.
void SetNotAuthorWindow(TNotAuthorWindow window);
// True without missing items, or when the user went on; an error is logged and gives true.
bool CheckMissingAuthorisations();

// ---- the authorisation editor of one employee and one type

class TMedewAutor {
 public:
  // Loads the employee by name, his authorised items of the type and the others. False when
  // the employee is unknown.
  bool Load(const QString& employeeName, TStamType type);

  QString Caption() const { return caption_; }
  QString AuthorisedLabel() const { return authorisedLabel_; }
  QString OtherLabel() const { return otherLabel_; }
  QString EmployeeName() const { return employeeName_; }
  TStamType Type() const { return type_; }

  // Display names, sorted (letter case ignored).
  QStringList Authorised() const;
  QStringList Other() const;

  // Moves the named entries to the other side; true when anything moved.
  bool Move(const QStringList& names, bool toAuthorised);
  bool MoveAll(bool toAuthorised);
  bool Changed() const { return changed_; }

  // Writes the rows when anything changed: missing authorised rows are appended, rows of
  // the other items deleted; then surplus department memberships are removed (and reported).
  void Save();

 private:
  QStringList NamesOf(const std::vector<TStamObjPtr>& items) const;

  TStamList employees_{stMedewerker};
  TStamList items_{stKlant};
  TStamObjPtr employee_;
  std::vector<TStamObjPtr> authorised_;
  std::vector<TStamObjPtr> other_;
  QString employeeName_;
  TStamType type_ = stKlant;
  QString caption_, authorisedLabel_, otherLabel_;
  bool changed_ = false;
};

// Shows the editor modally; false when it was closed with "&Annuleren".
using TMedewAutorWindow = std::function<bool(TMedewAutor& editor)>;
// Without a window the editor does nothing.
void SetMedewAutorWindow(TMedewAutorWindow window);
// Loads the editor, shows it and saves unless cancelled.
void EditAuthorisations(const QString& employeeName, TStamType type);

// ---- memberships

// With MultiDepartment off: reports (and with remove, deletes) every membership of an
// employee after his first in TYPMEDEW order, one line each.
QString CheckMultipleDepartments(bool remove);

}  // namespace hb
