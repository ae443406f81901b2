#include "render/measure.h"

#include <gtest/gtest.h>

#include "render/font_cache.h"
#include "support/test_fonts.h"

using kestrelpix::testing::TestFonts;

namespace kestrelpix {
namespace {

const std::string kLiberation = "Liberation Sans";
const std::string kDejaVu = "DejaVu Sans";

TextExtent Measure(std::string_view text, const std::string& font = kLiberation, int size = 20,
                   uint8_t style = 0, uint8_t charset = 1) {
  return MeasureLine(TestFonts(), text, font, size, style, charset);
}

int Width(std::string_view text, const std::string& font = kLiberation, int size = 20,
          uint8_t style = 0, uint8_t charset = 1) {
  return Measure(text, font, size, style, charset).width;
}

TEST(Measure, EmHeightIsPointsAtNinetySixDpi) {
  // round(pt * 96 / 72): 20 -> 26.67 -> 27, 50 -> 66.67 -> 67, 6 -> 8,
  // 7 -> 9.33 -> 9, 8 -> 10.67 -> 11.
  EXPECT_EQ(EmHeightForPoints(20), 27);
  EXPECT_EQ(EmHeightForPoints(50), 67);
  EXPECT_EQ(EmHeightForPoints(6), 8);
  EXPECT_EQ(EmHeightForPoints(7), 9);
  EXPECT_EQ(EmHeightForPoints(8), 11);
  EXPECT_EQ(EmHeightForPoints(0), 1);
  EXPECT_EQ(EmHeightForPoints(-5), 1);
}

TEST(Measure, HeightIsTheWindowsCellOfTheFont) {
  // Liberation Sans: usWinAscent 1854, usWinDescent 434, 2048 units per em.
  // At 27 px: 1854 * 27 / 2048 = 24.44 -> 25 and 434 * 27 / 2048 = 5.72 -> 6,
  // so 31 rows.
  EXPECT_EQ(Measure("Hello").height, 31);
  // At 67 px (50 pt): 60.65 -> 61 and 14.20 -> 15: 76.
  EXPECT_EQ(Measure("Hello", kLiberation, 50).height, 76);
  // DejaVu Sans: 1901 and 483 of 2048. At 27 px: 25.06 -> 26 and 6.37 -> 7.
  EXPECT_EQ(Measure("Hello", kDejaVu).height, 33);
  // The height does not depend on the text.
  EXPECT_EQ(Measure("g").height, Measure("\xC3\x89").height);
  EXPECT_EQ(Measure("").height, 31);
}

TEST(Measure, WidthIsTheSumOfHintedAdvancesWithoutKerning) {
  // "AV" is a kerning pair in Liberation Sans; no kerning means A + V.
  EXPECT_EQ(Width("AV"), Width("A") + Width("V"));
  EXPECT_EQ(Width("To"), Width("T") + Width("o"));
  int sum = 0;
  for (char c : std::string("Ocean Harbor")) sum += Width(std::string(1, c));
  EXPECT_EQ(Width("Ocean Harbor"), sum);
  // Whole pixels: a run of n equal letters is n times one.
  EXPECT_EQ(Width("iiiiiiiiii"), 10 * Width("i"));
  EXPECT_GT(Width("W"), Width("i"));
}

TEST(Measure, EmptyTextMeasuresAsOneSpace) {
  EXPECT_EQ(Measure(""), Measure(" "));
  EXPECT_GT(Width(""), 0);
  EXPECT_EQ(Measure("", kDejaVu), Measure(" ", kDejaVu));
}

TEST(Measure, AmpersandIsMeasuredAsDrawn) {
  // Every "&" is drawn, so every "&" counts: Liberation Sans "&" at 20
  // points advances 1366 of 2048 units at 27 px, 18.01 -> 18 pixels.
  const int amp = Width("&");
  EXPECT_EQ(amp, 18);
  EXPECT_EQ(Width("a&b"), Width("a") + amp + Width("b"));
  EXPECT_EQ(Width("&Save"), amp + Width("Save"));
  EXPECT_EQ(Width("a&&b"), Width("a") + 2 * amp + Width("b"));
  EXPECT_EQ(Width("&&&b"), 3 * amp + Width("b"));
  EXPECT_EQ(Width("ab&"), Width("ab") + amp);
}

TEST(Measure, TabsGoToTheNextMultipleOfEightAverageWidths) {
  // Liberation Sans xAvgCharWidth 1187 of 2048: 15.65 -> 16 px, tab stops
  // every 128 px.
  EXPECT_EQ(Width("\t"), 128);
  EXPECT_EQ(Width("a\t"), 128);
  EXPECT_EQ(Width("a\tb"), 128 + Width("b"));
  EXPECT_EQ(Width("\t\t"), 256);
  // Text reaching past a stop goes on to the next one.
  std::string nine_w(9, 'W');
  ASSERT_GT(Width(nine_w), 128);
  ASSERT_LT(Width(nine_w), 256);
  EXPECT_EQ(Width(nine_w + "\t"), 256);
}

TEST(Measure, OtherControlCharactersHaveNoWidth) {
  EXPECT_EQ(Width("a\rb"), Width("ab"));
  EXPECT_EQ(Width("a\x01"
                  "b"),
            Width("ab"));
}

TEST(Measure, StylesChangeTheFace) {
  EXPECT_GT(Width("Ocean Harbor", kLiberation, 20, 1), Width("Ocean Harbor"));
  // Underline and strike-out change nothing in the measure.
  EXPECT_EQ(Measure("Ocean Harbor", kLiberation, 20, 4), Measure("Ocean Harbor"));
  EXPECT_EQ(Measure("Ocean Harbor", kLiberation, 20, 8), Measure("Ocean Harbor"));
  EXPECT_EQ(Measure("Ocean Harbor", kLiberation, 20, 5),
            Measure("Ocean Harbor", kLiberation, 20, 1));
  // A family without a bold face gets a synthesized one, which is wider.
  EXPECT_GT(Width("Ocean Harbor", "DejaVu Math TeX Gyre", 20, 1),
            Width("Ocean Harbor", "DejaVu Math TeX Gyre", 20, 0));
}

TEST(Measure, SymbolCharsetInATextFontReadsWindows1252) {
  // Liberation Sans has no symbol map: SYMBOL bytes are read as ANSI.
  EXPECT_EQ(Measure("Caf\xE9 abc", kLiberation, 20, 0, 2),
            Measure("Caf\xE9 abc", kLiberation, 20, 0, 0));
}

TEST(Measure, ManyFontsAndSizesGiveStableResults) {
  // More fonts than the cache keeps: measures after the cache was emptied
  // equal those before.
  std::vector<TextExtent> first;
  for (int pass = 0; pass < 2; ++pass) {
    size_t i = 0;
    for (const std::string& font : {kLiberation, kDejaVu, std::string("DejaVu Serif")}) {
      for (int size = 6; size <= 50; size += 2) {
        for (uint8_t style : {0, 1, 2, 3}) {
          TextExtent e = Measure("Harbour", font, size, style);
          if (pass == 0) {
            first.push_back(e);
          } else {
            ASSERT_EQ(e, first[i]) << font << " " << size << " " << int(style);
          }
          ++i;
        }
      }
    }
  }
}

TEST(Measure, ArialIsTheMetricCompatibleSubstitute) {
  // fonts-liberation2 makes fontconfig answer "Arial" with Liberation Sans,
  // which has Arial's metrics.
  for (int size : {6, 12, 20, 33, 50}) {
    EXPECT_EQ(Measure("Ocean Harbor", "Arial", size), Measure("Ocean Harbor", kLiberation, size))
        << size;
  }
}

TEST(Measure, GrowsWithSize) {
  int previous = 0;
  for (int size = 6; size <= 50; size += 4) {
    int w = Width("Seashore.", kDejaVu, size);
    EXPECT_GT(w, previous) << size;
    previous = w;
  }
}

TEST(Measure, MissingCharactersComeFromFallbackFaces) {
  // U+2605 BLACK STAR is not in Liberation Sans; DejaVu Sans has it and
  // the line measures with DejaVu's advance.
  const std::string star = "\xE2\x98\x85";
  EXPECT_EQ(Width(star), Width(star, kDejaVu));
  EXPECT_GT(Width(star), 0);
  EXPECT_EQ(Width("a" + star), Width("a") + Width(star));
}

TEST(Measure, CharsetDecidesTheCharacters) {
  // "Привет" in CP1251 under RUSSIAN measures as the UTF-8 text under DEFAULT.
  EXPECT_EQ(Measure("\xCF\xF0\xE8\xE2\xE5\xF2", kLiberation, 20, 0, 204),
            Measure("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"));
  // The same bytes under DEFAULT are Windows-1252 letters, another width.
  EXPECT_NE(Width("\xCF\xF0\xE8\xE2\xE5\xF2"),
            Width("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"));
}

}  // namespace
}  // namespace kestrelpix
