// Drawing a subtitle entry's two text lines, each with a one-pixel antialias
// ring and an outline ring, into a frame of colour values or over any
// picture.
//
// The result is the same as drawing each line (2O+1)^2 times at every offset
// up to the outline width O in the outline colour, then 9 times at every
// offset up to 1 in the antialias colour, then once in the text colour, line
// 1 before line 2. It is computed per line instead: with G the pixels one
// aliased draw of the line paints, a pixel takes the text colour when it is
// in G, else the antialias colour when a pixel of G lies within Chebyshev
// distance 1, else the outline colour when one lies within distance O.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/frame_bitmap.h"
#include "render/fonts.h"
#include "render/measure.h"
#include "render/render_settings.h"

namespace kestrelpix {

// The band of frame rows that holds the text: BandTop is always even. It is
// not clamped to the frame.
struct Band {
  int BandTop;
  int BandHeight;
  bool operator==(const Band&) const = default;
};

// The top-left corners of the two lines' text cells.
struct LinePositions {
  int x1, y1, x2, y2;
  bool operator==(const LinePositions&) const = default;
};

// x of a line of width W on the 720-pixel frame: "center" gives 360 - W div
// 2, "left" gives 8, any other text 712 - W.
int LineX(int W, const std::string& Align);

// y1 = FH - H1 - 40 - BottomOffset; y2 = y1 + H2 - LineSpacing.
LinePositions ComputePositions(TextExtent line1, TextExtent line2, const RenderSettings& s, int FH);

// BandTop = y1, or y1 - 1 when y1 is odd; BandHeight = H1 + H2 - lineSpacing + 6.
Band ComputeBand(int y1, int H1, int H2, int lineSpacing);

// The band widened where glyph pixels (rows glyph_top to glyph_bottom) lie
// outside it, so that no text pixel inside the frame is left out of the
// encoded picture: marks stacked above a line or reaching far below it (Thai,
// Arabic vowel marks, Devanagari, often from a fallback face taller than the
// chosen one) take the band's edge out to themselves and their outline, but
// not past the frame's rows 0 and FH - 1; the top stays even. A band that
// holds every glyph pixel is returned as it is, also when the outline of
// glyphs that reach the top of their cell lies above it. glyph_top >
// glyph_bottom means no glyph pixels.
Band CoverGlyphRows(Band band, int glyph_top, int glyph_bottom, int outline, int FH);

// The height of every line's text cell in the settings' font.
int LineHeight(Fonts& fonts, const RenderSettings& s);

// One line of text at its place: the top of its text cell at row Y, its
// column by LineX from its measured width and Align.
struct PlacedLine {
  std::string_view Text;
  std::string Align;
  int Y;
};

// Resets the frame to 720 x FH background (FH from Fps), draws the lines in
// order, each one's rings over the lines before it, and returns `band`
// widened where glyph pixels lie outside it (CoverGlyphRows). Colours as
// RenderFrame below.
Band RenderLines(Fonts& fonts, const std::vector<PlacedLine>& lines, Band band,
                 const RenderSettings& s, IndexFrame& frame);

// Draws the lines over the picture, columns and rows of the picture as
// those of the frame; pixels outside the picture are dropped.
void DrawLinesOver(Fonts& fonts, FrameBitmap& picture, const std::vector<PlacedLine>& lines,
                   const RenderSettings& s);

// Resets the frame to 720 x FH background (FH from Fps), draws both lines
// and returns the band: as the formulas give it, widened where glyph pixels
// lie outside it (CoverGlyphRows). The frame's colours are the background
// blue and the text, outline and antialias colours, values 0 to 3; a colour
// equal to an earlier one is drawn with the earlier one's value (text in the
// background blue is value 0), and its own value is left unused. Only the
// pixels of the text and its rings are written.
Band RenderFrame(Fonts& fonts, std::string_view line1, std::string_view line2,
                 const RenderSettings& s, IndexFrame& frame);

// The same frame as a 24-bit picture (the picture takes its size).
Band RenderFrame(Fonts& fonts, std::string_view line1, std::string_view line2,
                 const RenderSettings& s, FrameBitmap& picture);

// Draws both lines over the picture at the frame positions. FH in the
// position formulas is frame_height, or the picture's height when that is
// negative; columns follow the 720-pixel frame whatever the picture's width.
// Pixels outside the picture are dropped.
void DrawSubtitleLines(Fonts& fonts, FrameBitmap& picture, std::string_view line1,
                       std::string_view line2, const RenderSettings& s, int frame_height = -1);

// A colour value as drawing uses it: plain values keep their RGB bytes, a
// named system colour (high bit set, index in the low byte) becomes the fixed
// RGB value this program draws for that index; an unknown index draws black.
ColorValue ResolveDrawColor(ColorValue c);

// Outline widths beyond this are drawn with this width.
constexpr int kMaxOutlineWidth = 32;

}  // namespace kestrelpix
