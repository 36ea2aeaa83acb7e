#include "util/placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "platform/inifile.h"
#include "util/pathcontext.h"

namespace hb {

namespace {

int StateOf(const QWidget* w) {
  if (w->isMinimized()) return 1;
  if (w->isMaximized()) return 2;
  return 0;
}

bool OnSomeScreen(const QRect& rect) {
  const auto screens = QGuiApplication::screens();
  if (screens.isEmpty()) return true;
  for (const QScreen* screen : screens) {
    if (screen->geometry().intersects(rect)) return true;
  }
  return false;
}

}  // namespace

void RestorePlacement(QWidget* window, const QString& name) {
  RestorePlacement(window, name, SecondIni());
}

void SavePlacement(QWidget* window, const QString& name) {
  SavePlacement(window, name, SecondIni());
}

void RestorePlacement(QWidget* window, const QString& name, const TIniFile& ini) {
  if (!window || ini.ReadString(name, "Left").trimmed().isEmpty()) return;
  const int state = ini.ReadInteger(name, "WindowState", StateOf(window));
  if (window->isVisible()) {
    if (state == 2) {
      window->showMaximized();
      return;
    }
    if (state == 1) {
      window->showMinimized();
    } else {
      window->showNormal();
    }
  }
  const QPoint pos = window->pos();
  const QSize size = window->size();
  const int left = ini.ReadInteger(name, "Left", pos.x());
  const int top = ini.ReadInteger(name, "Top", pos.y());
  const int height = ini.ReadInteger(name, "Height", size.height());
  const int width = ini.ReadInteger(name, "Width", size.width());
  if (!OnSomeScreen(QRect(left, top, qMax(width, 1), qMax(height, 1)))) return;
  window->move(left, top);
  window->resize(width, height);
}

void SavePlacement(QWidget* window, const QString& name, TIniFile& ini) {
  if (!window) return;
  // A minimised or maximised window is remembered with its normal bounds.
  const bool normal = StateOf(window) == 0 || !window->normalGeometry().isValid();
  const QPoint pos = window->pos();
  const QRect bounds = normal ? QRect(pos, window->size()) : window->normalGeometry();
  ini.WriteInteger(name, "Left", bounds.x());
  ini.WriteInteger(name, "Top", bounds.y());
  ini.WriteInteger(name, "Height", bounds.height());
  ini.WriteInteger(name, "Width", bounds.width());
  ini.WriteInteger(name, "WindowState", StateOf(window));
}

}  // namespace hb
