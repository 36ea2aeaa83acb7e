#include "dbf/dbffields.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "dbf/memofile.h"
#include "platform/codepage.h"

namespace hb {

namespace {

std::string TrimRight(std::string s) {
  s.erase(s.find_last_not_of(std::string_view(" \0", 2)) + 1);
  return s;
}

std::string Trim(std::string s) {
  s = TrimRight(std::move(s));
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  return s.substr(i);
}

// A decimal number with "." as the point; the whole text must be used.
bool ParseNumber(const std::string& text, double& value) {
  std::string t = Trim(text);
  if (t.empty()) return false;
  const char* b = t.data();
  const char* e = t.data() + t.size();
  if (*b == '+') ++b;
  if (b == e) return false;
  auto res = std::from_chars(b, e, value, std::chars_format::fixed);
  if (res.ec != std::errc() || res.ptr != e) {
    // Exponent notation is accepted as well.
    res = std::from_chars(b, e, value, std::chars_format::general);
    if (res.ec != std::errc() || res.ptr != e) return false;
  }
  return std::isfinite(value);
}

std::string FormatNumber(double value, int decimals) {
  // Halves are rounded away from zero, as the stored text would be by hand (12.25 with
  // one decimal gives 12.3); printf alone would round the binary value to even.
  double scale = std::pow(10.0, decimals);
  if (decimals <= 15 && std::fabs(value * scale) < 1e15) {
    double scaled = value * scale;
    double r = std::round(scaled);
    // Undo the binary error of the product (2.675 * 100 = 267.49999...).
    if (std::fabs(scaled - r) != 0.5 &&
        std::fabs(std::fabs(scaled - std::trunc(scaled)) - 0.5) < 1e-9)
      r = std::trunc(scaled) + (scaled < 0 ? -1 : 1);
    value = r / scale;
  }
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  std::string s = buf;
  // A value that rounds to zero is written without its minus sign.
  if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
  return s;
}

bool IsMemoType(char t) {
  return t == 'M' || t == 'B' || t == 'G';
}

std::string& DateFormat() {
  static std::string format = "dd-mm-yyyy";
  return format;
}

}  // namespace

void TDbfFields::SetShortDateFormat(const std::string& format) {
  DateFormat() = format;
}
const std::string& TDbfFields::ShortDateFormat() {
  return DateFormat();
}

bool TDbfFields::ParseDateText(const std::string& text, int64_t& julian) {
  std::string t = Trim(text);
  if (t.empty() || t == "00000000") {
    julian = 0;
    return true;
  }
  int y = 0, m = 0, d = 0;
  if (t.size() == 8 && t.find_first_not_of("0123456789") == std::string::npos) {
    y = std::stoi(t.substr(0, 4));
    m = std::stoi(t.substr(4, 2));
    d = std::stoi(t.substr(6, 2));
  } else {
    // The short date format: the order of its d, m and y groups gives the order of the
    // numbers in the text; any non-digit separates them.
    std::string order;
    for (char c : DateFormat()) {
      char l = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if ((l == 'd' || l == 'm' || l == 'y') && (order.empty() || order.back() != l)) order += l;
    }
    std::vector<std::string> parts;
    std::string cur;
    for (char c : t) {
      if (c >= '0' && c <= '9') {
        cur += c;
      } else if (!cur.empty()) {
        parts.push_back(cur);
        cur.clear();
      } else if (c != ' ') {
        if (parts.empty()) return false;
      }
    }
    if (!cur.empty()) parts.push_back(cur);
    if (parts.size() != 3 || order.size() != 3) return false;
    for (int i = 0; i < 3; ++i) {
      if (parts[i].size() > 4) return false;
      int v = std::stoi(parts[i]);
      if (order[i] == 'd') d = v;
      if (order[i] == 'm') m = v;
      if (order[i] == 'y') {
        y = v;
        if (parts[i].size() <= 2) y += y < 50 ? 2000 : 1900;
      }
    }
  }
  if (!ValidDate(y, m, d)) return false;
  julian = JulianFromDate(y, m, d);
  return true;
}

std::string TDbfFields::FieldArg(int field, const std::string& text) const {
  return std::filesystem::path(path_).stem().string() + "->" + Def(field).Name + " (" + text + ")";
}

bool TDbfFields::Binary30(int field) const {
  if (Version() != 0x30) return false;
  char t = Def(field).Type;
  return t == 'I' || t == 'T' || t == 'Y' || t == 'B' ||
         ((t == 'M' || t == 'G') && Def(field).Width == 4);
}

void TDbfFields::MarkChanged(int field) {
  changed_[static_cast<size_t>(field)] = true;
  recordChanged_ = true;
}

void TDbfFields::PutField(int field, const std::string& value) {
  const auto& f = Def(field);
  std::string cell(static_cast<size_t>(f.Width), ' ');
  std::string v = value.substr(0, cell.size());
  if (f.Type == 'C' || f.Type == 'D' || f.Type == 'L')
    cell.replace(0, v.size(), v);
  else
    cell.replace(cell.size() - v.size(), v.size(), v);
  std::memcpy(record_.data() + f.Offset, cell.data(), cell.size());
  MarkChanged(field);
}

int TDbfFields::FindField(const std::string& name) {
  std::string want = AnsiUpperCase(TrimRight(name));
  for (const auto& f : fields_)
    if (AnsiUpperCase(f.Name) == want) return f.Number;
  return 0;
}

int TDbfFields::FieldByName(const std::string& name) {
  int n = FindField(name);
  if (n == 0) RaiseDbfError("There is no field name %s", {path_ + "->" + name});
  return n;
}

int TDbfFields::FieldDecimals(int field) {
  return ValidField(field) ? Def(field).Decimals : 0;
}
int TDbfFields::FieldWidth(int field) {
  return ValidField(field) ? Def(field).Width : 0;
}
int TDbfFields::FieldOffset(int field) {
  return ValidField(field) ? Def(field).Offset : 0;
}
std::string TDbfFields::FieldName(int field) {
  return ValidField(field) ? Def(field).Name : std::string();
}
char TDbfFields::FieldType(int field) {
  return ValidField(field) ? Def(field).Type : '\0';
}

std::string TDbfFields::ReadRaw(int field) {
  if (!ValidField(field)) return {};
  const auto& f = Def(field);
  return std::string(record_.data() + f.Offset, static_cast<size_t>(f.Width));
}

void TDbfFields::WriteRaw(int field, const std::string& bytes) {
  if (!ValidField(field)) return;
  PutField(field, bytes);
}

void TDbfFields::BlankRecord() {
  std::fill(record_.begin(), record_.end() - 1, ' ');
  for (const auto& f : fields_) {
    if (Binary30(f.Number) ||
        (Version() == 0x30 && (f.Type == 'I' || f.Type == 'T' || f.Type == 'Y')))
      std::memset(record_.data() + f.Offset, 0, static_cast<size_t>(f.Width));
    else if (f.Type == 'N' || f.Type == 'F')
      WriteNumber(f.Number, 0);
  }
  SetAllChanged(true);
}

double TDbfFields::ReadNumber(int field) {
  if (!ValidField(field)) return 0;
  const auto& f = Def(field);
  const auto* p = reinterpret_cast<const unsigned char*>(record_.data() + f.Offset);
  if (Binary30(field)) {
    switch (f.Type) {
      case 'I':
        return static_cast<int32_t>(GetLE32(p));
      case 'Y': {
        int64_t v = int64_t(uint64_t(GetLE32(p)) | uint64_t(GetLE32(p + 4)) << 32);
        return static_cast<double>(v) / 10000.0;
      }
      case 'B': {
        double d;
        std::memcpy(&d, p, 8);
        return d;
      }
      case 'T':
        return static_cast<int32_t>(GetLE32(p)) + GetLE32(p + 4) / 86400000.0;
      default:
        return GetLE32(p);
    }
  }
  if (f.Type != 'N' && f.Type != 'F' && !IsMemoType(f.Type))
    RaiseDbfError("Field %s is the incorrect type", {f.Name});
  std::string text = Trim(ReadRaw(field));
  if (text.empty()) return 0;
  double v = 0;
  if (!ParseNumber(text, v))
    RaiseDbfError("Invalid numeric value in field %s", {FieldArg(field, text)});
  return v;
}

void TDbfFields::WriteNumber(int field, double value) {
  if (!ValidField(field)) return;
  const auto& f = Def(field);
  auto* p = reinterpret_cast<unsigned char*>(record_.data() + f.Offset);
  if (Binary30(field)) {
    switch (f.Type) {
      case 'I':
        PutLE32(p, static_cast<uint32_t>(static_cast<int32_t>(std::llround(value))));
        break;
      case 'Y': {
        auto v = static_cast<uint64_t>(std::llround(value * 10000.0));
        PutLE32(p, uint32_t(v));
        PutLE32(p + 4, uint32_t(v >> 32));
        break;
      }
      case 'B':
        std::memcpy(p, &value, 8);
        break;
      case 'T': {
        double day = std::floor(value);
        PutLE32(p, static_cast<uint32_t>(static_cast<int32_t>(day)));
        PutLE32(p + 4, static_cast<uint32_t>(std::llround((value - day) * 86400000.0)));
        break;
      }
      default:
        PutLE32(p, static_cast<uint32_t>(value));
        break;
    }
    MarkChanged(field);
    return;
  }
  if (f.Type != 'N' && f.Type != 'F' && !IsMemoType(f.Type))
    RaiseDbfError("Field %s is the incorrect type", {f.Name});
  if (!std::isfinite(value)) RaiseDbfError("Invalid %s value for field %s", {"Number", f.Name});
  std::string text = FormatNumber(value, IsMemoType(f.Type) ? 0 : f.Decimals);
  if (static_cast<int>(text.size()) > f.Width)
    RaiseDbfError("numeric value too big in field %s", {f.Name + " - " + text});
  PutField(field, text);
}

int64_t TDbfFields::ReadDate(int field) {
  if (!ValidField(field)) return 0;
  const auto& f = Def(field);
  if (Version() == 0x30 && f.Type == 'T')
    return static_cast<int32_t>(
        GetLE32(reinterpret_cast<const unsigned char*>(record_.data() + f.Offset)));
  if (f.Type != 'D' && f.Type != 'C') RaiseDbfError("Field %s is the incorrect type", {f.Name});
  std::string text = TrimRight(ReadRaw(field));
  int64_t julian = 0;
  if (!ParseDateText(text, julian))
    RaiseDbfError("Invalid date in field %s", {FieldArg(field, text)});
  return julian;
}

void TDbfFields::WriteDate(int field, int64_t julian) {
  if (!ValidField(field)) return;
  const auto& f = Def(field);
  if (julian == -1) RaiseDbfError("Invalid %s value for field %s", {"Date", f.Name});
  if (Version() == 0x30 && f.Type == 'T') {
    WriteNumber(field, static_cast<double>(julian > 0 ? julian : 0));
    return;
  }
  if (f.Type != 'D' && f.Type != 'C') RaiseDbfError("Field %s is the incorrect type", {f.Name});
  if (julian <= 0) {
    PutField(field, std::string(8, ' '));
    return;
  }
  int y, m, d;
  DateFromJulian(julian, y, m, d);
  if (y < 1 || y > 9999) RaiseDbfError("Invalid %s value for field %s", {"Date", f.Name});
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d", y, m, d);
  PutField(field, buf);
}

bool TDbfFields::ReadLogical(int field) {
  if (!ValidField(field)) return false;
  char c = record_[static_cast<size_t>(Def(field).Offset)];
  return c != '\0' && std::strchr("TtYyJj", c) != nullptr;
}

void TDbfFields::WriteLogical(int field, bool value) {
  if (!ValidField(field)) return;
  if (Def(field).Type != 'L')
    RaiseDbfError("Invalid %s value for field %s", {"Logical", Def(field).Name});
  PutField(field, value ? "T" : "F");
}

std::string TDbfFields::ReadText(int field) {
  if (!ValidField(field)) return {};
  const auto& f = Def(field);
  if (Binary30(field) && !IsMemoType(f.Type)) {
    double v = ReadNumber(field);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", f.Type == 'Y' ? 4 : 0, v);
    return buf;
  }
  switch (f.Type) {
    case 'D': {
      int64_t julian = ReadDate(field);
      if (julian == 0) return {};
      int y, m, d;
      DateFromJulian(julian, y, m, d);
      std::string out;
      const std::string& fmt = DateFormat();
      for (size_t i = 0; i < fmt.size();) {
        char l = static_cast<char>(std::tolower(static_cast<unsigned char>(fmt[i])));
        size_t j = i;
        while (j < fmt.size() && std::tolower(static_cast<unsigned char>(fmt[j])) == l) ++j;
        char buf[8];
        if (l == 'd')
          std::snprintf(buf, sizeof buf, j - i >= 2 ? "%02d" : "%d", d), out += buf;
        else if (l == 'm')
          std::snprintf(buf, sizeof buf, j - i >= 2 ? "%02d" : "%d", m), out += buf;
        else if (l == 'y')
          std::snprintf(buf, sizeof buf, "%04d", y), out += buf;
        else
          out.append(fmt, i, j - i);
        i = j;
      }
      return out;
    }
    case 'N':
    case 'F': {
      std::string text = Trim(ReadRaw(field));
      if (text.empty()) return Trim(FormatNumber(0, f.Decimals));
      return text;
    }
    case 'L':
      return ReadLogical(field) ? "T" : "F";
    case 'M':
      return ReadMemoText(field);
    case 'B':
      return Trim(ReadRaw(field)) > "0" ? "--BINARY--" : "--binary--";
    case 'G':
      return Trim(ReadRaw(field)) > "0" ? "-GENERAL--" : "-general--";
    default: {
      // The stored text without trailing blanks and zero bytes, copied once.
      const char* text = record_.data() + f.Offset;
      size_t n = static_cast<size_t>(f.Width);
      while (n > 0 && (text[n - 1] == ' ' || text[n - 1] == '\0')) --n;
      return std::string(text, n);
    }
  }
}

void TDbfFields::WriteText(int field, const std::string& text) {
  if (!ValidField(field)) return;
  const auto& f = Def(field);
  switch (f.Type) {
    case 'D': {
      int64_t julian = 0;
      if (!ParseDateText(text, julian))
        RaiseDbfError("Invalid %s value for field %s", {"Date", f.Name});
      WriteDate(field, julian);
      return;
    }
    case 'N':
    case 'F': {
      std::string t = Trim(text);
      double v = 0;
      if (!t.empty() && !ParseNumber(t, v))
        RaiseDbfError("Invalid %s value for field %s", {"Number", f.Name});
      WriteNumber(field, v);
      return;
    }
    case 'L': {
      char c = text.empty() ? 'F' : text[0];
      if (std::strchr("TtYyJj", c)) return WriteLogical(field, true);
      if (std::strchr("FfNn", c)) return WriteLogical(field, false);
      double v = 0;
      if (!ParseNumber(text, v))
        RaiseDbfError("Invalid %s value for field %s", {"Logical", f.Name});
      return WriteLogical(field, v != 0);
    }
    case 'M':
      WriteMemo(field, text);
      return;
    default:
      if (Binary30(field)) {
        double v = 0;
        if (!ParseNumber(text, v))
          RaiseDbfError("Invalid %s value for field %s", {"Number", f.Name});
        WriteNumber(field, v);
        return;
      }
      PutField(field, text);
  }
}

void TDbfFields::SetDeletionByte(char mark) {
  if (record_[0] == mark) return;
  if (recNo_ == 0 || recNo_ > RecordCount())
    RaiseDbfError("Record number %d is not in table %s", {std::to_string(recNo_), path_});
  char old = record_[0];
  record_[0] = mark;
  changed_[0] = true;
  recordChanged_ = true;
  try {
    RewriteRecord(recNo_);
  } catch (...) {
    record_[0] = old;
    throw;
  }
}

void TDbfFields::MarkDeleted() { SetDeletionByte('*'); }

void TDbfFields::UnmarkDeleted() { SetDeletionByte(' '); }

uint32_t TDbfFields::MemoBlock(int field) {
  if (!ValidField(field) || !IsMemoType(Def(field).Type)) return 0;
  if (Binary30(field))
    return GetLE32(reinterpret_cast<const unsigned char*>(record_.data() + Def(field).Offset));
  std::string t = Trim(ReadRaw(field));
  if (t.empty() || t.find_first_not_of("0123456789") != std::string::npos) return 0;
  unsigned long long v = std::strtoull(t.c_str(), nullptr, 10);
  return v > 0xFFFFFFFFull ? 0 : static_cast<uint32_t>(v);
}

void TDbfFields::SetMemoBlock(int field, uint32_t block) {
  if (Binary30(field)) {
    PutLE32(reinterpret_cast<unsigned char*>(record_.data() + Def(field).Offset), block);
    MarkChanged(field);
  } else {
    PutField(field, std::to_string(block));
  }
}

int64_t TDbfFields::MemoLength(int field) {
  uint32_t block = MemoBlock(field);
  if (block == 0 || !Memo()) return 0;
  return Memo()->DataLength(block);
}

void TDbfFields::ReadMemo(int field, char* buffer, int64_t& length) {
  uint32_t block = MemoBlock(field);
  if (block == 0 || !Memo() || length <= 0) {
    length = 0;
    return;
  }
  std::string text = Memo()->Read(block, length);
  std::memcpy(buffer, text.data(), text.size());
  length = static_cast<int64_t>(text.size());
}

std::string TDbfFields::ReadMemoText(int field) {
  uint32_t block = MemoBlock(field);
  if (block == 0 || !Memo()) return {};
  return Memo()->Read(block);
}

void TDbfFields::WriteMemo(int field, const std::string& text) {
  if (!ValidField(field) || !IsMemoType(Def(field).Type) || !Memo()) return;
  uint32_t old = MemoBlock(field);
  if (old == 0 && text.empty()) return;
  uint32_t block = Memo()->Write(old, text);
  SetMemoBlock(field, block);
}

int64_t TDbfFields::ReadDateByName(const std::string& n) {
  return ReadDate(FieldByName(n));
}
void TDbfFields::WriteDateByName(const std::string& n, int64_t j) {
  WriteDate(FieldByName(n), j);
}
std::string TDbfFields::ReadRawByName(const std::string& n) {
  return ReadRaw(FieldByName(n));
}
void TDbfFields::WriteRawByName(const std::string& n, const std::string& b) {
  WriteRaw(FieldByName(n), b);
}
bool TDbfFields::ReadLogicalByName(const std::string& n) {
  return ReadLogical(FieldByName(n));
}
void TDbfFields::WriteLogicalByName(const std::string& n, bool v) {
  WriteLogical(FieldByName(n), v);
}
double TDbfFields::ReadNumberByName(const std::string& n) {
  return ReadNumber(FieldByName(n));
}
void TDbfFields::WriteNumberByName(const std::string& n, double v) {
  WriteNumber(FieldByName(n), v);
}
std::string TDbfFields::ReadTextByName(const std::string& n) {
  return ReadText(FieldByName(n));
}
void TDbfFields::WriteTextByName(const std::string& n, const std::string& t) {
  WriteText(FieldByName(n), t);
}

}  // namespace hb
