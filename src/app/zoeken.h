// The search of the search window: hour records of one employee whose work description
// holds a text, over the whole hour table (every week), as sorted result lines.
//
//   QStringList lines = ZoekWerkzaamheden(dm.tblUren, "overleg", CurrentMedewerker().IdText(),
//                                         toonStam);
//   // "2005.03.14\tOverleg klant", or with toonStam "2005.03.14\tK1  \tA1  \tP1  \tOverleg klant";
//   // a single ZoekGeenResultaten() line when nothing was found
//   QDate d = ZoekRegelDatum(lines[0]);        // the record's date, invalid for other lines
//
// The text is matched anywhere in WERKZ, without regard to letter case, by the table's record
// text search in physical record order; an empty text finds nothing. Records marked deleted
// and records of other employees are passed over.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

namespace hb {

class TDbfDataSet;

// "(geen resultaten gevonden)": the only line of an empty result.
QString ZoekGeenResultaten();

// The result lines of the records of employeeIdText whose WERKZ holds text (as typed, not
// trimmed), sorted; with toonStam each line carries the abbreviations of customer, activity
// and product from the full master data lists. Errors of the table are raised.
QStringList ZoekWerkzaamheden(TDbfDataSet& uren, const QString& text, const QString& employeeIdText,
                              bool toonStam);

// One result line: the date of start as "yyyy.mm.dd", with toonStam the three abbreviations
// (each cut or padded to 4 characters; an unknown item, ID < 0 or not in its list, gives an
// empty column) and the work description, separated by tabs.
QString ZoekResultaatRegel(double start, qint64 klant, qint64 activiteit, qint64 product,
                           const QString& werkz, bool toonStam);

// Sorts result lines as the result list shows them: ascending, letter case ignored (case
// decides only between otherwise equal lines).
void SorteerResultaten(QStringList& lines);

// Whether the week of a line can be shown: a line is selected and the list's first line is
// not the no-results line.
bool ZoekWeekKnopAan(bool regelGeselecteerd, const QString& eersteRegel);

// The date at the start of a result line (year characters 1-4, month 6-7, day 9-10); an
// invalid date when any part is zero, not a number or the three make no date.
QDate ZoekRegelDatum(const QString& regel);

}  // namespace hb
