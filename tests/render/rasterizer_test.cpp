#include "render/rasterizer.h"

#include <gtest/gtest.h>

#include "render/font_cache.h"
#include "render/measure.h"
#include "render/render_test_util.h"
#include "render/text_decode.h"
#include "support/test_fonts.h"

using kestrelpix::testing::TestFonts;

namespace kestrelpix {
namespace {

using testing::ColorsOf;
using testing::LineGlyphMask;

constexpr ColorValue kWhite = MakeColor(255, 255, 255);
constexpr ColorValue kBlack = MakeColor(0, 0, 0);
constexpr ColorValue kGray = MakeColor(128, 128, 128);

RenderSettings Liberation(int size = 20) {
  RenderSettings s;
  s.FontName = "Liberation Sans";
  s.FontSize = size;
  return s;
}

TEST(Positions, LineXByAlignment) {
  // center: 360 - W div 2; W = 301 gives 360 - 150 = 210.
  EXPECT_EQ(LineX(301, "center"), 210);
  EXPECT_EQ(LineX(300, "center"), 210);
  EXPECT_EQ(LineX(0, "center"), 360);
  // right: 712 - W.
  EXPECT_EQ(LineX(300, "right"), 412);
  // left: 8 whatever the width.
  EXPECT_EQ(LineX(1, "left"), 8);
  EXPECT_EQ(LineX(900, "left"), 8);
  // Any other text, letter case included, is placed as "right".
  EXPECT_EQ(LineX(300, "Center"), 412);
  EXPECT_EQ(LineX(300, ""), 412);
  EXPECT_EQ(LineX(300, "LEFT"), 412);
  // Wider than the frame: the line starts left of it.
  EXPECT_EQ(LineX(800, "right"), -88);
  EXPECT_EQ(LineX(801, "center"), -40);
}

TEST(Positions, VerticalPositionsAndBand) {
  RenderSettings s;  // bottom offset 30, line spacing -4
  // PAL, H1 = H2 = 32: y1 = 576 - 32 - 40 - 30 = 474, y2 = 474 + 32 + 4 =
  // 510; band 474, 32 + 32 + 4 + 6 = 74 (rows 474 to 547).
  LinePositions p = ComputePositions({100, 32}, {200, 32}, s, 576);
  EXPECT_EQ(p.y1, 474);
  EXPECT_EQ(p.y2, 510);
  EXPECT_EQ(p.x1, 310);
  EXPECT_EQ(p.x2, 260);
  EXPECT_EQ(ComputeBand(p.y1, 32, 32, -4), (Band{474, 74}));
  // H1 = H2 = 31: y1 = 475 is odd, band from 474; y2 = 510; 72 rows.
  p = ComputePositions({100, 31}, {100, 31}, s, 576);
  EXPECT_EQ(p.y1, 475);
  EXPECT_EQ(p.y2, 510);
  EXPECT_EQ(ComputeBand(p.y1, 31, 31, -4), (Band{474, 72}));
  // NTSC: y1 = 480 - 32 - 40 - 30 = 378.
  p = ComputePositions({100, 32}, {100, 32}, s, 480);
  EXPECT_EQ(p.y1, 378);
  EXPECT_EQ(ComputeBand(p.y1, 32, 32, -4).BandTop, 378);
  // Lines of unequal height: y2 = FH - H1 + H2 - 40 - V - S.
  s.BottomOffset = 100;
  s.LineSpacing = 10;
  p = ComputePositions({0, 40}, {0, 20}, s, 576);
  EXPECT_EQ(p.y1, 576 - 40 - 40 - 100);
  EXPECT_EQ(p.y2, 576 - 40 + 20 - 40 - 100 - 10);
  EXPECT_EQ(ComputeBand(p.y1, 40, 20, 10), (Band{396, 40 + 20 - 10 + 6}));
}

TEST(Positions, BandIsNotClamped) {
  // NTSC, offset 492: y1 = 480 - 31 - 40 - 492 = -83, odd: BandTop -84.
  RenderSettings s = Liberation();
  s.Fps = "29.970";
  s.BottomOffset = 492;
  FrameBitmap frame;
  Band band = RenderFrame(TestFonts(), "Off the top", "", s, frame);
  EXPECT_EQ(band, (Band{-84, 72}));
  // Nothing of the text reaches the frame.
  EXPECT_EQ(ColorsOf(frame), std::set<ColorValue>{kBackgroundBlue});
  EXPECT_EQ(ComputeBand(-2, 10, 10, 0).BandTop, -2);
  EXPECT_EQ(ComputeBand(-1, 10, 10, 0).BandTop, -2);
}

TEST(RenderFrame, BandFollowsTheMeasuredHeights) {
  RenderSettings s = Liberation();
  FrameBitmap frame;
  // Liberation Sans at 20 pt is 31 rows high (see Measure tests).
  EXPECT_EQ(RenderFrame(TestFonts(), "Hello there", "General Kenobi", s, frame), (Band{474, 72}));
  EXPECT_EQ(frame.width(), 720);
  EXPECT_EQ(frame.height(), 576);
  // A one-line entry counts its empty second line as one line of the font.
  EXPECT_EQ(RenderFrame(TestFonts(), "Hello there", "", s, frame), (Band{474, 72}));
  s.Fps = "23.976";
  EXPECT_EQ(RenderFrame(TestFonts(), "Hello there", "", s, frame), (Band{378, 72}));
  EXPECT_EQ(frame.height(), 480);
  s.Fps = "25.000";
  s.LineSpacing = 10;
  s.BottomOffset = 31;  // y1 = 576 - 31 - 40 - 31 = 474
  EXPECT_EQ(RenderFrame(TestFonts(), "a", "b", s, frame), (Band{474, 31 + 31 - 10 + 6}));
}

TEST(RenderFrame, OnlyFourColoursAndEachOfThem) {
  RenderSettings s = Liberation();
  FrameBitmap frame;
  RenderFrame(TestFonts(), "The quick brown fox", "jumps over the lazy dog", s, frame);
  EXPECT_EQ(ColorsOf(frame), (std::set<ColorValue>{kBackgroundBlue, kWhite, kBlack, kGray}));
  s.TextColor = MakeColor(255, 255, 0);
  s.OutlineColor = MakeColor(0, 0, 128);
  s.AntialiasColor = MakeColor(192, 192, 192);
  s.FontStyle = 7;
  RenderFrame(TestFonts(), testing::kUtf8Accents, testing::kUtf8Russian, s, frame);
  EXPECT_EQ(ColorsOf(frame),
            (std::set<ColorValue>{kBackgroundBlue, MakeColor(255, 255, 0), MakeColor(0, 0, 128),
                                  MakeColor(192, 192, 192)}));
}

TEST(RenderFrame, EachFrameStartsFromBlue) {
  RenderSettings s = Liberation();
  FrameBitmap fresh;
  RenderFrame(TestFonts(), "Second entry", "", s, fresh);
  FrameBitmap reused(300, 200);
  for (int y = 0; y < 200; ++y) reused.SetPixel(5, y, MakeColor(1, 2, 3));
  RenderFrame(TestFonts(), "First entry, much longer than the second", "with a second line", s,
              reused);
  RenderFrame(TestFonts(), "Second entry", "", s, reused);
  EXPECT_EQ(reused.bytes(), fresh.bytes());
  // A frame of the right size with pixels written far from the text rows
  // (a picture loaded into it, say) is blue again too.
  FrameBitmap same(720, 576);
  same.SetPixel(0, 0, MakeColor(1, 2, 3));
  same.SetPixel(719, 575, MakeColor(1, 2, 3));
  for (int y = 100; y < 110; ++y) std::fill_n(same.Row(y), 720 * 3, uint8_t{7});
  RenderFrame(TestFonts(), "Second entry", "", s, same);
  EXPECT_EQ(same.bytes(), fresh.bytes());
}

TEST(RenderFrame, RingsAroundTheGlyphs) {
  // A vertical bar: along its middle row, left of its leftmost pixel the
  // antialias ring is 1 pixel and the outline O - 1 more, then blue.
  RenderSettings s = Liberation(40);
  s.OutlineWidth = 4;
  s.Align = "left";
  FrameBitmap frame;
  Band band = RenderFrame(TestFonts(), "|", "", s, frame);
  int y = band.BandTop + 20;
  int x = 0;
  while (x < 720 && frame.PixelAt(x, y) != kWhite) ++x;
  ASSERT_LT(x, 720);
  EXPECT_EQ(frame.PixelAt(x - 1, y), kGray);
  EXPECT_EQ(frame.PixelAt(x - 2, y), kBlack);
  EXPECT_EQ(frame.PixelAt(x - 4, y), kBlack);
  EXPECT_EQ(frame.PixelAt(x - 5, y), kBackgroundBlue);
  s.OutlineWidth = 2;
  RenderFrame(TestFonts(), "|", "", s, frame);
  EXPECT_EQ(frame.PixelAt(x - 1, y), kGray);
  EXPECT_EQ(frame.PixelAt(x - 2, y), kBlack);
  EXPECT_EQ(frame.PixelAt(x - 3, y), kBackgroundBlue);
}

TEST(RenderFrame, SecondLineRingsCoverTheFirstLine) {
  // Line spacing 10 with outline 4: line 2 starts 10 rows above the bottom of
  // line 1's cell, so its outline paints over line 1's descenders.
  RenderSettings s = Liberation(30);
  s.OutlineWidth = 4;
  s.LineSpacing = 10;
  FrameBitmap both, first_only;
  RenderFrame(TestFonts(), "gjpqy gjpqy gjpqy", "TTTTTTTTTTTTTTTTT", s, both);
  RenderFrame(TestFonts(), "gjpqy gjpqy gjpqy", "", s, first_only);
  int covered = 0;
  for (int y = 0; y < 576; ++y) {
    for (int x = 0; x < 720; ++x) {
      covered += first_only.PixelAt(x, y) == kWhite && both.PixelAt(x, y) != kWhite;
    }
  }
  EXPECT_GT(covered, 20);
}

TEST(RenderFrame, UnderlineAndStrikeOutAreGlyphPixels) {
  RenderSettings s = Liberation();
  FrameBitmap plain, underlined, struck;
  RenderFrame(TestFonts(), "mmmm", "", s, plain);
  s.FontStyle = 4;
  RenderFrame(TestFonts(), "mmmm", "", s, underlined);
  s.FontStyle = 8;
  RenderFrame(TestFonts(), "mmmm", "", s, struck);
  // Cell of line 1: rows 475 to 505, baseline row 475 + 25 = 500. "m" sits
  // on the baseline, so the rows below it are white only with underline.
  auto white_in_row = [](const FrameBitmap& f, int y) {
    int n = 0;
    for (int x = 0; x < 720; ++x) n += f.PixelAt(x, y) == kWhite;
    return n;
  };
  // Liberation Sans: underline centre -142 and thickness 150 of 2048 units,
  // top edge -67 -> 0.88 -> 1 row below the baseline row, 2 rows thick.
  EXPECT_EQ(white_in_row(plain, 501), 0);
  int w = MeasureLine(TestFonts(), "mmmm", s.FontName, 20, 0, 1).width;
  EXPECT_EQ(white_in_row(underlined, 501), w);
  EXPECT_EQ(white_in_row(underlined, 502), w);
  EXPECT_EQ(white_in_row(underlined, 503), 0);
  // Strike-out: OS/2 position 530 and size 102: 6.99 -> 7 rows above the
  // baseline row, 1.34 -> 1 row thick; the whole width is white there.
  EXPECT_EQ(white_in_row(struck, 493), w);
  EXPECT_LT(white_in_row(plain, 493), w);
}

TEST(RenderFrame, AmpersandsAreMeasuredAsDrawnSoLinesAreCentred) {
  RenderSettings s = Liberation();
  FrameBitmap frame;
  // Eight ampersands: measured as eight (not four, as mnemonic prefixes
  // would count them), so the centred line is placed by its whole width.
  const std::string amps(8, '&');
  const int w = MeasureLine(TestFonts(), amps, s.FontName, 20, 0, 1).width;
  ASSERT_EQ(w, 8 * MeasureLine(TestFonts(), "&", s.FontName, 20, 0, 1).width);
  RenderFrame(TestFonts(), amps, "", s, frame);
  int leftmost = 720, rightmost = 0;
  for (int y = 0; y < 576; ++y) {
    for (int x = 0; x < 720; ++x) {
      if (frame.PixelAt(x, y) == kWhite) {
        leftmost = std::min(leftmost, x);
        rightmost = std::max(rightmost, x);
      }
    }
  }
  // The text starts at 360 - w / 2 and ends within the advance width; the
  // margins left and right of the glyphs differ only by the side bearings.
  EXPECT_GE(leftmost, 360 - w / 2);
  EXPECT_LT(rightmost, 360 - w / 2 + w);
  EXPECT_LE(std::abs((719 - rightmost) - leftmost), 4);
}

TEST(RenderFrame, EmptyLinesDrawNothing) {
  RenderSettings s = Liberation();
  FrameBitmap frame;
  RenderFrame(TestFonts(), "", "", s, frame);
  EXPECT_EQ(ColorsOf(frame), std::set<ColorValue>{kBackgroundBlue});
}

// The glyph a face draws for a character no installed font has.
LineMask MissingGlyphMask(const RenderSettings& s) {
  return LineGlyphMask("\xF4\x8F\xBF\xBD", s, 0, 0, {-100, -100, 200, 200});  // U+10FFFD
}

TEST(RenderFrame, CyrillicGreekAndAccentsAreRealGlyphs) {
  for (const char* font : {"Liberation Sans", "DejaVu Sans"}) {
    RenderSettings s = Liberation();
    s.FontName = font;
    const LineMask box = MissingGlyphMask(s);
    ASSERT_FALSE(box.Empty()) << font;
    for (const std::string& text :
         {testing::kUtf8Russian, testing::kUtf8Greek, testing::kUtf8Accents}) {
      std::u32string chars = DecodeText(text, 1);
      for (char32_t c : chars) {
        if (c == U' ' || c == U',' || c == U'!') continue;
        std::string one = EncodeUtf8(std::u32string(1, c));
        LineMask glyph = LineGlyphMask(one, s, 0, 0, {-100, -100, 200, 200});
        EXPECT_FALSE(glyph.Empty()) << font << " U+" << std::hex << uint32_t(c);
        bool same_as_box = glyph.width == box.width && glyph.height == box.height &&
                           glyph.left == box.left && glyph.top == box.top && glyph.bits == box.bits;
        EXPECT_FALSE(same_as_box) << font << " draws a box for U+" << std::hex << uint32_t(c);
      }
    }
  }
  // Letters that look alike are told apart: Cyrillic П and Greek Π differ in
  // DejaVu Sans, Latin e and é differ.
  RenderSettings s = Liberation();
  s.FontName = "DejaVu Sans";
  EXPECT_NE(LineGlyphMask("\xC3\xA9", s, 0, 0, {-99, -99, 99, 99}).bits,
            LineGlyphMask("e", s, 0, 0, {-99, -99, 99, 99}).bits);
}

TEST(RenderFrame, MissingStylesAreSynthesized) {
  // DejaVu Math TeX Gyre has a regular face only. Its italic is slanted:
  // same advances, other pixels; its bold is emboldened: other pixels and
  // wider advances.
  RenderSettings s;
  s.FontName = "DejaVu Math TeX Gyre";
  const PixelRect clip{-999, -999, 9999, 9999};
  LineMask regular = LineGlyphMask("Harbour", s, 0, 0, clip);
  s.FontStyle = 2;
  LineMask italic = LineGlyphMask("Harbour", s, 0, 0, clip);
  EXPECT_NE(italic.bits, regular.bits);
  EXPECT_EQ(MeasureLine(TestFonts(), "Harbour", s.FontName, 20, 2, 1),
            MeasureLine(TestFonts(), "Harbour", s.FontName, 20, 0, 1));
  // Slanted to the right: the top rows move right, so the drawn pixels
  // reach farther right than the upright ones.
  EXPECT_GT(italic.left + italic.width, regular.left + regular.width);
  s.FontStyle = 1;
  LineMask bold = LineGlyphMask("Harbour", s, 0, 0, clip);
  EXPECT_NE(bold.bits, regular.bits);
}

TEST(RenderFrame, VeryLongLinesAreDrawnClipped) {
  // A hundred thousand letters: the line is laid out whole, but only the
  // part near the frame is rasterized into the mask.
  RenderSettings s = Liberation();
  const std::string long_line(100000, 'W');
  EXPECT_GT(MeasureLine(TestFonts(), long_line, s.FontName, 20, 0, 1).width, 1000000);
  FrameBitmap frame;
  EXPECT_EQ(RenderFrame(TestFonts(), long_line, "", s, frame), (Band{474, 72}));
  // Glyphs fill the line's rows from edge to edge.
  bool white_left = false, white_right = false;
  for (int y = 474; y < 510; ++y) {
    white_left |= frame.PixelAt(0, y) == kWhite || frame.PixelAt(1, y) == kWhite;
    white_right |= frame.PixelAt(719, y) == kWhite || frame.PixelAt(718, y) == kWhite;
  }
  EXPECT_TRUE(white_left);
  EXPECT_TRUE(white_right);
}

TEST(RenderFrame, CodePageTextDrawsAsItsUtf8Equivalent) {
  RenderSettings utf8 = Liberation();
  RenderSettings russian = utf8;
  russian.FontCharset = 204;
  FrameBitmap a, b;
  RenderFrame(TestFonts(), testing::kUtf8Russian, "", utf8, a);
  RenderFrame(TestFonts(), "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0!", "", russian, b);
  EXPECT_EQ(a.bytes(), b.bytes());
  RenderSettings greek = utf8;
  greek.FontCharset = 161;
  RenderFrame(TestFonts(), testing::kUtf8Greek, "", utf8, a);
  RenderFrame(TestFonts(), "\xCA\xE1\xEB\xE7\xEC\xDD\xF1\xE1", "", greek, b);
  EXPECT_EQ(a.bytes(), b.bytes());
}

TEST(DrawSubtitleLines, SamePixelsOverAnyPicture) {
  RenderSettings s = Liberation();
  FrameBitmap frame;
  RenderFrame(TestFonts(), "Seashore.", "Ocean Harbor", s, frame);
  FrameBitmap photo(720, 576);
  const ColorValue sand = MakeColor(200, 180, 120);
  for (int y = 0; y < 576; ++y) {
    for (int x = 0; x < 720; ++x) photo.SetPixel(x, y, sand);
  }
  DrawSubtitleLines(TestFonts(), photo, "Seashore.", "Ocean Harbor", s);
  for (int y = 0; y < 576; ++y) {
    for (int x = 0; x < 720; ++x) {
      ColorValue expected = frame.PixelAt(x, y) == kBackgroundBlue ? sand : frame.PixelAt(x, y);
      ASSERT_EQ(photo.PixelAt(x, y), expected) << x << "," << y;
    }
  }
}

TEST(DrawSubtitleLines, SmallerPictureKeepsFrameCoordinates) {
  // Positions come from the frame height given, so on a 360 x 300 picture
  // the lines of a PAL frame (rows 474 on) fall outside and nothing changes.
  RenderSettings s = Liberation();
  FrameBitmap small(360, 300);
  std::vector<uint8_t> before = small.bytes();
  DrawSubtitleLines(TestFonts(), small, "Seashore.", "Ocean Harbor", s, 576);
  EXPECT_EQ(small.bytes(), before);
  // With the picture's own height the text lands inside it.
  DrawSubtitleLines(TestFonts(), small, "Seashore.", "Ocean Harbor", s);
  EXPECT_NE(small.bytes(), before);
}

TEST(ResolveDrawColor, SystemColoursBecomeRgb) {
  EXPECT_EQ(ResolveDrawColor(MakeColor(1, 2, 3)), MakeColor(1, 2, 3));
  EXPECT_EQ(ResolveDrawColor(0x80000005u), kWhite);                    // window
  EXPECT_EQ(ResolveDrawColor(0x80000008u), kBlack);                    // window text
  EXPECT_EQ(ResolveDrawColor(0x8000000Fu), MakeColor(240, 240, 240));  // button face
  RenderSettings s = Liberation();
  s.TextColor = 0x80000005u;
  FrameBitmap frame;
  RenderFrame(TestFonts(), "x", "", s, frame);
  EXPECT_TRUE(ColorsOf(frame).count(kWhite));
  EXPECT_FALSE(ColorsOf(frame).count(0x80000005u));
}

}  // namespace
}  // namespace kestrelpix
