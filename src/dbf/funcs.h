// The engine's function library, shared by the files funcs*.cpp.
//
// Each function is a class derived from TUserDefFunction, named TUDF + a descriptive word.
// Arguments are fetched with FetchArgument; a required argument that is missing or of the
// wrong type raises "%s needed for Argument %d of %s". Counts and positions given as
// numbers are truncated to integers.
#pragma once

#include <cstdint>
#include <string>

#include "dbf/exprnodes.h"
#include "dbf/funcreg.h"

// Declares a library function class with its name; the body that follows is Execute.
#define HB_DEFINE_UDF(Class, Name)                                      \
  class Class : public TUserDefFunction {                               \
   public:                                                              \
    std::string FunctionName() const override { return Name; }          \
    void Execute(const TExpFunction& call, TExpValue& result) override; \
  };                                                                    \
  void Class::Execute(const TExpFunction& call, TExpValue& result)

namespace hb {

void RegisterTextFunctions(TFunctionReg& functions);
void RegisterNumericFunctions(TFunctionReg& functions);
void RegisterDateFunctions(TFunctionReg& functions);
void RegisterLogicalFunctions(TFunctionReg& functions);

// A number truncated toward zero to an integer count, kept within +-1E15 (not a number: 0).
int64_t ToCount(double value);

// x rounded to decimals digits after the point (negative: to tens, hundreds, ...), halves
// away from zero, as the value reads at 15 significant digits: ROUND(2.675, 2) is 2.68.
double RoundDecimals(double x, int64_t decimals);

// A value as text, for functions that take any type: text as it is, numbers as short as
// they read back, dates as DTOC shows them, truth values as "T" or "F".
std::string ValueText(const TExpValue& value);

// Date texts of a julian day number: "yyyymmdd", or 8 spaces for the empty date.
std::string DtosText(double julian);
// The short date format upper-cased and widened to a four-digit year ("DD-MM-YYYY"), and a
// date in it (spaces as wide as the format for the empty date).
std::string DtocFormat();
std::string DtocText(double julian);

}  // namespace hb
