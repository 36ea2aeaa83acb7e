// TGroupActieRec: an hour record that also sums a group of records, for the group and grand
// totals of reports.
//
//   TGroupActieRec group;
//   group.ResetTotals();
//   group.GroupKey = "Klant1";
//   for (each record of the group) { group.Assign(rec); group.AddToTotals(rec); }
//   group.FieldText(FlexFldDuur())      // "12:30"
//
// The report copies each record into the group object right before adding it, so the amount
// added is the weighted hours of that record. Durations, reference hours and balance are in
// days and shown as "H:MM" (hours not limited to 24, "-" for negative values).
#pragma once

#include "timereg/actierec.h"

namespace hb {

class TFlexField;

class TGroupActieRec : public TActieRec {
 public:
  QString GroupKey;        // the text of the group's heading value
  int GroupCount = 0;      // records added
  double TotalDuration = 0;  // days
  double TotalAmount = 0;    // weighted hours
  qint64 TotalAantal = 0;
  double ReferUren = 0;  // days; the report sets the employee's norm
  double Saldo = 0;      // days; the report sets duration minus norm

  void ResetTotals();
  void AddToTotals(const TActieRec& record);
  // The group's value of a report column; empty for columns that have none.
  QString FieldText(const TFlexField& field) const;
};

}  // namespace hb
