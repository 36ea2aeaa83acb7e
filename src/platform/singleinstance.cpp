#include "platform/singleinstance.h"

#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QWidget>

#include "platform/folders.h"

namespace hb {

namespace {
const QByteArray kRaise = "raise\n";
}

TSingleInstance::TSingleInstance(const QString& executableName, QObject* parent) : QObject(parent) {
  QString exe = executableName.isEmpty() ? QFileInfo(ProgramFilePath()).fileName() : executableName;
  QString name = "hourbook-" + LoginName() + "-" + exe;
  name.replace(QRegularExpression("[^A-Za-z0-9._-]"), "_");
  serverName_ = name;

  QLocalSocket probe;
  probe.connectToServer(serverName_);
  if (probe.waitForConnected(500)) {
    anotherRunning_ = true;
    probe.disconnectFromServer();
    return;
  }
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(serverName_)) {
    // Nobody answered, so the socket is left from an instance that ended without cleaning up.
    QLocalServer::removeServer(serverName_);
    if (!server_->listen(serverName_)) {
      // Another instance won a race with us between the probe and the listen.
      anotherRunning_ = server_->serverError() == QAbstractSocket::AddressInUseError;
      delete server_;
      server_ = nullptr;
      return;
    }
  }
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        if (socket->readAll().contains(kRaise)) emit ActivationRequested();
      });
      if (socket->bytesAvailable() > 0 && socket->readAll().contains(kRaise)) {
        emit ActivationRequested();
      }
    }
  });
}

TSingleInstance::~TSingleInstance() {
  if (server_) server_->close();
}

bool TSingleInstance::ActivateRunning(int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(serverName_);
  if (!socket.waitForConnected(timeoutMs)) return false;
  socket.write(kRaise);
  bool ok = socket.waitForBytesWritten(timeoutMs);
  socket.disconnectFromServer();
  return ok;
}

void BringToFront(QWidget* window) {
  if (!window) return;
  if (window->isMinimized()) {
    window->showNormal();
  } else if (!window->isVisible()) {
    window->show();
  }
  window->raise();
  window->activateWindow();
}

}  // namespace hb
