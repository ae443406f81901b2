// The tolerant reading, tried where the SubRip and frame-numbered format
// tests refuse a file, or their readers stop part-way through it.
#pragma once

#include <string_view>

#include "base/message_sink.h"
#include "subtitle/load_report.h"

namespace kestrelpix {

class SubtitleDocument;
struct LoadOptions;

// Reads the file by its upper-case extension as players would (UTF-16/32,
// any line ends, loose SubRip time lines, MicroDVD headers, MPL2,
// SubViewer 2 and TMPlayer under .srt, .sub and .txt; WebVTT; ASS/SSA)
// into the document, its text not drawn and one note of what was tolerated
// into its Report, and sets Loaded and Report.TextIsUtf8. `stopped`: where
// a strict reader stopped in the file, named in the note. False when it
// does not take the file either; then the document's entries are as before
// (ClearFirst: those it had before the load).
bool ReadTolerant(std::string_view bytes, std::string_view extension, bool clearFirst,
                  SubtitleDocument& document, MessageSink& sink, const LoadOptions& options,
                  const ReadStopped* stopped = nullptr);

}  // namespace kestrelpix
