// The engine's typed value: empty, text, number, date (julian day number), logical, or raw
// bytes (field text of a type without a conversion of its own).
//
//   TDbVariant v = TDbVariant::Text("K");
//   v.Kind() == TDbVariant::dvText;  v.AsBytes() == "K";
//   TDbVariant::Date(2453017).AsText() == "20040112"
#pragma once

#include <cstdint>
#include <string>

namespace hb {

class TDbVariant {
 public:
  enum TKind { dvEmpty, dvText, dvNumber, dvDate, dvLogical, dvRaw };

  TDbVariant() = default;
  static TDbVariant Text(std::string text);
  static TDbVariant Number(double value);
  static TDbVariant Date(int64_t julian);
  static TDbVariant Logical(bool value);
  static TDbVariant Raw(std::string bytes);

  TKind Kind() const { return kind_; }
  bool IsEmpty() const { return kind_ == dvEmpty; }

  void Clear();
  void SetText(std::string text);
  void SetNumber(double value);
  void SetDate(int64_t julian);
  void SetLogical(bool value);
  void SetRaw(std::string bytes);

  // The bytes of a text or raw value; empty for the other kinds.
  const std::string& AsBytes() const { return bytes_; }
  // Any kind as text: numbers as short as they read back, dates as "yyyymmdd" (8 spaces
  // for the empty date), logicals as "T" or "F".
  std::string AsText() const;
  // Number, date or logical (1 or 0) as a number; a text is 0.
  double AsNumber() const;
  int64_t AsDate() const;
  bool AsLogical() const;

  bool operator==(const TDbVariant& other) const;

 private:
  TKind kind_ = dvEmpty;
  std::string bytes_;
  double number_ = 0;
  bool logical_ = false;
};

}  // namespace hb
