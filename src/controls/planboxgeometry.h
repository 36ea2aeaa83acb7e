// Arithmetic of the week planner, free of widgets so that it can be checked on its own.
//
// The planner's grid area is ColCount columns of ColWidth pixels by RowCount rows of RowHeight
// pixels. A block covers an inclusive rectangle of cells (columns Left..Right, rows Top..Bottom).
// Pixel positions map to cells in two ways:
//   ColOfX / RowOfY  give a column or the nearest row *boundary* (0..RowCount); they also serve to
//                    turn the right and bottom pixel edge of a block back into a cell index, so a
//                    block in the last column or row maps to ColCount / RowCount there;
//   CellCol / CellRow give a cell that exists (0..ColCount-1, 0..RowCount-1), for positions under
//                    the mouse, which may lie on or beyond the grid's last edge.
//
// The caption of a block is a small markup: "#B+#"/"#B-#" bold, "#I+#"/"#I-#" italic,
// "#C<number>#" colour (0x00BBGGRR), "#HR#" a horizontal rule, CR LF a line break; everything
// else is words. LayoutCaption turns it into positioned runs, which the block's paint code draws
// and tests inspect.
#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <cstdint>

namespace hb {

// A colour as 0x00BBGGRR.
using TColor = std::uint32_t;
// A bar or alert colour with this value is "no colour".
constexpr TColor clNoColor = 0x1FFFFFFF;

QColor ToQColor(TColor color);
// Every channel multiplied by factor, truncated and limited to 255.
TColor ScaleColor(TColor color, double factor);

// Four integers, copied field by field. For a block: inclusive columns Left..Right and rows
// Top..Bottom.
struct TXRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  bool operator==(const TXRect&) const = default;
};

enum class TXActionStyle { xasDefault, xasXP };

// Pixel bounds of a block (x, y, width, height) in grid-area coordinates.
struct TPixBounds {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const TPixBounds&) const = default;
};

class TPlanGeometry {
 public:
  int ColCount = 8;
  int RowCount = 16;
  int ColWidth = 64;
  int RowHeight = 16;
  TXActionStyle Style = TXActionStyle::xasDefault;

  // (x + w div 8) div w; greater than ColCount becomes ColCount - 1.
  int ColOfX(int x) const;
  // (y + h div 2) div h, the nearest row boundary; greater than RowCount becomes RowCount.
  int RowOfY(int y) const;
  // The cell column / row under a position, limited to cells that exist.
  int CellCol(int x) const;
  int CellRow(int y) const;
  int SnapX(int x) const { return ColOfX(x) * ColWidth; }
  int SnapY(int y) const { return RowOfY(y) * RowHeight; }
  // Offset of a block inside its cells: 2 pixels in the XP style.
  int Inset() const { return Style == TXActionStyle::xasXP ? 2 : 0; }

  TPixBounds BlockBounds(const TXRect& r) const;
  TXRect RectFromBounds(const TPixBounds& b) const;
  // Rows t..e of column c that a block at these pixel bounds occupies (for the overlap rule).
  void OccupiedCells(const TPixBounds& b, int& c, int& t, int& e) const;
};

// True when another rectangle of `others` (index `self` excluded; -1 for none) lies in column c
// and shares a row with t..e.
bool OverlapsAny(const QList<TXRect>& others, int self, int c, int t, int e);

// The first free row at or below r in column c: while a rectangle (the last in list order that
// contains the cell) covers the cell, continue below that rectangle.
int NextFreeRow(const QList<TXRect>& rects, int c, int r);

// The runs of free rows of column rect.Left between rect.Top and rect.Bottom, as rectangles.
QList<TXRect> FreeCellRuns(const QList<TXRect>& rects, const TXRect& rect);

// --- caption markup ---

// One drawn piece of a caption: a text or (isRule) a horizontal line from (x, y) to (x2, y).
struct TCaptionRun {
  QString text;
  int x = 0;
  int y = 0;  // top of the text cell; for a rule the y of the line
  bool bold = false;
  bool italic = false;
  TColor color = 0;
  bool isRule = false;
  int x2 = 0;
};

struct TCaptionLayout {
  QList<TCaptionRun> runs;
  bool cut = false;  // drawing stopped because a word did not fit
};

// Lays out a caption inside the pixel rectangle left..right-1, top..bottom-1 starting from the
// given font.
TCaptionLayout LayoutCaption(const QString& caption, const QFont& font, int left, int top,
                             int right, int bottom);

// The caption as plain text for the block's hint: tags dropped, "#HR#" as two line breaks, a word
// "|" as "/", at most two trailing line breaks removed.
QString CaptionPlainText(const QString& caption);

// The tokens of a caption (tags, "\r\n", words); exposed for tests.
QStringList CaptionTokens(const QString& caption);

}  // namespace hb
