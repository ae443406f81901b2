// The fixed lists of the main window's settings controls, as core data: the
// window fills its controls from them and the command line reads list
// positions against them, so both agree on every position.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/palette_mode.h"

namespace kestrelpix {

// "ab ABKHAZIAN" ... "zu ZULU": a two-letter code, a blank and a name.
const std::vector<std::string>& LanguageList();
const std::vector<std::string>& FpsList();           // "23.976" ... "30.000"
const std::vector<std::string>& AlignList();         // "center", "left", "right"
const std::vector<std::string>& OutlineWidthList();  // "2", "3", "4"

// The entry of the language list whose code is `code` (two characters, any
// letter case): "FR" gives "fr FRENCH". Nothing for any other text.
std::optional<std::string> LanguageForCode(std::string_view code);

// The two-letter tag before the extension of a file name, in lower case:
// "/films/film.FR.srt" gives "fr". Empty when the name has no such tag
// ("film.srt", "film.pt-br.srt", "fr.srt").
std::string LanguageTagOf(const std::string& path);

// A palette mode's short name on the command line ("pc", "dvd", "two",
// "safe") and, in one sentence, which players show its colours right, as
// scripts/player-colours.sh measured them (README's table). The colour
// options window shows the sentences beside the modes, convert's --help
// beside their names.
struct PaletteModeInfo {
  PaletteMode mode;
  const char* name;
  const char* players;
};
const std::vector<PaletteModeInfo>& PaletteModes();
const PaletteModeInfo& PaletteModeInfoFor(PaletteMode mode);

// Default list positions and slider positions of the main window.
constexpr int kDefaultFpsIndex = 2;        // "25.000"
constexpr int kDefaultLanguageIndex = 41;  // "el GREEK"
constexpr int kDefaultFontSizeIndex = 14;  // "20"
constexpr int kDefaultCharsetIndex = 4;    // "DEFAULT"
constexpr int kDefaultStyleIndex = 0;      // "Normal"
constexpr int kDefaultAlignIndex = 0;      // "center"
constexpr int kDefaultOutlineIndex = 1;    // "3"
constexpr int kDefaultFontNameIndex = 0;   // "Arial"
constexpr int kDefaultBottomOffset = 30;
constexpr int kDefaultLineSpacing = -4;
constexpr int kBottomOffsetMin = 8;
constexpr int kBottomOffsetMax = 492;
constexpr int kLineSpacingMin = -14;
constexpr int kLineSpacingMax = 10;

}  // namespace kestrelpix
