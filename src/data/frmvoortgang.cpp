#include "data/frmvoortgang.h"

#include <QGuiApplication>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

namespace hb {

TfrmVoortgang::TfrmVoortgang(QWidget* parent)
    : QWidget(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint) {
  setObjectName("frmVoortgang");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  gauge_ = new QProgressBar(this);
  gauge_->setObjectName("Gauge");
  gauge_->setTextVisible(true);
  layout->addWidget(gauge_);
  setFixedSize(124, 27);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - rect().center());
  }
}

void TfrmVoortgang::Progress(int minimum, int position, const QString& caption, int maximum) {
  setWindowTitle(caption);
  gauge_->setRange(minimum, qMax(minimum, maximum));
  gauge_->setValue(qBound(minimum, position, qMax(minimum, maximum)));
  if (minimum == maximum) {
    hide();
  } else {
    show();
    raise();
  }
}

std::unique_ptr<TProgressDisplay> TfrmVoortgang::Make() {
  return std::make_unique<TfrmVoortgang>();
}

}  // namespace hb
