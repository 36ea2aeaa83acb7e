// The planner's two drag cursors: "DRAGADD" (screen cursor 27, drawing a new period) and
// "DRAGINSERT" (screen cursor 28, drawing a period in insert mode). Both are small pictures
// built into the program; they are loaded once, when the first planner is created.
#pragma once

#include <QCursor>

namespace hb {

constexpr int crDragAdd = 27;
constexpr int crDragInsert = 28;

// Loads both cursors if that has not happened yet; a picture that cannot be loaded is reported
// with "XPlanbox: <name> cursor not loaded [Error <code>]" and replaced by the arrow.
void LoadPlanboxCursors();

// The cursor of a screen cursor number (27 or 28); the arrow for any other number.
QCursor PlanboxCursor(int id);

}  // namespace hb
