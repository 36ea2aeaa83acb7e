#include "controls/planboxcursors.h"

#include <QPixmap>

#include "util/messages.h"

namespace hb {

namespace {

// An arrow with a small plus sign beside it (add) or a horizontal bar with two arrow heads
// beside it (insert). 'X' black, '.' white, ' ' transparent; hot spot at the arrow's tip.
const char* const kDragAdd[] = {
    "20 20 3 1",
    "  c None",
    ". c #FFFFFF",
    "X c #000000",
    "X                   ",
    "XX                  ",
    "X.X                 ",
    "X..X                ",
    "X...X               ",
    "X....X              ",
    "X.....X             ",
    "X......X            ",
    "X.......X           ",
    "X....XXXX    XXX    ",
    "X..X.X       X.X    ",
    "X.X X.X    XXX.XXX  ",
    "XX   X.X   X.....X  ",
    "      X.X  XXX.XXX  ",
    "       XX    X.X    ",
    "             XXX    ",
    "                    ",
    "                    ",
    "                    ",
    "                    ",
};

const char* const kDragInsert[] = {
    "20 20 3 1",
    "  c None",
    ". c #FFFFFF",
    "X c #000000",
    "X                   ",
    "XX                  ",
    "X.X                 ",
    "X..X                ",
    "X...X               ",
    "X....X              ",
    "X.....X             ",
    "X......X            ",
    "X.......X           ",
    "X....XXXX     X     ",
    "X..X.X       X.X    ",
    "X.X X.X     X...X   ",
    "XX   X.X XXXXXXXXX  ",
    "      X.X X.......X ",
    "       XX XXXXXXXXX ",
    "            X...X   ",
    "             X.X    ",
    "              X     ",
    "                    ",
    "                    ",
};

struct TCursors {
  bool loaded = false;
  QCursor add;
  QCursor insert;
};

TCursors& Cursors() {
  static TCursors cursors;
  return cursors;
}

QCursor Load(const char* const* xpm, const char* name) {
  QPixmap pixmap(xpm);
  if (pixmap.isNull()) {
    ShowWarning(QStringLiteral("XPlanbox: %1 cursor not loaded [Error %2]")
                    .arg(QLatin1String(name))
                    .arg(0));
    return QCursor(Qt::ArrowCursor);
  }
  return QCursor(pixmap, 0, 0);
}

}  // namespace

void LoadPlanboxCursors() {
  TCursors& c = Cursors();
  if (c.loaded) return;
  c.loaded = true;
  c.add = Load(kDragAdd, "DRAGADD");
  c.insert = Load(kDragInsert, "DRAGINSERT");
}

QCursor PlanboxCursor(int id) {
  LoadPlanboxCursors();
  if (id == crDragAdd) return Cursors().add;
  if (id == crDragInsert) return Cursors().insert;
  return QCursor(Qt::ArrowCursor);
}

}  // namespace hb
