// The table engine on the hour table, against SQLite doing the same work in the same run.
//
// Data: an hour table of the URUREN layout (MEDEWERKER, KLANT, ACTIVITEIT, PRODUCT C10,
// START, STOP C12 epoch timestamps, STATUS C1, WERKZ C120, AANTAL N6) with the tags
//
//   TIJD   MEDEWERKER+START     TIJDA  ACTIVITEIT+START     START  START
//   TIJDK  KLANT+START          TIJDP  PRODUCT+START
//
// filled with 30 employees booking their working days in 15-minute periods (about 50
// blocks per employee and week) on 200 customers, 40 activities and 20 products, week
// after week from 2015 on. The same records go into an SQLite database file with the same
// columns (text as the table stores it, the description without its padding, the quantity
// as an integer) and five indexes on the same keys, written as column lists: (medewerker,
// start), (klant, start), (activiteit, start), (product, start), (start). Both live in
// one temporary folder on the same file system, and both are read through the operating
// system's page cache, which every earlier step has warmed for both alike.
//
// Work, per table size (100 000 and 1 000 000 records by default):
//
//   BuildTags       the five tags from the records        5 x CREATE INDEX
//   Append          100 000 new records, tags kept up to  the same inserts in one
//                   date, one flush of table and index    transaction (one sync at its
//                   at the end                            commit)
//   Append (rows)   -                                     the same inserts, each its own
//                                                         transaction, synchronous=OFF:
//                                                         like the engine, every record
//                                                         is in the file when the call
//                                                         returns, and nothing is synced
//   WeekLoad        one employee's week: seek on TIJD,    SELECT ... WHERE medewerker=?
//                   read the records until the key       AND start >= ? AND start < ?
//                   leaves the week (about 50)            (index on medewerker, start)
//   CustomerFilter  filter "KLANT = '...'" (bitmap over   the same condition over the
//                   every record), read the matches       whole table (NOT INDEXED)
//   CustomerTag     key range on TIJDK, read the matches  WHERE klant = ? by its index
//   Delete10        every 10th record marked deleted,     every 10th row deleted in one
//                   one flush at the end                  transaction
//   Pack            pack (copy, rename, rebuild of the    VACUUM
//                   five tags) after Delete10, flushed
//
// Every record read is copied field by field into a record structure on both sides. The
// counts of both sides are compared before a benchmark reports; a difference ends it with
// an error. Writing benchmarks start from a fresh copy of the files, made while the clock
// is stopped.
//
// Sizes: --sizes=100000,1000000 or the environment variable HB_BENCH_SIZES. The folder:
// HB_BENCH_DIR (default: the system's temporary folder); HB_BENCH_KEEP=1 keeps the files.
// HB_BENCH_APPENDS sets the number of records Append adds (for profiling runs).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>  // mkdtemp

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "dbf/cdxfile.h"
#include "dbf/dbfbuilder.h"
#include "dbf/dbffields.h"
#include "dbf/dbfhandler.h"
#include "benchstart.h"
#include "hourgen.h"

namespace fs = std::filesystem;

namespace {

// ---- the hour table ---------------------------------------------------------------------

struct TFieldSpec {
  const char* Name;
  char Type;
  int Width;
  int Decimals;
};
constexpr TFieldSpec kFields[] = {
    {"MEDEWERKER", 'C', 10, 0}, {"KLANT", 'C', 10, 0}, {"ACTIVITEIT", 'C', 10, 0},
    {"PRODUCT", 'C', 10, 0},    {"START", 'C', 12, 0}, {"STOP", 'C', 12, 0},
    {"STATUS", 'C', 1, 0},      {"WERKZ", 'C', 120, 0}, {"AANTAL", 'N', 6, 0}};
enum : int { fMedewerker = 1, fKlant, fActiviteit, fProduct, fStart, fStop, fStatus, fWerkz, fAantal };

struct TTagSpec {
  const char* Name;
  const char* Key;
  const char* Columns;
};
constexpr TTagSpec kTags[] = {{"TIJD", "MEDEWERKER+START", "medewerker, start"},
                              {"TIJDK", "KLANT+START", "klant, start"},
                              {"TIJDA", "ACTIVITEIT+START", "activiteit, start"},
                              {"TIJDP", "PRODUCT+START", "product, start"},
                              {"START", "START", "start"}};

// The records appended by Append (HB_BENCH_APPENDS: fewer, for profiling runs).
int64_t AppendCount() {
  static const int64_t n = [] {
    const char* env = std::getenv("HB_BENCH_APPENDS");
    long long v = env ? std::atoll(env) : 0;
    return v > 0 ? static_cast<int64_t>(v) : int64_t{100000};
  }();
  return n;
}
using namespace hbbench;

// ---- engine side ------------------------------------------------------------------------

void PutHour(hb::TDbfFields& t, const THour& h) {
  t.BlankRecord();
  t.WriteText(fMedewerker, h.Medewerker);
  t.WriteText(fKlant, h.Klant);
  t.WriteText(fActiviteit, h.Activiteit);
  t.WriteText(fProduct, h.Product);
  t.WriteText(fStart, h.Start);
  t.WriteText(fStop, h.Stop);
  t.WriteText(fStatus, h.Status);
  t.WriteText(fWerkz, h.Werkz);
  t.WriteNumber(fAantal, h.Aantal);
}

void GetHour(hb::TDbfFields& t, THour& h) {
  h.Medewerker = t.ReadText(fMedewerker);
  h.Klant = t.ReadText(fKlant);
  h.Activiteit = t.ReadText(fActiviteit);
  h.Product = t.ReadText(fProduct);
  h.Start = t.ReadRaw(fStart);
  h.Stop = t.ReadRaw(fStop);
  h.Status = t.ReadRaw(fStatus);
  h.Werkz = t.ReadText(fWerkz);
  h.Aantal = static_cast<int>(t.ReadNumber(fAantal));
}

std::string TablePath(const fs::path& dir) { return (dir / "URUREN.DBF").string(); }

// The table opened exclusively, as the program opens it, with its index file on the given
// tag (no tag: the index file stays closed and the order is physical).
std::unique_ptr<hb::TDbfHandler> OpenEngine(const fs::path& dir, const char* tag) {
  auto h = std::make_unique<hb::TDbfHandler>();
  h->Open(TablePath(dir), false, true);
  h->IncludeDeleted = false;
  if (tag) h->OpenIndexFiles("URUREN.CDX", tag);
  return h;
}

// Writes what the table and its index files hold in memory and syncs them to the disk.
void FlushEngine(hb::TDbfHandler& h) {
  h.FlushFile();
  for (int slot = 1; slot <= hb::TDbfHandler::kMaxIndexFiles; ++slot)
    if (hb::TCdxFile* f = h.IndexFile(slot)) f->Flush();
}

void EngineBuildTags(hb::TDbfHandler& h) {
  for (const TTagSpec& t : kTags) h.CreateIndexTag("URUREN.CDX", t.Name, 0, true, "", t.Key);
}

void EngineAppend(hb::TDbfHandler& h, const std::vector<THour>& rows) {
  for (const THour& r : rows) {
    PutHour(h, r);
    h.AppendRecord();
  }
  FlushEngine(h);
}

int64_t EngineWeek(hb::TDbfHandler& h, const std::string& employee, int week, THour& rec) {
  const std::string to = EpochText(int64_t(week + 1) * kWeek);
  h.Find(employee + EpochText(int64_t(week) * kWeek));
  int64_t n = 0;
  while (!h.Eof() && h.ReadRaw(fMedewerker) == employee && h.ReadRaw(fStart) < to) {
    GetHour(h, rec);
    ++n;
    h.GotoRecord(hb::TDbfTable::kGotoNext);
  }
  return n;
}

int64_t EngineFilter(hb::TDbfHandler& h, const std::string& customer, THour& rec) {
  h.SetFilterExpression("", false, false);  // the next one is evaluated afresh
  h.SetFilterExpression("KLANT = '" + customer + "'", false, false);
  h.SetFilterActive(true);
  int64_t n = 0;
  for (h.GotoRecord(hb::TDbfTable::kGotoFirst); !h.Eof(); h.GotoRecord(hb::TDbfTable::kGotoNext)) {
    GetHour(h, rec);
    ++n;
  }
  h.SetFilterActive(false);
  return n;
}

int64_t EngineRange(hb::TDbfHandler& h, THour& rec) {
  int64_t n = 0;
  for (h.GotoRecord(hb::TDbfTable::kGotoFirst); !h.Eof(); h.GotoRecord(hb::TDbfTable::kGotoNext)) {
    GetHour(h, rec);
    ++n;
  }
  return n;
}

void EngineDeleteTenth(hb::TDbfHandler& h, int64_t count) {
  for (int64_t r = 10; r <= count; r += 10) {
    h.GotoRecord(r);
    h.MarkDeleted();
  }
  FlushEngine(h);
}

void EnginePack(hb::TDbfHandler& h) {
  h.Pack();
  FlushEngine(h);
}

// ---- SQLite side ------------------------------------------------------------------------

class TStmt {
 public:
  TStmt(sqlite3* db, const std::string& sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s_, nullptr) != SQLITE_OK)
      throw std::runtime_error(sql + ": " + sqlite3_errmsg(db));
  }
  ~TStmt() { sqlite3_finalize(s_); }
  TStmt(const TStmt&) = delete;
  TStmt& operator=(const TStmt&) = delete;

  void Text(int i, const std::string& v) {
    sqlite3_bind_text(s_, i, v.data(), static_cast<int>(v.size()), SQLITE_STATIC);
  }
  void Int(int i, int64_t v) { sqlite3_bind_int64(s_, i, v); }
  bool Step() {
    int rc = sqlite3_step(s_);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db_));
    return false;
  }
  void Reset() {
    sqlite3_reset(s_);
    sqlite3_clear_bindings(s_);
  }
  std::string Column(int i) {
    const char* p = reinterpret_cast<const char*>(sqlite3_column_text(s_, i));
    return std::string(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(s_, i)));
  }
  int64_t ColumnInt(int i) { return sqlite3_column_int64(s_, i); }

  void GetHour(THour& h) {
    h.Medewerker = Column(0);
    h.Klant = Column(1);
    h.Activiteit = Column(2);
    h.Product = Column(3);
    h.Start = Column(4);
    h.Stop = Column(5);
    h.Status = Column(6);
    h.Werkz = Column(7);
    h.Aantal = static_cast<int>(ColumnInt(8));
  }

 private:
  sqlite3* db_;
  sqlite3_stmt* s_ = nullptr;
};

class TSql {
 public:
  explicit TSql(const fs::path& path) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) {
      std::string msg = sqlite3_errmsg(db_);
      sqlite3_close(db_);
      throw std::runtime_error(path.string() + ": " + msg);
    }
  }
  ~TSql() { sqlite3_close(db_); }
  TSql(const TSql&) = delete;
  TSql& operator=(const TSql&) = delete;

  void Exec(const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
      std::string msg = err ? err : "error";
      sqlite3_free(err);
      throw std::runtime_error(sql + ": " + msg);
    }
  }
  int64_t Scalar(const std::string& sql) {
    TStmt s(db_, sql);
    return s.Step() ? s.ColumnInt(0) : 0;
  }
  sqlite3* Db() { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

const char* kColumns = "medewerker, klant, activiteit, product, start, stop, status, werkz, aantal";

void BindHour(TStmt& s, const THour& h) {
  s.Text(1, h.Medewerker);
  s.Text(2, h.Klant);
  s.Text(3, h.Activiteit);
  s.Text(4, h.Product);
  s.Text(5, h.Start);
  s.Text(6, h.Stop);
  s.Text(7, h.Status);
  s.Text(8, h.Werkz);
  s.Int(9, h.Aantal);
}

const std::string& InsertSql() {
  static const std::string sql =
      std::string("INSERT INTO uren (") + kColumns + ") VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)";
  return sql;
}

void SqlBuildIndexes(TSql& db) {
  for (const TTagSpec& t : kTags)
    db.Exec(std::string("CREATE INDEX idx_") + t.Name + " ON uren (" + t.Columns + ")");
}

void SqlAppend(TSql& db, const std::vector<THour>& rows, bool oneTransaction) {
  TStmt ins(db.Db(), InsertSql());
  if (oneTransaction) db.Exec("BEGIN");
  for (const THour& r : rows) {
    BindHour(ins, r);
    ins.Step();
    ins.Reset();
  }
  if (oneTransaction) db.Exec("COMMIT");
}

std::string SqlSelect(const std::string& rest) {
  return std::string("SELECT ") + kColumns + " FROM uren " + rest;
}

int64_t SqlRead(TStmt& s, THour& rec) {
  int64_t n = 0;
  while (s.Step()) {
    s.GetHour(rec);
    ++n;
  }
  s.Reset();
  return n;
}

int64_t SqlWeek(TStmt& s, const std::string& employee, int week, THour& rec) {
  std::string from = EpochText(int64_t(week) * kWeek), to = EpochText(int64_t(week + 1) * kWeek);
  s.Text(1, employee);
  s.Text(2, from);
  s.Text(3, to);
  return SqlRead(s, rec);
}

void SqlDeleteTenth(TSql& db, int64_t count) {
  TStmt del(db.Db(), "DELETE FROM uren WHERE rowid = ?1");
  db.Exec("BEGIN");
  for (int64_t r = 10; r <= count; r += 10) {
    del.Int(1, r);
    del.Step();
    del.Reset();
  }
  db.Exec("COMMIT");
}

// ---- the data of one size -----------------------------------------------------------------

fs::path& Root() {
  static fs::path root;
  return root;
}

void Fresh(const fs::path& dir) {
  fs::remove_all(dir);
  fs::create_directories(dir);
}

void CopyInto(const fs::path& from, const fs::path& dir, std::initializer_list<const char*> names) {
  for (const char* name : names)
    fs::copy_file(from / name, dir / name, fs::copy_options::overwrite_existing);
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

struct TFixture {
  int64_t Size = 0;
  fs::path Base, Deleted, Work;
  THour First;                     // record 1
  std::vector<THour> Appends;      // the records that follow the table's last one
  std::vector<std::pair<std::string, int>> Weeks;  // employee and week to load
  std::string Customer;            // a customer with about 1 % of the records
  int64_t CustomerCount = 0;
};

void Check(bool ok, const std::string& what) {
  if (!ok) throw std::runtime_error("check failed: " + what);
}

// Base: URUREN.DBF with URUREN.CDX (five tags), uren.db with five indexes, and
// uren-plain.db without them. Deleted: the same after Delete10, made on first use.
TFixture& Fixture(int64_t size) {
  static std::map<int64_t, std::unique_ptr<TFixture>> fixtures;
  auto& slot = fixtures[size];
  if (slot) return *slot;
  auto f = std::make_unique<TFixture>();
  f->Size = size;
  fs::path dir = Root() / ("n" + std::to_string(size));
  f->Base = dir / "base";
  f->Deleted = dir / "deleted";
  f->Work = dir / "work";
  Fresh(f->Base);
  auto t0 = std::chrono::steady_clock::now();
  std::fprintf(stderr, "Generating %lld records in %s ...\n", static_cast<long long>(size),
               dir.c_str());

  THourGenerator gen(true);
  f->First = THourGenerator(true).Next();
  {
    hb::TFoxBuilder b(TablePath(f->Base));
    for (const TFieldSpec& s : kFields) b.AddField(s.Name, s.Type, s.Decimals, s.Width);
    b.Finish();
  }
  TSql db(f->Base / "uren.db");
  db.Exec(
      "CREATE TABLE uren (recno INTEGER PRIMARY KEY, medewerker TEXT, klant TEXT, "
      "activiteit TEXT, product TEXT, start TEXT, stop TEXT, status TEXT, werkz TEXT, "
      "aantal INTEGER)");
  {
    hb::TDbfFields table;
    table.Open(TablePath(f->Base), false, true);
    TStmt ins(db.Db(), InsertSql());
    db.Exec("BEGIN");
    for (int64_t i = 0; i < size; ++i) {
      THour h = gen.Next();
      PutHour(table, h);
      table.AppendRecord();
      BindHour(ins, h);
      ins.Step();
      ins.Reset();
    }
    db.Exec("COMMIT");
    table.FlushFile();
    table.Close();
  }
  int lastWeek = gen.Week();
  for (int64_t i = 0; i < AppendCount(); ++i) f->Appends.push_back(gen.Next());
  std::fprintf(stderr, "  records written (both) in %.1f s\n", Seconds(t0));

  fs::copy_file(f->Base / "uren.db", f->Base / "uren-plain.db");
  t0 = std::chrono::steady_clock::now();
  SqlBuildIndexes(db);
  std::fprintf(stderr, "  SQLite indexes in %.1f s\n", Seconds(t0));
  t0 = std::chrono::steady_clock::now();
  auto h = OpenEngine(f->Base, nullptr);
  EngineBuildTags(*h);
  std::fprintf(stderr, "  engine tags in %.1f s\n", Seconds(t0));

  // Both sides hold the same records: counts, and the first and last record compared.
  Check(int64_t(h->RecordCount()) == size, "engine record count");
  Check(db.Scalar("SELECT count(*) FROM uren") == size, "SQLite row count");
  for (int64_t r : {int64_t(1), size}) {
    THour a, b;
    h->GotoRecord(r);
    GetHour(*h, a);
    TStmt s(db.Db(), SqlSelect("WHERE rowid = ?1"));
    s.Int(1, r);
    Check(s.Step(), "SQLite row " + std::to_string(r));
    s.GetHour(b);
    Check(a.Medewerker == b.Medewerker && a.Klant == b.Klant && a.Activiteit == b.Activiteit &&
              a.Product == b.Product && a.Start == b.Start && a.Stop == b.Stop &&
              a.Status == b.Status && a.Werkz == b.Werkz && a.Aantal == b.Aantal,
          "record " + std::to_string(r) + " alike on both sides");
  }
  h.reset();

  // Weeks to load: random employees in the full weeks of the table.
  std::mt19937 pick(99);
  for (int i = 0; i < 64; ++i)
    f->Weeks.emplace_back(IdText(kFirstEmployee + static_cast<int>(pick() % kEmployees)),
                          kFirstWeek + static_cast<int>(pick() % (lastWeek - kFirstWeek)));
  // The customer whose share comes closest to 1 %.
  {
    TStmt s(db.Db(),
            "SELECT klant, count(*) AS n FROM uren GROUP BY klant ORDER BY abs(n - ?1) LIMIT 1");
    s.Int(1, size / 100);
    Check(s.Step(), "a customer");
    f->Customer = s.Column(0);
    f->CustomerCount = s.ColumnInt(1);
  }
  std::fprintf(stderr, "  weeks %d..%d; customer %s with %lld records\n", kFirstWeek, lastWeek,
               f->Customer.c_str(), static_cast<long long>(f->CustomerCount));
  slot = std::move(f);
  return *slot;
}

// The files after Delete10, the starting point of Pack.
void MakeDeleted(TFixture& f) {
  if (fs::exists(f.Deleted / "uren.db")) return;
  Fresh(f.Deleted);
  CopyInto(f.Base, f.Deleted, {"URUREN.DBF", "URUREN.CDX", "uren.db"});
  EngineDeleteTenth(*OpenEngine(f.Deleted, "TIJD"), f.Size);
  TSql db(f.Deleted / "uren.db");
  SqlDeleteTenth(db, f.Size);
}

// ---- benchmarks ---------------------------------------------------------------------------

using TBody = std::function<void(benchmark::State&, TFixture&)>;

// A fresh copy of the named files of a folder in the work folder, the clock stopped.
void FreshWork(TFixture& f, const fs::path& from, std::initializer_list<const char*> names) {
  Fresh(f.Work);
  CopyInto(from, f.Work, names);
}

void BuildTagsEngine(benchmark::State& state, TFixture& f) {
  for (auto _ : state) {
    state.PauseTiming();
    FreshWork(f, f.Base, {"URUREN.DBF"});
    auto h = OpenEngine(f.Work, nullptr);
    state.ResumeTiming();
    EngineBuildTags(*h);
    state.PauseTiming();
    h->OpenIndexFiles("URUREN.CDX", "TIJD");
    Check(h->TagCount() == 5, "five tags");
    Check(h->FindInTag("TIJD", f.First.Medewerker + f.First.Start) == 1, "TIJD holds record 1");
    h.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * f.Size * 5);
}

void BuildTagsSqlite(benchmark::State& state, TFixture& f) {
  for (auto _ : state) {
    state.PauseTiming();
    Fresh(f.Work);
    fs::copy_file(f.Base / "uren-plain.db", f.Work / "uren.db");
    auto db = std::make_unique<TSql>(f.Work / "uren.db");
    state.ResumeTiming();
    SqlBuildIndexes(*db);
    state.PauseTiming();
    Check(db->Scalar("SELECT count(*) FROM sqlite_master WHERE type = 'index'") == 5,
          "five indexes");
    db.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * f.Size * 5);
}

void AppendEngine(benchmark::State& state, TFixture& f) {
  for (auto _ : state) {
    state.PauseTiming();
    FreshWork(f, f.Base, {"URUREN.DBF", "URUREN.CDX"});
    auto h = OpenEngine(f.Work, "TIJD");
    state.ResumeTiming();
    EngineAppend(*h, f.Appends);
    state.PauseTiming();
    Check(int64_t(h->RecordCount()) == f.Size + AppendCount(), "engine count after append");
    const THour& last = f.Appends.back();
    Check(h->FindInTag("TIJD", last.Medewerker + last.Start) == f.Size + AppendCount(),
          "TIJD holds the last record");
    Check(h->FindInTag("TIJDK", last.Klant + last.Start) > f.Size, "TIJDK holds the new keys");
    h.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * AppendCount());
}

void AppendSqlite(benchmark::State& state, TFixture& f, bool oneTransaction) {
  for (auto _ : state) {
    state.PauseTiming();
    FreshWork(f, f.Base, {"uren.db"});
    auto db = std::make_unique<TSql>(f.Work / "uren.db");
    if (!oneTransaction) db->Exec("PRAGMA synchronous = OFF");
    state.ResumeTiming();
    SqlAppend(*db, f.Appends, oneTransaction);
    state.PauseTiming();
    Check(db->Scalar("SELECT count(*) FROM uren") == f.Size + AppendCount(),
          "SQLite count after append");
    db.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * AppendCount());
}

void WeekLoadEngine(benchmark::State& state, TFixture& f) {
  auto h = OpenEngine(f.Base, "TIJD");
  h->NearFind = true;
  TSql db(f.Base / "uren.db");
  TStmt s(db.Db(), SqlSelect("WHERE medewerker = ?1 AND start >= ?2 AND start < ?3 ORDER BY start"));
  THour rec;
  int64_t total = 0;
  for (auto& [employee, week] : f.Weeks) {
    int64_t n = EngineWeek(*h, employee, week, rec);
    Check(n == SqlWeek(s, employee, week, rec), "week " + employee + "/" + std::to_string(week));
    total += n;
  }
  state.counters["records_per_week"] = double(total) / double(f.Weeks.size());
  int64_t records = 0;
  size_t i = 0;
  for (auto _ : state) {
    auto& [employee, week] = f.Weeks[i++ % f.Weeks.size()];
    records += EngineWeek(*h, employee, week, rec);
  }
  benchmark::DoNotOptimize(rec);
  state.SetItemsProcessed(records);
}

void WeekLoadSqlite(benchmark::State& state, TFixture& f) {
  TSql db(f.Base / "uren.db");
  TStmt s(db.Db(), SqlSelect("WHERE medewerker = ?1 AND start >= ?2 AND start < ?3 ORDER BY start"));
  THour rec;
  int64_t records = 0;
  size_t i = 0;
  for (auto _ : state) {
    auto& [employee, week] = f.Weeks[i++ % f.Weeks.size()];
    records += SqlWeek(s, employee, week, rec);
  }
  benchmark::DoNotOptimize(rec);
  state.SetItemsProcessed(records);
}

void FilterEngine(benchmark::State& state, TFixture& f) {
  auto h = OpenEngine(f.Base, nullptr);
  THour rec;
  for (auto _ : state) Check(EngineFilter(*h, f.Customer, rec) == f.CustomerCount, "filter count");
  state.SetItemsProcessed(state.iterations() * f.Size);
  state.counters["matches"] = double(f.CustomerCount);
}

void FilterSqlite(benchmark::State& state, TFixture& f) {
  TSql db(f.Base / "uren.db");
  TStmt s(db.Db(), SqlSelect("NOT INDEXED WHERE klant = ?1"));
  THour rec;
  for (auto _ : state) {
    s.Text(1, f.Customer);
    Check(SqlRead(s, rec) == f.CustomerCount, "scan count");
  }
  state.SetItemsProcessed(state.iterations() * f.Size);
  state.counters["matches"] = double(f.CustomerCount);
}

void RangeEngine(benchmark::State& state, TFixture& f) {
  auto h = OpenEngine(f.Base, "TIJDK");
  h->SetKeyRange(f.Customer, f.Customer, true);
  THour rec;
  for (auto _ : state) Check(EngineRange(*h, rec) == f.CustomerCount, "range count");
  state.SetItemsProcessed(state.iterations() * f.CustomerCount);
}

void RangeSqlite(benchmark::State& state, TFixture& f) {
  TSql db(f.Base / "uren.db");
  TStmt s(db.Db(), SqlSelect("INDEXED BY idx_TIJDK WHERE klant = ?1 ORDER BY klant, start"));
  THour rec;
  for (auto _ : state) {
    s.Text(1, f.Customer);
    Check(SqlRead(s, rec) == f.CustomerCount, "index count");
  }
  state.SetItemsProcessed(state.iterations() * f.CustomerCount);
}

void DeleteEngine(benchmark::State& state, TFixture& f) {
  for (auto _ : state) {
    state.PauseTiming();
    FreshWork(f, f.Base, {"URUREN.DBF", "URUREN.CDX"});
    auto h = OpenEngine(f.Work, "TIJD");
    state.ResumeTiming();
    EngineDeleteTenth(*h, f.Size);
    state.PauseTiming();
    h->GotoRecord(10);
    Check(h->Deleted(), "record 10 deleted");
    h.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * (f.Size / 10));
}

void DeleteSqlite(benchmark::State& state, TFixture& f) {
  for (auto _ : state) {
    state.PauseTiming();
    FreshWork(f, f.Base, {"uren.db"});
    auto db = std::make_unique<TSql>(f.Work / "uren.db");
    state.ResumeTiming();
    SqlDeleteTenth(*db, f.Size);
    state.PauseTiming();
    Check(db->Scalar("SELECT count(*) FROM uren") == f.Size - f.Size / 10, "rows after delete");
    db.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * (f.Size / 10));
}

void PackEngine(benchmark::State& state, TFixture& f) {
  MakeDeleted(f);
  for (auto _ : state) {
    state.PauseTiming();
    FreshWork(f, f.Deleted, {"URUREN.DBF", "URUREN.CDX"});
    auto h = OpenEngine(f.Work, "TIJD");
    state.ResumeTiming();
    EnginePack(*h);
    state.PauseTiming();
    Check(int64_t(h->RecordCount()) == f.Size - f.Size / 10, "records after pack");
    Check(h->TagCount() == 5, "five tags after pack");
    h.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * f.Size);
}

void PackSqlite(benchmark::State& state, TFixture& f) {
  MakeDeleted(f);
  for (auto _ : state) {
    state.PauseTiming();
    FreshWork(f, f.Deleted, {"uren.db"});
    auto db = std::make_unique<TSql>(f.Work / "uren.db");
    state.ResumeTiming();
    db->Exec("VACUUM");
    state.PauseTiming();
    Check(db->Scalar("SELECT count(*) FROM uren") == f.Size - f.Size / 10, "rows after vacuum");
    db.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * f.Size);
}

void Register(const std::string& name, int64_t size, bool heavy, TBody body) {
  auto* b = benchmark::RegisterBenchmark(
      (name + "/" + std::to_string(size)).c_str(), [size, body](benchmark::State& state) {
        try {
          body(state, Fixture(size));
        } catch (const std::exception& e) {
          state.SkipWithError(e.what());
        }
      });
  if (heavy)
    b->Iterations(1)->Unit(benchmark::kMillisecond);
  else
    b->Unit(benchmark::kMicrosecond);
}

void RegisterAll(int64_t n) {
  using namespace std::placeholders;
  Register("BuildTags/engine", n, true, BuildTagsEngine);
  Register("BuildTags/sqlite", n, true, BuildTagsSqlite);
  Register("Append/engine", n, true, AppendEngine);
  Register("Append/sqlite", n, true, std::bind(AppendSqlite, _1, _2, true));
  Register("AppendRows/sqlite", n, true, std::bind(AppendSqlite, _1, _2, false));
  Register("WeekLoad/engine", n, false, WeekLoadEngine);
  Register("WeekLoad/sqlite", n, false, WeekLoadSqlite);
  Register("CustomerFilter/engine", n, false, FilterEngine);
  Register("CustomerFilter/sqlite", n, false, FilterSqlite);
  Register("CustomerTag/engine", n, false, RangeEngine);
  Register("CustomerTag/sqlite", n, false, RangeSqlite);
  Register("Delete10/engine", n, true, DeleteEngine);
  Register("Delete10/sqlite", n, true, DeleteSqlite);
  Register("Pack/engine", n, true, PackEngine);
  Register("Pack/sqlite", n, true, PackSqlite);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int64_t> list;
  if (!hbbench::StartBenchmarks(argc, argv, "100000,1000000", "hbbench", list, Root())) return 2;
  for (int64_t n : list) RegisterAll(n);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  const char* keep = std::getenv("HB_BENCH_KEEP");
  if (!keep || std::string(keep) != "1") fs::remove_all(Root());
  return 0;
}
