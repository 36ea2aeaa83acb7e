#include "timereg/groupactierec.h"

#include "data/flexfields.h"
#include "data/stamlists.h"
#include "util/conversions.h"
#include "util/textfuncs.h"

namespace hb {

namespace {

// The remark of an item when its name is the group key.
QString RemarkOfGroup(const TStamObjPtr& item, const QString& groupKey) {
  return item && item->Naam == groupKey ? item->Opmerking : QString();
}

}  // namespace

void TGroupActieRec::ResetTotals() {
  GroupKey.clear();
  GroupCount = 0;
  TotalDuration = 0;
  TotalAmount = 0;
  TotalAantal = 0;
  ReferUren = 0;
  Saldo = 0;
}

void TGroupActieRec::AddToTotals(const TActieRec& record) {
  ++GroupCount;
  // The group object holds a copy of the record being added (Assign comes first).
  TotalAmount += WeightedHours();
  TotalDuration += record.Stop - record.Start;
  TotalAantal += record.Aantal;
}

QString TGroupActieRec::FieldText(const TFlexField& field) const {
  const QString key = field.Key.toLower();
  if (key == "aantal") return QString::number(TotalAantal);
  if (key == "duur") return DurationText(TotalDuration);
  if (key == "tarief") return FormatText("%10.2n", {TotalAmount});
  if (key == "referuren") return DurationText(ReferUren);
  if (key == "saldo") return DurationText(Saldo);
  if (key == "klantopm") return RemarkOfGroup(Klant, GroupKey);
  if (key == "activiteitopm") return RemarkOfGroup(Activiteit, GroupKey);
  if (key == "productopm") return RemarkOfGroup(Product, GroupKey);
  if (key == "medewerkeropm") return RemarkOfGroup(Medewerker, GroupKey);
  if (key == "afdelingopm") {
    if (!Medewerker || Medewerker->Naam != GroupKey) return QString();
    const TStamObjPtr department = AfdMedewerkers().AfdelingVan(*Medewerker);
    return department ? department->Opmerking : QString();
  }
  return QString();
}

}  // namespace hb
