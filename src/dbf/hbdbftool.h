// hbdbf: the table engine's command-line tool for administrators and scripts.
//
//   hbdbf info TABLE                       header, fields, memo and index file
//   hbdbf dump TABLE [--deleted] [--tag NAME] [--filter EXPR]
//   hbdbf eval TABLE|- EXPR [--recno N]
//   hbdbf tags TABLE
//   hbdbf check TABLE                      every tag against the keys of the records
//   hbdbf seek TABLE TAG KEY [--partial]   the record number of a key, or "not found"
//   hbdbf reindex TABLE                    progress on stderr
//   hbdbf pack TABLE                       progress on stderr
//
// Exit codes: 0 success, 1 a check found a difference or a seek found nothing, 2 bad usage
// or an engine error.
// Stored text is Windows-1252 and is written out as Unicode text.
#pragma once

#include <QStringList>
#include <QTextStream>
#include <string>
#include <vector>

#include "dbf/cdxfile.h"
#include "dbf/dbffields.h"

namespace hb {

struct TTagDifference {
  std::string Tag;   // the tag's name
  std::string What;  // one difference, as a line of text (Windows-1252)
};

// Walks every tag of index and compares its entries with the keys computed from the
// records of table, which index must compute its keys from (each record is positioned
// physically). Empty when every tag agrees with the table.
std::vector<TTagDifference> CompareTagsWithRecords(TDbfFields& table, TCdxFile& index);

int RunDbfTool(const QStringList& args, QTextStream& out, QTextStream& err);

}  // namespace hb
