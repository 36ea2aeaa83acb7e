#include "data/autorisatie.h"

#include <QCoreApplication>
#include <algorithm>
#include <set>

#include "data/dmdbase.h"
#include "data/stamlists.h"
#include "data/stamtables.h"
#include "data/termination.h"
#include "dbf/dbfdataset.h"
#include "platform/dialogservice.h"
#include "util/log.h"
#include "util/messages.h"
#include "util/pathcontext.h"
#include "util/textfuncs.h"

namespace hb {

namespace {

QString Tr(const char* text) {
  return QCoreApplication::translate("Autorisatie", text);
}

TOtherEmployeeWindow& OtherEmployeeWindow() {
  static TOtherEmployeeWindow window;
  return window;
}

TNotAuthorWindow& NotAuthorWindow() {
  static TNotAuthorWindow window;
  return window;
}

TMedewAutorWindow& MedewAutorWindow() {
  static TMedewAutorWindow window;
  return window;
}

void SortNames(QStringList& names) {
  std::stable_sort(names.begin(), names.end(), TTextLess());
}

constexpr int kMoreTries = 3;

}  // namespace

// ---- identification

void IdentifyUser() {
  IdentifyUser(LoginObject());
}

void IdentifyUser(TLogin& login) {
  TMedewerker& employee = LoginMedewerker();
  if (ProgramIni().ReadInteger("Environment", "LoginField", 0) == 1)
    employee.AssignByRemark(login.UserName());
  else
    employee.AssignByName(login.UserName());
  if (ApplicationTerminating()) return;

  const bool passwords = ProgramIni().ReadBool("Environment", "Passwords", false);
  if (passwords) {
    auto matches = [&] { return employee.PasswordMatches(login.Password().trimmed().toUpper()); };
    // The tries compare only the password, always with the employee found above.
    for (int tries = 0; tries < kMoreTries && !matches();) {
      if (!login.Password().isEmpty())
        Dialogs().Warning(ProgramTitle(),
                          FormatText(Tr("Ongeldig wachtwoord voor %s"), {login.UserName()}));
      if (!login.Login(true)) {
        RequestApplicationTermination();
        return;
      }
      ++tries;
    }
    if (!matches()) {
      RequestApplicationTermination();
      return;
    }
  }

  // The shown employee is the logged-in one itself (going by the name would pick the first
  // of two employees of the same name).
  CurrentMedewerker().AssignEmployee(employee);
  StamKlanten().LoadSelectionFromTable(CurrentMedewerker());
  StamActiviteiten().LoadSelectionFromTable(CurrentMedewerker());
  StamProducten().LoadSelectionFromTable(CurrentMedewerker());
  StamAfdelingen().LoadSelectionFromTable(CurrentMedewerker());
}

// ---- another employee

TOtherEmployeeChoice PrepareOtherEmployeeChoice() {
  TOtherEmployeeChoice choice;
  StamAfdelingen().SetType(stAfdeling);
  const TMedewerker& login = LoginMedewerker();
  if (login.Toegang == tgBedrijf) {
    StamMedewerkers().LoadFromTable();
    choice.Names = StamMedewerkers().Names();
    choice.Label = Tr("Alle afdelingen");
  } else {
    StamAfdelingen().LoadSelectionFromTable(login);
    choice.Label = Tr("Afd. ");
    // The members are read into a list of their own: the shared employee list keeps all.
    TStamList members(stMedewerker);
    for (int i = 0; i < StamAfdelingen().Count(); ++i) {
      const TStamObjPtr& department = StamAfdelingen().Items(i);
      choice.Label += " " + department->Naam + " ";
      members.LoadMedewerkersFromTable(stAfdeling, department->ID);
      choice.Names << members.Names();
    }
  }
  SortNames(choice.Names);
  const QString shown = CurrentMedewerker().Naam.trimmed();
  for (int i = 0; i < choice.Names.size(); ++i) {
    if (choice.Names.at(i).trimmed().compare(shown, Qt::CaseInsensitive) == 0) {
      choice.Selected = i;
      break;
    }
  }
  return choice;
}

void SetOtherEmployeeWindow(TOtherEmployeeWindow window) {
  OtherEmployeeWindow() = std::move(window);
}

QString ChooseOtherEmployee() {
  const TOtherEmployeeChoice choice = PrepareOtherEmployeeChoice();
  if (!OtherEmployeeWindow()) return QString();
  QString chosen;
  if (!OtherEmployeeWindow()(choice, chosen)) return QString();
  return chosen;
}

// ---- missing authorisations

QStringList MissingAuthorisations() {
  QStringList missing;
  TStamTables t = StamTables();
  TControlsSuspender suspendStam(t.Stam);
  TControlsSuspender suspendAutor(t.Autor);
  TTagKeeper keepAutor(t.Autor, "TYPVALUE");
  TTagKeeper keepStam(t.Stam, "TYPEID");
  // The filter comes back as it was: switching it on over the letter " " would hide every
  // row.
  const bool filtered = t.Stam.Filtered();
  t.Stam.SetFiltered(false);
  auto restore = [&] {
    try {
      t.Stam.SetKeyRange(QString(), QString());
      t.Autor.SetIndexName("TYPMEDEW");
      t.Stam.SetFiltered(filtered);
    } catch (const std::exception& e) {
      Log(ExceptionText(e));
    }
  };
  try {
    for (const QChar letter : {QChar('A'), QChar('K'), QChar('P')}) {
      if (!AuthorisationOn(CharToStamtype(letter))) continue;
      t.Stam.SetKeyRange(letter + QString(10, '0'), letter + QString(10, '9'));
      for (t.Stam.First(); !t.Stam.Eof(); t.Stam.Next()) {
        const QString id = FieldText(t.Stam, "ID");
        if (!t.Autor.Find(letter + id, false, false))
          missing << QString(letter) + " - " + FieldText(t.Stam, "OBJECT").trimmed();
      }
    }
  } catch (...) {
    restore();
    throw;
  }
  restore();
  SortNames(missing);
  return missing;
}

void SetNotAuthorWindow(TNotAuthorWindow window) {
  NotAuthorWindow() = std::move(window);
}

bool CheckMissingAuthorisations() {
  if (!AuthorisationOn(stKlant) && !AuthorisationOn(stProduct) && !AuthorisationOn(stActiviteit))
    return true;
  QStringList missing;
  try {
    missing = MissingAuthorisations();
  } catch (const std::exception& e) {
    Log(FormatText("Beheer: Controle autorisaties gaf exception %s", {ExceptionText(e)}));
    return true;
  }
  if (missing.isEmpty()) return true;
  if (NotAuthorWindow()) return NotAuthorWindow()(missing);
  return Dialogs().Question(
      Tr("Ontbrekende autorisaties"),
      Tr("Voor de volgende stamgegevens zijn geen autorisaties aanwezig. Hier kan dus door "
         "niemand op worden geboekt.") +
          "\n\n" + missing.join('\n'),
      true);
}

// ---- the authorisation editor

bool TMedewAutor::Load(const QString& employeeName, TStamType type) {
  const QString typeName = StamtypeName(type);
  type_ = type;
  employeeName_ = employeeName;
  caption_ = FormatText(Tr("Autoriseren van %s voor stamtype %s"), {employeeName, typeName});
  authorisedLabel_ = FormatText(Tr("Geautoriseerd voor type %s:"), {typeName});
  otherLabel_ = FormatText(Tr("Niet geautoriseerd voor type %s:"), {typeName});
  changed_ = false;
  authorised_.clear();
  other_.clear();

  THourglass hourglass;
  employees_.LoadFromTable();
  employee_ = employees_.FindByName(employeeName.trimmed());
  if (!employee_) return false;
  TStamList selection(type);
  selection.LoadSelectionFromTable(*employee_);
  items_.SetType(type);
  items_.LoadFromTable();
  std::set<qint32> ids;
  for (int i = 0; i < selection.Count(); ++i) ids.insert(selection.Items(i)->ID);
  // Both sides list the items of the full list, so that every entry has one display name.
  for (int i = 0; i < items_.Count(); ++i) {
    const TStamObjPtr& item = items_.Items(i);
    (ids.count(item->ID) ? authorised_ : other_).push_back(item);
  }
  return true;
}

QStringList TMedewAutor::NamesOf(const std::vector<TStamObjPtr>& items) const {
  QStringList names;
  for (const TStamObjPtr& item : items) names << items_.DisplayNameOf(item.get());
  SortNames(names);
  return names;
}

QStringList TMedewAutor::Authorised() const {
  return NamesOf(authorised_);
}

QStringList TMedewAutor::Other() const {
  return NamesOf(other_);
}

bool TMedewAutor::Move(const QStringList& names, bool toAuthorised) {
  std::vector<TStamObjPtr>& from = toAuthorised ? other_ : authorised_;
  std::vector<TStamObjPtr>& to = toAuthorised ? authorised_ : other_;
  bool moved = false;
  for (const QString& name : names) {
    auto it = std::find_if(from.begin(), from.end(), [&](const TStamObjPtr& item) {
      return items_.DisplayNameOf(item.get()) == name;
    });
    if (it == from.end()) continue;
    to.push_back(*it);
    from.erase(it);
    moved = true;
  }
  if (moved) changed_ = true;
  return moved;
}

bool TMedewAutor::MoveAll(bool toAuthorised) {
  return Move(toAuthorised ? Other() : Authorised(), toAuthorised);
}

void TMedewAutor::Save() {
  if (!changed_ || !employee_) return;
  TStamTables t = StamTables();
  const QString letter(StamtypeToChar(type_));
  const QString employeeId = employee_->IdText();
  {
    TTagKeeper keep(t.Autor, "TYPMEDEW");
    for (const TStamObjPtr& item : authorised_) {
      if (t.Autor.Find(letter + employeeId + item->IdText(), true, false)) continue;
      t.Autor.Append();
      SetFieldTextValue(t.Autor, "TYPE", letter);
      SetFieldTextValue(t.Autor, "MEDEWERKER", employeeId);
      SetFieldTextValue(t.Autor, "VALUE", item->IdText());
      t.Autor.Post();
    }
    bool deleted = false;
    for (const TStamObjPtr& item : other_) {
      for (;;) {
        t.Autor.SetIndexName("TYPMEDEW");
        if (!t.Autor.Find(letter + employeeId + item->IdText(), true, false)) break;
        t.Autor.Delete();
        deleted = true;
      }
    }
    t.Autor.FlushTable();
    if (deleted) ReopenTable(t.Autor);
  }
  const QString report = CheckMultipleDepartments(true);
  if (!report.isEmpty())
    ShowWarning(Tr("Dubbele afdelingslidmaatschappen, zijn verwijderd (zie Log)") + "\n" + report);
  changed_ = false;
}

void SetMedewAutorWindow(TMedewAutorWindow window) {
  MedewAutorWindow() = std::move(window);
}

void EditAuthorisations(const QString& employeeName, TStamType type) {
  if (!MedewAutorWindow()) return;
  TMedewAutor editor;
  if (!editor.Load(employeeName, type)) return;
  if (MedewAutorWindow()(editor)) editor.Save();
}

// ---- memberships

QString CheckMultipleDepartments(bool remove) {
  QString report;
  if (ProgramIni().ReadBool("ProgFunctions", "MultiDepartment", false)) return report;
  TStamTables t = StamTables();

  // Names from lists of their own: the shared department list may hold a selection.
  TStamList employees(stMedewerker), departments(stAfdeling);
  const QChar letter = t.Filter.Letter();
  try {
    employees.LoadFromTable();
    departments.LoadFromTable();
  } catch (...) {
    t.Filter.SetLetter(letter);
    throw;
  }
  t.Filter.SetLetter(letter);
  auto nameOf = [](const TStamList& list, const QString& idText) {
    const TStamObjPtr item = list.FindById(TdmDBase::IdValue(idText, -1));
    return item ? item->Naam : idText;
  };

  struct TSurplus {
    QString Key;
  };
  std::vector<TSurplus> surplus;
  {
    TTagKeeper keep(t.Autor, "TYPMEDEW");
    const QString caption = Tr("Opschonen dubbele afdelingslidmaatschappen");
    const int count = t.Autor.RecordCount();
    int row = 0;
    QString previousEmployee, previousDepartment;
    bool havePrevious = false;
    try {
      for (t.Autor.First(); !t.Autor.Eof(); t.Autor.Next()) {
        t.Dm.Progress(0, ++row, caption, count);
        if (FieldText(t.Autor, "TYPE") != "G") continue;
        const QString employee = FieldText(t.Autor, "MEDEWERKER");
        const QString department = FieldText(t.Autor, "VALUE");
        if (havePrevious && employee == previousEmployee) {
          const QString line =
              FormatText("Medewerker %s is lid van meerdere afdelingen: %s en %s (verwijderd)",
                         {nameOf(employees, employee), nameOf(departments, previousDepartment),
                          nameOf(departments, department)});
          Log(line);
          report += line + "\n";
          surplus.push_back({"G" + employee.leftJustified(10) + department});
        }
        previousEmployee = employee;
        previousDepartment = department;
        havePrevious = true;
      }
    } catch (...) {
      t.Dm.Progress(0, 0, QString(), 0);
      throw;
    }
    t.Dm.Progress(0, 0, QString(), 0);

    // The rows go after the walk: each delete reopens the table.
    if (remove && !surplus.empty()) {
      for (const TSurplus& row : surplus) {
        t.Autor.SetIndexName("TYPMEDEW");
        if (t.Autor.Find(row.Key, true, false)) t.Autor.Delete();
      }
      t.Autor.FlushTable();
    }
  }
  return report;
}

}  // namespace hb
