// Whole frames compared pixel for pixel with reference PNGs in
// tests/render/golden/. After an intended change of the drawing, run
// scripts/regen-goldens.sh to rewrite them, and look at the new pictures
// before committing them.
#include <gtest/gtest.h>

#include "render/rasterizer.h"
#include "render/render_test_util.h"
#include "support/test_fonts.h"

using kestrelpix::testing::TestFonts;

namespace kestrelpix {
namespace {

struct GoldenCase {
  const char* name;
  std::string line1;
  std::string line2;
  RenderSettings settings;
};

RenderSettings With(const char* font, int size, uint8_t style, int outline, const char* align,
                    int bottomOffset, int lineSpacing, const char* fps) {
  RenderSettings s;
  s.FontName = font;
  s.FontSize = size;
  s.FontStyle = style;
  s.OutlineWidth = outline;
  s.Align = align;
  s.BottomOffset = bottomOffset;
  s.LineSpacing = lineSpacing;
  s.Fps = fps;
  return s;
}

std::vector<GoldenCase> Cases() {
  std::vector<GoldenCase> cases;
  // The window's defaults, with Arial's substitute named directly.
  cases.push_back({"liberation_default", "The quick brown fox jumps", "over the lazy dog.",
                   With("Liberation Sans", 20, 0, 3, "center", 30, -4, "25.000")});
  cases.push_back({"liberation_bold_italic_ntsc_left", "Where are you going?",
                   "Home, to the harbour.",
                   With("Liberation Sans", 28, 3, 4, "left", 60, -8, "29.970")});
  {
    RenderSettings s = With("DejaVu Sans", 24, 5, 2, "right", 100, 0, "25.000");
    s.TextColor = MakeColor(255, 255, 0);
    s.OutlineColor = MakeColor(0, 0, 128);
    s.AntialiasColor = MakeColor(192, 192, 192);
    cases.push_back({"dejavu_bold_underline_right", "Ocean & Harbor", "Seashore.", s});
  }
  cases.push_back({"dejavu_strikeout_cyrillic_greek", testing::kUtf8Russian, testing::kUtf8Greek,
                   With("DejaVu Sans", 22, 8, 3, "center", 30, -4, "25.000")});
  {
    // "Привет, мир!" and "Добрый вечер" as CP1251 bytes.
    RenderSettings s = With("Liberation Sans", 20, 6, 3, "center", 30, -4, "23.976");
    s.FontCharset = 204;
    cases.push_back({"liberation_italic_under_cp1251", "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0!",
                     "\xC4\xEE\xE1\xF0\xFB\xE9 \xE2\xE5\xF7\xE5\xF0", s});
  }
  cases.push_back({"dejavu_overlap_accents", testing::kUtf8Accents, "jgpqy \xC3\x85ngstr\xC3\xB6m",
                   With("DejaVu Sans", 36, 0, 4, "center", 200, 10, "25.000")});
  cases.push_back({"liberation_small_one_line", "Just one small line at six points.", "",
                   With("Liberation Sans", 6, 0, 2, "left", 8, -14, "30.000")});
  return cases;
}

TEST(GoldenFrames, MatchTheReferencePictures) {
  for (const GoldenCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    FrameBitmap frame;
    RenderFrame(TestFonts(), c.line1, c.line2, c.settings, frame);
    const RenderSettings& s = c.settings;
    EXPECT_EQ(testing::ColorsOf(frame), (std::set<ColorValue>{kBackgroundBlue, s.TextColor,
                                                              s.OutlineColor, s.AntialiasColor}));
    testing::ExpectGoldenFrame(c.name, frame);
  }
}

}  // namespace
}  // namespace kestrelpix
