#include "dbf/dbfcommon.h"

namespace hb {

std::string FormatDbfMessage(const char* format, std::initializer_list<std::string_view> args) {
  return FormatDbfMessageRange(format, args.begin(), args.end());
}

void RaiseDbfError(const char* format, std::initializer_list<std::string_view> args) {
  throw EDbfError(FormatDbfMessage(format, args));
}

void RaiseDbfCorrupt(const std::string& path, int64_t offset, const std::string& what) {
  throw EDbfError("File " + path + " is damaged (offset " + std::to_string(offset) + ": " + what +
                  ")");
}

int64_t JulianFromDate(int year, int month, int day) {
  int64_t a = (14 - month) / 12;
  int64_t y = int64_t(year) + 4800 - a;
  int64_t m = month + 12 * a - 3;
  return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

void DateFromJulian(int64_t julian, int& year, int& month, int& day) {
  int64_t a = julian + 32044;
  int64_t b = (4 * a + 3) / 146097;
  int64_t c = a - 146097 * b / 4;
  int64_t d = (4 * c + 3) / 1461;
  int64_t e = c - 1461 * d / 4;
  int64_t m = (5 * e + 2) / 153;
  day = int(e - (153 * m + 2) / 5 + 1);
  month = int(m + 3 - 12 * (m / 10));
  year = int(100 * b + d - 4800 + m / 10);
}

bool ValidDate(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int max = days[month - 1];
  if (month == 2 && (year % 4 == 0 && (year % 100 != 0 || year % 400 == 0))) max = 29;
  return day <= max;
}

}  // namespace hb
