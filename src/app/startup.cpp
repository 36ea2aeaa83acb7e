#include "app/startup.h"

#include <QApplication>
#include <QMainWindow>

namespace hb {

int RunProgram(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow w;
  w.setWindowTitle("Hourbook");
  w.show();
  return app.exec();
}

}  // namespace hb
