#include "util/guardedapplication.h"

#include "util/crashhandler.h"

namespace hb {

THbApplication::THbApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool THbApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ReportException(std::current_exception());
    return false;
  }
}

}  // namespace hb
