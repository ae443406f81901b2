// Faults met by a user of kestrelpix-cli: outputs that cannot be written, a
// disk that fills in the middle of the .sub, inputs that are no subtitle
// files at all. Each ends with a message that names the file, exit status
// 1, no crash, no unfinished outputs left behind, and the input untouched.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <thread>

#include "hardening/hardening_util.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

namespace kestrelpix {
namespace {

using namespace testing;
namespace fs = std::filesystem;

CommandResult Cli(const std::string& args) { return RunCommand(ShellQuote(kCli) + " " + args); }

bool Contains(const std::string& text, const std::string& what) {
  return text.find(what) != std::string::npos;
}

TEST(OutputFaults, OutputFolderThroughAPlainFileFailsForEveryUser) {
  // No user, root included, can create a file below a regular file.
  TempDir dir;
  const std::string srt = MakeSrt(20);
  const std::string input = dir.Write("film.srt", srt);
  const std::string plain = dir.Write("notes", "a plain file\n");
  const CommandResult r =
      Cli("convert --quiet " + ShellQuote(input) + " --output-dir " + ShellQuote(plain + "/out"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Cannot create folder \"" + plain + "/out\": Not a directory\n");
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(ReadFileBytes(input), srt);
  EXPECT_EQ(ReadFileBytes(plain), "a plain file\n");
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"film.srt", "notes"}));
}

TEST(OutputFaults, FolderThatTheUserMayNotWriteTo) {
  const std::string asUser = AsOtherUser();
  if (asUser == "-") GTEST_SKIP() << "cannot run the tool as another user here";
  TempDir dir;
  const std::string srt = MakeSrt(20);
  const std::string input = dir.Write("film.srt", srt);
  // Readable by everyone, writable by its owner only (root, when the
  // tests run as root and the tool as nobody).
  fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
  if (asUser.empty()) fs::permissions(dir.path(), fs::perms::owner_write, fs::perm_options::remove);
  fs::permissions(input, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

  const CommandResult r =
      RunCommand(asUser + ShellQuote(kCli) + " convert --quiet " + ShellQuote(input));
  fs::permissions(dir.path(), fs::perms::owner_all, fs::perm_options::add);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "Cannot create file \"" + (dir.path() / "film.idx").string() +
                                  "\": File access denied\n"))
      << r.err;
  EXPECT_EQ(ReadFileBytes(input), srt);
  EXPECT_EQ(Names(dir.path()), std::set<std::string>{"film.srt"});
}

TEST(OutputFaults, DiskFullInTheMiddleOfTheSubRemovesTheUnfinishedPair) {
  TempDir dir;
  // 1500 one-pack entries: a .sub of 3 MB and an index of about 70 KB. The
  // limit (1 MiB in dash's 512-byte blocks, 2 MiB in bash's) lies between.
  const std::string srt = MakeSrt(1500);
  const std::string input = dir.Write("film.srt", srt);
  const CommandResult r =
      RunCommand("ulimit -f 2048; " + ShellQuote(kCli) + " convert --quiet " + ShellQuote(input));
  EXPECT_EQ(r.status, 1);
  const std::string idx = (dir.path() / "film.idx").string();
  const std::string sub = (dir.path() / "film.sub").string();
  EXPECT_EQ(r.err, "Cannot write file \"" + sub +
                       "\": I/O error 27 (File too large). Nothing was replaced: the unfinished "
                       "files were removed.\n");
  EXPECT_EQ(ReadFileBytes(input), srt);
  EXPECT_EQ(Names(dir.path()), std::set<std::string>{"film.srt"});

  // With room again the same command converts the whole film.
  const CommandResult again = Cli("convert --quiet " + ShellQuote(input));
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(FfprobeSubtitles(idx), 1500);
}

TEST(OutputFaults, OutputNamesTakenByFifosNeitherBlockNorAreRemoved) {
  TempDir dir;
  const std::string input = dir.Write("film.srt", MakeSrt(5));
  const std::string idx = (dir.path() / "film.idx").string();
  const std::string sub = (dir.path() / "film.sub").string();
  // A FIFO without a reader would block an ordinary open for writing.
  ASSERT_EQ(::mkfifo(idx.c_str(), 0644), 0);
  CommandResult r =
      RunCommand("timeout 60 " + ShellQuote(kCli) + " convert --quiet " + ShellQuote(input));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Cannot create file \"" + idx +
                       "\": it is not a regular file (a FIFO, a socket or a device)\n");
  EXPECT_TRUE(fs::is_fifo(idx));

  // A FIFO at the .sub's name is found before anything is written.
  fs::remove(idx);
  ASSERT_EQ(::mkfifo(sub.c_str(), 0644), 0);
  r = RunCommand("timeout 60 " + ShellQuote(kCli) + " convert --quiet " + ShellQuote(input));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Cannot create file \"" + sub +
                       "\": it is not a regular file (a FIFO, a socket or a device)\n");
  EXPECT_TRUE(fs::is_fifo(sub));
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"film.srt", "film.sub"}));
}

TEST(InputFaults, FolderMissingFileAndFifo) {
  TempDir dir;
  const std::string folder = (dir.path() / "folder.srt").string();
  fs::create_directory(folder);
  CommandResult r = Cli("convert --quiet " + ShellQuote(folder));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Cannot open file \"" + folder + "\": it is a folder\n");

  const std::string missing = (dir.path() / "missing.srt").string();
  r = Cli("convert --quiet " + ShellQuote(missing));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Cannot open file \"" + missing + "\": File not found\n");

  // A FIFO is never opened for reading in a way that waits for a writer.
  const std::string fifo = (dir.path() / "fifo.srt").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  ChildProcess child({kCli, "convert", "--quiet", fifo});
  for (int i = 0; i < 3000 && child.Running(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_FALSE(child.Running()) << "the tool waits on the FIFO";
  const ChildResult c = child.Wait();
  EXPECT_EQ(c.status, 1);
  EXPECT_EQ(c.err, "Cannot open file \"" + fifo +
                       "\": it is not a regular file (a FIFO, a socket or a device)\n");

  EXPECT_TRUE(fs::is_empty(folder));
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"folder.srt", "fifo.srt"}));
}

TEST(InputFaults, FileTheUserMayNotRead) {
  const std::string asUser = AsOtherUser();
  if (asUser == "-") GTEST_SKIP() << "cannot run the tool as another user here";
  TempDir dir;
  fs::permissions(dir.path(),
                  fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
  const std::string input = dir.Write("film.srt", MakeSrt(3));
  fs::permissions(input, fs::perms::none);
  const CommandResult r =
      RunCommand(asUser + ShellQuote(kCli) + " convert --quiet " + ShellQuote(input));
  fs::permissions(input, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "Cannot open file \"" + input + "\": File access denied\n")) << r.err;
  EXPECT_EQ(Names(dir.path()), std::set<std::string>{"film.srt"});
}

TEST(InputFaults, TwoGigabytesOfNulBytesAreRefusedQuicklyInLittleMemory) {
  // A sparse file: no disk space, all NUL bytes, no line break anywhere.
  // Refused for its size before any format test looks at it, having read
  // no more than the limit.
  TempDir dir;
  constexpr uintmax_t kSize = uintmax_t{2} << 30;
  for (const char* name : {"huge.srt", "huge.txt", "huge.sub"}) {
    const std::string path = (dir.path() / name).string();
    fs::resize_file(dir.Write(name, ""), kSize);
    const auto before = fs::last_write_time(path);
    ChildProcess child({kCli, "convert", "--quiet", path});
    const ChildResult r = child.Wait();
    EXPECT_EQ(r.status, 1) << name;
    EXPECT_EQ(r.err, "Cannot read file \"" + path +
                         "\": it is larger than 64 MiB, too large for a subtitle\n");
    // Far below the 2 GiB that holding the line would take, and below the
    // twice 64 MiB that growing the read buffer by doubling would hold
    // (sanitizer builds included: about 70 MB, and 100 MB under ASan).
    EXPECT_LT(r.peakRssKb, 120 * 1024) << name;
    EXPECT_EQ(fs::file_size(path), kSize);
    EXPECT_EQ(fs::last_write_time(path), before);
    fs::remove(path);
  }
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(InputFaults, AFailingInputDoesNotStopTheOthers) {
  TempDir dir;
  const std::string bad = dir.Write("bad.srt", "1\naa:00:01,000 --> 00:00:02,000\nHello\n\n");
  const std::string folder = (dir.path() / "folder.srt").string();
  fs::create_directory(folder);
  const std::string good = dir.Write("good.srt", MakeSrt(4));
  const CommandResult r =
      Cli("convert --quiet " + ShellQuote(bad) + " " + ShellQuote(folder) + " " + ShellQuote(good));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, bad + ": Line 2 (entry 1): 'aa' is not a valid integer value\n" + folder +
                       ": Cannot open file \"" + folder + "\": it is a folder\n");
  const std::string idx = (dir.path() / "good.idx").string();
  EXPECT_EQ(r.out, idx + "\n" + (dir.path() / "good.sub").string() + "\n" +
                       (dir.path() / "good.Kestrelpix_Help.txt").string() + "\n");
  EXPECT_EQ(FfprobeSubtitles(idx), 4);
  EXPECT_FALSE(fs::exists(dir.path() / "bad.idx"));
}

// The memory a 50 MB line may take: 200 MB, or 450 MB in the
// AddressSanitizer build, whose shadow memory and freed-block quarantine add
// to every allocation, the line breaker's dictionaries included (a line
// laid out whole took 1.15 GB).
#ifdef __SANITIZE_ADDRESS__
constexpr long kFiftyMegabyteLineBoundKb = 450 * 1024;
#else
constexpr long kFiftyMegabyteLineBoundKb = 200 * 1024;
#endif

// One line of 50 MB after a valid first line: the message quotes its start
// only, and the memory stays far below the line's cost as decoded text and
// glyphs.
TEST(InputFaults, AFiftyMegabyteLineIsQuotedShortAndReadInLittleMemory) {
  TempDir dir;
  const std::string head = "1\n00:00:01,000 --> 00:00:02,000\n";
  const std::string wide = dir.Write("wide.srt", head + std::string(50'000'000, 'W') + "\n\n");
  ChildProcess child({kCli, "convert", "--quiet", wide});
  const ChildResult r = child.Wait();
  EXPECT_EQ(r.status, 1);
  // Only the first MiB of a line is laid out: its width is 1 MiB x 28.
  EXPECT_EQ(r.err,
            "Entry 1 is too wide: 29360128 pixels, and a line must stay under 680.\n" +
                std::string(100, 'W') +
                "…\n\nEven wrapped it is too wide: a part of it has no place to break. Please use "
                "a smaller font size, or correct the subtitle and reload it.\nPlease load an "
                "Srt/Sub/Txt subtitle.\n");
  EXPECT_LT(r.peakRssKb, kFiftyMegabyteLineBoundKb);

  // NUL bytes have no width: the line fits and converts.
  const std::string nul =
      dir.Write("nul.srt", head + std::string(50'000'000, '\0') + "\nsecond\n\n");
  ChildProcess nulChild({kCli, "convert", "--quiet", nul});
  const ChildResult n = nulChild.Wait();
  EXPECT_EQ(n.status, 0) << n.err;
  EXPECT_LT(n.peakRssKb, kFiftyMegabyteLineBoundKb);
  EXPECT_EQ(FfprobeSubtitles((dir.path() / "nul.idx").string()), 1);

  // A number read from a 50 MB field is quoted by its first characters, in
  // the note of the tolerant reading that skips its line.
  const std::string digits =
      dir.Write("digits.txt", "{1}{1}25.000\n{" + std::string(50'000'000, '7') + "x}{9}t\n");
  const CommandResult d = Cli("convert --quiet " + ShellQuote(digits));
  EXPECT_EQ(d.status, 1);
  EXPECT_EQ(d.err,
            "warning: Read as MicroDVD by the tolerant reader as the strict reading stopped at "
            "line 2 (entry 1: '" +
                std::string(100, '7') +
                "…' is not a valid integer value): 1 line that is no entry, skipped.\n"
                "Please load an Srt/Sub/Txt subtitle.\n");
}

// A SubRip film of n entries 0.4 s apart, each of the lines given.
std::string SrtOf(int n, const std::string& lines) {
  auto time = [](int ms) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d,%03d", ms / 3600000, ms / 60000 % 60,
                  ms / 1000 % 60, ms % 1000);
    return std::string(text);
  };
  std::string srt;
  for (int i = 0; i < n; ++i) {
    srt += std::to_string(i + 1) + "\n" + time(i * 400) + " --> " + time(i * 400 + 300) + "\n" +
           lines + "\n";
  }
  return srt;
}

std::string Repeated(const std::string& piece, size_t times) {
  std::string out;
  out.reserve(piece.size() * times);
  for (size_t i = 0; i < times; ++i) out += piece;
  return out;
}

// Loading a file near the 64 MiB limit with wrapping on takes at most four
// times the file and 100 MB, whatever its shape, and a film of ordinary
// entries at most twice the file and 100 MB. A line, an entry, a kept line or a field each took a
// string object or more: 2.2 GB for line ends only, 2 GB for an entry of
// millions of lines, 296 MB for the film.
TEST(InputFaults, EveryShapeOfLargeFileLoadsInMemoryBoundedByItsSize) {
#ifdef __SANITIZE_ADDRESS__
  // Redzones and shadow memory on every block, and freed blocks held in
  // quarantine (up to 256 MB): 715 MB for the film, 130 MB without.
  constexpr long kTimes = 3, kQuarantine = 256'000'000;
#else
  constexpr long kTimes = 1, kQuarantine = 0;
#endif
  struct Shape {
    const char* name;
    std::function<std::string()> bytes;
    long timesFile;    // the bound: this many times the file and 100 MB
    const char* said;  // on stderr or stdout
  };
  const Shape shapes[] = {
      {"ends.srt", [] { return std::string(size_t{64} << 20, '\n'); }, 4,
       "Unsupported Subtitle Format !"},
      // One entry of 30 million lines: the first MiB of them is kept, and
      // the entry is named as not drawn although wrapping is on.
      {"bars.txt", [] { return "{1}{1}25\n{1}{100}" + Repeated("x|", 30'000'000) + "\n"; }, 4,
       "which is not drawn: entry 1."},
      {"fields.ass",
       [] {
         return "[Events]\nFormat: Start, End, " + Repeated("a, ", 10'000'000) +
                "Text\nDialogue: 0:00:01.00,0:00:02.00," + Repeated(",", 10'000'000) + "Hello\n";
       },
       4, "Read as ASS/SSA by the tolerant reader."},
      {"film.srt", [] { return SrtOf(840'000, "Entry number one\nand its second line\n"); }, 2,
       "Job added to Batch file"},
      // 16 MiB of the shortest entries there are: 2.4 million of them.
      {"tiny.txt", [] { return "{1}{1}25\n" + Repeated("{1}{2}\n", 2'400'000); }, 4,
       "Job added to Batch file"},
  };
  TempDir dir;
  const std::string batch = (dir.path() / "batch.sh").string();
  for (const Shape& shape : shapes) {
    const std::string bytes = shape.bytes();
    const std::string path = dir.Write(shape.name, bytes);
    ChildProcess child({kCli, "add-to-batch", batch, path, "--wrap"});
    const ChildResult r = child.Wait();
    const long boundKb =
        (kTimes * (shape.timesFile * static_cast<long>(bytes.size()) + 100'000'000) + kQuarantine) /
        1024;
    EXPECT_LT(r.peakRssKb, boundKb) << shape.name << ": " << bytes.size() << " bytes";
    EXPECT_TRUE(Contains(r.err + r.out, shape.said)) << shape.name << ": " << r.err;
    fs::remove(path);
  }
}

// With wrapping on, loading entries whose third line wrapping draws takes
// time in proportion to their number: twice the entries, twice the time.
// The list of entries not drawn was searched once per entry: four times.
TEST(InputFaults, WrappedLoadTakesTimeInProportionToTheEntries) {
  TempDir dir;
  const std::string batch = (dir.path() / "batch.sh").string();
  auto seconds = [&](int n) {
    const std::string film = dir.Write(std::to_string(n) + ".srt", SrtOf(n, "a\nb\nc\n"));
    double best = 1e9;
    for (int run = 0; run < 2; ++run) {
      ChildProcess child({kCli, "add-to-batch", batch, film, "--wrap"});
      const ChildResult r = child.Wait();
      EXPECT_EQ(r.status, 0) << r.err;
      best = std::min(best, r.cpuSeconds);
    }
    return best;
  };
  const double once = seconds(100'000);
  const double twice = seconds(200'000);
  EXPECT_LT(twice / once, 3.0) << once << " s, then " << twice << " s";
}

TEST(RunawayOutput, EntriesLongerThanAnHourAreNamedOnce) {
  TempDir dir;
  std::string srt = MakeSrt(2);
  // One after the other, each past the last time a stamp can carry.
  for (int i = 3; i <= 9; ++i) {
    const int from = i == 3 ? 0 : (i - 1) * 10, to = i * 10;
    char times[64];
    std::snprintf(times, sizeof times, "%02d:00:10,000 --> %02d:00:10,000", from, to);
    srt += std::to_string(i) + "\n" + times + "\nAll day\n\n";
  }
  const std::string input = dir.Write("days.srt", srt);
  const CommandResult r = Cli("convert --quiet " + ShellQuote(input));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(CountOf(r.err, "shown for longer than an hour"), 1);
  EXPECT_EQ(r.err.find("warning: 7 entries are shown for longer than an hour (entry 3, 4, 5, 6, "
                       "7, …); each is written as one unit per 12 minutes of its display, which "
                       "makes the output large. Check the end times.\n"),
            0u)
      << r.err;
  // The encoder's warning of each entry past the time stamps' end: five,
  // then one line for the rest.
  EXPECT_EQ(CountOf(r.err, "lasts longer than a sub-picture can show it"), 5);
  EXPECT_NE(r.err.find("warning: 2 more warnings of this run not shown.\n"), std::string::npos);
}

}  // namespace
}  // namespace kestrelpix
