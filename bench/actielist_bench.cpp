// Loading one employee's week of hour records (TActieList::GetActieList) from a large hour
// table, against SQLite doing the same work in the same run.
//
// Data: the data module's first start creates URSTAM, URAUTOR and URUREN from the shipped
// meta table in a temporary program folder. Master data for 30 employees, 200 customers,
// 40 activities and 20 products is added to URSTAM, and URUREN is filled through the table
// layer (one append per record, no index upkeep) with the 30 employees booking their working
// days in blocks of 15 minutes to 2 hours, about 47 blocks per employee and week, week after
// week from December 2014; the tags are then rebuilt from the meta rows (the data module's
// Reindex). The same records go into an SQLite database file in the same folder, with an
// index on (medewerker, start).
//
// Work, per table size (1 000 000 records by default):
//
//   Engine   GetActieList of one employee's week: seek on TIJD, read the rows until the key
//            leaves the week, build each record (items from the in-memory master data
//            lists), overlap check, add to the list
//   SQLite   SELECT the same rows (medewerker = ? AND start BETWEEN ? AND ?, by its index),
//            build the same records the same way and add them to a list
//
// Each iteration loads another (employee, week) pair spread over the whole table. The
// number of records of both sides is compared for the first pairs before anything is timed.
//
// Sizes: --sizes=100000,1000000 or the environment variable HB_BENCH_SIZES. The folder:
// HB_BENCH_DIR (default: the system's temporary folder); HB_BENCH_KEEP=1 keeps the files.
// The meta table hblite.DBF is looked for in HB_META_DIR, else beside this program's
// folder (the build folder; build the target hbmetatable first).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>  // mkdtemp

#include <QApplication>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/dmdbase.h"
#include "data/stamlists.h"
#include "data/termination.h"
#include "data/vrtdbfdataset.h"
#include "dbf/dbfhandler.h"
#include "platform/dialogservice.h"
#include "timereg/actielist.h"
#include "util/conversions.h"
#include "util/pathcontext.h"
#include "benchstart.h"
#include "hourgen.h"

namespace fs = std::filesystem;

namespace {

using namespace hbbench;

// ---- SQLite --------------------------------------------------------------------------------

class TSql {
 public:
  explicit TSql(const std::string& path) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) {
      const std::string msg = sqlite3_errmsg(db_);
      sqlite3_close(db_);
      throw std::runtime_error(path + ": " + msg);
    }
  }
  ~TSql() {
    sqlite3_finalize(week_);
    sqlite3_close(db_);
  }
  TSql(const TSql&) = delete;
  TSql& operator=(const TSql&) = delete;

  void Exec(const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
      const std::string msg = err ? err : "error";
      sqlite3_free(err);
      throw std::runtime_error(sql + ": " + msg);
    }
  }
  sqlite3_stmt* Prepare(const std::string& sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK)
      throw std::runtime_error(sql + ": " + sqlite3_errmsg(db_));
    return s;
  }
  sqlite3* Db() { return db_; }
  sqlite3_stmt*& WeekStatement() { return week_; }

 private:
  sqlite3* db_ = nullptr;
  sqlite3_stmt* week_ = nullptr;
};

QString Column(sqlite3_stmt* s, int i) {
  return QString::fromLatin1(reinterpret_cast<const char*>(sqlite3_column_text(s, i)),
                             sqlite3_column_bytes(s, i));
}

// The same records as GetActieList builds, from SQLite's rows.
void SqlWeek(TSql& db, const QString& employee, double from, double to, hb::TActieList& list) {
  list.Clear();
  sqlite3_stmt*& s = db.WeekStatement();
  if (!s)
    s = db.Prepare(
        "SELECT rowid, medewerker, klant, activiteit, product, start, stop, status, werkz, "
        "aantal FROM uren WHERE medewerker = ?1 AND start BETWEEN ?2 AND ?3 "
        "ORDER BY medewerker, start");
  const std::string emp = employee.toStdString();
  const std::string lo = hb::DateTimeToStamp(from).toStdString();
  const std::string hi = hb::DateTimeToStamp(to).toStdString();
  sqlite3_bind_text(s, 1, emp.data(), static_cast<int>(emp.size()), SQLITE_STATIC);
  sqlite3_bind_text(s, 2, lo.data(), static_cast<int>(lo.size()), SQLITE_STATIC);
  sqlite3_bind_text(s, 3, hi.data(), static_cast<int>(hi.size()), SQLITE_STATIC);
  while (sqlite3_step(s) == SQLITE_ROW) {
    auto r = std::make_unique<hb::TActieRec>();
    r->RecNr = static_cast<int>(sqlite3_column_int64(s, 0));
    r->Medewerker = hb::StamMedewerkers().FindOrPlaceholder(hb::TdmDBase::IdValue(Column(s, 1), -1));
    r->Klant = hb::StamKlanten().FindOrPlaceholder(hb::TdmDBase::IdValue(Column(s, 2), -1));
    r->Activiteit = hb::StamActiviteiten().FindOrPlaceholder(hb::TdmDBase::IdValue(Column(s, 3), -1));
    r->Product = hb::StamProducten().FindOrPlaceholder(hb::TdmDBase::IdValue(Column(s, 4), -1));
    r->Start = hb::StampToDateTime(Column(s, 5));
    r->Stop = hb::StampToDateTime(Column(s, 6));
    r->Voorlopig = Column(s, 7) == "V";
    r->Werkz = Column(s, 8).trimmed();
    r->Aantal = sqlite3_column_int(s, 9);
    if (list.HasNoOverlap(*r)) list.Add(std::move(r));
  }
  sqlite3_reset(s);
}

// ---- the database of one size ----------------------------------------------------------------

std::string& Root() {
  static std::string root;
  return root;
}

QString MetaFolder() {
  if (const char* env = std::getenv("HB_META_DIR"); env && *env) return QString::fromLocal8Bit(env);
  const QDir app(QCoreApplication::applicationDirPath());
  for (const QString& dir : {app.filePath(".."), app.path()})
    if (QFile::exists(QDir(dir).filePath("hblite.DBF"))) return dir;
  throw std::runtime_error("hblite.DBF not found: build the target hbmetatable or set HB_META_DIR");
}

void AppendStam(hb::TDbfHandler& h, const char* type, int id, const std::string& name,
                const std::string& abbreviation) {
  h.BlankRecord();
  h.WriteTextByName("TYPE", type);
  h.WriteTextByName("ID", IdText(id));
  h.WriteTextByName("OBJECT", name);
  h.WriteTextByName("AFKORTING", abbreviation);
  h.WriteTextByName("OVERHEAD", "F");
  h.WriteTextByName("TOEGANG", "F");
  h.AppendRecord();
}

class TDatabase {
 public:
  explicit TDatabase(int64_t records) : records_(records) {
    program_ = fs::path(Root()) / ("n" + std::to_string(records));
    fs::create_directories(program_ / "data");
    const QString meta = MetaFolder();
    for (const char* ext : {".DBF", ".FPT", ".CDX"})
      fs::copy_file(QDir(meta).filePath(QString("hblite") + ext).toStdString(),
                    program_ / (std::string("hblite") + ext));
    {
      QFile ini(QString::fromStdString((program_ / "hblite.INI").string()));
      if (!ini.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot write the ini");
      ini.write("[Paths]\r\nData=data\\\r\n");
    }
    hb::InitPaths(QString::fromStdString((program_ / "hblite").string()));
    {
      hb::TScriptedDialogs dlg;
      dlg.Queue(hb::TDialogAnswer::Always);
      dlg.Queue(hb::TDialogAnswer::Yes);
      dm_ = std::make_unique<hb::TdmDBase>(vrt_);
      dm_->Start({}, "BENCH");
      if (hb::ApplicationTerminating())
        throw std::runtime_error("the data module did not start: " +
                                 dlg.Texts().join(" / ").toStdString());
    }
    Fill();
    hb::ReloadAll();
  }

  hb::TDbfDataSet& Uren() { return dm_->tblUren; }
  TSql& Sql() { return *sql_; }
  int Weeks() const { return weeks_; }
  int64_t Records() const { return records_; }

  // The (employee, week) pair of an iteration, spread over the table.
  void Pair(int64_t i, hb::TStamObj& employee, double& from) const {
    const int e = static_cast<int>((i * 7) % kEmployees);
    const int w = static_cast<int>((i * 37 + i / kEmployees) % weeks_);
    employee.ID = kFirstEmployee + e;
    employee.Naam = QString("Medewerker %1").arg(e + 1);
    from = hb::kEpoch + (kFirstWeek + w) * 7.0;
  }

 private:
  void Fill() {
    const std::string data = (program_ / "data").string();
    dm_->CloseTables();
    {
      hb::TDbfHandler stam;
      stam.Open(data + "/URSTAM.DBF", false, true);
      for (int i = 0; i < kEmployees; ++i)
        AppendStam(stam, "M", kFirstEmployee + i, "Medewerker " + std::to_string(i + 1),
                   "m" + std::to_string(i + 1));
      for (int i = 0; i < kCustomers; ++i)
        AppendStam(stam, "K", kFirstCustomer + i, "Klant " + std::to_string(i + 1),
                   "k" + std::to_string(i + 1));
      for (int i = 0; i < kActivities; ++i)
        AppendStam(stam, "A", kFirstActivity + i, "Activiteit " + std::to_string(i + 1),
                   "a" + std::to_string(i + 1));
      for (int i = 0; i < kProducts; ++i)
        AppendStam(stam, "P", kFirstProduct + i, "Product " + std::to_string(i + 1),
                   "p" + std::to_string(i + 1));
      stam.FlushFile();
    }

    fs::remove(program_ / "uren.sqlite");
    sql_ = std::make_unique<TSql>((program_ / "uren.sqlite").string());
    sql_->Exec(
        "CREATE TABLE uren (medewerker TEXT, klant TEXT, activiteit TEXT, product TEXT, "
        "start TEXT, stop TEXT, status TEXT, werkz TEXT, aantal INTEGER)");
    sqlite3_stmt* ins = sql_->Prepare(
        "INSERT INTO uren (rowid, medewerker, klant, activiteit, product, start, stop, status, "
        "werkz, aantal) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
    sql_->Exec("BEGIN");
    {
      hb::TDbfHandler uren;
      uren.Open(data + "/URUREN.DBF", false, true);
      const int fMedewerker = uren.FieldByName("MEDEWERKER"), fKlant = uren.FieldByName("KLANT"),
                fActiviteit = uren.FieldByName("ACTIVITEIT"), fProduct = uren.FieldByName("PRODUCT"),
                fStart = uren.FieldByName("START"), fStop = uren.FieldByName("STOP"),
                fStatus = uren.FieldByName("STATUS"), fWerkz = uren.FieldByName("WERKZ"),
                fAantal = uren.FieldByName("AANTAL");
      THourGenerator gen;
      for (int64_t n = 1; n <= records_; ++n) {
        const THour h = gen.Next();
        uren.BlankRecord();
        uren.WriteText(fMedewerker, h.Medewerker);
        uren.WriteText(fKlant, h.Klant);
        uren.WriteText(fActiviteit, h.Activiteit);
        uren.WriteText(fProduct, h.Product);
        uren.WriteText(fStart, h.Start);
        uren.WriteText(fStop, h.Stop);
        uren.WriteText(fStatus, h.Status);
        uren.WriteText(fWerkz, h.Werkz);
        uren.WriteNumber(fAantal, h.Aantal);
        uren.AppendRecord();

        const std::string* texts[] = {&h.Medewerker, &h.Klant, &h.Activiteit, &h.Product,
                                      &h.Start,      &h.Stop,  &h.Status,     &h.Werkz};
        sqlite3_bind_int64(ins, 1, n);
        for (int i = 0; i < 8; ++i)
          sqlite3_bind_text(ins, i + 2, texts[i]->data(), static_cast<int>(texts[i]->size()),
                            SQLITE_STATIC);
        sqlite3_bind_int(ins, 10, h.Aantal);
        if (sqlite3_step(ins) != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(sql_->Db()));
        sqlite3_reset(ins);
      }
      uren.FlushFile();
      // Whole weeks only: the last generated week may be incomplete.
      weeks_ = std::max(1, gen.Week() - kFirstWeek);
    }
    sqlite3_finalize(ins);
    sql_->Exec("COMMIT");
    sql_->Exec("CREATE INDEX idx_tijd ON uren (medewerker, start)");
    // The tags of both tables from the meta rows; the tables are opened again afterwards.
    if (!dm_->Reindex(true)) throw std::runtime_error("reindex failed");
  }

  int64_t records_;
  fs::path program_;
  hb::TVrtDbfDataSet vrt_;
  std::unique_ptr<hb::TdmDBase> dm_;
  std::unique_ptr<TSql> sql_;
  int weeks_ = 1;
};

// One database at a time: the data module is a single program-wide object.
std::unique_ptr<TDatabase>& CurrentDatabase() {
  static std::unique_ptr<TDatabase> db;
  return db;
}

TDatabase& DatabaseOf(int64_t records) {
  std::unique_ptr<TDatabase>& db = CurrentDatabase();
  if (!db || db->Records() != records) {
    db.reset();
    db = std::make_unique<TDatabase>(records);
    // Both sides must agree before any figure is taken.
    hb::TActieList engine, sqlite;
    hb::TStamObj employee(nullptr, hb::stMedewerker);
    double from = 0;
    for (int64_t i = 0; i < 20; ++i) {
      db->Pair(i, employee, from);
      engine.GetActieList(db->Uren(), employee, from, from + 7);
      SqlWeek(db->Sql(), hb::TdmDBase::IdText(employee.ID), from, from + 7, sqlite);
      if (engine.Count() != sqlite.Count() || engine.Count() == 0)
        throw std::runtime_error("week " + std::to_string(i) + ": engine " +
                                 std::to_string(engine.Count()) + " records, SQLite " +
                                 std::to_string(sqlite.Count()));
    }
  }
  return *db;
}

// Loads one employee's week after another, through the engine or from SQLite.
void WeekLoad(benchmark::State& state, bool sqlite) {
  TDatabase* db = nullptr;
  try {
    db = &DatabaseOf(state.range(0));
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
    return;
  }
  hb::TActieList week;
  hb::TStamObj employee(nullptr, hb::stMedewerker);
  double from = 0;
  int64_t i = 0, records = 0;
  for (auto _ : state) {
    db->Pair(i++, employee, from);
    if (sqlite)
      SqlWeek(db->Sql(), hb::TdmDBase::IdText(employee.ID), from, from + 7, week);
    else
      week.GetActieList(db->Uren(), employee, from, from + 7);
    records += week.Count();
  }
  state.SetItemsProcessed(records);
  state.counters["records/week"] = benchmark::Counter(double(records) / double(i));
}

void BM_WeekLoad_Engine(benchmark::State& state) { WeekLoad(state, false); }
void BM_WeekLoad_SQLite(benchmark::State& state) { WeekLoad(state, true); }

}  // namespace

int main(int argc, char** argv) {
  std::vector<int64_t> list;
  fs::path folder;
  if (!hbbench::StartBenchmarks(argc, argv, "1000000", "hbweekbench", list, folder)) return 2;
  Root() = folder.string();
  // The machine ini and the log of the runs stay in the temporary folder.
  qputenv("HOURBOOK_WINDIR", QByteArray::fromStdString(Root() + "/windows"));
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QApplication app(qtArgc, argv);

  for (int64_t n : list) {
    benchmark::RegisterBenchmark("WeekLoad/Engine", BM_WeekLoad_Engine)->Arg(n);
    benchmark::RegisterBenchmark("WeekLoad/SQLite", BM_WeekLoad_SQLite)->Arg(n);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  CurrentDatabase().reset();
  const char* keep = std::getenv("HB_BENCH_KEEP");
  if (!keep || std::string(keep) != "1") fs::remove_all(Root());
  return 0;
}
