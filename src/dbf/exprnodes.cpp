#include "dbf/exprnodes.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "dbf/funcreg.h"

namespace hb {

int OperatorLevel(TExpOpCode code) {
  switch (code) {
    case opPower:
      return 2;
    case opMultiply:
    case opDivide:
      return 3;
    case opAdd:
    case opSubtract:
      return 4;
    case opNot:
      return 6;
    case opAnd:
      return 7;
    case opOr:
      return 8;
    default:
      return 5;
  }
}

const char* OperatorName(TExpOpCode code) {
  switch (code) {
    case opPower:
      return "^";
    case opMultiply:
      return "*";
    case opDivide:
      return "/";
    case opAdd:
      return "+";
    case opSubtract:
      return "-";
    case opEqual:
      return "=";
    case opNotEqual:
      return "#";
    case opGreater:
      return ">";
    case opLess:
      return "<";
    case opGreaterEqual:
      return ">=";
    case opLessEqual:
      return "<=";
    case opContained:
      return "in string";
    case opNot:
      return ".NOT.";
    case opAnd:
      return ".AND.";
    case opOr:
      return ".OR.";
  }
  return "?";
}

namespace {

// Spelling of an operator when a tree renders its text.
const char* OperatorSpelling(TExpOpCode code) {
  switch (code) {
    case opNotEqual:
      return "<>";
    case opContained:
      return "$";
    default:
      return OperatorName(code);
  }
}

bool IsRelation(TExpOpCode code) {
  return code >= opEqual && code <= opLessEqual;
}
bool IsArithmetic(TExpOpCode code) {
  return code <= opSubtract;
}

bool Relation(TExpOpCode code, int cmp) {
  switch (code) {
    case opEqual:
      return cmp == 0;
    case opNotEqual:
      return cmp != 0;
    case opGreater:
      return cmp > 0;
    case opLess:
      return cmp < 0;
    case opGreaterEqual:
      return cmp >= 0;
    case opLessEqual:
      return cmp <= 0;
    default:
      return false;
  }
}

[[noreturn]] void RequiredButInvalid(const char* what) {
  RaiseExprError("A %s value is required but invalid", {what});
}

}  // namespace

void TExpOperator::Bind(TExpNode left, TExpNode right) {
  left_ = std::move(left);
  right_ = std::move(right);
  bound_ = true;
  depth_ = 1 + std::max(left_ ? left_->Depth() : 0, right_ ? right_->Depth() : 0);
}

void TExpOperator::Evaluate(TExpValue& out) const {
  if (!right_ || (code_ != opNot && !left_))
    RaiseExprError("Target value missing for %s operation", {OperatorName(code_)});
  if (code_ == opNot) {
    right_->Evaluate(out);
    if (out.Type != etBoolean) RequiredButInvalid("boolean");
    out.Bool = !out.Bool;
    return;
  }
  // Both sides are evaluated: AND and OR do not short-circuit.
  left_->Evaluate(out);
  TExpValue right;
  right_->Evaluate(right);
  if (!TypesAgree(out.Type, right.Type))
    RaiseExprError("The two sides of an operation do not match");
  if (out.Type == etBoolean)
    EvaluateBoolean(out, right, out);
  else if (IsNumericType(out.Type))
    EvaluateNumeric(out, right, out);
  else if (out.Type == etText || out.Type == etMemo)
    EvaluateText(out, right, out);
  else
    RequiredButInvalid("assigned");
}

void TExpOperator::EvaluateBoolean(const TExpValue& left, const TExpValue& right,
                                   TExpValue& out) const {
  switch (code_) {
    case opEqual:
      out.SetBool(left.Bool == right.Bool);
      return;
    case opNotEqual:
      out.SetBool(left.Bool != right.Bool);
      return;
    case opAnd:
      out.SetBool(left.Bool && right.Bool);
      return;
    case opOr:
      out.SetBool(left.Bool || right.Bool);
      return;
    default:
      RequiredButInvalid(IsArithmetic(code_) ? "number" : "assigned");
  }
}

void TExpOperator::EvaluateNumeric(const TExpValue& left, const TExpValue& right,
                                   TExpValue& out) const {
  const double l = left.Num, r = right.Num;
  if (IsRelation(code_)) {
    const double d = l - r;
    // A difference that is not a number (infinities of one sign) satisfies only "#".
    if (d != d)
      out.SetBool(code_ == opNotEqual);
    else
      out.SetBool(Relation(code_, d > 0 ? 1 : (d < 0 ? -1 : 0)));
    return;
  }
  double value;
  switch (code_) {
    case opAdd:
      value = l + r;
      break;
    case opSubtract:
      value = l - r;
      break;
    case opMultiply:
      value = l * r;
      break;
    case opDivide:
      if (r == 0) throw EZeroDivide();
      value = l / r;
      break;
    case opPower:
      value = std::pow(l, r);
      break;
    case opAnd:
    case opOr:
      RequiredButInvalid("boolean");
    default:
      RequiredButInvalid("assigned");
  }
  // An arithmetic result carries the type of the right operand.
  out.SetNumber(value, right.Type);
}

void TExpOperator::EvaluateText(TExpValue& left, const TExpValue& right, TExpValue& out) const {
  if (IsRelation(code_)) {
    const bool order = code_ != opEqual && code_ != opNotEqual;
    out.SetBool(Relation(code_, CompareExprText(left.Text, right.Text, options_, order)));
    return;
  }
  switch (code_) {
    case opContained:
      out.SetBool(right.Text.find(left.Text) != std::string::npos);
      return;
    case opAdd:
      CheckTextLength(static_cast<double>(left.Text.size()) + right.Text.size(), "+");
      left.Text += right.Text;
      break;
    case opSubtract: {
      // The left text without its trailing spaces, the right text, then spaces up to the
      // length of both operands together.
      const std::size_t total = left.Text.size() + right.Text.size();
      CheckTextLength(static_cast<double>(total), "-");
      std::size_t n = left.Text.size();
      while (n > 0 && left.Text[n - 1] == ' ') --n;
      left.Text.resize(n);
      left.Text += right.Text;
      left.Text.resize(total, ' ');
      break;
    }
    default:
      RequiredButInvalid("assigned");
  }
  if (&out != &left) out.Text = std::move(left.Text);
  out.Type = etText;
}

std::string TExpOperator::Text() const {
  std::string s;
  if (left_) s = left_->Text() + " ";
  s += OperatorSpelling(code_);
  if (right_) s += " " + right_->Text();
  return s;
}

void TExpOperator::CollectFields(std::vector<std::string>& names) const {
  if (left_) left_->CollectFields(names);
  if (right_) right_->CollectFields(names);
}

TExpFunction::TExpFunction(TUserDefFunction* function, std::string name, std::vector<TExpNode> args)
    : function_(function), name_(std::move(name)), args_(std::move(args)) {
  int deepest = 0;
  for (const auto& a : args_) deepest = std::max(deepest, a->Depth());
  depth_ = 1 + deepest;
}

void TExpFunction::Evaluate(TExpValue& out) const {
  function_->Execute(*this, out);
}

std::string TExpFunction::Text() const {
  std::string s = name_ + "(";
  for (std::size_t i = 0; i < args_.size(); ++i) {
    if (i) s += ", ";
    s += args_[i]->Text();
  }
  return s + ")";
}

void TExpFunction::CollectFields(std::vector<std::string>& names) const {
  for (const auto& a : args_) a->CollectFields(names);
}

const TExpBaseObject* TExpFunction::Arg(int index) const {
  if (index < 0 || index >= ArgCount()) return nullptr;
  return args_[static_cast<std::size_t>(index)].get();
}

int FetchArgument(const TExpFunction& call, int index, int expected, TExpValue& value) {
  if (const TExpBaseObject* arg = call.Arg(index))
    arg->Evaluate(value);
  else
    value.SetEmpty();
  if (expected != etAny && !TypesAgree(expected, value.Type))
    RaiseExprError("%s needed for Argument %d of %s",
                   {ExpTypeName(expected), std::to_string(index + 1), call.Name()});
  return value.Type;
}

void TExpFieldvar::Evaluate(TExpValue& out) const {
  var_->GetValue(out);
}

void TExpFieldvar::CollectFields(std::vector<std::string>& names) const {
  if (var_->VarKind() == kVarKindField) names.push_back(var_->VarName());
}

TExpContainer::TExpContainer(TExpNode inner) : inner_(std::move(inner)) {
  depth_ = 1 + inner_->Depth();
}

TExpNumLit::TExpNumLit(std::string written) : written_(std::move(written)) {
  std::string_view s = written_;
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  const std::size_t point = s.find('.');
  if (point != std::string_view::npos) decimals_ = static_cast<int>(s.size() - point - 1);
  double v = 0;
  // Digits and points only: from_chars reads them without regard to the process locale.
  const bool onlyDigits =
      !s.empty() && s.find_first_not_of("0123456789.") == std::string_view::npos;
  if (onlyDigits && s != ".") {
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::fixed);
    if (ec != std::errc() || end != s.data() + s.size()) v = 0;
  }
  value_ = negative ? -v : v;
}

}  // namespace hb
