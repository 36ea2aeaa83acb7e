// Date functions: DATE CTOD DTOC DTOS DOW DESCEND. Dates are julian day numbers.
#include <QDate>
#include <cstdio>

#include "dbf/exprlink.h"
#include "dbf/funcs.h"

namespace hb {

namespace {

QDate DateOf(double julian) {
  return QDate::fromJulianDay(static_cast<qint64>(julian));
}

}  // namespace

std::string DtosText(double julian) {
  if (IsEmptyDate(julian)) return std::string(8, ' ');
  const QDate d = DateOf(julian);
  if (!d.isValid() || d.year() < 0 || d.year() > 9999) return std::string(8, ' ');
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d", d.year(), d.month(), d.day());
  return buf;
}

std::string DtocFormat() {
  std::string format = ExprShortDateFormat();
  UpperInPlace(format);
  // Widen the year to four digits: insert "Y" at the year until it reads "YYYY".
  std::size_t at = format.find('Y');
  if (at == std::string::npos) {
    format += format.empty() ? "YYYY" : "-YYYY";
  } else {
    while (format.find("YYYY") == std::string::npos) format.insert(at, 1, 'Y');
  }
  return format;
}

std::string DtocText(double julian) {
  const std::string format = DtocFormat();
  if (IsEmptyDate(julian)) return std::string(format.size(), ' ');
  const QDate d = DateOf(julian);
  if (!d.isValid()) return std::string(format.size(), ' ');
  std::string out;
  char buf[16];
  for (std::size_t i = 0; i < format.size();) {
    const char c = format[i];
    std::size_t run = 1;
    while (i + run < format.size() && format[i + run] == c) ++run;
    if (c == 'D' || c == 'M') {
      const int v = c == 'D' ? d.day() : d.month();
      std::snprintf(buf, sizeof buf, run >= 2 ? "%02d" : "%d", v);
      out += buf;
    } else if (c == 'Y') {
      std::snprintf(buf, sizeof buf, "%04d", d.year());
      out += buf;
    } else {
      out.append(run, c);
    }
    i += run;
  }
  return out;
}

namespace {

double DateArg(const TExpFunction& call, int index) {
  TExpValue v;
  FetchArgument(call, index, etDate, v);
  return v.Num;
}

HB_DEFINE_UDF(TUDFDate, "DATE") {
  result.SetNumber(static_cast<double>(QDate::currentDate().toJulianDay()), etDate);
}

HB_DEFINE_UDF(TUDFCtoD, "CTOD") {
  FetchArgument(call, 0, etText, result);
  double julian = 0;
  if (TrimBlanks(result.Text).empty())
    julian = kEmptyDateSentinel;
  else if (!StoredDateToJulian(result.Text, julian))
    julian = 0;  // no date: the empty date
  result.SetNumber(julian, etDate);
}

HB_DEFINE_UDF(TUDFDtoC, "DTOC") {
  const double julian = DateArg(call, 0);
  bool compact = false;
  if (call.ArgCount() > 1) {
    TExpValue mode;
    FetchArgument(call, 1, etNumber, mode);
    compact = ToCount(mode.Num) == 1;
  }
  result.SetText(compact ? DtosText(julian) : DtocText(julian));
}

HB_DEFINE_UDF(TUDFDtoS, "DTOS") {
  result.SetText(DtosText(DateArg(call, 0)));
}

HB_DEFINE_UDF(TUDFDow, "DOW") {
  const double julian = DateArg(call, 0);
  if (IsEmptyDate(julian)) {
    result.SetNumber(0);
    return;
  }
  // Julian day 0 was a Monday; 1 is Sunday.
  const auto day = static_cast<int64_t>(julian);
  result.SetNumber(static_cast<double>((day + 1) % 7 + 1));
}

HB_DEFINE_UDF(TUDFDescend, "DESCEND") {
  FetchArgument(call, 0, etAny, result);
  switch (result.Type) {
    case etText:
      // Every byte becomes 256 minus its code, so that the text sorts in reverse.
      for (char& ch : result.Text) {
        const auto c = static_cast<unsigned char>(ch);
        ch = static_cast<char>(c == 0 ? 0 : 256 - c);
      }
      return;
    case etNumber:
    case etInteger:
    case etDateTime:
      result.Num = -result.Num;
      return;
    case etDate:
      if (!IsEmptyDate(result.Num)) result.Num = 5231808 - result.Num;
      return;
    case etBoolean:
      result.Bool = !result.Bool;
      return;
    default:
      result.SetBool(false);
      return;
  }
}

}  // namespace

void RegisterDateFunctions(TFunctionReg& f) {
  f.RegisterFunction(std::make_unique<TUDFDate>());
  f.RegisterFunction(std::make_unique<TUDFCtoD>());
  f.RegisterFunction(std::make_unique<TUDFDtoC>());
  f.RegisterFunction(std::make_unique<TUDFDtoS>());
  f.RegisterFunction(std::make_unique<TUDFDow>());
  f.RegisterFunction(std::make_unique<TUDFDescend>());
}

}  // namespace hb
