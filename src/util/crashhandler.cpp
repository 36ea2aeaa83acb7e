#include "util/crashhandler.h"

#include <QCoreApplication>
#include <cstdlib>
#include <typeinfo>

#include "platform/dialogservice.h"
#include "platform/folders.h"
#include "util/log.h"

namespace hb {

namespace {

struct TCrashSettings {
  QString subject = "Fout in %s";
  bool debug = false;
  bool reporting = false;  // guards against an exception thrown while reporting
};

TCrashSettings& Settings() {
  static TCrashSettings settings;
  return settings;
}

QString TypeName(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return QString::fromLatin1(typeid(e).name());
  } catch (...) {
    return "unknown";
  }
}

[[noreturn]] void OnTerminate() {
  if (std::exception_ptr error = std::current_exception()) {
    Log(CrashSubject() + ": " + ExceptionMessage(error));
  } else {
    Log(CrashSubject() + ": program aborted");
  }
  std::abort();
}

}  // namespace

void InitCrashHandler(const QStringList& arguments) {
  Settings().subject = QCoreApplication::translate("CrashHandler", "Fout in %s");
  Settings().debug = false;
  for (const QString& arg : arguments) {
    if (arg.compare("/debug", Qt::CaseInsensitive) == 0) Settings().debug = true;
  }
  std::set_terminate(OnTerminate);
}

QString CrashSubject() {
  QString subject = Settings().subject;
  if (subject.contains("%s")) subject.replace("%s", ProgramFilePath());
  return subject;
}

bool CrashDebugMode() {
  return Settings().debug;
}

QString ExceptionMessage(std::exception_ptr error) {
  if (!error) return {};
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return QString::fromUtf8(e.what());
  } catch (...) {
    return QCoreApplication::translate("CrashHandler", "Onbekende fout");
  }
}

void ReportException(std::exception_ptr error) {
  if (!error || Settings().reporting) return;
  Settings().reporting = true;
  try {
    const QString subject = CrashSubject();
    const QString message = ExceptionMessage(error);
    Log(subject + ": " + message);
    QString shown = message;
    if (Settings().debug) shown += "\n\n(" + TypeName(error) + ")";
    Dialogs().Error(subject, shown);
  } catch (...) {
    // Reporting must not fail in turn; the log line may be all that is left.
  }
  Settings().reporting = false;
}

}  // namespace hb
