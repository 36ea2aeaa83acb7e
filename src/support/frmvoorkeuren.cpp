#include "support/frmvoorkeuren.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace hb {

QColor TfrmVoorkeuren::ToQColor(TColor color) {
  return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

TColor TfrmVoorkeuren::FromQColor(const QColor& color) {
  return color.red() | (color.green() << 8) | (color.blue() << 16);
}

TPlannerSample::TPlannerSample(const TPersInstellingen& prefs, QWidget* parent)
    : QWidget(parent), prefs_(prefs), fontName_(prefs.FontName), fontSize_(prefs.FontSize) {
  setObjectName("pbxVoorbeeld");
  setMinimumSize(120, 80);
}

void TPlannerSample::SetSampleFont(const QString& name, int size) {
  fontName_ = name;
  fontSize_ = size;
  update();
}

void TPlannerSample::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect r = rect();
  const int rowH = r.height() / 4;
  // Outside office hours above and below, office hours in the middle.
  p.fillRect(r, TfrmVoorkeuren::ToQColor(prefs_.RestColor));
  p.fillRect(QRect(r.left(), r.top() + rowH, r.width(), 2 * rowH),
             TfrmVoorkeuren::ToQColor(prefs_.WorkColor));
  p.setPen(TfrmVoorkeuren::ToQColor(prefs_.GridColor));
  for (int i = 1; i <= 3; ++i)
    p.drawLine(r.left(), r.top() + i * rowH, r.right(), r.top() + i * rowH);

  QFont font(fontName_);
  font.setPointSize(qMax(1, fontSize_));
  p.setFont(font);
  const int blockW = r.width() / 2 - 12;
  const QRect normal(r.left() + 8, r.top() + rowH / 2, blockW, 2 * rowH);
  const QRect provisional(r.center().x() + 4, r.top() + rowH + rowH / 2, blockW, 2 * rowH);
  for (const auto& [block, fill] :
       {std::pair{normal, prefs_.ActionColor}, std::pair{provisional, prefs_.TempColor}}) {
    p.fillRect(block, TfrmVoorkeuren::ToQColor(fill));
    p.setPen(Qt::black);
    p.drawRect(block.adjusted(0, 0, -1, -1));
    p.setPen(TfrmVoorkeuren::ToQColor(prefs_.FontColor));
    p.drawText(block.adjusted(3, 2, -2, -2), Qt::AlignLeft | Qt::AlignTop, "ab|cd");
  }
}

TfrmVoorkeuren::TfrmVoorkeuren(TPersInstellingen& prefs, QWidget* parent)
    : QDialog(parent), prefs_(prefs) {
  setObjectName("frmVoorkeuren");
  setWindowTitle(tr("Persoonlijke voorkeuren"));
  setModal(true);
  picker_ = [this](TColor current, TColor& chosen) {
    const QColor c = QColorDialog::getColor(ToQColor(current), this);
    if (!c.isValid()) return false;
    chosen = FromQColor(c);
    return true;
  };

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName("pgcVoorkeuren");

  // Page 1: colours and font.
  auto* screen = new QWidget;
  auto* grpKleur = new QGroupBox(tr("Kleurinstellingen:"));
  auto* kleurGrid = new QGridLayout(grpKleur);
  const struct {
    const char* name;
    QString caption;
    TColor TPersInstellingen::*field;
  } boxes[] = {
      {"shpKantooruren", tr("Kantooruren"), &TPersInstellingen::WorkColor},
      {"shpBuitenKantooruren", tr("Buiten kantooruren"), &TPersInstellingen::RestColor},
      {"shpRasterlijnen", tr("Rasterlijnen"), &TPersInstellingen::GridColor},
      {"shpTijdblokken", tr("Tijdblokken"), &TPersInstellingen::ActionColor},
      {"shpVoorlopig", tr("Voorlopige tijdblokken"), &TPersInstellingen::TempColor},
      {"shpTekst", tr("Tekst"), &TPersInstellingen::FontColor},
  };
  int row = 0;
  for (const auto& b : boxes) {
    QPushButton* box = AddColorBox(b.name, b.caption, b.field);
    kleurGrid->addWidget(box, row, 0);
    auto* label = new QLabel(b.caption);
    label->setBuddy(box);
    kleurGrid->addWidget(label, row, 1);
    ++row;
  }
  sample_ = new TPlannerSample(prefs_);
  kleurGrid->addWidget(sample_, 0, 2, row - 1, 1);
  auto* btnStandaard = new QPushButton(tr("Standaardkleuren instellen"));
  btnStandaard->setObjectName("btnStandaardkleuren");
  kleurGrid->addWidget(btnStandaard, row - 1, 2);
  connect(btnStandaard, &QPushButton::clicked, this, [this] {
    prefs_.SetDefaultColors();
    UpdateColors();
  });

  auto* grpFont = new QGroupBox(tr("Lettertype:"));
  auto* fontGrid = new QGridLayout(grpFont);
  cbxFontName_ = new QComboBox;
  cbxFontName_->setObjectName("cbxFontName");
  // Editable, so that a stored font that is not installed here keeps its name.
  cbxFontName_->setEditable(true);
  cbxFontName_->addItems(QFontDatabase::families());
  edtFontSize_ = new QSpinBox;
  edtFontSize_->setObjectName("edtFontSize");
  edtFontSize_->setRange(1, 200);
  auto* lblFontName = new QLabel(tr("Letter&type:"));
  lblFontName->setBuddy(cbxFontName_);
  auto* lblFontSize = new QLabel(tr("Letter&grootte:"));
  lblFontSize->setBuddy(edtFontSize_);
  fontGrid->addWidget(lblFontName, 0, 0);
  fontGrid->addWidget(cbxFontName_, 0, 1);
  fontGrid->addWidget(lblFontSize, 1, 0);
  fontGrid->addWidget(edtFontSize_, 1, 1);
  auto updateFont = [this] {
    sample_->SetSampleFont(cbxFontName_->currentText(), edtFontSize_->value());
  };
  connect(cbxFontName_, &QComboBox::currentTextChanged, this, updateFont);
  connect(edtFontSize_, &QSpinBox::valueChanged, this, updateFont);

  auto* screenLayout = new QVBoxLayout(screen);
  screenLayout->addWidget(grpKleur);
  screenLayout->addWidget(grpFont);
  tabs_->addTab(screen, QString());

  // Page 2: behaviour.
  auto* behaviour = new QWidget;
  auto* grpGedrag = new QGroupBox(tr("Gedrag:"));
  auto* gedragLayout = new QVBoxLayout(grpGedrag);
  auto addCheck = [&](const char* name, const QString& caption) {
    auto* chk = new QCheckBox(caption);
    chk->setObjectName(name);
    gedragLayout->addWidget(chk);
    return chk;
  };
  chkWarnOverlap_ = addCheck("chkWarnOverlap", tr("Waarschuw bij overlappende tijden"));
  chkWarnDelete_ = addCheck("chkWarnDelete", tr("Wissen tijdsblok bevestigen"));
  chkCopyWerkz_ = addCheck("chkCopyWerkz", tr("Laatste werkzaamheden autom. kopiëren"));
  chkRightClickEdit_ =
      addCheck("chkRightClickEdit", tr("Projectvenster bij rechtsklikken op tijdblok"));
  gedragLayout->addStretch();
  auto* behaviourLayout = new QVBoxLayout(behaviour);
  behaviourLayout->addWidget(grpGedrag);
  tabs_->addTab(behaviour, QString());

  auto* buttons = new QDialogButtonBox;
  auto* btnOK = buttons->addButton(tr("&OK"), QDialogButtonBox::AcceptRole);
  btnOK->setObjectName("btnOK");
  btnOK->setDefault(true);
  auto* btnAnnuleren = buttons->addButton(tr("&Annuleren"), QDialogButtonBox::RejectRole);
  btnAnnuleren->setObjectName("btnAnnuleren");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons);
}

QPushButton* TfrmVoorkeuren::AddColorBox(const QString& name, const QString& caption,
                                         TColor TPersInstellingen::*field) {
  auto* box = new QPushButton;
  box->setObjectName(name);
  box->setToolTip(caption);
  box->setFixedSize(40, 20);
  box->setFlat(true);
  box->setAutoFillBackground(true);
  connect(box, &QPushButton::clicked, this, [this, field] {
    TColor chosen = prefs_.*field;
    if (picker_ && picker_(prefs_.*field, chosen)) {
      prefs_.*field = chosen;
      UpdateColors();
    }
  });
  colorBoxes_.append({box, field});
  return box;
}

void TfrmVoorkeuren::UpdateColors() {
  for (const auto& [box, field] : colorBoxes_) {
    const QColor c = ToQColor(prefs_.*field);
    box->setStyleSheet(QString("background-color: %1; border: 1px solid black;").arg(c.name()));
  }
  sample_->update();
}

void TfrmVoorkeuren::SetWerkzaamhedenInUse(bool inUse) {
  werkzInUse_ = inUse;
  chkCopyWerkz_->setVisible(inUse);
}

void TfrmVoorkeuren::FillFromObject() {
  tabs_->setTabText(0, tr("&Scherminstellingen"));
  tabs_->setTabText(1, tr("&Gedrag"));
  chkWarnOverlap_->setChecked(prefs_.WarnOverlap);
  chkWarnDelete_->setChecked(prefs_.WarnDelete);
  chkCopyWerkz_->setChecked(prefs_.CopyWerkz);
  chkCopyWerkz_->setVisible(werkzInUse_);
  chkRightClickEdit_->setChecked(prefs_.RightClickEdit);
  cbxFontName_->setCurrentText(prefs_.FontName);
  edtFontSize_->setValue(prefs_.FontSize);
  sample_->SetSampleFont(prefs_.FontName, prefs_.FontSize);
  UpdateColors();
}

void TfrmVoorkeuren::showEvent(QShowEvent* event) {
  FillFromObject();
  QDialog::showEvent(event);
}

void TfrmVoorkeuren::done(int result) {
  if (result == QDialog::Accepted) {
    prefs_.WarnOverlap = chkWarnOverlap_->isChecked();
    prefs_.WarnDelete = chkWarnDelete_->isChecked();
    // A hidden switch keeps the value it had when the window opened.
    prefs_.CopyWerkz = chkCopyWerkz_->isChecked();
    prefs_.RightClickEdit = chkRightClickEdit_->isChecked();
    const QString font = cbxFontName_->currentText().trimmed();
    if (!font.isEmpty()) prefs_.FontName = font;
    prefs_.FontSize = edtFontSize_->value();
    prefs_.Save();
  } else {
    prefs_.Load();
  }
  QDialog::done(result);
}

}  // namespace hb
