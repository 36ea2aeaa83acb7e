// TStamFilter: the type filter of the master data table.
//
//   filter.SetLetter('K');   // only customers: Filter "TYPE = 'K'", filtering on
//   filter.Reset();          // all types (the space), unless the program is terminating
//   filter.Save(); ...; filter.Restore();
//
// Setting a letter that differs from the current one sets the table's filter expression to
// "TYPE = '" + letter + "'" and switches filtering off for the space, on for any other
// letter. A new filter holds the space, also as its saved letter.
#pragma once

#include <QChar>

namespace hb {

class TDataSet;

class TStamFilter {
 public:
  explicit TStamFilter(TDataSet& table);

  QChar Letter() const { return letter_; }
  void SetLetter(QChar letter);
  void Reset();
  void Save() { saved_ = letter_; }
  void Restore() { SetLetter(saved_); }

 private:
  TDataSet& table_;
  QChar letter_ = ' ';
  QChar saved_ = ' ';
};

}  // namespace hb
