// A whole film converted end to end, then read by independent decoders:
// every unit decoded by spuunmux and encoded again by our rules gives our
// bytes exactly; ffprobe sees every subtitle with its time; mkvmerge muxes
// the pair without a warning.
#include <gtest/gtest.h>

#include <random>

#include "support/run_command.h"
#include "support/temp_dir.h"

namespace kestrelpix {
namespace {

using testing::CommandResult;
using testing::ReadFileBytes;
using testing::RunCommand;
using testing::ShellQuote;
using testing::TempDir;

// Film-like dialogue: one to three lines of varied length, punctuation,
// accented words, italics, numbers, and times with gaps and overlaps.
std::string MakeFilm(int entries, unsigned seed, int maxWords) {
  static const char* const kWords[] = {
      "the",   "harbour", "tide",  "was",   "low",     "when",      "we",        "reached",
      "bay",   "Look!",   "boats", "came",  "before",  "dawn,",     "Every",     "one",
      "name",  "painted", "bow.",  "Where", "is",      "master?",   "café",      "déjà",
      "vu",    "naïve",   "1912",  "7:30",  "\"No.\"", "it's",      "—",         "Ångström",
      "über",  "piñata",  "rope",  "lamp",  "and",     "patience.", "...",       "I'm",
      "going", "to",      "find",  "her",   "HELP",    "100%",      "(quietly)", "José"};
  std::mt19937 random(seed);
  std::string srt;
  int start = 1000;
  for (int i = 1; i <= entries; ++i) {
    start += 300 + static_cast<int>(random() % 5000);
    const int end = start + 700 + static_cast<int>(random() % 6000);
    auto stamp = [](int ms) {
      char b[16];
      std::snprintf(b, sizeof b, "%02d:%02d:%02d,%03d", ms / 3600000, ms / 60000 % 60,
                    ms / 1000 % 60, ms % 1000);
      return std::string(b);
    };
    srt += std::to_string(i) + "\r\n" + stamp(start) + " --> " + stamp(end) + "\r\n";
    const int lines = 1 + static_cast<int>(random() % 3);
    for (int k = 0; k < lines; ++k) {
      std::string line;
      const int words = 1 + static_cast<int>(random() % static_cast<unsigned>(maxWords));
      for (int w = 0; w < words; ++w) {
        if (w > 0) line += ' ';
        line += kWords[random() % (sizeof kWords / sizeof *kWords)];
      }
      if (random() % 6 == 0) line = "<i>" + line + "</i>";
      srt += line + "\r\n";
    }
    srt += "\r\n";
  }
  return srt;
}

int CountOf(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

void CheckFilm(const std::string& options, unsigned seed, int maxWords = 7) {
  TempDir dir;
  const int kEntries = 600;
  const std::string film = dir.Write("film.srt", MakeFilm(kEntries, seed, maxWords));
  const CommandResult convert = RunCommand(ShellQuote(KESTRELPIX_CLI) + " convert --quiet " +
                                           options + " " + ShellQuote(film));
  ASSERT_EQ(convert.status, 0) << convert.err;
  const std::string idx = (dir.path() / "film.idx").string();
  EXPECT_EQ(CountOf(ReadFileBytes(idx), "timestamp: "), kEntries);

  const CommandResult reencode =
      RunCommand(ShellQuote(VOBSUB_REENCODE_CHECK) + " " + ShellQuote(idx));
  EXPECT_EQ(reencode.status, 0) << reencode.out << reencode.err;
  EXPECT_NE(reencode.out.find(std::to_string(kEntries) + " of " + std::to_string(kEntries) +
                              " units re-encode to the same bytes"),
            std::string::npos)
      << reencode.out << reencode.err;

  const CommandResult probe =
      RunCommand("ffprobe -v error -show_frames -of compact " + ShellQuote(idx));
  EXPECT_EQ(probe.status, 0);
  EXPECT_EQ(probe.err, "");
  EXPECT_EQ(CountOf(probe.out, "subtitle|media_type"), kEntries);

  const CommandResult mux = RunCommand(
      "mkvmerge -o " + ShellQuote((dir.path() / "film.mkv").string()) + " " + ShellQuote(idx));
  EXPECT_EQ(mux.status, 0) << mux.out;
  EXPECT_EQ(CountOf(mux.out, "Warning"), 0) << mux.out;
}

TEST(FilmConformance, DefaultSettings) { CheckFilm("", 1); }

TEST(FilmConformance, LargeBoldItalicLeftWithWideOutline) {
  CheckFilm("--size 28 --style Bold+It+Und --outline 4 --align left --palette two", 2, 4);
}

TEST(FilmConformance, SafePaletteNtscSmallUnderlinedRight) {
  CheckFilm("--palette safe --fps 23.976 --size 16 --style Underline --align right --offset 200",
            3);
}

TEST(FilmConformance, DvdPaletteStrikeOutDejaVu) {
  CheckFilm("--palette dvd --font 'DejaVu Sans' --style StrikeOut --outline 2 --line-offset 6", 4);
}

}  // namespace
}  // namespace kestrelpix
