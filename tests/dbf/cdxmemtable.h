// An in-memory table for the index tests: records of a few typed columns, a record buffer
// with its before-image, and key expressions given as functions of a record.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "dbf/exprerror.h"
#include "dbf/indexsource.h"

namespace hbtest {

struct TMemRecord {
  std::string Name;
  double Num = 0;
  double Date = 0;  // julian day number, 0 = empty
  bool Deleted = false;
};

class TMemTable : public hb::TIndexKeySource {
 public:
  using TFn = std::function<hb::TIndexValue(const TMemRecord&)>;

  std::vector<TMemRecord> Records;  // record n at index n - 1
  TMemRecord Buffer, Before;
  std::map<std::string, TFn> Expressions;
  int StatusCalls = 0;
  std::string Path;  // table file path, for the own-index flag
  int Marked = 0;    // calls of MarkOwnIndex

  static hb::TIndexValue Text(const std::string& s) {
    hb::TIndexValue v;
    v.Kind = hb::TIndexValueKind::Text;
    v.Text = s;
    return v;
  }
  static hb::TIndexValue Number(double d, bool date = false) {
    hb::TIndexValue v;
    v.Kind = date ? hb::TIndexValueKind::Date : hb::TIndexValueKind::Number;
    v.Number = d;
    return v;
  }
  static hb::TIndexValue Logical(bool b) {
    hb::TIndexValue v;
    v.Kind = hb::TIndexValueKind::Logical;
    v.Logical = b;
    return v;
  }

  std::unique_ptr<hb::TIndexExpression> Compile(const std::string& text) override {
    auto it = Expressions.find(text);
    if (it == Expressions.end()) throw hb::EDbfExpression("There is no function for " + text);
    struct TExpr : hb::TIndexExpression {
      TMemTable* Table;
      TFn Fn;
      hb::TIndexValue Evaluate(bool before) override {
        return Fn(before ? Table->Before : Table->Buffer);
      }
    };
    auto e = std::make_unique<TExpr>();
    e->Table = this;
    e->Fn = it->second;
    return e;
  }
  uint32_t RecordCount() override { return static_cast<uint32_t>(Records.size()); }
  void LoadRecord(uint32_t recNo) override { Buffer = Before = Records.at(recNo - 1); }
  void ReportStatus(int, int, int) override { ++StatusCalls; }
  std::string TablePath() override { return Path; }
  void MarkOwnIndex() override { ++Marked; }

  // Table writes as the table layer does them, followed by the index upkeep.
  template <class TIndex>
  uint32_t Append(TIndex& index, const TMemRecord& r) {
    Records.push_back(r);
    Buffer = r;
    index.RecordAppended(RecordCount());
    Before = Buffer;
    return RecordCount();
  }
  template <class TIndex>
  void Rewrite(TIndex& index, uint32_t recNo, const TMemRecord& r) {
    Before = Records.at(recNo - 1);
    Buffer = r;
    Records[recNo - 1] = r;
    index.RecordRewritten(recNo);
    Before = Buffer;
  }
};

}  // namespace hbtest
