#include "dbf/exprvalue.h"

#include <QString>
#include <charconv>
#include <cmath>
#include <cstring>

namespace hb {

const char* ExpTypeName(int type) {
  static const char* const kNames[] = {"Unknown", "Empty",   "Any",    "Text",
                                       "Number",  "Integer", "Date",   "DateTime",
                                       "Boolean", "Memo",    "Pointer"};
  if (type < 0 || type > etPointer) return "Invalid Value";
  return kNames[type];
}

std::string FormatExprMessage(const char* format, std::initializer_list<std::string_view> args) {
  std::string out;
  auto next = args.begin();
  for (const char* p = format; *p; ++p) {
    if (p[0] == '%' && (p[1] == 's' || p[1] == 'd') && next != args.end()) {
      out.append(next->data(), next->size());
      ++next;
      ++p;
    } else {
      out.push_back(*p);
    }
  }
  return out;
}

void RaiseExprError(const char* format, std::initializer_list<std::string_view> args) {
  throw EDbfExpression(FormatExprMessage(format, args));
}

std::string_view TrimLeftBlanks(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && IsBlank(static_cast<unsigned char>(s[i]))) ++i;
  return s.substr(i);
}

std::string_view TrimRightBlanks(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && IsBlank(static_cast<unsigned char>(s[n - 1]))) --n;
  return s.substr(0, n);
}

std::string_view TrimBlanks(std::string_view s) {
  return TrimRightBlanks(TrimLeftBlanks(s));
}

// Windows-1252 case pairs outside ASCII: à..þ / À..Þ (not ÷ / ×), š Š, œ Œ, ž Ž, ÿ Ÿ.
unsigned char UpperByte(unsigned char c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c < 0x80) return c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  switch (c) {
    case 0x9A:
      return 0x8A;
    case 0x9C:
      return 0x8C;
    case 0x9E:
      return 0x8E;
    case 0xFF:
      return 0x9F;
    default:
      return c;
  }
}

unsigned char LowerByte(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c < 0x80) return c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  switch (c) {
    case 0x8A:
      return 0x9A;
    case 0x8C:
      return 0x9C;
    case 0x8E:
      return 0x9E;
    case 0x9F:
      return 0xFF;
    default:
      return c;
  }
}

void UpperInPlace(std::string& s) {
  for (char& c : s) c = static_cast<char>(UpperByte(static_cast<unsigned char>(c)));
}

void LowerInPlace(std::string& s) {
  for (char& c : s) c = static_cast<char>(LowerByte(static_cast<unsigned char>(c)));
}

namespace {

// Windows-1252 bytes 0x80..0x9F as Unicode; the rest is Latin-1. Undefined bytes map to
// the C1 control of the same value.
const char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString FromCp1252(std::string_view s) {
  QString out(static_cast<qsizetype>(s.size()), Qt::Uninitialized);
  QChar* d = out.data();
  for (std::size_t i = 0; i < s.size(); ++i) {
    auto c = static_cast<unsigned char>(s[i]);
    d[i] = (c >= 0x80 && c < 0xA0) ? QChar(kCp1252High[c - 0x80]) : QChar(c);
  }
  return out;
}

bool MatchesPattern(std::string_view text, std::string_view pattern,
                    const TExpCompareOptions& options) {
  // The pattern, its wildcards counted, may not be longer than the text.
  if (pattern.empty() || pattern.size() > text.size()) return false;
  if (pattern.size() == 1 && pattern[0] == options.MultiWildcard) return true;
  const bool leading = pattern.front() == options.MultiWildcard;
  if (leading) pattern.remove_prefix(1);
  if (!pattern.empty() && pattern.back() == options.MultiWildcard) pattern.remove_suffix(1);
  if (leading || pattern.find(options.SingleWildcard) == std::string_view::npos)
    return text.find(pattern) != std::string_view::npos;
  // Without a leading wildcard a one-character wildcard makes the character at the same
  // place of the text count as that wildcard.
  std::string masked(text);
  for (std::size_t i = 0; i < pattern.size(); ++i)
    if (pattern[i] == options.SingleWildcard) masked[i] = options.SingleWildcard;
  return masked.find(pattern) != std::string::npos;
}

}  // namespace

int LocaleCompare(std::string_view a, std::string_view b) {
  if (a == b) return 0;
  const int r = QString::localeAwareCompare(FromCp1252(a), FromCp1252(b));
  if (r != 0) return r < 0 ? -1 : 1;
  return a < b ? -1 : 1;
}

int CompareExprText(std::string_view left, std::string_view right,
                    const TExpCompareOptions& options, bool orderNeeded) {
  if (left.empty() || right.empty()) {
    if (left.empty() && right.empty()) return 0;
    return left.empty() ? -1 : 1;
  }
  left = TrimRightBlanks(left);
  right = TrimRightBlanks(right);
  std::string upperLeft, upperRight;
  if (options.CaseInsensitive) {
    upperLeft.assign(left);
    upperRight.assign(right);
    UpperInPlace(upperLeft);
    UpperInPlace(upperRight);
    left = upperLeft;
    right = upperRight;
  }
  if (options.Wildcards && !right.empty() &&
      (right.front() == options.MultiWildcard || right.back() == options.MultiWildcard))
    return MatchesPattern(left, right, options) ? 0 : -1;
  if (!orderNeeded) return left == right ? 0 : (left < right ? -1 : 1);
  return LocaleCompare(left, right);
}

void CheckTextLength(double n, const char* function) {
  if (!(n <= static_cast<double>(kMaxExprText)))
    RaiseExprError("Argument for %s must be %s",
                   {function, std::to_string(kMaxExprText).insert(0, "<= ")});
}

std::string NumberText(double value) {
  if (value == 0) return "0";
  char buf[64];
  // to_chars does not depend on the process locale.
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
  return std::string(buf, ec == std::errc() ? end : buf);
}

}  // namespace hb
