// The window "Persoonlijke voorkeuren": planner colours and font, and behaviour switches.
//
//   TfrmVoorkeuren frm(*PersInstellingen(), mainWindow);
//   if (frm.exec() == QDialog::Accepted) ApplyPreferences();
//
// Colour choices go into the preferences object at once; "&OK" takes the switches and the
// font as well and saves the object; "&Annuleren" or closing otherwise loads the object
// again from the personal ini, which undoes the colours chosen in the window.
#pragma once

#include <QDialog>
#include <functional>

#include "support/persinstellingen.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace hb {

// The small planner drawn in the window: backgrounds inside and outside office hours,
// grid lines, a normal and a provisional block with sample text.
class TPlannerSample : public QWidget {
  Q_OBJECT
 public:
  explicit TPlannerSample(const TPersInstellingen& prefs, QWidget* parent = nullptr);
  void SetSampleFont(const QString& name, int size);
  QSize sizeHint() const override { return {160, 90}; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  const TPersInstellingen& prefs_;
  QString fontName_;
  int fontSize_ = 8;
};

class TfrmVoorkeuren : public QDialog {
  Q_OBJECT
 public:
  // Chooses a colour starting from current; false when the user cancelled.
  using TColorPicker = std::function<bool(TColor current, TColor& chosen)>;

  explicit TfrmVoorkeuren(TPersInstellingen& prefs, QWidget* parent = nullptr);

  // The copy switch is shown only while the work description field is in use.
  void SetWerkzaamhedenInUse(bool inUse);
  // Replaces the colour dialog (tests).
  void SetColorPicker(TColorPicker picker) { picker_ = std::move(picker); }

  void done(int result) override;

  static QColor ToQColor(TColor color);
  static TColor FromQColor(const QColor& color);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QPushButton* AddColorBox(const QString& name, const QString& caption,
                           TColor TPersInstellingen::*field);
  void FillFromObject();
  void UpdateColors();

  TPersInstellingen& prefs_;
  TColorPicker picker_;
  bool werkzInUse_ = true;
  QTabWidget* tabs_ = nullptr;
  QList<QPair<QPushButton*, TColor TPersInstellingen::*>> colorBoxes_;
  QComboBox* cbxFontName_ = nullptr;
  QSpinBox* edtFontSize_ = nullptr;
  QCheckBox* chkWarnOverlap_ = nullptr;
  QCheckBox* chkWarnDelete_ = nullptr;
  QCheckBox* chkCopyWerkz_ = nullptr;
  QCheckBox* chkRightClickEdit_ = nullptr;
  TPlannerSample* sample_ = nullptr;
};

}  // namespace hb
