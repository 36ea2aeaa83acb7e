#include "util/textfuncs.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatText, DelphiStyleSpecifiers) {
  EXPECT_EQ(hb::FormatText("%s heeft %d uur", {"Jan", 8}), "Jan heeft 8 uur");
  EXPECT_EQ(hb::FormatText("%d.%2.2d.%3.3d", {3, 10, 6}), "3.10.006");
  EXPECT_EQ(hb::FormatText("[%5s|%-5s]", {"ab", "cd"}), "[   ab|cd   ]");
  EXPECT_EQ(hb::FormatText("%.1f%%", {12.345}), "12.3%");
  EXPECT_EQ(hb::FormatText("%1:s %0:s", {"a", "b"}), "b a");
  EXPECT_EQ(hb::FormatText("%x", {255}), "FF");
  EXPECT_EQ(hb::FormatText("%n", {1234567.891}), "1.234.567,89");
  for (auto bad : {std::pair<const char*, QVariant>{"%d", "tekst"},
                   {"%s %s", "een"},
                   {"%q", 1},
                   {"%", 1},
                   {"%s", 5}}) {
    EXPECT_THROW(hb::FormatText(bad.first, {bad.second}), hb::EFormatError) << bad.first;
  }
  EXPECT_EQ(hb::SafeFormat("%d uur", {"x"}), "%d uur");
  EXPECT_EQ(hb::SafeFormat("%d uur", {4}), "4 uur");
}

TEST(TextFuncs, PaddingAndParts) {
  EXPECT_EQ(hb::PadNumber(42, '0', 5), "00042");
  EXPECT_EQ(hb::PadNumber(123456, '0', 3), "123456");
  EXPECT_EQ(hb::PadLeft("ab", 5, "xy"), "xyxya");  // whole pad texts, then the first 5
  EXPECT_EQ(hb::PadRight("ab", 5, "xy"), "abxyx");
  EXPECT_EQ(hb::PadLeft("abcdef", 3), "abc");
  EXPECT_EQ(hb::PadRight("a", 0, "").size(), 80);
  EXPECT_EQ(hb::RightPart("abcdef", 2), "ef");
  EXPECT_EQ(hb::RightPart("ab", 3), "");
  EXPECT_EQ(hb::SubText("abcdef", 2, 3), "bcd");
  EXPECT_EQ(hb::SubText("abcdef", 3, 0), "cdef");
  EXPECT_EQ(hb::SubText("abc", 4, 1), "");
  EXPECT_EQ(hb::ReplaceAll("&Bestand &Nieuw", "&", ""), "Bestand Nieuw");
  EXPECT_EQ(hb::ReplaceAll("aaa", "a", "aa"), "aaaaaa");  // inserted text is not searched again
  EXPECT_EQ(hb::ReplaceAll("abc", "", "x"), "abc");
  EXPECT_EQ(hb::TrimText("\t a b \r\n"), "a b");
  EXPECT_EQ(hb::UpperText(QString::fromUtf8("één")), QString::fromUtf8("ÉÉN"));
}

}  // namespace
