// TCreateDbfDataSet: creates a table from field lines and opens it in a TDbfDataSet.
//
//   TDbfDataSet tbl;
//   tbl.SetDatabaseName(folder);
//   tbl.SetTableName("NIEUW");
//   TCreateDbfDataSet create;
//   create.SetDBFTable(&tbl);
//   create.SetCreateFields({"NAAM;C;40;0", "AANTAL;N;10;2", "DATUM;D;8;0"});
//   create.SetDBFType(TDbfTypes::FoxPro2);
//   if (create.CreateTable()) ...               // tbl is open on the new table
//
// A field line is name;type;width;decimals: a name (required), a one-letter type, a whole
// width and at most three digits of decimals. Names must differ without regard to case.
// An existing table is replaced when AutoOverwrite is on, otherwise after the question
// "Table exists.  Do you want to overwrite?" (dialog service); declining gives false.
//
// Errors (EDatabaseError): "A table is not assigned to this object", "Cannot perform this
// operation on an open table", "Field list is invalid"; engine errors pass through.
#pragma once

#include <QStringList>

#include "dbf/dbfcommon.h"

namespace hb {

class TDbfDataSet;

class TCreateDbfDataSet {
 public:
  TCreateDbfDataSet() = default;

  TDbfDataSet* DBFTable() const { return table_; }
  void SetDBFTable(TDbfDataSet* table) { table_ = table; }
  QStringList CreateFields() const { return fields_; }
  void SetCreateFields(const QStringList& fields) { fields_ = fields; }
  TDbfTypes DBFType() const { return type_; }
  void SetDBFType(TDbfTypes type) { type_ = type; }
  bool AutoOverwrite() const { return autoOverwrite_; }
  void SetAutoOverwrite(bool on) { autoOverwrite_ = on; }

  bool CreateTable();

 private:
  TDbfDataSet* table_ = nullptr;
  QStringList fields_;
  TDbfTypes type_ = TDbfTypes::FoxPro2;
  bool autoOverwrite_ = false;
};

}  // namespace hb
