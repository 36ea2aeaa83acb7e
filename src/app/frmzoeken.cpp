#include "app/frmzoeken.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "app/zoeken.h"
#include "data/dmdbase.h"
#include "data/flexfields.h"
#include "data/stamlists.h"
#include "util/placement.h"

namespace hb {

namespace {

QString Tr(const char* text) {
  return QCoreApplication::translate("TfrmZoeken", text);
}

constexpr int kClientWidth = 346;
constexpr int kClientHeight = 308;
constexpr int kTopHeight = 67;
constexpr int kBottomHeight = 33;
constexpr int kItemHeight = 14;
constexpr int kTabStopDialogUnits = 30;

// Draws the result lines with their tab characters expanded to fixed tab stops, one line of
// kItemHeight pixels per item, so that the columns of the lines stand under each other.
class TTabStopDelegate : public QStyledItemDelegate {
 public:
  TTabStopDelegate(const QFont& font, QObject* parent) : QStyledItemDelegate(parent) {
    // Horizontal dialog units: a quarter of the font's average character width.
    const QFontMetrics fm(font);
    const int alphabet =
        fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int baseUnit = (alphabet / 26 + 1) / 2;
    tabStop_ = kTabStopDialogUnits * baseUnit / 4.0;
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (opt.state & QStyle::State_Active) ? QPalette::Active
                                                                            : QPalette::Inactive;
    const QPalette::ColorRole role =
        (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text;
    QTextOption textOption(Qt::AlignLeft | Qt::AlignVCenter);
    textOption.setWrapMode(QTextOption::NoWrap);
    textOption.setTabStopDistance(tabStop_);
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(group, role));
    painter->drawText(QRectF(area), text, textOption);
    painter->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(kItemHeight);
    return size;
  }

 private:
  qreal tabStop_ = 0;
};

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
  auto* button = new QPushButton(Tr(caption), parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

TfrmZoeken::TfrmZoeken(TShowWeek showWeek, QWidget* owner)
    : QDialog(owner), showWeek_(std::move(showWeek)) {
  setObjectName("frmZoeken");
  setWindowTitle(Tr("Zoeken"));
  QFont font("Arial");
  font.setPixelSize(11);
  setFont(font);

  grpboxGegevens_ = new QGroupBox(Tr("Zoek naar: "), this);
  grpboxGegevens_->setObjectName("grpboxGegevens");
  lblWerkzaamheden_ = new QLabel(grpboxGegevens_);
  lblWerkzaamheden_->setObjectName("lblWerkzaamheden");
  chkToonStam_ = new QCheckBox(Tr("&Toon stamgeg."), grpboxGegevens_);
  chkToonStam_->setObjectName("chkToonStam");
  chkToonStam_->setToolTip(Tr("Toon van gevonden items ook de stamgegevens in de resultaatlijst"));
  edtWerkzaamheden_ = new QLineEdit(grpboxGegevens_);
  edtWerkzaamheden_->setObjectName("edtWerkzaamheden");
  edtWerkzaamheden_->setMaxLength(120);
  lblWerkzaamheden_->setBuddy(edtWerkzaamheden_);

  grpboxResultaat_ = new QGroupBox(Tr("&Resultaat:"), this);
  grpboxResultaat_->setObjectName("grpboxResultaat");
  lbxResult_ = new QListWidget(grpboxResultaat_);
  lbxResult_->setObjectName("lbxResult");
  lbxResult_->setSelectionMode(QAbstractItemView::SingleSelection);
  lbxResult_->setUniformItemSizes(true);
  lbxResult_->setItemDelegate(new TTabStopDelegate(font, lbxResult_));
  auto* resultLayout = new QVBoxLayout(grpboxResultaat_);
  resultLayout->setContentsMargins(4, 4, 4, 4);
  resultLayout->addWidget(lbxResult_);
  // The group box's "&R" mark focuses its first child: the list.

  pnlBottom_ = new QWidget(this);
  pnlBottom_->setObjectName("pnlBottom");
  btnSelectWeek_ = Button(pnlBottom_, "btnSelectWeek", "Selecteer &week");
  btnZoek_ = Button(pnlBottom_, "btnZoek", "&Zoek");
  btnZoek_->setDefault(true);  // Enter searches
  btnSluiten_ = Button(pnlBottom_, "btnSluiten", "&Sluiten");

  setTabOrder(edtWerkzaamheden_, chkToonStam_);
  setTabOrder(chkToonStam_, lbxResult_);
  setTabOrder(lbxResult_, btnSelectWeek_);
  setTabOrder(btnSelectWeek_, btnZoek_);
  setTabOrder(btnZoek_, btnSluiten_);

  connect(btnZoek_, &QPushButton::clicked, this, &TfrmZoeken::btnZoekClick);
  connect(btnSluiten_, &QPushButton::clicked, this, &QDialog::reject);
  connect(btnSelectWeek_, &QPushButton::clicked, this, &TfrmZoeken::ShowSelectedWeek);
  connect(lbxResult_, &QListWidget::itemDoubleClicked, this, &TfrmZoeken::ShowSelectedWeek);
  connect(lbxResult_, &QListWidget::itemSelectionChanged, this, &TfrmZoeken::UpdateWeekButton);
  edtWerkzaamheden_->installEventFilter(this);

  setMinimumSize(240, 160);
  resize(kClientWidth, kClientHeight);
  // Centred on the screen the first time; a saved placement wins.
  if (const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - QPoint(kClientWidth / 2, kClientHeight / 2));
  RestorePlacement(this, "SearchForm");
  lblWerkzaamheden_->setText(FlexFldWerkzaamheden().Caption);
  lblWerkzaamheden_->adjustSize();
  UpdateWeekButton();
}

void TfrmZoeken::Open() {
  setWindowModality(Qt::ApplicationModal);
  show();
  raise();
  activateWindow();
}

void TfrmZoeken::btnZoekClick() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  // Also when an error breaks the search off: the error itself goes on to the program's
  // general error handling.
  struct TFinish {
    TfrmZoeken* frm;
    ~TFinish() {
      QApplication::restoreOverrideCursor();
      frm->UpdateWeekButton();
      frm->edtWerkzaamheden_->selectAll();
    }
  } finish{this};

  lbxResult_->clear();
  lbxResult_->repaint();
  TdmDBase* dm = DmDBase();
  const QStringList lines =
      dm ? ZoekWerkzaamheden(dm->tblUren, edtWerkzaamheden_->text(), CurrentMedewerker().IdText(),
                             chkToonStam_->isChecked())
         : QStringList{ZoekGeenResultaten()};
  lbxResult_->addItems(lines);
}

void TfrmZoeken::ShowSelectedWeek() {
  const QList<QListWidgetItem*> selected = lbxResult_->selectedItems();
  if (selected.isEmpty()) return;
  const QDate date = ZoekRegelDatum(selected.first()->text());
  if (date.isValid() && showWeek_) showWeek_(date);
}

void TfrmZoeken::UpdateWeekButton() {
  const QString first = lbxResult_->count() > 0 ? lbxResult_->item(0)->text() : QString();
  btnSelectWeek_->setEnabled(ZoekWeekKnopAan(!lbxResult_->selectedItems().isEmpty(), first));
}

void TfrmZoeken::done(int result) {
  SavePlacement(this, "SearchForm");
  QDialog::done(result);
}

void TfrmZoeken::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  UpdateWeekButton();
  edtWerkzaamheden_->setFocus();
  edtWerkzaamheden_->selectAll();
}

void TfrmZoeken::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  const int w = width(), h = height();
  const int grow = w - kClientWidth;  // what the right-anchored controls move by
  grpboxGegevens_->setGeometry(0, 0, w, kTopHeight);
  lblWerkzaamheden_->move(9, 17);
  chkToonStam_->setGeometry(216 + grow, 13, 124, 17);
  edtWerkzaamheden_->setGeometry(7, 36, 330 + grow, 22);
  grpboxResultaat_->setGeometry(0, kTopHeight, w, h - kTopHeight - kBottomHeight);
  pnlBottom_->setGeometry(0, h - kBottomHeight, w, kBottomHeight);
  btnSelectWeek_->setGeometry(5, 4, 116, 25);
  btnSluiten_->setGeometry(w - 5 - 75, 4, 75, 25);
  btnZoek_->setGeometry(w - 5 - 75 - 4 - 75, 4, 75, 25);
}

bool TfrmZoeken::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edtWerkzaamheden_ && event->type() == QEvent::FocusIn)
    edtWerkzaamheden_->selectAll();
  return QDialog::eventFilter(watched, event);
}

}  // namespace hb
