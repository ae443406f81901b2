// The frame-numbered reader, its format test and the pieces of it that work
// on one line.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/message_sink.h"
#include "subtitle/entry_store.h"

namespace kestrelpix {

class SubtitleDocument;

// The first line begins with "{".
bool IsFrameText(std::string_view bytes);
// A frame-rate line: {1}{1} or {0}{0}, then a number with "." or "," before
// its decimals, then nothing, a blank or a "|" (the text after the number,
// in `Rest`, is no subtitle: players show none of it). A rate of 0 is no
// rate, but its line is still no entry.
struct FrameRateLine {
  double Fps = 0;
  std::string_view Rest;
};
std::optional<FrameRateLine> ParseFrameRateLine(std::string_view line);
// The rate of a frame-rate line; empty for any other line.
std::optional<double> ReadFrameRate(std::string_view line);
// The note phrase for what a frame-rate line holds after its rate; empty
// when it holds nothing.
std::string FrameRateLineText(std::string_view rest);
// One line {start}{end}text|text|text: the frames in milliseconds at fps,
// the text split at its first two bars, tags left in.
SubtitleEntry ParseFrameLine(std::string_view line, double fps);
// Adds the entries of a file IsFrameText accepts to the document, their
// text not drawn to its Report, and sets Loaded once an entry is read. The
// first line gives the frame rate and is no entry; without a rate there the
// frame-rate message goes to the sink and Loaded is false. Blank lines are
// skipped. A frame that is no number throws ReadStopped; the entries
// before it stay.
void ReadFrames(std::string_view bytes, SubtitleDocument& document, MessageSink& sink);

}  // namespace kestrelpix
