#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace hb {
namespace {

TEST(CodePage, AnsiRoundTripKeepsEveryByte) {
  std::string all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
  EXPECT_EQ(QStringToAnsi(AnsiToQString(all)), all);
  EXPECT_EQ(QStringToOem(OemToQString(all)), all);
}

TEST(CodePage, KnownCharacters) {
  EXPECT_EQ(Cp1252ToUnicode(0x80), U'\u20AC');  // euro sign
  EXPECT_EQ(Cp1252ToUnicode(0xE9), U'\u00E9');
  EXPECT_EQ(Cp850ToUnicode(0x82), U'\u00E9');
  EXPECT_EQ(Cp850ToUnicode(0xC4), U'\u2500');  // box drawing
  EXPECT_EQ(UnicodeToCp1252(U'\u20AC'), 0x80);
  // Characters the code page lacks become "?".
  EXPECT_EQ(UnicodeToCp1252(U'\u2500'), '?');
  EXPECT_EQ(QStringToAnsi(QString::fromUtf8("a\xE2\x82\xAC\xE4\xB8\xAD")), std::string("a\x80?"));
}

TEST(CodePage, OemAnsiTranslation) {
  // "café" in code page 850 and in Windows-1252.
  EXPECT_EQ(OemToAnsi("caf\x82"), "caf\xE9");
  EXPECT_EQ(AnsiToOem("caf\xE9"), "caf\x82");
  EXPECT_EQ(OemToAnsi("\xC4"), "?");  // a line-drawing character has no ANSI form
  EXPECT_EQ(AnsiToOem("\x80"), "?");  // nor has the euro sign an OEM one
}

TEST(CodePage, CaseByFixedTable) {
  struct Case {
    unsigned char lower, upper;
  } cases[] = {{'a', 'A'},   {'z', 'Z'},   {0xE9, 0xC9}, {0xFE, 0xDE},
               {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9E, 0x8E}, {0xFF, 0x9F}};
  for (auto c : cases) {
    EXPECT_EQ(AnsiUpperByte(c.lower), c.upper) << int(c.lower);
    EXPECT_EQ(AnsiLowerByte(c.upper), c.lower) << int(c.upper);
  }
  // Bytes without a one-byte partner stay as they are.
  for (int c : {0xF7, 0xD7, 0xDF, 0xB5, int('1'), int(' ')}) {
    EXPECT_EQ(AnsiUpperByte(c), c);
    EXPECT_EQ(AnsiLowerByte(c), c);
  }
  EXPECT_EQ(AnsiUpperCase("Caf\xE9 m\xFC"), "CAF\xC9 M\xDC");
  EXPECT_EQ(AnsiLowerCase("CAF\xC9"), "caf\xE9");
}

}  // namespace
}  // namespace hb
