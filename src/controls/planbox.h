// The week planner: a scrollable grid of columns (days) and rows (time slots) with blocks.
//
// Layout inside the scrolled content (pixels):
//
//   +--------+------------------------------+
//   | corner | column headings (height 24)  |   corner button 32 x 24 centres the work period
//   +--------+------------------------------+
//   | row    | grid area                    |   ColCount * DefaultColWidth by
//   | heads  |   blocks (TXAction), the     |   RowCount * DefaultRowHeight
//   | (w 32) |   selection panel, handles   |
//   +--------+------------------------------+
//
// The heading strips and the corner button are moved back to the visible top / left edge on
// every scroll, so they stay in view. Blocks, the yellow selection panel and the two size
// handles are children of the grid area; all their mouse input is handled here (event filter).
//
// Input, in short:
//   press on the grid (or Shift-press on a block)  -> drag selection, OnDragSelection while it
//       changes, OnEndDragSelection on release; a click without moving raises OnSelectAction(null)
//   press on a block -> select it (handles, OnSelectAction); moving it past the drag distance
//       drags it cell by cell; Ctrl leaves a copy behind (the pending copy) that survives only
//       when the drop succeeds; a drop onto another block springs back
//   press on a handle -> resize the block's start or end; growing into a neighbour stops
//       against it
// Esc during a block or handle drag cancels it as a drop outside the grid.
#pragma once

#include <QScrollArea>
#include <QStringList>
#include <QTimer>
#include <functional>

#include "controls/planboxgeometry.h"
#include "controls/xaction.h"

class QLabel;
class QToolButton;

namespace hb {

class TXPlanbox;

// A coloured or hatched area of cells.
struct TXColorRect {
  TXRect Rect;
  TColor Color = 0;
};
using TXColorRectList = QList<TXColorRect>;

// Two grey panels, 7 pixels high, directly above and below the selected block.
class TXSizeHandles {
 public:
  explicit TXSizeHandles(QWidget* gridArea);

  // Places the handles at the block and remembers its pixel edges as they are now.
  void Attach(TXAction* block);
  // Moves the handles along with the block without changing the remembered edges.
  void Follow();
  void Hide();

  TXAction* Block() const { return block_; }
  QWidget* TopHandle() const { return top_; }
  QWidget* BottomHandle() const { return bottom_; }

  // The block's left, top, right and bottom pixel at attachment (right and bottom exclusive).
  int LeftAtAttach = 0, TopAtAttach = 0, RightAtAttach = 0, BottomAtAttach = 0;

 private:
  QWidget* top_;
  QWidget* bottom_;
  TXAction* block_ = nullptr;
};

// Event types of the planner.
using TDragSelectionEvent =
    std::function<void(TXPlanbox* Sender, const TXRect& MyRect, QString& SelText)>;
using TEndDragSelectionEvent =
    std::function<void(TXPlanbox* Sender, const TXRect& MyRect, bool bInsert)>;
using TAddActionEvent = std::function<void(TXAction* PbAction, const TXRect& MyRect)>;
using TEditActionEvent = std::function<void(TXAction* PbAction, const TXRect& MyRect)>;
using TDeleteActionEvent = std::function<void(TXAction* PbAction)>;
using TCopyActionEvent = std::function<void(TXAction* SourceAction, TXAction* DestinationAction)>;
using TSelectActionEvent =
    std::function<void(TXAction* Action, Qt::MouseButton Buttons, Qt::KeyboardModifiers Shift)>;
using TRightClickEvent = std::function<void(QWidget* Sender)>;
using TDblClickEvent = std::function<void(QWidget* Sender, Qt::MouseButtons Buttons)>;

class TXPlanbox : public QScrollArea {
  Q_OBJECT
 public:
  static constexpr int kHeadingWidth = 32;   // row heading strip
  static constexpr int kHeadingHeight = 24;  // column heading strip
  static constexpr int kHandleHeight = 7;
  static constexpr int kAutoScrollMs = 50;

  explicit TXPlanbox(QWidget* parent = nullptr);
  ~TXPlanbox() override;

  // --- properties ---
  int ColCount() const { return geo_.ColCount; }
  void SetColCount(int n);
  int RowCount() const { return geo_.RowCount; }
  void SetRowCount(int n);
  int RowDivider() const { return rowDivider_; }
  void SetRowDivider(int n);
  int DefaultColWidth() const { return geo_.ColWidth; }
  void SetDefaultColWidth(int w);
  int DefaultRowHeight() const { return geo_.RowHeight; }
  void SetDefaultRowHeight(int h);
  const QStringList& ColHeadings() const { return colHeadings_; }
  void SetColHeadings(const QStringList& headings);
  const QStringList& RowHeadings() const { return rowHeadings_; }
  void SetRowHeadings(const QStringList& headings);
  // The work period: columns Left..Right-1, rows Top..Bottom-1.
  const TXRect& AltColorRect() const { return altColorRect_; }
  void SetAltColorRect(const TXRect& r);
  TColor GridColor() const { return gridColor_; }
  void SetGridColor(TColor c);
  TColor AltGridColor() const { return altGridColor_; }
  void SetAltGridColor(TColor c);
  TColor GridLineColor() const { return gridLineColor_; }
  void SetGridLineColor(TColor c);
  TXActionStyle Style() const { return geo_.Style; }
  void SetStyle(TXActionStyle style);
  void SetCenterButtonIcon(const QPixmap& icon);
  // Whether a block shows its caption as plain text in a hint while the mouse rests on it.
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value) { showHint_ = value; }

  // --- events ---
  // The selection rectangle is shown or changed; SelText (at most 255 characters) is shown in it.
  TDragSelectionEvent OnDragSelection;
  // A drag selection ended with a non-empty rectangle; bInsert: Shift was held at the press.
  TEndDragSelectionEvent OnEndDragSelection;
  // A block is added; MyRect is the current selection rectangle.
  TAddActionEvent OnAddAction;
  // A block's rectangle changed (moved, resized, trimmed); MyRect is its ActionRect.
  TEditActionEvent OnEditAction;
  // Before a block is removed and freed.
  TDeleteActionEvent OnDeleteAction;
  // A block was duplicated.
  TCopyActionEvent OnCopyAction;
  // A block is pressed, selected by program (left, no shift), or the grid is clicked without
  // dragging (Action null).
  TSelectActionEvent OnSelectAction;
  // Right button on a block (after OnSelectAction) or on the empty grid (Sender: grid area).
  TRightClickEvent OnRightClick;
  // Double click on a block.
  TDblClickEvent OnDblClick;

  // --- operations ---
  // Adds the block to the grid; true when it overlaps no other block.
  bool AddAction(TXAction* block);
  // A copy of the block in the list (not yet positioned).
  TXAction* DuplicateAction(TXAction* block);
  // Reports the block's rectangle; moves it there when that rectangle overlaps no other block.
  bool EditAction(TXAction* block);
  // Reports and frees the block; true for null, false for a block that is not in the list.
  bool DeleteAction(TXAction* block);
  TXAction* SelectedAction() const { return handles_->Block(); }
  void SelectAction(TXAction* block);
  void ClearActions();
  void RedrawActions();
  void CenterWorkPeriod();
  TXAction* ActionAt(int column, int row) const;
  // Whether the block shares a cell with another block of its column, judged by where it is
  // drawn (a block not yet on the grid: by its rectangle).
  bool OverlapsOther(TXAction* block) const;
  int NextFreeRow(int column, int row) const;
  // New blocks (not added; owned by the caller until added) for the free runs of rect.
  void FillFreeCells(const TXRect& rect, TXActionList& list);
  // Trims, splits or deletes the blocks in rect's cells, then appends a new block for rect.
  void CarveCells(const TXRect& rect, TXActionList& list);
  void HideSelection();
  TXAction* PendingCopy() const { return pendingCopy_; }
  void SetPendingCopy(TXAction* block) { pendingCopy_ = block; }
  // Lets the block follow the mouse without a button held, until the next release drops it
  // (used to place a pasted block). The mouse position inside the block is its centre.
  void StartDragging(TXAction* block);

  // --- parts, for the owner and for tests ---
  const TXActionList& Actions() const { return actions_; }
  const TPlanGeometry& Geometry() const { return geo_; }
  QWidget* GridArea() const { return grid_; }
  QWidget* ColumnStrip() const { return colStrip_; }
  QWidget* RowStrip() const { return rowStrip_; }
  QToolButton* CornerButton() const { return corner_; }
  TXSizeHandles& SizeHandles() const { return *handles_; }
  QLabel* SelectionPanel() const { return selPanel_; }
  const TXRect& SelectionRect() const { return sel_; }
  bool SelectionVisible() const;
  bool IsDragSelecting() const { return selecting_; }
  bool IsAutoScrolling() const { return scrollTimer_.isActive(); }
  // One tick of the automatic scroll during a drag selection.
  void AutoScrollStep();

  // Coloured and hatched cell areas, painted over the backgrounds.
  TXColorRectList ColorRects;
  TXColorRectList HatchRects;

  // Painting, called by the parts' paint events.
  void PaintGrid(QPainter& p);
  void PaintColumnHeadings(QPainter& p);
  void PaintRowHeadings(QPainter& p);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  enum class TPress { None, Block, Handle };

  void Relayout();
  void PlaceHeadings();
  void PositionAction(TXAction* block);
  void Wire(TXAction* block);
  void Forget(QObject* gone);
  QList<TXRect> Rects() const;

  // Drag selection (grid coordinates).
  void BeginSelection(QPoint p, Qt::KeyboardModifiers mods);
  void MoveSelection(QPoint p, Qt::MouseButtons buttons);
  void EndSelection(QPoint p);
  void ShowSelection();
  void SetScreenCursor(int id);
  void RestoreScreenCursor();

  // Blocks and handles.
  bool BlockMouse(TXAction* block, QMouseEvent* e);
  bool HandleMouse(bool topHandle, QMouseEvent* e);
  bool GridMouse(QMouseEvent* e);
  void DragBlockOver(QPoint p);
  void DropBlock(QPoint p, bool hasTarget);
  void DragHandleOver(QPoint p);
  void DropHandle(QPoint p, bool hasTarget);
  void CancelDrag();
  void ResetPress();
  bool OnGrid(QPoint p) const;
  int Inset() const { return geo_.Inset(); }

  TPlanGeometry geo_;
  int rowDivider_ = 1;
  QStringList colHeadings_;
  QStringList rowHeadings_;
  TXRect altColorRect_;
  TColor gridColor_ = 0x800000;
  TColor altGridColor_ = 0xFF0000;
  TColor gridLineColor_ = 0x0000FF;
  bool showHint_ = true;

  QWidget* content_;
  QWidget* grid_;
  QWidget* colStrip_;
  QWidget* rowStrip_;
  QToolButton* corner_;
  QLabel* selPanel_;
  TXSizeHandles* handles_;
  QTimer scrollTimer_;

  TXActionList actions_;
  TXAction* pendingCopy_ = nullptr;

  // Drag selection.
  TXRect sel_;
  bool selecting_ = false;
  QPoint selStart_;
  Qt::KeyboardModifiers shift_;  // at the last press
  bool cursorPushed_ = false;

  // Block and handle presses.
  TPress press_ = TPress::None;
  TXAction* pressedBlock_ = nullptr;
  bool topHandle_ = false;
  bool dragging_ = false;
  bool dragAccepted_ = false;
  bool followMouse_ = false;  // StartDragging: no button held
  QPoint pressPos_;           // grid coordinates of the press
  QPoint grab_;               // mouse position inside the block or handle
};

}  // namespace hb
