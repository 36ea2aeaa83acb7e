// Folders, file names and the identity of the process owner.
//
// The program was designed for a system with case-insensitive file names, a "Windows
// folder" that holds machine-wide settings, and paths written with "\". These helpers
// give the same services on Linux:
//
//   WindowsFolder()           folder of the machine ini and the alias file: the value of
//                             HOURBOOK_WINDIR when set, else $XDG_CONFIG_HOME (default
//                             ~/.config) + "/hourbook". No trailing separator.
//   ProgramFilePath()         full path of the running executable.
//   ProgramFolder()           its folder, no trailing separator.
//   LoginName()               login name of the process owner (never longer than 256).
//   FindExistingFile(path)    the path itself when it exists, else the entry of its folder
//                             whose name matches without regard to letter case (folders on
//                             the way are matched the same way); the given path when none.
//   NativePath(stored)        a stored path with "\" separators as a path of this system.
//
// None of these functions throws.
#pragma once

#include <QString>

namespace hb {

QString WindowsFolder();
QString ProgramFilePath();
QString ProgramFolder();
QString LoginName();
QString FindExistingFile(const QString& path);
QString NativePath(const QString& stored);

}  // namespace hb
