// How an expression reaches the table it is bound to.
//
// TExpTableLink is what the expression language needs of an open table: its alias, its
// fields (name, type letter, width, decimals), the value of a field on the current record,
// and the record state (number, deleted, begin and end flags).
//
// TExpRecordLink implements it over a record buffer laid out as in a table file (deletion
// byte, then the fields at fixed offsets) and converts the stored text of a field into the
// value the expression sees:
//
//   type        value                                   type code
//   C           the raw text with its trailing spaces   Text
//   D           julian day number; blank or "00000000"  Date
//               is the empty date 0
//   N, F        the number; blank is 0                  Number
//   L           true for one of "TtYyJj"                Boolean
//   M           the whole memo text (ReadMemo)          Text
//   any other   the raw field text                      Memo
//
// TExpUserLink is the per-table part of name resolution: a registry of the table's fields,
// each entered under its name and under ALIAS.NAME, and a registry of the table functions
// RECNO, DELETED, BOF, EOF, TYPE, FIELDNO and LEN. A compiled expression keeps pointers
// into these registries, so the link must outlive the expressions compiled against it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dbf/funcreg.h"

namespace hb {

class TExpTableLink {
 public:
  virtual ~TExpTableLink() = default;

  // Table file name without extension, upper case (URUREN).
  virtual std::string Alias() const = 0;
  // Full path of the table, for messages.
  virtual std::string TablePath() const = 0;

  virtual int FieldCount() const = 0;
  // Fields are numbered from 1.
  virtual std::string FieldName(int field) const = 0;
  virtual char FieldType(int field) const = 0;
  virtual int FieldWidth(int field) const = 0;
  virtual int FieldDecimals(int field) const = 0;
  // The field's value on the current record.
  virtual void ReadField(int field, TExpValue& value) = 0;

  virtual int64_t RecNo() const = 0;
  virtual bool Deleted() const = 0;
  virtual bool Bof() const = 0;
  virtual bool Eof() const = 0;

  // The number of the field with this name (any case, trailing blanks ignored); 0 if none.
  int FieldNumber(std::string_view name) const;
};

struct TExpFieldDef {
  std::string Name;  // upper case, at most 10 characters
  char Type = 'C';
  int Offset = 0;  // in the record; the first field is at 1, after the deletion byte
  int Width = 0;
  int Decimals = 0;
};

class TExpRecordLink : public TExpTableLink {
 public:
  // Offsets of the fields are taken in order from 1 when all given offsets are 0.
  TExpRecordLink(std::string alias, std::vector<TExpFieldDef> fields, std::string path = {});

  std::string Alias() const override { return alias_; }
  std::string TablePath() const override { return path_; }
  int FieldCount() const override { return static_cast<int>(fields_.size()); }
  std::string FieldName(int field) const override;
  char FieldType(int field) const override;
  int FieldWidth(int field) const override;
  int FieldDecimals(int field) const override;
  void ReadField(int field, TExpValue& value) override;

  int64_t RecNo() const override { return recNo_; }
  bool Deleted() const override {
    const char* record = CurrentRecord();
    return record && record[0] == '*';
  }
  bool Bof() const override { return bof_; }
  bool Eof() const override { return eof_; }

  // Record length: the deletion byte and all fields.
  int RecordLength() const { return recordLength_; }
  const std::vector<TExpFieldDef>& Fields() const { return fields_; }

  // The buffer the fields are read from (RecordLength bytes); it stays with the caller.
  // nullptr reads DefaultRecord again.
  void SetRecord(const char* record) { record_ = record; }
  const char* Record() const { return record_; }
  // The record the fields are read from now.
  const char* CurrentRecord() const { return record_ ? record_ : DefaultRecord(); }
  void SetPosition(int64_t recNo, bool bof = false, bool eof = false) {
    recNo_ = recNo;
    bof_ = bof;
    eof_ = eof;
  }

 protected:
  // Text of a memo field on the current record; block is the field's stored text.
  virtual std::string ReadMemo(int field, std::string_view block) { return {}; }
  // The record read when no buffer was set (a table's own record buffer).
  virtual const char* DefaultRecord() const { return nullptr; }

 private:
  std::string alias_, path_;
  std::vector<TExpFieldDef> fields_;
  int recordLength_ = 1;
  const char* record_ = nullptr;
  int64_t recNo_ = 0;
  bool bof_ = false, eof_ = false;
};

// A table field as a named value: entered under NAME and ALIAS.NAME.
class TTableFieldVar : public TUserDefFieldVar {
 public:
  TTableFieldVar(TExpTableLink& table, int field);
  int VarKind() const override { return kVarKindField; }
  void GetValue(TExpValue& value) override { table_.ReadField(field_, value); }
  int Field() const { return field_; }

 private:
  TExpTableLink& table_;
  int field_;
};

class TExpUserLink {
 public:
  explicit TExpUserLink(TExpTableLink& table);
  TExpUserLink(const TExpUserLink&) = delete;
  TExpUserLink& operator=(const TExpUserLink&) = delete;

  TExpTableLink& Table() const { return table_; }
  TFunctionReg& Functions() { return functions_; }
  TFieldVarReg& Fields() { return fields_; }

  // A field by name, upper case: a plain name is matched on its first 10 characters, a
  // qualified one (ALIAS.NAME) whole. nullptr when there is none.
  TUserDefFieldVar* FindField(std::string_view upperName) const;

 private:
  TExpTableLink& table_;
  TFunctionReg functions_;
  TFieldVarReg fields_;
};

// Stored date text as a julian day number, as a date field reads it: blank or "00000000"
// is 0, eight digits are yyyymmdd, anything else is read with the short date format.
// False when the text is no date. The table files' own conversion.
bool StoredDateToJulian(std::string_view text, double& julian);

// The short date format of the engine ("dd-mm-yyyy" unless the program sets another); the
// one the table files use.
void SetExprShortDateFormat(const std::string& format);
const std::string& ExprShortDateFormat();

}  // namespace hb
