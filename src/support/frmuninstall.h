// The question shown instead of the program when it is started with "/UNINSTALL": would
// the user tell us on a web page why Hourbook goes? "&Ja" writes the internet shortcut
// that the uninstaller opens (uninstall.h); "&Nee" writes nothing.
//
//   TfrmUninstall().Execute(Paths().ProgramFolder, languageCode);
//
// The question is a Ja/Nee box of the dialog service (title "Hourbook", "&Ja" the default,
// Esc is "&Nee"), so scripted runs answer it like any other question.
#pragma once

#include <QString>

namespace hb {

class TfrmUninstall {
 public:
  static QString Question();

  // Asks; on "&Ja" the shortcut is written into programFolder (a failure is not reported).
  // True when the user agreed.
  bool Execute(const QString& programFolder, const QString& languageCode);
};

}  // namespace hb
