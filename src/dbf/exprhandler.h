// One compiled expression.
//
//   TExpUserLink link(table);                 // the table's fields and table functions
//   TExpHandler key(&link, "UPPER(TYPE+VALUE+MEDEWERKER)");
//   TDbVariant v;
//   key.Evaluate(v);                           // on the table's current record
//   key.ResultType() == etText
//
// The text is compiled once into a tree; Evaluate runs the tree on the current record
// without parsing. The four comparison options (case-insensitive, wildcard matching and
// the two wildcard characters) are copied into every operator node when the tree is
// built, so they must be set before Compile. A failed compilation keeps no tree.
//
// Evaluate converts the result: Text into text, Number, Integer and DateTime into a number,
// Date into an integer julian number (the empty date sentinel as 0), Boolean into a
// logical, Memo into raw bytes; any other type gives an empty value and the type Unknown,
// as does an expression without a tree.
#pragma once

#include <string>
#include <vector>

#include "dbf/dbvariant.h"
#include "dbf/exprnodes.h"

namespace hb {

class TExpUserLink;

class TExpHandler {
 public:
  // link may be absent: the expression may then use no names. A non-empty text is compiled.
  explicit TExpHandler(TExpUserLink* link = nullptr, const std::string& text = {});
  TExpHandler(TExpUserLink* link, const std::string& text, const TExpCompareOptions& options);

  void SetCaseInsensitive(bool on) { options_.CaseInsensitive = on; }
  void SetWildcards(bool on) { options_.Wildcards = on; }
  void SetWildcardChars(char many, char one) {
    options_.MultiWildcard = many;
    options_.SingleWildcard = one;
  }
  const TExpCompareOptions& Options() const { return options_; }

  // Releases the old tree and builds one from text; an empty text gives no tree.
  void Compile(const std::string& text);

  void Evaluate(TDbVariant& result);
  // The result as the tree produced it, without conversion; type Unknown without a tree.
  void EvaluateValue(TExpValue& value);

  // Type code of the last evaluation (Unknown before the first).
  int ResultType() const { return resultType_; }
  const std::string& ExpressionText() const { return text_; }
  bool HasTree() const { return root_ != nullptr; }
  TExpUserLink* Link() const { return link_; }

  // Names of the table fields the expression uses, in the order they occur.
  std::vector<std::string> FieldNames() const;
  // The tree rendered as text; empty without a tree.
  std::string TreeText() const;

 private:
  TExpUserLink* link_;
  TExpCompareOptions options_;
  std::string text_;
  TExpNode root_;
  int resultType_ = etUnknown;
  TExpValue scratch_;
};

}  // namespace hb
