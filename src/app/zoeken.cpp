#include "app/zoeken.h"

#include <QCoreApplication>
#include <algorithm>

#include "data/dmdbase.h"
#include "data/stamlists.h"
#include "dbf/dbfdataset.h"
#include "platform/field.h"
#include "util/calendarfuncs.h"
#include "util/conversions.h"

namespace hb {

namespace {

// The abbreviation column of an item: a tab and the abbreviation cut or padded to 4
// characters; only the tab when the item is not in the list.
QString StamColumn(const TStamList& list, qint64 id) {
  const TStamObjPtr item = id < 0 ? nullptr : list.FindById(id);
  if (!item) return QStringLiteral("\t");
  return '\t' + item->Afkorting.leftJustified(TStamObj::kMaxAfkorting, ' ', true);
}

// A part of a result line as a number, 0 when it is none.
int LinePart(const QString& line, int from, int length) {
  bool ok = false;
  const int value = line.mid(from, length).toInt(&ok);
  return ok ? value : 0;
}

}  // namespace

QString ZoekGeenResultaten() {
  return QCoreApplication::translate("TfrmZoeken", "(geen resultaten gevonden)");
}

QString ZoekResultaatRegel(double start, qint64 klant, qint64 activiteit, qint64 product,
                           const QString& werkz, bool toonStam) {
  QString line = MomentToDate(start).toString("yyyy.MM.dd");
  if (toonStam) {
    line += StamColumn(StamKlanten(), klant);
    line += StamColumn(StamActiviteiten(), activiteit);
    line += StamColumn(StamProducten(), product);
  }
  return line + '\t' + werkz;
}

QStringList ZoekWerkzaamheden(TDbfDataSet& uren, const QString& text, const QString& employeeIdText,
                              bool toonStam) {
  QStringList lines;
  const int werkzField = uren.FieldByName("WERKZ")->FieldNo();
  int recNo = 0;  // the search continues after this record; 0: from the first
  for (;;) {
    int field = werkzField;
    if (uren.SearchText(text, field, 0, recNo) == 0) break;
    if (uren.RecordIsDeleted()) continue;
    if (uren.FieldByName("MEDEWERKER")->AsString() != employeeIdText) continue;
    const auto id = [&uren](const char* name) {
      return TdmDBase::IdValue(uren.FieldByName(name)->AsString(), -1);
    };
    lines << ZoekResultaatRegel(StampToDateTime(uren.FieldByName("START")->AsString()),
                                toonStam ? id("KLANT") : -1, toonStam ? id("ACTIVITEIT") : -1,
                                toonStam ? id("PRODUCT") : -1,
                                uren.FieldByName("WERKZ")->AsString(), toonStam);
  }
  if (lines.isEmpty()) return {ZoekGeenResultaten()};
  SorteerResultaten(lines);
  return lines;
}

void SorteerResultaten(QStringList& lines) {
  std::stable_sort(lines.begin(), lines.end(), [](const QString& a, const QString& b) {
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
  });
}

bool ZoekWeekKnopAan(bool regelGeselecteerd, const QString& eersteRegel) {
  return regelGeselecteerd && !eersteRegel.startsWith(ZoekGeenResultaten());
}

QDate ZoekRegelDatum(const QString& regel) {
  const int year = LinePart(regel, 0, 4);
  const int month = LinePart(regel, 5, 2);
  const int day = LinePart(regel, 8, 2);
  if (year == 0 || month == 0 || day == 0) return {};
  return QDate(year, month, day);  // invalid when the three make no date
}

}  // namespace hb
