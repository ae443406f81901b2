// The rasterizer paints each line once with rings computed from its glyph
// mask. These tests draw the same entries the literal way, line by line and
// pass by pass: (2O+1)^2 draws of the glyph pixels in the outline colour at
// every offset, 9 in the antialias colour, 1 in the text colour, clipped at
// the frame edge; and require identical frames.
#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <tuple>
#include <vector>

#include "render/font_tables.h"
#include "render/measure.h"
#include "render/rasterizer.h"
#include "render/render_test_util.h"
#include "support/test_fonts.h"

using kestrelpix::testing::TestFonts;

namespace kestrelpix {
namespace {

using testing::LineGlyphMask;

struct Pixel {
  int x, y;
};

// The glyph pixels of one draw of the line with its cell at (0, 0).
std::vector<Pixel> GlyphPixels(const std::string& line, const RenderSettings& s) {
  const PixelRect everywhere{-(1 << 20), -(1 << 20), 1 << 20, 1 << 20};
  LineMask mask = LineGlyphMask(line, s, 0, 0, everywhere);
  std::vector<Pixel> pixels;
  for (int r = 0; r < mask.height; ++r) {
    for (int c = 0; c < mask.width; ++c) {
      if (mask.Get(mask.left + c, mask.top + r)) pixels.push_back({mask.left + c, mask.top + r});
    }
  }
  return pixels;
}

void Draw(FrameBitmap& frame, const std::vector<Pixel>& pixels, int x, int y, ColorValue color) {
  for (const Pixel& p : pixels) {
    int fx = p.x + x, fy = p.y + y;
    if (fx >= 0 && fy >= 0 && fx < frame.width() && fy < frame.height()) {
      frame.SetPixel(fx, fy, color);
    }
  }
}

// The entry drawn pass by pass, positions worked out from the measures.
FrameBitmap LiteralFrame(const std::string& line1, const std::string& line2,
                         const RenderSettings& s) {
  const int FH = s.Fps == "25.000" ? 576 : 480;
  FrameBitmap frame(720, FH);
  TextExtent e1 =
      MeasureLine(TestFonts(), line1, s.FontName, s.FontSize, s.FontStyle, s.FontCharset);
  TextExtent e2 =
      MeasureLine(TestFonts(), line2, s.FontName, s.FontSize, s.FontStyle, s.FontCharset);
  auto x_for = [&](int W) {
    if (s.Align == "center") return 720 / 2 - W / 2;
    if (s.Align == "left") return 8;
    return 720 - W - 8;
  };
  const int y1 = FH - e1.height - 40 - s.BottomOffset;
  const int y2 = FH - e1.height + e2.height - 40 - s.BottomOffset - s.LineSpacing;
  const int O = s.OutlineWidth;
  const struct {
    const std::string& text;
    int x, y;
  } lines[] = {{line1, x_for(e1.width), y1}, {line2, x_for(e2.width), y2}};
  for (const auto& line : lines) {
    std::vector<Pixel> g = GlyphPixels(line.text, s);
    for (int dx = -O; dx <= O; ++dx) {
      for (int dy = -O; dy <= O; ++dy) Draw(frame, g, line.x + dx, line.y + dy, s.OutlineColor);
    }
    for (int dx = -1; dx <= 1; ++dx) {
      for (int dy = -1; dy <= 1; ++dy) Draw(frame, g, line.x + dx, line.y + dy, s.AntialiasColor);
    }
    Draw(frame, g, line.x, line.y, s.TextColor);
  }
  return frame;
}

std::string Describe(const std::string& l1, const std::string& l2, const RenderSettings& s) {
  std::ostringstream out;
  out << "'" << l1 << "' / '" << l2 << "' font " << s.FontName << " " << s.FontSize << " style "
      << int(s.FontStyle) << " charset " << int(s.FontCharset) << " outline " << s.OutlineWidth
      << " align " << s.Align << " offset " << s.BottomOffset << " offset_or " << s.LineSpacing
      << " fps " << s.Fps;
  return out.str();
}

void ExpectSameAsLiteral(const std::string& l1, const std::string& l2, const RenderSettings& s) {
  FrameBitmap frame;
  RenderFrame(TestFonts(), l1, l2, s, frame);
  FrameBitmap literal = LiteralFrame(l1, l2, s);
  ASSERT_EQ(frame.height(), literal.height());
  EXPECT_EQ(testing::DifferingPixels(frame, literal), 0) << Describe(l1, l2, s);
}

RenderSettings Base() {
  RenderSettings s;
  s.FontName = "Liberation Sans";
  s.TextColor = MakeColor(255, 255, 255);
  s.OutlineColor = MakeColor(0, 0, 0);
  s.AntialiasColor = MakeColor(128, 128, 128);
  return s;
}

TEST(SixPasses, ChosenEdgeCases) {
  RenderSettings s = Base();
  ExpectSameAsLiteral("Hello, World!", "Ocean Harbor", s);
  // Lines overlapping, line 2's rings over line 1's glyphs.
  s.OutlineWidth = 4;
  s.LineSpacing = 10;
  ExpectSameAsLiteral("gjpqy descenders", "TOP LINE", s);
  // A line wider than the frame, clipped at both edges.
  s.FontSize = 40;
  ExpectSameAsLiteral(std::string(60, 'W'), std::string(70, 'M'), s);
  // Right alignment of an over-wide line starts it left of the frame.
  s.Align = "right";
  ExpectSameAsLiteral(std::string(60, 'W'), "short", s);
  // Text partly above the top of the NTSC frame.
  s.Fps = "29.970";
  s.BottomOffset = 440;
  s.FontSize = 50;
  ExpectSameAsLiteral("Top edge", "Jjy", s);
  // At the bottom edge: offset 8 at PAL leaves 40 + 8 rows below line 1.
  s = Base();
  s.BottomOffset = 8;
  s.LineSpacing = -14;
  s.FontSize = 50;
  s.OutlineWidth = 4;
  ExpectSameAsLiteral("Bottom", "gjpqy under the frame", s);
  // Left alignment with glyphs that reach left of their pen position.
  s = Base();
  s.Align = "left";
  s.FontStyle = 3;
  ExpectSameAsLiteral("jjj fff", "///", s);
  // Outline widths outside the list.
  for (int o : {0, 1, 5, 6}) {
    s.OutlineWidth = o;
    ExpectSameAsLiteral("Outline", "widths", s);
  }
  // An ampersand, tabs and a character from a fallback face.
  s = Base();
  ExpectSameAsLiteral("A&B && C", "\tstar \xE2\x98\x85 tab", s);
  // Underline and strike-out strokes are glyph pixels for the rings too.
  s.FontStyle = 5;
  ExpectSameAsLiteral("Underlined", "", s);
  s.FontStyle = 8;
  ExpectSameAsLiteral("", "Struck out", s);
  // Colours that coincide: with each other, or with the background blue.
  const ColorValue white = MakeColor(255, 255, 255), black = 0, gray = MakeColor(128, 128, 128);
  for (const auto& [text, outline, antialias] :
       {std::tuple{black, black, gray}, std::tuple{white, black, white},
        std::tuple{white, gray, gray}, std::tuple{kBackgroundBlue, black, gray},
        std::tuple{white, kBackgroundBlue, kBackgroundBlue}}) {
    s = Base();
    s.TextColor = text;
    s.OutlineColor = outline;
    s.AntialiasColor = antialias;
    ExpectSameAsLiteral("Same colours", "gjpqy |||", s);
  }
}

TEST(SixPasses, ManyCombinations) {
  const std::vector<std::string> fonts = {"Liberation Sans", "DejaVu Sans",          "DejaVu Serif",
                                          "Liberation Mono", "DejaVu Math TeX Gyre", "Arial"};
  const std::vector<std::string> texts = {"Hello, World!",
                                          "Ocean Harbor",
                                          "Seashore.",
                                          "j\xC3\xBF \xC3\x85gq|",
                                          testing::kUtf8Russian,
                                          testing::kUtf8Greek,
                                          testing::kUtf8Accents,
                                          "A&B && C",
                                          "",
                                          "i",
                                          "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW",
                                          "\xE2\x98\x85 fallback \xE2\x98\x85",
                                          "The quick brown fox jumps over the lazy dog"};
  const std::vector<std::string> aligns = {"center", "left", "right", "Middle"};
  const std::vector<std::string> fps = {"25.000", "29.970", "23.976"};
  // A fixed-seed generator so failures are repeatable.
  uint32_t state = 12345;
  auto next = [&](uint32_t n) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % n;
  };
  for (int i = 0; i < 120; ++i) {
    RenderSettings s = Base();
    s.FontName = fonts[next(fonts.size())];
    s.FontSize = std::stoi(FontSizeNames()[next(35)]);
    s.FontStyle = StyleFromName(StyleNames()[next(9)]);
    s.OutlineWidth = 2 + static_cast<int>(next(3));
    s.Align = aligns[next(aligns.size())];
    s.BottomOffset = 8 + static_cast<int>(next(485));
    s.LineSpacing = -14 + static_cast<int>(next(25));
    s.Fps = fps[next(fps.size())];
    ExpectSameAsLiteral(texts[next(texts.size())], texts[next(texts.size())], s);
    if (HasFailure()) break;
  }
}

}  // namespace
}  // namespace kestrelpix
