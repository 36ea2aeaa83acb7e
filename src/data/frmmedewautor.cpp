#include "data/frmmedewautor.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "data/autorisatie.h"

namespace hb {

// ---- list box

TAutorListBox::TAutorListBox(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  // Dragging is enabled so that a press on a selected entry keeps the selection for the drag.
  setDragEnabled(true);
  setDragDropMode(QAbstractItemView::DragOnly);
}

void TAutorListBox::startDrag(Qt::DropActions) {
  // The drag stays inside this window: the mouse remains with this list until it is
  // released, and the release decides.
  dragging_ = true;
  setCursor(Qt::DragMoveCursor);
}

void TAutorListBox::mouseReleaseEvent(QMouseEvent* event) {
  if (dragging_) {
    dragging_ = false;
    unsetCursor();
    if (partner_) {
      const QPoint global = event->globalPosition().toPoint();
      const QPoint local = partner_->mapFromGlobal(global);
      if (partner_->isVisible() && partner_->rect().contains(local)) {
        event->accept();
        emit DroppedOnPartner();
        return;
      }
    }
  }
  QListWidget::mouseReleaseEvent(event);
}

// ---- window

TfrmMedewAutor::TfrmMedewAutor(TMedewAutor& editor, QWidget* parent)
    : QDialog(parent), editor_(editor) {
  setObjectName("frmMedewAutor");
  setWindowTitle(editor.Caption());

  Select = new QAction("<", this);
  Select->setObjectName("Select");
  Select->setToolTip(tr("Voeg geselecteerd item aan de geautoriseerde lijst toe"));
  Clear = new QAction(">", this);
  Clear->setObjectName("Clear");
  Clear->setToolTip(tr("Verwijder geselecteerd item uit de geautoriseerde lijst"));
  SelectAll = new QAction("<<", this);
  SelectAll->setObjectName("SelectAll");
  SelectAll->setToolTip(tr("Voeg alle items aan de geautoriseerde lijst toe"));
  ClearAll = new QAction(">>", this);
  ClearAll->setObjectName("ClearAll");
  ClearAll->setToolTip(tr("Verwijder alle items uit de geautoriseerde lijst"));
  CloseForm = new QAction(tr("&Opslaan"), this);
  CloseForm->setObjectName("CloseForm");
  CloseForm->setToolTip(tr("Sla wijzigingen op en sluit deze dialoog"));
  CancelForm = new QAction(tr("&Annuleren"), this);
  CancelForm->setObjectName("CancelForm");
  CancelForm->setToolTip(tr("Sla wijzigingen niet op en sluit de dialoog"));

  lblGeautoriseerd = new QLabel(editor.AuthorisedLabel(), this);
  lblGeautoriseerd->setObjectName("lblGeautoriseerd");
  lblOverig = new QLabel(editor.OtherLabel(), this);
  lblOverig->setObjectName("lblOverig");
  lbxGeautoriseerd = new TAutorListBox(this);
  lbxGeautoriseerd->setObjectName("lbxGeautoriseerd");
  lbxOverig = new TAutorListBox(this);
  lbxOverig->setObjectName("lbxOverig");
  lbxGeautoriseerd->SetPartner(lbxOverig);
  lbxOverig->SetPartner(lbxGeautoriseerd);
  lblGeautoriseerd->setBuddy(lbxGeautoriseerd);
  lblOverig->setBuddy(lbxOverig);

  btnSelect = ActionButton(Select, "btnSelect");
  btnClear = ActionButton(Clear, "btnClear");
  btnSelectAll = ActionButton(SelectAll, "btnSelectAll");
  btnClearAll = ActionButton(ClearAll, "btnClearAll");
  auto* moves = new QVBoxLayout;
  moves->addStretch();
  moves->addWidget(btnSelect);
  moves->addWidget(btnClear);
  moves->addSpacing(12);
  moves->addWidget(btnSelectAll);
  moves->addWidget(btnClearAll);
  moves->addStretch();

  auto* grid = new QGridLayout;
  grid->addWidget(lblGeautoriseerd, 0, 0);
  grid->addWidget(lblOverig, 0, 2);
  grid->addWidget(lbxGeautoriseerd, 1, 0);
  grid->addLayout(moves, 1, 1);
  grid->addWidget(lbxOverig, 1, 2);

  btnOpslaan = new QPushButton(CloseForm->text(), this);
  btnOpslaan->setObjectName("btnOpslaan");
  btnOpslaan->setToolTip(CloseForm->toolTip());
  btnOpslaan->setDefault(true);
  btnAnnuleren = new QPushButton(CancelForm->text(), this);
  btnAnnuleren->setObjectName("btnAnnuleren");
  btnAnnuleren->setToolTip(CancelForm->toolTip());
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnOpslaan);
  buttons->addWidget(btnAnnuleren);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);

  connect(Select, &QAction::triggered, this, [this] { MoveSelected(lbxOverig, true); });
  connect(Clear, &QAction::triggered, this, [this] { MoveSelected(lbxGeautoriseerd, false); });
  connect(SelectAll, &QAction::triggered, this, [this] { MoveAllEntries(true); });
  connect(ClearAll, &QAction::triggered, this, [this] { MoveAllEntries(false); });
  connect(CloseForm, &QAction::triggered, this, &QDialog::accept);
  connect(CancelForm, &QAction::triggered, this, &TfrmMedewAutor::reject);
  connect(btnOpslaan, &QPushButton::clicked, CloseForm, &QAction::trigger);
  connect(btnAnnuleren, &QPushButton::clicked, CancelForm, &QAction::trigger);
  connect(lbxGeautoriseerd, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    if (editor_.Move({item->text()}, false)) Refill();
  });
  connect(lbxOverig, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    if (editor_.Move({item->text()}, true)) Refill();
  });
  connect(lbxGeautoriseerd, &TAutorListBox::DroppedOnPartner, this,
          [this] { MoveSelected(lbxGeautoriseerd, false); });
  connect(lbxOverig, &TAutorListBox::DroppedOnPartner, this,
          [this] { MoveSelected(lbxOverig, true); });

  Refill();
}

bool TfrmMedewAutor::Run(TMedewAutor& editor) {
  TfrmMedewAutor dialog(editor);
  dialog.exec();
  return !dialog.Cancelled();
}

QToolButton* TfrmMedewAutor::ActionButton(QAction* action, const QString& name) {
  auto* button = new QToolButton(this);
  button->setObjectName(name);
  button->setDefaultAction(action);
  return button;
}

void TfrmMedewAutor::Refill() {
  lbxGeautoriseerd->clear();
  lbxGeautoriseerd->addItems(editor_.Authorised());
  lbxOverig->clear();
  lbxOverig->addItems(editor_.Other());
}

void TfrmMedewAutor::MoveSelected(QListWidget* from, bool toAuthorised) {
  QStringList names;
  for (const QListWidgetItem* item : from->selectedItems()) names << item->text();
  if (editor_.Move(names, toAuthorised)) Refill();
}

void TfrmMedewAutor::MoveAllEntries(bool toAuthorised) {
  QListWidget* from = toAuthorised ? lbxOverig : lbxGeautoriseerd;
  from->selectAll();
  MoveSelected(from, toAuthorised);
}

void TfrmMedewAutor::closeEvent(QCloseEvent* event) {
  // Closing by the window frame saves, as "&Opslaan" does.
  if (isVisible()) accept();
  event->accept();
}

void TfrmMedewAutor::reject() {
  cancelled_ = true;
  QDialog::reject();
}

}  // namespace hb
