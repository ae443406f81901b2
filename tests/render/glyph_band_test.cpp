// The band takes in glyph pixels that lie outside the line cells (marks
// stacked above a line from a fallback face taller than the chosen one), so
// that the encoder reads every text pixel; Latin lines keep the band of the
// formulas.
#include <gtest/gtest.h>

#include <climits>

#include "render/rasterizer.h"
#include "render/render_test_util.h"
#include "support/test_fonts.h"

using kestrelpix::testing::TestFonts;

namespace kestrelpix {
namespace {

TEST(GlyphBand, CoverGlyphRowsWidensOnlyForGlyphPixelsOutside) {
  // The default PAL band of two 31-row lines: rows 474 to 545 (72 rows).
  const Band band{474, 72};
  // Glyphs inside: unchanged, however close their outline comes.
  EXPECT_EQ(CoverGlyphRows(band, 474, 545, 4, 576), band);
  EXPECT_EQ(CoverGlyphRows(band, 476, 540, 3, 576), band);
  // No glyph pixels at all.
  EXPECT_EQ(CoverGlyphRows(band, INT_MAX, INT_MIN, 3, 576), band);
  // Marks from row 468: their outline of 3 from 465, down to even 464; the
  // bottom stays at 545: 545 - 464 + 1 = 82 rows.
  EXPECT_EQ(CoverGlyphRows(band, 468, 540, 3, 576), (Band{464, 82}));
  // One row above: 473 - 4 = 469, even 468; 545 - 468 + 1 = 78.
  EXPECT_EQ(CoverGlyphRows(band, 473, 545, 4, 576), (Band{468, 78}));
  // Below the band's last row 545: glyph row 548 and an outline of 3 reach
  // 551; 551 - 474 + 1 = 78.
  EXPECT_EQ(CoverGlyphRows(band, 480, 548, 3, 576), (Band{474, 78}));
  // Both ways at once.
  EXPECT_EQ(CoverGlyphRows(band, 470, 547, 2, 576), (Band{468, 82}));
  // Not past the frame: the top stops at row 0, the end at row 576.
  EXPECT_EQ(CoverGlyphRows(Band{2, 72}, -2, 60, 3, 576), (Band{0, 74}));
  EXPECT_EQ(CoverGlyphRows(Band{500, 70}, 510, 574, 4, 576), (Band{500, 76}));
  // A band that already leaves the frame is not moved further by glyphs
  // that lie inside it.
  EXPECT_EQ(CoverGlyphRows(Band{-20, 72}, -3, 40, 3, 576), (Band{-20, 72}));
}

// Rows of the frame that hold a pixel of the colour.
std::pair<int, int> RowsOf(const FrameBitmap& frame, ColorValue color) {
  int first = INT_MAX, last = INT_MIN;
  for (int y = 0; y < frame.height(); ++y) {
    for (int x = 0; x < frame.width(); ++x) {
      if (frame.PixelAt(x, y) == color) {
        first = std::min(first, y);
        last = std::max(last, y);
        break;
      }
    }
  }
  return {first, last};
}

TEST(GlyphBand, EveryTextPixelOfAFrameLiesInItsBand) {
  struct Case {
    const char* what;
    std::string line1, line2;
    const char* font;
    bool widened;  // whether glyphs reach outside the formula band
  };
  const Case cases[] = {
      // น้ำใจ ผู้ใหญ่ กี่ปี in "Arial": the Thai comes from a fallback face
      // whose stacked marks rise above Liberation Sans's cell.
      {"thai in arial",
       "\xE0\xB8\x99\xE0\xB9\x89\xE0\xB8\xB3\xE0\xB9\x83\xE0\xB8\x88 \xE0\xB8\x9C\xE0\xB8\xB9\xE0"
       "\xB9\x89\xE0\xB9\x83\xE0\xB8\xAB\xE0\xB8\x8D\xE0\xB9\x88 \xE0\xB8\x81\xE0\xB8\xB5\xE0\xB9"
       "\x88\xE0\xB8\x9B\xE0\xB8\xB5",
       "", "Arial", true},
      // مَرْحَبًا ذَّ / بِكُمْ: fatha, sukun, fathatan and shadda stacked with
      // fatha above the letters, kasra and damma on the second line.
      {"vowelled arabic in arial",
       "\xD9\x85\xD9\x8E\xD8\xB1\xD9\x92\xD8\xAD\xD9\x8E\xD8\xA8\xD9\x8B\xD8\xA7 \xD8\xB0\xD9\x91"
       "\xD9\x8E",
       "\xD8\xA8\xD9\x90\xD9\x83\xD9\x8F\xD9\x85\xD9\x92", "Arial", true},
      {"latin", "The quick brown fox", "jumps over the lazy dog.", "Liberation Sans", false},
      {"latin accents", testing::kUtf8Accents, "\xC3\x85ngstr\xC3\xB6m", "DejaVu Sans", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RenderSettings s;
    s.FontName = c.font;
    FrameBitmap frame;
    const Band band = RenderFrame(TestFonts(), c.line1, c.line2, s, frame);
    const auto [first, last] = RowsOf(frame, s.TextColor);
    ASSERT_LE(first, last);
    EXPECT_GE(first, band.BandTop);
    EXPECT_LT(last, band.BandTop + band.BandHeight);
    EXPECT_EQ(band.BandTop % 2, 0);
    // The band of the formulas, from the measured heights.
    const TextExtent e1 = MeasureLine(TestFonts(), c.line1, s.FontName, s.FontSize, 0, 1);
    const TextExtent e2 = MeasureLine(TestFonts(), c.line2, s.FontName, s.FontSize, 0, 1);
    const int y1 = 576 - e1.height - 40 - s.BottomOffset;
    const Band formulas = ComputeBand(y1, e1.height, e2.height, s.LineSpacing);
    EXPECT_EQ(band != formulas, c.widened) << band.BandTop << " " << band.BandHeight;
    if (c.widened) {
      // Widened to the glyphs' outline above them, and no further.
      EXPECT_EQ(band.BandTop, (first - s.OutlineWidth) & ~1);
      EXPECT_EQ(band.BandTop + band.BandHeight, formulas.BandTop + formulas.BandHeight);
    }
  }
}

}  // namespace
}  // namespace kestrelpix
