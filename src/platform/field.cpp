#include "platform/field.h"

#include <QDate>
#include <QRegularExpression>
#include <QTime>
#include <cmath>
#include <limits>

#include "platform/dataset.h"

namespace hb {

namespace {

const QDate kMomentZero(1899, 12, 30);

bool IsDateType(TFieldType t) {
  return t == TFieldType::ftDate || t == TFieldType::ftTime || t == TFieldType::ftDateTime;
}
bool IsIntType(TFieldType t) {
  return t == TFieldType::ftSmallint || t == TFieldType::ftInteger || t == TFieldType::ftLargeint;
}
bool IsFloatType(TFieldType t) {
  return t == TFieldType::ftFloat || t == TFieldType::ftCurrency || t == TFieldType::ftBCD;
}

// Decimal number with "." or "," as point; surrounding blanks allowed.
bool ParseNumber(const QString& text, double& value) {
  QString t = text.trimmed();
  t.replace(',', '.');
  if (t.isEmpty()) return false;
  bool ok = false;
  value = t.toDouble(&ok);
  return ok && std::isfinite(value);
}

bool ParseInteger(const QString& text, qint64& value) {
  bool ok = false;
  value = text.trimmed().toLongLong(&ok);
  return ok;
}

// Prefix of one of the words (at least one character), without regard to case.
bool MatchesWord(const QString& text, std::initializer_list<const char*> words) {
  for (const char* w : words)
    if (QString::fromLatin1(w).startsWith(text, Qt::CaseInsensitive)) return true;
  return false;
}

bool ParseBoolean(const QString& text, bool& value) {
  const QString t = text.trimmed();
  if (t.isEmpty()) return false;
  if (MatchesWord(t, {"True", "Yes", "1"})) {
    value = true;
    return true;
  }
  if (MatchesWord(t, {"False", "No", "0"})) {
    value = false;
    return true;
  }
  return false;
}

QString InvalidText(TFieldType t) {
  switch (t) {
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftLargeint:
      return QStringLiteral("integer");
    case TFieldType::ftBoolean:
      return QStringLiteral("boolean");
    case TFieldType::ftDate:
      return QStringLiteral("date");
    case TFieldType::ftTime:
      return QStringLiteral("time");
    case TFieldType::ftDateTime:
      return QStringLiteral("date and time");
    default:
      return QStringLiteral("floating point");
  }
}

}  // namespace

QString FieldTypeName(TFieldType type) {
  switch (type) {
    case TFieldType::ftString:
      return "String";
    case TFieldType::ftSmallint:
      return "SmallInt";
    case TFieldType::ftInteger:
      return "Integer";
    case TFieldType::ftLargeint:
      return "LargeInt";
    case TFieldType::ftBoolean:
      return "Boolean";
    case TFieldType::ftFloat:
      return "Float";
    case TFieldType::ftCurrency:
      return "Currency";
    case TFieldType::ftBCD:
      return "BCD";
    case TFieldType::ftDate:
      return "Date";
    case TFieldType::ftTime:
      return "Time";
    case TFieldType::ftDateTime:
      return "DateTime";
    case TFieldType::ftMemo:
      return "Memo";
    case TFieldType::ftBlob:
      return "Blob";
    case TFieldType::ftUnknown:
      break;
  }
  return "Unknown";
}

QString MomentToText(double moment, TFieldType type) {
  const double day = std::trunc(moment);
  // Round to whole seconds first, so that 23:59:59.9999 does not print as 24:00:00.
  qint64 secs = std::llround(std::fabs(moment - day) * 86400.0);
  qint64 days = static_cast<qint64>(day);
  if (secs >= 86400) {
    secs -= 86400;
    days += moment < 0 ? -1 : 1;
  }
  const QString date = kMomentZero.addDays(days).toString("dd-MM-yyyy");
  const QString time = QTime(0, 0).addSecs(static_cast<int>(secs)).toString("hh:mm:ss");
  if (type == TFieldType::ftDate) return date;
  if (type == TFieldType::ftTime) return time;
  return secs == 0 ? date : date + " " + time;
}

bool TextToMoment(const QString& text, double& moment) {
  static const QRegularExpression reDmy(
      R"(^(\d{1,2})[-/.](\d{1,2})[-/.](\d{2}|\d{4})(?:\s+(.+))?$)");
  static const QRegularExpression reIso(R"(^(\d{4})-(\d{1,2})-(\d{1,2})(?:[T\s]+(.+))?$)");
  static const QRegularExpression reTime(R"(^(\d{1,2}):(\d{2})(?::(\d{2}))?$)");
  const QString t = text.trimmed();
  auto parseTime = [](const QString& s, double& frac) {
    const auto m = reTime.match(s.trimmed());
    if (!m.hasMatch()) return false;
    const int h = m.captured(1).toInt(), n = m.captured(2).toInt();
    const int sec = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
    if (h > 23 || n > 59 || sec > 59) return false;
    frac = (h * 3600 + n * 60 + sec) / 86400.0;
    return true;
  };
  int y = 0, m = 0, d = 0;
  QString rest;
  if (auto mi = reIso.match(t); mi.hasMatch()) {
    y = mi.captured(1).toInt();
    m = mi.captured(2).toInt();
    d = mi.captured(3).toInt();
    rest = mi.captured(4);
  } else if (auto md = reDmy.match(t); md.hasMatch()) {
    d = md.captured(1).toInt();
    m = md.captured(2).toInt();
    y = md.captured(3).toInt();
    if (md.captured(3).size() == 2) y += 2000;
    rest = md.captured(4);
  } else {
    double frac = 0;  // a time alone
    if (!parseTime(t, frac)) return false;
    moment = frac;
    return true;
  }
  const QDate date(y, m, d);
  if (!date.isValid()) return false;
  double frac = 0;
  if (!rest.isEmpty() && !parseTime(rest, frac)) return false;
  moment = static_cast<double>(kMomentZero.daysTo(date)) + frac;
  return true;
}

// ---------------------------------------------------------------- TFieldDefs

TFieldDef& TFieldDefs::Add(const QString& name, TFieldType type, int size, bool required,
                           int precision) {
  if (IndexOf(name) >= 0) throw EDatabaseError(QString("Duplicate field name '%1'").arg(name));
  TFieldDef def;
  def.Name = name;
  def.DataType = type;
  def.Size = size;
  def.Required = required;
  def.Precision = precision;
  def.FieldNo = Count() + 1;
  defs_.push_back(def);
  return defs_.back();
}

int TFieldDefs::IndexOf(const QString& name) const {
  for (int i = 0; i < Count(); ++i)
    if (defs_[i].Name.compare(name, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

const TFieldDef* TFieldDefs::Find(const QString& name) const {
  const int i = IndexOf(name);
  return i < 0 ? nullptr : &defs_[i];
}

bool TFieldDefs::operator==(const TFieldDefs& other) const {
  if (Count() != other.Count()) return false;
  for (int i = 0; i < Count(); ++i) {
    const TFieldDef &a = defs_[i], &b = other.defs_[i];
    if (a.Name != b.Name || a.DataType != b.DataType || a.Size != b.Size ||
        a.Precision != b.Precision || a.Required != b.Required)
      return false;
  }
  return true;
}

// ---------------------------------------------------------------- TField

TField::TField(TDataSet* dataSet, const TFieldDef& def, int index)
    : dataSet_(dataSet),
      name_(def.Name),
      type_(def.DataType),
      size_(def.Size),
      precision_(def.Precision),
      fieldNo_(def.FieldNo),
      index_(index),
      required_(def.Required) {}

bool TField::IsNumeric() const {
  return IsIntType(type_) || IsFloatType(type_);
}

int TField::DisplayWidth() const {
  if (displayWidth_ > 0) return displayWidth_;
  switch (type_) {
    case TFieldType::ftString:
      return size_ > 0 ? size_ : 20;
    case TFieldType::ftSmallint:
      return 6;
    case TFieldType::ftInteger:
      return 11;
    case TFieldType::ftLargeint:
      return 15;
    case TFieldType::ftBoolean:
      return 5;
    case TFieldType::ftDate:
      return 10;
    case TFieldType::ftTime:
      return 8;
    case TFieldType::ftDateTime:
      return 19;
    default:
      return 10;
  }
}

QVariant TField::Read() const {
  QVariant v;
  if (!dataSet_ || !dataSet_->FieldValue(*this, v)) return QVariant();
  return v;
}

void TField::Write(const QVariant& canonical) {
  if (!dataSet_) throw EDatabaseError(QString("Field '%1' has no dataset").arg(name_));
  dataSet_->StoreFieldValue(*this, canonical);
}

void TField::AccessError(TFieldType asked) const {
  throw EDatabaseError(
      QString("Cannot access field '%1' as type %2").arg(name_, FieldTypeName(asked)));
}

bool TField::IsNull() const {
  return !Read().isValid();
}

QVariant TField::Value() const {
  return Read();
}

QString TField::AsString() const {
  const QVariant v = Read();
  if (!v.isValid()) return QString();
  if (IsText()) return v.toString();
  if (IsIntType(type_)) return QString::number(v.toLongLong());
  if (IsFloatType(type_)) return QString::number(v.toDouble(), 'g', 15);
  if (type_ == TFieldType::ftBoolean) return v.toBool() ? "True" : "False";
  if (IsDateType(type_)) return MomentToText(v.toDouble(), type_);
  if (type_ == TFieldType::ftBlob) return QString::fromLatin1(v.toByteArray());
  return v.toString();
}

qint64 TField::AsLargeInt() const {
  const QVariant v = Read();
  if (!v.isValid()) return 0;
  if (IsIntType(type_)) return v.toLongLong();
  if (IsFloatType(type_)) {
    const double d = std::round(v.toDouble());
    if (std::fabs(d) > 9.2e18)
      throw EFieldConvertError(
          QString("%1 is not a valid integer value for field '%2'").arg(v.toDouble()).arg(name_));
    return static_cast<qint64>(d);
  }
  if (type_ == TFieldType::ftBoolean) return v.toBool() ? 1 : 0;
  if (IsText()) {
    qint64 n = 0;
    const QString s = v.toString();
    if (s.trimmed().isEmpty()) return 0;
    if (!ParseInteger(s, n))
      throw EFieldConvertError(
          QString("'%1' is not a valid integer value for field '%2'").arg(s, name_));
    return n;
  }
  AccessError(TFieldType::ftInteger);
}

int TField::AsInteger() const {
  const qint64 n = AsLargeInt();
  if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max())
    throw EFieldConvertError(
        QString("%1 is not a valid integer value for field '%2'").arg(n).arg(name_));
  return static_cast<int>(n);
}

double TField::AsFloat() const {
  const QVariant v = Read();
  if (!v.isValid()) return 0;
  if (IsIntType(type_)) return static_cast<double>(v.toLongLong());
  if (IsFloatType(type_) || IsDateType(type_)) return v.toDouble();
  if (IsText()) {
    const QString s = v.toString();
    if (s.trimmed().isEmpty()) return 0;
    double d = 0;
    if (!ParseNumber(s, d))
      throw EFieldConvertError(
          QString("'%1' is not a valid floating point value for field '%2'").arg(s, name_));
    return d;
  }
  AccessError(TFieldType::ftFloat);
}

double TField::AsDateTime() const {
  const QVariant v = Read();
  if (!v.isValid()) return 0;
  if (IsDateType(type_) || IsFloatType(type_)) return v.toDouble();
  if (IsText()) {
    const QString s = v.toString();
    if (s.trimmed().isEmpty()) return 0;
    double m = 0;
    if (!TextToMoment(s, m))
      throw EFieldConvertError(
          QString("'%1' is not a valid date and time for field '%2'").arg(s, name_));
    return m;
  }
  AccessError(TFieldType::ftDateTime);
}

bool TField::AsBoolean() const {
  const QVariant v = Read();
  if (!v.isValid()) return false;
  if (type_ == TFieldType::ftBoolean) return v.toBool();
  if (IsIntType(type_)) return v.toLongLong() != 0;
  if (IsFloatType(type_)) return v.toDouble() != 0;
  if (IsText()) {
    // A text field holds "T"/"Y"-style flags: anything else reads as false.
    const QString s = v.toString().trimmed();
    return !s.isEmpty() && QStringLiteral("TtYy").contains(s.at(0));
  }
  AccessError(TFieldType::ftBoolean);
}

QByteArray TField::AsBytes() const {
  const QVariant v = Read();
  if (!v.isValid()) return QByteArray();
  if (type_ == TFieldType::ftBlob) return v.toByteArray();
  return AsString().toUtf8();
}

QVariant TField::FromText(const QString& text) const {
  if (IsText()) return size_ > 0 && type_ == TFieldType::ftString ? text.left(size_) : text;
  if (type_ == TFieldType::ftBlob) return text.toLatin1();
  if (text.trimmed().isEmpty()) return QVariant();
  if (IsIntType(type_)) {
    qint64 n = 0;
    if (!ParseInteger(text, n))
      throw EFieldConvertError(QString("'%1' is not a valid %2 value for field '%3'")
                                   .arg(text, InvalidText(type_), name_));
    return ToCanonical(QVariant::fromValue<qint64>(n));
  }
  if (IsFloatType(type_)) {
    double d = 0;
    if (!ParseNumber(text, d))
      throw EFieldConvertError(QString("'%1' is not a valid %2 value for field '%3'")
                                   .arg(text, InvalidText(type_), name_));
    return d;
  }
  if (type_ == TFieldType::ftBoolean) {
    bool b = false;
    if (!ParseBoolean(text, b))
      throw EFieldConvertError(QString("'%1' is not a valid %2 value for field '%3'")
                                   .arg(text, InvalidText(type_), name_));
    return b;
  }
  if (IsDateType(type_)) {
    double m = 0;
    if (!TextToMoment(text, m))
      throw EFieldConvertError(
          QString("'%1' is not a valid %2 for field '%3'").arg(text, InvalidText(type_), name_));
    return ToCanonical(m);
  }
  AccessError(TFieldType::ftString);
}

QVariant TField::ToCanonical(const QVariant& value) const {
  if (!value.isValid() || value.isNull()) return QVariant();
  const int id = value.typeId();
  if (id == QMetaType::QString || id == QMetaType::QChar) return FromText(value.toString());
  if (id == QMetaType::QByteArray) {
    if (type_ == TFieldType::ftBlob) return value.toByteArray();
    return FromText(QString::fromLatin1(value.toByteArray()));
  }
  if (id == QMetaType::QDate || id == QMetaType::QDateTime || id == QMetaType::QTime) {
    double m = 0;
    if (id == QMetaType::QTime) {
      m = QTime(0, 0).msecsTo(value.toTime()) / 86400000.0;
    } else {
      const QDateTime dt =
          id == QMetaType::QDate ? value.toDate().startOfDay() : value.toDateTime();
      m = kMomentZero.daysTo(dt.date()) + QTime(0, 0).msecsTo(dt.time()) / 86400000.0;
    }
    return ToCanonical(m);
  }
  if (id == QMetaType::Bool) {
    const bool b = value.toBool();
    if (type_ == TFieldType::ftBoolean) return b;
    if (IsIntType(type_)) return QVariant::fromValue<qint64>(b ? 1 : 0);
    if (IsFloatType(type_)) return b ? 1.0 : 0.0;
    if (type_ == TFieldType::ftString) return b ? "T" : "F";
    if (type_ == TFieldType::ftMemo) return b ? "True" : "False";
    AccessError(TFieldType::ftBoolean);
  }
  const bool isInt = id == QMetaType::Int || id == QMetaType::LongLong || id == QMetaType::UInt ||
                     id == QMetaType::ULongLong || id == QMetaType::Long ||
                     id == QMetaType::Short || id == QMetaType::UShort;
  const bool isFloat = id == QMetaType::Double || id == QMetaType::Float;
  if (!isInt && !isFloat) AccessError(type_);
  if (IsIntType(type_)) {
    qint64 n = 0;
    if (isInt) {
      n = value.toLongLong();
    } else {
      const double d = std::round(value.toDouble());
      if (!std::isfinite(d) || std::fabs(d) > 9.2e18)
        throw EFieldConvertError(QString("%1 is not a valid integer value for field '%2'")
                                     .arg(value.toDouble())
                                     .arg(name_));
      n = static_cast<qint64>(d);
    }
    qint64 lo = std::numeric_limits<qint64>::min(), hi = std::numeric_limits<qint64>::max();
    if (type_ == TFieldType::ftSmallint) lo = -32768, hi = 32767;
    if (type_ == TFieldType::ftInteger)
      lo = std::numeric_limits<int>::min(), hi = std::numeric_limits<int>::max();
    if (n < lo || n > hi)
      throw EDatabaseError(
          QString("%1 is not a valid value for field '%2'. The allowed range is %3 to %4")
              .arg(n)
              .arg(name_)
              .arg(lo)
              .arg(hi));
    return QVariant::fromValue<qint64>(n);
  }
  const double d = value.toDouble();
  if (IsFloatType(type_)) return d;
  if (type_ == TFieldType::ftDate) return isInt ? d : std::trunc(d);
  if (type_ == TFieldType::ftTime) return std::fabs(d - std::trunc(d));
  if (type_ == TFieldType::ftDateTime) return d;
  if (type_ == TFieldType::ftBoolean) return d != 0;
  if (IsText()) {
    const QString s = isInt ? QString::number(value.toLongLong()) : QString::number(d, 'g', 15);
    return FromText(s);
  }
  AccessError(type_);
}

void TField::SetValue(const QVariant& value) {
  Write(ToCanonical(value));
}

void TField::SetAsString(const QString& value) {
  Write(FromText(value));
}

void TField::SetAsInteger(qint64 value) {
  if (IsDateType(type_)) AccessError(TFieldType::ftInteger);
  Write(ToCanonical(QVariant::fromValue<qint64>(value)));
}

void TField::SetAsFloat(double value) {
  if (type_ == TFieldType::ftBoolean) AccessError(TFieldType::ftFloat);
  if (!std::isfinite(value))
    throw EFieldConvertError(
        QString("'%1' is not a valid floating point value for field '%2'").arg(value).arg(name_));
  Write(ToCanonical(value));
}

void TField::SetAsDateTime(double moment) {
  if (IsIntType(type_) || type_ == TFieldType::ftBoolean) AccessError(TFieldType::ftDateTime);
  if (IsText()) {
    Write(FromText(MomentToText(moment, TFieldType::ftDateTime)));
    return;
  }
  Write(ToCanonical(moment));
}

void TField::SetAsBoolean(bool value) {
  if (IsDateType(type_)) AccessError(TFieldType::ftBoolean);
  Write(ToCanonical(value));
}

void TField::SetAsBytes(const QByteArray& value) {
  if (type_ == TFieldType::ftBlob) {
    Write(value);
    return;
  }
  SetAsString(QString::fromUtf8(value));
}

void TField::Clear() {
  Write(QVariant());
}

}  // namespace hb
