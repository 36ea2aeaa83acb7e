// The decisions of the main window that need no screen: zoom steps and their menu captions,
// week blocking, the week tabs, the text shown while a selection is dragged, how a block
// looks for its record, the totals beside the planner and the period Insert proposes.
//
//   ZoomedIn(100) == 150; ZoomedIn(150) == 225; ZoomedOut(100) == 67
//   ZoomInCaption(225) == "In&zoomen 225%"
//   IsWeekBlocked(ProgramIni(), weekStart)     // [Block] Enabled, Date, NoBlockAdmin
//   TTotals t = ComputeTotals(blocks, 4, exclVoorl, exclOverhead, normDays);
//   ProposeInsert(weekList, MainObj(), true, 0, Now(), ReadInsertSettings(ini), rect)
#pragma once

#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>
#include <functional>

#include "controls/planboxgeometry.h"

namespace hb {

class TActieList;
class TActieRec;
class TIniFile;
class TMainObj;

// --- zoom -------------------------------------------------------------------------------

constexpr int kZoomMin = 25;
constexpr int kZoomMax = 225;
int ZoomedIn(int zoom);   // round(zoom * 1.5), at most 225
int ZoomedOut(int zoom);  // round(zoom / 1.5), at least 25
QString ZoomInCaption(int zoom);
QString ZoomOutCaption(int zoom);

// Column width or row height that fills `available` pixels with `count` cells, scaled by the
// zoom; `current` when the cells cannot be counted or would vanish.
int FitCellSize(int available, int count, int zoom, int current);

// --- weeks ------------------------------------------------------------------------------

// A week is read-only when [Block] Enabled is on, its Monday lies before [Block] Date (an
// epoch timestamp) and [Block] NoBlockAdmin is off.
bool IsWeekBlocked(const TIniFile& programIni, double weekStart);

// The Monday a click on week tab `index` shows (0 = "<<--", 54 = "-->>"), seen from the
// calendar's date.
QDate WeekStartOfTab(int index, const QDate& calendarDate);
// The first tab to keep visible when tab `index` is selected.
int FirstVisibleTab(int index);

// "week 12:  14-03-2005  -  20-03-2005" for the week that starts on monday.
QString WeekLabelText(int week, const QDate& monday);
// "maandag - 14" for column 1 of the week that starts on monday.
QStringList ColumnHeadings(const QDate& monday);

// "Ma-Wo  08:00-09:15" for the cells of a dragged selection.
QString DragSelectionText(const TMainObj& mainObj, const TXRect& rect);

// --- blocks -----------------------------------------------------------------------------

struct TBlockColors {
  TColor Action = 0xFFFFFF;  // [Colors] action
  TColor Temp = 0xC0C0C0;    // [Colors] temp
  TColor Font = 0;           // [Colors] font
  bool LongNames = true;     // [Grid] longnames
};

struct TBlockLook {
  TColor Color = 0;
  TColor Bar1 = 0, Bar2 = 0, Bar3 = 0;
  QString Caption;
};

constexpr TColor kSelectedColor = 0x00FFFF;  // yellow

// Colour, bars and caption markup of the block of a record.
TBlockLook ComposeLook(const TActieRec& rec, bool selected, const TBlockColors& colors);

// --- totals -----------------------------------------------------------------------------

struct TTotalsBlock {
  int Column = 0;
  int Top = 0;
  int Bottom = 0;
  const TActieRec* Record = nullptr;
};

struct TTotals {
  double Day[7] = {0, 0, 0, 0, 0, 0, 0};  // days, Sunday first
  double Week = 0;
  QString TotalText;  // "H:MM", "???" on failure
  QString NormText;
  bool NormVisible = false;
  TColor TotalColor = 0;  // maroon below the norm, black at it, purple above
  QString Hint;           // one line per day
};

// Counts each block by its rows (not by its record's times), leaving out provisional
// records and records with an indirect, overhead or absence item when asked.
TTotals ComputeTotals(const QList<TTotalsBlock>& blocks, int slotsPerHour, bool exclVoorlopig,
                      bool exclOverhead, double normDays);

// --- Insert ------------------------------------------------------------------------------

struct TInsertSettings {
  double WorkStart = 7.75 / 24;  // [Grid] WerktijdBegin, time of day
  int WorkweekBegin = 1;         // [Grid] WerkweekBegin
  int BookPeriods = 4;           // [ProgFunctions] BookPeriods
};
TInsertSettings ReadInsertSettings(const TIniFile& programIni);

// The cells Insert selects: the first free period after the week's last record (or from
// the remembered right-click moment, or today's work start), of BookPeriods slots, cut
// short by the next record, else on a following day. firstInsert false: Shift+Insert,
// from the start of the work week. False when no day offers a free period.
bool ProposeInsert(const TActieList& week, const TMainObj& mainObj, bool firstInsert,
                   double rememberedMoment, double now, const TInsertSettings& settings,
                   TXRect& rect);

// --- the maker's web pages -------------------------------------------------------------

// The product web site and the update-check page.
extern const char* const kWebsiteUrl;
extern const char* const kUpdateCheckUrl;

// The language part of the update-check query: "NLD" for Dutch, "ENU" for English, otherwise
// the locale language's three-letter code (ISO 639-2, upper case).
QString UpdateCheckLanguage(const QLocale& locale);
// kUpdateCheckUrl + "?lang=" + language + "&prog=hblite&ver=" + version.
QString UpdateCheckAddress(const QLocale& locale, const QString& version);

// --- clock ------------------------------------------------------------------------------

// Now as a moment; tests replace the clock.
double NowMoment();
void SetNowClock(std::function<double()> clock);

}  // namespace hb
