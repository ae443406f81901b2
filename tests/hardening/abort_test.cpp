// Ctrl-C at many points of a run: before the first entry, just after the
// files are created, in the middle, near the end, and in the fifteen-
// parameter form. Each time the entry in progress completes, both files are
// closed, and ffprobe reads the pair completely: as many subtitles as index
// lines, each index line pointing at a whole unit of the .sub.
//
// To interrupt at a known point the child is stopped (SIGSTOP) once the
// point is reached, the state is read while it cannot move on, and SIGINT
// is delivered as it continues.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "hardening/hardening_util.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

namespace kestrelpix {
namespace {

using namespace testing;
namespace fs = std::filesystem;

constexpr int kEntries = 4000;  // two packs each: a .sub of about 16 MB

struct Interrupted {
  bool signalled = false;  // the point was reached before the run ended
  ChildResult result;
};

uintmax_t SizeOf(const fs::path& p) {
  std::error_code ec;
  const uintmax_t size = fs::file_size(p, ec);
  return ec ? 0 : size;
}

// The temporary file a run writes in dir before it takes the name
// stem + ext (".film.sub.XXXXXX"), or "" when there is none.
fs::path Writing(const fs::path& dir, const std::string& stem, const std::string& ext) {
  const std::string prefix = "." + stem + ext + ".";
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec)) {
    if (e.path().filename().string().rfind(prefix, 0) == 0) return e.path();
  }
  return {};
}

Interrupted RunAndInterrupt(const std::vector<std::string>& argv,
                            const std::function<bool(const ChildProcess&)>& reached,
                            int sig = SIGINT) {
  Interrupted r;
  ChildProcess child(argv);
  while (child.Running()) {
    if (reached(child)) {
      child.Signal(SIGSTOP);
      if (reached(child)) {
        child.Signal(sig);
        r.signalled = true;
      }
      child.Signal(SIGCONT);
      if (r.signalled) break;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  r.result = child.Wait();
  return r;
}

// The pair an interrupted run left: returns its number of index lines after
// checking that it is whole and that ffprobe reads all of it.
int CheckPair(const fs::path& dir, const std::string& stem) {
  const std::string idx = ReadFileBytes((dir / (stem + ".idx")).string());
  const uintmax_t subSize = SizeOf(dir / (stem + ".sub"));
  EXPECT_EQ(subSize % 2048, 0u);
  EXPECT_FALSE(fs::exists(dir / (stem + ".Kestrelpix_Help.txt")));
  // Positions start at 0, increase, and the last unit lies inside the .sub.
  uint64_t previous = 0;
  int lines = 0;
  for (size_t p = idx.find("filepos: "); p != std::string::npos; p = idx.find("filepos: ", p + 1)) {
    const uint64_t pos = std::stoull(idx.substr(p + 9, 9), nullptr, 16);
    EXPECT_EQ(idx.substr(p + 18, 2), "\r\n");
    if (lines == 0)
      EXPECT_EQ(pos, 0u);
    else
      EXPECT_GT(pos, previous);
    EXPECT_LT(pos, subSize);
    previous = pos;
    ++lines;
  }
  EXPECT_EQ(FfprobeSubtitles((dir / (stem + ".idx")).string()), lines);
  return lines;
}

// What Ctrl-C prints: the abort press's message, then the summary.
std::string StoppedMessage(int entries, const fs::path& idx, const fs::path& sub) {
  return "Operation Aborted\nstopped after " + std::to_string(entries) + " entries; " +
         idx.string() + " and " + sub.string() + " hold them\n";
}

class AbortTest : public ::testing::Test {
 protected:
  // One complete run tells how large the whole .sub is.
  static void SetUpTestSuite() {
    TempDir dir;
    const std::string input = dir.Write("film.srt", MakeSrt(kEntries));
    ChildProcess child({kCli, "convert", "--quiet", input});
    ASSERT_EQ(child.Wait().status, 0);
    fullSub_ = SizeOf(dir.path() / "film.sub");
    ASSERT_EQ(FfprobeSubtitles((dir.path() / "film.idx").string()), kEntries);
  }
  void SetUp() override {
    ASSERT_GT(fullSub_, uintmax_t{4} << 20);
    input_ = dir_.Write("film.srt", MakeSrt(kEntries));
    argv_ = {kCli, "convert", "--quiet", input_};
  }
  fs::path Out(const char* ext) const { return dir_.path() / (std::string("film") + ext); }
  // The .sub being written, under its temporary name.
  uintmax_t SubOnDisk() const { return SizeOf(Writing(dir_.path(), "film", ".sub")); }

  static inline uintmax_t fullSub_ = 0;
  TempDir dir_;
  std::string input_;
  std::vector<std::string> argv_;
};

TEST_F(AbortTest, BeforeTheFirstEntryTheFirstEntryStillCompletes) {
  // The handler is in place and no file exists yet: the run is still
  // loading and checking the film. Ctrl-C there either stops the tool
  // before it starts this input (nothing written) or, once the run has
  // begun, lets the first entry complete. The second is the case to see.
  bool sawOneEntry = false;
  for (int attempt = 0; attempt < 5 && !sawOneEntry; ++attempt) {
    fs::remove(Out(".idx"));
    fs::remove(Out(".sub"));
    const Interrupted r = RunAndInterrupt(argv_, [&](const ChildProcess& c) {
      return c.Catches(SIGINT) && Writing(dir_.path(), "film", ".idx").empty();
    });
    ASSERT_TRUE(r.signalled);
    EXPECT_EQ(r.result.status, 130) << r.result.err;
    if (!fs::exists(Out(".idx"))) {
      EXPECT_FALSE(fs::exists(Out(".sub")));
      continue;
    }
    EXPECT_EQ(CheckPair(dir_.path(), "film"), 1);
    EXPECT_EQ(r.result.err, StoppedMessage(1, Out(".idx"), Out(".sub")));
    sawOneEntry = true;
  }
  EXPECT_TRUE(sawOneEntry);
}

TEST_F(AbortTest, EarlyMiddleAndLate) {
  struct Point {
    const char* name;
    uintmax_t subBytes;  // interrupt once the .sub on disk holds this much
  };
  // The .sub reaches the disk in 1 MiB steps (its buffer); 0 means as soon
  // as the file exists. "late" is the last step before the end.
  const uintmax_t mib = uintmax_t{1} << 20;
  const Point points[] = {
      {"early", 0}, {"middle", fullSub_ / 2}, {"late", (fullSub_ - 1) / mib * mib}};
  for (const Point& point : points) {
    SCOPED_TRACE(point.name);
    fs::remove(Out(".idx"));
    fs::remove(Out(".sub"));
    const Interrupted r = RunAndInterrupt(argv_, [&](const ChildProcess&) {
      return !Writing(dir_.path(), "film", ".sub").empty() && SubOnDisk() >= point.subBytes;
    });
    ASSERT_TRUE(r.signalled) << "the run ended before the point";
    EXPECT_EQ(r.result.status, 130) << r.result.err;
    const int lines = CheckPair(dir_.path(), "film");
    EXPECT_GE(lines, 1);
    EXPECT_LT(lines, kEntries);
    EXPECT_GE(SizeOf(Out(".sub")), point.subBytes);
    EXPECT_LT(SizeOf(Out(".sub")), fullSub_);
    EXPECT_EQ(r.result.err, StoppedMessage(lines, Out(".idx"), Out(".sub")));
  }
}

TEST_F(AbortTest, FifteenParameterRun) {
  // The window's defaults as list positions, as a batch line gives them.
  std::vector<std::string> argv = {kCli, input_};
  for (const char* v : {"0", "4", "0", "14", "0", "30", "-4", "1", "1", "0", "2", "41", "2", "2"}) {
    argv.push_back(v);
  }
  const Interrupted r =
      RunAndInterrupt(argv, [&](const ChildProcess&) { return SubOnDisk() >= fullSub_ / 2; });
  ASSERT_TRUE(r.signalled);
  EXPECT_EQ(r.result.status, 130);
  EXPECT_NE(r.result.err.find("Operation Aborted\n"), std::string::npos);
  const int lines = CheckPair(dir_.path(), "film");
  EXPECT_GE(SizeOf(Out(".sub")), fullSub_ / 2);
  EXPECT_LT(lines, kEntries);
}

TEST_F(AbortTest, TermAndHangupStopAsCtrlCDoes) {
  for (const int sig : {SIGTERM, SIGHUP}) {
    SCOPED_TRACE(sig);
    fs::remove(Out(".idx"));
    fs::remove(Out(".sub"));
    const Interrupted r = RunAndInterrupt(
        argv_, [&](const ChildProcess&) { return SubOnDisk() >= fullSub_ / 2; }, sig);
    ASSERT_TRUE(r.signalled);
    EXPECT_EQ(r.result.status, 128 + sig) << r.result.err;
    const int lines = CheckPair(dir_.path(), "film");
    EXPECT_LT(lines, kEntries);
    EXPECT_EQ(r.result.err, StoppedMessage(lines, Out(".idx"), Out(".sub")));
  }
}

TEST_F(AbortTest, AnEarlierPairStaysUntilTheRunEnds) {
  ChildProcess first(argv_);
  ASSERT_EQ(first.Wait().status, 0);
  const std::string idx = ReadFileBytes(Out(".idx").string());
  // In the middle of a second run the names still hold the first run's
  // pair, whole.
  const Interrupted r = RunAndInterrupt(argv_, [&](const ChildProcess&) {
    if (SubOnDisk() < fullSub_ / 2) return false;
    EXPECT_EQ(ReadFileBytes(Out(".idx").string()), idx);
    EXPECT_EQ(SizeOf(Out(".sub")), fullSub_);
    return true;
  });
  ASSERT_TRUE(r.signalled);
  EXPECT_LT(CheckPair(dir_.path(), "film"), kEntries);
}

TEST(ParallelAbort, AChildKilledBySignalIsAFailureNamingIt) {
  TempDir dir;
  const std::string a = dir.Write("a.srt", MakeSrt(kEntries));
  const std::string b = dir.Write("b.srt", MakeSrt(kEntries));
  ChildProcess parent({kCli, "convert", "--quiet", "--jobs", "2", a, b});
  // Both children are converting once both temporary .sub files exist.
  bool killed = false;
  while (parent.Running() && !killed) {
    if (!Writing(dir.path(), "a", ".sub").empty() && !Writing(dir.path(), "b", ".sub").empty()) {
      std::ifstream children("/proc/" + std::to_string(parent.pid()) + "/task/" +
                             std::to_string(parent.pid()) + "/children");
      for (pid_t pid; children >> pid;) killed = ::kill(pid, SIGKILL) == 0 || killed;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  const ChildResult r = parent.Wait();
  ASSERT_TRUE(killed) << "the run ended before both children were found";
  EXPECT_EQ(r.status, 1) << r.err;
  // In the order the children ended.
  const std::string killedText =
      ": the conversion was killed by signal 9 (Killed); its outputs "
      "were not finished\n";
  EXPECT_EQ(r.err.size(), a.size() + b.size() + 2 * killedText.size()) << r.err;
  EXPECT_NE(r.err.find(a + killedText), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(b + killedText), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir.path() / "a.idx"));
  EXPECT_FALSE(fs::exists(dir.path() / "b.idx"));
}

// The processes of --jobs stop with their parent: a stop signal sent to it
// alone is passed on, and its death ends them. Each leaves a shorter pair
// that ffprobe reads whole, and no temporary file.
TEST(ParallelAbort, ASignalToTheParentStopsTheChildren) {
  const std::set<std::string> stopped = {"a.srt", "a.idx", "a.sub", "b.srt", "b.idx", "b.sub"};
  for (const int sig : {SIGTERM, SIGHUP, SIGKILL}) {
    SCOPED_TRACE(sig);
    TempDir dir;
    const std::string a = dir.Write("a.srt", MakeSrt(kEntries));
    const std::string b = dir.Write("b.srt", MakeSrt(kEntries));
    // Both children are converting once both temporary .sub files exist.
    const Interrupted r = RunAndInterrupt(
        {kCli, "convert", "--quiet", "--jobs", "2", a, b},
        [&](const ChildProcess&) {
          return !Writing(dir.path(), "a", ".sub").empty() &&
                 !Writing(dir.path(), "b", ".sub").empty();
        },
        sig);
    ASSERT_TRUE(r.signalled);
    EXPECT_EQ(r.result.status, 128 + sig) << r.result.err;
    for (int i = 0; i < 6000 && Names(dir.path()) != stopped; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(Names(dir.path()), stopped);
    EXPECT_LT(CheckPair(dir.path(), "a"), kEntries);
    EXPECT_LT(CheckPair(dir.path(), "b"), kEntries);
    if (sig != SIGKILL) {
      EXPECT_EQ(CountOf(r.result.err, ": stopped after "), 2) << r.result.err;
    }
  }
}

}  // namespace
}  // namespace kestrelpix
