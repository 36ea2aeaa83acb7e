// Memory of window placements: one section per window in the second ini (keys Left, Top,
// Height, Width, WindowState: 0 normal, 1 minimised, 2 maximised).
//
//   RestorePlacement(this, "SearchForm");   // while the window is built, before it is shown
//   SavePlacement(this, "SearchForm");      // when it closes
//
// Restoring does nothing when Left is missing or empty. A window that is already visible
// gets the saved state (maximised stops there); then Left, Top, Height and Width are set,
// each defaulting to the current value. Bounds that would put the window outside every
// screen are not applied, so a window never comes back unreachable. Left/Top are the
// outer position; Width/Height the window's own size without the frame, so that a window
// does not grow by its frame at every restore. Write errors are ignored.
//
// This file works on widgets; logic code does not include it.
#pragma once

#include <QString>

class QWidget;

namespace hb {

class TIniFile;

void RestorePlacement(QWidget* window, const QString& name);
void SavePlacement(QWidget* window, const QString& name);
void RestorePlacement(QWidget* window, const QString& name, const TIniFile& ini);
void SavePlacement(QWidget* window, const QString& name, TIniFile& ini);

}  // namespace hb
