// Text functions: ALLTRIM LTRIM RTRIM TRIM UPPER LOWER PROPER LEFT RIGHT SUBSTR SPACE
// PADL PADR PADC STRTRAN AT ATC LEN ASC CHR SOUNDEX STR STRZERO VAL.
#include <QLocale>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>

#include "dbf/funcs.h"

namespace hb {

namespace {

// Fetches a required text argument into result.
void TextArg(const TExpFunction& call, int index, TExpValue& value) {
  FetchArgument(call, index, etText, value);
}

double NumberArg(const TExpFunction& call, int index) {
  TExpValue v;
  FetchArgument(call, index, etNumber, v);
  return v.Num;
}

// An optional numeric argument: def when it is absent.
double OptionalNumber(const TExpFunction& call, int index, double def) {
  if (index >= call.ArgCount()) return def;
  return NumberArg(call, index);
}

HB_DEFINE_UDF(TUDFAllTrim, "ALLTRIM") {
  TextArg(call, 0, result);
  result.Text = std::string(TrimBlanks(result.Text));
}

HB_DEFINE_UDF(TUDFLTrim, "LTRIM") {
  TextArg(call, 0, result);
  result.Text = std::string(TrimLeftBlanks(result.Text));
}

HB_DEFINE_UDF(TUDFRTrim, "RTRIM") {
  TextArg(call, 0, result);
  result.Text.resize(TrimRightBlanks(result.Text).size());
}

HB_DEFINE_UDF(TUDFTrim, "TRIM") {
  TextArg(call, 0, result);
  result.Text.resize(TrimRightBlanks(result.Text).size());
}

HB_DEFINE_UDF(TUDFUpper, "UPPER") {
  TextArg(call, 0, result);
  UpperInPlace(result.Text);
}

HB_DEFINE_UDF(TUDFLower, "LOWER") {
  TextArg(call, 0, result);
  LowerInPlace(result.Text);
}

// Blank and punctuation except the apostrophe; letters, digits and codes from 128 on are
// not separators.
bool IsProperSeparator(unsigned char c) {
  return c == 0 || (c >= 32 && c <= 38) || (c >= 40 && c <= 47) || (c >= 58 && c <= 64) ||
         (c >= 91 && c <= 95) || (c >= 123 && c <= 127);
}

HB_DEFINE_UDF(TUDFProper, "PROPER") {
  TextArg(call, 0, result);
  bool start = true;
  for (char& ch : result.Text) {
    const auto c = static_cast<unsigned char>(ch);
    ch = static_cast<char>(start ? UpperByte(c) : LowerByte(c));
    start = IsProperSeparator(c);
  }
}

HB_DEFINE_UDF(TUDFLeft, "LEFT") {
  TextArg(call, 0, result);
  const double n = NumberArg(call, 1);
  if (n <= 0.01) {
    result.Text.clear();
    return;
  }
  CheckTextLength(n, "LEFT");
  // A shorter text is padded with spaces to n characters.
  result.Text.resize(static_cast<std::size_t>(ToCount(n)), ' ');
}

HB_DEFINE_UDF(TUDFRight, "RIGHT") {
  TextArg(call, 0, result);
  const int64_t n = ToCount(NumberArg(call, 1));
  const auto len = static_cast<int64_t>(result.Text.size());
  if (n <= 0 || n >= len) return;
  result.Text.erase(0, static_cast<std::size_t>(len - n));
}

HB_DEFINE_UDF(TUDFSubStr, "SUBSTR") {
  TextArg(call, 0, result);
  const int64_t start = ToCount(NumberArg(call, 1));
  const auto len = static_cast<int64_t>(result.Text.size());
  if (start <= 0 || start > len) {
    result.Text.clear();
    return;
  }
  const int64_t rest = len - start + 1;
  int64_t count = ToCount(OptionalNumber(call, 2, static_cast<double>(rest)));
  if (count <= 0) {
    result.Text.clear();
    return;
  }
  if (count > rest) count = rest;
  result.Text =
      result.Text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count));
}

HB_DEFINE_UDF(TUDFSpace, "SPACE") {
  const int64_t n = ToCount(NumberArg(call, 0));
  CheckTextLength(static_cast<double>(n), "SPACE");
  result.SetText(n > 0 ? std::string(static_cast<std::size_t>(n), ' ') : std::string());
}

// PADL, PADR and PADC: the value as text, filled up to the width on the left, the right
// or both sides; a longer text is never cut.
class TUDFPadMain : public TUserDefFunction {
 public:
  enum TSide { psLeft, psRight, psCentre };
  TUDFPadMain(const char* name, TSide side) : name_(name), side_(side) {}
  std::string FunctionName() const override { return name_; }

  void Execute(const TExpFunction& call, TExpValue& result) override {
    // The fill character first: absent is a space, otherwise one character of text.
    char fill = ' ';
    TExpValue arg;
    FetchArgument(call, 2, etAny, arg);
    if (arg.Type != etEmpty) {
      if (arg.Type != etText || arg.Text.size() != 1)
        RaiseExprError("A %s value is required but invalid", {"Char"});
      fill = arg.Text[0];
    }
    if (FetchArgument(call, 0, etAny, arg) == etEmpty)
      RaiseExprError("%s needed for Argument %d of %s", {"Value", "1", "Pad"});
    std::string text = ValueText(arg);
    FetchArgument(call, 1, etNumber, arg);
    CheckTextLength(arg.Num, name_);
    const int64_t width = ToCount(arg.Num);
    const auto len = static_cast<int64_t>(text.size());
    if (len < width) {
      const auto missing = static_cast<std::size_t>(width - len);
      std::size_t left = side_ == psLeft ? missing : side_ == psCentre ? missing / 2 : 0;
      text.insert(0, left, fill);
      text.append(missing - left, fill);
    }
    result.SetText(std::move(text));
  }

 private:
  const char* name_;
  TSide side_;
};

HB_DEFINE_UDF(TUDFStrTran, "STRTRAN") {
  TextArg(call, 0, result);
  TExpValue search, replacement;
  TextArg(call, 1, search);
  if (call.ArgCount() > 2) TextArg(call, 2, replacement);
  const int64_t first = ToCount(OptionalNumber(call, 3, 1));
  const bool limited = call.ArgCount() > 4;
  const int64_t count = limited ? ToCount(NumberArg(call, 4)) : 0;
  const std::string& text = result.Text;
  if (text.empty() || search.Text.empty()) return;
  std::string out;
  std::size_t pos = 0;
  int64_t occurrence = 0, replaced = 0;
  for (;;) {
    if (limited && replaced >= count) break;
    const std::size_t found = text.find(search.Text, pos);
    if (found == std::string::npos) break;
    ++occurrence;
    out.append(text, pos, found - pos);
    // Occurrences before the first-th stay as they are.
    out.append(occurrence < first ? search.Text : replacement.Text);
    if (occurrence >= first) ++replaced;
    pos = found + search.Text.size();
    CheckTextLength(static_cast<double>(out.size()), "STRTRAN");
  }
  out.append(text, pos, std::string::npos);
  CheckTextLength(static_cast<double>(out.size()), "STRTRAN");
  result.Text = std::move(out);
}

// Position (from 1) of the n-th occurrence of search in text; the last one found when
// there are fewer; 0 when there is none.
double Occurrence(const std::string& search, const std::string& text, int64_t n) {
  if (search.empty() || n < 1) return 0;
  std::size_t last = std::string::npos, from = 0;
  for (int64_t k = 0; k < n; ++k) {
    const std::size_t found = text.find(search, from);
    if (found == std::string::npos) break;
    last = found;
    from = found + 1;
  }
  return last == std::string::npos ? 0 : static_cast<double>(last + 1);
}

HB_DEFINE_UDF(TUDFAt, "AT") {
  TExpValue search, text;
  TextArg(call, 0, search);
  TextArg(call, 1, text);
  result.SetNumber(Occurrence(search.Text, text.Text, ToCount(OptionalNumber(call, 2, 1))));
}

HB_DEFINE_UDF(TUDFAtC, "ATC") {
  TExpValue search, text;
  TextArg(call, 0, search);
  TextArg(call, 1, text);
  UpperInPlace(search.Text);
  UpperInPlace(text.Text);
  result.SetNumber(Occurrence(search.Text, text.Text, ToCount(OptionalNumber(call, 2, 1))));
}

HB_DEFINE_UDF(TUDFLen, "LEN") {
  TextArg(call, 0, result);
  result.SetNumber(static_cast<double>(result.Text.size()));
}

HB_DEFINE_UDF(TUDFAsc, "ASC") {
  TextArg(call, 0, result);
  result.SetNumber(result.Text.empty() ? 0 : static_cast<unsigned char>(result.Text[0]));
}

HB_DEFINE_UDF(TUDFChr, "CHR") {
  const int64_t code = ToCount(NumberArg(call, 0));
  if (code < 0 || code > 255) RaiseExprError("A %s value is required but invalid", {"Byte"});
  result.SetText(std::string(1, static_cast<char>(code)));
}

char SoundexDigit(unsigned char c) {
  switch (c) {
    case 'B':
    case 'F':
    case 'P':
    case 'V':
      return '1';
    case 'C':
    case 'G':
    case 'J':
    case 'K':
    case 'Q':
    case 'S':
    case 'X':
    case 'Z':
      return '2';
    case 'D':
    case 'T':
      return '3';
    case 'L':
      return '4';
    case 'M':
    case 'N':
      return '5';
    case 'R':
      return '6';
    default:
      return 0;
  }
}

HB_DEFINE_UDF(TUDFSoundex, "SOUNDEX") {
  TextArg(call, 0, result);
  std::string& text = result.Text;
  if (text.empty()) {
    text = "0000";
    return;
  }
  UpperInPlace(text);
  // The first character as it is, then the digit of every later character that has one.
  std::string coded(1, text[0]);
  for (std::size_t i = 1; i < text.size(); ++i)
    if (char d = SoundexDigit(static_cast<unsigned char>(text[i]))) coded += d;
  // Keep each coded character that differs from the one before it.
  std::string out(1, coded[0]);
  for (std::size_t i = 1; i < coded.size() && out.size() < 4; ++i)
    if (coded[i] != coded[i - 1]) out += coded[i];
  out += "0000";
  text = out.substr(0, 4);
}

// The number rounded to decimals, right-aligned in width; "*" characters when wider.
std::string StrText(double number, int64_t width, int64_t decimals) {
  if (width <= 0) return {};
  if (decimals < 0) decimals = 0;
  if (decimals > 60) decimals = 60;
  std::string digits;
  if (std::isfinite(number)) {
    const double rounded = RoundDecimals(number, decimals);
    char buf[400];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, rounded == 0 ? 0.0 : rounded,
                                   std::chars_format::fixed, static_cast<int>(decimals));
    if (ec == std::errc()) digits.assign(buf, end);
  }
  const auto w = static_cast<std::size_t>(width);
  if (digits.empty() || digits.size() > w) return std::string(w, '*');
  return std::string(w - digits.size(), ' ') + digits;
}

void StrArguments(const TExpFunction& call, double& number, int64_t& width, int64_t& decimals,
                  const char* name) {
  number = NumberArg(call, 0);
  const double w = OptionalNumber(call, 1, 10);
  CheckTextLength(w, name);
  width = ToCount(w);
  decimals = ToCount(OptionalNumber(call, 2, 0));
}

HB_DEFINE_UDF(TUDFStr, "STR") {
  double number;
  int64_t width, decimals;
  StrArguments(call, number, width, decimals, "STR");
  result.SetText(StrText(number, width, decimals));
}

HB_DEFINE_UDF(TUDFStrZero, "STRZERO") {
  double number;
  int64_t width, decimals;
  StrArguments(call, number, width, decimals, "STRZERO");
  std::string text = StrText(number, width, decimals);
  // Leading spaces become zeros; a minus sign goes in front of them ("-0042").
  const std::size_t digits = text.find_first_not_of(' ');
  if (digits != std::string::npos && digits > 0) {
    if (text[digits] == '-') {
      text[digits] = '0';
      text[0] = '-';
      std::fill(text.begin() + 1, text.begin() + static_cast<std::ptrdiff_t>(digits), '0');
    } else {
      std::fill(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(digits), '0');
    }
  }
  result.SetText(std::move(text));
}

HB_DEFINE_UDF(TUDFVal, "VAL") {
  TextArg(call, 0, result);
  std::string text(TrimBlanks(result.Text));
  // The decimal separator of the user's locale reads as a point.
  const QString separator = QLocale().decimalPoint();
  if (separator.size() == 1 && separator[0].unicode() < 128 && separator[0] != '.') {
    const char sep = static_cast<char>(separator[0].unicode());
    for (char& c : text)
      if (c == sep) c = '.';
  }
  double value = 0;
  std::string_view s = text;
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  if (!s.empty() && (std::isdigit(static_cast<unsigned char>(s[0])) || s[0] == '.')) {
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(value)) value = 0;
  }
  result.SetNumber(negative ? -value : value);
}

}  // namespace

void RegisterTextFunctions(TFunctionReg& f) {
  f.RegisterFunction(std::make_unique<TUDFAllTrim>());
  f.RegisterFunction(std::make_unique<TUDFLTrim>());
  f.RegisterFunction(std::make_unique<TUDFRTrim>());
  f.RegisterFunction(std::make_unique<TUDFTrim>());
  f.RegisterFunction(std::make_unique<TUDFUpper>());
  f.RegisterFunction(std::make_unique<TUDFLower>());
  f.RegisterFunction(std::make_unique<TUDFProper>());
  f.RegisterFunction(std::make_unique<TUDFLeft>());
  f.RegisterFunction(std::make_unique<TUDFRight>());
  f.RegisterFunction(std::make_unique<TUDFSubStr>());
  f.RegisterFunction(std::make_unique<TUDFSpace>());
  f.RegisterFunction(std::make_unique<TUDFPadMain>("PADL", TUDFPadMain::psLeft));
  f.RegisterFunction(std::make_unique<TUDFPadMain>("PADR", TUDFPadMain::psRight));
  f.RegisterFunction(std::make_unique<TUDFPadMain>("PADC", TUDFPadMain::psCentre));
  f.RegisterFunction(std::make_unique<TUDFStrTran>());
  f.RegisterFunction(std::make_unique<TUDFAt>());
  f.RegisterFunction(std::make_unique<TUDFAtC>());
  f.RegisterFunction(std::make_unique<TUDFLen>());
  f.RegisterFunction(std::make_unique<TUDFAsc>());
  f.RegisterFunction(std::make_unique<TUDFChr>());
  f.RegisterFunction(std::make_unique<TUDFSoundex>());
  f.RegisterFunction(std::make_unique<TUDFStr>());
  f.RegisterFunction(std::make_unique<TUDFStrZero>());
  f.RegisterFunction(std::make_unique<TUDFVal>());
}

}  // namespace hb
