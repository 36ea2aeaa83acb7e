#include "platform/singleinstance.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>
#include <cstring>

namespace {

TEST(SingleInstance, SecondInstanceFindsTheFirstAndAsksItToComeForward) {
  const QString exe = QString("hbtest-%1").arg(QCoreApplication::applicationPid());
  hb::TSingleInstance first(exe);
  ASSERT_FALSE(first.AnotherIsRunning());
  QSignalSpy spy(&first, &hb::TSingleInstance::ActivationRequested);

  hb::TSingleInstance second(exe);
  EXPECT_TRUE(second.AnotherIsRunning());
  EXPECT_TRUE(second.ActivateRunning());
  EXPECT_TRUE(QTest::qWaitFor([&] { return spy.count() == 1; }, 3000));

  hb::TSingleInstance otherProgram(exe + "-other");
  EXPECT_FALSE(otherProgram.AnotherIsRunning());
}

TEST(SingleInstance, SocketLeftByACrashedInstanceIsTakenOver) {
  const QString exe = QString("hbstale-%1").arg(QCoreApplication::applicationPid());
  QString name;
  {
    hb::TSingleInstance probe(exe);
    name = probe.ServerName();
  }
  // A killed process leaves its socket file behind with nobody listening on it.
  const QByteArray path = (QDir::tempPath() + "/" + name).toLocal8Bit();
  int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, path.constData(), sizeof(addr.sun_path) - 1);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
  ::close(fd);
  ASSERT_TRUE(QFileInfo::exists(QString::fromLocal8Bit(path)));

  hb::TSingleInstance after(exe);
  EXPECT_FALSE(after.AnotherIsRunning());
  hb::TSingleInstance second(exe);
  EXPECT_TRUE(second.AnotherIsRunning());
}

}  // namespace
