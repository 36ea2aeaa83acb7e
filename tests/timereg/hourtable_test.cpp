// Hour records through the real hour table: the data module creates URUREN from the shipped
// meta rows in a temporary data folder; records are written, verified, read back, deleted,
// and a week is loaded with its invalid rows and overlapping pairs.
#include <gtest/gtest.h>

#include <QFile>
#include <QMap>

#include "data/datafixture.h"
#include "data/dmdbase.h"
#include "data/stamlists.h"
#include "data/termination.h"
#include "dbf/dbfdataset.h"
#include "platform/dialogservice.h"
#include "timereg/actielist.h"
#include "util/calendarfuncs.h"
#include "util/conversions.h"
#include "util/formats.h"
#include "util/pathcontext.h"

namespace {

using hb::TActieList;
using hb::TActieRec;
using hb::TDialogAnswer;
using hb::TScriptedDialogs;

const QDate kSunday(2005, 3, 13);  // the displayed week runs Sunday 13 to Saturday 19 March
double At(int day, int h, int m, int s = 0) {
  return hb::DateToMoment(kSunday.addDays(day)) + (h * 3600 + m * 60 + s) / 86400.0;
}
QString Stamp(double moment) {
  return QString::number(qint64((moment - hb::kEpoch) * 86400 + 0.5)).rightJustified(12);
}

class HourTable : public ::testing::Test {
 protected:
  void SetUp() override {
    hb::ResetApplicationTermination();
    ASSERT_EQ(hbtest::FirstStart(dm, vrt), "");
    hb::ReloadAll();
    me = dm->LoginEmployeeId();
    hb::CurrentMedewerker().AssignEmployee(*hb::StamMedewerkers().FindById(me));
    // The sample data: employees 1..3, customers 4..6, activities 7..9, products 10..12.
    ASSERT_EQ(hb::StamKlanten().NameOf(4), "Klant1");
    ASSERT_EQ(hb::StamProducten().NameOf(12), "Product3");
  }
  void TearDown() override {
    dm.reset();
    hb::ResetApplicationTermination();
  }

  hb::TDbfDataSet& Uren() { return dm->tblUren; }

  // A row written straight into the table, as another program or an older version might.
  int AddRow(qint64 employee, double start, double stop, qint64 klant = 4) {
    Uren().Append();
    Uren().FieldByName("MEDEWERKER")->SetAsString(hb::TdmDBase::IdText(employee));
    Uren().FieldByName("KLANT")->SetAsString(hb::TdmDBase::IdText(klant));
    Uren().FieldByName("ACTIVITEIT")->SetAsString(hb::TdmDBase::IdText(7));
    Uren().FieldByName("PRODUCT")->SetAsString(hb::TdmDBase::IdText(10));
    Uren().FieldByName("START")->SetAsString(Stamp(start));
    Uren().FieldByName("STOP")->SetAsString(Stamp(stop));
    Uren().FieldByName("STATUS")->SetAsString(" ");
    Uren().Post();
    return Uren().RecNo();
  }

  std::unique_ptr<TActieRec> NewRec(double start, double stop) {
    auto r = std::make_unique<TActieRec>();
    r->Medewerker = hb::StamMedewerkers().FindById(me);
    r->Klant = hb::StamKlanten().FindById(4);
    r->Activiteit = hb::StamActiviteiten().FindById(7);
    r->Product = hb::StamProducten().FindById(10);
    r->Start = start;
    r->Stop = stop;
    return r;
  }

  // "hh:nn-hh:nn" per record of the list, in list order.
  static QStringList Periods(const TActieList& list) {
    QStringList out;
    for (int i = 0; i < list.Count(); ++i)
      out << hb::FormatMoment("hh:nn", list[i]->Start) + "-" +
                 hb::FormatMoment("hh:nn", list[i]->Stop);
    return out;
  }

  // The rows not marked deleted, counted by walking the table.
  int VisibleRows() {
    int n = 0;
    for (Uren().First(); !Uren().Eof(); Uren().Next()) ++n;
    return n;
  }

  // The stored bytes of each field of a record of URUREN.DBF, read from the file by its
  // header; "_DELETED" is the deletion mark.
  QMap<QByteArray, QByteArray> StoredRecord(int recNo) const {
    const QByteArray file = hbtest::ReadFile(folder.Data("URUREN.DBF"));
    const int header = quint8(file[8]) | quint8(file[9]) << 8;
    const int length = quint8(file[10]) | quint8(file[11]) << 8;
    const QByteArray row = file.mid(header + (recNo - 1) * length, length);
    QMap<QByteArray, QByteArray> fields{{"_DELETED", row.left(1)}};
    int offset = 1;
    for (int d = 32; d + 32 <= header && file[d] != '\r'; d += 32) {
      const QByteArray name = file.mid(d, 11).split('\0').first();
      const int width = quint8(file[d + 16]);
      fields[name] = row.mid(offset, width);
      offset += width;
    }
    return fields;
  }

  QString LogText() const { return QString::fromLatin1(hbtest::ReadFile(hb::Paths().LogFile)); }

  hbtest::TProgramFolder folder;
  hb::TVrtDbfDataSet vrt;
  std::unique_ptr<hb::TdmDBase> dm;
  qint64 me = 0;
};

TEST_F(HourTable, RecordWrittenVerifiedReadBackRewrittenAndDeleted) {
  TScriptedDialogs dlg;
  auto rec = NewRec(At(3, 8, 0), At(3, 9, 30));
  rec->Werkz = "  Overleg café ";
  rec->Aantal = 3;
  rec->Voorlopig = false;
  ASSERT_TRUE(rec->PutActieRec(Uren()));
  EXPECT_EQ(dlg.Texts(), QStringList());
  EXPECT_EQ(rec->RecNr, 1);
  // The hour table was reopened on its order and stands on the record.
  EXPECT_TRUE(Uren().Active());
  EXPECT_EQ(Uren().IndexName(), "TIJD");
  EXPECT_EQ(Uren().RecNo(), 1);

  // The record as stored: ID texts, epoch timestamps right-aligned in 12 characters, the
  // status, the description in code page 850 and the quantity.
  const QMap<QByteArray, QByteArray> stored = StoredRecord(1);
  ASSERT_EQ(me, 13);
  EXPECT_EQ(stored.value("MEDEWERKER"), "0000000013");
  EXPECT_EQ(stored.value("KLANT"), "0000000004");
  EXPECT_EQ(stored.value("ACTIVITEIT"), "0000000007");
  EXPECT_EQ(stored.value("PRODUCT"), "0000000010");
  EXPECT_EQ(stored.value("START"), Stamp(At(3, 8, 0)).toLatin1());
  EXPECT_EQ(stored.value("STOP"), Stamp(At(3, 9, 30)).toLatin1());
  EXPECT_EQ(stored.value("STATUS"), " ");
  EXPECT_EQ(stored.value("WERKZ"), QByteArray("  Overleg caf\x82 ").leftJustified(120));
  EXPECT_EQ(stored.value("AANTAL"), "       3");
  EXPECT_EQ(stored.value("_DELETED"), " ");

  // Read back: the shared list items, the description trimmed.
  TActieRec back;
  Uren().SetRecNo(rec->RecNr);
  ASSERT_TRUE(back.GetActieRec(Uren()));
  EXPECT_EQ(back.RecNr, 1);
  EXPECT_EQ(back.Klant.get(), hb::StamKlanten().FindById(4).get());
  EXPECT_EQ(back.Medewerker->Naam, "TEST");
  EXPECT_EQ(back.Werkz, "Overleg café");
  EXPECT_EQ(back.Aantal, 3);
  EXPECT_FALSE(back.Voorlopig);
  EXPECT_EQ(back.Start, At(3, 8, 0));
  EXPECT_EQ(back.Stop, At(3, 9, 30));

  // Rewritten in place with a customer the lists do not know: read back as a placeholder.
  back.Klant = std::make_shared<hb::TStamObj>(nullptr, hb::stKlant);
  back.Klant->ID = 999;
  ASSERT_TRUE(back.PutActieRecPeriod(Uren(), At(3, 10, 0), At(3, 9, 0)));
  EXPECT_EQ(back.RecNr, 1);
  EXPECT_EQ(VisibleRows(), 1);
  TActieRec again;
  Uren().SetRecNo(1);
  ASSERT_TRUE(again.GetActieRec(Uren()));
  EXPECT_EQ(again.Klant->ID, 0);
  EXPECT_EQ(again.Klant->Naam, " ");
  EXPECT_EQ(again.Start, At(3, 9, 0));
  EXPECT_EQ(dlg.Texts(), QStringList());

  ASSERT_TRUE(again.DelActieRec(Uren()));
  EXPECT_EQ(VisibleRows(), 0);
  EXPECT_FALSE(again.DelActieRec(Uren()));
  EXPECT_EQ(dlg.Texts(), QStringList({"Te wissen record niet gevonden!"}));
}

TEST_F(HourTable, WritingRefusesAMissingStartOrStop) {
  struct Case { double start, stop; const char* message; } cases[] = {
      {0, At(3, 9, 0), "Start=0 tijdens wegschrijven 0"},
      {At(3, 8, 0), 0, "Stop = 0 tijdens wegschrijven 0"},
  };
  for (const Case& c : cases) {
    TScriptedDialogs dlg;
    EXPECT_FALSE(NewRec(c.start, c.stop)->PutActieRec(Uren()));
    EXPECT_EQ(dlg.Texts(), QStringList({c.message}));
    EXPECT_TRUE(LogText().contains(c.message));
  }
  EXPECT_EQ(VisibleRows(), 0);
}

TEST_F(HourTable, VerificationReportsEveryFieldThatWasNotStored) {
  // A table event that spoils what is posted stands in for a faulty write.
  Uren().BeforePost = [](hb::TDataSet& t) {
    t.FieldByName("KLANT")->SetAsString("");
    t.FieldByName("STOP")->SetAsString("1");
  };
  TScriptedDialogs dlg;
  EXPECT_TRUE(NewRec(At(3, 8, 0), At(3, 9, 0))->PutActieRec(Uren()));
  EXPECT_EQ(dlg.Texts(), QStringList({"fout tijdens wegschrijven: klant is leeg 1",
                                      "fout tijdens wegschrijven stop 1"}));
  EXPECT_TRUE(LogText().contains("fout tijdens wegschrijven stop 1"));
  EXPECT_EQ(VisibleRows(), 1);  // the row stays as written
}

TEST_F(HourTable, RewritingARowThatIsGoneDoesNotOverwriteAnother) {
  TScriptedDialogs dlg;
  auto first = NewRec(At(3, 8, 0), At(3, 9, 0));
  auto second = NewRec(At(3, 10, 0), At(3, 11, 0));
  ASSERT_TRUE(first->PutActieRec(Uren()));
  ASSERT_TRUE(second->PutActieRec(Uren()));
  TActieRec stale;
  stale.Assign(*first);
  ASSERT_TRUE(first->DelActieRec(Uren()));

  stale.Werkz = "later gewijzigd";
  ASSERT_TRUE(stale.PutActieRec(Uren()));
  EXPECT_EQ(stale.RecNr, 3);
  EXPECT_TRUE(LogText().contains("Record 1 niet gevonden tijdens wegschrijven"));
  TActieRec check;
  Uren().SetRecNo(second->RecNr);
  ASSERT_TRUE(check.GetActieRec(Uren()));
  EXPECT_EQ(check.Start, At(3, 10, 0));
  EXPECT_EQ(check.Werkz, "");
  EXPECT_EQ(VisibleRows(), 2);
  EXPECT_EQ(dlg.Texts(), QStringList());
}

TEST_F(HourTable, WeekLoadKeepsToTheEmployeeAndWeekAndDeletesInvalidRows) {
  hb::ProgramIni().WriteString("Debug", "Get", "1");
  AddRow(me, At(-1, 8, 0), At(-1, 9, 0));                // the Saturday before
  AddRow(me, At(1, 8, 0), At(1, 9, 0));
  AddRow(me, At(1, 10, 0), At(1, 9, 0));               // stop before start
  AddRow(me, At(1, 11, 0), At(1, 12, 0));
  AddRow(me, At(3, 23, 0), At(4, 1, 0));               // across midnight
  AddRow(me, At(4, 8, 0), At(4, 9, 0));
  AddRow(me, At(7, 0, 0), At(7, 1, 0));                // starts exactly at the week's end
  AddRow(me, At(7, 0, 1), At(7, 1, 0));                // after it
  AddRow(1, At(2, 8, 0), At(2, 9, 0));                 // another employee
  AddRow(me, At(5, 8, 0), At(5, 9, 0), 77);            // an unknown customer
  const int rows = VisibleRows();

  TScriptedDialogs dlg;
  TActieList week;
  week.Add(std::make_unique<TActieRec>());  // the previous week's records go
  week.GetActieList(At(0, 0, 0), At(7, 0, 0));
  EXPECT_EQ(Periods(week),
            QStringList({"08:00-09:00", "11:00-12:00", "08:00-09:00", "08:00-09:00", "00:00-01:00"}));
  EXPECT_EQ(week[3]->Klant->Naam, " ");
  EXPECT_EQ(dlg.Texts(),
            QStringList({"Foutief tijdblok gewist: over datumgrens "
                         "M0000000013/K0000000004/A0000000007/P0000000010: "
                         "16-03-2005 23:00:00  -  17-03-2005 01:00:00"}));
  const QString log = LogText();
  EXPECT_TRUE(log.contains("Foutief tijdblok gewist: over datumgrens M0000000013"));
  EXPECT_TRUE(log.contains("Foutief tijdblok gewist: lengte <= 0 M0000000013/K0000000004/"
                           "A0000000007/P0000000010: 14-03-2005 10:00:00  -  14-03-2005 09:00:00"));
  EXPECT_EQ(VisibleRows(), rows - 2);
  // [Debug] Get dumps every record read.
  EXPECT_TRUE(log.contains("--- get record ---"));
  EXPECT_TRUE(log.contains("Start : 2005.03.14 08:00:00"));
  EXPECT_TRUE(log.contains("Voorl.: false"));

  // Loading again finds the same records and nothing more to delete.
  dlg.Clear();
  week.GetActieList(At(0, 0, 0), At(7, 0, 0));
  EXPECT_EQ(week.Count(), 5);
  EXPECT_EQ(dlg.Texts(), QStringList());

  // A week before 1995 holds nothing.
  week.GetActieList(hb::kEpoch - 7, hb::kEpoch);
  EXPECT_TRUE(week.IsEmpty());
}

TEST_F(HourTable, OverlappingPairAsksAndDeletesOnYes) {
  AddRow(me, At(3, 8, 0), At(3, 9, 0));
  const int overlapping = AddRow(me, At(3, 8, 30), At(3, 9, 30));
  AddRow(me, At(3, 9, 30), At(3, 10, 0));
  AddRow(me, At(3, 9, 45), At(3, 10, 30));  // overlaps the one before

  struct Case { TDialogAnswer answer; QStringList periods; int rowsLeft; } cases[] = {
      {TDialogAnswer::No, {"08:00-09:00", "08:30-09:30", "09:30-10:00", "09:45-10:30"}, 4},
      {TDialogAnswer::Yes, {"08:00-09:00", "09:30-10:00"}, 2},
  };
  for (const Case& c : cases) {
    TScriptedDialogs dlg;
    dlg.Queue(c.answer);
    dlg.Queue(c.answer);
    TActieList week;
    week.GetActieList(At(0, 0, 0), At(7, 0, 0));
    EXPECT_EQ(Periods(week), c.periods);
    ASSERT_EQ(dlg.Shown().size(), 2);
    EXPECT_EQ(dlg.Shown()[0].kind, hb::TDialogKind::Confirm);
    EXPECT_EQ(dlg.Shown()[0].text.toStdString(),
              "Conflict: overlappende perioden \n kl1/act1/prd1: 16-03-2005 8:30-9:30 medew. TEST"
              " \n Wissen?");
    EXPECT_EQ(VisibleRows(), c.rowsLeft);
  }
  EXPECT_TRUE(LogText().contains(
      "Conflict: overlappende perioden, gewist: kl1/act1/prd1: 16-03-2005 8:30-9:30 medew. TEST"));
  TActieRec gone;
  gone.RecNr = overlapping;
  TScriptedDialogs dlg;
  EXPECT_FALSE(gone.DelActieRec(Uren()));
}

TEST_F(HourTable, LoadErrorReopensTheTableAndAdvisesOptimising) {
  AddRow(me, At(3, 8, 0), At(3, 9, 0));
  Uren().Close();
  TScriptedDialogs dlg;
  TActieList week;
  week.GetActieList(At(0, 0, 0), At(7, 0, 0));
  EXPECT_TRUE(week.IsEmpty());
  EXPECT_EQ(dlg.Texts(),
            QStringList({"Er is iets fout gegaan tijdens het ophalen van de uren boekingen.\n"
                         "Dit is op te lossen door \"Beheer; Bestandsonderhoud; Optimaliseren\" "
                         "uit te voeren."}));
  EXPECT_TRUE(LogText().contains("GetActieList: Exception \""));
  EXPECT_TRUE(LogText().contains("(Medewerker=TEST, Begindatum=13-03-2005)"));
  // The table is open again: the next load works.
  ASSERT_TRUE(Uren().Active());
  dlg.Clear();
  week.GetActieList(At(0, 0, 0), At(7, 0, 0));
  EXPECT_EQ(week.Count(), 1);
  EXPECT_EQ(dlg.Texts(), QStringList());
}

}  // namespace
