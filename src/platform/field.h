// Fields of a dataset: typed access to one column of the current record.
//
//   TField* f = table.FieldByName("aantal");     // names without regard to letter case
//   int n = f->AsInteger();                      // null reads as 0
//   table.Edit();
//   f->SetAsString("12");                        // converted to the field's type
//   f->Clear();                                  // null
//
// A field holds no value of its own: every read asks the dataset for the value in the record
// buffer that the dataset's state selects (the current record, the inserted record, the key
// buffer, the record being filtered), and every write hands the converted value to the dataset,
// which checks its state first. Values cross that boundary in one canonical form per type:
//
//   string, memo          QString               (the concrete dataset converts stored bytes)
//   smallint, integer,
//   large integer         qint64
//   float, currency, BCD  double
//   boolean               bool
//   date, time, datetime  double: a moment, days since 30-12-1899 with the time as fraction
//   blob                  QByteArray
//   null                  an invalid QVariant
//
// Conversions between the typed accessors (table in field.cpp):
// - Reading null gives "", 0, 0.0, false or 0 (moment); IsNull tells it apart.
// - Text reads numbers with "." or "," as decimal point, booleans from "T"/"Y"/"True"/"Yes"/"1"
//   and "F"/"N"/"False"/"No"/"0" (any case, prefixes of the words), dates as "dd-mm-yyyy"
//   (also with "/" or ".", or "yyyy-mm-dd") with an optional time "hh:nn[:ss]".
// - Numbers and dates are written as text with "." as decimal point and "dd-mm-yyyy hh:nn:ss".
// - Writing an empty text to a field that is not a text field stores null.
// - A text that cannot be read as the field's type raises EFieldConvertError; a type that has
//   no meaning for the field (a date as Boolean) raises EDatabaseError "Cannot access field
//   '%s' as type %s"; a number outside a small integer's range raises EDatabaseError.
// - Texts longer than a string field's size are cut to the size.
#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <functional>
#include <stdexcept>
#include <vector>

namespace hb {

class TDataSet;

// Errors of the dataset framework; the message is the text shown to the user.
class EDatabaseError : public std::runtime_error {
 public:
  explicit EDatabaseError(const QString& message)
      : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& Message() const { return message_; }

 private:
  QString message_;
};

// A value that cannot be converted to the type a field asks for.
class EFieldConvertError : public EDatabaseError {
 public:
  using EDatabaseError::EDatabaseError;
};

enum class TFieldType {
  ftUnknown,
  ftString,
  ftSmallint,
  ftInteger,
  ftLargeint,
  ftBoolean,
  ftFloat,
  ftCurrency,
  ftBCD,
  ftDate,
  ftTime,
  ftDateTime,
  ftMemo,
  ftBlob,
};

// The English name of a type as used in messages ("String", "Integer", ...).
QString FieldTypeName(TFieldType type);

// Moments (days since 30-12-1899) and their texts; used by the field conversions and by views.
QString MomentToText(double moment, TFieldType type);    // "dd-mm-yyyy", "hh:nn:ss" or both
bool TextToMoment(const QString& text, double& moment);  // false when not a date and/or time

// The definition of one field, as a concrete dataset reports it when it opens, or as a program
// lists it to create a table. FieldNo is the 1-based position in the definitions.
struct TFieldDef {
  QString Name;
  TFieldType DataType = TFieldType::ftUnknown;
  int Size = 0;       // characters of a string field; 0 for types without a size
  int Precision = 0;  // decimals of a float or BCD field
  bool Required = false;
  int FieldNo = 0;
};

class TFieldDefs {
 public:
  // Adds a definition; raises EDatabaseError "Duplicate field name '%s'" when the name
  // (without regard to case) is already defined.
  TFieldDef& Add(const QString& name, TFieldType type, int size = 0, bool required = false,
                 int precision = 0);
  void Clear() { defs_.clear(); }
  int Count() const { return static_cast<int>(defs_.size()); }
  const TFieldDef& Items(int i) const { return defs_.at(i); }
  int IndexOf(const QString& name) const;  // -1 when missing
  const TFieldDef* Find(const QString& name) const;
  bool operator==(const TFieldDefs& other) const;

 private:
  std::vector<TFieldDef> defs_;
};

class TField {
 public:
  using TFieldNotifyEvent = std::function<void(TField&)>;

  TField(TDataSet* dataSet, const TFieldDef& def, int index);
  TField(const TField&) = delete;
  TField& operator=(const TField&) = delete;

  TDataSet* DataSet() const { return dataSet_; }
  const QString& FieldName() const { return name_; }
  TFieldType DataType() const { return type_; }
  int Size() const { return size_; }
  int Precision() const { return precision_; }
  int FieldNo() const { return fieldNo_; }  // 1-based position in the field definitions
  int Index() const { return index_; }      // 0-based position in the dataset's fields
  bool IsBlob() const { return type_ == TFieldType::ftMemo || type_ == TFieldType::ftBlob; }
  bool IsNumeric() const;
  bool IsText() const { return type_ == TFieldType::ftString || type_ == TFieldType::ftMemo; }

  // Presentation, kept while the dataset's structure stays the same.
  QString DisplayLabel() const { return displayLabel_.isEmpty() ? name_ : displayLabel_; }
  void SetDisplayLabel(const QString& label) { displayLabel_ = label; }
  int DisplayWidth() const;
  void SetDisplayWidth(int width) { displayWidth_ = width; }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible) { visible_ = visible; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
  bool Required() const { return required_; }
  void SetRequired(bool required) { required_ = required; }

  // Reading.
  bool IsNull() const;
  QVariant Value() const;  // the canonical value; invalid when null
  QVariant AsVariant() const { return Value(); }
  QString AsString() const;
  int AsInteger() const;
  qint64 AsLargeInt() const;
  double AsFloat() const;
  double AsDateTime() const;
  bool AsBoolean() const;
  QByteArray AsBytes() const;
  QString DisplayText() const { return AsString(); }

  // Writing: converted to the field's type and handed to the dataset.
  void SetValue(const QVariant& value);  // an invalid or null QVariant clears
  void SetAsVariant(const QVariant& value) { SetValue(value); }
  void SetAsString(const QString& value);
  void SetAsInteger(qint64 value);
  void SetAsLargeInt(qint64 value) { SetAsInteger(value); }
  void SetAsFloat(double value);
  void SetAsDateTime(double moment);
  void SetAsBoolean(bool value);
  void SetAsBytes(const QByteArray& value);
  void Clear();

  // Converts a value of any supported QVariant type to this field's canonical form (the same
  // rules as the setters); null stays null. Raises as the setters do.
  QVariant ToCanonical(const QVariant& value) const;

  // Raised after the field's value changed through a setter.
  TFieldNotifyEvent OnChange;

 private:
  friend class TDataSet;
  QVariant Read() const;
  void Write(const QVariant& canonical);
  [[noreturn]] void AccessError(TFieldType asked) const;
  QVariant FromText(const QString& text) const;

  TDataSet* dataSet_;
  QString name_;
  TFieldType type_;
  int size_;
  int precision_;
  int fieldNo_;
  int index_;
  QString displayLabel_;
  int displayWidth_ = 0;
  bool visible_ = true;
  bool readOnly_ = false;
  bool required_;
};

}  // namespace hb
