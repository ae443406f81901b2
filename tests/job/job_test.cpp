#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "base/system_colors.h"
#include "job/conversion_run.h"
#include "job/headless_run.h"
#include "job/job_support.h"
#include "job/recording_host.h"
#include "render/rasterizer.h"
#include "render/subpicture.h"
#include "support/collecting_sink.h"
#include "support/run_command.h"
#include "support/temp_dir.h"
#include "support/test_fonts.h"
#include "vobsub/help_text.h"
#include "vobsub/idx_writer.h"
#include "vobsub/palette.h"
#include "vobsub/spu_encoder.h"

using kestrelpix::testing::TestFonts;

namespace kestrelpix {
namespace {

using testing::ReadFileBytes;
using testing::RecordingHost;
using testing::TempDir;

struct Fixture {
  TempDir dir;
  RecordingHost host;
  SubtitleDocument doc;
  std::string input;
  bool loaded = true, fits = true;

  Fixture() { input = dir.Write("movie.srt", "placeholder"); }
  // A run of doc, read from `from` and written beside `outBase` (the input
  // when empty).
  RunOutcome Run(const std::string& from = "", const std::string& outBase = "", int workers = 1) {
    const std::string in = from.empty() ? input : from;
    RunRequest request;
    request.Workers = workers;
    request.Names = PairNames::BesideInput(outBase.empty() ? in : outBase);
    request.Settings = host.settings;
    request.Streams.push_back(
        {loaded ? &doc : nullptr, fits, in, host.settings.Language, host.settings, ""});
    return RunConversion(request, TestFonts(), host);
  }
  std::string Out(const char* suffix) const {
    return (dir.path() / ("movie" + std::string(suffix))).string();
  }
  bool Exists(const char* suffix) const { return std::filesystem::exists(Out(suffix)); }
};

std::vector<std::string> IndexEntryLines(const std::string& idx) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while ((pos = idx.find("timestamp: ", pos)) != std::string::npos) {
    const size_t end = idx.find("\r\n", pos);
    lines.push_back(idx.substr(pos, end - pos));
    pos = end;
  }
  return lines;
}

// The size of the unit one entry of text gives with the default settings.
size_t UnitSize(const std::string& text) {
  RenderSettings s;
  FrameBitmap frame;
  const Band band = RenderFrame(TestFonts(), text, "", s, frame);
  return EncodeSubpicture(frame, band.BandTop, band.BandHeight, 0, 1000,
                          ColorKeysFrom(s.TextColor, s.OutlineColor, s.AntialiasColor))
      .size();
}

// However the colours coincide (with each other, with the background blue,
// or with none of the keys: a system colour is drawn in its RGB value but
// keyed by its bytes, and a window run keys every entry by the first
// entry's colours), an entry's unit is the one its 24-bit picture gives:
// runs cut where the drawn colour changes, indices from the keys.
TEST(ConversionRun, UnitsOfAnyColoursAreThoseOfTheirPicture) {
  const ColorValue white = MakeColor(255, 255, 255), black = 0, gray = MakeColor(128, 128, 128);
  const ColorValue blue = kBackgroundBlue, btnFace = SystemColor(15), window = SystemColor(5);
  struct Row {
    ColorValue text, outline, antialias;  // drawn
    ColorValue keyText, keyOutline, keyAntialias;
  };
  const Row rows[] = {
      {white, black, gray, white, black, gray},
      {black, black, gray, black, black, gray},
      {white, black, white, white, black, white},
      {white, gray, gray, white, gray, gray},
      {blue, black, gray, blue, black, gray},
      {white, blue, blue, white, blue, blue},
      {0x332211, 0x332211, 0x332211, 0x332211, 0x332211, 0x332211},
      {btnFace, window, black, btnFace, window, black},
      {btnFace, MakeColor(240, 240, 240), gray, btnFace, MakeColor(240, 240, 240), gray},
      {white, black, gray, black, white, black},
  };
  for (const Row& row : rows) {
    RenderSettings s;
    s.TextColor = row.text;
    s.OutlineColor = row.outline;
    s.AntialiasColor = row.antialias;
    IndexFrame frame;
    const Band band = RenderFrame(TestFonts(), "Harbour lights |gj", "WWq", s, frame);
    FrameBitmap picture;
    PaintPicture(frame, picture);
    const ColorKeys keys = ColorKeysFrom(row.keyText, row.keyOutline, row.keyAntialias);
    EXPECT_EQ(EncodeSubpicture(frame, band.BandTop, band.BandHeight, 0, 1000, keys),
              EncodeSubpicture(picture, band.BandTop, band.BandHeight, 0, 1000, keys))
        << std::hex << row.text << " " << row.outline << " " << row.antialias;
  }
}

TEST(ConversionRun, FilePositionsFollowThePackCounts) {
  // Find a line whose unit needs exactly two packs: more than 2019 bytes and
  // at most 4043.
  std::string dense;
  for (int n = 1; n < 200; ++n) {
    dense = std::string(static_cast<size_t>(n), '|');
    for (char& c : dense) c = (&c - dense.data()) % 2 ? ' ' : '|';
    const size_t size = UnitSize(dense);
    if (size > 2019 && size <= 4043) break;
  }
  ASSERT_GT(UnitSize(dense), 2019u);
  ASSERT_LE(UnitSize(dense), 4043u);

  Fixture f;
  f.doc.AddLine(1000, 2000, dense, "", "");
  f.doc.AddLine(3000, 4000, "short", "", "");
  f.doc.AddLine(62500, 63000, "last", "two", "");
  const RunOutcome run = f.Run();
  EXPECT_EQ(run.Outcome, JobOutcome::Completed);
  EXPECT_EQ(IndexEntryLines(ReadFileBytes(f.Out(".idx"))),
            (std::vector<std::string>{"timestamp: 00:00:01:000, filepos: 000000000",
                                      "timestamp: 00:00:03:000, filepos: 000001000",
                                      "timestamp: 00:01:02:500, filepos: 000001800"}));
  EXPECT_EQ(ReadFileBytes(f.Out(".sub")).size(), 8192u);
  EXPECT_EQ(run.Entries, 3);
}

TEST(ConversionRun, CompleteRunWritesHelpAndReportsIt) {
  Fixture f;
  f.doc.AddLine(0, 1500, "Hello", "World", "never drawn");
  f.doc.AddLine(2000, 2500, "Again", "", "");
  const RunOutcome run = f.Run();
  EXPECT_EQ(run.Outcome, JobOutcome::Completed);
  EXPECT_EQ(f.host.finished, std::vector<JobOutcome>{JobOutcome::Completed});
  const std::string help = HelpText(f.host.settings.AntialiasColor, f.host.settings.OutlineColor,
                                    f.host.settings.TextColor, f.input);
  EXPECT_EQ(ReadFileBytes(f.Out(".Kestrelpix_Help.txt")), help);
  EXPECT_EQ(run.HelpText, help);
  EXPECT_TRUE(f.host.sink.messages.empty());
  // Progress names each entry before it is drawn.
  EXPECT_EQ(f.host.total, 2);
  EXPECT_EQ(f.host.positions, (std::vector<int>{1, 2}));
  // The index header carries the frame size, palette block and language.
  const std::string idx = ReadFileBytes(f.Out(".idx"));
  EXPECT_NE(idx.find("\r\nsize: 720x576\r\n"), std::string::npos);
  EXPECT_NE(idx.find("\r\nid: el, index: 0\r\n"), std::string::npos);
  EXPECT_NE(idx.find("custom colors: ON, tridx: 1000, colors: 0000FF, FFFFFF, 000000, 808080"),
            std::string::npos);
}

TEST(ConversionRun, StopLeavesAConsistentShorterPairWithAnyNumberOfWorkers) {
  Fixture f;
  for (int i = 0; i < 40; ++i)
    f.doc.AddLine(i * 1000, i * 1000 + 800, "Entry " + std::to_string(i),
                  i % 2 ? "second line" : "", "");
  std::string idx, sub;
  for (int workers : {1, 3}) {
    // The stop is asked for at the third entry; workers may have drawn
    // further ahead.
    f.host.positions.clear();
    f.host.stopRequested = [&] { return f.host.positions.size() == 3; };
    const RunOutcome run = f.Run("", "", workers);
    EXPECT_EQ(run.Outcome, JobOutcome::Aborted);
    EXPECT_TRUE(f.host.sink.messages.empty());
    // The entry in progress completes; no later one is written.
    EXPECT_EQ(run.Entries, 3);
    EXPECT_EQ(IndexEntryLines(ReadFileBytes(f.Out(".idx"))).size(), 3u);
    EXPECT_EQ(ReadFileBytes(f.Out(".sub")).size(), 3u * 2048);
    EXPECT_FALSE(f.Exists(".Kestrelpix_Help.txt"));
    if (workers == 1) {
      idx = ReadFileBytes(f.Out(".idx"));
      sub = ReadFileBytes(f.Out(".sub"));
    } else {
      EXPECT_EQ(ReadFileBytes(f.Out(".idx")), idx);
      EXPECT_EQ(ReadFileBytes(f.Out(".sub")), sub);
    }
  }
  // A whole run is the same byte for byte with one worker and with several.
  f.host.stopRequested = nullptr;
  for (int workers : {1, 3}) {
    EXPECT_EQ(f.Run("", "", workers).Outcome, JobOutcome::Completed);
    if (workers == 1) {
      idx = ReadFileBytes(f.Out(".idx"));
      sub = ReadFileBytes(f.Out(".sub"));
    }
  }
  EXPECT_EQ(IndexEntryLines(idx).size(), 40u);
  EXPECT_EQ(ReadFileBytes(f.Out(".idx")), idx);
  EXPECT_EQ(ReadFileBytes(f.Out(".sub")), sub);
}

TEST(ConversionRun, WrappingDrawsTheBrokenLines) {
  // Ten words of "WWWW" are 1192 pixels at 20 points: five and five.
  const std::string five = "WWWW WWWW WWWW WWWW WWWW";
  Fixture f;
  f.doc.AddLine(0, 1500, five + " " + five, "", "");
  f.host.settings.WrapLines = true;
  EXPECT_EQ(f.Run().Outcome, JobOutcome::Completed);
  FrameBitmap expected;
  RenderSettings plain = f.host.settings;
  plain.WrapLines = false;
  RenderFrame(TestFonts(), five, five, plain, expected);
  EXPECT_EQ(f.host.lastFrame.bytes(), expected.bytes());
}

TEST(ConversionRun, RefusalsTouchNoFile) {
  struct Case {
    bool loaded, fits;
    const char* message;
  };
  for (const Case& c : {Case{false, false, "Please load an Srt/Sub/Txt subtitle."},
                        Case{false, true, "Please load an Srt/Sub/Txt subtitle."},
                        Case{true, false, "Please use smaller font."}}) {
    Fixture f;
    f.loaded = c.loaded;
    f.fits = c.fits;
    f.doc.AddLine(0, 1, "x", "", "");
    EXPECT_EQ(f.Run().Outcome, JobOutcome::Refused);
    EXPECT_EQ(f.host.sink.messages, std::vector<std::string>{c.message});
    EXPECT_EQ(f.host.finished, std::vector<JobOutcome>{JobOutcome::Refused});
    EXPECT_FALSE(f.Exists(".idx"));
    EXPECT_FALSE(f.Exists(".sub"));
  }
}

TEST(ConversionRun, OutputsThatWouldReplaceTheInputAreNamedVobsub) {
  TempDir dir;
  const std::string text = "{25}{50}Hello\n";
  const std::string input = dir.Write("film.sub", text);
  RecordingHost host;
  const ConversionReport report = ConvertHeadless(input, "", host);
  ASSERT_EQ(report.Outcome, JobOutcome::Completed) << ::testing::PrintToString(host.sink.messages);
  const std::string base = (dir.path() / "film.vobsub").string();
  EXPECT_EQ(report.IndexFile, base + ".idx");
  EXPECT_EQ(report.SubFile, base + ".sub");
  EXPECT_EQ(report.HelpFile, base + ".Kestrelpix_Help.txt");
  EXPECT_EQ(ReadFileBytes(input), text);
  EXPECT_EQ(IndexEntryLines(ReadFileBytes(report.IndexFile)).size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "film.idx"));
  EXPECT_NE(std::find(host.sink.warnings.begin(), host.sink.warnings.end(),
                      input + " would be replaced by an output of the same name; the outputs "
                              "are named " +
                          base + ".idx, .sub and .Kestrelpix_Help.txt."),
            host.sink.warnings.end())
      << ::testing::PrintToString(host.sink.warnings);
  // The help file names the outputs it comes with.
  EXPECT_NE(ReadFileBytes(report.HelpFile).find("film.vobsub"), std::string::npos);
  // A name the input does not take keeps the usual names.
  EXPECT_EQ(PairNames::ForInput(dir.Write("film.txt", text)).Index,
            (dir.path() / "film.idx").string());
}

// Entries out of time order (2 to 4 s, then 1 to 3 s): the index goes
// forward, and where they overlap one picture holds both, the earlier
// start first.
TEST(ConversionRun, EntriesOutOfOrderGiveForwardTimesAndOnePictureWhereTheyOverlap) {
  Fixture f;
  f.doc.AddLine(2000, 4000, "Second", "", "");
  f.doc.AddLine(1000, 3000, "First", "", "");
  const RunOutcome run = f.Run();
  ASSERT_EQ(run.Outcome, JobOutcome::Completed);
  EXPECT_EQ(run.Entries, 2);
  EXPECT_EQ(f.host.total, 3);
  const std::vector<std::string> lines = IndexEntryLines(ReadFileBytes(f.Out(".idx")));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].substr(0, 23), "timestamp: 00:00:01:000");
  EXPECT_EQ(lines[1].substr(0, 23), "timestamp: 00:00:02:000");
  EXPECT_EQ(lines[2].substr(0, 23), "timestamp: 00:00:03:000");
  // The middle unit is the one both entries drawn together give.
  const RenderSettings& s = f.host.settings;
  IndexFrame frame;
  const Band drawn =
      RenderSubpicture(TestFonts(), {{{"First", ""}, {}}, {{"Second", ""}, {}}}, s, frame);
  const Band band = ClampBand(drawn, frame.height());
  const std::vector<uint8_t> both =
      EncodeSubpicture(frame, band.BandTop, band.BandHeight, 2000, 3000,
                       ColorKeysFrom(s.TextColor, s.OutlineColor, s.AntialiasColor));
  const size_t at = std::stoul(lines[1].substr(35), nullptr, 16);
  const std::string sub = ReadFileBytes(f.Out(".sub"));
  // The unit follows the pack header and the PES header of the first pack.
  const size_t unitStart = at + 14 + 9 + static_cast<uint8_t>(sub[at + 22]) + 1;
  ASSERT_GT(sub.size(), unitStart + both.size());
  EXPECT_EQ(sub.substr(unitStart, std::min<size_t>(both.size(), 2000)),
            std::string(both.begin(), both.begin() + std::min<size_t>(both.size(), 2000)));
}

TEST(ConversionRun, EmptyDocumentWritesNothing) {
  Fixture f;
  EXPECT_EQ(f.Run().Outcome, JobOutcome::Refused);
  EXPECT_FALSE(f.Exists(".idx"));
}

TEST(ConversionRun, UnwritableFolderFailsCleanlyAndReturnsToIdle) {
  // An output path through a plain file fails for every user, root too.
  Fixture f;
  f.doc.AddLine(0, 1000, "x", "", "");
  EXPECT_EQ(f.Run("", (f.dir.path() / "movie.srt" / "inside.srt").string()).Outcome,
            JobOutcome::Failed);
  EXPECT_EQ(f.host.sink.messages,
            std::vector<std::string>{"Cannot create file \"" +
                                     (f.dir.path() / "movie.srt" / "inside.idx").string() +
                                     "\": File not found"});
  f.host.sink.messages.clear();
  EXPECT_EQ(f.Run().Outcome, JobOutcome::Completed);
}

TEST(ConversionRun, AnyExceptionMidRunEndsItCleanly) {
  // A broken internal rule (a logic_error, not a file error) in the middle
  // of a run: the run ends, leaves nothing behind and can start again.
  Fixture f;
  for (int i = 0; i < 3; ++i) f.doc.AddLine(i * 1000, 900, "x", "", "");
  f.host.onProgress = [](int entry) {
    if (entry == 2) throw std::logic_error("broken rule");
  };
  EXPECT_EQ(f.Run().Outcome, JobOutcome::Failed);
  ASSERT_EQ(f.host.sink.messages.size(), 1u);
  EXPECT_EQ(f.host.sink.messages[0].rfind("broken rule", 0), 0u);
  EXPECT_FALSE(f.Exists(".idx"));
  EXPECT_FALSE(f.Exists(".sub"));
  // Only the input is left in the folder: no temporary file either.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(f.dir.path()),
                          std::filesystem::directory_iterator()),
            1);
  f.host.onProgress = nullptr;
  EXPECT_EQ(f.Run().Outcome, JobOutcome::Completed);
}

TEST(ConversionRun, BandsOutsideTheFrameAreCutToIt) {
  Fixture f;
  f.host.settings.Fps = "29.970";
  f.host.settings.FontSize = 50;
  f.doc.AddLine(0, 1000, "High", "Higher", "");
  f.doc.AddLine(1000, 2000, "Low", "Lower", "");
  // The top of the offset range (NTSC: y1 = 480 - H - 40 - 492 lies above
  // the frame), then the bottom of it.
  for (int offset : {492, 8}) {
    f.host.settings.BottomOffset = offset;
    EXPECT_EQ(f.Run().Outcome, JobOutcome::Completed);
    const auto r = testing::RunCommand("ffprobe -v error -show_frames -of compact " +
                                       testing::ShellQuote(f.Out(".idx")));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("pts_time=1.000000"), std::string::npos) << r.out;
  }
}

TEST(ConversionRun, NegativeStartShowsFromZero) {
  Fixture f;
  f.doc.AddLine(-500, 1000, "early", "", "");
  EXPECT_EQ(f.Run().Outcome, JobOutcome::Completed);
  EXPECT_EQ(IndexEntryLines(ReadFileBytes(f.Out(".idx"))),
            std::vector<std::string>{"timestamp: 00:00:00:000, filepos: 000000000"});
  // PTS bytes of time 0 in the first pack: 21 00 01 00 01.
  const std::string sub = ReadFileBytes(f.Out(".sub"));
  EXPECT_EQ(sub.substr(23, 5), std::string("\x21\x00\x01\x00\x01", 5));
}

}  // namespace
}  // namespace kestrelpix

namespace kestrelpix {
namespace {

TEST(ConversionRun, DisplayLongerThanOneUnitCanHoldIsSplitIntoUnitsThatMeet) {
  // 20 minutes from 1 s: one unit shows at most 65535 * 1024 / 90 ms
  // (745,472 ms), so two units: 1,000 to 746,472 and 746,472 to 1,201,000.
  Fixture f;
  f.doc.AddLine(1000, 1201000, "A very long caption", "", "");
  f.doc.AddLine(1300000, 1301000, "After it", "", "");
  const RunOutcome run = f.Run();
  EXPECT_EQ(run.Outcome, JobOutcome::Completed);
  const auto lines = IndexEntryLines(ReadFileBytes(f.Out(".idx")));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].substr(0, 23), "timestamp: 00:00:01:000");
  EXPECT_EQ(lines[1].substr(0, 23), "timestamp: 00:12:26:472");
  EXPECT_EQ(lines[2].substr(0, 23), "timestamp: 00:21:40:000");
  EXPECT_EQ(run.Entries, 2);
  const auto r = testing::RunCommand("ffprobe -v error -show_frames -of compact " +
                                     testing::ShellQuote(f.Out(".idx")));
  EXPECT_EQ(r.status, 0) << r.err;
  // The second unit ends with the entry: 1,201,000 - 746,472 = 454,528 ms,
  // to within one tick of the delay field.
  const size_t second = r.out.find("pts_time=746.472000");
  ASSERT_NE(second, std::string::npos) << r.out;
  const size_t endField = r.out.find("end_display_time=", second);
  const long shown = std::stol(r.out.substr(endField + 17));
  EXPECT_NEAR(shown, 454528, 12);
}

}  // namespace
}  // namespace kestrelpix

namespace kestrelpix {
namespace {

using testing::CollectingMessageSink;

std::string Srt(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string text;
  int n = 0;
  for (const auto& [time, line] : entries) {
    text += std::to_string(++n) + "\r\n" + time + "\r\n" + line + "\r\n\r\n";
  }
  return text;
}

// The language block of one stream, written out in full.
std::string Block(const std::string& name, const std::string& code, int index) {
  return "# " + name + "\r\nid: " + code + ", index: " + std::to_string(index) +
         "\r\n# Decomment next line to activate alternative name in DirectVobSub / Windows "
         "Media Player 6.x\r\n# alt: " +
         name + "\r\n# Vob/Cell ID: 1, 1 (PTS: 0)\r\n";
}

TEST(MergeJob, TwoStreamsInterleaveByTimeOnTheirOwnSubStreams) {
  TempDir dir;
  const std::string a = dir.Write("a.srt", Srt({{"00:00:01,000 --> 00:00:02,000", "One"},
                                                {"00:00:03,000 --> 00:00:04,000", "Three"}}));
  const std::string b = dir.Write("b.srt", Srt({{"00:00:00,500 --> 00:00:01,500", "Half"},
                                                {"00:00:03,000 --> 00:00:03,500", "Tie"}}));
  RecordingHost host;
  const RenderSettings& settings = host.settings;
  const std::string base = (dir.path() / "both").string();
  const ConversionReport report = MergeHeadless({{a, "en ENGLISH"}, {b, "fr FRENCH"}}, base, host);
  ASSERT_EQ(report.Outcome, JobOutcome::Completed) << ::testing::PrintToString(host.sink.messages);
  EXPECT_EQ(report.Entries, 4);
  // Progress counts the entries of both inputs.
  EXPECT_EQ(host.total, 4);
  EXPECT_EQ(host.positions, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_TRUE(host.sink.messages.empty());
  // .sub order: Half (0x21) at 0, One (0x20) at 0x800, Three (0x20) at 0x1000,
  // then Tie (0x21) at 0x1800: equal times keep the stream order.
  EXPECT_EQ(ReadFileBytes(base + ".idx"),
            IndexSettingsHeader("25.000", PaletteBlock(settings.Palette, settings.AntialiasColor,
                                                       settings.OutlineColor, settings.TextColor)) +
                Block("English", "en", 0) +
                "timestamp: 00:00:01:000, filepos: 000000800\r\n"
                "timestamp: 00:00:03:000, filepos: 000001000\r\n" +
                Block("French", "fr", 1) +
                "timestamp: 00:00:00:500, filepos: 000000000\r\n"
                "timestamp: 00:00:03:000, filepos: 000001800\r\n");
  const std::string sub = ReadFileBytes(base + ".sub");
  ASSERT_EQ(sub.size(), 4u * 2048);
  // Byte 28 of a unit's first pack is its sub-stream id (14 pack header
  // bytes, 9 PES header bytes, 5 PTS bytes). 500 ms is PTS 45000 = 0xAFC8:
  // '0010' 000 1 | 000000000000001 1 | 010111111001000 1 = 21 00 03 5F 91.
  EXPECT_EQ(sub.substr(23, 6), std::string("\x21\x00\x03\x5F\x91\x21", 6));
  EXPECT_EQ(sub[2048 + 28], '\x20');
  EXPECT_EQ(sub[2 * 2048 + 28], '\x20');
  EXPECT_EQ(sub[3 * 2048 + 28], '\x21');
  EXPECT_EQ(
      ReadFileBytes(base + ".Kestrelpix_Help.txt"),
      HelpText(settings.AntialiasColor, settings.OutlineColor, settings.TextColor, base + ".idx"));
}

TEST(MergeJob, RefusalsWriteNothingAndThirtyTwoStreamsAreTheMost) {
  TempDir dir;
  const std::string good = dir.Write("good.srt", Srt({{"00:00:01,000 --> 00:00:02,000", "Fine"}}));
  const std::string wide = dir.Write(
      "wide.srt",
      Srt({{"00:00:01,000 --> 00:00:02,000", "A line much too long for fifty point text"}}));
  const std::string frames = dir.Write("films.sub", "{1}{1}25\n{1}{2}x\n");
  const std::string base = (dir.path() / "films").string();
  const std::string old = dir.Write("films.idx", "earlier index");
  RecordingHost host;
  RenderSettings& settings = host.settings;
  settings.FontSize = 50;
  const std::vector<std::pair<std::vector<MergeInput>, std::string>> cases = {
      {{{good, "en ENGLISH"}, {wide, "fr FRENCH"}},
       wide + ": Please load an Srt/Sub/Txt subtitle."},
      {{{good, "en ENGLISH"}, {frames, "fr FRENCH"}},
       frames + ": Merging into " + base + " would overwrite " + frames},
      {std::vector<MergeInput>(33, {good, "en ENGLISH"}), "A merge takes 1 to 32 subtitles"}};
  for (const auto& [inputs, message] : cases) {
    host.sink.messages.clear();
    EXPECT_EQ(MergeHeadless(inputs, base, host).Outcome, JobOutcome::Refused);
    const std::vector<std::string>& messages = host.sink.messages;
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().rfind(message, 0), 0u) << messages.back();
    EXPECT_EQ(ReadFileBytes(old), "earlier index");
    EXPECT_EQ(ReadFileBytes(frames), "{1}{1}25\n{1}{2}x\n");
  }
  // Sub-stream ids 0x20 to 0x3F; streams may share a language.
  settings.FontSize = 20;
  EXPECT_EQ(
      MergeHeadless(std::vector<MergeInput>(32, {good, "en ENGLISH"}), base + "32", host).Outcome,
      JobOutcome::Completed);
  const std::string sub = ReadFileBytes(base + "32.sub");
  ASSERT_EQ(sub.size(), 32u * 2048);
  EXPECT_EQ(sub[31 * 2048 + 28], '\x3F');
  EXPECT_NE(ReadFileBytes(base + "32.idx").find("id: en, index: 31\r\n"), std::string::npos);
}

TEST(MergeJob, OneInputGivesThePairOfItsPlainConversion) {
  // Text in Windows-1251 read with DEFAULT, and an entry too wide for one
  // line that wrapping breaks: the merge draws both as the conversion does.
  TempDir dir;
  const std::string cyrillic = dir.Write(
      "ru.srt", Srt({{"00:00:01,000 --> 00:00:02,000", "\xCF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0"}}));
  const std::string wide =
      dir.Write("wide.srt",
                Srt({{"00:00:01,000 --> 00:00:02,000",
                      "The tide turns at the harbour and the boats come home before the storm"}}));
  for (const std::string& input : {cyrillic, wide}) {
    RecordingHost host;
    host.settings.WrapLines = true;
    const ConversionReport plain = ConvertHeadless(input, "", host);
    ASSERT_EQ(plain.Outcome, JobOutcome::Completed) << ::testing::PrintToString(host.sink.messages);
    const std::string base = input + ".merged";
    ASSERT_EQ(MergeHeadless({{input, host.settings.Language}}, base, host).Outcome,
              JobOutcome::Completed)
        << ::testing::PrintToString(host.sink.messages);
    EXPECT_EQ(ReadFileBytes(base + ".sub"), ReadFileBytes(plain.SubFile)) << input;
    EXPECT_EQ(ReadFileBytes(base + ".idx"), ReadFileBytes(plain.IndexFile)) << input;
  }
}

TEST(MergeJob, AbortLeavesEveryStreamWithTheUnitsWritten) {
  TempDir dir;
  // Stream a at 0, 2, 4 s, stream b at 1, 3 s.
  const std::string fa = dir.Write("a.srt", Srt({{"00:00:00,000 --> 00:00:00,500", "a"},
                                                 {"00:00:02,000 --> 00:00:02,500", "a"},
                                                 {"00:00:04,000 --> 00:00:04,500", "a"}}));
  const std::string fb = dir.Write("b.srt", Srt({{"00:00:01,000 --> 00:00:01,500", "b"},
                                                 {"00:00:03,000 --> 00:00:03,500", "b"}}));
  RecordingHost host;
  int polls = 0;
  host.stopRequested = [&] { return ++polls == 3; };
  const std::string base = (dir.path() / "cut").string();
  const ConversionReport report =
      MergeHeadless({{fa, "en ENGLISH"}, {fb, "de GERMAN"}}, base, host);
  EXPECT_EQ(report.Outcome, JobOutcome::Aborted);
  // The entry in progress at the abort (a's second, at 2 s) is still written.
  EXPECT_EQ(report.Entries, 3);
  const std::string idx = ReadFileBytes(base + ".idx");
  EXPECT_NE(idx.find(Block("English", "en", 0) +
                     "timestamp: 00:00:00:000, filepos: 000000000\r\n"
                     "timestamp: 00:00:02:000, filepos: 000001000\r\n" +
                     Block("German", "de", 1) + "timestamp: 00:00:01:000, filepos: 000000800\r\n"),
            std::string::npos)
      << idx;
  EXPECT_EQ(ReadFileBytes(base + ".sub").size(), 3u * 2048);
  EXPECT_FALSE(std::filesystem::exists(base + ".Kestrelpix_Help.txt"));
}

}  // namespace
}  // namespace kestrelpix
