#include "util/messages.h"

#include <QFileInfo>

#include "platform/folders.h"
#include "util/pathcontext.h"
#include "util/paths.h"

namespace hb {

QString ProgramTitle() {
  if (!Paths().ProgramName.isEmpty()) return Paths().ProgramName;
  return BaseName(QFileInfo(ProgramFilePath()).fileName());
}

void ShowWarning(const QString& text) {
  Dialogs().Warning(ProgramTitle(), text);
}

bool AskYesNo(const QString& question, bool defaultYes) {
  return Dialogs().Confirm(question, defaultYes);
}

TDialogAnswer AskYesNoAlways(const QString& title, const QString& prompt) {
  return Dialogs().YesNoAlways(title, prompt);
}

}  // namespace hb
