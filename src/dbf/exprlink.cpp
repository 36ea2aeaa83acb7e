#include "dbf/exprlink.h"

#include <charconv>
#include <cstring>

#include "dbf/dbffields.h"
#include "dbf/exprnodes.h"

namespace hb {

int TExpTableLink::FieldNumber(std::string_view name) const {
  std::string wanted(TrimBlanks(name));
  UpperInPlace(wanted);
  for (int i = 1; i <= FieldCount(); ++i) {
    std::string have(TrimBlanks(FieldName(i)));
    UpperInPlace(have);
    if (have == wanted) return i;
  }
  return 0;
}

TExpRecordLink::TExpRecordLink(std::string alias, std::vector<TExpFieldDef> fields,
                               std::string path)
    : alias_(std::move(alias)), path_(std::move(path)), fields_(std::move(fields)) {
  UpperInPlace(alias_);
  bool anyOffset = false;
  for (const auto& f : fields_) anyOffset = anyOffset || f.Offset != 0;
  int offset = 1;
  for (auto& f : fields_) {
    UpperInPlace(f.Name);
    if (!anyOffset) f.Offset = offset;
    offset += f.Width;
    recordLength_ = std::max(recordLength_, f.Offset + f.Width);
  }
}

std::string TExpRecordLink::FieldName(int field) const {
  return field >= 1 && field <= FieldCount() ? fields_[field - 1].Name : std::string();
}

char TExpRecordLink::FieldType(int field) const {
  return field >= 1 && field <= FieldCount() ? fields_[field - 1].Type : '\0';
}

int TExpRecordLink::FieldWidth(int field) const {
  return field >= 1 && field <= FieldCount() ? fields_[field - 1].Width : 0;
}

int TExpRecordLink::FieldDecimals(int field) const {
  return field >= 1 && field <= FieldCount() ? fields_[field - 1].Decimals : 0;
}

namespace {

bool ParseStoredNumber(std::string_view s, double& value) {
  s = TrimBlanks(s);
  value = 0;
  if (s.empty()) return true;
  bool negative = false;
  if (s[0] == '+' || s[0] == '-') {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  if (s.empty() || (s.front() == '.' && s.size() == 1)) return false;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::fixed);
  if (ec != std::errc() || end != s.data() + s.size()) return false;
  if (negative) value = -value;
  return true;
}

[[noreturn]] void RaiseFieldValue(const char* format, const TExpTableLink& table, int field,
                                  std::string_view text) {
  std::string what = table.Alias() + "->" + table.FieldName(field) + " (" + std::string(text) + ")";
  RaiseExprError(format, {what});
}

}  // namespace

void TExpRecordLink::ReadField(int field, TExpValue& value) {
  const char* record = CurrentRecord();
  if (field < 1 || field > FieldCount() || !record) {
    value.SetText({});
    return;
  }
  const TExpFieldDef& f = fields_[field - 1];
  std::string_view raw(record + f.Offset, static_cast<std::size_t>(f.Width));
  switch (f.Type) {
    case 'C':
      value.Type = etText;
      value.Text.assign(raw);
      return;
    case 'N':
    case 'F': {
      double number;
      if (!ParseStoredNumber(raw, number))
        RaiseFieldValue("Invalid numeric value in field %s", *this, field, TrimBlanks(raw));
      value.SetNumber(number);
      return;
    }
    case 'D': {
      double julian;
      if (!StoredDateToJulian(raw, julian))
        RaiseFieldValue("Invalid date in field %s", *this, field, TrimBlanks(raw));
      value.SetNumber(julian, etDate);
      return;
    }
    case 'L':
      value.SetBool(f.Width > 0 && std::memchr("TtYyJj", raw[0], 6) != nullptr && raw[0] != 0);
      return;
    case 'M':
      value.SetText(ReadMemo(field, raw));
      return;
    default:
      value.Type = etMemo;
      value.Text.assign(raw);
      return;
  }
}

TTableFieldVar::TTableFieldVar(TExpTableLink& table, int field)
    : TUserDefFieldVar(table.FieldName(field) + ";" + table.Alias() + "." + table.FieldName(field)),
      table_(table),
      field_(field) {}

namespace {

// Table functions: they read the state of the table the expression is bound to.
class TTableFunction : public TUserDefFunction {
 public:
  TTableFunction(TExpTableLink& table, const char* name) : table_(table), name_(name) {}
  std::string FunctionName() const override { return name_; }

 protected:
  // The field named by the first argument (a text); 0 when there is none.
  int NamedField(const TExpFunction& call, TExpValue& arg) const {
    FetchArgument(call, 0, etText, arg);
    return table_.FieldNumber(arg.Text);
  }
  [[noreturn]] void NoSuchField(const TExpValue& arg) const {
    RaiseExprError("There is no field name %s",
                   {table_.TablePath() + "->" + std::string(TrimBlanks(arg.Text))});
  }

  TExpTableLink& table_;
  const char* name_;
};

class TTableRecNo : public TTableFunction {
 public:
  explicit TTableRecNo(TExpTableLink& t) : TTableFunction(t, "RECNO") {}
  void Execute(const TExpFunction&, TExpValue& result) override {
    result.SetNumber(static_cast<double>(table_.RecNo()));
  }
};

class TTableDeleted : public TTableFunction {
 public:
  explicit TTableDeleted(TExpTableLink& t) : TTableFunction(t, "DELETED") {}
  void Execute(const TExpFunction&, TExpValue& result) override {
    result.SetBool(table_.Deleted());
  }
};

class TTableBOF : public TTableFunction {
 public:
  explicit TTableBOF(TExpTableLink& t) : TTableFunction(t, "BOF") {}
  void Execute(const TExpFunction&, TExpValue& result) override { result.SetBool(table_.Bof()); }
};

class TTableEOF : public TTableFunction {
 public:
  explicit TTableEOF(TExpTableLink& t) : TTableFunction(t, "EOF") {}
  void Execute(const TExpFunction&, TExpValue& result) override { result.SetBool(table_.Eof()); }
};

class TTableType : public TTableFunction {
 public:
  explicit TTableType(TExpTableLink& t) : TTableFunction(t, "TYPE") {}
  void Execute(const TExpFunction& call, TExpValue& result) override {
    const int field = NamedField(call, result);
    if (field == 0) NoSuchField(result);
    result.SetText(std::string(1, table_.FieldType(field)));
  }
};

class TTableLen : public TTableFunction {
 public:
  explicit TTableLen(TExpTableLink& t) : TTableFunction(t, "LEN") {}
  void Execute(const TExpFunction& call, TExpValue& result) override {
    const int field = NamedField(call, result);
    if (field == 0) NoSuchField(result);
    result.SetNumber(table_.FieldWidth(field));
  }
};

class TTableFieldNo : public TTableFunction {
 public:
  explicit TTableFieldNo(TExpTableLink& t) : TTableFunction(t, "FIELDNO") {}
  void Execute(const TExpFunction& call, TExpValue& result) override {
    result.SetNumber(NamedField(call, result));
  }
};

}  // namespace

TExpUserLink::TExpUserLink(TExpTableLink& table) : table_(table) {
  functions_.RegisterFunction(std::make_unique<TTableRecNo>(table));
  functions_.RegisterFunction(std::make_unique<TTableDeleted>(table));
  functions_.RegisterFunction(std::make_unique<TTableBOF>(table));
  functions_.RegisterFunction(std::make_unique<TTableEOF>(table));
  functions_.RegisterFunction(std::make_unique<TTableType>(table));
  functions_.RegisterFunction(std::make_unique<TTableLen>(table));
  functions_.RegisterFunction(std::make_unique<TTableFieldNo>(table));
  for (int i = 1; i <= table.FieldCount(); ++i)
    fields_.RegisterFieldVar(std::make_unique<TTableFieldVar>(table, i));
}

TUserDefFieldVar* TExpUserLink::FindField(std::string_view upperName) const {
  if (upperName.find('.') == std::string_view::npos && upperName.size() > 10)
    upperName = upperName.substr(0, 10);
  return fields_.Find(upperName);
}

bool StoredDateToJulian(std::string_view text, double& julian) {
  int64_t day = 0;
  const bool ok = TDbfFields::ParseDateText(std::string(text), day);
  julian = ok ? static_cast<double>(day) : 0;
  return ok;
}

void SetExprShortDateFormat(const std::string& format) {
  TDbfFields::SetShortDateFormat(format);
}
const std::string& ExprShortDateFormat() {
  return TDbfFields::ShortDateFormat();
}

}  // namespace hb
