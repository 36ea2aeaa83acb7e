#include "data/termination.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace hb {

namespace {
bool terminating = false;
}

void RequestApplicationTermination() {
  terminating = true;
  if (QCoreApplication::instance()) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                              Qt::QueuedConnection);
  }
}

bool ApplicationTerminating() {
  return terminating;
}

void ResetApplicationTermination() {
  terminating = false;
}

}  // namespace hb
