// The frame every subtitle is drawn into: 720 columns, and 576 rows (PAL)
// for a frame rate of exactly "25.000", 480 rows (NTSC) for every other rate.
#pragma once

#include <string_view>

namespace kestrelpix {

constexpr int kFrameWidth = 720;
constexpr int kPalFrameHeight = 576;
constexpr int kNtscFrameHeight = 480;

inline int FrameHeightForFps(std::string_view fps) {
  return fps == "25.000" ? kPalFrameHeight : kNtscFrameHeight;
}

}  // namespace kestrelpix
