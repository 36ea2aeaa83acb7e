// Conversions between moments and their stored or displayed texts.
//
// A moment is a double: days since 30-12-1899 with the time of day as the fraction.
// Epoch timestamps count whole seconds since kEpoch (01-01-1995 00:00 local time) and are
// stored as decimal text right-aligned in 12 characters:
//
//   DateTimeToStamp(kEpoch)            == "           0"
//   DateTimeToStamp(kEpoch + 1.5)      == "      129600"
//   StampToDateTime("      129600")    == kEpoch + 1.5
//   StampToDateTime("   ")             == kEpoch        (unreadable or > 32 bits: the epoch)
//   DurationText(1.25)                 == "30:00"       (hours are not limited to 24)
//   DurationText(-0.0003)              == "0:00"        (no sign when it rounds to zero)
//   ParseTime("8.30")                  == 8.5 / 24      ("24:00..." gives 1.0)
//   ParseDecimal("1,5", 0)             == 1.5           (default when unreadable)
#pragma once

#include <QString>
#include <stdexcept>

namespace hb {

// 01-01-1995 as a moment.
constexpr double kEpoch = 34700.0;

// Raised when a text cannot be read as the value asked for.
class EConvertError : public std::runtime_error {
 public:
  explicit EConvertError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

QString DateTimeToStamp(double moment);
// emptyForEpoch: the epoch itself gives ""; emptyForZero: the moment 0 gives "".
QString DateTimeToStamp(double moment, bool emptyForEpoch, bool emptyForZero);
double StampToDateTime(const QString& stamp);
// zeroForEpoch: a result equal to the epoch becomes 0.
double StampToDateTime(const QString& stamp, bool zeroForEpoch);

// "[-]h:mm"; with systemSeparator the program's time separator replaces ":".
QString DurationText(double days, bool systemSeparator = false);

// A time of day as a fraction of a day. Accepts h, h:mm and h:mm:ss with an optional
// am/pm; on failure "." and ":" are swapped and the text read once more. Throws
// EConvertError when that fails too.
double ParseTime(const QString& text);

double ParseDecimal(const QString& text, double def);

}  // namespace hb
