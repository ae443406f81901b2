#include "render/shaping.h"

#include <fribidi.h>
#include <hb.h>

#include <algorithm>
#include <memory>
#include <numeric>

#include "base/errors.h"

namespace kestrelpix {

namespace {

// Rounds a length in 1/64 pixels to whole pixels (halves up).
long RoundPixels(int64_t v) { return static_cast<long>((v + 32) >> 6); }

bool IsScriptless(hb_script_t s) {
  return s == HB_SCRIPT_COMMON || s == HB_SCRIPT_INHERITED || s == HB_SCRIPT_UNKNOWN;
}

// Scripts whose text draws the same shaped or unshaped once ligatures and
// contextual forms are off: every script of a character that needs no
// shaping (Coptic has letters in the Greek block, Braille its patterns among
// the symbols).
bool IsSimpleScript(hb_script_t s) {
  return s == HB_SCRIPT_LATIN || s == HB_SCRIPT_GREEK || s == HB_SCRIPT_CYRILLIC ||
         s == HB_SCRIPT_COPTIC || s == HB_SCRIPT_BRAILLE || IsScriptless(s);
}

bool IsMark(hb_unicode_general_category_t g) {
  return g == HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK ||
         g == HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK ||
         g == HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK;
}

// Default-ignorable characters that steer shaping or ordering and show
// nothing themselves: HarfBuzz hides them. (The Hangul fillers are drawn as
// spacing glyphs, and the soft hyphen as its glyph, so they are not here.)
bool IsFormatCharacter(char32_t c) {
  return c == 0x034F || c == 0x061C || (c >= 0x17B4 && c <= 0x17B5) ||
         (c >= 0x180B && c <= 0x180F) || (c >= 0x200B && c <= 0x200F) ||
         (c >= 0x202A && c <= 0x202E) || (c >= 0x2060 && c <= 0x206F) ||
         (c >= 0xFE00 && c <= 0xFE0F) || c == 0xFEFF || (c >= 0x1BCA0 && c <= 0x1BCA3) ||
         (c >= 0x1D173 && c <= 0x1D17A) || (c >= 0xE0000 && c <= 0xE0FFF);
}

constexpr char32_t kSoftHyphen = 0x00AD;

// What a character of the line is drawn with.
struct CharFace {
  FontFace* face = nullptr;  // nullptr for tabs
  bool plain = false;        // drawn as the face's nominal glyph, not shaped
};

// The bidirectional embedding level of every character, after rules P2 to I1
// and all of L1 (trailing white space at the paragraph level).
std::vector<FriBidiLevel> BidiLevels(const std::u32string& chars) {
  const auto n = static_cast<FriBidiStrIndex>(chars.size());
  const auto* str = reinterpret_cast<const FriBidiChar*>(chars.data());
  std::vector<FriBidiCharType> types(chars.size());
  std::vector<FriBidiBracketType> brackets(chars.size());
  std::vector<FriBidiLevel> levels(chars.size(), 0);
  fribidi_get_bidi_types(str, n, types.data());
  fribidi_get_bracket_types(str, n, types.data(), brackets.data());
  FriBidiParType direction = FRIBIDI_PAR_ON;  // from the first strong letter
  if (fribidi_get_par_embedding_levels_ex(types.data(), brackets.data(), n, &direction,
                                          levels.data()) == 0 ||
      fribidi_reorder_line(0, types.data(), n, 0, direction, levels.data(), nullptr, nullptr) ==
          0) {
    throw Error("Out of memory while ordering right-to-left text");
  }
  return levels;
}

// The script of every character; characters without one (spaces, digits,
// punctuation, marks) take that of the text before them, or at the start of
// the line that of the first character that has one.
std::vector<hb_script_t> ResolveScripts(const std::u32string& chars) {
  hb_unicode_funcs_t* unicode = hb_unicode_funcs_get_default();
  std::vector<hb_script_t> scripts(chars.size(), HB_SCRIPT_COMMON);
  hb_script_t last = HB_SCRIPT_INVALID;
  size_t leading = chars.size();
  for (size_t i = 0; i < chars.size(); ++i) {
    hb_script_t s = hb_unicode_script(unicode, chars[i]);
    if (!IsScriptless(s)) {
      if (last == HB_SCRIPT_INVALID) leading = i;
      last = s;
    }
    scripts[i] = last == HB_SCRIPT_INVALID ? HB_SCRIPT_COMMON : last;
  }
  if (leading < chars.size()) std::fill_n(scripts.begin(), leading, scripts[leading]);
  return scripts;
}

// The face of every character, by the rules of the header.
std::vector<CharFace> ChooseFaces(ResolvedFont& font, const std::u32string& chars,
                                  const std::vector<hb_script_t>& scripts) {
  hb_unicode_funcs_t* unicode = hb_unicode_funcs_get_default();
  const size_t n = chars.size();
  std::vector<CharFace> faces(n);
  std::vector<bool> own(n, false);  // a letter of a script, placed in the first pass
  for (size_t i = 0; i < n; ++i) {
    char32_t c = chars[i];
    if (c == U'\t' || IsFormatCharacter(c) || IsScriptless(hb_unicode_script(unicode, c))) continue;
    GlyphRef ref = font.Lookup(c);
    faces[i].face = ref.face;
    own[i] = true;
  }
  for (size_t i = 0; i < n; ++i) {
    char32_t c = chars[i];
    if (c == U'\t' || own[i]) continue;
    // The face of the character before, within the segment; at its start,
    // that of the next letter.
    FontFace* neighbour = i > 0 && chars[i - 1] != U'\t' ? faces[i - 1].face : nullptr;
    for (size_t k = i + 1; neighbour == nullptr && k < n && chars[k] != U'\t'; ++k) {
      if (own[k]) neighbour = faces[k].face;
    }
    if (IsFormatCharacter(c)) {
      faces[i].face = neighbour != nullptr ? neighbour : &font.Primary();
      continue;
    }
    const bool follows =
        IsMark(hb_unicode_general_category(unicode, c)) || !IsSimpleScript(scripts[i]);
    if (follows && neighbour != nullptr && neighbour->GlyphIndex(c) != 0) {
      faces[i].face = neighbour;
    } else {
      faces[i].face = font.Lookup(c).face;
    }
  }
  for (size_t i = 0; i < n; ++i) {
    CharFace& f = faces[i];
    if (f.face == nullptr || IsFormatCharacter(chars[i])) continue;
    f.plain = chars[i] == kSoftHyphen || !f.face->CanShape() || f.face->GlyphIndex(chars[i]) == 0;
  }
  return faces;
}

struct Run {
  size_t begin, end;  // characters [begin, end) of the line
  FontFace* face;
  hb_script_t script;
  FriBidiLevel level;
  bool plain;
};

// A glyph of a shaped run, in 1/64 pixels.
struct RunGlyph {
  const GlyphImage* image;
  int32_t x_offset, y_offset, x_advance;
  uint32_t source;
};

struct BufferDeleter {
  void operator()(hb_buffer_t* b) const { hb_buffer_destroy(b); }
};

hb_buffer_t* ThreadBuffer() {
  thread_local std::unique_ptr<hb_buffer_t, BufferDeleter> buffer(hb_buffer_create());
  return buffer.get();
}

const hb_feature_t kComplexFeatures[] = {
    {HB_TAG('k', 'e', 'r', 'n'), 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
};
const hb_feature_t kSimpleFeatures[] = {
    {HB_TAG('k', 'e', 'r', 'n'), 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
    {HB_TAG('l', 'i', 'g', 'a'), 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
    {HB_TAG('c', 'l', 'i', 'g'), 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
    {HB_TAG('c', 'a', 'l', 't'), 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
};

// The glyphs of one run in visual order. The whole segment is handed to
// HarfBuzz as context, so letters join across the ends of a run.
void ShapeRun(const LineText& text, size_t segment_begin, size_t segment_end, const Run& run,
              std::vector<RunGlyph>& out) {
  out.clear();
  if (run.plain) {
    const GlyphImage& image = run.face->Glyph(run.face->GlyphIndex(text.chars[run.begin]));
    out.push_back({&image, 0, 0, image.advance * 64, text.sources[run.begin]});
    return;
  }
  hb_buffer_t* buffer = ThreadBuffer();
  hb_buffer_clear_contents(buffer);
  const auto* segment = reinterpret_cast<const uint32_t*>(text.chars.data() + segment_begin);
  hb_buffer_add_utf32(buffer, segment, static_cast<int>(segment_end - segment_begin),
                      static_cast<unsigned>(run.begin - segment_begin),
                      static_cast<int>(run.end - run.begin));
  hb_buffer_set_direction(buffer, (run.level & 1) != 0 ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
  hb_buffer_set_script(buffer, run.script);
  unsigned flags = HB_BUFFER_FLAG_DEFAULT;
  if (run.begin == segment_begin) flags |= HB_BUFFER_FLAG_BOT;
  if (run.end == segment_end) flags |= HB_BUFFER_FLAG_EOT;
  hb_buffer_set_flags(buffer, static_cast<hb_buffer_flags_t>(flags));
  if (IsSimpleScript(run.script)) {
    hb_shape(run.face->ShapingFont(), buffer, kSimpleFeatures, std::size(kSimpleFeatures));
  } else {
    hb_shape(run.face->ShapingFont(), buffer, kComplexFeatures, std::size(kComplexFeatures));
  }
  unsigned count = 0;
  const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
  const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer, nullptr);
  out.reserve(count);
  for (unsigned g = 0; g < count; ++g) {
    // Clusters count from the start of the segment.
    out.push_back({&run.face->Glyph(info[g].codepoint), pos[g].x_offset, pos[g].y_offset,
                   pos[g].x_advance, text.sources[segment_begin + info[g].cluster]});
  }
}

// Rule L2: from the highest level down to the lowest odd one, every stretch
// of runs at that level or higher is reversed.
std::vector<size_t> VisualOrder(const std::vector<Run>& runs) {
  std::vector<size_t> order(runs.size());
  std::iota(order.begin(), order.end(), 0);
  int highest = 0;
  int lowest_odd = INT_MAX;
  for (const Run& r : runs) {
    highest = std::max(highest, static_cast<int>(r.level));
    if ((r.level & 1) != 0) lowest_odd = std::min(lowest_odd, static_cast<int>(r.level));
  }
  for (int level = highest; level >= lowest_odd; --level) {
    for (size_t i = 0; i < order.size();) {
      if (runs[order[i]].level < level) {
        ++i;
        continue;
      }
      size_t j = i;
      while (j < order.size() && runs[order[j]].level >= level) ++j;
      std::reverse(order.begin() + static_cast<std::ptrdiff_t>(i),
                   order.begin() + static_cast<std::ptrdiff_t>(j));
      i = j;
    }
  }
  return order;
}

}  // namespace

long ShapeLine(ResolvedFont& font, const LineText& text, int tab_width,
               std::vector<PlacedGlyph>& glyphs) {
  const std::u32string& chars = text.chars;
  const size_t n = chars.size();
  if (n == 0) return 0;
  const std::vector<FriBidiLevel> levels = BidiLevels(chars);
  const std::vector<hb_script_t> scripts = ResolveScripts(chars);
  const std::vector<CharFace> faces = ChooseFaces(font, chars, scripts);

  int64_t pen = 0;  // 1/64 pixels
  std::vector<Run> runs;
  std::vector<RunGlyph> shaped;
  for (size_t begin = 0; begin <= n;) {
    size_t end = begin;
    while (end < n && chars[end] != U'\t') ++end;
    runs.clear();
    for (size_t i = begin; i < end;) {
      size_t j = i + 1;
      if (!faces[i].plain) {
        while (j < end && !faces[j].plain && faces[j].face == faces[i].face &&
               scripts[j] == scripts[i] && levels[j] == levels[i]) {
          ++j;
        }
      }
      runs.push_back({i, j, faces[i].face, scripts[i], levels[i], faces[i].plain});
      i = j;
    }
    for (size_t r : VisualOrder(runs)) {
      ShapeRun(text, begin, end, runs[r], shaped);
      for (const RunGlyph& g : shaped) {
        const long x = RoundPixels(pen + g.x_offset);
        if (x > kMaxLineAdvance) return RoundPixels(pen);
        glyphs.push_back(
            {g.image, static_cast<int>(x), static_cast<int>(-RoundPixels(g.y_offset)), g.source});
        pen += g.x_advance;
      }
    }
    if (end == n) break;
    pen = static_cast<int64_t>(NextTabStop(RoundPixels(pen), tab_width)) * 64;
    begin = end + 1;
  }
  return RoundPixels(pen);
}

}  // namespace kestrelpix
