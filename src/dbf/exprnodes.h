// Nodes of a compiled expression tree.
//
// A tree is built once by the parser (exprparser.h) and evaluated on a table's current
// record as often as needed; evaluation never parses. Every node evaluates itself into a
// TExpValue (value and type code) and renders its own text.
//
//   TExpOperator   operator code, precedence level, left and right operand (negation has
//                  only a right one), and the comparison options of its handler
//   TExpFunction   the function object and the argument trees
//   TExpFieldvar   a named value or a table field
//   TExpContainer  a parenthesised sub-expression
//   TExpTextLit, TExpNumLit, TExpDateLit, TExpBlnLit   literals
//
// Operator precedence (smaller binds first) and the names used in messages:
//
//   level  operators                                   message name
//     2    ** ^                                        "^"
//     3    * /                                         "*" "/"
//     4    + -                                         "+" "-"
//     5    = == EQ, <> != # NE, > GT, < LT,            "=" "#" ">" "<" ">=" "<="
//          >= => GE, <= =< LE, $                       "in string"
//     6    NOT .NOT. !                                 ".NOT."
//     7    AND .AND.                                   ".AND."
//     8    OR .OR.                                     ".OR."
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dbf/exprvalue.h"

namespace hb {

class TUserDefFunction;
class TUserDefFieldVar;

class TExpBaseObject {
 public:
  virtual ~TExpBaseObject() = default;
  virtual void Evaluate(TExpValue& out) const = 0;
  virtual std::string Text() const = 0;
  // Names of the table fields the node uses, in the order they occur.
  virtual void CollectFields(std::vector<std::string>& names) const {}
  // Longest path from this node to a leaf, the node counted.
  int Depth() const { return depth_; }

 protected:
  int depth_ = 1;
};

using TExpNode = std::unique_ptr<TExpBaseObject>;

enum TExpOpCode : int {
  opPower,
  opMultiply,
  opDivide,
  opAdd,
  opSubtract,
  opEqual,
  opNotEqual,
  opGreater,
  opLess,
  opGreaterEqual,
  opLessEqual,
  opContained,
  opNot,
  opAnd,
  opOr,
};

int OperatorLevel(TExpOpCode code);
const char* OperatorName(TExpOpCode code);

class TExpOperator : public TExpBaseObject {
 public:
  TExpOperator(TExpOpCode code, const TExpCompareOptions& options)
      : code_(code), options_(options) {}
  void Evaluate(TExpValue& out) const override;
  std::string Text() const override;
  void CollectFields(std::vector<std::string>& names) const override;

  TExpOpCode Code() const { return code_; }
  int Level() const { return OperatorLevel(code_); }
  bool Bound() const { return bound_; }
  // Takes the operands (either may be absent) and marks the operator as bound.
  void Bind(TExpNode left, TExpNode right);

 private:
  void EvaluateBoolean(const TExpValue& left, const TExpValue& right, TExpValue& out) const;
  void EvaluateNumeric(const TExpValue& left, const TExpValue& right, TExpValue& out) const;
  void EvaluateText(TExpValue& left, const TExpValue& right, TExpValue& out) const;

  TExpOpCode code_;
  TExpCompareOptions options_;
  bool bound_ = false;
  TExpNode left_, right_;
};

class TExpFunction : public TExpBaseObject {
 public:
  TExpFunction(TUserDefFunction* function, std::string name, std::vector<TExpNode> args);
  void Evaluate(TExpValue& out) const override;
  std::string Text() const override;
  void CollectFields(std::vector<std::string>& names) const override;

  TUserDefFunction* Function() const { return function_; }
  const std::string& Name() const { return name_; }
  int ArgCount() const { return static_cast<int>(args_.size()); }
  const TExpBaseObject* Arg(int index) const;

 private:
  TUserDefFunction* function_;
  std::string name_;
  std::vector<TExpNode> args_;
};

class TExpFieldvar : public TExpBaseObject {
 public:
  TExpFieldvar(TUserDefFieldVar* var, std::string written)
      : var_(var), written_(std::move(written)) {}
  void Evaluate(TExpValue& out) const override;
  std::string Text() const override { return written_; }
  void CollectFields(std::vector<std::string>& names) const override;
  TUserDefFieldVar* Var() const { return var_; }

 private:
  TUserDefFieldVar* var_;
  std::string written_;
};

class TExpContainer : public TExpBaseObject {
 public:
  explicit TExpContainer(TExpNode inner);
  void Evaluate(TExpValue& out) const override { inner_->Evaluate(out); }
  std::string Text() const override { return "(" + inner_->Text() + ")"; }
  void CollectFields(std::vector<std::string>& names) const override {
    inner_->CollectFields(names);
  }

 private:
  TExpNode inner_;
};

class TExpTextLit : public TExpBaseObject {
 public:
  TExpTextLit(std::string text, char open, char close)
      : text_(std::move(text)), open_(open), close_(close) {}
  void Evaluate(TExpValue& out) const override { out.SetText(text_); }
  std::string Text() const override { return open_ + text_ + close_; }

 private:
  std::string text_;
  char open_, close_;
};

class TExpNumLit : public TExpBaseObject {
 public:
  // written: the literal as it stands; an invalid number gives 0.
  explicit TExpNumLit(std::string written);
  void Evaluate(TExpValue& out) const override { out.SetNumber(value_); }
  std::string Text() const override { return written_; }
  double Value() const { return value_; }
  int TextLength() const { return static_cast<int>(written_.size()); }
  int Decimals() const { return decimals_; }

 private:
  std::string written_;
  double value_ = 0;
  int decimals_ = 0;
};

class TExpDateLit : public TExpBaseObject {
 public:
  TExpDateLit(double julian, std::string written) : julian_(julian), written_(std::move(written)) {}
  void Evaluate(TExpValue& out) const override { out.SetNumber(julian_, etDate); }
  std::string Text() const override { return "{" + written_ + "}"; }

 private:
  double julian_;
  std::string written_;
};

class TExpBlnLit : public TExpBaseObject {
 public:
  explicit TExpBlnLit(bool value) : value_(value) {}
  void Evaluate(TExpValue& out) const override { out.SetBool(value_); }
  std::string Text() const override { return value_ ? ".T." : ".F."; }

 private:
  bool value_;
};

}  // namespace hb
