#include "data/loginwindows.h"

#include <QGuiApplication>

#include "data/autorisatie.h"
#include "data/frmanderegebruiker.h"
#include "data/frmgebruikersnaam.h"
#include "data/frmmedewautor.h"
#include "data/frmnotauthor.h"
#include "data/login.h"

namespace hb {

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
