// File positions past 4 GiB. A film of a few hundred thousand dense entries
// makes a .sub larger than 4 GiB (scripts/large-runs.sh converts one); its
// index lines then carry positions above 0xFFFFFFFF in their nine hex
// digits. Here a sparse .sub holds four adjacent one-pack units, the last
// two below 4 GiB and the next two past it, after a hole that stands for
// the two million packs before them; the index lines are the writer's for
// those positions, and a real decoder must find each unit where they say.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "hardening/hardening_util.h"
#include "render/render_settings.h"
#include "support/temp_dir.h"
#include "vobsub/idx_writer.h"
#include "vobsub/palette.h"
#include "vobsub/ps_packer.h"
#include "vobsub/spu_encoder.h"

namespace kestrelpix {
namespace {

using namespace testing;

TEST(LargePositions, IndexLinesAroundFourGibibytes) {
  // Nine lower-case hex digits: 0xFFFFF800 is the last pack below 4 GiB
  // (pack 2097151), 0x100000000 the first one past it (pack 2097152).
  EXPECT_EQ(IndexEntry(1000, 0xFFFFF800ull), "timestamp: 00:00:01:000, filepos: 0fffff800\r\n");
  EXPECT_EQ(IndexEntry(2000, uint64_t{2097152} * kPackSize),
            "timestamp: 00:00:02:000, filepos: 100000000\r\n");
  EXPECT_EQ(IndexEntry(3000, 0x2A0000800ull), "timestamp: 00:00:03:000, filepos: 2a0000800\r\n");
}

TEST(LargePositions, FfprobeFindsUnitsPastFourGibibytes) {
  TempDir dir;
  const uint64_t positions[] = {0xFFFFF000ull, 0xFFFFF800ull, 0x100000000ull, 0x100000800ull};
  const std::string idxPath = (dir.path() / "far.idx").string();
  const std::string subPath = (dir.path() / "far.sub").string();

  const RenderSettings s;
  std::string idx = IndexHeader(
      s.Fps, "en ENGLISH", PaletteBlock(s.Palette, s.AntialiasColor, s.OutlineColor, s.TextColor));
  std::fstream sub(subPath, std::ios::binary | std::ios::in | std::ios::out | std::ios::trunc);
  const ColorKeys keys = ColorKeysFrom(s.TextColor, s.OutlineColor, s.AntialiasColor);
  std::string expected;  // ffprobe's packet lines: time, size, position
  for (int k = 0; k < 4; ++k) {
    // Entry k shows a text-coloured bar whose width tells the entries apart.
    FrameBitmap frame(720, 576);
    for (int y = 500; y < 520; ++y) {
      for (int x = 100; x < 200 + 100 * k; ++x) frame.SetPixel(x, y, s.TextColor);
    }
    const double start = 1000.0 * (k + 1);
    const std::vector<uint8_t> unit = EncodeSubpicture(frame, 500, 20, start, start + 500, keys);
    std::vector<uint8_t> packs;
    ASSERT_EQ(PackSubpicture(unit, start, packs), 1);
    expected += "packet," + std::to_string(k + 1) + ".000000," + std::to_string(unit.size()) + "," +
                std::to_string(positions[k]) + "\n";
    idx += IndexEntry(start, positions[k]);
    sub.seekp(static_cast<std::streamoff>(positions[k]));
    sub.write(reinterpret_cast<const char*>(packs.data()),
              static_cast<std::streamsize>(packs.size()));
  }
  sub.close();
  ASSERT_TRUE(sub.good() || !sub.bad());
  { std::ofstream(idxPath, std::ios::binary) << idx; }
  EXPECT_EQ(std::filesystem::file_size(subPath), 0x100001000ull);

  const CommandResult packets = RunCommand(
      "ffprobe -v error -show_entries packet=pts_time,pos,size -of csv " + ShellQuote(idxPath));
  ASSERT_EQ(packets.status, 0) << packets.err;
  EXPECT_EQ(packets.err, "");
  // Each unit is read where its index line points, with its own time and
  // size (a position cut to 32 bits would point into the hole).
  EXPECT_EQ(packets.out, expected);
  EXPECT_EQ(FfprobeSubtitles(idxPath), 4);
}

}  // namespace
}  // namespace kestrelpix
