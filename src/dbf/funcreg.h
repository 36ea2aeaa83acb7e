// Registries of named functions and named values of the expression language.
//
// A function derives from TUserDefFunction: FunctionName gives its name (upper case by
// convention) and Execute fetches the arguments of the call with FetchArgument, sets the
// result value and its type code. A named value derives from TUserDefFieldVar with a list
// of names separated by ";" and returns its value from GetValue.
//
//   class TUDFTwice : public TUserDefFunction {
//     std::string FunctionName() const override { return "TWICE"; }
//     void Execute(const TExpFunction& call, TExpValue& result) override {
//       FetchArgument(call, 0, etNumber, result);   // raises when absent or not numeric
//       result.SetNumber(result.Num * 2);
//     }
//   };
//   std::unique_ptr<TUserDefFunction> f = std::make_unique<TUDFTwice>();
//   GlobalFunctions().RegisterFunction(f);          // true; f is now empty
//
// One global function registry and one global named-value registry serve every table;
// both are filled with the engine's library on first use. Each open table adds a registry
// of its own table functions and of its fields (TExpUserLink). Registries are not guarded:
// they are filled before any table opens, on the one thread that uses the engine.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dbf/exprvalue.h"

namespace hb {

class TExpFunction;

class TUserDefFunction {
 public:
  virtual ~TUserDefFunction() = default;
  virtual std::string FunctionName() const { return {}; }
  // The base has no result: the Empty type.
  virtual void Execute(const TExpFunction& call, TExpValue& result) { result.SetEmpty(); }
};

// Kind codes of named values.
constexpr int kVarKindNamedValue = 16;
constexpr int kVarKindField = 17;

class TUserDefFieldVar {
 public:
  explicit TUserDefFieldVar(std::string names) : names_(std::move(names)) {}
  virtual ~TUserDefFieldVar() = default;

  // The whole name list, upper case, names separated by ";".
  virtual std::string VarNames() const { return names_; }
  // The first name of the list.
  virtual std::string VarName() const;
  virtual int VarKind() const { return kVarKindNamedValue; }
  virtual void GetValue(TExpValue& value) { value.SetEmpty(); }

  // The names of the list, each trimmed and upper-cased; empty names are left out.
  std::vector<std::string> NameList() const;

 private:
  std::string names_;
};

class TFunctionReg {
 public:
  TFunctionReg() = default;
  TFunctionReg(const TFunctionReg&) = delete;
  TFunctionReg& operator=(const TFunctionReg&) = delete;

  // Enters the function under its name in upper case and takes it over (fn becomes empty).
  // A name that is already present is refused: false, and fn stays with the caller.
  bool RegisterFunction(std::unique_ptr<TUserDefFunction>& fn);
  // As above for a function that the caller does not keep when it is refused.
  bool RegisterFunction(std::unique_ptr<TUserDefFunction>&& fn);

  // Lookup by name in any case; nullptr when absent.
  TUserDefFunction* Find(std::string_view name) const;
  std::size_t Count() const { return entries_.size(); }
  // The registered names in sorted order.
  std::vector<std::string> Names() const;

 private:
  std::map<std::string, std::unique_ptr<TUserDefFunction>, std::less<>> entries_;
};

class TFieldVarReg {
 public:
  TFieldVarReg() = default;
  TFieldVarReg(const TFieldVarReg&) = delete;
  TFieldVarReg& operator=(const TFieldVarReg&) = delete;

  // Enters the named value under each of its names that is still free; false when any of
  // them was already present. Once entered under at least one name the registry owns it
  // (var becomes empty) and releases it when its last entry goes; otherwise it stays with
  // the caller.
  bool RegisterFieldVar(std::unique_ptr<TUserDefFieldVar>& var);
  bool RegisterFieldVar(std::unique_ptr<TUserDefFieldVar>&& var);

  // Removes one entry; the named value is released with its last entry.
  bool Remove(std::string_view name);

  TUserDefFieldVar* Find(std::string_view name) const;
  std::size_t Count() const { return entries_.size(); }

 private:
  std::map<std::string, std::shared_ptr<TUserDefFieldVar>, std::less<>> entries_;
};

// The process-wide registries, created and filled with the library on first use.
TFunctionReg& GlobalFunctions();
TFieldVarReg& GlobalFieldVars();

// Fills registries with the engine's library: the 56 functions and the named values TRUE,
// FALSE and PI. Used by the global registries; callers may fill registries of their own.
void RegisterExpressionLibrary(TFunctionReg& functions, TFieldVarReg& values);

// Evaluates argument index (from 0) of a call on the current record into value and
// returns its type. An index beyond the arguments given yields the Empty type. When
// expected is not etAny the actual type must agree with it (equal, or both numeric);
// otherwise "%s needed for Argument %d of %s" is raised.
int FetchArgument(const TExpFunction& call, int index, int expected, TExpValue& value);

}  // namespace hb
