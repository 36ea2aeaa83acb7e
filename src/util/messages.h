// The program's message box and confirmation questions, shown through the dialog service.
//
//   ShowWarning("Bestand ontbreekt");          // title: the program name, one OK button
//   if (AskYesNo("Record verwijderen?", false)) ...       // "Bevestiging", "&Ja" / "&Nee"
//   switch (AskYesNoAlways("Tabel", "Herstructureren?")) {
//     case TDialogAnswer::Yes / No / Always / Never / Cancel: ...
//   }
#pragma once

#include <QString>

#include "platform/dialogservice.h"

namespace hb {

void ShowWarning(const QString& text);
bool AskYesNo(const QString& question, bool defaultYes);
TDialogAnswer AskYesNoAlways(const QString& title, const QString& prompt);

// The program name used as title of warning boxes (the executable's name without extension).
QString ProgramTitle();

}  // namespace hb
