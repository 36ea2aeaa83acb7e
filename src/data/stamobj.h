// TStamObj: one master data item in memory — an employee, customer, activity, product or
// department — read from a row of URSTAM.
//
//   TStamObj item(&list, stKlant);
//   item.ReadFromTable(dm.tblStam);        // the current row
//   item.IdText() == "0000000042"
//
// Texts are cut to what the program keeps: name 40, abbreviation 4, remark 120, password 10
// characters. Unreadable numbers read as their defaults: colour 16777215 (white), rate
// factor 1, reference hours 0. The reference hours are kept in days (hours / 24).
#pragma once

#include <QString>

#include "data/stamtypes.h"

namespace hb {

class TDataSet;
class TStamList;

class TStamObj {
 public:
  static constexpr int kMaxNaam = 40;
  static constexpr int kMaxAfkorting = 4;
  static constexpr int kMaxOpmerking = 120;
  static constexpr int kMaxPassword = 10;
  static constexpr qint32 kWit = 16777215;

  TStamObj(TStamList* owner, TStamType type);
  virtual ~TStamObj() = default;
  TStamObj(const TStamObj&) = delete;
  TStamObj& operator=(const TStamObj&) = delete;

  TStamList* Owner;  // the list that made the item (informative; it may be gone)
  quint8 Type;
  QString Naam;
  QString Afkorting;
  qint32 Kleur = kWit;
  double TariefFactor = 1.0;
  quint8 Overhead = ohDirect;
  QString Opmerking;
  double ReferUren = 0;  // days
  quint8 Toegang = tgEigen;
  QString Password;
  qint32 ID = 0;

  // Fills the item from the current row of a URSTAM table. A classification or access letter
  // that no code knows reads as the first code (and is logged), so that one damaged row does
  // not keep the lists from loading.
  void ReadFromTable(const TDataSet& table);
  QString IdText() const;
  // ID from a text (trimmed; 0 when not a number) and the name, cut to 40 characters.
  void SetIdAndName(const QString& idText, const QString& name);
  // Copies every field but owner, type and password.
  void Assign(const TStamObj& source);
};

// Whether ReadFromTable logs every item it reads ([Debug] GetStam, read at each reload).
void SetStamReadLogging(bool on);
bool StamReadLogging();

}  // namespace hb
