#include "data/medewerker.h"

#include <QCoreApplication>

#include "data/dmdbase.h"
#include "data/flexfields.h"
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
  return QCoreApplication::translate("Medewerker", text);
}

void Stop(const QString& message, bool log) {
  if (log)
    LogAndShow(message);
  else
    ShowWarning(message);
  RequestApplicationTermination();
}

}  // namespace

void TMedewerker::AssignEmployee(const TStamObj& source) {
  if (&source == this) return;
  Assign(source);
  Password = source.Password;
}

void TMedewerker::AssignByName(const QString& name) {
  const QString wanted = name.trimmed().toUpper();
  // A name of blanks names nobody; asking to add it would add a nameless employee.
  if (wanted.isEmpty()) return;
  TStamObjPtr found = StamMedewerkers().FindByName(wanted);
  if (!found) {
    const bool mayAdd = ProgramIni().ReadBool("ProgFunctions", "AddNewEmployee", true);
    if (!mayAdd ||
        !Dialogs().Question(
            ProgramTitle(),
            FormatText(Tr("Medewerker %s komt niet voor in de lijst, Toevoegen?"), {wanted}),
            true)) {
      Stop(FormatText(Tr("Medewerker %s niet bekend, programma gestopt."), {wanted}), false);
      return;
    }
    if (AddEmployee(wanted)) {
      StamMedewerkers().LoadFromTable();
      found = StamMedewerkers().FindByName(wanted);
    }
    if (!found) {
      Stop(FormatText(Tr("Medewerker %s kon niet worden toegevoegd, programma gestopt."), {wanted}),
           true);
      return;
    }
  }
  AssignEmployee(*found);
}

bool TMedewerker::AddEmployee(const QString& name) {
  QString access = ProgramIni().ReadString("System", "DefaultAccess", "B").toUpper();
  if (access != " " && access != "B" && access != "F" && access != "A") access = "B";
  try {
    TStamTables t = StamTables();
    t.Stam.Append();
    SetFieldTextValue(t.Stam, "TYPE", "M");
    SetFieldTextValue(t.Stam, "OBJECT", name);
    SetFieldTextValue(t.Stam, "OPMERKING", name);
    SetFieldTextValue(t.Stam, "AFKORTING", name);
    SetFieldTextValue(t.Stam, "KLEUR", QString());
    SetFieldTextValue(t.Stam, "TARIEFFACT", QString());
    SetFieldTextValue(t.Stam, "TOEGANG", access);
    SetFieldTextValue(t.Stam, "PASSWORD", QString());
    t.Stam.Post();
    t.Stam.FlushTable();
    return true;
  } catch (const std::exception& e) {
    Log(ExceptionText(e));
    try {
      if (TdmDBase* dm = DmDBase(); dm && TdmDBase::IsEditing(dm->tblStam)) dm->tblStam.Cancel();
    } catch (const std::exception&) {
    }
    return false;
  }
}

void TMedewerker::AssignByRemark(const QString& login) {
  // The employee found by the remark is taken as it is: going by its name would pick the
  // first of two employees of the same name.
  if (const TStamObjPtr found = StamMedewerkers().FindByRemark(login);
      found && !login.trimmed().isEmpty())
    AssignEmployee(*found);
  else
    AssignByName(login);
}

void TMedewerker::LoadAuthorisations() {
  THourglass hourglass;
  TStamTables t = StamTables();
  TControlsSuspender suspend(t.Stam);
  StamMedewerkers().LoadFromTable();
  StamAfdelingen().LoadFromTable();
  StamKlanten().LoadFromTable();
  StamActiviteiten().LoadFromTable();
  StamProducten().LoadFromTable();
  AutorKlanten().LoadSelectionFromTable(*this);
  AutorActiviteiten().LoadSelectionFromTable(*this);
  AutorProducten().LoadSelectionFromTable(*this);
  AutorAfdelingen().LoadSelectionFromTable(*this);
}

void TMedewerker::SaveAuthorisations() {
  try {
    AutorKlanten().SaveSelectionToTable(*this);
    AutorActiviteiten().SaveSelectionToTable(*this);
    AutorProducten().SaveSelectionToTable(*this);
    AutorAfdelingen().SaveSelectionToTable(*this);
  } catch (const std::exception& e) {
    LogAndShow(Tr("FOUT tijdens wegschrijven stamgegevens:") + ExceptionText(e));
  }
}

bool TMedewerker::PasswordMatches(const QString& text) const {
  return text.toUpper() == Password.toUpper();
}

void TMedewerker::FillScopeChoices(QStringList& strings) const {
  strings.clear();
  const QString current = Tr("Huidige ");
  strings << current + FlexFldMedewerker().CaptionNoAmp();
  if (Toegang == tgAfdeling || Toegang == tgBedrijf)
    strings << current + FlexFldAfdeling().CaptionNoAmp();
  if (Toegang == tgBedrijf) strings << Tr("Iedereen");
}

}  // namespace hb
