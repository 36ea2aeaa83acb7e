// The program log: one line per entry, appended to the log file of the path context.
//
//   Log("Tabel URUREN.DBF hersteld");
//   LogFmt("%d records gecontroleerd", {count});   // a bad format throws EFormatError
//   LogAndShow("Bestand ontbreekt");                // Log, then ShowWarning
//
// A line is "yymmdd hh:nn:ss> text" + CR LF, local time. Each line is written in one
// open-append-close cycle, so several workstations can share the file. An open that fails
// is retried at once, up to 21 attempts, processing pending GUI events in between; after
// that the line is lost. Logging never reports a failure and never throws.
#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <initializer_list>

namespace hb {

void Log(const QString& text);
void LogFmt(const QString& format, std::initializer_list<QVariant> values);
void LogAndShow(const QString& text);

// The log line for a text written at the given moment (without the line end).
QString LogLine(const QDateTime& when, const QString& text);
// Appends one line to the named file by the rules above; false when the line was lost.
bool LogTo(const QString& fileName, const QString& text);

}  // namespace hb
