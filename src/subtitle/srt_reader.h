// The SubRip reader, its format test and the pieces of it that work on one
// line.
#pragma once

#include <cstdint>
#include <string_view>

namespace kestrelpix {

class SubtitleDocument;

// The second line holds "-->" at columns 14 to 16.
bool IsSrtText(std::string_view bytes);
// A line of at least 27 bytes (an end time with one digit after the comma)
// with the arrow at columns 14 to 16.
bool IsSrtTimeLine(std::string_view line);
// hh:mm:ss,mmm in milliseconds, the digits after the comma a fraction of a
// second (",5" and ",50" are 500 ms); a field that is no number throws
// ConvertError.
int64_t SrtTimeToMs(std::string_view time);
// Adds the entries of a file IsSrtText accepts to the document, their text
// not drawn to its Report, each placed by its first {\anN} tag, and sets
// Loaded once a line is read. A time that is no number, or a time line out
// of the fixed columns, throws ReadStopped; the entries before it stay.
void ReadSrt(std::string_view bytes, SubtitleDocument& document);

}  // namespace kestrelpix
