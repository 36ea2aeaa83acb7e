#include "data/vrtmetadataset.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QSet>

#include "dbf/createdbfdataset.h"
#include "platform/codepage.h"
#include "platform/folders.h"
#include "platform/inifile.h"
#include "util/calendarfuncs.h"
#include "util/formats.h"
#include "util/messages.h"
#include "util/pathcontext.h"
#include "util/paths.h"
#include "util/textfuncs.h"

namespace hb {

namespace {

const char* const kMetaKey = "Upper(TABLE)+Upper(TYPE)+Upper(NAME)";

std::function<void(TvrtMetaDataset&)>& Browser() {
  static std::function<void(TvrtMetaDataset&)> browser;
  return browser;
}

QString FirstLine(const QString& text) {
  return text.section(QRegularExpression("[\r\n]"), 0, 0).trimmed();
}

QString NoSpaces(QString text) {
  return text.remove(' ');
}

bool Exists(const QString& path) {
  return QFileInfo(FindExistingFile(path)).isFile();
}

// "NAME=VALUE" split at the first "=".
QString LinePart(const QString& line, int part) {
  const qsizetype eq = line.indexOf('=');
  if (eq < 0) return part == 0 ? line : QString();
  return part == 0 ? line.left(eq) : line.mid(eq + 1);
}

QString ErrorText(const std::exception& e) {
  if (const auto* m = dynamic_cast<const EMetaDefNotFound*>(&e)) return m->Message();
  if (const auto* m = dynamic_cast<const EMetaTableIO*>(&e)) return m->Message();
  return ExceptionText(e);
}

}  // namespace

// Leaves the meta table open or closed as an operation found it, and shows the hourglass
// while the operation runs.
class TvrtMetaDataset::TStateSaver {
 public:
  explicit TStateSaver(TvrtMetaDataset& meta) : meta_(meta), wasActive_(meta.Active()) {
    cursor_ = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    if (cursor_) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  }
  ~TStateSaver() {
    try {
      if (!wasActive_ && meta_.Active()) meta_.Close();
      if (wasActive_ && !meta_.Active()) meta_.OpenMeta();
    } catch (const std::exception&) {
    }
    if (cursor_) QGuiApplication::restoreOverrideCursor();
  }

 private:
  TvrtMetaDataset& meta_;
  bool wasActive_;
  bool cursor_ = false;
};

TvrtMetaDataset::TvrtMetaDataset(TVrtDbfDataSet& vrt) : vrt_(vrt) {
  Name = "MetaDataset";
  SetTranslateASCII(false);
  tablePath_ = Paths().ProgramFolder;
  IniFileName = ProgramIni().FileName();
  Clock = [] { return DateTimeToMoment(QDateTime::currentDateTime()); };
}

TvrtMetaDataset::~TvrtMetaDataset() {
  CloseForDestroy();
}

QString TvrtMetaDataset::MetaTableName(const QString& folder, const QString& programName) {
  const QString full = programName + ".DBF";
  if (Exists(AddBackslash(NativePath(folder)) + full)) return full;
  QString stripped = programName;
  while (!stripped.isEmpty() && stripped.back().isDigit()) stripped.chop(1);
  return stripped + ".DBF";
}

void TvrtMetaDataset::SetBrowser(std::function<void(TvrtMetaDataset&)> browser) {
  Browser() = std::move(browser);
}

void TvrtMetaDataset::SetTablePath(const QString& folder) {
  tablePath_ = AddBackslash(NativePath(folder));
}

QString TvrtMetaDataset::MetaFilePath() const {
  return TDbfDataSet::TablePath();
}

bool TvrtMetaDataset::MemoPresent() const {
  const QFileInfo dbf(MetaFilePath());
  return Exists(dbf.path() + "/" + dbf.completeBaseName() + ".FPT");
}

double TvrtMetaDataset::Now() const {
  return Clock ? Clock() : DateTimeToMoment(QDateTime::currentDateTime());
}

QString TvrtMetaDataset::DataFile(const QString& table, const QString& ext) const {
  return FindExistingFile(tablePath_ + table + ext);
}

void TvrtMetaDataset::CopyMessagesSince(int count) {
  for (int i = count; i < vrt_.Messages.size(); ++i) Status << vrt_.Messages.at(i);
}

bool TvrtMetaDataset::HasArgument(const QString& sw) const {
  for (const QString& arg : Arguments)
    if (arg.trimmed().toUpper() == sw) return true;
  return false;
}

// ---- opening

bool TvrtMetaDataset::OpenMeta() {
  try {
    Close();
    const QString path = MetaFilePath();
    const QFileInfo info(path);
    const QString base = info.path() + "/" + info.completeBaseName();
    if (!Exists(path)) {
      try {
        TCreateDbfDataSet creator;
        creator.SetDBFTable(this);
        creator.SetCreateFields(
            {"TABLE;C;8;0", "TYPE;C;3;0", "NAME;C;10;0", "PARAM;M;10;0", "COMMENT;M;10;0"});
        creator.SetDBFType(TDbfTypes::FoxPro2);
        creator.SetAutoOverwrite(true);
        if (!creator.CreateTable()) throw EMetaTableIO(QString());
        Close();
      } catch (const std::exception&) {
        Close();
        throw EMetaTableIO(FormatText("Fout bij aanmaken van meta tabel \"%s\"", {path}));
      }
    }
    if (!Exists(base + ".CDX")) {
      if (!ReindexMeta())
        throw EMetaTableIO(FormatText("Fout bij aanmaken van meta tabel index \"%s\"", {path}));
      Close();
    }
    SetExclusive(false);
    SetIndexFiles({FindExistingFile(base + ".CDX")});
    SetIndexName("NAME");
    Open();
    First();
    return true;
  } catch (const std::exception& e) {
    Status << ErrorText(e);
    try {
      Close();
    } catch (const std::exception&) {
    }
    return false;
  }
}

bool TvrtMetaDataset::EnsureOpen() {
  return Active() || OpenMeta();
}

// ---- rows

QString TvrtMetaDataset::Key(const QString& table, const QString& type, const QString& name) const {
  QString key = table.trimmed().toUpper().leftJustified(8, ' ', true);
  if (!type.isEmpty() || !name.isEmpty())
    key += type.trimmed().toUpper().leftJustified(3, ' ', true);
  if (!name.isEmpty()) key += name.trimmed().toUpper().leftJustified(10, ' ', true);
  return key;
}

QString TvrtMetaDataset::RowKey() {
  return Key(
      FieldByName("TABLE")->AsString(), FieldByName("TYPE")->AsString(),
      FieldByName("NAME")->AsString().isEmpty() ? QString(" ") : FieldByName("NAME")->AsString());
}

void TvrtMetaDataset::ForRows(const QString& prefix, const std::function<void()>& visit) {
  if (!EnsureOpen() || IsEmpty()) return;
  Find(prefix, false, true);
  for (; !Eof(); Next()) {
    if (!RowKey().startsWith(prefix)) break;
    visit();
  }
}

QString TvrtMetaDataset::RowParam() {
  return AnsiToQString(ReadMemo("PARAM").toStdString());
}

QString TvrtMetaDataset::RowComment() {
  return AnsiToQString(ReadMemo("COMMENT").toStdString());
}

void TvrtMetaDataset::SetRowMemo(const QString& field, const QString& text) {
  WriteMemo(field, QByteArray::fromStdString(QStringToAnsi(text)));
}

int TvrtMetaDataset::ListTables(QStringList& list) {
  TStateSaver state(*this);
  if (!MemoPresent() || !EnsureOpen()) return 0;
  QStringList tables;
  DisableControls();
  try {
    for (First(); !Eof(); Next()) {
      const QString table = FieldByName("TABLE")->AsString().trimmed().toUpper();
      if (!table.isEmpty() && !tables.contains(table)) tables << table;
    }
  } catch (const std::exception& e) {
    Status << ErrorText(e);
  }
  EnableControls();
  list << tables;
  return int(tables.size());
}

int TvrtMetaDataset::FieldDefinitions(const QString& table, QStringList& list) {
  TStateSaver state(*this);
  if (!MemoPresent()) return 0;
  int count = 0;
  ForRows(Key(table, "FLD"), [&] {
    list << FieldByName("NAME")->AsString().trimmed() + "=" + FirstLine(RowParam());
    ++count;
  });
  return count;
}

int TvrtMetaDataset::TagDefinitions(const QString& table, QStringList& list) {
  TStateSaver state(*this);
  if (!MemoPresent()) return 0;
  int count = 0;
  ForRows(Key(table, "TAG"), [&] {
    list << FieldByName("NAME")->AsString().trimmed() + "=" + FirstLine(RowParam());
    ++count;
  });
  return count;
}

bool TvrtMetaDataset::HasTableDefinition(const QString& table) {
  TStateSaver state(*this);
  if (!MemoPresent()) return false;
  bool found = false;
  ForRows(Key(table), [&] { found = true; });
  return found;
}

bool TvrtMetaDataset::HasTagDefinition(const QString& table, const QString& tag) {
  TStateSaver state(*this);
  if (!MemoPresent()) return false;
  bool found = false;
  const QString prefix = tag.trimmed().isEmpty() ? Key(table, "TAG") : Key(table, "TAG", tag);
  ForRows(prefix, [&] { found = true; });
  return found;
}

void TvrtMetaDataset::AppendRow(const QString& table, const QString& type, const QString& name,
                                const QString& param, const QString& comment) {
  Append();
  FieldByName("TABLE")->SetAsString(table);
  FieldByName("TYPE")->SetAsString(type);
  FieldByName("NAME")->SetAsString(name);
  if (!param.isEmpty()) SetRowMemo("PARAM", param);
  if (!comment.isEmpty()) SetRowMemo("COMMENT", comment);
  Post();
}

// ---- the check

bool TvrtMetaDataset::CheckDatabase() {
  TStateSaver state(*this);
  if (!MemoPresent()) return false;
  if (!OpenMeta()) {
    Status << "CheckDatabase: Fout tijdens openen van de meta-tabel";
    return false;
  }
  if (HasArgument("/NOMETACHECK")) return true;
  for (const QString& arg : Arguments)
    if (arg.trimmed().toUpper() == "/METAEDIT") ShowBrowser();
  if (HasArgument("/METACHECK")) return true;

  TIniFile ini(IniFileName);
  bool ok = false;
  double stamp =
      ini.ReadString("Meta", "Updated", "34700").trimmed().replace(',', '.').toDouble(&ok);
  if (!ok) stamp = 0;
  const QFileInfo meta(MetaFilePath());
  const QDateTime modified = meta.exists() ? meta.lastModified() : QDateTime();
  const double age =
      modified.isValid() ? DateTimeToMoment(modified) : DateToMoment(QDate(2050, 12, 31));
  const double ageBefore = age - 1.0 / 86400.0;
  if (ageBefore > stamp) {
    // Written so that it reads back as the same number.
    ini.WriteString("Meta", "Updated",
                    QString::number(ageBefore, 'g', QLocale::FloatingPointShortest));
    return true;
  }
  if (ini.ReadBool("Meta", "ForceMetaCheck", false)) return true;
  if (force_) return true;
  QStringList tables;
  ListTables(tables);
  for (const QString& table : tables)
    if (!Exists(tablePath_ + table + ".DBF")) return true;
  return false;
}

bool TvrtMetaDataset::CheckAndUpdate(bool applyWithoutAsking) {
  if (!MemoPresent()) return true;
  if (!CheckDatabase()) return true;
  return UpdateDatabase(applyWithoutAsking);
}

void TvrtMetaDataset::ForceCheck() {
  force_ = true;
  TIniFile(IniFileName).WriteString("Meta", "Updated", QString());
}

bool TvrtMetaDataset::UpdateDatabase(bool applyWithoutAsking) {
  TStateSaver state(*this);
  if (!MemoPresent()) return false;
  if (!OpenMeta()) {
    Status << "UpdateDatabase: Fout bij openen van de meta-tabel";
    return false;
  }
  if (HasArgument("/NOMETACHECK")) {
    Status << "UpdateDatabase: /NoMetaCheck parameter";
    return false;
  }
  QStringList tables;
  if (ListTables(tables) == 0) {
    Status << "UpdateDatabase: Er zijn geen tabellen in de meta-tabel gedefiniëerd";
    return false;
  }

  bool always = applyWithoutAsking;
  bool never = false;
  auto ask = [&](const QString& question) {
    if (always) return true;
    if (never) return false;
    switch (AskYesNoAlways("Bijwerken Database", question)) {
      case TDialogAnswer::Always:
        always = true;
        return true;
      case TDialogAnswer::Never:
        never = true;
        return false;
      case TDialogAnswer::Yes:
        return true;
      default:
        return false;
    }
  };
  auto withDifferences = [this](QString question) {
    question += "\n";
    for (const QString& text : vrt_.Messages) question += text + "\n";
    return question;
  };

  bool result = true;
  for (const QString& table : tables) {
    try {
      if (!Exists(tablePath_ + table + ".DBF")) {
        if (ask(FormatText("Tabel %s niet aanwezig, aanmaken?", {table}))) {
          Status << FormatText("Tabel %s niet aanwezig, wordt aangemaakt", {table});
          if (!CreateTable(table)) result = false;
        }
        // A table that is still missing has nothing to compare or to index.
        if (!Exists(tablePath_ + table + ".DBF")) continue;
      }

      vrt_.Messages.clear();
      if (CompareStructure(table)) {
        if (ask(withDifferences(FormatText("Tabel %s gewijzigd, aanpassen?", {table})))) {
          Status << FormatText("Tabelstructuur %s gewijzigd, wordt aangepast", {table});
          if (!RestructureTable(table)) result = false;
        }
      }

      vrt_.Messages.clear();
      const bool cdxMissing = !Exists(tablePath_ + table + ".CDX");
      const bool hasTags = HasTagDefinition(table, QString());
      const bool differs = !cdxMissing && CompareTags(table);
      if ((cdxMissing && hasTags) || differs) {
        if (ask(withDifferences(FormatText("Index op tabel %s opnieuw aanmaken?", {table})))) {
          Status << FormatText("Index op tabel %s wordt opnieuw aangemaakt", {table});
          if (!ReindexTable(table)) result = false;
        }
      }
    } catch (const std::exception& e) {
      Status << ErrorText(e);
      result = false;
    }
  }
  return result;
}

bool TvrtMetaDataset::CompareStructure(const QString& table) {
  TStateSaver state(*this);
  if (!MemoPresent()) return false;
  QStringList actual;
  // A table that cannot be read cannot be compared (the reason is in the messages).
  if (vrt_.GetFieldList(tablePath_, table, actual) == 0) return false;
  QStringList defined;
  FieldDefinitions(table, defined);

  QMap<QString, QString> actualSpec;  // name -> T;L;D
  for (const QString& line : actual) actualSpec.insert(LinePart(line, 0), LinePart(line, 1));
  QSet<QString> definedNames;
  bool differs = false;
  for (const QString& raw : defined) {
    const QString name = LinePart(raw, 0).trimmed().toUpper();
    const QString spec = LinePart(raw, 1).trimmed().toUpper();
    // Expression fields are never columns: neither missing nor compared.
    if (spec.startsWith('E')) continue;
    definedNames.insert(name);
    if (actual.contains(name + "=" + spec)) continue;
    if (!actualSpec.contains(name)) {
      if (TVrtDbfDataSet::IsValidFieldType(spec)) {
        vrt_.Messages << FormatText("Veld ontbreekt in tabel %s: %s", {table, name});
        differs = true;
      }
      continue;
    }
    const QStringList a = actualSpec.value(name).split(';');
    const QStringList d = spec.split(';');
    const QString aType = a.value(0), dType = d.value(0);
    if (aType != dType) {
      vrt_.Messages << FormatText("FieldType gewijzigd in tabel %s, %s: %s->%s",
                                  {table, name, aType, dType});
      differs = true;
    }
    if (TVrtDbfDataSet::TypeHasLength(aType) && a.value(1) != d.value(1)) {
      vrt_.Messages << FormatText("FieldLen gewijzigd in tabel %s, %s: %s->%s",
                                  {table, name, a.value(1), d.value(1)});
      differs = true;
    }
    if (TVrtDbfDataSet::TypeHasDecimals(aType) && a.value(2) != d.value(2)) {
      vrt_.Messages << FormatText("FieldDec gewijzigd in tabel %s, %s: %s->%s",
                                  {table, name, a.value(2), d.value(2)});
      differs = true;
    }
  }
  int extra = 0;
  for (auto it = actualSpec.cbegin(); it != actualSpec.cend(); ++it)
    if (!definedNames.contains(it.key())) ++extra;
  if (extra == 1) vrt_.Messages << FormatText("Er staat een extra veld in tabel %s", {table});
  if (extra > 1)
    vrt_.Messages << FormatText("Er staan %d extra velden in tabel %s", {extra, table});
  return differs;
}

bool TvrtMetaDataset::CompareTags(const QString& table) {
  TStateSaver state(*this);
  if (!MemoPresent()) return false;
  QStringList defined;
  if (TagDefinitions(table, defined) == 0) return false;
  QStringList actual;
  vrt_.GetTagList(tablePath_, table, actual);
  QMap<QString, QString> actualExpr;
  for (const QString& line : actual)
    actualExpr.insert(LinePart(line, 0).trimmed(), NoSpaces(LinePart(line, 1)));
  QSet<QString> definedNames;
  bool differs = false;
  for (const QString& raw : defined) {
    const QString tag = LinePart(raw, 0).trimmed().toUpper();
    const QString expr = NoSpaces(LinePart(raw, 1).trimmed().toUpper());
    definedNames.insert(tag);
    if (actualExpr.contains(tag) && actualExpr.value(tag) == expr) continue;
    if (actualExpr.contains(tag)) {
      vrt_.Messages << FormatText("IndexExpressie gewijzigd in tabel %s: %s=%s",
                                  {table, tag, expr});
    } else {
      vrt_.Messages << FormatText("Nieuwe index tag in tabel %s: %s=%s", {table, tag, expr});
    }
    differs = true;
  }
  int extra = 0;
  for (auto it = actualExpr.cbegin(); it != actualExpr.cend(); ++it)
    if (!definedNames.contains(it.key())) ++extra;
  if (extra == 1) vrt_.Messages << FormatText("Er staat een extra tag in tabel %s", {table});
  if (extra > 1) vrt_.Messages << FormatText("Er staan %d extra tags in tabel %s", {extra, table});
  return differs;
}

// ---- creating and rebuilding data tables

bool TvrtMetaDataset::CreateTable(const QString& table) {
  TStateSaver state(*this);
  if (!MemoPresent()) return false;
  const int before = int(vrt_.Messages.size());
  try {
    QStringList lines;
    bool any = false;
    QString missing;
    ForRows(Key(table, "FLD"), [&] {
      any = true;
      const QString name = FieldByName("NAME")->AsString().trimmed();
      const QString spec = FirstLine(RowParam());
      if (spec.isEmpty() && missing.isEmpty()) missing = name;
      if (!spec.isEmpty() && !spec.toUpper().startsWith('E')) lines << name + ";" + spec;
    });
    if (!any)
      throw EMetaDefNotFound(
          FormatText("Tabeldefinitie [%s] niet gevonden in meta-tabel", {table}));
    if (!missing.isEmpty())
      throw EMetaDefNotFound(
          FormatText("Fatale fout: Geen parameterspecificaties bij veld: %s.%s", {table, missing}));
    const bool ok = vrt_.CreateTable(tablePath_, table, lines);
    CopyMessagesSince(before);
    return ok;
  } catch (const std::exception& e) {
    CopyMessagesSince(before);
    Status << ErrorText(e);
    return false;
  }
}

bool TvrtMetaDataset::RestructureTable(const QString& table) {
  TStateSaver state(*this);
  if (!MemoPresent()) return false;
  if (!HasTableDefinition(table))
    throw EMetaDefNotFound(FormatText("Tabeldefinitie [%s] niet gevonden in meta-tabel", {table}));

  const QString dbf = DataFile(table, ".DBF");
  const QString stem = tablePath_ + table + "~" + FormatMoment("yyyymmdd_hhnnss", Now());
  QString backup = stem + ".DBF";
  auto taken = [](const QString& dbfName) {
    const QFileInfo i(dbfName);
    const QString base = i.path() + "/" + i.completeBaseName();
    return Exists(base + ".DBF") || Exists(base + ".FPT") || Exists(base + ".CDX");
  };
  for (int counter = 1; taken(backup); ++counter)
    backup = stem + "_" + QString::number(counter, 16).toUpper().rightJustified(4, '0') + ".DBF";

  int before = int(vrt_.Messages.size());
  vrt_.Close();
  if (!vrt_.RenameTable(dbf, backup)) {
    CopyMessagesSince(before);
    Status << FormatText("Fout tijdens renamen bestand %s naar %s!", {dbf, backup});
    return false;
  }

  bool failed = false;
  if (!CreateTable(table)) {
    Status << FormatText("Fout tijdens aanmaken nieuwe tabel voor %s", {table});
    failed = true;
  } else {
    before = int(vrt_.Messages.size());
    if (!vrt_.CopyTable(backup, DataFile(table, ".DBF"))) {
      CopyMessagesSince(before);
      Status << FormatText("Fout tijdens kopieren van gegevens van tabel %s", {table});
      failed = true;
    }
  }
  if (!failed) return true;

  Status << "Oude tabel wordt teruggezet";
  vrt_.Close();
  // The new table's files go first: the old table comes back under its own name and
  // nothing of the new one is left beside it.
  for (const char* ext : {".DBF", ".FPT", ".CDX"}) {
    const QString file = DataFile(table, ext);
    if (QFileInfo(file).isFile()) QFile::remove(file);
  }
  before = int(vrt_.Messages.size());
  if (!vrt_.RenameTable(backup, dbf)) {
    CopyMessagesSince(before);
    Status << FormatText("Fout tijdens terugzetten van tabel \"%s\"->\"%s\"", {backup, dbf});
  }
  return false;
}

bool TvrtMetaDataset::ReindexTable(const QString& table) {
  TStateSaver state(*this);
  if (!MemoPresent()) return false;
  QStringList tags;
  TagDefinitions(table, tags);
  if (tags.isEmpty())
    throw EMetaDefNotFound(FormatText("Indexdefinitie [%s] niet gevonden in meta-tabel", {table}));
  for (QString& line : tags) line = LinePart(line, 0).trimmed() + "=" + LinePart(line, 1).trimmed();
  const int before = int(vrt_.Messages.size());
  vrt_.Close();
  const bool ok = vrt_.ReindexTable(tablePath_, table, tags);
  CopyMessagesSince(before);
  return ok;
}

bool TvrtMetaDataset::PackTable(const QString& table) {
  TStateSaver state(*this);
  if (!MemoPresent()) return false;
  const int before = int(vrt_.Messages.size());
  vrt_.Close();
  const bool ok = vrt_.PackTable(tablePath_, table);
  CopyMessagesSince(before);
  return ok;
}

bool TvrtMetaDataset::ReindexAll() {
  TStateSaver state(*this);
  if (!MemoPresent()) return false;
  QStringList tables;
  ListTables(tables);
  bool ok = true;
  for (const QString& table : tables) {
    if (!HasTagDefinition(table, QString())) continue;
    try {
      if (!ReindexTable(table)) ok = false;
    } catch (const std::exception& e) {
      Status << ErrorText(e);
      ok = false;
    }
  }
  return ok;
}

bool TvrtMetaDataset::PackAll() {
  TStateSaver state(*this);
  if (!MemoPresent()) return false;
  QStringList tables;
  ListTables(tables);
  bool ok = true;
  for (const QString& table : tables) {
    try {
      if (!PackTable(table)) ok = false;
      if (HasTagDefinition(table, QString()) && !ReindexTable(table)) ok = false;
    } catch (const std::exception& e) {
      Status << ErrorText(e);
      ok = false;
    }
  }
  return ok;
}

// ---- the meta table itself

bool TvrtMetaDataset::ReindexMeta() {
  const QFileInfo info(MetaFilePath());
  const QString cdx = info.path() + "/" + info.completeBaseName() + ".CDX";
  Close();
  SetIndexFiles({});
  SetExclusive(true);
  try {
    Open();
  } catch (const std::exception&) {
    Status << FormatText("Fout bij herindexeren metatabel; %s kan niet exclusief worden geopend",
                         {MetaFilePath()});
    SetExclusive(false);
    try {
      if (Exists(cdx)) SetIndexFiles({FindExistingFile(cdx)});
      Open();
    } catch (const std::exception&) {
    }
    return false;
  }
  bool ok = true;
  try {
    const QString old = FindExistingFile(cdx);
    if (QFileInfo(old).isFile() && !QFile::remove(old)) throw EMetaTableIO(old);
    CreateIndexTag(cdx, "NAME", 0, true, QString(), kMetaKey);
  } catch (const std::exception& e) {
    Status << ErrorText(e);
    ok = false;
  }
  Close();
  SetExclusive(false);
  try {
    if (Exists(cdx)) {
      SetIndexFiles({FindExistingFile(cdx)});
      SetIndexName("NAME");
    }
    Open();
  } catch (const std::exception& e) {
    Status << ErrorText(e);
    ok = false;
  }
  return ok;
}

bool TvrtMetaDataset::PackMetaTable() {
  const QFileInfo info(MetaFilePath());
  const QString cdx = FindExistingFile(info.path() + "/" + info.completeBaseName() + ".CDX");
  // Views stay away while the table is closed and packed.
  DisableControls();
  Close();
  SetExclusive(true);
  if (QFileInfo(cdx).isFile()) SetIndexFiles({cdx});
  bool ok = true;
  try {
    Open();
  } catch (const std::exception&) {
    Status << "PackMetaTable: Metatabel kan niet exclusief worden geopend";
    ok = false;
  }
  if (ok) {
    try {
      Pack();
    } catch (const std::exception& e) {
      Status << "PackMetaTable: Fout tijdens packen";
      Status << ErrorText(e);
      ok = false;
    }
  }
  Close();
  SetExclusive(false);
  EnableControls();
  if (!OpenMeta()) ok = false;
  return ok;
}

bool TvrtMetaDataset::DeleteTableFromMeta(const QString& table) {
  TStateSaver state(*this);
  if (!MemoPresent() || !EnsureOpen()) return false;
  const QString prefix = Key(table);
  try {
    DisableControls();
    for (;;) {
      Find(prefix, false, true);
      if (Eof() || IsEmpty() || !RowKey().startsWith(prefix)) break;
      Delete();
    }
    EnableControls();
  } catch (const std::exception& e) {
    EnableControls();
    Status << ErrorText(e);
    return false;
  }
  const bool packed = PackMetaTable();
  const bool indexed = ReindexMeta();
  return packed && indexed;
}

bool TvrtMetaDataset::ImportTableToMeta(const QString& file, const QString& remark,
                                        const QString& extraTag) {
  TStateSaver state(*this);
  if (!MemoPresent() || !EnsureOpen()) return false;
  QString path = NativePath(file);
  if (QFileInfo(path).suffix().isEmpty()) path += ".DBF";
  const QFileInfo info(path);
  const QString table = info.completeBaseName().toUpper();

  if (HasTableDefinition(table)) {
    const TDialogAnswer answer = AskYesNoAlways(
        "Tabel bestaat al", FormatText("De tabel %s komt al voor in de metatabel", {table}) +
                                "\n\nWilt u de bestaande informatie overschrijven?");
    if (answer != TDialogAnswer::Yes && answer != TDialogAnswer::Always) return false;
    if (!DeleteTableFromMeta(table)) return false;
  }

  QStringList fields;
  vrt_.GetFieldList(info.path(), info.fileName(), fields);
  if (fields.isEmpty()) {
    Status << FormatText("ImportTableToMeta: De tabel \"%s\" bevat geen veldinformatie", {table});
    return false;
  }
  if (!EnsureOpen()) return false;
  try {
    if (!remark.isEmpty()) AppendRow(table, "TAB", QString(), remark, QString());
    if (!extraTag.trimmed().isEmpty())
      AppendRow(table, "TAG", LinePart(extraTag, 0).trimmed(), LinePart(extraTag, 1).trimmed(),
                QString());
    for (const QString& line : fields) {
      const QString name = LinePart(line, 0);
      AppendRow(table, "FLD", name, LinePart(line, 1), name);
    }
  } catch (const std::exception& e) {
    Status << "ImportTableToMeta: Fout tijdens aanmaken van records in meta-tabel";
    Status << ErrorText(e);
    return false;
  }
  QStringList tags;
  const int before = int(vrt_.Messages.size());
  if (Exists(info.path() + "/" + info.completeBaseName() + ".CDX"))
    vrt_.GetTagList(info.path(), info.fileName(), tags);
  CopyMessagesSince(before);
  try {
    for (const QString& line : tags) {
      const QString tag = LinePart(line, 0);
      AppendRow(table, "TAG", tag, LinePart(line, 1), tag);
    }
  } catch (const std::exception& e) {
    Status << "ImportTableToMeta: Fout tijdens aanmaken van tag-records in meta-tabel";
    Status << ErrorText(e);
    return false;
  }
  return true;
}

void TvrtMetaDataset::ShowBrowser() {
  if (Browser()) Browser()(*this);
}

}  // namespace hb
