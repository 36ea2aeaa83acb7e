#include "controls/planboxgeometry.h"

#include <QFontMetrics>
#include <algorithm>

namespace hb {

QColor ToQColor(TColor color) {
  return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

TColor ScaleColor(TColor color, double factor) {
  auto channel = [&](int shift) {
    int v = int(double((color >> shift) & 0xFF) * factor);
    return TColor(std::clamp(v, 0, 255)) << shift;
  };
  return channel(0) | channel(8) | channel(16);
}

int TPlanGeometry::ColOfX(int x) const {
  int c = (x + ColWidth / 8) / ColWidth;
  return c > ColCount ? ColCount - 1 : c;
}

int TPlanGeometry::RowOfY(int y) const {
  int r = (y + RowHeight / 2) / RowHeight;
  return r > RowCount ? RowCount : r;
}

int TPlanGeometry::CellCol(int x) const {
  return std::clamp(ColOfX(x), 0, std::max(0, ColCount - 1));
}

int TPlanGeometry::CellRow(int y) const {
  return std::clamp(RowOfY(y), 0, std::max(0, RowCount - 1));
}

TPixBounds TPlanGeometry::BlockBounds(const TXRect& r) const {
  TPixBounds b;
  b.x = r.Left * ColWidth;
  b.y = r.Top * RowHeight;
  b.width = std::max((r.Right - r.Left + 1) * ColWidth, ColWidth);
  b.height = std::max((r.Bottom - r.Top + 1) * RowHeight, RowHeight);
  if (Style == TXActionStyle::xasXP) {
    b.x += 2;
    b.y += 2;
    b.width -= 1;
    b.height -= 1;
  }
  return b;
}

TXRect TPlanGeometry::RectFromBounds(const TPixBounds& b) const {
  TXRect r;
  r.Top = RowOfY(b.y);
  r.Left = ColOfX(b.x);
  r.Bottom = RowOfY(b.y + b.height) - 1;
  r.Right = ColOfX(b.x + b.width) - 1;
  return r;
}

void TPlanGeometry::OccupiedCells(const TPixBounds& b, int& c, int& t, int& e) const {
  c = ColOfX(b.x);
  t = RowOfY(b.y);
  e = RowOfY(b.y + b.height) - 1;
}

bool OverlapsAny(const QList<TXRect>& others, int self, int c, int t, int e) {
  for (int i = 0; i < others.size(); ++i) {
    if (i == self) continue;
    const TXRect& o = others[i];
    if (o.Left == c && o.Top <= e && t <= o.Bottom) return true;
  }
  return false;
}

int NextFreeRow(const QList<TXRect>& rects, int c, int r) {
  // Each step moves below a rectangle that contains row r, so r only grows and the walk ends.
  for (;;) {
    const TXRect* last = nullptr;
    for (const TXRect& o : rects)
      if (o.Left <= c && c <= o.Right && o.Top <= r && r <= o.Bottom) last = &o;
    if (!last) return r;
    r = last->Bottom + 1;
  }
}

QList<TXRect> FreeCellRuns(const QList<TXRect>& rects, const TXRect& rect) {
  QList<TXRect> runs;
  const int col = rect.Left;
  int a = rect.Top;
  while (a <= rect.Bottom) {
    a = NextFreeRow(rects, col, a);
    if (a > rect.Bottom) break;
    int c = a;
    while (c < rect.Bottom && NextFreeRow(rects, col, c + 1) == c + 1) ++c;
    runs.append(TXRect{col, a, col, c});
    a = c + 1;
  }
  return runs;
}

// --- caption markup ---

namespace {

bool IsWordChar(QChar ch) {
  ushort u = ch.unicode();
  return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '(' ||
         u == '{' || u == '[';
}

// Calls token(text) for every token, skipping lone line feeds and lone carriage returns.
template <typename F>
void Tokenize(const QString& s, F token) {
  const int n = int(s.size());
  int i = 0;
  while (i < n) {
    QChar ch = s[i];
    if (ch == '#') {
      int close = int(s.indexOf('#', i + 1));
      int end = close < 0 ? n : close + 1;  // an unclosed tag runs to the end
      token(s.mid(i, end - i));
      i = end;
    } else if (ch == '\r') {
      if (i + 1 < n && s[i + 1] == '\n') {
        token(QStringLiteral("\r\n"));
        i += 2;
      } else {
        ++i;
      }
    } else if (ch == '\n') {
      ++i;
    } else {
      int j = i;
      while (j < n && IsWordChar(s[j])) ++j;
      // The character that ends the word belongs to it, unless it opens a tag or a line break.
      if (j < n && s[j] != '#' && s[j] != '\r') ++j;
      token(s.mid(i, j - i));
      i = j;
    }
  }
}

bool ParseColorTag(const QString& tag, TColor& color) {
  if (!tag.startsWith(QLatin1String("#C")) || tag.size() < 3 || !tag.endsWith('#')) return false;
  bool ok = false;
  qlonglong v = tag.mid(2, tag.size() - 3).toLongLong(&ok);
  color = ok ? TColor(v) : 0;
  return true;
}

}  // namespace

QStringList CaptionTokens(const QString& caption) {
  QStringList tokens;
  Tokenize(caption, [&](const QString& t) { tokens.append(t); });
  return tokens;
}

TCaptionLayout LayoutCaption(const QString& caption, const QFont& baseFont, int left, int top,
                             int right, int bottom) {
  TCaptionLayout layout;
  QFont font = baseFont;
  TColor color = 0;
  int x = left;
  int y = top;
  bool stopped = false;
  Tokenize(caption, [&](const QString& t) {
    if (stopped) return;
    QFontMetrics fm(font);
    if (t.startsWith('#')) {
      TColor c;
      if (t == QLatin1String("#B+#"))
        font.setBold(true);
      else if (t == QLatin1String("#B-#"))
        font.setBold(false);
      else if (t == QLatin1String("#I+#"))
        font.setItalic(true);
      else if (t == QLatin1String("#I-#"))
        font.setItalic(false);
      else if (t == QLatin1String("#HR#")) {
        x = left;
        y += fm.height();
        TCaptionRun rule;
        rule.isRule = true;
        rule.x = left;
        rule.x2 = right - 4;
        rule.y = y + 1;
        rule.color = color;
        layout.runs.append(rule);
        y += 2;
      } else if (ParseColorTag(t, c)) {
        color = c;
      }
      return;
    }
    if (t == QLatin1String("\r\n")) {
      y += fm.height();
      x = left;
      return;
    }
    int width = fm.horizontalAdvance(t);
    int height = fm.height();
    if (x > left && x + width > right) {
      y += height;
      x = left;
    }
    TCaptionRun run;
    run.x = x;
    run.y = y;
    run.bold = font.bold();
    run.italic = font.italic();
    run.color = color;
    if (x + width > right || y + height > bottom) {
      // Draw what fits of the word and stop there.
      int len = int(t.size());
      while (len > 0 && x + fm.horizontalAdvance(t.left(len)) > right) --len;
      if (len > 0) {
        run.text = t.left(len);
        layout.runs.append(run);
      }
      layout.cut = true;
      stopped = true;
      return;
    }
    run.text = t;
    layout.runs.append(run);
    x += width;
  });
  return layout;
}

QString CaptionPlainText(const QString& caption) {
  QString out;
  Tokenize(caption, [&](const QString& t) {
    if (t.startsWith('#')) {
      if (t == QLatin1String("#HR#")) out += QLatin1String("\r\n\r\n");
    } else if (t == QLatin1String("|")) {
      out += '/';
    } else {
      out += t;
    }
  });
  for (int i = 0; i < 2 && out.endsWith(QLatin1String("\r\n")); ++i) out.chop(2);
  return out;
}

}  // namespace hb
