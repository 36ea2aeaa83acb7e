// Logical functions: IIF INLIST BETWEEN EMPTY.
#include "dbf/funcs.h"

namespace hb {

namespace {

// Plain equality of two values: no wildcards, no locale; values of types that do not
// agree are unequal.
bool PlainEqual(const TExpValue& a, const TExpValue& b) {
  if (!TypesAgree(a.Type, b.Type)) return false;
  if (IsNumericType(a.Type)) return a.Num == b.Num;
  if (a.Type == etBoolean) return a.Bool == b.Bool;
  return a.Text == b.Text;
}

int PlainCompare(const TExpValue& a, const TExpValue& b) {
  if (IsNumericType(a.Type)) return a.Num < b.Num ? -1 : (a.Num > b.Num ? 1 : 0);
  if (a.Type == etBoolean) return static_cast<int>(a.Bool) - static_cast<int>(b.Bool);
  TExpCompareOptions plain;
  plain.Wildcards = false;
  return CompareExprText(a.Text, b.Text, plain);
}

HB_DEFINE_UDF(TUDFIif, "IIF") {
  FetchArgument(call, 0, etBoolean, result);
  // Only the chosen argument is evaluated.
  FetchArgument(call, result.Bool ? 1 : 2, etAny, result);
}

HB_DEFINE_UDF(TUDFInList, "INLIST") {
  TExpValue value, item;
  FetchArgument(call, 0, etAny, value);
  if (value.Type == etEmpty) {
    result.SetBool(false);
    return;
  }
  // The value loses its trailing blanks, the items do not.
  if (value.Type == etText) value.Text.resize(TrimRightBlanks(value.Text).size());
  for (int i = 1; i < call.ArgCount(); ++i) {
    FetchArgument(call, i, etAny, item);
    if (PlainEqual(value, item)) {
      result.SetBool(true);
      return;
    }
  }
  result.SetBool(false);
}

HB_DEFINE_UDF(TUDFBetween, "BETWEEN") {
  TExpValue value, low, high;
  if (FetchArgument(call, 0, etAny, value) == etEmpty)
    RaiseExprError("%s needed for Argument %d of %s", {"Value", "1", "BETWEEN"});
  FetchArgument(call, 1, value.Type, low);
  FetchArgument(call, 2, value.Type, high);
  result.SetBool(PlainCompare(low, value) <= 0 && PlainCompare(value, high) <= 0);
}

HB_DEFINE_UDF(TUDFEmpty, "EMPTY") {
  FetchArgument(call, 0, etAny, result);
  bool empty = false;
  switch (result.Type) {
    case etText:
      empty = result.Text.find_first_not_of(' ') == std::string::npos;
      break;
    case etNumber:
    case etInteger:
    case etDateTime:
      empty = result.Num == 0;
      break;
    case etDate:
      empty = IsEmptyDate(result.Num);
      break;
    case etBoolean:
      empty = !result.Bool;
      break;
    default:
      break;
  }
  result.SetBool(empty);
}

}  // namespace

void RegisterLogicalFunctions(TFunctionReg& f) {
  f.RegisterFunction(std::make_unique<TUDFIif>());
  f.RegisterFunction(std::make_unique<TUDFInList>());
  f.RegisterFunction(std::make_unique<TUDFBetween>());
  f.RegisterFunction(std::make_unique<TUDFEmpty>());
}

}  // namespace hb
