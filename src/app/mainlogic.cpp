#include "app/mainlogic.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QUrl>
#include <cmath>

#include "data/flexfields.h"
#include "data/stamtypes.h"
#include "platform/inifile.h"
#include "timereg/actielist.h"
#include "timereg/mainobj.h"
#include "util/calendarfuncs.h"
#include "util/conversions.h"
#include "util/formats.h"

namespace hb {

namespace {

QString Tr(const char* text) {
  return QCoreApplication::translate("TfrmMain", text);
}

int Round(double v) {
  return static_cast<int>(std::floor(v + 0.5));
}

double DateOf(double moment) {
  return std::floor(moment + 1e-9);
}

std::function<double()>& Clock() {
  static std::function<double()> clock;
  return clock;
}

}  // namespace

// --- zoom -------------------------------------------------------------------------------

int ZoomedIn(int zoom) {
  return qMin(Round(zoom * 1.5), kZoomMax);
}

int ZoomedOut(int zoom) {
  return qMax(Round(zoom / 1.5), kZoomMin);
}

QString ZoomInCaption(int zoom) {
  return Tr("In&zoomen") + " " + QString::number(ZoomedIn(zoom)) + "%";
}

QString ZoomOutCaption(int zoom) {
  return Tr("Uitz&oomen") + " " + QString::number(ZoomedOut(zoom)) + "%";
}

int FitCellSize(int available, int count, int zoom, int current) {
  if (count <= 0) return current;
  const int size = Round((available / count) * zoom / 100.0);
  return size >= 1 ? size : current;
}

// --- weeks ------------------------------------------------------------------------------

bool IsWeekBlocked(const TIniFile& ini, double weekStart) {
  if (!ini.ReadBool("Block", "Enabled", false)) return false;
  if (ini.ReadBool("Block", "NoBlockAdmin", false)) return false;
  const double blockDate = StampToDateTime(ini.ReadString("Block", "Date", "0"));
  return weekStart < blockDate;
}

QDate WeekStartOfTab(int index, const QDate& calendarDate) {
  const QDate d = calendarDate.dayOfWeek() == 7 ? calendarDate.addDays(1) : calendarDate;
  const int year = IsoYear(d);
  if (index <= 0) return IsoWeekStart(year - 1, IsoWeeksInYear(year - 1));
  if (index >= 54) return IsoWeekStart(year + 1, 1);
  return IsoWeekStart(year, qMin(index, IsoWeeksInYear(year)));
}

int FirstVisibleTab(int index) {
  if (index <= 3) return 0;
  if (index - 3 <= 48) return index - 3;
  return 48;
}

QString WeekLabelText(int week, const QDate& monday) {
  return Tr("week %1:  %2  -  %3")
      .arg(week)
      .arg(DateText(DateToMoment(monday)), DateText(DateToMoment(monday.addDays(6))));
}

QStringList ColumnHeadings(const QDate& monday) {
  QStringList headings;
  for (int i = 0; i < 7; ++i) {
    headings << DayName(i + 1, false) + " - " + QString::number(monday.addDays(i - 1).day());
  }
  return headings;
}

QString DragSelectionText(const TMainObj& m, const TXRect& r) {
  const QString days = Tr("ZoMaDiWoDoVrZa");
  auto abbrev = [&days](int column) { return days.mid(qBound(0, column, 6) * 2, 2); };
  QString text = abbrev(r.Left);
  if (r.Left != r.Right) text += "-" + abbrev(r.Right);
  return text + "  " + m.RowToTimeStr(r.Top) + "-" + m.RowToTimeStr(r.Bottom + 1);
}

// --- blocks -----------------------------------------------------------------------------

TBlockLook ComposeLook(const TActieRec& rec, bool selected, const TBlockColors& colors) {
  TBlockLook look;
  look.Color = selected ? kSelectedColor : rec.Voorlopig ? colors.Temp : colors.Action;
  auto colourOf = [](const TStamObjPtr& item) -> TColor {
    return item ? static_cast<TColor>(item->Kleur) & 0xFFFFFF : 0;
  };
  const bool klant = FlexFldKlant().InUse, activ = FlexFldActiviteit().InUse,
             prod = FlexFldProduct().InUse;
  if (klant) look.Bar1 = colourOf(rec.Klant);
  if (activ) look.Bar2 = colourOf(rec.Activiteit);
  if (prod) look.Bar3 = colourOf(rec.Product);

  auto abbrev = [](const TStamObjPtr& item) { return item ? item->Afkorting : QString(); };
  auto name = [](const TStamObjPtr& item) { return item ? item->Naam : QString(); };
  const QString crlf = "\r\n";
  QString c;
  if (klant) c += "#B+#" "#C128#" + abbrev(rec.Klant);
  if (activ) {
    c += "#C#";
    if (!abbrev(rec.Activiteit).isEmpty()) c += " | " + abbrev(rec.Activiteit);
  }
  if (prod) {
    c += "#C15728640#";
    if (!abbrev(rec.Product).isEmpty()) c += " | " + abbrev(rec.Product);
  }
  c += "#C8421504#" "#HR#" "#C#" "#B-#";
  c += FormatMoment("hh:nn", rec.Start) + "-" + FormatMoment("hh:nn", rec.Stop) + crlf;
  if (colors.LongNames) {
    const struct {
      bool inUse;
      const char* tag;
      QString name;
    } names[] = {{klant, "#C128#", name(rec.Klant)},
                 {activ, "#C#", name(rec.Activiteit)},
                 {prod, "#C15728640#", name(rec.Product)}};
    for (const auto& n : names) {
      if (!n.inUse) continue;
      c += n.tag + n.name;
      if (!n.name.trimmed().isEmpty()) c += crlf;
    }
  }
  if (FlexFldWerkzaamheden().InUse) {
    c += "#C" + QString::number(colors.Font) + "#" + "#I+#" + rec.Werkz;
    if (!rec.Werkz.isEmpty()) c += crlf;
    c += "#I-##B+#";
    if (FlexFldAantal().InUse && rec.Aantal != 0) c += QString::number(rec.Aantal);
  }
  look.Caption = c;
  return look;
}

// --- totals -----------------------------------------------------------------------------

TTotals ComputeTotals(const QList<TTotalsBlock>& blocks, int slotsPerHour, bool exclVoorlopig,
                      bool exclOverhead, double normDays) {
  TTotals t;
  if (slotsPerHour <= 0) {
    t.TotalText = t.NormText = t.Hint = "???";
    return t;
  }
  auto indirect = [](const TStamObjPtr& item) { return item && item->Overhead != ohDirect; };
  for (const TTotalsBlock& b : blocks) {
    if (!b.Record || b.Column < 0 || b.Column > 6) continue;
    if (exclVoorlopig && b.Record->Voorlopig) continue;
    if (exclOverhead && (indirect(b.Record->Klant) || indirect(b.Record->Activiteit) ||
                         indirect(b.Record->Product)))
      continue;
    const double days = double(b.Bottom - b.Top + 1) / slotsPerHour / 24.0;
    t.Day[b.Column] += days;
    t.Week += days;
  }
  t.TotalText = DurationText(t.Week, true);
  t.NormText = DurationText(normDays, true);
  t.NormVisible = normDays > 0;
  const double minute = 1.0 / 1440;
  t.TotalColor = 0;
  if (t.NormVisible) {
    if (t.Week < normDays - minute) {
      t.TotalColor = 0x000080;  // maroon
    } else if (t.Week <= normDays + minute) {
      t.TotalColor = 0;
    } else {
      t.TotalColor = 0x800080;  // purple
    }
  }
  QStringList lines;
  for (int d = 0; d < 7; ++d) {
    lines << DurationText(t.Day[d], true) + " " + DayName(d + 1, true);
    if (d == 0 || d == 5) lines << QString();
  }
  t.Hint = lines.join("\n");
  return t;
}

// --- Insert ------------------------------------------------------------------------------

TInsertSettings ReadInsertSettings(const TIniFile& ini) {
  TInsertSettings s;
  const double w = TMainObj::TimeStrToTime(ini.ReadString("Grid", "WerktijdBegin", "07:45"));
  s.WorkStart = w >= 0 && w < 1 ? w : 7.75 / 24;
  s.WorkweekBegin = ini.ReadInteger("Grid", "WerkweekBegin", 1);
  s.BookPeriods = qMax(1, ini.ReadInteger("ProgFunctions", "BookPeriods", 4));
  return s;
}

bool ProposeInsert(const TActieList& week, const TMainObj& m, bool firstInsert,
                   double rememberedMoment, double now, const TInsertSettings& s, TXRect& rect) {
  const double w = s.WorkStart;
  double q = week.LatestStop();
  if (firstInsert) {
    const double earliest = rememberedMoment != 0 ? rememberedMoment : DateOf(now) + w;
    q = qMax(q, earliest);
  } else if (q == 0) {
    const double monday = DateToMoment(WeekStart(MomentToDate(now)));
    q = m.RoundToTimeblock(0, monday - 1 + s.WorkweekBegin + w);
  }
  const int n = s.BookPeriods;
  q = week.NextFreeMoment(q);
  double e = m.AddTimeblocks(n, q);
  // A year of days is enough to find room; a full year means there is none.
  for (int tries = 0;; ++tries) {
    if (tries > 366) return false;
    while (e > q && DateOf(e) == DateOf(q) && !week.IsPeriodFree(-1, e, q)) {
      e = m.AddTimeblocks(-1, e);
    }
    if (DateOf(e) > DateOf(q)) e = DateOf(q) + (86399.0 / 86400);
    // A period that shrank to nothing is no proposal: look on the next day.
    if (e > q && week.IsPeriodFree(-1, e, q)) break;
    q = week.NextFreeMoment(DateOf(q) + 1 + w);
    e = m.AddTimeblocks(n, q);
  }
  rect.Top = m.TimeToRow(false, q);
  rect.Bottom = m.TimeToRow(true, e);
  rect.Left = rect.Right = TMainObj::DayColumn(q);
  return true;
}

// --- the maker's web pages -------------------------------------------------------------

const char* const kWebsiteUrl = "https://www.hourbook.app/";
const char* const kUpdateCheckUrl = "https://www.hourbook.app/updatecheck";

QString UpdateCheckLanguage(const QLocale& locale) {
  switch (locale.language()) {
    case QLocale::Dutch:
      return "NLD";
    case QLocale::English:
    case QLocale::C:  // the untranslated program texts are English
      return "ENU";
    default:
      break;
  }
  const QString code = QLocale::languageToCode(locale.language(), QLocale::ISO639Part2T).toUpper();
  return code.size() == 3 ? code : QString("ENU");
}

QString UpdateCheckAddress(const QLocale& locale, const QString& version) {
  return QString(kUpdateCheckUrl) + "?lang=" + UpdateCheckLanguage(locale) +
         "&prog=hblite&ver=" + QString::fromLatin1(QUrl::toPercentEncoding(version));
}

// --- clock ------------------------------------------------------------------------------

double NowMoment() {
  if (Clock()) return Clock()();
  return DateTimeToMoment(QDateTime::currentDateTime());
}

void SetNowClock(std::function<double()> clock) {
  Clock() = std::move(clock);
}

}  // namespace hb
