// The frame-numbered reader, its format test and the pieces of it that work
// on one line.
#pragma once

#include <optional>
#include <string_view>

#include "base/message_sink.h"
#include "subtitle/entry_store.h"

namespace kestrelpix {

class SubtitleDocument;

// The first line begins with "{".
bool IsFrameText(std::string_view bytes);
// The rate of a frame-rate line {1}{1}25.000; empty for any other line. A
// rate that is no number throws ConvertError.
std::optional<double> ReadFrameRate(std::string_view line);
// One line {start}{end}text|text|text: the frames in milliseconds at fps,
// the text split at its first two bars, tags left in.
SubtitleEntry ParseFrameLine(std::string_view line, double fps);
// Adds the entries of a file IsFrameText accepts to the document, their
// text not drawn to its Report, and sets Loaded once an entry is read.
// Without a frame rate on the first line the frame-rate message goes to the
// sink and Loaded is false. A frame that is no number throws ConvertError;
// the entries before it stay.
void ReadFrames(std::string_view bytes, SubtitleDocument& document, MessageSink& sink);

}  // namespace kestrelpix
