// The process-wide path context: program name and folder, the program ini and the second ini
// (machine ini, later the personal ini), data, temp and log locations and the [Paths] list.
//
//   if (!hb::InitPaths()) return 0;                  // start-up lookup; false: user refused
//                                                     // to create the data folder
//   hb::ProgramIni().ReadInteger("Grid", "Resolutie", 15);
//   hb::Paths().DataFolder                           // "/opt/hourbook/data/"
//   hb::FileLocation("urstam.dbf")                   // "<DBF_path or data folder>/urstam.DBF"
//   hb::UniqueTempName(hb::FileLocation("~UR.DBF"))  // "<temp>/~UR00000.DBF", then 00001 ...
//   hb::UsePersonalIni();                            // the second ini becomes the personal ini
//
// Folders in the context are absolute and end in "/". Stored values may use "\"; relative
// values are relative to the program folder. Before InitPaths the context is empty and the
// ini objects read nothing (a missing file); tests build it with InitPaths(programFile).
#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <memory>
#include <stdexcept>

#include "platform/inifile.h"

namespace hb {

class ETmpFileOverflow : public std::runtime_error {
 public:
  ETmpFileOverflow() : std::runtime_error("Overflow generating temp filename") {}
};

struct TPathContext {
  QString ProgramFile;                      // full path of the executable
  QString ProgramName;                      // its file name without folder and extension
  QString ProgramFolder;                    // ends in "/"
  std::unique_ptr<TIniFile> ProgramIni;     // program folder + program name + ".INI"
  std::unique_ptr<TIniFile> SecondIni;      // machine ini, or the personal ini once in use
  QString MachineIni;                       // Windows folder + "/" + program name + ".INI"
  QString PersonalIni;                      // by the personal ini rule from [Paths] PersIni
  QString DataFolder;                       // ends in "/"
  QString TempFolder;                       // ends in "/"
  QString LogFile;                          // absolute
  QList<QPair<QString, QString>> PathList;  // [Paths] keys with absolute values
  quint16 TempCounter = 0;

  // The value of a [Paths] key, without regard to letter case; empty when missing.
  QString PathValue(const QString& key) const;
};

TPathContext& Paths();
TIniFile& ProgramIni();
TIniFile& SecondIni();

// Builds the context: program name and folder from programFile (empty: this executable),
// opens the program ini and the machine ini, then runs LookupPaths. Returns false when the
// data folder is missing and the user does not want it created (the program should end).
bool InitPaths(const QString& programFile = {});

// The lookup of data folder, log file, temp folder, [Paths] list and personal ini from the
// program ini; run again when a setting changed (as the first start does for [Paths] Data).
bool LookupPaths();

// The second ini becomes the personal ini (Paths().PersonalIni); placements go there.
void UsePersonalIni();

// The full name of a program file named without a folder of its own: the temp folder for a
// base beginning with "~", else [Paths] <EXT>_path, else the data folder; the extension in
// upper case. An existing file of another letter case is returned with its own spelling.
QString FileLocation(const QString& fileName);

// A name in the template's folder made of its base and the run's counter, such that no file
// of that name exists with any extension; the template's extension is added. Throws
// ETmpFileOverflow when every number is taken.
QString UniqueTempName(const QString& templateName);

// The personal ini rule: %WINUSER% (any case) becomes the login name; an empty value or an
// existing folder gets "/" + executable name + ".ini"; the file's folder is created. A
// relative value is relative to base (the program folder during the lookup).
QString PersonalIniPath(const QString& configured, const QString& base = {});

// [section] key of the program ini; an empty value gives def, which is written back (below
// the program folder: only the part after it).
QString ReadPathSetting(const QString& section, const QString& key, const QString& def);

}  // namespace hb
