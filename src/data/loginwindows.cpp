#include "data/loginwindows.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QWidget>

#include "data/autorisatie.h"
#include "data/frmanderegebruiker.h"
#include "data/frmgebruikersnaam.h"
#include "data/frmmedewautor.h"
#include "data/frmnotauthor.h"
#include "data/login.h"

namespace hb {

QHBoxLayout* MakeOkCancelRow(QWidget* owner, QPushButton*& ok, QPushButton*& cancel) {
  ok = new QPushButton(QObject::tr("&OK"), owner);
  ok->setObjectName("btnOK");
  ok->setDefault(true);
  cancel = new QPushButton(QObject::tr("&Annuleren"), owner);
  cancel->setObjectName("btnAnnuleren");
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(cancel);
  return row;
}

namespace {

bool HasScreen() {
  const QString platform = QGuiApplication::platformName();
  return !platform.isEmpty() && platform != "offscreen" && platform != "minimal";
}

}  // namespace

void InstallLoginWindows() {
  if (!HasScreen()) return;
  SetLoginDialog(&TfrmGebruikersnaam::Run);
  SetOtherEmployeeWindow(&TfrmAndereGebruiker::Run);
  SetNotAuthorWindow(&TfrmNotAuthor::Run);
  SetMedewAutorWindow(&TfrmMedewAutor::Run);
}

void RemoveLoginWindows() {
  SetLoginDialog({});
  SetOtherEmployeeWindow({});
  SetNotAuthorWindow({});
  SetMedewAutorWindow({});
}

}  // namespace hb
