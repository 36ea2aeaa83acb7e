// The entry dialog's time fields without a screen: reading typed times, rounding them to the
// planner's resolution, the duration field and the spin steps; and TTimeInfo, one period
// of the stopwatch.
//
//   QString t;
//   NormalizeTimeText("830", t)        -> true,  t == "08:30"
//   NormalizeTimeText("2:00 pm", t)    -> true,  t == "14:00"
//   NormalizeTimeText("8", t)          -> false  (too few digits)
//
//   TTimeFields f{"08:00", "00:00", "08:05"};
//   LeaveTimeField(MainObj(), f, true) == TTimeCheck::BelowResolution   (f.End == "08:00")
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace hb {

class TMainObj;

// One stopwatch period.
struct TTimeInfo {
  double Start = 0;  // moment the period began
  double Stop = 0;   // last moment counted
  QString KlantText;
  QString ActiviteitText;
  QString ProductText;
  QString AantalText;
  bool Voorlopig = false;
  QString Werkz;
  QString ShortDescr;  // abbreviations joined with "/"
};

// A typed time of day as "hh:nn" (with the program's time separator). Empty text is
// 00:00. False when the text is no time.
bool NormalizeTimeText(const QString& text, QString& result);

// A time of day ("hh:nn", "H:MM", "24:..." for the end of the day) as a fraction of a day;
// -1 when unreadable.
double FieldTime(const QString& text);

// "hh:nn" of a time of day; a moment at or past the end of the day gives "23:59".
QString TimeFieldText(double time);
// A duration as "H:MM" left-padded with "0" to 5 characters ("0:30" -> "00:30").
QString DurationFieldText(double days);
// The resolution text padded the same way, for comparing durations as text.
QString PaddedResolutionText(const TMainObj& m);

// The three time fields of the dialog.
struct TTimeFields {
  QString Start;
  QString Duration;
  QString End;
};

enum class TTimeCheck {
  Ok,               // fields updated
  Invalid,          // the text is no time (or duration); fields unchanged
  BelowResolution,  // the period is shorter than one step; the left field holds its rounded
                    // text, the duration is unchanged
};

// Leaving the start (isEnd false) or end field: the field is normalised and rounded to
// the nearest slot; then the duration is recomputed.
TTimeCheck LeaveTimeField(const TMainObj& m, TTimeFields& fields, bool isEnd);
// Leaving the duration field: one or two characters count as minutes ("30" is 0:30). The
// duration is normalised and rounded; the end becomes start + duration, at most the end
// of the day.
TTimeCheck LeaveDurationField(const TMainObj& m, TTimeFields& fields);

enum class TSpin { StartEarlier, StartLater, EndEarlier, EndLater };

// Takes one resolution step and recomputes the duration; false (fields unchanged) when the
// limit is reached or `allowed` refuses. `allowed` gets the time of day whose cell must be
// free: the new start + 1 minute, the new start, the new end, or the new end - 1 minute.
bool SpinStep(const TMainObj& m, TTimeFields& fields, TSpin which,
              const std::function<bool(double time)>& allowed = {});

// One period the stopwatch books.
struct TBookPeriod {
  double Start = 0;
  double Stop = 0;
  bool operator==(const TBookPeriod&) const = default;
};

// The periods a stopwatch entry from start to stop books. Both are rounded to the nearest
// slot (and start and stop are set to the rounded moments); less than one slot becomes
// one slot. A period within one date is booked as it is; across midnight the first day up
// to 23:59, the last day from 00:00 (unless it ends exactly at midnight), then every whole
// day between them from 00:00 to 23:59.
QList<TBookPeriod> StopwatchPeriods(const TMainObj& m, double& start, double& stop);

// The short description of a stopwatch entry: the abbreviations, each followed by "/",
// without the final "/".
QString ShortDescription(const QStringList& abbreviations);

}  // namespace hb
