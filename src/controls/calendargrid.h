// TColorCalendar: the seven-by-seven month grid of the calendar control. Row 0 holds the
// short day names, rows 1..6 the days of the current month; the cell of the current day is
// selected. Sundays are drawn in SundayColor, holidays bold in HolidayColor, and the name
// of the selected day's holiday becomes the grid's hint (tooltip).
//
// Every change of the date raises the change notification, also setting CalendarDate to
// the date it has; setting Year, Month or Day alone ignores unchanged and impossible values.
// When the grid's parent is a TXCalendar, the notification goes to that calendar (which
// updates its title and raises its own OnChange) instead of the grid's OnChange.
#pragma once

#include <QColor>
#include <QDate>
#include <QRect>
#include <QWidget>
#include <functional>

#include "controls/calendarrules.h"

namespace hb {

class TColorCalendar;

// What one cell shows, as it is drawn.
struct TCalendarCell {
  QString Text;
  QColor Color;
  bool Bold = false;
  bool Selected = false;
  bool Holiday = false;
  QDate Date;  // invalid for the heading row and empty cells
};

class TColorCalendar : public QWidget {
  Q_OBJECT

 public:
  using TChangeEvent = std::function<void(TColorCalendar* Sender)>;

  explicit TColorCalendar(QWidget* parent = nullptr);

  QDate CalendarDate() const { return FDate; }
  // Lays out the month of the date and raises the change notification, also when the date
  // is unchanged. An invalid date is ignored.
  void SetCalendarDate(const QDate& value);
  int Year() const { return FDate.year(); }
  int Month() const { return FDate.month(); }
  int Day() const { return FDate.day(); }
  void SetYear(int value);
  void SetMonth(int value);
  void SetDay(int value);

  int StartOfWeek() const { return FStartOfWeek; }
  // 0 = Sunday ... 6 = Saturday; other values are ignored.
  void SetStartOfWeek(int value);

  QColor CalendarColor() const { return FCalendarColor; }
  void SetCalendarColor(const QColor& value);
  int GridLineWidth() const { return FGridLineWidth; }
  void SetGridLineWidth(int value);

  bool ShowHolidays = true;
  bool ShowHolidayHints = true;
  QColor HolidayColor = QColor(255, 0, 255);
  QColor SundayColor = QColor(255, 0, 0);
  TCheckHolidayEvent OnCheckHoliday;
  // Raised on every date change when the parent is not a TXCalendar.
  TChangeEvent OnChange;

  // True when the date is a holiday. With setHint the hint is cleared first and then set
  // to the holiday's name.
  bool IsHoliday(const QDate& date, bool setHint);
  // The date a cell shows; invalid for the heading row and empty cells.
  QDate CellDate(int column, int row) const;
  // The cell as it is drawn (without touching the hint).
  TCalendarCell Cell(int column, int row) const;
  // The selected cell.
  void SelectedCell(int& column, int& row) const;
  // Cell sizes follow the grid's size: (size - 6 x line width) div 7.
  int ColWidth() const;
  int RowHeight() const;
  QRect CellRect(int column, int row) const;
  // The cell under a point; false outside the cells.
  bool CellAt(const QPoint& pos, int& column, int& row) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  TCalendarCell ComputeCell(int column, int row, bool drawing);
  void Change();

  QDate FDate;
  int FStartOfWeek = 0;
  int FGridLineWidth = 0;
  QColor FCalendarColor;
};

}  // namespace hb
