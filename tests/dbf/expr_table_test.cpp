// Expressions bound to an open table file: fields, memos, aliases and table functions read
// from the table's record buffer as records are positioned.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "dbf/dbfbuilder.h"
#include "dbf/exprdbf.h"
#include "dbf/exprhandler.h"
#include "expr_testtable.h"

namespace {

class ExprTable : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    path = dir.filePath("URUREN.DBF").toStdString();
    hb::TFoxBuilder builder(path);
    builder.AddField("TYPE", 'C', 0, 1);
    builder.AddField("MEDEWERKER", 'C', 0, 10);
    builder.AddField("DATUM", 'D', 0, 8);
    builder.AddField("UREN", 'N', 2, 6);
    builder.AddField("KLAAR", 'L', 0, 1);
    builder.AddField("NOTITIE", 'M', 0, 10);
    builder.Finish();
    table.Open(path, false, true);
    const struct {
      const char* Type;
      const char* Medewerker;
      int64_t Date;
      double Hours;
      bool Done;
      const char* Memo;
    } rows[] = {{"K", "0000000012", 2453017, 7.5, true, "eerste"},
                {"M", "0000000013", 0, 0, false, ""},
                {"K", "0000000014", 2453018, 1.25, false, "derde notitie"}};
    for (const auto& r : rows) {
      table.BlankRecord();
      table.WriteTextByName("TYPE", r.Type);
      table.WriteTextByName("MEDEWERKER", r.Medewerker);
      table.WriteDateByName("DATUM", r.Date);
      table.WriteNumberByName("UREN", r.Hours);
      table.WriteLogicalByName("KLAAR", r.Done);
      if (*r.Memo) table.WriteMemo(table.FindField("NOTITIE"), r.Memo);
      table.AppendRecord();
    }
    table.GotoRecord(hb::TDbfTable::kGotoFirst);
    // The link takes the table's fields when it is made: after the open.
    fields = std::make_unique<hb::TExpDbfLink>(table);
    link = std::make_unique<hb::TExpUserLink>(*fields);
  }

  std::string Eval(const std::string& text) { return hbtest::Eval(text, link.get()); }

  QTemporaryDir dir;
  std::string path;
  hb::TDbfFields table;
  std::unique_ptr<hb::TExpDbfLink> fields;
  std::unique_ptr<hb::TExpUserLink> link;
};

TEST_F(ExprTable, FieldsFollowThePositionedRecord) {
  EXPECT_EQ(Eval("URUREN.TYPE + URUREN->MEDEWERKER"), "'K0000000012'");
  EXPECT_EQ(Eval("DTOS(DATUM)"), "'20040112'");
  EXPECT_EQ(Eval("UREN * 2"), "15");
  EXPECT_EQ(Eval("KLAAR"), ".T.");
  EXPECT_EQ(Eval("NOTITIE"), "'eerste'");
  EXPECT_EQ(Eval("RECNO()"), "1");
  EXPECT_EQ(Eval("TYPE('uren') + STR(FIELDNO('NOTITIE'), 1)"), "'N6'");

  table.GotoRecord(2);
  EXPECT_EQ(Eval("EMPTY(DATUM) AND EMPTY(UREN) AND NOT KLAAR"), ".T.");
  EXPECT_EQ(Eval("NOTITIE"), "''");
  table.MarkDeleted();
  EXPECT_EQ(Eval("DELETED()"), ".T.");

  table.GotoRecord(hb::TDbfTable::kGotoLast);
  EXPECT_EQ(Eval("NOTITIE"), "'derde notitie'");
  table.GotoRecord(hb::TDbfTable::kGotoNext);
  EXPECT_EQ(Eval("EOF()"), ".T.");
  EXPECT_EQ(Eval("TYPE('NOSUCH')"),
            "error: There is no field name " + table.FilePath() + "->NOSUCH");
}

TEST_F(ExprTable, OneCompiledFilterOverEveryRecord) {
  hb::TExpHandler filter(link.get(), "TYPE = 'K' .AND. UREN > 1");
  hb::TExpHandler key(link.get(), "UPPER(TYPE+MEDEWERKER)+DTOS(DATUM)");
  std::vector<std::string> keys;
  int passed = 0;
  hb::TDbVariant v;
  for (table.GotoRecord(hb::TDbfTable::kGotoFirst); !table.Eof();
       table.GotoRecord(hb::TDbfTable::kGotoNext)) {
    filter.Evaluate(v);
    passed += v.AsLogical();
    key.Evaluate(v);
    keys.push_back(v.AsBytes());
  }
  EXPECT_EQ(passed, 2);
  EXPECT_EQ(filter.ResultType(), hb::etBoolean);
  EXPECT_EQ(keys, (std::vector<std::string>{"K000000001220040112", "M0000000013        ",
                                            "K000000001420040113"}));
  // A record image other than the buffer: the before-image of an edit.
  table.GotoRecord(1);
  table.WriteTextByName("TYPE", "P");
  key.Evaluate(v);
  EXPECT_EQ(v.AsBytes(), "P000000001220040112");
  fields->SetRecord(table.BeforeImage());
  key.Evaluate(v);
  EXPECT_EQ(v.AsBytes(), "K000000001220040112");
  fields->SetRecord(nullptr);
  key.Evaluate(v);
  EXPECT_EQ(v.AsBytes(), "P000000001220040112");
}

}  // namespace
