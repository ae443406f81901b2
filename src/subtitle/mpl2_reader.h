// The MPL2 reader of the tolerant reading: lines [start][end]text, the
// times in tenths of a second, "|" between the lines of an entry and "/" at
// the start of a line marking it italic.
#pragma once

#include <string_view>

#include "subtitle/reader_parts.h"

namespace kestrelpix {

// The format test: the line (the file's first that is not blank) begins
// with [digits][digits].
bool IsMpl2Line(std::string_view line);

// Reads every [start][end]text line of `text` (UTF-8, any line ends) as an
// entry, the "/" markers and tags removed. Lines of another form, blank
// ones aside, are counted in `skipped`.
void ReadMpl2(std::string_view text, const EntryOut& out, size_t& skipped);

}  // namespace kestrelpix
