#include "render/measure.h"

#include "render/font_cache.h"
#include "render/text_layout.h"

namespace kestrelpix {

TextExtent MeasureLine(Fonts& fonts, std::string_view text, const std::string& FontName,
                       int FontSize, uint8_t FontStyle, uint8_t FontCharset) {
  FontCache& cache = fonts.Cache();
  auto lock = cache.Lock();
  ResolvedFont& font = cache.Get(FontName, EmHeightForPoints(FontSize), FontStyle, FontCharset);
  LineLayout layout = LayoutLine(font, text, FontCharset, TextMode::Measure);
  return {layout.width, layout.metrics.height()};
}

}  // namespace kestrelpix
