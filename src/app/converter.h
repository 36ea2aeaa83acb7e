// The conversions of the date/timestamp converter window, on the texts of its four boxes.
//
//   TConverterTexts t;
//   t.Timestamp = "       43200";
//   ConvertFromTimestamp(t);    // t.DateTime "34700.5", t.Date "01-01-1995", t.Time "12:00",
//                               // t.Label "01-01-1995 12:00:00"
//
// Each reaction fills the other boxes from the one that changed and never touches the box
// it read. Every step stands by itself: when it fails its target gets a fallback (empty,
// or "00:00" for the time) and the next step still runs. After each reaction the label
// shows the moment of the timestamp box.
#pragma once

#include <QString>

namespace hb {

struct TConverterTexts {
  QString Timestamp;  // epoch timestamp text
  QString DateTime;   // the moment as a day number
  QString Date;       // "dd-mm-yyyy"
  QString Time;       // "hh:mm"
  QString Label;      // "dd-mm-yyyy hh:mm:ss"
};

void ConvertFromTimestamp(TConverterTexts& texts);
void ConvertFromDateTime(TConverterTexts& texts);
// The date box or the time box changed: both are read, the timestamp and day number filled.
void ConvertFromDateAndTime(TConverterTexts& texts);

// A day number with up to 8 decimals, the locale's decimal point, no group separators and
// no trailing zeros ("34700.5"); false for a value that is not finite.
bool FormatDayNumber(double moment, QString& text);
// The text read as a number in the locale's format (no group separators); false otherwise.
bool ReadDayNumber(const QString& text, double& moment);

}  // namespace hb
