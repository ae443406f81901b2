// Characters that no installed font can draw: they would come out as the
// font's missing-glyph box. The load warns about them once, naming a Debian
// font package that has them.
#pragma once

#include <set>
#include <string>
#include <string_view>

#include "render/fonts.h"
#include "render/render_settings.h"

namespace kestrelpix {

// Adds to `missing` the characters of the line (bytes read by the settings'
// charset) for which neither the settings' font nor any fallback face has a
// glyph. Blanks, control and format characters, which draw nothing, and
// U+FFFD (bytes the charset does not define) are left out.
void CollectMissingGlyphs(Fonts& fonts, std::string_view line, const RenderSettings& settings,
                          std::set<char32_t>& missing);

// A Debian package of fonts with glyphs for the character.
const char* FontPackageFor(char32_t c);

// One warning for all of them: their U+ codes (the first twelve, then how
// many more) and the packages to install; "" when there are none.
std::string MissingGlyphsWarning(const std::set<char32_t>& missing);

}  // namespace kestrelpix
