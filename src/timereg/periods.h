// Period logic over the hour blocks of one employee: the overlap rule and the search for
// free time in a week's blocks.
//
// The functions work on plain (record number, start, stop) periods so that the list of
// hour records can hand over its blocks without this file knowing the records.
//
//   Overlaps(08:00, 09:00, 08:59:40, 10:00) == false   (they share less than half a minute)
//   IsPeriodFree(blocks, -1, stop, start)              [start, stop] on one day is free
//   NextFreeMoment(blocks, MainObj(), x)               the first slot boundary from x where
//                                                      one slot fits
//
// Free-time questions compare whole minutes: moments are reduced to "yyyymmddhhnn".
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace hb {

class TMainObj;

struct TPeriod {
  int RecNo = 0;  // row of the hour record; 0 while not stored
  double Start = 0;
  double Stop = 0;
};
using TPeriodList = QList<TPeriod>;

// Half a minute: blocks that share less than this do not overlap.
inline constexpr double kOverlapTolerance = 1.0 / 2880.0;

// True when period A shares more than half a minute with period B; blocks that only touch
// do not overlap.
bool Overlaps(double aStart, double aStop, double bStart, double bStop);
inline bool Overlaps(const TPeriod& a, const TPeriod& b) {
  return Overlaps(a.Start, a.Stop, b.Start, b.Stop);
}

// The greatest stop of the periods; 0 for none.
double LatestStop(const TPeriodList& periods);

// One line per period, "yyyymmddhhnn-hhnn=recno" (start, stop time, record number), sorted.
QStringList SortedKeys(const TPeriodList& periods);

// The minute key "yyyymmddhhnn" of a moment as a number (seconds are dropped).
qint64 MinuteKey(double moment);

// Whether [start, stop] is free of the periods, the period with record number `ignore` left
// out (ignore < 0: none). A period that crosses midnight is never free. A period starting
// at 23:59 right after a block that ends at 23:59 is not free: the day is full.
bool IsPeriodFree(const TPeriodList& periods, int ignore, double stop, double start);

// From moment x on, the first moment r (x itself, or x moved by whole slots) where one slot
// [r, r + 1 slot] is free; when the day runs out first, the last moment reached that day.
double NextFreeMoment(const TPeriodList& periods, const TMainObj& mainObj, double moment);

}  // namespace hb
