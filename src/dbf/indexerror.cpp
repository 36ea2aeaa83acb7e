#include "dbf/indexerror.h"

#include "dbf/dbfcommon.h"

namespace hb {

std::string FormatIndexMessage(const char* format, std::initializer_list<std::string> args) {
  std::string out;
  auto next = args.begin();
  for (const char* p = format; *p; ++p) {
    if (p[0] == '%' && (p[1] == 's' || p[1] == 'd')) {
      if (next != args.end()) out += *next++;
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

void RaiseIndexError(const char* format, std::initializer_list<std::string> args) {
  throw EDbfError(FormatIndexMessage(format, args));
}

void RaiseIndexCorrupt(const std::string& path, int64_t offset, const std::string& what) {
  throw EDbfError(FormatIndexMessage("Index file %s is corrupted", {path}) + " (offset " +
                  std::to_string(offset) + ": " + what + ")");
}

}  // namespace hb
