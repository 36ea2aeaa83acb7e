// The function library, the table functions and the registries.
#include <gtest/gtest.h>

#include <QDate>

#include "expr_testtable.h"

namespace {

using hbtest::Eval;

struct TCase {
  const char* Text;
  std::string Expected;
};

class ExprFuncs : public ::testing::Test {
 protected:
  void SetUp() override {
    table.Set("TYPE", "K");
    table.Set("MEDEWERKER", "0000000012");
  }
  void Check(const std::vector<TCase>& cases) {
    for (const TCase& c : cases) EXPECT_EQ(Eval(c.Text, &link), c.Expected) << c.Text;
  }
  hbtest::TExprTestTable table;
  hb::TExpUserLink link{table};
};

TEST_F(ExprFuncs, Text) {
  Check({
      {"ALLTRIM('  a b  ')", "'a b'"},
      {"LTRIM('  a ')", "'a '"},
      {"RTRIM('  a  ')", "'  a'"},
      {"TRIM('a \t')", "'a'"},
      {"UPPER('abc\xe9\xff\x9a')", "'ABC\xc9\x9f\x8a'"},
      {"LOWER('ABC\xc9\x8a\xdf')", "'abc\xe9\x9a\xdf'"},
      {"PROPER(\"jan o'brien-DE vries 1st \xe9t\xc9\")", "'Jan O'brien-De Vries 1st \xc9t\xe9'"},
      {"LEFT('AB', 4)", "'AB  '"},
      {"LEFT('ABC', 2.9)", "'AB'"},
      {"LEFT('ABC', 0.01)", "''"},
      {"LEFT('ABC', 0.5)", "''"},
      {"RIGHT('ABC', 0)", "'ABC'"},
      {"RIGHT('ABC', 2)", "'BC'"},
      {"RIGHT('ABC', 3)", "'ABC'"},
      {"RIGHT('ABC', -1)", "'ABC'"},
      {"SUBSTR('ABCDE', 2, 10)", "'BCDE'"},
      {"SUBSTR('ABCDE', 2.9, 2.9)", "'BC'"},
      {"SUBSTR('ABCDE', 5)", "'E'"},
      {"SUBSTR('ABCDE', 0)", "''"},
      {"SUBSTR('ABCDE', 6)", "''"},
      {"SUBSTR('ABCDE', 2, 0)", "''"},
      {"SPACE(3)", "'   '"},
      {"SPACE(-1)", "''"},
      {"PADL('ab', 5)", "'   ab'"},
      {"PADR('ab', 5, '*')", "'ab***'"},
      {"PADC('ab', 7, '-')", "'--ab---'"},
      {"PADL('abcdef', 3)", "'abcdef'"},
      {"PADL(42, 5, '0')", "'00042'"},
      {"PADR(.T., 3)", "'T  '"},
      {"PADL({20040112}, 11)", "' 12-01-2004'"},
      {"STRTRAN('banana', 'a', 'o')", "'bonono'"},
      {"STRTRAN('banana', 'a')", "'bnn'"},
      {"STRTRAN('banana', 'a', 'o', 2)", "'banono'"},
      {"STRTRAN('banana', 'a', 'o', 2, 1)", "'banona'"},
      {"STRTRAN('banana', 'a', 'o', 1, 0)", "'banana'"},
      {"STRTRAN('aaa', 'a', 'aa')", "'aaaaaa'"},
      {"STRTRAN('', 'a', 'b')", "''"},
      {"STRTRAN('abc', '', 'x')", "'abc'"},
      {"AT('a', 'banana', 2)", "4"},
      {"AT('a', 'banana', 5)", "6"},
      {"AT('x', 'banana')", "0"},
      {"AT('an', 'banana')", "2"},
      {"AT('A', 'banana')", "0"},
      {"ATC('A', 'bAnana', 2)", "4"},
      {"LEN('abc ')", "4"},
      {"LEN('')", "0"},
      {"LEN('TYPE')", "4"},  // the library's LEN shadows the table function
      {"ASC('')", "0"},
      {"ASC('A')", "65"},
      {"ASC('\xe9')", "233"},
      {"CHR(65)", "'A'"},
      {"CHR(233.7)", "'\xe9'"},
      {"SOUNDEX('Robert')", "'R163'"},
      {"SOUNDEX('A')", "'A000'"},
      {"SOUNDEX('')", "'0000'"},
      {"SOUNDEX('Ashcraft')", "'A261'"},
      {"SOUNDEX('tymczak')", "'T520'"},
      {"STR(12345, 3)", "'***'"},
      {"STR(3.14159, 6, 2)", "'  3.14'"},
      {"STR(42)", "'        42'"},
      {"STR(2.5)", "'         3'"},
      {"STR(-2.5)", "'        -3'"},
      {"STR(1.005, 5, 2)", "' 1.01'"},
      {"STR(-0.4)", "'         0'"},
      {"STR(1, 0)", "''"},
      {"STRZERO(42, 5)", "'00042'"},
      {"STRZERO(-42, 5)", "'-0042'"},
      {"STRZERO(123456, 5)", "'*****'"},
      {"VAL('12.5')", "12.5"},
      {"VAL(' -3 ')", "-3"},
      {"VAL('1e3')", "1000"},
      {"VAL('')", "0"},
      {"VAL('abc')", "0"},
      {"VAL('12abc')", "0"},
  });
}

TEST_F(ExprFuncs, Numeric) {
  Check({
      {"ABS(-2.5)", "2.5"},
      {"INT(-2.7)", "-2"},
      {"INT(2.7)", "2"},
      {"CEILING(2.1)", "3"},
      {"CEILING(-2.1)", "-2"},
      {"FLOOR(-2.1)", "-3"},
      {"MOD(7, 3)", "1"},
      {"MOD(-7, 3)", "-1"},
      {"MOD(7, -3)", "1"},
      {"MOD(7.9, 3.9)", "1"},
      {"ROUND(2.675, 2)", "2.68"},
      {"ROUND(-2.5, 0)", "-3"},
      {"ROUND(2.4, 0)", "2"},
      {"ROUND(0.125, 2)", "0.13"},
      {"ROUND(1250, -2)", "1300"},
      {"ROUND(1.23456, 3)", "1.235"},
      {"SIN(0)", "0"},
      {"COS(0)", "1"},
      {"TAN(0)", "0"},
      {"ATAN(1) * 4", "3.14159265358979"},
      {"ASIN(1)", "1.5707963267949"},
      {"ACOS(1)", "0"},
      {"ATN2(1, -1)", "2.35619449019234"},
      {"ATN2(-1, 0)", "-1.5707963267949"},
      {"DTOR(180)", "3.14159265358979"},
      {"RTOD(PI())", "180"},
      {"LOG(1)", "0"},
      {"LOG10(1000)", "3"},
      {"FV(100, 0, 10)", "1000"},
      {"FV(100, 0.1, 2)", "210"},
      {"FV(100, 0.1, 2, 0, 1)", "231"},
      {"FV(100, 0.1, 2, 1000)", "1420"},
      {"FV(-100, 0.1, 2)", "210"},
      {"PV(100, 0, 4)", "400"},
      {"ROUND(PV(100, 0.1, 2), 6)", "173.553719"},
      {"ROUND(PV(100, 0.1, 2, 0, 1), 6)", "190.909091"},
      {"MAX(1, 5, 3)", "5"},
      {"MIN(4, 1, 5)", "1"},
      {"MAX(2)", "2"},
      {"MAX('b', 'a', 'c')", "'c'"},
      {"MIN('b', 'a ', 'c')", "'a '"},
      {"MIN(.T., .F.)", ".F."},
      {"MAX({20040112}, 2453018)", "D:20040113"},  // the numeric family mixes; first's type
  });
}

TEST_F(ExprFuncs, Dates) {
  Check({
      {"DTOS(DATUM)", "'        '"},
      {"DTOC(DATUM)", "'          '"},
      {"DOW(DATUM)", "0"},
      {"EMPTY(DATUM)", ".T."},
      {"DOW({20040112})", "2"},
      {"DOW({20040111})", "1"},
      {"DOW({20040117})", "7"},
      {"CTOD('12-01-2004')", "D:20040112"},
      {"CTOD('12/1/04')", "D:20040112"},
      {"CTOD('20040112')", "D:20040112"},
      {"CTOD('') + 0", "1e+100"},  // the empty date sentinel
      {"EMPTY(CTOD(''))", ".T."},
      {"DTOS(CTOD(''))", "'        '"},
      {"CTOD('31-02-2004') + 0", "0"},
      {"DTOC({20040112})", "'12-01-2004'"},
      {"DTOC({20040112}, 1)", "'20040112'"},
      {"DTOC({})", "'          '"},
      {"DTOS({20040112})", "'20040112'"},
      {"DESCEND('AB')", "'\xbf\xbe'"},
      {"DESCEND(5)", "-5"},
      {"DESCEND({20040112}) + 0", "2778791"},
      {"DESCEND({}) + 0", "0"},
      {"DESCEND(.T.)", ".F."},
      {"DESCEND(BLOB)", ".F."},
      {"{20040112} - {20031231}", "D:        "},  // a date minus a date keeps the Date type
      {"{20040112} - {20031231} + 0", "12"},
  });
  table.Set("DATUM", "20040112");
  EXPECT_EQ(Eval("DTOS(DATUM)", &link), "'20040112'");
  EXPECT_EQ(Eval("DATE() + 0", &link), std::to_string(QDate::currentDate().toJulianDay()));

  hb::SetExprShortDateFormat("mm/dd/yy");
  EXPECT_EQ(Eval("DTOC({20040112})", &link), "'01/12/2004'");
  EXPECT_EQ(Eval("CTOD('01/12/2004')", &link), "D:20040112");
  hb::SetExprShortDateFormat("dd-mm-yyyy");
}

TEST_F(ExprFuncs, Logical) {
  Check({
      {"IIF(.T., 'a', 1/0)", "'a'"},  // only the chosen argument is evaluated
      {"IIF(.F., 1/0, 2)", "2"},
      {"INLIST(TYPE, 'M', 'K')", ".T."},
      {"INLIST('K  ', 'K')", ".T."},  // the value loses its trailing blanks
      {"INLIST('K', 'K  ')", ".F."},  // the items do not
      {"INLIST('AB', 'A*')", ".F."},  // no wildcards
      {"INLIST(2, 'a', 2)", ".T."},
      {"INLIST(1, 1, 1/0)", ".T."},  // items are evaluated only until one matches
      {"INLIST(IIF(.F., 1, ), 1)", ".F."},
      {"BETWEEN(5, 1, 10)", ".T."},
      {"BETWEEN(1, 1, 1)", ".T."},
      {"BETWEEN(0, 1, 10)", ".F."},
      {"BETWEEN('b ', 'a', 'b')", ".T."},
      {"BETWEEN({20040112}, {20040101}, {20041231})", ".T."},
      {"EMPTY('   ')", ".T."},
      {"EMPTY('')", ".T."},
      {"EMPTY(' a')", ".F."},
      {"EMPTY(0)", ".T."},
      {"EMPTY(0.1)", ".F."},
      {"EMPTY(.F.)", ".T."},
      {"EMPTY(BLOB)", ".F."},
  });
}

TEST_F(ExprFuncs, TableFunctions) {
  table.SetPosition(7, false, true);
  table.SetDeleted(true);
  Check({
      {"RECNO()", "7"},
      {"DELETED()", ".T."},
      {"BOF()", ".F."},
      {"EOF()", ".T."},
      {"TYPE('datum')", "'D'"},
      {"TYPE(' BEDRAG ')", "'N'"},
      {"FIELDNO('MEDEWERKER')", "3"},
      {"FIELDNO('nosuch')", "0"},
  });
  table.SetPosition(1, true, false);
  table.SetDeleted(false);
  EXPECT_EQ(Eval("BOF() AND NOT DELETED()", &link), ".T.");

  // The table's own LEN gives the width; it is only reachable through its registry.
  std::vector<hb::TExpNode> args;
  args.push_back(std::make_unique<hb::TExpTextLit>("VALUE", '\'', '\''));
  hb::TExpFunction call(link.Functions().Find("LEN"), "LEN", std::move(args));
  hb::TExpValue v;
  call.Evaluate(v);
  EXPECT_EQ(hbtest::Show(v), "10");
}

class TUDFTwice : public hb::TUserDefFunction {
 public:
  std::string FunctionName() const override { return "Twice"; }
  void Execute(const hb::TExpFunction& call, hb::TExpValue& result) override {
    hb::FetchArgument(call, 0, hb::etNumber, result);
    result.SetNumber(result.Num * 2);
  }
};

class TSDVAnswer : public hb::TUserDefFieldVar {
 public:
  explicit TSDVAnswer(const char* names) : TUserDefFieldVar(names) {}
  void GetValue(hb::TExpValue& v) override { v.SetNumber(42); }
};

TEST(ExprRegistries, RegistrationAndRefusal) {
  hb::TFunctionReg functions;
  std::unique_ptr<hb::TUserDefFunction> first = std::make_unique<TUDFTwice>();
  EXPECT_TRUE(functions.RegisterFunction(first));
  EXPECT_EQ(first, nullptr);  // the registry owns it now
  std::unique_ptr<hb::TUserDefFunction> second = std::make_unique<TUDFTwice>();
  EXPECT_FALSE(functions.RegisterFunction(second));
  EXPECT_NE(second, nullptr);  // refused: it stays with the caller
  EXPECT_NE(functions.Find("twice"), nullptr);
  EXPECT_EQ(functions.Names(), std::vector<std::string>{"TWICE"});

  hb::TFieldVarReg values;
  std::unique_ptr<hb::TUserDefFieldVar> answer = std::make_unique<TSDVAnswer>("ANSWER;Antwoord");
  EXPECT_TRUE(values.RegisterFieldVar(answer));
  EXPECT_EQ(values.Find("antwoord"), values.Find("ANSWER"));
  EXPECT_EQ(values.Find("ANSWER")->VarName(), "ANSWER");
  std::unique_ptr<hb::TUserDefFieldVar> clash = std::make_unique<TSDVAnswer>("ANSWER;OTHER");
  EXPECT_FALSE(values.RegisterFieldVar(clash));  // one name taken: false, the other entered
  EXPECT_NE(values.Find("OTHER"), nullptr);
  EXPECT_TRUE(values.Remove("ANSWER"));
  EXPECT_EQ(values.Find("ANTWOORD")->VarName(), "ANSWER");  // alive while an entry remains
  EXPECT_TRUE(values.Remove("ANTWOORD"));
  EXPECT_EQ(values.Find("ANTWOORD"), nullptr);
}

TEST(ExprRegistries, TheGlobalLibrary) {
  const std::vector<std::string> library = {
      "ABS",    "ACOS",    "ALLTRIM", "ASC",    "ASIN",  "AT",    "ATAN",    "ATC",
      "ATN2",   "BETWEEN", "CEILING", "CHR",    "COS",   "CTOD",  "DATE",    "DESCEND",
      "DOW",    "DTOC",    "DTOR",    "DTOS",   "EMPTY", "FLOOR", "FV",      "IIF",
      "INLIST", "INT",     "LEFT",    "LEN",    "LOG",   "LOG10", "LOWER",   "LTRIM",
      "MAX",    "MIN",     "MOD",     "PADC",   "PADL",  "PADR",  "PI",      "PROPER",
      "PV",     "RIGHT",   "ROUND",   "RTOD",   "RTRIM", "SIN",   "SOUNDEX", "SPACE",
      "STR",    "STRTRAN", "STRZERO", "SUBSTR", "TAN",   "TRIM",  "UPPER",   "VAL"};
  for (const std::string& name : library)
    EXPECT_NE(hb::GlobalFunctions().Find(name), nullptr) << name;
  for (const char* name : {"TRUE", "FALSE", "PI"})
    EXPECT_NE(hb::GlobalFieldVars().Find(name), nullptr) << name;
  // A function of the program's own is usable in every expression once registered.
  EXPECT_TRUE(hb::GlobalFunctions().RegisterFunction(std::make_unique<TUDFTwice>()));
  EXPECT_EQ(Eval("TWICE(21) + twice(1)"), "44");
  EXPECT_EQ(Eval("TWICE('x')"), "error: Number needed for Argument 1 of TWICE");
  EXPECT_FALSE(hb::GlobalFunctions().RegisterFunction(std::make_unique<TUDFTwice>()));
}

}  // namespace
