// The data module: first start, IDs and the MaxID row, the daily reindex, the forced check,
// hour records of an item and the shutdown question.
#include "data/dmdbase.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QRegularExpression>

#include "data/termination.h"
#include "datafixture.h"
#include "platform/dialogservice.h"
#include "platform/osfile.h"
#include "util/calendarfuncs.h"
#include "util/conversions.h"

namespace {

using hb::TDialogAnswer;
using hb::TdmDBase;
using hb::TScriptedDialogs;

QString Text(hb::TDataSet& t, const char* field) {
  return t.FieldByName(field)->AsString().trimmed();
}

class DataModule : public ::testing::Test {
 protected:
  void SetUp() override { hb::ResetApplicationTermination(); }
  void TearDown() override { hb::ResetApplicationTermination(); }

  // A first start: all tables created ("&Altijd Ja"), the login name added as employee.
  std::unique_ptr<TdmDBase> FirstStart(const QString& login = "TEST") {
    TScriptedDialogs dlg;
    dlg.Queue(TDialogAnswer::Always);
    dlg.Queue(TDialogAnswer::Yes);
    auto dm = std::make_unique<TdmDBase>(vrt);
    dm->Start({}, login);
    EXPECT_FALSE(hb::ApplicationTerminating()) << dlg.Texts().join('\n').toStdString();
    shown = dlg.Texts();
    return dm;
  }

  // "TYPE ID OBJECT" of every row of URSTAM in TYPEID order.
  QStringList Stam(TdmDBase& dm) {
    dm.StamFilter().Reset();
    QStringList rows;
    for (dm.tblStam.First(); !dm.tblStam.Eof(); dm.tblStam.Next())
      rows << Text(dm.tblStam, "TYPE") + " " + Text(dm.tblStam, "ID") + " " +
                  Text(dm.tblStam, "OBJECT");
    return rows;
  }

  QStringList MaxIdRows(TdmDBase& dm) { return Stam(dm).filter(QRegularExpression("^I ")); }

  QString LogText() const { return QString::fromLatin1(hbtest::ReadFile(hb::Paths().LogFile)); }

  hbtest::TProgramFolder folder;
  hb::TVrtDbfDataSet vrt;
  QStringList shown;
};

TEST_F(DataModule, FirstStartCreatesTablesSampleDataAndTheLoginEmployee) {
  auto dm = FirstStart();
  ASSERT_EQ(shown.size(), 2);
  EXPECT_EQ(shown[0], "Tabel URAUTOR niet aanwezig, aanmaken?");
  EXPECT_EQ(shown[1], "Medewerker TEST komt niet voor in de lijst, Toevoegen?");
  for (const char* f :
       {"URSTAM.DBF", "URSTAM.CDX", "URAUTOR.DBF", "URAUTOR.CDX", "URUREN.DBF", "URUREN.CDX"})
    EXPECT_TRUE(QFileInfo::exists(folder.Data(f))) << f;

  // The first item created the MaxID row and got ID 1.
  EXPECT_TRUE(LogText().contains("MaxID niet gevonden, wordt aangemaakt..."));
  EXPECT_EQ(
      Stam(*dm),
      QStringList({"A 0000000007 Activiteit1", "A 0000000008 Activiteit2",
                   "A 0000000009 Activiteit3", "I 0000000013 MAXID", "K 0000000004 Klant1",
                   "K 0000000005 Klant2", "K 0000000006 Klant3", "M 0000000001 Medewerker1",
                   "M 0000000002 Medewerker2", "M 0000000003 Medewerker3", "M 0000000013 TEST",
                   "P 0000000010 Product1", "P 0000000011 Product2", "P 0000000012 Product3"}));
  EXPECT_EQ(dm->LoginEmployeeId(), 13);
  ASSERT_TRUE(dm->tblStam.Locate("OBJECT", "TEST", 0));
  EXPECT_EQ(Text(dm->tblStam, "TOEGANG"), "B");
  EXPECT_EQ(Text(dm->tblStam, "AFKORTING"), "TEST");
  EXPECT_EQ(dm->tblStam.IndexName(), "TYPEID");
  EXPECT_EQ(dm->tblAutor.IndexName(), "TYPMEDEW");
  EXPECT_EQ(dm->tblUren.IndexName(), "TIJD");

  // Sample employees and the first login may book on the sample items.
  QStringList autor;
  for (dm->tblAutor.First(); !dm->tblAutor.Eof(); dm->tblAutor.Next())
    autor << Text(dm->tblAutor, "TYPE") + Text(dm->tblAutor, "MEDEWERKER").right(2) +
                 Text(dm->tblAutor, "VALUE").right(2);
  EXPECT_EQ(autor, QStringList({"A0107", "A0208", "A0309", "A1307", "A1308", "A1309", "K0104",
                                "K0205", "K0306", "K1304", "K1305", "K1306", "P0110", "P0211",
                                "P0312", "P1310", "P1311", "P1312"}));

  // The tables are this program's alone.
  hb::TOsFile other;
  EXPECT_FALSE(other.Open(folder.Data("URUREN.DBF").toStdString(), hb::TShareMode::Shared, false));

  // A second start finds everything and asks nothing.
  dm.reset();
  TScriptedDialogs dlg;
  TdmDBase again(vrt);
  again.Start({}, "test");
  EXPECT_TRUE(dlg.Shown().isEmpty()) << dlg.Texts().join('\n').toStdString();
  EXPECT_EQ(again.LoginEmployeeId(), 13);
  EXPECT_EQ(again.tblStam.RecordCount(), 14);
}

TEST_F(DataModule, MaxIdRowIsRecreatedCorrectedAndKeptSingle) {
  auto dm = FirstStart();
  TScriptedDialogs dlg;

  // Without its MaxID row the next item gets the highest ID in use + 1.
  ASSERT_TRUE(dm->tblStam.Locate("TYPE", "I", 0));
  dm->tblStam.Delete();
  dm->StamFilter().SetLetter('K');
  dm->tblStam.Append();
  dm->tblStam.FieldByName("OBJECT")->SetAsString("Nieuwe klant");
  dm->tblStam.Post();
  ASSERT_TRUE(dm->tblStam.Locate("OBJECT", "Nieuwe klant", 0));
  EXPECT_EQ(Text(dm->tblStam, "TYPE"), "K");
  EXPECT_EQ(Text(dm->tblStam, "ID"), "0000000014");
  EXPECT_EQ(Text(dm->tblStam, "OVERHEAD"), "F");
  EXPECT_EQ(Text(dm->tblStam, "TOEGANG"), "F");
  EXPECT_EQ(MaxIdRows(*dm), QStringList({"I 0000000014 MAXID"}));
  EXPECT_EQ(LogText().count("MaxID niet gevonden, wordt aangemaakt..."), 2);

  // A second MaxID row goes.
  dm->tblStam.Append();
  dm->tblStam.FieldByName("TYPE")->SetAsString("I");
  dm->tblStam.FieldByName("ID")->SetAsString("0000000003");
  dm->tblStam.Post();
  ASSERT_EQ(MaxIdRows(*dm).size(), 2);
  dm->CheckMultipleMaxID();
  EXPECT_EQ(MaxIdRows(*dm), QStringList({"I 0000000003 "}));  // the first in ID order stays
  EXPECT_TRUE(
      dlg.Texts().contains("Meervoudige MaxID records gevonden! Controleer ook de stamgegevens!"));

  // A MaxID below the highest ID is raised with a message; one above it is lowered quietly.
  dlg.Clear();
  dm->RecalcMaxId();
  EXPECT_EQ(MaxIdRows(*dm), QStringList({"I 0000000014 MAXID"}));
  EXPECT_EQ(dlg.Texts(), QStringList({"foutief MaxID: 3, omgezet naar: 14"}));
  ASSERT_TRUE(dm->tblStam.Locate("TYPE", "I", 0));
  dm->tblStam.Edit();
  dm->tblStam.FieldByName("ID")->SetAsString("0000000099");
  dm->tblStam.Post();
  dlg.Clear();
  dm->RecalcMaxId();
  EXPECT_EQ(MaxIdRows(*dm), QStringList({"I 0000000014 MAXID"}));
  EXPECT_TRUE(dlg.Shown().isEmpty());

  // A double ID is renumbered.
  ASSERT_TRUE(dm->tblStam.Locate("OBJECT", "Product3", 0));
  dm->tblStam.Edit();
  dm->tblStam.FieldByName("ID")->SetAsString("0000000004");
  dm->tblStam.Post();
  EXPECT_TRUE(dm->RenumberDoubleIds());
  EXPECT_FALSE(dm->RenumberDoubleIds());
  ASSERT_EQ(dlg.Shown().size(), 1);
  EXPECT_TRUE(dlg.Texts()[0].startsWith("dubbel ID: 0000000004 "));
  EXPECT_TRUE(dlg.Texts()[0].endsWith(", hernummerd naar: 0000000015"));
  EXPECT_EQ(Stam(*dm).filter(" 0000000004 ").size(), 1);
}

TEST_F(DataModule, DailyReindexIsDueAfterADay) {
  auto dm = FirstStart();
  const double now = hb::DateTimeToMoment(QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)));
  dm->Clock = [now] { return now; };
  const qint64 stamp = hb::DateTimeToStamp(now).trimmed().toLongLong();
  struct TCase {
    const char* flag;
    QString last;
    bool due;
  } cases[] = {
      {"0", "0", false},
      {"1", QString::number(stamp - 86399), false},
      {"1", QString::number(stamp - 86400), true},
      {"1", "", true},
      {"1", " x ", true},
  };
  hb::TIniFile ini(folder.Ini());
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.last.toStdString());
    ini.WriteString("Options", "ReindexOnFirstStartup", c.flag);
    ini.WriteString("Options", "LastReindexStamp", c.last);
    EXPECT_EQ(dm->DailyReindexDue(ini), c.due);
  }
  dm.reset();

  // At start: a due reindex rebuilds the indexes and moves the stamp.
  for (bool due : {false, true}) {
    ini.WriteString("Options", "ReindexOnFirstStartup", "1");
    const QString last = QString::number(stamp - (due ? 86400 : 86399));
    ini.WriteString("Options", "LastReindexStamp", last);
    // The hour table's index is not needed to identify the employee.
    QFile::remove(folder.Data("URUREN.CDX"));
    hbtest::WriteFile(folder.Data("URUREN.CDX"), QByteArray());  // damaged
    TScriptedDialogs dlg;
    dlg.Queue(TDialogAnswer::Always);
    TdmDBase start(vrt);
    start.Clock = [now] { return now; };
    start.Start({"/NOMETACHECK"}, "TEST");
    EXPECT_EQ(ini.ReadString("Options", "LastReindexStamp"), due ? QString::number(stamp) : last);
    EXPECT_EQ(LogText().contains("Data reindexed"), due);
    if (due) {
      EXPECT_GT(QFileInfo(folder.Data("URUREN.CDX")).size(), 0);
    }
  }
}

TEST_F(DataModule, DatabaseHeldElsewhereStopsTheProgram) {
  FirstStart().reset();
  const QByteArray stam = hbtest::ReadFile(folder.Data("URSTAM.DBF"));
  hb::TOsFile other;
  ASSERT_TRUE(other.Open(folder.Data("URSTAM.DBF").toStdString(), hb::TShareMode::Shared, false));
  TScriptedDialogs dlg;
  for (int i = 0; i < 10; ++i) dlg.Queue(TDialogAnswer::Always);
  TdmDBase dm(vrt);
  dm.Start({}, "TEST");
  EXPECT_TRUE(hb::ApplicationTerminating());
  ASSERT_FALSE(dlg.Shown().isEmpty());
  EXPECT_EQ(dlg.Shown().back().kind, hb::TDialogKind::Warning);
  EXPECT_EQ(dlg.Shown().back().text, "Database niet te openen (zie log)\nProgramma gestopt.");
  const QString log = LogText();
  EXPECT_TRUE(log.contains("Fout tijdens openen database: "));
  EXPECT_TRUE(log.contains("Geforceerde databasecontrole gestart"));
  // Nothing was moved or rebuilt under the other program.
  other.Close();
  EXPECT_EQ(hbtest::ReadFile(folder.Data("URSTAM.DBF")), stam);
  EXPECT_EQ(QDir(folder.Data()).entryList({"*~*"}), QStringList());
  EXPECT_FALSE(dm.tblStam.Active() || dm.tblUren.Active());
}

TEST_F(DataModule, HourRecordsOfAnItem) {
  auto dm = FirstStart();
  struct THour {
    const char* employee;
    const char* customer;
    const char* start;
  } hours[] = {{"0000000001", "0000000004", "100"},
               {"0000000002", "0000000004", "200"},
               {"0000000001", "0000000005", "300"}};
  for (const THour& h : hours) {
    dm->tblUren.Append();
    dm->tblUren.FieldByName("MEDEWERKER")->SetAsString(h.employee);
    dm->tblUren.FieldByName("KLANT")->SetAsString(h.customer);
    dm->tblUren.FieldByName("START")->SetAsString(QString(h.start).rightJustified(12));
    dm->tblUren.Post();
  }
  ASSERT_TRUE(dm->tblUren.Locate("START", QString("300").rightJustified(12), 0));
  EXPECT_TRUE(dm->ItemMatches('m', 1));
  EXPECT_TRUE(dm->ItemMatches('K', 5));
  EXPECT_FALSE(dm->ItemMatches('K', 4));
  EXPECT_FALSE(dm->ItemMatches('G', 5));
  const int recNo = dm->tblUren.RecNo();

  EXPECT_TRUE(dm->IsStamUsed(2, "0000000004"));
  EXPECT_TRUE(dm->IsStamUsed(1, "0000000002"));
  EXPECT_FALSE(dm->IsStamUsed(2, "0000000006"));
  EXPECT_FALSE(dm->IsStamUsed(3, "0000000007"));
  EXPECT_FALSE(dm->IsStamUsed(5, "0000000004"));
  EXPECT_EQ(dm->tblUren.IndexName(), "TIJD");
  EXPECT_EQ(dm->tblUren.RecNo(), recNo);

  dm->DeleteHoursOfStam(2, "0000000004");
  EXPECT_FALSE(dm->IsStamUsed(2, "0000000004"));
  EXPECT_TRUE(dm->IsStamUsed(2, "0000000005"));
  EXPECT_TRUE(LogText().contains("Wissen uren met stamtype \"K\"=0000000004"));
  EXPECT_TRUE(LogText().contains("Stamtype \"K\", ID=0000000004: 2 records verwijderd"));
  EXPECT_EQ(dm->tblUren.IndexName(), "TIJD");

  // Exclusive use: the module's own tables are exclusive; a closed one is reopened so.
  EXPECT_TRUE(dm->TryExclusive(dm->tblUren));
  dm->CloseTables();
  EXPECT_TRUE(dm->TryExclusive(dm->tblAutor));
  EXPECT_TRUE(dm->tblAutor.Active() && dm->tblAutor.Exclusive());
  dm->CloseTables();
  dm->tblAutor.SetExclusive(false);
  dm->tblAutor.Open();  // shared: its own handle does not stand in the way
  EXPECT_TRUE(dm->TryExclusive(dm->tblAutor));
  EXPECT_TRUE(dm->tblAutor.Active() && dm->tblAutor.Exclusive());
  dm->CloseTables();
  hb::TOsFile other;
  ASSERT_TRUE(other.Open(folder.Data("URUREN.DBF").toStdString(), hb::TShareMode::Shared, false));
  EXPECT_FALSE(dm->TryExclusive(dm->tblUren));
  EXPECT_FALSE(dm->tblUren.Active());
}

TEST_F(DataModule, ShutdownAsksAboutAPendingMasterDataEdit) {
  for (TDialogAnswer answer : {TDialogAnswer::Yes, TDialogAnswer::No}) {
    const QString name = answer == TDialogAnswer::Yes ? "Klant Ja" : "Klant Nee";
    auto dm = FirstStart();
    ASSERT_TRUE(dm->tblStam.Locate("ID", "0000000005", 0));
    dm->tblStam.Edit();
    dm->tblStam.FieldByName("OBJECT")->SetAsString(name);
    TScriptedDialogs dlg;
    dlg.Queue(answer);
    dm.reset();
    EXPECT_EQ(dlg.Texts(), QStringList({" Huidige record Opslaan ?"}));
    dm = std::make_unique<TdmDBase>(vrt);
    TScriptedDialogs quiet;
    dm->Start({}, "TEST");
    EXPECT_EQ(dm->tblStam.Locate("OBJECT", name, 0), answer == TDialogAnswer::Yes);
  }
}

}  // namespace
