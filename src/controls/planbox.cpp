#include "controls/planbox.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>
#include <algorithm>

#include "controls/planboxcursors.h"

namespace hb {

namespace {

// A plain child whose painting is done by the planner.
class TPaintPart : public QWidget {
 public:
  TPaintPart(QWidget* parent, std::function<void(QPainter&)> paint)
      : QWidget(parent), paint_(std::move(paint)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    paint_(p);
  }

 private:
  std::function<void(QPainter&)> paint_;
};

QWidget* MakeHandle(QWidget* parent) {
  auto* h = new QLabel(parent);
  h->setAutoFillBackground(true);
  QPalette pal = h->palette();
  pal.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
  h->setPalette(pal);
  h->setFrameShape(QFrame::Box);
  h->setLineWidth(1);
  h->setCursor(Qt::SizeVerCursor);
  h->hide();
  return h;
}

// A raised 3-D edge around a strip (the default heading style).
void RaisedEdge(QPainter& p, const QRect& r) {
  p.setPen(Qt::white);
  p.drawLine(r.left(), r.top(), r.right(), r.top());
  p.drawLine(r.left(), r.top(), r.left(), r.bottom());
  p.setPen(QColor(0x80, 0x80, 0x80));
  p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
  p.drawLine(r.right(), r.top(), r.right(), r.bottom());
}

// Silver (0xC0) to white (0xFF) in 64 grey levels, across the width (leftToRight) or down the
// height: the first line is silver, the last white.
void Gradient(QPainter& p, const QRect& r, bool leftToRight) {
  const int extent = leftToRight ? r.width() : r.height();
  for (int pos = 0; pos < extent; ++pos) {
    const int v = 0xC0 + (extent > 1 ? 63 * pos / (extent - 1) : 0);
    const QRect line = leftToRight ? QRect(r.left() + pos, r.top(), 1, r.height())
                                   : QRect(r.left(), r.top() + pos, r.width(), 1);
    p.fillRect(line, QColor(v, v, v));
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TXSizeHandles

TXSizeHandles::TXSizeHandles(QWidget* gridArea)
    : top_(MakeHandle(gridArea)), bottom_(MakeHandle(gridArea)) {}

void TXSizeHandles::Attach(TXAction* block) {
  block_ = block;
  if (!block) {
    Hide();
    return;
  }
  const QRect g = block->geometry();
  LeftAtAttach = g.x();
  TopAtAttach = g.y();
  RightAtAttach = g.x() + g.width();
  BottomAtAttach = g.y() + g.height();
  Follow();
}

void TXSizeHandles::Follow() {
  if (!block_) return;
  const QRect g = block_->geometry();
  top_->setGeometry(g.x(), g.y() - TXPlanbox::kHandleHeight, g.width(), TXPlanbox::kHandleHeight);
  bottom_->setGeometry(g.x(), g.y() + g.height(), g.width(), TXPlanbox::kHandleHeight);
  top_->show();
  bottom_->show();
  top_->raise();
  bottom_->raise();
}

void TXSizeHandles::Hide() {
  block_ = nullptr;
  top_->hide();
  bottom_->hide();
}

// ---------------------------------------------------------------------------------------------
// TXPlanbox: construction and properties

TXPlanbox::TXPlanbox(QWidget* parent) : QScrollArea(parent) {
  LoadPlanboxCursors();
  setWidgetResizable(false);
  setFocusPolicy(Qt::ClickFocus);
  viewport()->setAutoFillBackground(true);
  QPalette pal = viewport()->palette();
  pal.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
  viewport()->setPalette(pal);

  content_ = new QWidget;
  content_->setAutoFillBackground(true);
  content_->setPalette(pal);
  grid_ = new TPaintPart(content_, [this](QPainter& p) { PaintGrid(p); });
  grid_->setObjectName(QStringLiteral("gridArea"));
  colStrip_ = new TPaintPart(content_, [this](QPainter& p) { PaintColumnHeadings(p); });
  rowStrip_ = new TPaintPart(content_, [this](QPainter& p) { PaintRowHeadings(p); });
  corner_ = new QToolButton(content_);
  corner_->setText(tr("Centr"));
  corner_->setToolTip(tr("Werkperiode centreren"));
  corner_->setAutoRaise(false);
  connect(corner_, &QToolButton::clicked, this, [this] { CenterWorkPeriod(); });

  selPanel_ = new QLabel(grid_);
  selPanel_->setAlignment(Qt::AlignCenter);
  selPanel_->setFrameShape(QFrame::Box);
  selPanel_->setLineWidth(1);
  selPanel_->setAutoFillBackground(true);
  QPalette yellow = selPanel_->palette();
  yellow.setColor(QPalette::Window, ToQColor(0x00FFFF));
  yellow.setColor(QPalette::WindowText, Qt::black);
  selPanel_->setPalette(yellow);
  selPanel_->setAttribute(Qt::WA_TransparentForMouseEvents);
  selPanel_->hide();

  handles_ = new TXSizeHandles(grid_);
  handles_->TopHandle()->installEventFilter(this);
  handles_->BottomHandle()->installEventFilter(this);
  grid_->installEventFilter(this);

  setWidget(content_);
  connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { PlaceHeadings(); });
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { PlaceHeadings(); });

  scrollTimer_.setInterval(kAutoScrollMs);
  connect(&scrollTimer_, &QTimer::timeout, this, [this] { AutoScrollStep(); });

  resize(481, 377);
  Relayout();
}

TXPlanbox::~TXPlanbox() {
  RestoreScreenCursor();
  // Free the blocks while the lists they would be removed from still exist.
  for (QObject* child : grid_->children()) disconnect(child, nullptr, this, nullptr);
  const TXActionList blocks = actions_;
  actions_.clear();
  qDeleteAll(blocks);
  delete handles_;
}

void TXPlanbox::SetColCount(int n) {
  geo_.ColCount = std::max(0, n);
  Relayout();
}

void TXPlanbox::SetRowCount(int n) {
  geo_.RowCount = std::max(0, n);
  Relayout();
}

void TXPlanbox::SetRowDivider(int n) {
  rowDivider_ = std::max(1, n);
  Relayout();
}

void TXPlanbox::SetDefaultColWidth(int w) {
  geo_.ColWidth = std::max(1, w);
  Relayout();
}

void TXPlanbox::SetDefaultRowHeight(int h) {
  geo_.RowHeight = std::max(1, h);
  Relayout();
}

void TXPlanbox::SetColHeadings(const QStringList& headings) {
  colHeadings_ = headings;
  Relayout();
}

void TXPlanbox::SetRowHeadings(const QStringList& headings) {
  rowHeadings_ = headings;
  Relayout();
}

void TXPlanbox::SetAltColorRect(const TXRect& r) {
  altColorRect_ = r;
  Relayout();
}

void TXPlanbox::SetGridColor(TColor c) {
  gridColor_ = c;
  Relayout();
}

void TXPlanbox::SetAltGridColor(TColor c) {
  altGridColor_ = c;
  Relayout();
}

void TXPlanbox::SetGridLineColor(TColor c) {
  gridLineColor_ = c;
  Relayout();
}

void TXPlanbox::SetStyle(TXActionStyle style) {
  geo_.Style = style;
  for (TXAction* a : actions_) a->SetStyle(style);
  Relayout();
}

void TXPlanbox::SetCenterButtonIcon(const QPixmap& icon) {
  corner_->setIcon(QIcon(icon));
  corner_->setToolButtonStyle(icon.isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
}

void TXPlanbox::Relayout() {
  const int gw = geo_.ColCount * geo_.ColWidth;
  const int gh = geo_.RowCount * geo_.RowHeight;
  content_->resize(kHeadingWidth + gw, kHeadingHeight + gh);
  grid_->setGeometry(kHeadingWidth, kHeadingHeight, gw, gh);
  colStrip_->resize(gw, kHeadingHeight);
  rowStrip_->resize(kHeadingWidth, gh);
  corner_->resize(kHeadingWidth, kHeadingHeight);
  horizontalScrollBar()->setSingleStep(geo_.ColWidth);
  verticalScrollBar()->setSingleStep(geo_.RowHeight);
  PlaceHeadings();
  grid_->update();
  colStrip_->update();
  rowStrip_->update();
}

void TXPlanbox::PlaceHeadings() {
  const int hpos = horizontalScrollBar()->value();
  const int vpos = verticalScrollBar()->value();
  colStrip_->move(kHeadingWidth, vpos);
  rowStrip_->move(hpos, kHeadingHeight);
  corner_->move(hpos, vpos);
  colStrip_->raise();
  rowStrip_->raise();
  corner_->raise();
}

// ---------------------------------------------------------------------------------------------
// Painting

void TXPlanbox::PaintGrid(QPainter& p) {
  const int w = geo_.ColWidth;
  const int h = geo_.RowHeight;
  p.fillRect(grid_->rect(), ToQColor(gridColor_));
  const TXRect& a = altColorRect_;
  if (a.Right > a.Left && a.Bottom > a.Top)
    p.fillRect(QRect(a.Left * w, a.Top * h, (a.Right - a.Left) * w, (a.Bottom - a.Top) * h),
               ToQColor(altGridColor_));
  auto cells = [&](const TXRect& r) {
    return QRect(r.Left * w, r.Top * h, (r.Right - r.Left + 1) * w, (r.Bottom - r.Top + 1) * h);
  };
  for (const TXColorRect& c : ColorRects) p.fillRect(cells(c.Rect), ToQColor(c.Color));
  for (const TXColorRect& c : HatchRects)
    p.fillRect(cells(c.Rect), QBrush(ToQColor(c.Color), Qt::BDiagPattern));

  p.setPen(QPen(ToQColor(gridLineColor_), 1, Qt::SolidLine));
  const int width = geo_.ColCount * w;
  const int bandHeight = h * rowDivider_;
  const int gridHeight = geo_.RowCount * h;
  for (int i = 1; i * bandHeight <= gridHeight + bandHeight && i <= geo_.RowCount; ++i)
    p.drawLine(0, i * bandHeight, width, i * bandHeight);
  for (int i = 1; i <= geo_.ColCount; ++i)
    p.drawLine(i * w, 0, i * w, geo_.RowCount * rowDivider_ * h);
}

void TXPlanbox::PaintColumnHeadings(QPainter& p) {
  const bool xp = geo_.Style == TXActionStyle::xasXP;
  const QRect r = colStrip_->rect();
  const QColor ink = xp ? QColor(0x80, 0x80, 0x80) : palette().color(QPalette::ButtonText);
  if (xp) {
    Gradient(p, r, false);
  } else {
    p.fillRect(r, palette().color(QPalette::Button));
    RaisedEdge(p, r);
  }
  p.setFont(font());
  const int w = geo_.ColWidth;
  const int shift = xp ? 1 : 0;
  for (int i = 0; i < geo_.ColCount; ++i) {
    const QString text = i < colHeadings_.size() ? colHeadings_[i] : QString::number(i);
    const QRect cell(i * w, 0, w, r.height());
    p.save();
    p.setClipRect(cell);
    p.setPen(ink);
    p.drawText(QRect(i * w + 2 + shift, 2 + shift, w, r.height()), Qt::AlignLeft | Qt::AlignTop,
               text);
    p.restore();
    if (i > 0) {
      p.setPen(xp ? ink : QColor(0x80, 0x80, 0x80));
      p.drawLine(i * w, 0, i * w, r.height());
      if (!xp) {
        p.setPen(Qt::white);
        p.drawLine(i * w + 1, 1, i * w + 1, r.height() - 2);
      }
    }
  }
}

void TXPlanbox::PaintRowHeadings(QPainter& p) {
  const bool xp = geo_.Style == TXActionStyle::xasXP;
  const QRect r = rowStrip_->rect();
  const QColor ink = xp ? QColor(0x80, 0x80, 0x80) : palette().color(QPalette::ButtonText);
  if (xp) {
    Gradient(p, r, true);
  } else {
    p.fillRect(r, palette().color(QPalette::Button));
    RaisedEdge(p, r);
  }
  p.setFont(font());
  const int h = geo_.RowHeight;
  const int d = rowDivider_;
  const int shift = xp ? 1 : 0;
  for (int i = 0; i < geo_.RowCount; ++i) {
    if (i % d == 0) {
      const int number = i / d;
      const QString text =
          number < rowHeadings_.size() ? rowHeadings_[number] : QString::number(number);
      const QRect band(0, i * h, r.width(), d * h);
      p.save();
      p.setClipRect(band);
      p.setPen(ink);
      p.drawText(QRect(2 + shift, i * h + 2 + shift, r.width(), d * h),
                 Qt::AlignLeft | Qt::AlignTop, text);
      p.restore();
      if (i > 0) {
        p.setPen(xp ? ink : QColor(0x80, 0x80, 0x80));
        p.drawLine(0, i * h, r.width(), i * h);
      }
    } else {
      const int tick = (d % 2 == 0 && i % d == d / 2) ? 8 : 5;
      p.setPen(xp ? ink : QColor(0x80, 0x80, 0x80));
      p.drawLine(r.width() - tick, i * h, r.width() - 1, i * h);
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Operations

void TXPlanbox::Wire(TXAction* block) {
  block->setParent(grid_);
  block->SetStyle(geo_.Style);
  block->installEventFilter(this);
  // A block freed by somebody else leaves the list rather than a dangling pointer in it.
  connect(block, &QObject::destroyed, this, &TXPlanbox::Forget, Qt::UniqueConnection);
}

void TXPlanbox::Forget(QObject* gone) {
  actions_.removeIf([gone](TXAction* a) { return static_cast<QObject*>(a) == gone; });
  if (static_cast<QObject*>(pendingCopy_) == gone) pendingCopy_ = nullptr;
  if (static_cast<QObject*>(handles_->Block()) == gone) handles_->Hide();
  if (static_cast<QObject*>(pressedBlock_) == gone) {
    press_ = TPress::None;
    pressedBlock_ = nullptr;
    dragging_ = false;
    followMouse_ = false;
  }
}

void TXPlanbox::PositionAction(TXAction* block) {
  const TPixBounds b = geo_.BlockBounds(block->ActionRect);
  block->setGeometry(b.x, b.y, b.width, b.height);
  block->show();
}

QList<TXRect> TXPlanbox::Rects() const {
  QList<TXRect> rects;
  rects.reserve(actions_.size());
  for (TXAction* a : actions_) rects.append(a->ActionRect);
  return rects;
}

bool TXPlanbox::AddAction(TXAction* block) {
  if (!block) return false;
  Wire(block);
  block->OnRightClick = [this](QWidget* sender) {
    if (OnRightClick) OnRightClick(sender);
  };
  block->OnDblClick = [this](QWidget* sender, Qt::MouseButtons buttons) {
    if (OnDblClick) OnDblClick(sender, buttons);
  };
  if (OnAddAction) OnAddAction(block, sel_);
  PositionAction(block);
  if (!actions_.contains(block)) actions_.append(block);
  if (handles_->Block()) handles_->Follow();
  return !OverlapsOther(block);
}

TXAction* TXPlanbox::DuplicateAction(TXAction* block) {
  auto* copy = new TXAction(grid_);
  Wire(copy);
  copy->SetActionColor(block->ActionColor());
  copy->SetCaption(block->Caption());
  copy->ActionRect = block->ActionRect;
  copy->SetBar1Color(block->Bar1Color());
  copy->SetBar2Color(block->Bar2Color());
  copy->SetBar3Color(block->Bar3Color());
  copy->OnRightClick = block->OnRightClick;
  copy->OnDblClick = block->OnDblClick;
  if (OnCopyAction) OnCopyAction(block, copy);
  actions_.append(copy);
  return copy;
}

bool TXPlanbox::EditAction(TXAction* block) {
  if (!block) return false;
  if (OnEditAction) OnEditAction(block, block->ActionRect);
  // The new rectangle decides: the block's pixels still show its former place.
  bool repositioned = false;
  const TXRect& r = block->ActionRect;
  if (!OverlapsAny(Rects(), int(actions_.indexOf(block)), r.Left, r.Top, r.Bottom)) {
    PositionAction(block);
    repositioned = true;
  }
  if (handles_->Block()) handles_->Attach(handles_->Block());
  return repositioned;
}

bool TXPlanbox::DeleteAction(TXAction* block) {
  if (!block) return true;
  if (OnDeleteAction) OnDeleteAction(block);
  if (!actions_.contains(block)) return false;
  handles_->Hide();
  actions_.removeAll(block);
  if (pendingCopy_ == block) pendingCopy_ = nullptr;
  if (pressedBlock_ == block) ResetPress();
  // The block may be the receiver of the event being handled: free it once that is done.
  block->hide();
  block->removeEventFilter(this);
  block->deleteLater();
  return true;
}

void TXPlanbox::SelectAction(TXAction* block) {
  if (!block) {
    handles_->Hide();
    return;
  }
  handles_->Attach(block);
  if (OnSelectAction) OnSelectAction(block, Qt::LeftButton, Qt::NoModifier);
}

void TXPlanbox::ClearActions() {
  ResetPress();
  handles_->Hide();
  pendingCopy_ = nullptr;
  const TXActionList blocks = actions_;
  actions_.clear();
  for (TXAction* a : blocks) {
    a->hide();
    a->removeEventFilter(this);
    a->deleteLater();
  }
}

void TXPlanbox::RedrawActions() {
  setUpdatesEnabled(false);
  for (TXAction* a : actions_) {
    a->SetStyle(geo_.Style);
    PositionAction(a);
    a->update();
  }
  if (handles_->Block()) handles_->Attach(handles_->Block());
  setUpdatesEnabled(true);
}

void TXPlanbox::CenterWorkPeriod() {
  const int w = geo_.ColWidth;
  const int h = geo_.RowHeight;
  const TXRect& a = altColorRect_;
  const int freeCols = (viewport()->width() - (a.Right - a.Left) * w - kHeadingWidth) / w;
  const int freeRows = (viewport()->height() - (a.Bottom - a.Top) * h - kHeadingHeight) / h;
  horizontalScrollBar()->setSingleStep(w);
  verticalScrollBar()->setSingleStep(h);
  horizontalScrollBar()->setValue((a.Left - freeCols / 2) * w);
  verticalScrollBar()->setValue((a.Top - freeRows / 2) * h);
  PlaceHeadings();
}

TXAction* TXPlanbox::ActionAt(int column, int row) const {
  for (TXAction* a : actions_) {
    const TXRect& r = a->ActionRect;
    if (r.Left <= column && column <= r.Right && r.Top <= row && row <= r.Bottom) return a;
  }
  return nullptr;
}

bool TXPlanbox::OverlapsOther(TXAction* block) const {
  if (!block) return false;
  int c, t, e;
  if (block->parentWidget() == grid_) {
    const QRect g = block->geometry();
    geo_.OccupiedCells(TPixBounds{g.x(), g.y(), g.width(), g.height()}, c, t, e);
  } else {
    // A block that is not on the grid yet has no pixels of its own: its cells decide.
    c = block->ActionRect.Left;
    t = block->ActionRect.Top;
    e = block->ActionRect.Bottom;
  }
  return OverlapsAny(Rects(), int(actions_.indexOf(block)), c, t, e);
}

int TXPlanbox::NextFreeRow(int column, int row) const {
  return hb::NextFreeRow(Rects(), column, row);
}

void TXPlanbox::FillFreeCells(const TXRect& rect, TXActionList& list) {
  for (const TXRect& run : FreeCellRuns(Rects(), rect)) {
    auto* block = new TXAction;
    block->ActionRect = run;
    list.append(block);
  }
}

void TXPlanbox::CarveCells(const TXRect& rect, TXActionList& list) {
  for (int i = rect.Top; i <= rect.Bottom; ++i) {
    TXAction* b = ActionAt(rect.Left, i);
    if (!b) continue;
    TXRect& r = b->ActionRect;
    if (r.Top < rect.Top && r.Bottom > rect.Bottom) {
      // Split: the upper part stays, a copy holds the lower part.
      const int formerBottom = r.Bottom;
      r.Bottom = rect.Top - 1;
      EditAction(b);
      PositionAction(b);
      TXAction* d = DuplicateAction(b);
      d->ActionRect.Top = rect.Bottom + 1;
      d->ActionRect.Bottom = formerBottom;
      EditAction(d);
      PositionAction(d);
    } else if (r.Top >= rect.Top && r.Bottom <= rect.Bottom) {
      DeleteAction(b);
    } else if (r.Top >= rect.Top) {
      r.Top = rect.Bottom + 1;
      EditAction(b);
      PositionAction(b);
    } else {
      r.Bottom = rect.Top - 1;
      EditAction(b);
      PositionAction(b);
    }
  }
  auto* block = new TXAction;
  block->ActionRect = rect;
  list.append(block);
}

void TXPlanbox::HideSelection() {
  selPanel_->hide();
}

bool TXPlanbox::SelectionVisible() const {
  return !selPanel_->isHidden();
}

void TXPlanbox::StartDragging(TXAction* block) {
  if (!block || !actions_.contains(block)) return;
  ResetPress();
  press_ = TPress::Block;
  pressedBlock_ = block;
  dragging_ = true;
  followMouse_ = true;
  grab_ = QPoint(block->width() / 2, block->height() / 2);
  block->raise();
  handles_->Attach(block);
  block->setMouseTracking(true);
  block->grabMouse();
  setFocus();
}

// ---------------------------------------------------------------------------------------------
// Drag selection

void TXPlanbox::SetScreenCursor(int id) {
  if (cursorPushed_)
    QApplication::changeOverrideCursor(PlanboxCursor(id));
  else
    QApplication::setOverrideCursor(PlanboxCursor(id));
  cursorPushed_ = true;
}

void TXPlanbox::RestoreScreenCursor() {
  if (!cursorPushed_) return;
  QApplication::restoreOverrideCursor();
  cursorPushed_ = false;
}

void TXPlanbox::BeginSelection(QPoint p, Qt::KeyboardModifiers mods) {
  selStart_ = p;
  shift_ = mods;
  sel_.Left = sel_.Right = geo_.CellCol(p.x());
  sel_.Top = sel_.Bottom = geo_.CellRow(p.y());
  ShowSelection();
  selecting_ = true;
  handles_->Hide();
  const bool shift = mods & Qt::ShiftModifier;
  const bool ctrl = mods & Qt::ControlModifier;
  if (shift && !ctrl)
    SetScreenCursor(crDragInsert);
  else if (!shift)
    SetScreenCursor(crDragAdd);
  scrollTimer_.start();
}

void TXPlanbox::MoveSelection(QPoint p, Qt::MouseButtons buttons) {
  if (!selecting_ || !(buttons & Qt::LeftButton)) {
    RestoreScreenCursor();
    return;
  }
  const TXRect before = sel_;
  sel_.Right = geo_.CellCol(p.x());
  sel_.Bottom = geo_.CellRow(p.y());
  if (sel_.Right < sel_.Left || sel_.Bottom < sel_.Top)
    HideSelection();
  else if (!(sel_ == before) || !SelectionVisible())
    ShowSelection();
}

void TXPlanbox::EndSelection(QPoint p) {
  sel_.Right = geo_.CellCol(p.x());
  sel_.Bottom = geo_.CellRow(p.y());
  selecting_ = false;
  scrollTimer_.stop();
  RestoreScreenCursor();
  if (std::abs(p.x() - selStart_.x()) < 2 && std::abs(p.y() - selStart_.y()) < 2) {
    HideSelection();
    if (OnSelectAction) OnSelectAction(nullptr, Qt::LeftButton, Qt::NoModifier);
  } else if (sel_.Right >= sel_.Left && sel_.Bottom >= sel_.Top) {
    if (OnEndDragSelection) OnEndDragSelection(this, sel_, shift_ & Qt::ShiftModifier);
  }
}

void TXPlanbox::ShowSelection() {
  const int w = geo_.ColWidth;
  const int h = geo_.RowHeight;
  selPanel_->setGeometry(sel_.Left * w + 2, sel_.Top * h + 2,
                         sel_.Right * w + w - sel_.Left * w - 1,
                         sel_.Bottom * h + h - sel_.Top * h - 1);
  QString text;
  if (OnDragSelection) OnDragSelection(this, sel_, text);
  selPanel_->setText(text.left(255));
  selPanel_->show();
  selPanel_->raise();
}

void TXPlanbox::AutoScrollStep() {
  if (!selecting_) {
    scrollTimer_.stop();
    return;
  }
  const int w = geo_.ColWidth;
  const int h = geo_.RowHeight;
  QScrollBar* hb = horizontalScrollBar();
  QScrollBar* vb = verticalScrollBar();
  const int vpos = vb->value();
  const int hpos = hb->value();
  if (sel_.Bottom * h > viewport()->height() + vpos - kHeadingHeight)
    vb->setValue(vpos + h);
  else if (sel_.Bottom * h < vpos)
    vb->setValue(vpos - h);
  if (sel_.Right * w > viewport()->width() + hpos - w - kHeadingWidth)
    hb->setValue(hpos + w);
  else if (sel_.Right * w < hpos)
    hb->setValue(hpos - w);
}

// ---------------------------------------------------------------------------------------------
// Mouse input

bool TXPlanbox::OnGrid(QPoint p) const {
  return grid_->rect().contains(p);
}

void TXPlanbox::ResetPress() {
  if (pressedBlock_) {
    pressedBlock_->unsetCursor();
    if (followMouse_) {
      pressedBlock_->setMouseTracking(false);
      pressedBlock_->releaseMouse();
    }
  }
  press_ = TPress::None;
  pressedBlock_ = nullptr;
  dragging_ = false;
  dragAccepted_ = false;
  followMouse_ = false;
}

bool TXPlanbox::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
      break;
    default:
      return QScrollArea::eventFilter(watched, event);
  }
  auto* e = static_cast<QMouseEvent*>(event);
  if (watched == grid_) return GridMouse(e);
  if (watched == handles_->TopHandle()) return HandleMouse(true, e);
  if (watched == handles_->BottomHandle()) return HandleMouse(false, e);
  if (auto* block = qobject_cast<TXAction*>(watched); block && actions_.contains(block))
    return BlockMouse(block, e);
  return QScrollArea::eventFilter(watched, event);
}

bool TXPlanbox::GridMouse(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  switch (e->type()) {
    case QEvent::MouseButtonPress:
      if (e->button() == Qt::LeftButton) {
        setFocus();
        BeginSelection(p, e->modifiers());
      } else if (e->button() == Qt::RightButton) {
        if (OnRightClick) OnRightClick(grid_);
      }
      return true;
    case QEvent::MouseMove:
      MoveSelection(p, e->buttons());
      return true;
    case QEvent::MouseButtonRelease:
      if (e->button() == Qt::LeftButton && selecting_) EndSelection(p);
      return true;
    default:
      return true;
  }
}

bool TXPlanbox::BlockMouse(TXAction* block, QMouseEvent* e) {
  const QPoint p = block->mapTo(grid_, e->position().toPoint());
  switch (e->type()) {
    case QEvent::MouseButtonDblClick:
      // Takes the place of the second press of a double click: that press is not handled.
      ResetPress();
      if (block->OnDblClick)
        block->OnDblClick(block, e->buttons());
      else if (OnDblClick)
        OnDblClick(block, e->buttons());
      return true;
    case QEvent::MouseButtonPress: {
      if (followMouse_) return true;  // a block placed by StartDragging drops on release
      const Qt::KeyboardModifiers mods = e->modifiers();
      const bool shift = mods & Qt::ShiftModifier;
      const bool ctrl = mods & Qt::ControlModifier;
      shift_ = mods;
      if (e->button() == Qt::LeftButton) {
        setFocus();
        if (shift && !ctrl) {
          BeginSelection(p, mods);
          return true;
        }
        ResetPress();
        grab_ = e->position().toPoint();
        pressPos_ = p;
        if (!ctrl || shift) {
          pendingCopy_ = nullptr;
        } else {
          TXAction* copy = DuplicateAction(block);
          pendingCopy_ = copy;
          PositionAction(copy);
        }
        block->raise();
        press_ = TPress::Block;
        pressedBlock_ = block;
        handles_->Attach(block);
        if (OnSelectAction) OnSelectAction(block, Qt::LeftButton, mods);
      } else if (e->button() == Qt::RightButton) {
        handles_->Attach(block);
        if (OnSelectAction) OnSelectAction(block, Qt::RightButton, mods);
        if (block->OnRightClick) block->OnRightClick(block);
      }
      return true;
    }
    case QEvent::MouseMove:
      if (selecting_) {
        MoveSelection(p, e->buttons());
        return true;
      }
      if (press_ != TPress::Block || pressedBlock_ != block) return true;
      if (!followMouse_ && !(e->buttons() & Qt::LeftButton)) return true;
      if (!dragging_ && (p - pressPos_).manhattanLength() >= QApplication::startDragDistance())
        dragging_ = true;
      if (dragging_) DragBlockOver(p);
      return true;
    case QEvent::MouseButtonRelease:
      if (selecting_) {
        if (e->button() == Qt::LeftButton) EndSelection(p);
        return true;
      }
      if (press_ == TPress::Block && pressedBlock_ == block && e->button() == Qt::LeftButton) {
        if (dragging_) {
          DragBlockOver(p);
          DropBlock(p, OnGrid(p) && dragAccepted_);
        }
        ResetPress();
      }
      return true;
    default:
      return true;
  }
}

void TXPlanbox::DragBlockOver(QPoint p) {
  TXAction* b = pressedBlock_;
  if (!OnGrid(p)) {
    dragAccepted_ = false;
    b->setCursor(Qt::ForbiddenCursor);
    return;
  }
  const int top = geo_.SnapY(p.y() - grab_.y()) + Inset();
  const int left = geo_.CellCol(p.x()) * geo_.ColWidth + Inset();
  b->move(left, top);
  handles_->Follow();
  dragAccepted_ = !OverlapsOther(b);
  b->setCursor(dragAccepted_ ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
}

void TXPlanbox::DropBlock(QPoint p, bool hasTarget) {
  TXAction* b = pressedBlock_;
  auto springBack = [&] {
    if (pendingCopy_) DeleteAction(pendingCopy_);
    pendingCopy_ = nullptr;
    if (actions_.contains(b)) {
      PositionAction(b);
      handles_->Attach(b);
    }
  };
  if (!hasTarget) {
    springBack();
    return;
  }
  const int h = geo_.RowHeight;
  int top = geo_.SnapY(p.y() - grab_.y()) + Inset();
  const int left = geo_.CellCol(p.x()) * geo_.ColWidth + Inset();
  if (top < 0) top = 0;
  if (top + b->height() > geo_.RowCount * h) top = geo_.RowOfY(geo_.RowCount * h - b->height()) * h;
  b->move(left, top);
  if (OverlapsOther(b)) {
    springBack();
    return;
  }
  const TXRect former = b->ActionRect;
  const QRect g = b->geometry();
  TXRect r = geo_.RectFromBounds(TPixBounds{g.x(), g.y(), g.width(), g.height()});
  if (r.Bottom - r.Top != former.Bottom - former.Top) {
    // Keep the block's number of rows; never let it start above the first row.
    r.Top = r.Bottom - (former.Bottom - former.Top);
    if (r.Top < 0) {
      r.Bottom -= r.Top;
      r.Top = 0;
    }
  }
  b->ActionRect = r;
  if (OnEditAction) OnEditAction(b, r);
  if (pendingCopy_ && pendingCopy_ != b) EditAction(pendingCopy_);
  if (actions_.contains(b)) {
    PositionAction(b);
    handles_->Attach(b);
  }
}

bool TXPlanbox::HandleMouse(bool topHandle, QMouseEvent* e) {
  QWidget* handle = topHandle ? handles_->TopHandle() : handles_->BottomHandle();
  const QPoint p = handle->mapTo(grid_, e->position().toPoint());
  switch (e->type()) {
    case QEvent::MouseButtonPress:
      if (e->button() == Qt::LeftButton && handles_->Block()) {
        ResetPress();
        setFocus();
        shift_ = e->modifiers();
        press_ = TPress::Handle;
        topHandle_ = topHandle;
        pressedBlock_ = handles_->Block();
        grab_ = e->position().toPoint();
        pressPos_ = p;
      }
      return true;
    case QEvent::MouseMove:
      if (press_ != TPress::Handle || topHandle_ != topHandle) return true;
      if (!(e->buttons() & Qt::LeftButton)) return true;
      if (!dragging_ && (p - pressPos_).manhattanLength() >= QApplication::startDragDistance())
        dragging_ = true;
      if (dragging_) DragHandleOver(p);
      return true;
    case QEvent::MouseButtonRelease:
      if (press_ == TPress::Handle && topHandle_ == topHandle && e->button() == Qt::LeftButton) {
        if (dragging_) DropHandle(p, OnGrid(p));
        ResetPress();
      }
      return true;
    default:
      return true;
  }
}

void TXPlanbox::DragHandleOver(QPoint p) {
  if (!OnGrid(p)) return;
  TXAction* b = pressedBlock_;
  const int h = geo_.RowHeight;
  const QRect g = b->geometry();
  if (topHandle_) {
    int top = geo_.SnapY(geo_.SnapY(p.y() - grab_.y()) + kHandleHeight) + Inset();
    top = std::min(top, handles_->BottomAtAttach - h);
    b->setGeometry(g.x(), top, g.width(), handles_->BottomAtAttach - top);
  } else {
    int height = geo_.SnapY(p.y() - grab_.y()) - g.y() + (Inset() ? 1 : 0);
    b->setGeometry(g.x(), g.y(), g.width(), std::max(height, h - (Inset() ? 1 : 0)));
  }
  handles_->Follow();
}

void TXPlanbox::DropHandle(QPoint p, bool hasTarget) {
  TXAction* b = pressedBlock_;
  if (hasTarget) {
    const int h = geo_.RowHeight;
    const TXRect former = b->ActionRect;
    const QRect g = b->geometry();
    int top = g.y();
    int height = g.height();
    if (topHandle_) {
      // From the handle's top edge, as while dragging, so the block lands where it was shown.
      top = geo_.SnapY(geo_.SnapY(p.y() - grab_.y()) + kHandleHeight) + Inset();
      top = std::min(top, handles_->BottomAtAttach - h);  // never past its own end
      height = handles_->BottomAtAttach - top;
    } else {
      height = geo_.SnapY(p.y() - grab_.y() - handles_->TopAtAttach) - (Inset() ? 1 : 0);
    }
    height = std::max(height, h);
    b->setGeometry(g.x(), top, g.width(), height);
    const int column = former.Left;
    if (OverlapsOther(b)) {
      // Stop directly against the neighbour that was run into.
      if (topHandle_) {
        for (int c = former.Top - 1; c >= 0; --c) {
          if (ActionAt(column, c)) {
            b->setGeometry(g.x(), (c + 1) * h, g.width(), (former.Bottom - c) * h);
            break;
          }
        }
      } else {
        for (int i = former.Bottom + 1; i < geo_.RowCount; ++i) {
          if (ActionAt(column, i)) {
            b->setGeometry(g.x(), top, g.width(), i * h - top);
            break;
          }
        }
      }
      const QRect n = b->geometry();
      b->ActionRect = geo_.RectFromBounds(TPixBounds{n.x(), n.y(), n.width(), n.height()});
    } else {
      const QRect n = b->geometry();
      const TXRect r = geo_.RectFromBounds(TPixBounds{n.x(), n.y(), n.width(), n.height()});
      if (topHandle_) {
        b->ActionRect.Top = r.Top;
        b->ActionRect.Left = r.Left;
      } else {
        b->ActionRect.Bottom = r.Bottom;
        b->ActionRect.Right = r.Right;
      }
    }
    if (OnEditAction) OnEditAction(b, b->ActionRect);
  }
  if (actions_.contains(b)) {
    PositionAction(b);
    handles_->Attach(b);
  }
}

void TXPlanbox::CancelDrag() {
  if (!dragging_ || !pressedBlock_) return;
  if (press_ == TPress::Block)
    DropBlock(QPoint(), false);
  else if (press_ == TPress::Handle)
    DropHandle(QPoint(), false);
  ResetPress();
}

void TXPlanbox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && dragging_) {
    CancelDrag();
    event->accept();
    return;
  }
  QScrollArea::keyPressEvent(event);
}

}  // namespace hb
