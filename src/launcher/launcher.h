// The document launcher shared by hbbrochure, hbmanual and hbhelp.
//
// A launcher reads the language code that the user chose in the main program and opens
// "Hbok_" + code + suffix from the current folder with the desktop's default application.
// It shows nothing and reads no arguments; its exit code tells whether a document was found.
#pragma once

#include <QString>

namespace hb {

// The language code as the main program stores it: [Options] Language of the personal ini
// named by [Paths] PersIni of "HBook.ini" (preferred, when "hbook.ini" exists beside the
// launcher) or "HbLite.ini" in launcherFolder, read as the main program reads it
// ("%WINUSER%" is the user's login name, a folder gets the product's ini name); "EN" when
// nothing says otherwise, "NL" for the built-in language "EXE".
QString LauncherLanguage(const QString& launcherFolder);

// The document to open for a language and suffix, looked up in currentFolder; empty when it
// does not exist there.
QString LauncherDocument(const QString& currentFolder, const QString& language,
                         const QString& suffix);

// Opens the document of the given suffix in the user's language; returns the exit code:
// 0 when the document was handed to the shell, 1 when it does not exist.
int RunLauncher(int argc, char** argv, const char* suffix);

}  // namespace hb
