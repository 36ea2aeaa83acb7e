// Fuzz target: opening and reading a table file (.DBF).
//
// The input is the whole table file. It is opened read-only through the table handler
// (read-ahead on, as the program reads in physical order), walked forward and backward,
// and every field of every record is read as display text, as a typed value and through
// the expression language. When the last input byte is odd the table is then opened
// read-write and a record is appended, rewritten, deleted and recalled, so that the writers
// also meet damaged headers.
//
// Engine errors (EDbfError) and arithmetic errors of expressions are the expected answer
// to a damaged file; anything else — a sanitizer report, another exception, a hang — is a
// finding.
#include <cstdint>
#include <memory>
#include <string>

#include "dbf/dbfhandler.h"
#include "dbf/exprdbf.h"
#include "dbf/exprhandler.h"
#include "fuzzcommon.h"

namespace {

constexpr uint32_t kMaxRecords = 64;

void ReadFields(hb::TDbfHandler& t, hb::TExpUserLink& link) {
  for (int f = 1; f <= t.FieldCount(); ++f) {
    try {
      t.ReadText(f);
    } catch (const hb::EDbfError&) {
    }
    try {
      switch (t.FieldType(f)) {
        case 'N':
        case 'F':
          t.ReadNumber(f);
          break;
        case 'D':
          t.ReadDate(f);
          break;
        case 'L':
          t.ReadLogical(f);
          break;
        default:
          t.ReadRaw(f);
      }
    } catch (const hb::EDbfError&) {
    }
    try {
      hb::TExpHandler e(&link, t.FieldName(f));
      hb::TDbVariant v;
      e.Evaluate(v);
    } catch (const hb::EDbfError&) {
    } catch (const hb::EMathError&) {
    }
  }
}

void ReadTable(const std::string& path) {
  hb::TDbfHandler t;
  t.Open(path, false, false);
  hb::TExpDbfLink fields(t);
  hb::TExpUserLink link(fields);
  t.GotoRecord(hb::TDbfTable::kGotoFirst);
  for (uint32_t n = 0; n < kMaxRecords && !t.Eof(); ++n) {
    ReadFields(t, link);
    t.GotoRecord(hb::TDbfTable::kGotoNext);
  }
  t.GotoRecord(hb::TDbfTable::kGotoLast);
  for (uint32_t n = 0; n < 4 && !t.Bof(); ++n) t.GotoRecord(hb::TDbfTable::kGotoPrevious);
  if (t.RecordCount() > 0) {
    t.GotoRecord(t.RecordCount());
    ReadFields(t, link);
  }
  try {
    t.GotoRecord(static_cast<int64_t>(t.RecordCount()) + 1);
    t.GotoRecord(static_cast<int64_t>(t.RecordCount()) + 2);
  } catch (const hb::EDbfError&) {
  }
}

void WriteTable(const std::string& path) {
  hb::TDbfHandler t;
  t.Open(path, false, true);
  t.BlankRecord();
  for (int f = 1; f <= t.FieldCount(); ++f) {
    try {
      t.WriteText(f, "1");
    } catch (const hb::EDbfError&) {
    }
  }
  t.AppendRecord();
  t.GotoRecord(1);
  t.RewriteRecord(1);
  t.MarkDeleted();
  t.UnmarkDeleted();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = hbfuzz::TempPath("T.DBF");
  hbfuzz::WriteBytes(path, data, size);
  try {
    ReadTable(path);
  } catch (const hb::EDbfError&) {
  }
  if (size > 0 && (data[size - 1] & 1)) {
    try {
      WriteTable(path);
    } catch (const hb::EDbfError&) {
    }
  }
  return 0;
}
