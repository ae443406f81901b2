#include "job/job_support.h"

#include <algorithm>
#include <filesystem>

namespace kestrelpix {

Band ClampBand(Band band, int frameHeight) {
  int top = std::clamp(band.BandTop, 0, frameHeight - 2);
  top -= top % 2;
  const int bottom = std::clamp(band.BandTop + band.BandHeight, top + 2, frameHeight);
  return Band{top, bottom - top};
}

bool SameFile(const std::string& output, const std::string& input) {
  std::error_code ec;
  if (std::filesystem::equivalent(output, input, ec)) return true;
  return std::filesystem::weakly_canonical(output, ec) ==
         std::filesystem::weakly_canonical(input, ec);
}

}  // namespace kestrelpix
