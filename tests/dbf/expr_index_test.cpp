// Expressions as an index evaluates them: on the record buffer or on the before-image.
#include <gtest/gtest.h>

#include "dbf/exprindex.h"
#include "expr_testtable.h"

namespace {

TEST(ExprIndex, EvaluatesOnBufferOrBeforeImage) {
  hbtest::TExprTestTable table;
  hb::TExpUserLink link(table);
  table.Set("TYPE", "k");
  table.Set("DATUM", "20040112");
  const std::string before(table.Record(), static_cast<std::size_t>(table.RecordLength()));
  table.Set("TYPE", "m");
  table.Set("DATUM", "");
  table.Set("BEDRAG", "bad");
  auto buffer = [&](bool image) { return image ? before.data() : table.Record(); };
  const char* current = table.Record();

  hb::TExpIndexExpression key(table, link, "UPPER(TYPE)", buffer);
  EXPECT_EQ(key.Evaluate(false).Text, "M");
  EXPECT_EQ(key.Evaluate(true).Text, "K");
  EXPECT_EQ(key.Evaluate(false).Kind, hb::TIndexValueKind::Text);

  hb::TExpIndexExpression date(table, link, "DATUM", buffer);
  EXPECT_EQ(date.Evaluate(true).Number, 2453017);
  const hb::TIndexValue empty = date.Evaluate(false);
  EXPECT_EQ(empty.Kind, hb::TIndexValueKind::Date);
  EXPECT_EQ(empty.Number, 0);

  hb::TExpIndexExpression sentinel(table, link, "CTOD('')", buffer);
  EXPECT_EQ(sentinel.Evaluate(false).Number, 0);  // the empty date keys as 0

  hb::TExpIndexExpression forExpr(table, link, "TYPE = 'k' AND RECNO() = 1", buffer);
  EXPECT_TRUE(forExpr.Evaluate(true).Logical);
  EXPECT_FALSE(forExpr.Evaluate(false).Logical);

  // An error leaves the table reading its own buffer.
  hb::TExpIndexExpression number(table, link, "BEDRAG", buffer);
  EXPECT_THROW(number.Evaluate(false), hb::EDbfExpression);
  EXPECT_EQ(table.Record(), current);
  EXPECT_EQ(number.Evaluate(true).Kind, hb::TIndexValueKind::Number);

  EXPECT_THROW(hb::TExpIndexExpression(table, link, "UPPER(", buffer), hb::EDbfExpression);
}

}  // namespace
