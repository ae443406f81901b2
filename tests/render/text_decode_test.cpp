#include "render/text_decode.h"

#include <gtest/gtest.h>

#include "subtitle/unicode_text.h"

namespace kestrelpix {
namespace {

constexpr uint8_t kAnsi = 0, kDefault = 1, kRussian = 204, kGreek = 161, kShiftJis = 128, kMac = 77,
                  kOem = 255, kHebrew = 177;

TEST(TextDecode, DefaultReadsValidUtf8AsUtf8) {
  // "Привет" in UTF-8: П = D0 9F, р = D1 80, ...
  EXPECT_EQ(DecodeText("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", kDefault), U"Привет");
  EXPECT_EQ(DecodeText("Caf\xC3\xA9", kDefault), U"Café");
  EXPECT_EQ(DecodeText("\xF0\x9F\x98\x80", kDefault), U"\U0001F600");
  EXPECT_EQ(DecodeText("", kDefault), U"");
}

TEST(TextDecode, DefaultReadsOtherBytesAsWindows1252) {
  // "Café" in Windows-1252 is not UTF-8: E9 alone is a cut-off lead byte.
  EXPECT_EQ(DecodeText("Caf\xE9", kDefault), U"Café");
  // 0x80 is the euro sign, 0x93/0x94 curly quotes in 1252.
  EXPECT_EQ(DecodeText("\x93\x80\x94", kDefault), U"\u201C\u20AC\u201D");
  // Overlong forms and encoded surrogates are not valid UTF-8 either.
  EXPECT_EQ(DecodeText("\xC0\xAF", kDefault), U"\u00C0\u00AF");
  EXPECT_EQ(DecodeText("\xED\xA0\x80", kDefault), U"\u00ED\u00A0\u20AC");
}

TEST(TextDecode, CharsetsReadTheirCodePages) {
  // "Привет" in CP1251.
  EXPECT_EQ(DecodeText("\xCF\xF0\xE8\xE2\xE5\xF2", kRussian), U"Привет");
  // "Καλημέρα" in CP1253.
  EXPECT_EQ(DecodeText("\xCA\xE1\xEB\xE7\xEC\xDD\xF1\xE1", kGreek), U"Καλημέρα");
  // "日本" in Shift-JIS (CP932): 93FA 967B.
  EXPECT_EQ(DecodeText("\x93\xFA\x96\x7B", kShiftJis), U"日本");
  // Mac Roman 0x8E is é; OEM 437 0xB3 is the box line │ and 0x82 is é.
  EXPECT_EQ(DecodeText("\x8E", kMac), U"é");
  EXPECT_EQ(DecodeText("\xB3\x82", kOem), U"│é");
  // A UTF-8 line read as RUSSIAN is not UTF-8 any more: bytes as CP1251.
  EXPECT_EQ(DecodeText("\xD0\x9F", kRussian), U"\u0420\u045F");
  // Hebrew alef bet (CP1255 E0 E1) comes out whole, the converter holds
  // letters back for combining marks until the end.
  EXPECT_EQ(DecodeText("\xE0\xE1", kHebrew), U"אב");
}

TEST(TextDecode, UndefinedBytesDoNotStopDecoding) {
  // 0x81 is undefined in Windows-1252: the control character U+0081.
  EXPECT_EQ(DecodeText("a\x81z", kAnsi), U"a\u0081z");
  // 0x98 is undefined in CP1251.
  EXPECT_EQ(DecodeText("\x98\xCF", kRussian), U"\u0098П");
  // A Shift-JIS lead byte at the end has no trail byte.
  EXPECT_EQ(DecodeText("ab\x93", kShiftJis), U"ab\uFFFD");
}

TEST(TextDecode, SymbolMapsBytesToThePrivateUseArea) {
  EXPECT_EQ(DecodeText("A\xFF", CharsetCode(CharsetId::kSymbol)), U"\uF041\uF0FF");
}

TEST(TextDecode, Utf8Validity) {
  EXPECT_TRUE(IsValidUtf8("plain"));
  EXPECT_TRUE(IsValidUtf8("\xE2\x82\xAC"));
  EXPECT_FALSE(IsValidUtf8("\xE2\x82"));          // cut off
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\x80"));
}

TEST(TextDecode, SystemTextForMessages) {
  EXPECT_EQ(SystemTextToUtf8("Caf\xC3\xA9"), "Caf\xC3\xA9");
  EXPECT_EQ(SystemTextToUtf8("Caf\xE9"), "Caf\xC3\xA9");
  EXPECT_EQ(EncodeUtf8(U"€\U0001F600"), "\xE2\x82\xAC\xF0\x9F\x98\x80");
}

}  // namespace
}  // namespace kestrelpix
