// What the info window shows and leaves behind: the version caption and the version
// history, which a developer's working folder receives as "history.txt".
//
//   VersionCaption()            "Versie 1.00.000"
//   HistoryText()               the version history (a text resource of this library)
//   SaveHistoryForDeveloper()   writes HistoryText() to DeveloperFolder() + "history.txt"
//                               when the current folder or its parent holds "develop.vrt"
#pragma once

#include <QString>

namespace hb {

QString VersionCaption();
QString HistoryText();
// True when the file was written; false outside a developer's folder or when it failed.
bool SaveHistoryForDeveloper();

}  // namespace hb
