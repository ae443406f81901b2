// The measure and render commands, run as a user runs them.
#include <gtest/gtest.h>

#include <cstdlib>

#include "render/measure.h"
#include "render/png_file.h"
#include "render/rasterizer.h"
#include "render/render_test_util.h"
#include "support/run_command.h"
#include "support/test_fonts.h"

using kestrelpix::testing::TestFonts;

namespace kestrelpix {
namespace {

using testing::HaveProgram;
using testing::RunCommand;
using testing::ShellQuote;
using testing::TempDir;

const std::string kCli = KESTRELPIX_CLI;

std::string Cli(const std::string& args) { return ShellQuote(kCli) + " " + args; }

TEST(MeasureCommand, PrintsWidthAndHeight) {
  auto r = RunCommand(Cli("measure 'Ocean Harbor'"));
  ASSERT_EQ(r.status, 0) << r.err;
  TextExtent e = MeasureLine(TestFonts(), "Ocean Harbor", "Arial", 20, 0, 1);
  EXPECT_EQ(r.out, std::to_string(e.width) + " " + std::to_string(e.height) + "\n");
  // Liberation Sans at 20 points is 31 rows high.
  EXPECT_EQ(e.height, 31);

  r = RunCommand(Cli("measure --font 'DejaVu Sans' --size=24 --style Bold --charset RUSSIAN " +
                     ShellQuote("\xCF\xF0\xE8\xE2\xE5\xF2")));
  ASSERT_EQ(r.status, 0) << r.err;
  e = MeasureLine(TestFonts(), "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", "DejaVu Sans",
                  24, 1, 1);
  EXPECT_EQ(r.out, std::to_string(e.width) + " " + std::to_string(e.height) + "\n");

  // "--" lets a text begin with dashes.
  r = RunCommand(Cli("measure -- --x"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find(' ')),
            std::to_string(MeasureLine(TestFonts(), "--x", "Arial", 20, 0, 1).width));
}

TEST(RenderCommand, WritesTheFrameAndPrintsTheBand) {
  TempDir dir;
  const std::string out = (dir.path() / "frame.png").string();
  auto r = RunCommand(Cli("render --out " + ShellQuote(out) + " 'Hello there' 'General Kenobi'"));
  ASSERT_EQ(r.status, 0) << r.err;
  // Two lines of 31 rows, bottom offset 30, line spacing -4: y1 = 576 - 31 - 40 - 30
  // = 475, odd, so BandTop 474; BandHeight 31 + 31 + 4 + 6 = 72.
  EXPECT_EQ(r.out, "474 72\n");
  FrameBitmap expected;
  RenderFrame(TestFonts(), "Hello there", "General Kenobi", RenderSettings{}, expected);
  EXPECT_EQ(ReadPng(out).bytes(), expected.bytes());
}

TEST(RenderCommand, TakesEverySetting) {
  TempDir dir;
  const std::string out = (dir.path() / "frame.png").string();
  auto r = RunCommand(
      Cli("render --font 'DejaVu Sans' --size 30 --style Bold+It+Und --charset GREEK --outline 4 "
          "--align=left --offset 100 --line-offset -13 --text-color yellow --outline-color 000080 "
          "--antialias-color '#C0C0C0' --fps 29.970 --out " +
          ShellQuote(out) + " " + ShellQuote("\xCA\xE1\xEB\xE7\xEC\xDD\xF1\xE1")));
  ASSERT_EQ(r.status, 0) << r.err;
  RenderSettings s;
  s.FontName = "DejaVu Sans";
  s.FontSize = 30;
  s.FontStyle = 7;
  s.FontCharset = 161;
  s.OutlineWidth = 4;
  s.Align = "left";
  s.BottomOffset = 100;
  s.LineSpacing = -12;  // -13 goes up to the next even value, as the slider does
  s.TextColor = MakeColor(255, 255, 0);
  s.OutlineColor = MakeColor(0, 0, 128);
  s.AntialiasColor = MakeColor(192, 192, 192);
  s.Fps = "29.970";
  FrameBitmap expected;
  Band band = RenderFrame(TestFonts(), "\xCA\xE1\xEB\xE7\xEC\xDD\xF1\xE1", "", s, expected);
  EXPECT_EQ(r.out, std::to_string(band.BandTop) + " " + std::to_string(band.BandHeight) + "\n");
  FrameBitmap written = ReadPng(out);
  EXPECT_EQ(written.height(), 480);
  EXPECT_EQ(written.bytes(), expected.bytes());
}

TEST(RenderCommand, BandMatchesTheMeasuredHeights) {
  TempDir dir;
  const std::string out = (dir.path() / "frame.png").string();
  for (const char* font : {"Liberation Sans", "DejaVu Sans"}) {
    for (int size : {12, 20, 34, 50}) {
      auto m = RunCommand(
          Cli("measure --font " + ShellQuote(font) + " --size " + std::to_string(size) + " x"));
      ASSERT_EQ(m.status, 0) << m.err;
      int H = std::stoi(m.out.substr(m.out.find(' ') + 1));
      auto r = RunCommand(Cli("render --font " + ShellQuote(font) + " --size " +
                              std::to_string(size) + " --out " + ShellQuote(out) + " x y"));
      ASSERT_EQ(r.status, 0) << r.err;
      int y1 = 576 - H - 40 - 30;
      int top = y1 % 2 == 0 ? y1 : y1 - 1;
      EXPECT_EQ(r.out, std::to_string(top) + " " + std::to_string(2 * H + 4 + 6) + "\n")
          << font << " " << size;
    }
  }
}

TEST(RenderCommands, BadValuesNameTheOptionAndTheAcceptedValues) {
  struct Case {
    std::string args;
    std::string expected_in_message;
  };
  const Case cases[] = {
      {"--size 31",
       "--size: '31' is not accepted; use a font size of the list: 6 to 30, or 32 "
       "to 50 in steps of 2"},
      {"--style bold",
       "--style: 'bold' is not accepted; use one of Normal, Bold, Italic, "
       "Underline, Bold+Italic, Bold+Under, Bold+It+Und, Italic+Under, StrikeOut"},
      {"--charset UTF8", "--charset: 'UTF8' is not accepted; use one of ANSI, ARABIC"},
      {"--outline 5", "--outline: '5' is not accepted; use one of 2, 3, 4"},
      {"--align middle", "--align: 'middle' is not accepted; use one of center, left, right"},
      {"--offset 7", "--offset: '7' is not accepted; use a whole number from 8 to 492"},
      {"--offset 3x", "--offset: '3x' is not accepted"},
      {"--line-offset 11",
       "--line-offset: '11' is not accepted; use a whole number from -14 to 10"},
      {"--text-color pink", "--text-color: 'pink' is not accepted; use a colour name (black, gray"},
      {"--outline-color 12345", "--outline-color: '12345' is not accepted"},
      {"--antialias-color 12345G", "--antialias-color: '12345G' is not accepted"},
      {"--fps 25",
       "--fps: '25' is not accepted; use one of 23.976, 24.000, 25.000, 29.970, "
       "30.000"},
      {"--font ''", "--font: the face name must not be empty"},
      {"--colour red", "unknown option --colour"},
  };
  TempDir dir;
  const std::string out = (dir.path() / "frame.png").string();
  for (const Case& c : cases) {
    auto r = RunCommand(Cli("render --out " + ShellQuote(out) + " " + c.args + " Hello"));
    EXPECT_EQ(r.status, 2) << c.args;
    EXPECT_NE(r.err.find(c.expected_in_message), std::string::npos) << c.args << ": " << r.err;
    EXPECT_TRUE(r.out.empty()) << c.args;
  }
  EXPECT_FALSE(std::filesystem::exists(out));
  auto last = RunCommand(Cli("render Hello --out"));
  EXPECT_EQ(last.status, 2);
  EXPECT_NE(last.err.find("--out needs a value"), std::string::npos) << last.err;
  // measure takes the font options only.
  auto r = RunCommand(Cli("measure --outline 3 Hello"));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("unknown option --outline"), std::string::npos) << r.err;
  r = RunCommand(Cli("measure --size 31 Hello"));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--size: '31'"), std::string::npos) << r.err;
  // Missing arguments.
  EXPECT_EQ(RunCommand(Cli("measure")).status, 2);
  EXPECT_EQ(RunCommand(Cli("measure a b")).status, 2);
  r = RunCommand(Cli("render Hello"));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--out FILE.png is required"), std::string::npos) << r.err;
  EXPECT_EQ(RunCommand(Cli("render --out " + ShellQuote(out))).status, 2);
  // Three lines are drawn as three: H 31, the last at 576 - 40 - 30 + 4 =
  // 510, the first two steps of 35 higher at 440; band 3 x 31 + 2 x 4 + 6.
  r = RunCommand(Cli("render --out " + ShellQuote(out) + " a b c"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "440 107\n");
  // A file that cannot be written is a failure, not a usage error.
  r = RunCommand(Cli("render --out " + ShellQuote((dir.path() / "no/dir.png").string()) + " a"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("File not found"), std::string::npos) << r.err;
}

TEST(RenderCommands, ColourNamesAndHexAgree) {
  TempDir dir;
  const std::string a = (dir.path() / "a.png").string();
  const std::string b = (dir.path() / "b.png").string();
  ASSERT_EQ(RunCommand(Cli("render --text-color Fuchsia --outline-color grey --antialias-color "
                           "teal --out " +
                           ShellQuote(a) + " Colours"))
                .status,
            0);
  ASSERT_EQ(RunCommand(Cli("render --text-color ff00ff --outline-color 808080 --antialias-color "
                           "'#008080' --out " +
                           ShellQuote(b) + " Colours"))
                .status,
            0);
  FrameBitmap frame = ReadPng(a);
  EXPECT_EQ(frame.bytes(), ReadPng(b).bytes());
  EXPECT_EQ(testing::ColorsOf(frame),
            (std::set<ColorValue>{kBackgroundBlue, MakeColor(255, 0, 255), MakeColor(128, 128, 128),
                                  MakeColor(0, 128, 128)}));
}

TEST(RenderCommands, HelpListsTheOptions) {
  auto r = RunCommand(Cli("render --help"));
  EXPECT_EQ(r.status, 0);
  for (const char* option : {"--font", "--size", "--style", "--charset", "--outline", "--align",
                             "--offset", "--line-offset", "--text-color", "--outline-color",
                             "--antialias-color", "--fps", "--out"}) {
    EXPECT_NE(r.out.find(option), std::string::npos) << option;
  }
  r = RunCommand(Cli("measure --help"));
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("--charset"), std::string::npos);
}

// An OCR engine reads the drawn text back. Like subtitle OCR tools, the
// frame is turned into dark text on a light ground first (grey, negated);
// tesseract reads light text on a dark ground unreliably. Skipped where
// tesseract or ffmpeg is missing (scripts/install-deps.sh installs both).
TEST(RenderCommands, OcrReadsTheTextBack) {
  if (!HaveProgram("tesseract") || !HaveProgram("ffmpeg")) {
    GTEST_SKIP() << "tesseract or ffmpeg is not installed";
  }
  TempDir dir;
  const std::string frame = (dir.path() / "frame.png").string();
  const std::string negated = (dir.path() / "negated.png").string();
  const struct {
    std::string options;
    std::string line1, line2;
  } cases[] = {
      {"", "The harbour lights are on", "and the boats come home"},
      {"--size 28 --font 'DejaVu Sans' --align left --fps 29.970", "Where are you going",
       "Home to the harbour"},
      {"--size 24 --style Bold --outline 4", "Seashore and ocean", "twelve quiet boats"},
  };
  for (const auto& c : cases) {
    auto r = RunCommand(Cli("render " + c.options + " --out " + ShellQuote(frame) + " " +
                            ShellQuote(c.line1) + " " + ShellQuote(c.line2)));
    ASSERT_EQ(r.status, 0) << r.err;
    auto convert = RunCommand("ffmpeg -loglevel error -y -i " + ShellQuote(frame) +
                              " -vf format=gray,negate " + ShellQuote(negated));
    ASSERT_EQ(convert.status, 0) << convert.err;
    auto ocr = RunCommand("tesseract " + ShellQuote(negated) + " stdout --psm 6");
    ASSERT_EQ(ocr.status, 0) << ocr.err;
    EXPECT_NE(ocr.out.find(c.line1), std::string::npos) << "OCR read: " << ocr.out;
    EXPECT_NE(ocr.out.find(c.line2), std::string::npos) << "OCR read: " << ocr.out;
  }
}

}  // namespace
}  // namespace kestrelpix
