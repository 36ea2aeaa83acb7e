// Ini files with the semantics of the Windows profile functions.
//
//   TIniFile ini("/path/HBLITE.INI");        // a bare name ("x.ini") lies in WindowsFolder()
//   QString data = ini.ReadString("Paths", "Data", "");
//   int res = ini.ReadInteger("Grid", "Resolutie", 15);
//   bool ok = ini.WriteString("Paths", "Data", "data\\");   // on disk when it returns
//
// Rules:
// - Section and key names are compared without regard to letter case; the first section
//   and the first key of a name count. A line "[name]" starts a section, "key=value" is an
//   entry, lines beginning with ";" are comments, other lines are ignored but kept.
// - Names and values are trimmed of blanks and tabs; a value enclosed in a matching pair of
//   single or double quotes loses them. There are no escapes.
// - Reading a file that is missing or cannot be read gives empty sections (defaults); no
//   read ever throws. The file is read again when it changed on disk since the last read.
// - Every write goes to disk at once (all lines kept byte for byte, except the one changed).
//   A write returns false when the file cannot be read or written or a name cannot be held (a key
//   with "=" or a line break, a section with "]"); it never throws. Line breaks in a value
//   are written as blanks. Missing folders
//   of the file are created. A changed entry keeps the key's spelling found in the file;
//   new entries are added at the end of their section, new sections at the end of the file,
//   with the line ends that the file already uses.
// - Text: values are stored as UTF-8; a line that is not valid UTF-8 is read as Windows-1252
//   (files brought over from the Windows edition stay readable). A UTF-8 byte order mark at
//   the start of the file is ignored (and kept).
// - Booleans are integers: 0 is false, any other number true; written as "1" / "0".
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace hb {

class TIniFile {
 public:
  explicit TIniFile(const QString& fileName);

  // The full path of the file (after the Windows-folder rule and the case-insensitive lookup;
  // while no file exists the lookup is repeated at every access, so a file that another
  // program creates with another spelling is found).
  const QString& FileName() const { return fileName_; }

  QString ReadString(const QString& section, const QString& key, const QString& def = {}) const;
  // Decimal with an optional sign, or hexadecimal after "$" or "0x"; otherwise the default.
  int ReadInteger(const QString& section, const QString& key, int def) const;
  bool ReadBool(const QString& section, const QString& key, bool def) const;
  // Accepts "." or "," as decimal point; otherwise the default.
  double ReadFloat(const QString& section, const QString& key, double def) const;

  bool WriteString(const QString& section, const QString& key, const QString& value);
  bool WriteInteger(const QString& section, const QString& key, int value);
  bool WriteBool(const QString& section, const QString& key, bool value);
  bool WriteFloat(const QString& section, const QString& key, double value);

  QStringList ReadSections() const;
  // The key names of a section in file order.
  QStringList ReadSection(const QString& section) const;
  // The name/value pairs of a section in file order.
  QList<QPair<QString, QString>> ReadSectionValues(const QString& section) const;
  bool SectionExists(const QString& section) const;
  bool ValueExists(const QString& section, const QString& key) const;

  bool EraseSection(const QString& section);
  bool DeleteKey(const QString& section, const QString& key);

 private:
  struct TLine {
    QByteArray raw;  // the line as in the file, line end included
    enum Kind { Other, Section, Entry } kind = Other;
    QString name;   // section name or key, trimmed
    QString value;  // entry value, trimmed and unquoted
  };

  void Load() const;
  QList<qint64> Signature() const;
  bool Save();
  int FindSection(const QString& section) const;      // index of the header or -1
  int SectionEnd(int header) const;                   // index after the section's last line
  int FindKey(int header, const QString& key) const;  // index of the entry or -1
  QByteArray LineEnd() const;
  static TLine Parse(const QByteArray& raw);

  QString requested_;  // the name as given, for a later case-insensitive lookup
  mutable QString fileName_;
  mutable QList<TLine> lines_;
  mutable bool loaded_ = false;
  mutable bool unreadable_ = false;  // exists but cannot be read: writes are refused
  mutable QList<qint64> signature_;  // of the file as last read; empty when missing
};

}  // namespace hb
