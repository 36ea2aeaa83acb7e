#include "dbf/exprvalue.h"

#include <QString>

#include <charconv>
#include <cmath>
#include <cstring>

#include "platform/codepage.h"

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

unsigned char UpperByte(unsigned char c) { return AnsiUpperByte(c); }
unsigned char LowerByte(unsigned char c) { return AnsiLowerByte(c); }

void UpperInPlace(std::string& s) { AnsiUpperInPlace(s); }
void LowerInPlace(std::string& s) { AnsiLowerInPlace(s); }

namespace {

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
  const int r = QString::localeAwareCompare(AnsiToQString(a), AnsiToQString(b));
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
