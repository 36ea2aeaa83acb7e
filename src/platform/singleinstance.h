// One running instance per user and executable name.
//
//   TSingleInstance instance("hblite");        // at start, before the main window
//   if (instance.AnotherIsRunning()) {
//     instance.ActivateRunning();              // the first one comes to the front
//     ...                                      // and this one ends
//   } else {
//     connect(&instance, &TSingleInstance::ActivationRequested, ...BringToFront(mainWindow));
//   }
//
// The first instance listens on a local socket named after the login name and the
// executable's file name; a socket left behind by a crashed instance is taken over.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QWidget;

namespace hb {

class TSingleInstance : public QObject {
  Q_OBJECT
 public:
  // executableName: the executable's file name with extension; empty means this program's.
  explicit TSingleInstance(const QString& executableName = {}, QObject* parent = nullptr);
  ~TSingleInstance() override;

  // True when another instance was already running when this object was made.
  bool AnotherIsRunning() const { return anotherRunning_; }
  // Asks the running instance to come to the front; true when the request was delivered.
  bool ActivateRunning(int timeoutMs = 1000);
  const QString& ServerName() const { return serverName_; }

 signals:
  // A later instance asked this one to come to the front.
  void ActivationRequested();

 private:
  QString serverName_;
  QLocalServer* server_ = nullptr;
  bool anotherRunning_ = false;
};

// Shows a window normally when minimised, raises and activates it.
void BringToFront(QWidget* window);

}  // namespace hb
