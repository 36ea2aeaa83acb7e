#include "data/stamlists.h"

#include "data/stamtables.h"
#include "dbf/dbfdataset.h"
#include "platform/codepage.h"
#include "util/pathcontext.h"

namespace hb {

TStamList& StamMedewerkers() {
  static TStamList list(stMedewerker);
  return list;
}
TStamList& StamKlanten() {
  static TStamList list(stKlant);
  return list;
}
TStamList& StamActiviteiten() {
  static TStamList list(stActiviteit);
  return list;
}
TStamList& StamProducten() {
  static TStamList list(stProduct);
  return list;
}
TStamList& StamAfdelingen() {
  static TStamList list(stAfdeling);
  return list;
}
TAfdMedewStamList& AfdMedewerkers() {
  static TAfdMedewStamList list;
  return list;
}
TStamList& AutorKlanten() {
  static TStamList list(stKlant);
  return list;
}
TStamList& AutorActiviteiten() {
  static TStamList list(stActiviteit);
  return list;
}
TStamList& AutorProducten() {
  static TStamList list(stProduct);
  return list;
}
TStamList& AutorAfdelingen() {
  static TStamList list(stAfdeling);
  return list;
}
TMedewerker& CurrentMedewerker() {
  static TMedewerker employee;
  return employee;
}
TMedewerker& LoginMedewerker() {
  static TMedewerker employee;
  return employee;
}

TStamList* StamListOfType(TStamType type) {
  switch (type) {
    case stMedewerker:
      return &StamMedewerkers();
    case stKlant:
      return &StamKlanten();
    case stActiviteit:
      return &StamActiviteiten();
    case stProduct:
      return &StamProducten();
    case stAfdeling:
      return &StamAfdelingen();
    default:
      return nullptr;
  }
}

void ReadStamDebugSetting() {
  SetStamReadLogging(ProgramIni().ReadBool("Debug", "GetStam", false));
}

void ReloadAll() {
  ReloadSome(rlMedewerkers | rlKlanten | rlActiviteiten | rlProducten | rlAfdelingen |
             rlAfdMedewerkers);
}

void ReloadSome(int flags) {
  THourglass hourglass;
  TStamTables t = StamTables();
  TControlsSuspender suspend(t.Stam);
  ReadStamDebugSetting();
  if (flags & rlMedewerkers) StamMedewerkers().LoadFromTable();
  if (flags & rlKlanten) StamKlanten().LoadFromTable();
  if (flags & rlActiviteiten) StamActiviteiten().LoadFromTable();
  if (flags & rlProducten) StamProducten().LoadFromTable();
  if (flags & rlAfdelingen) StamAfdelingen().LoadFromTable();
  if (flags & rlAfdMedewerkers)
    AfdMedewerkers().LoadMedewerkerAfdeling(StamMedewerkers(), StamAfdelingen());
}

std::string AfdNameOfEmployee(int employeeId) {
  const TStamObjPtr membership = AfdMedewerkers().FindById(employeeId);
  return membership ? QStringToAnsi(membership->Naam) : std::string();
}

}  // namespace hb
