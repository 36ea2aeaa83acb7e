#include "platform/codepage.h"

#include <QList>
#include <array>

namespace hb {

namespace {

// Unicode code points of the bytes 0x80-0xFF.
constexpr char16_t kCp1252High[128] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039,
    0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, 0x00A0, 0x00A1, 0x00A2, 0x00A3,
    0x00A4, 0x00A5, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x00B9, 0x00BA, 0x00BB,
    0x00BC, 0x00BD, 0x00BE, 0x00BF, 0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF, 0x00D0, 0x00D1, 0x00D2, 0x00D3,
    0x00D4, 0x00D5, 0x00D6, 0x00D7, 0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7, 0x00E8, 0x00E9, 0x00EA, 0x00EB,
    0x00EC, 0x00ED, 0x00EE, 0x00EF, 0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,
};

constexpr char16_t kCp850High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0, 0x00A9, 0x2563, 0x2551, 0x2557,
    0x255D, 0x00A2, 0x00A5, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4, 0x00F0, 0x00D0, 0x00CA, 0x00CB,
    0x00C8, 0x0131, 0x00CD, 0x00CE, 0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE, 0x00DE, 0x00DA, 0x00DB, 0x00D9,
    0x00FD, 0x00DD, 0x00AF, 0x00B4, 0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,
};

unsigned char FromUnicode(const char16_t (&high)[128], char32_t u) {
  if (u < 0x80) return static_cast<unsigned char>(u);
  for (int i = 0; i < 128; ++i)
    if (high[i] == u) return static_cast<unsigned char>(0x80 + i);
  return '?';
}

struct TCaseTables {
  std::array<unsigned char, 256> upper{}, lower{};
  TCaseTables() {
    for (int i = 0; i < 256; ++i) upper[i] = lower[i] = static_cast<unsigned char>(i);
    auto pair = [this](int lo, int up) {
      upper[lo] = static_cast<unsigned char>(up);
      lower[up] = static_cast<unsigned char>(lo);
    };
    for (int c = 'a'; c <= 'z'; ++c) pair(c, c - 32);
    for (int c = 0xE0; c <= 0xFE; ++c)
      if (c != 0xF7) pair(c, c - 32);
    pair(0x9A, 0x8A);
    pair(0x9C, 0x8C);
    pair(0x9E, 0x8E);
    pair(0xFF, 0x9F);
  }
};

const TCaseTables& CaseTables() {
  static const TCaseTables tables;
  return tables;
}

QString ToQString(const char16_t (&high)[128], std::string_view bytes) {
  QString out(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  QChar* to = out.data();
  for (unsigned char c : bytes) *to++ = QChar(c < 0x80 ? char16_t(c) : high[c - 0x80]);
  return out;
}

std::string FromQString(const char16_t (&high)[128], const QString& text) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()));
  for (char32_t u : text.toUcs4()) out.push_back(static_cast<char>(FromUnicode(high, u)));
  return out;
}

}  // namespace

char32_t Cp1252ToUnicode(unsigned char c) {
  return c < 0x80 ? c : kCp1252High[c - 0x80];
}
unsigned char UnicodeToCp1252(char32_t u) {
  return FromUnicode(kCp1252High, u);
}
char32_t Cp850ToUnicode(unsigned char c) {
  return c < 0x80 ? c : kCp850High[c - 0x80];
}
unsigned char UnicodeToCp850(char32_t u) {
  return FromUnicode(kCp850High, u);
}

QString AnsiToQString(std::string_view bytes) {
  return ToQString(kCp1252High, bytes);
}
std::string QStringToAnsi(const QString& text) {
  return FromQString(kCp1252High, text);
}
QString OemToQString(std::string_view bytes) {
  return ToQString(kCp850High, bytes);
}
std::string QStringToOem(const QString& text) {
  return FromQString(kCp850High, text);
}

std::string OemToAnsi(std::string_view bytes) {
  std::string out(bytes);
  for (char& c : out)
    c = static_cast<char>(UnicodeToCp1252(Cp850ToUnicode(static_cast<unsigned char>(c))));
  return out;
}

std::string AnsiToOem(std::string_view bytes) {
  std::string out(bytes);
  for (char& c : out)
    c = static_cast<char>(UnicodeToCp850(Cp1252ToUnicode(static_cast<unsigned char>(c))));
  return out;
}

unsigned char AnsiUpperByte(unsigned char c) {
  return CaseTables().upper[c];
}
unsigned char AnsiLowerByte(unsigned char c) {
  return CaseTables().lower[c];
}

void AnsiUpperInPlace(std::string& bytes) {
  const auto& t = CaseTables().upper;
  for (char& c : bytes) c = static_cast<char>(t[static_cast<unsigned char>(c)]);
}

void AnsiLowerInPlace(std::string& bytes) {
  const auto& t = CaseTables().lower;
  for (char& c : bytes) c = static_cast<char>(t[static_cast<unsigned char>(c)]);
}

std::string AnsiUpperCase(std::string_view bytes) {
  std::string out(bytes);
  AnsiUpperInPlace(out);
  return out;
}

std::string AnsiLowerCase(std::string_view bytes) {
  std::string out(bytes);
  AnsiLowerInPlace(out);
  return out;
}

}  // namespace hb
