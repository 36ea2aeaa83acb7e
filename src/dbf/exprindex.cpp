#include "dbf/exprindex.h"

namespace hb {

TExpIndexExpression::TExpIndexExpression(TExpRecordLink& table, TExpUserLink& link,
                                         const std::string& text,
                                         std::function<const char*(bool)> buffer)
    : table_(table), handler_(&link, text), buffer_(std::move(buffer)) {}

TIndexValue TExpIndexExpression::Evaluate(bool beforeImage) {
  const char* saved = table_.Record();
  table_.SetRecord(buffer_(beforeImage));
  try {
    handler_.EvaluateValue(value_);
  } catch (...) {
    table_.SetRecord(saved);
    throw;
  }
  table_.SetRecord(saved);
  TIndexValue out;
  switch (value_.Type) {
    case etText:
    case etMemo:
      out.Kind = TIndexValueKind::Text;
      out.Text = std::move(value_.Text);
      break;
    case etNumber:
    case etInteger:
    case etDateTime:
      out.Kind = TIndexValueKind::Number;
      out.Number = value_.Num;
      break;
    case etDate:
      out.Kind = TIndexValueKind::Date;
      out.Number = IsEmptyDate(value_.Num) ? 0 : value_.Num;
      break;
    case etBoolean:
      out.Kind = TIndexValueKind::Logical;
      out.Logical = value_.Bool;
      break;
    default:
      break;
  }
  return out;
}

}  // namespace hb
