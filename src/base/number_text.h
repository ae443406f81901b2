// Conversions between numbers and text that never depend on the process
// locale: "." is always the decimal separator.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrelpix {

// A 32-bit signed integer: optional leading blanks, an optional sign, then
// decimal digits or "$"/"0x" followed by hexadecimal digits. Nothing may
// follow. Throws ConvertError "'%s' is not a valid integer value".
int32_t StrToInt(std::string_view text);

// Like StrToInt, but empty instead of throwing.
std::optional<int32_t> TryStrToInt(std::string_view text);

// Stricter than TryStrToInt: an optional sign and decimal digits, nothing
// else (no blanks, no hexadecimal), within the 32-bit range.
bool TryDecimalStrToInt(std::string_view text, int32_t& value);

// A floating-point number with "." as the decimal separator and an optional
// exponent; leading and trailing blanks are allowed, thousands separators
// are not; infinities and NaN are not numbers here. Empty when the text is
// not such a number.
std::optional<double> TryStrToFloat(std::string_view text);

// The same, throwing ConvertError "'%s' is not a valid floating point value".
double StrToFloat(std::string_view text);

// Rounds to the nearest integer, an exact half going to the even neighbour.
int64_t RoundHalfEven(double value);

}  // namespace kestrelpix
