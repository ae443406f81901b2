// Shaping and bidirectional order of a line: which glyphs, in which visual
// order, where. Texts are written as UTF-8 escapes with the characters in
// logical order in a comment beside them.
#include "render/shaping.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "render/font_cache.h"
#include "render/measure.h"
#include "render/text_decode.h"
#include "render/text_layout.h"
#include "support/test_fonts.h"

using kestrelpix::testing::TestFonts;

namespace kestrelpix {
namespace {

const std::string kLiberation = "Liberation Sans";
const std::string kDejaVu = "DejaVu Sans";

LineLayout Layout(std::string_view text, const std::string& font_name = kLiberation, int size = 20,
                  uint8_t style = 0, TextMode mode = TextMode::Draw) {
  FontCache& cache = TestFonts().Cache();
  auto lock = cache.Lock();
  ResolvedFont& font =
      cache.Get(font_name, EmHeightForPoints(size), style, CharsetCode(CharsetId::kDefault));
  return LayoutLine(font, text, CharsetCode(CharsetId::kDefault), mode);
}

// The line shaped whatever its characters: ShapeLine over every decoded
// character, as LayoutLine lays out a line that needs shaping (an empty text
// measures as one space). The texts given hold no control characters other
// than tabs, which layout would leave out.
LineLayout Shaped(std::string_view text, const std::string& font_name, int size, uint8_t style,
                  TextMode mode) {
  FontCache& cache = TestFonts().Cache();
  auto lock = cache.Lock();
  ResolvedFont& font =
      cache.Get(font_name, EmHeightForPoints(size), style, CharsetCode(CharsetId::kDefault));
  LineLayout layout;
  layout.metrics = font.Metrics();
  std::u32string chars = DecodeText(text, CharsetCode(CharsetId::kDefault));
  if (mode == TextMode::Measure && chars.empty()) chars.push_back(U' ');
  LineText line;
  for (size_t i = 0; i < chars.size(); ++i) {
    const char32_t c = chars[i];
    EXPECT_TRUE(c == U'\t' || (c >= 0x20 && c != 0x7F && (c < 0x80 || c > 0x9F))) << text;
    line.chars.push_back(chars[i]);
    line.sources.push_back(static_cast<uint32_t>(i));
  }
  const long pen = ShapeLine(font, line, 8 * layout.metrics.AveCharWidth, layout.glyphs);
  layout.width = static_cast<int>(std::clamp(pen, 0L, kMaxLineAdvance));
  return layout;
}

std::vector<uint32_t> Sources(const LineLayout& layout) {
  std::vector<uint32_t> sources;
  for (const PlacedGlyph& g : layout.glyphs) sources.push_back(g.source);
  return sources;
}

// The one glyph that a text of one character lays out to.
const GlyphImage* GlyphOf(std::string_view text, const std::string& font_name = kLiberation) {
  LineLayout layout = Layout(text, font_name);
  EXPECT_EQ(layout.glyphs.size(), 1u) << text;
  return layout.glyphs.empty() ? nullptr : layout.glyphs[0].image;
}

bool HasPixels(const GlyphImage* image) {
  for (uint64_t w : image->bits) {
    if (w != 0) return true;
  }
  return false;
}

// Column span [left, right) of a placed glyph's pixels.
struct Span {
  int left, right;
};
Span Columns(const PlacedGlyph& g) {
  return {g.x + g.image->left, g.x + g.image->left + g.image->width};
}

// ------------------------------------------------ lines that need no shaping

// Every character of the unshaped ranges, in pieces of 48, laid out
// character by character and shaped: the same glyphs at the same places.
// This is what lets Latin, Greek and Cyrillic lines skip shaping.
TEST(Shaping, TextThatNeedsNoShapingLaysOutAlikeShapedOrNot) {
  std::u32string all;
  for (char32_t c = 0; c < 0x10000; ++c) {
    if (NeedsNoShaping(c)) all.push_back(c);
  }
  ASSERT_GT(all.size(), 4000u);
  std::vector<std::string> texts = {"The quick brown fox jumps over the lazy dog.",
                                    "AV To Wa fi fl ffi ffl Yo -- \"quotes\" 1/2 (x) [y] {z}",
                                    "Caf\xC3\xA9 & bar && baz\tand a tab", "", " "};
  for (size_t i = 0; i < all.size(); i += 48) texts.push_back(EncodeUtf8(all.substr(i, 48)));

  struct Font {
    std::string name;
    int size;
    uint8_t style;
  };
  const Font fonts[] = {{kLiberation, 20, 0},       {kLiberation, 33, 3},
                        {kDejaVu, 20, 0},           {kDejaVu, 14, 1},
                        {"DejaVu Serif", 24, 2},    {"Liberation Serif", 20, 0},
                        {"Liberation Mono", 18, 0}, {"DejaVu Sans Mono", 20, 0}};
  for (const Font& f : fonts) {
    for (const std::string& text : texts) {
      for (TextMode mode : {TextMode::Measure, TextMode::Draw}) {
        LineLayout plain = Layout(text, f.name, f.size, f.style, mode);
        LineLayout shaped = Shaped(text, f.name, f.size, f.style, mode);
        const size_t n = std::min(plain.glyphs.size(), shaped.glyphs.size());
        for (size_t g = 0; g < n; ++g) {
          const PlacedGlyph& a = plain.glyphs[g];
          const PlacedGlyph& b = shaped.glyphs[g];
          ASSERT_TRUE(a.image == b.image && a.x == b.x && a.dy == b.dy && a.source == b.source)
              << f.name << " " << f.size << " glyph " << g << " (x " << a.x << " / " << b.x
              << ", source " << a.source << " / " << b.source << ", advance " << a.image->advance
              << " / " << b.image->advance << ") of: " << text;
        }
        ASSERT_EQ(plain.glyphs.size(), shaped.glyphs.size()) << f.name << ": " << text;
        ASSERT_EQ(plain.width, shaped.width) << f.name << " " << f.size << ": " << text;
      }
    }
  }
}

TEST(Shaping, WhichCharactersNeedNoShaping) {
  for (char32_t c :
       {U'a', U' ', U'~', char32_t(0xA0), char32_t(0xE9), char32_t(0x3A9), char32_t(0x416),
        char32_t(0x1EA0), char32_t(0x2014), char32_t(0x20AC), char32_t(0x2605), char32_t(0xFB01)}) {
    EXPECT_TRUE(NeedsNoShaping(c)) << std::hex << uint32_t(c);
  }
  // Combining marks, right-to-left and complex scripts, special spaces,
  // joiners and direction marks, CJK.
  for (char32_t c :
       {char32_t(0x301), char32_t(0x483), char32_t(0x5D0), char32_t(0x627), char32_t(0xE01),
        char32_t(0x915), char32_t(0x2003), char32_t(0x200D), char32_t(0x200F), char32_t(0x202E),
        char32_t(0x20D7), char32_t(0x4E00), char32_t(0x7F), char32_t(0x85)}) {
    EXPECT_FALSE(NeedsNoShaping(c)) << std::hex << uint32_t(c);
  }
}

// ---------------------------------------------------------- visual order

TEST(Bidi, MixedDirectionLineInVisualOrder) {
  // "abc אבג 123": characters 0-2 "abc", 3 space, 4-6 alef bet gimel, 7
  // space, 8-10 "123". The first strong letter is Latin: a left-to-right
  // paragraph. Levels: abc and the first space 0; the Hebrew letters 1; the
  // second space lies between Hebrew and a number, which counts as
  // right-to-left for neutrals: 1; the number after Hebrew stays a European
  // number, raised to 2. Reversing level >= 2 turns 8 9 10 into 10 9 8;
  // reversing level >= 1 (positions 4-10) gives 8 9 10 7 6 5 4. So:
  // "abc 123 גבא" on screen.
  const std::string text = "abc \xD7\x90\xD7\x91\xD7\x92 123";
  LineLayout layout = Layout(text);
  EXPECT_EQ(Sources(layout), (std::vector<uint32_t>{0, 1, 2, 3, 8, 9, 10, 7, 6, 5, 4}));
  // Glyphs go left to right without overlapping pens.
  for (size_t g = 1; g < layout.glyphs.size(); ++g) {
    EXPECT_EQ(layout.glyphs[g].x, layout.glyphs[g - 1].x + layout.glyphs[g - 1].image->advance);
  }

  // "אבג abc 123": the first strong letter is Hebrew, a right-to-left
  // paragraph. Hebrew 0-3 at level 1; "abc 123" is one left-to-right
  // stretch (the number follows Latin letters) at level 2. Reversing
  // level 2 and then the whole line leaves "abc 123" in reading order at
  // the left and the Hebrew reversed at the right.
  LineLayout rtl = Layout("\xD7\x90\xD7\x91\xD7\x92 abc 123");
  EXPECT_EQ(Sources(rtl), (std::vector<uint32_t>{4, 5, 6, 7, 8, 9, 10, 3, 2, 1, 0}));

  // "عام 2024" (year 2024): Arabic letters 0-2, space 3, digits 4-7. Digits
  // after Arabic letters are Arabic numbers (level 2), the space between is
  // right-to-left: the year reads left to right at the left end.
  LineLayout year = Layout("\xD8\xB9\xD8\xA7\xD9\x85 2024");
  EXPECT_EQ(Sources(year), (std::vector<uint32_t>{4, 5, 6, 7, 3, 2, 1, 0}));
}

TEST(Bidi, BracketsAreMirroredInRightToLeftText) {
  // "(אב)" in a right-to-left paragraph: all at level 1, drawn reversed; the
  // closing bracket (source 3) now stands at the left and shows as "(".
  LineLayout layout = Layout("(\xD7\x90\xD7\x91)");
  ASSERT_EQ(Sources(layout), (std::vector<uint32_t>{3, 2, 1, 0}));
  EXPECT_EQ(layout.glyphs[0].image, GlyphOf("("));
  EXPECT_EQ(layout.glyphs[3].image, GlyphOf(")"));
}

TEST(Bidi, MarksAndAmpersandsKeepTheirOrder) {
  // "א&ב" reads right to left with the "&" between the letters, measured
  // and drawn alike.
  const std::string marked = "\xD7\x90&\xD7\x91";
  EXPECT_EQ(MeasureLine(TestFonts(), marked, kLiberation, 20, 0, 1).width,
            MeasureLine(TestFonts(), "\xD7\x90\xD7\x91", kLiberation, 20, 0, 1).width +
                MeasureLine(TestFonts(), "&", kLiberation, 20, 0, 1).width);
  LineLayout drawn = Layout(marked);
  EXPECT_EQ(Sources(drawn), (std::vector<uint32_t>{2, 1, 0}));
  LineLayout measured = Layout(marked, kLiberation, 20, 0, TextMode::Measure);
  EXPECT_EQ(Sources(measured), (std::vector<uint32_t>{2, 1, 0}));
  EXPECT_TRUE(measured.DrawnAlike);
}

TEST(Bidi, TabsStartEachSegmentAtAStop) {
  // Liberation Sans at 20 points has tab stops every 128 pixels. The
  // Hebrew before the tab stays left of the stop, the Latin after starts on
  // it.
  LineLayout layout = Layout("\xD7\x90\xD7\x91\tab");
  ASSERT_EQ(Sources(layout), (std::vector<uint32_t>{1, 0, 3, 4}));
  EXPECT_EQ(layout.glyphs[0].x, 0);
  EXPECT_LT(layout.glyphs[1].x, 128);
  EXPECT_EQ(layout.glyphs[2].x, 128);
  EXPECT_EQ(layout.width, 128 + layout.glyphs[2].image->advance + layout.glyphs[3].image->advance);
}

// ------------------------------------------------------------------ joining

// Arabic letters in Liberation Sans come from DejaVu Sans, the first
// fontconfig fallback with Arabic.
const std::string kBeh = "\xD8\xA8";    // ب
const std::string kLam = "\xD9\x84";    // ل
const std::string kAlef = "\xD8\xA7";   // ا
const std::string kFatha = "\xD9\x8E";  // fatha, a mark above
const std::string kZwnj = "\xE2\x80\x8C";

TEST(Shaping, ArabicLettersJoin) {
  // "ببب": three behs take their final, medial and initial forms, drawn
  // from the left: final (source 2), medial (1), initial (0). Each differs
  // from the others and from the letter standing alone.
  const GlyphImage* alone = GlyphOf(kBeh);
  LineLayout word = Layout(kBeh + kBeh + kBeh);
  ASSERT_EQ(Sources(word), (std::vector<uint32_t>{2, 1, 0}));
  std::set<const GlyphImage*> forms;
  for (const PlacedGlyph& g : word.glyphs) forms.insert(g.image);
  forms.insert(alone);
  EXPECT_EQ(forms.size(), 4u);
  // The joined forms are what the width counts.
  int advances = 0;
  for (const PlacedGlyph& g : word.glyphs) advances += g.image->advance;
  EXPECT_EQ(word.width, advances);
  EXPECT_EQ(MeasureLine(TestFonts(), kBeh + kBeh + kBeh, kLiberation, 20, 0, 1).width, advances);
  EXPECT_NE(advances, 3 * alone->advance);

  // A zero-width non-joiner keeps them apart and shows nothing: two lone
  // behs.
  LineLayout apart = Layout(kBeh + kZwnj + kBeh);
  int drawn = 0;
  for (const PlacedGlyph& g : apart.glyphs) {
    if (!HasPixels(g.image)) continue;
    EXPECT_EQ(g.image, alone);
    ++drawn;
  }
  EXPECT_EQ(drawn, 2);
  EXPECT_EQ(apart.width, 2 * alone->advance);

  // Lam and alef become one ligature glyph.
  LineLayout lam_alef = Layout(kLam + kAlef);
  ASSERT_EQ(lam_alef.glyphs.size(), 1u);
  EXPECT_NE(lam_alef.glyphs[0].image, GlyphOf(kLam));
  EXPECT_NE(lam_alef.glyphs[0].image, GlyphOf(kAlef));
}

TEST(Shaping, MarksSitOnTheirBases) {
  // "e" + combining acute is drawn as the precomposed "é".
  LineLayout composed = Layout("e\xCC\x81");
  ASSERT_EQ(composed.glyphs.size(), 1u);
  EXPECT_EQ(composed.glyphs[0].image, GlyphOf("\xC3\xA9"));
  EXPECT_EQ(composed.width, GlyphOf("\xC3\xA9")->advance);

  // A fatha over a beh: the mark adds no width, lies over the letter's
  // columns and above its top.
  LineLayout marked = Layout(kBeh + kFatha);
  ASSERT_EQ(marked.glyphs.size(), 2u);
  EXPECT_EQ(marked.width, GlyphOf(kBeh)->advance);
  const PlacedGlyph* base = nullptr;
  const PlacedGlyph* mark = nullptr;
  for (const PlacedGlyph& g : marked.glyphs) (g.image == GlyphOf(kBeh) ? base : mark) = &g;
  ASSERT_TRUE(base != nullptr && mark != nullptr);
  Span b = Columns(*base), m = Columns(*mark);
  EXPECT_GE(m.left, b.left);
  EXPECT_LE(m.right, b.right);
  EXPECT_GE(mark->image->top + (-mark->dy) - mark->image->height, base->image->top - 1);

  // Thai: mai tho over to tao (ต้) sits over the consonant, in Garuda.
  LineLayout thai = Layout("\xE0\xB8\x95\xE0\xB9\x89", "Garuda");
  ASSERT_EQ(thai.glyphs.size(), 2u);
  Span consonant = Columns(thai.glyphs[0]), tone = Columns(thai.glyphs[1]);
  EXPECT_LT(tone.left, consonant.right);
  EXPECT_GT(tone.right, consonant.left);
  EXPECT_EQ(thai.width, thai.glyphs[0].image->advance);
}

TEST(Shaping, DevanagariVowelSignGoesBeforeItsConsonant) {
  // "कि" (ka, vowel sign i): the sign is written first, left of the ka.
  const std::string ka = "\xE0\xA4\x95";
  const std::string sign_i = "\xE0\xA4\xBF";
  const std::string deva = "Lohit Devanagari";
  LineLayout syllable = Layout(ka + sign_i, deva);
  ASSERT_EQ(syllable.glyphs.size(), 2u);
  EXPECT_NE(syllable.glyphs[0].image, GlyphOf(ka, deva));
  EXPECT_EQ(syllable.glyphs[1].image, GlyphOf(ka, deva));
  EXPECT_LT(syllable.glyphs[0].x, syllable.glyphs[1].x);
  // "क्ष" (ka, virama, ssa) is one conjunct glyph.
  LineLayout conjunct = Layout(ka + "\xE0\xA5\x8D\xE0\xA4\xB7", deva);
  EXPECT_EQ(conjunct.glyphs.size(), 1u);
}

TEST(Shaping, FallbackFacesGoByRuns) {
  const GlyphImage* liberation_space = GlyphOf(" ");
  const GlyphImage* dejavu_space = GlyphOf(" ", kDejaVu);
  ASSERT_NE(liberation_space, dejavu_space);
  // "ب ب": the space between Arabic letters stays in the Arabic face.
  LineLayout arabic = Layout(kBeh + " " + kBeh);
  ASSERT_EQ(arabic.glyphs.size(), 3u);
  EXPECT_EQ(arabic.glyphs[1].image, dejavu_space);
  EXPECT_EQ(arabic.glyphs[0].image, GlyphOf(kBeh, kDejaVu));
  // "ab ب": after Latin letters it is the chosen face's.
  LineLayout mixed = Layout("ab " + kBeh);
  ASSERT_EQ(Sources(mixed), (std::vector<uint32_t>{0, 1, 2, 3}));
  EXPECT_EQ(mixed.glyphs[2].image, liberation_space);
  // Hebrew is in Liberation Sans itself.
  EXPECT_EQ(Layout("\xD7\x90 \xD7\x90").glyphs[1].image, liberation_space);
}

TEST(Bidi, ExplicitOverridesAreFollowed) {
  // RIGHT-TO-LEFT OVERRIDE before "abc" draws it as "cba"; the override
  // itself shows nothing.
  LineLayout layout = Layout(
      "\xE2\x80\xAE"
      "abc");
  std::vector<uint32_t> shown;
  for (const PlacedGlyph& g : layout.glyphs) {
    if (HasPixels(g.image)) shown.push_back(g.source);
  }
  EXPECT_EQ(shown, (std::vector<uint32_t>{3, 2, 1}));
  EXPECT_EQ(layout.width, Layout("abc").width);
}

// Arbitrary mixtures of scripts, marks, direction controls, tabs and
// ampersands: every glyph names a character of the text, measuring and
// drawing agree where they must, and the same text lays out the same way
// twice.
TEST(Shaping, ArbitraryMixedTextLaysOutConsistently) {
  const char32_t pool[] = {U'a',   U'Z',   U' ',   U'1',   U'9',     U'(',   U')',    U'&',
                           U'\t',  U'.',   0x5D0,  0x5D1,  0x5B8,    0x627,  0x644,   0x628,
                           0x64E,  0x661,  0x6F5,  0xE15,  0xE49,    0xE33,  0x915,   0x94D,
                           0x93F,  0x200C, 0x200D, 0x200E, 0x200F,   0x202B, 0x202C,  0x202E,
                           0x2067, 0x2069, 0x301,  0xAD,   0x10FFFD, 0x4E00, 0x1F600, 0xFE0F};
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  for (int round = 0; round < 400; ++round) {
    std::u32string chars;
    const int length = 1 + static_cast<int>(next() % 24);
    for (int i = 0; i < length; ++i) chars.push_back(pool[next() % std::size(pool)]);
    const std::string text = EncodeUtf8(chars);
    SCOPED_TRACE(text);
    for (TextMode mode : {TextMode::Measure, TextMode::Draw}) {
      LineLayout a = Layout(text, kLiberation, 20, 0, mode);
      LineLayout b = Layout(text, kLiberation, 20, 0, mode);
      ASSERT_EQ(a.width, b.width);
      ASSERT_EQ(a.glyphs.size(), b.glyphs.size());
      for (size_t g = 0; g < a.glyphs.size(); ++g) {
        ASSERT_LT(a.glyphs[g].source, chars.size());
        ASSERT_EQ(a.glyphs[g].image, b.glyphs[g].image);
        ASSERT_EQ(a.glyphs[g].x, b.glyphs[g].x);
      }
      ASSERT_GE(a.width, 0);
    }
    if (chars.find(U'&') == std::u32string::npos) {
      LineLayout measured = Layout(text, kLiberation, 20, 0, TextMode::Measure);
      LineLayout drawn = Layout(text, kLiberation, 20, 0, TextMode::Draw);
      // The rasterizer draws with the measured layout then.
      ASSERT_TRUE(measured.DrawnAlike);
      ASSERT_EQ(measured.width, drawn.width);
      ASSERT_EQ(measured.glyphs.size(), drawn.glyphs.size());
      for (size_t g = 0; g < drawn.glyphs.size(); ++g) {
        const PlacedGlyph& a = measured.glyphs[g];
        const PlacedGlyph& b = drawn.glyphs[g];
        ASSERT_TRUE(a.image == b.image && a.x == b.x && a.dy == b.dy && a.source == b.source);
      }
    }
  }
}

}  // namespace
}  // namespace kestrelpix
