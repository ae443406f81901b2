// The re-encode check of a VobSub pair: every unit is decoded by
// independent decoders (spuunmux for the picture, its position and size;
// ffprobe for the start and stop times), the decoded picture is mapped back
// to pixel indices and encoded again by our rules, and the result must equal
// the unit's bytes in the .sub file exactly, packs included. Works on any
// .idx/.sub pair, so a whole converted film can be checked with it.
#pragma once

#include <string>
#include <vector>

namespace kestrelpix::testing {

struct ReencodeReport {
  int units = 0;                      // index entries checked
  int matched = 0;                    // units whose re-encoded bytes and packs equal the file's
  std::vector<std::string> problems;  // one line per mismatch or decoder failure
  bool ok() const { return units > 0 && matched == units && problems.empty(); }
};

// `idxPath` names the index; the .sub beside it has the same stem. Needs
// spuunmux and ffprobe on the PATH. Works in a temporary folder it removes.
ReencodeReport ReencodeCheck(const std::string& idxPath);

}  // namespace kestrelpix::testing
