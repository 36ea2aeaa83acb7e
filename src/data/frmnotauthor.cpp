#include "data/frmnotauthor.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/loginwindows.h"

namespace hb {

TfrmNotAuthor::TfrmNotAuthor(QWidget* parent) : QDialog(parent) {
  setObjectName("frmNotAuthor");
  setWindowTitle(tr("Ontbrekende autorisaties"));

  auto* text = new QLabel(tr("Voor de volgende stamgegevens zijn geen autorisaties aanwezig. "
                             "Hier kan dus door niemand op worden geboekt."),
                          this);
  text->setWordWrap(true);
  lbxNotAuthor = new QListWidget(this);
  lbxNotAuthor->setObjectName("lbxNotAuthor");

  QHBoxLayout* buttons = MakeOkCancelRow(this, btnOK, btnAnnuleren);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text);
  layout->addWidget(lbxNotAuthor);
  layout->addLayout(buttons);

  connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnAnnuleren, &QPushButton::clicked, this, &QDialog::reject);
}

bool TfrmNotAuthor::Run(const QStringList& items) {
  TfrmNotAuthor dialog;
  dialog.Fill(items);
  return dialog.exec() == QDialog::Accepted;
}

void TfrmNotAuthor::Fill(const QStringList& items) {
  lbxNotAuthor->clear();
  lbxNotAuthor->addItems(items);
}

}  // namespace hb
