// Measuring one line of subtitle text: the width the line is drawn with and
// the height of one line of the font.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "render/fonts.h"

namespace kestrelpix {

struct TextExtent {
  int width;
  int height;
  bool operator==(const TextExtent&) const = default;
};

// The width and height in pixels of one line of file text (bytes, decoded by
// the charset) in the font given by face name, size in points, style byte
// and charset code. Width: the advance of the shaped line (the glyphs'
// hinted advances in whole pixels, moved only where a font positions marks
// or joins letters; no kerning), tabs expanded, every drawn character
// counted ("&" too), an empty text measured as one space. Height: one line of
// the font, the text cell with internal leading, whatever the text.
TextExtent MeasureLine(Fonts& fonts, std::string_view text, const std::string& FontName,
                       int FontSize, uint8_t FontStyle, uint8_t FontCharset);

}  // namespace kestrelpix
