#include "render/rasterizer.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "base/system_colors.h"
#include "render/font_cache.h"
#include "render/text_layout.h"

namespace kestrelpix {

namespace {

// Copies n bytes of a colour row: runs are mostly a few pixels long, too
// short for a call of memcpy to pay.
inline void CopyColor(uint8_t* dst, const uint8_t* color, size_t n) {
  if (n > 48) {
    std::memcpy(dst, color, n);
    return;
  }
  size_t i = 0;
  for (; i + 8 <= n; i += 8) std::memcpy(dst + i, color + i, 8);
  for (; i < n; ++i) dst[i] = color[i];
}

// A row of one colour in frame byte order, copied into the picture run by
// run.
class ColorRow {
 public:
  ColorRow(ColorValue c, int width) : bytes_(static_cast<size_t>(width) * 3) {
    for (size_t i = 0; i < bytes_.size(); i += 3) {
      bytes_[i] = BlueOf(c);
      bytes_[i + 1] = GreenOf(c);
      bytes_[i + 2] = RedOf(c);
    }
  }
  const uint8_t* data() const { return bytes_.data(); }

 private:
  std::vector<uint8_t> bytes_;
};

// Paints every set pixel of the mask that lies inside the picture, run by
// run: each row's words are scanned for the starts and ends of runs of set
// bits.
void PaintMask(FrameBitmap& picture, const LineMask& mask, const ColorRow& color) {
  const int first_row = std::max(0, -mask.top);
  const int last_row = std::min(mask.height, picture.height() - mask.top);
  const int from = std::max(0, -mask.left);
  const int limit = std::min(mask.width, picture.width() - mask.left);
  if (from >= limit) return;
  const int first_word = from >> 6;
  const int last_word = (limit - 1) >> 6;
  const uint64_t first_keep = ~uint64_t{0} << (from & 63);
  const uint64_t last_keep = (limit & 63) != 0 ? (uint64_t{1} << (limit & 63)) - 1 : ~uint64_t{0};
  for (int r = first_row; r < last_row; ++r) {
    const uint64_t* row = mask.Row(r);
    // Byte address of mask column 0 in the picture row; only columns inside
    // the picture are ever written through it.
    uint8_t* out = picture.Row(mask.top + r);
    const ptrdiff_t origin = static_cast<ptrdiff_t>(mask.left) * 3;
    auto fill = [&](int begin, int end) {
      CopyColor(out + origin + static_cast<ptrdiff_t>(begin) * 3, color.data(),
                static_cast<size_t>(end - begin) * 3);
    };
    int open = -1;  // start of a run that reached the end of the last word
    for (int k = first_word; k <= last_word; ++k) {
      uint64_t w = row[k];
      if (k == first_word) w &= first_keep;
      if (k == last_word) w &= last_keep;
      const int base = k << 6;
      if (open >= 0) {
        if (w == ~uint64_t{0}) continue;
        const int end = __builtin_ctzll(~w);
        fill(open, base + end);
        open = -1;
        w &= ~uint64_t{0} << end;
      }
      while (w != 0) {
        const int start = __builtin_ctzll(w);
        const uint64_t rest = ~w & (~uint64_t{0} << start);
        if (rest == 0) {
          open = base + start;
          break;
        }
        const int end = __builtin_ctzll(rest);
        fill(base + start, base + end);
        w &= ~uint64_t{0} << end;
      }
    }
    if (open >= 0) fill(open, limit);
  }
}

struct DrawnLines {
  TextExtent line1;
  TextExtent line2;
  LinePositions positions;
  // Frame rows of the first and the last glyph pixel of both lines (within
  // the outline width of the picture); top > bottom when nothing is drawn.
  int glyph_top = INT_MAX;
  int glyph_bottom = INT_MIN;
};

// Widens the rows [top, bottom] by the rows of the mask that hold set pixels.
void ExtendBySetRows(const LineMask& mask, int& top, int& bottom) {
  for (int r = 0; r < mask.height; ++r) {
    const uint64_t* row = mask.Row(r);
    if (std::any_of(row, row + mask.words, [](uint64_t w) { return w != 0; })) {
      top = std::min(top, mask.top + r);
      bottom = std::max(bottom, mask.top + r);
    }
  }
}

// Draws the line laid out in Draw mode; `measured` is its Measure layout,
// which serves when the two are alike.
void PaintLine(FrameBitmap& picture, ResolvedFont& font, std::string_view line,
               const LineLayout& measured, int x, int y, const RenderSettings& s, int outline,
               const ColorRow& text_color, const ColorRow& antialias_color,
               const ColorRow& outline_color, DrawnLines& lines) {
  LineLayout for_drawing;
  if (!measured.drawn_alike) for_drawing = LayoutLine(font, line, s.FontCharset, TextMode::Draw);
  const LineLayout& layout = measured.drawn_alike ? measured : for_drawing;
  if (layout.glyphs.empty() && layout.width == 0) return;
  // Glyph pixels farther than the outline width off the picture cannot
  // colour any pixel of it.
  const int pad = std::max(outline, 1);
  PixelRect clip{-pad, -pad, picture.width() + pad, picture.height() + pad};
  LineMask glyphs = DrawLineMask(layout, s.FontStyle & kStyleUnderline,
                                 s.FontStyle & kStyleStrikeOut, x, y, clip, pad);
  if (glyphs.bits.empty()) return;
  ExtendBySetRows(glyphs, lines.glyph_top, lines.glyph_bottom);
  // Painted in the order of the passes, each ring over the wider one. An
  // outline of 1 or less lies wholly under the antialias ring.
  LineMask ring1 = Dilate(glyphs, 1);
  if (outline > 1) PaintMask(picture, Dilate(ring1, outline - 1), outline_color);
  PaintMask(picture, ring1, antialias_color);
  PaintMask(picture, glyphs, text_color);
}

DrawnLines DrawLines(Fonts& fonts, FrameBitmap& picture, std::string_view line1,
                     std::string_view line2, const RenderSettings& s, int FH) {
  FontCache& cache = fonts.cache();
  auto lock = cache.Lock();
  ResolvedFont& font =
      cache.Get(s.FontName, EmHeightForPoints(s.FontSize), s.FontStyle, s.FontCharset);
  DrawnLines drawn;
  LineLayout m1 = LayoutLine(font, line1, s.FontCharset, TextMode::Measure);
  LineLayout m2 = LayoutLine(font, line2, s.FontCharset, TextMode::Measure);
  drawn.line1 = {m1.width, m1.metrics.height()};
  drawn.line2 = {m2.width, m2.metrics.height()};
  drawn.positions = ComputePositions(drawn.line1, drawn.line2, s, FH);

  const int outline = std::min(s.OutlineWidth, kMaxOutlineWidth);
  const int width = picture.width();
  ColorRow text_color(ResolveDrawColor(s.TextColor), width);
  ColorRow antialias_color(ResolveDrawColor(s.AntialiasColor), width);
  ColorRow outline_color(ResolveDrawColor(s.OutlineColor), width);
  const LinePositions& p = drawn.positions;
  PaintLine(picture, font, line1, m1, p.x1, p.y1, s, outline, text_color, antialias_color,
            outline_color, drawn);
  PaintLine(picture, font, line2, m2, p.x2, p.y2, s, outline, text_color, antialias_color,
            outline_color, drawn);
  return drawn;
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
  p.y1 = FH - line1.height - 40 - s.offset;
  p.y2 = FH - line1.height + line2.height - 40 - s.offset - s.offset_or;
  return p;
}

Band ComputeBand(int y1, int H1, int H2, int offset_or) {
  // y1 % 2 is -1 for odd negative y1, so test the lowest bit instead.
  return {(y1 & 1) == 0 ? y1 : y1 - 1, H1 + H2 - offset_or + 6};
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

Band RenderFrame(Fonts& fonts, std::string_view line1, std::string_view line2,
                 const RenderSettings& s, FrameBitmap& frame) {
  const int FH = FrameHeightForFps(s.Fps);
  frame.Reset(kFrameWidth, FH);
  DrawnLines drawn = DrawLines(fonts, frame, line1, line2, s, FH);
  const Band band =
      ComputeBand(drawn.positions.y1, drawn.line1.height, drawn.line2.height, s.offset_or);
  return CoverGlyphRows(band, drawn.glyph_top, drawn.glyph_bottom,
                        std::min(s.OutlineWidth, kMaxOutlineWidth), FH);
}

void DrawSubtitleLines(Fonts& fonts, FrameBitmap& picture, std::string_view line1,
                       std::string_view line2, const RenderSettings& s, int frame_height) {
  DrawLines(fonts, picture, line1, line2, s, frame_height >= 0 ? frame_height : picture.height());
}

}  // namespace kestrelpix
