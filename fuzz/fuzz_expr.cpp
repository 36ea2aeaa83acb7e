// Fuzz target: compiling and evaluating expressions.
//
// Input: byte 0 holds options (bit 0 case-insensitive comparison, bit 1 wildcard matching
// off, bit 2 compile without a table, bit 3 evaluate on a blank record), the rest is the
// expression text. With a table the expression sees one record of the fields NAME C(12),
// NUM N(10,2), FL F(8,3), DAT D, FLAG L, NOTE M, RAW I(4) under their names and as T.NAME.
// A compiled expression is evaluated twice (a tree is built once and run per record) and
// rendered as text.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "dbf/exprhandler.h"
#include "dbf/exprlink.h"

namespace {

struct TRecordTable {
  hb::TExpRecordLink Link;
  hb::TExpUserLink User;
  std::string Filled, Blank;

  TRecordTable()
      : Link("T",
             {{"NAME", 'C', 0, 12, 0},
              {"NUM", 'N', 0, 10, 2},
              {"FL", 'F', 0, 8, 3},
              {"DAT", 'D', 0, 8, 0},
              {"FLAG", 'L', 0, 1, 0},
              {"NOTE", 'M', 0, 10, 0},
              {"RAW", 'I', 0, 4, 0}}),
        User(Link) {
    Filled = std::string(" Werkoverleg ") + "    -12.50" + "   3.142" + "20040112" + "T" +
             "         8" + std::string("\x01\x00\x00\x80", 4);
    Blank = std::string(static_cast<size_t>(Link.RecordLength()), ' ');
    Filled.resize(static_cast<size_t>(Link.RecordLength()), ' ');
    Link.SetPosition(1);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TRecordTable table;
  if (size < 1) return 0;
  hb::TExpCompareOptions options;
  options.CaseInsensitive = data[0] & 1;
  options.Wildcards = !(data[0] & 2);
  bool noTable = data[0] & 4;
  table.Link.SetRecord(data[0] & 8 ? table.Blank.data() : table.Filled.data());
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  try {
    hb::TExpHandler e(noTable ? nullptr : &table.User, text, options);
    hb::TDbVariant v;
    e.Evaluate(v);
    e.Evaluate(v);
    e.TreeText();
    e.FieldNames();
  } catch (const hb::EDbfError&) {
  } catch (const hb::EMathError&) {
  }
  return 0;
}
