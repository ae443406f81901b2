// The load from bytes and its tolerant reading: what the format tests accept
// is read exactly as from the file; only what they refuse is read leniently,
// and every leniency, detected code page and undrawn line is noted.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <tuple>

#include "base/errors.h"
#include "subtitle/line_reader.h"
#include "subtitle/markup.h"
#include "subtitle/subtitle_document.h"
#include "subtitle/unicode_text.h"
#include "support/collecting_sink.h"
#include "support/temp_dir.h"

namespace kestrelpix {
namespace {

using testing::CollectingMessageSink;
using testing::ReadFileBytes;
using testing::TempDir;

const std::string kData = std::string(KESTRELPIX_SOURCE_DIR) + "/tests/subtitle/data/";

std::vector<SubtitleEntry> Entries(const SubtitleDocument& doc) {
  std::vector<SubtitleEntry> out;
  for (int i = 1; i <= doc.LineCount(); ++i) out.push_back(doc.GetLine(i));
  return out;
}

struct Result {
  SubtitleDocument doc;
  CollectingMessageSink sink;
};

void LoadBytes(Result& r, std::string_view bytes, const char* ext, std::string fps = "") {
  LoadOptions options;
  options.ChosenFps = std::move(fps);
  r.doc.LoadSubtitleBytes(bytes, ext, true, r.sink, options);
}

TEST(UnicodeText, ByteOrderMarksZeroBytesAndBrokenUnits) {
  EXPECT_EQ(ToUtf8(std::string_view("\xFF\xFE"
                                    "A\0\x14\x04",
                                    6))
                .text(),
            "A\xD0\x94");  // A, U+0414
  EXPECT_EQ(ToUtf8(std::string_view("\xFE\xFF\0A\xD8\x3D\xDE\x00", 8)).text(),
            "A\xF0\x9F\x98\x80");  // a surrogate pair: U+1F600
  const UnicodeText u32 = ToUtf8(std::string_view("\0\0\xFE\xFF\0\0\0B", 8));
  EXPECT_EQ(u32.form, UnicodeForm::Utf32BE);
  EXPECT_EQ(u32.text(), "B");
  // A lone surrogate, a value above U+10FFFF and an odd last byte each
  // become U+FFFD.
  EXPECT_EQ(ToUtf8(std::string_view("\xFF\xFE\x00\xD8x\0!", 7)).text(),
            "\xEF\xBF\xBDx\xEF\xBF\xBD");
  EXPECT_EQ(ToUtf8(std::string_view("\xFF\xFE\0\0\0\0\x11\0", 8)).text(), "\xEF\xBF\xBD");
  // Without a mark, UTF-16 is told by its zero bytes; 8-bit text is kept.
  const std::string le = std::string(
      "0\0"
      "0\0:\0"
      "0\0"
      "1\0\n\0",
      12);
  EXPECT_EQ(ToUtf8(le).form, UnicodeForm::Utf16LE);
  EXPECT_EQ(ToUtf8(le).text(), "00:01\n");
  const UnicodeText plain = ToUtf8("Caf\xE9\n");
  EXPECT_EQ(plain.form, UnicodeForm::None);
  EXPECT_EQ(plain.text(), "Caf\xE9\n");
  EXPECT_FALSE(plain.byteOrderMark);
  EXPECT_EQ(ToUtf8(std::string(64, '\0')).form, UnicodeForm::None);
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  LineSplitter splitter(text);
  for (std::string_view line; splitter.Next(line);) lines.push_back(line);
  return lines;
}

TEST(UnicodeText, AnyLineEnds) {
  EXPECT_EQ(SplitLines("a\r\nb\rc\n\nd\r\n\x1A"),
            (std::vector<std::string_view>{"a", "b", "c", "", "d"}));
  EXPECT_TRUE(HasLoneCr("a\r\nb\rc\n\nd\r\n\x1A"));
  EXPECT_FALSE(HasLoneCr("a\r\nb"));
  EXPECT_TRUE(HasLoneCr("a\r\x1A"));
  EXPECT_EQ(SplitLines("a\n").size(), 1u);
  EXPECT_EQ(SplitLines("\r\n\r"), (std::vector<std::string_view>{"", ""}));
}

TEST(LoadFromBytes, AcceptedFilesReadAsFromTheFile) {
  // The same entries and extra lines whether loaded from the file or its
  // bytes, and no note of the tolerant reading.
  for (const char* name : {"awkward.srt", "frames.txt", "markup.srt"}) {
    const std::string path = kData + name;
    Result file, bytes;
    file.doc.LoadSubtitle(path, true, file.sink);
    LoadBytes(bytes, ReadFileBytes(path), std::filesystem::path(name).extension().c_str());
    EXPECT_EQ(Entries(file.doc), Entries(bytes.doc)) << name;
    EXPECT_EQ(file.doc.LoadNotes(), bytes.doc.LoadNotes()) << name;
    ASSERT_EQ(file.doc.LoadNotes().size(), 1u) << name;
    EXPECT_EQ(file.doc.LoadNotes()[0].find("tolerant"), std::string::npos) << name;
  }
}

TEST(LoadFromBytes, TextNotDrawnIsKeptAndNoted) {
  Result r;
  LoadBytes(r,
            "1\n00:00:01,000 --> 00:00:02,000\nA\nB\nC\nD\n\n"
            "2\n00:00:03,000 --> 00:00:04,000\nBefore\n\nafter blank\n\n"
            "3\n00:00:05,000 --> 00:00:06,000\n\n4\n00:00:07,000 --> 00:00:08,000\nlost\n\n"
            "5\n00:00:09,000 --> 00:00:10,000\nTwo\nlines\n6\n00:00:11,000 --> 00:00:12,000\nsix\n",
            ".srt");
  ASSERT_EQ(r.doc.LineCount(), 5);
  EXPECT_EQ(r.doc.ExtraLines(1), (std::vector<std::string_view>{"C", "D"}));
  EXPECT_EQ(r.doc.ExtraLines(2), (std::vector<std::string_view>{"after blank"}));
  // Entry 4's time line was swallowed by entry 3: its text is kept, the
  // counter and time line are not.
  EXPECT_EQ(r.doc.ExtraLines(3), (std::vector<std::string_view>{"lost"}));
  // The next counter read as Text3 is no undrawn text.
  EXPECT_EQ(r.doc.GetLine(4).Text3, "6");
  EXPECT_TRUE(r.doc.ExtraLines(4).empty());
  EXPECT_TRUE(r.sink.messages.empty());
  EXPECT_EQ(r.doc.LoadNotes(),
            std::vector<std::string>{"3 entries hold text after their first two lines (a third "
                                     "line, or text after a blank line), which is not drawn: "
                                     "entries 1, 2, 3."});
  // More than five are named as "and more".
  std::string many;
  for (int i = 0; i < 7; ++i) many += "{10}{20}a|b|c\n";
  Result m;
  LoadBytes(m, "{1}{1}25\n" + many, ".sub");
  ASSERT_EQ(m.doc.LoadNotes().size(), 1u);
  EXPECT_TRUE(m.doc.LoadNotes()[0].ends_with("entries 1, 2, 3, 4, 5 and more."))
      << m.doc.LoadNotes()[0];
}

TEST(LoadFromBytes, AnEntryKeepsAMiBOfItsFurtherLinesAndStaysNamed) {
  // Entry 1 has 300,000 lines of "line" after its first two: five bytes
  // each as the document counts them, so the first 209,715 are kept (a MiB
  // holds 209,715.2). Entry 2 has one third line, entry 3 none.
  std::string many;
  for (int i = 0; i < 300'000; ++i) many += "line\n";
  Result r;
  LoadBytes(r,
            "1\n00:00:01,000 --> 00:00:02,000\nA\nB\n" + many +
                "\n2\n00:00:03,000 --> 00:00:04,000\nC\nD\nE\n\n"
                "3\n00:00:05,000 --> 00:00:06,000\nF\n",
            ".srt");
  ASSERT_EQ(r.doc.LineCount(), 3);
  EXPECT_EQ(r.doc.GetLine(1), (SubtitleEntry{1000, 2000, "A", "B", "line"}));
  const std::vector<std::string_view> kept = r.doc.ExtraLines(1);
  EXPECT_EQ(kept.size(), 209'715u);
  EXPECT_EQ(kept.back(), "line");
  EXPECT_EQ(r.doc.ExtraLines(2), (std::vector<std::string_view>{"E"}));
  EXPECT_EQ(r.doc.EntriesWithTextNotDrawn(), (std::vector<int>{1, 2}));
  // Wrapping draws what entry 2 holds; entry 1 lost lines and stays named.
  r.doc.MarkAllTextDrawn({1, 2});
  EXPECT_EQ(r.doc.EntriesWithTextNotDrawn(), (std::vector<int>{1}));
}

TEST(LoadFromBytes, LongAssTextIsReadInPiecesThatGiveItsLines) {
  // 80 KB of \N inside an override block, then A and B, 40,000 lines of c,
  // and a last block holding a \N before e. Pieces are cut only at a \N
  // outside a block once 64 KiB are gathered, so the lines are as from the
  // whole field.
  std::string text = "{";
  for (int i = 0; i < 40'000; ++i) text += "\\N";
  text += "}A\\NB\\N";
  for (int i = 0; i < 40'000; ++i) text += "c\\N";
  text += "{d\\N}e";
  Result r;
  LoadBytes(r, "[Events]\nDialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,," + text + "\n",
            ".ass");
  ASSERT_EQ(r.doc.LineCount(), 1);
  EXPECT_EQ(r.doc.GetLine(1), (SubtitleEntry{1000, 2000, "A", "B", "c"}));
  const std::vector<std::string_view> extra = r.doc.ExtraLines(1);
  ASSERT_EQ(extra.size(), 40'001u);
  EXPECT_EQ(std::count(extra.begin(), extra.end(), "c"), 40'000);
  EXPECT_EQ(extra.back(), "e");
}

TEST(LoadFromBytes, FrameFilesWithoutTheirOwnRate) {
  // Without a chosen rate the frame-rate message stays.
  Result none;
  LoadBytes(none, "{10}{20}x\n", ".txt");
  EXPECT_FALSE(none.doc.Loaded);
  EXPECT_EQ(none.sink.messages.size(), 1u);
  // With one, frames count at it and the note says so; a {1}{1}0 line is
  // no rate and no entry.
  for (const char* text : {"{24}{48}x\n\n", "{1}{1}0\n{24}{48}x\n"}) {
    Result r;
    LoadBytes(r, text, ".sub", "23.976");
    EXPECT_TRUE(r.sink.messages.empty()) << text;
    EXPECT_EQ(Entries(r.doc), std::vector<SubtitleEntry>{(SubtitleEntry{1001, 2002, "x", "", ""})})
        << text;
    EXPECT_EQ(r.doc.LoadNotes(),
              std::vector<std::string>{"Read as MicroDVD by the tolerant reader: no frame-rate "
                                       "line: frames counted at the chosen 23.976 frames per "
                                       "second."});
  }
  // A file that states its rate is read exactly, its rate line no entry.
  Result own;
  LoadBytes(own, "{1}{1}25\n{25}{50}x\n", ".txt", "23.976");
  EXPECT_EQ(own.doc.LineCount(), 1);
  EXPECT_TRUE(own.doc.LoadNotes().empty());
}

TEST(LoadFromBytes, TheFirstLineOfAKnownFormDecidesTheFormat) {
  // Lines of no form before it are skipped and counted; a frame-rate line
  // after them is still the rate and no entry.
  const std::vector<std::tuple<std::string, const char*, std::vector<SubtitleEntry>, std::string>>
      rows = {
          {"Ook!\n\n{0}{0}12,5\n> Hi!\n{100}{200}/Hello\n",
           ".sub",
           {{8000, 16000, "Hello", "", ""}},
           "Read as MicroDVD by the tolerant reader: 2 lines that are no entries, skipped."},
          {"Title\n[10][25]a\n",
           ".srt",
           {{1000, 2500, "a", "", ""}},
           "Read as MPL2 by the tolerant reader: 1 line that is no entry, skipped."},
          {"0:00:01:a\n0:00:02:b\n",
           ".sub",
           {{1000, 2000, "a", "", ""}, {2000, 7000, "b", "", ""}},
           "Read as TMPlayer by the tolerant reader: the last entry has no end and is shown for 5 "
           "seconds."},
      };
  for (const auto& [text, ext, entries, note] : rows) {
    Result r;
    LoadBytes(r, text, ext);
    EXPECT_EQ(Entries(r.doc), entries) << text;
    EXPECT_EQ(r.doc.LoadNotes(), std::vector<std::string>{note}) << text;
  }
}

TEST(LoadFromBytes, FrameRatesAndTimesAreBounded) {
  // A rate below the frame-numbered reader's lowest (frame 1 past 32-bit
  // milliseconds), the file's or the chosen one, or a time past the index's
  // last is refused in words; such times were converted to int64 undefined.
  // The tolerant reading, which reads {0}{0} lines, needs a chosen rate.
  const std::string low =
      " is below 0.000000466 frames per second, the lowest that frames are "
      "counted at";
  for (const auto& [text, fps, error] : std::vector<std::array<std::string, 3>>{
           {"{0}{0}0.0000001\n{10}{20}x\n", "25", "The frame rate 0.0000001" + low},
           {"{10}{20}x\n", "1e-300", "The frame rate 1e-300" + low},
           {"{0}{0}0.000001\n{1}{2}a\n{9000001}{9}x\n", "25",
            "Entry 2: frame 9000001 at 0.000001 frames per second is later than an index can "
            "hold"}}) {
    Result r;
    try {
      LoadBytes(r, text, ".sub", fps);
      ADD_FAILURE() << text;
    } catch (const ConvertError& e) {
      EXPECT_EQ(e.what(), error);
    }
  }
  // Both limits still read: frame 1 at 0.000000466 is 2145922746.8 ms,
  // frame 9000000 at 0.000001 is 9e15 ms.
  Result r;
  EXPECT_NO_THROW(LoadBytes(r, "{0}{0}0.000000466\n{1}{1}x\n", ".sub", "25"));
  LoadBytes(r, "{0}{0}0.000001\n{1}{9000000}x\n", ".sub", "25");
  EXPECT_EQ(Entries(r.doc),
            (std::vector<SubtitleEntry>{{1000000000, 9000000000000000, "x", "", ""}}));
}

TEST(LoadFromBytes, WebVttAndAssDetails) {
  Result v;
  LoadBytes(v,
            "1\n00:00:01.000 --> 00:00:02.000 line:0\n<lang en>x</lang> &nbsp;y\n\n"
            "NOTE 00:00:03.000 --> 00:00:04.000 is in a note\n\n"
            "00:00:05.000 --> 00:00:06.000\n\n",
            ".vtt");
  EXPECT_EQ(Entries(v.doc),
            (std::vector<SubtitleEntry>{{1000, 2000, "x \xC2\xA0y", "", "", {8, -1}},
                                        {5000, 6000, "", "", ""}}));
  EXPECT_EQ(v.doc.LoadNotes(),
            std::vector<std::string>{"Read as WebVTT by the tolerant reader: no WEBVTT line."});
  // The Format line orders the fields; the text keeps its commas; lines
  // outside [Events] and Comment lines are not read; WrapStyle 2 makes the
  // soft break \n a line break.
  Result a;
  LoadBytes(a,
            "[Script Info]\nWrapStyle: 2\nDialogue: 0,0:00:09.00,0:00:10.00,x\n[events]\n"
            "Format: End, Start, Style, Text\n"
            "Dialogue: 0:00:02.50,0:00:01.00,Default,a, b {\\pos(1,2)}c\\N\\Nd\\ne\n"
            "Comment: 0:00:04.00,0:00:03.00,Default,no\n",
            ".ssa");
  EXPECT_EQ(Entries(a.doc), (std::vector<SubtitleEntry>{{1000, 2500, "a, b c", "d", "e"}}));
  EXPECT_EQ(AssTextLines("x\\ny", true), (std::vector<std::string>{"x", "y"}));
  // A cue or Dialogue line whose time cannot be read is skipped, and the
  // note counts it: its text is never lost without a word.
  Result badCue;
  LoadBytes(badCue,
            "WEBVTT\n\n00:00:01.000 --> 00:00:02.000\na\n\n"
            "00:00:03.000 --> 00:00:1d.000\nlost\n\n00:00:05.000 --> 00:00:06.000\nc\n",
            ".vtt");
  EXPECT_EQ(Entries(badCue.doc).size(), 2u);
  EXPECT_EQ(badCue.doc.LoadNotes(),
            std::vector<std::string>{"Read as WebVTT by the tolerant reader: 1 block without a "
                                     "readable time line, skipped."});
  Result badDialogue;
  LoadBytes(badDialogue,
            "[Events]\nFormat: Start, End, Text\nDialogue: 0:00:01.00,0:00:02.00,a\n"
            "Dialogue: 0:0x:03.00,0:00:04.00,lost\nDialogue: no fields\n",
            ".ass");
  EXPECT_EQ(Entries(badDialogue.doc), (std::vector<SubtitleEntry>{{1000, 2000, "a", "", ""}}));
  EXPECT_EQ(badDialogue.doc.LoadNotes(),
            std::vector<std::string>{"Read as ASS/SSA by the tolerant reader: 2 Dialogue lines "
                                     "that cannot be read, skipped."});
  // An .ass file without an Events section is no subtitle.
  Result none;
  LoadBytes(none, "[Script Info]\nTitle: x\n", ".ass");
  EXPECT_FALSE(none.doc.Loaded);
  EXPECT_EQ(none.sink.messages, std::vector<std::string>{kUnsupportedFormatMessage});
}

TEST(LoadFromBytes, PlacesFromTheFile) {
  // Each row: a file and the place of each of its entries (keypad align,
  // thousandths of the frame height from the edge; 0 / -1 say nothing).
  const std::string ass =
      "[Script Info]\nPlayResY: 360\n[V4+ Styles]\n"
      "Format: Name, Alignment, MarginL, MarginR, MarginV\n"
      "Style: Default,2,0,0,18\nStyle: Sign,8,0,0,36\n[Events]\n"
      "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n";
  const std::vector<std::tuple<std::string, const char*, std::vector<Placement>>> rows = {
      // {\anN} and the legacy {\aN} (6 is top centre) in SubRip, strict and
      // tolerant; the first tag counts; no tag says nothing.
      {"1\n00:00:01,000 --> 00:00:02,000\n{\\an8}Top\n\n"
       "2\n00:00:03,000 --> 00:00:04,000\nx{\\b1\\a6}y\n{\\an1}z\n\n"
       "3\n00:00:05,000 --> 00:00:06,000\n{\\alpha&H80&}plain\n",
       ".srt",
       {{8, -1}, {8, -1}, {0, -1}}},
      {"00:00:01,000 --> 00:00:02,000\n{\\an7}loose\n", ".srt", {{7, -1}}},
      // ASS: the style's place and MarginV in thousandths of PlayResY (18 of
      // 360 is 50), the line's MarginV when not 0, a tag over both, an
      // unknown style as Default; the middle row has no margin.
      {ass + "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,a\n"
             "Dialogue: 0,0:00:01.00,0:00:02.00,Sign,,0,0,0,,b\n"
             "Dialogue: 0,0:00:01.00,0:00:02.00,*Sign,,0,0,72,,c\n"
             "Dialogue: 0,0:00:01.00,0:00:02.00,Sign,,0,0,0,,{\\pos(1,2)\\an5}d\n"
             "Dialogue: 0,0:00:01.00,0:00:02.00,Nowhere,,0,0,0,,e\n",
       ".ass",
       {{2, 50}, {8, 100}, {8, 200}, {5, -1}, {2, 50}}},
      // SSA: legacy numbers in the style (6: top centre), PlayResY 288 when
      // the script gives none; no style section says nothing.
      {"[V4 Styles]\nFormat: Name, Alignment, MarginL, MarginR, MarginV\nStyle: Default,6,0,0,"
       "144\n[Events]\nDialogue: Marked=0,0:00:01.00,0:00:02.00,Default,,0,0,0,,a\n",
       ".ssa",
       {{8, 500}}},
      {"[Events]\nDialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,a\n", ".ass", {{0, -1}}},
      // WebVTT: line: as a line number or a percentage picks the row,
      // align: the column.
      {"WEBVTT\n\n00:01.000 --> 00:02.000 line:0 align:start\na\n\n"
       "00:03.000 --> 00:04.000 line:50%\nb\n\n"
       "00:05.000 --> 00:06.000 line:-1 align:end\nc\n\n"
       "00:07.000 --> 00:08.000 align:middle\nd\n\n"
       "00:09.000 --> 00:10.000 position:20%\ne\n",
       ".vtt",
       {{7, -1}, {5, -1}, {3, -1}, {2, -1}, {0, -1}}},
  };
  for (const auto& [text, ext, places] : rows) {
    Result r;
    LoadBytes(r, text, ext);
    std::vector<Placement> got;
    for (const SubtitleEntry& e : Entries(r.doc)) got.push_back(e.Place);
    ASSERT_EQ(got.size(), places.size()) << text;
    for (size_t k = 0; k < got.size(); ++k) {
      EXPECT_EQ(got[k].Align, places[k].Align) << text << " entry " << k + 1;
      EXPECT_EQ(got[k].MarginV, places[k].MarginV) << text << " entry " << k + 1;
    }
  }
}

TEST(LoadFromBytes, UnterminatedMarkupTakesNoLongerThanPlainText) {
  // A 4 MiB line of openings without their close, of each kind, stays text
  // and loads within 5 times a line of the same size whose brackets open
  // nothing (best of three each); searching for the close from every
  // opening took minutes.
  const std::string srt = "1\n00:00:01,000 --> 00:00:02,000\n";
  for (const auto& [ext, head, open, plain] : std::vector<std::array<std::string, 4>>{
           {".srt", srt, "{\\", "{ "},
           {".srt", srt, "<font ", "<fonts"},
           {".vtt", "WEBVTT\n\n00:01.000 --> 00:02.000\n", "<", "a"},
           {".ass", "[Events]\nFormat: Start, End, Text\nDialogue: 0:00:01.00,0:00:02.00,", "{",
            "a"},
           {".sub", "{1}{1}25\n{10}{20}", "{y:", "{y "}}) {
    std::string lines[2];
    while (lines[0].size() < (4u << 20)) lines[0] += open, lines[1] += plain;
    double best[2] = {1e9, 1e9};
    for (int run = 0; run < 6; ++run) {
      const std::string bytes = head + lines[run % 2] + "\n";
      Result r;
      const auto start = std::chrono::steady_clock::now();
      LoadBytes(r, bytes, ext.c_str());
      const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
      best[run % 2] = std::min(best[run % 2], took.count());
      EXPECT_EQ(r.doc.GetLine(r.doc.LineCount()).Text1, lines[run % 2]) << open;
    }
    EXPECT_LT(best[0], 5 * best[1]) << open << ": " << best[0] << " s, plain " << best[1] << " s";
  }
}

TEST(LoadFromBytes, CodePageIsDetectedOnlyForTextThatIsNotUtf8) {
  const std::string cp1251 = ReadFileBytes(kData + "onegin-cp1251.srt");
  Result r;
  LoadBytes(r, cp1251, ".srt");
  EXPECT_EQ(r.doc.Report.DetectedCharset, 204);
  // The text stays the file's bytes.
  EXPECT_EQ(r.doc.GetLine(1).Text1, cp1251.substr(cp1251.find("\xCC\xEE\xE9"), 30));
  // A chosen charset decides alone: detected, but not noted.
  Result chosen;
  LoadOptions options;
  options.Charset = 204;
  chosen.doc.LoadSubtitleBytes(cp1251, ".srt", true, chosen.sink, options);
  EXPECT_EQ(chosen.doc.Report.DetectedCharset, 204);
  EXPECT_TRUE(chosen.doc.LoadNotes().empty());
  // UTF-8 and ASCII text: DEFAULT, nothing noted; UTF-16 text is UTF-8.
  Result utf8, utf16;
  LoadBytes(utf8, "1\n00:00:01,000 --> 00:00:02,000\n\xD0\x9C\xD0\xBE\xD0\xB9\n", ".srt");
  EXPECT_EQ(utf8.doc.Report.DetectedCharset, 1);
  EXPECT_FALSE(utf8.doc.Report.TextIsUtf8);
  EXPECT_TRUE(utf8.doc.LoadNotes().empty());
  LoadBytes(utf16, ReadFileBytes(kData + "utf16le-bom.srt"), ".srt");
  EXPECT_TRUE(utf16.doc.Report.TextIsUtf8);
  EXPECT_EQ(utf16.doc.Report.DetectedCharset, 1);
}

TEST(LoadFromFile, LargeFilesAreRefusedWithoutBeingHeld) {
  TempDir dir;
  // Just over the limit: a SubRip head and zero bytes (a sparse file).
  const std::string big = dir.Write("big.srt", "1\n00:00:01,000 --> 00:00:02,000\nHi\n\n");
  std::filesystem::resize_file(big, kMaxSubtitleBytes + 1);
  Result r;
  try {
    r.doc.LoadSubtitle(big, true, r.sink);
    FAIL() << "no error";
  } catch (const FileError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot read file \"" + big +
                                         "\": it is larger than 64 MiB, too large for a subtitle");
  }
  // The same before any format test: for WebVTT, and for bytes that are no
  // subtitle at all.
  for (const char* name : {"cues.vtt", "zeros.sub"}) {
    const std::string path =
        dir.Write(name, name[0] == 'c' ? "WEBVTT\n\n00:01.000 --> 00:02.000\n" : "");
    std::filesystem::resize_file(path, kMaxSubtitleBytes + 1);
    Result z;
    EXPECT_THROW(z.doc.LoadSubtitle(path, true, z.sink), FileError) << name;
    EXPECT_TRUE(z.sink.messages.empty()) << name;
  }
  // At the limit the file is read.
  std::filesystem::resize_file(big, kMaxSubtitleBytes);
  Result fits;
  fits.doc.LoadSubtitle(big, true, fits.sink);
  EXPECT_EQ(fits.doc.LineCount(), 1);
}

}  // namespace
}  // namespace kestrelpix
