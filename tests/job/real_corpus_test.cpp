// Real subtitle files (tests/data/real-subtitles, listed in MANIFEST.tsv):
// each converts, or is refused, as its manifest line says, and every pair
// that is written reads back in ffprobe with one dvd_subtitle unit for each
// subtitle that ffmpeg reads from the source, at the same times.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <vector>

#include "support/run_command.h"
#include "support/temp_dir.h"

namespace kestrelpix {
namespace {

using testing::CommandResult;
using testing::ReadFileBytes;
using testing::RunCommand;
using testing::ShellQuote;
using testing::TempDir;

const std::string kCorpus = std::string(KESTRELPIX_SOURCE_DIR) + "/tests/data/real-subtitles/";

struct CorpusFile {
  std::string file;
  bool players = false;
  std::string expect;
  std::string options;  // further convert options
  int units = -1;       // units of the pair when not as ffmpeg reads the file
  std::string note;
};

// Test names and failures show the file's name.
void PrintTo(const CorpusFile& f, std::ostream* os) { *os << f.file; }

std::vector<CorpusFile> Manifest() {
  std::vector<CorpusFile> files;
  std::ifstream in(kCorpus + "MANIFEST.tsv");
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::stringstream split(line);
    for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
    if (fields.size() < 6) continue;
    files.push_back({fields[0], fields[1] == "yes", fields[2], fields[3] == "-" ? "" : fields[3],
                     fields[4] == "-" ? -1 : std::stoi(fields[4]), fields[5]});
  }
  return files;
}

// The start times, in seconds, of the subtitle packets ffprobe reads.
std::vector<double> PacketTimes(const std::string& path) {
  const CommandResult r =
      RunCommand("ffprobe -v error -select_streams s -show_entries packet=pts_time -of csv=p=0 " +
                 ShellQuote(path));
  std::vector<double> times;
  std::stringstream lines(r.out);
  for (std::string t; std::getline(lines, t);) {
    if (!t.empty() && t != "N/A") times.push_back(std::stod(t));
  }
  std::sort(times.begin(), times.end());
  return times;
}

int CountOf(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

// A frame-numbered file whose first line gives the frame rate lists that
// line as an entry of its own, shown from its first frame.
bool HasFrameRateLine(const std::string& bytes) {
  size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  return bytes.compare(start, 6, "{1}{1}") == 0;
}

CommandResult Convert(const CorpusFile& f, const TempDir& out, bool wrap) {
  std::string options;
  std::stringstream words(f.options);
  for (std::string word; words >> word;) options += ShellQuote(word) + " ";
  return RunCommand(ShellQuote(KESTRELPIX_CLI) + " convert --quiet " + (wrap ? "" : "--no-wrap ") +
                    options + "--output-dir " + ShellQuote(out.path().string()) + " " +
                    ShellQuote(kCorpus + f.file));
}

// The pair in `out` holds one unit for each of the source's subtitles.
void CheckPair(const CorpusFile& f, const TempDir& out) {
  const std::string base = out.path().string() + "/" + f.file.substr(0, f.file.rfind('.'));
  const std::string idx = ReadFileBytes(base + ".idx");
  const std::vector<double> units = PacketTimes(base + ".idx");
  EXPECT_EQ(static_cast<int>(units.size()), CountOf(idx, "timestamp: "));
  ASSERT_FALSE(units.empty());
  if (!f.players) return;
  std::vector<double> expected = PacketTimes(kCorpus + f.file);
  if (f.units >= 0) {
    // The pair holds more than ffmpeg reads: those it reads are among them.
    EXPECT_EQ(static_cast<int>(units.size()), f.units);
    for (double t : expected) {
      EXPECT_TRUE(std::any_of(units.begin(), units.end(),
                              [t](double u) { return std::abs(u - t) < 0.0015; }))
          << "no unit at " << t;
    }
    return;
  }
  if (HasFrameRateLine(ReadFileBytes(kCorpus + f.file)) && !units.empty() && units[0] < 0.1) {
    expected.insert(expected.begin(), units[0]);
  }
  ASSERT_EQ(units.size(), expected.size());
  for (size_t i = 0; i < units.size(); ++i) {
    // The index counts whole milliseconds.
    EXPECT_NEAR(units[i], expected[i], 0.0015) << "unit " << i;
  }
}

class RealCorpus : public ::testing::TestWithParam<CorpusFile> {};

TEST_P(RealCorpus, ConvertsAsTheManifestSays) {
  const CorpusFile& f = GetParam();
  SCOPED_TRACE(f.file + ": " + f.note);
  // The manifest's word on players holds: ffmpeg reads subtitles from the
  // file, or none.
  EXPECT_EQ(!PacketTimes(kCorpus + f.file).empty(), f.players);

  TempDir plain;
  const CommandResult defaults = Convert(f, plain, false);
  TempDir wrapped;
  const CommandResult wrapping = Convert(f, wrapped, true);
  if (f.expect == "defaults") {
    ASSERT_EQ(defaults.status, 0) << defaults.err;
    CheckPair(f, plain);
    ASSERT_EQ(wrapping.status, 0) << wrapping.err;
    CheckPair(f, wrapped);
  } else if (f.expect == "wrap") {
    EXPECT_EQ(defaults.status, 1);
    EXPECT_NE(defaults.err.find(" is too wide: "), std::string::npos) << defaults.err;
    EXPECT_NE(defaults.err.find("Please wrap long lines (leave out --no-wrap)"), std::string::npos);
    ASSERT_EQ(wrapping.status, 0) << wrapping.err;
    CheckPair(f, wrapped);
  } else if (f.expect == "refused") {
    EXPECT_EQ(defaults.status, 1);
    EXPECT_EQ(wrapping.status, 1);
    EXPECT_NE(wrapping.err.find("Even wrapped it is too wide"), std::string::npos) << wrapping.err;
  } else if (f.expect == "not-subtitle") {
    EXPECT_EQ(defaults.status, 1);
    EXPECT_NE(defaults.err.find("Unsupported Subtitle Format !"), std::string::npos);
  } else {
    ADD_FAILURE() << "unknown expectation '" << f.expect << "'";
  }
}

std::string CaseName(const ::testing::TestParamInfo<CorpusFile>& info) {
  std::string name = info.param.file;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Files, RealCorpus, ::testing::ValuesIn(Manifest()), CaseName);

TEST(RealCorpusManifest, ListsEveryFileOfTheFolderOnce) {
  std::vector<std::string> listed;
  for (const CorpusFile& f : Manifest()) listed.push_back(f.file);
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(std::adjacent_find(listed.begin(), listed.end()), listed.end());
  std::vector<std::string> present;
  for (const auto& entry : std::filesystem::directory_iterator(kCorpus)) {
    const std::string name = entry.path().filename().string();
    if (name != "MANIFEST.tsv" && name != "PROVENANCE.md") present.push_back(name);
  }
  std::sort(present.begin(), present.end());
  EXPECT_EQ(listed, present);
  // The share of files players read that convert, with the defaults or
  // with wrapping, for the record.
  int read = 0, plain = 0, wrap = 0;
  for (const CorpusFile& f : Manifest()) {
    if (!f.players) continue;
    ++read;
    plain += f.expect == "defaults";
    wrap += f.expect == "defaults" || f.expect == "wrap";
  }
  std::printf("players read %d files; %d convert with --no-wrap, %d with the defaults\n", read,
              plain, wrap);
  EXPECT_GE(read, 30);
}

}  // namespace
}  // namespace kestrelpix
