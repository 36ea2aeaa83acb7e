#include "dbf/createdbfdataset.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include "dbf/dbfbuilder.h"
#include "dbf/dbfdataset.h"
#include "platform/codepage.h"
#include "platform/dialogservice.h"

namespace hb {

namespace {

struct TFieldLine {
  QString Name;
  char Type = 'C';
  int Width = 0;
  int Decimals = 0;
};

bool WholeNumber(const QString& text, int& value) {
  const QString t = text.trimmed();
  if (t.isEmpty()) return false;
  for (const QChar c : t)
    if (!c.isDigit() || c.unicode() > '9') return false;
  bool ok = false;
  value = t.toInt(&ok);
  return ok;
}

// name;type;width;decimals. Types and sizes the table files can hold: a type letter the
// engine converts, widths that fit the descriptor (character fields up to 65535, numbers up
// to 255 with fewer decimals than places).
bool ParseLine(const QString& line, TFieldLine& out) {
  const int s1 = line.indexOf(';');
  if (s1 <= 0) return false;
  out.Name = line.left(s1).trimmed();
  if (out.Name.isEmpty()) return false;
  const QString rest = line.mid(s1 + 1);
  if (rest.size() < 2 || rest.at(1) != ';') return false;
  const QChar t = rest.at(0).toUpper();
  if (t.unicode() > 127 || !QByteArray("CDFLMNBG").contains(char(t.unicode()))) return false;
  out.Type = char(t.unicode());
  const QString sizes = rest.mid(2);
  const int s3 = sizes.indexOf(';');
  if (s3 < 0) return false;
  if (!WholeNumber(sizes.left(s3), out.Width)) return false;
  if (!WholeNumber(sizes.mid(s3 + 1, 3), out.Decimals)) return false;
  switch (out.Type) {
    case 'C':
      return out.Width >= 1 && out.Width <= 65535;
    case 'N':
    case 'F':
      return out.Width >= 1 && out.Width <= 255 && out.Decimals < out.Width;
    default:
      return true;  // the width of D, L and memo fields is fixed by the builder
  }
}

}  // namespace

bool TCreateDbfDataSet::CreateTable() {
  if (!table_) throw EDatabaseError("A table is not assigned to this object");
  if (table_->Active()) throw EDatabaseError("Cannot perform this operation on an open table");
  if (table_->TableName().trimmed().isEmpty()) throw EDatabaseError("Table name missing");
  const QString path = table_->TablePath();

  if (QFileInfo::exists(path) && !autoOverwrite_ &&
      !Dialogs().Question("Warning", "Table exists.  Do you want to overwrite?", true))
    return false;

  QList<TFieldLine> lines;
  QSet<QString> names;
  for (const QString& text : fields_) {
    TFieldLine line;
    if (!ParseLine(text, line)) throw EDatabaseError("Field list is invalid");
    // Compared as stored: upper case, ten characters.
    const QString upper = line.Name.toUpper().left(10);
    if (names.contains(upper)) throw EDatabaseError("Field list is invalid");
    names.insert(upper);
    lines.append(line);
  }
  if (lines.isEmpty()) throw EDatabaseError("Field list is invalid");

  auto builder = MakeDbfBuilder(QFile::encodeName(path).toStdString(), type_);
  for (const TFieldLine& line : lines)
    builder->AddField(QStringToAnsi(line.Name), line.Type, line.Decimals, line.Width);
  builder->Finish();
  if (!QFileInfo::exists(path)) return false;
  table_->Open();
  return true;
}

}  // namespace hb
