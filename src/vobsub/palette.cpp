#include "vobsub/palette.h"

#include <cmath>

namespace kestrelpix {

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr const char* kTwelveZeroEntries =
    ", 000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000, "
    "000000";

std::string HexByte(int value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return {kDigits[(value >> 4) & 0xF], kDigits[value & 0xF]};
}

int TruncatedByte(double value) {
  // The coefficients keep every result inside 0..255; the clamp only guards
  // the two hex digits.
  const int truncated = static_cast<int>(std::trunc(value));
  return truncated < 0 ? 0 : (truncated > 255 ? 255 : truncated);
}

bool UsesYCrCb(PaletteMode mode) {
  return mode == PaletteMode::DvdOnly || mode == PaletteMode::TwoPalettes;
}

}  // namespace

std::string RgbHex(ColorValue color) {
  return HexByte(RedOf(color)) + HexByte(GreenOf(color)) + HexByte(BlueOf(color));
}

YCrCb ToYCrCb(ColorValue color) {
  const double r = RedOf(color), g = GreenOf(color), b = BlueOf(color);
  return YCrCb{TruncatedByte(0.3 * r + 0.5869 * g + 0.11398 * b),
               TruncatedByte(0.5 * r + 128 - 0.41868 * g - 0.0813 * b),
               TruncatedByte(0.5 * b + 128 - 0.16883 * r - 0.33121 * g)};
}

std::string YCrCbHex(ColorValue color) {
  const YCrCb c = ToYCrCb(color);
  return HexByte(c.Y) + HexByte(c.Cr) + HexByte(c.Cb);
}

std::string YCrCbSpaced(ColorValue color) {
  const YCrCb c = ToYCrCb(color);
  return HexByte(c.Y) + " " + HexByte(c.Cr) + " " + HexByte(c.Cb);
}

std::string PaletteLine(PaletteMode mode, ColorValue antialias, ColorValue outline,
                        ColorValue text) {
  auto notation = UsesYCrCb(mode) ? YCrCbHex : RgbHex;
  return "palette: " + notation(antialias) + ", " + notation(outline) + ", " + notation(text) +
         ", " + notation(kBackgroundBlue) + kTwelveZeroEntries;
}

std::string CustomColorsLine(PaletteMode mode, ColorValue antialias, ColorValue outline,
                             ColorValue text) {
  if (mode != PaletteMode::TwoPalettes) {
    return "custom colors: OFF, tridx: 0000, colors: 000000, 000000, 000000, 000000";
  }
  // Pixel-index order 0..3; tridx 1000 makes index 0 transparent.
  return "custom colors: ON, tridx: 1000, colors: " + RgbHex(kBackgroundBlue) + ", " +
         RgbHex(text) + ", " + RgbHex(outline) + ", " + RgbHex(antialias);
}

std::string PaletteBlock(PaletteMode mode, ColorValue antialias, ColorValue outline,
                         ColorValue text) {
  return PaletteLine(mode, antialias, outline, text) + kCrLf + kCrLf +
         "# Custom colors(transp idxs and the four colors)" + kCrLf +
         CustomColorsLine(mode, antialias, outline, text) + kCrLf;
}

const std::vector<NamedColor>& StandardColors() {
  static const std::vector<NamedColor> colors = {
      {"black", MakeColor(0, 0, 0)},       {"gray", MakeColor(128, 128, 128)},
      {"white", MakeColor(255, 255, 255)}, {"maroon", MakeColor(128, 0, 0)},
      {"green", MakeColor(0, 128, 0)},     {"olive", MakeColor(128, 128, 0)},
      {"navy", MakeColor(0, 0, 128)},      {"purple", MakeColor(128, 0, 128)},
      {"teal", MakeColor(0, 128, 128)},    {"silver", MakeColor(192, 192, 192)},
      {"red", MakeColor(255, 0, 0)},       {"lime", MakeColor(0, 255, 0)},
      {"yellow", MakeColor(255, 255, 0)},  {"fuchsia", MakeColor(255, 0, 255)},
      {"aqua", MakeColor(0, 255, 255)},
  };
  return colors;
}

const std::vector<NamedColor>& SafeColors() {
  static const std::vector<NamedColor> colors = {
      {"very dark green", MakeColor(0, 30, 0)}, {"medium gray", MakeColor(127, 127, 127)},
      {"warm yellow", MakeColor(255, 230, 20)}, {"leaf green", MakeColor(80, 130, 30)},
      {"pale pink", MakeColor(255, 200, 255)},  {"forest green", MakeColor(29, 80, 15)},
      {"dark green", MakeColor(0, 55, 0)},
  };
  return colors;
}

const std::vector<NamedColor>& ColorListFor(PaletteMode mode) {
  return mode == PaletteMode::SafePalette ? SafeColors() : StandardColors();
}

}  // namespace kestrelpix
