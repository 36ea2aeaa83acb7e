// The week planner driven with real mouse and key events on the offscreen platform.
#include "controls/planbox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include "controls/planboxcursors.h"

using namespace hb;

namespace {

struct TEvent {
  QString kind;
  TXAction* action = nullptr;
  TXRect rect;
  bool flag = false;
  Qt::MouseButton button = Qt::NoButton;
  Qt::KeyboardModifiers mods;
};

// A planner of 7 columns of 64 by 24 rows of 16 pixels that records its events.
class PlanboxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pb.SetColCount(7);
    pb.SetRowCount(24);
    pb.SetDefaultColWidth(64);
    pb.SetDefaultRowHeight(16);
    pb.resize(520, 460);
    pb.OnDragSelection = [this](TXPlanbox*, const TXRect& r, QString& text) {
      Record("drag", nullptr, r);
      text = QString("%1-%2").arg(r.Top).arg(r.Bottom);
    };
    pb.OnEndDragSelection = [this](TXPlanbox*, const TXRect& r, bool insert) {
      Record("end", nullptr, r, insert);
    };
    pb.OnAddAction = [this](TXAction* a, const TXRect& r) { Record("add", a, r); };
    pb.OnEditAction = [this](TXAction* a, const TXRect& r) { Record("edit", a, r); };
    pb.OnDeleteAction = [this](TXAction* a) { Record("delete", a, {}); };
    pb.OnCopyAction = [this](TXAction* s, TXAction* d) {
      Record("copy", s, d->ActionRect);
      copies.append(d);
    };
    pb.OnSelectAction = [this](TXAction* a, Qt::MouseButton b, Qt::KeyboardModifiers m) {
      events.append({"select", a, {}, false, b, m});
    };
    pb.OnRightClick = [this](QWidget* s) { rightClicks.append(s); };
    pb.OnDblClick = [this](QWidget* s, Qt::MouseButtons) { dblClicks.append(s); };
    pb.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pb));
  }

  void Record(const QString& kind, TXAction* a, const TXRect& r, bool flag = false) {
    events.append({kind, a, r, flag});
  }
  QList<TEvent> Events(const QString& kind) const {
    QList<TEvent> out;
    for (const TEvent& e : events)
      if (e.kind == kind) out.append(e);
    return out;
  }

  TXAction* Block(const TXRect& r) {
    auto* a = new TXAction;
    a->ActionRect = r;
    pb.AddAction(a);
    events.clear();
    return a;
  }

  QWidget* Grid() { return pb.GridArea(); }
  // Sends input to a child of the grid area at a point given in grid coordinates, as the
  // mouse grab of a press would deliver it.
  static QPoint Local(QWidget* w, QPoint grid) { return grid - w->pos(); }
  void Press(QWidget* w, QPoint grid, Qt::KeyboardModifiers m = {},
             Qt::MouseButton b = Qt::LeftButton) {
    QTest::mousePress(w, b, m, w == Grid() ? grid : Local(w, grid));
  }
  void Move(QWidget* w, QPoint grid) { QTest::mouseMove(w, w == Grid() ? grid : Local(w, grid)); }
  void Release(QWidget* w, QPoint grid, Qt::KeyboardModifiers m = {}) {
    QTest::mouseRelease(w, Qt::LeftButton, m, w == Grid() ? grid : Local(w, grid));
  }
  // Presses on a block at an offset inside it and drags it so that the pointer ends at `to`.
  void DragBlock(TXAction* a, QPoint grab, QPoint to, Qt::KeyboardModifiers m = {}) {
    const QPoint from = a->pos() + grab;
    Press(a, from, m);
    Move(a, from + QPoint(0, 12));  // past the drag distance
    Move(a, to);
    Release(a, to);
  }
  // Where a block of these cells is drawn in the current style.
  QRect Cells(const TXRect& r) const {
    const TPixBounds b = pb.Geometry().BlockBounds(r);
    return QRect(b.x, b.y, b.width, b.height);
  }

  TXPlanbox pb;
  QList<TEvent> events;
  QList<TXAction*> copies;
  QList<QWidget*> rightClicks;
  QList<QWidget*> dblClicks;
};

bool SameCursor(const QCursor* c, int id) {
  return c && c->pixmap().toImage() == PlanboxCursor(id).pixmap().toImage();
}

}  // namespace

TEST_F(PlanboxTest, DragSelectionReportsItsRectangleAndTheShiftFlag) {
  struct Case {
    Qt::KeyboardModifiers mods;
    bool insert;
    int cursor;
  } cases[] = {
      {Qt::NoModifier, false, crDragAdd},
      {Qt::ShiftModifier, true, crDragInsert},
  };
  for (const Case& c : cases) {
    events.clear();
    Press(Grid(), {70, 35}, c.mods);  // column (70 + 8) div 64 = 1, boundary (35 + 8) div 16 = 2
    EXPECT_TRUE(SameCursor(QApplication::overrideCursor(), c.cursor));
    EXPECT_TRUE(pb.IsAutoScrolling());
    Move(Grid(), {200, 130});  // column 3, boundary 8
    EXPECT_TRUE(pb.SelectionVisible());
    EXPECT_EQ(pb.SelectionPanel()->geometry(),
              QRect(1 * 64 + 2, 2 * 16 + 2, 3 * 64 + 64 - 64 - 1, 8 * 16 + 16 - 32 - 1));
    EXPECT_EQ(pb.SelectionPanel()->text(), "2-8");
    Release(Grid(), {200, 130});
    auto ends = Events("end");
    ASSERT_EQ(ends.size(), 1);
    EXPECT_EQ(ends[0].rect, (TXRect{1, 2, 3, 8}));
    EXPECT_EQ(ends[0].flag, c.insert);
    EXPECT_EQ(Events("drag").back().rect, (TXRect{1, 2, 3, 8}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(pb.IsAutoScrolling());
    EXPECT_TRUE(pb.SelectionVisible());  // until the owner hides it
    pb.HideSelection();
    EXPECT_FALSE(pb.SelectionVisible());
  }
}

TEST_F(PlanboxTest, ClickWithoutMovingDeselects) {
  TXAction* a = Block({0, 1, 0, 2});
  pb.SelectAction(a);
  events.clear();
  Press(Grid(), {200, 100});
  Move(Grid(), {201, 101});  // less than 2 pixels is no drag
  Release(Grid(), {201, 101});
  EXPECT_TRUE(Events("end").isEmpty());
  auto selects = Events("select");
  ASSERT_EQ(selects.size(), 1);
  EXPECT_EQ(selects[0].action, nullptr);
  EXPECT_FALSE(pb.SelectionVisible());
  EXPECT_EQ(pb.SelectedAction(), nullptr);
}

TEST_F(PlanboxTest, UpwardDragHidesTheSelectionAndRaisesNothing) {
  Press(Grid(), {100, 160});
  Move(Grid(), {100, 200});
  EXPECT_TRUE(pb.SelectionVisible());
  Move(Grid(), {100, 60});  // above the press: Bottom < Top
  EXPECT_FALSE(pb.SelectionVisible());
  Release(Grid(), {100, 60});
  EXPECT_TRUE(Events("end").isEmpty());
  EXPECT_TRUE(Events("select").isEmpty());
}

TEST_F(PlanboxTest, SelectionAtTheGridEdgeStaysOnExistingCells) {
  Press(Grid(), {400, 300});
  Move(Grid(), {7 * 64 - 2, 24 * 16 - 1});  // the last pixels of the grid
  Release(Grid(), {7 * 64 - 2, 24 * 16 - 1});
  ASSERT_EQ(Events("end").size(), 1);
  EXPECT_EQ(Events("end")[0].rect, (TXRect{6, 19, 6, 23}));
}

TEST_F(PlanboxTest, ShiftPressOnABlockStartsASelection) {
  TXAction* a = Block({1, 4, 1, 7});
  Press(a, {80, 70}, Qt::ShiftModifier);
  Move(a, {80, 200});
  Release(a, {80, 200});
  ASSERT_EQ(Events("end").size(), 1);
  EXPECT_EQ(Events("end")[0].rect, (TXRect{1, 4, 1, 13}));
  EXPECT_TRUE(Events("end")[0].flag);
  EXPECT_EQ(a->ActionRect, (TXRect{1, 4, 1, 7}));
}

TEST_F(PlanboxTest, AutoScrollFollowsTheSelectionAndHeadingsStayInView) {
  pb.resize(300, 200);
  QApplication::processEvents();
  Press(Grid(), {10, 10});
  Move(Grid(), {10, 300});  // far below the visible rows
  pb.AutoScrollStep();
  pb.AutoScrollStep();
  EXPECT_EQ(pb.verticalScrollBar()->value(), 32);
  EXPECT_EQ(pb.ColumnStrip()->y(), 32);  // the column headings moved to the visible top
  EXPECT_EQ(pb.CornerButton()->y(), 32);
  Release(Grid(), {10, 300});
  EXPECT_FALSE(pb.IsAutoScrolling());
}

TEST_F(PlanboxTest, BlockDraggedToAFreePlaceIsStoredThere) {
  for (TXActionStyle style : {TXActionStyle::xasDefault, TXActionStyle::xasXP}) {
    pb.ClearActions();
    pb.SetStyle(style);
    TXAction* a = Block({1, 4, 1, 7});
    DragBlock(a, {10, 10}, {3 * 64 + 20, 10 * 16 + 10});
    auto selects = Events("select");
    ASSERT_EQ(selects.size(), 1);
    EXPECT_EQ(selects[0].action, a);
    EXPECT_EQ(selects[0].button, Qt::LeftButton);
    auto edits = Events("edit");
    ASSERT_EQ(edits.size(), 1);
    EXPECT_EQ(edits[0].action, a);
    EXPECT_EQ(edits[0].rect, (TXRect{3, 10, 3, 13}));
    EXPECT_EQ(a->ActionRect, (TXRect{3, 10, 3, 13}));
    EXPECT_EQ(a->geometry(), Cells(a->ActionRect));
    EXPECT_EQ(pb.SelectedAction(), a);
    EXPECT_EQ(pb.SizeHandles().BottomHandle()->geometry(),
              QRect(a->x(), a->geometry().bottom() + 1, a->width(), 7));
  }
}

TEST_F(PlanboxTest, BlockDroppedOnAnotherSpringsBack) {
  TXAction* a = Block({1, 4, 1, 7});
  Block({3, 10, 3, 11});
  DragBlock(a, {10, 10}, {3 * 64 + 20, 8 * 16 + 10});  // rows 8..11 meet rows 10..11
  EXPECT_TRUE(Events("edit").isEmpty());
  EXPECT_EQ(a->ActionRect, (TXRect{1, 4, 1, 7}));
  EXPECT_EQ(a->geometry(), Cells(a->ActionRect));
}

TEST_F(PlanboxTest, BlockDroppedPastTheLastRowIsKeptInside) {
  TXAction* a = Block({1, 4, 1, 7});
  DragBlock(a, {10, 10}, {2 * 64 + 20, 23 * 16 + 8});
  ASSERT_EQ(Events("edit").size(), 1);
  EXPECT_EQ(a->ActionRect, (TXRect{2, 20, 2, 23}));
}

TEST_F(PlanboxTest, CtrlDragStoresTheBlockAndKeepsACopyAtTheOldPlace) {
  TXAction* a = Block({1, 4, 1, 7});
  a->SetCaption("Klant");
  DragBlock(a, {10, 10}, {3 * 64 + 20, 10 * 16 + 10}, Qt::ControlModifier);
  ASSERT_EQ(copies.size(), 1);
  TXAction* copy = copies[0];
  EXPECT_EQ(Events("copy")[0].action, a);
  EXPECT_EQ(pb.PendingCopy(), copy);
  auto edits = Events("edit");
  ASSERT_EQ(edits.size(), 2);  // the dragged block at its new place, then the copy
  EXPECT_EQ(edits[0].action, a);
  EXPECT_EQ(edits[0].rect, (TXRect{3, 10, 3, 13}));
  EXPECT_EQ(edits[1].action, copy);
  EXPECT_EQ(edits[1].rect, (TXRect{1, 4, 1, 7}));
  ASSERT_EQ(pb.Actions().size(), 2);
  EXPECT_EQ(copy->Caption(), "Klant");
  EXPECT_TRUE(copy->isVisible());
  EXPECT_EQ(copy->geometry(), Cells({1, 4, 1, 7}));
  EXPECT_EQ(a->geometry(), Cells({3, 10, 3, 13}));
  // The next press on a block ends the pending copy; the copy itself stays.
  Press(a, a->pos() + QPoint(5, 5));
  Release(a, a->pos() + QPoint(5, 5));
  EXPECT_EQ(pb.PendingCopy(), nullptr);
  EXPECT_EQ(pb.Actions().size(), 2);
}

TEST_F(PlanboxTest, RefusedCtrlDragLeavesOnlyTheOriginal) {
  TXAction* a = Block({1, 4, 1, 7});
  TXAction* other = Block({3, 10, 3, 11});
  DragBlock(a, {10, 10}, {3 * 64 + 20, 9 * 16 + 10}, Qt::ControlModifier);
  ASSERT_EQ(copies.size(), 1);
  auto deletes = Events("delete");
  ASSERT_EQ(deletes.size(), 1);
  EXPECT_EQ(deletes[0].action, copies[0]);
  EXPECT_TRUE(Events("edit").isEmpty());
  EXPECT_EQ(pb.Actions(), (TXActionList{a, other}));
  EXPECT_EQ(pb.PendingCopy(), nullptr);
  EXPECT_EQ(a->geometry(), Cells({1, 4, 1, 7}));
}

TEST_F(PlanboxTest, EscapeCancelsABlockDrag) {
  TXAction* a = Block({1, 4, 1, 7});
  const QPoint from = a->pos() + QPoint(10, 10);
  Press(a, from, Qt::ControlModifier);
  Move(a, from + QPoint(0, 12));
  Move(a, {3 * 64 + 20, 12 * 16});
  EXPECT_NE(a->geometry(), Cells({1, 4, 1, 7}));  // follows the mouse while dragged
  QTest::keyClick(&pb, Qt::Key_Escape);
  EXPECT_EQ(a->geometry(), Cells({1, 4, 1, 7}));
  EXPECT_EQ(pb.Actions(), TXActionList{a});  // the pending copy is gone
  Release(a, {3 * 64 + 20, 12 * 16});
  EXPECT_TRUE(Events("edit").isEmpty());
}

TEST_F(PlanboxTest, ResizingWithTheHandles) {
  struct Case {
    const char* name;
    bool top;
    int targetY;  // where the handle's top edge is dropped, in grid pixels
    TXRect expected;
  } cases[] = {
      {"bottom into free rows", false, 9 * 16, {1, 6, 1, 8}},
      {"bottom into the next block", false, 15 * 16, {1, 6, 1, 9}},  // next block starts at 10
      {"bottom above the top", false, 2 * 16, {1, 6, 1, 6}},         // at least one row
      {"top into free rows", true, 4 * 16 - 7, {1, 4, 1, 7}},
      {"top into the block above", true, 0 * 16 - 7 + 16, {1, 3, 1, 7}},  // block above ends at 2
      {"top below the bottom", true, 12 * 16, {1, 7, 1, 7}},
  };
  for (TXActionStyle style : {TXActionStyle::xasDefault, TXActionStyle::xasXP})
    for (const Case& c : cases) {
      pb.ClearActions();
      pb.SetStyle(style);
      TXAction* above = Block({1, 0, 1, 2});
      TXAction* a = Block({1, 6, 1, 7});
      TXAction* below = Block({1, 10, 1, 12});
      pb.SelectAction(a);
      events.clear();
      QWidget* handle = c.top ? pb.SizeHandles().TopHandle() : pb.SizeHandles().BottomHandle();
      const QPoint grab(20, 3);
      const QPoint from = handle->pos() + grab;
      Press(handle, from);
      Move(handle, from + QPoint(0, 10));
      Move(handle, QPoint(from.x(), c.targetY + grab.y()));
      Release(handle, QPoint(from.x(), c.targetY + grab.y()));
      auto edits = Events("edit");
      ASSERT_EQ(edits.size(), 1) << c.name;
      EXPECT_EQ(edits[0].rect, c.expected) << c.name;
      EXPECT_EQ(a->geometry(), Cells(c.expected)) << c.name;
      EXPECT_EQ(above->ActionRect, (TXRect{1, 0, 1, 2})) << c.name;
      EXPECT_EQ(below->ActionRect, (TXRect{1, 10, 1, 12})) << c.name;
      EXPECT_EQ(pb.SizeHandles().TopHandle()->geometry().bottom() + 1, a->y()) << c.name;
    }
}

TEST_F(PlanboxTest, HandleReleasedOutsideTheGridChangesNothing) {
  pb.resize(900, 600);
  TXAction* a = Block({1, 6, 1, 7});
  pb.SelectAction(a);
  events.clear();
  QWidget* handle = pb.SizeHandles().BottomHandle();
  const QPoint from = handle->pos() + QPoint(20, 3);
  Press(handle, from);
  Move(handle, from + QPoint(0, 40));
  Release(handle, {from.x(), 24 * 16 + 40});  // below the last row
  EXPECT_TRUE(Events("edit").isEmpty());
  EXPECT_EQ(a->ActionRect, (TXRect{1, 6, 1, 7}));
  EXPECT_EQ(a->geometry(), Cells(a->ActionRect));
}

TEST_F(PlanboxTest, RightClickAndDoubleClick) {
  TXAction* a = Block({2, 3, 2, 4});
  Press(a, a->pos() + QPoint(5, 5), Qt::ControlModifier, Qt::RightButton);
  auto selects = Events("select");
  ASSERT_EQ(selects.size(), 1);
  EXPECT_EQ(selects[0].action, a);
  EXPECT_EQ(selects[0].button, Qt::RightButton);
  EXPECT_EQ(selects[0].mods, Qt::ControlModifier);
  EXPECT_EQ(rightClicks, QList<QWidget*>{a});
  EXPECT_EQ(pb.SelectedAction(), a);
  QTest::mouseRelease(a, Qt::RightButton, {}, QPoint(5, 5));

  Press(Grid(), {400, 300}, {}, Qt::RightButton);
  QTest::mouseRelease(Grid(), Qt::RightButton, {}, QPoint(400, 300));
  EXPECT_EQ(rightClicks.size(), 2);
  EXPECT_EQ(rightClicks[1], Grid());

  QTest::mouseDClick(a, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(a, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(dblClicks, QList<QWidget*>{a});
  EXPECT_TRUE(Events("edit").isEmpty());
}

TEST_F(PlanboxTest, AddEditDeleteAndSelect) {
  pb.SetStyle(TXActionStyle::xasXP);
  // The selection rectangle of the last drag goes with the add event.
  Press(Grid(), {70, 35});
  Move(Grid(), {70, 100});
  Release(Grid(), {70, 100});
  auto* a = new TXAction;
  a->ActionRect = {1, 2, 1, 6};
  events.clear();
  EXPECT_TRUE(pb.AddAction(a));
  ASSERT_EQ(Events("add").size(), 1);
  EXPECT_EQ(Events("add")[0].rect, (TXRect{1, 2, 1, 6}));
  EXPECT_EQ(a->parentWidget(), Grid());
  EXPECT_EQ(a->Style(), TXActionStyle::xasXP);
  EXPECT_EQ(a->geometry(), QRect(64 + 2, 32 + 2, 63, 5 * 16 - 1));
  EXPECT_TRUE(a->isVisible());

  auto* b = new TXAction;
  b->ActionRect = {1, 6, 1, 8};
  EXPECT_FALSE(pb.AddAction(b));  // shares row 6
  EXPECT_EQ(pb.ActionAt(1, 6), a);
  EXPECT_EQ(pb.ActionAt(1, 8), b);
  EXPECT_EQ(pb.ActionAt(2, 6), nullptr);

  b->ActionRect = {3, 6, 3, 8};
  events.clear();
  EXPECT_TRUE(pb.EditAction(b));
  ASSERT_EQ(Events("edit").size(), 1);
  EXPECT_EQ(Events("edit")[0].rect, (TXRect{3, 6, 3, 8}));
  EXPECT_EQ(b->x(), 3 * 64 + 2);
  b->ActionRect = {1, 5, 1, 5};  // onto a: reported, but not moved there
  EXPECT_FALSE(pb.EditAction(b));
  EXPECT_EQ(b->x(), 3 * 64 + 2);
  b->ActionRect = {3, 6, 3, 8};
  // A block that is not on the grid is judged by its rectangle.
  TXAction loose;
  loose.ActionRect = {1, 4, 1, 4};
  EXPECT_TRUE(pb.OverlapsOther(&loose));
  loose.ActionRect = {1, 7, 1, 9};
  EXPECT_FALSE(pb.OverlapsOther(&loose));

  events.clear();
  pb.SelectAction(b);
  EXPECT_EQ(pb.SelectedAction(), b);
  ASSERT_EQ(Events("select").size(), 1);
  EXPECT_EQ(Events("select")[0].button, Qt::LeftButton);
  EXPECT_TRUE(pb.SizeHandles().TopHandle()->isVisible());
  pb.SelectAction(nullptr);
  EXPECT_EQ(pb.SelectedAction(), nullptr);
  EXPECT_FALSE(pb.SizeHandles().TopHandle()->isVisible());

  EXPECT_TRUE(pb.DeleteAction(nullptr));
  TXAction stranger;
  EXPECT_FALSE(pb.DeleteAction(&stranger));
  EXPECT_TRUE(pb.DeleteAction(b));
  EXPECT_EQ(pb.Actions(), TXActionList{a});
  EXPECT_EQ(Events("delete").back().action, b);

  pb.ClearActions();
  EXPECT_TRUE(pb.Actions().isEmpty());
}

TEST_F(PlanboxTest, FillFreeCellsAndCarveCells) {
  Block({4, 34 % 24, 4, 35 % 24});  // rows 10..11
  TXActionList fresh;
  pb.FillFreeCells({4, 8, 4, 15}, fresh);
  ASSERT_EQ(fresh.size(), 2);
  EXPECT_EQ(fresh[0]->ActionRect, (TXRect{4, 8, 4, 9}));
  EXPECT_EQ(fresh[1]->ActionRect, (TXRect{4, 12, 4, 15}));
  EXPECT_EQ(pb.Actions().size(), 1);  // not added
  qDeleteAll(fresh);

  pb.ClearActions();
  TXAction* big = Block({4, 8, 4, 15});
  TXActionList carved;
  pb.CarveCells({4, 10, 4, 11}, carved);
  // Split around the rectangle: the upper part stays, a duplicate holds the lower part.
  EXPECT_EQ(big->ActionRect, (TXRect{4, 8, 4, 9}));
  EXPECT_EQ(big->geometry(), Cells({4, 8, 4, 9}));
  ASSERT_EQ(copies.size(), 1);
  EXPECT_EQ(copies[0]->ActionRect, (TXRect{4, 12, 4, 15}));
  EXPECT_EQ(copies[0]->geometry(), Cells({4, 12, 4, 15}));
  EXPECT_TRUE(copies[0]->isVisible());
  ASSERT_EQ(carved.size(), 1);
  EXPECT_EQ(carved[0]->ActionRect, (TXRect{4, 10, 4, 11}));
  EXPECT_EQ(pb.Actions().size(), 2);  // the new block is not added

  // Trimmed from below, deleted, trimmed from above.
  TXAction* upper = Block({5, 0, 5, 1});
  TXAction* inside = Block({5, 2, 5, 3});
  TXAction* lower = Block({5, 4, 5, 6});
  pb.CarveCells({5, 1, 5, 4}, carved);
  EXPECT_EQ(upper->ActionRect, (TXRect{5, 0, 5, 0}));
  EXPECT_EQ(lower->ActionRect, (TXRect{5, 5, 5, 6}));
  EXPECT_EQ(lower->geometry(), Cells({5, 5, 5, 6}));
  EXPECT_FALSE(pb.Actions().contains(inside));
  ASSERT_EQ(Events("delete").size(), 1);
  EXPECT_EQ(Events("delete")[0].action, inside);
  EXPECT_EQ(Events("edit").size(), 2);
  qDeleteAll(carved);
}

TEST_F(PlanboxTest, CenterWorkPeriod) {
  pb.SetAltColorRect({1, 8, 6, 18});  // columns 1..5, rows 8..17
  pb.resize(300, 200);
  QApplication::processEvents();
  pb.CenterWorkPeriod();
  const int vw = pb.viewport()->width();
  const int vh = pb.viewport()->height();
  const int freeCols = (vw - 5 * 64 - 32) / 64;
  const int freeRows = (vh - 10 * 16 - 24) / 16;
  EXPECT_EQ(pb.horizontalScrollBar()->value(),
            std::clamp((1 - freeCols / 2) * 64, 0, pb.horizontalScrollBar()->maximum()));
  EXPECT_EQ(pb.verticalScrollBar()->value(), (8 - freeRows / 2) * 16);
  EXPECT_EQ(pb.RowStrip()->x(), pb.horizontalScrollBar()->value());
  EXPECT_EQ(pb.verticalScrollBar()->singleStep(), 16);
  // The corner button does the same.
  pb.verticalScrollBar()->setValue(0);
  QTest::mouseClick(pb.CornerButton(), Qt::LeftButton);
  EXPECT_EQ(pb.verticalScrollBar()->value(), (8 - freeRows / 2) * 16);
}

TEST_F(PlanboxTest, PastedBlockFollowsTheMouseUntilDropped) {
  Block({2, 4, 2, 7});
  struct Case {
    QPoint to;
    bool kept;
    TXRect rect;
  } cases[] = {
      {{4 * 64 + 20, 12 * 16 + 32}, true, {4, 12, 4, 15}},  // free: centred under the mouse
      {{2 * 64 + 20, 6 * 16}, false, {}},                   // occupied: the paste is deleted
  };
  for (const Case& c : cases) {
    auto* pasted = new TXAction;
    pasted->ActionRect = {2, 5, 2, 8};
    EXPECT_FALSE(pb.AddAction(pasted));
    pb.SetPendingCopy(pasted);
    pb.StartDragging(pasted);
    events.clear();
    // The mouse moves without a button, then a click drops the block.
    QMouseEvent move(QEvent::MouseMove, QPointF(c.to - pasted->pos()),
                     QPointF(pasted->mapToGlobal(c.to - pasted->pos())), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(pasted, &move);
    Press(pasted, c.to);
    Release(pasted, c.to);
    if (c.kept) {
      ASSERT_EQ(Events("edit").size(), 1);
      EXPECT_EQ(pasted->ActionRect, c.rect);
      EXPECT_TRUE(pb.Actions().contains(pasted));
    } else {
      EXPECT_TRUE(Events("edit").isEmpty());
      ASSERT_EQ(Events("delete").size(), 1);
      EXPECT_EQ(Events("delete")[0].action, pasted);
      EXPECT_FALSE(pb.Actions().contains(pasted));
    }
  }
}

TEST_F(PlanboxTest, ABlockFreedElsewhereLeavesTheList) {
  TXAction* a = Block({1, 1, 1, 2});
  pb.SelectAction(a);
  pb.SetPendingCopy(a);
  delete a;
  EXPECT_TRUE(pb.Actions().isEmpty());
  EXPECT_EQ(pb.SelectedAction(), nullptr);
  EXPECT_EQ(pb.PendingCopy(), nullptr);
}

TEST_F(PlanboxTest, RedrawActionsFollowsANewCellSize) {
  TXAction* a = Block({2, 3, 2, 4});
  pb.SelectAction(a);
  pb.SetDefaultColWidth(100);
  pb.SetDefaultRowHeight(10);
  EXPECT_EQ(pb.GridArea()->size(), QSize(7 * 100, 24 * 10));
  pb.RedrawActions();
  EXPECT_EQ(a->geometry(), QRect(200, 30, 100, 20));
  EXPECT_EQ(pb.SizeHandles().TopHandle()->geometry(), QRect(200, 23, 100, 7));
  EXPECT_FALSE(PlanboxCursor(crDragAdd).pixmap().isNull());
  EXPECT_FALSE(PlanboxCursor(crDragInsert).pixmap().isNull());
}
