// Helpers of the master data model for its work on URSTAM and URAUTOR of the data module:
// the tables themselves, field texts, and guards that put a table's order, its controls or
// the hourglass back whatever happens.
//
//   TStamTables t = StamTables();              // raises EStamListError without a data module
//   TTagKeeper keep(t.Autor, "TYPMEDEW");      // the previous tag comes back at scope end
//   if (t.Autor.Find(key, false, false)) ...
#pragma once

#include <QString>

namespace hb {

class TDataSet;
class TDbfDataSet;
class TStamFilter;
class TdmDBase;

struct TStamTables {
  TdmDBase& Dm;
  TDbfDataSet& Stam;
  TDbfDataSet& Autor;
  TStamFilter& Filter;
};

TStamTables StamTables();

// A field of the current row as text, trailing blanks removed.
QString FieldText(const TDataSet& table, const char* name);
void SetFieldTextValue(TDataSet& table, const char* name, const QString& value);

// Selects a tag and restores the one that was selected before.
class TTagKeeper {
 public:
  TTagKeeper(TDbfDataSet& table, const QString& tag);
  ~TTagKeeper();
  TTagKeeper(const TTagKeeper&) = delete;
  TTagKeeper& operator=(const TTagKeeper&) = delete;

 private:
  TDbfDataSet& table_;
  QString previous_;
};

// Suspends the data-aware controls of a table.
class TControlsSuspender {
 public:
  explicit TControlsSuspender(TDataSet& table);
  ~TControlsSuspender();
  TControlsSuspender(const TControlsSuspender&) = delete;
  TControlsSuspender& operator=(const TControlsSuspender&) = delete;

 private:
  TDataSet& table_;
};

// The hourglass cursor while it lives (when there is a GUI application).
class THourglass {
 public:
  THourglass();
  ~THourglass();
  THourglass(const THourglass&) = delete;
  THourglass& operator=(const THourglass&) = delete;

 private:
  bool set_ = false;
};

// Closes and reopens a table (its open event selects the index again), so that deleted rows
// are gone from view.
void ReopenTable(TDbfDataSet& table);

}  // namespace hb
