// The index writer: the text half of a VobSub pair. A fixed header in the
// VobSub index format version 7 (frame size, palette block, language), then
// one timestamp line per unit pointing at its first pack in the .sub file.
// Every line ends with CR LF, the last one included.
#pragma once

#include <cstdint>
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

// The header in its two parts, for an index of several streams. The settings
// part is lines 1 to 58: everything up to "langidx: 0" and the empty line
// after it. A language block follows for each stream: "# <name>", "id: xx,
// index: <index>" (xx the first two characters of `Language`), the
// alternative-name comment and "# alt: <name>", and "# Vob/Cell ID: 1, 1
// (PTS: 0)"; the stream's timestamp lines come after its block. IndexHeader
// is the settings part and the block of stream 0 named "English".
std::string IndexSettingsHeader(const std::string& Fps, const std::string& paletteBlock);
std::string IndexLanguageBlock(const std::string& name, const std::string& Language, int index);

// "timestamp: hh:mm:ss:mmm, filepos: 000000000" and CR LF. The position
// takes at least nine lower-case hexadecimal digits, more when it needs them
// (it is never cut).
std::string IndexEntry(double StartTime, uint64_t filePosition);

}  // namespace kestrelpix
