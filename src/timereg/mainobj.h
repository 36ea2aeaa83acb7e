// The program object: the displayed week and the time resolution of the planner, and the
// arithmetic between moments, planner rows (time slots) and planner columns (days).
//
// A moment is a double: days since 30-12-1899, the time of day as the fraction. The planner
// shows a Sunday-to-Saturday week: column 0 is the Sunday before the ISO week's Monday,
// column 6 the Saturday. Each row is one slot of Resolution() minutes; a resolution that
// does not divide 60 leaves the last minutes of every hour without a row.
//
//   TMainObj& m = MainObj();               // resolution 15 (the default)
//   m.TimeToRow(false, date + 8h10)        == 32
//   m.TimeToRow(true, date + 8h10)         == 31   (the last row the block covers)
//   m.RowToTimeStr(96)                     == "23:59:59"
//   m.CellToDateTime(96, c)                == day c of the week at 23:59
//   m.RoundToTimeblock(0, date + 8:07:30)  == date + 8:15
//
// Arguments keep the order of the program's other modules: IsInPeriod(upper, lower, moment).
#pragma once

#include <QDate>
#include <QString>

namespace hb {

class TIniFile;

class TMainObj {
 public:
  // Resolution 15 minutes and the week of today; Init() reads the settings.
  TMainObj();

  // Reads [Grid] Resolutie of the program ini and shows the week of today.
  void Init();
  void ReadResolution(const TIniFile& ini);

  // --- The displayed week -----------------------------------------------------------------

  int DisplayedYear() const { return displayedYear_; }  // ISO year
  int DisplayedWeek() const { return displayedWeek_; }  // ISO week number

  // Shows the week a date belongs to on the planner: a Sunday opens the ISO week that
  // starts the next day.
  void SetDisplayedDate(const QDate& date);
  void SetDisplayedDate(double moment);
  // Shows week `week` of ISO year `year`; a week beyond the year's last week (53 in a
  // year of 52 weeks) becomes the last week, a week below 1 becomes week 1.
  void SetDisplayedWeek(int year, int week);

  // The Monday 00:00 of the displayed ISO week.
  double WeekStart() const;
  // The displayed period [PeriodStart, PeriodEnd): Sunday 00:00 before the Monday up to the
  // next Sunday 00:00.
  double PeriodStart() const { return WeekStart() - 1.0; }
  double PeriodEnd() const { return WeekStart() + 6.0; }
  // Weeks of the displayed ISO year: 52 or 53.
  int WeeksInYear() const;

  // --- Resolution -------------------------------------------------------------------------

  // The setting as it is used (after the corrections below), e.g. "0:15".
  const QString& ResolutionText() const { return resolutionText_; }
  // Takes a resolution setting: a time "h:mm" or a bare number of minutes. An unreadable
  // text gives the default "0:15"; less than one minute gives "0:01"; more than an hour
  // gives "1:00", the largest slot the planner can show.
  void SetResolutionText(const QString& text);

  int Resolution() const { return resolution_; }     // minutes per slot, 1..60
  int SlotsPerHour() const { return 60 / resolution_; }
  int RowsPerDay() const { return 24 * SlotsPerHour(); }

  // --- Slot arithmetic --------------------------------------------------------------------

  // lower <= moment < upper.
  static bool IsInPeriod(double upper, double lower, double moment);
  // Sunday 0 ... Saturday 6.
  static int DayColumn(double moment);

  // The row of a start moment, or with isEnd the last row a block ending at the moment
  // covers. Seconds are ignored; an end at 23:59 or later, or exactly at midnight (the end
  // of the previous day), gives the last row. The result lies in 0 .. RowsPerDay() - 1.
  int TimeToRow(bool isEnd, double moment) const;

  // A typed time of day; "24:..." means the end of the day (23:59:59). -1 when unreadable.
  static double TimeStrToTime(const QString& text);

  // The time at the top of a row as "hh:nn"; the row below the last gives "23:59:59".
  QString RowToTimeStr(int row) const;

  // The moment at the top of a row in a column of the displayed week; the row below the
  // last gives 23:59 of that day.
  double CellToDateTime(int row, int column) const;

  // Rounds a moment to a whole slot: mode < 0 down, mode 0 to the nearest slot (seconds
  // from 30 count as a minute), mode > 0 up. A result of 24:00 or later moves to the
  // next day.
  double RoundToTimeblock(int mode, double moment) const;

  // The moment moved by `count` slots from its whole minute (seconds from 30 count as a
  // minute); seconds are dropped, days are carried in both directions.
  double AddTimeblocks(int count, double moment) const;

  // A date text ("dd-mm-yyyy") as "yyyymmdd" for sorting; empty when it is no date.
  static QString DateStrToSortKey(const QString& dateText);

 private:
  int displayedYear_ = 0;
  int displayedWeek_ = 0;
  QString resolutionText_ = "0:15";
  int resolution_ = 15;
};

// The program-wide object; the program start calls Init() once the program ini is known.
TMainObj& MainObj();

// A moment split into whole days and the time of day, rounded to the millisecond (so that
// 8:09:59.9999 reads as 8:10:00).
struct TDayTime {
  qint64 Day = 0;  // days since 30-12-1899
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
  int Msec = 0;
  int MinuteOfDay() const { return Hour * 60 + Minute; }
};
TDayTime SplitMoment(double moment);

}  // namespace hb
