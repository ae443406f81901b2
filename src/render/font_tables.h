// The name tables of the font drop-down lists and the list of installed font
// families. The window fills its lists from these, and the command line and
// the settings file map names and list positions through the same tables.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrelpix {

// The style byte for a style list name (bit 0 bold, bit 1 italic, bit 2
// underline, bit 3 strike-out). Exact, case-sensitive comparison; a name that
// is in no table entry (an empty selection) gives 0, the plain style.
uint8_t StyleFromName(std::string_view name);

// The character-set code for a charset list name ("DEFAULT" is 1, "OEM" 255).
// Exact, case-sensitive comparison; an unknown name gives 1 (DEFAULT).
uint8_t CharsetFromName(std::string_view name);

// The 9 style names and the 19 charset names, in list order.
const std::vector<std::string>& StyleNames();
const std::vector<std::string>& CharsetNames();

// "6" to "30" in steps of 1, then "32" to "50" in steps of 2: 35 items.
const std::vector<std::string>& FontSizeNames();

// "Arial" first, then the installed scalable font families: one entry per
// family name (the first family name each font gives), sorted without regard
// to letter case.
std::vector<std::string> FontList();

}  // namespace kestrelpix
