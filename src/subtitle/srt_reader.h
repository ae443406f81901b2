// The SubRip format test and the pieces of the SubRip reader that work on
// one line; the reader itself fills a SubtitleDocument.
#pragma once

#include <cstdint>
#include <string_view>

namespace kestrelpix {

// The second line holds "-->" at columns 14 to 16.
bool IsSrtText(std::string_view bytes);
// A line of at least 29 bytes with the arrow at columns 14 to 16.
bool IsSrtTimeLine(std::string_view line);
// hh:mm:ss,mmm in milliseconds; a field that is no number throws
// ConvertError.
int64_t SrtTimeToMs(std::string_view time);

}  // namespace kestrelpix
