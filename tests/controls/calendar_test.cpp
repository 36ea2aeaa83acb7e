#include "controls/calendar.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "util/formats.h"

namespace {

using hb::TXCalendar;

// A calendar on a given date that counts its OnChange events and records the title seen
// by each of them.
struct CalendarFixture {
  std::unique_ptr<TXCalendar> cal = std::make_unique<TXCalendar>();
  int changes = 0;
  QStringList titles;

  explicit CalendarFixture(const QDate& date = QDate()) {
    if (date.isValid()) cal->SetCalendarDate(date);
    cal->OnChange = [this](TXCalendar* sender) {
      EXPECT_EQ(sender, cal.get());
      ++changes;
      titles << cal->Title()->text();
    };
    cal->show();
  }
  hb::TColorCalendar* grid() const { return cal->Grid(); }
  void ClickCell(int column, int row) {
    QTest::mouseClick(grid(), Qt::LeftButton, {}, grid()->CellRect(column, row).center());
  }
  // The cell that shows a day of the current month.
  void CellOf(int day, int& column, int& row) const {
    ASSERT_TRUE(hb::CalendarCellOfDay(cal->CalendarDate(), cal->StartOfWeek(), day, column, row));
  }
};

std::string Iso(const QDate& d) {
  return d.toString(Qt::ISODate).toStdString();
}

TEST(Calendar, LayoutAtCreationAndWithButtonsBelow) {
  TXCalendar cal;
  EXPECT_EQ(cal.size(), QSize(136, 146));
  EXPECT_EQ(cal.font().pixelSize(), 11);
  EXPECT_EQ(cal.CalendarDate(), QDate::currentDate());
  EXPECT_TRUE(cal.ButtonsAtTop());
  EXPECT_EQ(cal.TitleBackColor(), QColor(0, 0, 128));
  EXPECT_EQ(cal.HolidayColor(), QColor(255, 0, 255));
  EXPECT_EQ(cal.SundayColor(), QColor(255, 0, 0));
  EXPECT_TRUE(cal.ShowHolidays());
  EXPECT_TRUE(cal.ShowHolidayHints());
  EXPECT_EQ(cal.StartOfWeek(), 0);
  EXPECT_FALSE(cal.OnCheckHoliday());
  // The title was filled by the grid's first date.
  const QDate today = QDate::currentDate();
  EXPECT_EQ(cal.Title()->text(),
            hb::MonthName(today.month(), false) + " " + QString::number(today.year()));
  EXPECT_EQ(cal.Title()->font().pixelSize(), 12);
  EXPECT_TRUE(cal.Title()->font().bold());
  EXPECT_EQ(cal.Title()->alignment(), Qt::AlignCenter);

  const struct {
    QWidget* w;
    QRect top, bottom;
    const char* text;
    const char* hint;
  } parts[] = {
      {cal.PrevYearButton(), {1, 0, 19, 16}, {1, 129, 19, 16}, "<<", "Vorig jaar"},
      {cal.PrevMonthButton(), {20, 0, 16, 16}, {20, 129, 16, 16}, "<", "Vorige maand"},
      {cal.TodayButton(),
       {36, 0, 64, 16},
       {36, 129, 64, 16},
       "vandaag",
       "Selecteert huidige datum"},
      {cal.NextMonthButton(), {100, 0, 16, 16}, {100, 129, 16, 16}, ">", "Volgende maand"},
      {cal.NextYearButton(), {116, 0, 19, 16}, {116, 129, 19, 16}, ">>", "Volgend jaar"},
      {cal.Title(), {2, 17, 132, 14}, {2, 1, 132, 14}, nullptr, ""},
      {cal.Grid(), {1, 32, 134, 112}, {1, 16, 134, 112}, nullptr, nullptr},
  };
  for (const auto& p : parts) {
    EXPECT_EQ(p.w->geometry(), p.top) << p.w->metaObject()->className();
    if (auto* b = qobject_cast<QPushButton*>(p.w)) {
      EXPECT_EQ(b->text(), p.text);
      EXPECT_EQ(b->font().pixelSize(), 11);
    }
    if (p.hint) {
      EXPECT_EQ(p.w->toolTip(), p.hint);
    }
  }
  EXPECT_EQ(cal.Grid()->ColWidth(), 19);
  EXPECT_EQ(cal.Grid()->RowHeight(), 16);

  cal.SetButtonsAtTop(false);
  for (const auto& p : parts) EXPECT_EQ(p.w->geometry(), p.bottom);
  cal.SetButtonsAtTop(true);
  for (const auto& p : parts) EXPECT_EQ(p.w->geometry(), p.top);

  // Cell sizes follow the grid's size and its line width.
  cal.Grid()->resize(200, 150);
  EXPECT_EQ(cal.Grid()->ColWidth(), 28);
  EXPECT_EQ(cal.Grid()->RowHeight(), 21);
  cal.Grid()->SetGridLineWidth(2);
  EXPECT_EQ(cal.Grid()->ColWidth(), 26);
  EXPECT_EQ(cal.Grid()->RowHeight(), 19);
}

TEST(Calendar, ButtonsStepMonthsAndYears) {
  const struct {
    QDate from;
    const char* button;
    QDate to;
    const char* title;
  } cases[] = {
      {QDate(2005, 1, 31), "next month", QDate(2005, 2, 28), "februari 2005"},
      {QDate(2008, 1, 31), "next month", QDate(2008, 2, 29), "februari 2008"},
      {QDate(2005, 3, 31), "previous month", QDate(2005, 2, 28), "februari 2005"},
      {QDate(2005, 12, 15), "next month", QDate(2006, 1, 15), "januari 2006"},
      {QDate(2005, 1, 15), "previous month", QDate(2004, 12, 15), "december 2004"},
      {QDate(2008, 2, 29), "next year", QDate(2009, 2, 28), "februari 2009"},
      {QDate(2008, 2, 29), "previous year", QDate(2007, 2, 28), "februari 2007"},
      {QDate(2005, 5, 18), "next year", QDate(2006, 5, 18), "mei 2006"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Iso(c.from) + " " + c.button);
    CalendarFixture f(c.from);
    const std::string b = c.button;
    QPushButton* button = b == "next month"       ? f.cal->NextMonthButton()
                          : b == "previous month" ? f.cal->PrevMonthButton()
                          : b == "next year"      ? f.cal->NextYearButton()
                                                  : f.cal->PrevYearButton();
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(f.cal->CalendarDate(), c.to);
    EXPECT_EQ(f.cal->Title()->text(), c.title);
    // One OnChange, raised after the title shows the new month.
    EXPECT_EQ(f.changes, 1);
    EXPECT_EQ(f.titles, QStringList{c.title});
  }
}

TEST(Calendar, TodayButtonAlwaysRaisesOnChange) {
  CalendarFixture f(QDate(2005, 3, 15));
  QTest::mouseClick(f.cal->TodayButton(), Qt::LeftButton);
  EXPECT_EQ(f.cal->CalendarDate(), QDate::currentDate());
  EXPECT_EQ(f.changes, 1);
  QTest::mouseClick(f.cal->TodayButton(), Qt::LeftButton);
  EXPECT_EQ(f.changes, 2);
}

TEST(Calendar, DatePropertiesRaiseOnChangeOnlyForChanges) {
  CalendarFixture f(QDate(2005, 3, 31));
  f.cal->SetCalendarDate(QDate(2005, 3, 31));
  f.cal->SetYear(2005);
  f.cal->SetMonth(3);
  f.cal->SetDay(31);
  f.cal->SetYear(0);
  f.cal->SetMonth(13);
  f.cal->SetDay(32);
  f.cal->SetDay(0);
  f.cal->SetCalendarDate(QDate());
  EXPECT_EQ(f.changes, 0);
  EXPECT_EQ(f.cal->CalendarDate(), QDate(2005, 3, 31));

  f.cal->SetMonth(4);  // 31 April does not exist: the day is lowered
  EXPECT_EQ(f.cal->CalendarDate(), QDate(2005, 4, 30));
  f.cal->SetDay(12);
  f.cal->SetYear(2011);
  f.cal->SetCalendarDate(QDate(2011, 6, 2));
  EXPECT_EQ(f.cal->CalendarDate(), QDate(2011, 6, 2));
  EXPECT_EQ(f.changes, 4);
  EXPECT_EQ(f.titles, (QStringList{"april 2005", "april 2005", "april 2011", "juni 2011"}));
  EXPECT_EQ(f.cal->Year(), 2011);
  EXPECT_EQ(f.cal->Month(), 6);
  EXPECT_EQ(f.cal->Day(), 2);

  // The grid itself re-raises for the same date; the panel passes it on.
  f.grid()->SetCalendarDate(QDate(2011, 6, 2));
  EXPECT_EQ(f.changes, 5);
  // StartOfWeek re-lays out the month without a date change.
  f.cal->SetStartOfWeek(1);
  EXPECT_EQ(f.changes, 5);
}

TEST(Calendar, ClickingCellsSelectsDays) {
  CalendarFixture f(QDate(2005, 3, 15));  // 1 March 2005 is a Tuesday: column 2
  f.ClickCell(2, 1);
  EXPECT_EQ(f.cal->CalendarDate(), QDate(2005, 3, 1));
  f.ClickCell(4, 5);  // 1 + 4 * 7 + 2
  EXPECT_EQ(f.cal->CalendarDate(), QDate(2005, 3, 31));
  EXPECT_EQ(f.changes, 2);
  // The selected cell, empty cells and the heading row change nothing.
  f.ClickCell(4, 5);
  f.ClickCell(0, 1);
  f.ClickCell(5, 5);
  f.ClickCell(3, 0);
  QTest::mouseClick(f.grid(), Qt::LeftButton, {}, QPoint(133, 50));  // beyond the 7th column
  EXPECT_EQ(f.changes, 2);
  EXPECT_EQ(f.cal->CalendarDate(), QDate(2005, 3, 31));

  // With Monday first, 1 March moves one column to the left.
  f.cal->SetStartOfWeek(1);
  f.ClickCell(1, 1);
  EXPECT_EQ(f.cal->CalendarDate(), QDate(2005, 3, 1));
  // Arrow keys move within the month only.
  QTest::keyClick(f.grid(), Qt::Key_Down);
  EXPECT_EQ(f.cal->CalendarDate(), QDate(2005, 3, 8));
  QTest::keyClick(f.grid(), Qt::Key_Left);
  QTest::keyClick(f.grid(), Qt::Key_Up);
  EXPECT_EQ(f.cal->CalendarDate(), QDate(2005, 3, 7));
  EXPECT_EQ(f.changes, 5);
}

TEST(Calendar, CellStatesAsDrawn) {
  CalendarFixture f(QDate(2005, 3, 15));  // Easter Sunday 27 March, Easter Monday 28 March
  auto* g = f.grid();
  const QColor black(Qt::black), white(Qt::white), red(255, 0, 0), magenta(255, 0, 255);
  const struct {
    int startOfWeek;
    int day;  // 0: the heading cell of the given column
    int column;
    QString text;
    QColor color;
    bool bold, holiday, selected;
  } cases[] = {
      {0, 0, 0, "zo", red, false, false, false},    {0, 0, 1, "ma", black, false, false, false},
      {1, 0, 6, "zo", red, false, false, false},    {1, 0, 0, "ma", black, false, false, false},
      {0, 20, 0, "20", red, false, false, false},    // a Sunday
      {0, 27, 0, "27", magenta, true, true, false},  // holiday colour over Sunday colour
      {0, 28, 1, "28", magenta, true, true, false}, {0, 15, 2, "15", white, false, false, true},
      {1, 27, 6, "27", magenta, true, true, false}, {1, 21, 0, "21", black, false, false, false},
  };
  for (const auto& c : cases) {
    f.cal->SetStartOfWeek(c.startOfWeek);
    int column = c.column, row = 0;
    if (c.day) f.CellOf(c.day, column, row);
    SCOPED_TRACE(c.text.toStdString() + " sow " + std::to_string(c.startOfWeek));
    EXPECT_EQ(column, c.column);
    const hb::TCalendarCell cell = g->Cell(column, row);
    EXPECT_EQ(cell.Text, c.text);
    EXPECT_EQ(cell.Color, c.color);
    EXPECT_EQ(cell.Bold, c.bold);
    EXPECT_EQ(cell.Holiday, c.holiday);
    EXPECT_EQ(cell.Selected, c.selected);
  }

  // The selected holiday is white and bold.
  f.cal->SetDay(28);
  int column, row;
  f.CellOf(28, column, row);
  EXPECT_EQ(g->Cell(column, row).Color, white);
  EXPECT_TRUE(g->Cell(column, row).Bold);

  // Heading and empty cells are never holidays, even when every date is one.
  f.cal->SetOnCheckHoliday([](const QDate&, int, int, int, QString& s) { s = "feest"; });
  for (int r = 0; r < hb::kCalendarRows; ++r) {
    for (int c = 0; c < hb::kCalendarColumns; ++c) {
      EXPECT_EQ(g->Cell(c, r).Holiday, g->CellDate(c, r).isValid()) << c << "," << r;
      EXPECT_EQ(g->CellDate(c, r).isValid(), r > 0 && !g->Cell(c, r).Text.isEmpty());
    }
  }
  // A handler that names nothing removes every mark, the built-in ones included.
  f.cal->SetOnCheckHoliday([](const QDate&, int, int, int, QString&) {});
  f.CellOf(27, column, row);
  EXPECT_FALSE(g->IsHoliday(QDate(2005, 3, 27), false));
  EXPECT_EQ(g->Cell(column, row).Color, red);
  // Without ShowHolidays nothing is marked.
  f.cal->SetOnCheckHoliday(nullptr);
  f.cal->SetShowHolidays(false);
  EXPECT_FALSE(g->Cell(column, row).Holiday);
  EXPECT_EQ(g->Cell(column, row).Color, red);
}

// Counts the pixels of a cell whose colour is near the given one.
int PixelsNear(const QImage& image, const QRect& cell, const QColor& color) {
  int n = 0;
  for (int y = cell.top(); y <= cell.bottom(); ++y) {
    for (int x = cell.left(); x <= cell.right(); ++x) {
      const QColor p = image.pixelColor(x, y);
      if (std::abs(p.red() - color.red()) < 40 && std::abs(p.green() - color.green()) < 40 &&
          std::abs(p.blue() - color.blue()) < 40)
        ++n;
    }
  }
  return n;
}

TEST(Calendar, GrabbedImageAndHint) {
  CalendarFixture f(QDate(2005, 3, 27));
  auto* g = f.grid();
  f.cal->SetCalendarColor(Qt::white);
  f.cal->SetHolidayColor(QColor(0, 0, 255));
  const QColor red(255, 0, 0), blue(0, 0, 255);

  QImage image = g->grab().toImage();
  // The grab painted the selected cell: its holiday is the hint.
  EXPECT_EQ(g->toolTip(), "1e Paasdag");
  int column, row;
  f.CellOf(28, column, row);  // Easter Monday: holiday colour
  EXPECT_GT(PixelsNear(image, g->CellRect(column, row), blue), 0);
  EXPECT_EQ(PixelsNear(image, g->CellRect(column, row), red), 0);
  f.CellOf(20, column, row);  // an ordinary Sunday
  EXPECT_GT(PixelsNear(image, g->CellRect(column, row), red), 0);
  EXPECT_GT(PixelsNear(image, g->CellRect(0, 0), red), 0);  // "zo"
  EXPECT_EQ(PixelsNear(image, g->CellRect(1, 0), red), 0);  // "ma"
  f.CellOf(27, column, row);  // selected: white text, neither red nor blue
  EXPECT_GT(PixelsNear(image, g->CellRect(column, row), QColor(Qt::white)), 0);
  EXPECT_EQ(PixelsNear(image, g->CellRect(column, row), red), 0);

  // Monday first: the Sunday column is the last one.
  f.cal->SetStartOfWeek(1);
  image = g->grab().toImage();
  EXPECT_GT(PixelsNear(image, g->CellRect(6, 0), red), 0);
  EXPECT_EQ(PixelsNear(image, g->CellRect(0, 0), red), 0);

  // An ordinary day clears the hint.
  f.cal->SetCalendarDate(QDate(2005, 3, 15));
  g->grab();
  EXPECT_EQ(g->toolTip(), "");
  f.cal->SetCalendarDate(QDate(2005, 5, 5));
  g->grab();
  EXPECT_EQ(g->toolTip(), "Hemelvaartsdag");
  // Without hints, or without holiday marks, the hint names no holiday.
  f.cal->SetShowHolidayHints(false);
  g->grab();
  EXPECT_EQ(g->toolTip(), "");
  f.cal->SetShowHolidayHints(true);
  g->grab();
  EXPECT_EQ(g->toolTip(), "Hemelvaartsdag");
  f.cal->SetShowHolidays(false);
  g->grab();
  EXPECT_EQ(g->toolTip(), "");

  // IsHoliday with setHint names the day asked for, and clears the hint for other days.
  EXPECT_TRUE(g->IsHoliday(QDate(2005, 12, 25), true));
  EXPECT_EQ(g->toolTip(), "1e Kerstdag");
  EXPECT_FALSE(g->IsHoliday(QDate(2005, 12, 27), true));
  EXPECT_EQ(g->toolTip(), "");
}

TEST(Calendar, StandaloneGridRaisesItsOwnChange) {
  hb::TColorCalendar grid;
  int changes = 0;
  grid.OnChange = [&](hb::TColorCalendar* sender) {
    EXPECT_EQ(sender, &grid);
    ++changes;
  };
  grid.resize(134, 112);
  grid.SetCalendarDate(QDate(2005, 3, 15));
  grid.SetCalendarDate(QDate(2005, 3, 15));
  grid.SetDay(15);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(grid.CellDate(2, 1), QDate(2005, 3, 1));
  EXPECT_FALSE(grid.CellDate(2, 0).isValid());
  EXPECT_FALSE(grid.CellDate(1, 1).isValid());
}

}  // namespace
