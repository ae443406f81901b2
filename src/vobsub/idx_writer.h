// The index writer: the text half of a VobSub pair. A fixed header in the
// VobSub index format version 7 (frame size, palette block, language), then
// one timestamp line per unit pointing at its first pack in the .sub file.
// Every line ends with CR LF, the last one included.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "base/idx_time.h"

namespace kestrelpix {

// Lines 1 to 63 of the index, CR LF after each. `Fps` picks the frame size:
// exactly "25.000" is PAL 720x576, every other text NTSC 720x480. `Language`
// gives its first two characters to the "id:" line (fewer when it is
// shorter). `paletteBlock` is inserted as lines 51 to 54, as PaletteBlock
// gives it: each line ended by CR LF (a missing final CR LF is added).
std::string IndexHeader(const std::string& Fps, const std::string& Language,
                        const std::string& paletteBlock);

// "timestamp: hh:mm:ss:mmm, filepos: 000000000" and CR LF. The position
// takes at least nine lower-case hexadecimal digits, more when it needs them
// (it is never cut).
std::string IndexEntry(double StartTime, uint64_t filePosition);

// Write the texts above to an open index file; a failed write throws
// FileError.
void WriteIndexHeader(std::ostream& file, const std::string& Fps, const std::string& Language,
                      const std::string& paletteBlock);
void WriteIndexEntry(std::ostream& file, double StartTime, uint64_t filePosition);

}  // namespace kestrelpix
