// TfrmNotAuthor: the window "Ontbrekende autorisaties" — the items nobody may book on.
//
//   if (!TfrmNotAuthor::Run(MissingAuthorisations())) ...   // "&Annuleren" chosen
#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

namespace hb {

class TfrmNotAuthor : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmNotAuthor(QWidget* parent = nullptr);

  // True for "&OK".
  static bool Run(const QStringList& items);

  void Fill(const QStringList& items);

  QListWidget* lbxNotAuthor;
  QPushButton* btnOK;
  QPushButton* btnAnnuleren;
};

}  // namespace hb
