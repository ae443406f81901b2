// Real subtitle files (tests/data/real-subtitles, listed in MANIFEST.tsv):
// each converts with the default options, or is refused, as its manifest
// line says. Every pair that is written has an index whose times never go
// back, ffmpeg decodes as many pictures from it as the index lists, every
// subtitle ffmpeg reads from the source starts at a unit of the pair, and
// every line of text ffmpeg reads from the source is among the lines the
// layout draws for the file's entries.
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

#include "base/charset.h"
#include "base/message_sink.h"
#include "render/line_wrap.h"
#include "render/render_settings.h"
#include "render/text_decode.h"
#include "subtitle/subtitle_document.h"
#include "support/run_command.h"
#include "support/temp_dir.h"
#include "support/test_fonts.h"

namespace kestrelpix {
namespace {

using testing::CommandResult;
using testing::ReadFileBytes;
using testing::RunCommand;
using testing::ShellQuote;
using testing::TempDir;
using testing::TestFonts;

const std::string kCorpus = std::string(KESTRELPIX_SOURCE_DIR) + "/tests/data/real-subtitles/";

struct CorpusFile {
  std::string file;
  std::string ffmpeg;   // times, lines or none
  std::string demuxer;  // the format ffmpeg must be told, or empty
  std::string expect;
  std::string options;  // further convert options
  int units = -1;       // units of the pair when the manifest fixes them
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
    if (fields.size() < 6) {
      ADD_FAILURE() << "manifest line with fewer than six fields: " << line;
      continue;
    }
    CorpusFile f{fields[0], fields[1], "", fields[2], fields[3] == "-" ? "" : fields[3],
                 fields[4] == "-" ? -1 : std::stoi(fields[4]), fields[5]};
    const size_t colon = f.ffmpeg.find(':');
    if (colon != std::string::npos) {
      f.demuxer = f.ffmpeg.substr(colon + 1);
      f.ffmpeg.resize(colon);
    }
    files.push_back(f);
  }
  return files;
}

// One subtitle as ffmpeg reads it: its start in milliseconds and its lines.
struct FfmpegEvent {
  int64_t startMs = 0;
  int64_t endMs = 0;
  std::vector<std::string> lines;
};

// The subtitles of the source as ffmpeg writes them out as SubRip, its text
// read in `charenc` (an iconv name) when that is not empty.
std::vector<FfmpegEvent> FfmpegEvents(const CorpusFile& f, const std::string& charenc) {
  std::string command = "ffmpeg -nostdin -v error ";
  if (!charenc.empty()) command += "-sub_charenc " + ShellQuote(charenc) + " ";
  if (!f.demuxer.empty()) command += "-f " + ShellQuote(f.demuxer) + " ";
  command += "-i " + ShellQuote(kCorpus + f.file) + " -f srt -";
  const CommandResult r = RunCommand(command);
  std::vector<FfmpegEvent> events;
  std::stringstream lines(r.out);
  bool inText = false;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    int h, m, s, ms, h2, m2, s2, ms2;
    if (std::sscanf(line.c_str(), "%d:%d:%d,%d --> %d:%d:%d,%d", &h, &m, &s, &ms, &h2, &m2, &s2,
                    &ms2) == 8) {
      events.push_back({((h * 60LL + m) * 60 + s) * 1000 + ms,
                        ((h2 * 60LL + m2) * 60 + s2) * 1000 + ms2,
                        {}});
      inText = true;
    } else if (line.empty()) {
      inText = false;
    } else if (inText) {
      events.back().lines.push_back(line);
    }
  }
  return events;
}

// Whether text starts with an entity such as &amp; or &#39;.
bool IsEntity(std::string_view text) {
  const size_t end = text.find(';');
  if (end == std::string_view::npos || end < 2 || end > 8) return false;
  return std::all_of(text.begin() + 1, text.begin() + static_cast<std::ptrdiff_t>(end),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '#'; });
}

// Text with its entities (&amp; and the like, as a reader may keep them)
// and blanks (ASCII white space, no-break and ideographic spaces) taken
// out, for comparing.
std::string Comparable(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && IsEntity(text.substr(i))) {
      i = text.find(';', i);
    } else if (text.compare(i, 2, "\xC2\xA0") == 0) {
      ++i;
    } else if (text.compare(i, 3, "\xE3\x80\x80") == 0) {
      i += 2;
    } else if (!std::isspace(static_cast<unsigned char>(text[i]))) {
      out += text[i];
    }
  }
  return out;
}

// A line as ffmpeg writes it with its markup (<...> and {...}) and the
// breaks \N, \n and \h taken out, made comparable: what must be drawn of
// it.
std::string Letters(std::string_view line) {
  std::string text;
  char closing = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (closing != 0) {
      if (c == closing) closing = 0;
    } else if (c == '<') {
      closing = '>';
    } else if (c == '{') {
      closing = '}';
    } else if (c == '\\' && i + 1 < line.size() && std::string_view("Nnh").find(line[i + 1]) !=
                                                        std::string_view::npos) {
      ++i;
    } else {
      text += c;
    }
  }
  return Comparable(text);
}

// The index's unit times in milliseconds, in the order it lists them.
std::vector<int64_t> IndexTimes(const std::string& idx) {
  std::vector<int64_t> times;
  std::stringstream lines(idx);
  for (std::string line; std::getline(lines, line);) {
    int h, m, s, ms;
    if (std::sscanf(line.c_str(), "timestamp: %d:%d:%d:%d,", &h, &m, &s, &ms) == 4) {
      times.push_back(((h * 60LL + m) * 60 + s) * 1000 + ms);
    }
  }
  return times;
}

// How many pictures ffmpeg decodes from the pair.
int DecodedPictures(const std::string& idxPath) {
  const CommandResult r =
      RunCommand("ffprobe -v error -count_frames -select_streams s "
                 "-show_entries stream=nb_read_frames -of csv=p=0 " +
                 ShellQuote(idxPath));
  return r.out.empty() || !std::isdigit(static_cast<unsigned char>(r.out[0])) ? -1
                                                                               : std::stoi(r.out);
}

std::string ChosenFps(const CorpusFile& f) {
  const size_t p = f.options.find("--fps ");
  return p == std::string::npos ? RenderSettings().Fps : f.options.substr(p + 6);
}

class SilentSink : public MessageSink {
 public:
  void ShowMessage(std::string_view) override {}
};

// The file as the program loads it, and for each entry the lines the layout
// draws (as UTF-8, blanks taken out, joined), one entry a line.
struct LaidOut {
  bool loaded = false;
  std::string charenc;  // how ffmpeg must read the text to see what is drawn
  std::string drawn;
};

LaidOut LayOutFile(const CorpusFile& f) {
  SubtitleDocument doc;
  SilentSink sink;
  LoadOptions options;
  options.ChosenFps = ChosenFps(f);
  doc.LoadSubtitle(kCorpus + f.file, true, sink, options);
  LaidOut out;
  out.loaded = doc.Loaded;
  RenderSettings chosen;
  chosen.WrapLines = true;
  const RenderSettings settings = SettingsForText(chosen, &doc);
  if (settings.FontCharset != CharsetCode(CharsetId::kDefault)) {
    const CharsetRow* row = FindCharset(settings.FontCharset);
    if (row != nullptr && row->IconvName != nullptr) out.charenc = row->IconvName;
  }
  for (int i = 1; i <= doc.LineCount(); ++i) {
    const std::vector<std::string_view> lines = EntryTextLines(doc, i);
    // Text that is not UTF-8 reads as Windows-1252 where no code page is
    // chosen or detected.
    if (out.charenc.empty() && std::any_of(lines.begin(), lines.end(), [](std::string_view l) {
          return SystemTextToUtf8(l) != l;
        })) {
      out.charenc = "CP1252";
    }
    for (const std::string& line : LayOutLines(TestFonts(), lines, settings)) {
      out.drawn += Comparable(EncodeUtf8(DecodeText(line, settings.FontCharset)));
    }
    out.drawn += '\n';
  }
  return out;
}

// Converts a copy of the file in `out`, where the pair is written beside
// it.
CommandResult Convert(const CorpusFile& f, const TempDir& out, const std::string& extra) {
  std::string options;
  std::stringstream words(f.options + " " + extra);
  for (std::string word; words >> word;) options += ShellQuote(word) + " ";
  const std::string copy = out.path().string() + "/" + f.file;
  testing::WriteFileBytes(copy, ReadFileBytes(kCorpus + f.file));
  return RunCommand(ShellQuote(KESTRELPIX_CLI) + " convert --quiet " + options + ShellQuote(copy));
}

void CheckPair(const CorpusFile& f, const TempDir& out, const LaidOut& laid,
               const std::vector<FfmpegEvent>& events) {
  // The pair takes the input's name; an input named .sub keeps its name and
  // the pair is named NAME.vobsub.
  std::string extension = f.file.substr(f.file.rfind('.'));
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const std::string base = out.path().string() + "/" + f.file.substr(0, f.file.rfind('.'));
  const std::string idxPath = base + (extension == ".sub" ? ".vobsub.idx" : ".idx");
  EXPECT_EQ(ReadFileBytes(out.path().string() + "/" + f.file), ReadFileBytes(kCorpus + f.file));
  const std::vector<int64_t> units = IndexTimes(ReadFileBytes(idxPath));
  ASSERT_FALSE(units.empty());
  for (size_t i = 1; i < units.size(); ++i) {
    EXPECT_GE(units[i], units[i - 1]) << "the index goes back at unit " << i + 1;
  }
  EXPECT_EQ(DecodedPictures(idxPath), static_cast<int>(units.size()));
  if (f.units >= 0) {
    EXPECT_EQ(static_cast<int>(units.size()), f.units);
  }
  for (const FfmpegEvent& e : events) {
    // A subtitle shown for a time starts a unit. The index counts whole
    // milliseconds; frame numbers may round the other way.
    if ((f.ffmpeg == "times" || f.ffmpeg == "starts") && e.endMs > e.startMs) {
      EXPECT_TRUE(std::any_of(units.begin(), units.end(),
                              [&e](int64_t u) { return std::llabs(u - e.startMs) <= 1; }))
          << "no unit at " << e.startMs << " ms";
    }
    if (f.ffmpeg != "times" && f.ffmpeg != "lines") continue;
    for (const std::string& line : e.lines) {
      const std::string letters = Letters(line);
      if (letters.empty()) continue;
      EXPECT_NE(laid.drawn.find(letters), std::string::npos)
          << "the line \"" << line << "\" of the subtitle at " << e.startMs
          << " ms is not drawn";
    }
  }
}

class RealCorpus : public ::testing::TestWithParam<CorpusFile> {};

TEST_P(RealCorpus, ConvertsAsTheManifestSays) {
  const CorpusFile& f = GetParam();
  SCOPED_TRACE(f.file + ": " + f.note);
  // The file as the program loads and lays it out, and as ffmpeg reads it
  // in the same code page: it reads subtitles from it, or none, as the
  // manifest says.
  const LaidOut laid = LayOutFile(f);
  const std::vector<FfmpegEvent> events = FfmpegEvents(f, laid.charenc);
  EXPECT_EQ(events.empty(), f.ffmpeg == "none");

  TempDir plain;
  const CommandResult defaults = Convert(f, plain, "");
  if (f.expect == "defaults" || f.expect == "no-wrap") {
    ASSERT_EQ(defaults.status, 0) << defaults.err;
    ASSERT_TRUE(laid.loaded);
    CheckPair(f, plain, laid, events);
    TempDir unwrapped;
    const CommandResult noWrap = Convert(f, unwrapped, "--no-wrap");
    if (f.expect == "defaults") {
      EXPECT_EQ(noWrap.status, 0) << noWrap.err;
    } else {
      EXPECT_EQ(noWrap.status, 1);
      EXPECT_NE(noWrap.err.find(" is too wide: "), std::string::npos) << noWrap.err;
    }
  } else if (f.expect == "not-subtitle") {
    EXPECT_EQ(defaults.status, 1);
    EXPECT_NE(defaults.err.find("Unsupported Subtitle Format !"), std::string::npos);
  } else if (f.expect == "no-text") {
    EXPECT_EQ(defaults.status, 1);
    EXPECT_NE(defaults.err.find("entries hold no text: nothing to convert."), std::string::npos)
        << defaults.err;
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
  for (const CorpusFile& f : Manifest()) {
    listed.push_back(f.file);
    EXPECT_TRUE(f.ffmpeg == "times" || f.ffmpeg == "starts" || f.ffmpeg == "lines" ||
                f.ffmpeg == "none")
        << f.file;
    // A file ffmpeg reads no subtitle from has its units given.
    if (f.ffmpeg == "none" && f.expect != "not-subtitle" && f.expect != "no-text") {
      EXPECT_GE(f.units, 1) << f.file;
    }
  }
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(std::adjacent_find(listed.begin(), listed.end()), listed.end());
  std::vector<std::string> present;
  for (const auto& entry : std::filesystem::directory_iterator(kCorpus)) {
    const std::string name = entry.path().filename().string();
    if (name != "MANIFEST.tsv" && name != "PROVENANCE.md") present.push_back(name);
  }
  std::sort(present.begin(), present.end());
  EXPECT_EQ(listed, present);
  // The files that need their lines wrapped, for the record.
  int files = 0, wrapped = 0;
  for (const CorpusFile& f : Manifest()) {
    if (f.expect == "not-subtitle" || f.expect == "no-text") continue;
    ++files;
    wrapped += f.expect == "no-wrap";
  }
  std::printf("%d subtitle files convert with the defaults; %d of them only wrapped\n", files,
              wrapped);
  EXPECT_GE(files, 90);
}

}  // namespace
}  // namespace kestrelpix
