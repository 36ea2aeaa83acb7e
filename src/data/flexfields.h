// The flexible fields: the 23 configurable fields of an hour record, with caption, use,
// mandatory flag, report width and order. Every window that shows such a field takes its
// caption and visibility from here.
//
//   LoadFlexFields();                              // at program load, from [Fields]
//   FlexFldKlant().Caption                         // "&Klant", or [Fields] DescrKlant
//   FlexFldKlant().CaptionStr()                    // "R&&D &Kosten" -> "R&D Kosten"
//   FlexFields().FindByKey("werkzaamheden")        // letter case ignored
//   FlexFields().FieldOfControl("chkUitvoerKlant", "chkUitvoer")   // FlexFldKlant
//
// Keys in [Fields] of the program ini, per field key: "Descr" (caption; empty gives the
// default), "Use" (default true), "Mandatory", "Width", "Order". DescrKlant, DescrActiviteit,
// DescrProduct, DescrMedewerker and DescrAfdeling also name the stam types (StamtypeName).
#pragma once

#include <QString>
#include <vector>

namespace hb {

class TFlexField {
 public:
  bool RightAligned = false;
  int Order = 0;
  int Width = 0;
  QString FieldName;       // the table or expression field it shows
  QString DefaultCaption;  // "&" marks the accelerator
  bool Loaded = false;
  QString Caption;
  bool InUse = true;
  QString Key;  // the name in the settings keys
  bool Mandatory = false;

  // The caption with "&&" as "&" and every other "&" removed.
  QString CaptionStr() const;
  // The caption without any "&".
  QString CaptionNoAmp() const;

  // Takes the defaults, then the [Fields] keys of the program ini.
  void Load();
};

class TFlexFieldList {
 public:
  TFlexFieldList();

  int Count() const { return static_cast<int>(fields_.size()); }
  TFlexField& Items(int i) { return fields_.at(static_cast<size_t>(i)); }
  const TFlexField& Items(int i) const { return fields_.at(static_cast<size_t>(i)); }

  // nullptr when none.
  TFlexField* FindByKey(const QString& key);
  TFlexField* FindByCaption(const QString& captionNoAmp);
  // When prefix occurs in the control name: the field whose key is the rest of the name
  // after the prefix's length.
  TFlexField* FieldOfControl(const QString& controlName, const QString& prefix);
  QString CaptionOfControl(const QString& controlName, const QString& prefix);

  void LoadAll();

 private:
  std::vector<TFlexField> fields_;
};

TFlexFieldList& FlexFields();
// Reads all 23 fields from [Fields] of the program ini.
void LoadFlexFields();

TFlexField& FlexFldKlant();
TFlexField& FlexFldActiviteit();
TFlexField& FlexFldProduct();
TFlexField& FlexFldMedewerker();
TFlexField& FlexFldAfdeling();
TFlexField& FlexFldTarief();
TFlexField& FlexFldAantal();
TFlexField& FlexFldVoorlopig();
TFlexField& FlexFldWerkzaamheden();
TFlexField& FlexFldOverhead();
TFlexField& FlexFldDatum();
TFlexField& FlexFldStart();
TFlexField& FlexFldStop();
TFlexField& FlexFldDuur();
TFlexField& FlexFldReferUren();
TFlexField& FlexFldToegang();
TFlexField& FlexFldWeeknr();
TFlexField& FlexFldSaldo();
TFlexField& FlexFldKlantOpm();
TFlexField& FlexFldActiviteitOpm();
TFlexField& FlexFldProductOpm();
TFlexField& FlexFldMedewerkerOpm();
TFlexField& FlexFldAfdelingOpm();

}  // namespace hb
