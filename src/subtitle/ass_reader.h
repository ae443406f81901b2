// The ASS/SSA reader of the tolerant reading.
#pragma once

#include <string_view>

#include "subtitle/reader_parts.h"

namespace kestrelpix {

// The Dialogue lines of [Events] in `text` (UTF-8, any line ends), fields
// as the Format line orders them (the usual order when it is missing), Text
// last; WrapStyle in [Script Info] decides what \n is. Each entry is placed
// by its style's Alignment and MarginV, the line's own MarginV when not 0
// and the first \an or \a tag of its text; MarginV counts in PlayResY (as
// [Script Info] gives it before the events, or the players' default).
// Dialogue lines whose fields or times cannot be read are counted in
// `skipped`. False when the text has no [Events] section.
bool ReadAss(std::string_view text, const EntryOut& out, int& skipped);

}  // namespace kestrelpix
