// The frame-numbered format test and the pieces of the frame-numbered
// reader that work on one line; the reader itself fills a SubtitleDocument.
#pragma once

#include <optional>
#include <string_view>

#include "subtitle/entry_store.h"

namespace kestrelpix {

// The first line begins with "{".
bool IsFrameText(std::string_view bytes);
// The rate of a frame-rate line {1}{1}25.000; empty for any other line. A
// rate that is no number throws ConvertError.
std::optional<double> ReadFrameRate(std::string_view line);
// One line {start}{end}text|text|text: the frames in milliseconds at fps,
// the text split at its first two bars, tags left in.
SubtitleEntry ParseFrameLine(std::string_view line, double fps);

}  // namespace kestrelpix
