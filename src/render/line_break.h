// Where a line of subtitle text may be broken: the line-break opportunities
// of Unicode line breaking (UAX #14, with dictionary breaks for scripts
// written without blanks such as Thai, and a break between any two Chinese
// or Japanese characters that the rules allow), as ICU finds them.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace kestrelpix {

// The byte offsets in `bytes` (file text in the font's charset, decoded as
// DecodeText does) where a new line may start, ascending, each strictly
// between 0 and bytes.size() and at the first byte of a character, so that
// the pieces stay text in the same charset. Blanks stay at the end of the
// piece before the break. Only the first kMaxLaidOutBytes bytes are looked
// at (the rest is not drawn either).
std::vector<size_t> LineBreakOffsets(std::string_view bytes, uint8_t charset);

}  // namespace kestrelpix
