// Writes a VobSub pair (.idx and .sub) from frames drawn by the tests, the
// way a conversion run does: the whole index header, then per entry its
// index line(s) and packs. An entry longer than one unit can show is split
// into several units by DisplaySpans.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/color.h"
#include "base/message_sink.h"
#include "base/frame_bitmap.h"
#include "base/palette_mode.h"

namespace kestrelpix::testing {

struct TestEntry {
  FrameBitmap frame;
  int BandTop = 0;
  int BandHeight = 0;
  double StartTime = 0;
  double EndTime = 0;
};

struct PairOptions {
  std::string Fps = "25.000";
  std::string Language = "en ENGLISH";
  PaletteMode Palette = PaletteMode::TwoPalettes;
  ColorValue TextColor = MakeColor(255, 255, 255);
  ColorValue OutlineColor = MakeColor(0, 0, 0);
  ColorValue AntialiasColor = MakeColor(128, 128, 128);
};

// One unit as written: which entry it shows, its times and where it is.
struct WrittenUnit {
  size_t entry = 0;
  double StartTime = 0;
  double EndTime = 0;
  int BandTop = 0;
  int BandHeight = 0;
  uint64_t filePosition = 0;
  int packs = 0;
  std::vector<uint8_t> unit;
};

// Writes stem + ".idx" and stem + ".sub"; returns the units in file order.
std::vector<WrittenUnit> WritePair(const std::string& stem, const std::vector<TestEntry>& entries,
                                   const PairOptions& options, MessageSink* sink = nullptr);

}  // namespace kestrelpix::testing
