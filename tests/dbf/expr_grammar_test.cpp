// Grammar of the expression language: precedence, associativity, negation grouping,
// literals, names and aliases.
#include <gtest/gtest.h>

#include "expr_testtable.h"

namespace {

using hbtest::Eval;

struct TCase {
  const char* Text;
  const char* Expected;
};

class ExprGrammar : public ::testing::Test {
 protected:
  void SetUp() override {
    table.Set("TYPE", "K");
    table.Set("VALUE", "abc");
    table.Set("MEDEWERKER", "0000000012");
    table.Set("START", "   315532800");
    table.Set("DATUM", "20040112");
    table.Set("BEDRAG", "12.50");
    table.Set("KLAAR", "J");
  }
  void Check(const std::vector<TCase>& cases) {
    for (const TCase& c : cases) EXPECT_EQ(Eval(c.Text, &link), c.Expected) << c.Text;
  }
  hbtest::TExprTestTable table;
  hb::TExpUserLink link{table};
};

TEST_F(ExprGrammar, PrecedenceAndLeftAssociativity) {
  Check({
      {"2+3*4", "14"},
      {"10-4-3", "3"},
      {"2^3", "8"},
      {"2**3", "8"},
      {"2*3^2", "18"},
      {"100/10/5", "2"},
      {"(2+3)*4", "20"},
      {"2^3^2", "64"},  // left-associative: (2^3)^2
      {"1+2 = 3", ".T."},
      {"1 < 2 .AND. 3 > 4 .OR. 5 = 5", ".T."},
      {".T. OR .F. AND .F.", ".T."},  // AND binds before OR
      {"'A'+'B' = 'AB'", ".T."},
      {"  7  ", "7"},
      {"4^0.5", "2"},  // fractional exponents are real powers
      {"2^-1", "0.5"},
      {"2^0", "1"},
  });
}

TEST_F(ExprGrammar, NegationGroupsTheRest) {
  Check({
      {"NOT .T. AND .F.", ".F."},
      {"!.T. AND .F.", ".F."},
      {".NOT. .F.", ".T."},
      {"not .f.", ".T."},
      // X AND NOT Y OR Z is X AND ((NOT Y) OR Z): with X false the whole is false.
      {".F. AND NOT .T. OR .T.", ".F."},
      {".T. AND NOT .T. OR .T.", ".T."},
      {".T. AND !.F.", ".T."},
      {"NOT 1 = 2", ".T."},  // negation binds after the relation
      {"NOT NOT .T.", ".T."},
      {"!!.F.", ".F."},
  });
}

TEST_F(ExprGrammar, OperatorSpellings) {
  Check({
      {"1 = 1", ".T."},       {"1 == 1", ".T."},     {"1 EQ 1", ".T."},      {"1 .eq. 1", ".T."},
      {"1 <> 2", ".T."},      {"1 != 2", ".T."},     {"1 # 2", ".T."},       {"1 NE 1", ".F."},
      {"2 > 1", ".T."},       {"2 GT 1", ".T."},     {"1 < 2", ".T."},       {"1 lt 2", ".T."},
      {"2 >= 2", ".T."},      {"2 => 2", ".T."},     {"2 GE 3", ".F."},      {"2 <= 2", ".T."},
      {"2 =< 1", ".F."},      {"2 .LE. 2", ".T."},   {"'A' $ 'CAB'", ".T."}, {"'a' $ 'CAB'", ".F."},
      {".T. and .T.", ".T."}, {".F. Or .T.", ".T."},
  });
}

TEST_F(ExprGrammar, Literals) {
  Check({
      {"'single'", "'single'"},
      {"\"double\"", "'double'"},
      {"[square]", "'square'"},
      {"'it''s'", "error: Syntax Error in expression \"'it''s'\""},
      {"\"it's\"", "'it's'"},
      {"{20040112}", "D:20040112"},
      {"{12-01-2004}", "D:20040112"},
      {"{}", "D:        "},
      {".t.", ".T."},
      {".F.", ".F."},
      {"1.25", "1.25"},
      {"-3", "-3"},
      {"+3", "3"},
      {"1 - -3", "4"},
      {"1.2.3", "0"},  // no valid number: 0
      {"007", "7"},
      {"'\xe9\xe8'", "'\xe9\xe8'"},  // bytes above 127 inside a literal
  });
}

TEST_F(ExprGrammar, TextOperators) {
  hb::TExpCompareOptions noCase;
  noCase.CaseInsensitive = true;
  Check({
      {"'ABC' = 'AB*'", ".T."},
      {"'XABC' = 'AB*'", ".T."},
      {"'AB' = 'AB*'", ".F."},
      {"'AB' < 'AB*'", ".T."},  // a failed match counts as less
      {"'ABC' = '*BC'", ".T."},
      {"'ABC' = '*'", ".T."},
      {"'ABCD' = 'A?C*'", ".T."},
      {"'ABC' = 'A?C*'", ".F."},   // the pattern, its wildcards counted, is longer
      {"'XABC' = '*A?C'", ".F."},  // after a leading wildcard "?" is a plain character
      {"'ABC ' = 'ABC'", ".T."},
      {"'abc' = 'ABC'", ".F."},
      {"'' = ''", ".T."},
      {"'' < 'A'", ".T."},
      {"'  ' = ''", ".F."},   // an empty text sorts before a non-empty one
      {"'  ' = ' '", ".T."},  // both lose their trailing blanks
      {"'AB  ' - 'CD'", "'ABCD  '"},
      {"'AB' + 'CD'", "'ABCD'"},
      {"'A' < 'B'", ".T."},
  });
  EXPECT_EQ(Eval("'abc' = 'ABC'", &link, noCase), ".T.");
  EXPECT_EQ(Eval("'abcd' = 'AB*'", &link, noCase), ".T.");
  hb::TExpCompareOptions noWild;
  noWild.Wildcards = false;
  EXPECT_EQ(Eval("'ABC' = 'AB*'", &link, noWild), ".F.");
  EXPECT_EQ(Eval("'AB*' = 'AB*'", &link, noWild), ".T.");
}

TEST_F(ExprGrammar, NamesFieldsAndAliases) {
  Check({
      {"TYPE", "'K'"},
      {"type = 'K'", ".T."},
      {"VALUE", "'abc       '"},
      {"medewerkerx", "'0000000012'"},  // matched on the first 10 characters
      {"URUREN.TYPE", "'K'"},
      {"uruuren.TYPE", "error: There is no function for uruuren.TYPE"},
      {"uruuren->TYPE", "error: There is no function for uruuren->TYPE"},
      {"URUREN->TYPE + uruREN.type", "'KK'"},
      {"URUREN.MEDEWERKERX", "error: There is no function for URUREN.MEDEWERKERX"},
      {"DATUM", "D:20040112"},
      {"DATUM - DATUM + 1", "1"},  // the result has the type of the right operand
      {"DATUM + 1", "2453018"},
      {"BEDRAG * 2", "25"},
      {"KLAAR", ".T."},
      {"NOTITIE", "''"},
      {"BLOB", "M:'          '"},
      {"TRUE AND NOT FALSE", ".T."},
      {"PI > 3.14", ".T."},
      {"NOSUCH", "error: There is no function for NOSUCH"},
      {"TYPE.AND.KLAAR", "error: The two sides of an operation do not match"},
      {"KLAAR.AND.KLAAR", ".T."},
      {"NOTITIE = ''", ".T."},  // NOT at the start of a name is no negation
  });
  table.Set("NOTITIE", "         1");
  EXPECT_EQ(Eval("NOTITIE", &link), "'memo text'");
}

TEST_F(ExprGrammar, NoNamesWithoutATable) {
  EXPECT_EQ(Eval("TRUE"), "error: Field/variable TRUE is unknown");
  EXPECT_EQ(Eval("1 + Pi"), "error: Field/variable Pi is unknown");
  EXPECT_EQ(Eval("UPPER('a') + 'b'"), "'Ab'");
  EXPECT_EQ(Eval("RECNO()"), "error: There is no function for RECNO");
}

TEST_F(ExprGrammar, FunctionCallForms) {
  Check({
      {"UPPER(TYPE+VALUE+MEDEWERKER)", "'KABC       0000000012'"},
      {"Upper(TYPE)+Upper(VALUE)", "'KABC       '"},
      {"upper ('x')", "'X'"},
      {"SUBSTR('a,b)c', 3)", "'b)c'"},  // quotes hide commas and parentheses
      {"SUBSTR([a,b)c], 3, 1)", "'b'"},
      {"IIF(.T., 'x', 'y')", "'x'"},
      {"LEN(')')", "1"},
      {"SUBSTR('abc', , 2)", "'bc'"},  // an empty argument is skipped
      {"PI()", "3.14159265358979"},
      {"recno() + 1", "2"},
  });
}

TEST_F(ExprGrammar, HandlerConversionsAndFieldList) {
  hb::TDbVariant v;
  hb::TExpHandler h(&link, "DATUM");
  h.Evaluate(v);
  EXPECT_EQ(h.ResultType(), hb::etDate);
  EXPECT_EQ(v, hb::TDbVariant::Date(2453017));
  h.Compile("CTOD('')");
  h.Evaluate(v);
  EXPECT_EQ(v, hb::TDbVariant::Date(0));  // the empty date sentinel reads as the empty date
  h.Compile("BEDRAG");
  h.Evaluate(v);
  EXPECT_EQ(v, hb::TDbVariant::Number(12.5));
  h.Compile("KLAAR");
  h.Evaluate(v);
  EXPECT_EQ(v, hb::TDbVariant::Logical(true));
  h.Compile("BLOB");
  h.Evaluate(v);
  EXPECT_EQ(h.ResultType(), hb::etMemo);
  EXPECT_EQ(v, hb::TDbVariant::Raw(std::string(10, ' ')));
  h.Compile("IIF(.F., 1, )");
  h.Evaluate(v);
  EXPECT_EQ(h.ResultType(), hb::etUnknown);
  EXPECT_EQ(v, hb::TDbVariant::Text(""));

  h.Compile("");
  EXPECT_FALSE(h.HasTree());
  h.Evaluate(v);
  EXPECT_EQ(h.ResultType(), hb::etUnknown);
  EXPECT_EQ(v, hb::TDbVariant::Text(""));

  // A failed compilation keeps nothing of the tree.
  h.Compile("TYPE");
  EXPECT_THROW(h.Compile("NOSUCHFN(TYPE)"), hb::EDbfExpression);
  EXPECT_FALSE(h.HasTree());

  h.Compile("UPPER(TYPE + VALUE) + URUREN.MEDEWERKER + IIF(KLAAR, DTOS(DATUM), '')");
  EXPECT_EQ(h.FieldNames(),
            (std::vector<std::string>{"TYPE", "VALUE", "MEDEWERKER", "KLAAR", "DATUM"}));
  EXPECT_EQ(h.ExpressionText(),
            "UPPER(TYPE + VALUE) + URUREN.MEDEWERKER + IIF(KLAAR, DTOS(DATUM), '')");
}

}  // namespace
