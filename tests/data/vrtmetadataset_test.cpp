// The meta table: the shipped definitions, the structure check with its stamp and
// switches, creating, restructuring and reindexing the data tables, and the import.
#include "data/vrtmetadataset.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QProcess>

#include "datafixture.h"
#include "platform/dialogservice.h"
#include "platform/inifile.h"
#include "platform/osfile.h"
#include "util/calendarfuncs.h"

namespace {

using hb::TDialogAnswer;
using hb::TScriptedDialogs;

class MetaDataset : public ::testing::Test {
 protected:
  void SetUp() override { folder.Setup(meta); }

  // Creates the three data tables from the shipped rows ("&Altijd Ja" at the first question).
  void CreateAll() {
    TScriptedDialogs dlg;
    dlg.Queue(TDialogAnswer::Always);
    ASSERT_TRUE(meta.UpdateDatabase(false)) << meta.Status.join('\n').toStdString();
    meta.Status.clear();
  }

  // Sets (or adds) a row of the meta table.
  void SetRow(const QString& table, const QString& type, const QString& name,
              const QString& param) {
    ASSERT_TRUE(meta.OpenMeta());
    const QString key = table.leftJustified(8) + type + name.leftJustified(10);
    if (meta.Find(key, true, false)) {
      meta.Edit();
    } else {
      meta.Append();
      meta.FieldByName("TABLE")->SetAsString(table);
      meta.FieldByName("TYPE")->SetAsString(type);
      meta.FieldByName("NAME")->SetAsString(name);
    }
    meta.SetRowMemo("PARAM", param);
    meta.Post();
    meta.Close();
  }

  // Rows of a data table in physical order: "*" or " " and the trimmed fields joined by "|".
  QStringList Rows(const QString& table, const QStringList& fields) {
    hb::TDbfDataSet t;
    t.SetDatabaseName(folder.Data());
    t.SetTableName(table);
    t.SetUseDeleted(true);
    t.Open();
    QStringList rows;
    for (t.First(); !t.Eof(); t.Next()) {
      QStringList cells;
      for (const QString& f : fields) cells << t.FieldByName(f)->AsString().trimmed();
      rows << QString(t.RecordIsDeleted() ? "*" : " ") + cells.join('|');
    }
    return rows;
  }

  void AddHours(const QList<QStringList>& rows) {
    hb::TDbfDataSet t;
    t.SetDatabaseName(folder.Data());
    t.SetTableName("URUREN");
    t.Open();
    for (const QStringList& r : rows) {
      t.Append();
      t.FieldByName("MEDEWERKER")->SetAsString(r[0]);
      t.FieldByName("START")->SetAsString(r[1]);
      t.FieldByName("WERKZ")->SetAsString(r[2]);
      t.Post();
      if (r.size() > 3) t.Delete();
    }
  }

  QStringList Files(const QString& pattern) const {
    return QDir(folder.Data()).entryList({pattern}, QDir::Files, QDir::Name);
  }

  hbtest::TProgramFolder folder;
  hb::TVrtDbfDataSet vrt;
  hb::TvrtMetaDataset meta{vrt};
};

TEST_F(MetaDataset, ShippedRowsCreateTheTablesWithTheFormatsTheProgramNeeds) {
  QStringList tables;
  EXPECT_EQ(meta.ListTables(tables), 3);
  EXPECT_EQ(tables, QStringList({"URAUTOR", "URSTAM", "URUREN"}));

  TScriptedDialogs dlg;
  dlg.Queue(TDialogAnswer::Always);
  ASSERT_TRUE(meta.UpdateDatabase(false)) << meta.Status.join('\n').toStdString();
  // One question; "&Altijd Ja" answers the rest.
  ASSERT_EQ(dlg.Shown().size(), 1);
  EXPECT_EQ(dlg.Shown()[0].kind, hb::TDialogKind::YesNoAlways);
  EXPECT_EQ(dlg.Shown()[0].title, "Bijwerken Database");
  EXPECT_EQ(dlg.Shown()[0].text, "Tabel URAUTOR niet aanwezig, aanmaken?");
  EXPECT_TRUE(meta.Status.contains("Tabel URUREN niet aanwezig, wordt aangemaakt"));
  EXPECT_TRUE(meta.Status.contains("Index op tabel URSTAM wordt opnieuw aangemaakt"));

  struct TExpect {
    const char* table;
    QStringList fields;  // those the program relies on
    QStringList tags;
  } expect[] = {
      {"URSTAM",
       {"TYPE=C;1;0", "ID=C;10;0", "OVERHEAD=C;1;0", "TOEGANG=C;1;0"},
       {"TYPEID=TYPE+ID", "TYPEOBJECT=TYPE+UPPER(OBJECT)"}},
      {"URAUTOR",
       {"TYPE=C;1;0", "MEDEWERKER=C;10;0", "VALUE=C;10;0"},
       {"TYPMEDEW=TYPE+MEDEWERKER+VALUE", "TYPVALUE=UPPER(TYPE+VALUE+MEDEWERKER)"}},
      {"URUREN",
       {"MEDEWERKER=C;10;0", "KLANT=C;10;0", "ACTIVITEIT=C;10;0", "PRODUCT=C;10;0", "START=C;12;0",
        "STOP=C;12;0", "STATUS=C;1;0", "AANTAL=N;8;0"},
       {"TIJD=MEDEWERKER+START", "TIJDK=KLANT+START", "TIJDA=ACTIVITEIT+START",
        "TIJDP=PRODUCT+START", "START=START"}},
  };
  for (const TExpect& e : expect) {
    SCOPED_TRACE(e.table);
    QStringList fields, tags;
    vrt.GetFieldList(folder.Data(), e.table, fields);
    for (const QString& f : e.fields) EXPECT_TRUE(fields.contains(f)) << f.toStdString();
    vrt.GetTagList(folder.Data(), e.table, tags);
    for (const QString& t : e.tags) EXPECT_TRUE(tags.contains(t)) << t.toStdString();
  }
  // Texts at least as long as the program holds them.
  QStringList stam;
  vrt.GetFieldList(folder.Data(), "URSTAM", stam);
  for (const auto& [field, length] :
       {std::pair{"OBJECT", 40}, {"AFKORTING", 4}, {"OPMERKING", 120}, {"PASSWORD", 10}}) {
    const QString line = stam.filter(QString(field) + "=C;").value(0);
    EXPECT_GE(line.section(';', 1, 1).toInt(), length) << field;
  }

  // Everything in place: nothing more to do, nothing asked.
  dlg.Clear();
  EXPECT_TRUE(meta.UpdateDatabase(false));
  EXPECT_TRUE(dlg.Shown().isEmpty());
  EXPECT_FALSE(meta.Active());
}

TEST_F(MetaDataset, ShippedMetaTableReadsInAnIndependentReader) {
  QProcess py;
  py.start("/usr/bin/python3",
           {"-c",
            "import dbf,sys\n"
            "t=dbf.Table(sys.argv[1]); t.open()\n"
            "for r in t:\n"
            "  if r.table.strip()=='URAUTOR' and r.name.strip()=='TYPVALUE': print(r.param)\n",
            folder.Prog("hblite.DBF")});
  ASSERT_TRUE(py.waitForFinished(30000));
  EXPECT_EQ(py.readAllStandardOutput().trimmed(), "UPPER(TYPE+VALUE+MEDEWERKER)")
      << py.readAllStandardError().toStdString();
}

TEST_F(MetaDataset, CheckFollowsStampSwitchesAndMissingTables) {
  CreateAll();
  hb::TIniFile ini(folder.Ini());
  // The first check found the meta table newer than the default stamp and moved it.
  ASSERT_TRUE(meta.CheckDatabase());
  const QString stamp = ini.ReadString("Meta", "Updated");
  const double age = hb::DateTimeToMoment(QFileInfo(folder.Prog("hblite.DBF")).lastModified());
  EXPECT_DOUBLE_EQ(stamp.toDouble(), age - 1.0 / 86400);
  EXPECT_FALSE(meta.CheckDatabase());

  int browsed = 0;
  hb::TvrtMetaDataset::SetBrowser([&](hb::TvrtMetaDataset&) { ++browsed; });
  struct TCase {
    const char* what;
    std::function<void()> prepare;
    QStringList arguments;
    bool check;
  } cases[] = {
      {"stamp current", [] {}, {}, false},
      {"/METACHECK", [] {}, {"/metacheck"}, true},
      {"/NOMETACHECK", [] {}, {"/USER=x", "/NOMETACHECK"}, true},
      {"/METAEDIT opens the window and checks nothing", [] {}, {"/METAEDIT", "/METAEDIT"}, false},
      {"empty stamp", [&] { ini.WriteString("Meta", "Updated", ""); }, {}, true},
      {"stamp with a comma", [&] { ini.WriteString("Meta", "Updated", "99999,5"); }, {}, false},
      {"ForceMetaCheck", [&] { ini.WriteString("Meta", "ForceMetaCheck", "1"); }, {}, true},
      {"missing table", [&] { QFile::remove(folder.Data("URAUTOR.DBF")); }, {}, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    ini.WriteString("Meta", "Updated", "99999");
    ini.WriteString("Meta", "ForceMetaCheck", "0");
    c.prepare();
    meta.Arguments = c.arguments;
    EXPECT_EQ(meta.CheckDatabase(), c.check);
  }
  EXPECT_EQ(browsed, 2);
  hb::TvrtMetaDataset::SetBrowser({});

  // /NOMETACHECK: the update stops at once, the missing table stays missing.
  meta.Arguments = {"/nometacheck"};
  TScriptedDialogs dlg;
  EXPECT_FALSE(meta.CheckAndUpdate(false));
  EXPECT_TRUE(meta.Status.contains("UpdateDatabase: /NoMetaCheck parameter"));
  EXPECT_FALSE(QFileInfo::exists(folder.Data("URAUTOR.DBF")));
  EXPECT_TRUE(dlg.Shown().isEmpty());

  // The force flag, set by the forced check, which also clears the stamp.
  meta.Arguments.clear();
  CreateAll();
  ini.WriteString("Meta", "Updated", "99999");
  EXPECT_FALSE(meta.CheckDatabase());
  meta.ForceCheck();
  EXPECT_TRUE(ini.ValueExists("Meta", "Updated"));
  EXPECT_TRUE(meta.CheckDatabase());

  // Without the meta memo file nothing is checked and the start goes on.
  QFile::remove(folder.Prog("hblite.FPT"));
  EXPECT_FALSE(meta.CheckDatabase());
  EXPECT_TRUE(meta.CheckAndUpdate(false));
}

TEST_F(MetaDataset, ComparisonsOfFieldsAndTags) {
  CreateAll();
  // An expression field is neither created nor missing.
  SetRow("URUREN", "FLD", "AFDELING", "E;0;0");
  vrt.Messages.clear();
  EXPECT_FALSE(meta.CompareStructure("URUREN"));
  EXPECT_TRUE(vrt.Messages.isEmpty()) << vrt.Messages.join('\n').toStdString();

  // Extra fields are reported but are no reason to restructure.
  QStringList fields;
  vrt.GetFieldList(folder.Data(), "URUREN", fields);
  for (int extra : {1, 2}) {
    SCOPED_TRACE(extra);
    QFile::remove(folder.Data("URUREN.DBF"));
    QStringList lines = fields;
    lines << "EXTRA1=C;5;0";
    if (extra == 2) lines << "EXTRA2=N;4;0";
    ASSERT_TRUE(vrt.CreateTable(folder.Data(), "URUREN", lines));
    vrt.Messages.clear();
    EXPECT_FALSE(meta.CompareStructure("URUREN"));
    EXPECT_EQ(vrt.Messages, QStringList({extra == 1 ? "Er staat een extra veld in tabel URUREN"
                                                    : "Er staan 2 extra velden in tabel URUREN"}));
  }
  TScriptedDialogs dlg;
  EXPECT_TRUE(meta.UpdateDatabase(false));
  for (const auto& shown : dlg.Shown())
    EXPECT_FALSE(shown.text.startsWith("Tabel URUREN gewijzigd")) << shown.text.toStdString();

  // Changed, new and missing definitions.
  SetRow("URUREN", "FLD", "WERKZ", "C;200;0");
  SetRow("URUREN", "FLD", "STATUS", "N;1;0");
  SetRow("URUREN", "FLD", "TARIEF", "N;10;2");
  SetRow("URUREN", "FLD", "KOSTEN", "F;12;2");
  SetRow("URUREN", "TAG", "TIJDK", "KLANT + STOP");
  SetRow("URUREN", "TAG", "STOP", "STOP");
  vrt.Messages.clear();
  EXPECT_TRUE(meta.CompareStructure("URUREN"));
  EXPECT_EQ(vrt.Messages, QStringList({"Veld ontbreekt in tabel URUREN: KOSTEN",
                                       "FieldType gewijzigd in tabel URUREN, STATUS: C->N",
                                       "Veld ontbreekt in tabel URUREN: TARIEF",
                                       "FieldLen gewijzigd in tabel URUREN, WERKZ: 120->200",
                                       "Er staan 2 extra velden in tabel URUREN"}));
  vrt.Messages.clear();
  EXPECT_TRUE(meta.CompareTags("URUREN"));
  QStringList tagTexts = vrt.Messages;
  tagTexts.sort();
  EXPECT_EQ(tagTexts, QStringList({"IndexExpressie gewijzigd in tabel URUREN: TIJDK=KLANT+STOP",
                                   "Nieuwe index tag in tabel URUREN: STOP=STOP"}));
}

TEST_F(MetaDataset, ChangedLengthRestructuresKeepingRowsAndBackup) {
  CreateAll();
  AddHours({{"0000000001", "        1000", "vergadering over het budget van volgend jaar"},
            {"0000000001", "        2000", "gewist", "deleted"},
            {"0000000002", "        1500", "ontwerp"}});
  SetRow("URUREN", "FLD", "WERKZ", "C;20;0");
  meta.Clock = [] { return hb::DateTimeToMoment(QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5))); };

  TScriptedDialogs dlg;
  dlg.Queue(TDialogAnswer::Yes);  // restructure
  dlg.Queue(TDialogAnswer::Yes);  // index
  ASSERT_TRUE(meta.UpdateDatabase(false)) << meta.Status.join('\n').toStdString();
  ASSERT_EQ(dlg.Shown().size(), 2);
  EXPECT_EQ(dlg.Shown()[0].text,
            "Tabel URUREN gewijzigd, aanpassen?\n"
            "FieldLen gewijzigd in tabel URUREN, WERKZ: 120->20\n");
  EXPECT_EQ(dlg.Shown()[1].text, "Index op tabel URUREN opnieuw aanmaken?\n");
  EXPECT_EQ(Rows("URUREN", {"MEDEWERKER", "START", "WERKZ"}),
            QStringList({" 0000000001|1000|vergadering over het", "*0000000001|2000|gewist",
                         " 0000000002|1500|ontwerp"}));
  EXPECT_EQ(Files("URUREN~*"),
            QStringList({"URUREN~20240102_030405.CDX", "URUREN~20240102_030405.DBF"}));
  QStringList tags;
  EXPECT_EQ(vrt.GetTagList(folder.Data(), "URUREN", tags), 5);

  // A second restructure in the same second gets a numbered backup.
  SetRow("URUREN", "FLD", "WERKZ", "C;30;0");
  ASSERT_TRUE(meta.RestructureTable("URUREN")) << meta.Status.join('\n').toStdString();
  EXPECT_EQ(Files("URUREN~*.DBF"),
            QStringList({"URUREN~20240102_030405.DBF", "URUREN~20240102_030405_0001.DBF"}));
  EXPECT_EQ(Rows("URUREN", {"WERKZ"}).size(), 3);
  EXPECT_THROW(meta.RestructureTable("ONBEKEND"), hb::EMetaDefNotFound);
}

TEST_F(MetaDataset, FailedRestructureLeavesTheOriginalInPlace) {
  struct TCase {
    const char* what;
    QString spec;  // the new definition of START
    const char* status;
    int failWrite;
  } cases[] = {
      {"a value the new type cannot hold", "N;12;0",
       "Fout tijdens kopieren van gegevens van tabel URUREN", 0},
      {"a definition the table cannot be created with", "C;0;0",
       "Fout tijdens aanmaken nieuwe tabel voor URUREN", 0},
      {"a write error while copying", "C;14;0",
       "Fout tijdens kopieren van gegevens van tabel URUREN", 3},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    for (const QString& f : Files("*")) QFile::remove(folder.Data(f));
    SetRow("URUREN", "FLD", "START", "C;12;0");
    CreateAll();
    AddHours({{"0000000001", "        1000", "een"}, {"0000000001", "nooit", "twee", "deleted"}});
    const QByteArray dbf = hbtest::ReadFile(folder.Data("URUREN.DBF"));
    const QByteArray cdx = hbtest::ReadFile(folder.Data("URUREN.CDX"));
    SetRow("URUREN", "FLD", "START", c.spec);
    meta.Status.clear();
    hb::OsFileFaults().FailWriteAfter = c.failWrite;
    EXPECT_FALSE(meta.RestructureTable("URUREN"));
    hb::OsFileFaults().Reset();
    EXPECT_TRUE(meta.Status.contains(c.status)) << meta.Status.join('\n').toStdString();
    EXPECT_TRUE(meta.Status.contains("Oude tabel wordt teruggezet"));
    EXPECT_EQ(hbtest::ReadFile(folder.Data("URUREN.DBF")), dbf);
    EXPECT_EQ(hbtest::ReadFile(folder.Data("URUREN.CDX")), cdx);
    EXPECT_EQ(Files("URUREN*"), QStringList({"URUREN.CDX", "URUREN.DBF"}));
  }
}

TEST_F(MetaDataset, MissingDefinitionsAndTheImport) {
  // Without rows, or without a specification, no table is created.
  SetRow("LEEG", "TAB", "", "beschrijving");
  SetRow("HALF", "FLD", "A", "");
  for (const auto& [table, status] :
       {std::pair{"LEEG", "Tabeldefinitie [LEEG] niet gevonden in meta-tabel"},
        {"HALF", "Fatale fout: Geen parameterspecificaties bij veld: HALF.A"}}) {
    meta.Status.clear();
    EXPECT_FALSE(meta.CreateTable(table));
    EXPECT_EQ(meta.Status, QStringList({status}));
  }
  EXPECT_THROW(meta.ReindexTable("LEEG"), hb::EMetaDefNotFound);

  // An existing table's structure and tags become rows of the meta table.
  ASSERT_TRUE(vrt.CreateTable(folder.Data(), "PROJECT", {"CODE;C;6;0", "BUDGET;N;10;2"}));
  ASSERT_TRUE(vrt.ReindexTable(folder.Data(), "PROJECT", {"CODE=UPPER(CODE)"}));
  ASSERT_TRUE(meta.ImportTableToMeta(folder.Data("project"), "project", "BUDG=STR(BUDGET)"));
  QStringList lines;
  EXPECT_EQ(meta.FieldDefinitions("PROJECT", lines), 2);
  EXPECT_EQ(lines, QStringList({"BUDGET=N;10;2", "CODE=C;6;0"}));
  lines.clear();
  EXPECT_EQ(meta.TagDefinitions("PROJECT", lines), 2);
  EXPECT_EQ(lines, QStringList({"BUDG=STR(BUDGET)", "CODE=UPPER(CODE)"}));
  EXPECT_TRUE(meta.HasTagDefinition("project", "code"));

  // A second import asks before it replaces the rows.
  TScriptedDialogs dlg;
  dlg.Queue(TDialogAnswer::No);
  EXPECT_FALSE(meta.ImportTableToMeta(folder.Data("PROJECT.DBF"), "", ""));
  ASSERT_EQ(dlg.Shown().size(), 1);
  EXPECT_EQ(dlg.Shown()[0].title, "Tabel bestaat al");
  EXPECT_EQ(dlg.Shown()[0].text,
            "De tabel PROJECT komt al voor in de metatabel\n\n"
            "Wilt u de bestaande informatie overschrijven?");
  dlg.Queue(TDialogAnswer::Always);
  ASSERT_TRUE(meta.ImportTableToMeta(folder.Data("PROJECT.DBF"), "", ""))
      << meta.Status.join('\n').toStdString();
  lines.clear();
  EXPECT_EQ(meta.TagDefinitions("PROJECT", lines), 1);
  EXPECT_TRUE(meta.HasTableDefinition("URUREN"));

  EXPECT_TRUE(meta.DeleteTableFromMeta("PROJECT"));
  EXPECT_FALSE(meta.HasTableDefinition("PROJECT"));
  QStringList tables;
  EXPECT_EQ(meta.ListTables(tables), 5);  // the three, LEEG and HALF
}

}  // namespace
