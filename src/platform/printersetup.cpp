#include "platform/printersetup.h"

#include <QCoreApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <stdexcept>

namespace hb {

namespace {

TPrinterSetupHook& Hook() {
  static TPrinterSetupHook hook;
  return hook;
}

}  // namespace

QPrinter& ProgramPrinter() {
  // Kept until the process ends: freeing it after the application object is gone would
  // reach into the print system's plugins, which are unloaded by then.
  static QPrinter* printer = new QPrinter(QPrinter::HighResolution);
  return *printer;
}

TPrinterSetupHook SetPrinterSetupHook(TPrinterSetupHook hook) {
  TPrinterSetupHook previous = std::move(Hook());
  Hook() = std::move(hook);
  return previous;
}

bool PrinterSetup(QWidget* parent) {
  QPrinter& printer = ProgramPrinter();
  if (Hook()) return Hook()(printer);
  if (!printer.isValid()) {
    throw std::runtime_error(
        QCoreApplication::translate("PrinterSetup", "Geen printer beschikbaar").toStdString());
  }
  QPrintDialog dialog(&printer, parent);
  dialog.setWindowTitle(QCoreApplication::translate("PrinterSetup", "Printerinstelling"));
  // Only the choice of printer and its settings: no page range or copies to print now.
  dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace hb
