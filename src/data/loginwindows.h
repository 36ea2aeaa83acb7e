// The windows of the login and the authorisation upkeep, installed for the logic that shows
// them: the login dialog, "Andere medewerker", "Ontbrekende autorisaties" and the
// authorisation editor.
//
//   InstallLoginWindows();   // at program start
//
// Without a screen (the offscreen or minimal platform) nothing is installed, so that the
// logic answers without a window as the dialog service does: the login name is asked through
// the dialog service, the missing authorisations become a question, and choosing another
// employee and editing authorisations do nothing.
#pragma once

class QHBoxLayout;
class QPushButton;
class QWidget;

namespace hb {

// The "&OK" (default) and "&Annuleren" buttons of these windows, right-aligned in a row.
QHBoxLayout* MakeOkCancelRow(QWidget* owner, QPushButton*& ok, QPushButton*& cancel);

void InstallLoginWindows();
void RemoveLoginWindows();

}  // namespace hb
