// TfrmMedewAutor: the authorisation editor of one employee and one stam type — the authorised
// items and the others, in two sorted multi-select lists.
//
//   TMedewAutor editor;
//   editor.Load("JAN", stKlant);
//   if (TfrmMedewAutor::Run(editor)) editor.Save();   // false: closed with "&Annuleren"
//
// Entries move to the other list by the actions Select / Clear (the selected entries),
// SelectAll / ClearAll (all entries), a double click on an entry, or dragging the selected
// entries onto the other list. Closing the window any other way than with "&Annuleren" (or
// Esc) counts as "&Opslaan".
#pragma once

#include <QDialog>
#include <QListWidget>

class QAction;
class QLabel;
class QPushButton;
class QToolButton;

namespace hb {

class TMedewAutor;

// A list box whose selected entries can be dragged onto its partner list.
class TAutorListBox : public QListWidget {
  Q_OBJECT

 public:
  explicit TAutorListBox(QWidget* parent = nullptr);
  void SetPartner(QListWidget* partner) { partner_ = partner; }

 signals:
  // The selected entries of this list were dropped on the partner.
  void DroppedOnPartner();

 protected:
  void startDrag(Qt::DropActions supportedActions) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QListWidget* partner_ = nullptr;
  bool dragging_ = false;
};

class TfrmMedewAutor : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmMedewAutor(TMedewAutor& editor, QWidget* parent = nullptr);

  static bool Run(TMedewAutor& editor);

  // Whether the window was left with "&Annuleren".
  bool Cancelled() const { return cancelled_; }

  QLabel* lblGeautoriseerd;
  QLabel* lblOverig;
  TAutorListBox* lbxGeautoriseerd;
  TAutorListBox* lbxOverig;
  QAction* Select;
  QAction* Clear;
  QAction* SelectAll;
  QAction* ClearAll;
  QAction* CloseForm;
  QAction* CancelForm;
  QToolButton* btnSelect;
  QToolButton* btnClear;
  QToolButton* btnSelectAll;
  QToolButton* btnClearAll;
  QPushButton* btnOpslaan;
  QPushButton* btnAnnuleren;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void Refill();
  void MoveSelected(QListWidget* from, bool toAuthorised);
  void MoveAllEntries(bool toAuthorised);
  QToolButton* ActionButton(QAction* action, const QString& name);

  TMedewAutor& editor_;
  bool cancelled_ = false;
};

}  // namespace hb
