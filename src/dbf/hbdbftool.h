// hbdbf: the table engine's command-line tool for administrators and scripts.
//
//   hbdbf info TABLE                       header, fields, memo and index file
//   hbdbf dump TABLE [--deleted] [--tag NAME] [--filter EXPR]
//   hbdbf eval TABLE|- EXPR [--recno N]
//   hbdbf tags TABLE
//   hbdbf check TABLE                      every tag against the keys of the records
//   hbdbf reindex TABLE
//
// Exit codes: 0 success, 1 a failure the command found, 2 bad usage or an engine error.
// Stored text is Windows-1252 and is written out as Unicode text.
#pragma once

#include <QStringList>
#include <QTextStream>

namespace hb {

int RunDbfTool(const QStringList& args, QTextStream& out, QTextStream& err);

}  // namespace hb
