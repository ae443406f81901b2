// The WebVTT reader of the tolerant reading.
#pragma once

#include <string_view>

#include "subtitle/entry_store.h"
#include "subtitle/reader_parts.h"

namespace kestrelpix {

// Cues of `text` (UTF-8, any line ends): blocks of an optional identifier,
// a time line and text lines, separated by blank lines; NOTE, STYLE and
// REGION blocks and the header are skipped. A cue's line: and align:
// settings place it. header: the text begins with WEBVTT. Blocks with no
// readable time line are counted in `skipped`. False when the text has
// neither the header nor a cue.
bool ReadWebVtt(std::string_view text, const EntryOut& out, bool& header, int& skipped);

// The place the settings after a cue's times ask for: line: (a percentage
// or a line number, 5 1/3 % of the frame each, negative ones counted from
// the bottom) picks the top, middle or bottom third, align: the left,
// centre or right. Align 0 when neither is given; MarginV stays -1, the
// chosen offsets keep their distance from the edge.
Placement WebVttPlacement(std::string_view settings);

}  // namespace kestrelpix
