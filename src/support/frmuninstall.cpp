#include "support/frmuninstall.h"

#include <QCoreApplication>

#include "platform/dialogservice.h"
#include "support/uninstall.h"

namespace hb {

QString TfrmUninstall::Question() {
  return QCoreApplication::translate(
      "TfrmUninstall",
      "U heeft er voor gekozen om Hourbook weer te de-installeren. Omdat we er naar streven om "
      "het programma zo goed mogelijk te maken zouden we graag willen weten waarom u Hourbook "
      "niet gebruikt.\nHiervoor heeft u een actieve connectie met internet nodig.\n\nBent u "
      "bereid om hier aan mee te werken?");
}

bool TfrmUninstall::Execute(const QString& programFolder, const QString& languageCode) {
  if (!Dialogs().Question("Hourbook", Question(), true)) return false;
  WriteUninstallShortcut(programFolder, languageCode);  // nothing is reported on failure
  return true;
}

}  // namespace hb
