// What the week planner draws, read back from grabbed images.
#include <gtest/gtest.h>

#include <QImage>

#include "controls/planbox.h"

using namespace hb;

namespace {

class PlanboxPaint : public ::testing::Test {
 protected:
  void SetUp() override {
    pb.SetColCount(7);
    pb.SetRowCount(24);
    pb.SetRowDivider(4);
    pb.SetDefaultColWidth(64);
    pb.SetDefaultRowHeight(16);
    pb.SetAltColorRect({1, 8, 6, 18});
    pb.resize(600, 500);
    QFont f("Liberation Sans");
    f.setPixelSize(11);
    pb.setFont(f);
  }

  TXAction* Block(TColor color) {
    auto* a = new TXAction;
    a->ActionRect = {1, 2, 1, 7};
    a->SetActionColor(color);
    a->SetBar1Color(0x0000FF);   // red
    a->SetBar2Color(0xFFFFFF);   // white: painted in the block's colour
    a->SetBar3Color(0xFF0000);   // blue
    a->SetAlertColor(0x00FFFF);  // yellow
    pb.AddAction(a);
    return a;
  }

  static QColor At(const QImage& img, int x, int y) { return img.pixelColor(x, y); }
  // Number of pixels in the box whose colour satisfies the test.
  template <typename F>
  static int Count(const QImage& img, QRect box, F test) {
    int n = 0;
    box = box.intersected(img.rect());
    for (int y = box.top(); y <= box.bottom(); ++y)
      for (int x = box.left(); x <= box.right(); ++x) n += test(img.pixelColor(x, y)) ? 1 : 0;
    return n;
  }

  TXPlanbox pb;
};

const QColor kNavy(0, 0, 128), kBlue(0, 0, 255), kRed(255, 0, 0), kYellow(255, 255, 0);

}  // namespace

TEST_F(PlanboxPaint, GridWorkPeriodAndLines) {
  const QImage img = pb.GridArea()->grab().toImage();
  EXPECT_EQ(At(img, 10, 10), kNavy);                    // outside the work period
  EXPECT_EQ(At(img, 64 + 10, 8 * 16 + 5), kBlue);       // first cell of the work period
  EXPECT_EQ(At(img, 6 * 64 - 10, 18 * 16 - 5), kBlue);  // last cell (Right, Bottom exclusive)
  EXPECT_EQ(At(img, 6 * 64 + 10, 18 * 16 - 5), kNavy);
  EXPECT_EQ(At(img, 64 + 10, 18 * 16 + 5), kNavy);
  EXPECT_EQ(At(img, 64, 10), kRed);      // column line
  EXPECT_EQ(At(img, 10, 4 * 16), kRed);  // line every RowDivider rows
  EXPECT_EQ(At(img, 10, 16), kNavy);     // no line between them

  pb.SetGridColor(0x00FF00);
  pb.SetAltGridColor(0x808080);
  pb.SetGridLineColor(0x000000);
  const QImage changed = pb.GridArea()->grab().toImage();
  EXPECT_EQ(At(changed, 10, 10), QColor(0, 255, 0));
  EXPECT_EQ(At(changed, 64 + 10, 8 * 16 + 5), QColor(128, 128, 128));
  EXPECT_EQ(At(changed, 64, 10), QColor(0, 0, 0));
}

TEST_F(PlanboxPaint, BlockInTheDefaultStyle) {
  TXAction* a = Block(0x00FF00);  // green
  const QImage img = a->grab().toImage();
  ASSERT_EQ(img.size(), QSize(64, 96));
  const QColor green(0, 255, 0);
  EXPECT_EQ(At(img, 0, 0), QColor(0, 0, 0));         // single border
  EXPECT_EQ(At(img, 1, 40), QColor(255, 255, 255));  // raised bevel
  // Three vertical bars of 3 pixels from the paint area's left (2).
  EXPECT_EQ(At(img, 3, 40), kRed);
  EXPECT_EQ(At(img, 6, 40), green);
  EXPECT_EQ(At(img, 9, 40), kBlue);
  EXPECT_EQ(At(img, 30, 40), green);
  // Alert strip: the bottom 3 pixels of the paint area (rows 91..93).
  EXPECT_EQ(At(img, 30, 93), kYellow);
  EXPECT_EQ(At(img, 30, 91), kYellow);
  EXPECT_EQ(At(img, 30, 90), green);
}

TEST_F(PlanboxPaint, BlockInTheXpStyle) {
  pb.SetStyle(TXActionStyle::xasXP);
  TXAction* a = Block(0x8040C8);
  const QImage img = a->grab().toImage();
  ASSERT_EQ(img.size(), QSize(63, 95));
  EXPECT_EQ(At(img, 0, 0), ToQColor(ScaleColor(0x8040C8, 0.8)));  // outer frame
  EXPECT_EQ(At(img, 62, 50), ToQColor(ScaleColor(0x8040C8, 0.8)));
  EXPECT_EQ(At(img, 1, 1), ToQColor(ScaleColor(0x8040C8, 1.2)));  // inner frame
  // Bars along the top, a third of the width each: (61 - 2 + 1) div 3 = 20.
  EXPECT_EQ(At(img, 3, 3), kRed);
  EXPECT_EQ(At(img, 25, 3), ToQColor(0x8040C8));
  EXPECT_EQ(At(img, 45, 3), kBlue);
  EXPECT_EQ(At(img, 45, 5), ToQColor(0x8040C8));
  EXPECT_EQ(At(img, 30, 92), kYellow);
  EXPECT_EQ(At(img, 30, 89), ToQColor(0x8040C8));
  // Without an alert colour the strip is not drawn.
  a->SetAlertColor(clNoColor);
  EXPECT_EQ(At(a->grab().toImage(), 30, 92), ToQColor(0x8040C8));
}

TEST_F(PlanboxPaint, CaptionIsDrawnWhereItIsLaidOut) {
  TXAction* a = Block(0xFFFFFF);
  a->resize(64, 96);
  a->SetCaption("#C255#MMM\r\n#B+##C0#MM#HR#WW");
  EXPECT_EQ(a->toolTip(), "MMM\r\nMM\r\n\r\nWW");
  const TCaptionLayout l = a->CaptionLayout();
  ASSERT_EQ(l.runs.size(), 4);
  EXPECT_EQ(l.runs[0].x, 2 + 9);  // default style: 9 pixels right of the paint area
  EXPECT_EQ(l.runs[0].y, 2);
  const QImage img = a->grab().toImage();
  QFontMetrics fm(a->font());
  auto box = [&](const TCaptionRun& r) {
    return QRect(r.x, r.y, QFontMetrics(a->font()).horizontalAdvance(r.text) + 2, fm.height());
  };
  auto reddish = [](QColor c) { return c.red() > 150 && c.green() < 100 && c.blue() < 100; };
  auto dark = [](QColor c) { return c.red() < 80 && c.green() < 80 && c.blue() < 80; };
  EXPECT_GT(Count(img, box(l.runs[0]), reddish), 5);  // red text on the first line
  EXPECT_EQ(Count(img, box(l.runs[0]), dark), 0);
  EXPECT_GT(Count(img, box(l.runs[1]), dark), 5);  // black bold on the second
  EXPECT_EQ(Count(img, box(l.runs[1]), reddish), 0);
  ASSERT_TRUE(l.runs[2].isRule);
  EXPECT_EQ(At(img, 20, l.runs[2].y), QColor(0, 0, 0));
  // Nothing is drawn left of the caption start but the bars.
  a->SetBar1Color(clNoColor);
  a->SetBar3Color(0xFFFFFF);
  EXPECT_EQ(Count(a->grab().toImage(), QRect(2, 2, 9, 80), [](QColor c) { return c != Qt::white; }),
            0);
}

TEST_F(PlanboxPaint, HeadingsInBothStyles) {
  pb.SetColHeadings({"Zo - 1"});
  QImage cols = pb.ColumnStrip()->grab().toImage();
  ASSERT_EQ(cols.size(), QSize(7 * 64, 24));
  const QColor face = pb.palette().color(QPalette::Button);
  EXPECT_EQ(At(cols, 64 + 40, 18), face);
  EXPECT_EQ(At(cols, 64 + 40, 0), QColor(255, 255, 255));  // raised edge
  auto inked = [&](QColor c) { return c != face && c != Qt::white; };
  EXPECT_GT(Count(cols, QRect(2, 2, 40, 16), inked), 5);       // "Zo - 1"
  EXPECT_GT(Count(cols, QRect(64 + 2, 2, 20, 16), inked), 2);  // the number 1

  pb.SetStyle(TXActionStyle::xasXP);
  cols = pb.ColumnStrip()->grab().toImage();
  EXPECT_EQ(At(cols, 64 + 50, 0), QColor(0xC0, 0xC0, 0xC0));  // silver at the top
  EXPECT_GE(At(cols, 64 + 50, 23).red(), 0xFA);               // to white at the bottom
  const QImage rows = pb.RowStrip()->grab().toImage();
  EXPECT_EQ(At(rows, 0, 30), QColor(0xC0, 0xC0, 0xC0));  // silver at the left
  EXPECT_GE(At(rows, 31, 30).red(), 0xFA);
  EXPECT_EQ(At(rows, 20, 4 * 16), QColor(0x80, 0x80, 0x80));      // line at every heading
  EXPECT_EQ(At(rows, 31 - 7, 2 * 16), QColor(0x80, 0x80, 0x80));  // long tick at half
  EXPECT_NE(At(rows, 31 - 7, 1 * 16), QColor(0x80, 0x80, 0x80));  // short tick elsewhere
  EXPECT_EQ(At(rows, 31 - 4, 1 * 16), QColor(0x80, 0x80, 0x80));
}
