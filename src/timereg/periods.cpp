#include "timereg/periods.h"

#include <QDate>
#include <algorithm>

#include "timereg/mainobj.h"

namespace hb {

namespace {

qint64 KeyDate(qint64 key) { return key / 10000; }
int KeyTime(qint64 key) { return static_cast<int>(key % 10000); }

}  // namespace

bool Overlaps(double aStart, double aStop, double bStart, double bStop) {
  if (aStart < bStart) return bStart + kOverlapTolerance < aStop;
  return bStop - kOverlapTolerance > aStart;
}

double LatestStop(const TPeriodList& periods) {
  double latest = 0;
  bool first = true;
  for (const TPeriod& p : periods) {
    if (first || p.Stop > latest) latest = p.Stop;
    first = false;
  }
  return latest;
}

qint64 MinuteKey(double moment) {
  const TDayTime t = SplitMoment(moment);
  const QDate date = QDate(1899, 12, 30).addDays(t.Day);
  return ((static_cast<qint64>(date.year()) * 100 + date.month()) * 100 + date.day()) * 10000 +
         t.Hour * 100 + t.Minute;
}

QStringList SortedKeys(const TPeriodList& periods) {
  QStringList keys;
  keys.reserve(periods.size());
  for (const TPeriod& p : periods) {
    keys << QString("%1-%2=%3")
                .arg(MinuteKey(p.Start))
                .arg(KeyTime(MinuteKey(p.Stop)), 4, 10, QChar('0'))
                .arg(p.RecNo);
  }
  keys.sort();
  return keys;
}

bool IsPeriodFree(const TPeriodList& periods, int ignore, double stop, double start) {
  const qint64 from = MinuteKey(start);
  const qint64 to = MinuteKey(stop);
  if (KeyDate(from) != KeyDate(to)) return false;
  for (const TPeriod& p : periods) {
    if (ignore >= 0 && p.RecNo == ignore) continue;
    const qint64 blockStart = MinuteKey(p.Start);
    const qint64 blockStop = MinuteKey(p.Stop);
    // A block that has begun by the start and runs past it.
    if (blockStart <= from && blockStop > from) return false;
    // A block that begins inside the period.
    if (blockStart > from && blockStart < to) return false;
    // The day is full once a block ends at 23:59.
    if (blockStop == from && KeyTime(from) == 2359) return false;
  }
  return true;
}

double NextFreeMoment(const TPeriodList& periods, const TMainObj& mainObj, double moment) {
  const qint64 day = SplitMoment(moment).Day;
  double r = moment;
  for (;;) {
    const double a = mainObj.AddTimeblocks(1, r);
    if (IsPeriodFree(periods, -1, a, r)) return r;
    if (SplitMoment(mainObj.AddTimeblocks(1, a)).Day != day) return r;
    r = a;
  }
}

}  // namespace hb
