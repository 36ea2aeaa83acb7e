// A small in-memory table for the expression tests: the hour table's key fields and one
// field of every type the expression language converts.
#pragma once

#include <string>
#include <vector>

#include "dbf/exprhandler.h"
#include "dbf/exprlink.h"
#include "dbf/funcs.h"

namespace hbtest {

class TExprTestTable : public hb::TExpRecordLink {
 public:
  TExprTestTable()
      : hb::TExpRecordLink("URUREN",
                           {{"TYPE", 'C', 0, 1, 0},
                            {"VALUE", 'C', 0, 10, 0},
                            {"MEDEWERKER", 'C', 0, 10, 0},
                            {"START", 'C', 0, 12, 0},
                            {"DATUM", 'D', 0, 8, 0},
                            {"BEDRAG", 'N', 0, 10, 2},
                            {"KLAAR", 'L', 0, 1, 0},
                            {"NOTITIE", 'M', 0, 10, 0},
                            {"BLOB", 'B', 0, 10, 0}},
                           "/data/URUREN.DBF"),
        record_(static_cast<std::size_t>(RecordLength()), ' ') {
    SetRecord(record_.data());
    SetPosition(1);
  }

  // Writes the stored text of a field, left-aligned and space-padded (numbers right-aligned).
  void Set(const std::string& name, const std::string& stored) {
    for (const auto& f : Fields()) {
      if (f.Name != name) continue;
      std::string text = stored.substr(0, static_cast<std::size_t>(f.Width));
      const std::size_t pad = static_cast<std::size_t>(f.Width) - text.size();
      text = (f.Type == 'N') ? std::string(pad, ' ') + text : text + std::string(pad, ' ');
      record_.replace(static_cast<std::size_t>(f.Offset), text.size(), text);
      return;
    }
  }
  void SetDeleted(bool deleted) { record_[0] = deleted ? '*' : ' '; }
  std::string Memo = "memo text";

 protected:
  std::string ReadMemo(int, std::string_view block) override {
    return hb::TrimBlanks(block).empty() ? std::string() : Memo;
  }

 private:
  std::string record_;
};

// A value as a short text for tables of expected results: texts in quotes, numbers as
// they read, dates as D:yyyymmdd, truth values as .T./.F., memo as M:'...'.
inline std::string Show(const hb::TExpValue& v) {
  switch (v.Type) {
    case hb::etText:
      return "'" + v.Text + "'";
    case hb::etMemo:
      return "M:'" + v.Text + "'";
    case hb::etBoolean:
      return v.Bool ? ".T." : ".F.";
    case hb::etDate:
      return "D:" + hb::DtosText(v.Num);
    case hb::etEmpty:
      return "<empty>";
    default:
      if (hb::IsNumericType(v.Type)) return hb::NumberText(v.Num);
      return "<type " + std::to_string(v.Type) + ">";
  }
}

// Compiles and evaluates an expression; the text of the error when one is raised.
inline std::string Eval(const std::string& text, hb::TExpUserLink* link = nullptr,
                        hb::TExpCompareOptions options = {}) {
  try {
    hb::TExpHandler h(link, text, options);
    hb::TExpValue v;
    h.EvaluateValue(v);
    return Show(v);
  } catch (const hb::EDbfExpression& e) {
    return std::string("error: ") + e.what();
  }
}

}  // namespace hbtest
