#include "util/startutil.h"

#include "util/crashhandler.h"
#include "util/formats.h"
#include "util/pathcontext.h"

namespace hb {

bool StartUtilities(const QStringList& arguments, const QString& programFile) {
  InitCrashHandler(arguments);
  InitFormats();
  return InitPaths(programFile);
}

}  // namespace hb
