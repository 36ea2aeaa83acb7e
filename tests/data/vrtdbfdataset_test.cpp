// The dataset layer's whole-table operations on real table files.
#include "data/vrtdbfdataset.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "datafixture.h"
#include "platform/osfile.h"
#include "testutil.h"

namespace {

using hb::TDbfDataSet;
using hb::TVrtDbfDataSet;

struct TRow {
  QVariantList values;
  bool deleted = false;
};

class VrtDbfDataSet : public ::testing::Test {
 protected:
  QString Path(const QString& file) const { return QDir(dir.path()).filePath(file); }
  bool Exists(const QString& file) const { return QFileInfo::exists(Path(file)); }

  // A FoxPro table with the fields and rows given, created through the layer itself.
  void Make(const QString& table, const QStringList& fields, const QList<TRow>& rows) {
    ASSERT_TRUE(vrt.CreateTable(dir.path(), table, fields))
        << vrt.Messages.join('\n').toStdString();
    TDbfDataSet t;
    t.SetDatabaseName(dir.path());
    t.SetTableName(table);
    t.SetTranslateASCII(false);
    t.Open();
    for (const TRow& r : rows) {
      t.Append();
      for (int i = 0; i < r.values.size(); ++i) {
        if (t.Fields(i)->IsBlob())
          t.WriteMemo(t.Fields(i)->FieldName(), r.values[i].toString().toLatin1());
        else
          t.Fields(i)->SetValue(r.values[i]);
      }
      t.Post();
      if (r.deleted) t.Delete();
    }
    t.Close();
  }

  // Every row in physical order as "*" for deleted or " ", then the field texts joined by "|".
  QStringList Rows(const QString& table) {
    TDbfDataSet t;
    t.SetDatabaseName(dir.path());
    t.SetTableName(table);
    t.SetTranslateASCII(false);
    t.SetUseDeleted(true);
    t.Open();
    QStringList rows;
    for (t.First(); !t.Eof(); t.Next()) {
      QStringList cells;
      for (int i = 0; i < t.FieldCount(); ++i)
        cells << (t.Fields(i)->IsBlob() ? QString::fromLatin1(t.ReadMemo(t.Fields(i)->FieldName()))
                                        : t.Fields(i)->AsString().trimmed());
      rows << QString(t.RecordIsDeleted() ? "*" : " ") + cells.join('|');
    }
    t.Close();
    return rows;
  }

  QTemporaryDir dir;
  TVrtDbfDataSet vrt;
};

TEST_F(VrtDbfDataSet, CreateTableAndFieldList) {
  Make("URAUTOR",
       {"TYPE;C;1;0", "MEDEWERKER=C;10;0", "AANTAL;N;8;2", "DAG;D;8;0", "OK;L;1;0", "NOTE;M;10;0"},
       {});
  QStringList fields;
  EXPECT_EQ(vrt.GetFieldList(dir.path(), "URAUTOR", fields), 6);
  EXPECT_EQ(fields, QStringList({"TYPE=C;1;0", "MEDEWERKER=C;10;0", "AANTAL=N;8;2", "DAG=D;8;0",
                                 "OK=L;1;0", "NOTE=M;10;0"}));
  EXPECT_TRUE(Exists("URAUTOR.DBF"));
  EXPECT_FALSE(vrt.Active());

  // A type the table cannot be created with: nothing is created.
  try {
    vrt.CreateTable(dir.path(), "BAD", {"NAAM;C;10;0", "X1;X;4;0"});
    FAIL() << "no error";
  } catch (const hb::EFieldTypeInvalid& e) {
    EXPECT_EQ(e.Message(),
              "Fout bij creëren van het veld X1;X;4;0 in tabel BAD: \"X\" is een "
              "ongeldig veldtype");
  }
  EXPECT_FALSE(Exists("BAD.DBF"));
  EXPECT_THROW(vrt.CreateTable(dir.path(), "BAD", {"AFD;E;0;0"}), hb::EFieldTypeInvalid);

  // A missing table gives no fields and says why.
  vrt.Messages.clear();
  fields.clear();
  EXPECT_EQ(vrt.GetFieldList(dir.path(), "NONE", fields), 0);
  EXPECT_EQ(vrt.Messages.size(), 1);

  EXPECT_TRUE(TVrtDbfDataSet::IsValidFieldType(" n;5"));
  EXPECT_FALSE(TVrtDbfDataSet::IsValidFieldType("E"));
  EXPECT_TRUE(TVrtDbfDataSet::TypeHasLength("f") && !TVrtDbfDataSet::TypeHasLength("D"));
  EXPECT_TRUE(TVrtDbfDataSet::TypeHasDecimals("N") && !TVrtDbfDataSet::TypeHasDecimals("C"));
}

TEST_F(VrtDbfDataSet, RenameMovesTheCompanionsThatExist) {
  Make("PLAIN", {"A;C;4;0"}, {{{"x"}}});
  ASSERT_TRUE(vrt.ReindexTable(dir.path(), "PLAIN", {"A=A"}));
  ASSERT_TRUE(vrt.RenameTable(Path("PLAIN.DBF"), Path("PLAIN~1.DBF")));
  EXPECT_TRUE(Exists("PLAIN~1.DBF") && Exists("PLAIN~1.CDX"));
  EXPECT_FALSE(Exists("PLAIN~1.FPT") || Exists("PLAIN~1.fpt") || Exists("PLAIN.DBF") ||
               Exists("PLAIN.CDX"));

  Make("MEMO", {"A;C;4;0", "M;M;10;0"}, {{{"x", "lang"}}});
  ASSERT_TRUE(vrt.RenameTable(Path("memo.dbf"), Path("MEMO2.DBF")));  // found in any case
  EXPECT_TRUE(Exists("MEMO2.DBF") && Exists("MEMO2.fpt"));
  EXPECT_EQ(Rows("MEMO2"), QStringList({" x|lang"}));

  vrt.Messages.clear();
  EXPECT_FALSE(vrt.RenameTable(Path("GONE.DBF"), Path("X.DBF")));
  EXPECT_EQ(vrt.Messages, QStringList({"Hernoemen: " + Path("GONE.DBF") + " bestaat niet"}));
}

TEST_F(VrtDbfDataSet, FailedRenameLeavesTheTableUnderItsOldName) {
  Make("T", {"A;C;4;0", "M;M;10;0"}, {{{"x", "memo"}}});
  ASSERT_TRUE(vrt.ReindexTable(dir.path(), "T", {"A=A"}));
  const QByteArray dbf = hbtest::ReadFile(Path("T.DBF"));

  // The index cannot go to its new name (a folder is in the way): all three stay.
  ASSERT_TRUE(QDir(dir.path()).mkdir("N.CDX"));
  vrt.Messages.clear();
  EXPECT_FALSE(vrt.RenameTable(Path("T.DBF"), Path("N.DBF")));
  EXPECT_EQ(vrt.Messages, QStringList({"Hernoemen \"" + Path("T.DBF") + "\"->\"" + Path("N.DBF") +
                                       "\" mislukt"}));
  EXPECT_TRUE(Exists("T.DBF") && Exists("T.fpt") && Exists("T.CDX"));
  EXPECT_FALSE(Exists("N.DBF") || Exists("N.fpt"));
  EXPECT_EQ(hbtest::ReadFile(Path("T.DBF")), dbf);

  // An existing target is never replaced, and a table open elsewhere is not moved.
  ASSERT_TRUE(hbtest::WriteFile(Path("K.DBF"), "keep"));
  EXPECT_FALSE(vrt.RenameTable(Path("T.DBF"), Path("K.DBF")));
  EXPECT_EQ(hbtest::ReadFile(Path("K.DBF")), "keep");
  {
    hb::TOsFile user;
    ASSERT_TRUE(user.Open(Path("T.DBF").toStdString(), hb::TShareMode::Shared, false));
    EXPECT_FALSE(vrt.RenameTable(Path("T.DBF"), Path("U.DBF")));
  }
  EXPECT_TRUE(Exists("T.DBF") && !Exists("U.DBF"));
}

TEST_F(VrtDbfDataSet, CopyKeepsRowsDeletedRowsAndCutsTexts) {
  Make("SRC", {"NAAM;C;20;0", "AANTAL;N;6;0", "NOTE;M;10;0", "OUD;C;8;0", "WEG;C;3;0"},
       {{{"Jansen en zonen", 12, "memo een", "tekst"}},
        {{"Pietersen", 3, "", ""}, true},
        {{"Klaassen Bv", 0, "", "  "}}});
  // Shorter name, a field the source lacks, memo <-> text, and a dropped field.
  Make("DST", {"NAAM;C;8;0", "AANTAL;N;8;2", "NIEUW;C;4;0", "NOTE;C;5;0", "OUD;M;10;0"}, {});
  std::vector<std::tuple<int, int, QString, int>> progress;
  vrt.SetProgressHandler([&](int mn, int pos, const QString& text, int mx) {
    progress.emplace_back(mn, pos, text, mx);
  });
  ASSERT_TRUE(vrt.CopyTable(Path("SRC.DBF"), Path("DST.DBF")))
      << vrt.Messages.join('\n').toStdString();
  EXPECT_EQ(Rows("DST"),
            QStringList({" Jansen e|12||memo|tekst", "*Pieterse|3|||", " Klaassen|0|||"}));
  ASSERT_EQ(progress.size(), 4u);
  EXPECT_EQ(progress[0], std::make_tuple(0, 1, QString("bijwerken tabelstructuur"), 3));
  EXPECT_EQ(progress[3], std::make_tuple(0, 0, QString(), 0));
  EXPECT_FALSE(vrt.Active());
  EXPECT_FALSE(vrt.Exclusive());
  EXPECT_FALSE(vrt.UseDeleted());

  vrt.Messages.clear();
  EXPECT_FALSE(vrt.CopyTable(Path("NONE.DBF"), Path("DST.DBF")));
  ASSERT_EQ(vrt.Messages.size(), 1);
  EXPECT_TRUE(vrt.Messages[0].startsWith("CopyTable fout tijdens openen van " + Path("NONE.DBF")));
}

TEST_F(VrtDbfDataSet, CopyErrorIsReported) {
  Make("SRC", {"AANTAL;C;6;0"}, {{{"12"}}, {{"twaalf"}}});
  Make("DST", {"AANTAL;N;6;0"}, {});
  EXPECT_FALSE(vrt.CopyTable(Path("SRC.DBF"), Path("DST.DBF")));
  ASSERT_EQ(vrt.Messages.size(), 1);
  EXPECT_TRUE(vrt.Messages[0].startsWith("CopyTable fout tijdens kopiëren van " + Path("SRC.DBF") +
                                         "->" + Path("DST.DBF") + ": "))
      << vrt.Messages[0].toStdString();
  EXPECT_FALSE(vrt.Active());
}

TEST_F(VrtDbfDataSet, ReindexPackAndTagListNeedTheTableExclusively) {
  Make("U", {"MEDEWERKER;C;10;0", "START;C;12;0"},
       {{{"0000000002", "         100"}},
        {{"0000000001", "         200"}, true},
        {{"0000000001", "          50"}}});
  ASSERT_TRUE(vrt.ReindexTable(dir.path(), "U", {" TIJD = MEDEWERKER+START ", "START=START"}));
  QStringList tags;
  EXPECT_EQ(vrt.GetTagList(dir.path(), "U", tags), 2);
  tags.sort();
  EXPECT_EQ(tags, QStringList({"START=START", "TIJD=MEDEWERKER+START"}));

  ASSERT_TRUE(vrt.PackTable(dir.path(), "U"));
  EXPECT_EQ(Rows("U"), QStringList({" 0000000002|100", " 0000000001|50"}));
  // The index follows the packed rows.
  TDbfDataSet t;
  t.SetDatabaseName(dir.path());
  t.SetTableName("U");
  t.SetIndexFiles({Path("U.CDX")});
  t.SetIndexName("TIJD");
  t.Open();
  EXPECT_EQ(t.FieldByName("START")->AsString().trimmed(), "50");
  t.Last();
  EXPECT_EQ(t.FieldByName("START")->AsString().trimmed(), "100");
  t.Close();

  vrt.Messages.clear();
  EXPECT_FALSE(vrt.ReindexTable(dir.path(), "U", {"X=NOFIELD"}));
  ASSERT_FALSE(vrt.Messages.isEmpty());
  EXPECT_TRUE(
      vrt.Messages[0].startsWith("Fout tijdens aanmaken van index met Tag=X, "
                                 "Expressie=NOFIELD: "));

  hb::TOsFile user;
  ASSERT_TRUE(user.Open(Path("U.DBF").toStdString(), hb::TShareMode::Shared, false));
  vrt.Messages.clear();
  EXPECT_FALSE(vrt.ReindexTable(dir.path(), "U", {"START=START"}));
  EXPECT_EQ(vrt.Messages, QStringList({"Voor herindexeren moet tabel U exclusief geopend zijn"}));
  vrt.Messages.clear();
  EXPECT_FALSE(vrt.PackTable(dir.path(), "U"));
  EXPECT_EQ(vrt.Messages, QStringList({"Voor comprimeren moet tabel U exclusief geopend zijn"}));
  EXPECT_TRUE(Exists("U.CDX"));
}

}  // namespace
