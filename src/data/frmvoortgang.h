// TfrmVoortgang: the default progress display of the dataset layer — a small tool window,
// always on top and centred on the screen, filled by one gauge; its caption shows the text.
//
//   SetProgressDisplayFactory(&TfrmVoortgang::Make);   // at program start
//
// Progress(minimum, position, caption, maximum) sets caption and gauge and shows the window;
// minimum equal to maximum hides it.
#pragma once

#include <QWidget>
#include <memory>

#include "data/vrtdbfdataset.h"

class QProgressBar;

namespace hb {

class TfrmVoortgang : public QWidget, public TProgressDisplay {
  Q_OBJECT

 public:
  explicit TfrmVoortgang(QWidget* parent = nullptr);

  void Progress(int minimum, int position, const QString& caption, int maximum) override;
  QProgressBar* Gauge() const { return gauge_; }

  static std::unique_ptr<TProgressDisplay> Make();

 private:
  QProgressBar* gauge_;
};

}  // namespace hb
