// Steps that every conversion run shares, whether it writes one stream or
// merges several into one pair.
#pragma once

#include <string>

#include "render/rasterizer.h"

namespace kestrelpix {

// The rows of the band that lie inside the frame. A band reaching above or
// below the frame is cut to the frame's rows; one lying wholly outside keeps
// two rows at the nearest edge, so the unit stays well formed. The top row
// stays even, as the two interlaced fields need.
Band ClampBand(Band band, int frameHeight);

// True when writing the output would replace the input file itself.
bool SameFile(const std::string& output, const std::string& input);

}  // namespace kestrelpix
