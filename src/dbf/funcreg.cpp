#include "dbf/funcreg.h"

namespace hb {

namespace {

std::string UpperName(std::string_view name) {
  std::string s(TrimBlanks(name));
  UpperInPlace(s);
  return s;
}

}  // namespace

std::string TUserDefFieldVar::VarName() const {
  const std::string all = VarNames();
  return all.substr(0, all.find(';'));
}

std::vector<std::string> TUserDefFieldVar::NameList() const {
  std::vector<std::string> out;
  const std::string all = VarNames();
  std::size_t start = 0;
  while (start <= all.size()) {
    std::size_t end = all.find(';', start);
    if (end == std::string::npos) end = all.size();
    std::string name = UpperName(std::string_view(all).substr(start, end - start));
    if (!name.empty()) out.push_back(std::move(name));
    start = end + 1;
  }
  return out;
}

bool TFunctionReg::RegisterFunction(std::unique_ptr<TUserDefFunction>& fn) {
  if (!fn) return false;
  std::string name = UpperName(fn->FunctionName());
  if (entries_.count(name)) return false;
  entries_.emplace(std::move(name), std::move(fn));
  return true;
}

bool TFunctionReg::RegisterFunction(std::unique_ptr<TUserDefFunction>&& fn) {
  std::unique_ptr<TUserDefFunction> held = std::move(fn);
  return RegisterFunction(held);
}

TUserDefFunction* TFunctionReg::Find(std::string_view name) const {
  auto it = entries_.find(name);
  if (it == entries_.end()) {
    const std::string upper = UpperName(name);
    it = entries_.find(upper);
    if (it == entries_.end()) return nullptr;
  }
  return it->second.get();
}

std::vector<std::string> TFunctionReg::Names() const {
  std::vector<std::string> out;
  for (const auto& e : entries_) out.push_back(e.first);
  return out;
}

bool TFieldVarReg::RegisterFieldVar(std::unique_ptr<TUserDefFieldVar>& var) {
  if (!var) return false;
  bool allFree = true;
  std::vector<std::string> freeNames;
  for (std::string& name : var->NameList()) {
    if (entries_.count(name))
      allFree = false;
    else
      freeNames.push_back(std::move(name));
  }
  if (freeNames.empty()) return false;
  std::shared_ptr<TUserDefFieldVar> shared(std::move(var));
  for (std::string& name : freeNames) entries_.emplace(std::move(name), shared);
  return allFree;
}

bool TFieldVarReg::RegisterFieldVar(std::unique_ptr<TUserDefFieldVar>&& var) {
  std::unique_ptr<TUserDefFieldVar> held = std::move(var);
  return RegisterFieldVar(held);
}

bool TFieldVarReg::Remove(std::string_view name) {
  auto it = entries_.find(UpperName(name));
  if (it == entries_.end()) return false;
  entries_.erase(it);
  return true;
}

TUserDefFieldVar* TFieldVarReg::Find(std::string_view name) const {
  auto it = entries_.find(name);
  if (it == entries_.end()) {
    it = entries_.find(UpperName(name));
    if (it == entries_.end()) return nullptr;
  }
  return it->second.get();
}

namespace {

struct TGlobalRegistries {
  TFunctionReg Functions;
  TFieldVarReg Values;
  TGlobalRegistries() { RegisterExpressionLibrary(Functions, Values); }
};

TGlobalRegistries& Globals() {
  static TGlobalRegistries globals;
  return globals;
}

}  // namespace

TFunctionReg& GlobalFunctions() {
  return Globals().Functions;
}
TFieldVarReg& GlobalFieldVars() {
  return Globals().Values;
}

}  // namespace hb
