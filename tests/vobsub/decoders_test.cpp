// Real decoders read the pairs we write: ffprobe (ffmpeg), spuunmux
// (dvdauthor) and mkvmerge (MKVToolNix). The pairs are drawn here: outlined
// boxes in the four key colours standing in for text, a blank band, bands at
// the frame's edges, units of more than nine packs and above the DVD player
// buffer, and a display longer than one unit's delay can hold.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/collecting_sink.h"
#include "support/run_command.h"
#include "vobsub/external_decoders.h"
#include "vobsub/pair_writer.h"
#include "vobsub/reencode_check.h"
#include "vobsub/spu_encoder.h"
#include "vobsub/test_frames.h"

namespace kestrelpix {
namespace {

using namespace kestrelpix::testing;

// Two lines of glyph-like boxes, the way a two-line entry fills its band.
FrameBitmap TwoLineFrame(int height, int lineTop, int seed) {
  FrameBitmap frame(720, height);
  for (int line = 0; line < 2; ++line) {
    int x = 60 + (seed * 37 + line * 53) % 80;
    for (int glyph = 0; glyph < 22 && x < 650; ++glyph) {
      const int width = 8 + (seed + glyph * 7 + line) % 13;
      const int tall = 18 + (glyph + seed) % 9;
      DrawOutlinedBox(frame, x, lineTop + line * 34 + (26 - tall), width, tall);
      x += width + 3 + (glyph % 4 == 3 ? 9 : 0);
    }
  }
  return frame;
}

// Alternating colours in every pixel: the densest picture there is.
FrameBitmap DenseFrame(int height, int top, int rows) {
  FrameBitmap frame(720, height);
  for (int y = top; y < top + rows; ++y) {
    for (int x = 0; x < 720; ++x) frame.SetPixel(x, y, (x + y) % 3 == 0 ? kTestText : kTestOutline);
  }
  return frame;
}

std::vector<TestEntry> PalEntries() {
  std::vector<TestEntry> entries;
  entries.push_back({TwoLineFrame(576, 480, 1), 474, 74, 1000, 3500});
  entries.push_back({TwoLineFrame(576, 6, 2), 0, 74, 5000, 5040});  // band at the top row
  entries.push_back({FrameBitmap(720, 576), 474, 74, 8000, 9000});  // blank band
  // About 242 bytes a row: 90 rows take 11 packs, 240 rows 58116 bytes.
  entries.push_back({DenseFrame(576, 300, 90), 300, 90, 10000, 12000});     // over nine packs
  entries.push_back({DenseFrame(576, 100, 240), 100, 240, 13000, 14000});   // over 53220 bytes
  entries.push_back({TwoLineFrame(576, 508, 3), 502, 74, 20000, 1220000});  // 20 minutes
  entries.push_back({TwoLineFrame(576, 480, 4), 474, 74, 3600000, 3602000});
  return entries;
}

bool IsBlank(const TestEntry& entry) {
  return entry.frame.bytes() == FrameBitmap(720, entry.frame.height()).bytes();
}

std::vector<TestEntry> NtscEntries() {
  std::vector<TestEntry> entries;
  entries.push_back({TwoLineFrame(480, 384, 5), 378, 74, 500, 2500});
  entries.push_back({TwoLineFrame(480, 412, 6), 406, 74, 4000, 6000});  // ends at the last row
  // Two rows, one per field. (ffmpeg reads the area's last row as exclusive,
  // so it would show nothing of a one-row band; spuunmux shows it.)
  entries.push_back({TwoLineFrame(480, 290, 7), 300, 2, 7000, 8000});
  return entries;
}

class RealDecoders : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"ffprobe", "spuunmux", "mkvmerge"}) {
      ASSERT_TRUE(HaveProgram(tool)) << tool << " is missing: run scripts/install-deps.sh";
    }
  }

  // Writes both pairs; returns the units of the PAL pair and the NTSC pair.
  std::vector<WrittenUnit> Write(const std::string& name, const std::vector<TestEntry>& entries,
                                 const std::string& fps) {
    PairOptions options;
    options.Fps = fps;
    return WritePair(folder_ + "/" + name, entries, options, &sink_);
  }

  const TempDir dir_;
  const std::string folder_ = dir_.path().string();
  CollectingMessageSink sink_;
};

TEST_F(RealDecoders, FfprobeGivesEverySubtitleWithItsStartAndDuration) {
  for (const auto& [name, entries, fps, height] :
       {std::tuple{"pal", PalEntries(), "25.000", 576}, {"ntsc", NtscEntries(), "29.970", 480}}) {
    SCOPED_TRACE(name);
    const std::vector<WrittenUnit> units = Write(name, entries, fps);
    std::string failure;
    const std::vector<FfprobeFrame> frames = RunFfprobe(folder_ + "/" + name + ".idx", failure);
    EXPECT_EQ(failure, "");
    ASSERT_EQ(frames.size(), units.size());
    for (size_t k = 0; k < units.size(); ++k) {
      const WrittenUnit& unit = units[k];
      EXPECT_EQ(frames[k].position, unit.filePosition);
      EXPECT_EQ(frames[k].ptsMs, static_cast<int64_t>(unit.StartTime));
      if (IsBlank(entries[unit.entry])) {
        // ffmpeg drops a picture with nothing visible: no subtitle frame.
        EXPECT_EQ(frames[k].endDisplayMs, -1);
        continue;
      }
      // ffmpeg shows the stop as floor(delay * 1024 / 90) ms; the delay is
      // the duration rounded to 1024/90 ms, so it lies within 6 ms of it.
      const int64_t delay = StopDelayUnits(unit.StartTime, unit.EndTime);
      EXPECT_EQ(frames[k].endDisplayMs, delay * 1024 / 90) << "unit " << k;
      EXPECT_NEAR(static_cast<double>(frames[k].endDisplayMs), unit.EndTime - unit.StartTime, 6.7);
    }
    const CommandResult size = RunCommand(
        "ffprobe -v error -show_entries stream=width,height -of "
        "csv=p=0 " +
        ShellQuote(folder_ + "/" + name + ".idx"));
    EXPECT_EQ(size.out, "720," + std::to_string(height) + "\n");
    EXPECT_EQ(size.err, "");
  }
}

TEST_F(RealDecoders, LongDisplayEndsAtTheEntrysEnd) {
  const std::vector<WrittenUnit> units = Write("pal", PalEntries(), "25.000");
  // Entry 5 (20000 .. 1220000 ms) became two units that meet without a gap.
  std::vector<WrittenUnit> parts;
  for (const WrittenUnit& unit : units) {
    if (unit.entry == 5) parts.push_back(unit);
  }
  ASSERT_EQ(parts.size(), 2u);
  std::string failure;
  const std::vector<FfprobeFrame> frames = RunFfprobe(folder_ + "/pal.idx", failure);
  int64_t shownUntil = -1;
  for (const FfprobeFrame& frame : frames) {
    if (frame.position == parts[0].filePosition) {
      EXPECT_EQ(frame.ptsMs, 20000);
      shownUntil = frame.ptsMs + frame.endDisplayMs;
    }
    if (frame.position == parts[1].filePosition) {
      EXPECT_NEAR(static_cast<double>(frame.ptsMs), static_cast<double>(shownUntil), 1.0);
      EXPECT_NEAR(static_cast<double>(frame.ptsMs + frame.endDisplayMs), 1220000.0, 6.7);
    }
  }
  EXPECT_EQ(shownUntil, 20000 + 745472);
}

TEST_F(RealDecoders, SpuunmuxExtractsEachUnitAtItsPositionAndSize) {
  for (const auto& [name, entries, fps] :
       {std::tuple{"pal", PalEntries(), "25.000"}, {"ntsc", NtscEntries(), "29.970"}}) {
    SCOPED_TRACE(name);
    const std::vector<WrittenUnit> units = Write(name, entries, fps);
    const std::string work = folder_ + "/unmux-" + name;
    std::filesystem::create_directory(work);
    const std::string palette[4] = {"808080", "000000", "ffffff", "0000ff"};
    std::string failure;
    const std::vector<SpuunmuxEntry> pictures =
        RunSpuunmux(folder_ + "/" + name + ".sub", work, palette, failure);
    EXPECT_EQ(failure, "");
    ASSERT_EQ(pictures.size(), units.size());
    for (size_t k = 0; k < units.size(); ++k) {
      SCOPED_TRACE("unit " + std::to_string(k));
      const WrittenUnit& unit = units[k];
      EXPECT_EQ(pictures[k].xoffset, 0);
      EXPECT_EQ(pictures[k].yoffset, unit.BandTop);
      // The time stamp of the packs; spuunmux writes hundredths.
      EXPECT_NEAR(static_cast<double>(SpuunmuxTimeMs(pictures[k].start)), unit.StartTime, 10.0);
      EXPECT_NEAR(static_cast<double>(SpuunmuxTimeMs(pictures[k].end)), unit.EndTime, 16.7);
      if (IsBlank(entries[unit.entry])) {
        EXPECT_EQ(pictures[k].image, "");  // a blank band has nothing to show
        continue;
      }
      int width = 0, height = 0;
      std::vector<uint8_t> rgba;
      ASSERT_TRUE(ReadPng(pictures[k].image, width, height, rgba));
      EXPECT_EQ(width, 720);
      EXPECT_EQ(height, unit.BandHeight);
      // Colours and transparency as the palette says: a glyph box's text
      // pixel is white and opaque, the background transparent.
      if (entries[unit.entry].BandHeight == 74) {
        bool sawText = false;
        for (size_t p = 0; p + 3 < rgba.size(); p += 4) {
          if (rgba[p + 3] == 0) continue;
          EXPECT_EQ(rgba[p + 3], 255);
          sawText = sawText || (rgba[p] == 255 && rgba[p + 1] == 255 && rgba[p + 2] == 255);
        }
        EXPECT_TRUE(sawText);
      }
    }
  }
}

TEST_F(RealDecoders, MkvmergeMuxesThePairWithoutWarnings) {
  for (const auto& [name, entries, fps] :
       {std::tuple{"pal", PalEntries(), "25.000"}, {"ntsc", NtscEntries(), "29.970"}}) {
    SCOPED_TRACE(name);
    Write(name, entries, fps);
    const CommandResult mux =
        RunCommand("mkvmerge -o " + ShellQuote(folder_ + "/" + name + ".mkv") + " " +
                   ShellQuote(folder_ + "/" + name + ".idx"));
    // mkvmerge exits with 1 when it warned, 2 on errors.
    const std::string said = mux.out + mux.err;
    EXPECT_EQ(mux.status, 0) << said;
    EXPECT_EQ(said.find("Warning"), std::string::npos) << said;
    EXPECT_TRUE(std::filesystem::exists(folder_ + "/" + name + ".mkv"));
  }
}

TEST_F(RealDecoders, EveryUnitReencodesToOurBytes) {
  Write("pal", PalEntries(), "25.000");
  Write("ntsc", NtscEntries(), "29.970");
  for (const char* name : {"pal", "ntsc"}) {
    const ReencodeReport report = ReencodeCheck(folder_ + "/" + name + ".idx");
    for (const std::string& problem : report.problems) ADD_FAILURE() << name << ": " << problem;
    EXPECT_TRUE(report.ok()) << report.matched << " of " << report.units;
  }
  // The tool over both pairs at once.
  const CommandResult tool =
      RunCommand(std::string(ShellQuote(VOBSUB_REENCODE_CHECK)) + " " +
                 ShellQuote(folder_ + "/pal.idx") + " " + ShellQuote(folder_ + "/ntsc.idx"));
  EXPECT_EQ(tool.status, 0) << tool.out << tool.err;
  EXPECT_NE(tool.out.find("8 of 8 units"), std::string::npos) << tool.out << tool.err;
}

TEST_F(RealDecoders, ReencodeCheckFindsARowOurEncoderNeverWrites) {
  const std::vector<WrittenUnit> units = Write("ntsc", NtscEntries(), "29.970");
  // The first unit's first row is blank: 03 FC 03 FC 03 44 00 00 after the
  // 29 bytes of pack and PES header and the 6 of the unit header. Its first
  // code becomes 03 F8, a run of 254: still a valid row (the end-of-line
  // code fills one pixel more), but not one our encoder writes, as its runs
  // always cover 719 pixels. The re-encode must differ from it.
  const std::vector<uint8_t>& unit = units[0].unit;
  ASSERT_EQ(unit[6], 0x03);
  ASSERT_EQ(unit[7], 0xFC);
  std::fstream sub(folder_ + "/ntsc.sub", std::ios::in | std::ios::out | std::ios::binary);
  sub.seekp(29 + 7);
  sub.put(static_cast<char>(0xF8));
  sub.close();
  const ReencodeReport report = ReencodeCheck(folder_ + "/ntsc.idx");
  EXPECT_FALSE(report.ok());
  EXPECT_EQ(report.matched, report.units - 1);
  const CommandResult tool = RunCommand(std::string(ShellQuote(VOBSUB_REENCODE_CHECK)) + " " +
                                        ShellQuote(folder_ + "/ntsc.idx"));
  EXPECT_EQ(tool.status, 1) << tool.out << tool.err;
}

TEST_F(RealDecoders, WarnsAboutTheUnitAboveThePlayerBuffer) {
  const std::vector<WrittenUnit> units = Write("pal", PalEntries(), "25.000");
  size_t large = 0, overNinePacks = 0;
  for (const WrittenUnit& unit : units) {
    if (unit.unit.size() > 53220) ++large;
    if (unit.packs > 9) ++overNinePacks;
  }
  EXPECT_EQ(large, 1u);
  EXPECT_EQ(overNinePacks, 2u);
  ASSERT_EQ(sink_.warnings.size(), 1u);
  EXPECT_NE(sink_.warnings[0].find("00:00:13:000"), std::string::npos) << sink_.warnings[0];
}

}  // namespace
}  // namespace kestrelpix
