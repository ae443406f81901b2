#include "render/text_layout.h"

#include <algorithm>
#include <climits>

#include "base/charset.h"
#include "render/shaping.h"
#include "render/text_decode.h"

namespace kestrelpix {

namespace {

bool IsControl(char32_t c) { return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F); }

// Sets pixels [tx, tx + 64) of a mask row from the bits of w, dropping those
// outside [0, width).
void OrWord(uint64_t* row, int words, int tx, uint64_t w) {
  if (w == 0 || tx <= -64 || tx >= words * 64) return;
  if (tx < 0) {
    w >>= -tx;
    tx = 0;
  }
  int k = tx >> 6;
  int shift = tx & 63;
  row[k] |= w << shift;
  if (shift != 0 && k + 1 < words) row[k + 1] |= w >> (64 - shift);
}

// Sets pixels [from, to) of a mask row.
void SetSpan(uint64_t* row, int from, int to) {
  for (int c = from; c < to;) {
    int k = c >> 6;
    int first = c & 63;
    int last = std::min(64, first + (to - c));
    uint64_t bits =
        (last == 64 ? ~uint64_t{0} : (uint64_t{1} << last) - 1) & ~((uint64_t{1} << first) - 1);
    row[k] |= bits;
    c += last - first;
  }
}

struct Stroke {
  int top;
  int thickness;
};

// Calls visit(index, character) for each character of the decoded text that
// takes part in the layout, tabs included, until visit returns false.
template <typename Visit>
void ForEachLaidOutCharacter(const std::u32string& chars, Visit visit) {
  for (size_t i = 0; i < chars.size(); ++i) {
    char32_t c = chars[i];
    if (c != U'\t' && IsControl(c)) continue;
    if (!visit(static_cast<uint32_t>(i), c)) return;
  }
}

// Each character as the nominal glyph of the face that has it, one after
// the other: the layout of text that needs no shaping.
long LayOutCharacters(ResolvedFont& font, const std::u32string& chars, int tab_width,
                      std::vector<PlacedGlyph>& glyphs) {
  long pen = 0;
  glyphs.reserve(chars.size());
  ForEachLaidOutCharacter(chars, [&](uint32_t i, char32_t c) {
    if (c == U'\t') {
      pen = NextTabStop(pen, tab_width);
      return true;
    }
    GlyphRef ref = font.Lookup(c);
    const GlyphImage& image = ref.face->Glyph(ref.index);
    if (pen > kMaxLineAdvance) return false;
    glyphs.push_back({&image, static_cast<int>(pen), 0, i});
    pen += image.advance;
    return true;
  });
  return pen;
}

}  // namespace

LineLayout LayoutLine(ResolvedFont& font, std::string_view bytes, uint8_t charset, TextMode mode) {
  LineLayout layout;
  layout.metrics = font.Metrics();
  uint8_t decode_as = charset;
  if (charset == CharsetCode(CharsetId::kSymbol) && !font.Primary().SymbolMap()) {
    decode_as = CharsetCode(CharsetId::kAnsi);
  }
  // Past its first MiB a line is far wider than any frame, whatever its
  // characters (only zero-width ones could be left, and they draw nothing);
  // laying out the rest would cost memory in proportion (a glyph record and
  // a decoded character per byte) for no pixel.
  if (bytes.size() > kMaxLaidOutBytes) bytes = bytes.substr(0, kMaxLaidOutBytes);
  std::u32string chars = DecodeText(bytes, decode_as);
  const bool empty = chars.empty();
  if (mode == TextMode::Measure && empty) chars.push_back(U' ');
  // Does any character need shaping (below U+02E5 every character either
  // needs none or is a control character, which is left out)?
  bool plain = true;
  for (char32_t c : chars) plain = plain && (c < 0x2E5 || NeedsNoShaping(c));
  layout.DrawnAlike = mode == TextMode::Measure && !empty;

  const int tab_width = 8 * layout.metrics.AveCharWidth;
  long pen = 0;
  if (plain) {
    pen = LayOutCharacters(font, chars, tab_width, layout.glyphs);
  } else {
    LineText text;
    text.chars.reserve(chars.size());
    text.sources.reserve(chars.size());
    ForEachLaidOutCharacter(chars, [&](uint32_t i, char32_t c) {
      text.chars.push_back(c);
      text.sources.push_back(i);
      return true;
    });
    pen = ShapeLine(font, text, tab_width, layout.glyphs);
  }
  layout.width = static_cast<int>(std::clamp(pen, 0L, static_cast<long>(kMaxLineAdvance)));
  return layout;
}

bool LineMask::Get(int x, int y) const {
  int c = x - left;
  int r = y - top;
  if (c < 0 || r < 0 || c >= width || r >= height) return false;
  return (Row(r)[c >> 6] >> (c & 63)) & 1;
}

bool LineMask::Empty() const {
  for (uint64_t w : bits) {
    if (w != 0) return false;
  }
  return true;
}

LineMask DrawLineMask(const LineLayout& layout, bool underline, bool strikeout, int x, int y,
                      const PixelRect& clip, int pad) {
  const FontMetrics& m = layout.metrics;
  const long baseline = static_cast<long>(y) + m.Ascent;
  std::vector<Stroke> strokes;
  if (layout.width > 0) {
    if (underline) strokes.push_back({m.UnderlineOffset, m.UnderlineThickness});
    if (strikeout) strokes.push_back({m.StrikeoutOffset, m.StrikeoutThickness});
  }

  // Bounding box of everything drawn, in frame coordinates (long: positions
  // far off the frame must not overflow).
  long left = LONG_MAX, top = LONG_MAX, right = LONG_MIN, bottom = LONG_MIN;
  auto extend = [&](long l, long t, long r, long b) {
    if (l >= r || t >= b) return;
    left = std::min(left, l);
    top = std::min(top, t);
    right = std::max(right, r);
    bottom = std::max(bottom, b);
  };
  for (const PlacedGlyph& g : layout.glyphs) {
    long gx = static_cast<long>(x) + g.x + g.image->left;
    long gy = baseline + g.dy - g.image->top;
    extend(gx, gy, gx + g.image->width, gy + g.image->height);
  }
  for (const Stroke& s : strokes) {
    extend(x, baseline + s.top, static_cast<long>(x) + layout.width,
           baseline + s.top + s.thickness);
  }
  left = std::max(left, static_cast<long>(clip.left));
  top = std::max(top, static_cast<long>(clip.top));
  right = std::min(right, static_cast<long>(clip.right));
  bottom = std::min(bottom, static_cast<long>(clip.bottom));

  LineMask mask;
  if (left >= right || top >= bottom) return mask;
  mask.left = static_cast<int>(left) - pad;
  mask.top = static_cast<int>(top) - pad;
  mask.width = static_cast<int>(right - left) + 2 * pad;
  mask.height = static_cast<int>(bottom - top) + 2 * pad;
  mask.words = (mask.width + 63) / 64;
  mask.bits.assign(static_cast<size_t>(mask.words) * mask.height, 0);

  // Only pixels inside the clip are set, so the pad stays clear.
  const int keep_left = static_cast<int>(left) - mask.left;
  const int keep_right = static_cast<int>(right) - mask.left;
  const int keep_top = static_cast<int>(top) - mask.top;
  const int keep_bottom = static_cast<int>(bottom) - mask.top;
  for (const PlacedGlyph& g : layout.glyphs) {
    const GlyphImage& image = *g.image;
    long gx = static_cast<long>(x) + g.x + image.left - mask.left;
    long gy = baseline + g.dy - image.top - mask.top;
    if (gx + image.width <= keep_left || gx >= keep_right) continue;
    for (int r = 0; r < image.height; ++r) {
      long row = gy + r;
      if (row < keep_top || row >= keep_bottom) continue;
      const uint64_t* src = image.bits.data() + static_cast<size_t>(r) * image.words;
      uint64_t* dst = mask.Row(static_cast<int>(row));
      for (int k = 0; k < image.words; ++k) {
        OrWord(dst, mask.words, static_cast<int>(gx + 64L * k), src[k]);
      }
    }
  }
  for (const Stroke& s : strokes) {
    long from = std::max(static_cast<long>(x) - mask.left, static_cast<long>(keep_left));
    long to =
        std::min(static_cast<long>(x) + layout.width - mask.left, static_cast<long>(keep_right));
    for (long row = baseline + s.top - mask.top; row < baseline + s.top + s.thickness - mask.top;
         ++row) {
      if (row < keep_top || row >= keep_bottom || from >= to) continue;
      SetSpan(mask.Row(static_cast<int>(row)), static_cast<int>(from), static_cast<int>(to));
    }
  }
  // Clear what glyphs put left or right of the clip.
  std::vector<uint64_t> keep(mask.words, 0);
  SetSpan(keep.data(), keep_left, keep_right);
  for (int r = keep_top; r < keep_bottom; ++r) {
    uint64_t* row = mask.Row(r);
    for (int k = 0; k < mask.words; ++k) row[k] &= keep[k];
  }
  return mask;
}

LineMask Dilate(const LineMask& mask, int radius) {
  LineMask out = mask;
  if (radius <= 0 || mask.bits.empty()) return out;
  const int words = mask.words;
  // Horizontally: each row ORed with itself shifted by 1 .. radius columns
  // either way.
  std::vector<uint64_t> wide(mask.bits.size(), 0);
  for (int r = 0; r < mask.height; ++r) {
    const uint64_t* src = mask.Row(r);
    uint64_t* dst = wide.data() + static_cast<size_t>(r) * words;
    for (int k = 0; k < words; ++k) {
      uint64_t w = src[k];
      if (w == 0 && (k == 0 || src[k - 1] == 0) && (k + 1 == words || src[k + 1] == 0)) continue;
      uint64_t acc = w;
      uint64_t prev = k > 0 ? src[k - 1] : 0;
      uint64_t next = k + 1 < words ? src[k + 1] : 0;
      for (int s = 1; s <= radius && s < 64; ++s) {
        acc |= (w << s) | (prev >> (64 - s));
        acc |= (w >> s) | (next << (64 - s));
      }
      dst[k] = acc;
    }
  }
  // Vertically: each row is the OR of the widened rows within the radius.
  for (int r = 0; r < mask.height; ++r) {
    uint64_t* dst = out.Row(r);
    int from = std::max(0, r - radius);
    int to = std::min(mask.height - 1, r + radius);
    for (int k = 0; k < words; ++k) {
      uint64_t acc = 0;
      for (int rr = from; rr <= to; ++rr) acc |= wide[static_cast<size_t>(rr) * words + k];
      dst[k] = acc;
    }
  }
  // Keep the bits past the width clear.
  if (int tail = mask.width & 63; tail != 0) {
    uint64_t keep = (uint64_t{1} << tail) - 1;
    for (int r = 0; r < mask.height; ++r) out.Row(r)[words - 1] &= keep;
  }
  return out;
}

}  // namespace kestrelpix
