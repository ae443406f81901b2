#include "vobsub/palette.h"

#include <gtest/gtest.h>

#include "support/persisted_lists.h"

namespace kestrelpix {
namespace {

const ColorValue kGray = MakeColor(128, 128, 128);
const ColorValue kBlack = MakeColor(0, 0, 0);
const ColorValue kWhite = MakeColor(255, 255, 255);
const std::string kTwelveZeros =
    ", 000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000, "
    "000000";

TEST(ColourNotations, RgbHexReadsRedFromTheLowByte) {
  EXPECT_EQ(RgbHex(kBackgroundBlue), "0000FF");
  EXPECT_EQ(RgbHex(0x00123456), "563412");  // 0x00BBGGRR
  EXPECT_EQ(RgbHex(kGray), "808080");
  // A named system colour's high bit plays no part.
  EXPECT_EQ(RgbHex(0x80000005), "050000");
}

TEST(ColourNotations, YCrCbValuesAreTruncatedNotRounded) {
  // Y = 0.3R + 0.5869G + 0.11398B, Cr = 0.5R + 128 - 0.41868G - 0.0813B,
  // Cb = 0.5B + 128 - 0.16883R - 0.33121G, each truncated.
  EXPECT_EQ(YCrCbHex(kBlack), "008080");
  EXPECT_EQ(YCrCbHex(kWhite), "FF807F");                // Y = 255.22 -> 255, Cb = 127.99 -> 127
  EXPECT_EQ(YCrCbHex(kGray), "80807F");                 // Y = 128.11, Cr = 128.003, Cb = 127.996
  EXPECT_EQ(YCrCbHex(MakeColor(255, 0, 0)), "4CFF54");  // Y = 76.5 -> 76, Cr = 255.5 -> 255
  EXPECT_EQ(YCrCbHex(MakeColor(0, 255, 0)), "95152B");
  EXPECT_EQ(YCrCbHex(MakeColor(0, 0, 128)), "0E75C0");
  EXPECT_EQ(YCrCbHex(kBackgroundBlue), "1D6BFF");
  EXPECT_EQ(YCrCbHex(MakeColor(255, 255, 0)), "E29400");
  EXPECT_EQ(YCrCbHex(MakeColor(255, 230, 20)), "D59D12");
  EXPECT_EQ(YCrCbHex(MakeColor(0, 30, 0)), "117376");
  EXPECT_EQ(YCrCbSpaced(kBackgroundBlue), "1D 6B FF");
  EXPECT_EQ(YCrCbSpaced(kGray), "80 80 7F");

  // Every colour gives two digits per value.
  for (int r = 0; r < 256; r += 15) {
    for (int g = 0; g < 256; g += 15) {
      for (int b = 0; b < 256; b += 15) {
        const YCrCb c = ToYCrCb(MakeColor(r, g, b));
        ASSERT_TRUE(c.Y >= 0 && c.Y <= 255 && c.Cr >= 0 && c.Cr <= 255 && c.Cb >= 0 && c.Cb <= 255);
      }
    }
  }
}

TEST(PaletteBlock, EachModeWritesItsNotation) {
  // Two palettes: Y Cr Cb entries, custom colours on with the RGB values in
  // pixel-index order background, text, outline, antialias.
  EXPECT_EQ(PaletteLine(PaletteMode::TwoPalettes, kGray, kBlack, kWhite),
            "palette: 80807F, 008080, FF807F, 1D6BFF" + kTwelveZeros);
  EXPECT_EQ(CustomColorsLine(PaletteMode::TwoPalettes, kGray, kBlack, kWhite),
            "custom colors: ON, tridx: 1000, colors: 0000FF, FFFFFF, 000000, 808080");
  // PC only and safe palette: RGB entries, custom colours off.
  for (PaletteMode mode : {PaletteMode::PcOnly, PaletteMode::SafePalette}) {
    EXPECT_EQ(PaletteLine(mode, kGray, kBlack, kWhite),
              "palette: 808080, 000000, FFFFFF, 0000FF" + kTwelveZeros);
    EXPECT_EQ(CustomColorsLine(mode, kGray, kBlack, kWhite),
              "custom colors: OFF, tridx: 0000, colors: 000000, 000000, 000000, 000000");
  }
  // DVD only: Y Cr Cb, custom colours off.
  EXPECT_EQ(PaletteLine(PaletteMode::DvdOnly, kGray, kBlack, kWhite),
            "palette: 80807F, 008080, FF807F, 1D6BFF" + kTwelveZeros);
  EXPECT_EQ(CustomColorsLine(PaletteMode::DvdOnly, kGray, kBlack, kWhite),
            "custom colors: OFF, tridx: 0000, colors: 000000, 000000, 000000, 000000");
  // Order is antialias, outline, text: distinct colours show it.
  EXPECT_EQ(
      PaletteLine(PaletteMode::PcOnly, MakeColor(1, 2, 3), MakeColor(4, 5, 6), MakeColor(7, 8, 9)),
      "palette: 010203, 040506, 070809, 0000FF" + kTwelveZeros);

  EXPECT_EQ(PaletteBlock(PaletteMode::TwoPalettes, kGray, kBlack, kWhite),
            "palette: 80807F, 008080, FF807F, 1D6BFF" + kTwelveZeros +
                "\r\n\r\n# Custom colors(transp idxs and the four colors)\r\n"
                "custom colors: ON, tridx: 1000, colors: 0000FF, FFFFFF, 000000, 808080\r\n");
}

TEST(ColourLists, StandardAndSafeColoursWithTheirDefaults) {
  for (const auto& [list, file] :
       {std::pair{&StandardColors(), "standard_colors"}, std::pair{&SafeColors(), "safe_colors"}}) {
    const std::vector<testing::PersistedColor> expected = testing::PersistedColorList(file);
    ASSERT_EQ(list->size(), expected.size()) << file;
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ((*list)[i].Name, expected[i].name) << file;
      EXPECT_EQ((*list)[i].Value, expected[i].value) << expected[i].name;
    }
  }
  ASSERT_EQ(StandardColors().size(), 15u);
  ASSERT_EQ(SafeColors().size(), 7u);

  // After a fill the boxes show outline black, antialias gray, text white;
  // in the safe mode (0,30,0), (127,127,127), (255,230,20).
  EXPECT_EQ(ColorListFor(PaletteMode::TwoPalettes)[kOutlineDefaultIndex].Value, kBlack);
  EXPECT_EQ(ColorListFor(PaletteMode::PcOnly)[kAntialiasDefaultIndex].Value, kGray);
  EXPECT_EQ(ColorListFor(PaletteMode::DvdOnly)[kTextDefaultIndex].Value, kWhite);
  EXPECT_EQ(ColorListFor(PaletteMode::SafePalette)[kOutlineDefaultIndex].Value,
            MakeColor(0, 30, 0));
  EXPECT_EQ(ColorListFor(PaletteMode::SafePalette)[kAntialiasDefaultIndex].Value,
            MakeColor(127, 127, 127));
  EXPECT_EQ(ColorListFor(PaletteMode::SafePalette)[kTextDefaultIndex].Value,
            MakeColor(255, 230, 20));
}

}  // namespace
}  // namespace kestrelpix
