// The program's printer and the desktop's printer set-up dialog.
//
//   QPrinter& printer = ProgramPrinter();   // what the reports print on
//   PrinterSetup(mainWindow);               // the user chooses printer, paper and orientation
//
// The choice lasts for the run: every report prints on the same printer object. A hook
// installed with SetPrinterSetupHook replaces the dialog (tests); it gets the printer and
// returns whether the user accepted.
#pragma once

#include <functional>

class QPrinter;
class QWidget;

namespace hb {

using TPrinterSetupHook = std::function<bool(QPrinter& printer)>;

// The process-wide printer, made on first use for the desktop's default printer.
QPrinter& ProgramPrinter();

// Runs the set-up dialog on ProgramPrinter(); true when the user accepted. An error of the
// printing system is thrown as std::runtime_error with its text.
bool PrinterSetup(QWidget* parent);

// Installs a hook that replaces the dialog; returns the previous one. An empty hook restores
// the dialog.
TPrinterSetupHook SetPrinterSetupHook(TPrinterSetupHook hook);

}  // namespace hb
