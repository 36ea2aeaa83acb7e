#include "platform/inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

#include "platform/folders.h"

namespace hb {

namespace {

QString Decode(const QByteArray& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8(bytes);
  if (!utf8.hasError()) return text;
  // Files written by the Windows edition hold the ANSI code page.
  QStringDecoder ansi("windows-1252");
  return ansi.isValid() ? ansi(bytes) : QString::fromLatin1(bytes);
}

QByteArray TrimBlanks(const QByteArray& bytes) {
  qsizetype b = 0, e = bytes.size();
  while (b < e && (bytes[b] == ' ' || bytes[b] == '\t')) ++b;
  while (e > b && (bytes[e - 1] == ' ' || bytes[e - 1] == '\t')) --e;
  return bytes.mid(b, e - b);
}

QByteArray StripLineEnd(const QByteArray& raw) {
  QByteArray line = raw;
  if (line.endsWith('\n')) line.chop(1);
  if (line.endsWith('\r')) line.chop(1);
  return line;
}

}  // namespace

TIniFile::TIniFile(const QString& fileName) {
  QString path = NativePath(fileName);
  if (!path.isEmpty() && !path.contains('/')) path = WindowsFolder() + "/" + path;
  requested_ = path;
  fileName_ = FindExistingFile(path);
}

TIniFile::TLine TIniFile::Parse(const QByteArray& raw) {
  TLine line;
  line.raw = raw;
  QByteArray text = StripLineEnd(raw);
  if (text.startsWith("\xEF\xBB\xBF")) text.remove(0, 3);  // byte order mark of an editor
  text = TrimBlanks(text);
  if (text.startsWith('[')) {
    qsizetype close = text.indexOf(']');
    line.kind = TLine::Section;
    line.name = Decode(TrimBlanks(text.mid(1, close < 0 ? -1 : close - 1)));
  } else if (!text.startsWith(';')) {
    qsizetype eq = text.indexOf('=');
    if (eq > 0) {
      line.kind = TLine::Entry;
      line.name = Decode(TrimBlanks(text.left(eq)));
      QByteArray value = TrimBlanks(text.mid(eq + 1));
      if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
        value = value.mid(1, value.size() - 2);
      }
      line.value = Decode(value);
    }
  }
  return line;
}

// What identifies one state of the file: a write by anyone changes at least one of these.
QList<qint64> TIniFile::Signature() const {
#ifdef Q_OS_UNIX
  struct stat st;
  if (::stat(QFile::encodeName(fileName_).constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
    return {};
  }
  return {qint64(st.st_dev),         qint64(st.st_ino),          qint64(st.st_size),
          qint64(st.st_mtim.tv_sec), qint64(st.st_mtim.tv_nsec), qint64(st.st_ctim.tv_sec),
          qint64(st.st_ctim.tv_nsec)};
#else
  QFileInfo info(fileName_);
  if (!info.isFile()) return {};
  return {info.size(), info.lastModified().toMSecsSinceEpoch()};
#endif
}

void TIniFile::Load() const {
  if (!QFileInfo::exists(fileName_)) {
    fileName_ = FindExistingFile(requested_);
  }
  const QList<qint64> signature = Signature();
  if (loaded_ && signature == signature_) return;

  lines_.clear();
  loaded_ = true;
  signature_ = signature;
  unreadable_ = false;
  if (signature.isEmpty()) return;
  QFile file(fileName_);
  if (!file.open(QIODevice::ReadOnly)) {
    // Writing now would replace content we have not seen.
    unreadable_ = true;
    return;
  }
  const QByteArray content = file.readAll();
  qsizetype start = 0;
  while (start < content.size()) {
    qsizetype nl = content.indexOf('\n', start);
    qsizetype end = nl < 0 ? content.size() : nl + 1;
    lines_.append(Parse(content.mid(start, end - start)));
    start = end;
  }
}

bool TIniFile::Save() {
  if (unreadable_) {
    loaded_ = false;
    return false;
  }
  QByteArray content;
  for (const TLine& line : lines_) content += line.raw;
  QDir().mkpath(QFileInfo(fileName_).absolutePath());
  bool ok = false;
  {
    QSaveFile file(fileName_);
    if (file.open(QIODevice::WriteOnly)) {
      file.write(content);
      ok = file.commit();
    }
  }
  if (!ok) {
    // A folder we may not create files in can still hold a writable file.
    QFile file(fileName_);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
      ok = file.write(content) == content.size();
      ok = file.flush() && ok;
    }
  }
  // Whatever happened, the next read sees the file as it is on disk.
  loaded_ = false;
  if (ok) Load();
  return ok;
}

QByteArray TIniFile::LineEnd() const {
  for (const TLine& line : lines_) {
    if (line.raw.endsWith("\r\n")) return "\r\n";
    if (line.raw.endsWith('\n')) return "\n";
  }
  return "\n";
}

int TIniFile::FindSection(const QString& section) const {
  QString name = section.trimmed();
  for (int i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind == TLine::Section &&
        lines_[i].name.compare(name, Qt::CaseInsensitive) == 0) {
      return i;
    }
  }
  return -1;
}

int TIniFile::SectionEnd(int header) const {
  int i = header + 1;
  while (i < lines_.size() && lines_[i].kind != TLine::Section) ++i;
  return i;
}

int TIniFile::FindKey(int header, const QString& key) const {
  if (header < 0) return -1;
  QString name = key.trimmed();
  int end = SectionEnd(header);
  for (int i = header + 1; i < end; ++i) {
    if (lines_[i].kind == TLine::Entry && lines_[i].name.compare(name, Qt::CaseInsensitive) == 0) {
      return i;
    }
  }
  return -1;
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
  Load();
  int i = FindKey(FindSection(section), key);
  return i < 0 ? def : lines_[i].value;
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int def) const {
  QString text = ReadString(section, key).trimmed();
  if (text.isEmpty()) return def;
  bool ok = false;
  int value = 0;
  QString digits = text;
  bool negative = false;
  if (digits.startsWith('-') || digits.startsWith('+')) {
    negative = digits.startsWith('-');
    digits.remove(0, 1);
  }
  if (digits.startsWith('$')) {
    value = digits.mid(1).toInt(&ok, 16);
  } else if (digits.startsWith("0x", Qt::CaseInsensitive)) {
    value = digits.mid(2).toInt(&ok, 16);
  } else {
    value = text.toInt(&ok, 10);
    return ok ? value : def;
  }
  if (!ok) return def;
  return negative ? -value : value;
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(const QString& section, const QString& key, double def) const {
  QString text = ReadString(section, key).trimmed();
  if (text.isEmpty()) return def;
  bool ok = false;
  double value = text.toDouble(&ok);
  if (!ok) value = QString(text).replace(',', '.').toDouble(&ok);
  return ok ? value : def;
}

bool TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
  Load();
  QString sectionName = section.trimmed();
  QString keyName = key.trimmed();
  // Names that the file could not hold as one line of their own kind are refused; a line
  // break in a value would start a new line, so it becomes a blank.
  auto breaks = [](const QString& t) { return t.contains('\n') || t.contains('\r'); };
  if (sectionName.isEmpty() || keyName.isEmpty() || breaks(sectionName) || breaks(keyName) ||
      sectionName.contains(']') || keyName.contains('=') || keyName.startsWith('[') ||
      keyName.startsWith(';')) {
    return false;
  }
  QString flat = value;
  flat.replace("\r\n", " ").replace('\n', ' ').replace('\r', ' ');
  const QByteArray eol = LineEnd();
  int header = FindSection(sectionName);
  int i = FindKey(header, keyName);
  if (i >= 0) {
    // Keep the key as spelled in the file and the line end of the line.
    TLine& line = lines_[i];
    QByteArray end = line.raw.endsWith("\r\n") ? QByteArray("\r\n")
                     : line.raw.endsWith('\n') ? QByteArray("\n")
                                               : QByteArray();
    QByteArray text = StripLineEnd(line.raw);
    QByteArray indent = text.left(text.size() - text.trimmed().size());
    qsizetype eq = text.indexOf('=');
    QByteArray keyBytes = TrimBlanks(text.mid(indent.size(), eq - indent.size()));
    line = Parse(indent + keyBytes + "=" + flat.toUtf8() + end);
    return Save();
  }
  // A last line without a line end gets one before anything is added after it.
  auto terminateLine = [&](int index) {
    if (index >= 0 && index < lines_.size() && !lines_[index].raw.endsWith('\n')) {
      lines_[index].raw += eol;
    }
  };
  TLine entry = Parse(keyName.toUtf8() + "=" + flat.toUtf8() + eol);
  if (header < 0) {
    terminateLine(lines_.size() - 1);
    lines_.append(Parse("[" + sectionName.toUtf8() + "]" + eol));
    lines_.append(entry);
  } else {
    // After the last non-blank line of the section, so that blank separators stay below.
    int at = SectionEnd(header);
    while (at > header + 1 && TrimBlanks(StripLineEnd(lines_[at - 1].raw)).isEmpty()) --at;
    terminateLine(at - 1);
    lines_.insert(at, entry);
  }
  return Save();
}

bool TIniFile::WriteInteger(const QString& section, const QString& key, int value) {
  return WriteString(section, key, QString::number(value));
}

bool TIniFile::WriteBool(const QString& section, const QString& key, bool value) {
  return WriteString(section, key, value ? "1" : "0");
}

bool TIniFile::WriteFloat(const QString& section, const QString& key, double value) {
  return WriteString(section, key, QString::number(value, 'g', 15));
}

QStringList TIniFile::ReadSections() const {
  Load();
  QStringList names;
  for (const TLine& line : lines_) {
    if (line.kind == TLine::Section && !names.contains(line.name, Qt::CaseInsensitive)) {
      names.append(line.name);
    }
  }
  return names;
}

QStringList TIniFile::ReadSection(const QString& section) const {
  QStringList keys;
  for (const auto& pair : ReadSectionValues(section)) keys.append(pair.first);
  return keys;
}

QList<QPair<QString, QString>> TIniFile::ReadSectionValues(const QString& section) const {
  Load();
  QList<QPair<QString, QString>> values;
  int header = FindSection(section);
  if (header < 0) return values;
  int end = SectionEnd(header);
  QStringList seen;
  for (int i = header + 1; i < end; ++i) {
    const TLine& line = lines_[i];
    if (line.kind != TLine::Entry || seen.contains(line.name, Qt::CaseInsensitive)) continue;
    seen.append(line.name);
    values.append({line.name, line.value});
  }
  return values;
}

bool TIniFile::SectionExists(const QString& section) const {
  Load();
  return FindSection(section) >= 0;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const {
  Load();
  return FindKey(FindSection(section), key) >= 0;
}

bool TIniFile::EraseSection(const QString& section) {
  Load();
  int header = FindSection(section);
  if (header < 0) return true;
  // Every section of that name goes, as the profile functions see only the first one.
  while (header >= 0) {
    lines_.erase(lines_.begin() + header, lines_.begin() + SectionEnd(header));
    header = FindSection(section);
  }
  return Save();
}

bool TIniFile::DeleteKey(const QString& section, const QString& key) {
  Load();
  int i = FindKey(FindSection(section), key);
  if (i < 0) return true;
  lines_.removeAt(i);
  return Save();
}

}  // namespace hb
