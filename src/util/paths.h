// Path and folder helpers. Stored paths may use "\" or "/"; results use "/".
//
//   StripBackslash("/data/") == "/data"     a final separator goes, unless the text is
//                                           shorter than 2 characters or a drive root "C:\".
//   AddBackslash("/data")   == "/data/"     empty stays empty.
//   BaseName("dir/urstam.dbf") == "urstam"  no folder, no last extension.
//   FolderExists(path)                      the path names a folder one can enter.
//   NormaliseFolder(folder)                 absolute, cleaned, with a final "/"; empty means
//                                           the current folder.
//   DeveloperFolder()                       the current folder (or its parent) when it holds
//                                           "develop.vrt"; else empty.
//   WindowsUserName()                       the login name of the process owner.
//   EnvironmentValue(name)                  the variable's value; empty when not set.
#pragma once

#include <QString>

namespace hb {

QString StripBackslash(const QString& path);
QString AddBackslash(const QString& path);
QString BaseName(const QString& fileName);
// The extension from the last "." of the file name, dot included; empty without one.
QString ExtensionOf(const QString& fileName);
bool FolderExists(const QString& path);
QString NormaliseFolder(const QString& folder);
QString DeveloperFolder();
QString WindowsUserName();
QString EnvironmentValue(const QString& name);

// A stored path made absolute relative to base (when it is relative), with "/" separators.
QString AbsolutePath(const QString& stored, const QString& base);

}  // namespace hb
