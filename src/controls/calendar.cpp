#include "controls/calendar.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>

#include "util/formats.h"

namespace hb {

namespace {

constexpr int kButtonHeight = 16;

QFont PixelFont(int pixels, bool bold) {
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

QString Text(const char* source) {
  return QCoreApplication::translate("TXCalendar", source);
}

}  // namespace

TXCalendar::TXCalendar(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setLineWidth(1);
  resize(136, 146);
  setFont(PixelFont(11, false));
  QPalette pal = palette();
  pal.setColor(QPalette::WindowText, Qt::black);
  setPalette(pal);

  FPrevYear = MakeButton(1, 19, QT_TRANSLATE_NOOP("TXCalendar", "<<"),
                         QT_TRANSLATE_NOOP("TXCalendar", "Vorig jaar"));
  FPrevMonth = MakeButton(20, 16, QT_TRANSLATE_NOOP("TXCalendar", "<"),
                          QT_TRANSLATE_NOOP("TXCalendar", "Vorige maand"));
  FToday = MakeButton(36, 64, QT_TRANSLATE_NOOP("TXCalendar", "vandaag"),
                      QT_TRANSLATE_NOOP("TXCalendar", "Selecteert huidige datum"));
  FNextMonth = MakeButton(100, 16, QT_TRANSLATE_NOOP("TXCalendar", ">"),
                          QT_TRANSLATE_NOOP("TXCalendar", "Volgende maand"));
  FNextYear = MakeButton(116, 19, QT_TRANSLATE_NOOP("TXCalendar", ">>"),
                         QT_TRANSLATE_NOOP("TXCalendar", "Volgend jaar"));
  connect(FPrevYear, &QPushButton::clicked, this, [this] { StepMonths(-12); });
  connect(FPrevMonth, &QPushButton::clicked, this, [this] { StepMonths(-1); });
  connect(FToday, &QPushButton::clicked, this,
          [this] { FGrid->SetCalendarDate(QDate::currentDate()); });
  connect(FNextMonth, &QPushButton::clicked, this, [this] { StepMonths(1); });
  connect(FNextYear, &QPushButton::clicked, this, [this] { StepMonths(12); });

  FTitle = new QLabel(this);
  FTitle->setAlignment(Qt::AlignCenter);
  FTitle->setAutoFillBackground(true);
  FTitle->setFont(PixelFont(12, true));
  QPalette titlePal = FTitle->palette();
  titlePal.setColor(QPalette::Window, QColor(0, 0, 128));
  titlePal.setColor(QPalette::WindowText, Qt::white);
  FTitle->setPalette(titlePal);

  // The grid's first date change fills the title.
  FGrid = new TColorCalendar(this);
  PlaceParts();
  FGrid->SetCalendarDate(QDate::currentDate());
  // The grid comes first when tabbing through the panel.
  setFocusProxy(FGrid);
  setTabOrder(FGrid, FPrevYear);
  setTabOrder(FPrevYear, FPrevMonth);
  setTabOrder(FPrevMonth, FToday);
  setTabOrder(FToday, FNextMonth);
  setTabOrder(FNextMonth, FNextYear);
}

TXCalendar::~TXCalendar() {
  // Buttons and title go first, then the grid; no change may reach a half-destroyed panel.
  OnChange = nullptr;
  delete FPrevYear;
  delete FPrevMonth;
  delete FToday;
  delete FNextMonth;
  delete FNextYear;
  delete FTitle;
  FTitle = nullptr;
  delete FGrid;
  FGrid = nullptr;
}

QPushButton* TXCalendar::MakeButton(int left, int width, const char* text, const char* hint) {
  auto* button = new QPushButton(Text(text), this);
  button->setToolTip(Text(hint));
  button->setGeometry(left, 0, width, kButtonHeight);
  button->setAutoDefault(false);
  return button;
}

void TXCalendar::PlaceParts() {
  const int buttonTop = FButtonsAtTop ? 0 : 129;
  for (QPushButton* b : {FPrevYear, FPrevMonth, FToday, FNextMonth, FNextYear}) {
    b->move(b->x(), buttonTop);
  }
  FTitle->setGeometry(2, FButtonsAtTop ? 17 : 1, 132, 14);
  FGrid->setGeometry(1, FButtonsAtTop ? 32 : 16, 134, 112);
}

void TXCalendar::StepMonths(int months) {
  const QDate date = StepCalendarMonths(FGrid->CalendarDate(), months);
  if (date.isValid()) FGrid->SetCalendarDate(date);
}

void TXCalendar::UpdateTitle() {
  if (!FGrid || !FTitle) return;
  const QDate date = FGrid->CalendarDate();
  FTitle->setText(MonthName(date.month(), false) + " " + QString::number(date.year()));
  if (OnChange) OnChange(this);
}

QColor TXCalendar::TitleBackColor() const {
  return FTitle ? FTitle->palette().color(QPalette::Window) : QColor();
}

void TXCalendar::SetTitleBackColor(const QColor& value) {
  QPalette pal = FTitle->palette();
  pal.setColor(QPalette::Window, value);
  FTitle->setPalette(pal);
}

int TXCalendar::Year() const {
  return FGrid ? FGrid->Year() : 0;
}

void TXCalendar::SetYear(int value) {
  if (value != Year()) FGrid->SetYear(value);
}

int TXCalendar::Month() const {
  return FGrid ? FGrid->Month() : 0;
}

void TXCalendar::SetMonth(int value) {
  if (value != Month()) FGrid->SetMonth(value);
}

int TXCalendar::Day() const {
  return FGrid ? FGrid->Day() : 0;
}

void TXCalendar::SetDay(int value) {
  if (value != Day()) FGrid->SetDay(value);
}

QDate TXCalendar::CalendarDate() const {
  return FGrid ? FGrid->CalendarDate() : QDate();
}

void TXCalendar::SetCalendarDate(const QDate& value) {
  if (value != CalendarDate()) FGrid->SetCalendarDate(value);
}

void TXCalendar::SetButtonsAtTop(bool value) {
  if (value == FButtonsAtTop) return;
  FButtonsAtTop = value;
  PlaceParts();
}

QColor TXCalendar::CalendarColor() const {
  return FGrid->CalendarColor();
}

void TXCalendar::SetCalendarColor(const QColor& value) {
  FGrid->SetCalendarColor(value);
}

bool TXCalendar::ShowHolidays() const {
  return FGrid->ShowHolidays;
}

void TXCalendar::SetShowHolidays(bool value) {
  FGrid->ShowHolidays = value;
  FGrid->update();
}

bool TXCalendar::ShowHolidayHints() const {
  return FGrid->ShowHolidayHints;
}

void TXCalendar::SetShowHolidayHints(bool value) {
  FGrid->ShowHolidayHints = value;
  FGrid->update();
}

QColor TXCalendar::HolidayColor() const {
  return FGrid->HolidayColor;
}

void TXCalendar::SetHolidayColor(const QColor& value) {
  FGrid->HolidayColor = value;
  FGrid->update();
}

QColor TXCalendar::SundayColor() const {
  return FGrid->SundayColor;
}

void TXCalendar::SetSundayColor(const QColor& value) {
  FGrid->SundayColor = value;
  FGrid->update();
}

int TXCalendar::StartOfWeek() const {
  return FGrid->StartOfWeek();
}

void TXCalendar::SetStartOfWeek(int value) {
  FGrid->SetStartOfWeek(value);
}

TCheckHolidayEvent TXCalendar::OnCheckHoliday() const {
  return FGrid->OnCheckHoliday;
}

void TXCalendar::SetOnCheckHoliday(const TCheckHolidayEvent& value) {
  FGrid->OnCheckHoliday = value;
  FGrid->update();
}

}  // namespace hb
