#include "controls/calendargrid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "controls/calendar.h"
#include "util/formats.h"

namespace hb {

TColorCalendar::TColorCalendar(QWidget* parent) : QWidget(parent) {
  FCalendarColor = palette().color(QPalette::Button);
  setFocusPolicy(Qt::StrongFocus);
  FDate = QDate::currentDate();
}

void TColorCalendar::SetCalendarDate(const QDate& value) {
  if (!value.isValid()) return;
  FDate = value;
  update();
  Change();
}

void TColorCalendar::SetYear(int value) {
  SetCalendarDate(CalendarDateWithYear(FDate, value));
}

void TColorCalendar::SetMonth(int value) {
  SetCalendarDate(CalendarDateWithMonth(FDate, value));
}

void TColorCalendar::SetDay(int value) {
  SetCalendarDate(CalendarDateWithDay(FDate, value));
}

void TColorCalendar::SetStartOfWeek(int value) {
  if (value < 0 || value > 6 || value == FStartOfWeek) return;
  FStartOfWeek = value;
  update();
}

void TColorCalendar::SetCalendarColor(const QColor& value) {
  FCalendarColor = value;
  update();
}

void TColorCalendar::SetGridLineWidth(int value) {
  if (value < 0 || value == FGridLineWidth) return;
  FGridLineWidth = value;
  update();
}

void TColorCalendar::Change() {
  if (auto* calendar = qobject_cast<TXCalendar*>(parent())) {
    calendar->UpdateTitle();
  } else if (OnChange) {
    OnChange(this);
  }
}

bool TColorCalendar::IsHoliday(const QDate& date, bool setHint) {
  if (setHint) setToolTip(QString());
  QString name;
  const bool holiday = CheckHoliday(date, OnCheckHoliday, name);
  if (setHint) setToolTip(name);
  return holiday;
}

QDate TColorCalendar::CellDate(int column, int row) const {
  const int day = CalendarDayAt(FDate, FStartOfWeek, column, row);
  if (day == 0) return QDate();
  return QDate(FDate.year(), FDate.month(), day);
}

void TColorCalendar::SelectedCell(int& column, int& row) const {
  column = row = 0;
  CalendarCellOfDay(FDate, FStartOfWeek, FDate.day(), column, row);
}

TCalendarCell TColorCalendar::Cell(int column, int row) const {
  return const_cast<TColorCalendar*>(this)->ComputeCell(column, row, false);
}

TCalendarCell TColorCalendar::ComputeCell(int column, int row, bool drawing) {
  TCalendarCell cell;
  cell.Date = CellDate(column, row);
  if (row == 0) {
    cell.Text = DayName(CalendarHeadingDay(FStartOfWeek, column), true);
  } else if (cell.Date.isValid()) {
    cell.Text = QString::number(cell.Date.day());
  }
  int selColumn, selRow;
  SelectedCell(selColumn, selRow);
  cell.Selected = column == selColumn && row == selRow;
  // Only drawing the selected cell touches the hint.
  const bool drawingSelected = drawing && cell.Selected;
  if (ShowHolidays) cell.Holiday = IsHoliday(cell.Date, drawingSelected && ShowHolidayHints);
  // Without holiday hints no hint names the selected day, so an earlier one must not linger.
  if (drawingSelected && !(ShowHolidays && ShowHolidayHints)) setToolTip(QString());
  const TCalendarCellStyle style = CalendarCellStyle(column, cell.Selected, cell.Holiday,
                                                     FStartOfWeek, HolidayColor, SundayColor);
  cell.Color = style.Color;
  cell.Bold = style.Bold;
  return cell;
}

int TColorCalendar::ColWidth() const {
  return std::max(0, (width() - 6 * FGridLineWidth) / kCalendarColumns);
}

int TColorCalendar::RowHeight() const {
  return std::max(0, (height() - 6 * FGridLineWidth) / kCalendarRows);
}

QRect TColorCalendar::CellRect(int column, int row) const {
  return QRect(column * (ColWidth() + FGridLineWidth), row * (RowHeight() + FGridLineWidth),
               ColWidth(), RowHeight());
}

bool TColorCalendar::CellAt(const QPoint& pos, int& column, int& row) const {
  const int cw = ColWidth() + FGridLineWidth;
  const int rh = RowHeight() + FGridLineWidth;
  if (cw <= 0 || rh <= 0 || pos.x() < 0 || pos.y() < 0) return false;
  column = pos.x() / cw;
  row = pos.y() / rh;
  // A point on a grid line or in the leftover pixels beyond the last cell is in no cell.
  return column < kCalendarColumns && row < kCalendarRows && CellRect(column, row).contains(pos);
}

void TColorCalendar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), FCalendarColor);
  for (int row = 0; row < kCalendarRows; ++row) {
    for (int column = 0; column < kCalendarColumns; ++column) {
      const TCalendarCell cell = ComputeCell(column, row, true);
      const QRect r = CellRect(column, row);
      if (row == 0) {
        painter.fillRect(r, palette().color(QPalette::Button));
      } else if (cell.Selected) {
        painter.fillRect(r, palette().color(QPalette::Highlight));
      }
      // Each cell starts from the grid's own font.
      QFont cellFont = font();
      cellFont.setBold(cell.Bold);
      painter.setFont(cellFont);
      painter.setPen(cell.Color);
      painter.drawText(r, Qt::AlignCenter, cell.Text);
    }
  }
}

void TColorCalendar::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  setFocus(Qt::MouseFocusReason);
  int column, row;
  if (!CellAt(event->position().toPoint(), column, row)) return;
  const QDate date = CellDate(column, row);
  if (date.isValid()) SetDay(date.day());
}

void TColorCalendar::keyPressEvent(QKeyEvent* event) {
  // The arrow keys move the selection to a neighbouring day of the same month.
  int step = 0;
  switch (event->key()) {
    case Qt::Key_Left:
      step = -1;
      break;
    case Qt::Key_Right:
      step = 1;
      break;
    case Qt::Key_Up:
      step = -7;
      break;
    case Qt::Key_Down:
      step = 7;
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  SetDay(FDate.day() + step);
}

}  // namespace hb
