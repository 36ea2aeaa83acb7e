#include "dbf/exprhandler.h"

#include "dbf/exprparser.h"

namespace hb {

TExpHandler::TExpHandler(TExpUserLink* link, const std::string& text) : link_(link) {
  if (!text.empty()) Compile(text);
}

TExpHandler::TExpHandler(TExpUserLink* link, const std::string& text,
                         const TExpCompareOptions& options)
    : link_(link), options_(options) {
  if (!text.empty()) Compile(text);
}

void TExpHandler::Compile(const std::string& text) {
  root_.reset();
  resultType_ = etUnknown;
  text_ = text;
  TExpParseContext context;
  context.Link = link_;
  context.Options = options_;
  context.Whole = text_;
  root_ = ParseExpression(text_, context);
}

void TExpHandler::EvaluateValue(TExpValue& value) {
  if (!root_) {
    value.SetEmpty();
    value.Type = etUnknown;
    resultType_ = etUnknown;
    return;
  }
  root_->Evaluate(value);
  resultType_ = value.Type;
}

void TExpHandler::Evaluate(TDbVariant& result) {
  EvaluateValue(scratch_);
  switch (scratch_.Type) {
    case etText:
      result.SetText(std::move(scratch_.Text));
      break;
    case etNumber:
    case etInteger:
    case etDateTime:
      result.SetNumber(scratch_.Num);
      break;
    case etDate:
      // The empty date and values no date can hold give 0.
      result.SetDate(scratch_.Num > 0 && scratch_.Num < 1E15 ? static_cast<int64_t>(scratch_.Num)
                                                             : 0);
      break;
    case etBoolean:
      result.SetLogical(scratch_.Bool);
      break;
    case etMemo:
      result.SetRaw(std::move(scratch_.Text));
      break;
    default:
      result.SetText({});
      resultType_ = etUnknown;
      break;
  }
}

std::vector<std::string> TExpHandler::FieldNames() const {
  std::vector<std::string> names;
  if (root_) root_->CollectFields(names);
  return names;
}

std::string TExpHandler::TreeText() const {
  return root_ ? root_->Text() : std::string();
}

}  // namespace hb
