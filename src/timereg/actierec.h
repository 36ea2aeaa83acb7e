// TActieRec: one hour record in memory — one time block of one employee on one day, with
// its customer, activity and product, a work description, a quantity and a provisional flag.
//
//   TActieRec rec;                          // new: record number 0, provisional
//   rec.Medewerker = StamMedewerkers().FindById(13);
//   rec.PutActieRecPeriod(dm.tblUren, stop, start);   // appended, flushed, verified
//   rec.RecNr                               // the row in URUREN.DBF from now on
//   rec.GetActieRec(dm.tblUren)             // from the table's current row; false when the
//                                           // row was invalid and has been deleted
//   rec.DelActieRec(dm.tblUren);
//
// In URUREN the items are stored as ID texts ("0000000042") and START / STOP as epoch
// timestamps (seconds since 01-01-1995, right-aligned in 12 characters). A stored record
// lies within one calendar day and stops after it starts; reading deletes rows that break
// this: a row crossing midnight with a message, a row of length <= 0 with a log line only.
//
// Items: a new record has four empty items of its own. Reading takes the shared items of
// the full master data lists (StamMedewerkers, StamKlanten, StamActiviteiten,
// StamProducten); an ID the list does not know gives a placeholder named " " with ID 0.
// Assign gives the destination its own copies of the source's items, so that copying never
// changes an item that a list shares.
#pragma once

#include <QString>

#include "data/stamlist.h"
#include "timereg/periods.h"

namespace hb {

class TDbfDataSet;
class TField;

// The hour table's fields that reading a record uses, found by name once for a run of reads
// (raises like FieldByName when one is missing). Valid while the table keeps its fields: a
// run that deletes rows or shows a dialog finds them again, since those may reopen the table.
struct TActieFields {
  explicit TActieFields(const TDbfDataSet& table);
  TField* Medewerker;
  TField* Klant;
  TField* Activiteit;
  TField* Product;
  TField* Start;
  TField* Stop;
  TField* Status;
  TField* Werkz;
  TField* Aantal;
};

// Whether reading and writing dump each record to the log ([Debug] Get and Put of the
// program ini, read at every week load).
struct TActieDebug {
  bool Get = false;
  bool Put = false;
};
TActieDebug& ActieDebug();
void ReadActieDebugSettings();

class TActieRec {
 public:
  TActieRec();
  virtual ~TActieRec();
  TActieRec(const TActieRec&) = delete;
  TActieRec& operator=(const TActieRec&) = delete;

  int RecNr = 0;  // row in URUREN.DBF; 0 while not stored
  TStamObjPtr Medewerker;
  TStamObjPtr Klant;
  TStamObjPtr Activiteit;
  TStamObjPtr Product;
  QString Werkz;
  int Aantal = 0;
  double Start = 0;
  double Stop = 0;
  bool Voorlopig = true;

  // Record number, copies of the four items, text, quantity, start, stop, provisional flag.
  void Assign(const TActieRec& source);

  // Reads the table's current row. False when the row was invalid: it has been deleted and
  // the table stands on the row that followed it (Eof when there was none).
  bool GetActieRec(TDbfDataSet& table);
  // The same with the fields found beforehand.
  bool GetActieRec(TDbfDataSet& table, const TActieFields& fields);
  // Writes the record: a new one is appended (with START and STOP posted at once), a stored
  // one rewritten; then flushed and read back for verification. A start or stop of 0 writes
  // nothing (logged and shown): false. When the table is the data module's hour table it is
  // closed, reopened and put back on the record.
  bool PutActieRec(TDbfDataSet& table);
  bool PutActieRecPeriod(TDbfDataSet& table, double stop, double start);
  // Deletes the stored row; "Te wissen record niet gevonden!" when the table has no such row.
  bool DelActieRec(TDbfDataSet& table);

  // The two blocks share more than half a minute.
  bool Overlaps(const TActieRec& other) const;
  // Asks whether this record, which overlaps one loaded before it, is to be deleted.
  bool AskDeleteConflict() const;

  // Hours times the employee's rate factor and the factors of the customer, activity and
  // product whose flexible fields are in use.
  double WeightedHours() const;
  QString RateText() const;   // "%12.2f" of WeightedHours
  QString CalcText() const;   // how WeightedHours is made up, for the rate label's hint
  QString CodesText() const;  // "Ok Ia": classification codes of the items
  QString StatusText() const; // "V" when provisional

  // One log line per field, headed "--- tag ---".
  void DumpToLog(const QString& tag) const;

  TPeriod Period() const { return {RecNr, Start, Stop}; }
  // The ID of an item; 0 for a missing one.
  static qint64 ItemId(const TStamObjPtr& item) { return item ? item->ID : 0; }
};

// Deletes the current row of an hour table and puts the table on the row that followed it
// in the table's order (Eof when there was none), whatever the table does after a delete.
void DeleteHourRow(TDbfDataSet& table);

}  // namespace hb
