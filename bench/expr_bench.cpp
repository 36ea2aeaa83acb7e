// Expression evaluation per record: the index key "UPPER(TYPE+VALUE+MEDEWERKER)" and the
// filter "TYPE = 'K'" over 100 000 records, against SQLite doing the same work over a
// 100 000-row table in memory (upper(type||value||medewerker) and type = 'K').
//
// Two settings: the records in memory as table records (deletion byte, then the
// fixed-width fields), which measures evaluation alone, against an in-memory SQLite table;
// and a table file scanned record by record (positioning plus evaluation), against an
// SQLite database file. Every benchmark reports records per second (items_per_second).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QTemporaryDir>
#include <random>
#include <string>
#include <vector>

#include "dbf/dbfbuilder.h"
#include "dbf/dbffields.h"
#include "dbf/exprdbf.h"
#include "dbf/exprhandler.h"
#include "dbf/exprlink.h"

namespace {

constexpr int kRecords = 100000;

struct TRow {
  std::string Type, Value, Medewerker;
};

const std::vector<TRow>& Rows() {
  static const std::vector<TRow> rows = [] {
    std::vector<TRow> out;
    std::mt19937 random(42);
    const char types[] = {'K', 'A', 'P', 'M', 'G'};
    for (int i = 0; i < kRecords; ++i) {
      TRow r;
      r.Type = std::string(1, types[random() % 5]);
      r.Value = std::to_string(1000000000 + random() % 1000000).substr(0, 10);
      r.Medewerker = "00000" + std::to_string(10000 + random() % 90000);
      if (i % 3 == 0) r.Value = "ab\xe9" + r.Value.substr(3);  // some lower case and accents
      out.push_back(r);
    }
    return out;
  }();
  return rows;
}

// The rows as fixed-width table records, all in one buffer.
class TMemTable : public hb::TExpRecordLink {
 public:
  TMemTable()
      : hb::TExpRecordLink(
            "URAUTOR",
            {{"TYPE", 'C', 0, 1, 0}, {"VALUE", 'C', 0, 10, 0}, {"MEDEWERKER", 'C', 0, 10, 0}}) {
    const auto len = static_cast<std::size_t>(RecordLength());
    data_.reserve(len * kRecords);
    for (const TRow& r : Rows()) {
      std::string rec =
          " " + r.Type + r.Value + std::string(10 - r.Value.size(), ' ') + r.Medewerker;
      rec.resize(len, ' ');
      data_ += rec;
    }
  }
  void Go(int index) {
    SetRecord(data_.data() + static_cast<std::size_t>(index) * RecordLength());
    SetPosition(index + 1);
  }

 private:
  std::string data_;
};

void BM_ExprIndexKey(benchmark::State& state) {
  TMemTable table;
  hb::TExpUserLink link(table);
  hb::TExpHandler key(&link, "UPPER(TYPE+VALUE+MEDEWERKER)");
  hb::TExpValue v;
  for (auto _ : state) {
    std::size_t total = 0;
    for (int i = 0; i < kRecords; ++i) {
      table.Go(i);
      key.EvaluateValue(v);
      total += v.Text.size();
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ExprIndexKey)->Unit(benchmark::kMillisecond);

void BM_ExprFilter(benchmark::State& state) {
  TMemTable table;
  hb::TExpUserLink link(table);
  hb::TExpHandler filter(&link, "TYPE = 'K'");
  hb::TExpValue v;
  for (auto _ : state) {
    int passed = 0;
    for (int i = 0; i < kRecords; ++i) {
      table.Go(i);
      filter.EvaluateValue(v);
      passed += v.Bool;
    }
    benchmark::DoNotOptimize(passed);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ExprFilter)->Unit(benchmark::kMillisecond);

// Compiling is done once per index or filter; measured for scale.
void BM_ExprCompile(benchmark::State& state) {
  TMemTable table;
  hb::TExpUserLink link(table);
  for (auto _ : state) {
    hb::TExpHandler key(&link, "UPPER(TYPE+VALUE+MEDEWERKER)");
    benchmark::DoNotOptimize(key.HasTree());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ExprCompile);

QTemporaryDir& Folder() {
  static QTemporaryDir dir;
  return dir;
}

// The rows as a table file, opened exclusively.
hb::TDbfFields& DbfTable() {
  static hb::TDbfFields* table = [] {
    const std::string path = Folder().filePath("URAUTOR.DBF").toStdString();
    hb::TFoxBuilder builder(path);
    builder.AddField("TYPE", 'C', 0, 1);
    builder.AddField("VALUE", 'C', 0, 10);
    builder.AddField("MEDEWERKER", 'C', 0, 10);
    builder.Finish();
    auto* t = new hb::TDbfFields;
    t->Open(path, false, true);
    for (const TRow& r : Rows()) {
      t->BlankRecord();
      t->WriteText(1, r.Type);
      t->WriteText(2, r.Value);
      t->WriteText(3, r.Medewerker);
      t->AppendRecord();
    }
    return t;
  }();
  return *table;
}

void ScanTable(benchmark::State& state, const char* expression) {
  hb::TDbfFields& table = DbfTable();
  hb::TExpDbfLink fields(table);
  hb::TExpUserLink link(fields);
  hb::TExpHandler handler(&link, expression);
  hb::TExpValue v;
  for (auto _ : state) {
    std::size_t total = 0;
    for (table.GotoRecord(hb::TDbfTable::kGotoFirst); !table.Eof();
         table.GotoRecord(hb::TDbfTable::kGotoNext)) {
      handler.EvaluateValue(v);
      total += v.Type == hb::etBoolean ? v.Bool : v.Text.size();
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_DbfScanIndexKey(benchmark::State& state) {
  ScanTable(state, "UPPER(TYPE+VALUE+MEDEWERKER)");
}
BENCHMARK(BM_DbfScanIndexKey)->Unit(benchmark::kMillisecond);

void BM_DbfScanFilter(benchmark::State& state) {
  ScanTable(state, "TYPE = 'K'");
}
BENCHMARK(BM_DbfScanFilter)->Unit(benchmark::kMillisecond);

sqlite3* MakeSqlite(const std::string& name) {
  {
    sqlite3* d = nullptr;
    sqlite3_open(name.c_str(), &d);
    sqlite3_exec(d, "CREATE TABLE t(type TEXT, value TEXT, medewerker TEXT)", nullptr, nullptr,
                 nullptr);
    sqlite3_exec(d, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(d, "INSERT INTO t VALUES(?, ?, ?)", -1, &insert, nullptr);
    for (const TRow& r : Rows()) {
      // Stored as the table stores them: fixed width, space-padded.
      const std::string value = r.Value + std::string(10 - r.Value.size(), ' ');
      sqlite3_bind_text(insert, 1, r.Type.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(insert, 2, value.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(insert, 3, r.Medewerker.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(d, "COMMIT", nullptr, nullptr, nullptr);
    return d;
  }
}

sqlite3* SqliteTable() {
  static sqlite3* db = MakeSqlite(":memory:");
  return db;
}

sqlite3* SqliteFile() {
  static sqlite3* db = MakeSqlite(Folder().filePath("urautor.sqlite").toStdString());
  return db;
}

void SqliteScan(benchmark::State& state, sqlite3* db, const char* sql) {
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
  for (auto _ : state) {
    std::size_t total = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      sqlite3_column_text(stmt, 0);
      total += static_cast<std::size_t>(sqlite3_column_bytes(stmt, 0));
    }
    sqlite3_reset(stmt);
    benchmark::DoNotOptimize(total);
  }
  sqlite3_finalize(stmt);
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_SqliteFileIndexKey(benchmark::State& state) {
  SqliteScan(state, SqliteFile(), "SELECT upper(type||value||medewerker) FROM t");
}
BENCHMARK(BM_SqliteFileIndexKey)->Unit(benchmark::kMillisecond);

void BM_SqliteFileFilter(benchmark::State& state) {
  SqliteScan(state, SqliteFile(), "SELECT count(*) FROM t WHERE type = 'K'");
}
BENCHMARK(BM_SqliteFileFilter)->Unit(benchmark::kMillisecond);

void BM_SqliteIndexKey(benchmark::State& state) {
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(SqliteTable(), "SELECT upper(type||value||medewerker) FROM t", -1, &stmt,
                     nullptr);
  for (auto _ : state) {
    std::size_t total = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      sqlite3_column_text(stmt, 0);
      total += static_cast<std::size_t>(sqlite3_column_bytes(stmt, 0));
    }
    sqlite3_reset(stmt);
    benchmark::DoNotOptimize(total);
  }
  sqlite3_finalize(stmt);
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_SqliteIndexKey)->Unit(benchmark::kMillisecond);

void BM_SqliteFilter(benchmark::State& state) {
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(SqliteTable(), "SELECT count(*) FROM t WHERE type = 'K'", -1, &stmt, nullptr);
  for (auto _ : state) {
    sqlite3_step(stmt);
    benchmark::DoNotOptimize(sqlite3_column_int(stmt, 0));
    sqlite3_reset(stmt);
  }
  sqlite3_finalize(stmt);
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_SqliteFilter)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
