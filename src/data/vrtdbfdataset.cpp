#include "data/vrtdbfdataset.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "dbf/createdbfdataset.h"
#include "dbf/dbfhandler.h"
#include "platform/codepage.h"
#include "platform/field.h"
#include "platform/folders.h"
#include "platform/osfile.h"
#include "util/paths.h"
#include "util/textfuncs.h"

namespace hb {

namespace {

std::function<std::unique_ptr<TProgressDisplay>()>& DisplayFactory() {
  static std::function<std::unique_ptr<TProgressDisplay>()> factory;
  return factory;
}

// The file of a table with another extension, as it exists (any letter case) or as named.
QString Companion(const QString& dbf, const QString& ext) {
  const QFileInfo info(dbf);
  return FindExistingFile(info.path() + "/" + info.completeBaseName() + ext);
}

QString WithDbfExtension(const QString& file) {
  return QFileInfo(file).suffix().isEmpty() ? file + ".DBF" : file;
}

bool FileExists(const QString& path) {
  return QFileInfo(FindExistingFile(path)).isFile();
}

// Whether a file can be opened with exclusive sharing (nobody else has it open).
bool CanOpenExclusive(const QString& path) {
  TOsFile file;
  if (!file.Open(path.toStdString(), TShareMode::Exclusive, true)) return false;
  file.Close();
  return true;
}

// The stored bytes of a text, without trailing blanks, cut or padded to width.
QByteArray FitText(QByteArray bytes, int width) {
  while (!bytes.isEmpty() && (bytes.endsWith(' ') || bytes.endsWith('\0'))) bytes.chop(1);
  if (bytes.size() > width) bytes.truncate(width);
  return bytes.leftJustified(width, ' ');
}

QByteArray TrimRight(QByteArray bytes) {
  while (!bytes.isEmpty() && (bytes.endsWith(' ') || bytes.endsWith('\0'))) bytes.chop(1);
  return bytes;
}

}  // namespace

QString ExceptionText(const std::exception& e) {
  if (const auto* db = dynamic_cast<const EDatabaseError*>(&e)) return db->Message();
  if (const auto* ft = dynamic_cast<const EFieldTypeInvalid*>(&e)) return ft->Message();
  if (dynamic_cast<const EDbfError*>(&e)) return AnsiToQString(e.what());
  return QString::fromUtf8(e.what());
}

void SetProgressDisplayFactory(std::function<std::unique_ptr<TProgressDisplay>()> factory) {
  DisplayFactory() = std::move(factory);
}

TVrtDbfDataSet::TVrtDbfDataSet() {
  Name = "VrtDbfDataSet";
  owner_ = this;
}

TVrtDbfDataSet::~TVrtDbfDataSet() {
  CloseForDestroy();
}

void TVrtDbfDataSet::Progress(int minimum, int position, const QString& caption, int maximum) {
  if (handler_) {
    handler_(minimum, position, caption, maximum);
    return;
  }
  if (!display_ && DisplayFactory()) display_ = DisplayFactory()();
  if (display_) display_->Progress(minimum, position, caption, maximum);
}

void TVrtDbfDataSet::SetProgressHandler(TProgressHandler handler, const void* owner) {
  if (!handler) return;
  handler_ = std::move(handler);
  owner_ = owner;
}

void TVrtDbfDataSet::SetTable(const QString& folder, const QString& table) {
  Close();
  SetIndexFiles({});
  SetIndexName({});
  SetDatabaseName(folder);
  SetTableName(table.trimmed());
}

bool TVrtDbfDataSet::TryExclusive() {
  // A table this instance holds exclusively already is as exclusive as it gets; a table it
  // holds shared is closed for the test, which its own handle would refuse otherwise.
  if (Active() && Exclusive()) return true;
  const bool wasActive = Active();
  const bool wasExclusive = Exclusive();
  Close();
  auto restore = [&] {
    SetExclusive(wasExclusive);
    if (!wasActive) return;
    try {
      Open();
    } catch (const std::exception&) {
    }
  };
  if (!CanOpenExclusive(TablePath())) {
    restore();
    return false;
  }
  SetExclusive(true);
  try {
    Open();
  } catch (const std::exception& e) {
    lastOpenError_ = ExceptionText(e);
    restore();
    return false;
  }
  return true;
}

bool TVrtDbfDataSet::RenameTable(const QString& oldFile, const QString& newFile) {
  const QString oldDbf = FindExistingFile(oldFile);
  if (!QFileInfo(oldDbf).isFile()) {
    Messages << FormatText("Hernoemen: %s bestaat niet", {oldFile});
    return false;
  }
  const QString newDbf = newFile;
  const QString oldFpt = Companion(oldDbf, ".FPT");
  const QString oldCdx = Companion(oldDbf, ".CDX");
  const bool hasFpt = QFileInfo(oldFpt).isFile();
  const bool hasCdx = QFileInfo(oldCdx).isFile();
  const QFileInfo target(newDbf);
  const QString newBase = target.path() + "/" + target.completeBaseName();
  // The companions keep the spelling of their extension.
  const QString newFpt = newBase + "." + QFileInfo(oldFpt).suffix();
  const QString newCdx = newBase + "." + QFileInfo(oldCdx).suffix();

  auto failed = [&] {
    Messages << FormatText("Hernoemen \"%s\"->\"%s\" mislukt", {oldFile, newFile});
    return false;
  };
  // A table in use elsewhere is not moved from under its user, and no existing file is
  // replaced.
  if (!CanOpenExclusive(oldDbf)) return failed();
  if (FileExists(newDbf) || (hasFpt && FileExists(newFpt)) || (hasCdx && FileExists(newCdx)))
    return failed();

  if (!QFile::rename(oldDbf, newDbf)) return failed();
  if (hasFpt && !QFile::rename(oldFpt, newFpt)) {
    if (QFileInfo::exists(oldDbf)) QFile::remove(oldDbf);
    QFile::rename(newDbf, oldDbf);
    return failed();
  }
  if (hasCdx && !QFile::rename(oldCdx, newCdx)) {
    if (hasFpt) {
      if (QFileInfo::exists(oldFpt)) QFile::remove(oldFpt);
      QFile::rename(newFpt, oldFpt);
    }
    if (QFileInfo::exists(oldDbf)) QFile::remove(oldDbf);
    QFile::rename(newDbf, oldDbf);
    return failed();
  }
  return true;
}

bool TVrtDbfDataSet::CopyTable(const QString& sourceFile, const QString& targetFile) {
  // Stored bytes are copied as they are: both tables without code page translation.
  TDbfDataSet source;
  source.Name = "CopySource";
  const QFileInfo src(WithDbfExtension(sourceFile));
  source.SetDatabaseName(src.path());
  source.SetTableName(src.fileName());
  source.SetUseDeleted(true);
  source.SetTranslateASCII(false);
  const QFileInfo dst(WithDbfExtension(targetFile));
  SetTable(dst.path(), dst.fileName());
  const bool wasTranslating = TranslateASCII();
  SetTranslateASCII(false);
  SetExclusive(true);
  SetUseDeleted(true);

  auto restore = [&] {
    try {
      if (Active()) FlushTable();
    } catch (const std::exception&) {
    }
    Close();
    SetExclusive(false);
    SetUseDeleted(false);
    SetTranslateASCII(wasTranslating);
    source.Close();
  };

  QString opening = sourceFile;
  try {
    source.Open();
    opening = targetFile;
    Open();
  } catch (const std::exception& e) {
    Messages << FormatText("CopyTable fout tijdens openen van %s: %s", {opening, ExceptionText(e)});
    restore();
    return false;
  }

  bool ok = true;
  source.DisableControls();
  DisableControls();
  try {
    CopyRows(source);
  } catch (const std::exception& e) {
    Messages << FormatText("CopyTable fout tijdens kopiëren van %s->%s: %s",
                           {sourceFile, targetFile, ExceptionText(e)});
    ok = false;
    try {
      if (State() == TDataSetState::dsInsert || State() == TDataSetState::dsEdit) Cancel();
    } catch (const std::exception&) {
    }
  }
  try {
    if (Active()) FlushTable();
  } catch (const std::exception& e) {
    if (ok) {
      Messages << FormatText("CopyTable fout tijdens kopiëren van %s->%s: %s",
                             {sourceFile, targetFile, ExceptionText(e)});
    }
    ok = false;
  }
  Progress(0, 0, QString(), 0);
  EnableControls();
  source.EnableControls();
  restore();
  return ok;
}

void TVrtDbfDataSet::CopyRows(TDbfDataSet& source) {
  // The target fields that the source has too, with how each is copied.
  enum class TKind { Text, Value, MemoToText, MemoToValue, TextToMemo, ValueToMemo, Memo };
  struct TPair {
    TField* target;
    TField* source;
    TKind kind;
  };
  QList<TPair> pairs;
  for (int i = 0; i < FieldCount(); ++i) {
    TField* t = Fields(i);
    TField* s = source.FindField(t->FieldName());
    if (!s) continue;
    const bool tMemo = t->IsBlob(), sMemo = s->IsBlob();
    const bool tText = t->DataType() == TFieldType::ftString;
    const bool sText = s->DataType() == TFieldType::ftString;
    TKind kind;
    if (tMemo && sMemo)
      kind = TKind::Memo;
    else if (tMemo)
      kind = sText ? TKind::TextToMemo : TKind::ValueToMemo;
    else if (sMemo)
      kind = tText ? TKind::MemoToText : TKind::MemoToValue;
    else
      kind = tText && sText ? TKind::Text : TKind::Value;
    pairs.append({t, s, kind});
  }

  const int total = source.RecordCount();
  int counter = 0;
  source.First();
  while (!source.Eof()) {
    Progress(0, ++counter, "bijwerken tabelstructuur", total);
    Append();
    for (const TPair& p : pairs) {
      const QString name = p.target->FieldName();
      switch (p.kind) {
        case TKind::Text:
          SetFieldText(name, FitText(source.GetFieldText(p.source->FieldName()), p.target->Size()));
          break;
        case TKind::Value:
          p.target->SetAsString(p.source->AsString());
          break;
        case TKind::MemoToText:
          SetFieldText(name, FitText(source.ReadMemo(p.source->FieldName()), p.target->Size()));
          break;
        case TKind::MemoToValue:
          p.target->SetAsString(
              AnsiToQString(TrimRight(source.ReadMemo(p.source->FieldName())).toStdString()));
          break;
        case TKind::TextToMemo: {
          const QByteArray text = TrimRight(source.GetFieldText(p.source->FieldName()));
          if (!text.isEmpty()) WriteMemo(name, text);
          break;
        }
        case TKind::ValueToMemo: {
          const QString text = p.source->AsString();
          if (!text.isEmpty()) WriteMemo(name, QByteArray::fromStdString(QStringToAnsi(text)));
          break;
        }
        case TKind::Memo: {
          const QByteArray bytes = source.ReadMemo(p.source->FieldName());
          if (!bytes.isEmpty()) WriteMemo(name, bytes);
          break;
        }
      }
    }
    Post();
    if (source.RecordIsDeleted()) Delete();
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
    source.Next();
  }
}

int TVrtDbfDataSet::GetFieldList(const QString& folder, const QString& table, QStringList& list) {
  int count = 0;
  try {
    SetTable(folder, table);
    Open();
    for (const TDbfFieldDef& f : Handler()->Fields()) {
      list << QString("%1=%2;%3;%4")
                  .arg(AnsiToQString(f.Name), QChar(f.Type))
                  .arg(f.Width)
                  .arg(f.Decimals)
                  .toUpper();
      ++count;
    }
    Close();
  } catch (const std::exception& e) {
    // Without its fields a table cannot be compared; the reason goes with the messages.
    Messages << ExceptionText(e);
    Close();
  }
  return count;
}

int TVrtDbfDataSet::GetTagList(const QString& folder, const QString& table, QStringList& list) {
  QStringList tags;
  try {
    SetTable(folder, table);
    const QString base = QFileInfo(WithDbfExtension(table.trimmed())).completeBaseName();
    SetIndexFiles({AddBackslash(NativePath(folder)) + base + ".CDX"});
    Open();
    for (int i = 1; i <= TagCount(); ++i) tags << (TagName(i) + "=" + TagExpression(i)).toUpper();
    Close();
    SetIndexFiles({});
  } catch (const std::exception& e) {
    Messages << FormatText("Fout tijdens opvragen indexen: %s", {ExceptionText(e)});
    Close();
    SetIndexFiles({});
    return 0;
  }
  list << tags;
  return int(tags.size());
}

bool TVrtDbfDataSet::CreateTable(const QString& folder, const QString& table,
                                 const QStringList& lines) {
  QStringList fields;
  for (const QString& line : lines) {
    const QStringList parts = line.split(QRegularExpression("[=;]"));
    const QString type = parts.size() > 1 ? parts[1] : QString();
    if (!IsValidFieldType(type)) {
      throw EFieldTypeInvalid(FormatText(
          "Fout bij creëren van het veld %s in tabel %s: \"%s\" is een ongeldig veldtype",
          {line, table, type}));
    }
    QString field = line;
    const qsizetype eq = field.indexOf('=');
    if (eq >= 0) field[eq] = ';';
    fields << field;
  }
  try {
    const QString absolute = QDir(NativePath(folder)).absolutePath();
    QDir().mkpath(absolute);
    SetTable(absolute, table);
    TCreateDbfDataSet creator;
    creator.SetDBFTable(this);
    creator.SetCreateFields(fields);
    creator.SetDBFType(TDbfTypes::FoxPro2);
    const bool ok = creator.CreateTable();
    Close();
    return ok;
  } catch (const std::exception& e) {
    Messages << ExceptionText(e);
    Close();
    return false;
  }
}

bool TVrtDbfDataSet::PackTable(const QString& folder, const QString& table) {
  SetTable(folder, table);
  // The pack renumbers the rows: an existing index file is opened so that it is rebuilt.
  const QString cdx = Companion(TablePath(), ".CDX");
  if (QFileInfo(cdx).isFile()) SetIndexFiles({cdx});
  bool ok = false;
  lastOpenError_.clear();
  if (!TryExclusive()) {
    Messages << FormatText("Voor comprimeren moet tabel %s exclusief geopend zijn", {table});
    if (!lastOpenError_.isEmpty()) Messages << lastOpenError_;
  } else {
    try {
      Pack();
      ok = true;
    } catch (const std::exception& e) {
      Messages << FormatText("Fout bij comprimeren van tabel %s: %s", {table, ExceptionText(e)});
    }
  }
  Close();
  SetExclusive(false);
  SetIndexFiles({});
  return ok;
}

bool TVrtDbfDataSet::ReindexTable(const QString& folder, const QString& table,
                                  const QStringList& tags) {
  SetTable(folder, table);
  bool ok = false;
  lastOpenError_.clear();
  if (!TryExclusive()) {
    Messages << FormatText("Voor herindexeren moet tabel %s exclusief geopend zijn", {table});
    if (!lastOpenError_.isEmpty()) Messages << lastOpenError_;
  } else {
    const QString old = Companion(TablePath(), ".CDX");
    const QFileInfo dbf(TablePath());
    const QString cdx = dbf.path() + "/" + dbf.completeBaseName() + ".CDX";
    if (QFileInfo(old).isFile() && !QFile::remove(old)) {
      Messages << FormatText("Oud index bestand %s kon niet worden verwijderd", {old});
    } else {
      ok = true;
      for (const QString& line : tags) {
        const qsizetype eq = line.indexOf('=');
        const QString tag = line.left(eq).trimmed();
        const QString expr = eq < 0 ? QString() : line.mid(eq + 1).trimmed();
        try {
          CreateIndexTag(cdx, tag, 0, true, QString(), expr);
        } catch (const std::exception& e) {
          Messages << FormatText("Fout tijdens aanmaken van index met Tag=%s, Expressie=%s: %s",
                                 {tag, expr, ExceptionText(e)});
          ok = false;
          break;
        }
      }
    }
  }
  Close();
  SetExclusive(false);
  return ok;
}

bool TVrtDbfDataSet::IsValidFieldType(const QString& type) {
  const QString t = type.trimmed().toUpper();
  return !t.isEmpty() && QString("CDFLMN").contains(t.at(0));
}

bool TVrtDbfDataSet::TypeHasLength(const QString& type) {
  const QString t = type.trimmed().toUpper();
  return !t.isEmpty() && QString("CFN").contains(t.at(0));
}

bool TVrtDbfDataSet::TypeHasDecimals(const QString& type) {
  const QString t = type.trimmed().toUpper();
  return !t.isEmpty() && QString("FN").contains(t.at(0));
}

const TDbfFieldDef* TVrtDbfDataSet::Def(const QString& fieldName) const {
  if (!Active() || !Handler()) return nullptr;
  const std::string want = AnsiUpperCase(QStringToAnsi(fieldName.trimmed()));
  for (const TDbfFieldDef& f : Handler()->Fields())
    if (f.Name == want) return &f;
  return nullptr;
}

QChar TVrtDbfDataSet::FieldType(const QString& fieldName) const {
  const TDbfFieldDef* f = Def(fieldName);
  return f ? QChar(f->Type) : QChar(' ');
}

int TVrtDbfDataSet::FieldLength(const QString& fieldName) const {
  const TDbfFieldDef* f = Def(fieldName);
  return f ? f->Width : 0;
}

int TVrtDbfDataSet::FieldDecimals(const QString& fieldName) const {
  const TDbfFieldDef* f = Def(fieldName);
  return f ? f->Decimals : 0;
}

}  // namespace hb
