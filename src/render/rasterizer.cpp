#include "render/rasterizer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstring>
#include <vector>

#include "base/system_colors.h"
#include "render/font_cache.h"
#include "render/measure.h"
#include "render/text_layout.h"

namespace kestrelpix {

namespace {

// Entry b has byte j all ones where bit j of b is set: eight mask bits
// spread onto eight frame bytes in memory order (little-endian loads).
constexpr std::array<uint64_t, 256> kSpreadBits = [] {
  std::array<uint64_t, 256> spread{};
  for (int b = 0; b < 256; ++b) {
    for (int j = 0; j < 8; ++j) {
      if (b >> j & 1) spread[b] |= uint64_t{0xFF} << (8 * j);
    }
  }
  return spread;
}();

// The values the three colours are painted with.
struct PaintValues {
  uint8_t text, outline, antialias;
};

// Paints one line's masks, which share one geometry, in one pass: under a
// set bit of `outer` the outer value, then of `ring` the antialias value,
// then of `glyphs` the text value, each over the one before; pixels under
// no set bit keep their value. `glyphs` lies within `ring` and `ring`
// within `outer`.
void PaintMasks(IndexFrame& frame, const LineMask& outer, const LineMask& ring,
                const LineMask& glyphs, uint8_t outer_value, PaintValues values) {
  const int first_row = std::max(0, -outer.top);
  const int last_row = std::min(outer.height, frame.height() - outer.top);
  const int from = std::max(0, -outer.left);
  const int limit = std::min(outer.width, frame.width() - outer.left);
  if (from >= limit) return;
  const int first_word = from >> 6;
  const int last_word = (limit - 1) >> 6;
  const uint64_t first_keep = ~uint64_t{0} << (from & 63);
  const uint64_t last_keep = (limit & 63) != 0 ? (uint64_t{1} << (limit & 63)) - 1 : ~uint64_t{0};
  constexpr uint64_t kEveryByte = 0x0101010101010101;
  const uint64_t outer_fill = outer_value * kEveryByte;
  const uint64_t ring_change = (outer_value ^ values.antialias) * kEveryByte;
  const uint64_t text_change = (values.antialias ^ values.text) * kEveryByte;
  for (int r = first_row; r < last_row; ++r) {
    const uint64_t* outer_row = outer.Row(r);
    if (std::all_of(outer_row + first_word, outer_row + last_word + 1,
                    [](uint64_t w) { return w == 0; })) {
      continue;
    }
    const uint64_t* ring_row = ring.Row(r);
    const uint64_t* glyph_row = glyphs.Row(r);
    uint8_t* out = frame.Row(outer.top + r);
    for (int k = first_word; k <= last_word; ++k) {
      uint64_t keep = ~uint64_t{0};
      if (k == first_word) keep &= first_keep;
      if (k == last_word) keep &= last_keep;
      uint64_t o = outer_row[k] & keep;
      if (o == 0) continue;
      uint64_t a = ring_row[k] & keep;
      uint64_t g = glyph_row[k] & keep;
      // Mask column c is frame column outer.left + c.
      const int c = k << 6;
      if (std::endian::native == std::endian::little && c >= from &&
          outer.left + c + 64 <= frame.width()) {
        // All 64 columns inside the frame: eight blends of eight pixels.
        // As g lies within a and a within o, the value under a set bit is
        // the outer fill, changed to the ring fill by a and to the text
        // fill by g.
        for (uint8_t* at = out + (outer.left + c); o != 0; o >>= 8, a >>= 8, g >>= 8, at += 8) {
          const uint64_t om = kSpreadBits[o & 0xFF];
          if (om == 0) continue;
          const uint64_t painted = (outer_fill & om) ^ (ring_change & kSpreadBits[a & 0xFF]) ^
                                   (text_change & kSpreadBits[g & 0xFF]);
          uint64_t eight;
          std::memcpy(&eight, at, 8);
          eight = (eight & ~om) | painted;
          std::memcpy(at, &eight, 8);
        }
        continue;
      }
      // At the frame's edges, pixel by pixel (the bits of columns outside
      // the frame are clear).
      for (int j = 0; o != 0; ++j, o >>= 1, a >>= 1, g >>= 1) {
        if ((o & 1) == 0) continue;
        out[outer.left + c + j] = (g & 1) ? values.text : (a & 1) ? values.antialias : outer_value;
      }
    }
  }
}

// Frame rows of the first and the last glyph pixel of the lines drawn
// (within the outline width of the frame); top > bottom when nothing is
// drawn.
struct GlyphRows {
  int top = INT_MAX;
  int bottom = INT_MIN;
};

// Widens the rows [top, bottom] by the rows of the mask that hold set pixels.
void ExtendBySetRows(const LineMask& mask, GlyphRows& rows) {
  for (int r = 0; r < mask.height; ++r) {
    const uint64_t* row = mask.Row(r);
    if (std::any_of(row, row + mask.words, [](uint64_t w) { return w != 0; })) {
      rows.top = std::min(rows.top, mask.top + r);
      rows.bottom = std::max(rows.bottom, mask.top + r);
    }
  }
}

// Draws the line laid out in Draw mode; `measured` is its Measure layout,
// which serves when the two are alike.
void PaintLine(IndexFrame& frame, ResolvedFont& font, std::string_view line,
               const LineLayout& measured, int x, int y, const RenderSettings& s, int outline,
               PaintValues values, GlyphRows& rows) {
  LineLayout for_drawing;
  if (!measured.DrawnAlike) for_drawing = LayoutLine(font, line, s.FontCharset, TextMode::Draw);
  const LineLayout& layout = measured.DrawnAlike ? measured : for_drawing;
  if (layout.glyphs.empty() && layout.width == 0) return;
  // Glyph pixels farther than the outline width off the frame cannot
  // colour any pixel of it.
  const int pad = std::max(outline, 1);
  PixelRect clip{-pad, -pad, frame.width() + pad, frame.height() + pad};
  LineMask glyphs = DrawLineMask(layout, s.FontStyle & kStyleUnderline,
                                 s.FontStyle & kStyleStrikeOut, x, y, clip, pad);
  if (glyphs.bits.empty()) return;
  ExtendBySetRows(glyphs, rows);
  // Painted in the order of the passes, each ring over the wider one. An
  // outline of 1 or less lies wholly under the antialias ring.
  const LineMask ring1 = Dilate(glyphs, 1);
  if (outline > 1) {
    PaintMasks(frame, Dilate(ring1, outline - 1), ring1, glyphs, values.outline, values);
  } else {
    PaintMasks(frame, ring1, ring1, glyphs, values.antialias, values);
  }
}

// Draws the lines in order, each one's rings over the lines before it.
GlyphRows DrawLines(Fonts& fonts, IndexFrame& frame, const std::vector<PlacedLine>& lines,
                    const RenderSettings& s, PaintValues values) {
  FontCache& cache = fonts.Cache();
  auto lock = cache.Lock();
  ResolvedFont& font =
      cache.Get(s.FontName, EmHeightForPoints(s.FontSize), s.FontStyle, s.FontCharset);
  const int outline = std::min(s.OutlineWidth, kMaxOutlineWidth);
  GlyphRows rows;
  for (const PlacedLine& line : lines) {
    const LineLayout measured = LayoutLine(font, line.Text, s.FontCharset, TextMode::Measure);
    PaintLine(frame, font, line.Text, measured, LineX(measured.width, line.Align), line.Y, s,
              outline, values, rows);
  }
  return rows;
}

// The two lines of an entry drawn with the settings' place.
std::vector<PlacedLine> TwoLines(Fonts& fonts, std::string_view line1, std::string_view line2,
                                 const RenderSettings& s, int FH) {
  const int H = LineHeight(fonts, s);
  const LinePositions p = ComputePositions({0, H}, {0, H}, s, FH);
  return {{line1, s.Align, p.y1}, {line2, s.Align, p.y2}};
}

}  // namespace

ColorValue ResolveDrawColor(ColorValue c) {
  if (IsSystemColor(c)) return SystemColorRgb(c);
  return c & 0x00FFFFFFu;
}

int LineX(int W, const std::string& Align) {
  if (Align == "center") return kFrameWidth / 2 - W / 2;
  if (Align == "left") return 8;
  return kFrameWidth - W - 8;
}

LinePositions ComputePositions(TextExtent line1, TextExtent line2, const RenderSettings& s,
                               int FH) {
  LinePositions p;
  p.x1 = LineX(line1.width, s.Align);
  p.x2 = LineX(line2.width, s.Align);
  p.y1 = FH - line1.height - 40 - s.BottomOffset;
  p.y2 = FH - line1.height + line2.height - 40 - s.BottomOffset - s.LineSpacing;
  return p;
}

Band ComputeBand(int y1, int H1, int H2, int lineSpacing) {
  // y1 % 2 is -1 for odd negative y1, so test the lowest bit instead.
  return {(y1 & 1) == 0 ? y1 : y1 - 1, H1 + H2 - lineSpacing + 6};
}

Band CoverGlyphRows(Band band, int glyph_top, int glyph_bottom, int outline, int FH) {
  if (glyph_top > glyph_bottom) return band;
  if (glyph_top < band.BandTop) {
    int top = std::max(glyph_top - outline, 0);
    top -= top & 1;
    if (top < band.BandTop) {
      band.BandHeight += band.BandTop - top;
      band.BandTop = top;
    }
  }
  const int end = band.BandTop + band.BandHeight;
  if (glyph_bottom >= end) {
    const int new_end = std::min(glyph_bottom + outline + 1, FH);
    if (new_end > end) band.BandHeight = new_end - band.BandTop;
  }
  return band;
}

int LineHeight(Fonts& fonts, const RenderSettings& s) {
  return MeasureLine(fonts, "", s.FontName, s.FontSize, s.FontStyle, s.FontCharset).height;
}

Band RenderLines(Fonts& fonts, const std::vector<PlacedLine>& lines, Band band,
                 const RenderSettings& s, IndexFrame& frame) {
  const int FH = FrameHeightForFps(s.Fps);
  frame.Reset(kFrameWidth, FH);
  // Value v is drawn in colour v; a colour that an earlier value already has
  // (the background blue included) is painted with that value, so that a
  // frame never holds two values of one colour.
  const std::array<ColorValue, 4> colors = {kBackgroundBlue, ResolveDrawColor(s.TextColor),
                                            ResolveDrawColor(s.OutlineColor),
                                            ResolveDrawColor(s.AntialiasColor)};
  frame.colors().assign(colors.begin(), colors.end());
  const auto value_of = [&colors](size_t v) {
    return static_cast<uint8_t>(std::find(colors.begin(), colors.end(), colors[v]) -
                                colors.begin());
  };
  const PaintValues values{value_of(1), value_of(2), value_of(3)};
  const GlyphRows rows = DrawLines(fonts, frame, lines, s, values);
  return CoverGlyphRows(band, rows.top, rows.bottom, std::min(s.OutlineWidth, kMaxOutlineWidth),
                        FH);
}

Band RenderFrame(Fonts& fonts, std::string_view line1, std::string_view line2,
                 const RenderSettings& s, IndexFrame& frame) {
  const std::vector<PlacedLine> lines = TwoLines(fonts, line1, line2, s, FrameHeightForFps(s.Fps));
  const int H = LineHeight(fonts, s);
  return RenderLines(fonts, lines, ComputeBand(lines[0].Y, H, H, s.LineSpacing), s, frame);
}

Band RenderFrame(Fonts& fonts, std::string_view line1, std::string_view line2,
                 const RenderSettings& s, FrameBitmap& picture) {
  IndexFrame frame;
  const Band band = RenderFrame(fonts, line1, line2, s, frame);
  PaintPicture(frame, picture);
  return band;
}

void DrawLinesOver(Fonts& fonts, FrameBitmap& picture, const std::vector<PlacedLine>& lines,
                   const RenderSettings& s) {
  // Drawn into a frame whose value 0 is no colour at all, then each drawn
  // pixel copied over the picture in its colour.
  IndexFrame drawn(picture.width(), picture.height());
  DrawLines(fonts, drawn, lines, s, PaintValues{1, 2, 3});
  const ColorValue colors[4] = {0, ResolveDrawColor(s.TextColor), ResolveDrawColor(s.OutlineColor),
                                ResolveDrawColor(s.AntialiasColor)};
  for (int y = 0; y < picture.height(); ++y) {
    const uint8_t* values = drawn.Row(y);
    for (int x = 0; x < picture.width(); ++x) {
      if (values[x] != 0) picture.SetPixel(x, y, colors[values[x]]);
    }
  }
}

void DrawSubtitleLines(Fonts& fonts, FrameBitmap& picture, std::string_view line1,
                       std::string_view line2, const RenderSettings& s, int frame_height) {
  DrawLinesOver(
      fonts, picture,
      TwoLines(fonts, line1, line2, s, frame_height >= 0 ? frame_height : picture.height()), s);
}

}  // namespace kestrelpix
