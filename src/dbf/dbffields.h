// TDbfFields: the fields of a table and the conversion of their values.
//
// Field storage (text unless marked binary):
//
//   Type     Stored as                          Read as               Written from
//   C        text, left-aligned, space-padded   the raw text          text cut to the width
//   N, F     number text, right-aligned         blank -> 0, else the  formatted with exactly
//                                               trimmed text parsed   the field's decimals
//   D        "yyyymmdd"; 8 spaces when empty    julian day number     julian number; <= 0
//                                               (0 = empty date)      writes 8 spaces
//   L        one character                      true for "TtYyJj"     "T" or "F"
//   M, B, G  memo block number, right-aligned   the block number      the block number
//   I, T, Y  binary (version 0x30): I int32, T julian + ms of the day (two int32), Y int64
//            of ten-thousandths; B double and G, M int32 block numbers in version 0x30
//
// Writers change only the record buffer and set the field's changed-flag and the
// record-changed flag; AppendRecord or RewriteRecord bring the record to the file. A
// field number outside 1..FieldCount reads as the empty value and writes nothing. A
// failing writer leaves the field as it was.
//
// Memo fields: MemoLength, ReadMemo and WriteMemo reach the memo file (memofile.h);
// WriteMemo stores the new block number in the record buffer.
#pragma once

#include <cstdint>
#include <string>

#include "dbf/dbftable.h"

namespace hb {

class TDbfFields : public TDbfTable {
 public:
  TDbfFields() = default;

  // The number of the field (names compared without regard to case, trailing spaces
  // removed); 0 when none.
  virtual int FindField(const std::string& name);
  virtual void BlankRecord();
  virtual int64_t ReadDateByName(const std::string& name);
  virtual int64_t ReadDate(int field);
  virtual void WriteDateByName(const std::string& name, int64_t julian);
  virtual void WriteDate(int field, int64_t julian);
  virtual void MarkDeleted();
  virtual std::string ReadRawByName(const std::string& name);
  virtual std::string ReadRaw(int field);
  virtual void WriteRawByName(const std::string& name, const std::string& bytes);
  virtual void WriteRaw(int field, const std::string& bytes);
  virtual int FieldDecimals(int field);
  virtual int FieldWidth(int field);
  virtual int FieldOffset(int field);
  virtual std::string FieldName(int field);
  virtual char FieldType(int field);
  virtual bool ReadLogicalByName(const std::string& name);
  virtual bool ReadLogical(int field);
  virtual void WriteLogicalByName(const std::string& name, bool value);
  virtual void WriteLogical(int field, bool value);
  virtual double ReadNumberByName(const std::string& name);
  virtual double ReadNumber(int field);
  virtual void WriteNumberByName(const std::string& name, double value);
  virtual void WriteNumber(int field, double value);
  virtual std::string ReadTextByName(const std::string& name);
  virtual std::string ReadText(int field);
  virtual void WriteTextByName(const std::string& name, const std::string& text);
  virtual void WriteText(int field, const std::string& text);
  virtual void UnmarkDeleted();

  // Memo fields of the current record.
  int64_t MemoLength(int field);
  // Copies at most length bytes of the memo into buffer; length becomes the count copied.
  void ReadMemo(int field, char* buffer, int64_t& length);
  std::string ReadMemoText(int field);
  void WriteMemo(int field, const std::string& text);
  // The memo block number held by a memo field (0 = no memo).
  uint32_t MemoBlock(int field);

  // The field number of name; raises "There is no field name %s" (path->name).
  int FieldByName(const std::string& name);

  // The date format of display texts ("dd-mm-yyyy" by default); the year is always
  // shown with four digits.
  static void SetShortDateFormat(const std::string& format);
  static const std::string& ShortDateFormat();

  // Stored date text as a julian number: blank or "00000000" -> 0, "yyyymmdd", or the
  // short date format. False when it is no date.
  static bool ParseDateText(const std::string& text, int64_t& julian);

 private:
  bool ValidField(int field) const { return field >= 1 && field <= FieldCount(); }
  const TDbfFieldDef& Def(int field) const { return fields_[static_cast<size_t>(field - 1)]; }
  std::string FieldArg(int field, const std::string& text) const;
  void PutField(int field, const std::string& value);
  void MarkChanged(int field);
  // Writes the deletion byte ('*' deleted, ' ' live) of the current record; unchanged on failure.
  void SetDeletionByte(char mark);
  bool Binary30(int field) const;
  void SetMemoBlock(int field, uint32_t block);
};

}  // namespace hb
