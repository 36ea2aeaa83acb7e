#include "util/log.h"

#include <QCoreApplication>
#include <QFile>

#include "util/messages.h"
#include "util/pathcontext.h"
#include "util/textfuncs.h"

namespace hb {

QString LogLine(const QDateTime& when, const QString& text) {
  return when.toString("yyMMdd hh:mm:ss") + "> " + text;
}

bool LogTo(const QString& fileName, const QString& text) {
  if (fileName.isEmpty()) return false;
  try {
    const QByteArray line = (LogLine(QDateTime::currentDateTime(), text) + "\r\n").toUtf8();
    for (int attempt = 0; attempt < 21; ++attempt) {
      if (attempt > 0 && QCoreApplication::instance()) QCoreApplication::processEvents();
      QFile file(fileName);
      if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) continue;
      // One write on a file opened for appending: lines of other writers do not mix in.
      const bool ok = file.write(line) == line.size();
      file.close();
      return ok;
    }
  } catch (...) {
    // Logging must never disturb the caller.
  }
  return false;
}

void Log(const QString& text) {
  LogTo(Paths().LogFile, text);
}

void LogFmt(const QString& format, std::initializer_list<QVariant> values) {
  Log(FormatText(format, values));
}

void LogAndShow(const QString& text) {
  Log(text);
  ShowWarning(text);
}

}  // namespace hb
