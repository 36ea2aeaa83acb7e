#include "dbf/exprlink.h"

#include <QDate>
#include <charconv>
#include <cstring>

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

namespace {

std::string& ShortDateFormatRef() {
  static std::string format = "dd-mm-yyyy";
  return format;
}

// Reads day, month and year in the order of the short date format; the separators may be
// any non-digits. A two-digit year falls in the hundred years around today.
bool ParseShortDate(std::string_view text, double& julian) {
  std::vector<int> parts;
  std::size_t i = 0;
  std::vector<int> widths;
  while (i < text.size()) {
    if (text[i] >= '0' && text[i] <= '9') {
      int v = 0, n = 0;
      while (i < text.size() && text[i] >= '0' && text[i] <= '9' && n < 9) {
        v = v * 10 + (text[i] - '0');
        ++i;
        ++n;
      }
      if (i < text.size() && text[i] >= '0' && text[i] <= '9') return false;
      parts.push_back(v);
      widths.push_back(n);
    } else if (text[i] == ' ' || text[i] == '-' || text[i] == '/' || text[i] == '.') {
      ++i;
    } else {
      return false;
    }
  }
  if (parts.size() != 3) return false;
  // Order of the parts from the format: the first letter of each of d, m, y.
  const std::string& format = ShortDateFormatRef();
  std::string order;
  for (char c : format) {
    char l = static_cast<char>(LowerByte(static_cast<unsigned char>(c)));
    if ((l == 'd' || l == 'm' || l == 'y') && order.find(l) == std::string::npos) order += l;
  }
  if (order.size() != 3) order = "dmy";
  int day = 0, month = 0, year = 0, yearWidth = 4;
  for (int k = 0; k < 3; ++k) {
    if (order[k] == 'd') day = parts[k];
    if (order[k] == 'm') month = parts[k];
    if (order[k] == 'y') {
      year = parts[k];
      yearWidth = widths[k];
    }
  }
  if (yearWidth <= 2) {
    const int now = QDate::currentDate().year();
    year += now / 100 * 100;
    if (year < now - 50) year += 100;
    if (year > now + 49) year -= 100;
  }
  const QDate date(year, month, day);
  if (!date.isValid()) return false;
  julian = static_cast<double>(date.toJulianDay());
  return true;
}

}  // namespace

bool StoredDateToJulian(std::string_view text, double& julian) {
  text = TrimBlanks(text);
  julian = 0;
  if (text.empty() || text == "00000000") return true;
  if (text.size() == 8 && text.find_first_not_of("0123456789") == std::string_view::npos) {
    auto num = [&](std::size_t at, std::size_t n) {
      int v = 0;
      for (std::size_t k = at; k < at + n; ++k) v = v * 10 + (text[k] - '0');
      return v;
    };
    const QDate date(num(0, 4), num(4, 2), num(6, 2));
    if (!date.isValid()) return false;
    julian = static_cast<double>(date.toJulianDay());
    return true;
  }
  return ParseShortDate(text, julian);
}

void SetExprShortDateFormat(const std::string& format) {
  ShortDateFormatRef() = format;
}
const std::string& ExprShortDateFormat() {
  return ShortDateFormatRef();
}

}  // namespace hb
