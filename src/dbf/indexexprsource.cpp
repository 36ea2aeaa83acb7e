#include "dbf/indexexprsource.h"

#include "dbf/dbvariant.h"
#include "dbf/exprhandler.h"

namespace hb {
namespace {

class TCompiledKey : public TIndexExpression {
 public:
  TCompiledKey(TIndexRecordSource& source, TExpUserLink* link, const std::string& text)
      : source_(source), handler_(link, text) {}

  TIndexValue Evaluate(bool beforeImage) override {
    TDbVariant v;
    if (beforeImage) {
      // Point the fields at the before-image for this one evaluation.
      source_.Link().SetRecord(source_.BeforeImage());
      try {
        handler_.Evaluate(v);
      } catch (...) {
        source_.Link().SetRecord(source_.Buffer());
        throw;
      }
      source_.Link().SetRecord(source_.Buffer());
    } else {
      handler_.Evaluate(v);
    }
    TIndexValue out;
    switch (v.Kind()) {
      case TDbVariant::dvText:
      case TDbVariant::dvRaw:
        out.Kind = TIndexValueKind::Text;
        out.Text = v.AsBytes();
        break;
      case TDbVariant::dvNumber:
        out.Kind = TIndexValueKind::Number;
        out.Number = v.AsNumber();
        break;
      case TDbVariant::dvDate:
        out.Kind = TIndexValueKind::Date;
        out.Number = static_cast<double>(v.AsDate());
        break;
      case TDbVariant::dvLogical:
        out.Kind = TIndexValueKind::Logical;
        out.Logical = v.AsLogical();
        break;
      default:
        break;
    }
    return out;
  }

 private:
  TIndexRecordSource& source_;
  TExpHandler handler_;
};

}  // namespace

TIndexRecordSource::TIndexRecordSource(TExpRecordLink& link, const char* buffer, const char* before,
                                       TTableHooks hooks)
    : link_(link),
      userLink_(std::make_unique<TExpUserLink>(link)),
      buffer_(buffer),
      before_(before),
      hooks_(std::move(hooks)) {
  link_.SetRecord(buffer_);
}

TIndexRecordSource::~TIndexRecordSource() = default;

std::unique_ptr<TIndexExpression> TIndexRecordSource::Compile(const std::string& text) {
  return std::make_unique<TCompiledKey>(*this, userLink_.get(), text);
}

void TIndexRecordSource::LoadRecord(uint32_t recNo) {
  if (hooks_.LoadRecord) hooks_.LoadRecord(recNo);
  link_.SetRecord(buffer_);
}

void TIndexRecordSource::ReportStatus(int stat1, int stat2, int stat3) {
  if (hooks_.ReportStatus) hooks_.ReportStatus(stat1, stat2, stat3);
}

void TIndexRecordSource::MarkOwnIndex() {
  if (hooks_.MarkOwnIndex) hooks_.MarkOwnIndex();
}

}  // namespace hb
