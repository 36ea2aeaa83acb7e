// Code pages of stored text: Windows-1252 (ANSI) and code page 850 (OEM).
//
// Table files hold text as bytes in Windows-1252; some tables hold code page 850 and are
// translated on the way in and out. Both code pages are fixed tables here, so that the
// bytes written, and the upper-cased index keys built from them, are the same on every
// machine whatever its locale.
//
// Rules:
//   - A Unicode character that the target code page cannot hold becomes "?".
//   - The five bytes that Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D)
//     map to the C1 control of the same number, so that every byte survives a round trip.
//   - Upper and lower case work on Windows-1252 bytes: a-z, the accented letters
//     0xE0-0xFE (not 0xF7, the division sign), and the pairs š/Š, œ/Œ, ž/Ž, ÿ/Ÿ. The sharp s
//     (0xDF) and the micro sign (0xB5) have no upper case of one byte and stay.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace hb {

// One byte to its Unicode code point, and back ("?" when the code page lacks it).
char32_t Cp1252ToUnicode(unsigned char c);
unsigned char UnicodeToCp1252(char32_t u);
char32_t Cp850ToUnicode(unsigned char c);
unsigned char UnicodeToCp850(char32_t u);

// Whole texts between the code pages and Qt's strings.
QString AnsiToQString(std::string_view bytes);
std::string QStringToAnsi(const QString& text);
QString OemToQString(std::string_view bytes);
std::string QStringToOem(const QString& text);

// OEM (850) to ANSI (1252) and back, byte for byte; "?" for what the target cannot hold.
std::string OemToAnsi(std::string_view bytes);
std::string AnsiToOem(std::string_view bytes);

// Case of Windows-1252 bytes by the fixed table.
unsigned char AnsiUpperByte(unsigned char c);
unsigned char AnsiLowerByte(unsigned char c);
std::string AnsiUpperCase(std::string_view bytes);
std::string AnsiLowerCase(std::string_view bytes);
void AnsiUpperInPlace(std::string& bytes);
void AnsiLowerInPlace(std::string& bytes);

}  // namespace hb
