#include "util/pathcontext.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "platform/dialogservice.h"
#include "platform/folders.h"
#include "util/paths.h"

namespace hb {

namespace {

TPathContext& Context() {
  static TPathContext context;
  return context;
}

// An ini object that reads nothing, for use before the context is built.
TIniFile& NoIni() {
  static TIniFile none(QString{});
  return none;
}

}  // namespace

QString TPathContext::PathValue(const QString& key) const {
  for (const auto& pair : PathList) {
    if (pair.first.compare(key, Qt::CaseInsensitive) == 0) return pair.second;
  }
  return {};
}

TPathContext& Paths() {
  return Context();
}

TIniFile& ProgramIni() {
  return Context().ProgramIni ? *Context().ProgramIni : NoIni();
}

TIniFile& SecondIni() {
  return Context().SecondIni ? *Context().SecondIni : NoIni();
}

bool InitPaths(const QString& programFile) {
  TPathContext& c = Context();
  c.ProgramFile =
      QFileInfo(programFile.isEmpty() ? ProgramFilePath() : programFile).absoluteFilePath();
  const QFileInfo exe(c.ProgramFile);
  c.ProgramName = BaseName(exe.fileName());
  c.ProgramFolder = AddBackslash(exe.absolutePath());
  c.ProgramIni = std::make_unique<TIniFile>(c.ProgramFolder + c.ProgramName + ".INI");
  c.MachineIni = WindowsFolder() + "/" + c.ProgramName + ".INI";
  c.SecondIni = std::make_unique<TIniFile>(c.MachineIni);
  return LookupPaths();
}

bool LookupPaths() {
  TPathContext& c = Context();
  const QString base = c.ProgramFolder;

  // Data folder; a missing key gets the program folder written back (as an empty value).
  c.DataFolder = AddBackslash(AbsolutePath(ReadPathSetting("Paths", "Data", base), base));
  bool keepRunning = true;
  if (!FolderExists(c.DataFolder)) {
    const QString folder = StripBackslash(c.DataFolder);
    if (Dialogs().Question(c.ProgramName, QString("%1 bestaat niet, aanmaken?").arg(folder),
                           true)) {
      if (!QDir().mkpath(folder)) {
        Dialogs().Warning(c.ProgramName, QString("Kan map %1 niet aanmaken").arg(folder));
        keepRunning = false;
      }
    } else {
      keepRunning = false;
    }
  }

  // The log file is made absolute here so that later changes of the current folder do not
  // move the log.
  c.LogFile = AbsolutePath(
      ReadPathSetting("Paths", "LogFile", c.DataFolder + c.ProgramName + ".LOG"), base);

  const QString temp = ProgramIni().ReadString("Paths", "Temp");
  c.TempFolder = temp.isEmpty() ? c.DataFolder : AddBackslash(AbsolutePath(temp, base));
  if (!FolderExists(c.TempFolder)) c.TempFolder = c.DataFolder;

  c.PathList.clear();
  for (const auto& pair : ProgramIni().ReadSectionValues("Paths")) {
    c.PathList.append({pair.first, AbsolutePath(pair.second, base)});
  }

  c.PersonalIni = PersonalIniPath(ProgramIni().ReadString("Paths", "PersIni"), base);
  return keepRunning;
}

void UsePersonalIni() {
  TPathContext& c = Context();
  c.SecondIni = std::make_unique<TIniFile>(c.PersonalIni);
}

QString FileLocation(const QString& fileName) {
  const TPathContext& c = Context();
  const QString ext = ExtensionOf(fileName).toUpper();
  const QString base = BaseName(fileName);
  QString folder;
  if (base.startsWith('~')) {
    folder = c.TempFolder;
  } else {
    folder = c.PathValue(ext.mid(1, 3) + "_path");
    if (folder.isEmpty()) folder = c.DataFolder;
  }
  const QString result = AddBackslash(folder) + base + ext;
  if (result.contains('*') || result.contains('?')) return result;
  return FindExistingFile(result);
}

namespace {

// The names that a wildcard "<name>.*" matches in a folder, in lower case: every entry
// without its last extension, without its last two, ..., and the entry itself.
QSet<QString> WildcardStems(const QDir& dir) {
  QSet<QString> stems;
  const QStringList entries =
      dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  for (const QString& entry : entries) {
    const QString lower = entry.toLower();
    stems.insert(lower);
    for (qsizetype dot = lower.indexOf('.'); dot >= 0; dot = lower.indexOf('.', dot + 1)) {
      stems.insert(lower.left(dot));
    }
  }
  return stems;
}

}  // namespace

QString UniqueTempName(const QString& templateName) {
  TPathContext& c = Context();
  const QString path = NativePath(templateName);
  const qsizetype slash = path.lastIndexOf('/');
  const QString folder = slash < 0 ? QString() : path.left(slash + 1);
  const QString base = BaseName(path);
  const QString ext = ExtensionOf(path);
  const int digitCount = 8 - int(base.size());
  auto digitsOf = [digitCount](quint16 n) {
    return QString::number(n).rightJustified(qMax(digitCount, 0), '0');
  };
  const QSet<QString> taken = WildcardStems(QDir(folder.isEmpty() ? QString(".") : folder));
  const QString first = digitsOf(c.TempCounter);
  QString digits = first;
  QString candidate;
  do {
    candidate = base + digits;
    ++c.TempCounter;  // 16 bits: wraps from 65535 to 0
    digits = digitsOf(c.TempCounter);
    if (digits == first) throw ETmpFileOverflow();
  } while (taken.contains(candidate.toLower()));
  return folder + candidate + ext;
}

QString PersonalIniPath(const QString& configured, const QString& base) {
  QString value = configured;
  if (value.contains("%WINUSER%", Qt::CaseInsensitive)) {
    value.replace("%WINUSER%", WindowsUserName(), Qt::CaseInsensitive);
  }
  const QString root = base.isEmpty() ? QDir::currentPath() : base;
  const bool relative = !value.isEmpty() && !QDir::isAbsolutePath(NativePath(value));
  const QString absolute = AbsolutePath(value, root);
  if (value.isEmpty() || FolderExists(absolute)) {
    const QString exe =
        QFileInfo(Context().ProgramFile.isEmpty() ? ProgramFilePath() : Context().ProgramFile)
            .fileName();
    const QString iniName = BaseName(exe) + ".ini";
    // An empty value gives a bare name: the ini class puts it in the Windows folder.
    if (value.isEmpty()) return iniName;
    value = AddBackslash(absolute) + iniName;
  } else {
    // A relative value is held absolute, so that it does not depend on the current folder.
    value = relative ? absolute : NativePath(value);
  }
  const QString folder = QFileInfo(value).path().trimmed();
  if (!folder.isEmpty() && folder != ".") QDir().mkpath(folder);
  return value;
}

QString ReadPathSetting(const QString& section, const QString& key, const QString& def) {
  const QString value = ProgramIni().ReadString(section, key);
  if (!value.isEmpty()) return value;
  const QString& programFolder = Context().ProgramFolder;
  QString stored = def;
  if (!programFolder.isEmpty() && def.startsWith(programFolder, Qt::CaseInsensitive)) {
    stored = def.mid(programFolder.size());
  } else if (!programFolder.isEmpty() &&
             AddBackslash(def).compare(programFolder, Qt::CaseInsensitive) == 0) {
    stored.clear();
  }
  ProgramIni().WriteString(section, key, stored);
  return def;
}

}  // namespace hb
