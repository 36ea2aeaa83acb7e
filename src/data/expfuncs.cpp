#include "data/expfuncs.h"

#include <memory>

#include "data/stamlists.h"
#include "dbf/exprnodes.h"
#include "dbf/funcreg.h"
#include "util/calendarfuncs.h"
#include "util/conversions.h"

namespace hb {

namespace {

// By default the departments of the master data lists.
TAfdLookup& AfdLookup() {
  static TAfdLookup lookup = &AfdNameOfEmployee;
  return lookup;
}

constexpr std::size_t kAfdWidth = 40;

// AFD(text): the department of an employee, 40 characters.
class TUDFAfd : public TUserDefFunction {
 public:
  std::string FunctionName() const override { return "AFD"; }
  void Execute(const TExpFunction& call, TExpValue& result) override {
    FetchArgument(call, 0, etText, result);
    // The stored ID text, leading zeros allowed; anything else is ID 0.
    bool ok = false;
    int id = QString::fromLatin1(result.Text.data(), static_cast<qsizetype>(result.Text.size()))
                 .trimmed()
                 .toInt(&ok);
    if (!ok) id = 0;
    std::string name;
    if (AfdLookup()) name = AfdLookup()(id);
    if (name.empty()) name.assign(1, '-');
    name.resize(kAfdWidth, ' ');
    result.SetText(std::move(name));
  }
};

// WEEKNRSTR(text): the ISO week of a stored epoch timestamp.
class TUDFWeeknrStr : public TUserDefFunction {
 public:
  std::string FunctionName() const override { return "WEEKNRSTR"; }
  void Execute(const TExpFunction& call, TExpValue& result) override {
    FetchArgument(call, 0, etText, result);
    const double moment = StampToDateTime(
        QString::fromLatin1(result.Text.data(), static_cast<qsizetype>(result.Text.size())));
    result.SetText(WeekText(moment).toStdString());
  }
};

}  // namespace

void SetAfdLookup(TAfdLookup lookup) {
  AfdLookup() = std::move(lookup);
}

bool RegisterProgramFunctions() {
  const bool afd = GlobalFunctions().RegisterFunction(std::make_unique<TUDFAfd>());
  const bool week = GlobalFunctions().RegisterFunction(std::make_unique<TUDFWeeknrStr>());
  return afd && week;
}

QString WeekText(double moment) {
  return QString("%1 / %2").arg(IsoYear(moment)).arg(IsoWeek(moment), 2, 10, QChar('0'));
}

double QuarterStart(double moment) {
  const QDate d = MomentToDate(moment - 7);
  if (!d.isValid()) return 0;
  return DateToMoment(QDate(d.year(), (d.month() - 1) / 3 * 3 + 1, 1));
}

double HalfYearStart(double moment) {
  const QDate d = MomentToDate(moment - 7);
  if (!d.isValid()) return 0;
  return DateToMoment(QDate(d.year(), d.month() <= 6 ? 1 : 7, 1));
}

}  // namespace hb
