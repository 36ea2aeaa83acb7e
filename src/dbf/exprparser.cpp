#include "dbf/exprparser.h"

#include <vector>

#include "dbf/exprlink.h"
#include "dbf/funcreg.h"

namespace hb {

namespace {

bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsIdentStart(char c) {
  return IsLetter(c) || c == '_';
}
bool IsIdentChar(char c) {
  return IsIdentStart(c) || IsDigit(c);
}

bool SameWord(std::string_view text, std::size_t at, std::string_view upperWord) {
  if (text.size() - at < upperWord.size()) return false;
  for (std::size_t i = 0; i < upperWord.size(); ++i)
    if (UpperByte(static_cast<unsigned char>(text[at + i])) !=
        static_cast<unsigned char>(upperWord[i]))
      return false;
  return true;
}

// Closing character of a literal that opens with c; 0 when c opens none.
char LiteralClose(char c) {
  switch (c) {
    case '"':
      return '"';
    case '\'':
      return '\'';
    case '[':
      return ']';
    case '{':
      return '}';
    default:
      return 0;
  }
}

// Position of the parenthesis that closes the one at open, skipping literals; npos when
// there is none.
std::size_t MatchingParen(std::string_view text, std::size_t open) {
  int level = 0;
  for (std::size_t i = open; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '(') {
      ++level;
    } else if (c == ')') {
      if (--level == 0) return i;
    } else if (char close = LiteralClose(c)) {
      const std::size_t end = text.find(close, i + 1);
      if (end == std::string_view::npos) return std::string_view::npos;
      i = end;
    }
  }
  return std::string_view::npos;
}

// The top-level comma-separated parts of an argument list.
std::vector<std::string_view> SplitArguments(std::string_view inner) {
  std::vector<std::string_view> parts;
  int level = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i < inner.size(); ++i) {
    const char c = inner[i];
    if (c == '(') {
      ++level;
    } else if (c == ')') {
      --level;
    } else if (c == ',' && level == 0) {
      parts.push_back(inner.substr(start, i - start));
      start = i + 1;
    } else if (char close = LiteralClose(c)) {
      const std::size_t end = inner.find(close, i + 1);
      if (end == std::string_view::npos) break;
      i = end;
    }
  }
  parts.push_back(inner.substr(start));
  return parts;
}

struct TSymbol {
  std::string_view Text;
  TExpOpCode Code;
};

constexpr TSymbol kSymbols[] = {
    {"**", opPower},     {"^", opPower},         {"*", opMultiply},      {"/", opDivide},
    {"+", opAdd},        {"-", opSubtract},      {"=", opEqual},         {"==", opEqual},
    {"<>", opNotEqual},  {"!=", opNotEqual},     {"#", opNotEqual},      {">", opGreater},
    {"<", opLess},       {">=", opGreaterEqual}, {"=>", opGreaterEqual}, {"<=", opLessEqual},
    {"=<", opLessEqual}, {"$", opContained},
};

constexpr TSymbol kWords[] = {
    {"AND", opAnd},         {"OR", opOr},        {"EQ", opEqual}, {"NE", opNotEqual},
    {"GE", opGreaterEqual}, {"LE", opLessEqual}, {"LT", opLess},  {"GT", opGreater},
};

class TParser {
 public:
  TParser(std::string_view text, const TExpParseContext& context, int nesting)
      : text_(text), context_(context), nesting_(nesting) {}

  TExpNode Run();

 private:
  [[noreturn]] void SyntaxError() const {
    RaiseExprError("Syntax Error in expression \"%s\"", {context_.Whole});
  }
  TExpNode Checked(TExpNode node) const {
    if (node->Depth() > kMaxExprDepth) RaiseExprError("Expression cannot be evaluated");
    return node;
  }
  TExpNode Sub(std::string_view text) const {
    return ParseExpression(text, context_, nesting_ + 1);
  }

  void SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  }
  std::size_t NegationLength() const;
  void ReadOperand();
  void ReadOperator();
  TExpNode ReadFunction(std::string_view name, std::size_t open);
  TExpNode ReadName(std::string_view name);
  TExpNode Build();

  std::string_view text_;
  const TExpParseContext& context_;
  int nesting_;
  std::size_t pos_ = 0;
  std::vector<TExpNode> list_;
};

std::size_t TParser::NegationLength() const {
  if (text_[pos_] == '!') return 1;
  if (SameWord(text_, pos_, ".NOT.")) return 5;
  // The word NOT, not the start of a longer name such as NOTE.
  if (SameWord(text_, pos_, "NOT") && (pos_ + 3 >= text_.size() || !IsIdentChar(text_[pos_ + 3])))
    return 3;
  return 0;
}

void TParser::ReadOperand() {
  const char c = text_[pos_];
  // 1. Negation.
  if (const std::size_t n = NegationLength(); n > 0 && pos_ + n < text_.size()) {
    if (list_.empty()) {
      list_.push_back(std::make_unique<TExpOperator>(opNot, context_.Options));
      pos_ += n;
      SkipBlanks();
      if (pos_ >= text_.size()) SyntaxError();
      ReadOperand();
    } else {
      // The rest of the text, from the negation on, as one group.
      TExpNode group = Sub(text_.substr(pos_));
      if (!group) SyntaxError();
      list_.push_back(Checked(std::make_unique<TExpContainer>(std::move(group))));
      pos_ = text_.size();
    }
    return;
  }
  // 2. Parenthesised sub-expression.
  if (c == '(') {
    const std::size_t close = MatchingParen(text_, pos_);
    if (close == std::string_view::npos) RaiseExprError("Missing closing parentheses");
    TExpNode inner = Sub(text_.substr(pos_ + 1, close - pos_ - 1));
    if (!inner) SyntaxError();
    list_.push_back(Checked(std::make_unique<TExpContainer>(std::move(inner))));
    pos_ = close + 1;
    return;
  }
  // 3. Logical literal.
  if (c == '.') {
    const std::size_t close = text_.find('.', pos_ + 1);
    if (close == std::string_view::npos) RaiseExprError("Missing closing period");
    const std::string_view word = text_.substr(pos_ + 1, close - pos_ - 1);
    if (word.size() != 1 || (UpperByte(word[0]) != 'T' && UpperByte(word[0]) != 'F'))
      RaiseExprError("Expecting \".T.\" or \".F.\"");
    list_.push_back(std::make_unique<TExpBlnLit>(UpperByte(word[0]) == 'T'));
    pos_ = close + 1;
    return;
  }
  // 4. Function call or name.
  if (IsIdentStart(c)) {
    std::size_t end = pos_ + 1;
    while (end < text_.size() && IsIdentChar(text_[end])) ++end;
    const std::string_view name = text_.substr(pos_, end - pos_);
    std::size_t next = end;
    while (next < text_.size() && IsBlank(static_cast<unsigned char>(text_[next]))) ++next;
    if (next < text_.size() && text_[next] == '(') {
      list_.push_back(ReadFunction(name, next));
    } else {
      pos_ = end;
      list_.push_back(ReadName(name));
    }
    return;
  }
  // 5. Text and date literals.
  if (const char close = LiteralClose(c)) {
    const std::size_t end = text_.find(close, pos_ + 1);
    if (end == std::string_view::npos)
      RaiseExprError("Missing closing \"%s\" on literal", {text_.substr(pos_, 1)});
    std::string body(text_.substr(pos_ + 1, end - pos_ - 1));
    if (c == '{') {
      double julian = 0;
      if (!StoredDateToJulian(body, julian)) julian = 0;
      list_.push_back(std::make_unique<TExpDateLit>(julian, std::move(body)));
    } else {
      list_.push_back(std::make_unique<TExpTextLit>(std::move(body), c, close));
    }
    pos_ = end + 1;
    return;
  }
  // 6. Number.
  if (c == '+' || c == '-' || IsDigit(c)) {
    std::size_t end = pos_ + 1;
    while (end < text_.size() && (IsDigit(text_[end]) || text_[end] == '.')) ++end;
    list_.push_back(std::make_unique<TExpNumLit>(std::string(text_.substr(pos_, end - pos_))));
    pos_ = end;
    return;
  }
  SyntaxError();
}

TExpNode TParser::ReadFunction(std::string_view name, std::size_t open) {
  std::string upper(name);
  UpperInPlace(upper);
  TUserDefFunction* fn = GlobalFunctions().Find(upper);
  if (!fn && context_.Link) fn = context_.Link->Functions().Find(upper);
  if (!fn) RaiseExprError("There is no function for %s", {upper});
  const std::size_t close = MatchingParen(text_, open);
  if (close == std::string_view::npos) RaiseExprError("Missing closing parentheses");
  std::vector<TExpNode> args;
  for (std::string_view part : SplitArguments(text_.substr(open + 1, close - open - 1))) {
    if (TrimBlanks(part).empty()) continue;
    if (TExpNode arg = Sub(part)) args.push_back(std::move(arg));
  }
  pos_ = close + 1;
  return Checked(std::make_unique<TExpFunction>(fn, std::move(upper), std::move(args)));
}

TExpNode TParser::ReadName(std::string_view name) {
  if (!context_.Link) RaiseExprError("Field/variable %s is unknown", {name});
  std::string upper(name);
  UpperInPlace(upper);
  std::string written(name);
  auto lookup = [&](const std::string& n) -> TUserDefFieldVar* {
    if (TUserDefFieldVar* v = GlobalFieldVars().Find(n)) return v;
    return context_.Link->FindField(n);
  };
  TUserDefFieldVar* var = lookup(upper);
  // ALIAS.FIELD and ALIAS->FIELD: append the point (an arrow reads as one) and the next
  // name, and look again.
  while (!var) {
    std::size_t sep = 0;
    if (text_.substr(pos_, 2) == "->")
      sep = 2;
    else if (pos_ < text_.size() && text_[pos_] == '.')
      sep = 1;
    if (sep == 0 || pos_ + sep >= text_.size() || !IsIdentStart(text_[pos_ + sep])) break;
    std::size_t end = pos_ + sep + 1;
    while (end < text_.size() && IsIdentChar(text_[end])) ++end;
    std::string part(text_.substr(pos_ + sep, end - pos_ - sep));
    written.append(text_.substr(pos_, end - pos_));
    UpperInPlace(part);
    upper += "." + part;
    pos_ = end;
    var = lookup(upper);
  }
  if (!var) RaiseExprError("There is no function for %s", {written});
  return std::make_unique<TExpFieldvar>(var, written);
}

void TParser::ReadOperator() {
  const char c = text_[pos_];
  if (!IsIdentChar(c) && c != '.') {
    std::size_t end = pos_ + 1;
    while (end < text_.size() &&
           (text_[end] == '*' || text_[end] == '<' || text_[end] == '=' || text_[end] == '>'))
      ++end;
    const std::string_view symbol = text_.substr(pos_, end - pos_);
    for (const TSymbol& s : kSymbols) {
      if (s.Text == symbol) {
        list_.push_back(std::make_unique<TExpOperator>(s.Code, context_.Options));
        pos_ = end;
        return;
      }
    }
    SyntaxError();
  }
  const bool dotted = c == '.';
  std::size_t start = pos_ + (dotted ? 1 : 0);
  std::size_t end = start;
  while (end < text_.size() && IsLetter(text_[end])) ++end;
  if (dotted) {
    if (end >= text_.size() || text_[end] != '.') SyntaxError();
  } else if (end < text_.size() && IsIdentChar(text_[end])) {
    SyntaxError();
  }
  const std::string_view word = text_.substr(start, end - start);
  for (const TSymbol& w : kWords) {
    if (word.size() == w.Text.size() && SameWord(word, 0, w.Text)) {
      list_.push_back(std::make_unique<TExpOperator>(w.Code, context_.Options));
      pos_ = end + (dotted ? 1 : 0);
      return;
    }
  }
  SyntaxError();
}

bool IsUnboundOperator(const TExpNode& node) {
  auto* op = dynamic_cast<TExpOperator*>(node.get());
  return op && !op->Bound();
}

TExpNode TParser::Build() {
  for (int level = 2; level <= 8; ++level) {
    std::vector<TExpNode> out;
    out.reserve(list_.size());
    for (std::size_t i = 0; i < list_.size(); ++i) {
      auto* op = dynamic_cast<TExpOperator*>(list_[i].get());
      if (!op || op->Bound() || op->Level() != level) {
        out.push_back(std::move(list_[i]));
        continue;
      }
      TExpNode left, right;
      if (op->Code() != opNot && !out.empty() && !IsUnboundOperator(out.back())) {
        left = std::move(out.back());
        out.pop_back();
      }
      TExpNode self = std::move(list_[i]);
      if (i + 1 < list_.size() && !IsUnboundOperator(list_[i + 1])) right = std::move(list_[++i]);
      op->Bind(std::move(left), std::move(right));
      out.push_back(Checked(std::move(self)));
    }
    list_ = std::move(out);
  }
  if (list_.size() != 1) RaiseExprError("Expression cannot be evaluated");
  return std::move(list_.front());
}

TExpNode TParser::Run() {
  bool operand = true;
  for (;;) {
    SkipBlanks();
    if (pos_ >= text_.size()) break;
    if (operand)
      ReadOperand();
    else
      ReadOperator();
    operand = !operand;
  }
  return Build();
}

}  // namespace

TExpNode ParseExpression(std::string_view text, const TExpParseContext& context, int nesting) {
  if (nesting > kMaxExprDepth) RaiseExprError("Expression cannot be evaluated");
  text = TrimBlanks(text);
  if (text.empty()) return nullptr;
  return TParser(text, context, nesting).Run();
}

}  // namespace hb
