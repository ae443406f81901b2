// Arabic and Hebrew subtitles converted by the command-line tool into a
// VobSub pair, decoded by ffmpeg over a video and read back by OCR: the
// whole road from UTF-8 file text to the DVD bitmaps keeps the letters joined
// and in reading order. Skipped where ffmpeg, tesseract or its Arabic and
// Hebrew data are missing (scripts/install-deps.sh installs them).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/run_command.h"

namespace kestrelpix {
namespace {

using testing::HaveProgram;
using testing::RunCommand;
using testing::ShellQuote;
using testing::TempDir;

struct Entry {
  const char* start;  // SRT time
  const char* end;
  double seconds;  // a moment inside the entry
  std::vector<std::string> lines;
};

struct Subtitle {
  const char* name;
  const char* language;  // tesseract's
  std::vector<Entry> entries;
};

std::vector<Subtitle> Subtitles() {
  return {
      {"arabic",
       "ara",
       {
           // السلام عليكم يا صديقي / الكتاب على الطاولة
           {"00:00:01,000",
            "00:00:03,000",
            1.5,
            {"\xD8\xA7\xD9\x84\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85 \xD8\xB9\xD9\x84\xD9\x8A\xD9\x83"
             "\xD9\x85 \xD9\x8A\xD8\xA7 \xD8\xB5\xD8\xAF\xD9\x8A\xD9\x82\xD9\x8A",
             "\xD8\xA7\xD9\x84\xD9\x83\xD8\xAA\xD8\xA7\xD8\xA8 \xD8\xB9\xD9\x84\xD9\x89 \xD8\xA7"
             "\xD9\x84\xD8\xB7\xD8\xA7\xD9\x88\xD9\x84\xD8\xA9"}},
           // مرحبا بالعالم 2024: the number ends the sentence, at the left.
           {"00:00:04,000",
            "00:00:06,000",
            4.5,
            {"\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7 \xD8\xA8\xD8\xA7\xD9\x84\xD8\xB9\xD8\xA7"
             "\xD9\x84\xD9\x85 2024"}},
       }},
      {"hebrew",
       "heb",
       {
           // הספינה הגיעה לנמל / בשנת 1999 בבוקר
           {"00:00:01,000",
            "00:00:03,000",
            1.5,
            {"\xD7\x94\xD7\xA1\xD7\xA4\xD7\x99\xD7\xA0\xD7\x94 \xD7\x94\xD7\x92\xD7\x99\xD7\xA2"
             "\xD7\x94 \xD7\x9C\xD7\xA0\xD7\x9E\xD7\x9C",
             "\xD7\x91\xD7\xA9\xD7\xA0\xD7\xAA 1999 \xD7\x91\xD7\x91\xD7\x95\xD7\xA7\xD7\xA8"}},
           // שלום, מה שלומך? : the question mark ends the line, at the left.
           {"00:00:04,000",
            "00:00:06,000",
            4.5,
            {"\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D, \xD7\x9E\xD7\x94 \xD7\xA9\xD7\x9C\xD7\x95\xD7\x9E"
             "\xD7\x9A?"}},
       }},
  };
}

std::string SrtText(const Subtitle& s) {
  std::string text;
  int n = 1;
  for (const Entry& e : s.entries) {
    text += std::to_string(n++) + "\r\n" + e.start + " --> " + e.end + "\r\n";
    for (const std::string& line : e.lines) text += line + "\r\n";
    text += "\r\n";
  }
  return text;
}

std::vector<std::string> OcrLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string joined;
    for (std::string w; words >> w;) joined += (joined.empty() ? "" : " ") + w;
    if (!joined.empty()) lines.push_back(joined);
  }
  return lines;
}

TEST(RightToLeftConversion, DecodedPicturesReadInReadingOrder) {
  if (!HaveProgram("tesseract") || !HaveProgram("ffmpeg")) {
    GTEST_SKIP() << "tesseract or ffmpeg is not installed";
  }
  auto langs = RunCommand("tesseract --list-langs");
  for (const char* language : {"ara", "heb"}) {
    if ((langs.out + langs.err).find(std::string("\n") + language + "\n") == std::string::npos) {
      GTEST_SKIP() << "tesseract has no '" << language << "' data";
    }
  }
  TempDir dir;
  for (const Subtitle& s : Subtitles()) {
    SCOPED_TRACE(s.name);
    const std::string srt = (dir.path() / (std::string(s.name) + ".srt")).string();
    const std::string idx = (dir.path() / (std::string(s.name) + ".idx")).string();
    std::ofstream(srt, std::ios::binary) << SrtText(s);
    auto convert = RunCommand(ShellQuote(KESTRELPIX_CLI) + " convert " + ShellQuote(srt) +
                              " --palette pc --quiet");
    ASSERT_EQ(convert.status, 0) << convert.err;
    for (const Entry& e : s.entries) {
      SCOPED_TRACE(e.start);
      // The subtitle over a black PAL video, then dark text on a light
      // ground for tesseract.
      const std::string picture = (dir.path() / "picture.png").string();
      auto decode = RunCommand(
          "ffmpeg -loglevel error -y -f lavfi -i color=c=black:s=720x576:d=10 -i " +
          ShellQuote(idx) + " -filter_complex '[0:v][1:s]overlay,format=gray,negate' -ss " +
          std::to_string(e.seconds) + " -frames:v 1 " + ShellQuote(picture));
      ASSERT_EQ(decode.status, 0) << decode.err;
      auto ocr =
          RunCommand("tesseract " + ShellQuote(picture) + " stdout -l " + s.language + " --psm 6");
      ASSERT_EQ(ocr.status, 0) << ocr.err;
      EXPECT_EQ(OcrLines(ocr.out), e.lines) << "OCR read: " << ocr.out;
    }
  }
}

}  // namespace
}  // namespace kestrelpix
