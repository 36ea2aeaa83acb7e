// Numeric functions: ABS INT CEILING FLOOR MOD ROUND SIN COS TAN ATAN ASIN ACOS ATN2 DTOR
// RTOD LOG LOG10 PI FV PV MAX MIN.
#include <charconv>
#include <cmath>

#include "dbf/funcs.h"

namespace hb {

int64_t ToCount(double value) {
  if (!(value == value)) return 0;
  if (value > 1E15) return static_cast<int64_t>(1E15);
  if (value < -1E15) return static_cast<int64_t>(-1E15);
  return static_cast<int64_t>(std::trunc(value));
}

double RoundDecimals(double x, int64_t decimals) {
  if (!std::isfinite(x) || decimals > 15) return x;
  if (decimals < -308) return 0;
  const double scale = std::pow(10.0, static_cast<double>(decimals < 0 ? -decimals : decimals));
  double scaled = decimals >= 0 ? x * scale : x / scale;
  if (!std::isfinite(scaled)) return x;
  // Read the scaled value at 15 significant digits, so that 2.675 * 100 counts as the 267.5
  // it shows and not as the 267.49999999999997 it is in binary.
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, scaled, std::chars_format::general, 15);
  if (ec == std::errc()) std::from_chars(buf, end, scaled);
  const double rounded = std::round(scaled);
  return decimals >= 0 ? rounded / scale : rounded * scale;
}

namespace {

constexpr double kPi = 3.1415926535897932385;

double NumberArg(const TExpFunction& call, int index) {
  TExpValue v;
  FetchArgument(call, index, etNumber, v);
  return v.Num;
}

[[noreturn]] void ArgumentMustBe(const char* what, const char* rule) {
  RaiseExprError("Argument for %s must be %s", {what, rule});
}

HB_DEFINE_UDF(TUDFAbs, "ABS") {
  result.SetNumber(std::fabs(NumberArg(call, 0)));
}
HB_DEFINE_UDF(TUDFInt, "INT") {
  result.SetNumber(std::trunc(NumberArg(call, 0)));
}
HB_DEFINE_UDF(TUDFCeiling, "CEILING") {
  result.SetNumber(std::ceil(NumberArg(call, 0)));
}
HB_DEFINE_UDF(TUDFFloor, "FLOOR") {
  result.SetNumber(std::floor(NumberArg(call, 0)));
}

HB_DEFINE_UDF(TUDFMod, "MOD") {
  const double a = std::trunc(NumberArg(call, 0));
  const double b = std::trunc(NumberArg(call, 1));
  if (b == 0) throw EZeroDivide();
  // fmod keeps the sign of a.
  result.SetNumber(std::fmod(a, b));
}

HB_DEFINE_UDF(TUDFRound, "ROUND") {
  const double x = NumberArg(call, 0);
  result.SetNumber(RoundDecimals(x, ToCount(NumberArg(call, 1))));
}

HB_DEFINE_UDF(TUDFSin, "SIN") {
  result.SetNumber(std::sin(NumberArg(call, 0)));
}
HB_DEFINE_UDF(TUDFCos, "COS") {
  result.SetNumber(std::cos(NumberArg(call, 0)));
}
HB_DEFINE_UDF(TUDFTan, "TAN") {
  result.SetNumber(std::tan(NumberArg(call, 0)));
}
HB_DEFINE_UDF(TUDFAtan, "ATAN") {
  result.SetNumber(std::atan(NumberArg(call, 0)));
}

HB_DEFINE_UDF(TUDFAsin, "ASIN") {
  const double x = NumberArg(call, 0);
  if (!(x >= -1 && x <= 1)) ArgumentMustBe("ASIN", "-1 to +1");
  result.SetNumber(std::asin(x));
}

HB_DEFINE_UDF(TUDFAcos, "ACOS") {
  const double x = NumberArg(call, 0);
  if (!(x >= -1 && x <= 1)) ArgumentMustBe("ACOS", "-1 to +1");
  result.SetNumber(std::acos(x));
}

HB_DEFINE_UDF(TUDFAtn2, "ATN2") {
  const double y = NumberArg(call, 0);
  const double x = NumberArg(call, 1);
  result.SetNumber(std::atan2(y, x));
}

HB_DEFINE_UDF(TUDFDtoR, "DTOR") {
  result.SetNumber(NumberArg(call, 0) * kPi / 180);
}
HB_DEFINE_UDF(TUDFRtoD, "RTOD") {
  result.SetNumber(NumberArg(call, 0) * 180 / kPi);
}

HB_DEFINE_UDF(TUDFLog, "LOG") {
  const double x = NumberArg(call, 0);
  if (!(x > 0)) ArgumentMustBe("LOG", "> 0");
  result.SetNumber(std::log(x));
}

HB_DEFINE_UDF(TUDFLog10, "LOG10") {
  const double x = NumberArg(call, 0);
  if (!(x > 0)) ArgumentMustBe("LOG10", "> 0");
  result.SetNumber(std::log10(x));
}

HB_DEFINE_UDF(TUDFPi, "PI") {
  result.SetNumber(kPi);
}

// FV and PV of an annuity: payment, rate, periods, the present (FV) or future (PV) value,
// and the timing (0 payment at the end of each period, 1 at its start).
struct TAnnuity {
  double Payment, Rate, Periods, Other;
  double C, A;
};

TAnnuity ReadAnnuity(const TExpFunction& call, const char* timingLabel) {
  TAnnuity a{};
  a.Payment = NumberArg(call, 0);
  a.Rate = NumberArg(call, 1);
  a.Periods = NumberArg(call, 2);
  a.Other = call.ArgCount() > 3 ? NumberArg(call, 3) : 0;
  const int64_t timing = call.ArgCount() > 4 ? ToCount(NumberArg(call, 4)) : 0;
  if (timing != 0 && timing != 1) ArgumentMustBe(timingLabel, "0 or 1");
  if (!(a.Rate > -1)) throw EInvalidArgument();
  a.C = std::pow(1 + a.Rate, a.Periods);
  a.A = a.Rate == 0 ? a.Periods : (a.C - 1) / a.Rate;
  if (timing == 1) a.A *= 1 + a.Rate;
  return a;
}

HB_DEFINE_UDF(TUDFFv, "FV") {
  const TAnnuity a = ReadAnnuity(call, "FV PaymentTime");
  result.SetNumber(std::fabs(a.Payment * a.A + a.Other * a.C));
}

HB_DEFINE_UDF(TUDFPv, "PV") {
  const TAnnuity a = ReadAnnuity(call, "PV PaymentTime");
  result.SetNumber(std::fabs((a.Payment * a.A + a.Other) / a.C));
}

// <0, 0, >0 for two values of agreeing types.
int CompareValues(const TExpValue& a, const TExpValue& b) {
  if (IsNumericType(a.Type)) return a.Num < b.Num ? -1 : (a.Num > b.Num ? 1 : 0);
  if (a.Type == etBoolean) return static_cast<int>(a.Bool) - static_cast<int>(b.Bool);
  TExpCompareOptions plain;
  plain.Wildcards = false;
  return CompareExprText(a.Text, b.Text, plain);
}

class TUDFMaxMin : public TUserDefFunction {
 public:
  TUDFMaxMin(const char* name, const char* label, bool max)
      : name_(name), label_(label), max_(max) {}
  std::string FunctionName() const override { return name_; }
  void Execute(const TExpFunction& call, TExpValue& result) override {
    if (FetchArgument(call, 0, etAny, result) == etEmpty)
      RaiseExprError("A value is required for %s", {label_});
    const int type = result.Type;
    TExpValue other;
    for (int i = 1; i < call.ArgCount(); ++i) {
      FetchArgument(call, i, etAny, other);
      if (!TypesAgree(type, other.Type))
        RaiseExprError("All arguments for %s must be of the same type", {label_});
      const int cmp = CompareValues(other, result);
      if (max_ ? cmp > 0 : cmp < 0) std::swap(result, other);
    }
    result.Type = type;
  }

 private:
  const char* name_;
  const char* label_;
  bool max_;
};

}  // namespace

void RegisterNumericFunctions(TFunctionReg& f) {
  f.RegisterFunction(std::make_unique<TUDFAbs>());
  f.RegisterFunction(std::make_unique<TUDFInt>());
  f.RegisterFunction(std::make_unique<TUDFCeiling>());
  f.RegisterFunction(std::make_unique<TUDFFloor>());
  f.RegisterFunction(std::make_unique<TUDFMod>());
  f.RegisterFunction(std::make_unique<TUDFRound>());
  f.RegisterFunction(std::make_unique<TUDFSin>());
  f.RegisterFunction(std::make_unique<TUDFCos>());
  f.RegisterFunction(std::make_unique<TUDFTan>());
  f.RegisterFunction(std::make_unique<TUDFAtan>());
  f.RegisterFunction(std::make_unique<TUDFAsin>());
  f.RegisterFunction(std::make_unique<TUDFAcos>());
  f.RegisterFunction(std::make_unique<TUDFAtn2>());
  f.RegisterFunction(std::make_unique<TUDFDtoR>());
  f.RegisterFunction(std::make_unique<TUDFRtoD>());
  f.RegisterFunction(std::make_unique<TUDFLog>());
  f.RegisterFunction(std::make_unique<TUDFLog10>());
  f.RegisterFunction(std::make_unique<TUDFPi>());
  f.RegisterFunction(std::make_unique<TUDFFv>());
  f.RegisterFunction(std::make_unique<TUDFPv>());
  f.RegisterFunction(std::make_unique<TUDFMaxMin>("MAX", "Max()", true));
  f.RegisterFunction(std::make_unique<TUDFMaxMin>("MIN", "Min()", false));
}

}  // namespace hb
