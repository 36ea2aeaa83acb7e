// Creating a table from field lines: the field-list check, the overwrite question, the
// flavours, and the table read back by an independent reader.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "dbf/createdbfdataset.h"
#include "dbf/dbfdataset.h"
#include "platform/dialogservice.h"
#include "dbfdataset_fixture.h"
#include "testutil.h"

using namespace hb;
using hbtest::ErrorOf;

namespace {

class CreateDbfDataSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    table.SetDatabaseName(dir.path());
    table.SetTableName("NIEUW");
    create.SetDBFTable(&table);
  }
  QString Path(const QString& name = "NIEUW.DBF") { return dir.path() + "/" + name; }

  QTemporaryDir dir;
  TDbfDataSet table;
  TCreateDbfDataSet create;
  TScriptedDialogs dialogs;
};

TEST_F(CreateDbfDataSetTest, RefusesBadFieldLists) {
  const QStringList lists[] = {
      {"NAME;C;10;0", "name;N;5;0"},  // names repeat without regard to case
      {},
      {"NAME;C;10"},                                     // no decimals part
      {";C;10;0"},                                       // no name
      {"NAME;CC;10;0"},                                  // type of two letters
      {"NAME;C;x;0"},                                    // width not a number
      {"NAME;N;10;ab"},                                  // decimals not a number
      {"NAME;X;10;0"},                                   // a type the tables do not hold
      {"NAME;N;300;0"},                                  // wider than a number field can be
      {"NAME;N;5;5"},                                    // no place left before the decimals
      {"LONGFIELDNAME1;C;5;0", "LONGFIELDNAME2;C;5;0"},  // the same ten stored characters
  };
  for (const QStringList& list : lists) {
    create.SetCreateFields(list);
    EXPECT_EQ(ErrorOf([&] { create.CreateTable(); }), "Field list is invalid")
        << list.join('|').toStdString();
    EXPECT_FALSE(QFile::exists(Path()));
    EXPECT_FALSE(table.Active());
  }
  EXPECT_TRUE(dialogs.Shown().isEmpty());
}

TEST_F(CreateDbfDataSetTest, CreatesAndOpensTheTable) {
  create.SetCreateFields({"NAAM;C;300;0", "bedrag;N;10;2", "DATUM;D;8;0", "KLAAR;L;1;0",
                          "OMSCHR;M;10;0", "AANTAL;N;4;0"});
  ASSERT_TRUE(create.CreateTable());
  ASSERT_TRUE(table.Active());
  EXPECT_EQ(table.FieldCount(), 6);
  EXPECT_EQ(table.Fields(1)->FieldName(), "BEDRAG");
  EXPECT_EQ(table.Fields(0)->Size(), 300);
  EXPECT_EQ(table.RecordCount(), 0);
  EXPECT_EQ(static_cast<unsigned char>(hbtest::ReadFile(Path()).at(0)), 0xF5);
  EXPECT_TRUE(QFile::exists(Path("NIEUW.fpt")));

  table.Append();
  table.FieldByName("NAAM")->SetAsString("eerste");
  table.FieldByName("BEDRAG")->SetAsFloat(12.5);
  table.FieldByName("OMSCHR")->SetAsString("een memo");
  table.Post();
  table.Close();

  // An independent reader sees the same structure and values.
  QProcess py;
  py.start("/usr/bin/python3",
           {"-c",
            "import sys, dbfread\n"
            "t = dbfread.DBF(sys.argv[1])\n"
            "print(';'.join('%s,%s,%d,%d' % (f.name, f.type, f.length, f.decimal_count) "
            "for f in t.fields))\n"
            "r = list(t)[0]\n"
            "print(r['NAAM'].strip(), r['BEDRAG'], r['OMSCHR'])\n",
            Path()});
  ASSERT_TRUE(py.waitForFinished(30000));
  const QString out = QString::fromUtf8(py.readAllStandardOutput()).trimmed();
  if (out.isEmpty())
    GTEST_SKIP() << "python3-dbfread not available: " << py.readAllStandardError().toStdString();
  EXPECT_EQ(out,
            "NAAM,C,300,0;BEDRAG,N,10,2;DATUM,D,8,0;KLAAR,L,1,0;OMSCHR,M,10,0;AANTAL,N,4,0\n"
            "eerste 12.5 een memo");
}

TEST_F(CreateDbfDataSetTest, FlavoursChooseVersionAndMemoFile) {
  struct TCase {
    TDbfTypes type;
    unsigned char version;
    const char* memo;
  };
  const TCase cases[] = {{TDbfTypes::DBaseIII, 0x83, "T.DBT"},
                         {TDbfTypes::Clipper, 0x83, "T.DBT"},
                         {TDbfTypes::DBaseIV, 0x8B, "T.DBT"},
                         {TDbfTypes::FoxPro2, 0xF5, "T.fpt"}};
  for (const TCase& c : cases) {
    QTemporaryDir d;
    TDbfDataSet t;
    t.SetDatabaseName(d.path());
    t.SetTableName("T");
    TCreateDbfDataSet cr;
    cr.SetDBFTable(&t);
    cr.SetDBFType(c.type);
    cr.SetCreateFields({"M;M;10;0"});
    ASSERT_TRUE(cr.CreateTable());
    EXPECT_EQ(static_cast<unsigned char>(hbtest::ReadFile(d.path() + "/T.DBF").at(0)), c.version);
    EXPECT_TRUE(QFile::exists(d.path() + "/" + c.memo)) << c.memo;
  }
}

TEST_F(CreateDbfDataSetTest, ExistingTableIsReplacedOnlyWhenAllowed) {
  create.SetCreateFields({"A;C;5;0"});
  ASSERT_TRUE(create.CreateTable());
  table.Close();
  const QByteArray first = hbtest::ReadFile(Path());

  create.SetCreateFields({"B;N;5;0"});
  dialogs.Queue(TDialogAnswer::No);
  EXPECT_FALSE(create.CreateTable());
  ASSERT_EQ(dialogs.Shown().size(), 1);
  EXPECT_EQ(dialogs.Shown()[0].text, "Table exists.  Do you want to overwrite?");
  EXPECT_EQ(hbtest::ReadFile(Path()), first);
  EXPECT_FALSE(table.Active());

  dialogs.Queue(TDialogAnswer::Yes);
  ASSERT_TRUE(create.CreateTable());
  EXPECT_EQ(table.Fields(0)->FieldName(), "B");
  EXPECT_EQ(ErrorOf([&] { create.CreateTable(); }),
            "Cannot perform this operation on an open table");
  table.Close();

  create.SetAutoOverwrite(true);
  create.SetCreateFields({"C;L;1;0"});
  ASSERT_TRUE(create.CreateTable());
  EXPECT_EQ(table.Fields(0)->FieldName(), "C");
  EXPECT_EQ(dialogs.Shown().size(), 2);

  TCreateDbfDataSet alone;
  EXPECT_EQ(ErrorOf([&] { alone.CreateTable(); }), "A table is not assigned to this object");
}

}  // namespace
