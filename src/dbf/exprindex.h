// A compiled expression as an index evaluates it: on the record buffer or on the
// before-image of a table whose fields are read through a TExpRecordLink.
//
//   TExpIndexExpression key(link, userLink, "UPPER(TYPE+VALUE+MEDEWERKER)",
//                           [&](bool before) { return before ? beforeImage : buffer; });
//   key.Evaluate(false).Text == "KABC       0000000012"
//
// Text and memo results are character values, Number, Integer and DateTime numbers, Date
// the julian day number (the empty date as 0), Boolean logical; anything else Unknown.
#pragma once

#include <functional>
#include <string>

#include "dbf/exprhandler.h"
#include "dbf/exprlink.h"
#include "dbf/indexsource.h"

namespace hb {

class TExpIndexExpression : public TIndexExpression {
 public:
  // buffer(beforeImage) gives the record to evaluate on. Raises the expression language's
  // errors when the text does not compile.
  TExpIndexExpression(TExpRecordLink& table, TExpUserLink& link, const std::string& text,
                      std::function<const char*(bool beforeImage)> buffer);

  TIndexValue Evaluate(bool beforeImage) override;
  TExpHandler& Handler() { return handler_; }

 private:
  TExpRecordLink& table_;
  TExpHandler handler_;
  std::function<const char*(bool)> buffer_;
  TExpValue value_;
};

}  // namespace hb
