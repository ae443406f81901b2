// The SAMI and TTML readers: what their whole files read as is in
// tests/subtitle/data (classes.smi, layout.ttml, smpte.dfxp and their
// listings); here the pieces those files cannot show in one reading.
#include <gtest/gtest.h>

#include "base/errors.h"
#include "subtitle/sami_reader.h"
#include "subtitle/subtitle_document.h"
#include "subtitle/ttml_reader.h"
#include "support/collecting_sink.h"
#include "support/temp_dir.h"

namespace kestrelpix {
namespace {

using testing::CollectingMessageSink;
using testing::ReadFileBytes;

const std::string kData = std::string(KESTRELPIX_SOURCE_DIR) + "/tests/subtitle/data/";

TEST(TtmlReader, EveryTimeForm) {
  TtmlRates plain;
  TtmlRates film;  // 24 x 1000/1001, ticks left to default: sub-frames
  film.FrameRate = 24, film.FrameRateMultiplier = 1000.0 / 1001, film.FrameRateGiven = true;
  TtmlRates ticks;
  ticks.TickRate = 10000000;
  TtmlRates smpte;  // 30 x 1000/1001, time codes
  smpte.FrameRate = 30, smpte.FrameRateMultiplier = 1000.0 / 1001, smpte.Smpte = true;
  smpte.SubFrameRate = 2, smpte.FrameRateGiven = true;
  struct Row {
    const char* text;
    const TtmlRates& rates;
    int64_t ms;  // -1: no time expression
  } const rows[] = {
      {"00:00:00", plain, 0},
      {"01:02:03", plain, 3723000},
      {" 00:00:11.2 ", plain, 11200},
      {"00:00:11.2005", plain, 11201},
      {"100:00:00.001", plain, 360000001},
      {"00:00:01:15", plain, 1500},     // 15 frames at the default 30
      {"00:00:15:00", film, 15000},     // media time: seconds are seconds
      {"00:00:01:12", film, 1501},      // + 12 / 23.976 s
      {"00:01:00:00", smpte, 60060},    // frame 1800 at 29.97
      {"00:01:00:29.1", smpte, 61044},  // 1829.5 frames
      {"12.5s", plain, 12500},
      {"0.1m", plain, 6000},
      {"1.5h", plain, 5400000},
      {"250ms", plain, 250},
      {"360f", film, 15015},
      {"424f", film, 17684},
      {"30f", plain, 1000},
      {"1374000000t", ticks, 137400},
      {"7t", plain, 7000},  // no tick or frame rate: ticks are seconds
      {"48t", film, 2002},  // ticks are sub-frames of the frame rate
      {"", plain, -1},
      {"12", plain, -1},
      {"12 s", plain, -1},
      {"1.5x", plain, -1},
      {"-1s", plain, -1},
      {"00:60:00", plain, -1},
      {"00:00", plain, -1},
      {"00:00:01.5:02", plain, -1},
      {"00:00:00:00:00", plain, -1},
      {"1e9999s", plain, -1},
      {"99999999999999999999h", plain, -1},
  };
  for (const Row& row : rows) {
    const std::optional<int64_t> ms = TtmlTimeToMs(row.text, row.rates);
    EXPECT_EQ(ms.value_or(-1), row.ms) << '"' << row.text << '"';
  }
}

// The place of the first entry of a document whose head holds `layout` and
// whose body is `body`.
Placement PlaceIn(const std::string& layout, const std::string& body) {
  const std::string file =
      "<tt xmlns='http://www.w3.org/ns/ttml' xmlns:tts='s'><head><styling>"
      "<style xml:id='c' tts:textAlign='center'/><style xml:id='r' style='c' "
      "tts:textAlign='right'/><style xml:id='geo' tts:origin='0% 85%'/></styling><layout>" +
      layout + "</layout></head><body>" + body + "</body></tt>";
  SubtitleDocument doc;
  CollectingMessageSink sink;
  doc.LoadSubtitleBytes(file, ".ttml", true, sink);
  EXPECT_EQ(doc.LineCount(), 1) << body;
  return doc.LineCount() > 0 ? doc.GetLine(1).Place : Placement{99, 99};
}

TEST(TtmlReader, PlaceFromRegionAndAlignment) {
  struct Row {
    const char* layout;
    const char* body;
    uint8_t align;
  } const rows[] = {
      // Nothing said: the chosen settings place it.
      {"", "<p begin='1s' end='2s'>x</p>", 0},
      {"<region xml:id='a'/>", "<p begin='1s' end='2s' region='a'>x</p>", 0},
      // displayAlign alone: the region is the whole frame.
      {"<region xml:id='a' tts:displayAlign='before'/>", "<p begin='1s' end='2s' region='a'>x</p>",
       8},
      {"<region xml:id='a' tts:displayAlign='after'/>", "<p begin='1s' end='2s' region='a'>x</p>",
       2},
      {"<region xml:id='a'><style tts:displayAlign='center'/></region>",
       "<p begin='1s' end='2s' region='a'>x</p>", 5},
      // The origin and extent: the text's edge decides the third.
      {"<region xml:id='a' tts:origin='10% 10%' tts:extent='80% 40%'/>",
       "<p begin='1s' end='2s' region='a'>x</p>", 8},
      {"<region xml:id='a' tts:origin='10% 30%' tts:extent='80% 40%' "
       "tts:displayAlign='center'/>",
       "<p begin='1s' end='2s' region='a'>x</p>", 5},
      {"<region xml:id='a' tts:origin='10% 50%' tts:extent='80% 40%' "
       "tts:displayAlign='after'/>",
       "<p begin='1s' end='2s' region='a'>x</p>", 2},
      {"<region xml:id='a' tts:origin='0% 87%' tts:extent='100% 13%'/>",
       "<p begin='1s' end='2s' region='a'>x</p>", 2},
      // In pixels the origin says nothing; displayAlign still does.
      {"<region xml:id='a' tts:origin='0px 10px' tts:displayAlign='before'/>",
       "<p begin='1s' end='2s' region='a'>x</p>", 8},
      // The region named by the body; the geometry in the paragraph's style.
      {"<region xml:id='a' tts:displayAlign='before'/>",
       "<div region='a'><p begin='1s' end='2s'>x</p></div>", 8},
      {"", "<p begin='1s' end='2s' style='geo'>x</p>", 2},
      // textAlign through style chains, the paragraph's before its region's.
      {"", "<p begin='1s' end='2s' tts:textAlign='start'>x</p>", 1},
      {"", "<p begin='1s' end='2s' style='r'>x</p>", 3},
      {"", "<div style='c'><p begin='1s' end='2s'>x</p></div>", 2},
      {"<region xml:id='a' tts:displayAlign='before' tts:textAlign='end'/>",
       "<p begin='1s' end='2s' region='a'>x</p>", 9},
      {"<region xml:id='a' tts:displayAlign='before' tts:textAlign='end'/>",
       "<p begin='1s' end='2s' region='a' tts:textAlign='left'>x</p>", 7},
      // A style that names itself ends the search.
      {"<region xml:id='a' style='a'/>", "<p begin='1s' end='2s' region='a'>x</p>", 0},
  };
  for (const Row& row : rows) {
    const Placement place = PlaceIn(row.layout, row.body);
    EXPECT_EQ(place.Align, row.align) << row.layout << row.body;
    EXPECT_EQ(place.MarginV, -1) << row.layout << row.body;
  }
}

TEST(TtmlReader, BadInputNamesTheFileTheEntryAndTheLine) {
  testing::TempDir dir;
  struct Row {
    const char* text;
    const char* message;  // after the file's name
  } const rows[] = {
      // The column of the name in the closing tag that does not match.
      {"<tt>\n<body>\n<p begin='1s' end='2s'>x</span></p>\n</body></tt>",
       " is not well-formed XML: Start-end tags mismatch at line 3, column 27; nothing was "
       "read"},
      // The last character: the end came before </body>.
      {"<tt><body>",
       " is not well-formed XML: Start-end tags mismatch at line 1, column 10; "
       "nothing was read"},
      {"<tt><body><div>\n<p begin='1s' end='2s'>x</p>\n<p begin='3s'\n end='4 s'>y</p>"
       "</div></body></tt>",
       ": entry 2, line 3: end=\"4 s\" is not a TTML time (such as 00:00:01.500, 1.5s or 36f)"},
  };
  for (const Row& row : rows) {
    const std::string path = dir.Write("film.ttml", row.text);
    SubtitleDocument doc;
    CollectingMessageSink sink;
    doc.LoadSubtitle(kData + "layout.ttml", true, sink);
    ASSERT_EQ(doc.LineCount(), 5);
    try {
      doc.LoadSubtitle(path, true, sink);
      ADD_FAILURE() << row.text;
    } catch (const ConvertError& e) {
      EXPECT_EQ(e.what(), path + row.message);
    }
    // The entries of the file before are left as they were.
    EXPECT_EQ(doc.LineCount(), 5) << row.text;
  }
}

TEST(FormatTests, SamiAndTtmlByContent) {
  struct Row {
    const char* ext;
    const char* text;
    bool read;  // else the unsupported-format message
  } const rows[] = {
      {".smi", "\xEF\xBB\xBF  <sami><body><sync start=1><p>x", true},
      {".SAMI", "<!-- made by hand -->\n<SAMI>", true},
      {".smi", "<html><body>not SAMI</body></html>", false},
      {".xml", "<?xml version='1.0'?><!-- c --><!DOCTYPE tt><tt:tt xmlns:tt='x'/>", true},
      {".dfxp", "<tt/>", true},
      {".xml", "<?xml version='1.0'?><ttx/>", false},
      {".xml", "<?xml version='1.0'?><svg/>", false},
      {".ttml", "tt", false},
  };
  for (const Row& row : rows) {
    SubtitleDocument doc;
    CollectingMessageSink sink;
    doc.LoadSubtitleBytes(row.text, row.ext, true, sink);
    EXPECT_EQ(doc.Loaded, row.read) << row.text;
    EXPECT_EQ(sink.messages.size(), row.read ? 0u : 1u) << row.text;
  }
}

TEST(SamiReader, TheClassTakenAndTheNote) {
  const std::string file = ReadFileBytes(kData + "classes.smi");
  const std::string kEnglishNote =
      "Read as SAMI: class ENCC (English, en-US) taken; the file also has KRCC (ko-KR) (the "
      "command line's --sami-class NAME takes another); the last entry has no SYNC after it to "
      "clear it: it is shown for 5 s.";
  const std::vector<SubtitleEntry> english = {
      {1000, 2500, "Hello", "Nice to meet you", ""},
      {2500, 4000, "Quick! & quick!", "", ""},
      {7200, 8000, "English only: the Korean line stays", "", ""},
      {8000, 13000, "Last one", "", ""}};
  // Class names match in any case.
  for (const char* samiClass : {"encc", "ENCC"}) {
    SubtitleDocument doc;
    CollectingMessageSink sink;
    LoadOptions options;
    options.SamiClass = samiClass;
    doc.LoadSubtitleBytes(file, ".smi", true, sink, options);
    std::vector<SubtitleEntry> entries;
    for (int i = 1; i <= doc.LineCount(); ++i) entries.push_back(doc.GetLine(i));
    EXPECT_EQ(entries, english) << samiClass;
    ASSERT_FALSE(doc.LoadNotes().empty());
    EXPECT_EQ(doc.LoadNotes()[0], kEnglishNote);
  }
  // A class the file does not have: refused, the document as it was.
  SubtitleDocument doc;
  CollectingMessageSink sink;
  doc.LoadSubtitleBytes("<SAMI><SYNC Start=5><P Class=A>a", ".smi", true, sink);
  ASSERT_EQ(doc.LineCount(), 1);
  LoadOptions options;
  options.SamiClass = "FRCC";
  try {
    doc.LoadSubtitleBytes(file, ".smi", true, sink, options);
    ADD_FAILURE();
  } catch (const ConvertError& e) {
    EXPECT_STREQ(e.what(),
                 "The SAMI file has no paragraphs of class FRCC; its classes are "
                 "KRCC, ENCC.");
  }
  EXPECT_EQ(doc.GetLine(1), (SubtitleEntry{5, 5005, "a", "", ""}));
}

TEST(SamiReader, TolerantHtml) {
  struct Row {
    const char* text;
    std::vector<SubtitleEntry> entries;
  } const rows[] = {
      // Entities, misnested and unknown tags, a broken comment, no class.
      {"<SAMI><BODY><-- a comment -->\n<SYNC Start=10><P>caf&#233; &lt;3 &#x41;&quot;"
       "<i><b>x</i></b>&nbsp<span>y</span>\n<SYNC Start=20><P>&nbsp;</BODY>"
       "<SYNC Start=30><P>after the body",
       {{10, 20, "caf\xC3\xA9 <3 A\"x y", "", ""}}},
      // SYNC times out of order are sorted; one without a time is skipped.
      {"<SAMI><SYNC Start=500><P>b<SYNC Start=100><P>a<SYNC Start=x><P>lost<SYNC Start=900>"
       "<P>&#160;",
       {{100, 500, "a", "", ""}, {500, 900, "b", "", ""}}},
      // Text of a SYNC without a <P>, a <br> before any text; CSS align.
      {"<SAMI><STYLE>P { text-align: left }</STYLE><SYNC Start=1>one<br><br>two",
       {{1, 5001, "one", "two", "", {1, -1}}}},
  };
  for (const Row& row : rows) {
    SubtitleDocument doc;
    CollectingMessageSink sink;
    doc.LoadSubtitleBytes(row.text, ".smi", true, sink);
    std::vector<SubtitleEntry> entries;
    for (int i = 1; i <= doc.LineCount(); ++i) entries.push_back(doc.GetLine(i));
    EXPECT_EQ(entries, row.entries) << row.text;
  }
}

}  // namespace
}  // namespace kestrelpix
