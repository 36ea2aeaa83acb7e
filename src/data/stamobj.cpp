#include "data/stamobj.h"

#include <cmath>

#include "data/dmdbase.h"
#include "platform/dataset.h"
#include "util/conversions.h"
#include "util/log.h"

namespace hb {

namespace {

bool readLogging = false;

QString FieldText(const TDataSet& table, const char* name) {
  const TField* field = table.FindField(name);
  return field ? field->AsString().trimmed() : QString();
}

// "hh:mm" of a number of days, hours not limited to 24.
QString HoursText(double days) {
  const qint64 minutes = std::llround(days * 24 * 60);
  const qint64 whole = minutes < 0 ? -minutes : minutes;
  return QString("%1%2:%3")
      .arg(minutes < 0 ? "-" : "")
      .arg(whole / 60, 2, 10, QChar('0'))
      .arg(whole % 60, 2, 10, QChar('0'));
}

}  // namespace

void SetStamReadLogging(bool on) {
  readLogging = on;
}

bool StamReadLogging() {
  return readLogging;
}

TStamObj::TStamObj(TStamList* owner, TStamType type)
    : Owner(owner), Type(static_cast<quint8>(type)) {}

void TStamObj::ReadFromTable(const TDataSet& table) {
  const QString type = FieldText(table, "TYPE");
  Type = static_cast<quint8>(CharToStamtype(type));
  Naam = FieldText(table, "OBJECT").left(kMaxNaam);
  Afkorting = FieldText(table, "AFKORTING").left(kMaxAfkorting);
  bool ok = false;
  Kleur = FieldText(table, "KLEUR").toInt(&ok);
  if (!ok) Kleur = kWit;
  TariefFactor = ParseDecimal(FieldText(table, "TARIEFFACT"), 1.0);
  const QString overhead = FieldText(table, "OVERHEAD").toUpper();
  try {
    Overhead = static_cast<quint8>(CharToOverhead(overhead));
  } catch (const EInvalidStamType& e) {
    Log(e.Message() + " (ID " + FieldText(table, "ID") + ")");
    Overhead = ohDirect;
  }
  Opmerking = FieldText(table, "OPMERKING").left(kMaxOpmerking);
  ReferUren = ParseDecimal(FieldText(table, "REFERUREN"), 0.0) / 24.0;
  const QString toegang = FieldText(table, "TOEGANG").toUpper();
  try {
    Toegang = static_cast<quint8>(CharToToegang(toegang));
  } catch (const EInvalidStamType& e) {
    Log(e.Message() + " (ID " + FieldText(table, "ID") + ")");
    Toegang = tgEigen;
  }
  Password = FieldText(table, "PASSWORD").left(kMaxPassword);
  ID = static_cast<qint32>(TdmDBase::IdValue(FieldText(table, "ID"), 0));

  if (readLogging) {
    Log("--- get stamrecord ---");
    Log("StamType: " + QString(type.isEmpty() ? QChar(' ') : type.at(0)));
    Log("Naam    : " + Naam);
    Log("Afkort. : " + Afkorting);
    Log("Kleur   : " + QString::number(Kleur));
    Log("Tarief  : " + QString::number(TariefFactor, 'f', 2).rightJustified(10));
    Log("Overhead: " + QString(OverheadToChar(Overhead)));
    Log("Opmerk. : " + Opmerking);
    Log("ID      : " + QString::number(ID));
    Log("RefUren : " + HoursText(ReferUren));
    Log("Toegang : " + QString::number(Toegang));
  }
}

QString TStamObj::IdText() const {
  return TdmDBase::IdText(ID);
}

void TStamObj::SetIdAndName(const QString& idText, const QString& name) {
  ID = static_cast<qint32>(TdmDBase::IdValue(idText, 0));
  Naam = name.left(kMaxNaam);
}

void TStamObj::Assign(const TStamObj& source) {
  if (&source == this) return;
  Naam = source.Naam;
  Afkorting = source.Afkorting;
  Kleur = source.Kleur;
  TariefFactor = source.TariefFactor;
  Overhead = source.Overhead;
  Opmerking = source.Opmerking;
  ReferUren = source.ReferUren;
  Toegang = source.Toegang;
  ID = source.ID;
}

}  // namespace hb
