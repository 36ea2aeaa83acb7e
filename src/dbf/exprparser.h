// Tokeniser and tree builder of the expression language.
//
// The text is trimmed and read as operand and operator positions in turn, starting with an
// operand; blanks before each token are skipped. Operand forms, tried in this order:
//
//   1. negation   NOT, .NOT. or !, followed by more text. At the start of a (sub-)
//                 expression it is the NOT operator; anywhere else the whole rest of the
//                 text from the negation on is read as one parenthesised group, so
//                 "X AND NOT Y OR Z" is X AND ((NOT Y) OR Z).
//   2. ( ... )    a sub-expression up to the matching parenthesis
//   3. .T. .F.    a logical literal (any case)
//   4. name       letter or "_" then letters, digits, "_": a function call when "(" follows
//                 (arguments are the top-level comma-separated parts; empty parts are
//                 skipped), otherwise a named value or a field (ALIAS.FIELD, ALIAS->FIELD)
//   5. literal    "text", 'text', [text], {date}
//   6. number     "+", "-" or a digit, then digits and points; "." is the decimal point;
//                 a text that is no valid number is 0
//
// Operator forms: a symbol (one character, then any run of "*<=>") from the operator table,
// or a word AND OR EQ NE GE LE LT GT, bare or between points. The token list is bound into
// a tree level by level (2..8, see exprnodes.h); each level binds from the left, so binary
// operators are left-associative.
//
// Nesting (parentheses, function arguments, negation groups) and the depth of the tree are
// limited to kMaxExprDepth, so that neither compiling nor evaluating can exhaust the stack;
// a deeper expression is refused with "Expression cannot be evaluated".
#pragma once

#include <string_view>

#include "dbf/exprnodes.h"

namespace hb {

class TExpUserLink;

constexpr int kMaxExprDepth = 400;

struct TExpParseContext {
  TExpUserLink* Link = nullptr;  // absent: the expression may use no names at all
  TExpCompareOptions Options;
  std::string_view Whole;  // the whole expression, for "Syntax Error" messages
};

// Compiles text into a tree; an empty (or blank) text gives no tree.
TExpNode ParseExpression(std::string_view text, const TExpParseContext& context, int nesting = 0);

}  // namespace hb
