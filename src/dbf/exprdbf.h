// The expression language bound to an open table file.
//
//   TDbfFields table;  table.Open("URUREN", false, true);
//   TExpDbfLink fields(table);          // reads the table's record buffer
//   TExpUserLink link(fields);          // fields under NAME and URUREN.NAME, RECNO() ...
//   TExpHandler key(&link, "AFD(MEDEWERKER)+WEEKNRSTR(START)");
//
// Fields are read from the table's record buffer, or from any other record image set with
// SetRecord (the before-image for index upkeep). Memo fields read their text from the
// table's memo file by the block number stored in the record being evaluated. The record
// number and the begin and end flags are the table's. The field list is taken when the link
// is made: a table that is closed and opened again (a pack) needs a new link.
#pragma once

#include "dbf/dbffields.h"
#include "dbf/exprlink.h"

namespace hb {

class TExpDbfLink : public TExpRecordLink {
 public:
  explicit TExpDbfLink(TDbfFields& table);

  int64_t RecNo() const override { return table_.RecNo(); }
  bool Bof() const override { return table_.Bof(); }
  bool Eof() const override { return table_.Eof(); }
  TDbfFields& Table() const { return table_; }

 protected:
  std::string ReadMemo(int field, std::string_view block) override;
  const char* DefaultRecord() const override { return table_.RecordBuffer(); }

 private:
  TDbfFields& table_;
};

}  // namespace hb
