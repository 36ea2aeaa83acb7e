#include "dbf/dbvariant.h"

#include <QDate>
#include <charconv>
#include <cstdio>

namespace hb {

TDbVariant TDbVariant::Text(std::string text) {
  TDbVariant v;
  v.SetText(std::move(text));
  return v;
}

TDbVariant TDbVariant::Number(double value) {
  TDbVariant v;
  v.SetNumber(value);
  return v;
}

TDbVariant TDbVariant::Date(int64_t julian) {
  TDbVariant v;
  v.SetDate(julian);
  return v;
}

TDbVariant TDbVariant::Logical(bool value) {
  TDbVariant v;
  v.SetLogical(value);
  return v;
}

TDbVariant TDbVariant::Raw(std::string bytes) {
  TDbVariant v;
  v.SetRaw(std::move(bytes));
  return v;
}

void TDbVariant::Clear() {
  kind_ = dvEmpty;
  bytes_.clear();
  number_ = 0;
  logical_ = false;
}

void TDbVariant::SetText(std::string text) {
  kind_ = dvText;
  bytes_ = std::move(text);
}

void TDbVariant::SetNumber(double value) {
  kind_ = dvNumber;
  bytes_.clear();
  number_ = value;
}

void TDbVariant::SetDate(int64_t julian) {
  kind_ = dvDate;
  bytes_.clear();
  number_ = static_cast<double>(julian);
}

void TDbVariant::SetLogical(bool value) {
  kind_ = dvLogical;
  bytes_.clear();
  logical_ = value;
}

void TDbVariant::SetRaw(std::string bytes) {
  kind_ = dvRaw;
  bytes_ = std::move(bytes);
}

std::string TDbVariant::AsText() const {
  switch (kind_) {
    case dvText:
    case dvRaw:
      return bytes_;
    case dvNumber: {
      char buf[64];
      auto [end, ec] =
          std::to_chars(buf, buf + sizeof buf, number_, std::chars_format::general, 15);
      return std::string(buf, ec == std::errc() ? end : buf);
    }
    case dvDate: {
      if (number_ <= 0) return std::string(8, ' ');
      const QDate d = QDate::fromJulianDay(static_cast<qint64>(number_));
      char buf[32];
      std::snprintf(buf, sizeof buf, "%04d%02d%02d", d.year(), d.month(), d.day());
      return buf;
    }
    case dvLogical:
      return logical_ ? "T" : "F";
    case dvEmpty:
      break;
  }
  return {};
}

double TDbVariant::AsNumber() const {
  switch (kind_) {
    case dvNumber:
    case dvDate:
      return number_;
    case dvLogical:
      return logical_ ? 1 : 0;
    default:
      return 0;
  }
}

int64_t TDbVariant::AsDate() const {
  return kind_ == dvDate || kind_ == dvNumber ? static_cast<int64_t>(number_) : 0;
}

bool TDbVariant::AsLogical() const {
  if (kind_ == dvLogical) return logical_;
  if (kind_ == dvNumber || kind_ == dvDate) return number_ != 0;
  return false;
}

bool TDbVariant::operator==(const TDbVariant& other) const {
  if (kind_ != other.kind_) return false;
  switch (kind_) {
    case dvText:
    case dvRaw:
      return bytes_ == other.bytes_;
    case dvNumber:
    case dvDate:
      return number_ == other.number_;
    case dvLogical:
      return logical_ == other.logical_;
    case dvEmpty:
      return true;
  }
  return false;
}

}  // namespace hb
