// The library as a whole: registration of the functions and the named values TRUE, FALSE
// and PI, and the text of a value of any type.
#include "dbf/funcs.h"

namespace hb {

namespace {

class TSDVTrue : public TUserDefFieldVar {
 public:
  TSDVTrue() : TUserDefFieldVar("TRUE") {}
  void GetValue(TExpValue& value) override { value.SetBool(true); }
};

class TSDVFalse : public TUserDefFieldVar {
 public:
  TSDVFalse() : TUserDefFieldVar("FALSE") {}
  void GetValue(TExpValue& value) override { value.SetBool(false); }
};

class TSDVPi : public TUserDefFieldVar {
 public:
  TSDVPi() : TUserDefFieldVar("PI") {}
  void GetValue(TExpValue& value) override { value.SetNumber(3.1415926535897932385); }
};

}  // namespace

void RegisterExpressionLibrary(TFunctionReg& functions, TFieldVarReg& values) {
  RegisterTextFunctions(functions);
  RegisterNumericFunctions(functions);
  RegisterDateFunctions(functions);
  RegisterLogicalFunctions(functions);
  values.RegisterFieldVar(std::make_unique<TSDVTrue>());
  values.RegisterFieldVar(std::make_unique<TSDVFalse>());
  values.RegisterFieldVar(std::make_unique<TSDVPi>());
}

std::string ValueText(const TExpValue& value) {
  switch (value.Type) {
    case etText:
    case etMemo:
      return value.Text;
    case etNumber:
    case etInteger:
    case etDateTime:
      return NumberText(value.Num);
    case etDate:
      return DtocText(value.Num);
    case etBoolean:
      return value.Bool ? "T" : "F";
    default:
      return {};
  }
}

}  // namespace hb
