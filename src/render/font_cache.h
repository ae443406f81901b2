// Fonts for measuring and drawing: a face name, em height, bold/italic and
// character set are matched through fontconfig to a font file, which FreeType
// loads at that em height. Every glyph is rasterized once per face and size
// (monochrome, hinted) and kept; characters the chosen face lacks come from
// fontconfig's fallback faces.
//
// A program's Fonts (render/fonts.h) holds one cache; everything here is
// reached while holding its lock, which the measuring and drawing functions
// take themselves.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

typedef struct FT_LibraryRec_* FT_Library;
typedef struct FT_FaceRec_* FT_Face;
typedef struct _FcFontSet FcFontSet;
typedef struct _FcPattern FcPattern;
typedef struct hb_font_t hb_font_t;

namespace kestrelpix {

// One rasterized glyph. Bits are kept in 64-bit words, lowest bit first: bit
// i of word k of a row is column 64 k + i of the glyph.
struct GlyphImage {
  int left = 0;  // columns from the pen position to column 0
  int top = 0;   // rows from row 0 down to the baseline
  int width = 0;
  int height = 0;
  int words = 0;    // words per row
  int advance = 0;  // hinted advance in whole pixels
  std::vector<uint64_t> bits;
};

// One font file loaded at one em height for a bold and/or italic request:
// what the face is not by itself is synthesized (emboldened, slanted).
class FontFace {
 public:
  FontFace(FT_Library library, const std::string& file, int index, int em, bool bold, bool italic);
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  bool Ok() const { return face_ != nullptr; }
  FT_Face Face() const { return face_; }  // for a shaper that works on glyph indices
  int Em() const { return em_; }
  bool SymbolMap() const { return symbolMap_; }

  // 0 when the face has no glyph for the character.
  uint32_t GlyphIndex(char32_t c) const;
  // Rasterized on first use, then kept.
  const GlyphImage& Glyph(uint32_t index);

  // Whether text in this face can be shaped: scalable faces with a Unicode
  // character map. Symbol and bitmap-only faces draw character by character.
  bool CanShape() const;
  // The face for HarfBuzz, made on first use. It picks glyphs with
  // GlyphIndex and advances them by Glyph().advance (hinted whole pixels, in
  // 1/64 pixel units), so a shaped glyph is placed as an unshaped one unless
  // the font's positioning tables move it; everything else comes from the
  // font file.
  hb_font_t* ShapingFont();

 private:
  GlyphImage Rasterize(uint32_t index) const;

  FT_Face face_ = nullptr;
  hb_font_t* shapingFont_ = nullptr;
  int em_;
  bool embolden_ = false;
  bool oblique_ = false;
  bool symbolMap_ = false;
  std::unordered_map<uint32_t, GlyphImage> glyphs_;
};

// The vertical measures of the chosen face, in whole pixels. Offsets are
// rows below the baseline row (the first row under the baseline), so the
// strike-out offset is negative.
struct FontMetrics {
  int Ascent = 0;   // rows from the top of the text cell to the baseline
  int Descent = 0;  // rows from the baseline to the bottom of the cell
  int AveCharWidth = 1;
  int UnderlineOffset = 1;
  int UnderlineThickness = 1;
  int StrikeoutOffset = -1;
  int StrikeoutThickness = 1;
  int height() const { return Ascent + Descent; }
};

// A glyph of some face of a resolved font.
struct GlyphRef {
  FontFace* face = nullptr;
  uint32_t index = 0;
};

// A face name at an em height and style, with its fallbacks.
class ResolvedFont {
 public:
  ResolvedFont(class FontCache& cache, FcPattern* request, int em, bool bold, bool italic);
  ~ResolvedFont();
  ResolvedFont(const ResolvedFont&) = delete;
  ResolvedFont& operator=(const ResolvedFont&) = delete;

  const FontMetrics& Metrics() const { return metrics_; }
  FontFace& Primary() { return *primary_; }

  // The face that draws the character: the chosen face if it has it, else the
  // first fallback face that has it, else the chosen face's missing-glyph
  // box.
  GlyphRef Lookup(char32_t c);

 private:
  GlyphRef LookupUncached(char32_t c);
  FontFace* FallbackFace(int i);

  FontCache& cache_;
  int em_;
  bool bold_;
  bool italic_;
  FontFace* primary_ = nullptr;
  FontMetrics metrics_;
  FcFontSet* fallbacks_ = nullptr;
  std::vector<FontFace*> fallbackFaces_;  // loaded lazily, nullptr = not yet
  std::vector<bool> fallbackTried_;
  GlyphRef latin1_[256];
  bool latin1Known_[256] = {};
  std::unordered_map<char32_t, GlyphRef> others_;
};

class FontCache {
 public:
  FontCache();
  ~FontCache();
  FontCache(const FontCache&) = delete;
  FontCache& operator=(const FontCache&) = delete;

  std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(mutex_); }

  // The font for a face name, an em height in pixels, a style byte (only
  // bold and italic matter here) and a charset code (a language hint for the
  // match). The reference stays valid until the next call.
  ResolvedFont& Get(const std::string& name, int em, uint8_t style, uint8_t charset);

  // A face loaded from a font file, or nullptr when it does not load; faces
  // are shared by every resolved font that uses the same file at the same
  // size and style request.
  FontFace* Face(const std::string& file, int index, int em, bool bold, bool italic);

 private:
  std::mutex mutex_;
  FT_Library library_ = nullptr;
  std::map<std::tuple<std::string, int, uint8_t, uint8_t>, std::unique_ptr<ResolvedFont>> fonts_;
  std::map<std::tuple<std::string, int, int, bool, bool>, std::unique_ptr<FontFace>> faces_;
};

// The em height for a size in points on a 96 DPI screen: round(pt * 96 / 72),
// kept within 1 to 1000 pixels.
int EmHeightForPoints(int points);

}  // namespace kestrelpix
