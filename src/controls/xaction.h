// One block of the week planner: a panel that shows a coloured, captioned rectangle of cells.
//
// The planner owns the blocks it has added and positions them from ActionRect; the owner of
// the planner hangs its own object on ActionObj (never freed here). Painting:
//   fill with ActionColor; in the XP style two frames at 80 % and 120 % of that colour; an alert
//   strip of 3 pixels at the bottom unless AlertColor is clNoColor; three marker bars (vertical
//   strips at the left, or strips along the top in the XP style); then the caption markup.
#pragma once

#include <QWidget>
#include <functional>

#include "controls/planboxgeometry.h"

namespace hb {

class TXAction : public QWidget {
  Q_OBJECT
 public:
  explicit TXAction(QWidget* parent = nullptr);

  const QString& Caption() const { return caption_; }
  void SetCaption(const QString& caption);

  TColor ActionColor() const { return actionColor_; }
  void SetActionColor(TColor c);
  TColor Bar1Color() const { return bars_[0]; }
  TColor Bar2Color() const { return bars_[1]; }
  TColor Bar3Color() const { return bars_[2]; }
  void SetBar1Color(TColor c) { SetBar(0, c); }
  void SetBar2Color(TColor c) { SetBar(1, c); }
  void SetBar3Color(TColor c) { SetBar(2, c); }
  TColor AlertColor() const { return alertColor_; }
  void SetAlertColor(TColor c);

  TXActionStyle Style() const { return style_; }
  // The XP style draws no border or bevels.
  void SetStyle(TXActionStyle style);
  // Width of the single border plus the raised bevel (0 in the XP style).
  int BorderWidth() const { return style_ == TXActionStyle::xasXP ? 0 : 2; }

  // The caption laid out as it is painted (positions in the block's own pixels).
  TCaptionLayout CaptionLayout() const;

  // The cells the block covers.
  TXRect ActionRect;
  // The owner's object; never freed by the block or the planner.
  void* ActionObj = nullptr;
  // Per-block events, given by the planner.
  std::function<void(QWidget* Sender)> OnRightClick;
  std::function<void(QWidget* Sender, Qt::MouseButtons Buttons)> OnDblClick;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void SetBar(int i, TColor c);

  QString caption_;
  TColor actionColor_ = 0xFFFFFF;
  TColor bars_[3] = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
  TColor alertColor_ = clNoColor;
  TXActionStyle style_ = TXActionStyle::xasDefault;
};

using TXActionList = QList<TXAction*>;

}  // namespace hb
