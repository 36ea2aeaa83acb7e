#include "data/flexfields.h"

#include <QCoreApplication>

#include "util/pathcontext.h"

namespace hb {

namespace {

struct TFlexDefault {
  const char* FieldName;
  const char* Key;
  const char* Caption;
  int Order;
  int Width;
  bool RightAligned;
};

// In list order.
const TFlexDefault kDefaults[] = {
    {"KLANT", "Klant", QT_TRANSLATE_NOOP("FlexFields", "&Klant"), 1, 20, false},
    {"ACTIVITEIT", "Activiteit", QT_TRANSLATE_NOOP("FlexFields", "&Activiteit"), 2, 20, false},
    {"PRODUCT", "Product", QT_TRANSLATE_NOOP("FlexFields", "&Product"), 3, 20, false},
    {"MEDEWERKER", "Medewerker", QT_TRANSLATE_NOOP("FlexFields", "&Medewerker"), 5, 10, false},
    {"AFDELING", "Afdeling", QT_TRANSLATE_NOOP("FlexFields", "A&fdeling"), 4, 20, false},
    {"TARIEF", "Tarief", QT_TRANSLATE_NOOP("FlexFields", "&Tarief"), 10, 12, true},
    {"AANTAL", "Aantal", QT_TRANSLATE_NOOP("FlexFields", "Aantal"), 11, 8, true},
    {"VOORLOPIG", "Voorlopig", QT_TRANSLATE_NOOP("FlexFields", "&Voorlopig"), 13, 1, false},
    {"WERKZ", "Werkzaamheden", QT_TRANSLATE_NOOP("FlexFields", "&Werkzaamheden"), 12, 30, false},
    {"OVERHEAD", "Overhead", QT_TRANSLATE_NOOP("FlexFields", "&Overhead"), 14, 5, false},
    {"DATUM", "Datum", QT_TRANSLATE_NOOP("FlexFields", "&Datum"), 6, 11, true},
    {"START", "Start", QT_TRANSLATE_NOOP("FlexFields", "&Start"), 7, 5, true},
    {"STOP", "Stop", QT_TRANSLATE_NOOP("FlexFields", "S&top"), 8, 5, true},
    {"DUUR", "Duur", QT_TRANSLATE_NOOP("FlexFields", "&Duur"), 9, 7, true},
    {"REFERUREN", "ReferUren", QT_TRANSLATE_NOOP("FlexFields", "&ReferUren"), 15, 7, true},
    {"TOEGANG", "Toegang", QT_TRANSLATE_NOOP("FlexFields", "&Toegang"), 16, 7, true},
    {"START", "Weeknr", QT_TRANSLATE_NOOP("FlexFields", "W&eeknr"), 17, 11, false},
    {"START", "Saldo", QT_TRANSLATE_NOOP("FlexFields", "&Saldo"), 18, 7, true},
    {"K_OPM", "KlantOpm", QT_TRANSLATE_NOOP("FlexFields", "KlantOpm"), 19, 20, false},
    {"A_OPM", "ActiviteitOpm", QT_TRANSLATE_NOOP("FlexFields", "ActiviteitOpm"), 20, 20, false},
    {"P_OPM", "ProductOpm", QT_TRANSLATE_NOOP("FlexFields", "ProductOpm"), 21, 20, false},
    {"M_OPM", "MedewerkerOpm", QT_TRANSLATE_NOOP("FlexFields", "MedewerkerOpm"), 22, 20, false},
    {"G_OPM", "AfdelingOpm", QT_TRANSLATE_NOOP("FlexFields", "AfdelingOpm"), 23, 20, false},
};

const TFlexDefault* DefaultOf(const QString& key) {
  for (const TFlexDefault& d : kDefaults)
    if (key.compare(QLatin1String(d.Key), Qt::CaseInsensitive) == 0) return &d;
  return nullptr;
}

TFlexField& Field(int index) {
  return FlexFields().Items(index);
}

}  // namespace

QString TFlexField::CaptionStr() const {
  QString result;
  result.reserve(Caption.size());
  for (qsizetype i = 0; i < Caption.size(); ++i) {
    if (Caption.at(i) != '&') {
      result += Caption.at(i);
    } else if (i + 1 < Caption.size() && Caption.at(i + 1) == '&') {
      result += '&';
      ++i;
    }
  }
  return result;
}

QString TFlexField::CaptionNoAmp() const {
  QString result = Caption;
  result.remove('&');
  return result;
}

void TFlexField::Load() {
  if (const TFlexDefault* d = DefaultOf(Key)) {
    FieldName = d->FieldName;
    DefaultCaption = QCoreApplication::translate("FlexFields", d->Caption);
    Order = d->Order;
    Width = d->Width;
    RightAligned = d->RightAligned;
  }
  Mandatory = false;
  InUse = true;
  QString suffix = Key;
  suffix.remove('&');
  const TIniFile& ini = ProgramIni();
  const QString caption = ini.ReadString("Fields", "Descr" + suffix);
  Caption = caption.isEmpty() ? DefaultCaption : caption;
  Mandatory = ini.ReadBool("Fields", "Mandatory" + suffix, Mandatory);
  InUse = ini.ReadBool("Fields", "Use" + suffix, true);
  Width = ini.ReadInteger("Fields", "Width" + suffix, Width);
  Order = ini.ReadInteger("Fields", "Order" + suffix, Order);
  Loaded = true;
}

TFlexFieldList::TFlexFieldList() {
  fields_.reserve(std::size(kDefaults));
  for (const TFlexDefault& d : kDefaults) {
    TFlexField field;
    field.FieldName = d.FieldName;
    field.Key = d.Key;
    field.DefaultCaption = QCoreApplication::translate("FlexFields", d.Caption);
    field.Caption = field.DefaultCaption;
    field.Order = d.Order;
    field.Width = d.Width;
    field.RightAligned = d.RightAligned;
    fields_.push_back(field);
  }
}

TFlexField* TFlexFieldList::FindByKey(const QString& key) {
  for (TFlexField& field : fields_)
    if (field.Key.compare(key, Qt::CaseInsensitive) == 0) return &field;
  return nullptr;
}

TFlexField* TFlexFieldList::FindByCaption(const QString& captionNoAmp) {
  for (TFlexField& field : fields_)
    if (field.CaptionNoAmp() == captionNoAmp) return &field;
  return nullptr;
}

TFlexField* TFlexFieldList::FieldOfControl(const QString& controlName, const QString& prefix) {
  if (prefix.isEmpty() || !controlName.contains(prefix)) return nullptr;
  return FindByKey(controlName.mid(prefix.size()));
}

QString TFlexFieldList::CaptionOfControl(const QString& controlName, const QString& prefix) {
  const TFlexField* field = FieldOfControl(controlName, prefix);
  return field ? field->Caption : QString();
}

void TFlexFieldList::LoadAll() {
  for (TFlexField& field : fields_) field.Load();
}

TFlexFieldList& FlexFields() {
  static TFlexFieldList list;
  return list;
}

void LoadFlexFields() {
  FlexFields().LoadAll();
}

TFlexField& FlexFldKlant() {
  return Field(0);
}
TFlexField& FlexFldActiviteit() {
  return Field(1);
}
TFlexField& FlexFldProduct() {
  return Field(2);
}
TFlexField& FlexFldMedewerker() {
  return Field(3);
}
TFlexField& FlexFldAfdeling() {
  return Field(4);
}
TFlexField& FlexFldTarief() {
  return Field(5);
}
TFlexField& FlexFldAantal() {
  return Field(6);
}
TFlexField& FlexFldVoorlopig() {
  return Field(7);
}
TFlexField& FlexFldWerkzaamheden() {
  return Field(8);
}
TFlexField& FlexFldOverhead() {
  return Field(9);
}
TFlexField& FlexFldDatum() {
  return Field(10);
}
TFlexField& FlexFldStart() {
  return Field(11);
}
TFlexField& FlexFldStop() {
  return Field(12);
}
TFlexField& FlexFldDuur() {
  return Field(13);
}
TFlexField& FlexFldReferUren() {
  return Field(14);
}
TFlexField& FlexFldToegang() {
  return Field(15);
}
TFlexField& FlexFldWeeknr() {
  return Field(16);
}
TFlexField& FlexFldSaldo() {
  return Field(17);
}
TFlexField& FlexFldKlantOpm() {
  return Field(18);
}
TFlexField& FlexFldActiviteitOpm() {
  return Field(19);
}
TFlexField& FlexFldProductOpm() {
  return Field(20);
}
TFlexField& FlexFldMedewerkerOpm() {
  return Field(21);
}
TFlexField& FlexFldAfdelingOpm() {
  return Field(22);
}

}  // namespace hb
