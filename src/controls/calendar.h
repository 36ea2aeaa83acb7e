// TXCalendar: the month calendar control. A panel with five buttons (previous year,
// previous month, today, next month, next year), a title with the month and year, and the
// month grid TColorCalendar. Most properties are passed on to the grid.
//
// OnChange is raised after every date change of the grid, once the title shows the new
// month: the buttons, a click on a day, and CalendarDate, Year, Month or Day set to a new
// value. Setting CalendarDate to the date it already has raises nothing; the today button
// always raises it.
//
//   auto* cal = new hb::TXCalendar(panel);
//   cal->SetButtonsAtTop(false);
//   cal->OnChange = [](hb::TXCalendar* c) { ShowWeekOf(c->CalendarDate()); };
#pragma once

#include <QColor>
#include <QDate>
#include <QFrame>
#include <functional>

#include "controls/calendargrid.h"

class QLabel;
class QPushButton;

namespace hb {

class TXCalendar : public QFrame {
  Q_OBJECT
  Q_PROPERTY(QColor TitleBackColor READ TitleBackColor WRITE SetTitleBackColor)
  Q_PROPERTY(int Year READ Year WRITE SetYear)
  Q_PROPERTY(int Month READ Month WRITE SetMonth)
  Q_PROPERTY(int Day READ Day WRITE SetDay)
  Q_PROPERTY(QDate CalendarDate READ CalendarDate WRITE SetCalendarDate)
  Q_PROPERTY(bool ButtonsAtTop READ ButtonsAtTop WRITE SetButtonsAtTop)
  Q_PROPERTY(QColor CalendarColor READ CalendarColor WRITE SetCalendarColor)
  Q_PROPERTY(bool ShowHolidays READ ShowHolidays WRITE SetShowHolidays)
  Q_PROPERTY(bool ShowHolidayHints READ ShowHolidayHints WRITE SetShowHolidayHints)
  Q_PROPERTY(QColor HolidayColor READ HolidayColor WRITE SetHolidayColor)
  Q_PROPERTY(QColor SundayColor READ SundayColor WRITE SetSundayColor)
  Q_PROPERTY(int StartOfWeek READ StartOfWeek WRITE SetStartOfWeek)

 public:
  using TChangeEvent = std::function<void(TXCalendar* Sender)>;

  explicit TXCalendar(QWidget* parent = nullptr);
  ~TXCalendar() override;

  // Properties, in the order in which stored values are applied.
  QColor TitleBackColor() const;
  void SetTitleBackColor(const QColor& value);
  int Year() const;
  void SetYear(int value);
  int Month() const;
  void SetMonth(int value);
  int Day() const;
  void SetDay(int value);
  QDate CalendarDate() const;
  void SetCalendarDate(const QDate& value);
  TChangeEvent OnChange;
  bool ButtonsAtTop() const { return FButtonsAtTop; }
  void SetButtonsAtTop(bool value);
  QColor CalendarColor() const;
  void SetCalendarColor(const QColor& value);
  bool ShowHolidays() const;
  void SetShowHolidays(bool value);
  bool ShowHolidayHints() const;
  void SetShowHolidayHints(bool value);
  QColor HolidayColor() const;
  void SetHolidayColor(const QColor& value);
  QColor SundayColor() const;
  void SetSundayColor(const QColor& value);
  int StartOfWeek() const;
  void SetStartOfWeek(int value);
  TCheckHolidayEvent OnCheckHoliday() const;
  void SetOnCheckHoliday(const TCheckHolidayEvent& value);

  // The parts of the control.
  TColorCalendar* Grid() const { return FGrid; }
  QLabel* Title() const { return FTitle; }
  QPushButton* PrevYearButton() const { return FPrevYear; }
  QPushButton* PrevMonthButton() const { return FPrevMonth; }
  QPushButton* TodayButton() const { return FToday; }
  QPushButton* NextMonthButton() const { return FNextMonth; }
  QPushButton* NextYearButton() const { return FNextYear; }

  // Called by the grid on each date change: shows the month and year, then raises OnChange.
  void UpdateTitle();

 private:
  QPushButton* MakeButton(int left, int width, const char* text, const char* hint);
  void PlaceParts();
  void StepMonths(int months);

  bool FButtonsAtTop = true;
  QPushButton* FPrevYear = nullptr;
  QPushButton* FPrevMonth = nullptr;
  QPushButton* FToday = nullptr;
  QPushButton* FNextMonth = nullptr;
  QPushButton* FNextYear = nullptr;
  QLabel* FTitle = nullptr;
  TColorCalendar* FGrid = nullptr;
};

}  // namespace hb
