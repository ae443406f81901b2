// The input changes between the format test and the reading loop: it is
// removed, replaced by a FIFO or a folder, or its reads start failing. A
// conversion opens the input several times (the format test reads its first
// lines, the reading loop reads it again); this program replaces the C
// library's open() so that a test can act just before the last of those
// opens, which is the reading loop's. The conversion must end with a
// message naming the file, exit status 1, no output files and no hang.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdarg>
#include <filesystem>
#include <functional>
#include <string>

#include "hardening/hardening_util.h"
#include "job/headless_run.h"
#include "support/collecting_sink.h"
#include "support/temp_dir.h"

namespace {

// The hook: counts the opens of one path and runs an action before the
// open numbered `at` (1-based); 0 only counts.
struct OpenHook {
  std::string path;
  int at = 0;
  int seen = 0;
  std::function<void()> before;
  // When set, the open is redirected to this path instead.
  std::string redirect;
};
OpenHook* g_hook = nullptr;

}  // namespace

extern "C" int open(const char* path, int flags, ...) {
  using OpenFn = int (*)(const char*, int, ...);
  static const OpenFn real = reinterpret_cast<OpenFn>(::dlsym(RTLD_NEXT, "open"));
  mode_t mode = 0;
  if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
    va_list args;
    va_start(args, flags);
    mode = static_cast<mode_t>(va_arg(args, int));
    va_end(args);
  }
  if (g_hook != nullptr && g_hook->path == path && ++g_hook->seen == g_hook->at) {
    if (g_hook->before) g_hook->before();
    if (!g_hook->redirect.empty()) return real(g_hook->redirect.c_str(), flags, mode);
  }
  return real(path, flags, mode);
}

namespace kestrelpix {
namespace {

using namespace testing;
namespace fs = std::filesystem;

struct Outcome {
  ConversionReport report;
  std::vector<std::string> messages;
};

Outcome Convert(const std::string& input) {
  CollectingMessageSink sink;
  Outcome o;
  o.report = ConvertHeadless(input, RenderSettings{}, "", sink);
  o.messages = sink.messages;
  return o;
}

class InputVanishTest : public ::testing::Test {
 protected:
  void SetUp() override {
    input_ = dir_.Write("film.srt", MakeSrt(50));
    // A clean run counts the opens of the input; the last is the reading
    // loop's.
    OpenHook counter;
    counter.path = input_;
    g_hook = &counter;
    const Outcome clean = Convert(input_);
    g_hook = nullptr;
    ASSERT_EQ(clean.report.Outcome, JobOutcome::Completed);
    ASSERT_GE(counter.seen, 2);
    readingOpen_ = counter.seen;
    for (const char* ext : {".idx", ".sub", ".Kestrelpix_Help.txt"}) {
      fs::remove(dir_.path() / (std::string("film") + ext));
    }
  }

  // Converts with `before` run just before the reading loop opens the input.
  Outcome ConvertChangingInput(std::function<void()> before, std::string redirect = "") {
    OpenHook hook{input_, readingOpen_, 0, std::move(before), std::move(redirect)};
    g_hook = &hook;
    Outcome o = Convert(input_);
    g_hook = nullptr;
    EXPECT_EQ(hook.seen, readingOpen_);
    return o;
  }

  void ExpectFailedWithoutOutputs(const Outcome& o, const std::string& message,
                                  const std::set<std::string>& left) {
    EXPECT_EQ(o.report.Outcome, JobOutcome::Failed);
    EXPECT_EQ(ExitStatusFor(o.report.Outcome), 1);
    EXPECT_EQ(o.messages, std::vector<std::string>{message});
    EXPECT_EQ(Names(dir_.path()), left);
  }

  TempDir dir_;
  std::string input_;
  int readingOpen_ = 0;
};

TEST_F(InputVanishTest, Removed) {
  const Outcome o = ConvertChangingInput([&] { fs::remove(input_); });
  ExpectFailedWithoutOutputs(o, "Cannot open file \"" + input_ + "\": File not found", {});
}

TEST_F(InputVanishTest, ReplacedByAFifo) {
  // An ordinary open would wait here for a writer that never comes.
  const Outcome o = ConvertChangingInput([&] {
    fs::remove(input_);
    ASSERT_EQ(::mkfifo(input_.c_str(), 0644), 0);
  });
  ExpectFailedWithoutOutputs(o,
                             "Cannot open file \"" + input_ +
                                 "\": it is not a regular file (a FIFO, a socket or a device)",
                             {"film.srt"});
  EXPECT_TRUE(fs::is_fifo(input_));
}

TEST_F(InputVanishTest, ReplacedByAFolder) {
  const Outcome o = ConvertChangingInput([&] {
    fs::remove(input_);
    fs::create_directory(input_);
  });
  ExpectFailedWithoutOutputs(o, "Cannot open file \"" + input_ + "\": it is a folder",
                             {"film.srt"});
}

TEST_F(InputVanishTest, ReadsFailWithAnIoError) {
  // /proc/self/mem is a regular file whose read at offset 0 fails with EIO,
  // as a failing disk or a lost network share would.
  const Outcome o = ConvertChangingInput(nullptr, "/proc/self/mem");
  ExpectFailedWithoutOutputs(
      o, "Cannot read file \"" + input_ + "\": I/O error 5 (Input/output error)", {"film.srt"});
  EXPECT_EQ(ReadFileBytes(input_), MakeSrt(50));
}

}  // namespace
}  // namespace kestrelpix
