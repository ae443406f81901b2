#include "subtitle/srt_reader.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "subtitle/subtitle_document.h"
#include "support/collecting_sink.h"
#include "support/temp_dir.h"

namespace kestrelpix {
namespace {

using testing::CollectingMessageSink;
using testing::TempDir;

SubtitleEntry L(int64_t s, int64_t e, std::string t1, std::string t2 = "", std::string t3 = "") {
  return SubtitleEntry{s, e, t1, t2, t3};
}

std::vector<SubtitleEntry> Entries(const SubtitleDocument& doc) {
  std::vector<SubtitleEntry> out;
  for (int i = 1; i <= doc.LineCount(); ++i) out.push_back(doc.GetLine(i));
  return out;
}

struct Loaded {
  SubtitleDocument doc;
  CollectingMessageSink sink;
};

// Loads an .srt (or other name) written from the given text.
void Load(Loaded& l, const TempDir& dir, const std::string& name, const std::string& text) {
  l.doc.LoadSubtitle(dir.Write(name, text), true, l.sink);
}

TEST(SrtReader, ReadsOneTwoThreeAndFourLineEntries) {
  TempDir dir;
  Loaded l;
  Load(l, dir, "a.srt",
       "1\r\n00:00:01,000 --> 00:00:04,000\r\nHello\r\n\r\n"
       "2\r\n00:00:05,000 --> 00:00:06,500\r\nTwo\r\nlines\r\n\r\n"
       "3\r\n00:01:00.250 --> 01:00:00,001 X1:10 X2:20\r\none\r\ntwo\r\nthree\r\n\r\n"
       "4\r\n00:00:09,000 --> 00:00:10,000\r\nA\r\nB\r\nC\r\nD dropped\r\n\r\n"
       "5\r\n00:00:11,000 --> 00:00:12,000\r\nlast");
  EXPECT_TRUE(l.doc.Loaded);
  EXPECT_TRUE(l.sink.messages.empty());
  EXPECT_EQ(Entries(l.doc), (std::vector<SubtitleEntry>{
                                L(1000, 4000, "Hello"),
                                L(5000, 6500, "Two", "lines"),
                                L(60250, 3600001, "one", "two", "three"),
                                L(9000, 10000, "A", "B", "C"),
                                L(11000, 12000, "last"),
                            }));
}

TEST(SrtReader, ATimeLineTheStrictReaderCannotReadHandsTheFileToTheTolerantReading) {
  TempDir dir;
  Loaded l;
  // The second line is a time line, so the file is SubRip. Line 6, an arrow
  // without blanks, is no time line in the fixed columns: the strict reader
  // stops there and the tolerant reading reads the file again, naming it.
  // The one-digit hours and the two-digit fraction are tolerated too; the
  // blanks in line 18 read as no time at all, and its entry is skipped.
  Load(l, dir, "cols.srt",
       "1\n00:00:01,000 --> 00:00:02,000\nkept\n\n"
       "2\n00:00:03,000-->00:00:04,000\na\n\n"
       "3\n0:00:05,000 --> 0:00:06,000\nb\n\n"
       "4\n00:00:07,000 --> 00:00:08,05\nc\n\n"
       "5\n  :  :  ,    --> 00:00:09,000\nnever\n");
  EXPECT_EQ(Entries(l.doc), (std::vector<SubtitleEntry>{L(1000, 2000, "kept"), L(3000, 4000, "a"),
                                                        L(5000, 6000, "b"), L(7000, 8050, "c")}));
  EXPECT_EQ(l.doc.LoadNotes(),
            std::vector<std::string>{
                "Read as SubRip by the tolerant reader as the strict reading stopped at line 6 "
                "(entry 2: a time line not in the SubRip columns): one-digit time fields, extra "
                "blanks in time lines, 1 entry whose time line cannot be read, skipped (the first "
                "at line 18)."});
  // When the tolerant reading finds no entry either, the strict reader's
  // error stands, naming the line and the entry.
  Loaded bad;
  try {
    Load(bad, dir, "bad.srt", "1\nAB:00:03,000 --> 00:00:04,000\nx\n");
    FAIL() << "no conversion error";
  } catch (const ConvertError& e) {
    EXPECT_STREQ(e.what(), "Line 2 (entry 1): 'AB' is not a valid integer value");
  }
  EXPECT_EQ(bad.doc.LineCount(), 0);
}

TEST(SrtReader, MillisecondsOfOneOrTwoDigitsAreFractionsOfASecond) {
  // Strict (the fixed columns) and tolerant time lines read the digits
  // after the comma alike: ",5" and ",50" are half a second, ",050" 50 ms,
  // and blanks before the digits are zeros (", 9" is 90 ms, ",  5" 5 ms).
  EXPECT_EQ(SrtTimeToMs("00:00:03,50 "), 3500);
  EXPECT_EQ(SrtTimeToMs("00:00:03,5  "), 3500);
  EXPECT_EQ(SrtTimeToMs("00:00:03,050"), 3050);
  EXPECT_EQ(SrtTimeToMs("00:00:03, 9 "), 3090);
  EXPECT_EQ(SrtTimeToMs(" 0: 0:26, 26"), 26026);
  TempDir dir;
  Loaded strict, tolerant;
  Load(strict, dir, "strict.srt", "1\n00:00:00,000 --> 00:00:03,50\nx\n");
  EXPECT_EQ(Entries(strict.doc), std::vector<SubtitleEntry>{L(0, 3500, "x")});
  EXPECT_TRUE(strict.doc.LoadNotes().empty());
  Load(tolerant, dir, "tolerant.srt",
       "0\n00:00:01,0 --> 00:00:02,5\nOne\n\n1\n00:00:02,05   --> 00:00:03,  5 \nTwo\n\n"
       "2\n00:00:03, 9 --> 00:00:04,050\nThree\n");
  EXPECT_EQ(Entries(tolerant.doc),
            (std::vector<SubtitleEntry>{L(1000, 2500, "One"), L(2050, 3005, "Two"),
                                        L(3090, 4050, "Three")}));
}

TEST(SrtReader, ExactlyThreeLinesFollowEveryTimeLine) {
  TempDir dir;
  Loaded l;
  // A blank line right after the time line: three empty texts, and the next
  // counter and time line are swallowed, losing entry 2.
  Load(l, dir, "blank.srt",
       "1\n00:00:01,000 --> 00:00:02,000\n\n2\n00:00:03,000 --> 00:00:04,000\nlost\n\n"
       "3\n00:00:05,000 --> 00:00:06,000\nthird\n");
  EXPECT_EQ(Entries(l.doc),
            (std::vector<SubtitleEntry>{L(1000, 2000, ""), L(5000, 6000, "third")}));
  // One text line and no blank before the next counter: the counter and the
  // time line become Text2 and Text3.
  Loaded m;
  Load(m, dir, "noblank.srt",
       "1\n00:00:01,000 --> 00:00:02,000\nonly\n2\n00:00:03,000 --> 00:00:04,000\nlost\n");
  EXPECT_EQ(
      Entries(m.doc),
      (std::vector<SubtitleEntry>{L(1000, 2000, "only", "2", "00:00:03,000 --> 00:00:04,000")}));
}

TEST(SrtReader, RemovesEveryTagWhereverItStands) {
  // Every occurrence of the twelve tags, not the first one only.
  EXPECT_EQ(SubtitleDocument::RemoveTags("<i>one</i> and <i>two</i>"), "one and two");
  EXPECT_EQ(SubtitleDocument::RemoveTags("<I>Up</I><B>b</B><U>u</U><b><b>x</b></b>"), "Upbux");
  EXPECT_EQ(SubtitleDocument::RemoveTags("< i>x</ i>"), "< i>x</ i>");
  // Font and strike-out tags, ASS override blocks and MicroDVD control
  // codes are markup too.
  EXPECT_EQ(SubtitleDocument::RemoveTags("<font color=\"#ff0000\">r</font> <FONT face=x>g</Font>"),
            "r g");
  EXPECT_EQ(SubtitleDocument::RemoveTags("<s>gone</s> <S>too</S>"), "gone too");
  EXPECT_EQ(SubtitleDocument::RemoveTags("{\\an8}Top {\\i1}it{\\i0}"), "Top it");
  EXPECT_EQ(SubtitleDocument::RemoveTags("{y:i}{c:$0000FF}Blue {Y:b}bold"), "Blue bold");
  // Not markup: a lone brace or angle, "<fontx>", "{ab}", an unclosed tag.
  EXPECT_EQ(SubtitleDocument::RemoveTags("a < b {x} {ab} <fontx> <font color=red"),
            "a < b {x} {ab} <fontx> <font color=red");
  // One pass from left to right: what a removal joins is not looked at
  // again.
  EXPECT_EQ(SubtitleDocument::RemoveTags("<<i>b>x"), "<b>x");
  EXPECT_EQ(SubtitleDocument::RemoveTags("  blanks kept  "), "  blanks kept  ");
}

TEST(FormatDispatch, ExtensionAndContentDecide) {
  TempDir dir;
  const std::string srt = "1\n00:00:01,000 --> 00:00:02,000\nHi\n";
  for (const char* name : {"movie.SRT", "movie.srt", "movie.Srt"}) {
    Loaded l;
    Load(l, dir, name, srt);
    EXPECT_TRUE(l.doc.Loaded) << name;
    EXPECT_EQ(l.doc.LineCount(), 1) << name;
  }
  // Refused by the SubRip format test but read by the tolerant reading,
  // which says so.
  const std::vector<std::pair<std::string, std::string>> tolerated = {
      {"saved.sub", srt},  // SubRip under .sub
      {"times.txt", srt},  // time line, wrong extension
      {"blankfirst.srt", "\n1\n00:00:01,000 --> 00:00:02,000\nHi\n"},
  };
  for (const auto& [name, text] : tolerated) {
    Loaded l;
    Load(l, dir, name, text);
    EXPECT_TRUE(l.doc.Loaded) << name;
    EXPECT_EQ(Entries(l.doc), std::vector<SubtitleEntry>{L(1000, 2000, "Hi")}) << name;
    EXPECT_TRUE(l.sink.messages.empty()) << name;
    ASSERT_EQ(l.doc.LoadNotes().size(), 1u) << name;
  }
  const std::vector<std::pair<std::string, std::string>> refused = {
      {"movie.srt.bak", srt},
      {"empty.srt", ""},
      {"blank.srt", "\n\n  \n"},
      {"prose.srt", "Dear diary,\ntoday nothing happened.\n"},
      {"stream.sub", std::string("\0\0\1\xBA", 4)},  // a program stream
  };
  for (const auto& [name, text] : refused) {
    Loaded l;
    Load(l, dir, name, text);
    EXPECT_FALSE(l.doc.Loaded) << name;
    EXPECT_EQ(l.sink.messages, std::vector<std::string>{kUnsupportedFormatMessage}) << name;
  }
  Loaded missing;
  missing.doc.LoadSubtitle((dir.path() / "absent.srt").string(), true, missing.sink);
  EXPECT_EQ(missing.sink.messages, std::vector<std::string>{kUnsupportedFormatMessage});
  EXPECT_EQ(std::string(kUnsupportedFormatMessage).substr(0, 30),
            "Unsupported Subtitle Format !\r");
}

TEST(SrtReader, NoTimeLineLeavesAnEmptyLoadedDocument) {
  TempDir dir;
  Loaded l;
  // The second line holds the arrow at columns 14-16 but is too short to be
  // a time line.
  Load(l, dir, "short.srt", "1\n00:00:01,000 --> 00:\ntext\n");
  EXPECT_TRUE(l.doc.Loaded);
  EXPECT_EQ(l.doc.LineCount(), 0);
  EXPECT_TRUE(l.sink.messages.empty());
}

TEST(SrtReader, ByteOrderMarkAndEightBitTextStayAsBytes) {
  TempDir dir;
  Loaded l;
  Load(l, dir, "bom.srt",
       "\xEF\xBB\xBF"
       "1\n00:00:01,000 --> 00:00:02,000\n  Caf\xC3\xA9 \xE9t\xE9  \n");
  ASSERT_EQ(l.doc.LineCount(), 1);
  EXPECT_EQ(l.doc.GetLine(1).Text1, "  Caf\xC3\xA9 \xE9t\xE9  ");
}

TEST(SubtitleDocument, AddGetClear) {
  SubtitleDocument doc;
  EXPECT_EQ(doc.LineCount(), 0);
  doc.AddLine(1, 2, "a", "b", "c");
  doc.AddLine(3, 4, "d", "", "");
  EXPECT_EQ(doc.LineCount(), 2);
  EXPECT_EQ(doc.GetLine(1), L(1, 2, "a", "b", "c"));
  EXPECT_EQ(doc.GetLine(2).Text1, "d");
  doc.ClearLines();
  EXPECT_EQ(doc.LineCount(), 0);
}

}  // namespace
}  // namespace kestrelpix
