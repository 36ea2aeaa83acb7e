#include "controls/xaction.h"

#include <QEvent>
#include <QPainter>
#include <algorithm>

#include "controls/planbox.h"

namespace hb {

namespace {

// The paint rectangle in the manner of the paint code: Right and Bottom exclusive.
struct TPaintRect {
  int Left, Top, Right, Bottom;
  QRect ToQRect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
};

void Frame(QPainter& p, const TPaintRect& r, TColor color) {
  if (r.Right <= r.Left || r.Bottom <= r.Top) return;
  p.setPen(ToQColor(color));
  p.setBrush(Qt::NoBrush);
  p.drawRect(r.Left, r.Top, r.Right - r.Left - 1, r.Bottom - r.Top - 1);
}

}  // namespace

TXAction::TXAction(QWidget* parent) : QWidget(parent) {
  hide();
  resize(85, 160);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TXAction::SetCaption(const QString& caption) {
  caption_ = caption;
  setToolTip(CaptionPlainText(caption));
  update();
}

bool TXAction::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    // The planner that holds the block decides whether blocks show hints.
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
      if (auto* planner = qobject_cast<TXPlanbox*>(w)) {
        if (!planner->ShowHint()) {
          event->ignore();
          return true;
        }
        break;
      }
    }
  }
  return QWidget::event(event);
}

void TXAction::SetActionColor(TColor c) {
  actionColor_ = c;
  update();
}

void TXAction::SetBar(int i, TColor c) {
  bars_[i] = c;
  update();
}

void TXAction::SetAlertColor(TColor c) {
  alertColor_ = c;
  update();
}

void TXAction::SetStyle(TXActionStyle style) {
  style_ = style;
  update();
}

TCaptionLayout TXAction::CaptionLayout() const {
  const int bw = BorderWidth();
  TPaintRect r{bw, bw, width() - bw, height() - bw};
  if (style_ == TXActionStyle::xasXP) {
    r = {r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2};
    return LayoutCaption(caption_, font(), r.Left + 3, r.Top + 3, r.Right, r.Bottom);
  }
  return LayoutCaption(caption_, font(), r.Left + 9, r.Top, r.Right, r.Bottom);
}

void TXAction::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const bool xp = style_ == TXActionStyle::xasXP;
  const int bw = BorderWidth();
  if (!xp) {
    // Single border, then the raised outer bevel.
    p.setPen(Qt::black);
    p.drawRect(0, 0, width() - 1, height() - 1);
    p.setPen(Qt::white);
    p.drawLine(1, 1, width() - 2, 1);
    p.drawLine(1, 1, 1, height() - 2);
    p.setPen(QColor(128, 128, 128));
    p.drawLine(1, height() - 2, width() - 2, height() - 2);
    p.drawLine(width() - 2, 1, width() - 2, height() - 2);
  }
  TPaintRect r{bw, bw, width() - bw, height() - bw};
  p.fillRect(r.ToQRect(), ToQColor(actionColor_));
  if (xp) {
    Frame(p, r, ScaleColor(actionColor_, 0.8));
    r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    Frame(p, r, ScaleColor(actionColor_, 1.2));
    r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  }
  if (alertColor_ != clNoColor)
    p.fillRect(TPaintRect{r.Left, r.Bottom - 3, r.Right, r.Bottom}.ToQRect(),
               ToQColor(alertColor_));
  for (int i = 0; i < 3; ++i) {
    TColor c = bars_[i];
    if (c == 0xFFFFFF || c == clNoColor) c = actionColor_;
    TPaintRect bar;
    if (xp) {
      const int third = (r.Right - r.Left + 1) / 3;
      bar = {r.Left + i * third, r.Top, r.Left + i * third + third, r.Top + 3};
    } else {
      bar = {r.Left + 3 * i, r.Top, r.Left + 3 * i + 3, r.Bottom};
    }
    bar.Right = std::min(bar.Right, r.Right);
    if (bar.Right > bar.Left) p.fillRect(bar.ToQRect(), ToQColor(c));
  }

  // The caption, clipped to the paint rectangle.
  p.setClipRect(r.ToQRect());
  const TCaptionLayout layout = CaptionLayout();
  for (const TCaptionRun& run : layout.runs) {
    p.setPen(ToQColor(run.color));
    if (run.isRule) {
      p.drawLine(run.x, run.y, run.x2, run.y);
      continue;
    }
    QFont f = font();
    f.setBold(run.bold);
    f.setItalic(run.italic);
    p.setFont(f);
    p.drawText(run.x, run.y + QFontMetrics(f).ascent(), run.text);
  }
}

}  // namespace hb
