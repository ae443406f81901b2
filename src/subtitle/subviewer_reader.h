// The SubViewer 2 reader of the tolerant reading: an optional header of
// [NAME]value lines, then blocks of a time line hh:mm:ss.cc,hh:mm:ss.cc and
// the text lines, "[br]" also breaking a line, up to a blank line.
#pragma once

#include <string_view>

#include "subtitle/reader_parts.h"

namespace kestrelpix {

// The format test: the line (the file's first that is not blank) is
// [INFORMATION] or a SubViewer time line.
bool IsSubViewerLine(std::string_view line);

// Reads the blocks of `text` (UTF-8, any line ends). Lines outside a block
// that are neither a time line nor a [NAME] line of the header are counted
// in `skipped`.
void ReadSubViewer(std::string_view text, const EntryOut& out, size_t& skipped);

}  // namespace kestrelpix
