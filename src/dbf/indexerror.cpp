#include "dbf/indexerror.h"

#include "dbf/dbfcommon.h"

namespace hb {

std::string FormatIndexMessage(const char* format, std::initializer_list<std::string> args) {
  return FormatDbfMessageRange(format, args.begin(), args.end());
}

void RaiseIndexError(const char* format, std::initializer_list<std::string> args) {
  throw EDbfError(FormatIndexMessage(format, args));
}

void RaiseIndexCorrupt(const std::string& path, int64_t offset, const std::string& what) {
  throw EDbfError(FormatIndexMessage("Index file %s is corrupted", {path}) + " (offset " +
                  std::to_string(offset) + ": " + what + ")");
}

}  // namespace hb
