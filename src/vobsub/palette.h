// Palette modes: the colour notations of the index palette (RGB for PC
// players, Y Cr Cb for DVD players), the palette block of the index, and the
// colour lists the three colour boxes offer.
#pragma once

#include <string>
#include <vector>

#include "base/color.h"
#include "base/palette_mode.h"

namespace kestrelpix {

// Red, green, blue as six upper-case hexadecimal digits: pure blue 0000FF.
std::string RgbHex(ColorValue color);

// The Y, Cr, Cb bytes of a colour, computed in floating point from its
// red, green and blue bytes and truncated toward zero:
//   Y  = 0.3 R + 0.5869 G + 0.11398 B
//   Cr = 0.5 R + 128 - 0.41868 G - 0.0813 B
//   Cb = 0.5 B + 128 - 0.16883 R - 0.33121 G
struct YCrCb {
  int Y, Cr, Cb;
};
YCrCb ToYCrCb(ColorValue color);

// Y, Cr, Cb as six upper-case hexadecimal digits: background blue 1D6BFF.
std::string YCrCbHex(ColorValue color);
// The same three pairs separated by blanks: "1D 6B FF".
std::string YCrCbSpaced(ColorValue color);

// "palette: " and the four run colours in palette order (antialias,
// outline, text, background blue) in the mode's notation, then twelve
// "000000" entries.
std::string PaletteLine(PaletteMode mode, ColorValue antialias, ColorValue outline,
                        ColorValue text);

// "custom colors: ON, tridx: 1000, colors: " and the RGB of background,
// text, outline, antialias in the two-palette mode; the OFF line otherwise.
std::string CustomColorsLine(PaletteMode mode, ColorValue antialias, ColorValue outline,
                             ColorValue text);

// Lines 51 to 54 of the index, each ended by CR LF: the palette line, an
// empty line, the custom colours comment and the custom colours line.
std::string PaletteBlock(PaletteMode mode, ColorValue antialias, ColorValue outline,
                         ColorValue text);

struct NamedColor {
  std::string Name;
  ColorValue Value;
};

// The fifteen colours offered in the PC, DVD and two-palette modes.
const std::vector<NamedColor>& StandardColors();
// The seven colours offered in the safe palette mode.
const std::vector<NamedColor>& SafeColors();
// SafeColors in the safe palette mode, StandardColors in the others.
const std::vector<NamedColor>& ColorListFor(PaletteMode mode);

// The item each colour box selects after it is filled: in StandardColors
// antialias gray, outline black, text white; in SafeColors (127, 127, 127),
// (0, 30, 0) and (255, 230, 20).
constexpr int kAntialiasDefaultIndex = 1;
constexpr int kOutlineDefaultIndex = 0;
constexpr int kTextDefaultIndex = 2;

}  // namespace kestrelpix
