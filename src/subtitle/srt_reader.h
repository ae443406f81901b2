// The SubRip reader, its format test and the pieces of it that work on one
// line.
#pragma once

#include <cstdint>
#include <string_view>

namespace kestrelpix {

class SubtitleDocument;

// The second line holds "-->" at columns 14 to 16.
bool IsSrtText(std::string_view bytes);
// A line of at least 29 bytes with the arrow at columns 14 to 16.
bool IsSrtTimeLine(std::string_view line);
// hh:mm:ss,mmm in milliseconds; a field that is no number throws
// ConvertError.
int64_t SrtTimeToMs(std::string_view time);
// Adds the entries of a file IsSrtText accepts to the document, their text
// not drawn to its Report, and sets Loaded once a line is read. A time
// that is no number throws ConvertError; the entries before it stay.
void ReadSrt(std::string_view bytes, SubtitleDocument& document);

}  // namespace kestrelpix
