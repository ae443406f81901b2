// How the settings file spells each kind of stored value. Decoding never
// throws: a value that does not decode returns false, and the caller stops
// restoring the remaining properties there.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/color.h"

namespace kestrelpix {

// Integers: written as signed decimal without leading zeros or blanks; read
// as decimal, or hexadecimal after "$" (also "0x"), with an optional sign. An
// empty value reads as 0.
std::string EncodeInteger(int32_t value);
bool DecodeInteger(std::string_view text, int32_t& value);

// Texts: written exactly as they are and read back as stored.
std::string EncodeText(std::string_view value);
bool DecodeText(std::string_view text, std::string& value);

// Booleans: written "TRUE" or "FALSE". Read: "TRUE", "YES", "Y" (any case)
// are true; "FALSE", "NO", "N" (any case) are false; anything else is read
// as an integer, non-zero meaning true.
std::string EncodeBoolean(bool value);
bool DecodeBoolean(std::string_view text, bool& value);

// Colours: written as the colour's name when the value equals a named colour
// ("clWhite"; the sixteen standard colours, four extra ones, clNone,
// clDefault and the named system colours of SystemColors(), no two sharing a
// name or a value), otherwise as the 32-bit value in signed decimal (orange, red
// 255, green 128, blue 0, is 0x000080FF and is written "33023"). Read: a
// name in any case, otherwise an integer as above.
std::string EncodeColor(ColorValue value);
bool DecodeColor(std::string_view text, ColorValue& value);

constexpr ColorValue kColorNone = 0x1FFFFFFFu;
constexpr ColorValue kColorDefault = 0x20000000u;

}  // namespace kestrelpix
