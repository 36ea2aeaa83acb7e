// TActieList: an ordered list of hour records that owns them — the displayed week's records
// and the clipboard of the main window.
//
//   TActieList week;
//   week.GetActieList(from, from + 7);      // the shown employee's records of the week
//   week.HasNoOverlap(rec)                  // rec collides with none of them
//   week.IsPeriodFree(-1, stop, start)      // [start, stop] is free (minute precision)
//   week.NextFreeMoment(x)                  // the first slot from x that is free
//
// Loading reads the hour table on its order TIJD (employee, then start) from the key
// employee + from, until the employee changes or START leaves [from, to]; rows starting
// exactly at `to` are loaded as well. Invalid rows are deleted as TActieRec::GetActieRec
// describes; a record that overlaps one loaded before it is offered for deletion.
#pragma once

#include <QStringList>
#include <memory>
#include <vector>

#include "timereg/actierec.h"

namespace hb {

class TActieList {
 public:
  TActieList() = default;
  ~TActieList();
  TActieList(const TActieList&) = delete;
  TActieList& operator=(const TActieList&) = delete;

  int Count() const { return static_cast<int>(items_.size()); }
  bool IsEmpty() const { return items_.empty(); }
  TActieRec* Items(int i) const { return items_.at(static_cast<size_t>(i)).get(); }
  TActieRec* operator[](int i) const { return Items(i); }
  // Adds at the end; returns the index.
  int Add(std::unique_ptr<TActieRec> record);
  int IndexOf(const TActieRec* record) const;
  // Takes a record out of the list without freeing it; nullptr when it is not listed.
  std::unique_ptr<TActieRec> Extract(const TActieRec* record);
  // Takes the record at index out and frees it.
  void Delete(int index);
  // Frees every record and empties the list.
  void Clear();

  // Loads the shown employee's (CurrentMedewerker) records of [from, to] from the data
  // module's hour table; from is the Sunday 00:00 that begins the displayed week.
  void GetActieList(double from, double to);
  // The same on a given hour table and employee. Database errors while loading close and
  // reopen the table and are logged and shown with the advice to optimise the files.
  void GetActieList(TDbfDataSet& table, const TStamObj& employee, double from, double to);

  // True when the record overlaps no other record of the list.
  bool HasNoOverlap(const TActieRec& record) const;
  // The greatest stop of the records (the first wins on ties); 0 for an empty list.
  double LatestStop() const;
  // "yyyymmddhhnn-hhnn=recnr" per record, sorted.
  QStringList SortedKeys() const;
  // Whether [start, stop] is free of the records, the one with record number `ignore` left
  // out (ignore < 0: none).
  bool IsPeriodFree(int ignore, double stop, double start) const;
  // From x on, the first moment where one slot of the program object's resolution is free.
  double NextFreeMoment(double moment) const;

  TPeriodList Periods() const;

 private:
  std::vector<std::unique_ptr<TActieRec>> items_;
};

}  // namespace hb
