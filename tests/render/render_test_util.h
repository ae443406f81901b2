// Helpers shared by the render tests.
#pragma once

#include <set>
#include <string>
#include <string_view>

#include "base/frame_bitmap.h"
#include "render/font_cache.h"
#include "render/png_file.h"
#include "render/render_settings.h"
#include "render/text_layout.h"
#include "support/golden.h"
#include "support/test_fonts.h"

namespace kestrelpix::testing {

inline const std::string kUtf8Russian =
    "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, \xD0\xBC\xD0\xB8\xD1\x80!";  // "Привет,
                                                                                    // мир!"
inline const std::string kUtf8Greek =
    "\xCE\x9A\xCE\xB1\xCE\xBB\xCE\xB7\xCE\xBC\xCE\xAD\xCF\x81\xCE\xB1";  // "Καλημέρα"
inline const std::string kUtf8Accents =
    "\xC3\x89t\xC3\xA9 \xC3\xA0 Z\xC3\xBCrich, \xC5\xB8 \xC3\xB1 \xC3\xA7";  // "Été à Zürich, Ÿ ñ
                                                                             // ç"

// The set of distinct colours in a frame.
inline std::set<ColorValue> ColorsOf(const FrameBitmap& frame) {
  std::set<ColorValue> colors;
  for (int y = 0; y < frame.height(); ++y) {
    for (int x = 0; x < frame.width(); ++x) colors.insert(frame.PixelAt(x, y));
  }
  return colors;
}

// The number of pixels in which two frames of equal size differ.
inline int DifferingPixels(const FrameBitmap& a, const FrameBitmap& b) {
  int n = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) n += a.PixelAt(x, y) != b.PixelAt(x, y);
  }
  return n;
}

// The glyph pixels of one draw of a line (see DrawLineMask) with its cell at
// (x, y), inside clip, in the settings' font; `Draw` mode text rules.
inline LineMask LineGlyphMask(std::string_view line, const RenderSettings& s, int x, int y,
                              const PixelRect& clip) {
  FontCache& cache = TestFonts().Cache();
  auto lock = cache.Lock();
  ResolvedFont& font =
      cache.Get(s.FontName, EmHeightForPoints(s.FontSize), s.FontStyle, s.FontCharset);
  LineLayout layout = LayoutLine(font, line, s.FontCharset, TextMode::Draw);
  return DrawLineMask(layout, s.FontStyle & kStyleUnderline, s.FontStyle & kStyleStrikeOut, x, y,
                      clip, 0);
}

// A frame against its reference PNG, tests/render/golden/NAME.png (see
// support/golden.h): same size, same pixels.
inline void ExpectGoldenFrame(const std::string& name, const FrameBitmap& frame) {
  ExpectGolden("render/golden/" + name + ".png", frame, ReadPng, WritePng,
               [](const FrameBitmap& golden, const FrameBitmap& actual) -> std::string {
                 if (golden.width() != actual.width() || golden.height() != actual.height()) {
                   return "the reference is " + std::to_string(golden.width()) + "x" +
                          std::to_string(golden.height()) + ", this run's frame " +
                          std::to_string(actual.width()) + "x" + std::to_string(actual.height());
                 }
                 const int n = DifferingPixels(golden, actual);
                 return n == 0 ? "" : std::to_string(n) + " pixels differ from the reference";
               });
}

}  // namespace kestrelpix::testing
