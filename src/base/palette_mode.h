// How a pair's index carries its colours: the palette in RGB for PC players,
// in Y Cr Cb for DVD players, both (the RGB colours as custom colours beside
// a Y Cr Cb palette), or colours every player shows alike.
#pragma once

namespace kestrelpix {

enum class PaletteMode { PcOnly, DvdOnly, TwoPalettes, SafePalette };

}  // namespace kestrelpix
