#include "render/glyph_coverage.h"

#include <cstdio>
#include <vector>

#include "base/charset.h"
#include "render/font_cache.h"
#include "render/text_decode.h"
#include "render/text_layout.h"

namespace kestrelpix {

namespace {

// Characters that take no glyph of their own.
bool DrawsNothing(char32_t c) {
  return c <= 0x20 || (c >= 0x7F && c <= 0xA0) || c == 0xAD || (c >= 0x200B && c <= 0x200F) ||
         (c >= 0x2028 && c <= 0x202F) || (c >= 0x2060 && c <= 0x206F) || c == 0x3000 ||
         (c >= 0xFE00 && c <= 0xFE0F) || c == 0xFEFF || c == 0xFFFD ||
         (c >= 0xE0000 && c <= 0xE0FFF);
}

bool In(char32_t c, char32_t first, char32_t last) { return c >= first && c <= last; }

}  // namespace

void CollectMissingGlyphs(Fonts& fonts, std::string_view line, const RenderSettings& s,
                          std::set<char32_t>& missing) {
  // Symbol fonts map bytes to their own private range; nothing to report.
  if (s.FontCharset == CharsetCode(CharsetId::kSymbol) || line.empty()) return;
  // Printable ASCII, the common case, is in every installed text face.
  bool ascii = true;
  for (char c : line) ascii = ascii && c >= 0x20 && c < 0x7F;
  if (ascii) return;
  // Only what is laid out is drawn (and decoding the whole of a huge line
  // would cost four bytes a byte).
  const std::u32string chars = DecodeText(line.substr(0, kMaxLaidOutBytes), s.FontCharset);
  FontCache& cache = fonts.Cache();
  auto lock = cache.Lock();
  ResolvedFont& font =
      cache.Get(s.FontName, EmHeightForPoints(s.FontSize), s.FontStyle, s.FontCharset);
  for (char32_t c : chars) {
    if (DrawsNothing(c)) continue;
    if (font.Lookup(c).index == 0) missing.insert(c);
  }
}

const char* FontPackageFor(char32_t c) {
  if (In(c, 0x1100, 0x11FF) || In(c, 0x2E80, 0x2FDF) || In(c, 0x3000, 0x30FF) ||
      In(c, 0x3130, 0x318F) || In(c, 0x31F0, 0x9FFF) || In(c, 0xAC00, 0xD7AF) ||
      In(c, 0xF900, 0xFAFF) || In(c, 0xFE30, 0xFE4F) || In(c, 0xFF00, 0xFFEF) ||
      In(c, 0x20000, 0x3FFFF)) {
    return "fonts-noto-cjk";
  }
  if (In(c, 0x0E00, 0x0E7F)) return "fonts-thai-tlwg";
  if (In(c, 0x1F000, 0x1FAFF) || In(c, 0x2600, 0x27BF)) return "fonts-symbola";
  return "fonts-noto-core";
}

std::string MissingGlyphsWarning(const std::set<char32_t>& missing) {
  if (missing.empty()) return "";
  std::string codes;
  std::vector<std::string> packages;
  int listed = 0;
  for (char32_t c : missing) {
    if (listed < 12) {
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
      codes += (listed > 0 ? " " : "") + std::string(code);
      ++listed;
    }
    const std::string package = FontPackageFor(c);
    bool known = false;
    for (const std::string& p : packages) known = known || p == package;
    if (!known) packages.push_back(package);
  }
  if (missing.size() > 12) codes += " and " + std::to_string(missing.size() - 12) + " more";
  std::string names;
  for (size_t i = 0; i < packages.size(); ++i) {
    names += (i == 0 ? "" : i + 1 == packages.size() ? " and " : ", ") + packages[i];
  }
  return "No installed font has a glyph for " + std::to_string(missing.size()) +
         (missing.size() == 1 ? " character" : " characters") + " of this subtitle (" + codes +
         (missing.size() == 1 ? "); it is drawn as a box. Installing "
                              : "); they are drawn as boxes. Installing ") +
         names + (packages.size() == 1 ? " (Debian package)" : " (Debian packages)") +
         " gives the glyphs.";
}

}  // namespace kestrelpix
