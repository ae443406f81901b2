// The help text written beside the outputs at the end of a complete run:
// how to put the four subtitle colours into a DVD's IFO file, and the list
// of the generated files.
#pragma once

#include <string>

#include "base/color.h"

namespace kestrelpix {

// Where line 15 sends the user for a sample IFO file, and the page line 17
// names for combining several VobSub pairs.
inline constexpr const char* kSampleIfoAddress = "https://kestrelpix.org/download/COLORS.IFO";
inline constexpr const char* kMuxingGuideAddress =
    "https://kestrelpix.org/guides/multi-language-vobsub";

// Seventeen lines joined by CR LF, without a final line break. Colours 0 to
// 3 are given as Y Cr Cb ("80 80 7F") whatever the palette mode: antialias,
// outline, text and the background blue. Lines 11 to 13 name the index, sub
// and help files in the input's folder.
std::string HelpText(ColorValue antialias, ColorValue outline, ColorValue text,
                     const std::string& inputPath);

}  // namespace kestrelpix
