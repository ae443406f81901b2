// The list command prints what the load action reads, byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "support/run_command.h"
#include "support/temp_dir.h"

namespace kestrelpix {
namespace {

using testing::ReadFileBytes;
using testing::RunCommand;
using testing::ShellQuote;
using testing::TempDir;

const std::string kData = std::string(KESTRELPIX_SOURCE_DIR) + "/tests/subtitle/data/";

testing::CommandResult List(const std::string& path) {
  return RunCommand(std::string(KESTRELPIX_CLI) + " list " + ShellQuote(path));
}

TEST(ListCommand, AwkwardFilesMatchTheirHandWrittenListings) {
  // Each NAME.expected is the listing of NAME, written by hand; NAME.notes
  // what the load says about it on stderr (nothing when there is none).
  int files = 0;
  for (const auto& item : std::filesystem::directory_iterator(kData)) {
    const std::string expected = item.path().string();
    if (!expected.ends_with(".expected")) continue;
    const std::string input = expected.substr(0, expected.size() - 9);
    const std::string name = std::filesystem::path(input).filename().string();
    const std::string notes = input + ".notes";
    const auto r = List(input);
    EXPECT_EQ(r.status, 0) << name << ": " << r.err;
    EXPECT_EQ(r.out, ReadFileBytes(expected)) << name;
    EXPECT_EQ(r.err, std::filesystem::exists(notes) ? ReadFileBytes(notes) : "") << name;
    ++files;
  }
  EXPECT_EQ(files, 19);
}

TEST(ListCommand, RefusalsGoToStderrWithStatusOne) {
  TempDir dir;
  auto r = List(dir.Write("x.doc", "hello"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.substr(0, 30), "Unsupported Subtitle Format !\n");
  EXPECT_NE(r.err.find("\nA subtitle file is SubRip (.srt: "), std::string::npos) << r.err;

  // No frame-rate line: the frames count at the rate convert would use.
  r = List(dir.Write("norate.txt", "{1}{2}x\n"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "1\t40\t80\tx\t\t\n");
  EXPECT_EQ(r.err,
            "warning: Read as MicroDVD by the tolerant reader: no frame-rate line: frames counted "
            "at the chosen 25.000 frames per second.\n");
  r = RunCommand(std::string(KESTRELPIX_CLI) + " list --fps 23.976 " +
                 ShellQuote(dir.path() / "norate.txt"));
  EXPECT_EQ(r.out, "1\t42\t83\tx\t\t\n");
  r = RunCommand(std::string(KESTRELPIX_CLI) + " list --fps fast " +
                 ShellQuote(dir.path() / "norate.txt"));
  EXPECT_EQ(r.status, 2);

  // A conversion error prints the entries read before it. (Minute 99 is
  // read by the fixed columns only, so the tolerant reading, tried when the
  // strict reader stops, finds no entry either.)
  r = List(dir.Write("stop.srt",
                     "1\n00:99:01,000 --> 00:00:02,000\nfirst\n\n"
                     "2\n00:00:0x,000 --> 00:00:04,000\nsecond\n"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "1\t5941000\t2000\tfirst\t\t\n");
  EXPECT_EQ(r.err, "Line 6 (entry 2): '0x' is not a valid integer value\n");

  r = RunCommand(std::string(KESTRELPIX_CLI) + " list");
  EXPECT_EQ(r.status, 2);
}

TEST(ListCommand, HostileBytesGiveEntriesOrAMessage) {
  TempDir dir;
  std::mt19937 random(7);
  std::string binary(100000, '\0');
  for (char& c : binary) c = static_cast<char>(random());
  // Binary data whose second line carries the arrow, so the SubRip reader
  // really scans it.
  const std::string header = "1\n00:00:01,000 --> 00:00:02,000\n";
  for (const std::string& bytes :
       {header + binary, std::string("{1}{1}25\n") + binary, binary, header + std::string(5, '\0'),
        header + "text\r\r\r\r", header + "\x1A\x1A"}) {
    for (const char* name : {"b.srt", "b.txt", "b.sub"}) {
      const auto r = List(dir.Write(name, bytes));
      EXPECT_TRUE(r.status == 0 || r.status == 1) << name << " status " << r.status;
      if (r.status == 1) {
        EXPECT_FALSE(r.err.empty()) << name;
      }
    }
  }
}

TEST(ListCommand, OneFiftyMegabyteLine) {
  TempDir dir;
  std::string text = "1\n00:00:01,000 --> 00:00:02,000\n";
  text += std::string(50 * 1000 * 1000, 'w');
  text += "\n";
  const auto r = List(dir.Write("long.srt", text));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.size(), std::string("1\t1000\t2000\t\t\t\n").size() + 50 * 1000 * 1000);
}

TEST(ListCommand, ThousandEntryFilmRoundTrips) {
  // A film of 1000 entries with one to three lines, CR LF, some tags; the
  // listing must give back every time and text.
  TempDir dir;
  std::string srt, expected;
  std::mt19937 random(42);
  int start = 0;
  for (int i = 1; i <= 1000; ++i) {
    start += 500 + static_cast<int>(random() % 4000);
    const int end = start + 1000 + static_cast<int>(random() % 3000);
    auto stamp = [](int ms) {
      char b[16];
      std::snprintf(b, sizeof b, "%02d:%02d:%02d,%03d", ms / 3600000, ms / 60000 % 60,
                    ms / 1000 % 60, ms % 1000);
      return std::string(b);
    };
    const int lines = 1 + static_cast<int>(random() % 3);
    std::string texts[3];
    for (int k = 0; k < lines; ++k)
      texts[k] = "Line " + std::to_string(k + 1) + " of entry " + std::to_string(i);
    srt += std::to_string(i) + "\r\n" + stamp(start) + " --> " + stamp(end) + "\r\n";
    for (int k = 0; k < lines; ++k) srt += (k == 0 ? "<i>" + texts[k] + "</i>" : texts[k]) + "\r\n";
    srt += "\r\n";
    expected += std::to_string(i) + "\t" + std::to_string(start) + "\t" + std::to_string(end) +
                "\t" + texts[0] + "\t" + texts[1] + "\t" + texts[2] + "\n";
  }
  const auto r = List(dir.Write("film.srt", srt));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, expected);
}

}  // namespace
}  // namespace kestrelpix
