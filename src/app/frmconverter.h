// The date/timestamp converter: a small tool window with four boxes (epoch timestamp, day
// number, date, time) that fill each other while the user types, and a label with the
// moment of the timestamp box.
//
//   auto* frm = new TfrmDateTimestampConverter(mainWindow);   // all boxes empty
//   frm->Toggle();                // shown, centred on its owner the first time
//
// Ctrl+Alt+F12 (with or without Shift) in the window hides it again; it keeps its contents
// while hidden. The conversions themselves live in converter.h.
#pragma once

#include <QWidget>

#include "app/converter.h"

class QLabel;
class QLineEdit;

namespace hb {

class TfrmDateTimestampConverter : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmDateTimestampConverter(QWidget* owner = nullptr);

  // Hides the window when it is shown, shows and activates it otherwise.
  void Toggle();

  QLineEdit* edtTimestamp() const { return edtTimestamp_; }
  QLineEdit* edtDateTime() const { return edtDateTime_; }
  QLineEdit* edtDate() const { return edtDate_; }
  QLineEdit* edtTime() const { return edtTime_; }
  QLabel* lblDatumTijd() const { return lblDatumTijd_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class TSource { Timestamp, DateTime, DateOrTime };
  void BoxChanged(TSource source);
  void DropDownCalendar();

  QLineEdit* edtTimestamp_;
  QLineEdit* edtDateTime_;
  QLineEdit* edtDate_;
  QLineEdit* edtTime_;
  QLabel* lblDatumTijd_;
  bool reacting_ = false;
  bool shownBefore_ = false;
};

}  // namespace hb
