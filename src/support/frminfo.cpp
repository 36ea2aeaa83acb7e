#include "support/frminfo.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>

#include "support/info.h"
#include "util/version.h"

namespace hb {

namespace {

QString Tr(const char* text) {
  return QCoreApplication::translate("TfrmInfo", text);
}

}  // namespace

TfrmInfo::TfrmInfo(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setObjectName("frmInfo");
  setFixedSize(320, 170);

  auto* pnlInfo = new QFrame(this);
  pnlInfo->setObjectName("pnlInfo");
  pnlInfo->setFrameShape(QFrame::Panel);
  pnlInfo->setFrameShadow(QFrame::Raised);
  pnlInfo->setLineWidth(2);
  auto* outer = new QGridLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(pnlInfo);

  auto* grid = new QGridLayout(pnlInfo);
  grid->setContentsMargins(16, 16, 16, 12);
  auto* imgIcon = new QLabel(pnlInfo);
  imgIcon->setObjectName("imgIcon");
  QIcon icon = QApplication::windowIcon();
  if (icon.isNull())
    icon = QIcon::fromTheme("hourbook", style()->standardIcon(QStyle::SP_ComputerIcon));
  imgIcon->setPixmap(icon.pixmap(48, 48));
  grid->addWidget(imgIcon, 0, 0, 3, 1, Qt::AlignTop);

  auto* lblTitel = new QLabel("Hourbook", pnlInfo);
  lblTitel->setObjectName("lblTitel");
  QFont titleFont = lblTitel->font();
  titleFont.setPointSize(titleFont.pointSize() + 6);
  titleFont.setBold(true);
  lblTitel->setFont(titleFont);
  grid->addWidget(lblTitel, 0, 1);

  lblVersie_ = new QLabel(VersionCaption(), pnlInfo);
  lblVersie_->setObjectName("lblVersie");
  grid->addWidget(lblVersie_, 1, 1);
  lblVersieDatum_ = new QLabel(FileDateText(), pnlInfo);
  lblVersieDatum_->setObjectName("lblVersieDatum");
  grid->addWidget(lblVersieDatum_, 2, 1);
  grid->setRowStretch(3, 1);

  btnSluiten_ = new QPushButton(Tr("&Sluiten"), pnlInfo);
  btnSluiten_->setObjectName("btnSluiten");
  btnSluiten_->setDefault(true);
  btnSluiten_->hide();
  connect(btnSluiten_, &QPushButton::clicked, this, &QDialog::accept);
  grid->addWidget(btnSluiten_, 4, 1, Qt::AlignRight);

  // The history lies over the whole window when shown (see resizeEvent).
  memHistory_ = new QPlainTextEdit(this);
  memHistory_->setObjectName("memHistory");
  memHistory_->setReadOnly(true);
  memHistory_->setPlainText(HistoryText());
  memHistory_->hide();

  // A window shortcut sees the key before the focused control does.
  auto* altV = new QShortcut(QKeySequence("Alt+V"), this);
  connect(altV, &QShortcut::activated, this, &TfrmInfo::ToggleHistory);

  CenterOnScreen();
}

TfrmInfo::~TfrmInfo() {
  ReleaseCursor();
}

TfrmInfo* TfrmInfo::ShowSplash() {
  auto* splash = new TfrmInfo();
  splash->setObjectName("splashfrmInfo");
  splash->splash_ = true;
  splash->setWindowTitle(QString());
  QApplication::setOverrideCursor(Qt::WaitCursor);
  splash->holdsCursor_ = true;
  splash->show();
  splash->repaint();
  return splash;
}

void TfrmInfo::EndSplash() {
  if (!splash_) return;
  splash_ = false;
  setObjectName(QString());
  ReleaseCursor();
  hide();
  deleteLater();
}

int TfrmInfo::ShowInfo() {
  btnSluiten_->show();
  CenterOnScreen();
  return exec();
}

void TfrmInfo::ToggleHistory() {
  if (memHistory_->isVisible()) {
    memHistory_->hide();
    if (btnSluiten_->isVisible()) btnSluiten_->setFocus();
    return;
  }
  memHistory_->setGeometry(rect());
  memHistory_->show();
  memHistory_->raise();
  memHistory_->setFocus();
}

bool TfrmInfo::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) {
    setWindowTitle(QString());
    SaveHistoryForDeveloper();  // only in a developer's folder
  } else if (event->type() == QEvent::WindowDeactivate && splash_) {
    // The main window took the focus: the splash has done its work.
    EndSplash();
  }
  return QDialog::event(event);
}

void TfrmInfo::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  memHistory_->setGeometry(rect());
}

void TfrmInfo::done(int result) {
  ReleaseCursor();
  QDialog::done(result);
}

void TfrmInfo::CenterOnScreen() {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  move(area.center() - QPoint(width() / 2, height() / 2));
}

void TfrmInfo::ReleaseCursor() {
  if (!holdsCursor_) return;
  holdsCursor_ = false;
  QApplication::restoreOverrideCursor();
}

}  // namespace hb
