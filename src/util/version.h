// The program's version and file date as shown to the user.
//
//   VersionText()              "1.00.000" for the build's version 1.0.0 (major.minor.release;
//                              a fourth, build number is not shown)
//   VersionTextOf("3.10.6.1")  "3.10.006"; text without a version gives "0.00.000"
//   FileDateText()             last change of the program file, local time, "dd-mm-yyyy";
//                              empty when it cannot be read
#pragma once

#include <QString>

namespace hb {

QString VersionText();
QString VersionTextOf(const QString& version);
QString FileDateText();
QString FileDateTextOf(const QString& path);

}  // namespace hb
