// The TMPlayer reader of the tolerant reading: lines h:mm:ss:text or
// h:mm:ss=text ("|" between the lines of an entry), or hh:mm:ss,N=text for
// line N of an entry. A line without text ends the entry before it; an
// entry without one ends where the next begins.
#pragma once

#include <cstdint>
#include <string_view>

#include "subtitle/reader_parts.h"

namespace kestrelpix {

// How long the last entry of a file is shown when no line ends it.
constexpr int64_t kTmPlayerLastEntryMs = 5000;

// The format test: the line (the file's first that is not blank) begins
// with a TMPlayer time.
bool IsTmPlayerLine(std::string_view line);

// Reads the entries of `text` (UTF-8, any line ends). Lines of another
// form, blank ones aside, are counted in `skipped`; openEnd: the last entry
// had no end and is shown for kTmPlayerLastEntryMs.
void ReadTmPlayer(std::string_view text, const EntryOut& out, size_t& skipped, bool& openEnd);

}  // namespace kestrelpix
