// The info window: its contents, Alt+V, the modal Info use with its close button, the
// splash screen's end and the history file in a developer's folder.
#include "support/info.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "support/frminfo.h"
#include "testutil.h"
#include "util/version.h"

namespace {

void Activate(QWidget* w) {
  w->show();
  w->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w));
}

TEST(InfoWindow, ShowsVersionAndDateAndTogglesTheHistoryWithAltV) {
  hb::TfrmInfo frm;
  EXPECT_TRUE(frm.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(frm.lblVersie()->text(), "Versie " + hb::VersionText());
  EXPECT_FALSE(frm.lblVersieDatum()->text().isEmpty());
  EXPECT_EQ(frm.lblVersieDatum()->text(), hb::FileDateText());
  EXPECT_TRUE(frm.memHistory()->isHidden());
  EXPECT_TRUE(frm.btnSluiten()->isHidden());
  EXPECT_TRUE(frm.btnSluiten()->isDefault());
  EXPECT_FALSE(hb::HistoryText().isEmpty());
  EXPECT_EQ(frm.memHistory()->toPlainText(), hb::HistoryText());

  frm.setWindowTitle("caption");
  Activate(&frm);
  EXPECT_EQ(frm.windowTitle(), "") << "activation clears the caption";
  QTest::keyClick(&frm, Qt::Key_V, Qt::AltModifier);
  ASSERT_TRUE(frm.memHistory()->isVisible());
  EXPECT_EQ(frm.memHistory()->geometry(), frm.rect());
  EXPECT_TRUE(frm.memHistory()->hasFocus());
  // The window sees the key even while the history has the focus.
  QTest::keyClick(frm.memHistory(), Qt::Key_V, Qt::AltModifier);
  EXPECT_FALSE(frm.memHistory()->isVisible());
}

TEST(InfoWindow, InfoIsModalWithItsCloseButton) {
  hb::TfrmInfo frm;
  bool buttonShown = false;
  QTimer::singleShot(50, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_EQ(modal, &frm);
    buttonShown = frm.btnSluiten()->isVisible();
    QTest::keyClick(frm.btnSluiten(), Qt::Key_S, Qt::AltModifier);
  });
  EXPECT_EQ(frm.ShowInfo(), QDialog::Accepted);
  EXPECT_TRUE(buttonShown);
  EXPECT_FALSE(frm.isVisible());
}

TEST(InfoWindow, SplashEndsWhenAnotherWindowTakesTheFocus) {
  QPointer<hb::TfrmInfo> splash = hb::TfrmInfo::ShowSplash();
  ASSERT_TRUE(splash);
  EXPECT_EQ(splash->objectName(), "splashfrmInfo");
  EXPECT_TRUE(splash->isVisible());
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  Activate(splash);

  QWidget other;
  Activate(&other);
  for (int i = 0; i < 100 && splash; ++i) QTest::qWait(10);
  EXPECT_FALSE(splash) << "the splash frees itself";
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // Ended by hand (the main window's first activation) it does the same, once.
  splash = hb::TfrmInfo::ShowSplash();
  splash->EndSplash();
  splash->EndSplash();
  EXPECT_EQ(splash->objectName(), "");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  for (int i = 0; i < 100 && splash; ++i) QTest::qWait(10);
  EXPECT_FALSE(splash);
}

TEST(InfoWindow, ActivationWritesTheHistoryOnlyInADevelopersFolder) {
  QTemporaryDir root;
  ASSERT_TRUE(QDir(root.path()).mkdir("work"));
  const QString previous = QDir::currentPath();
  QDir::setCurrent(root.filePath("work"));
  {
    hb::TfrmInfo frm;
    Activate(&frm);
  }
  EXPECT_FALSE(QFile::exists(root.filePath("history.txt")));
  EXPECT_FALSE(QFile::exists(root.filePath("work/history.txt")));

  // "develop.vrt" in the parent folder: the history goes there.
  ASSERT_TRUE(hbtest::WriteFile(root.filePath("develop.vrt"), ""));
  {
    hb::TfrmInfo frm;
    Activate(&frm);
  }
  QDir::setCurrent(previous);
  EXPECT_EQ(QString::fromUtf8(hbtest::ReadFile(root.filePath("history.txt"))), hb::HistoryText());
  EXPECT_FALSE(QFile::exists(root.filePath("work/history.txt")));
}

}  // namespace
