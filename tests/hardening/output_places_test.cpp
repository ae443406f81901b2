// Where the outputs go and what they may replace: links at the output
// names, earlier pairs, two runs on one pair, names too long for the file
// system, a missing output folder, and a stdout that cannot be written.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "hardening/hardening_util.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

namespace kestrelpix {
namespace {

using namespace testing;
namespace fs = std::filesystem;

CommandResult Cli(const std::string& args) { return RunCommand(ShellQuote(kCli) + " " + args); }

TEST(LinkedOutputs, ALinkAtAnOutputNameIsReplacedAndItsTargetUntouched) {
  TempDir dir;
  const std::string input = dir.Write("film.srt", MakeSrt(5));
  const std::string precious = dir.Write("precious.txt", "keep me\n");
  for (const char* ext : {".idx", ".sub", ".Kestrelpix_Help.txt"}) {
    fs::create_symlink(precious, dir.path() / (std::string("film") + ext));
  }
  // A dangling link too: following it would create its target.
  fs::remove(dir.path() / "film.sub");
  fs::create_symlink(dir.path() / "created-through-link", dir.path() / "film.sub");
  const CommandResult r = Cli("convert --quiet " + ShellQuote(input));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFileBytes(precious), "keep me\n");
  for (const char* ext : {".idx", ".sub", ".Kestrelpix_Help.txt"}) {
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir.path() / (std::string("film") + ext))));
  }
  EXPECT_FALSE(fs::exists(dir.path() / "created-through-link"));
  EXPECT_EQ(FfprobeSubtitles((dir.path() / "film.idx").string()), 5);
}

// An output name that is the input through a link moves the outputs to
// film.vobsub.*; when those are the input too, the run is refused.
TEST(LinkedOutputs, AnOutputThatIsTheInputThroughALinkIsNeverWritten) {
  TempDir dir;
  const std::string srt = MakeSrt(3);
  const std::string input = dir.Write("film.srt", srt);
  fs::create_symlink(input, dir.path() / "film.sub");
  const CommandResult moved = Cli("convert --quiet " + ShellQuote(input));
  EXPECT_EQ(moved.status, 0) << moved.err;
  EXPECT_NE(moved.err.find("the outputs are named"), std::string::npos) << moved.err;
  EXPECT_EQ(ReadFileBytes(input), srt);
  EXPECT_EQ(Names(dir.path()),
            (std::set<std::string>{"film.srt", "film.sub", "film.vobsub.idx", "film.vobsub.sub",
                                   "film.vobsub.Kestrelpix_Help.txt"}));
  for (const char* ext : {".idx", ".sub", ".Kestrelpix_Help.txt"}) {
    fs::remove(dir.path() / (std::string("film.vobsub") + ext));
  }
  fs::create_symlink(input, dir.path() / "film.vobsub.sub");
  const CommandResult refused = Cli("convert --quiet " + ShellQuote(input));
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("would overwrite it"), std::string::npos) << refused.err;
  EXPECT_EQ(ReadFileBytes(input), srt);
  EXPECT_TRUE(fs::is_symlink(dir.path() / "film.sub"));
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"film.srt", "film.sub", "film.vobsub.sub"}));
}

TEST(EarlierOutputs, AFailedRunLeavesTheEarlierPairAndHelpFileAsTheyWere) {
  TempDir dir;
  const std::string input = dir.Write("film.srt", MakeSrt(1500));
  ASSERT_EQ(Cli("convert --quiet " + ShellQuote(input)).status, 0);
  std::vector<std::string> before;
  for (const char* ext : {".idx", ".sub", ".Kestrelpix_Help.txt"}) {
    before.push_back(ReadFileBytes((dir.path() / (std::string("film") + ext)).string()));
  }
  // The re-run (in other colours) fails when the file-size limit is reached.
  const CommandResult r = RunCommand("ulimit -f 2048; " + ShellQuote(kCli) +
                                     " convert --quiet --text-color yellow " + ShellQuote(input));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Nothing was replaced"), std::string::npos) << r.err;
  std::vector<std::string> after;
  for (const char* ext : {".idx", ".sub", ".Kestrelpix_Help.txt"}) {
    after.push_back(ReadFileBytes((dir.path() / (std::string("film") + ext)).string()));
  }
  EXPECT_TRUE(before == after);
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"film.srt", "film.idx", "film.sub",
                                                      "film.Kestrelpix_Help.txt"}));
}

TEST(SharedOutputNames, InputsWhoseOutputsShareANameAreRefusedFirst) {
  TempDir dir;
  const std::string a = dir.Write("a.srt", MakeSrt(3));
  fs::create_directories(dir.path() / "d1");
  fs::create_directories(dir.path() / "d2");
  const std::string d1 = dir.Write("d1/a.srt", MakeSrt(3));
  const std::string d2 = dir.Write("d2/a.srt", MakeSrt(4));
  const std::string out = (dir.path() / "o").string();
  CommandResult r = Cli("convert --quiet --jobs 2 --output-dir " + ShellQuote(out) + " " +
                        ShellQuote(d1) + " " + ShellQuote(d2));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "kestrelpix-cli convert: " + d1 + " and " + d2 + " would both be written to " +
                       out +
                       "/a.idx; convert them one at a time or into different --output-dir "
                       "folders\n");
  EXPECT_FALSE(fs::exists(out));
  // a.srt and a.txt beside it make the same a.idx.
  const std::string txt = dir.Write("a.txt", "{1}{1}25.000\n{25}{50}Hello\n");
  r = Cli("convert --quiet " + ShellQuote(txt) + " " + ShellQuote(a));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(txt + " and " + a + " would both be written to "), std::string::npos);
  EXPECT_FALSE(fs::exists(dir.path() / "a.idx"));
}

TEST(SharedOutputNames, TwoProcessesOnOnePairLeaveOneWholePair) {
  TempDir dir;
  fs::create_directories(dir.path() / "d1");
  fs::create_directories(dir.path() / "d2");
  const std::string d1 = dir.Write("d1/a.srt", MakeSrt(1500));
  const std::string d2 = dir.Write("d2/a.srt", MakeSrt(1499));
  // Each alone, for reference.
  ASSERT_EQ(Cli("convert --quiet " + ShellQuote(d1)).status, 0);
  ASSERT_EQ(Cli("convert --quiet " + ShellQuote(d2)).status, 0);
  const std::string out = (dir.path() / "o").string();
  for (int round = 0; round < 3; ++round) {
    ChildProcess one({kCli, "convert", "--quiet", "--output-dir", out, d1});
    ChildProcess two({kCli, "convert", "--quiet", "--output-dir", out, d2});
    ASSERT_EQ(one.Wait().status, 0);
    ASSERT_EQ(two.Wait().status, 0);
    const std::string idx = ReadFileBytes(out + "/a.idx");
    const std::string sub = ReadFileBytes(out + "/a.sub");
    const bool first = idx == ReadFileBytes((dir.path() / "d1/a.idx").string()) &&
                       sub == ReadFileBytes((dir.path() / "d1/a.sub").string());
    const bool second = idx == ReadFileBytes((dir.path() / "d2/a.idx").string()) &&
                        sub == ReadFileBytes((dir.path() / "d2/a.sub").string());
    EXPECT_TRUE(first || second) << "round " << round;
    EXPECT_EQ(Names(out), (std::set<std::string>{"a.idx", "a.sub", "a.Kestrelpix_Help.txt"}));
  }
}

TEST(OutputNameLimits, ANameTooLongForTheFileSystemIsRefusedBeforeWriting) {
  TempDir dir;
  // 251 + ".srt" fits; 251 + ".Kestrelpix_Help.txt" does not.
  const std::string name = std::string(251, 'n') + ".srt";
  const std::string input = dir.Write(name, MakeSrt(3));
  const CommandResult r = Cli("convert --quiet " + ShellQuote(input));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Cannot create file \"" + (dir.path() / std::string(251, 'n')).string() +
                       ".Kestrelpix_Help.txt\": its name is 271 bytes long, and the file system "
                       "allows 255. Rename the subtitle to a shorter name.\n");
  EXPECT_EQ(Names(dir.path()), std::set<std::string>{name});
}

TEST(OutputNameLimits, AMissingOutputFolderIsCreatedAndTheHelpFileNamesFullPaths) {
  TempDir dir;
  dir.Write("film.srt", MakeSrt(3));
  const CommandResult r =
      RunCommand("cd " + ShellQuote(dir.path().string()) + " && " + ShellQuote(kCli) +
                 " convert --quiet film.srt --output-dir "
                 "new/deeper");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "new/deeper/film.idx\nnew/deeper/film.sub\nnew/deeper/film.Kestrelpix_Help.txt\n");
  const std::string full = (dir.path() / "new/deeper/film").string();
  const std::string help = ReadFileBytes(full + ".Kestrelpix_Help.txt");
  EXPECT_NE(help.find("Generated Files:\r\n" + full + ".idx\r\n" + full + ".sub\r\n" + full +
                      ".Kestrelpix_Help.txt\r\n"),
            std::string::npos)
      << help;
}

TEST(Stdout, EveryCommandFailsWhenStdoutCannotBeWritten) {
  TempDir dir;
  const std::string input = dir.Write("film.srt", MakeSrt(3));
  for (const std::string& command :
       {std::string("--help"), std::string("--version"), std::string("convert --help"),
        "list " + ShellQuote(input), std::string("measure Harbor"),
        "convert --quiet " + ShellQuote(input)}) {
    SCOPED_TRACE(command);
    const CommandResult full =
        RunCommand("{ " + ShellQuote(kCli) + " " + command + " >/dev/full; }");
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("standard output"), std::string::npos) << full.err;
    const CommandResult closed = RunCommand("{ " + ShellQuote(kCli) + " " + command + " >&-; }");
    EXPECT_EQ(closed.status, 1);
    EXPECT_NE(closed.err.find("standard output is closed"), std::string::npos) << closed.err;
  }
  // With stdout closed the outputs did not take its place: nothing was
  // printed into them.
  EXPECT_EQ(FfprobeSubtitles((dir.path() / "film.idx").string()), 3);
  EXPECT_EQ(ReadFileBytes((dir.path() / "film.idx").string()).find(dir.path().string()),
            std::string::npos);
}

}  // namespace
}  // namespace kestrelpix
