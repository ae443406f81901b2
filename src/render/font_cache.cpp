#include "render/font_cache.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>

#include "render/fonts.h"
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H
#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <cmath>

#include "base/charset.h"
#include "base/errors.h"

namespace kestrelpix {

namespace {

// Each charset names the language whose letters it carries; fontconfig takes
// it as a hint when the face name alone does not decide.
const char* LangForCharset(uint8_t charset) {
  const CharsetRow* row = FindCharset(charset);
  return row != nullptr ? row->FontLanguage : nullptr;
}

int CeilDiv(long a, long b) { return static_cast<int>(a >= 0 ? (a + b - 1) / b : -((-a) / b)); }

int RoundScaled(long units, int em, int upem) {
  return static_cast<int>(std::lround(static_cast<double>(units) * em / upem));
}

// Converts FreeType's bitmap of the current glyph slot into lowest-bit-first
// word rows. Grey and colour bitmaps (embedded in some fonts) are cut at half
// coverage, so every glyph stays two-coloured.
void CopyBitmap(const FT_Bitmap& bitmap, GlyphImage& image) {
  image.width = static_cast<int>(bitmap.width);
  image.height = static_cast<int>(bitmap.rows);
  image.words = (image.width + 63) / 64;
  image.bits.assign(static_cast<size_t>(image.words) * image.height, 0);
  int pitch = bitmap.pitch < 0 ? -bitmap.pitch : bitmap.pitch;
  for (int r = 0; r < image.height; ++r) {
    int sourceRow = bitmap.pitch < 0 ? image.height - 1 - r : r;
    const unsigned char* src = bitmap.buffer + static_cast<size_t>(sourceRow) * pitch;
    uint64_t* dst = image.bits.data() + static_cast<size_t>(r) * image.words;
    for (int c = 0; c < image.width; ++c) {
      bool on = false;
      switch (bitmap.pixel_mode) {
        case FT_PIXEL_MODE_MONO:
          on = (src[c >> 3] >> (7 - (c & 7))) & 1;
          break;
        case FT_PIXEL_MODE_GRAY:
          on = src[c] >= 128;
          break;
        case FT_PIXEL_MODE_BGRA:
          on = src[c * 4 + 3] >= 128;
          break;
        default:
          on = false;
          break;
      }
      if (on) dst[c >> 6] |= uint64_t{1} << (c & 63);
    }
  }
}

struct PatternDeleter {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};

bool PatternFile(FcPattern* font, std::string& file, int& index) {
  FcChar8* path = nullptr;
  if (FcPatternGetString(font, FC_FILE, 0, &path) != FcResultMatch || path == nullptr) return false;
  file = reinterpret_cast<const char*>(path);
  index = 0;
  FcPatternGetInteger(font, FC_INDEX, 0, &index);
  return true;
}

// HarfBuzz callbacks of a shaping font; the font data is the FontFace.
hb_bool_t NominalGlyph(hb_font_t*, void* fontData, hb_codepoint_t unicode, hb_codepoint_t* glyph,
                       void*) {
  *glyph = static_cast<FontFace*>(fontData)->GlyphIndex(unicode);
  return *glyph != 0;
}

hb_position_t HorizontalAdvance(hb_font_t*, void* fontData, hb_codepoint_t glyph, void*) {
  return static_cast<FontFace*>(fontData)->Glyph(glyph).advance * 64;
}

hb_font_funcs_t* OwnGlyphFuncs() {
  static hb_font_funcs_t* const kFuncs = [] {
    hb_font_funcs_t* f = hb_font_funcs_create();
    hb_font_funcs_set_nominal_glyph_func(f, NominalGlyph, nullptr, nullptr);
    hb_font_funcs_set_glyph_h_advance_func(f, HorizontalAdvance, nullptr, nullptr);
    hb_font_funcs_make_immutable(f);
    return f;
  }();
  return kFuncs;
}

}  // namespace

int EmHeightForPoints(int points) {
  long em = std::lround(points * 96.0 / 72.0);
  return static_cast<int>(std::clamp(em, 1L, 1000L));
}

// ---------------------------------------------------------------- FontFace

FontFace::FontFace(FT_Library library, const std::string& file, int index, int em, bool bold,
                   bool italic)
    : em_(em) {
  if (FT_New_Face(library, file.c_str(), index, &face_) != 0) {
    face_ = nullptr;
    return;
  }
  // The face's own style decides what must be synthesized (fontconfig's
  // answer for a bold request may be the regular face marked for
  // emboldening).
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
  if (os2 != nullptr && os2->version == 0xFFFF) os2 = nullptr;
  bool faceBold = (face_->style_flags & FT_STYLE_FLAG_BOLD) != 0 ||
                  (os2 != nullptr && os2->usWeightClass >= 600);
  bool faceItalic = (face_->style_flags & FT_STYLE_FLAG_ITALIC) != 0 ||
                    (os2 != nullptr && (os2->fsSelection & (1 << 9)) != 0);  // oblique
  embolden_ = bold && !faceBold;
  oblique_ = italic && !faceItalic;
  if (FT_IS_SCALABLE(face_)) {
    if (FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(em)) != 0) {
      FT_Done_Face(face_);
      face_ = nullptr;
      return;
    }
  } else if (face_->num_fixed_sizes > 0) {
    // A bitmap-only font: the strike nearest to the em height.
    int best = 0;
    for (int i = 1; i < face_->num_fixed_sizes; ++i) {
      if (std::abs(face_->available_sizes[i].height - em) <
          std::abs(face_->available_sizes[best].height - em)) {
        best = i;
      }
    }
    FT_Select_Size(face_, best);
  }
  if (FT_Select_Charmap(face_, FT_ENCODING_UNICODE) != 0 &&
      FT_Select_Charmap(face_, FT_ENCODING_MS_SYMBOL) == 0) {
    symbolMap_ = true;
  }
}

FontFace::~FontFace() {
  // The shaping font holds a reference to the FreeType face; it goes first.
  if (shapingFont_ != nullptr) hb_font_destroy(shapingFont_);
  if (face_ != nullptr) FT_Done_Face(face_);
}

bool FontFace::CanShape() const {
  return face_ != nullptr && FT_IS_SCALABLE(face_) && face_->units_per_EM > 0 && !symbolMap_;
}

hb_font_t* FontFace::ShapingFont() {
  if (shapingFont_ == nullptr) {
    // The parent reads the font's tables through FreeType at this face's
    // size (1/64 pixel units); the child replaces glyph choice and advances.
    hb_font_t* parent = hb_ft_font_create_referenced(face_);
    shapingFont_ = hb_font_create_sub_font(parent);
    hb_font_destroy(parent);
    hb_font_set_funcs(shapingFont_, OwnGlyphFuncs(), this, nullptr);
  }
  return shapingFont_;
}

uint32_t FontFace::GlyphIndex(char32_t c) const {
  if (face_ == nullptr) return 0;
  uint32_t index = FT_Get_Char_Index(face_, c);
  if (index == 0 && symbolMap_) {
    // Symbol fonts map their characters at U+F020..U+F0FF; some also answer
    // at the plain byte value.
    if (c < 0x100) index = FT_Get_Char_Index(face_, 0xF000 + c);
    if (index == 0 && c >= 0xF000 && c <= 0xF0FF) index = FT_Get_Char_Index(face_, c - 0xF000);
  }
  return index;
}

const GlyphImage& FontFace::Glyph(uint32_t index) {
  auto it = glyphs_.find(index);
  if (it == glyphs_.end()) it = glyphs_.emplace(index, Rasterize(index)).first;
  return it->second;
}

GlyphImage FontFace::Rasterize(uint32_t index) const {
  GlyphImage image;
  if (face_ == nullptr) return image;
  FT_Int32 flags = FT_LOAD_TARGET_MONO;
  // Synthesis works on outlines; embedded bitmaps cannot be slanted.
  if (embolden_ || oblique_) flags |= FT_LOAD_NO_BITMAP;
  if (FT_Load_Glyph(face_, index, flags) != 0) return image;
  FT_GlyphSlot slot = face_->glyph;
  if (embolden_) FT_GlyphSlot_Embolden(slot);
  if (oblique_) FT_GlyphSlot_Oblique(slot);
  image.advance = static_cast<int>((slot->advance.x + 32) >> 6);
  if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) {
    return image;
  }
  image.left = slot->bitmap_left;
  image.top = slot->bitmap_top;
  CopyBitmap(slot->bitmap, image);
  return image;
}

// ------------------------------------------------------------ ResolvedFont

ResolvedFont::ResolvedFont(FontCache& cache, FcPattern* request, int em, bool bold, bool italic)
    : cache_(cache), em_(em), bold_(bold), italic_(italic) {
  FcResult result = FcResultNoMatch;
  fallbacks_ = FcFontSort(nullptr, request, FcTrue, nullptr, &result);
  std::unique_ptr<FcPattern, PatternDeleter> match(FcFontMatch(nullptr, request, &result));

  // The matched font, or when it does not load, the first font of the
  // fallback list that does.
  std::vector<FcPattern*> candidates;
  if (match) candidates.push_back(match.get());
  if (fallbacks_ != nullptr) {
    for (int i = 0; i < fallbacks_->nfont; ++i) candidates.push_back(fallbacks_->fonts[i]);
  }
  for (FcPattern* font : candidates) {
    std::string file;
    int index = 0;
    if (!PatternFile(font, file, index)) continue;
    FontFace* face = cache_.Face(file, index, em, bold, italic);
    if (face != nullptr) {
      primary_ = face;
      break;
    }
  }
  if (primary_ == nullptr) {
    if (fallbacks_ != nullptr) FcFontSetDestroy(fallbacks_);
    throw Error("No usable font is installed");
  }
  int count = fallbacks_ != nullptr ? fallbacks_->nfont : 0;
  fallbackFaces_.assign(count, nullptr);
  fallbackTried_.assign(count, false);

  FT_Face face = primary_->Face();
  const FT_Size_Metrics& size = face->size->metrics;
  int upem = face->units_per_EM;
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 != nullptr && os2->version == 0xFFFF) os2 = nullptr;
  bool scalable = FT_IS_SCALABLE(face) && upem > 0;
  if (scalable && os2 != nullptr && os2->usWinAscent + os2->usWinDescent > 0) {
    // The text cell spans the font's OS/2 clipping ascent and descent
    // (usWinAscent, usWinDescent), each rounded up to whole pixels.
    metrics_.Ascent = CeilDiv(static_cast<long>(os2->usWinAscent) * em, upem);
    metrics_.Descent = CeilDiv(static_cast<long>(os2->usWinDescent) * em, upem);
  } else {
    metrics_.Ascent = CeilDiv(size.ascender, 64);
    metrics_.Descent = CeilDiv(-size.descender, 64);
  }
  if (scalable) {
    metrics_.AveCharWidth = os2 != nullptr && os2->xAvgCharWidth > 0
                                ? RoundScaled(os2->xAvgCharWidth, em, upem)
                                : em / 2;
    // FreeType gives the underline's centre; the stroke starts half its
    // thickness higher.
    long thickness = face->underline_thickness > 0 ? face->underline_thickness : upem / 14;
    long top = face->underline_position + thickness / 2;
    metrics_.UnderlineOffset = RoundScaled(-top, em, upem);
    metrics_.UnderlineThickness = RoundScaled(thickness, em, upem);
    if (os2 != nullptr && os2->yStrikeoutSize > 0) {
      metrics_.StrikeoutOffset = -RoundScaled(os2->yStrikeoutPosition, em, upem);
      metrics_.StrikeoutThickness = RoundScaled(os2->yStrikeoutSize, em, upem);
    } else {
      metrics_.StrikeoutOffset = -RoundScaled(upem * 3 / 10, em, upem);
      metrics_.StrikeoutThickness = metrics_.UnderlineThickness;
    }
  } else {
    metrics_.AveCharWidth = std::max(1, static_cast<int>(size.max_advance >> 6) / 2);
    metrics_.UnderlineOffset = 1;
    metrics_.StrikeoutOffset = -std::max(1, metrics_.Ascent / 3);
  }
  metrics_.AveCharWidth = std::max(1, metrics_.AveCharWidth);
  metrics_.UnderlineThickness = std::max(1, metrics_.UnderlineThickness);
  metrics_.StrikeoutThickness = std::max(1, metrics_.StrikeoutThickness);
}

ResolvedFont::~ResolvedFont() {
  if (fallbacks_ != nullptr) FcFontSetDestroy(fallbacks_);
}

GlyphRef ResolvedFont::Lookup(char32_t c) {
  if (c < 256) {
    if (!latin1Known_[c]) {
      latin1_[c] = LookupUncached(c);
      latin1Known_[c] = true;
    }
    return latin1_[c];
  }
  auto it = others_.find(c);
  if (it == others_.end()) it = others_.emplace(c, LookupUncached(c)).first;
  return it->second;
}

GlyphRef ResolvedFont::LookupUncached(char32_t c) {
  if (uint32_t index = primary_->GlyphIndex(c); index != 0) return {primary_, index};
  if (fallbacks_ != nullptr) {
    for (int i = 0; i < fallbacks_->nfont; ++i) {
      FcCharSet* charset = nullptr;
      if (FcPatternGetCharSet(fallbacks_->fonts[i], FC_CHARSET, 0, &charset) != FcResultMatch ||
          !FcCharSetHasChar(charset, c)) {
        continue;
      }
      FontFace* face = FallbackFace(i);
      if (face == nullptr) continue;
      if (uint32_t index = face->GlyphIndex(c); index != 0) return {face, index};
    }
  }
  return {primary_, 0};
}

FontFace* ResolvedFont::FallbackFace(int i) {
  if (!fallbackTried_[i]) {
    fallbackTried_[i] = true;
    std::string file;
    int index = 0;
    if (PatternFile(fallbacks_->fonts[i], file, index)) {
      fallbackFaces_[i] = cache_.Face(file, index, em_, bold_, italic_);
    }
  }
  return fallbackFaces_[i];
}

// --------------------------------------------------------------- FontCache

Fonts::Fonts() = default;

Fonts::~Fonts() = default;

FontCache& Fonts::Cache() {
  std::call_once(made_, [this] { cache_ = std::make_unique<FontCache>(); });
  return *cache_;
}

FontCache::FontCache() {
  FcInit();
  if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
}

FontCache::~FontCache() {
  fonts_.clear();
  faces_.clear();
  if (library_ != nullptr) FT_Done_FreeType(library_);
}

FontFace* FontCache::Face(const std::string& file, int index, int em, bool bold, bool italic) {
  if (library_ == nullptr) return nullptr;
  auto key = std::make_tuple(file, index, em, bold, italic);
  auto it = faces_.find(key);
  if (it == faces_.end()) {
    auto face = std::make_unique<FontFace>(library_, file, index, em, bold, italic);
    it = faces_.emplace(key, face->Ok() ? std::move(face) : nullptr).first;
  }
  return it->second.get();
}

ResolvedFont& FontCache::Get(const std::string& name, int em, uint8_t style, uint8_t charset) {
  bool bold = (style & 1) != 0;
  bool italic = (style & 2) != 0;
  auto key = std::make_tuple(name, em, static_cast<uint8_t>(style & 3), charset);
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return *it->second;

  // Sessions that try many fonts and sizes would otherwise keep every glyph
  // of every one of them.
  if (fonts_.size() >= 64) {
    fonts_.clear();
    faces_.clear();
  }
  std::unique_ptr<FcPattern, PatternDeleter> request(FcPatternCreate());
  FcPatternAddString(request.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
  FcPatternAddInteger(request.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(request.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddDouble(request.get(), FC_PIXEL_SIZE, em);
  FcPatternAddBool(request.get(), FC_SCALABLE, FcTrue);
  if (const char* lang = LangForCharset(charset)) {
    FcPatternAddString(request.get(), FC_LANG, reinterpret_cast<const FcChar8*>(lang));
  }
  FcConfigSubstitute(nullptr, request.get(), FcMatchPattern);
  FcDefaultSubstitute(request.get());
  auto font = std::make_unique<ResolvedFont>(*this, request.get(), em, bold, italic);
  return *fonts_.emplace(key, std::move(font)).first->second;
}

}  // namespace kestrelpix
