// Start of the utility library, before any window exists.
//
//   if (!hb::StartUtilities(QCoreApplication::arguments())) return 0;   // user said No
//
// In this order: the crash handler (subject, "/debug"), the program's date formats and
// month and day names (InitFormats), then the path context (InitPaths: program ini, machine
// ini as second ini, data folder with its creation question, log file, temp folder, [Paths]
// list, personal ini name). Returns false when the data folder is missing and the user
// does not want it created: the program then ends.
#pragma once

#include <QString>
#include <QStringList>

namespace hb {

bool StartUtilities(const QStringList& arguments, const QString& programFile = {});

}  // namespace hb
