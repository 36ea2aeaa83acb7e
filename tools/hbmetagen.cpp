// hbmetagen: turns the text definition of the table rows (tools/metatable.txt) into the
// meta table that ships beside the program.
//
//   hbmetagen DEFINITION OUTPUT.DBF
//
// The output is a FoxPro 2 table with the fields TABLE C8, TYPE C3, NAME C10, PARAM M and
// COMMENT M, its memo file (".FPT") and its compound index (".CDX") with the one tag NAME
// on "Upper(TABLE)+Upper(TYPE)+Upper(NAME)". Before anything is written every row is
// checked, and every defined data table is built once in a scratch folder with all its
// tags, so a typing error in a field specification or a key expression fails the build
// instead of the first start of the program. On any failure no output is left behind.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "dbf/dbfbuilder.h"
#include "dbf/dbfhandler.h"
#include "platform/codepage.h"

namespace {

struct TRow {
  int Line = 0;
  QString Table, Type, Name, Param, Comment;
};

struct TBadDefinition : std::runtime_error {
  using std::runtime_error::runtime_error;
};

[[noreturn]] void Bad(const TRow& row, const QString& what) {
  throw TBadDefinition(QString("line %1: %2").arg(row.Line).arg(what).toStdString());
}

std::vector<TRow> ReadDefinition(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
    throw TBadDefinition(("cannot read " + path).toStdString());
  std::vector<TRow> rows;
  int line = 0;
  QTextStream in(&file);
  while (!in.atEnd()) {
    const QString text = in.readLine();
    ++line;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith('#')) continue;
    QStringList cols = text.split('|');
    TRow row;
    row.Line = line;
    if (cols.size() < 4 || cols.size() > 5)
      Bad(row, "expected TABLE | TYPE | NAME | PARAM | COMMENT");
    for (QString& c : cols) c = c.trimmed();
    row.Table = cols[0].toUpper();
    row.Type = cols[1].toUpper();
    row.Name = cols[2].toUpper();
    row.Param = cols[3];
    row.Comment = cols.size() > 4 ? cols[4] : QString();
    rows.push_back(row);
  }
  return rows;
}

// The checks of one row; the field specifications are those a table can be created with.
void CheckRow(const TRow& row) {
  static const QRegularExpression name("^[A-Z_][A-Z0-9_]*$");
  if (row.Table.isEmpty() || row.Table.size() > 8 || !name.match(row.Table).hasMatch())
    Bad(row, "table name must be 1 to 8 letters, digits or underscores");
  if (row.Type != "FLD" && row.Type != "TAG" && row.Type != "TAB" && row.Type != "CAP" &&
      row.Type != "CAT")
    Bad(row, "type must be FLD, TAG, TAB, CAP or CAT");
  if (row.Type == "FLD" || row.Type == "TAG") {
    if (row.Name.isEmpty() || row.Name.size() > 10 || !name.match(row.Name).hasMatch())
      Bad(row, "name must be 1 to 10 letters, digits or underscores");
    if (row.Param.isEmpty()) Bad(row, "parameter missing");
  }
  if (row.Type == "FLD") {
    static const QRegularExpression spec("^([CDFLMNE]);(\\d+);(\\d+)$");
    const auto m = spec.match(row.Param.toUpper());
    if (!m.hasMatch()) Bad(row, "field specification must be TYPE;LENGTH;DECIMALS");
    const QString type = m.captured(1);
    const int length = m.captured(2).toInt(), decimals = m.captured(3).toInt();
    if (type == "C" && (length < 1 || length > 254)) Bad(row, "character length 1 to 254");
    if ((type == "N" || type == "F") && (length < 1 || length > 20 || decimals >= length))
      Bad(row, "numeric length 1 to 20 with fewer decimals");
  }
  if (row.Param.contains('\n') || row.Comment.contains('\n')) Bad(row, "one line only");
}

// Builds every defined table with its tags in folder: the key expressions must compile
// against the defined fields.
void TryTables(const std::vector<TRow>& rows, const QString& folder) {
  std::map<QString, std::vector<const TRow*>> byTable;
  for (const TRow& r : rows) byTable[r.Table].push_back(&r);
  for (const auto& [table, defs] : byTable) {
    const std::string dbf = QDir(folder).filePath(table + ".DBF").toStdString();
    hb::TFoxBuilder builder(dbf);
    bool anyField = false;
    std::map<QString, int> names;
    for (const TRow* r : defs) {
      if (r->Type != "FLD" && r->Type != "TAG") continue;
      if (++names[r->Type + r->Name] > 1) Bad(*r, r->Type + " " + r->Name + " defined twice");
      if (r->Type != "FLD" || r->Param.toUpper().startsWith('E')) continue;
      const QStringList p = r->Param.toUpper().split(';');
      builder.AddField(hb::QStringToAnsi(r->Name), p[0].at(0).toLatin1(), p[2].toInt(),
                       p[1].toInt());
      anyField = true;
    }
    if (!anyField) continue;
    builder.Finish();
    hb::TDbfHandler handler;
    handler.Open(dbf, false, true);
    const std::string cdx = QDir(folder).filePath(table + ".CDX").toStdString();
    for (const TRow* r : defs) {
      if (r->Type != "TAG") continue;
      try {
        handler.CreateIndexTag(cdx, hb::QStringToAnsi(r->Name), 0, true, "",
                               hb::QStringToAnsi(r->Param));
      } catch (const std::exception& e) {
        Bad(*r, QString("key expression of %1.%2: %3").arg(table, r->Name, e.what()));
      }
    }
    handler.Close();
  }
}

void WriteMeta(const std::vector<TRow>& rows, const QString& output) {
  const std::string dbf = output.toStdString();
  {
    hb::TFoxBuilder builder(dbf);
    builder.AddField("TABLE", 'C', 0, 8);
    builder.AddField("TYPE", 'C', 0, 3);
    builder.AddField("NAME", 'C', 0, 10);
    builder.AddField("PARAM", 'M', 0, 10);
    builder.AddField("COMMENT", 'M', 0, 10);
    builder.Finish();
  }
  // The memo file carries the extension in capitals, as the program names it.
  const QString lowerMemo =
      QFileInfo(output).path() + "/" + QFileInfo(output).completeBaseName() + ".fpt";
  const QString memo =
      QFileInfo(output).path() + "/" + QFileInfo(output).completeBaseName() + ".FPT";
  if (lowerMemo != memo && !QFile::rename(lowerMemo, memo))
    throw TBadDefinition(("cannot rename " + lowerMemo + " to " + memo).toStdString());

  hb::TDbfHandler handler;
  handler.Open(dbf, false, true);
  const int fParam = handler.FieldByName("PARAM"), fComment = handler.FieldByName("COMMENT");
  for (const TRow& r : rows) {
    handler.BlankRecord();
    handler.WriteTextByName("TABLE", hb::QStringToAnsi(r.Table));
    handler.WriteTextByName("TYPE", hb::QStringToAnsi(r.Type));
    handler.WriteTextByName("NAME", hb::QStringToAnsi(r.Name));
    if (!r.Param.isEmpty()) handler.WriteMemo(fParam, hb::QStringToAnsi(r.Param));
    if (!r.Comment.isEmpty()) handler.WriteMemo(fComment, hb::QStringToAnsi(r.Comment));
    handler.AppendRecord();
  }
  const std::string cdx = QFileInfo(output).path().toStdString() + "/" +
                          QFileInfo(output).completeBaseName().toStdString() + ".CDX";
  handler.CreateIndexTag(cdx, "NAME", 0, true, "", "Upper(TABLE)+Upper(TYPE)+Upper(NAME)");
  handler.Close();
}

void RemoveOutputs(const QString& output) {
  const QString base = QFileInfo(output).path() + "/" + QFileInfo(output).completeBaseName();
  for (const char* ext : {".DBF", ".FPT", ".fpt", ".CDX"}) QFile::remove(base + ext);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "Usage: hbmetagen DEFINITION OUTPUT.DBF\n");
    return 2;
  }
  const QString definition = QString::fromLocal8Bit(argv[1]);
  const QString output = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
  try {
    const std::vector<TRow> rows = ReadDefinition(definition);
    if (rows.empty()) throw TBadDefinition("no rows defined");
    for (const TRow& r : rows) CheckRow(r);
    QTemporaryDir scratch;
    if (!scratch.isValid()) throw TBadDefinition("no scratch folder");
    TryTables(rows, scratch.path());
    RemoveOutputs(output);
    WriteMeta(rows, output);
  } catch (const std::exception& e) {
    RemoveOutputs(output);
    std::fprintf(stderr, "hbmetagen: %s: %s\n", qPrintable(definition), e.what());
    return 1;
  }
  return 0;
}
