// Reporting exceptions that nobody caught.
//
//   InitCrashHandler(arguments);      // first thing at start: subject, "/debug", terminate hook
//   try { ... } catch (...) { ReportException(std::current_exception()); }
//
// A report is one log line "<subject>: <message>" and an error box titled with the subject,
// "Fout in <full path of the program file>". With "/debug" among the arguments (letter case
// ignored) the box also names the exception's type. An exception that leaves the program
// entirely (std::terminate) is logged before the process ends.
// THbApplication (guardedapplication.h) routes exceptions that reach the event loop here.
#pragma once

#include <QString>
#include <QStringList>
#include <exception>

namespace hb {

void InitCrashHandler(const QStringList& arguments);
QString CrashSubject();
bool CrashDebugMode();
void ReportException(std::exception_ptr error);

// The message of an exception ("Onbekende fout" for one that is no std::exception).
QString ExceptionMessage(std::exception_ptr error);

}  // namespace hb
