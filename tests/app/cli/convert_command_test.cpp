// The command-line tool converts as the window's unattended run does:
// through the fifteen parameters of a batch line and through settings by
// name, with the same bytes, statuses and an Abort on Ctrl-C.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "app/command_line.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

namespace kestrelpix {
namespace {

using testing::ChildProcess;
using testing::ChildResult;
using testing::CommandResult;
using testing::ReadFileBytes;
using testing::RunCommand;
using testing::ShellQuote;
using testing::TempDir;

const std::string kCli = KESTRELPIX_CLI;
const std::string kSample = std::string(KESTRELPIX_SOURCE_DIR) + "/examples/sample.srt";

CommandResult Cli(const std::string& args) { return RunCommand(ShellQuote(kCli) + " " + args); }

int CountOf(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

TEST(ConvertCommand, BatchFileLineConvertsToTheSameBytesAsNamedSettings) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "byname");
  std::filesystem::create_directories(dir.path() / "bin");
  std::filesystem::copy_file(kSample, dir.path() / "film.srt");
  // The batch line starts "<folder>/kestrelpix"; let that be this tool.
  std::filesystem::create_symlink(kCli, dir.path() / "bin" / "kestrelpix");

  ControlPositions p;
  p.FontStyle = 1;  // Bold
  p.FontSize = 16;  // "22"
  p.Align = 1;      // left
  p.BottomOffset = 60;
  p.LineSpacing = -2;
  p.OutlineWidth = 2;  // "4"
  p.Palette = PaletteMode::PcOnly;
  p.AntialiasColor = 9;  // silver
  p.OutlineColor = 6;    // navy
  p.TextColor = 12;      // yellow
  p.Language = 29;       // en ENGLISH
  p.Fps = 3;             // 29.970
  const std::string film = (dir.path() / "film.srt").string();
  const std::string batch = dir.Write(
      "MyBatch.bat", BatchLine((dir.path() / "bin").string() + "/", film, p) + BatchLineEnd());
  const CommandResult viaBatch = RunCommand("sh " + ShellQuote(batch));
  ASSERT_EQ(viaBatch.status, 0) << viaBatch.err;

  const CommandResult byName =
      Cli("convert " + ShellQuote(film) + " --output-dir " +
          ShellQuote((dir.path() / "byname").string()) +
          " --quiet --style Bold --size 22 --align left --offset 60 --line-offset -2 --outline 4"
          " --palette pc --antialias-color silver --outline-color navy --text-color yellow"
          " --language en --fps 29.970 --no-wrap");
  ASSERT_EQ(byName.status, 0) << byName.err;
  // convert prints the three paths.
  EXPECT_EQ(CountOf(byName.out, "\n"), 3);
  EXPECT_NE(byName.out.find("/byname/film.idx\n"), std::string::npos);

  for (const char* ext : {".idx", ".sub"}) {
    const std::string a = ReadFileBytes((dir.path() / ("film" + std::string(ext))).string());
    const std::string b =
        ReadFileBytes((dir.path() / "byname" / ("film" + std::string(ext))).string());
    EXPECT_FALSE(a.empty()) << ext;
    EXPECT_TRUE(a == b) << ext << " differs";
  }
  const std::string idx = ReadFileBytes((dir.path() / "film.idx").string());
  EXPECT_NE(idx.find("size: 720x480\r\n"), std::string::npos);
  EXPECT_NE(idx.find("id: en, index: 0\r\n"), std::string::npos);
  EXPECT_EQ(CountOf(idx, "timestamp: "), 32);
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "film.Kestrelpix_Help.txt"));
}

TEST(ConvertCommand, StatusesForRefusalsAndBadOptions) {
  TempDir dir;
  EXPECT_EQ(Cli("convert " + ShellQuote((dir.path() / "absent.srt").string())).status, 1);
  const std::string sub = dir.Write("film.sub", "{1}{1}25\n{10}{20}x\n");
  // A subtitle named .sub keeps its name: the outputs are film.vobsub.*.
  CommandResult r = Cli("convert --quiet " + ShellQuote(sub));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFileBytes(sub), "{1}{1}25\n{10}{20}x\n");
  EXPECT_NE(r.out.find("/film.vobsub.sub\n"), std::string::npos) << r.out;
  r = Cli("convert --size 31 " + ShellQuote(kSample));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--size"), std::string::npos) << r.err;
  EXPECT_EQ(Cli("convert --palette neon x.srt").status, 2);
  EXPECT_EQ(Cli("convert --jobs 0 x.srt").status, 2);
  EXPECT_EQ(Cli("convert --text-color mauve x.srt").status, 2);
  EXPECT_EQ(Cli("convert --language xx x.srt").status, 2);
  EXPECT_EQ(Cli("convert").status, 2);
  EXPECT_EQ(Cli("convert --help").status, 0);
  EXPECT_EQ(Cli("--version").status, 0);
  // Both helps name every format the load reads.
  for (const char* help : {"--help", "convert --help"}) {
    const std::string out = Cli(help).out;
    for (const char* formats :
         {"SubRip .srt", "frame-numbered .sub/.txt", "WebVTT .vtt", "ASS/SSA .ass/.ssa",
          "SAMI .smi/.sami", "TTML .ttml/.dfxp/.xml"}) {
      EXPECT_NE(out.find(formats), std::string::npos) << help << ": " << formats << "\n" << out;
    }
  }
  // Too wide for the frame at 50 points: the fit check refuses.
  const std::string wide = dir.Write(
      "wide.srt", "1\n00:00:01,000 --> 00:00:02,000\nA line much too long for fifty point text\n");
  r = Cli("convert --quiet --size 50 --no-wrap " + ShellQuote(wide));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Entry 1 is too wide: "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Please wrap long lines (leave out --no-wrap) or use a smaller font size, "
                       "or correct the subtitle and reload it."),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("Please load an Srt/Sub/Txt subtitle."), std::string::npos) << r.err;
  // Wrapped, by default or asked for, "A line much too long" and "for
  // fifty point text" fit.
  for (const char* wrap : {"", "--wrap "}) {
    r = Cli("convert --quiet --size 50 " + std::string(wrap) + ShellQuote(wide));
    EXPECT_EQ(r.status, 0) << wrap << r.err;
  }
  // A fifteen-parameter line with a list position outside its list.
  r = Cli(ShellQuote(kSample) + " 0 4 0 99 0 30 -4 1 1 0 2 41 2 2");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Parameter 5 (fontsize) is 99"), std::string::npos) << r.err;
}

// convert writes the PC palette unless told otherwise; the fifteen
// parameters of a batch line keep the two palettes. Nothing else differs:
// the stream and the help text are the same bytes.
TEST(ConvertCommand, DefaultsToThePcPaletteWhileTheBatchLineKeepsTwoPalettes) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "byname");
  std::filesystem::create_directories(dir.path() / "two");
  const std::string film = (dir.path() / "film.srt").string();
  std::filesystem::copy_file(kSample, film);
  const CommandResult batch = Cli(ShellQuote(film) + " 0 4 0 14 0 30 -4 1 1 0 2 41 2 2");
  ASSERT_EQ(batch.status, 0) << batch.err;
  // The sample's three-line entries are drawn as three lines only when
  // wrapping, which a fifteen-parameter line leaves off.
  const CommandResult byName =
      Cli("convert --quiet --no-wrap --output-dir " + ShellQuote((dir.path() / "byname").string()) +
          " " + ShellQuote(film));
  ASSERT_EQ(byName.status, 0) << byName.err;
  const CommandResult two = Cli("convert --quiet --no-wrap --palette TWO --output-dir " +
                                ShellQuote((dir.path() / "two").string()) + " " + ShellQuote(film));
  ASSERT_EQ(two.status, 0) << two.err;

  const std::string zeros =
      ", 000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000, "
      "000000\r\n";
  const std::string pcBlock = "palette: 808080, 000000, FFFFFF, 0000FF" + zeros +
                              "\r\n# Custom colors(transp idxs and the four colors)\r\n"
                              "custom colors: OFF, tridx: 0000, colors: 000000, 000000, 000000, "
                              "000000\r\n";
  const std::string twoBlock = "palette: 80807F, 008080, FF807F, 1D6BFF" + zeros +
                               "\r\n# Custom colors(transp idxs and the four colors)\r\n"
                               "custom colors: ON, tridx: 1000, colors: 0000FF, FFFFFF, 000000, "
                               "808080\r\n";
  const std::string batchIdx = ReadFileBytes((dir.path() / "film.idx").string());
  std::string byNameIdx = ReadFileBytes((dir.path() / "byname" / "film.idx").string());
  EXPECT_NE(batchIdx.find(twoBlock), std::string::npos) << batchIdx;
  EXPECT_TRUE(ReadFileBytes((dir.path() / "two" / "film.idx").string()) == batchIdx);
  const size_t at = byNameIdx.find(pcBlock);
  ASSERT_NE(at, std::string::npos) << byNameIdx;
  // With the block swapped back the whole index is the batch line's.
  byNameIdx.replace(at, pcBlock.size(), twoBlock);
  EXPECT_TRUE(byNameIdx == batchIdx);
  for (const char* folder : {"byname", "two"}) {
    EXPECT_TRUE(ReadFileBytes((dir.path() / folder / "film.sub").string()) ==
                ReadFileBytes((dir.path() / "film.sub").string()))
        << folder;
  }
  // The help text gives Y Cr Cb values in every mode.
  const std::string help =
      ReadFileBytes((dir.path() / "byname" / "film.Kestrelpix_Help.txt").string());
  EXPECT_NE(help.find("put the value: FF 80 7F"), std::string::npos) << help;

  const CommandResult usage = Cli("convert --help");
  EXPECT_NE(usage.out.find("pc (default), dvd, two or safe"), std::string::npos) << usage.out;
  EXPECT_NE(usage.out.find("pc: ffmpeg, mpv and VLC show the chosen colours"), std::string::npos)
      << usage.out;
}

TEST(ConvertCommand, ParallelJobsConvertEveryInput) {
  TempDir dir;
  std::vector<std::string> inputs;
  for (int i = 0; i < 3; ++i) {
    const std::string name = "part" + std::to_string(i) + ".srt";
    std::filesystem::copy_file(kSample, dir.path() / name);
    inputs.push_back(ShellQuote((dir.path() / name).string()));
  }
  const CommandResult r = Cli("convert --jobs 2 " + inputs[0] + " " + inputs[1] + " " + inputs[2]);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(CountOf(r.out, "\n"), 9);
  const std::string first = ReadFileBytes((dir.path() / "part0.sub").string());
  for (int i = 1; i < 3; ++i) {
    EXPECT_TRUE(first ==
                ReadFileBytes((dir.path() / ("part" + std::to_string(i) + ".sub")).string()));
  }
}

TEST(ConvertCommand, CtrlCLeavesAPairThatFfmpegReadsCompletely) {
  TempDir dir;
  std::string srt;
  for (int i = 0; i < 40000; ++i) {
    char time[64];
    const int s = i * 2;
    std::snprintf(time, sizeof time, "%02d:%02d:%02d,000 --> %02d:%02d:%02d,500", s / 3600,
                  s / 60 % 60, s % 60, s / 3600, s / 60 % 60, s % 60);
    srt += std::to_string(i + 1) + "\n" + time + "\nEntry number " + std::to_string(i + 1) +
           "\nand its second line\n\n";
  }
  const std::string input = dir.Write("long.srt", srt);
  ChildProcess child({kCli, "convert", "--quiet", input});
  // Interrupt once the run is well under way: the .sub, written under a
  // temporary name (".long.sub.XXXXXX") until the run ends, has grown.
  const auto sub = dir.path() / "long.sub";
  for (int i = 0; i < 600; ++i) {
    std::error_code ec;
    uintmax_t size = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path(), ec)) {
      if (e.path().filename().string().rfind(".long.sub.", 0) == 0) {
        size = std::filesystem::file_size(e.path(), ec);
      }
    }
    if (!ec && size > 2048 * 500) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  child.Signal(SIGINT);
  const ChildResult stopped = child.Wait();
  ASSERT_FALSE(stopped.killed);
  EXPECT_EQ(stopped.status, 130);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "long.Kestrelpix_Help.txt"));

  const std::string idx = ReadFileBytes((dir.path() / "long.idx").string());
  const int entries = CountOf(idx, "timestamp: ");
  EXPECT_GT(entries, 0);
  EXPECT_LT(entries, 40000);
  // Every index line points at a unit inside the .sub, which holds whole
  // packs only.
  const uintmax_t subSize = std::filesystem::file_size(sub);
  EXPECT_EQ(subSize % 2048, 0u);
  const size_t last = idx.rfind("filepos: ");
  EXPECT_LT(std::stoull(idx.substr(last + 9, 9), nullptr, 16), subSize);
  const CommandResult probe = RunCommand("ffprobe -v error -show_frames -of compact " +
                                         ShellQuote((dir.path() / "long.idx").string()));
  EXPECT_EQ(probe.status, 0);
  EXPECT_EQ(probe.err, "");
  EXPECT_EQ(CountOf(probe.out, "subtitle|media_type"), entries);
}

TEST(ConvertCommand, MergeLanguagesOptionAndRefusals) {
  TempDir dir;
  const std::string a = (dir.path() / "s.fr.srt").string();
  const std::string b = (dir.path() / "t.DE.srt").string();
  std::filesystem::copy_file(kSample, a);
  std::filesystem::copy_file(kSample, b);
  const std::string base = (dir.path() / "both").string();
  const std::string inputs = " " + ShellQuote(a) + " " + ShellQuote(b);
  std::string many;
  for (int i = 0; i < 33; ++i) many += " " + ShellQuote(a);
  for (const std::string& bad :
       {"--languages en" + inputs, "--languages en,zz" + inputs, "--jobs 2" + inputs, many}) {
    const CommandResult r = Cli("convert --quiet --merge " + ShellQuote(base) + " " + bad);
    EXPECT_EQ(r.status, 2) << bad << "\n" << r.err;
    EXPECT_FALSE(std::filesystem::exists(base + ".idx")) << bad;
  }
  EXPECT_EQ(Cli("convert --languages en,fr" + inputs).status, 2);

  // --languages wins over the tags; two streams may share a language.
  const CommandResult r =
      Cli("convert --quiet --languages EN,en --merge " + ShellQuote(base) + inputs);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string idx = ReadFileBytes(base + ".idx");
  EXPECT_NE(idx.find("\r\nid: en, index: 0\r\n"), std::string::npos);
  EXPECT_NE(idx.find("\r\nid: en, index: 1\r\n"), std::string::npos);

  // OUTBASE's folder is made when missing, as --output-dir is, and only for
  // a merge that is not refused.
  const std::string inFolder = (dir.path() / "films" / "movie").string();
  EXPECT_EQ(Cli("convert --quiet --languages en --merge " + ShellQuote(inFolder) + inputs).status,
            2);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "films"));
  const CommandResult made =
      Cli("convert --quiet --languages EN,en --merge " + ShellQuote(inFolder) + inputs);
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(ReadFileBytes(inFolder + ".idx"), idx);
}

}  // namespace
}  // namespace kestrelpix
