// Colour values as the settings and controls hold them: 32 bits, red in the
// lowest byte, then green, then blue (0x00BBGGRR).
#pragma once

#include <cstdint>

namespace kestrelpix {

using ColorValue = uint32_t;

constexpr ColorValue MakeColor(uint8_t red, uint8_t green, uint8_t blue) {
  return static_cast<ColorValue>(red) | (static_cast<ColorValue>(green) << 8) |
         (static_cast<ColorValue>(blue) << 16);
}
constexpr uint8_t RedOf(ColorValue c) { return static_cast<uint8_t>(c & 0xFF); }
constexpr uint8_t GreenOf(ColorValue c) { return static_cast<uint8_t>((c >> 8) & 0xFF); }
constexpr uint8_t BlueOf(ColorValue c) { return static_cast<uint8_t>((c >> 16) & 0xFF); }

// The frame background: red 0, green 0, blue 255.
constexpr ColorValue kBackgroundBlue = MakeColor(0, 0, 255);

}  // namespace kestrelpix
