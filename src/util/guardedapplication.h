// The program's application object: a QApplication whose event delivery catches every
// exception that would otherwise reach the event loop, and reports it (crashhandler.h).
// The program goes on running afterwards, as the event that raised it is dropped.
#pragma once

#include <QApplication>

namespace hb {

class THbApplication : public QApplication {
 public:
  THbApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace hb
