#include "app/frmconverter.h"

#include <QAction>
#include <QCalendarWidget>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QVBoxLayout>

#include "util/calendarfuncs.h"
#include "util/formats.h"

namespace hb {

namespace {

QString Tr(const char* text) {
  return QCoreApplication::translate("TfrmDateTimestampConverter", text);
}

}  // namespace

TfrmDateTimestampConverter::TfrmDateTimestampConverter(QWidget* owner)
    : QWidget(owner,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName("frmDateTimestampConverter");
  setWindowTitle(Tr("Datum/timestamp converter"));
  QFont font("Arial");
  font.setPixelSize(11);
  setFont(font);
  setFixedSize(180, 105);

  auto addBox = [this](const char* caption, int labelTop, const char* name, QRect geometry) {
    auto* box = new QLineEdit(this);
    box->setObjectName(name);
    box->setGeometry(geometry);
    auto* label = new QLabel(Tr(caption), this);
    label->move(0, labelTop);
    label->setBuddy(box);  // the label's accelerator focuses its box
    return box;
  };
  edtTimestamp_ = addBox("&Timestamp:", 4, "edtTimestamp", QRect(55, 0, 121, 22));
  edtDateTime_ = addBox("D&ateTime:", 26, "edtDateTime", QRect(55, 22, 121, 22));
  edtDate_ = addBox("&Datum:", 48, "edtDate", QRect(55, 44, 121, 21));
  edtTime_ = addBox("T&ijd:", 70, "edtTime", QRect(55, 66, 121, 22));
  // Optional first hour digit, ":" kept, blanks shown as "_".
  edtTime_->setInputMask("09:99;_");
  edtTime_->setText("  :  ");

  QAction* dropDown =
      edtDate_->addAction(style()->standardIcon(QStyle::SP_ArrowDown), QLineEdit::TrailingPosition);
  dropDown->setObjectName("actDropDownCalendar");
  connect(dropDown, &QAction::triggered, this, &TfrmDateTimestampConverter::DropDownCalendar);

  lblDatumTijd_ = new QLabel(this);
  lblDatumTijd_->setObjectName("lblDatumTijd");
  lblDatumTijd_->setGeometry(0, 89, 177, 13);
  lblDatumTijd_->setAlignment(Qt::AlignCenter);
  QFont bold("Arial");
  bold.setPixelSize(11);
  bold.setBold(true);
  lblDatumTijd_->setFont(bold);
  QPalette navy = lblDatumTijd_->palette();
  navy.setColor(QPalette::WindowText, QColor(0, 0, 0x80));
  lblDatumTijd_->setPalette(navy);

  connect(edtTimestamp_, &QLineEdit::textChanged, this, [this] { BoxChanged(TSource::Timestamp); });
  connect(edtDateTime_, &QLineEdit::textChanged, this, [this] { BoxChanged(TSource::DateTime); });
  connect(edtDate_, &QLineEdit::textChanged, this, [this] { BoxChanged(TSource::DateOrTime); });
  connect(edtTime_, &QLineEdit::textChanged, this, [this] { BoxChanged(TSource::DateOrTime); });

  // The window sees the keys before its boxes do. A shortcut would not do: while a tool
  // window is active, window shortcuts go to its owner.
  installEventFilter(this);
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

void TfrmDateTimestampConverter::Toggle() {
  if (isVisible()) {
    hide();
    return;
  }
  if (!shownBefore_ && parentWidget()) {
    const QRect owner = parentWidget()->window()->frameGeometry();
    move(owner.center() - QPoint(width() / 2, height() / 2));
  }
  shownBefore_ = true;
  show();
  raise();
  activateWindow();
}

bool TfrmDateTimestampConverter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers mods =
        key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (key->key() == Qt::Key_F12 && mods == (Qt::ControlModifier | Qt::AltModifier)) {
      // Claimed before any shortcut; the key press that follows toggles the window.
      if (event->type() == QEvent::KeyPress) Toggle();
      event->accept();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TfrmDateTimestampConverter::BoxChanged(TSource source) {
  // Filling the other boxes must not set off their own reactions.
  if (reacting_) return;
  reacting_ = true;
  TConverterTexts texts{edtTimestamp_->text(), edtDateTime_->text(), edtDate_->text(),
                        edtTime_->text(), lblDatumTijd_->text()};
  switch (source) {
    case TSource::Timestamp:
      ConvertFromTimestamp(texts);
      edtDateTime_->setText(texts.DateTime);
      edtDate_->setText(texts.Date);
      edtTime_->setText(texts.Time);
      break;
    case TSource::DateTime:
      ConvertFromDateTime(texts);
      edtTimestamp_->setText(texts.Timestamp);
      edtDate_->setText(texts.Date);
      edtTime_->setText(texts.Time);
      break;
    case TSource::DateOrTime:
      ConvertFromDateAndTime(texts);
      edtTimestamp_->setText(texts.Timestamp);
      edtDateTime_->setText(texts.DateTime);
      break;
  }
  lblDatumTijd_->setText(texts.Label);
  reacting_ = false;
}

void TfrmDateTimestampConverter::DropDownCalendar() {
  auto* popup = new QWidget(this, Qt::Popup);
  popup->setAttribute(Qt::WA_DeleteOnClose);
  popup->setObjectName("pnlCalendarPopup");
  auto* layout = new QVBoxLayout(popup);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* calendar = new QCalendarWidget(popup);
  calendar->setObjectName("calDropDown");
  layout->addWidget(calendar);
  double current = 0;
  calendar->setSelectedDate(ParseDate(edtDate_->text(), current) ? MomentToDate(current)
                                                                 : QDate::currentDate());
  connect(calendar, &QCalendarWidget::clicked, popup, [this, popup](const QDate& date) {
    edtDate_->setText(DateText(DateToMoment(date)));
    popup->close();
  });
  connect(calendar, &QCalendarWidget::activated, popup, [this, popup](const QDate& date) {
    edtDate_->setText(DateText(DateToMoment(date)));
    popup->close();
  });
  popup->adjustSize();
  popup->move(edtDate_->mapToGlobal(QPoint(0, edtDate_->height())));
  popup->show();
  calendar->setFocus();
}

}  // namespace hb
