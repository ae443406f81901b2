// One text line laid out in a resolved font: which glyph goes where, how wide
// the line is, and the mask of pixels one aliased draw of it paints.
//
// Measuring and drawing read the same characters: every character that is
// drawn is measured, "&" included, so a line is placed by the width it is
// drawn with. They differ only for an empty text, which measures as one space
// and draws nothing. Both expand tabs to the next multiple of eight average
// character widths and give other control characters no width.
//
// Text is shaped (HarfBuzz, kerning off) and put in bidirectional order
// (FriBidi): Arabic letters join, marks sit on their bases, right-to-left
// runs read right to left with numbers and left-to-right words in their
// places. Lines of Latin, Greek and Cyrillic letters, digits, punctuation and
// symbols without combining marks need none of that: they are laid out
// character by character, which gives the same glyphs at the same places.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "render/font_cache.h"

namespace kestrelpix {

enum class TextMode { Measure, Draw };

struct PlacedGlyph {
  const GlyphImage* image;
  int x;                // pen position, pixels from the start of the line
  int dy = 0;           // rows below the baseline the glyph is moved (marks: up, negative)
  uint32_t source = 0;  // index in the decoded text of the first character it shows
};

struct LineLayout {
  std::vector<PlacedGlyph> glyphs;  // in visual order, left to right
  int width = 0;                    // the line's advance, whole pixels
  FontMetrics metrics;
  // A measured line that was not empty: drawing it gives this same layout.
  bool DrawnAlike = false;
};

// The bytes of a line that are laid out; the rest is left out.
constexpr size_t kMaxLaidOutBytes = size_t{1} << 20;

// Decodes the bytes by the charset (see text_decode.h) and places the
// glyphs. A SYMBOL line in a font without a symbol map is decoded as
// Windows-1252 text. Only the first kMaxLaidOutBytes bytes are laid out.
LineLayout LayoutLine(ResolvedFont& font, std::string_view bytes, uint8_t charset, TextMode mode);

// A rectangle of pixels, [left, right) x [top, bottom).
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// A one-bit picture of part of a frame. Bit i of word k of row r is the
// pixel (left + 64 k + i, top + r); bits beyond width are always clear.
struct LineMask {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int words = 0;
  std::vector<uint64_t> bits;

  const uint64_t* Row(int r) const { return bits.data() + static_cast<size_t>(r) * words; }
  uint64_t* Row(int r) { return bits.data() + static_cast<size_t>(r) * words; }
  // Frame coordinates; false outside the mask.
  bool Get(int x, int y) const;
  bool Empty() const;
};

// The pixels that one draw of the laid-out line paints with the top-left
// corner of its text cell at (x, y): the glyphs at whole-pixel positions on
// the baseline y + ascent, and the underline and strike-out strokes across
// the line's advance width. Only pixels inside `clip` are kept; the mask
// covers the kept pixels' bounding box widened by `pad` on every side (those
// pad pixels are clear, room for Dilate).
LineMask DrawLineMask(const LineLayout& layout, bool underline, bool strikeout, int x, int y,
                      const PixelRect& clip, int pad);

// Every pixel within Chebyshev distance `radius` of a set pixel, on the same
// geometry (pixels past the mask's edge are not reached).
LineMask Dilate(const LineMask& mask, int radius);

}  // namespace kestrelpix
