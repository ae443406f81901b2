#include "vobsub/idx_writer.h"

#include <gtest/gtest.h>

#include "support/golden.h"
#include "vobsub/pair_writer.h"
#include "vobsub/palette.h"
#include "vobsub/test_frames.h"

namespace kestrelpix {
namespace {

const ColorValue kGray = MakeColor(128, 128, 128);
const ColorValue kBlack = MakeColor(0, 0, 0);
const ColorValue kWhite = MakeColor(255, 255, 255);

// Line n (1-based) of a CR LF text.
std::string LineOf(const std::string& text, int n) {
  size_t begin = 0;
  for (int i = 1; i < n; ++i) begin = text.find("\r\n", begin) + 2;
  return text.substr(begin, text.find("\r\n", begin) - begin);
}

TEST(IndexHeader, PalHeaderAndEntriesMatchTheGoldenFile) {
  // The golden file was typed line by line from the index format: 63 header
  // lines for PAL, language "en", two palettes with antialias gray, outline
  // black and text white, then three entries, every line ended by CR LF.
  std::string text = IndexHeader("25.000", "en ENGLISH",
                                 PaletteBlock(PaletteMode::TwoPalettes, kGray, kBlack, kWhite));
  text += IndexEntry(62500, 0);
  text += IndexEntry(40000, 40960);      // 40960 = 0xa000, lower case
  text += IndexEntry(3723004, 1050624);  // 1050624 = 513 * 2048 = 0x100800
  testing::ExpectGoldenBytes("vobsub/golden/pal_two_palettes.idx", text);
}

// A whole pair as a conversion writes it, both files byte for byte: two PAL
// entries of glyph-like boxes, with two palettes.
TEST(GoldenPair, TwoEntriesMatchTheGoldenFiles) {
  std::vector<testing::TestEntry> entries;
  for (int k = 0; k < 2; ++k) {
    FrameBitmap frame(720, 576);
    for (int i = 0; i < 6; ++i) {
      testing::DrawOutlinedBox(frame, 200 + 50 * i + 7 * k, 490 + 3 * (i % 2), 30 + 4 * k, 24);
    }
    entries.push_back({std::move(frame), 484, 40, 1000.0 + 4000 * k, 3500.0 + 4000 * k});
  }
  const testing::TempDir dir;
  const std::string stem = (dir.path() / "two_entries").string();
  testing::WritePair(stem, entries, testing::PairOptions{});
  testing::ExpectGoldenBytes("vobsub/golden/two_entries.idx",
                             testing::ReadFileBytes(stem + ".idx"));
  testing::ExpectGoldenBytes("vobsub/golden/two_entries.sub",
                             testing::ReadFileBytes(stem + ".sub"));
}

TEST(IndexHeader, FrameSizeAndLanguageLines) {
  const std::string block = PaletteBlock(PaletteMode::PcOnly, kGray, kBlack, kWhite);
  // Only the exact text "25.000" is PAL.
  EXPECT_EQ(LineOf(IndexHeader("25.000", "en", block), 23), "size: 720x576");
  for (const char* fps : {"29.970", "23.976", "24.000", "30.000", "25.00", "25.000 ", ""}) {
    EXPECT_EQ(LineOf(IndexHeader(fps, "en", block), 23), "size: 720x480") << fps;
  }
  // Two characters of the language; lines 59 and 62 stay English.
  const std::string pt = IndexHeader("25.000", "pt PORTUGUESE", block);
  EXPECT_EQ(LineOf(pt, 59), "# English");
  EXPECT_EQ(LineOf(pt, 60), "id: pt, index: 0");
  EXPECT_EQ(LineOf(pt, 62), "# alt: English");
  EXPECT_EQ(LineOf(IndexHeader("25.000", "e", block), 60), "id: e, index: 0");
  EXPECT_EQ(LineOf(IndexHeader("25.000", "", block), 60), "id: , index: 0");
  // The palette block is lines 51 to 54; the header is 63 lines.
  EXPECT_EQ(LineOf(pt, 51), PaletteLine(PaletteMode::PcOnly, kGray, kBlack, kWhite));
  EXPECT_EQ(LineOf(pt, 54), CustomColorsLine(PaletteMode::PcOnly, kGray, kBlack, kWhite));
  size_t breaks = 0;
  for (size_t at = pt.find("\r\n"); at != std::string::npos; at = pt.find("\r\n", at + 2)) ++breaks;
  EXPECT_EQ(breaks, 63u);
  EXPECT_EQ(pt.find('\n'), pt.find("\r\n") + 1);  // no bare line feeds
  // A block handed over without its final CR LF still gives 63 lines.
  const std::string trimmed = block.substr(0, block.size() - 2);
  EXPECT_EQ(IndexHeader("25.000", "pt PORTUGUESE", trimmed), pt);
}

TEST(IndexEntry, PositionHasNineDigitsOrMore) {
  EXPECT_EQ(IndexEntry(62500, 0), "timestamp: 00:01:02:500, filepos: 000000000\r\n");
  EXPECT_EQ(IndexEntry(1000, 2048), "timestamp: 00:00:01:000, filepos: 000000800\r\n");
  EXPECT_EQ(IndexEntry(0, 0xFFFFFFFFFull), "timestamp: 00:00:00:000, filepos: fffffffff\r\n");
  // Past 36 bits the position takes a tenth digit instead of being cut.
  EXPECT_EQ(IndexEntry(0, 0x1000000000ull), "timestamp: 00:00:00:000, filepos: 1000000000\r\n");
}

}  // namespace
}  // namespace kestrelpix
