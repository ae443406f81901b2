// A whole film converted end to end, then read by independent decoders:
// every unit decoded by spuunmux and encoded again by our rules gives our
// bytes exactly; ffprobe sees every subtitle with its time; mkvmerge muxes
// the pair without a warning.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "support/run_command.h"
#include "support/temp_dir.h"

namespace kestrelpix {
namespace {

using testing::CommandResult;
using testing::ReadFileBytes;
using testing::RunCommand;
using testing::ShellQuote;
using testing::TempDir;

// Film-like dialogue: one to three lines of varied length, punctuation,
// accented words, italics, numbers, and times with gaps and overlaps.
// `pictures` receives how many sub-pictures the film is shown with: one per
// stretch between two consecutive start or end times that some entry
// covers (counted the slow way, entry by entry).
std::string MakeFilm(int entries, unsigned seed, int maxWords, int* pictures = nullptr) {
  std::vector<std::pair<int, int>> spans;
  static const char* const kWords[] = {
      "the",   "harbour", "tide",  "was",   "low",     "when",      "we",        "reached",
      "bay",   "Look!",   "boats", "came",  "before",  "dawn,",     "Every",     "one",
      "name",  "painted", "bow.",  "Where", "is",      "master?",   "café",      "déjà",
      "vu",    "naïve",   "1912",  "7:30",  "\"No.\"", "it's",      "—",         "Ångström",
      "über",  "piñata",  "rope",  "lamp",  "and",     "patience.", "...",       "I'm",
      "going", "to",      "find",  "her",   "HELP",    "100%",      "(quietly)", "José"};
  std::mt19937 random(seed);
  std::string srt;
  int start = 1000;
  for (int i = 1; i <= entries; ++i) {
    start += 300 + static_cast<int>(random() % 5000);
    const int end = start + 700 + static_cast<int>(random() % 6000);
    spans.emplace_back(start, end);
    auto stamp = [](int ms) {
      char b[16];
      std::snprintf(b, sizeof b, "%02d:%02d:%02d,%03d", ms / 3600000, ms / 60000 % 60,
                    ms / 1000 % 60, ms % 1000);
      return std::string(b);
    };
    srt += std::to_string(i) + "\r\n" + stamp(start) + " --> " + stamp(end) + "\r\n";
    const int lines = 1 + static_cast<int>(random() % 3);
    for (int k = 0; k < lines; ++k) {
      std::string line;
      const int words = 1 + static_cast<int>(random() % static_cast<unsigned>(maxWords));
      for (int w = 0; w < words; ++w) {
        if (w > 0) line += ' ';
        line += kWords[random() % (sizeof kWords / sizeof *kWords)];
      }
      if (random() % 6 == 0) line = "<i>" + line + "</i>";
      srt += line + "\r\n";
    }
    srt += "\r\n";
  }
  if (pictures != nullptr) {
    std::set<int> times;
    for (const auto& [from, to] : spans) times.insert({from, to});
    *pictures = 0;
    for (auto t = times.begin(); std::next(t) != times.end(); ++t) {
      const int from = *t, to = *std::next(t);
      *pictures += std::any_of(spans.begin(), spans.end(),
                               [&](const auto& span) { return span.first <= from && span.second >= to; });
    }
  }
  return srt;
}

int CountOf(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

void CheckFilm(const std::string& options, unsigned seed, int maxWords = 7) {
  TempDir dir;
  int pictures = 0;  // those of 600 entries
  const std::string film = dir.Write("film.srt", MakeFilm(600, seed, maxWords, &pictures));
  EXPECT_GT(pictures, 600);
  const CommandResult convert = RunCommand(ShellQuote(KESTRELPIX_CLI) + " convert --quiet " +
                                           options + " " + ShellQuote(film));
  ASSERT_EQ(convert.status, 0) << convert.err;
  const std::string idx = (dir.path() / "film.idx").string();
  EXPECT_EQ(CountOf(ReadFileBytes(idx), "timestamp: "), pictures);

  const CommandResult reencode =
      RunCommand(ShellQuote(VOBSUB_REENCODE_CHECK) + " " + ShellQuote(idx));
  EXPECT_EQ(reencode.status, 0) << reencode.out << reencode.err;
  EXPECT_NE(reencode.out.find(std::to_string(pictures) + " of " + std::to_string(pictures) +
                              " units re-encode to the same bytes"),
            std::string::npos)
      << reencode.out << reencode.err;

  const CommandResult probe =
      RunCommand("ffprobe -v error -show_frames -of compact " + ShellQuote(idx));
  EXPECT_EQ(probe.status, 0);
  EXPECT_EQ(probe.err, "");
  EXPECT_EQ(CountOf(probe.out, "subtitle|media_type"), pictures);

  const CommandResult mux = RunCommand(
      "mkvmerge -o " + ShellQuote((dir.path() / "film.mkv").string()) + " " + ShellQuote(idx));
  EXPECT_EQ(mux.status, 0) << mux.out;
  EXPECT_EQ(CountOf(mux.out, "Warning"), 0) << mux.out;
}

TEST(FilmConformance, DefaultSettings) { CheckFilm("", 1); }

TEST(FilmConformance, LargeBoldItalicLeftWithWideOutline) {
  CheckFilm("--size 28 --style Bold+It+Und --outline 4 --align left --palette two", 2, 4);
}

TEST(FilmConformance, SafePaletteNtscSmallUnderlinedRight) {
  CheckFilm("--palette safe --fps 23.976 --size 16 --style Underline --align right --offset 200",
            3);
}

TEST(FilmConformance, DvdPaletteStrikeOutDejaVu) {
  CheckFilm("--palette dvd --font 'DejaVu Sans' --style StrikeOut --outline 2 --line-offset 6", 4);
}

// What ffprobe makes of a pair: each stream's language, and its packets'
// start times with the display ends of their decoded subtitles.
struct ProbedStream {
  std::string language;
  std::vector<std::string> times;  // "pts end_display_time" per packet
};

std::map<int, ProbedStream> ProbeStreams(const std::string& idx, std::string& failure) {
  const CommandResult r = RunCommand(
      "ffprobe -v error -show_streams -show_packets -show_frames -of compact " + ShellQuote(idx));
  if (r.status != 0 || !r.err.empty()) failure = r.err;
  auto field = [](const std::string& line, const std::string& name) {
    const size_t at = line.find("|" + name + "=");
    if (at == std::string::npos) return std::string();
    const size_t begin = at + name.size() + 2;
    return line.substr(begin, line.find('|', begin) - begin);
  };
  std::map<int, ProbedStream> streams;
  std::istringstream lines(r.out);
  std::string line;
  int last = -1;
  while (std::getline(lines, line)) {
    if (line.rfind("stream|", 0) == 0) {
      if (field(line, "codec_name") != "dvd_subtitle") failure += "not dvd_subtitle: " + line;
      streams[std::stoi(field(line, "index"))].language = field(line, "tag:language");
    } else if (line.rfind("packet|", 0) == 0) {
      last = std::stoi(field(line, "stream_index"));
      streams[last].times.push_back(field(line, "pts"));
    } else if (line.rfind("subtitle|", 0) == 0 && last >= 0) {
      streams[last].times.back() += " " + field(line, "end_display_time");
    }
  }
  return streams;
}

// spuunmux's units of one sub-stream: each unit's times and picture bytes.
std::vector<std::string> SpuunmuxStream(const std::string& sub, int stream,
                                        const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  const CommandResult r = RunCommand("spuunmux -s " + std::to_string(stream) + " -o " +
                                     ShellQuote((folder / "u").string()) + " " + ShellQuote(sub));
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string xml = ReadFileBytes((folder / "u.xml").string());
  std::vector<std::string> units;
  for (size_t at = xml.find("<spu "); at != std::string::npos; at = xml.find("<spu ", at + 1)) {
    const std::string element = xml.substr(at, xml.find('>', at) - at);
    auto attribute = [&element](const std::string& name) {
      const size_t a = element.find(" " + name + "=\"");
      if (a == std::string::npos) return std::string();
      const size_t begin = a + name.size() + 3;
      return element.substr(begin, element.find('"', begin) - begin);
    };
    units.push_back(attribute("start") + " " + attribute("end") + " " +
                    ReadFileBytes(attribute("image")));
  }
  return units;
}

// Three films in three languages: from the tag before the extension (en,
// fr) and from --language (de). Every decoder sees three streams with their
// languages, each stream holding exactly what its film converted alone holds.
TEST(FilmConformance, ThreeLanguagesMergedIntoOnePair) {
  TempDir dir;
  const char* const kNames[] = {"one.en.srt", "two.fr.srt", "three.srt"};
  const char* const kCodes[] = {"en", "fr", "de"};
  int pictures[3];
  std::string inputs;
  for (int i = 0; i < 3; ++i) {
    const std::string film = dir.Write(kNames[i], MakeFilm(150, 20 + i, 6, &pictures[i]));
    inputs += " " + ShellQuote(film);
    std::filesystem::create_directories(dir.path() / kCodes[i]);
    const CommandResult alone = RunCommand(
        ShellQuote(KESTRELPIX_CLI) + " convert --quiet --palette pc --language " + kCodes[i] +
        " --output-dir " + ShellQuote((dir.path() / kCodes[i]).string()) + " " + ShellQuote(film));
    ASSERT_EQ(alone.status, 0) << alone.err;
  }
  const std::string base = (dir.path() / "films").string();
  const CommandResult merge = RunCommand(ShellQuote(KESTRELPIX_CLI) +
                                         " convert --quiet --palette pc --language de --merge " +
                                         ShellQuote(base) + inputs);
  ASSERT_EQ(merge.status, 0) << merge.err;
  EXPECT_EQ(merge.out, base + ".idx\n" + base + ".sub\n" + base + ".Kestrelpix_Help.txt\n");
  EXPECT_EQ(CountOf(ReadFileBytes(base + ".idx"), "timestamp: "),
            pictures[0] + pictures[1] + pictures[2]);

  std::string failure;
  const std::map<int, ProbedStream> merged = ProbeStreams(base + ".idx", failure);
  EXPECT_EQ(failure, "");
  ASSERT_EQ(merged.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    const std::string dvd = (dir.path() / kCodes[i] / kNames[i]).string();
    const std::string single = dvd.substr(0, dvd.size() - 4);
    const std::map<int, ProbedStream> alone = ProbeStreams(single + ".idx", failure);
    EXPECT_EQ(failure, "");
    ASSERT_EQ(alone.size(), 1u);
    EXPECT_EQ(merged.at(i).language, kCodes[i]);
    EXPECT_EQ(merged.at(i).times, alone.at(0).times) << "stream " << i;

    const std::vector<std::string> units =
        SpuunmuxStream(base + ".sub", i, dir.path() / ("merged" + std::to_string(i)));
    EXPECT_EQ(units.size(), static_cast<size_t>(pictures[i]));
    EXPECT_TRUE(units ==
                SpuunmuxStream(single + ".sub", 0, dir.path() / ("alone" + std::to_string(i))))
        << "stream " << i << " differs from its film converted alone";
  }
  EXPECT_TRUE(SpuunmuxStream(base + ".sub", 3, dir.path() / "merged3").empty());

  const std::string mkv = (dir.path() / "films.mkv").string();
  const CommandResult mux =
      RunCommand("mkvmerge -o " + ShellQuote(mkv) + " " + ShellQuote(base + ".idx"));
  EXPECT_EQ(mux.status, 0) << mux.out;
  EXPECT_EQ(CountOf(mux.out, "Warning"), 0) << mux.out;
  // mkvmerge gives the languages in ISO 639-2.
  const CommandResult tracks = RunCommand("mkvmerge -J " + ShellQuote(mkv));
  EXPECT_EQ(CountOf(tracks.out, "\"type\": \"subtitles\""), 3) << tracks.out;
  const size_t eng = tracks.out.find("\"language\": \"eng\""),
               fre = tracks.out.find("\"language\": \"fre\""),
               ger = tracks.out.find("\"language\": \"ger\"");
  EXPECT_TRUE(eng < fre && fre < ger && ger != std::string::npos) << tracks.out;

  // A merge of one film is exactly that film's pair.
  const CommandResult one =
      RunCommand(ShellQuote(KESTRELPIX_CLI) + " convert --quiet --palette pc --merge " +
                 ShellQuote(base + "1") + inputs.substr(0, inputs.find(" '", 1)));
  ASSERT_EQ(one.status, 0) << one.err;
  for (const char* ext : {".idx", ".sub"}) {
    EXPECT_TRUE(ReadFileBytes(base + "1" + ext) ==
                ReadFileBytes((dir.path() / "en" / "one.en").string() + ext))
        << ext;
  }
}

}  // namespace
}  // namespace kestrelpix
