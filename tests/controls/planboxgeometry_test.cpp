// Pixel arithmetic, cell algorithms and caption markup of the week planner, without a widget.
#include "controls/planboxgeometry.h"

#include <gtest/gtest.h>

#include <QFontMetrics>

using namespace hb;

namespace {

TPlanGeometry Geo(int cols, int rows, int w, int h,
                  TXActionStyle style = TXActionStyle::xasDefault) {
  TPlanGeometry g;
  g.ColCount = cols;
  g.RowCount = rows;
  g.ColWidth = w;
  g.RowHeight = h;
  g.Style = style;
  return g;
}

}  // namespace

TEST(PlanboxGeometry, ColumnOfX) {
  struct Case {
    int w, x, col, cell;
  } cases[] = {
      {85, 80, 1, 1},  // 80 + 10 = 90 -> column 1
      {85, 74, 0, 0},  // 74 + 10 = 84 -> column 0
      {64, 0, 0, 0},
      {64, 55, 0, 0},  // 55 + 8 = 63
      {64, 56, 1, 1},
      {64, 505, 8, 7},    // the grid's right edge maps to ColCount; no cell lies there
      {64, 2000, 7, 7},   // far beyond: ColCount - 1
      {64, -300, -4, 0},  // left of the grid: the first cell
  };
  for (const Case& c : cases) {
    TPlanGeometry g = Geo(8, 16, c.w, 16);
    EXPECT_EQ(g.ColOfX(c.x), c.col) << "w " << c.w << " x " << c.x;
    EXPECT_EQ(g.CellCol(c.x), c.cell) << "w " << c.w << " x " << c.x;
  }
}

TEST(PlanboxGeometry, RowBoundaryOfY) {
  struct Case {
    int h, y, row, cell;
  } cases[] = {
      {8, 3, 0, 0},      {8, 4, 1, 1},  // nearest boundary
      {16, 23, 1, 1},    {16, 24, 2, 2},
      {16, 256, 16, 15},  // the bottom edge is boundary 16, cell 15
      {16, 900, 16, 15}, {16, -100, -5, 0},
  };
  for (const Case& c : cases) {
    TPlanGeometry g = Geo(8, 16, 64, c.h);
    EXPECT_EQ(g.RowOfY(c.y), c.row) << "h " << c.h << " y " << c.y;
    EXPECT_EQ(g.CellRow(c.y), c.cell) << "h " << c.h << " y " << c.y;
  }
}

TEST(PlanboxGeometry, BlockBoundsAndBackForBothStyles) {
  struct Case {
    TXActionStyle style;
    TXRect r;
    TPixBounds b;
  } cases[] = {
      {TXActionStyle::xasDefault, {2, 3, 2, 5}, {128, 48, 64, 48}},
      {TXActionStyle::xasXP, {2, 3, 2, 5}, {130, 50, 63, 47}},
      {TXActionStyle::xasDefault, {7, 15, 7, 15}, {448, 240, 64, 16}},  // last cell of the grid
      {TXActionStyle::xasXP, {7, 12, 7, 15}, {450, 194, 63, 63}},
      {TXActionStyle::xasDefault, {0, 0, 0, 0}, {0, 0, 64, 16}},
  };
  for (const Case& c : cases) {
    TPlanGeometry g = Geo(8, 16, 64, 16, c.style);
    EXPECT_EQ(g.BlockBounds(c.r), c.b) << "left " << c.r.Left << " top " << c.r.Top;
    EXPECT_EQ(g.RectFromBounds(c.b), c.r) << "left " << c.r.Left << " top " << c.r.Top;
  }
  // An inverted rectangle still gets one cell of size.
  TPixBounds b = Geo(8, 16, 64, 16).BlockBounds(TXRect{1, 5, 1, 3});
  EXPECT_EQ(b.width, 64);
  EXPECT_EQ(b.height, 16);
}

TEST(PlanboxGeometry, OverlapRule) {
  QList<TXRect> blocks = {{1, 4, 1, 7}, {2, 0, 2, 3}};
  struct Case {
    int self, c, t, e;
    bool overlaps;
  } cases[] = {
      {-1, 1, 7, 9, true},   // shares row 7
      {-1, 1, 8, 9, false},  // directly below
      {-1, 1, 0, 3, false},  // directly above
      {-1, 1, 0, 20, true},  // encloses it
      {0, 1, 4, 7, false},   // the block itself is not "another"
      {-1, 3, 4, 7, false},  // other column
  };
  for (const Case& c : cases)
    EXPECT_EQ(OverlapsAny(blocks, c.self, c.c, c.t, c.e), c.overlaps)
        << "c " << c.c << " rows " << c.t << ".." << c.e;
}

TEST(PlanboxGeometry, NextFreeRow) {
  QList<TXRect> blocks = {{1, 34, 1, 35}, {1, 36, 1, 37}, {1, 40, 1, 40}, {2, 0, 2, 50}};
  struct Case {
    int c, r, next;
  } cases[] = {
      {1, 33, 33}, {1, 34, 38},               // over two blocks that touch
      {1, 37, 38}, {1, 40, 41}, {3, 34, 34},  // empty column
      {2, 10, 51},
  };
  for (const Case& c : cases)
    EXPECT_EQ(NextFreeRow(blocks, c.c, c.r), c.next) << "c " << c.c << " r " << c.r;
}

TEST(PlanboxGeometry, FreeCellRuns) {
  struct Case {
    QList<TXRect> blocks;
    TXRect rect;
    QList<TXRect> runs;
  } cases[] = {
      {{{4, 34, 4, 35}}, {4, 32, 4, 39}, {{4, 32, 4, 33}, {4, 36, 4, 39}}},
      {{}, {4, 32, 4, 39}, {{4, 32, 4, 39}}},
      {{{4, 30, 4, 45}}, {4, 32, 4, 39}, {}},
      {{{4, 32, 4, 32}, {4, 39, 4, 39}}, {4, 32, 4, 39}, {{4, 33, 4, 38}}},
      {{{5, 32, 5, 39}}, {4, 32, 4, 39}, {{4, 32, 4, 39}}},  // other column does not count
  };
  for (const Case& c : cases) {
    QList<TXRect> runs = FreeCellRuns(c.blocks, c.rect);
    ASSERT_EQ(runs.size(), c.runs.size());
    for (int i = 0; i < runs.size(); ++i) EXPECT_EQ(runs[i], c.runs[i]) << "run " << i;
  }
}

TEST(PlanboxGeometry, ColoursAreBgr) {
  EXPECT_EQ(ToQColor(0x0000FF), QColor(255, 0, 0));
  EXPECT_EQ(ToQColor(0x800000), QColor(0, 0, 128));
  EXPECT_EQ(ScaleColor(0x8040C8, 0.8), TColor(0x6633A0));
  EXPECT_EQ(ScaleColor(0x8040C8, 1.2), TColor(0x994CF0));
  EXPECT_EQ(ScaleColor(0xFFFFFF, 1.2), TColor(0xFFFFFF));  // limited to 255
}

TEST(PlanboxCaption, Tokens) {
  struct Case {
    QString caption;
    QStringList tokens;
  } cases[] = {
      {"Klant Project", {"Klant ", "Project"}},
      {"a#B+#b", {"a", "#B+#", "b"}},
      {"x\r\ny", {"x", "\r\n", "y"}},
      {"x\ny", {"x\n", "y"}},  // the ending character belongs to the word
      {"\nx", {"x"}},          // a lone line feed is skipped
      {"a, b", {"a,", " ", "b"}},
      {"(12)", {"(12)"}},
      {"|", {"|"}},
      {"#C255#rood", {"#C255#", "rood"}},
      {"open#tag", {"open", "#tag"}},  // an unclosed tag runs to the end
  };
  for (const Case& c : cases)
    EXPECT_EQ(CaptionTokens(c.caption), c.tokens) << c.caption.toStdString();
}

TEST(PlanboxCaption, PlainText) {
  struct Case {
    QString caption, plain;
  } cases[] = {
      {"#B+#Klant#B-#\r\nProject", "Klant\r\nProject"},
      {"A#HR#B", "A\r\n\r\nB"},
      {"x |", "x /"},
      {"x | y", "x / y"},          // the space after "x" ends that word, "|" stands alone
      {"a|b", "a|b"},              // "a|" is a word of its own
      {"A\r\n\r\n\r\n", "A\r\n"},  // at most two trailing line breaks go
      {"A#HR#", "A"},
      {"#C255##I+#rood#X#", "rood"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CaptionPlainText(c.caption), c.plain) << c.caption.toStdString();
}

class PlanboxCaptionLayout : public ::testing::Test {
 protected:
  PlanboxCaptionLayout() {
    font.setFamily("Liberation Sans");
    font.setPixelSize(12);
    bold = font;
    bold.setBold(true);
  }
  QFont font;
  QFont bold;
};

TEST_F(PlanboxCaptionLayout, BoldColourAndLineBreak) {
  QFontMetrics fm(font), fmb(bold);
  TCaptionLayout l = LayoutCaption("#B+#Klant #B-##C255#Project\r\nregel", font, 10, 5, 400, 200);
  ASSERT_EQ(l.runs.size(), 3);
  EXPECT_EQ(l.runs[0].text, "Klant ");
  EXPECT_TRUE(l.runs[0].bold);
  EXPECT_EQ(l.runs[0].x, 10);
  EXPECT_EQ(l.runs[0].y, 5);
  EXPECT_EQ(l.runs[0].color, 0u);
  EXPECT_EQ(l.runs[1].text, "Project");
  EXPECT_FALSE(l.runs[1].bold);
  EXPECT_EQ(l.runs[1].x, 10 + fmb.horizontalAdvance("Klant "));  // advanced by the bold width
  EXPECT_EQ(l.runs[1].color, 255u);
  EXPECT_EQ(l.runs[2].x, 10);
  EXPECT_EQ(l.runs[2].y, 5 + fm.height());
  EXPECT_EQ(l.runs[2].color, 255u);  // colour carries over the line break
  EXPECT_FALSE(l.cut);
}

TEST_F(PlanboxCaptionLayout, WrapsRuleAndCutsTheWordThatDoesNotFit) {
  QFontMetrics fm(font);
  const int right = 10 + fm.horizontalAdvance("aaaa bbbb ") + 2;
  // "cccc" goes to a new line; the rule sits one text height lower; the long word is cut.
  TCaptionLayout l =
      LayoutCaption("aaaa bbbb cccc#HR#dddddddddddddddddddddddddddd", font, 10, 0, right, 500);
  ASSERT_EQ(l.runs.size(), 5);
  EXPECT_EQ(l.runs[1].text, "bbbb ");
  EXPECT_EQ(l.runs[2].text, "cccc");
  EXPECT_EQ(l.runs[2].x, 10);
  EXPECT_EQ(l.runs[2].y, fm.height());
  EXPECT_TRUE(l.runs[3].isRule);
  EXPECT_EQ(l.runs[3].x, 10);
  EXPECT_EQ(l.runs[3].x2, right - 4);
  EXPECT_EQ(l.runs[3].y, 2 * fm.height() + 1);
  const TCaptionRun& cut = l.runs[4];
  EXPECT_EQ(cut.x, 10);
  EXPECT_EQ(cut.y, 2 * fm.height() + 2);
  EXPECT_TRUE(cut.text.size() > 0 && cut.text.size() < 28);
  EXPECT_LE(10 + fm.horizontalAdvance(cut.text), right);
  EXPECT_GT(10 + fm.horizontalAdvance(cut.text + "d"), right);  // the longest prefix that fits
  EXPECT_TRUE(l.cut);
}

TEST_F(PlanboxCaptionLayout, StopsAtTheBottom) {
  QFontMetrics fm(font);
  TCaptionLayout l = LayoutCaption("een\r\ntwee\r\ndrie", font, 0, 0, 300, fm.height() * 2);
  ASSERT_EQ(l.runs.size(), 3);  // the third line is drawn clipped, then drawing stops
  EXPECT_TRUE(l.cut);
  l = LayoutCaption("een\r\ntwee\r\ndrie\r\nvier", font, 0, 0, 300, fm.height() * 2);
  EXPECT_EQ(l.runs.size(), 3);
}
