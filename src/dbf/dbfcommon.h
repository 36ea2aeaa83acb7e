// Errors, enumerations and small conversions shared by the table and memo files.
//
// Every failure of the table engine raises EDbfError with a fixed English message; the
// "%s" and "%d" of the message are replaced in order by FormatDbfMessage. Damage found in a
// table or memo file goes through RaiseDbfCorrupt, the one door for corruption: the
// message names the file and the byte offset where the damage was seen.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

namespace hb {

class EDbfError : public std::runtime_error {
 public:
  explicit EDbfError(const std::string& message) : std::runtime_error(message) {}
};

// An enciphered table opened without a key, or a key given for a plain one.
class EDbfEncryption : public EDbfError {
 public:
  using EDbfError::EDbfError;
};

// Replaces each "%s" and "%d" of format by the next of the arguments [begin, end).
template <class It>
std::string FormatDbfMessageRange(const char* format, It begin, It end) {
  std::string out;
  for (const char* p = format; *p; ++p) {
    if (p[0] == '%' && (p[1] == 's' || p[1] == 'd')) {
      if (begin != end) out += *begin++;
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}
std::string FormatDbfMessage(const char* format, std::initializer_list<std::string_view> args);
[[noreturn]] void RaiseDbfError(const char* format,
                                std::initializer_list<std::string_view> args = {});
// "File %s is damaged (offset N: what)".
[[noreturn]] void RaiseDbfCorrupt(const std::string& path, int64_t offset, const std::string& what);

// The byte ranges locked for records, the table, appends, index and memo files.
enum class TLockProtocol { Default, DB4Lock, ClipLock, FoxLock };

// Creation flavour of a table.
enum class TDbfTypes { Clipper, DBaseIII, DBaseIV, FoxPro2 };

// Julian day number <-> days since 30-12-1899: 1 January 1980 is julian 2444240 and day
// 29221.
constexpr int64_t kJulianOffset = 2415019;

// Julian day number of a calendar date, and back (proleptic Gregorian calendar).
int64_t JulianFromDate(int year, int month, int day);
void DateFromJulian(int64_t julian, int& year, int& month, int& day);
bool ValidDate(int year, int month, int day);

// Little- and big-endian integers in byte buffers.
inline uint32_t GetLE32(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint16_t GetLE16(const unsigned char* p) {
  return uint16_t(p[0] | p[1] << 8);
}
inline void PutLE32(unsigned char* p, uint32_t v) {
  p[0] = uint8_t(v), p[1] = uint8_t(v >> 8), p[2] = uint8_t(v >> 16), p[3] = uint8_t(v >> 24);
}
inline void PutLE16(unsigned char* p, uint16_t v) {
  p[0] = uint8_t(v), p[1] = uint8_t(v >> 8);
}
inline uint32_t GetBE32(const unsigned char* p) {
  return uint32_t(p[3]) | uint32_t(p[2]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[0]) << 24;
}
inline void PutBE32(unsigned char* p, uint32_t v) {
  p[3] = uint8_t(v), p[2] = uint8_t(v >> 8), p[1] = uint8_t(v >> 16), p[0] = uint8_t(v >> 24);
}

}  // namespace hb
