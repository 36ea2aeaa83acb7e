// Every compile and evaluation error of the expression language, and malformed input of
// any kind: an error, never a crash.
#include <gtest/gtest.h>

#include <random>

#include "expr_testtable.h"

namespace {

using hbtest::Eval;

class ExprErrors : public ::testing::Test {
 protected:
  hbtest::TExprTestTable table;
  hb::TExpUserLink link{table};
};

TEST_F(ExprErrors, Messages) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"1 +* 2", "Syntax Error in expression \"1 +* 2\""},
      {"1 2", "Syntax Error in expression \"1 2\""},
      {"1 ANDX 2", "Syntax Error in expression \"1 ANDX 2\""},
      {"1 .AND 2", "Syntax Error in expression \"1 .AND 2\""},
      {"1 = = 2", "Syntax Error in expression \"1 = = 2\""},
      {"@", "Syntax Error in expression \"@\""},
      {"()", "Syntax Error in expression \"()\""},
      {"(1 + 2", "Missing closing parentheses"},
      {"UPPER('a'", "Missing closing parentheses"},
      {"UPPER('a)')x", "Syntax Error in expression \"UPPER('a)')x\""},
      {".T", "Missing closing period"},
      {".X.", "Expecting \".T.\" or \".F.\""},
      {".TRUE.", "Expecting \".T.\" or \".F.\""},
      {"'abc", "Missing closing \"'\" on literal"},
      {"\"abc", "Missing closing \"\"\" on literal"},
      {"[abc", "Missing closing \"[\" on literal"},
      {"{2004", "Missing closing \"{\" on literal"},
      {"NOSUCH(1)", "There is no function for NOSUCH"},
      {"nosuch(1)", "There is no function for NOSUCH"},
      {"nosuch", "There is no function for nosuch"},
      {"1 +", "Target value missing for + operation"},
      {"'a' $", "Target value missing for in string operation"},
      {".T. .AND.", "Target value missing for .AND. operation"},
      {"'A' + 1", "The two sides of an operation do not match"},
      {"DATUM = 'x'", "The two sides of an operation do not match"},
      {".T. + .F.", "A number value is required but invalid"},
      {".T. > .F.", "A assigned value is required but invalid"},
      {"1 $ 2", "A assigned value is required but invalid"},
      {"'a' * 'b'", "A assigned value is required but invalid"},
      {"NOT 1", "A boolean value is required but invalid"},
      {"1 AND 2", "A boolean value is required but invalid"},
      {"CHR(256)", "A Byte value is required but invalid"},
      {"CHR(-1)", "A Byte value is required but invalid"},
      {"PADL('a', 3, 'xy')", "A Char value is required but invalid"},
      {"PADL('a', 3, 1)", "A Char value is required but invalid"},
      {"UPPER(1)", "Text needed for Argument 1 of UPPER"},
      {"UPPER()", "Text needed for Argument 1 of UPPER"},
      {"LEFT('a')", "Number needed for Argument 2 of LEFT"},
      {"IIF(1, 2, 3)", "Boolean needed for Argument 1 of IIF"},
      {"DTOS('x')", "Date needed for Argument 1 of DTOS"},
      {"BETWEEN(1, 'a', 2)", "Number needed for Argument 2 of BETWEEN"},
      {"PADR()", "Value needed for Argument 1 of Pad"},
      {"ASIN(2)", "Argument for ASIN must be -1 to +1"},
      {"ACOS(-1.5)", "Argument for ACOS must be -1 to +1"},
      {"LOG(0)", "Argument for LOG must be > 0"},
      {"LOG10(-1)", "Argument for LOG10 must be > 0"},
      {"FV(1, 0.1, 2, 0, 2)", "Argument for FV PaymentTime must be 0 or 1"},
      {"PV(1, 0.1, 2, 0, -1)", "Argument for PV PaymentTime must be 0 or 1"},
      {"MAX()", "A value is required for Max()"},
      {"MIN()", "A value is required for Min()"},
      {"MAX(1, 'a')", "All arguments for Max() must be of the same type"},
      {"MIN('a', .T.)", "All arguments for Min() must be of the same type"},
      {"TYPE('NOSUCH')", "There is no field name /data/URUREN.DBF->NOSUCH"},
      {"SPACE(1000000000)", "Argument for SPACE must be <= 16777216"},
      {"SPACE(16777216) + 'x'", "Argument for + must be <= 16777216"},
  };
  for (const auto& [text, message] : cases)
    EXPECT_EQ(Eval(text, &link), std::string("error: ") + message) << text;
}

TEST_F(ExprErrors, FieldsHoldingBadValues) {
  table.Set("BEDRAG", "12x");
  EXPECT_EQ(Eval("BEDRAG", &link), "error: Invalid numeric value in field URUREN->BEDRAG (12x)");
  table.Set("DATUM", "2004x112");
  EXPECT_EQ(Eval("DATUM", &link), "error: Invalid date in field URUREN->DATUM (2004x112)");
}

TEST_F(ExprErrors, ArithmeticErrorsReachTheCaller) {
  EXPECT_THROW(Eval("1 / 0", &link), hb::EZeroDivide);
  EXPECT_THROW(Eval("MOD(5, 0.5)", &link), hb::EZeroDivide);  // both truncated: 5 mod 0
  EXPECT_THROW(Eval("FV(100, -1, 3)", &link), hb::EInvalidArgument);
  EXPECT_THROW(Eval("PV(100, -2, 3)", &link), hb::EInvalidArgument);
}

// Compiles and evaluates; true when it ends in an expression error (or succeeds).
bool Survives(const std::string& text, hb::TExpUserLink* link) {
  try {
    hb::TExpHandler h(link, text);
    hb::TExpValue v;
    h.EvaluateValue(v);
  } catch (const hb::EDbfExpression&) {
  } catch (const hb::EMathError&) {
  }
  return true;
}

TEST_F(ExprErrors, DeepNestingIsRefusedNotFatal) {
  const int n = 100000;
  const std::vector<std::string> deep = {
      std::string(n, '(') + "1" + std::string(n, ')'),
      std::string(n, '(') + "1",
      std::string(n, ')'),
      std::string(n, '!') + ".T.",
      [&] {
        std::string s;
        for (int i = 0; i < n; ++i) s += "NOT ";
        return s + ".T.";
      }(),
      [&] {
        std::string s;
        for (int i = 0; i < n; ++i) s += "UPPER(";
        return s + "'a'" + std::string(n, ')');
      }(),
      [&] {
        std::string s = "1";
        for (int i = 0; i < n; ++i) s += "+1";
        return s;
      }(),
      [&] {
        std::string s = "'a'";
        for (int i = 0; i < n; ++i) s += " .AND. 'a'";
        return s;
      }(),
  };
  for (const std::string& text : deep) {
    EXPECT_THROW(hb::TExpHandler(&link, text), hb::EDbfExpression) << text.substr(0, 40);
  }
  EXPECT_EQ(Eval("((((((((((1))))))))))", &link), "1");
  std::string moderate = "0";
  for (int i = 0; i < 200; ++i) moderate += "+1";
  EXPECT_EQ(Eval(moderate, &link), "200");
}

TEST_F(ExprErrors, LongTextsAndHighBytes) {
  const std::string big(1 << 20, 'x');
  EXPECT_EQ(Eval("LEN('" + big + "')", &link), "1048576");
  EXPECT_EQ(Eval("'" + big, &link), "error: Missing closing \"'\" on literal");
  std::string name(5000, 'A');
  EXPECT_EQ(Eval(name, &link), "error: There is no function for " + name);
  for (const char* text : {"\xff", "TYPE \xe9 'K'", "\x80(1)", "1 \x01 2", "UPPER(\xfe)"})
    EXPECT_TRUE(hbtest::Eval(text, &link).rfind("error: Syntax Error", 0) == 0) << text;
  EXPECT_EQ(Eval(std::string("'a\0b'", 5), &link), "'a" + std::string(1, '\0') + "b'");
}

TEST_F(ExprErrors, RandomInputNeverCrashes) {
  // Fragments of the language shuffled at random: whatever comes out compiles or raises.
  const std::vector<std::string> pieces = {
      "(",        ")",    "'",     "\"",     "[",   "]",      "{",       "}",    ".",
      ",",        "!",    "NOT ",  ".T.",    ".F.", "AND",    "OR",      "+",    "-",
      "*",        "/",    "^",     "=",      "<",   ">",      "$",       "#",    "1",
      "2.5",      "TYPE", "DATUM", "URUREN", "->",  "UPPER(", "SUBSTR(", "IIF(", "PADL(",
      "STRTRAN(", "MAX(", " ",     "\xe9",   "\x00"};
  std::mt19937 random(12345);
  for (int i = 0; i < 20000; ++i) {
    std::string text;
    const int n = 1 + static_cast<int>(random() % 12);
    for (int k = 0; k < n; ++k) text += pieces[random() % pieces.size()];
    EXPECT_TRUE(Survives(text, &link));
    EXPECT_TRUE(Survives(text, nullptr));
  }
}

}  // namespace
