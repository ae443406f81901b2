#include "vobsub/help_text.h"

#include <gtest/gtest.h>

#include "vobsub/output_names.h"
#include "vobsub/palette.h"

namespace kestrelpix {
namespace {

TEST(HelpText, SeventeenLinesWithYCrCbColours) {
  const std::string text = HelpText(MakeColor(128, 128, 128), MakeColor(0, 0, 0),
                                    MakeColor(255, 255, 255), "/films/movie.srt");
  // Colours 0..3 in Y Cr Cb: gray 80 80 7F, black 00 80 80, white FF 80 7F,
  // background blue 1D 6B FF.
  const std::string expected =
      "All Done !!! Important Note:\r\n"
      "Some DVD Devices might want an VTS_01_0.IFO (COLORS.IFO) file in order to get correct "
      "colors\r\n"
      "Just Download VTS_01_0.IFO (COLORS.IFO) load it on Ifoedit and press VTS_PGCITI and then "
      "VTS_PGC1.\r\n"
      "Then find the Color 0 Y Cr CB ,doubleclick it, and put the value: 80 80 7F\r\n"
      "Then find the Color 1 Y Cr CB ,doubleclick it, and put the value: 00 80 80\r\n"
      "Then find the Color 2 Y Cr CB ,doubleclick it, and put the value: FF 80 7F\r\n"
      "Then find the Color 3 Y Cr CB ,doubleclick it, and put the value: 1D 6B FF\r\n"
      "Then press save. Thats all.\r\n"
      "\r\n"
      "Generated Files:\r\n"
      "/films/movie.idx\r\n"
      "/films/movie.sub\r\n"
      "/films/movie.Kestrelpix_Help.txt\r\n"
      "\r\n"
      "Download Ifo File (COLORS.IFO) from here: https://kestrelpix.org/download/COLORS.IFO\r\n"
      "\r\n"
      "To combine several VobSub pairs into one multi-language subtitle, use a separate muxing "
      "tool; see https://kestrelpix.org/guides/multi-language-vobsub";
  EXPECT_EQ(text, expected);

  size_t breaks = 0;
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) {
    ++breaks;
  }
  EXPECT_EQ(breaks, 16u);
  EXPECT_NE(text.substr(text.size() - 2), "\r\n");

  // The safe palette colours are given as Y Cr Cb too: (255,230,20) is
  // D5 9D 12, not its RGB FF E6 14.
  EXPECT_NE(HelpText(0, 0, MakeColor(255, 230, 20), "a.srt").find("value: D5 9D 12\r\n"),
            std::string::npos);
}

TEST(OutputFileName, ReplacesTheLastFourCharactersInTheInputsFolder) {
  EXPECT_EQ(OutputFileName("/films/movie.srt", ".idx"), "/films/movie.idx");
  EXPECT_EQ(OutputFileName("/films/movie.srt", kHelpSuffix), "/films/movie.Kestrelpix_Help.txt");
  EXPECT_EQ(OutputFileName("/films/a.b.srt", ".idx"), "/films/a.b.idx");
  EXPECT_EQ(OutputFileName("movie.txt", ".sub"), "movie.sub");
  EXPECT_EQ(OutputFileName("/films/movie.TTML", ".idx"), "/films/movie.idx");
  EXPECT_EQ(OutputFileName("movie.dfxp", ".sub"), "movie.sub");
  EXPECT_EQ(OutputFileName("a.sami", ".idx"), "a.idx");
  // Four characters are cut whatever the extension is.
  EXPECT_EQ(OutputFileName("/films/movie.text", ".idx"), "/films/movie..idx");
  EXPECT_EQ(OutputFileName("/f/.srt", ".idx"), "/f/.idx");
  // Shorter names never cut into the folder: the extension goes, or nothing.
  EXPECT_EQ(OutputFileName("/films/a.s", ".idx"), "/films/a.idx");
  EXPECT_EQ(OutputFileName("/films/abc", ".idx"), "/films/abc.idx");
  EXPECT_EQ(OutputFileName("/films/.ab", ".idx"), "/films/.ab.idx");
  EXPECT_EQ(OutputFileName("/films/", ".idx"), "/films/.idx");
  EXPECT_EQ(OutputFileName("ab", ".idx"), "ab.idx");
  EXPECT_EQ(FolderOf("/films/movie.srt"), "/films/");
  EXPECT_EQ(FolderOf("movie.srt"), "");
}

}  // namespace
}  // namespace kestrelpix
