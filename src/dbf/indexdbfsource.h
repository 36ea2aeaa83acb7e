// The key source of an open table file: index expressions read the table's record buffer
// (or its before-image for the key a rewrite replaces), bulk builds position physically
// on each record, progress goes to the table's status hook, and a compound index of the
// table's own name sets bit 0 of its header flags.
#pragma once

#include "dbf/dbffields.h"
#include "dbf/exprdbf.h"
#include "dbf/indexexprsource.h"

namespace hb {

namespace detail {
// Holds the field link so that it exists before the source that reads through it.
struct TDbfLinkHolder {
  explicit TDbfLinkHolder(TDbfFields& table) : DbfLink(table) {}
  TExpDbfLink DbfLink;
};
}  // namespace detail

class TDbfIndexSource : private detail::TDbfLinkHolder, public TIndexRecordSource {
 public:
  explicit TDbfIndexSource(TDbfFields& table);
};

}  // namespace hb
